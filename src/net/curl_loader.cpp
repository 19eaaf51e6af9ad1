#include "net/curl_loader.h"

#include <QLibrary>
#include <cstring>
#include <mutex>

namespace net::detail {

namespace {

struct Loaded {
  CurlApi api{};
  bool ok = false;
  QString error;
};

template <typename F>
bool resolve(QLibrary& lib, const char* name, F& target, QString& error) {
  target = reinterpret_cast<F>(lib.resolve(name));
  if (!target && error.isEmpty()) error = QStringLiteral("%1 lacks %2").arg(lib.fileName(), QLatin1String(name));
  return target != nullptr;
}

const Loaded& loaded() {
  static Loaded l;
  static std::once_flag once;
  std::call_once(once, [] {
    // The library stays loaded for the life of the process (QLibrary does not unload on destruction).
    QLibrary lib(QStringLiteral(CONS_CURL_LIBRARY_NAME), 4);
    if (!lib.load()) {
      l.error = lib.errorString();
      return;
    }
    CurlApi& a = l.api;
    QString& e = l.error;
    const bool all = resolve(lib, "curl_global_init", a.global_init, e) & resolve(lib, "curl_easy_init", a.easy_init, e) &
                     resolve(lib, "curl_easy_cleanup", a.easy_cleanup, e) &
                     resolve(lib, "curl_easy_setopt", a.easy_setopt, e) &
                     resolve(lib, "curl_easy_perform", a.easy_perform, e) &
                     resolve(lib, "curl_easy_getinfo", a.easy_getinfo, e) &
                     resolve(lib, "curl_easy_strerror", a.easy_strerror, e) &
                     resolve(lib, "curl_slist_append", a.slist_append, e) &
                     resolve(lib, "curl_slist_free_all", a.slist_free_all, e);
    if (!all) return;
    const CURLcode rc = a.global_init(CURL_GLOBAL_DEFAULT);
    if (rc != CURLE_OK) {
      l.error = QStringLiteral("libcurl could not be initialised: %1").arg(QString::fromUtf8(a.easy_strerror(rc)));
      return;
    }
    l.ok = true;
  });
  return l;
}

}  // namespace

const CurlApi* curlApi() {
  const Loaded& l = loaded();
  return l.ok ? &l.api : nullptr;
}

Easy newEasy(char* errorBuffer) {
  errorBuffer[0] = '\0';
  const CurlApi* api = curlApi();
  if (!api) {
    const QByteArray why = loaded().error.toUtf8().left(CURL_ERROR_SIZE - 1);
    std::memcpy(errorBuffer, why.constData(), size_t(why.size()));
    errorBuffer[why.size()] = '\0';
    return Easy();
  }
  Easy e(api->easy_init());
  if (!e) return e;
  api->easy_setopt(e.get(), CURLOPT_NOSIGNAL, 1L);
  api->easy_setopt(e.get(), CURLOPT_ERRORBUFFER, errorBuffer);
  return e;
}

QString startFailure(const QString& what, const char* errorBuffer) {
  const QString why = QString::fromUtf8(errorBuffer).trimmed();
  return why.isEmpty() ? what : what + QStringLiteral(": ") + why;
}

QString curlMessage(CURLcode code, const char* errorBuffer) {
  const QString detail = QString::fromUtf8(errorBuffer).trimmed();
  if (!detail.isEmpty()) return detail;
  const CurlApi* api = curlApi();
  return api ? QString::fromUtf8(api->easy_strerror(code)) : QStringLiteral("libcurl error %1").arg(int(code));
}

QString urlHost(const QString& host) {
  const QString h = host.trimmed();
  if (h.contains(u':') && !h.startsWith(u'[')) return u'[' + h + u']';
  return h;
}

}  // namespace net::detail
