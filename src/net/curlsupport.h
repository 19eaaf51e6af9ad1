// Shared libcurl set-up of the network clients (not part of the layer's interface).
#pragma once

#include <QString>
#include <curl/curl.h>
#include <memory>

namespace net::detail {

// Initialises libcurl once for the process (safe from any thread).
void ensureCurl();

struct EasyDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

// A new handle with the settings every client wants: no signals (handles run on worker threads),
// the error buffer attached.
Easy newEasy(char* errorBuffer);

// curl's own words for a failure: the detailed text of the error buffer, else the code's text.
QString curlMessage(CURLcode code, const char* errorBuffer);

// Host part of a URL: IPv6 literals in brackets.
QString urlHost(const QString& host);

}  // namespace net::detail
