// TFrPrintBoxNo: the box sticker window (menu option 101): the user chooses how many stickers of each
// box to print
// (1 to 99) and presses Print; the sticker template "Form_StickerBom_Varnotek.Frf" of the current
// folder is loaded afresh, given the number as the report variable CountNo, prepared and shown in
// the preview, from which the user prints. Which boxes are printed is asked by the template's own
// parameter dialog. A missing template shows nothing and no error (docs/packing.md). The preview's
// Print prints on the printer chosen with the window's printer set-up (the one printer of the run).
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>

#include "hint_balloon.h"
#include "report/function_library_registry.h"
#include "report/report.h"

class TFrPrintBoxNo : public QWidget {
  Q_OBJECT
 public:
  explicit TFrPrintBoxNo(QWidget* parent = nullptr);
  ~TFrPrintBoxNo() override;

  static constexpr const char* kTemplateName = "Form_StickerBom_Varnotek.Frf";

  // ---- Components ----
  QGroupBox* GroupBox1;
  QLabel* Label1;
  QSpinBox* CountNo;
  QGroupBox* GroupBox2;
  QPushButton* BPrint;
  QPushButton* BClose;
  QPushButton* BSetPrinter;  // the printer set-up: a label printer is chosen here
  report::Report frfReport;
  report::TfrAddFunctionLibrary frAddFunctionLibrary1;
  widgets::HintBalloon* FormHints1;

  // The template's path: the current folder and the template's name.
  static QString TemplatePath();
  // The name a printed sheet of stickers suggests for its file, from the boxes the template's
  // dialog was answered with: "สติ๊กเกอร์กล่อง BOX000001-BOX000003", or the send date's
  // "สติ๊กเกอร์กล่อง 11-12-2026" (read after the report is prepared).
  QString StickerFileName();

  // ---- Handlers ----
  virtual void FormShow();
  virtual void BPrintClick();
  virtual void BCloseClick();
  virtual void BSetPrinterClick();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  bool shown_ = false;
};
