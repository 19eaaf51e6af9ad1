// The server functions registered on every embedded connection.
#include "site_fixture.h"

namespace {

struct ClockGuard {
  explicit ClockGuard(const QDateTime& t) {
    embedded::setServerClock([t] { return t; });
  }
  ~ClockGuard() { embedded::setServerClock({}); }
};

QVariant scalar(db::Connection& c, const QString& expr) { return c.select(QStringLiteral("Select ") + expr + QStringLiteral(" V")).value(QStringLiteral("V")); }

}  // namespace

TEST(EmbeddedFunctions, ScalarFunctionsReadStoredDates) {
  TempSite site;
  db::Connection& c = *site.company;
  const struct {
    const char* expr;
    QVariant expected;
  } cases[] = {
      {"Year('2024-12-31 23:59:00')", 2024},
      {"Month('2024-12-31 23:59:00')", 12},
      {"Day('2024-02-29')", 29},
      {"Year('2024-03-05T10:11:12.345')", 2024},
      {"Year(NULL)", QVariant()},
      {"Len('ab  ')", 2},
      {"Len('  ab')", 4},
      {"Len('ไทย ')", 3},
      {"Len('')", 0},
      {"DateOnly('2024-05-06 17:18:19')", QStringLiteral("2024-05-06 00:00:00")},
      {"AddDays('2024-02-28 10:00:00', 1)", QStringLiteral("2024-02-29 10:00:00")},
      {"AddDays('2024-12-31', 1)", QStringLiteral("2025-01-01 00:00:00")},
      {"AddDays('2024-03-01', -1)", QStringLiteral("2024-02-29 00:00:00")},
      {"DateKey('2016-03-05 12:00:00')", QStringLiteral("20160305")},
      {"ToDateTime('2016-03-05')", QStringLiteral("2016-03-05 00:00:00")},
      {"ToDateTime('20160305')", QStringLiteral("2016-03-05 00:00:00")},
      {"ToDateTime('03/05/2016')", QStringLiteral("2016-03-05 00:00:00")},
      {"ToDateTime('12/31/2016 13:45')", QStringLiteral("2016-12-31 13:45:00")},
  };
  for (const auto& k : cases) {
    const QVariant v = scalar(c, QString::fromUtf8(k.expr));
    if (k.expected.isNull()) {
      EXPECT_TRUE(v.isNull()) << k.expr;
    } else {
      EXPECT_EQ(v.toString(), k.expected.toString()) << k.expr;
    }
  }
}

TEST(EmbeddedFunctions, ConversionFailuresCarryTheServersMessage) {
  TempSite site;
  for (const char* expr : {"ToDateTime('31/12/2016')", "ToDateTime('tomorrow')", "Year('2024-13-01')", "Month('x')"}) {
    try {
      scalar(*site.company, QString::fromLatin1(expr));
      ADD_FAILURE() << expr << " did not fail";
    } catch (const db::Error& e) {
      EXPECT_TRUE(e.message().contains(QStringLiteral("Conversion failed when converting date and/or time from character string")))
          << expr << ": " << e.what();
    }
  }
}

TEST(EmbeddedFunctions, GetDateAndTheYearOfTheServerClock) {
  TempSite site;
  ClockGuard clock(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 500)));
  EXPECT_EQ(scalar(*site.company, QStringLiteral("GetDate()")).toString(), QStringLiteral("2024-12-31 23:59:59"));
  EXPECT_EQ(scalar(*site.company, QStringLiteral("Year(GetDate())")).toInt(), 2024);
  EXPECT_EQ(embedded::serverNow(), QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)));
}

TEST(EmbeddedFunctions, ScopeIdentityIsTheLastInsertedIdentity) {
  TempSite site;
  db::Connection& c = *site.company;
  const db::Result r = c.select(QStringLiteral("Insert Into Misc (GroupCode, Code) Values ('ZONE', 'T1'); Select Scope_Identity() Id"));
  EXPECT_EQ(r.asInt(QStringLiteral("Id")), site.companyCount(QStringLiteral("Select Id From Misc Where Code = 'T1'")));
}

TEST(EmbeddedFunctions, QuantityInUnitsWritesLargeAndSmallUnits) {
  embedded::UnitText box;
  box.found = true;
  box.largeName = QStringLiteral("box");
  box.largeFraction = 12;
  box.smallName = QStringLiteral("pcs");
  embedded::UnitText paren = box;
  paren.unitLeft = QStringLiteral("(");
  paren.unitRight = QStringLiteral(")");
  embedded::UnitText twoDecimals = box;
  twoDecimals.onhandDecimal = 2;
  embedded::UnitText single = box;
  single.largeFraction = 1;
  single.largeName = QStringLiteral("pcs");
  embedded::UnitText none;
  const struct {
    const embedded::UnitText* u;
    double qty;
    const char* text;
  } cases[] = {
      {&box, 30, "2 box 6 pcs"},
      {&paren, 30, "2 (box) 6 (pcs)"},
      {&box, -30, "- 2 box 6 pcs"},
      {&box, 0, "0 box"},
      {&box, 6, "6 pcs"},
      {&box, 24, "2 box"},
      {&box, 13.5, "1 box 1.5 pcs"},
      {&box, 0.5, ".5 pcs"},
      {&box, 12000 * 12 + 5, "12,000 box 5 pcs"},
      {&twoDecimals, 6, "6.00 pcs"},
      {&twoDecimals, 30, "2 box 6.00 pcs"},
      {&single, 1234.25, "1,234.25 pcs"},
      {&none, 30, "30 ERROR"},
      {&none, -30, "30 ERROR"},  // a product without units: the quantity without its sign
      {&twoDecimals, 12000 * 12 + 1234.5, "12,102 box 10.50 pcs"},
  };
  for (const auto& k : cases) EXPECT_EQ(embedded::quantityInUnits(*k.u, k.qty), QString::fromUtf8(k.text)) << k.qty << " " << k.text;
}

TEST(EmbeddedFunctions, ShowQtyUnitsUsesTheProductsStockUnitAndTheCompanySettings) {
  embedded::SiteOptions o;
  o.demo = true;
  TempSite site(o);
  db::Connection& c = *site.company;
  // P00001: ขวด (1), ลัง (12, the stock unit), แพ็ค (6).
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("2 ลัง 6 ขวด"));
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits((Select Id From Product Where Code = 'P00003'), Cast(25 As Real))")).toString(),
            QStringLiteral("2 ลัง 1 ขวด"));
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(999999, 30)")).toString(), QStringLiteral("30 ERROR"));
  EXPECT_TRUE(scalar(c, QStringLiteral("ShowQtyUnits(1, NULL)")).isNull());
  c.execute(QStringLiteral("Update Config Set UnitLeft = '(', UnitRight = ')', OnhandDecimal = 2"));
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("2 (ลัง) 6.00 (ขวด)"));
  // Without a stock unit the largest unit is the large one.
  c.execute(QStringLiteral("Update ProductUnits Set StockUnitFlag = 'N' Where Product = 1"));
  c.execute(QStringLiteral("Update Config Set UnitLeft = '', UnitRight = '', OnhandDecimal = Null"));
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("2 ลัง 6 ขวด"));
  // The stock expression of the consolidation load, in its SQLite form.
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, Cast(Coalesce((Select Sum(O.Quantity) From ProductOnhand O "
                                     "Where O.BalanceYear = Year(GetDate()) And O.Product = 1), 0) As Real))"))
                .toString(),
            QStringLiteral("20 ลัง 10 ขวด"));
  // Called for every row of one statement, each row gets its own product's units, the same as when
  // asked alone; a product without units, read first, changes nothing for the rows after it.
  db::Result rows = c.select(QStringLiteral(
      "Select P.Id, ShowQtyUnits(P.Id, 30) As Q From (Select Id From Product Union All Select 999999) P "
      "Order By P.Id = 999999 Desc, P.Id"));
  ASSERT_GT(rows.rowCount(), 3);
  for (; !rows.eof(); rows.next()) {
    const qint64 id = rows.asInt(QStringLiteral("Id"));
    EXPECT_EQ(rows.asString(QStringLiteral("Q")), scalar(c, QStringLiteral("ShowQtyUnits(%1, 30)").arg(id)).toString()) << id;
  }
  // A column added to the units table meanwhile: the function still reads them.
  c.execute(QStringLiteral("Alter Table ProductUnits Add Column Note VarChar(10)"));
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("2 ลัง 6 ขวด"));
}

// The company settings and a product's units are kept between the calls of one statement: a change
// by another workstation's connection, or one made inside this connection's open transaction and
// rolled back, is seen by the next statement.
TEST(EmbeddedFunctions, ShowQtyUnitsSeesSettingsChangedElsewhere) {
  embedded::SiteOptions o;
  o.demo = true;
  TempSite site(o);
  db::Connection& c = *site.company;
  db::Connection other(QStringLiteral("Other"));
  embedded::setConnectionParams(other, site.info.folder, site.info.companyDatabase);
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("2 ลัง 6 ขวด"));
  other.execute(QStringLiteral("Update Config Set UnitLeft = '[', UnitRight = ']'"));
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("2 [ลัง] 6 [ขวด]"));
  c.startTransaction();
  c.execute(QStringLiteral("Update Config Set UnitLeft = '', UnitRight = '', OnhandDecimal = 2"));
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("2 ลัง 6.00 ขวด"));
  c.rollback();
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("2 [ลัง] 6 [ขวด]"));
  other.execute(QStringLiteral("Update ProductUnits Set UnitName = 'หีบ' Where Product = 1 And StockUnitFlag = 'Y'"));
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("2 [หีบ] 6 [ขวด]"));
  c.startTransaction();
  c.execute(QStringLiteral("Update ProductUnits Set Fraction = 10 Where Product = 1 And StockUnitFlag = 'Y'"));
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("3 [หีบ]"));
  c.rollback();
  EXPECT_EQ(scalar(c, QStringLiteral("ShowQtyUnits(1, 30)")).toString(), QStringLiteral("2 [หีบ] 6 [ขวด]"));
}

TEST(EmbeddedFunctions, ServerDateTextsAreReadAsSqlServerReadsThem) {
  const struct {
    const char* text;
    QDateTime expected;
  } cases[] = {
      {"2016-03-05", QDateTime(QDate(2016, 3, 5), QTime(0, 0))},
      {" 2016-03-05 07:08:09 ", QDateTime(QDate(2016, 3, 5), QTime(7, 8, 9))},
      {"20160305", QDateTime(QDate(2016, 3, 5), QTime(0, 0))},
      {"3/5/2016", QDateTime(QDate(2016, 3, 5), QTime(0, 0))},
      {"2016-02-30", QDateTime()},
      {"13/05/2016", QDateTime()},
      {"", QDateTime()},
  };
  for (const auto& k : cases) EXPECT_EQ(embedded::parseServerDateText(QString::fromLatin1(k.text)), k.expected) << k.text;
}
