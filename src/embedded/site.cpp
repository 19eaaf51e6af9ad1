// Installation of the embedded server in a process, and creation of a site.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <mutex>

#include "bulk_insert.h"
#include "embedded.h"
#include "textutil/whole_file.h"

namespace embedded {

void install() {
  static std::once_flag once;
  std::call_once(once, [] {
    db::addSqliteOpenHook([](void* handle, const QString&) { registerServerFunctions(handle); });
    registerServerProcedures();
  });
}

QString serverNameFor(const QString& folder) { return QStringLiteral("embedded:") + folder; }

void setConnectionParams(db::Connection& conn, const QString& folder, const QString& databaseName, bool create) {
  conn.params = QStringList{QStringLiteral("DATABASE NAME=") + databaseName, QStringLiteral("SERVER NAME=") + serverNameFor(folder)};
  if (create) conn.params << QStringLiteral("CREATE DATABASE=TRUE");
}

namespace {

struct MenuEntry {
  int id;
  const char* thai;
  const char* english;
};
const MenuEntry kMenus[] = {
    {100, "ดึง Order จาก Web", "Web Order Import"},
    {101, "พิมพ์สติกเกอร์กล่อง", "Print Box Stickers"},
    {102, "บันทึกสินค้าลงกล่อง", "Box Packing"},
    {200, "จัดสินค้าตามเขต", "Zone Consolidation"},
    {201, "ใบวางบิลตามเขต", "Zone Bill Collection"},
};

void removeDatabaseFiles(const QString& file) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    const QString f = file + QString::fromLatin1(suffix);
    if (QFileInfo::exists(f) && !QFile::remove(f)) throw db::Error(QStringLiteral("Cannot remove %1").arg(f));
  }
}

void fillConfigDatabase(db::Connection& c, const QString& companyDb, const QDateTime& now) {
  const int year = now.date().year();
  BulkInsert company(c, QStringLiteral("Company"),
                     {"Id", "Code", "NameThai", "NameEng", "ShortName", "Address1", "Address2", "Address3", "Address4",
                      "Province", "Zip", "Telephone", "Fax", "EMail", "TaxNo", "InstallDate", "RunYear", "LocalServer",
                      "FUNDNAME", "TaxBranchHead", "TaxBranchCode", "TaxBranchName"});
  company.add({1, companyDb, QStringLiteral("บริษัท ตัวอย่างการค้า จำกัด"), QStringLiteral("Example Trading Co., Ltd."),
               QStringLiteral("ตัวอย่างการค้า"), QStringLiteral("99/9 ถนนประชาราษฎร์บำเพ็ญ"), QStringLiteral("แขวงห้วยขวาง"),
               QStringLiteral("เขตห้วยขวาง"), QString(), QStringLiteral("กรุงเทพมหานคร"), QStringLiteral("10310"),
               QStringLiteral("02-000-0000"), QStringLiteral("02-000-0001"), QStringLiteral("office@example.co.th"),
               QStringLiteral("0105500000000"), now.date(), year, QString(), QString(), QStringLiteral("Y"),
               QStringLiteral("00000"), QStringLiteral("สำนักงานใหญ่")});
  company.flush();

  BulkInsert cc(c, QStringLiteral("CompanyConfig"),
                {"Company", "PicturePath", "Public_Price_IE", "DefaultWh", "POS1_Wh", "POS1_TaxCode", "POS1_Price_IE",
                 "POS1_PriceType", "POS1_SumDetail", "DefaultPosComPort", "DefaultTax", "DefaultPosMenuId"});
  cc.add({1, QString(), QStringLiteral("E"), 1, 1, 1, QStringLiteral("I"), 1, QStringLiteral("N"), QStringLiteral("COM1"), 1, 0});
  cc.flush();

  BulkInsert dbl(c, QStringLiteral("DatabaseList"), {"Id", "Company", "DatabaseName", "Description", "YearNo"});
  dbl.add({1, 1, companyDb, QString(QStringLiteral("ฐานข้อมูลบริษัท ") + companyDb), year});
  dbl.flush();

  BulkInsert menu(c, QStringLiteral("Menu"), {"Id", "ParentId", "OrderNo", "Caption", "CaptionEng", "Command", "MenuOption", "Version"});
  int order = 0;
  for (const MenuEntry& m : kMenus)
    menu.add({m.id, 0, ++order, QString::fromUtf8(m.thai), QString::fromUtf8(m.english), QStringLiteral("CONSOLIDATE.EXE"), m.id, 3});
  menu.flush();

  const QStringList userFlags = {"EditSalePrice", "Approve_Quo", "Approve_SO", "Approve_IV", "Approve_PO", "Approved_PORQ",
                                 "ApproveTranWH", "ApproveTranBranch", "ApproveWorkOrder", "CanSeeCost", "CanSeeSalePrice",
                                 "CanModifyCusSale", "Approve_PreIs", "ApproveCustomerDropUse", "ApproveCustomerDropCredit",
                                 "CanModifyCredit", "CanSetProductBlock", "CanSetProductMinus", "CanSaleCreditOnReturnCheque"};
  BulkInsert users(c, QStringLiteral("UserName"), QStringList{"Id", "Code", "Password", "FullName", "LanguageNo", "Salesman"} + userFlags);
  auto user = [&](int id, const char* code, const QString& name, int language, const QString& flag) {
    QVector<QVariant> row{id, QString::fromLatin1(code), QString(), name, language, QVariant()};
    for (int i = 0; i < userFlags.size(); ++i) row << flag;
    users.add(row);
  };
  user(1, "ADMIN", QStringLiteral("ผู้ดูแลระบบ"), 1, QStringLiteral("Y"));
  user(2, "ENGLISH", QStringLiteral("English Speaking User"), 2, QStringLiteral("Y"));
  user(3, "NORIGHT", QStringLiteral("ผู้ใช้ไม่มีสิทธิ์"), 1, QStringLiteral("N"));
  users.flush();

  BulkInsert rights(c, QStringLiteral("UserRight"), {"UserName", "Menu", "Access_R", "Add_R", "Modify_R", "Delete_R"});
  for (int u : {1, 2})
    for (const MenuEntry& m : kMenus)
      rights.add({u, m.id, QStringLiteral("Y"), QStringLiteral("Y"), QStringLiteral("Y"), QStringLiteral("Y")});
  rights.flush();
}

struct Series {
  const char* code;
  const char* description;
  const char* prefixHead;  // followed by the two-digit year (and the month for monthly series)
  int length;
  const char* docType;
};

void fillCompanyDatabase(db::Connection& c, const QDateTime& now) {
  const int year = now.date().year();
  const QString yy = QString::number(year % 100).rightJustified(2, QLatin1Char('0'));

  BulkInsert cfg(c, QStringLiteral("Config"),
                 {"Id", "RunYear", "OnhandDecimal", "UnitLeft", "UnitRight", "UseCustomerLinkHead", "MainServerIP", "MainDbName",
                  "ShowLastSearch", "AutoGenGL", "Default_IE", "DefaultWH", "CheckUserWarehouseFlag", "CheckUserSubtypeFlag",
                  "ShowProductPriceList"});
  cfg.add({1, year, QVariant(), QString(), QString(), QStringLiteral("N"), QString(), QString(), QStringLiteral("Y"),
           QStringLiteral("N"), QStringLiteral("E"), 1, QStringLiteral("N"), QStringLiteral("N"), QStringLiteral("N")});
  cfg.flush();

  BulkInsert nul(c, QStringLiteral("NullTable"), {"Id"});
  nul.add({0});
  nul.flush();

  BulkInsert tax(c, QStringLiteral("Tax"), {"Id", "Code", "Description", "Rate"});
  tax.add({1, QStringLiteral("V7"), QStringLiteral("ภาษีมูลค่าเพิ่ม 7%"), 7.0});
  tax.add({2, QStringLiteral("V0"), QStringLiteral("ภาษีมูลค่าเพิ่ม 0%"), 0.0});
  tax.add({3, QStringLiteral("EX"), QStringLiteral("ยกเว้นภาษีมูลค่าเพิ่ม"), 0.0});
  tax.flush();

  BulkInsert wh(c, QStringLiteral("Warehouse"), {"Id", "Code", "Description", "Consignment", "Customer"});
  wh.add({1, QStringLiteral("WH01"), QStringLiteral("คลังสินค้าหลัก"), QStringLiteral("N"), QVariant()});
  wh.flush();

  BulkInsert misc(c, QStringLiteral("Misc"), {"Id", "GroupCode", "Code", "Description", "Blocked", "AutoRunDocMonth"});
  misc.add({1, QStringLiteral("SUBTYPE"), QStringLiteral("A"), QStringLiteral("ขายเชื่อ"), QStringLiteral("N"), QStringLiteral("N")});
  misc.add({2, QStringLiteral("SUBTYPE"), QStringLiteral("B"), QStringLiteral("ขายสด"), QStringLiteral("N"), QStringLiteral("Y")});
  misc.flush();

  static const Series series[] = {
      {"CONSOLIDAT", "Consolidate", "Con", 15, "CONSO"},
      {"MONEYBILL", "ใบวางบิลตามเขต", "MB", 12, "BILL"},
      {"SO-A", "ใบสั่งขาย ขายเชื่อ", "SOA", 12, "SO"},
      {"SO-B", "ใบสั่งขาย ขายสด", "SOB", 12, "SO"},
      {"IV-A", "ใบกำกับภาษี/ใบส่งสินค้า", "IVA", 12, "IV"},
      {"STOCKTRFCONV2", "ใบโอนสินค้าฝากขาย", "TRC", 12, "TR"},
  };
  BulkInsert docs(c, QStringLiteral("DocumentNo"), {"Code", "Description", "Prefix", "LastNo", "DocumentLength", "AutoRun", "DocType", "DocYear"});
  for (const Series& s : series)
    docs.add({QString::fromLatin1(s.code), QString::fromUtf8(s.description), QString(QString::fromLatin1(s.prefixHead) + yy), 0, s.length,
              QStringLiteral("Y"), QString::fromLatin1(s.docType), year});
  // Monthly sales-order series "SO01-A" .. "SO12-B" (used when the sub-type's AutoRunDocMonth is "Y").
  for (const char* type : {"A", "B"})
    for (int m = 1; m <= 12; ++m) {
      const QString mm = QString::number(m).rightJustified(2, QLatin1Char('0'));
      docs.add({QStringLiteral("SO%1-%2").arg(mm, QString::fromLatin1(type)),
                QStringLiteral("ใบสั่งขาย %1 เดือน %2").arg(QString::fromLatin1(type), mm),
                QStringLiteral("S%1%2%3").arg(QString::fromLatin1(type), yy, mm), 0, 12, QStringLiteral("Y"), QStringLiteral("SO"), year});
    }
  docs.flush();

  BulkInsert forms(c, QStringLiteral("SystemForm"),
                   {"FormOrderNo", "FormCode", "FormDesc", "FrfName", "SpName", "DocCode", "DocParaName", "ShowPrintPreview", "Subtype"});
  struct Form {
    int order;
    const char* code;
    const char* desc;
    const char* file;
    const char* preview;
  };
  static const Form formRows[] = {
      {1, "CONSOLIDAT", "ใบจัดสินค้าตามเขต", "Form_Consolidate.frf", "Y"},
      {1, "CONSOTOIV", "ใบส่งสินค้าตามใบจัดสินค้า", "Form_ConsoToIV.frf", "Y"},
      {1, "MONEYBILL", "ใบวางบิลตามเขต", "Form_MoneyBill.frf", "Y"},
      {1, "IV-A", "ใบกำกับภาษี/ใบส่งสินค้า", "Form_IV_A.frf", "Y"},
      {2, "IV-A", "ใบส่งสินค้า (สำเนา)", "Form_IV_A_Copy.frf", "N"},
      {1, "STOCKTRFCONV2", "ใบโอนสินค้าฝากขาย", "Form_StockTrfConv2.frf", "Y"},
  };
  for (const Form& f : formRows)
    forms.add({f.order, QString::fromLatin1(f.code), QString::fromUtf8(f.desc), QString::fromLatin1(f.file), QString(),
               QString::fromLatin1(f.code), QStringLiteral("DocNo"), QString::fromLatin1(f.preview), QString()});
  forms.flush();
}

void finish(db::Connection& c) {
  c.execute(QStringLiteral("ANALYZE"));
  c.execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

}  // namespace

SiteInfo createSite(const QString& folderIn, const SiteOptions& o) {
  install();
  if (!QDir().mkpath(folderIn)) throw db::Error(QStringLiteral("Cannot create the folder %1").arg(folderIn));
  SiteInfo info;
  info.folder = QDir(folderIn).absolutePath();
  info.serverName = serverNameFor(info.folder);
  info.companyDatabase = o.companyDatabase.trimmed().toUpper();
  if (info.companyDatabase.isEmpty() || info.companyDatabase.contains(QLatin1Char('/')) || info.companyDatabase.contains(QLatin1Char('\\')))
    throw db::Error(QStringLiteral("'%1' is not a database name").arg(o.companyDatabase));
  if (info.companyDatabase == QLatin1String(kConfigDatabase))
    throw db::Error(QStringLiteral("The company database cannot be named %1").arg(QLatin1String(kConfigDatabase)));
  if (o.scale < 1) throw db::Error(QStringLiteral("The scale must be 1 or more"));

  const QString cfgFile = db::embeddedDatabaseFile(info.folder, QLatin1String(kConfigDatabase));
  const QString coFile = db::embeddedDatabaseFile(info.folder, info.companyDatabase);
  for (const QString& f : {cfgFile, coFile}) {
    if (QFileInfo::exists(f) && !o.replace)
      throw db::Error(QStringLiteral("%1 already holds a site (%2 exists); use --replace to create it again")
                          .arg(QDir::toNativeSeparators(info.folder), QFileInfo(f).fileName()));
  }
  removeDatabaseFiles(cfgFile);
  removeDatabaseFiles(coFile);

  const QDateTime now = o.now.isValid() ? o.now : serverNow();
  RenderOptions tablesOnly;
  tablesOnly.includeUpgrade = !o.baseSchema;
  tablesOnly.indexes = false;
  RenderOptions indexesOnly = tablesOnly;
  indexesOnly.tables = false;
  indexesOnly.indexes = true;

  {
    db::Connection cfg(QStringLiteral("SiteConfig"));
    setConnectionParams(cfg, info.folder, QLatin1String(kConfigDatabase), true);
    cfg.startTransaction();
    createSchema(cfg, DatabaseKind::Config, tablesOnly);
    fillConfigDatabase(cfg, info.companyDatabase, now);
    createSchema(cfg, DatabaseKind::Config, indexesOnly);
    cfg.commit();
    finish(cfg);
  }
  {
    db::Connection co(QStringLiteral("SiteCompany"));
    setConnectionParams(co, info.folder, info.companyDatabase, true);
    co.execute(QStringLiteral("PRAGMA cache_size=-65536"));
    co.startTransaction();
    createSchema(co, DatabaseKind::Company, tablesOnly);
    fillCompanyDatabase(co, now);
    if (o.demo) {
      SiteOptions d = o;
      d.now = now;
      generateDemoData(co, d);
    }
    if (o.progress && o.demo) o.progress(QStringLiteral("indexes"));
    createSchema(co, DatabaseKind::Company, indexesOnly);
    co.commit();
    if (o.progress && o.demo) o.progress(QStringLiteral("statistics"));
    finish(co);
  }

  const QString serverDat = QDir(info.folder).filePath(QStringLiteral("Server.Dat"));
  QString reason;
  if (!textutil::WriteWholeFile(serverDat, "embedded:.\n", &reason))
    throw db::Error(QStringLiteral("Cannot write %1: %2").arg(serverDat, reason));
  return info;
}

}  // namespace embedded
