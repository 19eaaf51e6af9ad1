#include "web_order_import_window.h"

#include "framework.h"
#include "window_size.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "data_module.h"
#include "error_reporter.h"
#include "config_module.h"
#include "document_print_dialog.h"
#include "edits.h"
#include "key_preview.h"
#include "error_reporter.h"
#include "web_order_import_sql.h"
#include "prompts.h"
#include "consolidation_number_search.h"
#include "zone_import.h"

namespace {

// Disables the two buttons for the life of one click, whatever way the click ends.
class ButtonsDisabled {
 public:
  ButtonsDisabled(QPushButton* a, QPushButton* b) : a_(a), b_(b) {
    a_->setEnabled(false);
    b_->setEnabled(false);
  }
  ~ButtonsDisabled() {
    a_->setEnabled(true);
    b_->setEnabled(true);
  }

 private:
  QPushButton* a_;
  QPushButton* b_;
};

const char* kLoadCaption = "Load / Consolidate";

}  // namespace

TFrLoadFileXML_Varnotek::TFrLoadFileXML_Varnotek(QWidget* parent)
    : QDialog(parent),
      QZone(DM->DMdata),
      SQLUpdate(DM->DMdata),
      Acknowledge(WebBrowser1, [this](qint64 id) { return Settings.acknowledgeUrl(id); }) {
  setObjectName(QStringLiteral("FrLoadFileXML_Varnotek"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  GroupZone = new QGroupBox(QStringLiteral("Zone"), this);
  LZone = new QLabel(QStringLiteral("Zone ลูกค้า"), GroupZone);
  EZone = new QComboBox(GroupZone);
  EZone->setObjectName(QStringLiteral("EZone"));
  EZone->setMinimumWidth(260);
  LZone->setBuddy(EZone);
  auto* zoneLayout = new QHBoxLayout(GroupZone);
  zoneLayout->addWidget(LZone);
  zoneLayout->addWidget(EZone, 1);

  LDocNo = new QLabel(QStringLiteral("เลขที่ Conso"), this);
  DocNo = new widgets::Edit(this);
  DocNo->setObjectName(QStringLiteral("DocNo"));
  DocNo->setMaxLength(15);
  DocNo->setMinimumWidth(framework::CodeEditWidth(DocNo, 15));
  LDocNo->setBuddy(DocNo);
  BtSearch = new widgets::SpeedButton(this);
  BtSearch->setObjectName(QStringLiteral("BtSearch"));
  BtSearch->setText(QStringLiteral("..."));
  BtSearch->setToolTip(QStringLiteral("ค้นหาเลขที่เอกสาร"));
  auto* docLayout = new QHBoxLayout;
  docLayout->addWidget(LDocNo);
  docLayout->addWidget(DocNo, 1);
  docLayout->addWidget(BtSearch);

  lStatus = new QLabel(this);
  lStatus->setObjectName(QStringLiteral("lStatus"));
  lStatus->setStyleSheet(QStringLiteral("color: blue;"));
  lStatus->setMinimumWidth(380);
  lStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lStatus->setWordWrap(true);  // a long status (a file's path) wraps instead of being cut
  lOutcome = new QLabel(this);
  lOutcome->setObjectName(QStringLiteral("lOutcome"));
  lOutcome->setStyleSheet(QStringLiteral("color: blue;"));
  lOutcome->setWordWrap(true);
  lAcknowledged = new QLabel(this);
  lAcknowledged->setObjectName(QStringLiteral("lAcknowledged"));
  lAcknowledged->setStyleSheet(QStringLiteral("color: blue;"));
  // The close-pending hint is longer than the window: the line wraps rather than cutting it.
  lAcknowledged->setWordWrap(true);

  BLoad = new QPushButton(QString::fromLatin1(kLoadCaption), this);
  BLoad->setObjectName(QStringLiteral("BLoad"));
  BClose = new QPushButton(QStringLiteral("Close"), this);
  BClose->setObjectName(QStringLiteral("BClose"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BLoad);
  buttons->addWidget(BClose);

  auto* root = new QVBoxLayout(this);
  root->addWidget(GroupZone);
  root->addLayout(docLayout);
  root->addWidget(lStatus);
  root->addWidget(lOutcome);
  root->addWidget(lAcknowledged);
  root->addLayout(buttons);
  setTabOrder(EZone, DocNo);
  setTabOrder(DocNo, BLoad);
  setTabOrder(BLoad, BClose);
  adjustSize();

  connect(EZone, qOverload<int>(&QComboBox::currentIndexChanged), this, data::Guarded(this, [this](int i) { EZoneChange(i); }));
  connect(BLoad, &QPushButton::clicked, this, data::Guarded(this, [this] { BLoadClick(); }));
  connect(BClose, &QPushButton::clicked, this, data::Guarded(this, [this] { BCloseClick(); }));
  BtSearch->OnClick = data::Guarded(this, [this] { BtSearchClick(); });
  DocNo->OnExit = data::Guarded(this, [this] { DocNoExit(); });
  DocNo->OnKeyDown = data::Guarded(this, [this](QObject*, int& key, Qt::KeyboardModifiers shift) { DocNoKeyDown(key, shift); });

  // Enter moves on to the next control (a button takes Enter as a click).
  keyPreview_ = new widgets::KeyPreview(this);
  keyPreview_->KeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers) {
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !qobject_cast<QPushButton*>(sender)) {
      focusNextChild();
      key = 0;
    }
  };

  connect(&Acknowledge, &weborder::Acknowledger::progress, this, data::Guarded(this, [this] { ShowAcknowledged(); }));
  connect(&Acknowledge, &weborder::Acknowledger::answered, this, data::Guarded(this, [this] { ShowAcknowledged(); }));
  connect(&Acknowledge, &weborder::Acknowledger::finished, this, data::Guarded(this, [this] {
            if (closeRequested_) close();
          }));

  QZone.sql = weborder::sql::QZone.tsql.split(QLatin1Char('\n'));
  QZone.sqlSqlite = weborder::sql::QZone.sqlite.split(QLatin1Char('\n'));
}

TFrLoadFileXML_Varnotek::~TFrLoadFileXML_Varnotek() { Acknowledge.abandon(); }

QString TFrLoadFileXML_Varnotek::ZoneCode() const {
  return QZone.active() && !QZone.isEmpty() && !QZone.eof() ? QZone.asString(QStringLiteral("Code")).trimmed() : QString();
}

QString TFrLoadFileXML_Varnotek::FileDate() const {
  return QZone.active() && !QZone.isEmpty() && !QZone.eof() ? QZone.asString(QStringLiteral("FileDate")).trimmed() : QString();
}

void TFrLoadFileXML_Varnotek::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (shown_) return;
  shown_ = true;
  FormShow();
  // Sized to its contents, resizable, at the size the user left it at.
  framework::FitWindow(this, sizeHint());
}

void TFrLoadFileXML_Varnotek::FormShow() {
  if (DMConfig) setWindowTitle(DMConfig->MenuCaption);
  const QVector<data::UpgradeStep> steps = weborder::ImportUpgradeSteps();
  SQLUpdate.sql = data::ScriptLines(steps);
  data::RunUpgrade(DM->DMdata, SQLUpdate, steps);
  SetStatus(QString());
  lOutcome->clear();
  DocNo->clear();
  BLoad->setText(QString::fromLatin1(kLoadCaption));

  QZone.close();
  QZone.open();
  const QSignalBlocker block(EZone);
  EZone->clear();
  for (QZone.first(); !QZone.eof(); QZone.next()) EZone->addItem(QZone.asString(QStringLiteral("Description")));
  QZone.first();
  EZone->setCurrentIndex(QZone.isEmpty() ? -1 : 0);
}

void TFrLoadFileXML_Varnotek::EZoneChange(int index) {
  if (index >= 0 && index < QZone.rowCount()) QZone.moveTo(index);
}

void TFrLoadFileXML_Varnotek::DocNoExit() {
  BLoad->setText(DocNo->text().isEmpty() ? QString::fromLatin1(kLoadCaption) : QStringLiteral("Print"));
}

void TFrLoadFileXML_Varnotek::DocNoKeyDown(int& key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_F5) {
    key = 0;
    BtSearchClick();
  }
}

void TFrLoadFileXML_Varnotek::BtSearchClick() {
  TFrSearchConsoNo dlg(this);
  dlg.KeyFieldName = QStringLiteral("ConsoNo");
  if (dlg.ShowModal() == QDialog::Accepted && !dlg.ResultKey.trimmed().isEmpty()) {
    DocNo->setText(dlg.ResultKey.trimmed());
    DocNo->setFocus();
  }
}

void TFrLoadFileXML_Varnotek::SetStatus(const QString& text, bool throttled) {
  lStatus->setText(text);
  if (!throttled || !repaintClock_.isValid() || repaintClock_.elapsed() >= 50) {
    lStatus->repaint();
    repaintClock_.start();
  }
  Q_EMIT statusChanged(text);
}

void TFrLoadFileXML_Varnotek::BLoadClick() {
  ButtonsDisabled disabled(BLoad, BClose);
  if (DocNo->text().isEmpty()) {
    lOutcome->clear();
    weborder::ImportRoad road;
    road.status = [this](const QString& text) { SetStatus(text); };
    road.load = [this](const QString& file) { LoadXMLToDB(file); };
    road.consolidate = [this] { Consolidate(); };
    LastImport = weborder::ImportResult();
    weborder::FetchOutcome fetched;
    try {
      fetched = weborder::RunImportRoad(DM->DMdata, WebBrowser1, ZoneCode(), FileDate(), road, &Settings);
    } catch (...) {
      weborder::RecordImportRun(weborder::ImportRunRemark(ZoneCode(), fetched, nullptr, QString(),
                                                          data::ErrorMessageOf(std::current_exception())));
      throw;
    }
    weborder::RecordImportRun(
        weborder::ImportRunRemark(ZoneCode(), fetched, fetched.found ? &LastImport : nullptr, DocNo->text()));
    if (!fetched.found) {
      // The next step's status replaced it: the missing file stays in sight on a line of its own.
      AddOutcome(weborder::StatusNoOrderFile());
    }
    // Load sheets printed before these lines came lack them: they stay in sight after the report.
    for (const weborder::JoinedConsolidation& j : LastImport.joinedConsolidated)
      AddOutcome(QStringLiteral("กรุณาพิมพ์ใบจัดสินค้าเลขที่ Conso %1 อีกครั้ง (มีรายการใหม่ %2 รายการ)").arg(j.consoNo).arg(j.lines));
    if (DocNo->text().isEmpty()) {
      // Nothing was stamped: there is no consolidation to print.
      const QString nothing = QStringLiteral("ไม่มีใบสั่งขายของเขตนี้ที่รอจัด จึงไม่ได้ออกเลขที่ Conso");
      AddOutcome(nothing);
      prompts::current().message(nothing, prompts::Style::Info);
      return;
    }
    AddOutcome(QStringLiteral("เลขที่ Conso ") + DocNo->text());
  }
  PrintConsolidation();
}

void TFrLoadFileXML_Varnotek::LoadXMLToDB(const QString& file) {
  LastImport = weborder::ImportResult();
  LastImport = weborder::StoreOrderFile(
      DM->DMdata, file, [](const QString& code, const QDate& date) { return DM->NewDocumentNo(code, date); },
      [this](const weborder::OrderLine& l) {
        SetStatus(QStringLiteral("Status : Load OrderNo : ") + l.orderNo + QStringLiteral(" Barcode : ") + l.barcode, true);
      },
      weborder::DocumentNumberBatches(DM->DMdata, [](const QString& code, const QDate& date) { return DM->NewDocumentNo(code, date); }));
  // Committed: now the site may learn which lines arrived.
  Acknowledge.enqueue(LastImport.toAcknowledge());
  const QString report = LastImport.reportText();
  if (!report.isEmpty()) prompts::current().message(report, prompts::Style::Info);
}

void TFrLoadFileXML_Varnotek::Consolidate() {
  const QString no = weborder::ConsolidateZone(DM->DMdata, ZoneCode(), [] {
    return DM->NewDocumentNo(QStringLiteral("CONSOLIDAT"), DM->ServerTime());
  });
  DocNo->setText(no);
}

void TFrLoadFileXML_Varnotek::PrintConsolidation() {
  TFrDocPrintForm& print = TFrDocPrintForm::Instance();
  print.DocNo = DocNo->text();
  print.DocYear = 1977;
  print.PrintCode = QStringLiteral("CONSOLIDAT");
  print.ShowModal();
  // A load sheet printed into a file says where it went.
  if (!print.SavedFilesText().isEmpty()) SetStatus(print.SavedFilesText());
}

void TFrLoadFileXML_Varnotek::AddOutcome(const QString& text) {
  const QString before = lOutcome->text();
  lOutcome->setText(before.isEmpty() ? text : before + QLatin1Char('\n') + text);
  KeepWholeLines();
}

void TFrLoadFileXML_Varnotek::ShowAcknowledged() {
  QString text = Acknowledge.progressText();
  if (closeRequested_ && Acknowledge.busy())
    text += QStringLiteral(" : หน้าต่างจะปิดเมื่อส่งครบ (ปิดอีกครั้งเพื่อปิดทันที)");
  lAcknowledged->setText(text);
  KeepWholeLines();
}

void TFrLoadFileXML_Varnotek::KeepWholeLines() {
  // A wrapped line needs more height than the window gave it: the window grows, nothing is cut.
  layout()->activate();
  int missing = 0;
  for (QLabel* l : {lOutcome, lAcknowledged})
    missing += std::max(0, l->heightForWidth(l->width()) - l->height());
  if (missing > 0) {
    resize(width(), height() + missing);
    layout()->activate();
  }
}

void TFrLoadFileXML_Varnotek::BCloseClick() { close(); }

void TFrLoadFileXML_Varnotek::reject() { close(); }

void TFrLoadFileXML_Varnotek::closeEvent(QCloseEvent* e) {
  if (Acknowledge.busy() && !closeRequested_) {
    closeRequested_ = true;
    ShowAcknowledged();
    e->ignore();
    return;
  }
  Acknowledge.abandon();
  e->accept();
}
