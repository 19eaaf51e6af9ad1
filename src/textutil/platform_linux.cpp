// Linux (and other POSIX systems): host name from gethostname, addresses of the network
// interfaces that are up, user name from the login record or the password database.
#include "textutil/platform.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace textutil::platform {

QString hostName() {
  char buf[256] = {};
  if (gethostname(buf, sizeof buf - 1) != 0) return QString();
  return QString::fromLocal8Bit(buf);
}

QStringList ipv4Addresses() {
  QStringList out;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return out;
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET || !(a->ifa_flags & IFF_UP)) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* sin = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
    if (inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text)) out << QString::fromLatin1(text);
  }
  freeifaddrs(list);
  return out;
}

std::optional<QString> logonUserName() {
  char buf[256] = {};
  if (getlogin_r(buf, sizeof buf - 1) == 0 && buf[0]) return QString::fromLocal8Bit(buf);
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  if (size <= 0) size = 16384;
  std::vector<char> storage(static_cast<size_t>(size));
  passwd pw{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &pw, storage.data(), storage.size(), &found) == 0 && found && found->pw_name &&
      found->pw_name[0])
    return QString::fromLocal8Bit(found->pw_name);
  const QString env = qEnvironmentVariable("USER");
  if (!env.isEmpty()) return env;
  return std::nullopt;
}

}  // namespace textutil::platform
