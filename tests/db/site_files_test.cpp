// The embedded site's files while a connection has them open: whatever else the process does with
// them, another process sees the connection as open (its locks stay), and the site's folder is
// recognised as such.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "db.h"

namespace {

// The files of `folder` that this process has open although they were deleted.
QStringList deletedOpenFiles(const QString& folder) {
  QStringList deleted;
  const QString canonical = QFileInfo(folder).canonicalFilePath();
  for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files)) {
    const QString target = fd.symLinkTarget();
    if (target.startsWith(canonical) && target.endsWith(QLatin1String(" (deleted)"))) deleted << target;
  }
  return deleted;
}

// Runs the sqlite3 shell, another process, on the file; returns what it printed.
QString otherProcess(const QString& file, const QString& sql) {
  QProcess p;
  p.start(QStringLiteral("sqlite3"), {file, sql});
  EXPECT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

TEST(SiteFiles, TheProcessOpeningAndClosingTheFilesLeavesTheConnectionsLocksInPlace) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  db::Connection conn(QStringLiteral("T"));
  conn.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=SITE", "CREATE DATABASE=TRUE"};
  conn.execute(QStringLiteral("Create Table Doc (No VarChar(20))"));
  conn.execute(QStringLiteral("Insert Into Doc (No) Values ('D1')"));
  const QString file = db::embeddedDatabaseFile(dir.path(), QStringLiteral("SITE"));
  ASSERT_TRUE(QFile::exists(file + "-wal"));
  ASSERT_TRUE(QFile::exists(file + "-shm"));

  // What a file dialog does to learn a file's type: open it, read its first bytes, close it.
  const QStringList files = QDir(dir.path()).entryList(QDir::Files);
  ASSERT_EQ(files.size(), 3) << files.join(' ').toStdString();
  for (const QString& name : files) {
    QFile f(QDir(dir.path()).filePath(name));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    f.read(4096);
    f.close();
  }

  // Another process opens the database and ends: it must not take itself for the last one and
  // remove the write-ahead log and the shared memory this connection still uses.
  EXPECT_EQ(otherProcess(file, QStringLiteral("Select Count(*) From Doc;")).toStdString(), "1");
  EXPECT_TRUE(QFile::exists(file + "-wal"));
  EXPECT_TRUE(QFile::exists(file + "-shm"));
  EXPECT_EQ(deletedOpenFiles(dir.path()).join(' ').toStdString(), "");

  // What the connection writes afterwards, other processes see.
  conn.execute(QStringLiteral("Insert Into Doc (No) Values ('D2')"));
  EXPECT_EQ(otherProcess(file, QStringLiteral("Select Group_Concat(No, ',') From Doc;")).toStdString(), "D1,D2");
  // ... and the other process's writes are seen by the connection.
  otherProcess(file, QStringLiteral("Insert Into Doc (No) Values ('D3');"));
  EXPECT_EQ(conn.select(QStringLiteral("Select Count(*) As N From Doc")).asInt(QStringLiteral("N")), 3);

  EXPECT_TRUE(db::isEmbeddedSiteFolder(dir.path()));
  EXPECT_FALSE(db::isEmbeddedSiteFolder(QDir::tempPath()));
}

TEST(SiteFiles, NetworkFileSystemsAreNamedAndLocalOnesAreNot) {
  struct Case {
    unsigned long type;
    const char* name;
  };
  const Case cases[] = {
      {0x6969UL, "NFS"},       {0xFF534D42UL, "CIFS"}, {0xFE534D42UL, "SMB2"}, {0x517BUL, "SMB"},
      {0xEF53UL, ""} /*ext4*/, {0x01021994UL, ""} /*tmpfs*/, {0x58465342UL, ""} /*xfs*/, {0x9123683EUL, ""} /*btrfs*/,
  };
  for (const Case& c : cases)
    EXPECT_EQ(db::networkFileSystemName(c.type).toStdString(), c.name) << std::hex << c.type;
}

}  // namespace
