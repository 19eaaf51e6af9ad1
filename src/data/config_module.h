// TDMConfig: the configuration module: the one owner of the connection to the suite's configuration
// database
// TALVIK_CONFIG (alias "DmCfg"). Start-up finds the company that owns the company database named on
// the command line (GetCompanyConfig), loads the menu caption and the user's rights (CheckRight),
// and the module then holds, for the rest of the run, the values every window reads.
//
// One instance per process, reached through the global DMConfig (set by the constructor, cleared by
// the destructor), as every window of the program expects.
#pragma once

#include <QDateTime>
#include <QString>

#include "db.h"
#include "error_log.h"

// It is also the error log of the process (error_log.h): it registers itself while it lives.
class TDMConfig : public data::ErrorLog {
 public:
  TDMConfig();
  ~TDMConfig() override;
  TDMConfig(const TDMConfig&) = delete;
  TDMConfig& operator=(const TDMConfig&) = delete;

  // ---- Values held for the run (set during start-up, read-only afterwards) ----
  bool IsThai = false;        // the user's LanguageNo is 1
  int MenuId = 0;             // argument 1
  int UserId = 0;             // argument 2
  int MenuOption = 0;         // argument 5
  QDateTime WorkDate;         // argument 6 (date part only)
  QString UserCode;           // @USERCODE of MENUCAPTION, as returned (readers trim it)
  QString MenuCaption;        // @CAPTION of MENUCAPTION, trimmed
  bool AccessRight = false;   // @ACCESS_R is exactly "Y"
  QString DatabaseName;       // argument 3, upper-cased
  QString SaveDataPrompt = QStringLiteral("Save Data ?");
  QString DeleteDataPrompt = QStringLiteral("Delete Data ?");

  // ---- Components ----
  db::Connection DmCfg{QStringLiteral("DmCfg")};
  db::Query QCompanyConfig{DmCfg};  // parameter GetName
  db::Query QCompany{DmCfg};        // parameter GetName; left open for report templates
  db::Query QUser{DmCfg};           // parameter uid
  db::StoredProc SpMenuCaption{DmCfg, QStringLiteral("MENUCAPTION")};
  db::StoredProc SpErrorLog{DmCfg, QStringLiteral("AddErrorLog")};
  db::Script SQLUpdate{DmCfg};      // the Menu.Version step, run after every connect

  // ---- Operations ----
  // Loads the company that owns the database `name` (upper-cased). When no company owns it, shows
  // "Not Found Database : " + NAME and returns false: the caller ends the run with exit code 0.
  bool GetCompanyConfig(const QString& name);
  // Loads the menu caption, the user code, the access right, the language and the prompt texts.
  void CheckRight(int menuId, int userId);

  // The first line of "Server.Dat" in the current folder, untrimmed; empty when the file cannot be
  // opened. A file that opens but cannot be read raises.
  static QString ReadServerName();
  // The server name a connect uses: the test override when set, else ReadServerName(), else the
  // built-in default (db::kDefaultServerName).
  static QString ServerNameForConnect();
  // The 24 parameter lines of a connection to `databaseName` on `serverName`.
  static QStringList ConnectionParams(const QString& databaseName, const QString& serverName);

  void DmCfgBeforeConnect(db::Connection& c);
  void DmCfgAfterConnect(db::Connection& c);

  // Error reporting: one entry in the configuration database's error log; raises on failure.
  void AddErrorLog(const QString& message) override;
  // Sends the error report to the support mailbox; never raises, gives no confirmation.
  void SendErrorMail(const QString& subject, const QString& body) override;
  QString ReportUserCode() const override { return UserCode; }
  QString ReportDatabaseName() const override { return DatabaseName; }
  QString ReportMenuCaption() const override { return MenuCaption; }
};

extern TDMConfig* DMConfig;

namespace data {
// Points both connections at a server without a "Server.Dat" (tests: "embedded:/tmp/site").
// An empty text removes the override.
void SetServerNameOverride(const QString& serverName);
QString ServerNameOverride();
}  // namespace data
