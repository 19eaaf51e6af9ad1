// Site creation and the demo data that the windows, the tests and the benchmarks rely on.
#include <QDir>
#include <QFile>
#include <QProcess>

#include "file_size_limit.h"
#include "functions.h"
#include "site_fixture.h"

namespace {

// The due-lines rule of the zone consolidation in its SQLite form: lines of approved, undeleted,
// uncleared orders with a back order, due by the send date, of the zone's customers, not held by an
// open consolidation of the zone.
const char* kDueLines =
    "Select Count(*) From SoDt D Inner Join SoHd H On H.Id = D.SoHd Inner Join Customer C On C.Id = H.Customer "
    "Where (H.Delflag = 'N') And (H.Approved = 'Y') And (H.Clear <> 'Y') And (D.BackOrder > 0) "
    "And (Coalesce(H.MerchandisingSystems,'Y') = 'Y') And H.ShipDate <= :SendDate And C.Zone = :Zone "
    "And D.Id Not In (Select T.SoDt From ConsolidateDt T Inner Join ConsolidateHd K On K.Id = T.ConsolidateHd "
    "Where K.Confirm = 'N' And K.Delflag = 'N' And K.CustomerZone = :Zone)";

const QDateTime kDemoNow(QDate(2025, 3, 14), QTime(9, 30));

embedded::SiteOptions demo(int scale = 1) {
  embedded::SiteOptions o;
  o.demo = true;
  o.scale = scale;
  o.now = kDemoNow;
  return o;
}

QString runTool(const QStringList& args, int* exitCode) {
  QProcess p;
  p.start(QStringLiteral(CONSOLIDATE_DB_EXE), args);
  EXPECT_TRUE(p.waitForFinished(120000));
  *exitCode = p.exitCode();
  return QString::fromUtf8(p.readAllStandardError()) + QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

TEST(Site, BaseSiteHasCompanyUsersMenusAndCounters) {
  TempSite site;
  db::Connection& cfg = *site.config;
  db::Params p;
  p.setText(QStringLiteral("GetName"), QStringLiteral("DEMO"));
  // The company lookup of the start-up, in its production form.
  const db::Result company = cfg.select(QStringLiteral(
      "Select C.Company, O.Description, O.YearNo, P.Id, P.Code, P.NameThai, P.RunYear, M.Command From CompanyConfig C "
      "Inner Join DatabaseList O On O.Company = C.Company Inner Join Company P On P.Id = O.Company "
      "Left Outer Join Menu M On M.Id = C.DefaultPosMenuId Where O.DatabaseName = :GetName"),
                                        p);
  ASSERT_EQ(company.rowCount(), 1);
  EXPECT_EQ(company.asString(QStringLiteral("Code")), QStringLiteral("DEMO"));
  EXPECT_EQ(site.count(cfg, QStringLiteral("Select Count(*) From Menu Where Version = 3 And Command = 'CONSOLIDATE.EXE' And MenuOption = Id")), 5);
  EXPECT_EQ(site.count(cfg, QStringLiteral("Select LanguageNo From UserName Where Id = 1")), 1);
  EXPECT_EQ(site.count(cfg, QStringLiteral("Select LanguageNo From UserName Where Id = 2")), 2);
  EXPECT_EQ(site.count(cfg, QStringLiteral("Select Count(*) From UserRight Where UserName = 3")), 0);

  db::Connection& co = *site.company;
  const db::Result config = co.select(QStringLiteral("Select * From Config"));
  ASSERT_EQ(config.rowCount(), 1);
  EXPECT_EQ(config.asInt(QStringLiteral("RunYear")), embedded::serverNow().date().year());
  EXPECT_EQ(config.asString(QStringLiteral("UseCustomerLinkHead")), QStringLiteral("N"));
  EXPECT_EQ(config.asString(QStringLiteral("AutoGenGL")), QStringLiteral("N"));
  EXPECT_EQ(config.asString(QStringLiteral("CheckUserWarehouseFlag")), QStringLiteral("N"));
  EXPECT_EQ(config.asInt(QStringLiteral("DefaultWH")), site.companyCount(QStringLiteral("Select Id From Warehouse Where Code = 'WH01'")));
  EXPECT_EQ(site.companyCount(QStringLiteral("Select Count(*) From NullTable")), 1);
  for (const char* code : {"CONSOLIDAT", "MONEYBILL", "SO-A", "SO01-A", "SO12-A", "IV-A", "STOCKTRFCONV2"})
    EXPECT_EQ(site.companyCount(QStringLiteral("Select Count(*) From DocumentNo Where Code = '%1' And LastNo = 0").arg(QLatin1String(code))), 1)
        << code;
  for (const char* code : {"CONSOLIDAT", "CONSOTOIV", "MONEYBILL", "IV-A", "STOCKTRFCONV2"})
    EXPECT_GE(site.companyCount(QStringLiteral("Select Count(*) From SystemForm Where FormCode = '%1'").arg(QLatin1String(code))), 1) << code;

  QFile serverDat(site.info.folder + QStringLiteral("/Server.Dat"));
  ASSERT_TRUE(serverDat.open(QIODevice::ReadOnly));
  EXPECT_EQ(serverDat.readLine(), QByteArray("embedded:.\n"));
}

TEST(Site, AnExistingSiteIsReplacedOnlyOnRequest) {
  QTemporaryDir dir;
  embedded::SiteOptions o;
  embedded::createSite(dir.path(), o);
  try {
    embedded::createSite(dir.path(), o);
    ADD_FAILURE() << "a second init on the same folder went through";
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("--replace"))) << e.what();
  }
  // The refused init left the site as it was; --replace makes a fresh one.
  db::Connection co(QStringLiteral("X"));
  embedded::setConnectionParams(co, dir.path(), QStringLiteral("DEMO"));
  co.execute(QStringLiteral("Insert Into Misc (GroupCode, Code) Values ('ZONE', 'KEEP')"));
  co.close();
  o.replace = true;
  embedded::createSite(dir.path(), o);
  EXPECT_EQ(co.select(QStringLiteral("Select Count(*) N From Misc Where Code = 'KEEP'")).asInt(QStringLiteral("N")), 0);

  int rc = 0;
  QString text = runTool({QStringLiteral("init"), dir.path()}, &rc);
  EXPECT_EQ(rc, 1);
  EXPECT_TRUE(text.contains(QStringLiteral("already holds a site"))) << text.toStdString();
  text = runTool({QStringLiteral("init"), dir.path(), QStringLiteral("--replace"), QStringLiteral("--database"), QStringLiteral("shop2"),
                  QStringLiteral("--quiet")},
                 &rc);
  EXPECT_EQ(rc, 0) << text.toStdString();
  EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/SHOP2.sqlite")));
  text = runTool({QStringLiteral("init"), dir.path(), QStringLiteral("--scale"), QStringLiteral("0")}, &rc);
  EXPECT_EQ(rc, 2);
  text = runTool({QStringLiteral("schema"), QStringLiteral("--tsql")}, &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_TRUE(text.contains(QStringLiteral("Create Table ConsolidateHd (")));
}

TEST(Site, CompanyDatabaseNameIsUpperCasedEverywhere) {
  embedded::SiteOptions o;
  o.companyDatabase = QStringLiteral("ruf_as");
  TempSite site(o);
  EXPECT_EQ(site.info.companyDatabase, QStringLiteral("RUF_AS"));
  EXPECT_TRUE(QFile::exists(site.info.folder + QStringLiteral("/RUF_AS.sqlite")));
  EXPECT_EQ(site.count(*site.config, QStringLiteral("Select Count(*) From DatabaseList Where DatabaseName = 'RUF_AS'")), 1);
  EXPECT_THROW(embedded::createSite(site.info.folder + QStringLiteral("/x"), [] {
                 embedded::SiteOptions bad;
                 bad.companyDatabase = QStringLiteral("TALVIK_CONFIG");
                 return bad;
               }()),
               db::Error);
}

class DemoSite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { site = new TempSite(demo()); }
  static void TearDownTestSuite() {
    delete site;
    site = nullptr;
  }
  static qint64 n(const QString& sql, const db::Params& p = {}) { return site->companyCount(sql, p); }
  static TempSite* site;
  QDate today = kDemoNow.date();
};
TempSite* DemoSite::site = nullptr;

TEST_F(DemoSite, EveryZoneHasCustomersWithDueLinesAndOpenInvoices) {
  const db::Result zones = site->company->select(QStringLiteral("Select Id, Code From Misc Where GroupCode = 'ZONE' Order By Code"));
  QStringList codes;
  for (const auto& row : zones.rows()) codes << row[1].toString();
  EXPECT_EQ(codes, QStringList({"Z01", "Z02", "Z03", "Z04"}));
  for (const auto& row : zones.rows()) {
    db::Params p;
    p.setInt(QStringLiteral("Zone"), row[0].toLongLong());
    p.setDateTime(QStringLiteral("SendDate"), QDateTime(today, QTime(0, 0)));
    const std::string zone = row[1].toString().toStdString();
    EXPECT_GE(n(QStringLiteral("Select Count(*) From Customer Where Zone = :Zone And Blocked = 'N'"), p), 5) << zone;
    EXPECT_GE(n(QString::fromLatin1(kDueLines), p), 3) << zone;
    EXPECT_GE(n(QStringLiteral("Select Count(*) From IvHd I Inner Join Customer C On C.Id = I.Customer "
                               "Where C.Zone = :Zone And I.DelFlag <> 'Y' And I.Clear <> 'Y'"),
                p),
              1)
        << zone;
  }
}

TEST_F(DemoSite, SalesOrdersSpreadAroundTodayWithEveryState) {
  EXPECT_GE(n(QStringLiteral("Select Count(*) From SoDt")), 2000);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From SoDt D Left Join SoHd H On H.Id = D.SoHd Where H.Id Is Null")), 0);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) - Count(Distinct SoNo) From SoHd")), 0);
  EXPECT_GE(n(QStringLiteral("Select Count(Distinct ShipDate) From SoHd")), 10);
  db::Params p;
  p.setDateTime(QStringLiteral("Today"), QDateTime(today, QTime(0, 0)));
  EXPECT_GT(n(QStringLiteral("Select Count(*) From SoHd Where ShipDate < :Today And Approved = 'Y'"), p), 0);
  EXPECT_GT(n(QStringLiteral("Select Count(*) From SoHd Where ShipDate > :Today And Approved = 'Y'"), p), 0);
  EXPECT_GT(n(QStringLiteral("Select Count(*) From SoHd Where ShipDate <= :Today And Approved = 'N'"), p), 0);
  for (const char* cond : {"DelFlag = 'Y'", "Clear = 'Y' And ConsoNo Is Not Null", "Imported = 'Y'", "MerchandisingSystems = 'N'"})
    EXPECT_GT(n(QStringLiteral("Select Count(*) From SoHd Where ") + QLatin1String(cond)), 0) << cond;
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From SoDt Where BackOrder <> (Quantity - Send) * Fraction")), 0);
  // The first order: C00001, due today, three lines of P00001, P00002, P00003.
  const db::Result first = site->company->select(
      QStringLiteral("Select H.SoNo, C.Code, H.ShipDate, P.Code PCode, D.BackOrder, U.Fraction From SoHd H "
                     "Inner Join Customer C On C.Id = H.Customer Inner Join SoDt D On D.SoHd = H.Id "
                     "Inner Join Product P On P.Id = D.Product Inner Join ProductUnits U On U.Id = D.ProductUnits "
                     "Where H.Id = 1 Order By D.SoRecNo"));
  ASSERT_EQ(first.rowCount(), 3);
  EXPECT_EQ(first.asString(QStringLiteral("SoNo")), QStringLiteral("SOA250000001"));
  EXPECT_EQ(first.asString(QStringLiteral("Code")), QStringLiteral("C00001"));
  EXPECT_EQ(first.asDateTime(QStringLiteral("ShipDate")).date(), today);
  QStringList lines;
  for (const auto& r : first.rows()) lines << QStringLiteral("%1:%2/%3").arg(r[3].toString()).arg(r[4].toDouble()).arg(r[5].toInt());
  EXPECT_EQ(lines, QStringList({"P00001:60/12", "P00002:10/1", "P00003:60/12"}));
}

TEST_F(DemoSite, CountersContinueAfterTheDemoDocuments) {
  db::Connection& c = *site->company;
  const struct {
    const char* code;
    const char* used;  // where the series' numbers are stored
  } series[] = {
      {"SO-A", "Select Count(*) From SoHd Where SoNo = :No"},
      {"IV-A", "Select Count(*) From IvHd Where IvNo = :No"},
      {"CONSOLIDAT", "Select (Select Count(*) From ConsolidateHd Where DocNo = :No) + (Select Count(*) From SoHd Where ConsoNo = :No)"},
      {"MONEYBILL", "Select Count(*) From MoneyBill Where Docno = :No"},
      {"STOCKTRFCONV2", "Select Count(*) From TransferHd Where TrNo = :No"},
  };
  for (const auto& s : series) {
    db::Params p;
    p.setText(QStringLiteral("No"), embedded::newDocumentNo(c, QString::fromLatin1(s.code), today.year()));
    EXPECT_EQ(n(QString::fromLatin1(s.used), p), 0) << s.code << " " << p.find(QStringLiteral("No"))->value.toString().toStdString();
  }
  EXPECT_GT(n(QStringLiteral("Select LastNo From DocumentNo Where Code = 'SO-A' And DocYear = 2025")), 300);
}

TEST_F(DemoSite, CustomersCoverEveryKind) {
  const struct {
    const char* code;
    const char* cond;
  } cases[] = {
      {"C00001", "Blocked = 'N' And SendYourOrder = 1 And ConSignMentFlag = 'N'"},
      {"C00003", "ConSignMentFlag = 'Y'"},
      {"C00004", "Blocked = 'Y'"},
      {"C00005", "SendYourOrder Is Null"},
      {"C00006", "Blocked = 'Z'"},
  };
  for (const auto& k : cases)
    EXPECT_EQ(n(QStringLiteral("Select Count(*) From Customer Where Code = '%1' And %2").arg(QLatin1String(k.code), QLatin1String(k.cond))), 1)
        << k.code;
  // Consignment customers have a warehouse of their own code; customers have a salesman, a
  // province, a district and attributes of both groups.
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From Customer C Left Join Warehouse W On W.Code = C.Code And W.Consignment = 'Y' "
                             "Where C.ConSignMentFlag = 'Y' And W.Id Is Null")),
            0);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From Customer C Left Join Salesman S On S.Id = C.Salesman "
                             "Left Join Misc P On P.Id = C.Province And P.GroupCode = 'CITY' "
                             "Left Join Tax T On T.Id = C.TaxCode Where S.Id Is Null Or P.Id Is Null Or T.Id Is Null Or C.Address3 Is Null")),
            0);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From Customer Where Id Not In (Select Customer From CustomerAttribute Where GroupCode Like 'CH%') "
                             "Or Id Not In (Select Customer From CustomerAttribute Where GroupCode Like 'SIZE%')")),
            0);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From Salesman Where Status = 'N'")), 1);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From Salesman S Inner Join Misc M On M.Id = S.Department And M.GroupCode = 'DEPARTMENT'")),
            n(QStringLiteral("Select Count(*) From Salesman")));
}

TEST_F(DemoSite, ProductsHaveUnitsBarcodesAndStock) {
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From Product")), 200);
  // One small unit of fraction 1 and one stock unit per product.
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From Product P Where (Select Count(*) From ProductUnits U Where U.Product = P.Id "
                             "And U.SmallUnitFlag = 'Y' And U.Fraction = 1) <> 1 Or (Select Count(*) From ProductUnits U "
                             "Where U.Product = P.Id And U.StockUnitFlag = 'Y') <> 1")),
            0);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) - Count(Distinct Barcode) From ProductUnits")), 0);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From ProductUnits Where VolumnFraction <= 0 Or Price <= 0")), 0);
  const db::Result units = site->company->select(QStringLiteral("Select U.Barcode, U.UnitName, U.Fraction From ProductUnits U "
                                                                "Inner Join Product P On P.Id = U.Product Where P.Code = 'P00001' Order By U.Id"));
  ASSERT_EQ(units.rowCount(), 3);
  EXPECT_EQ(units.at(0, 0).toString(), QStringLiteral("8850000010019"));
  EXPECT_EQ(units.at(0, 0).toString(), embedded::demoBarcode(1, 1));
  EXPECT_EQ(units.at(1, 1).toString(), QStringLiteral("ลัง"));
  EXPECT_EQ(units.at(1, 2).toInt(), 12);
  const db::Result barcodes = site->company->select(QStringLiteral("Select Barcode From ProductUnits"));
  for (const auto& row : barcodes.rows()) {
    const QString b = row[0].toString();
    ASSERT_EQ(b.size(), 13);
    EXPECT_EQ(embedded::ean13CheckDigit(b.left(12)), b.right(1).toInt()) << b.toStdString();
  }
  const struct {
    const char* product;
    double thisYear;
  } stock[] = {{"P00001", 250}, {"P00002", 0}, {"P00003", 25}};
  for (const auto& s : stock)
    EXPECT_EQ(n(QStringLiteral("Select Coalesce(Sum(O.Quantity), 0) From ProductOnhand O Inner Join Product P On P.Id = O.Product "
                               "Where P.Code = '%1' And O.BalanceYear = 2025")
                    .arg(QLatin1String(s.product))),
              qint64(s.thisYear))
        << s.product;
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From Product Where Code = 'P00002' And Negative = 'Y'")), 1);
  EXPECT_GE(n(QStringLiteral("Select Count(Distinct Warehouse) From ProductOnhand")), 2);
  EXPECT_GT(n(QStringLiteral("Select Count(*) From ProductOnhand Where BalanceYear = 2024")), 0);
}

TEST_F(DemoSite, ConsolidationsReserveAndFreeTheirLines) {
  const db::Result docs = site->company->select(QStringLiteral(
      "Select H.DocNo, M.Code, H.Confirm, H.Delflag, (Select Count(*) From ConsolidateDt D Where D.ConsolidateHd = H.Id) N "
      "From ConsolidateHd H Inner Join Misc M On M.Id = H.CustomerZone And M.GroupCode = 'ZONE' Order By H.DocNo"));
  ASSERT_EQ(docs.rowCount(), 3);
  QStringList rows;
  for (const auto& r : docs.rows()) rows << QStringLiteral("%1 %2 %3%4 %5").arg(r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString()).arg(r[4].toInt());
  EXPECT_EQ(rows, QStringList({"Con250000000001 Z02 NN 1", "Con250000000002 Z03 YN 2", "Con250000000003 Z04 NY 1"}));
  // The open document's line is not due for its zone; the deleted document's line is.
  for (const auto& [doc, due] : {std::pair{"Con250000000001", 0}, std::pair{"Con250000000003", 1}}) {
    db::Params p;
    p.setText(QStringLiteral("Doc"), QString::fromLatin1(doc));
    p.setDateTime(QStringLiteral("SendDate"), QDateTime(today, QTime(0, 0)));
    p.setInt(QStringLiteral("Zone"), n(QStringLiteral("Select CustomerZone From ConsolidateHd Where DocNo = :Doc"), p));
    EXPECT_EQ(n(QString::fromLatin1(kDueLines) +
                    QStringLiteral(" And D.Id In (Select T.SoDt From ConsolidateDt T Inner Join ConsolidateHd K On K.Id = T.ConsolidateHd Where K.DocNo = :Doc)"),
                p),
              due)
        << doc;
  }
  // The finished document's lines name their invoice.
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From ConsolidateDt D Inner Join IvHd I On I.Id = D.IvHd And I.IvNo = D.IvNo "
                             "Inner Join IvDt L On L.Id = D.IvDt And L.IvHd = I.Id Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd "
                             "Where H.Confirm = 'Y'")),
            2);
}

TEST_F(DemoSite, BillsBoxesAndForms) {
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From MoneyBill M Inner Join IvHd I On I.Id = M.BillDocId Where M.Docno = 'MB2500000001' "
                             "And Abs(M.BalanceAmount - (I.Total - I.RcptAmount)) < 0.005 And M.DocAmount = I.Total")),
            2);
  EXPECT_GT(n(QStringLiteral("Select Count(*) From IvHd Where Clear = 'Y' And RcptAmount = Total")), 0);
  EXPECT_GT(n(QStringLiteral("Select Count(*) From IvHd Where Clear = 'N' And RcptAmount > 0 And RcptAmount < Total")), 0);
  // Prices before VAT ("E"): the total is the lines and 7 %. Prices that include VAT ("I", one
  // customer in ten): the total is the lines, and the amount before VAT is taken out of it.
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From IvHd I Where Price_IE = 'E' "
                             "And Abs(I.Total - (Select Sum(L.Total) From IvDt L Where L.IvHd = I.Id) * 1.07) > 0.05")),
            0);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From IvHd I Where Price_IE = 'I' And (Abs(I.Total - (Select Sum(L.Total) From IvDt L "
                             "Where L.IvHd = I.Id)) > 0.005 Or Abs(I.NoTaxAmt - I.Total * 100 / 107) > 0.005 "
                             "Or Abs(I.NoTaxAmt + I.TaxAmt - I.Total) > 0.005)")),
            0);
  EXPECT_GT(n(QStringLiteral("Select Count(*) From IvHd I Inner Join Customer C On C.Id = I.Customer Where I.Price_IE = 'I' "
                             "And C.Code = 'C00009'")),
            0);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From SoHd H Inner Join Customer C On C.Id = H.Customer "
                             "Where (H.Price_IE = 'I') <> (C.Code In ('C00009', 'C00019', 'C00029', 'C00039'))")),
            0);

  EXPECT_EQ(n(QStringLiteral("Select Count(*) From BoxNo Where BarCode Like 'BOX0000%' And Customer Is Null And Delflag = 'N'")), 20);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From BoxNo B Inner Join Customer C On C.Id = B.Customer And C.Code = 'C00001' "
                             "Inner Join IvHd I On I.IvNo = B.IvNo And I.BoxNoId = B.Id Where B.BarCode = 'BOX900001'")),
            1);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From BoxNoProductUnits D Inner Join BoxNo B On B.Id = D.BoxNo Where B.BarCode = 'BOX900001'")), 3);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From BoxNo B Inner Join TransferHd T On T.TrNo = B.TrNo And T.BoxNoId = B.Id "
                             "Inner Join Warehouse W On W.Id = T.ToWarehouse And W.Code = 'C00003' Where B.BarCode = 'BOX900002'")),
            1);
  EXPECT_EQ(n(QStringLiteral("Select Count(*) From BoxNo Where BarCode = 'BOX900003' And Delflag = 'Y'")), 1);
}

TEST(DemoData, TheSameDayAndScaleGiveTheSameData) {
  TempSite a(demo()), b(demo());
  const QString dump = QStringLiteral(
      "Select Group_Concat(H.SoNo || C.Code || H.ShipDate || D.Product || D.Quantity, ',') V From SoHd H "
      "Inner Join Customer C On C.Id = H.Customer Inner Join SoDt D On D.SoHd = H.Id");
  EXPECT_EQ(a.company->select(dump).asString(QStringLiteral("V")), b.company->select(dump).asString(QStringLiteral("V")));
  EXPECT_EQ(a.company->select(QStringLiteral("Select Group_Concat(Name, ',') V From Customer")).asString(QStringLiteral("V")),
            b.company->select(QStringLiteral("Select Group_Concat(Name, ',') V From Customer")).asString(QStringLiteral("V")));
}

TEST(DemoData, ScalesAndFitsABaseSchemaSite) {
  embedded::SiteOptions o = demo(2);
  o.baseSchema = true;
  QStringList progress;
  o.progress = [&](const QString& s) { progress << s; };
  TempSite site(o);
  EXPECT_EQ(site.companyCount(QStringLiteral("Select Count(*) From Product")), 400);
  EXPECT_EQ(site.companyCount(QStringLiteral("Select Count(*) From Customer")), 80);
  EXPECT_GE(site.companyCount(QStringLiteral("Select Count(*) From SoDt")), 4000);
  EXPECT_FALSE(progress.isEmpty());
}

// `statements --out` on a full disk (a limit on the size of the files the tool writes): exit code 1
// naming the file, and every file it left is whole — the same as a run with room writes — so no cut
// statement reaches the grammar check.
TEST(Site, StatementFilesAreWrittenWholeOrTheToolFails) {
  QTemporaryDir dir;
  const QString room = dir.filePath(QStringLiteral("room")), full = dir.filePath(QStringLiteral("full"));
  int rc = 0;
  const QString text = runTool({QStringLiteral("statements"), QStringLiteral("--tsql"), QStringLiteral("--out"), room}, &rc);
  ASSERT_EQ(rc, 0) << text.toStdString();

  QProcess p;
  testsupport::limitFileSize(p, 1024);
  p.start(QStringLiteral(CONSOLIDATE_DB_EXE), {QStringLiteral("statements"), QStringLiteral("--tsql"), QStringLiteral("--out"), full});
  ASSERT_TRUE(p.waitForFinished(120000));
  const QString err = QString::fromUtf8(p.readAllStandardError());
  EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("cannot write ") + full + QLatin1Char('/'))) << err.toStdString();
  const QStringList written = QDir(full).entryList(QDir::Files | QDir::Hidden);
  EXPECT_FALSE(written.contains(QStringLiteral("index.tsv")));
  for (const QString& name : written) {
    QFile a(QDir(room).filePath(name)), b(QDir(full).filePath(name));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly)) << name.toStdString();
    EXPECT_EQ(b.readAll(), a.readAll()) << name.toStdString() << " is cut";
  }
}
