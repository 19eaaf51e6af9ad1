// The start-up sequence driven in-process on a real embedded site with a scripted prompts service:
// argument conversion and its order, the refusals, the dispatch and the splash window.
#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app_fixture.h"
#include "window_registry.h"
#include "data_module.h"
#include "config_module.h"
#include "db.h"
#include "startup.h"
#include "error_reporter.h"
#include "jpeg_image.h"
#include "splash.h"

namespace {

using launch::Outcome;
using launch::Startup;

const QString kOutdated = QStringLiteral("โปรแกรม CONSOLIDATE.EXE เป็นตัวเก่า กรุณา Update Program ด้วย");

class StartupTest : public ::testing::Test {
 protected:
  StartupTest() { data::SetServerNameOverride(site.serverName()); }
  ~StartupTest() override { data::SetServerNameOverride(QString()); }

  // Arguments of a normal start for the demo site.
  QStringList args(const QString& menu = QStringLiteral("200"), const QString& user = QStringLiteral("1"),
                   const QString& option = QStringLiteral("200"), const QString& date = QStringLiteral("31/12/2024")) {
    return {menu, user, site.companyDatabase().toLower(), QStringLiteral("any text at all"), option, date};
  }

  testsupport::TempSite site{testsupport::SiteOptions{false, 1, false}};
  prompts::ScopedScriptedPrompts boxes;
};

TEST_F(StartupTest, ConversionErrorsInArgumentOrderBeforeAnyConnection) {
  struct Case {
    QStringList args;
    const char* message;
  } cases[] = {
      {{"200", "1", "DEMO", "x", "200", "2024-12-31"}, "'2024-12-31' is not a valid date"},
      {{"200", "1", "DEMO", "x", "200"}, "'' is not a valid date"},
      {{"a", "b", "DEMO", "x", "c", "31/12/2024"}, "'c' is not a valid integer value"},
      {{"a", "b", "DEMO", "x", "200", "31/12/2024"}, "'a' is not a valid integer value"},
      {{"200", "b", "DEMO", "x", "200", "31/12/2024"}, "'b' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
    boxes->clear();
    Startup s(c.args);
    EXPECT_EQ(s.Run(), Outcome::Failed);
    EXPECT_EQ(s.ExitCode(), 1);
    EXPECT_EQ(s.FailureText(), QString::fromLatin1(c.message));
    ASSERT_EQ(boxes->log.size(), 1u);
    EXPECT_EQ(boxes->log[0].text, QString::fromLatin1(c.message));
    EXPECT_EQ(boxes->log[0].style, prompts::Style::Error);
    EXPECT_FALSE(s.config()->DmCfg.isOpen());
    EXPECT_FALSE(s.dm()->DMdata.isOpen());
    ASSERT_NE(s.Splash(), nullptr);  // still up: nothing connected
    EXPECT_TRUE(s.Splash()->isVisible());
  }
}

TEST_F(StartupTest, RefusalsEndWithExitCodeZero) {
  auto config = site.openConfig();
  config->execute(QStringLiteral("Insert Into UserName (Id, Code, FullName, LanguageNo) Values (8, 'LOWERY', 'x', 1)"));
  config->execute(QStringLiteral("Insert Into UserRight (UserName, Menu, Access_R) Values (8, 200, 'y')"));
  auto company = site.openCompany();
  struct Case {
    const char* name;
    QStringList args;
    int registered;  // the version row before the start; 0: none
    Outcome outcome;
    QStringList texts;
  } cases[] = {
      {"unknown database", {"200", "1", "nosuch", "x", "200", "31/12/2024"}, 0, Outcome::CompanyNotFound,
       {QStringLiteral("Not Found Database : NOSUCH")}},
      {"no right", args(QStringLiteral("200"), QStringLiteral("3")), 0, Outcome::Refused, {QStringLiteral("No User Right Access !200")}},
      {"lower-case y", args(QStringLiteral("200"), QStringLiteral("8")), 0, Outcome::Refused, {QStringLiteral("No User Right Access !200")}},
      {"outdated", args(), 4, Outcome::Refused, {kOutdated, QStringLiteral("No User Right Access !200")}},
      {"outdated and no right", args(QStringLiteral("200"), QStringLiteral("3")), 4, Outcome::Refused,
       {kOutdated, QStringLiteral("No User Right Access !200")}},
      {"unknown menu entry", args(QStringLiteral("777")), 0, Outcome::Refused, {QStringLiteral("No User Right Access !200")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes->clear();
    company->execute(QStringLiteral("Delete From CheckVersionProgramEXE"));
    if (c.registered)
      company->execute(QStringLiteral("Insert Into CheckVersionProgramEXE (ProgramEXE, Version) Values ('CONSOLIDATE.EXE', %1)").arg(c.registered));
    Startup s(c.args);
    EXPECT_EQ(s.Run(), c.outcome);
    EXPECT_EQ(s.ExitCode(), 0);
    EXPECT_EQ(boxes->texts(), c.texts);
    EXPECT_EQ(s.Window(), nullptr);
    if (c.outcome == Outcome::CompanyNotFound) {
      EXPECT_FALSE(s.dm()->DMdata.isOpen());
      EXPECT_NE(s.Splash(), nullptr);  // still visible behind the message
    } else {
      EXPECT_EQ(s.Splash(), nullptr);  // freed when the data connection opened
    }
    if (c.registered)
      EXPECT_EQ(company->select(QStringLiteral("Select Version From CheckVersionProgramEXE")).asInt("Version"), c.registered);
  }
  EXPECT_EQ(launch::RefusalMessage(-5), QStringLiteral("No User Right Access !-5"));
}

TEST_F(StartupTest, UnknownOptionEndsQuietly) {
  Startup s(args(QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("999")));
  EXPECT_EQ(s.Run(), Outcome::NoWindow);
  EXPECT_EQ(s.ExitCode(), 0);
  EXPECT_TRUE(boxes->log.empty());
  EXPECT_EQ(s.config()->MenuOption, 999);
  EXPECT_EQ(s.config()->WorkDate, QDateTime(QDate(2024, 12, 31), QTime(0, 0)));
  EXPECT_EQ(s.config()->DatabaseName, site.companyDatabase());
  EXPECT_TRUE(s.dm()->DMdata.isOpen());
  EXPECT_EQ(site.openCompany()->select(QStringLiteral("Select Version From CheckVersionProgramEXE")).asInt("Version"), 3);
}

TEST_F(StartupTest, RegisteredWindowIsCreatedAndShown) {
  QString caption;
  data::RegisterWindow(4242, [&] {
    auto* w = new QWidget;
    caption = DMConfig->MenuCaption;
    w->setWindowTitle(QStringLiteral("test window"));
    return w;
  });
  {
    Startup s(args(QStringLiteral("200"), QStringLiteral("2"), QStringLiteral("4242")));
    EXPECT_EQ(s.Run(), Outcome::WindowShown);
    EXPECT_EQ(s.ExitCode(), 0);
    ASSERT_NE(s.Window(), nullptr);
    EXPECT_TRUE(s.Window()->isVisible());
    EXPECT_EQ(caption, QStringLiteral("Zone Consolidation"));
    EXPECT_EQ(s.Splash(), nullptr);
  }
  data::UnregisterWindow(4242);
  EXPECT_FALSE(data::WindowFactoryFor(4242));
}

TEST_F(StartupTest, FailingWindowCreationGoesToTheErrorReporter) {
  data::RegisterWindow(4243, []() -> QWidget* { throw db::Error(QStringLiteral("Cannot insert duplicate key")); });
  QString shown;
  QTimer watcher;
  watcher.setInterval(10);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (auto* w = qobject_cast<TFrShowError*>(QApplication::activeModalWidget()); w && shown.isEmpty()) {
      shown = w->ErrorText;
      w->BCancel->click();
    }
  });
  watcher.start();
  Startup s(args(QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("4243")));
  EXPECT_EQ(s.Run(), Outcome::NoWindow);
  EXPECT_EQ(s.ExitCode(), 0);
  EXPECT_EQ(shown, QStringLiteral("ข้อมูลที่เพิ่มซ้ำกับข้อมูลที่มีอยู่แล้ว\rCANNOT INSERT DUPLICATE KEY\r"));
  const db::Result log = site.openConfig()->select(QStringLiteral("Select ErrorMsg, MenuId, UserId From ErrorLog"));
  ASSERT_EQ(log.rowCount(), 1);
  EXPECT_EQ(log.asString("ErrorMsg"), QStringLiteral("Cannot insert duplicate key"));
  EXPECT_EQ(log.asInt("MenuId"), 200);
  data::UnregisterWindow(4243);
}

TEST(AppFixture, LeavesTheModulesReadyForAWindow) {
  testsupport::AppOptions o;
  o.userId = 2;
  o.site.demo = false;
  testsupport::AppFixture app(o);
  ASSERT_TRUE(app.ready()) << app.failure().toStdString();
  EXPECT_EQ(DM, &app.dm());
  EXPECT_EQ(DMConfig, &app.config());
  EXPECT_FALSE(DMConfig->IsThai);
  EXPECT_EQ(DMConfig->MenuCaption, QStringLiteral("Zone Consolidation"));
  EXPECT_TRUE(DM->QConfig.active());
  EXPECT_EQ(DM->NewDocumentNo(QStringLiteral("CONSOLIDAT"), QDate::currentDate()).left(3), QStringLiteral("Con"));
  app.prompts().answer(false);
  EXPECT_FALSE(DM->ConfirmYesNo(QStringLiteral("?")));
}

TEST(Splash, BorderlessBlueCentredWithTheStoredPicture) {
  const QImage picture = launch::DecodeJpeg(launch::LogoJpeg());
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(301, 166));
  TFormLogo logo;
  logo.show();
  EXPECT_EQ(logo.size(), QSize(301, 166));
  EXPECT_TRUE(logo.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(logo.cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(logo.palette().color(QPalette::Window), QColor(0, 0, 255));
  EXPECT_EQ(logo.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
  // The picture is drawn over the whole client area.
  const QImage shot = logo.grab().toImage();
  EXPECT_EQ(shot.pixelColor(150, 20).rgb(), picture.pixelColor(150, 20).rgb());
}

TEST(Jpeg, DamagedDataGivesNoPictureAndNoCrash) {
  const QByteArray good = launch::LogoJpeg();
  EXPECT_TRUE(launch::DecodeJpeg(QByteArray()).isNull());
  EXPECT_TRUE(launch::DecodeJpeg(QByteArray("not a jpeg at all")).isNull());
  EXPECT_TRUE(launch::DecodeJpeg(good.left(40)).isNull());
  // A round trip keeps the size and, roughly, the colours.
  QImage img(31, 17, QImage::Format_RGB32);
  img.fill(QColor(0, 0, 255));
  const QImage back = launch::DecodeJpeg(launch::EncodeJpeg(img, 95));
  ASSERT_EQ(back.size(), img.size());
  EXPECT_LT(qAbs(back.pixelColor(15, 8).blue() - 255), 8);
  EXPECT_LT(back.pixelColor(15, 8).red(), 8);
}

}  // namespace

namespace {

// A site on a network file system: a warning before the window, which opens all the same; on a
// local disk nothing is said.
TEST_F(StartupTest, ASiteOnANetworkFileSystemIsWarnedAboutAndTheWindowStillOpens) {
  data::RegisterWindow(4244, [] { return new QWidget; });
  struct Case {
    const char* name;
    QString fileSystem;
  } cases[] = {{"local disk", QString()}, {"NFS", QStringLiteral("NFS")}, {"SMB share", QStringLiteral("CIFS")}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QStringList asked;
    const auto previous = db::setNetworkFileSystemProbe([&](const QString& folder) {
      asked << folder;
      return c.fileSystem;
    });
    boxes->log.clear();
    {
      Startup s(args(QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("4244")));
      EXPECT_EQ(s.Run(), Outcome::WindowShown);
      EXPECT_EQ(s.ExitCode(), 0);
    }
    db::setNetworkFileSystemProbe(previous);
    const QString siteFolder = QFileInfo(site.folder()).canonicalFilePath();
    EXPECT_TRUE(asked.contains(siteFolder)) << asked.join(' ').toStdString();
    if (c.fileSystem.isEmpty()) {
      EXPECT_TRUE(boxes->log.empty());
    } else {
      ASSERT_EQ(boxes->log.size(), 1u);
      EXPECT_EQ(boxes->log[0].style, prompts::Style::Warning);
      EXPECT_EQ(boxes->log[0].text, launch::NetworkSiteWarning(siteFolder, c.fileSystem));
      EXPECT_TRUE(boxes->log[0].text.contains(QStringLiteral("หลายหน้าต่างบนเครื่องเดียวกัน")));
      EXPECT_TRUE(boxes->log[0].text.contains(QStringLiteral("Microsoft SQL Server")));
    }
  }
  data::UnregisterWindow(4244);
}

}  // namespace
