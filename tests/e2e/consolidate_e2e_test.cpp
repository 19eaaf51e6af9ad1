// The real program started against real embedded sites made by `consolidate-db`: the program built
// for the tests (`consolidate-scripted`), whose boxes are written to a file through
// CONSOLIDATE_PROMPTS_LOG (docs/launch.md), and the shipped `consolidate`, which has no such switch.
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "db.h"
#include "embedded.h"
#include "own_settings.h"

namespace {

const QString kOutdated = QStringLiteral("โปรแกรม CONSOLIDATE.EXE เป็นตัวเก่า กรุณา Update Program ด้วย");

struct Box {
  QString kind, style, text;
};

struct RunResult {
  int exitCode = -1;
  bool finished = false;
  QList<Box> boxes;
  bool logWritten = false;
  QString stderrText;
};

class Site {
 public:
  explicit Site(bool baseSchema = false) {
    folder_ = dir_.filePath(QStringLiteral("site"));
    QStringList args{QStringLiteral("init"), folder_, QStringLiteral("--quiet")};
    if (baseSchema) args << QStringLiteral("--base-schema");
    QProcess p;
    p.start(QStringLiteral(CONSOLIDATE_DB_EXE), args);
    ok_ = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok_) error_ = QString::fromLocal8Bit(p.readAllStandardError());
  }
  bool ok() const { return ok_; }
  QString error() const { return error_; }
  QString folder() const { return folder_; }
  QString path(const QString& name) const { return dir_.filePath(name); }

  std::unique_ptr<db::Connection> open(const QString& database) const {
    auto c = std::make_unique<db::Connection>(QStringLiteral("E2E"));
    embedded::setConnectionParams(*c, folder_, database);
    return c;
  }
  std::unique_ptr<db::Connection> config() const { return open(QStringLiteral("TALVIK_CONFIG")); }
  std::unique_ptr<db::Connection> company() const { return open(QStringLiteral("DEMO")); }

  // Runs the program with the given arguments from `workDir` (the site folder by default).
  RunResult run(const QStringList& args, QString workDir = QString()) const {
    RunResult r;
    const QString log = dir_.filePath(QStringLiteral("boxes-%1.jsonl").arg(++runs_));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CONSOLIDATE_PROMPTS_LOG"), log);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir.isEmpty() ? folder_ : workDir);
    p.start(QStringLiteral(CONSOLIDATE_EXE), args);
    r.finished = p.waitForFinished(60000);
    if (!r.finished) {
      p.kill();
      p.waitForFinished();
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.stderrText = QString::fromLocal8Bit(p.readAllStandardError());
    QFile f(log);
    r.logWritten = f.exists();
    if (f.open(QIODevice::ReadOnly))
      for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.trimmed().isEmpty()) {
          const QJsonObject o = QJsonDocument::fromJson(line).object();
          r.boxes << Box{o.value("kind").toString(), o.value("style").toString(), o.value("text").toString()};
        }
    return r;
  }

 private:
  QTemporaryDir dir_;
  QString folder_;
  bool ok_ = false;
  QString error_;
  mutable int runs_ = 0;
};

QStringList texts(const RunResult& r) {
  QStringList t;
  for (const Box& b : r.boxes) t << b.text;
  return t;
}

QStringList args(const QString& user = QStringLiteral("1"), const QString& option = QStringLiteral("999"),
                 const QString& date = QStringLiteral("31/12/2024"), const QString& database = QStringLiteral("demo")) {
  return {QStringLiteral("200"), user, database, QStringLiteral("-"), option, date};
}

class ConsolidateProgram : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { embedded::install(); }
};

TEST_F(ConsolidateProgram, NoArgumentEndsAtOnceShowingNothing) {
  Site site;
  ASSERT_TRUE(site.ok()) << site.error().toStdString();
  const RunResult r = site.run({});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_FALSE(r.logWritten);
  // Nothing was connected: the version table is still empty.
  EXPECT_EQ(site.company()->select(QStringLiteral("Select Count(*) n From CheckVersionProgramEXE")).asInt("n"), 0);
}

TEST_F(ConsolidateProgram, Refusals) {
  Site site;
  ASSERT_TRUE(site.ok()) << site.error().toStdString();
  site.config()->execute(QStringLiteral("Insert Into UserName (Id, Code, FullName, LanguageNo) Values (8, 'LOWERY', 'x', 1)"));
  site.config()->execute(QStringLiteral("Insert Into UserRight (UserName, Menu, Access_R) Values (8, 200, 'y')"));

  struct Case {
    const char* name;
    QStringList args;
    int registered;  // the version row before the run; 0: none
    QStringList texts;
  } cases[] = {
      {"unknown database", args("1", "200", "31/12/2024", "nosuch"), 0, {QStringLiteral("Not Found Database : NOSUCH")}},
      {"outdated version", args("1", "200"), 4, {kOutdated, QStringLiteral("No User Right Access !200")}},
      {"no access right", args("3", "200"), 0, {QStringLiteral("No User Right Access !200")}},
      {"lower-case y", args("8", "200"), 0, {QStringLiteral("No User Right Access !200")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto company = site.company();
    company->execute(QStringLiteral("Delete From CheckVersionProgramEXE"));
    if (c.registered)
      company->execute(QStringLiteral("Insert Into CheckVersionProgramEXE (ProgramEXE, Version) Values ('CONSOLIDATE.EXE', %1)").arg(c.registered));
    company.reset();
    const RunResult r = site.run(c.args);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    EXPECT_EQ(texts(r), c.texts);
    if (c.registered)
      EXPECT_EQ(site.company()->select(QStringLiteral("Select Version From CheckVersionProgramEXE")).asInt("Version"), c.registered);
  }
}

TEST_F(ConsolidateProgram, ConversionErrorsEndWithExitCodeOne) {
  Site site(true);
  ASSERT_TRUE(site.ok()) << site.error().toStdString();
  struct Case {
    QStringList args;
    const char* text;
  } cases[] = {
      {args("1", "200", "2024-12-31"), "'2024-12-31' is not a valid date"},
      {args("x1", "200"), "'x1' is not a valid integer value"},
      {{"200", "1", "demo"}, "'' is not a valid date"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const RunResult r = site.run(c.args);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_EQ(r.boxes.size(), 1);
    EXPECT_EQ(r.boxes[0].text, QString::fromLatin1(c.text));
    EXPECT_EQ(r.boxes[0].style, QStringLiteral("Error"));
  }
  // The error reporter never saw them, and no connection was opened: nothing was upgraded.
  auto config = site.config();
  EXPECT_EQ(config->select(QStringLiteral("Select Count(*) n From ErrorLog")).asInt("n"), 0);
  EXPECT_TRUE(config->select(QStringLiteral("Select name From pragma_table_info('Menu') Where Upper(name) = 'VERSION'")).isEmpty());
  EXPECT_TRUE(site.company()->select(QStringLiteral("Select name From sqlite_master Where name = 'CheckVersionProgramEXE'")).isEmpty());
}

TEST_F(ConsolidateProgram, UnknownOptionUpgradesAnOldSiteAndEndsQuietly) {
  Site site(true);
  ASSERT_TRUE(site.ok()) << site.error().toStdString();
  const RunResult r = site.run(args("1", "999"));
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
  EXPECT_TRUE(r.boxes.isEmpty()) << texts(r).join(QLatin1Char('|')).toStdString();

  auto company = site.company();
  const db::Result version = company->select(QStringLiteral("Select ProgramEXE, Version, LastUpdate From CheckVersionProgramEXE"));
  ASSERT_EQ(version.rowCount(), 1);
  EXPECT_EQ(version.asString("ProgramEXE"), QStringLiteral("CONSOLIDATE.EXE"));
  EXPECT_EQ(version.asInt("Version"), 3);
  EXPECT_FALSE(version.isNull("LastUpdate"));
  auto columns = [&](db::Connection& c, const char* table) {
    QStringList names;
    const db::Result r = c.select(QStringLiteral("Select Upper(name) n From pragma_table_info('%1')").arg(QLatin1String(table)));
    for (const auto& row : r.rows()) names << row[0].toString();
    return names;
  };
  EXPECT_TRUE(columns(*company, "Config").contains(QStringLiteral("CHECKUSERSUBTYPEFLAG")));
  EXPECT_TRUE(columns(*company, "Product").contains(QStringLiteral("PRODUCTFREE")));
  EXPECT_TRUE(columns(*company, "SystemForm").contains(QStringLiteral("SUBTYPE")));
  auto config = site.config();
  EXPECT_TRUE(columns(*config, "Menu").contains(QStringLiteral("VERSION")));
  EXPECT_EQ(config->select(QStringLiteral("Select Count(*) n From Menu Where Version = 3")).asInt("n"), 5);
  EXPECT_EQ(config->select(QStringLiteral("Select Count(*) n From ErrorLog")).asInt("n"), 0);
}

TEST_F(ConsolidateProgram, ArgumentsKeepTheirPositionsWhateverTheirText) {
  Site site;
  ASSERT_TRUE(site.ok()) << site.error().toStdString();
  // The unused fourth argument looks like an option of the GUI toolkit; it must not be taken away.
  const RunResult r = site.run({QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("demo"), QStringLiteral("-reverse"),
                          QStringLiteral("999"), QStringLiteral("31/12/2024"), QStringLiteral("extra"), QStringLiteral("-style")});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0) << texts(r).join(QLatin1Char('|')).toStdString();
  EXPECT_TRUE(r.boxes.isEmpty());
}

TEST_F(ConsolidateProgram, ServerDatNamesTheSite) {
  Site site;
  ASSERT_TRUE(site.ok()) << site.error().toStdString();
  const QString elsewhere = site.path(QStringLiteral("elsewhere"));
  ASSERT_TRUE(QDir().mkpath(elsewhere));
  // From a folder without a site and without "Server.Dat": the default server (this folder) has no
  // configuration database, a connection error: exit code 1.
  RunResult r = site.run(args("1", "999"), elsewhere);
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_EQ(r.boxes.size(), 1);
  EXPECT_EQ(r.boxes[0].style, QStringLiteral("Error"));
  // With "Server.Dat" naming the site, the same start runs.
  QFile dat(QDir(elsewhere).filePath(QStringLiteral("Server.Dat")));
  ASSERT_TRUE(dat.open(QIODevice::WriteOnly));
  dat.write(("embedded:" + site.folder() + "\r\n").toUtf8());
  dat.close();
  r = site.run(args("1", "999"), elsewhere);
  EXPECT_EQ(r.exitCode, 0) << texts(r).join(QLatin1Char('|')).toStdString();
  EXPECT_TRUE(r.boxes.isEmpty());
}

// The README's demo command ends in scripts/demo-run: on a new demo site it opens every menu
// option's window for the demo user, with no box shown. The script runs the program of its build
// folder; here that folder holds the program built for the tests under the shipped name.
TEST(DemoCommand, OpensEveryWindowOnTheDemoSite) {
  QTemporaryDir dir;
  const QString build = dir.filePath(QStringLiteral("build"));
  ASSERT_TRUE(QDir().mkpath(build));
  ASSERT_TRUE(QFile::link(QStringLiteral(CONSOLIDATE_EXE), build + QStringLiteral("/consolidate")));
  ASSERT_TRUE(QFile::link(QStringLiteral(CONSOLIDATE_DB_EXE), build + QStringLiteral("/consolidate-db")));
  const QString log = dir.filePath(QStringLiteral("boxes.jsonl"));
  for (const char* option : {"200", "100", "101", "102", "201"}) {
    SCOPED_TRACE(option);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CONSOLIDATE_PROMPTS_LOG"), log);
    env.insert(QStringLiteral("CONSOLIDATE_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
    env.insert(QStringLiteral("BUILD_DIR"), build);
    env.insert(QStringLiteral("SITE"), dir.filePath(QStringLiteral("demo-site")));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("bash"), {QStringLiteral(CONSOLIDATE_SOURCE_DIR "/scripts/demo-run"), QString::fromLatin1(option)});
    ASSERT_TRUE(p.waitForFinished(180000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().contains("shown\n"));
    EXPECT_FALSE(QFileInfo::exists(log)) << "a box was shown";
  }
}

// The shipped program reads none of the test switches: with them set in the environment of a user,
// the refusal is still shown in a real box that waits for the user, nothing is written to the named
// file, and the program does not end when its window is shown. The program built for the tests
// holds the switches' names; the shipped one does not hold them at all.
TEST(ShippedProgram, IgnoresTheTestSwitches) {
  const QByteArrayList switches{"CONSOLIDATE_PROMPTS_LOG", "CONSOLIDATE_PROMPTS_ANSWERS", "CONSOLIDATE_QUIT_WHEN_SHOWN"};
  for (const auto& [program, holds] : {std::pair{CONSOLIDATE_SHIPPED_EXE, false}, std::pair{CONSOLIDATE_EXE, true}}) {
    QFile f(QString::fromUtf8(program));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << program;
    const QByteArray bytes = f.readAll();
    for (const QByteArray& name : switches) EXPECT_EQ(bytes.contains(name), holds) << program << " " << name.constData();
  }

  for (const char* tool : {"Xvfb", "xdotool"})
    ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
        << tool << " is missing (scripts/bootstrap installs it)";
  Site site;
  ASSERT_TRUE(site.ok()) << site.error().toStdString();
  // A display of its own: Xvfb picks a free number and writes it to a file.
  const QString displayFile = site.path(QStringLiteral("display"));
  QProcess xvfb;
  xvfb.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>'%1'").arg(displayFile)});
  ASSERT_TRUE(xvfb.waitForStarted());
  auto stopXvfb = qScopeGuard([&] {
    xvfb.terminate();
    if (!xvfb.waitForFinished(10000)) xvfb.kill();
  });
  ASSERT_TRUE(QTest::qWaitFor([&] {
    QFile d(displayFile);
    return d.open(QIODevice::ReadOnly) && !d.readAll().trimmed().isEmpty();
  }, 20000)) << "Xvfb did not start";
  QFile d(displayFile);
  ASSERT_TRUE(d.open(QIODevice::ReadOnly));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(d.readAll().trimmed()));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  const QString log = site.path(QStringLiteral("boxes.jsonl"));
  env.insert(QStringLiteral("CONSOLIDATE_PROMPTS_LOG"), log);
  env.insert(QStringLiteral("CONSOLIDATE_PROMPTS_ANSWERS"), QStringLiteral("no,no"));
  env.insert(QStringLiteral("CONSOLIDATE_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
  auto xdotool = [&](const QStringList& a) {
    QProcess x;
    x.setProcessEnvironment(env);
    x.start(QStringLiteral("xdotool"), a);
    if (!x.waitForFinished(60000)) {
      x.kill();
      x.waitForFinished();
    }
    return QString::fromUtf8(x.readAllStandardOutput()).trimmed();
  };

  struct Case {
    const char* what;
    QStringList args;
    const char* title;    // the window that waits for the user
    bool endsWithReturn;  // the box's OK ends the program
  } cases[] = {
      {"a refusal box", args(QStringLiteral("3"), QStringLiteral("200")), "^consolidate$", true},
      {"a working window", args(QStringLiteral("1"), QStringLiteral("200"), QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"))),
       "V16\\.12\\.12", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(site.folder());
    p.start(QStringLiteral(CONSOLIDATE_SHIPPED_EXE), c.args);
    ASSERT_TRUE(p.waitForStarted());
    const QString id = xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                QString::fromLatin1(c.title)}).split(QLatin1Char('\n')).value(0);
    EXPECT_FALSE(id.isEmpty()) << "no window waits for the user";
    EXPECT_EQ(p.state(), QProcess::Running);
    EXPECT_FALSE(QFileInfo::exists(log)) << "the box went to the file";
    if (!id.isEmpty() && c.endsWithReturn) {
      xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
      xdotool({QStringLiteral("key"), QStringLiteral("Return")});  // the box's OK
      EXPECT_TRUE(p.waitForFinished(30000)) << "the program did not end after the box";
      EXPECT_EQ(p.exitCode(), 0);
    }
    if (p.state() != QProcess::NotRunning) {
      p.kill();
      p.waitForFinished();
    }
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray()) << "the program said it would end when shown";
    EXPECT_FALSE(QFileInfo::exists(log));
  }
}

}  // namespace

namespace {

// A test run never touches the user's settings: the real program started by a test, which
// remembers its window's size when it closes, writes it into the test's own configuration folder
// (tests/support/own_settings.h), and the user's windows.ini stays exactly as it was.
TEST(UserSettings, TheProgramATestStartsLeavesTheUsersWindowSizesUntouched) {
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) << "the test has no configuration folder of its own";
  const QString users = testsupport::UsersConfigFolder() + QStringLiteral("/consolidate/windows.ini");
  const QString own = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/consolidate/windows.ini");
  ASSERT_NE(QFileInfo(own).absoluteFilePath(), QFileInfo(users).absoluteFilePath()) << "the test has no settings of its own";
  auto snapshot = [](const QString& path) {
    QFile f(path);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    return std::pair{bytes, QFileInfo(path).lastModified()};
  };
  const auto before = snapshot(users);
  QFile::remove(own);

  Site site;
  ASSERT_TRUE(site.ok()) << site.error().toStdString();
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("CONSOLIDATE_PROMPTS_LOG"), site.path(QStringLiteral("boxes.jsonl")));
  env.insert(QStringLiteral("CONSOLIDATE_PROMPTS_ANSWERS"), QStringLiteral("yes"));  // Exit ? Yes
  env.insert(QStringLiteral("CONSOLIDATE_CLOSE_WHEN_SHOWN"), QStringLiteral("1"));
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(site.folder());
  p.start(QStringLiteral(CONSOLIDATE_EXE), args(QStringLiteral("1"), QStringLiteral("200"), QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")),
                                                QStringLiteral("DEMO")));
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_TRUE(p.readAllStandardOutput().contains("closed\n"));

  QSettings written(own, QSettings::IniFormat);
  EXPECT_TRUE(written.value(QStringLiteral("user1/TFrConsolidate_Qel_Dru/size")).toSize().isValid()) << written.allKeys().join(' ').toStdString()
      << "the window's size was remembered in the test's own folder: " << own.toStdString();
  EXPECT_EQ(snapshot(users), before) << users.toStdString() << " was changed";
}

}  // namespace
