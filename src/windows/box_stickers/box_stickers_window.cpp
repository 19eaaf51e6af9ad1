#include "box_stickers_window.h"

#include <QDir>
#include <QHBoxLayout>
#include <QShowEvent>
#include <QVBoxLayout>

#include "data_module.h"
#include "error_reporter.h"
#include "framework.h"
#include "report_functions_setup.h"

TFrPrintBoxNo::TFrPrintBoxNo(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FrPrintBoxNo"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setWindowTitle(QStringLiteral("Print Sticker"));
  setFont(framework::FormFont(11));

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
  CountNo->setFixedWidth(48);
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
  auto* g2 = new QHBoxLayout(GroupBox2);
  g2->addWidget(BPrint);
  g2->addWidget(BClose);

  auto* v = new QVBoxLayout(this);
  v->addWidget(GroupBox1);
  v->addWidget(GroupBox2);
  v->setSizeConstraint(QLayout::SetFixedSize);

  FormHints1 = new widgets::HintBalloon(this);

  // The template's datasets run on the company database and may call the report functions and the
  // company record, as in the print dialog.
  report::registerAddFunctionLibrary();
  frfReport.setConnection(DM->DMdata);
  printing::setupReportFunctions(frfReport, &DM->DMdata);
  frfReport.setPreviewButtons(report::PreviewButton::Zoom | report::PreviewButton::Print | report::PreviewButton::Find |
                              report::PreviewButton::Help | report::PreviewButton::Exit | report::PreviewButton::PageSetup);

  auto guarded = [this](void (TFrPrintBoxNo::*handler)()) {
    return [this, handler] {
      try {
        (this->*handler)();
      } catch (...) {
        data::HandleException(this, std::current_exception());
      }
    };
  };
  connect(BPrint, &QPushButton::clicked, this, guarded(&TFrPrintBoxNo::BPrintClick));
  connect(BClose, &QPushButton::clicked, this, guarded(&TFrPrintBoxNo::BCloseClick));
}

TFrPrintBoxNo::~TFrPrintBoxNo() = default;

void TFrPrintBoxNo::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (shown_ || e->spontaneous()) return;
  shown_ = true;
  FormShow();
}

void TFrPrintBoxNo::FormShow() { adjustSize(); }

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
  if (frfReport.prepare()) frfReport.showPreview(this);
}

void TFrPrintBoxNo::BCloseClick() { close(); }
