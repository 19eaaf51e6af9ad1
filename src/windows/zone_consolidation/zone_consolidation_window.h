// TFrConsolidate_Qel_Dru: the zone consolidation window (menu option 200): gathers the due sales-order
// lines of one zone
// and send date, allocates a quantity to send against the stock on hand, records the truck crew,
// shows the load's weight, saves the document under a "CONSOLIDAT" number and prints it, and later
// has the server turn it into invoices and prints the delivery notes (docs/consolidation.md).
//
// States: New, not loaded (after New) -> New, loaded (Load) ; or Existing, open / Existing,
// finished (leaving the number field with a stored number). Save, Delete and Send to invoices end
// in New, not loaded when they succeed; when they fail, the transaction is rolled back, the error
// goes to the error reporter and the document stays on screen as it was, neither printed nor reset.
//
// A document is never saved without a ticked line. The number of a saved document, and a Load
// that found nothing, are shown in the status bar.
//
// Two users may load the same zone at once: the save refuses, inside its transaction, the lines
// another open consolidation of the zone stored meanwhile, names their sales orders, and saves the
// rest only when the user agrees.
//
// Two users may open the same document: every save and delete of an existing document compares, in
// its transaction, the header and lines as stored with what was read when the document was opened,
// and refuses, naming what changed, when another workstation changed, finished (sent to invoices)
// or deleted it meanwhile; the work stays on screen. The window never writes back what it does not
// edit (Confirm, Printed, and the invoice of a line). A new document whose drawn number is empty or
// stored already is refused, never written over the stored one.
//
// Send to invoices saves the document (its own transaction, committed) and then invoices it in a
// second transaction that takes the zone's lock, as a save does, and goes on only while the
// document is still as that save left it; otherwise nothing is invoiced and the user is told what
// changed. A load that would make no invoice (every ticked line sends 0) is refused before
// anything is written.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSet>

#include "date_frame.h"
#include "doc_no_frame.h"
#include "entry_form.h"
#include "data_source.h"
#include "db.h"
#include "data_grid.h"
#include "edits.h"

class TFrConsolidate_Qel_Dru : public TFrForm {
  Q_OBJECT
 public:
  explicit TFrConsolidate_Qel_Dru(QWidget* parent = nullptr);
  ~TFrConsolidate_Qel_Dru() override;

  static constexpr const char* kVersion = "V16.12.12";

  // ---- Components ----
  db::Query QZone;       // the zones (Misc group "ZONE"); the current row is the selected zone
  db::Query QLoad;       // the due lines of a zone with their allocation
  db::Query QConsoHd;    // the header record
  db::Query QConsoDt;    // the grid rows
  db::Query QHeaderId;   // the header's Id by number
  db::Query QChkOnhand;  // stored lines short of stock, per product and unit size
  db::Query QConsoToIv;  // the invoice numbers of a document
  db::Query QHeldLines;  // the lines held by the zone's other open consolidations
  db::Query QHdAsStored;  // the header as stored (what another workstation may have changed)
  db::Query QDtAsStored;  // the document's stored lines, likewise
  db::Query SQLLockZone;  // serialises the saves of one zone's consolidations
  db::Query SQLAddConsoHd;     // a new document's header
  db::Query SQLUpdateConsoHd;  // an existing document's header
  db::Script SQLAddConsoDt;
  db::StoredProc SpConsoToIV;
  widgets::DataSource DZone;
  widgets::DataSource DConsoHd;
  widgets::DataSource DConsoDt;

  TFaGetDocNo* FaGetDocNo1;
  TFaGetDate* FaGetConsoDate;
  QLabel* LZone;
  QComboBox* EZone;
  TFaGetDate* FaGetSendDate;
  QPushButton* BLoad;
  QPushButton* BSendToIV;
  QLabel* LWeight;
  QLabel* LCarman;
  widgets::DBEdit* Carman;
  QLabel* LLicensePlate;
  widgets::DBEdit* LicensePlate;
  QLabel* LPorter1;
  widgets::DBEdit* Porter1;
  QLabel* LPorter2;
  widgets::DBEdit* Porter2;
  QLabel* LPorter3;
  widgets::DBEdit* Porter3;
  QLabel* LRemark;
  widgets::DBEdit* Remark;
  widgets::DbGrid* DgDt;

  // ---- State ----
  bool IsNewDocument = false;  // the number entered matched no header
  QString CurrentDocNo;        // the number of the document last saved
  int CurrentDocYear = 0;      // the year of its DocDate
  // The display and edit formats of WeightKg (set when the rows are opened).
  QString WeightKgDisplayFormat;
  QString WeightKgEditFormat;

  // The Id of the selected zone (0 when there is none).
  qint64 SelectedZoneId() const;
  // Whether the grid's quantity rules (DgDtFieldChanged) are attached.
  bool QuantityRulesOn() const { return bool(fieldChanged_); }

  // ---- Handlers ----
  void FormShow(QObject* sender) override;
  void AcNewExecute(QObject* sender) override;
  void AcSaveExecute(QObject* sender) override;
  void AcDelExecute(QObject* sender) override;
  virtual void OpenQuery(const QString& docNo);
  virtual void FaGetDocNo1DocNoExit(QObject* sender);
  virtual void FaGetDocNo1BtSearchClick(QObject* sender);
  virtual void FaGetDocNo1DocNoKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
  virtual void EZoneChange(QObject* sender);
  virtual void BLoadClick(QObject* sender);
  virtual void BSendToIVClick(QObject* sender);
  virtual void DgDtFieldChanged(QObject* sender, int row, const QString& field);
  virtual void CalSumWeight();
  // Writes the header and the lines in one transaction, then reports lines short of stock. False
  // when nothing was saved (a failure, already reported, or the user declined to save without the
  // lines another consolidation holds); the document is then on screen as it was.
  virtual bool SaveDate();
  virtual void QConsoDtAfterOpen();
  void SetDgDtColumn();
  void SetGrid(const QString& field, int width, const QString& title, const QString& control, const QString& controlParams,
               bool readOnly);

  // Hands a document to the print dialog of the run.
  virtual void PrintDocument(const QString& docNo, int docYear, const QString& printCode);
  // The rows ticked to be sent.
  int TickedLines() const;
  // Whether the ticked rows give the document an invoice: a ticked row with a quantity to send, or
  // one invoiced already.
  bool MakesAnInvoice() const;

 private:
  class RulesOff;
  struct Snapshot {
    QVector<QVector<QVariant>> header, rows;
    int headerRow = 0, row = 0;
    bool isNew = false;
    QString docNo;
    int docYear = 0;
  };
  Snapshot takeSnapshot() const;
  // New document, with the outcome of the last one kept in the status bar.
  void StartNextDocument(const QString& status);
  bool keepStatus_ = false;
  QString printedFiles_;  // where the last print went when it went into files (the print dialog's SavedFilesText)
  void restore(const Snapshot& s);
  // The header and lines written inside the open transaction; throws on failure. False when
  // nothing may be written: `refusal` then says why (the document changed since it was opened, or
  // its number cannot be had), or `held` lists the sales-order lines (SoDt ids) to be inserted that
  // other open consolidations of the zone hold, with `orders` naming their orders.
  bool writeDocument(QSet<qint64>* held, QStringList* orders, QString* refusal);
  // The rows of one of the as-stored reads for a header's Id.
  db::Result readStored(db::Query& q, const QString& param, qint64 id);
  // What another workstation changed in the open document since it was opened (read inside the
  // transaction), as lines of the refusal; empty when nothing changed.
  QStringList changesSinceOpened();
  // The refusal of a document that changed since it was opened (or, for the invoicing step, since
  // this window saved it): `since` ends the first line.
  QString changedRefusal(const QStringList& changes,
                         const QString& since = QStringLiteral("หลังจากเปิดเอกสารนี้ จึงไม่ได้บันทึก")) const;
  // Binds the header fields the window edits to the header statement.
  void bindHeader(db::Params& p, const QDateTime& docDate, const QDateTime& sendDate);
  void checkStock();
  // The window's controls for the document now open (after the number field was left).
  void SetDocumentControls();
  void AttachFieldChanged();
  void DetachFieldChanged();
  void ReadZones();
  void ShowSelectedZone();
  QDate SendDateOfFrame() const;
  void layoutControls();

  QMetaObject::Connection fieldChanged_;
  // The header and the stored lines as read when the document was opened (an existing document),
  // and again as its save left them.
  db::Result openedHd_, openedDt_;
};
