#include "dm.h"

#include "dmconfig.h"
#include "prompts.h"

TDM* DM = nullptr;

TDM::TDM() : PromptColor(0, 0, 255) {
  DMdata.beforeConnect = [this](db::Connection& c) { DMdataBeforeConnect(c); };
  DMdata.afterConnect = [this](db::Connection& c) { DMdataAfterConnect(c); };
  QConfig.sql = QStringList{QStringLiteral("Select * From Config")};

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
}

TDM::~TDM() {
  if (DM == this) DM = nullptr;
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

bool TDM::CheckVersionProgramEXE(const QString&, int) { return true; }

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
