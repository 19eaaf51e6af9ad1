// The platform calls behind the shared helpers. One file per platform implements them
// (platform_linux.cpp; a Windows build supplies platform_windows.cpp).
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace textutil::platform {

// The host name as the system reports it (may carry blanks or control characters).
QString hostName();
// This computer's IPv4 addresses in dotted notation, in the order the system lists them; loopback
// addresses are included.
QStringList ipv4Addresses();
// The logged-on user's name, or nothing when it cannot be read.
std::optional<QString> logonUserName();

}  // namespace textutil::platform
