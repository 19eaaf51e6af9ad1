// Faults: a database that is missing or locked by another process, network servers that close the
// connection or refuse. The program tells the user, loses nothing and keeps running or ends cleanly.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app_fixture.h"
#include "processes.h"

namespace {

using reliability::Process;

TEST(StartUpFaults, MissingConfigurationDatabaseEndsWithOneErrorAndCreatesNothing) {
  testsupport::TempSite site;
  QTemporaryDir logs;
  const QDir folder(site.folder());
  ASSERT_TRUE(QFile::remove(folder.filePath(QStringLiteral("TALVIK_CONFIG.sqlite"))));
  const QStringList before = folder.entryList(QDir::Files);

  Process p(reliability::programPath(), reliability::programArguments(200), site.folder(), logs.filePath(QStringLiteral("boxes.jsonl")));
  ASSERT_TRUE(p.finish(120000));
  EXPECT_EQ(p.exitCode(), 1) << p.errorText().toStdString();
  const auto boxes = p.boxes();
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_EQ(boxes[0].style, QStringLiteral("Error"));
  EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("TALVIK_CONFIG"))) << boxes[0].text.toStdString();
  // No empty configuration database was made in its place, and the company database was not
  // touched: its version table was never written.
  EXPECT_EQ(folder.entryList(QDir::Files), before);
  auto company = site.openCompany();
  EXPECT_TRUE(company->select(QStringLiteral("Select name From sqlite_master Where name = 'CheckVersionProgramEXE'")).isEmpty() ||
              company->select(QStringLiteral("Select Count(*) n From CheckVersionProgramEXE")).asInt(QStringLiteral("n")) == 0);
}

}  // namespace
