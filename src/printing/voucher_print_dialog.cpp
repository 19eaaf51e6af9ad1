#include "voucher_print_dialog.h"

#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "data_grid.h"
#include "data_module.h"
#include "config_module.h"
#include "modal.h"
#include "prompts.h"
#include "voucher_kind.h"
#include "report/print_files.h"
#include "report/print_target.h"
#include "window_size.h"

TFrDocPrintFormGLAuto::TFrDocPrintFormGLAuto(QWidget* parent) : TFrDocPrintForm(parent) {
  SystemFormList->hide();
  RxLabel1 = new QLabel(QStringLiteral("พิมพ์ใบบันทึกรายการบัญชี"), this);
  RxLabel1->setObjectName(QStringLiteral("RxLabel1"));
  QFont f = RxLabel1->font();
  f.setPixelSize(24);
  f.setBold(true);
  RxLabel1->setFont(f);
  RxLabel1->setAlignment(Qt::AlignCenter);
  MainLayout()->insertWidget(0, RxLabel1, 1);
  ApplyLanguage(DMConfig ? DMConfig->IsThai : true);
}

QString TFrDocPrintFormGLAuto::TemplateFile() { return TemplatePath(QStringLiteral("\\Form_GLAuto.frf")); }

void TFrDocPrintFormGLAuto::ApplyLanguage(bool thai) {
  TFrDocPrintForm::ApplyLanguage(thai);
  setWindowTitle(thai ? QString() : QStringLiteral("Print Document"));
}

void TFrDocPrintFormGLAuto::ShowModal() {
  FormShow();
  widgets::ShowModal(*this);
}

void TFrDocPrintFormGLAuto::FormShow() {
  ApplyLanguage(DMConfig ? DMConfig->IsThai : true);
  framework::FitWindow(this, DesignSize());
  PlaceTopRight();
  BDisplay->setFocus();
}

void TFrDocPrintFormGLAuto::FormClose() {}

void TFrDocPrintFormGLAuto::BDisplayClick() { Output(OutputMode::Preview); }
void TFrDocPrintFormGLAuto::BPrintClick() { Output(OutputMode::Print); }

void TFrDocPrintFormGLAuto::Output(OutputMode mode) {
  const QString path = TemplateFile();
  if (!QFileInfo(path).isFile()) {
    prompts::message(QStringLiteral("ไม่พบฟอร์ม บันทึกบัญชี"));
    return;
  }
  PrintCode = printing::VoucherKind(PrintCode);

  frfReport.clear();
  frfReport.setDocumentName(report::documentFileName(QStringLiteral("ใบบันทึกรายการบัญชี"), DocNo));
  frfReport.setPreviewButtons(report::kAllPreviewButtons);
  if (!frfReport.loadFromFile(path)) {
    prompts::message(QStringLiteral("ไม่พบฟอร์ม บันทึกบัญชี"));
    return;
  }
  PrepareReportServices();
  frfReport.setVariable(QStringLiteral("DocNo"), Quoted(DocNo.trimmed()));
  frfReport.setVariable(QStringLiteral("DocYear"), QString::number(DocYear));
  frfReport.setVariable(QStringLiteral("PrintCode"), Quoted(PrintCode.trimmed()));

  if (mode == OutputMode::Preview) {
    DM->UserAddLog(DM->LogCodePreview, 0, DocNo);
    if (frfReport.prepare()) frfReport.showPreview(this);
    return;
  }
  if (!frfReport.prepare()) return;
  if (!PrintTo()) return;  // no file chosen, or one not to be replaced: nothing printed, nothing logged
  DM->UserAddLog(DM->LogCodePrint, 0, DocNo);
}
