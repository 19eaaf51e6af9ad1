// The document print dialog: the one place through which the document windows print.
//
// A window hands it a document number, the document's year and a print code and shows it:
//
//   TFrDocPrintForm& print = TFrDocPrintForm::Instance();
//   print.DocNo = CurrentDocNo;
//   print.DocYear = CurrentDocYear;   // a window without a year leaves the previous value
//   print.PrintCode = QStringLiteral("CONSOLIDAT");
//   print.ShowModal();                // returns when the dialog (and the voucher dialog) closed
//
// The dialog lists the report forms registered for the print code in SystemForm (FormCode), runs
// the chosen form's server procedure (SpName) and previews or prints its template (FrfName, a
// path relative to the current folder; "\" separates folders). Printing closes the dialog when only
// one form is registered, or on the site "RUF_AS"; otherwise it stays open for another form. When
// Config.AutoGenGL is "Y", every close leads on to the accounting-voucher dialog
// (TFrDocPrintFormGLAuto).
//
// One instance serves the whole run; DocNo, DocYear and PrintCode keep their values between uses.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "db.h"
#include "report/function_library_registry.h"
#include "report/report.h"

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QPushButton;
class QVBoxLayout;

namespace widgets {
class DataSource;
class DbGrid;
class KeyPreview;
}  // namespace widgets

namespace data {
class UnitQuantities;
}

namespace printing {
class CompanyLibrary;
class PromptPayLibrary;
}

class TDM;
class TFrDocPrintFormGLAuto;

class TFrDocPrintForm : public QDialog {
  Q_OBJECT
 public:
  explicit TFrDocPrintForm(QWidget* parent = nullptr);
  ~TFrDocPrintForm() override;

  // The dialog of the run, created on first use (with `parent` as its owner when given). A dialog
  // made for an earlier data module (tests make one per test) is replaced by a new one.
  static TFrDocPrintForm& Instance(QWidget* parent = nullptr);
  // The dialog when it exists, else null.
  static TFrDocPrintForm* ExistingInstance();
  // Deletes the dialog of the run (and its voucher dialog); the next Instance() makes a new one.
  static void ReleaseInstance();

  // ---- Inputs, kept between uses ----
  QString DocNo;
  int DocYear = 0;
  QString PrintCode;

  // Shows the dialog modally. With no form registered for PrintCode it closes at once (the close
  // step, and with it the voucher hand-off, still runs).
  virtual void ShowModal();
  // Prints the first form registered for PrintCode (the one the dialog opens on) into a PDF file,
  // without showing the dialog or handing on to the voucher dialog (unattended runs). The print
  // goes the road of the Print button: the form's procedure, the template, the activity log. False
  // when no form is registered or nothing was printed; a failure of the procedure or the template
  // is raised, and so is a file that could not be written whole (report::FileWriteError). The file
  // is replaced only by a whole new one: whatever it held before stays when nothing was printed.
  bool PrintToPdf(const QString& pdfPath);

  // The files the last ShowModal printed into (a PDF file chosen for want of a printer, or named
  // in printer set-up), in the order written; and the line that names them for the status line of
  // the window that printed ("บันทึกเป็นไฟล์ <path>, ..."; empty when none).
  QStringList SavedFiles;
  QString SavedFilesText() const;

  // ---- Components ----
  widgets::DbGrid* SystemFormList = nullptr;
  widgets::DataSource* DSystemForm = nullptr;
  db::Query* QSystemForm = nullptr;         // the form list for :PrintCode
  db::Script* SQLUpdateSystemForm = nullptr;  // the schema script run at every show
  QPushButton* BDisplay = nullptr;
  QPushButton* BPrint = nullptr;
  QPushButton* BSetPrinter = nullptr;
  QPushButton* BExit = nullptr;
  QMenu* PopFormName = nullptr;
  QAction* frf1 = nullptr;
  report::Report frfReport;
  report::TfrAddFunctionLibrary frAddFunctionLibrary1;
  widgets::KeyPreview* KeyPreview = nullptr;

  // The number of forms listed when the dialog was shown.
  int FormCount = 0;

  // The printer prints go to: the one printer of the run (report::currentPrinter()), which the
  // printer set-up dialog changes and the preview, the voucher dialog and the sticker window share.
  // Tests point it at a PDF file.
  QPrinter& Printer();
  // The platform's printer set-up dialog on the printer of the run.
  static void SetUpPrinter(QWidget* parent);

  // The voucher dialog, once the hand-off has made it.
  TFrDocPrintFormGLAuto* GLAutoForm() const { return glAuto_.get(); }

  // ---- Handlers ----
  virtual void FormShow();
  virtual void FormClose();
  void FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
  void SystemFormListKeyDown(int& key, Qt::KeyboardModifiers shift);
  void SystemFormListDblClick();
  virtual void BDisplayClick();
  virtual void BPrintClick();
  void BSetPrinterClick();
  void BExitClick();
  void frf1Click();
  void frfReportUserFunction(const QString& name, const QString& p1, const QString& p2, const QString& p3,
                             report::Value& result);

  enum class OutputMode { Preview, Print };
  // Previews or prints the form of the grid's current row.
  void OutputSelectedForm(OutputMode mode);

  // The file of a template named in SystemForm.FrfName: the current folder, then the name with
  // "\" read as a folder separator. When no file has exactly that name, a file whose name differs
  // only in case is taken (names were typed on a system that ignores case).
  static QString TemplatePath(const QString& frfName);

  // The texts of the language flag (Thai when set).
  virtual void ApplyLanguage(bool thai);

 protected:
  void done(int r) override;
  void showEvent(QShowEvent* e) override;
  // Places the dialog at the top right corner of the screen.
  void PlaceTopRight();
  // Common steps of both dialogs before a template is prepared: the report's connection, the
  // company record and the variables DocNo and UserCode are set by the callers.
  void PrepareReportServices();
  // A text as a report expression: a quoted literal, quotes inside doubled.
  static QString Quoted(const QString& text);

  QVBoxLayout* MainLayout() const { return layout_; }
  // The size the dialog opens at (at least): room for the form list's columns and the buttons.
  virtual QSize DesignSize() const;
  // Prints the prepared report on the printer, or with none installed into a PDF file the user
  // chooses; a file that exists is replaced only on the user's Yes. False when nothing was printed.
  bool PrintTo();
  // Runs a handler of a control; a failure goes to the program's error reporter and the dialog
  // stays as it is. A print into a file that could not be written is told in a Thai message box
  // naming the file (nothing was printed, logged or closed).
  void Guarded(const std::function<void()>& handler);

 private:
  void HandOffToVoucher();
  data::UnitQuantities& UnitQuantities();

  QVBoxLayout* layout_ = nullptr;
  std::shared_ptr<printing::CompanyLibrary> company_;
  std::shared_ptr<printing::PromptPayLibrary> promptPay_;
  std::unique_ptr<data::UnitQuantities> units_;
  std::unique_ptr<TFrDocPrintFormGLAuto> glAuto_;
  bool closeAtOnce_ = false;
  bool printed_ = false;  // the last output of a form printed it
  const TDM* dm_ = nullptr;  // the data module whose connection the dialog's queries use

  static QPointer<TFrDocPrintForm> instance_;
};
