#include "net/shell_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace net;

namespace {

// Points HOME and XDG_CONFIG_HOME at a temporary folder for one test.
class ShellFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    oldHome_ = qgetenv("HOME");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home_.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home_.path() + QStringLiteral("/.config")).toLocal8Bit());
  }
  void TearDown() override {
    qputenv("HOME", oldHome_);
    if (oldConfig_.isNull()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", oldConfig_);
  }

  void writeUserDirs(const QByteArray& text) {
    QDir().mkpath(home_.path() + QStringLiteral("/.config"));
    QFile f(home_.path() + QStringLiteral("/.config/user-dirs.dirs"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }

  QTemporaryDir home_;
  QByteArray oldHome_;
  QByteArray oldConfig_;
};

TEST_F(ShellFolders, DesktopIsTheXdgDesktopDirectory) {
  EXPECT_EQ(ShellFolderPath(SfDesktop), home_.path() + QStringLiteral("/Desktop/"));
  writeUserDirs("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
  EXPECT_EQ(ShellFolderPath(SfDesktop), home_.path() + QStringLiteral("/Schreibtisch/"));
  EXPECT_EQ(ShellFolderPath(SfTemplates), home_.path() + QStringLiteral("/Vorlagen/"));
}

TEST_F(ShellFolders, DownloadFolderIsCreatedOnTheDesktop) {
  const QString folder = webOrderDownloadFolder();
  EXPECT_EQ(folder, home_.path() + QStringLiteral("/Desktop/LoadXML/"));
  EXPECT_TRUE(QFileInfo(folder).isDir());
  EXPECT_EQ(webOrderDownloadFolder(), folder) << "an existing folder is used as it is";
}

TEST_F(ShellFolders, DownloadFolderThatCannotBeCreatedFails) {
  QFile blocker(home_.path() + QStringLiteral("/Desktop"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the desktop folder should be
  blocker.close();
  try {
    webOrderDownloadFolder();
    FAIL() << "no error";
  } catch (const FolderError& e) {
    EXPECT_EQ(e.message(), QStringLiteral("Cannot create ") + home_.path() + QStringLiteral("/Desktop/LoadXML/"));
  }
}

TEST_F(ShellFolders, EveryKindIsEmptyOrAFolderPath) {
  for (int kind = 0; kind <= 26; ++kind) {
    const QString path = ShellFolderPath(kind);
    if (!path.isEmpty()) {
      EXPECT_TRUE(path.endsWith(u'/')) << kind << " " << path.toStdString();
    }
  }
  EXPECT_EQ(ShellFolderPath(SfTempDir), QDir::tempPath() + u'/');
  EXPECT_EQ(ShellFolderPath(SfSendTo), QString());
  EXPECT_EQ(ShellFolderPath(-1), QString());
  EXPECT_EQ(ShellFolderPath(27), QString());
}

}  // namespace
