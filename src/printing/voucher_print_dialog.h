// TFrDocPrintFormGLAuto: the accounting-voucher dialog: after the print dialog closes, when
// Config.AutoGenGL is "Y", the
// voucher of the same document is previewed or printed from the one template "Form_GLAuto.frf" in
// the current folder. The print code is replaced by its voucher kind (see voucher_kind.h) when a
// preview or print runs; the template gets DocNo, DocYear and PrintCode.
//
// It reuses the print dialog's window, buttons, printer set-up and Escape key, without the form
// list and without a server procedure. Closing it never opens another dialog.
#pragma once

#include "document_print_dialog.h"

class QLabel;

class TFrDocPrintFormGLAuto : public TFrDocPrintForm {
  Q_OBJECT
 public:
  explicit TFrDocPrintFormGLAuto(QWidget* parent = nullptr);

  QLabel* RxLabel1 = nullptr;

  // The voucher template: the current folder and "Form_GLAuto.frf".
  static QString TemplateFile();

  void ShowModal() override;
  void FormShow() override;
  void FormClose() override;  // does nothing
  void BDisplayClick() override;
  void BPrintClick() override;
  void ApplyLanguage(bool thai) override;

  void Output(OutputMode mode);
};
