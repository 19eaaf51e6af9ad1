// Shared libcurl set-up of the network clients (not part of the layer's interface).
//
// libcurl and the two dozen libraries it pulls in (TLS, Kerberos, LDAP, SSH, ...) are loaded on
// the first network use, not at start-up: most runs of the program never touch the network, and
// loading them cost a good part of the time to the first window.
#pragma once

#include <QString>
#include <curl/curl.h>
#include <memory>

namespace net::detail {

// The libcurl functions the clients use, resolved from the library loaded at run time.
struct CurlApi {
  CURLcode (*global_init)(long flags);
  CURL* (*easy_init)();
  void (*easy_cleanup)(CURL* handle);
  CURLcode (*easy_setopt)(CURL* handle, CURLoption option, ...);
  CURLcode (*easy_perform)(CURL* handle);
  CURLcode (*easy_getinfo)(CURL* handle, CURLINFO info, ...);
  const char* (*easy_strerror)(CURLcode code);
  curl_slist* (*slist_append)(curl_slist* list, const char* text);
  void (*slist_free_all)(curl_slist* list);
};

// Loads and initialises libcurl once for the process (safe from any thread). Null when the library
// cannot be loaded or initialised (newEasy then says why).
const CurlApi* curlApi();

// The loaded library; only valid after newEasy gave a handle.
inline const CurlApi& curl() { return *curlApi(); }

struct EasyDeleter {
  void operator()(CURL* c) const { curl().easy_cleanup(c); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

// A new handle with the settings every client wants: no signals (handles run on worker threads),
// the error buffer attached. Null when libcurl is missing or refuses; errorBuffer then holds why.
Easy newEasy(char* errorBuffer);

// "Cannot start the ... client", with the reason newEasy left in the error buffer.
QString startFailure(const QString& what, const char* errorBuffer);

// curl's own words for a failure: the detailed text of the error buffer, else the code's text.
QString curlMessage(CURLcode code, const char* errorBuffer);

// Host part of a URL: IPv6 literals in brackets.
QString urlHost(const QString& host);

}  // namespace net::detail
