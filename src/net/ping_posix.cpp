// The reachability test on POSIX systems: ICMP echo through a datagram or raw socket, or a TCP
// connection attempt.
#include "net/ping.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

namespace net {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kNotReached = -1;
constexpr int kFailed = -2;
constexpr int kUnavailable = -3;  // the method is not permitted here

struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

int elapsedMs(Clock::time_point start) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

int remainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool notPermitted(int err) {
  return err == EACCES || err == EPERM || err == EPROTONOSUPPORT || err == EAFNOSUPPORT || err == ESOCKTNOSUPPORT ||
         err == EINVAL;
}

quint16 checksum(const unsigned char* data, size_t len) {
  quint32 sum = 0;
  for (size_t i = 0; i + 1 < len; i += 2) sum += (data[i] << 8) | data[i + 1];
  if (len & 1) sum += data[len - 1] << 8;
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<quint16>(~sum);
}

// Resolves to the first IPv4 address: 0 on success, else kNotReached or kFailed.
int resolve(const QString& host, in_addr* out) {
  const QByteArray name = host.trimmed().toLatin1();
  if (inet_pton(AF_INET, name.constData(), out) == 1) return 0;
  if (!isPlausibleHostName(host)) return kNotReached;  // no lookup for a name that cannot exist
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  const int rc = getaddrinfo(name.constData(), nullptr, &hints, &list);
  if (rc != 0) {
    switch (rc) {
      case EAI_NONAME:
      case EAI_AGAIN:
#ifdef EAI_NODATA
      case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
      case EAI_ADDRFAMILY:
#endif
        return kNotReached;
      default:
        return kFailed;
    }
  }
  *out = reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr;
  freeaddrinfo(list);
  return 0;
}

quint16 nextSequence() {
  static std::atomic<quint16> seq{static_cast<quint16>(::getpid())};
  return ++seq;
}

// One echo request through a datagram (kernel-managed identifier) or raw socket.
int icmpEcho(const in_addr& addr, int timeoutMs, bool raw) {
  Fd s(::socket(AF_INET, (raw ? SOCK_RAW : SOCK_DGRAM) | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMP));
  if (s.fd < 0) return notPermitted(errno) ? kUnavailable : kFailed;

  const quint16 id = static_cast<quint16>(::getpid() & 0xFFFF);
  const quint16 seq = nextSequence();
  unsigned char request[8] = {ICMP_ECHO, 0, 0, 0, static_cast<unsigned char>(id >> 8),
                              static_cast<unsigned char>(id & 0xFF), static_cast<unsigned char>(seq >> 8),
                              static_cast<unsigned char>(seq & 0xFF)};
  const quint16 sum = checksum(request, sizeof request);
  request[2] = static_cast<unsigned char>(sum >> 8);
  request[3] = static_cast<unsigned char>(sum & 0xFF);

  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr = addr;
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::milliseconds(timeoutMs);
  if (::sendto(s.fd, request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0)
    return (errno == EHOSTUNREACH || errno == ENETUNREACH) ? kNotReached : kFailed;

  unsigned char reply[1500];
  for (;;) {
    pollfd p{s.fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, remainingMs(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return kFailed;
    if (ready == 0) return kNotReached;  // the request timed out
    sockaddr_in from{};
    socklen_t fromLen = sizeof from;
    const ssize_t n = ::recvfrom(s.fd, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return (errno == ECONNREFUSED || errno == EHOSTUNREACH || errno == ENETUNREACH) ? kNotReached : kFailed;
    }
    const unsigned char* icmp = reply;
    ssize_t len = n;
    if (raw) {
      // A raw socket sees every ICMP packet with its IP header, our own requests included.
      if (len < 20) continue;
      const int headerLen = (reply[0] & 0x0F) * 4;
      if (len < headerLen + 8) continue;
      icmp += headerLen;
      len -= headerLen;
      if (from.sin_addr.s_addr != addr.s_addr) continue;
    }
    if (len < 8) continue;
    const quint16 replySeq = static_cast<quint16>((icmp[6] << 8) | icmp[7]);
    const quint16 replyId = static_cast<quint16>((icmp[4] << 8) | icmp[5]);
    if (icmp[0] == ICMP_ECHOREPLY && replySeq == seq && (!raw || replyId == id)) return elapsedMs(start);
    if (raw && icmp[0] == ICMP_DEST_UNREACH && len >= 8 + 20 + 8) {
      // The unreachable report quotes our request: match it, then report no answer.
      const unsigned char* inner = icmp + 8;
      const unsigned char* quoted = inner + (inner[0] & 0x0F) * 4;
      if (quoted + 8 <= icmp + len && quoted[0] == ICMP_ECHO &&
          static_cast<quint16>((quoted[6] << 8) | quoted[7]) == seq)
        return kNotReached;
    }
  }
}

int tcpProbe(const in_addr& addr, quint16 port, int timeoutMs) {
  Fd s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (s.fd < 0) return kFailed;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr = addr;
  to.sin_port = htons(port);
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::milliseconds(timeoutMs);
  if (::connect(s.fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return elapsedMs(start);
  if (errno != EINPROGRESS) {
    return (errno == ECONNREFUSED || errno == EHOSTUNREACH || errno == ENETUNREACH || errno == ETIMEDOUT)
               ? kNotReached
               : kFailed;
  }
  for (;;) {
    pollfd p{s.fd, POLLOUT, 0};
    const int ready = ::poll(&p, 1, remainingMs(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return kFailed;
    if (ready == 0) return kNotReached;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return kFailed;
    if (err == 0) return elapsedMs(start);
    return (err == ECONNREFUSED || err == EHOSTUNREACH || err == ENETUNREACH || err == ETIMEDOUT) ? kNotReached
                                                                                                  : kFailed;
  }
}

}  // namespace

PingReport pingHostReport(const QString& host, int timeoutMs, PingMethod method, quint16 tcpPort) {
  PingReport report;
  report.method = method;
  timeoutMs = std::max(1, timeoutMs);
  in_addr addr{};
  const int resolved = resolve(host, &addr);
  if (resolved != 0) {
    report.result = resolved;
    return report;
  }
  auto run = [&](PingMethod m) {
    report.method = m;
    switch (m) {
      case PingMethod::IcmpDatagram: return icmpEcho(addr, timeoutMs, false);
      case PingMethod::IcmpRaw: return icmpEcho(addr, timeoutMs, true);
      case PingMethod::Tcp: return tcpProbe(addr, tcpPort, timeoutMs);
      case PingMethod::Auto: break;
    }
    return kFailed;
  };
  if (method != PingMethod::Auto) {
    const int r = run(method);
    report.result = r == kUnavailable ? kFailed : r;
    return report;
  }
  for (PingMethod m : {PingMethod::IcmpDatagram, PingMethod::IcmpRaw, PingMethod::Tcp}) {
    const int r = run(m);
    if (r != kUnavailable) {
      report.result = r;
      return report;
    }
  }
  report.result = kFailed;
  return report;
}

}  // namespace net
