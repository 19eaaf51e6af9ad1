// Copies of the program starting at the same moment on one embedded site: each runs the schema
// upgrade and registers its version. Every one must start or be refused as an older copy, never
// fail, and the site must end with one row for the program holding the highest version.
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>

#include "app_fixture.h"
#include "processes.h"

namespace {

using reliability::Process;

const QString kExe = QStringLiteral("CONSOLIDATE.EXE");

struct Case {
  const char* what;
  bool baseSchema;      // a first start: the upgrade still has to add its tables and columns
  int registeredBefore;  // 0: no row for the program
  std::vector<int> versions;
};

class VersionRegistration : public ::testing::TestWithParam<Case> {};

TEST_P(VersionRegistration, OneRowWithTheHighestVersionAndNoFailure) {
  const Case& c = GetParam();
  testsupport::SiteOptions options;
  options.demo = false;
  options.baseSchema = c.baseSchema;
  testsupport::TempSite site(options);
  if (c.registeredBefore > 0) {
    auto company = site.openCompany();
    db::Params p;
    p.setText(QStringLiteral("Exe"), kExe);
    p.setInt(QStringLiteral("Version"), c.registeredBefore);
    company->execute(QStringLiteral("Insert Into CheckVersionProgramEXE (ProgramEXE, Version, LastUpdate) Values (:Exe, :Version, GetDate())"), p);
  }
  QTemporaryDir logs;
  std::vector<std::unique_ptr<Process>> copies;
  for (size_t i = 0; i < c.versions.size(); ++i)
    copies.push_back(std::make_unique<Process>(QStringLiteral(VERSION_DRIVER_EXE),
                                               QStringList{site.companyDatabase(), kExe, QString::number(c.versions[i])}, site.folder(),
                                               logs.filePath(QStringLiteral("boxes-%1.jsonl").arg(i))));
  // Every copy is released once all of them are waiting, so that they connect, upgrade and register
  // at the same moment.
  for (auto& p : copies) ASSERT_TRUE(p->waitReady()) << p->errorText().toStdString();
  for (auto& p : copies) p->go();

  const int highest = std::max(c.registeredBefore, *std::max_element(c.versions.begin(), c.versions.end()));
  for (size_t i = 0; i < copies.size(); ++i) {
    Process& p = *copies[i];
    ASSERT_TRUE(p.finish());
    EXPECT_EQ(p.exitCode(), 0) << "copy " << i << " (version " << c.versions[i] << "): " << p.errorText().toStdString();
    const QStringList out = p.outputLines();
    // A copy of the highest version always runs; an older one is refused when it comes after a
    // newer one, and only then says so.
    if (c.versions[i] == highest) EXPECT_EQ(out, QStringList{QStringLiteral("runs")}) << "copy " << i;
    else EXPECT_TRUE(out == QStringList{QStringLiteral("runs")} || out == QStringList{QStringLiteral("refused")}) << "copy " << i;
    const bool refused = out == QStringList{QStringLiteral("refused")};
    const QList<reliability::Box> boxes = p.boxes();
    ASSERT_EQ(boxes.size(), refused ? 1 : 0) << "copy " << i;
    if (refused) EXPECT_EQ(boxes[0].text, QStringLiteral("โปรแกรม CONSOLIDATE.EXE เป็นตัวเก่า กรุณา Update Program ด้วย"));
  }
  auto company = site.openCompany();
  const db::Result rows = company->select(QStringLiteral("Select ProgramEXE, Version From CheckVersionProgramEXE"));
  ASSERT_EQ(rows.rowCount(), 1);
  EXPECT_EQ(rows.asString(QStringLiteral("ProgramEXE")), kExe);
  EXPECT_EQ(rows.asInt(QStringLiteral("Version")), highest);
  // The upgrade's columns are in place once, whoever added them.
  for (const char* column : {"CheckUserWarehouseFlag", "CheckUserSubtypeFlag", "ShowProductPriceList"})
    EXPECT_FALSE(company->select(QStringLiteral("Select name From pragma_table_info('Config') Where name = :C"),
                                 [&] { db::Params p; p.setText(QStringLiteral("C"), QLatin1String(column)); return p; }())
                     .isEmpty())
        << column;
}

INSTANTIATE_TEST_SUITE_P(
    StartingTogether, VersionRegistration,
    ::testing::Values(Case{"FirstStartOnAnOldDatabase", true, 0, {3, 3, 3, 3, 3, 3}},
                      Case{"FirstStartOfMixedVersionsOnAnOldDatabase", true, 0, {2, 3, 4, 5, 4, 3}},
                      Case{"FirstRegistration", false, 0, {3, 3, 3, 3, 3, 3}},
                      Case{"MixedVersionsWithNoRow", false, 0, {5, 2, 4, 3, 5, 1}},
                      Case{"MixedVersionsOverAnOlderRow", false, 2, {3, 4, 3, 4, 3, 4}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.what); });

}  // namespace
