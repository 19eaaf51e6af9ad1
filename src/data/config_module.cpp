#include "config_module.h"

#include <QFile>
#include <QTextStream>

#include "embedded/embedded.h"
#include "net/smtp.h"
#include "prompts.h"
#include "textutil/helpers.h"
#include "schema_upgrade.h"

TDMConfig* DMConfig = nullptr;

namespace {
// SQLUpdate of the configuration database: every menu entry carries the version of its program.
const QVector<data::UpgradeStep>& menuVersionUpgrade() {
  static const QVector<data::UpgradeStep> steps{
      data::AddColumnIfMissing(QStringLiteral("Menu"), QStringLiteral("Version"), QStringLiteral("Integer")),
      data::Statement(QStringLiteral("Update Menu Set Version = 3 Where Version Is Null And Command Is Not Null")),
  };
  return steps;
}
}  // namespace

namespace data {
namespace {
QString& serverOverride() {
  static QString s;
  return s;
}
}  // namespace
void SetServerNameOverride(const QString& serverName) { serverOverride() = serverName; }
QString ServerNameOverride() { return serverOverride(); }
}  // namespace data

TDMConfig::TDMConfig() {
  embedded::install();  // the embedded server's functions and procedures, for a site on it
  DmCfg.beforeConnect = [this](db::Connection& c) { DmCfgBeforeConnect(c); };
  DmCfg.afterConnect = [this](db::Connection& c) { DmCfgAfterConnect(c); };
  SQLUpdate.sql = data::ScriptLines(menuVersionUpgrade());

  QCompanyConfig.sql = QStringList{
      QStringLiteral("Select C.Company, C.PicturePath, C.Public_Price_IE, C.DefaultWh, C.POS1_Wh, C.POS1_TaxCode,"),
      QStringLiteral("  C.POS1_Price_IE, C.POS1_PriceType, C.POS1_SumDetail, C.DefaultPosComPort, C.DefaultTax,"),
      QStringLiteral("  C.DefaultPosMenuId, M.Command, M.MenuOption, O.Description, O.YearNo, P.Id, P.Code, P.Password,"),
      QStringLiteral("  P.NameThai, P.NameEng, P.ShortName, P.Address1, P.Address2, P.Address3, P.Address4, P.Province,"),
      QStringLiteral("  P.Zip, P.Telephone, P.Fax, P.EMail, P.Logo, P.TaxNo, P.InstallDate, P.RunYear, P.LocalServer,"),
      QStringLiteral("  P.FUNDNAME, P.TaxBranchHead, P.TaxBranchCode, P.TaxBranchName"),
      QStringLiteral("From CompanyConfig C"),
      QStringLiteral("Inner Join DatabaseList O On O.Company = C.Company"),
      QStringLiteral("Inner Join Company P On P.Id = O.Company"),
      QStringLiteral("Left Outer Join Menu M On M.Id = C.DefaultPosMenuId"),
      QStringLiteral("Where O.DatabaseName = :GetName"),
  };
  QCompany.sql = QStringList{
      QStringLiteral("Select ID, CODE, PASSWORD, NAMETHAI, NAMEENG, SHORTNAME, ADDRESS1, ADDRESS2, ADDRESS3, ADDRESS4,"),
      QStringLiteral("  PROVINCE, ZIP, TELEPHONE, FAX, EMAIL, LOGO, TAXNO, RUNYEAR, FUNDNAME,"),
      QStringLiteral("  Coalesce(TaxBranchHead, 'N') TaxBranchHead, Coalesce(TaxBranchCode, '') TaxBranchCode, TaxBranchName"),
      QStringLiteral("From COMPANY"),
      QStringLiteral("Where Id = (Select Distinct Company From DatabaseList Where DatabaseName = :GetName)"),
  };
  QUser.sql = QStringList{
      QStringLiteral("Select fullname, languageno, EditSalePrice, Approve_Quo, Approve_SO, Approve_IV, Approve_PO,"),
      QStringLiteral("  Approved_PORQ, ApproveTranWH, ApproveTranBranch, ApproveWorkOrder, CanSeeCost, CanSeeSalePrice,"),
      QStringLiteral("  CanModifyCusSale, Approve_PreIs, ApproveCustomerDropUse, ApproveCustomerDropCredit, CanModifyCredit,"),
      QStringLiteral("  CanSetProductBlock, CanSetProductMinus, CanSaleCreditOnReturnCheque"),
      QStringLiteral("From username"),
      QStringLiteral("Where id = :uid"),
  };

  using db::ParamDir;
  using db::ParamType;
  SpMenuCaption.declare(QStringLiteral("Result"), ParamType::Integer, ParamDir::Result);
  SpMenuCaption.declare(QStringLiteral("@MENUID"), ParamType::Integer, ParamDir::Input);
  SpMenuCaption.declare(QStringLiteral("@USERID"), ParamType::Integer, ParamDir::Input);
  for (const char* out : {"@CAPTION", "@ACCESS_R", "@ADD_R", "@MODIFY_R", "@DELETE_R", "@USERCODE"})
    SpMenuCaption.declare(QString::fromLatin1(out), ParamType::Text, ParamDir::Output);
  SpMenuCaption.declare(QStringLiteral("@SALESID"), ParamType::Integer, ParamDir::Output);

  SpErrorLog.declare(QStringLiteral("Result"), ParamType::Integer, ParamDir::Result);
  SpErrorLog.declare(QStringLiteral("@CompName"), ParamType::Text, ParamDir::Input);
  SpErrorLog.declare(QStringLiteral("@LogName"), ParamType::Text, ParamDir::Input);
  SpErrorLog.declare(QStringLiteral("@UserId"), ParamType::Integer, ParamDir::Input);
  SpErrorLog.declare(QStringLiteral("@MenuId"), ParamType::Integer, ParamDir::Input);
  SpErrorLog.declare(QStringLiteral("@ErrorMsg"), ParamType::Text, ParamDir::Input);

  DMConfig = this;
  data::SetErrorLog(this);
}

TDMConfig::~TDMConfig() {
  if (DMConfig == this) DMConfig = nullptr;
  if (data::CurrentErrorLog() == this) data::SetErrorLog(nullptr);
}

QString TDMConfig::ReadServerName() {
  QFile f(QStringLiteral("Server.Dat"));
  if (!f.open(QIODevice::ReadOnly)) return QString();
  QByteArray line = f.readLine();
  if (line.isEmpty() && f.error() != QFileDevice::NoError)
    throw std::runtime_error("I/O error reading Server.Dat: " + f.errorString().toStdString());
  while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
  return QString::fromLocal8Bit(line);
}

QString TDMConfig::ServerNameForConnect() {
  const QString o = data::ServerNameOverride();
  if (!o.isEmpty()) return o;
  const QString s = ReadServerName();
  return s.isEmpty() ? QString::fromLatin1(db::kDefaultServerName) : s;
}

namespace {
// The suite's database login, unless the installation sets another in the environment
// (CONSOLIDATE_DB_USER, CONSOLIDATE_DB_PASSWORD; docs/security.md).
QString loginSetting(const char* variable, const char* builtIn) {
  const QByteArray v = qgetenv(variable);
  return v.isEmpty() ? QString::fromLatin1(builtIn) : QString::fromLocal8Bit(v);
}
}  // namespace

QStringList TDMConfig::ConnectionParams(const QString& databaseName, const QString& serverName) {
  return QStringList{
      QStringLiteral("DATABASE NAME=") + databaseName,
      QStringLiteral("SERVER NAME=") + serverName,
      QStringLiteral("USER NAME=") + loginSetting("CONSOLIDATE_DB_USER", "talvik"),
      QStringLiteral("OPEN MODE=READ/WRITE"),
      QStringLiteral("SCHEMA CACHE SIZE=8"),
      QStringLiteral("BLOB EDIT LOGGING="),
      QStringLiteral("LANGDRIVER="),
      QStringLiteral("SQLQRYMODE="),
      QStringLiteral("SQLPASSTHRU MODE=SHARED AUTOCOMMIT"),
      QStringLiteral("DATE MODE=1"),
      QStringLiteral("SCHEMA CACHE TIME=-1"),
      QStringLiteral("MAX QUERY TIME=600"),
      QStringLiteral("MAX ROWS=-1"),
      QStringLiteral("BATCH COUNT=200"),
      QStringLiteral("ENABLE SCHEMA CACHE=FALSE"),
      QStringLiteral("SCHEMA CACHE DIR="),
      QStringLiteral("HOST NAME="),
      QStringLiteral("APPLICATION NAME="),
      QStringLiteral("NATIONAL LANG NAME="),
      QStringLiteral("ENABLE BCD=True"),
      QStringLiteral("TDS PACKET SIZE=4096"),
      QStringLiteral("BLOBS TO CACHE=-1"),
      QStringLiteral("BLOB SIZE=64"),
      QStringLiteral("PASSWORD=") + loginSetting("CONSOLIDATE_DB_PASSWORD", "larkspen"),
  };
}

void TDMConfig::DmCfgBeforeConnect(db::Connection& c) {
  c.params.clear();
  c.params = ConnectionParams(QStringLiteral("TALVIK_CONFIG"), ServerNameForConnect());
}

void TDMConfig::DmCfgAfterConnect(db::Connection& c) { data::RunUpgrade(c, SQLUpdate, menuVersionUpgrade()); }

bool TDMConfig::GetCompanyConfig(const QString& name) {
  const QString upper = name.toUpper();
  QCompanyConfig.close();
  QCompanyConfig.params.setText(QStringLiteral("GetName"), upper);
  QCompanyConfig.open();
  if (QCompanyConfig.isEmpty()) {
    prompts::message(QStringLiteral("Not Found Database : ") + upper);
    return false;
  }
  DatabaseName = upper;
  QCompany.close();
  QCompany.params.setText(QStringLiteral("GetName"), upper);
  QCompany.open();
  return true;
}

void TDMConfig::CheckRight(int menuId, int userId) {
  SpMenuCaption.set(QStringLiteral("@MENUID"), menuId);
  SpMenuCaption.set(QStringLiteral("@USERID"), userId);
  SpMenuCaption.execute();
  MenuCaption = SpMenuCaption.value(QStringLiteral("@CAPTION")).toString().trimmed();
  UserCode = SpMenuCaption.value(QStringLiteral("@USERCODE")).toString();
  AccessRight = SpMenuCaption.value(QStringLiteral("@ACCESS_R")).toString() == QLatin1String("Y");

  QUser.close();
  QUser.params.setInt(QStringLiteral("uid"), userId);
  QUser.open();
  IsThai = !QUser.isEmpty() && !QUser.isNull(QStringLiteral("languageno")) && QUser.asInt(QStringLiteral("languageno")) == 1;
  QUser.close();

  if (IsThai) {
    SaveDataPrompt = QStringLiteral("จัดเก็บข้อมูล ?");
    DeleteDataPrompt = QStringLiteral("ลบข้อมูล ?");
  } else {
    SaveDataPrompt = QStringLiteral("Save Data ?");
    DeleteDataPrompt = QStringLiteral("Delete Data ?");
  }
}

void TDMConfig::AddErrorLog(const QString& message) {
  SpErrorLog.set(QStringLiteral("@CompName"), textutil::GetComputerNameText());
  SpErrorLog.set(QStringLiteral("@LogName"), textutil::GetLogonUserName());
  SpErrorLog.set(QStringLiteral("@UserId"), UserId);
  SpErrorLog.set(QStringLiteral("@MenuId"), MenuId);
  SpErrorLog.set(QStringLiteral("@ErrorMsg"), message);
  SpErrorLog.execute();
}

void TDMConfig::SendErrorMail(const QString& subject, const QString& body) {
  try {
    const data::MailSettings settings = data::SupportMailSettings();
    if (settings.host.isEmpty() || settings.to.isEmpty()) return;
    net::MailMessage mail;
    mail.host = settings.host;
    mail.port = settings.port;
    mail.sender = settings.from;
    mail.recipient = settings.to;
    mail.subject = subject;
    mail.body = body;
    // The user gets no confirmation either way; a failure is dropped.
    net::sendMail(mail, 15000);
  } catch (...) {
  }
}
