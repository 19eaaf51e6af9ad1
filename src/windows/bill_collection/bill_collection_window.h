// TFrconsolidate_load: the zone bill-collection window (menu option 201): lists the open invoices of one
// customer zone,
// lets the user tick those a collector is to collect, name the person responsible and a remark, and
// saves them under a number of the series "MONEYBILL", one MoneyBill row per ticked invoice, then
// prints the list (docs/bill-collection.md).
//
// States: New (after New and after Save) -> New, loaded (Load) ; or Existing (leaving the number
// field with a number whose document still lists an open invoice). A number whose invoices were all
// cleared since counts as new. What the window guarantees:
//   * every loaded row carries the server's current date, which the date frame edits for the whole
//     document; a new number is drawn for the year of that date;
//   * Save runs in one transaction: a saved document's rows are replaced by the ticked ones, so an
//     invoice appears once per document; when any statement fails, the transaction is rolled back,
//     the failure goes to the error reporter and the window stays as it was;
//   * a document keeps its zone when it is saved again;
//   * a saved document is saved again or deleted only as it was opened: when another workstation
//     changed or deleted it meanwhile, the save is refused with a message naming what changed and
//     the work stays on screen; a new document whose drawn number is empty or already stored is
//     refused, never added to the stored one;
//   * the amounts stored are the invoice's total and outstanding amount at the moment of saving.
#pragma once

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <functional>

#include "date_frame.h"
#include "doc_no_frame.h"
#include "entry_form.h"
#include "data_source.h"
#include "db.h"
#include "data_grid.h"
#include "edits.h"

class TFrconsolidate_load : public TFrForm {
  Q_OBJECT
 public:
  explicit TFrconsolidate_load(QWidget* parent = nullptr);
  ~TFrconsolidate_load() override;

  static constexpr const char* kVersion = "15.12.25";
  static constexpr const char* kDocumentCode = "MONEYBILL";

  // ---- Components ----
  db::Query QGetZoneCus;       // the zones; the current row is the selected zone
  db::Query QGetGrid;          // the open invoices of a zone (Load)
  db::Query QselectGrid;       // the grid rows
  db::Query QAddMoneyBill;     // one row of a document
  db::Query QDelMoneyBillRow;  // one row of a saved document, removed before it is written again
  db::Query QDelMoneyBill;     // marks a document deleted
  db::Query QBillAsStored;     // a document's rows as stored (what another workstation may have changed)
  db::Query QBillNoStored;     // the rows stored under a new document's number
  widgets::DataSource DGetZoneCus;
  widgets::DataSource DselectGrid;

  TFaGetDocNo* FaGetDocNo1;
  TFaGetDate* FaGetDate1;
  QLabel* LZone;
  QComboBox* EZone;
  QLabel* LResponsible;
  widgets::Edit* Responsible;
  QLabel* LRemark;
  widgets::Edit* Remark;
  QPushButton* BLoad;
  QLabel* LCancelled;  // red, shown while a cancelled document is open
  widgets::DbGrid* DgDt;

  // ---- State ----
  bool IsNewBill = true;   // the number opened matched no row
  QString OpenedDocNo;     // the number of the document on screen when it exists
  qint64 OpenedZoneId = 0; // its zone
  QString LastDocNo;       // the number of the document last saved
  int LastDocYear = 0;     // the year of its date

  // The Id of the selected zone (0 when there is none).
  qint64 SelectedZoneId() const;
  // The date of the document: the DocDate of the current grid row, or the server's date when the
  // grid has no dated row.
  QDate DocumentDate();

  // ---- Handlers ----
  void FormShow(QObject* sender) override;
  void AcNewExecute(QObject* sender) override;
  void AcSaveExecute(QObject* sender) override;
  void AcDelExecute(QObject* sender) override;
  virtual void OpenQuery(const QString& docNo);
  virtual void FaGetDocNo1DocNoExit(QObject* sender);
  virtual void FaGetDocNo1BtSearchClick(QObject* sender);
  // F5 in the number field opens the search.
  virtual void FaGetDocNo1DocNoKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
  virtual void EZoneChange(QObject* sender);
  virtual void BLoadClick(QObject* sender);
  // Writes the document in one transaction. False when nothing was saved: the failure went to the
  // error reporter and the window is as it was.
  virtual bool SaveBill();
  // Hands the saved document to the print dialog of the run.
  virtual void PrintDocument(const QString& docNo, int docYear);

 private:
  // Marks the window while a cancelled document is open (red text beside the number, and the
  // caption).
  void ShowCancelled(bool cancelled);
  bool keepStatus_ = false;
  QString printedFiles_;  // where the last print went when it went into files (the print dialog's SavedFilesText)
  // Runs a handler's work; a failure goes to the error reporter.
  void Guarded(const std::function<void()>& work);
  void layoutControls();
  void SetDgDtColumn();
  void ReadZones();
  void SelectZone(qint64 zoneId);
  void writeDocument(const QString& docNo, const QDate& docDate, qint64 zoneId);
  // What another workstation changed in the opened document since it was opened, read inside the
  // transaction; empty when nothing changed.
  QStringList changesSinceOpened();
  // The refusal of a document that changed since it was opened.
  QString changedRefusal(const QStringList& changes) const;
  db::Result openedRows_;  // the document's rows as stored when it was opened
  // The date frame edits the date of the whole document: a date written into the current row is
  // copied to every row.
  void DocDateFollow(int row);
  void RememberShownDate();

  QVariant shownDate_;
  bool spreading_ = false;
};
