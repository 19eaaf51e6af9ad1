#include "net/ping.h"
#include "testservers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace net;

namespace {

TEST(Ping, LoopbackAnswers) {
  const PingReport r = pingHostReport(QStringLiteral("127.0.0.1"), 2000);
  if (r.method == PingMethod::Tcp)
    GTEST_SKIP() << "this system permits no ICMP socket; the TCP fallback is tested below";
  EXPECT_GE(r.result, 0);
  EXPECT_GE(PingHost(QStringLiteral("localhost"), 2000), 0);
}

TEST(Ping, EachPermittedIcmpMethodAnswers) {
  int tried = 0;
  for (PingMethod m : {PingMethod::IcmpDatagram, PingMethod::IcmpRaw}) {
    const PingReport r = pingHostReport(QStringLiteral("127.0.0.1"), 2000, m);
    EXPECT_EQ(r.method, m);
    if (r.result == -2) continue;  // not permitted here
    ++tried;
    EXPECT_GE(r.result, 0) << "method " << static_cast<int>(m);
  }
  if (tried == 0) GTEST_SKIP() << "no ICMP socket permitted here";
}

TEST(Ping, NamesThatCannotExistAreNotFound) {
  // Refused before any lookup: no query leaves the machine.
  for (const char* name : {"no such host", "bad..name", "-bad-", "", "x_y:z", "a.b.c.d.e.f.g.h-"}) {
    EXPECT_FALSE(isPlausibleHostName(QString::fromLatin1(name))) << name;
    EXPECT_EQ(PingHost(QString::fromLatin1(name), 500), -1) << name;
  }
  for (const char* name : {"localhost", "db-server.example.co.th", "10.0.0.1", "host_1."})
    EXPECT_TRUE(isPlausibleHostName(QString::fromLatin1(name))) << name;
}

TEST(Ping, TcpFallbackWithNothingListeningIsNoAnswer) {
  const nettest::ClosedPort closed;
  const PingReport r = pingHostReport(QStringLiteral("127.0.0.1"), 2000, PingMethod::Tcp, closed.port());
  EXPECT_EQ(r.method, PingMethod::Tcp);
  EXPECT_EQ(r.result, -1);
}

TEST(Ping, TcpFallbackToAListeningPortAnswers) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(fd, 4), 0);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  const PingReport r = pingHostReport(QStringLiteral("127.0.0.1"), 2000, PingMethod::Tcp, ntohs(a.sin_port));
  ::close(fd);
  EXPECT_EQ(r.method, PingMethod::Tcp);
  EXPECT_GE(r.result, 0);
}

}  // namespace
