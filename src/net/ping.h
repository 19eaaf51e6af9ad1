// Reachability test of a server (the head office's database server).
//
// PingHost sends one ICMP echo request and returns the round-trip time in milliseconds (0 or
// more), -1 when the host is not found or does not answer within the time-out, and -2 for other
// failures. ICMP goes through an unprivileged datagram ICMP socket where the system allows it
// (Linux: net.ipv4.ping_group_range), else through a raw socket where the process may open one;
// where neither is permitted, a TCP connection to the database port (1433) within the same
// time-out stands in for the echo: connected is an answer, refused or silent is not.
// See docs/network.md.
#pragma once

#include <QString>

namespace net {

enum class PingMethod { Auto, IcmpDatagram, IcmpRaw, Tcp };

struct PingReport {
  int result = -2;                    // as PingHost
  PingMethod method = PingMethod::Auto;  // the method that gave the result
};

// `method` Auto tries the datagram socket, the raw socket, then TCP; a named ICMP method that the
// system does not permit gives -2.
PingReport pingHostReport(const QString& host, int timeoutMs, PingMethod method = PingMethod::Auto,
                          quint16 tcpPort = 1433);

int PingHost(const QString& host, int timeoutMs);

// Whether `host` is a name or dotted address that may be looked up at all (letters, digits, "-",
// "_" and "." in labels of 1 to 63 characters, 253 characters at most).
bool isPlausibleHostName(const QString& host);

}  // namespace net
