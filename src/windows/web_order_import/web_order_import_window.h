// TFrLoadFileXML_Varnotek: the web-order import window (menu option 100): fetches the order file of one
// zone from the order
// web site, stores its lines as approved sales orders, gives the zone's open sales orders one
// consolidation number and prints the consolidation (docs/web-order-import.md).
//
// Load / Consolidate, with the number field empty:
//   1. asks the site to produce the zone's order file (not awaited) and downloads it by FTP into
//      the desktop folder "LoadXML";
//   2. stores its lines in one transaction (LoadXMLToDB); after the commit the site is told which
//      lines arrived, one acknowledgement every three seconds while the window stays usable (the
//      line below the status counts those the site answered with success, and those that failed);
//      lines that could not be stored (by reason, all of them listed in a file beside the order
//      file), lines stored before, and new lines that joined a sales order consolidated before are
//      reported in one message;
//   3. stamps every sales order of the zone without a consolidation number with a new one
//      (Consolidate), also when the site had no file (a download that failed, or a file that is no
//      order file, is an error: nothing is stored or consolidated);
//   4. opens the print dialog for that number (print code "CONSOLIDAT"); when no sales order was
//      left to stamp it says so instead.
// With a number in the field the button only prints. The load sheet of a number lists the sales
// orders stamped with it (docs/web-order-import.md).
//
// Closing while acknowledgements are still waiting keeps the window open until they are sent and
// answered;
// closing a second time closes at once (the site keeps the lines not acknowledged pending and the
// next import acknowledges them again).
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

#include "db.h"
#include "order_acknowledgements.h"
#include "order_file.h"
#include "import_settings.h"
#include "net/http.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace widgets {
class Edit;
class KeyPreview;
class SpeedButton;
}  // namespace widgets

class TFrLoadFileXML_Varnotek : public QDialog {
  Q_OBJECT
 public:
  explicit TFrLoadFileXML_Varnotek(QWidget* parent = nullptr);
  ~TFrLoadFileXML_Varnotek() override;

  // ---- Components ----
  db::Query QZone;      // Code, Description, FileDate of the zones; the current row is the selected zone
  db::Script SQLUpdate; // the schema upgrade run when the window opens
  QGroupBox* GroupZone = nullptr;
  QLabel* LZone = nullptr;
  QComboBox* EZone = nullptr;
  QLabel* LDocNo = nullptr;
  widgets::Edit* DocNo = nullptr;
  widgets::SpeedButton* BtSearch = nullptr;
  QLabel* lStatus = nullptr;
  QLabel* lOutcome = nullptr;       // what the last import ended with (kept after the run)
  QLabel* lAcknowledged = nullptr;  // how many acknowledgements the site took, and how many failed
  QPushButton* BLoad = nullptr;
  QPushButton* BClose = nullptr;
  // The background HTTP requests to the order site (never awaited by the window; drained when the
  // window goes).
  net::BackgroundGet WebBrowser1;
  weborder::Acknowledger Acknowledge;

  // The outcome of the last LoadXMLToDB.
  weborder::ImportResult LastImport;
  // The settings of the last Load / Consolidate.
  weborder::WebOrderSettings Settings;

  // The selected zone's Code and FileDate (empty without zones).
  QString ZoneCode() const;
  QString FileDate() const;

  // ---- Handlers ----
  virtual void FormShow();
  void DocNoExit();
  void DocNoKeyDown(int& key, Qt::KeyboardModifiers shift);
  virtual void BtSearchClick();
  virtual void BLoadClick();
  // Reads the order file and stores its lines; then queues the acknowledgements and shows the
  // end-of-import report.
  virtual void LoadXMLToDB(const QString& file);
  // Stamps the zone's unconsolidated sales orders with a new number; DocNo receives it (empty when
  // there was none).
  virtual void Consolidate();
  void BCloseClick();
  void EZoneChange(int index);

  // Sets the status line and repaints it (at most every 50 ms while lines are stored).
  void SetStatus(const QString& text, bool throttled = false);

 Q_SIGNALS:
  void statusChanged(const QString& text);

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void reject() override;
  // Opens the print dialog of the run for the consolidation number.
  virtual void PrintConsolidation();

 private:
  void ShowAcknowledged();
  // Adds a line to what the import ended with.
  void AddOutcome(const QString& text);
  // Grows the window when a status line wraps onto more lines than it has room for.
  void KeepWholeLines();
  bool shown_ = false;
  bool closeRequested_ = false;
  QElapsedTimer repaintClock_;
  widgets::KeyPreview* keyPreview_ = nullptr;
};
