#include "data_module.h"

#include "config_module.h"
#include "embedded/embedded.h"
#include "error_reporter.h"
#include "prompts.h"
#include "schema_upgrade.h"

TDM* DM = nullptr;

namespace {

using data::AddColumnIfMissing;
using data::CreateTableIfMissing;
using data::Statement;
using data::UpgradeStep;

// SQLUpdateConfig: the two user flags of the company configuration.
const QVector<UpgradeStep>& configUpgrade() {
  static const QVector<UpgradeStep> steps{
      // Both columns in one statement; only the first one is tested.
      {data::TsqlColumnMissing(QStringLiteral("Config"), QStringLiteral("CheckUserWarehouseFlag")) +
           QStringLiteral("\n  Alter Table Config Add CheckUserWarehouseFlag Charflag Null,  CheckUserSubtypeFlag Charflag Null"),
       [](db::Connection& c) {
         if (embedded::columnExists(c, QStringLiteral("Config"), QStringLiteral("CheckUserWarehouseFlag"))) return;
         const QString flag = embedded::sqliteTypeOf(QStringLiteral("Charflag"));
         c.execute(QStringLiteral("Alter Table Config Add CheckUserWarehouseFlag %1 Null").arg(flag));
         c.execute(QStringLiteral("Alter Table Config Add CheckUserSubtypeFlag %1 Null").arg(flag));
       }},
      Statement(QStringLiteral(
          "Update Config Set CheckUserWarehouseFlag = Coalesce(CheckUserWarehouseFlag,'N'),\n"
          "  CheckUserSubtypeFlag = Coalesce(CheckUserSubtypeFlag,'N')\n"
          "Where CheckUserWarehouseFlag Is Null Or CheckUserSubtypeFlag Is Null")),
  };
  return steps;
}

// Steps 6 to 9 copy the product's UseSerial into each of the four serial flags still null. On the
// embedded server the first of them does all four in one pass (same effect), and it finds the
// products by a partial index that holds only those with a flag still null: the steps run at every
// start-up, and reading every product each time made the start grow with the catalogue. The other
// three have nothing left to do there.
const char* const kSerialFlags[] = {"CheckSerialPurc", "CheckSerialSale", "CheckSerialStock", "CheckSerialOnhand"};

UpgradeStep copyUseSerial(const char* column) {
  UpgradeStep step = Statement(QStringLiteral("Update Product Set %1 = UseSerial Where %1 Is Null").arg(QLatin1String(column)));
  if (qstrcmp(column, kSerialFlags[0]) == 0) {
    QStringList set, anyNull;
    for (const char* flag : kSerialFlags) {
      set << QStringLiteral("%1 = Coalesce(%1, UseSerial)").arg(QLatin1String(flag));
      anyNull << QStringLiteral("%1 Is Null").arg(QLatin1String(flag));
    }
    const QString where = anyNull.join(QStringLiteral(" Or "));
    const QString index = QStringLiteral("Create Index If Not Exists Product_SerialFlagUnset On Product (Id) Where ") + where;
    const QString all = QStringLiteral("Update Product Set ") + set.join(QStringLiteral(", ")) + QStringLiteral(" Where ") + where;
    step.embedded = [index, all](db::Connection& c) {
      c.execute(index);
      c.execute(all);
    };
  } else {
    step.embedded = [](db::Connection&) {};
  }
  return step;
}

// SQLUpdate: the program's own tables and columns of the company database.
const QVector<UpgradeStep>& companyUpgrade() {
  static const QVector<UpgradeStep> steps{
      CreateTableIfMissing(QStringLiteral("CheckVersionProgramEXE"), QStringLiteral(
          "  Create Table CheckVersionProgramEXE (\n"
          "    Id IdNo Identity(1,1) Not Null,\n"
          "    ProgramEXE VarChar(30) Not Null,\n"
          "    Version IdNo Not Null,\n"
          "    LastUpdate DateTime)\n"
          "  Create Unique Index CheckVersionProgramIndexProgramEXE On CheckVersionProgramEXE (ProgramEXE)")),
      AddColumnIfMissing(QStringLiteral("Product"), QStringLiteral("CheckSerialPurc"), QStringLiteral("CharFlag")),
      AddColumnIfMissing(QStringLiteral("Product"), QStringLiteral("CheckSerialSale"), QStringLiteral("CharFlag")),
      AddColumnIfMissing(QStringLiteral("Product"), QStringLiteral("CheckSerialStock"), QStringLiteral("CharFlag")),
      AddColumnIfMissing(QStringLiteral("Product"), QStringLiteral("CheckSerialOnhand"), QStringLiteral("CharFlag")),
      copyUseSerial("CheckSerialPurc"),
      copyUseSerial("CheckSerialSale"),
      copyUseSerial("CheckSerialStock"),
      copyUseSerial("CheckSerialOnhand"),
      // Whether the product may be sold at price 0, as a give-away.
      AddColumnIfMissing(QStringLiteral("Product"), QStringLiteral("ProductFree"), QStringLiteral("CharFlag")),
      AddColumnIfMissing(QStringLiteral("Config"), QStringLiteral("ShowProductPriceList"), QStringLiteral("CharFlag Null")),
      // The warehouses each user may use.
      CreateTableIfMissing(QStringLiteral("UserWarehouse"), QStringLiteral(
          "  Create Table UserWarehouse (\n"
          "    Id IdNo Identity(1,1) Not Null,\n"
          "    UserName IdNo Not Null,\n"
          "    Warehouse IdNo Not Null,\n"
          "    LastUpdate DateTime Not Null,\n"
          "    Constraint DuplicateUserWarehouseId Primary Key NonClustered (Id))")),
      // The product sub-types each user may use.
      CreateTableIfMissing(QStringLiteral("UserSubtype"), QStringLiteral(
          "  Create Table UserSubtype (\n"
          "    Id IdNo Identity(1,1) Not Null,\n"
          "    UserName IdNo Not Null,\n"
          "    Subtype IdNo Not Null,\n"
          "    LastUpdate DateTime Not Null,\n"
          "    Constraint DuplicateUserSubtypeId Primary Key NonClustered (Id))")),
      AddColumnIfMissing(QStringLiteral("SystemForm"), QStringLiteral("Subtype"), QStringLiteral("Char(10) Null")),
  };
  return steps;
}

// QCheckProGramExe: registers the program's version; the registered version only ever rises.
// Copies of the program that start at the same moment run it together, so each step is one
// statement that holds by itself: on SQL Server the insert reads the program's row under an update
// lock held to the statement's end (UpdLock, HoldLock), so that a second copy waits and then finds
// the row instead of inserting a second one that the unique index would refuse; the raise compares
// in its own Where clause, so that an older copy never lowers what a newer one registered. On the
// embedded server one upsert does both, under the database's write lock.
const db::SqlText kQCheckProGramExe{
    QStringLiteral(
        "Insert Into CheckVersionProgramEXE (ProgramEXE, Version, LastUpdate)\n"
        "  Select :ProgramExe, 1, GetDate()\n"
        "  Where Not Exists (Select Id From CheckVersionProgramEXE With (UpdLock, HoldLock) Where ProgramEXE = :ProgramExe)\n"
        "Update CheckVersionProgramEXE Set Version = :Version, LastUpdate = GetDate()\n"
        "  Where ProgramEXE = :ProgramExe And Version < :Version\n"
        "Select Version As VersionExe From CheckVersionProgramEXE Where ProgramEXE = :ProgramExe"),
    QStringLiteral(
        "Insert Into CheckVersionProgramEXE (ProgramEXE, Version, LastUpdate) Values (:ProgramExe, Max(:Version, 1), GetDate())\n"
        "  On Conflict (ProgramEXE) Do Update Set Version = excluded.Version, LastUpdate = excluded.LastUpdate\n"
        "  Where excluded.Version > CheckVersionProgramEXE.Version;\n"
        "Select Version As VersionExe From CheckVersionProgramEXE Where ProgramEXE = :ProgramExe")};

}  // namespace

TDM::TDM() : PromptColor(0, 0, 255) {
  embedded::install();  // the embedded server's functions and procedures, for a site on it
  DMdata.beforeConnect = [this](db::Connection& c) { DMdataBeforeConnect(c); };
  DMdata.afterConnect = [this](db::Connection& c) { DMdataAfterConnect(c); };
  QConfig.sql = QStringList{QStringLiteral("Select * From Config")};
  SQLUpdateConfig.sql = data::ScriptLines(configUpgrade());
  SQLUpdate.sql = data::ScriptLines(companyUpgrade());
  QCheckProGramExe.sql = kQCheckProGramExe.tsql.split(QLatin1Char('\n'));
  QCheckProGramExe.sqlSqlite = kQCheckProGramExe.sqlite.split(QLatin1Char('\n'));

  using db::ParamDir;
  using db::ParamType;
  SpNewDocumentNo.declare(QStringLiteral("Result"), ParamType::Integer, ParamDir::Result);
  SpNewDocumentNo.declare(QStringLiteral("@DocCode"), ParamType::Text, ParamDir::Input);
  SpNewDocumentNo.declare(QStringLiteral("@DocYear"), ParamType::Integer, ParamDir::Input);
  SpNewDocumentNo.declare(QStringLiteral("@NewNo"), ParamType::Text, ParamDir::Output);
  SpServerTime.declare(QStringLiteral("Result"), ParamType::Integer, ParamDir::Result);
  SpServerTime.declare(QStringLiteral("@ServerTime"), ParamType::DateTime, ParamDir::Output);
  SpUserAddLog.declare(QStringLiteral("Result"), ParamType::Integer, ParamDir::Result);
  for (const char* in : {"@UserId", "@MenuId", "@FunctionListId", "@DocumentId"})
    SpUserAddLog.declare(QString::fromLatin1(in), ParamType::Integer, ParamDir::Input);
  SpUserAddLog.declare(QStringLiteral("@Remark"), ParamType::Text, ParamDir::Input);

  DM = this;
  // From now on every error that escapes an event handler is logged and shown by the reporter.
  data::SetExceptionHandler(ApplicationEvents1Exception);
}

TDM::~TDM() {
  if (DM == this) {
    DM = nullptr;
    data::SetExceptionHandler({});
  }
}

void TDM::DMdataBeforeConnect(db::Connection& c) {
  const QString database = DMConfig ? DMConfig->DatabaseName : QString();
  c.params.clear();
  c.params = TDMConfig::ConnectionParams(database.trimmed(), TDMConfig::ServerNameForConnect());
}

void TDM::DMdataAfterConnect(db::Connection&) {
  QConfig.close();
  QConfig.open();
  if (!connectedOnce_) {
    connectedOnce_ = true;
    if (splash_) {
      splash_->close();
      delete splash_.data();
    }
  }
}

bool TDM::CheckVersionProgramEXE(const QString& programExe, int version) {
  // The first statement on the data connection: the connection opens here.
  data::RunUpgrade(DMdata, SQLUpdateConfig, configUpgrade());
  QConfig.close();
  QConfig.open();
  data::RunUpgrade(DMdata, SQLUpdate, companyUpgrade());

  QCheckProGramExe.close();
  QCheckProGramExe.params.setText(QStringLiteral("ProgramExe"), programExe);
  QCheckProGramExe.params.setInt(QStringLiteral("Version"), version);
  QCheckProGramExe.open();
  const qint64 versionExe = QCheckProGramExe.asInt(QStringLiteral("VersionExe"));
  QCheckProGramExe.close();
  if (version < versionExe) {
    prompts::message(QStringLiteral("โปรแกรม ") + programExe + QStringLiteral(" เป็นตัวเก่า กรุณา Update Program ด้วย"));
    return false;
  }
  return true;
}

bool TDM::CheckRunYear(const QDate& date) {
  if (!QConfig.active()) QConfig.open();
  RunYear = int(QConfig.asInt(QStringLiteral("RunYear")));
  return date.year() <= RunYear + 1;
}

QString TDM::NewDocumentNo(const QString& docCode, const QDate& date) {
  SpNewDocumentNo.set(QStringLiteral("@NewNo"), QVariant());
  SpNewDocumentNo.set(QStringLiteral("@DocCode"), docCode);
  SpNewDocumentNo.set(QStringLiteral("@DocYear"), date.year());
  SpNewDocumentNo.execute();
  return SpNewDocumentNo.value(QStringLiteral("@NewNo")).toString();
}

QDateTime TDM::ServerTime() {
  SpServerTime.set(QStringLiteral("@ServerTime"), QVariant());
  SpServerTime.execute();
  return db::toDateTime(SpServerTime.value(QStringLiteral("@ServerTime")));
}

void TDM::UserAddLog(int functionListId, int documentId, const QString& remark) {
  SpUserAddLog.set(QStringLiteral("@UserId"), DMConfig ? DMConfig->UserId : 0);
  SpUserAddLog.set(QStringLiteral("@MenuId"), DMConfig ? DMConfig->MenuId : 0);
  SpUserAddLog.set(QStringLiteral("@FunctionListId"), functionListId);
  SpUserAddLog.set(QStringLiteral("@DocumentId"), documentId);
  SpUserAddLog.set(QStringLiteral("@Remark"), remark);
  SpUserAddLog.execute();
}

bool TDM::ConfirmYesNo(const QString& message) {
  return prompts::current().confirm(message, prompts::Style::DataModule);
}
