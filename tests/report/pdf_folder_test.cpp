// The folder the PDF file dialog opens in: never the embedded site's folder, never a folder that
// does not exist (the dialog would show the program's working folder, the site's, instead).
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "db.h"
#include "report/print_target.h"

namespace {

// Runs with HOME (and the XDG configuration) in a folder of its own.
class PdfFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    oldHome = qgetenv("HOME");
    oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
  }
  void TearDown() override {
    qputenv("HOME", oldHome);
    if (oldConfig.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", oldConfig);
  }
  QString in(const QString& name) const { return QDir(home.path()).filePath(name); }
  QTemporaryDir home;
  QByteArray oldHome, oldConfig;
};

TEST_F(PdfFolder, TheFirstFolderThatExistsAndHoldsNoSite) {
  // An embedded site open in this process, in a folder of the home folder.
  ASSERT_TRUE(QDir(home.path()).mkpath("site"));
  db::Connection site(QStringLiteral("S"));
  site.params = {"SERVER NAME=embedded:" + in("site"), "DATABASE NAME=DEMO", "CREATE DATABASE=TRUE"};
  site.execute(QStringLiteral("Create Table T (A Integer)"));

  struct Case {
    const char* name;
    QStringList made;     // folders of the home folder that exist
    QString lastSaved;    // a PDF the user saved before, empty: none
    QString expected;     // relative to the home folder ("." the home folder itself)
  } cases[] = {
      {"no desktop nor documents folder: home", {}, {}, "."},
      {"documents folder only", {"Documents"}, {}, "Documents"},
      {"desktop before documents", {"Documents", "Desktop"}, {}, "Desktop"},
      {"the folder used last comes first", {"Desktop", "out"}, "out/a.pdf", "out"},
      {"a PDF saved in the site's folder is not remembered", {"Desktop"}, "site/b.pdf", "Desktop"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const QString& f : c.made) ASSERT_TRUE(QDir(home.path()).mkpath(f));
    if (!c.lastSaved.isEmpty()) report::rememberPdfFolder(in(c.lastSaved));
    EXPECT_EQ(report::pdfStartFolder().toStdString(), QDir(in(c.expected)).absolutePath().toStdString());
    EXPECT_EQ(report::suggestedPdfPath(QStringLiteral("CON26/0001")).toStdString(),
              QDir(in(c.expected)).absoluteFilePath(QStringLiteral("CON26_0001.pdf")).toStdString());
    for (const QString& f : c.made) QDir(in(f)).removeRecursively();
  }
}

TEST_F(PdfFolder, AHomeFolderThatIsTheSiteIsNotOffered) {
  // The site in the home folder itself, the program's working folder as the menu starts it.
  db::Connection site(QStringLiteral("S"));
  site.params = {"SERVER NAME=embedded:" + home.path(), "DATABASE NAME=DEMO", "CREATE DATABASE=TRUE"};
  site.execute(QStringLiteral("Create Table T (A Integer)"));
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(home.path()));
  const QString folder = report::pdfStartFolder();
  QDir::setCurrent(previous);
  EXPECT_NE(QFileInfo(folder).canonicalFilePath().toStdString(), QFileInfo(home.path()).canonicalFilePath().toStdString());
  EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
  EXPECT_FALSE(db::isEmbeddedSiteFolder(folder));
}

}  // namespace
