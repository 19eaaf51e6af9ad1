#include "net/ftp.h"

#include "net/curl_loader.h"

#include <QDir>
#include <QSaveFile>
#include <QStringList>
#include <QUrl>

namespace net {

namespace {

size_t writeToFile(char* data, size_t size, size_t count, void* user) {
  auto* file = static_cast<QSaveFile*>(user);
  const qint64 n = file->write(data, static_cast<qint64>(size * count));
  return n < 0 ? 0 : static_cast<size_t>(n);
}

QString remoteUrl(const FtpSettings& s, const QString& remotePath) {
  QStringList segments;
  for (const QString& part : remotePath.split(u'/', Qt::SkipEmptyParts))
    segments << QString::fromLatin1(QUrl::toPercentEncoding(part));
  QString path = segments.join(u'/');
  if (remotePath.startsWith(u'/')) path.prepend(QStringLiteral("%2F"));
  return QStringLiteral("ftp://%1:%2/%3").arg(detail::urlHost(s.host)).arg(s.port).arg(path);
}

FtpResult::Stage stageOf(CURLcode code, CURL* easy) {
  switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_LOGIN_DENIED:
      return FtpResult::Stage::Connect;
    // 550 to RETR: the one answer that says the server has no such file.
    case CURLE_REMOTE_FILE_NOT_FOUND:
      return FtpResult::Stage::NotFound;
    case CURLE_OPERATION_TIMEDOUT: {
      double connectTime = 0;
      detail::curl().easy_getinfo(easy, CURLINFO_CONNECT_TIME, &connectTime);
      return connectTime > 0 ? FtpResult::Stage::Transfer : FtpResult::Stage::Connect;
    }
    default:
      return FtpResult::Stage::Transfer;
  }
}

}  // namespace

FtpResult ftpDownload(const FtpSettings& s, const QString& remotePath, const QString& localPath) {
  FtpResult result;
  if (s.host.trimmed().isEmpty() || remotePath.trimmed().isEmpty()) {
    result.stage = FtpResult::Stage::Connect;
    result.message = QStringLiteral("No FTP host or remote file given");
    return result;
  }
  QSaveFile file(localPath);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    result.stage = FtpResult::Stage::Transfer;
    result.message = QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(localPath), file.errorString());
    return result;
  }

  char errorBuffer[CURL_ERROR_SIZE];
  detail::Easy easy = detail::newEasy(errorBuffer);
  if (!easy) {
    file.cancelWriting();
    result.stage = FtpResult::Stage::Connect;
    result.message = detail::startFailure(QStringLiteral("Cannot start the FTP client"), errorBuffer);
    return result;
  }
  CURL* c = easy.get();
  const QByteArray url = remoteUrl(s, remotePath).toUtf8();
  const QByteArray user = s.user.toUtf8();
  const QByteArray password = s.password.toUtf8();
  detail::curl().easy_setopt(c, CURLOPT_URL, url.constData());
  detail::curl().easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
  detail::curl().easy_setopt(c, CURLOPT_USERNAME, user.constData());
  detail::curl().easy_setopt(c, CURLOPT_PASSWORD, password.constData());
  if (!s.passive) detail::curl().easy_setopt(c, CURLOPT_FTPPORT, "-");
  detail::curl().easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(s.connectTimeoutMs));
  detail::curl().easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>((s.responseTimeoutMs + 999) / 1000));
  detail::curl().easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  detail::curl().easy_setopt(c, CURLOPT_LOW_SPEED_TIME, static_cast<long>((s.stallTimeoutMs + 999) / 1000));
  detail::curl().easy_setopt(c, CURLOPT_WRITEFUNCTION, &writeToFile);
  detail::curl().easy_setopt(c, CURLOPT_WRITEDATA, &file);

  const CURLcode code = detail::curl().easy_perform(c);
  if (code != CURLE_OK) {
    const QString writeError = file.errorString();
    file.cancelWriting();
    result.stage = stageOf(code, c);
    result.message = code == CURLE_WRITE_ERROR
                         ? QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(localPath), writeError)
                         : detail::curlMessage(code, errorBuffer);
    return result;
  }
  result.bytes = file.size();
  // The size the server announced (SIZE, or the 150 reply), -1 when it announced none. libcurl
  // refuses a shorter file itself; this holds whatever it lets through.
  curl_off_t announced = -1;
  if (detail::curl().easy_getinfo(c, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) != CURLE_OK) announced = -1;
  if (announced >= 0 && result.bytes != qint64(announced)) {
    file.cancelWriting();
    result.stage = FtpResult::Stage::Transfer;
    result.message = QStringLiteral("Received %1 bytes of the %2 the server announced").arg(result.bytes).arg(qint64(announced));
    return result;
  }
  if (!file.commit()) {
    result.stage = FtpResult::Stage::Transfer;
    result.message = QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(localPath), file.errorString());
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace net
