// TFrProductInBoxNo: the box packing window (menu option 102): the warehouse opens a registered, empty
// shipping box by
// its printed number, chooses the customer and the send date, scans every piece that goes in, and
// saves. The save writes the box's contents and has the server turn the box into a sales invoice
// (ordinary customer) or a stock transfer to the customer's consignment warehouse, then opens the
// print dialog on that document (docs/packing.md).
//
// A box that already has a customer opens read-only (Save stays disabled) and refuses scans, naming
// the document it went to. Each accepted scan adds one row with quantity 1; rows are never merged.
// A mis-scanned piece is removed by selecting its row and pressing Delete (after a confirmation).
// A customer code that is no customer is refused where it is typed. Neither a missing customer at
// Save nor a No to the save question throws the scans away. For a consignment customer every piece
// needs a price barcode first; it applies to every following scan. The status bar shows the
// document a saved box became, and a barcode that is no product.
//
// A scan costs one indexed look-up of the barcode and one appended grid row, however full the box.
//
// When the save fails, the transaction is rolled back, the error goes to the error reporter and the
// box stays on screen with every scanned row, so the user can save again; nothing is printed.
// When another workstation packed or cancelled the box after it was opened here, the save is
// refused with a message naming the customer and document it got; the rows stay on screen and Save
// is disabled (a box is packed once).
#pragma once

#include <QLabel>

#include "date_frame.h"
#include "entry_form.h"
#include "data_source.h"
#include "db.h"
#include "edits.h"
#include "customer_frame.h"
#include "scanned_lines_grid.h"
#include "scan_feedback.h"

class TFrProductInBoxNo : public TFrForm {
  Q_OBJECT
 public:
  explicit TFrProductInBoxNo(QWidget* parent = nullptr);
  ~TFrProductInBoxNo() override;

  // ---- Components ----
  db::Query QBoxNo;           // the box record (one row, edited in memory)
  db::Query QBarCode;         // unit by barcode: the product barcode
  db::Query QBarCodePrice;    // unit by barcode: the price barcode
  db::Query QWarehouse;       // the consignment warehouse by the customer's code
  db::Query QBoxDt;           // the line list
  db::Query QDocNo;           // IvNo and TrNo of the box after the save
  db::Query SQLUpdateBox;
  db::Query QBoxAsStored;     // the box as stored, when a save finds it changed
  db::Query SQLDeleteLines;
  db::Query SQLInsertLine;
  db::StoredProc SpCopyBoxNoToIvHd;
  db::StoredProc SpCopyBoxNoToTransFerHd;
  widgets::DataSource DBoxNo;

  QLabel* LDocNo;
  widgets::Edit* DocNo;
  TFaGetDate* FaGetDate1;
  TFaGetCustomer* FaGetCustomer1;
  QLabel* Label2;
  widgets::Edit* EBarCodePrice;
  QLabel* Label1;
  widgets::Edit* EBarCode;
  QLabel* LCount;
  packing::LineGrid* wwDBGrid1;

  // ---- State ----
  bool ConsignmentFlag = false;  // the customer chosen has ConSignMentFlag "Y"
  int ScanCount = 0;             // pieces accepted since the last reset

  // The sound of a scan (the system bell unless a test counts the signals).
  packing::ScanFeedback Feedback;

  // ---- Handlers ----
  void FormShow(QObject* sender) override;
  void AcNewExecute(QObject* sender) override;
  void AcSaveExecute(QObject* sender) override;
  void FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift) override;
  virtual void DocNoExit(QObject* sender);
  virtual void FaGetCustomer1CustomerExit(QObject* sender);
  virtual void EBarCodePriceKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
  virtual void EBarCodeKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);

  // Writes the box and its lines and runs the server procedure, in one transaction. False when it
  // failed: the transaction is rolled back and the failure has gone to the error reporter.
  virtual bool SaveBox();
  // Removes one row of the line list after a confirmation (Delete in the grid).
  virtual void RemoveLine(int row);
  // Hands the saved box's document to the print dialog of the run.
  virtual void PrintDocument(const QString& docNo, int docYear, const QString& printCode);

  // The box opened, or 0 when none is.
  qint64 BoxId() const;
  // "จำนวน " followed by a count.
  static QString CountText(int count);

 private:
  // Looks a barcode up with one of the two unit queries; true when a unit was found.
  bool LookUpUnit(db::Query& q, const QString& barcode);
  void SetCount(int count);
  // Why an opened box takes no scans: cancelled, or packed into the invoice or transfer named.
  QString ClosedBoxText();
  void Signal(packing::ScanSignal s);
  // Takes what was typed into a frame but not yet left (the customer code, the date), as leaving
  // the field would. False when the field refused it and kept the focus.
  bool TakePendingEntry();
  void layoutControls();

  QString printedFiles_;  // where the last print went when it went into files (the print dialog's SavedFilesText)

  // The price unit found for the text last looked up, kept while the price barcode stays the same.
  struct PriceUnit {
    QString text;
    bool valid = false, found = false;
    QVariant id;
    QString barcode, name;
  } price_;
};
