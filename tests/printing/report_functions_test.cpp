// The functions the print dialogs answer for their templates, evaluated by the report engine the
// way a template calls them, and through consolidate-report on the command line.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "db.h"
#include "qstring_print.h"
#include "report/report.h"
#include "report_functions_setup.h"

namespace {

// A data database with a few units and a Config row, and the configuration database that names
// the company owning it.
class ReportFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    {
      db::Connection c("setup");
      c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=SHOP", "CREATE DATABASE=TRUE"};
      c.execute(
          "Create Table ProductUnits (Id Integer Primary Key, Product Integer, UnitName VarChar(20), Fraction Integer,"
          " SmallUnitFlag Char(1), StockUnitFlag Char(1))");
      c.execute("Insert Into ProductUnits Values (1, 1, 'ชิ้น', 1, 'Y', 'N'), (2, 1, 'ลัง', 12, 'N', 'Y')");
      c.execute("Create Table Config (Id Integer, OnhandDecimal Integer, UnitLeft VarChar(5), UnitRight VarChar(5))");
      c.execute("Insert Into Config Values (1, Null, '(', ')')");
    }
    {
      db::Connection c("setupcfg");
      c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=TALVIK_CONFIG", "CREATE DATABASE=TRUE"};
      c.execute("Create Table Company (Id Integer Primary Key, NameThai VarChar(100), TaxNo VarChar(20))");
      c.execute("Create Table DatabaseList (Id Integer Primary Key, Company Integer, DatabaseName VarChar(50))");
      c.execute("Insert Into Company Values (1, 'บริษัท อื่น จำกัด', '1'), (2, 'บริษัท ร้านค้า จำกัด  ', '0105512345678')");
      c.execute("Insert Into DatabaseList Values (1, 1, 'OTHER'), (2, 2, 'shop')");
    }
    data.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=SHOP"};
  }

  QString eval(report::Report& r, const QString& expr) { return r.evaluate(expr).toString(); }

  QTemporaryDir dir;
  db::Connection data{"DMDATA"};
};

TEST_F(ReportFunctions, AmountsInWordsWithDigitsTakenModulo256) {
  report::Report r;
  printing::setupReportFunctions(r, &data);
  const struct {
    const char* expr;
    const char* expected;
  } cases[] = {
      {"TELL_REAL_THAI(1234.5, 2)", "หนึ่งพันสองร้อยสามสิบสี่บาทห้าสิบสตางค์"},
      {"tell_real_thai(21, 2)", "ยี่สิบเอ็ดบาทถ้วน"},
      {"Tell_Real_Thai2(12.5, 1)", "สิบสองจุดห้า"},
      {"TELL_REAL_THAI2(12.5, 257)", "สิบสองจุดห้า"},
      {"TELL_REAL_ENG(1000 + 234.5, 1 + 1)", "ONE  THOUSAND TWO  HUNDRED THIRTY FOUR  BAHT  AND FIFTY  SATANG"},
      {"TELL_REAL_ENG2(12.5, 2)", "TWELVE   POINT FIFTY  "},
      {"TELL_REAL_THAI('12', 2)", "สิบสองบาทถ้วน"},
      {"TELL_REAL_THAI(0, 2)", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(eval(r, c.expr), QString::fromUtf8(c.expected)) << c.expr;
}

TEST_F(ReportFunctions, QuantitiesInUnitsReadTheDataDatabase) {
  report::Report r;
  r.setConnection(data);
  printing::setupReportFunctions(r, &data);
  r.setVariable("Qty", "30");
  const struct {
    const char* expr;
    const char* expected;
  } cases[] = {
      {"ONHANDQUANTITY(Qty, 2)", "2 (ลัง) 6 (ชิ้น)"},
      {"OnhandQuantity(-Qty, 1 + 1)", "- 2 (ลัง) 6 (ชิ้น)"},
      {"ONHANDQUANTITYLSUNIT(Qty, 2, 1)", "2 ลัง"},
      {"ONHANDQUANTITYLSUNIT(Qty, 2, 2)", " 6 ชิ้น"},
      {"ONHANDQUANTITYLSUNIT(Qty, 2, 7)", "30 IDERROR"},
      {"FRACSMALLBYSTOCK(Qty, 1)", "2;1/2  ลัง"},
      {"FRACSMALLBYSTOCK(1.5, 2)", "1;1/2  ลัง"},
      {"ONHANDQUANTITY(5, 99)", "5 ERROR"},
  };
  for (const auto& c : cases) EXPECT_EQ(eval(r, c.expr), QString::fromUtf8(c.expected)) << c.expr;
}

TEST_F(ReportFunctions, OtherNamesAreLeftToTheEngine) {
  report::Report r;
  printing::setupReportFunctions(r, &data);
  // The function library still answers its own names ...
  EXPECT_EQ(eval(r, "UPPERCASE('abc')"), "ABC");
  // ... and a name nobody knows stays unknown.
  try {
    r.evaluate("TELL_REAL_THAI3(1, 2)");
    FAIL() << "an unknown function was answered";
  } catch (const report::ExprError& e) {
    EXPECT_TRUE(e.message().contains("TELL_REAL_THAI3")) << e.message().toStdString();
  }
}

TEST_F(ReportFunctions, QuantitiesWithoutADatabaseFailWithAMessage) {
  report::Report r;
  printing::setupReportFunctions(r, nullptr);
  EXPECT_EQ(eval(r, "TELL_REAL_ENG(12, 2)"), "TWELVE  BAHT  ONLY");
  EXPECT_THROW(r.evaluate("ONHANDQUANTITY(30, 2)"), report::ExprError);
  EXPECT_EQ(eval(r, "COMPANYINFO('NameThai')"), "");
}

TEST_F(ReportFunctions, CompanyInfoReadsTheCompanyThatOwnsTheDatabase) {
  report::Report r;
  printing::setupReportFunctions(r, &data);
  EXPECT_EQ(eval(r, "COMPANYINFO('NameThai')"), QString::fromUtf8("บริษัท ร้านค้า จำกัด"));
  EXPECT_EQ(eval(r, "companyinfo('taxno')"), "0105512345678");
  EXPECT_THROW(r.evaluate("COMPANYINFO('NoSuchField')"), report::ExprError);
}

TEST_F(ReportFunctions, ConsolidateReportAnswersTheSameFunctions) {
  const QString tool = QStringLiteral(CONSOLIDATE_REPORT_TOOL);
  ASSERT_TRUE(QFileInfo::exists(tool)) << tool.toStdString();
  QProcess p;
  p.start(tool, {"eval", "--site", dir.path(), "--database", "SHOP", "TELL_REAL_THAI(1234.5, 2)", "ONHANDQUANTITY(30, 2)",
                 "COMPANYINFO('TaxNo')"});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(lines[0], QString::fromUtf8("หนึ่งพันสองร้อยสามสิบสี่บาทห้าสิบสตางค์"));
  EXPECT_EQ(lines[1], QString::fromUtf8("2 (ลัง) 6 (ชิ้น)"));
  EXPECT_EQ(lines[2], "0105512345678");
}

}  // namespace
