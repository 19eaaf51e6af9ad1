#include "schema.h"

#include <QRegularExpression>

namespace embedded {

namespace {

using K = ColumnKind;

ColumnDef identity(const char* n = "Id") { return {n, K::Identity, 0, 0, true, false}; }
ColumnDef key(const char* n = "Id") { return {n, K::Key, 0, 0, true, false}; }
ColumnDef idno(const char* n) { return {n, K::IdNo}; }
ColumnDef integer(const char* n) { return {n, K::Integer}; }
ColumnDef flag(const char* n) { return {n, K::Flag, 1}; }
ColumnDef chr(const char* n, int size) { return {n, K::Char, size}; }
ColumnDef vchr(const char* n, int size) { return {n, K::VarChar, size}; }
ColumnDef datetime(const char* n) { return {n, K::DateTime}; }
ColumnDef dec(const char* n, int p = 18, int s = 2) { return {n, K::Decimal, p, s}; }
ColumnDef text(const char* n) { return {n, K::Text}; }
ColumnDef image(const char* n) { return {n, K::Image}; }
ColumnDef nn(ColumnDef c) {
  c.notNull = true;
  return c;
}
ColumnDef up(ColumnDef c) {
  c.upgrade = true;
  return c;
}
IndexDef index(const QString& name, const QStringList& cols, bool unique = false) { return {name, cols, unique}; }

TableDef table(const char* name, DatabaseKind db, const char* purpose, QVector<ColumnDef> cols, QVector<IndexDef> idx = {}) {
  TableDef t;
  t.name = name;
  t.database = db;
  t.purpose = purpose;
  t.columns = std::move(cols);
  t.indexes = std::move(idx);
  return t;
}

constexpr DatabaseKind Cfg = DatabaseKind::Config;
constexpr DatabaseKind Co = DatabaseKind::Company;

QVector<TableDef> makeConfigTables() {
  QVector<TableDef> v;
  v << table("Company", Cfg, "companies of the suite", {
                 identity(), vchr("Code", 10), vchr("Password", 20), vchr("NameThai", 150), vchr("NameEng", 150),
                 vchr("ShortName", 50), vchr("Address1", 100), vchr("Address2", 100), vchr("Address3", 100),
                 vchr("Address4", 100), vchr("Province", 50), vchr("Zip", 10), vchr("Telephone", 50), vchr("Fax", 50),
                 vchr("EMail", 100), image("Logo"), vchr("TaxNo", 20), datetime("InstallDate"), integer("RunYear"),
                 vchr("LocalServer", 50), vchr("FUNDNAME", 100), flag("TaxBranchHead"), vchr("TaxBranchCode", 10),
                 vchr("TaxBranchName", 100)},
             {index("Company_Code", {"Code"}, true)});
  v << table("CompanyConfig", Cfg, "per-company settings of the suite (one row per company)", {
                 key("Company"), vchr("PicturePath", 200), flag("Public_Price_IE"), integer("DefaultWh"),
                 integer("POS1_Wh"), integer("POS1_TaxCode"), flag("POS1_Price_IE"), integer("POS1_PriceType"),
                 flag("POS1_SumDetail"), vchr("DefaultPosComPort", 10), integer("DefaultTax"), integer("DefaultPosMenuId")});
  v << table("DatabaseList", Cfg, "the company databases of each company", {
                 identity(), integer("Company"), vchr("DatabaseName", 50), vchr("Description", 100), integer("YearNo")},
             {index("DatabaseList_DatabaseName", {"DatabaseName"}), index("DatabaseList_Company", {"Company"})});
  v << table("Menu", Cfg, "menu entries of the suite's menu program", {
                 key(), integer("ParentId"), integer("OrderNo"), vchr("Caption", 100), vchr("CaptionEng", 100),
                 vchr("Command", 100), integer("MenuOption"), up(integer("Version"))});
  v << table("UserName", Cfg, "users of the suite", {
                 identity(), vchr("Code", 20), vchr("Password", 30), vchr("FullName", 100), integer("LanguageNo"),
                 integer("Salesman"), flag("EditSalePrice"), flag("Approve_Quo"), flag("Approve_SO"), flag("Approve_IV"),
                 flag("Approve_PO"), flag("Approved_PORQ"), flag("ApproveTranWH"), flag("ApproveTranBranch"),
                 flag("ApproveWorkOrder"), flag("CanSeeCost"), flag("CanSeeSalePrice"), flag("CanModifyCusSale"),
                 flag("Approve_PreIs"), flag("ApproveCustomerDropUse"), flag("ApproveCustomerDropCredit"),
                 flag("CanModifyCredit"), flag("CanSetProductBlock"), flag("CanSetProductMinus"),
                 flag("CanSaleCreditOnReturnCheque")},
             {index("UserName_Code", {"Code"}, true)});
  v << table("UserRight", Cfg, "rights of a user on a menu entry (read by MENUCAPTION)", {
                 identity(), integer("UserName"), integer("Menu"), flag("Access_R"), flag("Add_R"), flag("Modify_R"),
                 flag("Delete_R")},
             {index("UserRight_UserMenu", {"UserName", "Menu"}, true)});
  v << table("ErrorLog", Cfg, "errors reported by the programs (written by AddErrorLog)", {
                 identity(), datetime("LogDate"), vchr("CompName", 50), vchr("LogName", 50), integer("UserId"),
                 integer("MenuId"), text("ErrorMsg")},
             {index("ErrorLog_LogDate", {"LogDate"})});
  return v;
}

QVector<TableDef> makeCompanyTables() {
  QVector<TableDef> v;
  v << table("Config", Co, "the company's settings (one row)", {
                 key(), integer("RunYear"), integer("OnhandDecimal"), vchr("UnitLeft", 10), vchr("UnitRight", 10),
                 flag("UseCustomerLinkHead"), vchr("MainServerIP", 100), vchr("MainDbName", 50), flag("ShowLastSearch"),
                 flag("AutoGenGL"), flag("Default_IE"), idno("DefaultWH"), up(flag("CheckUserWarehouseFlag")),
                 up(flag("CheckUserSubtypeFlag")), up(flag("ShowProductPriceList"))});
  {
    TableDef t = table("CheckVersionProgramEXE", Co, "the highest version each program file has registered", {
                           identity(), nn(vchr("ProgramEXE", 30)), nn(idno("Version")), datetime("LastUpdate")},
                       {index("CheckVersionProgramIndexProgramEXE", {"ProgramEXE"}, true)});
    t.upgrade = true;
    v << t;
  }
  {
    TableDef t = table("UserWarehouse", Co, "the warehouses each user may use", {
                           identity(), nn(idno("UserName")), nn(idno("Warehouse")), nn(datetime("LastUpdate"))});
    t.upgrade = true;
    t.primaryKeyName = "DuplicateUserWarehouseId";
    t.primaryKeyNonClustered = true;
    v << t;
  }
  {
    TableDef t = table("UserSubtype", Co, "the product sub-types each user may use", {
                           identity(), nn(idno("UserName")), nn(idno("Subtype")), nn(datetime("LastUpdate"))});
    t.upgrade = true;
    t.primaryKeyName = "DuplicateUserSubtypeId";
    t.primaryKeyNonClustered = true;
    v << t;
  }
  v << table("DocumentNo", Co, "document-number counters, one per code and year", {
                 identity(), vchr("Code", 20), vchr("Description", 100), vchr("Prefix", 15), integer("LastNo"),
                 integer("DocumentLength"), flag("AutoRun"), vchr("DocType", 10), integer("DocYear")},
             {index("DocumentNo_CodeYear", {"Code", "DocYear"}, true)});
  v << table("DocNoConvert", Co, "document codes that draw from another code's counter", {
                 identity(), vchr("Code", 20), integer("DocYear"), idno("DocumentNo")},
             {index("DocNoConvert_CodeYear", {"Code", "DocYear"}, true)});
  v << table("UserLog", Co, "the users' activity log (written by UserAddLog)", {
                 identity(), datetime("LogDate"), idno("UserId"), idno("MenuId"), idno("FunctionListId"),
                 idno("DocumentId"), vchr("Remark", 200)},
             {index("UserLog_LogDate", {"LogDate"})});
  v << table("Misc", Co, "coded reference values by group: ZONE, CITY, SUBTYPE, DEPARTMENT", {
                 identity(), vchr("GroupCode", 20), vchr("Code", 20), vchr("Description", 100), flag("Blocked"),
                 flag("AutoRunDocMonth")},
             {index("Misc_GroupCode", {"GroupCode", "Code"})});
  v << table("Tax", Co, "tax codes", {identity(), vchr("Code", 10), vchr("Description", 100), dec("Rate", 5, 2)},
             {index("Tax_Code", {"Code"}, true)});
  v << table("Warehouse", Co, "warehouses; a consignment warehouse has the customer's code", {
                 identity(), vchr("Code", 20), vchr("Description", 100), flag("Consignment"), idno("Customer")},
             {index("Warehouse_Code", {"Code"}, true)});
  v << table("CustomerGroup", Co, "customer groups", {identity(), vchr("Code", 10), vchr("Description", 100)},
             {index("CustomerGroup_Code", {"Code"}, true)});
  v << table("CusAttrGroup", Co, "customer-attribute groups", {identity(), vchr("Code", 10), vchr("Description", 100)},
             {index("CusAttrGroup_Code", {"Code"}, true)});
  v << table("CusAttrCode", Co, "attribute codes of a customer-attribute group", {
                 identity(), idno("CusAttrGroup"), vchr("Code", 20), vchr("Description", 100)},
             {index("CusAttrCode_Group", {"CusAttrGroup", "Code"})});
  v << table("CustomerAttribute", Co, "a customer's attributes; GroupCode = group code + attribute code", {
                 identity(), idno("Customer"), vchr("GroupCode", 40), idno("CusAttrGroup"), idno("CusAttrCode")},
             {index("CustomerAttribute_GroupCode", {"GroupCode"}), index("CustomerAttribute_Customer", {"Customer"})});
  v << table("Salesman", Co, "salesmen; Status 'N' = suspended", {
                 identity(), vchr("Code", 10), vchr("Name", 30), vchr("Surname", 30), idno("Department"), flag("Status"),
                 datetime("StartDate"), datetime("StopDate"), vchr("Address1", 100), vchr("Address2", 100),
                 vchr("Address3", 100), idno("Province"), vchr("ZipCode", 10), vchr("PhoneNo", 50), vchr("FaxNo", 50),
                 vchr("EMail", 100)},
             {index("Salesman_Code", {"Code"}, true)});
  v << table("Customer", Co, "customers; Zone and Province hold Misc ids", {
                 identity(), vchr("Code", 20), idno("CustomerGroup"), vchr("HeadCode", 20), idno("Vendor"), vchr("Name", 150),
                 vchr("NameShort", 50), vchr("TaxNumber", 20), idno("TaxCode"), vchr("Address1", 100), vchr("Address2", 100),
                 vchr("Address3", 100), idno("Province"), vchr("ZIPCode", 10), vchr("PhoneNo", 50), vchr("FaxNo", 50),
                 datetime("OpenAccount"), integer("DueDays"), dec("CreditLimit"), idno("Salesman"), idno("Transport"),
                 integer("PriceLevel"), flag("DirectCus"), vchr("Remark", 200), image("Picture"), flag("LocalCustomer"),
                 flag("DropCredit"), flag("Blocked"), vchr("Barcode", 30), integer("BarCodeId"), vchr("Email", 100),
                 vchr("Website", 100), datetime("AddDate"), idno("Currency"), flag("fob"), integer("statementperiod"),
                 integer("billperiod"), integer("chqperiod"), vchr("NameEng", 150), vchr("DiscountStr", 30),
                 dec("DistanceKm"), dec("DistanceCost"), image("PictureMap"), vchr("DiscName1", 30), dec("DiscRate1"),
                 vchr("DiscName2", 30), dec("DiscRate2"), vchr("DiscName3", 30), dec("DiscRate3"),
                 vchr("CustomerOther", 100), flag("BranchHead"), vchr("BranchCode", 10), idno("Zone"),
                 integer("SendYourOrder"), flag("ConSignMentFlag")},
             {index("Customer_Code", {"Code"}, true), index("Customer_Zone", {"Zone"}), index("Customer_Name", {"Name"}),
              index("Customer_Salesman", {"Salesman"}), index("Customer_Province", {"Province"})});
  v << table("Product", Co, "products; Negative 'Y' = may be sent beyond stock", {
                 identity(), vchr("Code", 20), vchr("ThaiName", 150), vchr("EngName", 150), idno("Subtype"),
                 flag("Negative"), flag("UseSerial"), flag("Blocked"), up(flag("CheckSerialPurc")),
                 up(flag("CheckSerialSale")), up(flag("CheckSerialStock")), up(flag("CheckSerialOnhand")),
                 up(flag("ProductFree"))},
             {index("Product_Code", {"Code"}, true)});
  v << table("ProductUnits", Co, "units of a product; Fraction = base units per unit", {
                 identity(), idno("Product"), vchr("UnitName", 30), integer("Fraction"), flag("SmallUnitFlag"),
                 flag("StockUnitFlag"), dec("VolumnFraction", 18, 4), vchr("Barcode", 30), dec("Price")},
             {index("ProductUnits_Product", {"Product"}), index("ProductUnits_Barcode", {"Barcode"})});
  v << table("ProductOnhand", Co, "stock balance rows in base units, per product, warehouse and year", {
                 identity(), idno("Product"), idno("Warehouse"), integer("BalanceYear"), dec("Quantity")},
             {index("ProductOnhand_ProductYear", {"Product", "BalanceYear"})});
  v << table("SoHd", Co, "sales-order headers", {
                 identity(), vchr("SoNo", 15), vchr("SoType", 5), flag("DelFlag"), vchr("DelRemark", 200),
                 flag("Price_IE"), datetime("SoDate"), idno("Department"), datetime("ShipDate"), idno("Customer"),
                 idno("Salesman"), idno("TaxCode"), dec("TaxRate", 5, 2), integer("DueDays"), idno("Warehouse"),
                 idno("Transportation"), vchr("Reference", 30), vchr("Remark", 200), dec("NoTaxAmt"), dec("TaxAmt"),
                 dec("TaxTotal"), dec("TaxCal"), dec("Total"), flag("Clear"), flag("Posted"), flag("Printed"),
                 flag("Imported"), flag("Approved"), flag("MerchandisingSystems"), up(chr("ConsoNo", 15)),
                 up(datetime("ConsoDate"))},
             {index("SoHd_SoNo", {"SoNo"}), index("SoHd_Customer", {"Customer"}), index("SoHd_ShipDate", {"ShipDate"}),
              index("SoHd_ConsoNo", {"ConsoNo"}), index("SoHd_Reference", {"Reference"})});
  v << table("SoDt", Co, "sales-order lines; BackOrder = outstanding base units", {
                 identity(), idno("SoHd"), integer("SoRecNo"), datetime("SoDate"), datetime("ShipDate"), idno("Warehouse"),
                 idno("TaxCode"), dec("TaxRate", 5, 2), idno("Product"), idno("ProductUnits"), integer("Fraction"),
                 dec("Quantity"), dec("Send"), dec("BackOrder"), dec("Price"), dec("Total"), dec("ProductAmount"),
                 flag("Clear"), up(idno("WebOrderId"))},
             {index("SoDt_SoHd", {"SoHd"}), index("SoDt_Product", {"Product"})});
  v << table("SoShip", Co, "shipping notes of a sales order", {
                 identity(), idno("SoHd"), datetime("ShipDate"), vchr("Remark", 200)},
             {index("SoShip_SoHd", {"SoHd"})});
  v << table("IvHd", Co, "sales-invoice headers", {
                 identity(), vchr("IvNo", 15), vchr("IvType", 5), datetime("IvDate"), datetime("DueDate"),
                 idno("Customer"), idno("Salesman"), idno("Department"), idno("TaxCode"), dec("TaxRate", 5, 2),
                 idno("Warehouse"), flag("Price_IE"), vchr("Reference", 30), vchr("Remark", 200), dec("NoTaxAmt"),
                 dec("TaxAmt"), dec("TaxTotal"), dec("Total"), dec("RcptAmount"), flag("DelFlag"), vchr("DelRemark", 200),
                 flag("Clear"), flag("Posted"), flag("Printed"), flag("Imported"), up(idno("BoxNoId"))},
             {index("IvHd_IvNo", {"IvNo"}), index("IvHd_Customer", {"Customer"}), index("IvHd_IvDate", {"IvDate"})});
  v << table("IvDt", Co, "sales-invoice lines", {
                 identity(), idno("IvHd"), integer("IvRecNo"), idno("Product"), idno("ProductUnits"), integer("Fraction"),
                 dec("Quantity"), dec("Price"), dec("Total"), idno("Warehouse"), idno("SoHd"), idno("SoDt"),
                 idno("ProductUnitsPrice")},
             {index("IvDt_IvHd", {"IvHd"})});
  v << table("IvShip", Co, "shipping notes of an invoice", {
                 identity(), idno("IvHd"), datetime("ShipDate"), vchr("Remark", 200)},
             {index("IvShip_IvHd", {"IvHd"})});
  v << table("ConsolidateHd", Co, "zone consolidation documents", {
                 identity(), vchr("DocNo", 15), datetime("DocDate"), datetime("SendDate"), idno("CustomerZone"),
                 vchr("Carman", 100), vchr("LicensePlate", 30), vchr("Porter1", 100), vchr("Porter2", 100),
                 vchr("Porter3", 100), vchr("Remark", 200), flag("Confirm"), flag("Delflag"), flag("Printed")},
             {index("ConsolidateHd_DocNo", {"DocNo"}), index("ConsolidateHd_Zone", {"CustomerZone"})});
  v << table("ConsolidateDt", Co, "sales-order lines taken into a zone consolidation", {
                 identity(), idno("ConsolidateHd"), flag("ToConso"), idno("SoHd"), idno("SoDt"), idno("Customer"),
                 idno("Product"), idno("ProductUnits"), dec("OrderSoQnty"), dec("Onhand"), dec("OrderQnty"),
                 dec("SendQnty"), vchr("IvNo", 15), idno("IvHd"), idno("IvDt")},
             {index("ConsolidateDt_Hd", {"ConsolidateHd"}), index("ConsolidateDt_SoDt", {"SoDt"})});
  v << table("MoneyBill", Co, "zone bill-collection documents, one row per invoice", {
                 identity(), vchr("Docno", 15), datetime("DocDate"), idno("CustomerZone"), vchr("Responsible", 100),
                 flag("Delflag"), vchr("Remark", 200), vchr("BillDocType", 5), idno("BillDocId"), dec("DocAmount"),
                 dec("BalanceAmount"), datetime("CreateDate")},
             {index("MoneyBill_Docno", {"Docno"}), index("MoneyBill_BillDocId", {"BillDocId"})});
  v << table("BoxNo", Co, "registered shipping boxes; BarCode is the printed box number", {
                 identity(), flag("Delflag"), vchr("BarCode", 30), idno("Customer"), datetime("SendDate"),
                 vchr("IvNo", 15), vchr("TrNo", 15), datetime("CreateDate")},
             {index("BoxNo_BarCode", {"BarCode"}, true)});
  v << table("BoxNoProductUnits", Co, "the pieces packed into a box", {
                 identity(), idno("BoxNo"), idno("ProductUnits"), integer("Quantity"), up(idno("ProductUnitsPrice")),
                 datetime("LastUpdate")},
             {index("BoxNoProductUnits_BoxNo", {"BoxNo"})});
  v << table("TransferHd", Co, "stock-transfer headers (consignment transfers from boxes)", {
                 identity(), vchr("TrNo", 15), datetime("TrDate"), idno("FromWarehouse"), idno("ToWarehouse"),
                 idno("Customer"), idno("BoxNoId"), vchr("Remark", 200), dec("Total"), flag("DelFlag"), flag("Approved"),
                 flag("Posted"), flag("Printed")},
             {index("TransferHd_TrNo", {"TrNo"})});
  v << table("TransferDt", Co, "stock-transfer lines", {
                 identity(), idno("TransferHd"), integer("TrRecNo"), idno("Product"), idno("ProductUnits"),
                 integer("Fraction"), dec("Quantity"), idno("ProductUnitsPrice"), dec("Price"), dec("Total")},
             {index("TransferDt_Hd", {"TransferHd"})});
  v << table("SystemForm", Co, "report forms registered per print code", {
                 identity(), integer("FormOrderNo"), vchr("FormCode", 20), vchr("FormDesc", 100), vchr("FrfName", 100),
                 vchr("SpName", 50), vchr("DocCode", 20), vchr("DocParaName", 50), up(chr("ShowPrintPreview", 1)),
                 up(chr("Subtype", 10))},
             {index("SystemForm_FormCode", {"FormCode"})});
  v << table("NullTable", Co, "one row, for statements that select constants", {key()});
  return v;
}

QString pad(const QString& s, int w) { return s.leftJustified(w); }

bool isUpgradeIndex(const TableDef& t, const IndexDef& i) {
  for (const QString& c : i.columns) {
    const ColumnDef* d = t.column(c);
    if (d && d->upgrade) return true;
  }
  return false;
}

}  // namespace

const ColumnDef* TableDef::column(const QString& n) const {
  for (const ColumnDef& c : columns)
    if (c.name.compare(n, Qt::CaseInsensitive) == 0) return &c;
  return nullptr;
}

QString TableDef::keyColumn() const {
  for (const ColumnDef& c : columns)
    if (c.kind == K::Identity || c.kind == K::Key) return c.name;
  return QString();
}

const QVector<TableDef>& tables(DatabaseKind kind) {
  static const QVector<TableDef> config = makeConfigTables();
  static const QVector<TableDef> company = makeCompanyTables();
  return kind == DatabaseKind::Config ? config : company;
}

const TableDef* findTable(DatabaseKind kind, const QString& name) {
  for (const TableDef& t : tables(kind))
    if (t.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0) return &t;
  return nullptr;
}

const TableDef* findTableAnywhere(const QString& name) {
  if (const TableDef* t = findTable(DatabaseKind::Config, name)) return t;
  return findTable(DatabaseKind::Company, name);
}

QString columnType(const ColumnDef& c, DatabaseKind kind, db::Dialect dialect) {
  const bool company = kind == DatabaseKind::Company;
  if (dialect == db::Dialect::Sqlite) {
    switch (c.kind) {
      case K::Identity: return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
      case K::Key: return QStringLiteral("INTEGER NOT NULL PRIMARY KEY");
      case K::IdNo:
      case K::Integer: return QStringLiteral("INTEGER");
      case K::Flag: return QStringLiteral("CHAR(1) COLLATE NOCASE");
      case K::Char: return QStringLiteral("CHAR(%1) COLLATE NOCASE").arg(c.size);
      case K::VarChar: return QStringLiteral("VARCHAR(%1) COLLATE NOCASE").arg(c.size);
      case K::DateTime: return QStringLiteral("DATETIME");
      case K::Decimal:
      case K::Float: return QStringLiteral("REAL");
      case K::Text: return QStringLiteral("TEXT COLLATE NOCASE");
      case K::Image: return QStringLiteral("BLOB");
    }
  }
  switch (c.kind) {
    case K::Identity: return company ? QStringLiteral("IdNo Identity(1,1)") : QStringLiteral("Int Identity(1,1)");
    case K::Key: return QStringLiteral("Int");
    case K::IdNo: return company ? QStringLiteral("IdNo") : QStringLiteral("Int");
    case K::Integer: return QStringLiteral("Int");
    case K::Flag: return company ? QStringLiteral("CharFlag") : QStringLiteral("Char(1)");
    case K::Char: return QStringLiteral("Char(%1)").arg(c.size);
    case K::VarChar: return QStringLiteral("VarChar(%1)").arg(c.size);
    case K::DateTime: return QStringLiteral("DateTime");
    case K::Decimal: return QStringLiteral("Decimal(%1,%2)").arg(c.size).arg(c.scale);
    case K::Float: return QStringLiteral("Float");
    case K::Text: return QStringLiteral("VarChar(Max)");
    case K::Image: return QStringLiteral("Image");
  }
  return QString();
}

QStringList tableStatements(const TableDef& t, db::Dialect dialect, const RenderOptions& o) {
  QStringList out;
  if (t.upgrade && !o.includeUpgrade) return out;
  const bool sqlite = dialect == db::Dialect::Sqlite;
  if (o.tables) {
    QStringList cols;
    for (const ColumnDef& c : t.columns) {
      if (c.upgrade && !o.includeUpgrade) continue;
      QString line = QStringLiteral("  ") + pad(c.name, 24) + QLatin1Char(' ') + columnType(c, t.database, dialect);
      if (sqlite) {
        if (c.notNull && c.kind != K::Identity && c.kind != K::Key) line += QStringLiteral(" NOT NULL");
      } else {
        line += c.notNull ? QStringLiteral(" Not Null") : QStringLiteral(" Null");
      }
      cols << line;
    }
    const QString key = t.keyColumn();
    if (!sqlite && !key.isEmpty()) {
      const QString pk = t.primaryKeyName.isEmpty() ? QStringLiteral("PK_") + t.name : t.primaryKeyName;
      cols << QStringLiteral("  Constraint %1 Primary Key%2 (%3)")
                  .arg(pk, t.primaryKeyNonClustered ? QStringLiteral(" NonClustered") : QString(), key);
    }
    out << (sqlite ? QStringLiteral("CREATE TABLE %1 (\n%2\n)") : QStringLiteral("Create Table %1 (\n%2\n)"))
               .arg(t.name, cols.join(QStringLiteral(",\n")));
  }
  if (o.indexes) {
    for (const IndexDef& i : t.indexes) {
      if (!o.includeUpgrade && isUpgradeIndex(t, i)) continue;
      out << (sqlite ? QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)") : QStringLiteral("Create %1Index %2 On %3 (%4)"))
                 .arg(i.unique ? (sqlite ? QStringLiteral("UNIQUE ") : QStringLiteral("Unique ")) : QString(), i.name, t.name,
                      i.columns.join(QStringLiteral(", ")));
    }
  }
  return out;
}

QStringList catalogueViewStatements() {
  return {
      QStringLiteral("CREATE VIEW IF NOT EXISTS SysObjects AS\n"
                     "  SELECT m.rowid AS Id, m.name AS Name,\n"
                     "         CASE WHEN m.name LIKE 'sqlite%' THEN 'S' WHEN m.type = 'table' THEN 'U' ELSE 'V' END AS XType\n"
                     "  FROM sqlite_master m WHERE m.type IN ('table', 'view')"),
      QStringLiteral("CREATE VIEW IF NOT EXISTS SysColumns AS\n"
                     "  SELECT m.rowid AS Id, p.name AS Name\n"
                     "  FROM sqlite_master m JOIN pragma_table_info(m.name) p WHERE m.type IN ('table', 'view')"),
  };
}

QString renderSchema(DatabaseKind kind, db::Dialect dialect, const RenderOptions& o) {
  QStringList parts;
  const bool sqlite = dialect == db::Dialect::Sqlite;
  const QString dbName = kind == DatabaseKind::Config ? QStringLiteral("TALVIK_CONFIG") : QStringLiteral("the company database");
  if (sqlite) {
    parts << QStringLiteral("-- Schema of %1 (SQLite, embedded server)").arg(dbName);
  } else {
    parts << QStringLiteral("-- Schema of %1 (T-SQL)\n").arg(dbName);
    if (kind == DatabaseKind::Company)
      parts << QStringLiteral("If Type_Id('IdNo') Is Null Exec('Create Type IdNo From Int Null')\nGO\n"
                              "If Type_Id('CharFlag') Is Null Exec('Create Type CharFlag From Char(1) Null')\nGO\n");
  }
  for (const TableDef& t : tables(kind)) {
    for (const QString& s : tableStatements(t, dialect, o)) parts << (sqlite ? QString(s + QLatin1Char(';')) : QString(s + QStringLiteral("\nGO\n")));
  }
  if (sqlite && o.tables)
    for (const QString& s : catalogueViewStatements()) parts << s + QLatin1Char(';');
  return parts.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString renderMarkdown() {
  QStringList out;
  out << QStringLiteral("# Database schema")
      << QString()
      << QStringLiteral("Generated by `consolidate-db schema --markdown` from `src/embedded/schema.cpp`; do not edit by hand.")
      << QStringLiteral("`consolidate-db schema --tsql [--config]` prints the same schema as T-SQL DDL, "
                        "`consolidate-db schema --sqlite [--config]` as the embedded server creates it.")
      << QString()
      << QStringLiteral("Types are the production types. `IdNo` (identifier integer, carries identities) and `CharFlag` "
                        "(one-character \"Y\"/\"N\" flag) are user-defined types of the company database. On the embedded "
                        "server identities are `INTEGER PRIMARY KEY AUTOINCREMENT`, texts compare case-insensitively "
                        "(`COLLATE NOCASE`), decimals are `REAL` and date-times are text \"yyyy-MM-dd HH:mm:ss\".")
      << QString()
      << QStringLiteral("Objects marked *upgrade* are added by the program's own upgrade steps when it starts; "
                        "`consolidate-db init --base-schema` leaves them out.")
      << QString();
  for (DatabaseKind kind : {DatabaseKind::Config, DatabaseKind::Company}) {
    out << (kind == DatabaseKind::Config ? QStringLiteral("## Configuration database TALVIK_CONFIG")
                                         : QStringLiteral("## Company database"))
        << QString();
    for (const TableDef& t : tables(kind)) {
      out << QStringLiteral("### %1%2").arg(t.name, t.upgrade ? QStringLiteral(" (upgrade)") : QString()) << QString()
          << t.purpose.left(1).toUpper() + t.purpose.mid(1) + QLatin1Char('.') << QString()
          << QStringLiteral("| Column | Type | Notes |") << QStringLiteral("|---|---|---|");
      for (const ColumnDef& c : t.columns) {
        QStringList notes;
        if (c.kind == K::Identity) notes << QStringLiteral("identity, key");
        if (c.kind == K::Key) notes << QStringLiteral("key");
        if (c.notNull && c.kind != K::Identity && c.kind != K::Key) notes << QStringLiteral("not null");
        if (c.upgrade) notes << QStringLiteral("upgrade");
        out << QStringLiteral("| `%1` | %2 | %3 |").arg(c.name, columnType(c, kind, db::Dialect::SqlServer), notes.join(QStringLiteral(", ")));
      }
      if (!t.indexes.isEmpty()) {
        out << QString();
        QStringList idx;
        for (const IndexDef& i : t.indexes)
          idx << QStringLiteral("`%1` (%2%3)").arg(i.name, i.unique ? QStringLiteral("unique: ") : QString(), i.columns.join(QStringLiteral(", ")));
        out << QStringLiteral("Indexes: ") + idx.join(QStringLiteral("; ")) + QLatin1Char('.');
      }
      out << QString();
    }
  }
  return out.join(QLatin1Char('\n'));
}

void createSchema(db::Connection& conn, DatabaseKind kind, const RenderOptions& o) {
  const db::Dialect d = conn.dialect();
  if (d == db::Dialect::SqlServer && kind == DatabaseKind::Company && o.tables) {
    conn.execute(QStringLiteral("If Type_Id('IdNo') Is Null Exec('Create Type IdNo From Int Null')"));
    conn.execute(QStringLiteral("If Type_Id('CharFlag') Is Null Exec('Create Type CharFlag From Char(1) Null')"));
  }
  for (const TableDef& t : tables(kind))
    for (const QString& s : tableStatements(t, d, o)) conn.execute(s);
  if (d == db::Dialect::Sqlite && o.tables)
    for (const QString& s : catalogueViewStatements()) conn.execute(s);
}

// ---- Declarative upgrade steps ----------------------------------------------------------------

bool tableExists(db::Connection& conn, const QString& table) {
  db::Params p;
  p.setText(QStringLiteral("T"), table.trimmed());
  const QString sql = conn.dialect() == db::Dialect::Sqlite
                          ? QStringLiteral("Select Count(*) N From sqlite_master Where type = 'table' And Upper(name) = Upper(:T)")
                          : QStringLiteral("Select Count(*) N From SysObjects Where Upper(LTrim(RTrim(Name))) = Upper(:T) And XType = 'U'");
  return conn.select(sql, p).asInt(QStringLiteral("N")) > 0;
}

bool columnExists(db::Connection& conn, const QString& table, const QString& column) {
  db::Params p;
  p.setText(QStringLiteral("T"), table.trimmed());
  p.setText(QStringLiteral("C"), column.trimmed());
  const QString sql = conn.dialect() == db::Dialect::Sqlite
                          ? QStringLiteral("Select Count(*) N From pragma_table_info(:T) Where Upper(name) = Upper(:C)")
                          : QStringLiteral("Select Count(*) N From SysObjects O Inner Join SysColumns C On C.Id = O.Id "
                                           "Where Upper(LTrim(RTrim(O.Name))) = Upper(:T) And Upper(LTrim(RTrim(C.Name))) = Upper(:C)");
  return conn.select(sql, p).asInt(QStringLiteral("N")) > 0;
}

bool ensureTable(db::Connection& conn, DatabaseKind kind, const QString& table) {
  const TableDef* t = findTable(kind, table);
  if (!t) throw db::Error(QStringLiteral("The schema has no table %1").arg(table));
  if (tableExists(conn, t->name)) return false;
  // The table and its indexes appear together: another process starting at the same moment must
  // not find the table before its unique indexes exist (it would write rows they refuse, or an
  // upsert would find no index to conflict on), nor create it a second time.
  const bool ownTransaction = !conn.inTransaction();
  if (ownTransaction) conn.startTransaction();
  try {
    const bool made = !tableExists(conn, t->name);
    if (made)
      for (const QString& s : tableStatements(*t, conn.dialect())) conn.execute(s);
    if (ownTransaction) conn.commit();
    return made;
  } catch (...) {
    if (ownTransaction) conn.rollback();
    throw;
  }
}

bool ensureColumn(db::Connection& conn, DatabaseKind kind, const QString& table, const QString& column) {
  const TableDef* t = findTable(kind, table);
  const ColumnDef* c = t ? t->column(column) : nullptr;
  if (!c) throw db::Error(QStringLiteral("The schema has no column %1.%2").arg(table, column));
  if (columnExists(conn, t->name, c->name)) return false;
  const bool sqlite = conn.dialect() == db::Dialect::Sqlite;
  conn.execute((sqlite ? QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3") : QStringLiteral("Alter Table %1 Add %2 %3 Null"))
                   .arg(t->name, c->name, columnType(*c, kind, conn.dialect())));
  return true;
}

QString sqliteTypeOf(const QString& tsqlType) {
  const QString t = tsqlType.trimmed();
  const QString u = t.toUpper();
  static const QRegularExpression sized(QStringLiteral("^(N?VARCHAR|N?CHAR)\\s*\\(\\s*(\\d+|MAX)\\s*\\)$"),
                                        QRegularExpression::CaseInsensitiveOption);
  const auto m = sized.match(t);
  if (m.hasMatch()) {
    const QString base = m.captured(1).toUpper().endsWith(QLatin1String("VARCHAR")) ? QStringLiteral("VARCHAR") : QStringLiteral("CHAR");
    return m.captured(2).toUpper() == QLatin1String("MAX") ? QStringLiteral("TEXT COLLATE NOCASE")
                                                           : QStringLiteral("%1(%2) COLLATE NOCASE").arg(base, m.captured(2));
  }
  if (u == QLatin1String("CHARFLAG")) return QStringLiteral("CHAR(1) COLLATE NOCASE");
  if (u == QLatin1String("CHAR") || u == QLatin1String("NCHAR")) return QStringLiteral("CHAR(1) COLLATE NOCASE");
  if (u == QLatin1String("IDNO") || u == QLatin1String("INT") || u == QLatin1String("INTEGER") || u == QLatin1String("SMALLINT") ||
      u == QLatin1String("BIGINT") || u == QLatin1String("TINYINT") || u == QLatin1String("BIT"))
    return QStringLiteral("INTEGER");
  if (u.startsWith(QLatin1String("DATETIME")) || u == QLatin1String("DATE") || u == QLatin1String("SMALLDATETIME"))
    return QStringLiteral("DATETIME");
  if (u.startsWith(QLatin1String("DECIMAL")) || u.startsWith(QLatin1String("NUMERIC")) || u == QLatin1String("FLOAT") ||
      u == QLatin1String("REAL") || u.endsWith(QLatin1String("MONEY")))
    return QStringLiteral("REAL");
  if (u == QLatin1String("TEXT") || u == QLatin1String("NTEXT")) return QStringLiteral("TEXT COLLATE NOCASE");
  if (u == QLatin1String("IMAGE") || u.contains(QLatin1String("BINARY"))) return QStringLiteral("BLOB");
  throw db::Error(QStringLiteral("Unknown column type %1").arg(tsqlType));
}

bool ensureColumn(db::Connection& conn, const QString& table, const QString& column, const QString& tsqlType) {
  if (columnExists(conn, table, column)) return false;
  const bool sqlite = conn.dialect() == db::Dialect::Sqlite;
  conn.execute(sqlite ? QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(table.trimmed(), column.trimmed(), sqliteTypeOf(tsqlType))
                      : QStringLiteral("Alter Table %1 Add %2 %3 Null").arg(table.trimmed(), column.trimmed(), tsqlType.trimmed()));
  return true;
}

}  // namespace embedded
