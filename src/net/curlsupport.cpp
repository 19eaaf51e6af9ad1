#include "net/curlsupport.h"

#include <mutex>

namespace net::detail {

void ensureCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

Easy newEasy(char* errorBuffer) {
  ensureCurl();
  Easy e(curl_easy_init());
  if (!e) return e;
  errorBuffer[0] = '\0';
  curl_easy_setopt(e.get(), CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e.get(), CURLOPT_ERRORBUFFER, errorBuffer);
  return e;
}

QString curlMessage(CURLcode code, const char* errorBuffer) {
  const QString detail = QString::fromUtf8(errorBuffer).trimmed();
  return detail.isEmpty() ? QString::fromUtf8(curl_easy_strerror(code)) : detail;
}

QString urlHost(const QString& host) {
  const QString h = host.trimmed();
  if (h.contains(u':') && !h.startsWith(u'[')) return u'[' + h + u']';
  return h;
}

}  // namespace net::detail
