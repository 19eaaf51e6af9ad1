// The customer search dialogs: TF_SearchCustomer (local searches, created per use) and
// TF_SearchCustomerPos (one instance for the process; its opener points its queries at the head
// office or at the local database). Both find a customer by code, phone, fax, Thai or English name,
// salesman, province and attribute ranges, and hand back the customer's code and name.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "customer_sql.h"
#include "data_source.h"
#include "db.h"
#include "data_grid.h"
#include "dialog_support.h"
#include "salesman_province_frames.h"
#include "customer_attribute_frame.h"
#include "key_preview.h"

namespace masterdata {

// What the two dialogs share (they behave identically).
class CustomerSearchDialog : public QDialog {
  Q_OBJECT
 public:
  QString ResultCode;  // out
  QString ResultName;  // out
  bool IncludeBlocked = false;  // in: list blocked customers too (never those with Blocked "Z")

  QPushButton* BtSearch;
  QPushButton* Btok;
  QPushButton* BtCancel;
  TFaSelectCustomerAttr* FaSelectCustomerAttr1;
  QLabel* Label1;  // customer code
  QLabel* Label2;  // phone
  QLabel* Label3;  // fax
  QLabel* Label4;  // Thai name
  QLabel* Label5;  // English name
  QLineEdit* CustomerCode;
  QLineEdit* PhoneNo;
  QLineEdit* Fax;
  QLineEdit* CustomerName;
  QLineEdit* CustomerNameEng;
  TFaGetSalesman* FaGetSalesman1;
  TFaGetProvince* FaGetProvince1;
  db::Query QNull;    // the one-row filter record (SalesId, ProvinceId), held in memory
  widgets::DataSource* DNull;
  db::Query QSearch;  // the result list
  widgets::DataSource* DSearch;
  widgets::DbGrid* ListData;

  int SortPosition = 0;

  // Points the four queries (attribute groups, salesman, result list, filter record) at a connection.
  void SetConnection(db::Connection& c);
  // Closes the four queries.
  void CloseQueries();
  // The filter the next search uses, read from the fields and frames.
  CustomerSearchFilter Filter() const;

  virtual void FormShow();
  virtual void BtSearchClick();
  virtual void ListDataTitleClick(int column);
  virtual void FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
  widgets::KeyPreview* Preview() const { return preview_; }
  void done(int r) override;

 protected:
  explicit CustomerSearchDialog(QWidget* parent);
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyEnglish();
  widgets::KeyPreview* preview_;
};

}  // namespace masterdata

class TF_SearchCustomer : public masterdata::CustomerSearchDialog {
  Q_OBJECT
 public:
  explicit TF_SearchCustomer(QWidget* parent = nullptr);
};

class TF_SearchCustomerPos : public masterdata::CustomerSearchDialog {
  Q_OBJECT
 public:
  explicit TF_SearchCustomerPos(QWidget* parent = nullptr);
  // The process-wide instance, created on first use.
  static TF_SearchCustomerPos* Instance();
  // The existing instance, or null before the first use.
  static TF_SearchCustomerPos* Existing();

  bool HeadOnline = false;  // in: written by the opener, not read by the dialog
};
