// The data module against a real embedded site: connection lines, schema upgrade and version gate,
// the working-year check and the server services.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "data_site.h"
#include "embedded/functions.h"

namespace {

using datatest::columnsOf;
using datatest::Modules;
using datatest::tableExists;

const QString kExe = QStringLiteral("CONSOLIDATE.EXE");
const QString kOutdated = QStringLiteral("โปรแกรม CONSOLIDATE.EXE เป็นตัวเก่า กรุณา Update Program ด้วย");

class DataModule : public Modules {};

TEST_F(DataModule, ConnectsWithTheTrimmedDatabaseNameAndFreesTheSplash) {
  ASSERT_TRUE(cfg->GetCompanyConfig(site.info.companyDatabase.toLower()));
  // The data connection takes the database name without surrounding blanks.
  cfg->DatabaseName = QStringLiteral("  ") + site.info.companyDatabase + QStringLiteral(" ");
  auto* splash = new QWidget;
  QSignalSpy destroyed(splash, &QObject::destroyed);
  splash->show();
  dm->SetSplash(splash);
  ASSERT_TRUE(dm->CheckVersionProgramEXE(kExe, 3));
  EXPECT_EQ(destroyed.count(), 1);
  EXPECT_EQ(dm->Splash(), nullptr);
  EXPECT_EQ(dm->DMdata.params.value(0), QStringLiteral("DATABASE NAME=") + site.info.companyDatabase);
  EXPECT_EQ(dm->DMdata.params.mid(1), cfg->DmCfg.params.mid(1));
  // QConfig is open after the connect, with the columns added by the upgrade.
  EXPECT_TRUE(dm->QConfig.active());
  EXPECT_EQ(dm->QConfig.asString(QStringLiteral("CheckUserWarehouseFlag")), QStringLiteral("N"));

  // Every later connect reopens QConfig and leaves a new splash alone.
  auto* second = new QWidget;
  QSignalSpy secondDestroyed(second, &QObject::destroyed);
  dm->SetSplash(second);
  site.company()->execute(QStringLiteral("Update Config Set RunYear = 1999"));
  dm->DMdata.close();
  dm->DMdata.open();
  EXPECT_EQ(dm->QConfig.asInt(QStringLiteral("RunYear")), 1999);
  EXPECT_EQ(secondDestroyed.count(), 0);
  delete second;
}

TEST_F(DataModule, VersionRowIsRaisedNeverLowered) {
  ASSERT_TRUE(cfg->GetCompanyConfig(site.info.companyDatabase));
  auto co = site.company();
  struct Case {
    const char* before;  // Null: no row
    int version;
    bool runs;
    int after;
  } cases[] = {
      {nullptr, 3, true, 3},
      {"2", 3, true, 3},
      {"3", 3, true, 3},
      {"4", 3, false, 4},
      {"4", 5, true, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("%1 -> %2").arg(QString::fromLatin1(c.before ? c.before : "none")).arg(c.version).toStdString());
    prompts->clear();
    co->execute(QStringLiteral("Delete From CheckVersionProgramEXE"));
    if (c.before)
      co->execute(QStringLiteral("Insert Into CheckVersionProgramEXE (ProgramEXE, Version, LastUpdate) Values ('CONSOLIDATE.EXE', %1, '2001-02-03 04:05:06')")
                      .arg(QString::fromLatin1(c.before)));
    EXPECT_EQ(dm->CheckVersionProgramEXE(kExe, c.version), c.runs);
    const db::Result row = co->select(QStringLiteral("Select Version, LastUpdate From CheckVersionProgramEXE Where ProgramEXE = 'CONSOLIDATE.EXE'"));
    ASSERT_EQ(row.rowCount(), 1);
    EXPECT_EQ(row.asInt("Version"), c.after);
    const bool raised = !c.before || QString::fromLatin1(c.before).toInt() < c.version;
    EXPECT_EQ(row.asDateTime("LastUpdate") == QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), !raised);
    EXPECT_EQ(prompts->texts(), c.runs ? QStringList() : QStringList{kOutdated});
  }
}

TEST_F(DataModule, WorkingYearAllowsOneYearAhead) {
  ASSERT_TRUE(cfg->GetCompanyConfig(site.info.companyDatabase));
  site.company()->execute(QStringLiteral("Update Config Set RunYear = 2024"));
  EXPECT_TRUE(dm->CheckRunYear(QDate(1990, 1, 1)));
  EXPECT_TRUE(dm->CheckRunYear(QDate(2025, 12, 31)));
  EXPECT_EQ(dm->RunYear, 2024);
  EXPECT_FALSE(dm->CheckRunYear(QDate(2026, 1, 1)));

  // The row held by QConfig is only refreshed when it is reopened; a null year lets year 1 pass only.
  site.company()->execute(QStringLiteral("Update Config Set RunYear = Null"));
  dm->QConfig.close();
  EXPECT_FALSE(dm->CheckRunYear(QDate(2024, 6, 1)));
  EXPECT_EQ(dm->RunYear, 0);
  EXPECT_TRUE(dm->CheckRunYear(QDate(1, 6, 1)));
}

TEST_F(DataModule, ServerServices) {
  loadCompanyAndRights(200, 2);
  ASSERT_TRUE(dm->CheckVersionProgramEXE(kExe, 3));
  const int year = embedded::serverNow().date().year();

  // Numbers of the year of the date: 31 December and 1 January draw from different counters.
  const QString first = dm->NewDocumentNo(QStringLiteral("CONSOLIDAT"), QDate(year, 12, 31));
  const QString second = dm->NewDocumentNo(QStringLiteral("CONSOLIDAT"), QDate(year, 12, 31));
  const QString next = dm->NewDocumentNo(QStringLiteral("CONSOLIDAT"), QDate(year + 1, 1, 1));
  // The demo's counter: prefix "Con" + two-digit year, 15 characters in all.
  auto number = [](int y, int n) -> QString {
    const QString prefix = QStringLiteral("Con") + QString::number(y % 100).rightJustified(2, QLatin1Char('0'));
    return prefix + QString::number(n).rightJustified(15 - prefix.size(), QLatin1Char('0'));
  };
  EXPECT_EQ(first, number(year, 1));
  EXPECT_EQ(second, number(year, 2));
  EXPECT_EQ(next, number(year + 1, 1));
  EXPECT_THROW(dm->NewDocumentNo(QStringLiteral("NOSUCHCODE"), QDate(year, 1, 1)), db::Error);

  embedded::setServerClock([] { return QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)); });
  EXPECT_EQ(dm->ServerTime(), QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)));
  embedded::setServerClock({});

  dm->UserAddLog(dm->LogCodePreview, 17, QStringLiteral("Con24000000001"));
  const db::Result log = site.company()->select(QStringLiteral("Select UserId, MenuId, FunctionListId, DocumentId, Remark From UserLog"));
  ASSERT_EQ(log.rowCount(), 1);
  EXPECT_EQ(log.asInt("UserId"), 2);
  EXPECT_EQ(log.asInt("MenuId"), 200);
  EXPECT_EQ(log.asInt("FunctionListId"), 10);
  EXPECT_EQ(log.asInt("DocumentId"), 17);
  EXPECT_EQ(log.asString("Remark"), QStringLiteral("Con24000000001"));
}

TEST_F(DataModule, ConfirmYesNoIsTheBlueBoxOfThePromptsService) {
  prompts->answer(true);
  prompts->answer(false);
  EXPECT_TRUE(dm->ConfirmYesNo(QStringLiteral("ลบ ?")));
  EXPECT_FALSE(dm->ConfirmYesNo(QStringLiteral("ลบ ?")));
  ASSERT_EQ(prompts->log.size(), 2u);
  EXPECT_EQ(prompts->log[0].style, prompts::Style::DataModule);
  EXPECT_EQ(dm->PromptColor, QColor(0, 0, 255));
}

TEST_F(DataModule, ConfirmYesNoOnTheRealBox) {
  auto previous = prompts::install(nullptr);  // the real Qt boxes
  struct Case {
    const char* how;
    bool expected;
  } cases[] = {{"yes", true}, {"no", false}, {"escape", false}, {"close", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    bool seen = false;
    QString buttons;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seen = box->text() == QStringLiteral("ยืนยัน ?") && box->icon() == QMessageBox::Question;
      for (QAbstractButton* b : box->buttons()) buttons += b->text() + QLatin1Char(' ');
      const QString how = QString::fromLatin1(c.how);
      if (how == QLatin1String("escape"))
        QTest::keyClick(box, Qt::Key_Escape);
      else if (how == QLatin1String("close"))
        box->close();
      else
        for (QAbstractButton* b : box->buttons())
          if (b->text().compare(how, Qt::CaseInsensitive) == 0) b->click();
    });
    EXPECT_EQ(dm->ConfirmYesNo(QStringLiteral("ยืนยัน ?")), c.expected);
    EXPECT_TRUE(seen);
    EXPECT_EQ(buttons.trimmed().split(QLatin1Char(' ')).size(), 2);
    EXPECT_TRUE(buttons.contains(QStringLiteral("Yes")) && buttons.contains(QStringLiteral("No")));
  }
  prompts::install(previous);
}

TEST_F(DataModule, AMessagesLineBreaksShowAsOneBreakEach) {
  // Messages write their breaks LF CR; a box shows each pair as one break, never a blank line.
  const struct {
    const char* text;
    const char* shown;
  } cases[] = {{"a\n\rb", "a\nb"},          {"a\r\nb", "a\nb"},       {"a\n\r\n\rb", "a\n\nb"},
               {"a\r\n\r\nb", "a\n\nb"}, {"a\nb\rc", "a\nb\nc"}, {"a\n\nb", "a\n\nb"},
               {"no break", "no break"}};
  for (const auto& c : cases) EXPECT_EQ(prompts::DisplayText(QString::fromUtf8(c.text)), QString::fromUtf8(c.shown)) << c.text;

  auto previous = prompts::install(nullptr);  // the real Qt boxes
  QString shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    shown = box->text();
    box->accept();
  });
  prompts::message(QStringLiteral("ไม่พบบาร์โค้คราคาที่ป้อน\n\rกรุณาตรวจสอบอีกครั้ง"));
  EXPECT_EQ(shown, QStringLiteral("ไม่พบบาร์โค้คราคาที่ป้อน\nกรุณาตรวจสอบอีกครั้ง"));
  prompts::install(previous);
}

class OldCompanyDatabase : public Modules {
 protected:
  OldCompanyDatabase() : Modules(baseOptions()) {}
  static embedded::SiteOptions baseOptions() {
    embedded::SiteOptions o;
    o.baseSchema = true;
    return o;
  }
};

TEST_F(OldCompanyDatabase, UpgradeAddsTheProgramsObjectsOnceAndFillsTheFlags) {
  {
    auto co = site.company();
    ASSERT_FALSE(tableExists(*co, QStringLiteral("CheckVersionProgramEXE")));
    ASSERT_FALSE(columnsOf(*co, QStringLiteral("Config")).contains(QStringLiteral("CHECKUSERWAREHOUSEFLAG")));
    co->execute(QStringLiteral("Insert Into Product (Id, Code, UseSerial) Values (9001, 'P9001', 'Y')"));
    co->execute(QStringLiteral("Insert Into Product (Id, Code, UseSerial) Values (9002, 'P9002', 'N')"));
  }
  ASSERT_TRUE(cfg->GetCompanyConfig(site.info.companyDatabase));
  ASSERT_TRUE(dm->CheckVersionProgramEXE(kExe, 3));

  auto co = site.company();
  for (const char* table : {"CheckVersionProgramEXE", "UserWarehouse", "UserSubtype"})
    EXPECT_TRUE(tableExists(*co, QString::fromLatin1(table))) << table;
  const QStringList config = columnsOf(*co, QStringLiteral("Config"));
  for (const char* column : {"CHECKUSERWAREHOUSEFLAG", "CHECKUSERSUBTYPEFLAG", "SHOWPRODUCTPRICELIST"})
    EXPECT_TRUE(config.contains(QString::fromLatin1(column))) << column;
  const QStringList product = columnsOf(*co, QStringLiteral("Product"));
  for (const char* column : {"CHECKSERIALPURC", "CHECKSERIALSALE", "CHECKSERIALSTOCK", "CHECKSERIALONHAND", "PRODUCTFREE"})
    EXPECT_TRUE(product.contains(QString::fromLatin1(column))) << column;
  EXPECT_TRUE(columnsOf(*co, QStringLiteral("SystemForm")).contains(QStringLiteral("SUBTYPE")));

  const db::Result cfgRow = co->select(QStringLiteral("Select CheckUserWarehouseFlag w, CheckUserSubtypeFlag s From Config"));
  EXPECT_EQ(cfgRow.asString("w"), QStringLiteral("N"));
  EXPECT_EQ(cfgRow.asString("s"), QStringLiteral("N"));
  // QConfig was reopened after the first script, so it carries the new columns.
  EXPECT_GE(dm->QConfig.columnIndex(QStringLiteral("CheckUserSubtypeFlag")), 0);
  const db::Result p = co->select(QStringLiteral(
      "Select Id, CheckSerialPurc a, CheckSerialSale b, CheckSerialStock c, CheckSerialOnhand d From Product Where Id In (9001, 9002) Order By Id"));
  for (const char* c : {"a", "b", "c", "d"}) EXPECT_EQ(p.asString(c), QStringLiteral("Y")) << c;
  const db::Result version = co->select(QStringLiteral("Select ProgramEXE, Version From CheckVersionProgramEXE"));
  ASSERT_EQ(version.rowCount(), 1);
  EXPECT_EQ(version.asString("ProgramEXE"), kExe);
  EXPECT_EQ(version.asInt("Version"), 3);

  // Running again changes nothing except the serial flags still null.
  co->execute(QStringLiteral("Insert Into Product (Id, Code, UseSerial) Values (9003, 'P9003', 'Y')"));
  co->execute(QStringLiteral("Update Product Set CheckSerialSale = 'N' Where Id = 9001"));
  ASSERT_TRUE(dm->CheckVersionProgramEXE(kExe, 3));
  EXPECT_EQ(co->select(QStringLiteral("Select CheckSerialSale s From Product Where Id = 9001")).asString("s"), QStringLiteral("N"));
  EXPECT_EQ(co->select(QStringLiteral("Select CheckSerialOnhand s From Product Where Id = 9003")).asString("s"), QStringLiteral("Y"));
  EXPECT_EQ(co->select(QStringLiteral("Select Count(*) n From CheckVersionProgramEXE")).asInt("n"), 1);
  // The unique index on the program name holds.
  EXPECT_THROW(co->execute(QStringLiteral("Insert Into CheckVersionProgramEXE (ProgramEXE, Version) Values ('CONSOLIDATE.EXE', 1)")), db::Error);
}

TEST_F(OldCompanyDatabase, HalfUpgradedConfigIsNotRepaired) {
  // The first flag exists, the second does not: the flag update fails and stops the upgrade.
  site.company()->execute(QStringLiteral("Alter Table Config Add CheckUserWarehouseFlag Char(1) Null"));
  ASSERT_TRUE(cfg->GetCompanyConfig(site.info.companyDatabase));
  EXPECT_THROW(dm->CheckVersionProgramEXE(kExe, 3), db::Error);
  EXPECT_FALSE(tableExists(*site.company(), QStringLiteral("CheckVersionProgramEXE")));
}

// What each step of the two upgrade scripts adds or fills, in order, by name. The T-SQL text itself
// is checked by the T-SQL grammar check (tests/tsql); the steps' effect on a site by the tests above.
QString whatTheStepDoes(const QString& step) {
  QStringList done;
  static const QRegularExpression create(QStringLiteral("Create\\s+Table\\s+(\\w+)"), QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression add(QStringLiteral("Alter\\s+Table\\s+(\\w+)\\s+Add\\s+([^\\n]+)"), QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression update(QStringLiteral("^\\s*Update\\s+(\\w+)\\s+Set\\s+(.+?)\\s+Where"),
                                         QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression assigned(QStringLiteral("(\\w+)\\s*="));
  if (const auto m = create.match(step); m.hasMatch()) done << QStringLiteral("create ") + m.captured(1);
  if (const auto m = add.match(step); m.hasMatch())
    for (const QString& column : m.captured(2).split(QLatin1Char(',')))
      done << QStringLiteral("add %1.%2").arg(m.captured(1), column.trimmed().section(QLatin1Char(' '), 0, 0));
  if (const auto m = update.match(step); m.hasMatch())
    for (auto it = assigned.globalMatch(m.captured(2)); it.hasNext();) done << QStringLiteral("fill %1.%2").arg(m.captured(1), it.next().captured(1));
  return done.join(QStringLiteral(", "));
}

TEST(UpgradeScripts, EachStepAddsWhatItMustInOrder) {
  TDM dm;
  QStringList config;
  for (const QString& step : db::Script::split(dm.SQLUpdateConfig.sql)) config << whatTheStepDoes(step);
  EXPECT_EQ(config, (QStringList{"add Config.CheckUserWarehouseFlag, add Config.CheckUserSubtypeFlag",
                                 "fill Config.CheckUserWarehouseFlag, fill Config.CheckUserSubtypeFlag"}));
  QStringList company;
  for (const QString& step : db::Script::split(dm.SQLUpdate.sql)) company << whatTheStepDoes(step);
  EXPECT_EQ(company, (QStringList{"create CheckVersionProgramEXE",
                                  "add Product.CheckSerialPurc",
                                  "add Product.CheckSerialSale",
                                  "add Product.CheckSerialStock",
                                  "add Product.CheckSerialOnhand",
                                  "fill Product.CheckSerialPurc",
                                  "fill Product.CheckSerialSale",
                                  "fill Product.CheckSerialStock",
                                  "fill Product.CheckSerialOnhand",
                                  "add Product.ProductFree",
                                  "add Config.ShowProductPriceList",
                                  "create UserWarehouse",
                                  "create UserSubtype",
                                  "add SystemForm.Subtype"}));
  // The version batch names its program parameter four times (the inserted value, the insert's look
  // at the row, the raise and the read); one binding serves them all.
  EXPECT_EQ(dm.QCheckProGramExe.sql.join(QLatin1Char('\n')).count(QStringLiteral(":ProgramExe")), 4);
}

}  // namespace
