// The schema as created on the embedded server, its T-SQL rendering, the catalogue views and the
// declarative upgrade steps.
#include <QFile>

#include "bulk_insert.h"
#include "site_fixture.h"

using embedded::DatabaseKind;

namespace {

QStringList actualColumns(db::Connection& c, const QString& table) {
  db::Params p;
  p.setText(QStringLiteral("T"), table);
  QStringList out;
  const db::Result r = c.select(QStringLiteral("Select name From pragma_table_info(:T)"), p);
  for (const auto& row : r.rows()) out << row[0].toString();
  return out;
}

void expectSchema(db::Connection& c, DatabaseKind kind, bool withUpgrade) {
  for (const embedded::TableDef& t : embedded::tables(kind)) {
    const bool tablePresent = embedded::tableExists(c, t.name);
    if (t.upgrade && !withUpgrade) {
      EXPECT_FALSE(tablePresent) << t.name.toStdString();
      continue;
    }
    ASSERT_TRUE(tablePresent) << t.name.toStdString();
    QStringList expected;
    for (const embedded::ColumnDef& col : t.columns)
      if (withUpgrade || !col.upgrade) expected << col.name;
    EXPECT_EQ(actualColumns(c, t.name), expected) << t.name.toStdString();
    for (const embedded::IndexDef& i : t.indexes) {
      db::Params p;
      p.setText(QStringLiteral("I"), i.name);
      const bool present = c.select(QStringLiteral("Select Count(*) N From sqlite_master Where type = 'index' And name = :I"), p)
                               .asInt(QStringLiteral("N")) == 1;
      bool onUpgradeColumn = false;
      for (const QString& col : i.columns) onUpgradeColumn |= t.column(col)->upgrade;
      EXPECT_EQ(present, withUpgrade || !onUpgradeColumn) << i.name.toStdString();
    }
  }
}

}  // namespace

TEST(EmbeddedSchema, SiteHoldsEveryTableColumnAndIndex) {
  TempSite site;
  expectSchema(*site.config, DatabaseKind::Config, true);
  expectSchema(*site.company, DatabaseKind::Company, true);
}

TEST(EmbeddedSchema, BaseSchemaLeavesOutTheProgramsUpgradeObjects) {
  embedded::SiteOptions o;
  o.baseSchema = true;
  TempSite site(o);
  expectSchema(*site.config, DatabaseKind::Config, false);
  expectSchema(*site.company, DatabaseKind::Company, false);
  EXPECT_FALSE(embedded::columnExists(*site.config, QStringLiteral("Menu"), QStringLiteral("Version")));
  EXPECT_FALSE(embedded::columnExists(*site.company, QStringLiteral("SoHd"), QStringLiteral("ConsoNo")));
  EXPECT_FALSE(embedded::tableExists(*site.company, QStringLiteral("CheckVersionProgramEXE")));
  // The rows of a base site are still written, without the missing columns.
  EXPECT_EQ(site.count(*site.config, QStringLiteral("Select Count(*) From Menu")), 5);
  EXPECT_EQ(site.companyCount(QStringLiteral("Select Count(*) From SystemForm")), 6);
}

TEST(EmbeddedSchema, EveryUpgradeObjectIsDeclaredOnceAndTheKnownOnesAreMarked) {
  const QStringList upgradeColumns = {"Config.CheckUserWarehouseFlag", "Config.CheckUserSubtypeFlag", "Config.ShowProductPriceList",
                                      "Product.CheckSerialPurc", "Product.CheckSerialSale", "Product.CheckSerialStock",
                                      "Product.CheckSerialOnhand", "Product.ProductFree", "SystemForm.Subtype",
                                      "SystemForm.ShowPrintPreview", "SoHd.ConsoNo", "SoHd.ConsoDate", "SoDt.WebOrderId",
                                      "IvHd.BoxNoId", "BoxNoProductUnits.ProductUnitsPrice"};
  QStringList marked;
  for (const auto& t : embedded::tables(DatabaseKind::Company))
    for (const auto& c : t.columns)
      if (c.upgrade) marked << t.name + QLatin1Char('.') + c.name;
  EXPECT_EQ(QSet<QString>(marked.begin(), marked.end()), QSet<QString>(upgradeColumns.begin(), upgradeColumns.end()));
  for (const char* t : {"CheckVersionProgramEXE", "UserWarehouse", "UserSubtype"})
    EXPECT_TRUE(embedded::findTable(DatabaseKind::Company, QString::fromLatin1(t))->upgrade) << t;
  EXPECT_TRUE(embedded::findTable(DatabaseKind::Config, QStringLiteral("Menu"))->column(QStringLiteral("Version"))->upgrade);
}

TEST(EmbeddedSchema, TsqlRenderingUsesTheProductionTypes) {
  const QString ddl = embedded::renderSchema(DatabaseKind::Company, db::Dialect::SqlServer);
  for (const embedded::TableDef& t : embedded::tables(DatabaseKind::Company))
    EXPECT_TRUE(ddl.contains(QStringLiteral("Create Table %1 (\n").arg(t.name))) << t.name.toStdString();
  const QStringList expected = {
      "If Type_Id('IdNo') Is Null Exec('Create Type IdNo From Int Null')",
      "  Id                       IdNo Identity(1,1) Not Null,",
      "  ProgramEXE               VarChar(30) Not Null,",
      "Create Unique Index CheckVersionProgramIndexProgramEXE On CheckVersionProgramEXE (ProgramEXE)",
      "  Constraint DuplicateUserWarehouseId Primary Key NonClustered (Id)",
      "  ConsoNo                  Char(15) Null,",
      "  Approved                 CharFlag Null,",
      "  BackOrder                Decimal(18,2) Null,",
      "  SoDate                   DateTime Null,",
  };
  for (const QString& line : expected) EXPECT_TRUE(ddl.contains(line)) << line.toStdString();
  EXPECT_EQ(ddl.count(QStringLiteral("\nGO\n")), ddl.count(QStringLiteral("Create Table")) + ddl.count(QStringLiteral("Index ")) + 2);

  // The configuration database has no user-defined types.
  const QString cfg = embedded::renderSchema(DatabaseKind::Config, db::Dialect::SqlServer);
  EXPECT_FALSE(cfg.contains(QStringLiteral("IdNo")));
  EXPECT_FALSE(cfg.contains(QStringLiteral("CharFlag")));
  EXPECT_TRUE(cfg.contains(QStringLiteral("  Id                       Int Identity(1,1) Not Null,")));

  embedded::RenderOptions base;
  base.includeUpgrade = false;
  const QString old = embedded::renderSchema(DatabaseKind::Company, db::Dialect::SqlServer, base);
  EXPECT_FALSE(old.contains(QStringLiteral("CheckVersionProgramEXE")));
  EXPECT_FALSE(old.contains(QStringLiteral("ConsoNo")));
  EXPECT_TRUE(old.contains(QStringLiteral("Create Table SoHd (")));
}

TEST(EmbeddedSchema, SchemaDocumentIsTheRenderedSchema) {
  QFile f(qEnvironmentVariable("CONSOLIDATE_SOURCE_DIR") + QStringLiteral("/docs/schema.md"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "docs/schema.md is missing; run consolidate-db schema --markdown > docs/schema.md";
  EXPECT_EQ(QString::fromUtf8(f.readAll()), embedded::renderMarkdown())
      << "docs/schema.md is out of date; run consolidate-db schema --markdown > docs/schema.md";
}

TEST(EmbeddedSchema, CatalogueViewsFollowTheRealCatalogue) {
  TempSite site;
  db::Connection& c = *site.company;
  const QString columnsOf = QStringLiteral(
      "Select C.Name From SysObjects O Inner Join SysColumns C On C.Id = O.Id "
      "Where Upper(LTrim(RTrim(O.Name))) = 'BOXNO' And O.XType = 'U' Order By C.Name");
  QStringList names;
  const db::Result cols = c.select(columnsOf);
  for (const auto& row : cols.rows()) names << row[0].toString();
  EXPECT_EQ(names, QStringList({"BarCode", "CreateDate", "Customer", "Delflag", "Id", "IvNo", "SendDate", "TrNo"}));

  c.execute(QStringLiteral("Alter Table BoxNo Add Column Weight REAL"));
  EXPECT_EQ(c.select(columnsOf).rowCount(), 9);
  EXPECT_EQ(site.companyCount(QStringLiteral("Select Count(*) From SysObjects Where Name = 'SysColumns' And XType = 'V'")), 1);
  EXPECT_EQ(site.companyCount(QStringLiteral("Select Count(*) From SysObjects Where Name = 'sqlite_sequence' And XType = 'S'")), 1);
  // The production form of the Menu.Version test runs unchanged on the configuration database.
  EXPECT_EQ(site.count(*site.config,
                       QStringLiteral("Select Count(*) From SysObjects O Inner Join SysColumns C On C.Id = O.Id "
                                      "Where Upper(LTrim(RTrim(O.Name))) = 'MENU' And Upper(LTrim(RTrim(C.Name))) = 'VERSION'")),
            1);
}

TEST(EmbeddedSchema, UpgradeStepsAddWhatIsMissingOnce) {
  embedded::SiteOptions o;
  o.baseSchema = true;
  TempSite site(o);
  db::Connection& cfg = *site.config;
  db::Connection& co = *site.company;

  EXPECT_TRUE(embedded::ensureColumn(cfg, QStringLiteral("Menu"), QStringLiteral("Version"), QStringLiteral("Integer")));
  EXPECT_FALSE(embedded::ensureColumn(cfg, QStringLiteral("MENU"), QStringLiteral("version"), QStringLiteral("Integer")));
  EXPECT_EQ(cfg.execute(QStringLiteral("Update Menu Set Version = 3 Where Version Is Null And Command Is Not Null")), 5);

  EXPECT_TRUE(embedded::ensureTable(co, DatabaseKind::Company, QStringLiteral("CheckVersionProgramEXE")));
  EXPECT_FALSE(embedded::ensureTable(co, DatabaseKind::Company, QStringLiteral("checkversionprogramexe")));
  co.execute(QStringLiteral("Insert Into CheckVersionProgramEXE (ProgramEXE, Version, LastUpdate) Values ('CONSOLIDATE.EXE', 1, GetDate())"));
  try {
    co.execute(QStringLiteral("Insert Into CheckVersionProgramEXE (ProgramEXE, Version) Values ('consolidate.exe', 2)"));
    ADD_FAILURE() << "the unique index on ProgramEXE let a second row in";
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("UNIQUE"))) << e.what();
  }

  EXPECT_TRUE(embedded::ensureColumn(co, DatabaseKind::Company, QStringLiteral("SoHd"), QStringLiteral("ConsoNo")));
  EXPECT_TRUE(embedded::ensureColumn(co, QStringLiteral("Config"), QStringLiteral("CheckUserWarehouseFlag"), QStringLiteral("Charflag")));
  EXPECT_FALSE(embedded::ensureColumn(co, DatabaseKind::Company, QStringLiteral("Config"), QStringLiteral("CheckUserWarehouseFlag")));
  db::Params p;
  p.setText(QStringLiteral("T"), QStringLiteral("SoHd"));
  const db::Result info = co.select(QStringLiteral("Select type From pragma_table_info(:T) Where name = 'ConsoNo'"), p);
  EXPECT_EQ(info.asString(QStringLiteral("type")), QStringLiteral("CHAR(15)"));
  // The added text column compares without case, as the columns created with the table do.
  co.execute(QStringLiteral("Insert Into SoHd (SoNo, ConsoNo) Values ('SO1', 'Con250000000001')"));
  EXPECT_EQ(site.companyCount(QStringLiteral("Select Count(*) From SoHd Where ConsoNo = 'CON250000000001'")), 1);

  EXPECT_THROW(embedded::ensureColumn(co, DatabaseKind::Company, QStringLiteral("SoHd"), QStringLiteral("NoSuchColumn")), db::Error);
  EXPECT_THROW(embedded::ensureTable(co, DatabaseKind::Company, QStringLiteral("NoSuchTable")), db::Error);
}

TEST(EmbeddedSchema, TsqlTypesMapToSqlite) {
  const struct {
    const char* tsql;
    const char* sqlite;
  } cases[] = {
      {"CharFlag", "CHAR(1) COLLATE NOCASE"}, {"IdNo", "INTEGER"},        {"Integer", "INTEGER"},
      {"Int", "INTEGER"},                     {"char(10)", "CHAR(10) COLLATE NOCASE"},
      {"VarChar(30)", "VARCHAR(30) COLLATE NOCASE"},                      {"nvarchar(max)", "TEXT COLLATE NOCASE"},
      {"DateTime", "DATETIME"},               {"Decimal(18,2)", "REAL"},  {"Numeric(20, 4)", "REAL"},
      {"Money", "REAL"},                      {"Float", "REAL"},          {"Image", "BLOB"},
  };
  for (const auto& c : cases) EXPECT_EQ(embedded::sqliteTypeOf(QString::fromLatin1(c.tsql)), QString::fromLatin1(c.sqlite)) << c.tsql;
  EXPECT_THROW(embedded::sqliteTypeOf(QStringLiteral("Geography")), db::Error);
}

TEST(EmbeddedSchema, TextComparesWithoutCaseLikeTheProductionCollation) {
  TempSite site;
  db::Params p;
  p.setText(QStringLiteral("N"), QStringLiteral("demo"));
  EXPECT_EQ(site.count(*site.config, QStringLiteral("Select Count(*) From DatabaseList Where DatabaseName = :N"), p), 1);
}

TEST(EmbeddedSchema, BulkInsertWritesLiteralsExactly) {
  TempSite site;
  db::Connection& c = *site.company;
  embedded::BulkInsert ins(c, QStringLiteral("Misc"), {"GroupCode", "Code", "Description", "Blocked"}, 2);
  ins.add({QStringLiteral("CITY"), QStringLiteral("O'1"), QStringLiteral("จังหวัด 'ทดสอบ'"), QVariant()});
  ins.add({QStringLiteral("CITY"), QStringLiteral("X2"), QString(), QStringLiteral("N")});
  ins.add({QStringLiteral("CITY"), QStringLiteral("X3"), QStringLiteral("a;b -- c"), QStringLiteral("Y")});
  ins.flush();
  const db::Result r = c.select(QStringLiteral("Select Code, Description, Blocked From Misc Where GroupCode = 'CITY' Order By Id"));
  ASSERT_EQ(r.rowCount(), 3);
  EXPECT_EQ(r.at(0, 0).toString(), QStringLiteral("O'1"));
  EXPECT_EQ(r.at(0, 1).toString(), QStringLiteral("จังหวัด 'ทดสอบ'"));
  EXPECT_TRUE(r.at(0, 2).isNull());
  EXPECT_EQ(r.at(2, 1).toString(), QStringLiteral("a;b -- c"));
  EXPECT_EQ(embedded::BulkInsert::literal(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58))), QStringLiteral("'2024-12-31 23:59:58'"));
  EXPECT_EQ(embedded::BulkInsert::literal(QDate(2024, 1, 2)), QStringLiteral("'2024-01-02 00:00:00'"));
  EXPECT_EQ(embedded::BulkInsert::literal(0.1), QStringLiteral("0.1"));
  EXPECT_THROW(embedded::BulkInsert(c, QStringLiteral("Misc"), {"Code", "NoSuchColumn"}), db::Error);
  EXPECT_THROW(ins.add({QStringLiteral("x")}), db::Error);
}
