// TDM: the data module: the one owner of the connection to the company data database (alias "DMDATA").
// It keeps the company's configuration row open, brings the schema up to date, registers the running
// program's version, and offers the server services (document numbers, server time, activity log)
// and the module's Yes/No question. Creating it installs the application-wide error handler.
//
// One instance per process, reached through the global DM (set by the constructor, cleared by the
// destructor).
#pragma once

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "db.h"

class TDM {
 public:
  TDM();
  ~TDM();
  TDM(const TDM&) = delete;
  TDM& operator=(const TDM&) = delete;

  // ---- Connection and company configuration ----
  db::Connection DMdata{QStringLiteral("DMDATA")};
  db::Query QConfig{DMdata};  // every column of table Config; reopened on every connect
  int RunYear = 0;            // refreshed from Config.RunYear by CheckRunYear

  // The customer name text last typed in the customer search dialogs.
  QString LastCustomerSearchText;

  // ---- Activity codes (UserAddLog's functionListId) ----
  const int LogCodePrint = 5;
  const int LogCodeSticker = 6;
  const int LogCodePreview = 10;

  // The background of the module's Yes/No box (pure blue); its text is white.
  QColor PromptColor;

  // ---- Schema upgrade and version gate ----
  db::Script SQLUpdateConfig{DMdata};
  db::Script SQLUpdate{DMdata};
  db::Query QCheckProGramExe{DMdata};

  // Schema upgrade plus version gate: true when this program may run. Shows the Thai "outdated"
  // message and returns false when a newer copy has registered a higher version.
  bool CheckVersionProgramEXE(const QString& programExe, int version);
  // True when the calendar year of `date` is at most RunYear + 1.
  bool CheckRunYear(const QDate& date);
  bool CheckRunYear(const QDateTime& date) { return CheckRunYear(date.date()); }

  void DMdataBeforeConnect(db::Connection& c);
  void DMdataAfterConnect(db::Connection& c);

  // The splash window to close and free on the first connect (set by start-up; may be null).
  void SetSplash(QWidget* splash) { splash_ = splash; }
  QWidget* Splash() const { return splash_.data(); }

  // ---- Server services (Part of every document window's work) ----
  db::StoredProc SpNewDocumentNo{DMdata, QStringLiteral("NewDocumentNo")};
  db::StoredProc SpServerTime{DMdata, QStringLiteral("ServerTime")};
  db::StoredProc SpUserAddLog{DMdata, QStringLiteral("UserAddLog")};

  // A new number of the series docCode for the calendar year of `date`, as the server returns it.
  QString NewDocumentNo(const QString& docCode, const QDate& date);
  QString NewDocumentNo(const QString& docCode, const QDateTime& date) { return NewDocumentNo(docCode, date.date()); }
  // The database server's current date and time.
  QDateTime ServerTime();
  // One activity entry for the signed-in user and the current menu entry.
  void UserAddLog(int functionListId, int documentId, const QString& remark);
  // The module's blue Yes/No box (English Yes/No); true only for Yes.
  bool ConfirmYesNo(const QString& message);

  // ---- Unit-quantity texts (product units) ----
  // Defined in unit_quantities.cpp of this folder (the master-data work supplies it).
  db::Query QUnitFraction{DMdata};   // parameter GetUnit
  db::Query QStockUnitQnty{DMdata};  // parameter GetProduct
  QString OnhandQuantity(int unitId, double qty);
  QString OnhandQuantityLSUnit(int unitId, int mode, double qty);
  QString FracSmallByStock(int unitId, double qty);

 private:
  QPointer<QWidget> splash_;
  bool connectedOnce_ = false;
};

extern TDM* DM;
