#include "box_stickers_window.h"

#include <QDir>
#include <QHBoxLayout>
#include <QShowEvent>
#include <QVBoxLayout>

#include "data_module.h"
#include "error_reporter.h"
#include "document_print_dialog.h"
#include "framework.h"
#include "window_size.h"
#include "report_functions_setup.h"
#include "report/print_files.h"
#include "report/value.h"

TFrPrintBoxNo::TFrPrintBoxNo(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FrPrintBoxNo"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Print Sticker"));
  // The design's 11 pixels were a bitmap font's; Thai needs the forms' 13 to be read.
  setFont(framework::FormFont(13));

  GroupBox1 = new QGroupBox(QStringLiteral("จำนวน Stocker"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  Label1 = new QLabel(QStringLiteral("จำนวน Sticker"), GroupBox1);
  Label1->setObjectName(QStringLiteral("Label1"));
  CountNo = new QSpinBox(GroupBox1);
  CountNo->setObjectName(QStringLiteral("CountNo"));
  CountNo->setRange(1, 99);  // two digits at most
  CountNo->setValue(1);
  CountNo->setButtonSymbols(QAbstractSpinBox::NoButtons);
  CountNo->setAlignment(Qt::AlignRight);
  CountNo->setFixedWidth(std::max(48, CountNo->fontMetrics().horizontalAdvance(QStringLiteral("99")) + 24));
  auto* g1 = new QHBoxLayout(GroupBox1);
  g1->addWidget(Label1);
  g1->addWidget(CountNo);
  g1->addStretch();

  GroupBox2 = new QGroupBox(this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  BPrint = new QPushButton(QStringLiteral("Print"), GroupBox2);
  BPrint->setObjectName(QStringLiteral("BPrint"));
  BClose = new QPushButton(QStringLiteral("Close"), GroupBox2);
  BClose->setObjectName(QStringLiteral("BClose"));
  BSetPrinter = new QPushButton(framework::IsThai() ? QStringLiteral("กำหนดเครื่องพิมพ์") : QStringLiteral("Set Printer"), GroupBox2);
  BSetPrinter->setObjectName(QStringLiteral("BSetPrinter"));
  auto* g2 = new QHBoxLayout(GroupBox2);
  g2->addWidget(BPrint);
  g2->addWidget(BSetPrinter);
  g2->addWidget(BClose);

  auto* v = new QVBoxLayout(this);
  v->addWidget(GroupBox1);
  v->addWidget(GroupBox2);
  v->addStretch();

  FormHints1 = new widgets::HintBalloon(this);

  // The template's datasets run on the company database and may call the report functions and the
  // company record, as in the print dialog.
  report::registerAddFunctionLibrary();
  frfReport.setConnection(DM->DMdata);
  printing::setupReportFunctions(frfReport, &DM->DMdata);
  frfReport.setPreviewButtons(report::PreviewButton::Zoom | report::PreviewButton::Print | report::PreviewButton::Find |
                              report::PreviewButton::Help | report::PreviewButton::Exit | report::PreviewButton::PageSetup);

  connect(BPrint, &QPushButton::clicked, this, data::Guarded(this, [this] { BPrintClick(); }));
  connect(BClose, &QPushButton::clicked, this, data::Guarded(this, [this] { BCloseClick(); }));
  connect(BSetPrinter, &QPushButton::clicked, this, data::Guarded(this, [this] { BSetPrinterClick(); }));
}

TFrPrintBoxNo::~TFrPrintBoxNo() = default;

void TFrPrintBoxNo::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (shown_ || e->spontaneous()) return;
  shown_ = true;
  FormShow();
}

void TFrPrintBoxNo::FormShow() {
  // Sized to its contents (or as the user left it), in the middle of the screen.
  adjustSize();
  framework::FitWindow(this, sizeHint());
  framework::CenterOnScreen(this);
}

QString TFrPrintBoxNo::TemplatePath() {
  QString dir = QDir::currentPath().trimmed();
  if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
  return dir + QLatin1String(kTemplateName);
}

void TFrPrintBoxNo::BPrintClick() {
  DM->UserAddLog(DM->LogCodeSticker, 0, QString());
  // A missing file loads nothing and says nothing: the template held before (if any) stays.
  frfReport.loadFromFile(TemplatePath());
  if (!frfReport.isLoaded()) return;
  frfReport.setVariable(QStringLiteral("CountNo"), QString::number(CountNo->value()));
  if (!frfReport.prepare()) return;
  frfReport.setDocumentName(StickerFileName());
  frfReport.showPreview(this);
}

QString TFrPrintBoxNo::StickerFileName() {
  // A template without these variables names its file by the stickers alone.
  const auto value = [this](const QString& name) {
    try {
      return report::displayText(frfReport.evaluate(name)).trimmed();
    } catch (const report::ExprError&) {
      return QString();
    }
  };
  const QString from = value(QStringLiteral("FromBox"));
  const QString to = value(QStringLiteral("ToBox"));
  QString number = from;
  if (from.isEmpty()) number = value(QStringLiteral("SendDate")).replace(QLatin1Char('/'), QLatin1Char('-'));
  else if (!to.isEmpty() && to != from) number += QLatin1Char('-') + to;
  return report::documentFileName(QStringLiteral("สติ๊กเกอร์กล่อง"), number);
}

void TFrPrintBoxNo::BCloseClick() { close(); }

void TFrPrintBoxNo::BSetPrinterClick() { TFrDocPrintForm::SetUpPrinter(this); }
