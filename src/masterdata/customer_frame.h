// TFaGetCustomer: the panel with which a document window takes a customer: a code field bound to
// the customer column of the window's record, the customer's name beside it, a search button (F5)
// and, after a code is entered, the customer's detail row (QCustomer) for the window to read.
//
// With the company setting UseCustomerLinkHead "Y" the search runs against the head office's
// customer list while the head office is reachable, and a customer picked there is first copied into
// the local customer table (group, salesman and province translated to local ids).
//
// What a host does (the box packing window is the model):
//   1. Customer->setDataSource(itsDataSource, "Customer") — binds the code field to its id column;
//   2. optionally replaces QCustomer.sql (same parameter GetCode) to fetch more columns;
//   3. optionally replaces Customer->OnExit with its own handler, which first calls CustomerExit()
//      and then reads QCustomer.
// After the focus leaves Customer with a non-empty code, QCustomer holds the customer's detail row
// (empty when the code is not a local customer), the bound column holds the local customer id (null
// when not found) and CustomerName shows the name.
#pragma once

#include <QFrame>
#include <QLabel>
#include <functional>

#include "db.h"
#include "edits.h"
#include "lookup_edit.h"

class TF_SearchCustomerPos;

class TFaGetCustomer : public QFrame {
  Q_OBJECT
 public:
  explicit TFaGetCustomer(QWidget* parent = nullptr);
  ~TFaGetCustomer() override;

  // ---- Components ----
  db::Connection DBHead{QStringLiteral("DBHead")};  // the head-office database
  QLabel* Label21;
  widgets::SpeedButton* BtSearchCustomer;
  QLabel* CustomerName;
  TKIdLookup* Customer;
  db::Query QCustomer;         // the customer's detail row by code (parameter GetCode)
  db::Query QGetCustomerHead;  // the head office's customer row by code (parameter Code)
  db::Query QGetIdLocal;       // id look-ups and the province insert during the copy
  db::Query QRunLocal;         // the copy statement
  db::Query QGetCode;          // declared, not used
  db::Query QDBHeadGetId;      // declared, not used
  db::Query QRun;              // declared, not used

  // ---- Handlers ----
  virtual void BtSearchCustomerClick();
  virtual void CustomerKeyDown(int& key, Qt::KeyboardModifiers shift);
  virtual void CustomerExit();
  virtual void FrameEnter();
  virtual void FrameExit();
  virtual void DBHeadBeforeConnect(db::Connection& c);

  // ---- Settings read from the company's Config row (trimmed) ----
  bool HeadOfficeMode() const;  // UseCustomerLinkHead is "Y"
  QString MainServerIP() const;
  QString MainDbName() const;

  // The reachability test (server name, time-out in ms -> round-trip ms, -1 or -2). Defaults to
  // masterdata::PingServer; tests may wrap it to count the attempts.
  std::function<int(const QString& serverName, int timeoutMs)> Pinger;
  // Up to `attempts` reachability tests of the head office; true as soon as one answers.
  bool HeadReachable(int attempts);

  // The caption of the head-office search dialog.
  static QString OnlineCaption() { return QStringLiteral("ค้าหา รายชื่อลูกค้า/สมาชิก (Online สำนักงานใหญ่)"); }
  static QString OfflineCaption() { return QStringLiteral("ค้าหา รายชื่อลูกค้า/สมาชิก (Offline)"); }

  // Copies the head office's customer with this code into the local Customer table (insert, or
  // update of the row with the same code keeping its local Id). Public for the tests of the copy.
  void CopyCustomerFromHead(const QString& customerCode);

 private:
  QString ConfigText(const QString& column) const;
  QVariant LocalId(const QString& sql, const QString& code);
  QVariant LowestLocalId(const QString& table);
  bool focusInside_ = false;
};
