#include "textutil/whole_file.h"

#include <QSaveFile>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace textutil {

bool WriteWholeFile(const QString& path, const QByteArray& data, QString* reason) {
  QSaveFile f(path);
  f.setDirectWriteFallback(false);
  const auto fail = [&](const QString& why) {
    if (reason) *reason = why;
    f.cancelWriting();
    return false;
  };
  // Unbuffered: a short write (the disk filled up in the middle) is seen here, and writing the rest
  // brings the system's reason ("No space left on device"). QSaveFile::commit() would not report a
  // failure of the last flush of a buffer, nor of the sync (checked below).
  if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(f.errorString());
  for (qint64 done = 0; done < data.size();) {
    const qint64 n = f.write(data.constData() + done, data.size() - done);
    if (n <= 0) return fail(f.errorString());
    done += n;
  }
  if (!f.flush()) return fail(f.errorString());
#ifdef Q_OS_UNIX
  if (::fsync(f.handle()) != 0) return fail(QString::fromLocal8Bit(std::strerror(errno)));
#endif
  if (!f.commit()) {
    if (reason) *reason = f.errorString();
    return false;
  }
  return true;
}

}  // namespace textutil
