// Two clerks on one embedded site while one of them goes through the PDF file dialog to the site's
// folder: the dialog and anything else that opens and closes the site's files in that process must
// not take the database's locks away, or the other clerk's exit removes the write-ahead log under
// the first clerk's connection and what the first clerk saves next is lost.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include "app_fixture.h"
#include "db.h"
#include "processes.h"

namespace {

using reliability::Process;

TEST(SiteSharing, AFileDialogOnTheSiteFolderLosesNoDocumentWhenAnotherClerkLeaves) {
  testsupport::TempSite site;
  QTemporaryDir logs;
  const QStringList answers{QStringLiteral("yes"), QStringLiteral("yes")};
  Process a(reliability::driverPath(),
            QStringList{QStringLiteral("dialog"), QStringLiteral("Z01,Z04"), QStringLiteral("--")} +
                reliability::programArguments(200),
            site.folder(), logs.filePath(QStringLiteral("a.jsonl")), answers);
  ASSERT_TRUE(a.waitReady()) << a.errorText().toStdString();

  // Clerk B saves a consolidation of another zone and leaves while A keeps its connection.
  QString ofB;
  {
    Process b(reliability::driverPath(),
              QStringList{QStringLiteral("conso"), QStringLiteral("Z03"), QStringLiteral("--")} +
                  reliability::programArguments(200),
              site.folder(), logs.filePath(QStringLiteral("b.jsonl")), answers);
    ASSERT_TRUE(b.waitReady()) << b.errorText().toStdString();
    b.go();
    ASSERT_TRUE(b.finish());
    ASSERT_EQ(b.exitCode(), 0) << b.errorText().toStdString();
    const QStringList out = b.outputLines();
    ASSERT_EQ(out.size(), 2) << out.join('\n').toStdString();
    ASSERT_TRUE(out[1].startsWith(QLatin1String("saved "))) << out[1].toStdString();
    ofB = out[1].mid(6);
  }
  const QString company = db::embeddedDatabaseFile(site.folder(), site.companyDatabase());
  EXPECT_TRUE(QFile::exists(company + "-wal")) << "the write-ahead log of a database A still uses was removed";
  EXPECT_TRUE(QFile::exists(company + "-shm")) << "the shared memory of a database A still uses was removed";

  a.go();
  ASSERT_TRUE(a.finish());
  ASSERT_EQ(a.exitCode(), 0) << a.errorText().toStdString();
  const QStringList out = a.outputLines();
  ASSERT_EQ(out.size(), 4) << out.join('\n').toStdString();
  ASSERT_TRUE(out[0].startsWith(QLatin1String("saved "))) << out[0].toStdString();
  // The dialog opened in a folder of the clerk's, not in the site's.
  ASSERT_TRUE(out[1].startsWith(QLatin1String("dialog-folder "))) << out[1].toStdString();
  const QString openedIn = out[1].mid(14);
  EXPECT_TRUE(QFileInfo(openedIn).isDir()) << openedIn.toStdString();
  EXPECT_NE(QFileInfo(openedIn).canonicalFilePath(), QFileInfo(site.folder()).canonicalFilePath());
  EXPECT_EQ(out[2].toStdString(), "deleted-files 0") << "A's files were deleted under its connection";
  ASSERT_TRUE(out[3].startsWith(QLatin1String("saved "))) << out[3].toStdString();
  const QString firstOfA = out[0].mid(6), secondOfA = out[3].mid(6);

  auto db = site.openCompany();
  const db::Result docs = db->select(QStringLiteral(
      "Select H.Id, H.DocNo, Count(D.Id) As Lines From ConsolidateHd H Inner Join ConsolidateDt D "
      "On D.ConsolidateHd = H.Id Where H.Delflag = 'N' And H.Confirm = 'N' Group By H.Id, H.DocNo"));
  QStringList numbers;
  for (int r = 0; r < docs.rowCount(); ++r) numbers << docs.at(r, docs.findColumn(QStringLiteral("DocNo"))).toString();
  EXPECT_TRUE(numbers.contains(ofB)) << numbers.join(' ').toStdString();
  EXPECT_TRUE(numbers.contains(firstOfA)) << numbers.join(' ').toStdString();
  EXPECT_TRUE(numbers.contains(secondOfA)) << "A's second document is not stored: " << numbers.join(' ').toStdString();
  EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), numbers.size()) << "a number was drawn twice";
  // The demo's open consolidation of Z02, A's two documents and B's: four documents with lines.
  EXPECT_EQ(docs.rowCount(), 4) << numbers.join(' ').toStdString();
  const db::Result check = db->select(QStringLiteral("PRAGMA integrity_check"));
  EXPECT_EQ(check.at(0, 0).toString().toStdString(), "ok");
}

}  // namespace
