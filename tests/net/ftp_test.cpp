#include "net/ftp.h"
#include "testservers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace net;

namespace {

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

class FtpDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root_.isValid() && local_.isValid());
    order_ = QStringLiteral(
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<orders><order><customercode>C001</customercode>"
                 "<orderno>ร้านสมชาย</orderno></order></orders>\n")
                 .toUtf8();
    writeFile(root_.filePath(QStringLiteral("public_html/reportout/Z01_20160305.xml")), order_);
    QByteArray big;
    for (int i = 0; i < 20000; ++i) big += "line " + QByteArray::number(i) + "\n";
    writeFile(root_.filePath(QStringLiteral("public_html/reportout/broken.xml")), big);
    server_ = std::make_unique<nettest::TestServer>(
        QStringLiteral("ftp_server.py"),
        QStringList{QStringLiteral("--root"), root_.path(), QStringLiteral("--user"), QStringLiteral("varnotek"),
                    QStringLiteral("--password"), QStringLiteral("quenmarl")});
    ASSERT_TRUE(server_->ok()) << server_->error().toStdString();
  }

  FtpSettings settings() const {
    FtpSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = server_->port();
    s.user = QStringLiteral("varnotek");
    s.password = QStringLiteral("quenmarl");
    return s;
  }

  QString localFile() const { return local_.filePath(QStringLiteral("Z01_20160305.xml")); }
  QStringList localEntries() const {
    return QDir(local_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir root_;
  QTemporaryDir local_;
  QByteArray order_;
  std::unique_ptr<nettest::TestServer> server_;
};

TEST_F(FtpDownload, FetchesTheRemoteFileInPassiveAndActiveMode) {
  for (bool passive : {true, false}) {
    QFile::remove(localFile());
    FtpSettings s = settings();
    s.passive = passive;
    const FtpResult r = ftpDownload(s, QStringLiteral("public_html/reportout/Z01_20160305.xml"), localFile());
    ASSERT_TRUE(r.ok) << "passive " << passive << ": " << r.message.toStdString();
    EXPECT_EQ(r.stage, FtpResult::Stage::None);
    EXPECT_EQ(r.bytes, order_.size());
    EXPECT_EQ(readFile(localFile()), order_);
    EXPECT_EQ(localEntries(), QStringList{QStringLiteral("Z01_20160305.xml")});
  }
}

TEST_F(FtpDownload, ReplacesAnOlderLocalFile) {
  writeFile(localFile(), "old file from yesterday, much longer than the new one ..........................");
  const FtpResult r = ftpDownload(settings(), QStringLiteral("public_html/reportout/Z01_20160305.xml"), localFile());
  ASSERT_TRUE(r.ok) << r.message.toStdString();
  EXPECT_EQ(readFile(localFile()), order_);
}

TEST_F(FtpDownload, MissingRemoteFileFailsAndKeepsTheOlderLocalFile) {
  writeFile(localFile(), "older file");
  const FtpResult r = ftpDownload(settings(), QStringLiteral("public_html/reportout/Z09_20160305.xml"), localFile());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.stage, FtpResult::Stage::NotFound) << "the one answer that means the server has no such file";
  EXPECT_FALSE(r.message.isEmpty());
  EXPECT_EQ(readFile(localFile()), QByteArray("older file"));
  EXPECT_EQ(localEntries(), QStringList{QStringLiteral("Z01_20160305.xml")});
}

TEST_F(FtpDownload, MissingRemoteFolderFails) {
  const FtpResult r = ftpDownload(settings(), QStringLiteral("public_html/nowhere/Z01_20160305.xml"), localFile());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.stage, FtpResult::Stage::Transfer);
  EXPECT_TRUE(localEntries().isEmpty());
}

TEST_F(FtpDownload, WrongPasswordFailsAtTheConnection) {
  FtpSettings s = settings();
  s.password = QStringLiteral("wrong");
  const FtpResult r = ftpDownload(s, QStringLiteral("public_html/reportout/Z01_20160305.xml"), localFile());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.stage, FtpResult::Stage::Connect);
  EXPECT_FALSE(r.message.isEmpty());
  EXPECT_TRUE(localEntries().isEmpty());
}

TEST_F(FtpDownload, ConnectionClosedMidTransferFailsAndLeavesNoFile) {
  const QString target = local_.filePath(QStringLiteral("broken.xml"));
  const FtpResult r = ftpDownload(settings(), QStringLiteral("public_html/reportout/broken.xml"), target);
  EXPECT_FALSE(r.ok) << "a cut-off file was reported as downloaded (" << r.bytes << " bytes)";
  EXPECT_EQ(r.stage, FtpResult::Stage::Transfer);
  EXPECT_FALSE(r.message.isEmpty());
  EXPECT_TRUE(localEntries().isEmpty()) << localEntries().join(u',').toStdString();
}

TEST_F(FtpDownload, LocalFolderThatCannotBeWrittenFails) {
  const FtpResult r = ftpDownload(settings(), QStringLiteral("public_html/reportout/Z01_20160305.xml"),
                                  local_.filePath(QStringLiteral("no/such/folder/x.xml")));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.stage, FtpResult::Stage::Transfer);
  EXPECT_TRUE(r.message.contains(QStringLiteral("x.xml"))) << r.message.toStdString();
}

// A server that cuts the file off: its 226 after fewer bytes than it announced (by SIZE, or in its
// 150 reply), a 426, or both connections dropped. Each is a failed transfer, never "no such file":
// no partial file is left and an older local file stays as it was.
TEST(FtpDownloadCut, ATransferCutShortFailsAndIsNoMissingFile) {
  QTemporaryDir root, local;
  QByteArray big;
  for (int i = 0; i < 20000; ++i) big += "<line>" + QByteArray::number(i) + "</line>\n";
  writeFile(root.filePath(QStringLiteral("public_html/reportout/Z01_20160305.xml")), big);
  const struct {
    const char* what;
    QStringList args;
  } cases[] = {
      {"226 short of the SIZE answer", {"--cut", "226"}},
      {"226 short of the size in the 150 reply", {"--cut", "226", "--no-size", "--announce-size"}},
      {"426", {"--cut", "426", "--no-size"}},
      {"both connections dropped", {"--cut", "drop", "--no-size"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    nettest::TestServer server(QStringLiteral("ftp_server.py"),
                               QStringList{QStringLiteral("--root"), root.path(), QStringLiteral("--user"), QStringLiteral("varnotek"),
                                           QStringLiteral("--password"), QStringLiteral("quenmarl")} +
                                   c.args);
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    FtpSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = server.port();
    s.user = QStringLiteral("varnotek");
    s.password = QStringLiteral("quenmarl");
    const QString target = local.filePath(QStringLiteral("Z01_20160305.xml"));
    writeFile(target, "yesterday's file");
    const FtpResult r = ftpDownload(s, QStringLiteral("public_html/reportout/Z01_20160305.xml"), target);
    EXPECT_FALSE(r.ok) << "a cut-off file was reported as downloaded (" << r.bytes << " bytes)";
    EXPECT_EQ(r.stage, FtpResult::Stage::Transfer) << r.message.toStdString();
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_EQ(readFile(target), QByteArray("yesterday's file"));
    EXPECT_EQ(QDir(local.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{QStringLiteral("Z01_20160305.xml")})
        << "no temporary file is left";
  }
}

TEST(FtpDownloadNoServer, NothingListeningFailsAtTheConnection) {
  QTemporaryDir local;
  FtpSettings s;
  s.host = QStringLiteral("127.0.0.1");
  const nettest::ClosedPort closed;
  s.port = closed.port();
  s.user = QStringLiteral("varnotek");
  s.password = QStringLiteral("quenmarl");
  const FtpResult r = ftpDownload(s, QStringLiteral("a.xml"), local.filePath(QStringLiteral("a.xml")));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.stage, FtpResult::Stage::Connect);
  EXPECT_FALSE(QFile::exists(local.filePath(QStringLiteral("a.xml"))));
}

}  // namespace
