#include "net/http.h"
#include "testservers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace net;

namespace {

class Http : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    log_ = dir_.filePath(QStringLiteral("requests.log"));
    server_ = std::make_unique<nettest::TestServer>(QStringLiteral("http_server.py"),
                                                    QStringList{QStringLiteral("--log"), log_});
    ASSERT_TRUE(server_->ok()) << server_->error().toStdString();
  }

  QString url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(server_->port()).arg(path);
  }

  QStringList recordedPaths() const {
    QFile f(log_);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
  }

  QTemporaryDir dir_;
  QString log_;
  std::unique_ptr<nettest::TestServer> server_;
};

TEST_F(Http, GetReachesTheServerWithItsQuery) {
  const HttpResult r = httpGet(url(QStringLiteral("weborder/weborderxml.php?filename=Z01_20160305&zone=Z01")));
  EXPECT_TRUE(r.ok) << r.message.toStdString();
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, QByteArray("OK"));
  EXPECT_EQ(recordedPaths(), QStringList{QStringLiteral("/weborder/weborderxml.php?filename=Z01_20160305&zone=Z01")});
}

TEST_F(Http, AnErrorStatusIsAFailure) {
  const HttpResult r = httpGet(url(QStringLiteral("status/404")));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, 404);
  EXPECT_EQ(r.message, QStringLiteral("HTTP 404"));
}

TEST_F(Http, OnlyHttpUrlsAreFetched) {
  for (const QString& u : {QStringLiteral("file:///etc/hostname"),
                           QStringLiteral("ftp://127.0.0.1:%1/").arg(server_->port()), QStringLiteral("not a url")}) {
    const HttpResult r = httpGet(u);
    EXPECT_FALSE(r.ok) << u.toStdString();
    EXPECT_TRUE(r.body.isEmpty()) << u.toStdString();
  }
  EXPECT_TRUE(recordedPaths().isEmpty());
}

TEST_F(Http, BackgroundRequestsAllArriveAndAreDrained) {
  BackgroundGet background(10000, 3);
  QSet<QString> expected;
  for (int id = 1; id <= 8; ++id) {
    const QString path = QStringLiteral("weborder/upordertransfer.php?Id=%1&Transfer=Y").arg(id);
    expected.insert(u'/' + path);
    background.start(url(path));
  }
  ASSERT_TRUE(background.waitForDone(30000));
  EXPECT_EQ(background.pending(), 0);
  EXPECT_EQ(background.succeeded(), 8);
  EXPECT_EQ(background.failed(), 0);
  EXPECT_EQ(background.outcomes().size(), 8);
  const QStringList paths = recordedPaths();
  EXPECT_EQ(QSet<QString>(paths.begin(), paths.end()), expected);
}

TEST_F(Http, ABackgroundRequestEndsByItselfAtItsTimeOut) {
  BackgroundGet background(300, 1);
  QElapsedTimer timer;
  timer.start();
  background.start(url(QStringLiteral("slow?seconds=20")));
  background.start(url(QStringLiteral("status/500")));
  ASSERT_TRUE(background.waitForDone(15000)) << "the slow request did not end at its time-out";
  EXPECT_LT(timer.elapsed(), 15000);
  EXPECT_EQ(background.failed(), 2);
  const auto outcomes = background.outcomes();
  ASSERT_EQ(outcomes.size(), 2);
  EXPECT_TRUE(outcomes[0].url.endsWith(QStringLiteral("slow?seconds=20")));
  EXPECT_FALSE(outcomes[0].ok);
  EXPECT_EQ(outcomes[0].status, 0);
  EXPECT_EQ(outcomes[1].status, 500);
}

// Closing the owner (the window) does not wait on the network: a request that hangs is left to
// end on its own, and the other requests still arrive.
TEST_F(Http, ClosingTheOwnerDoesNotWaitForRequestsUnderWay) {
  QElapsedTimer timer;
  {
    BackgroundGet background(30000, 2);
    background.start(url(QStringLiteral("slow?seconds=8")));
    background.start(url(QStringLiteral("weborder/upordertransfer.php?Id=9&Transfer=Y")));
    timer.start();
  }  // the owner goes while the slow request waits for its answer
  EXPECT_LT(timer.elapsed(), 4000) << "the owner waited for the slow answer";
  EXPECT_TRUE(net::AbandonedRequestsUnderWay());
  ASSERT_TRUE(net::WaitForAbandonedRequests(60000));
  EXPECT_FALSE(net::AbandonedRequestsUnderWay());
  EXPECT_TRUE(recordedPaths().contains(QStringLiteral("/weborder/upordertransfer.php?Id=9&Transfer=Y")));
}

TEST(HttpNoServer, NothingListeningIsAFailure) {
  const nettest::ClosedPort closed;
  const HttpResult r = httpGet(QStringLiteral("http://127.0.0.1:%1/x").arg(closed.port()), 3000);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(r.message.isEmpty());
}

}  // namespace
