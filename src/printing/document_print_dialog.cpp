#include "document_print_dialog.h"

#include <QAction>
#include <stdexcept>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QVBoxLayout>

#include "company_library.h"
#include "promptpay.h"
#include "printing_tsql.h"
#include "tsql.h"
#include "data_source.h"
#include "data_grid.h"
#include "data_module.h"
#include "config_module.h"
#include "error_reporter.h"
#include "report/export.h"
#include "report/print_files.h"
#include "report/print_target.h"
#include "window_size.h"
#include "embedded/schema.h"
#include "voucher_print_dialog.h"
#include "key_preview.h"
#include "modal.h"
#include "print_procedures.h"
#include "prompts.h"
#include "report_user_functions.h"
#include "unit_quantities.h"

namespace {

// The schema script run at every show: the column ShowPrintPreview, and "N" where it is blank.
const QStringList kUpdateSystemForm = {
    QStringLiteral("If Not Exists (Select C.Name From SysColumns C Inner Join SysObjects O On O.Id = C.Id"),
    QStringLiteral("  Where Upper(LTrim(RTrim(O.Name))) = 'SYSTEMFORM' And Upper(LTrim(RTrim(C.Name))) = 'SHOWPRINTPREVIEW')"),
    QStringLiteral("  Alter Table SystemForm Add ShowPrintPreview Char(1)"),
    QStringLiteral("/"),
    QStringLiteral("Update SystemForm Set ShowPrintPreview = 'N' Where LTrim(RTrim(Coalesce(ShowPrintPreview, ''))) = ''"),
};
// SQLite has no If: the column is added by the embedded server's upgrade helper (FormShow).
const QStringList kUpdateSystemFormSqlite = {
    QStringLiteral("Update SystemForm Set ShowPrintPreview = 'N' Where LTrim(RTrim(Coalesce(ShowPrintPreview, ''))) = ''"),
};

const QStringList kSystemFormList = {
    QStringLiteral("Select FormOrderNo, FormCode, FormDesc, FrfName, SpName, DocCode, DocParaName, ShowPrintPreview"),
    QStringLiteral("From SystemForm"),
    QStringLiteral("Where LTrim(RTrim(FormCode))=LTrim(RTrim(:PrintCode))"),
    QStringLiteral("Order By FormOrderNo"),
};

const char* kNoTemplate = "ยังไม่ได้กำหนดรูปแบบเอกสาร เพื่อพิมพ์";

// A print into a file that could not be written: the file, why, and that nothing was saved.
QString FileWriteFailureMessage(const report::FileWriteError& e) {
  return QStringLiteral("บันทึกไฟล์ %1 ไม่สำเร็จ\r\n(%2)\r\nเอกสารยังไม่ได้บันทึกลงไฟล์ กรุณาตรวจสอบพื้นที่ว่างในดิสก์ แล้วพิมพ์อีกครั้ง")
      .arg(e.path(), e.reason());
}

}  // namespace

void TFrDocPrintForm::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const report::FileWriteError& e) {
    // Not a fault of the program: the clerk is told which file and why, in a message box.
    prompts::current().message(FileWriteFailureMessage(e), prompts::Style::Error);
  } catch (...) {
    data::HandleException(this, std::current_exception());
  }
}

QPointer<TFrDocPrintForm> TFrDocPrintForm::instance_;

TFrDocPrintForm& TFrDocPrintForm::Instance(QWidget* parent) {
  if (instance_ && instance_->dm_ != DM) ReleaseInstance();
  if (!instance_) instance_ = new TFrDocPrintForm(parent);
  return *instance_;
}

TFrDocPrintForm* TFrDocPrintForm::ExistingInstance() { return instance_.data(); }

void TFrDocPrintForm::ReleaseInstance() {
  delete instance_.data();
  instance_.clear();
}

TFrDocPrintForm::TFrDocPrintForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("พิมพ์เอกสาร"));
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(13);
  setFont(f);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  dm_ = DM;
  db::Connection& data = DM->DMdata;
  QSystemForm = new db::Query(data, kSystemFormList);
  SQLUpdateSystemForm = new db::Script(data);
  SQLUpdateSystemForm->sql = kUpdateSystemForm;
  SQLUpdateSystemForm->sqlSqlite = kUpdateSystemFormSqlite;
  DSystemForm = new widgets::DataSource(QSystemForm, this);

  SystemFormList = new widgets::DbGrid(this);
  SystemFormList->setObjectName(QStringLiteral("SystemFormList"));
  SystemFormList->setDataSource(DSystemForm);
  SystemFormList->setReadOnly(true);
  SystemFormList->setSelectionBehavior(QAbstractItemView::SelectRows);
  SystemFormList->setSelectionMode(QAbstractItemView::SingleSelection);
  widgets::GridColumn desc;
  desc.field = QStringLiteral("FormDesc");
  desc.title = QStringLiteral("กรุณาเลือกฟอร์มที่ต้องการพิมพ์");
  desc.widthChars = 60;
  desc.readOnly = true;
  SystemFormList->setColumns({desc});
  SystemFormList->setToolTip(QStringLiteral("คลิ๊กฟอร์มที่จะพิมพ์"));
  SystemFormList->setContextMenuPolicy(Qt::CustomContextMenu);

  PopFormName = new QMenu(this);
  frf1 = PopFormName->addAction(QStringLiteral("แสดงชื่อฟอร์ม.frf"));
  frf1->setObjectName(QStringLiteral("frf1"));
  connect(SystemFormList, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopFormName->popup(SystemFormList->viewport()->mapToGlobal(pos)); });
  connect(frf1, &QAction::triggered, this, [this] { Guarded([this] { frf1Click(); }); });
  connect(SystemFormList, &QAbstractItemView::doubleClicked, this, [this] { Guarded([this] { SystemFormListDblClick(); }); });

  BDisplay = new QPushButton(this);
  BPrint = new QPushButton(this);
  BSetPrinter = new QPushButton(this);
  BExit = new QPushButton(this);
  BDisplay->setObjectName(QStringLiteral("BDisplay"));
  BPrint->setObjectName(QStringLiteral("BPrint"));
  BSetPrinter->setObjectName(QStringLiteral("BSetPrinter"));
  BExit->setObjectName(QStringLiteral("BExit"));
  for (QPushButton* b : {BDisplay, BPrint, BSetPrinter, BExit}) b->setAutoDefault(false);
  connect(BDisplay, &QPushButton::clicked, this, [this] { Guarded([this] { BDisplayClick(); }); });
  connect(BPrint, &QPushButton::clicked, this, [this] { Guarded([this] { BPrintClick(); }); });
  connect(BSetPrinter, &QPushButton::clicked, this, [this] { Guarded([this] { BSetPrinterClick(); }); });
  connect(BExit, &QPushButton::clicked, this, [this] { Guarded([this] { BExitClick(); }); });

  layout_ = new QVBoxLayout(this);
  layout_->addWidget(SystemFormList, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BDisplay);
  buttons->addWidget(BPrint);
  buttons->addWidget(BSetPrinter);
  buttons->addWidget(BExit);
  layout_->addLayout(buttons);

  KeyPreview = new widgets::KeyPreview(this);
  KeyPreview->KeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers shift) {
    Guarded([&] { FormKeyDown(sender, key, shift); });
  };

  // The report component: the function library, the company record and the user functions.
  printing::registerPrintProcedures();
  report::registerAddFunctionLibrary();
  company_ = std::make_shared<printing::CompanyLibrary>();
  frfReport.registerFunctionLibrary(company_);
  promptPay_ = std::make_shared<printing::PromptPayLibrary>([]() { return printing::ReadPromptPaySettings(DM->DMdata); });
  frfReport.registerFunctionLibrary(promptPay_);
  frfReport.setUserFunction([this](const QString& name, const QString& p1, const QString& p2, const QString& p3,
                                   report::Value& result) { frfReportUserFunction(name, p1, p2, p3, result); });

  ApplyLanguage(DMConfig ? DMConfig->IsThai : true);
}

TFrDocPrintForm::~TFrDocPrintForm() {
  glAuto_.reset();
  delete QSystemForm;
  delete SQLUpdateSystemForm;
}

QPrinter& TFrDocPrintForm::Printer() { return report::currentPrinter(); }

void TFrDocPrintForm::ApplyLanguage(bool thai) {
  if (thai) {
    setWindowTitle(QStringLiteral("พิมพ์เอกสาร"));
    BDisplay->setText(QStringLiteral("แสดง"));
    BDisplay->setToolTip(QStringLiteral("แสดงเอกสารบนจอภาพ"));
    BPrint->setText(QStringLiteral("พิมพ์"));
    BPrint->setToolTip(QStringLiteral("พิมพ์เอกสารทางเครื่องพิมพ์"));
    BSetPrinter->setText(QStringLiteral("กำหนดเครื่องพิมพ์"));
    BSetPrinter->setToolTip(QStringLiteral("กำหนดเครื่องพิมพ์"));
    BExit->setText(QStringLiteral("ไม่พิมพ์"));
    BExit->setToolTip(QStringLiteral("ยกเลิก หรือ ไม่ต้องการพิมพ์"));
  } else {
    setWindowTitle(QStringLiteral("Print Document"));
    BDisplay->setText(QStringLiteral("Preview"));
    BDisplay->setToolTip(QStringLiteral("Display Document To Screen"));
    BPrint->setText(QStringLiteral("Print"));
    BPrint->setToolTip(QStringLiteral("Print Document To Printer"));
    BSetPrinter->setText(QStringLiteral("Set Printer"));
    BSetPrinter->setToolTip(QStringLiteral("Setup Printer"));
    BExit->setText(QStringLiteral("Cancel"));
    BExit->setToolTip(QStringLiteral("Cancel or don't want to print"));
  }
}

void TFrDocPrintForm::PlaceTopRight() {
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const int screenWidth = screen ? screen->geometry().width() : 0;
  move(screenWidth - frameGeometry().width(), 0);
}

void TFrDocPrintForm::ShowModal() {
  // The files this show prints into, the voucher dialog's included.
  report::PrintedFiles printed;
  SavedFiles.clear();
  const auto keep = qScopeGuard([&] { SavedFiles = printed.paths(); });
  closeAtOnce_ = false;
  FormShow();
  if (closeAtOnce_) {
    FormClose();
    return;
  }
  widgets::ShowModal(*this);
}

QString TFrDocPrintForm::SavedFilesText() const {
  if (SavedFiles.isEmpty()) return QString();
  QStringList shown;
  for (const QString& f : SavedFiles) shown << QDir::toNativeSeparators(f);
  return QStringLiteral("บันทึกเป็นไฟล์ ") + shown.join(QStringLiteral(", "));
}

bool TFrDocPrintForm::PrintToPdf(const QString& pdfPath) {
  closeAtOnce_ = false;
  FormShow();
  const bool any = !closeAtOnce_ && FormCount > 0;
  closeAtOnce_ = false;
  printed_ = false;
  // A file already at pdfPath stays as it is unless the new one is written whole in its place; the
  // caller chose the file, so nobody is asked about it.
  if (any) {
    const report::ReplaceFilesWithoutAsking callersFile;
    QPrinter& printer = Printer();
    const QPrinter::OutputFormat format = printer.outputFormat();
    const QString fileName = printer.outputFileName();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    try {
      DSystemForm->moveTo(0);
      OutputSelectedForm(OutputMode::Print);
    } catch (...) {
      printer.setOutputFileName(fileName);
      printer.setOutputFormat(format);
      QSystemForm->close();
      DSystemForm->reset();
      throw;
    }
    printer.setOutputFileName(fileName);
    printer.setOutputFormat(format);
  }
  QSystemForm->close();
  DSystemForm->reset();
  return any && printed_;
}

void TFrDocPrintForm::FormShow() {
  FormCount = 0;
  ApplyLanguage(DMConfig ? DMConfig->IsThai : true);
  // The title says which document prints: its print code and number.
  setWindowTitle(windowTitle() + QStringLiteral(" - ") + PrintCode.trimmed() + QLatin1Char(' ') + DocNo.trimmed());
  framework::FitWindow(this, DesignSize());
  PlaceTopRight();

  QSystemForm->close();
  // SQLite has no If: the embedded server's upgrade helper adds the column the first statement adds.
  if (DM->DMdata.dialect() == db::Dialect::Sqlite)
    embedded::ensureColumn(DM->DMdata, QStringLiteral("SystemForm"), QStringLiteral("ShowPrintPreview"), QStringLiteral("Char(1)"));
  SQLUpdateSystemForm->execute();
  QSystemForm->params.setText(QStringLiteral("PrintCode"), PrintCode);
  QSystemForm->open();
  DSystemForm->reset();

  if (QSystemForm->isEmpty()) {
    // Nothing to print for this code: the dialog closes at once.
    if (isVisible()) close();
    else closeAtOnce_ = true;
    return;
  }
  DSystemForm->DisableControls();
  FormCount = QSystemForm->rowCount();
  DSystemForm->EnableControls();
  DSystemForm->moveTo(0);
  SystemFormList->setFocus();
}

void TFrDocPrintForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  // The focus set while the list was read takes effect once the dialog is on screen.
  if (FormCount > 0 && !SystemFormList->isHidden()) SystemFormList->setFocus();
}

void TFrDocPrintForm::done(int r) {
  const bool wasVisible = isVisible();
  QDialog::done(r);
  if (wasVisible) Guarded([this] { FormClose(); });
}

void TFrDocPrintForm::FormClose() {
  QSystemForm->close();
  DSystemForm->reset();
  HandOffToVoucher();
}

void TFrDocPrintForm::HandOffToVoucher() {
  db::Query& config = DM->QConfig;
  if (!config.active()) config.open();
  config.first();
  if (config.isEmpty() || config.asString(QStringLiteral("AutoGenGL")) != QLatin1String("Y")) return;
  if (!glAuto_) glAuto_ = std::make_unique<TFrDocPrintFormGLAuto>();
  glAuto_->DocNo = DocNo;
  glAuto_->DocYear = DocYear;
  glAuto_->PrintCode = PrintCode;
  glAuto_->ShowModal();
}

void TFrDocPrintForm::FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift) {
  if (key == Qt::Key_Escape) {
    key = 0;
    close();
    return;
  }
  // Keys of the grid (the grid or its viewport).
  auto* w = qobject_cast<QWidget*>(sender);
  if (w && (w == SystemFormList || SystemFormList->isAncestorOf(w))) SystemFormListKeyDown(key, shift);
}

void TFrDocPrintForm::SystemFormListKeyDown(int& key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    key = 0;
    OutputSelectedForm(OutputMode::Print);
  } else if (key == Qt::Key_F11) {
    key = 0;
    if (QSystemForm->active() && !QSystemForm->isEmpty()) prompts::message(QSystemForm->asString(QStringLiteral("FrfName")));
  }
}

void TFrDocPrintForm::SystemFormListDblClick() { OutputSelectedForm(OutputMode::Print); }
void TFrDocPrintForm::BDisplayClick() { OutputSelectedForm(OutputMode::Preview); }
void TFrDocPrintForm::BPrintClick() { OutputSelectedForm(OutputMode::Print); }
void TFrDocPrintForm::BExitClick() { close(); }

void TFrDocPrintForm::BSetPrinterClick() { SetUpPrinter(this); }

void TFrDocPrintForm::SetUpPrinter(QWidget* parent) {
  // The one printer of the run: the print buttons, the preview's Print, the voucher dialog and the
  // sticker window all print on what is chosen here.
  QPrintDialog dlg(&report::currentPrinter(), parent);
  dlg.setOption(QAbstractPrintDialog::PrintToFile, true);
  widgets::ShowModal(dlg);
}

QSize TFrDocPrintForm::DesignSize() const {
  // The form list's sixty characters side by side with its frame, the four buttons below.
  const int width = std::max(SystemFormList->sizeHint().width(), layout_->sizeHint().width()) + 24;
  return QSize(std::max(width, 420), 220);
}

void TFrDocPrintForm::frf1Click() {
  if (!QSystemForm->active() || QSystemForm->isEmpty()) return;
  prompts::message(QSystemForm->asString(QStringLiteral("FrfName")));
}

bool TFrDocPrintForm::PrintTo() { return frfReport.printPrepared(1, &Printer(), this); }

QString TFrDocPrintForm::Quoted(const QString& text) {
  QString s = text;
  s.replace(QLatin1Char('\''), QStringLiteral("''"));
  return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString TFrDocPrintForm::TemplatePath(const QString& frfName) {
  QString name = frfName.trimmed();
  name.replace(QLatin1Char('\\'), QLatin1Char('/'));
  const QString exact = QDir::cleanPath(QDir::currentPath() + QLatin1Char('/') + name);
  if (QFileInfo(exact).isFile() || name.isEmpty()) return exact;

  // Walk the parts of the name below the current folder, matching each without regard to case.
  QDir dir = QDir::current();
  const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  for (int i = 0; i < parts.size(); ++i) {
    const bool last = i == parts.size() - 1;
    if (parts[i] == QLatin1String(".")) continue;
    if (parts[i] == QLatin1String("..")) {
      if (!dir.cdUp()) return exact;
      continue;
    }
    QString found;
    const QStringList entries =
        dir.entryList(last ? (QDir::Files | QDir::Hidden) : (QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot));
    for (const QString& e : entries) {
      if (e == parts[i]) {
        found = e;
        break;
      }
      if (found.isEmpty() && e.compare(parts[i], Qt::CaseInsensitive) == 0) found = e;
    }
    if (found.isEmpty()) return exact;
    if (last) return dir.filePath(found);
    dir.cd(found);
  }
  return exact;
}

void TFrDocPrintForm::PrepareReportServices() {
  frfReport.setConnection(DM->DMdata);
  if (DMConfig && DMConfig->QCompany.active()) company_->setRecord(DMConfig->QCompany);
  else company_->setRecord(db::Result());
  promptPay_->forget();  // read again at the first PROMPTPAYQR of this output
  if (units_) units_->setSettings(data::UnitQuantitySettings::fromConfig(DM->QConfig));
}

data::UnitQuantities& TFrDocPrintForm::UnitQuantities() {
  if (!DM->QConfig.active()) DM->QConfig.open();
  DM->QConfig.first();
  if (!units_) {
    units_ = std::make_unique<data::UnitQuantities>(DM->QUnitFraction, DM->QStockUnitQnty,
                                                     data::UnitQuantitySettings::fromConfig(DM->QConfig));
  }
  return *units_;
}

void TFrDocPrintForm::frfReportUserFunction(const QString& name, const QString& p1, const QString& p2, const QString& p3,
                                            report::Value& result) {
  printing::answerUserFunction(
      name, p1, p2, p3, result, [this](const QString& text) { return frfReport.evaluate(text); },
      [this]() -> data::UnitQuantities& { return UnitQuantities(); });
}

void TFrDocPrintForm::OutputSelectedForm(OutputMode mode) {
  printed_ = false;
  if (!QSystemForm->active() || QSystemForm->isEmpty() || QSystemForm->eof()) return;
  const QString path = TemplatePath(QSystemForm->asString(QStringLiteral("FrfName")));
  if (!QFileInfo(path).isFile()) {
    prompts::message(QString::fromUtf8(kNoTemplate));
    return;
  }

  // The form's server procedure runs before the template is loaded, for a preview too.
  const QString spName = QSystemForm->asString(QStringLiteral("SpName")).trimmed();
  if (!spName.isEmpty()) {
    // The name comes from the installation's data and goes into a statement: only a plain
    // procedure name runs; anything else is refused before the template is loaded.
    if (!db::isProcedureName(spName))
      throw std::runtime_error(QStringLiteral("The form '%1' names the procedure '%2' (SystemForm.SpName), which is not a procedure "
                                              "name: nothing was run or printed")
                                   .arg(QSystemForm->asString(QStringLiteral("FormDesc")).trimmed(), spName)
                                   .toStdString());
    db::StoredProc sp(DM->DMdata, spName);
    sp.declare(QStringLiteral("@No"), db::ParamType::Text, db::ParamDir::Input);
    sp.declare(QStringLiteral("@DocYear"), db::ParamType::Integer, db::ParamDir::Input);
    sp.declare(QStringLiteral("@DocCode"), db::ParamType::Text, db::ParamDir::Input);
    sp.declare(QStringLiteral("@NewDocNo"), db::ParamType::Text, db::ParamDir::Output);
    sp.set(QStringLiteral("@No"), DocNo);
    sp.set(QStringLiteral("@DocYear"), DocYear);
    sp.set(QStringLiteral("@DocCode"), QSystemForm->asString(QStringLiteral("DocCode")));
    sp.set(QStringLiteral("@NewDocNo"), QVariant());
    sp.execute();
  }

  frfReport.clear();
  // The document's file is named by the form and the number: two forms of one document never
  // offer the same name.
  QString title = QSystemForm->asString(QStringLiteral("FormDesc")).trimmed();
  if (title.isEmpty()) title = PrintCode.trimmed();
  frfReport.setDocumentName(report::documentFileName(title, DocNo));
  const bool canPrint = QSystemForm->asString(QStringLiteral("ShowPrintPreview")).trimmed() == QLatin1String("Y");
  using B = report::PreviewButton;
  frfReport.setPreviewButtons(canPrint ? (B::Zoom | B::Print | B::Find | B::Help | B::Exit | B::PageSetup)
                                       : (B::Zoom | B::Find | B::Help | B::Exit));
  if (!frfReport.loadFromFile(path)) {
    prompts::message(QString::fromUtf8(kNoTemplate));
    return;
  }
  PrepareReportServices();
  frfReport.setVariable(QStringLiteral("DocNo"), Quoted(DocNo.trimmed()));
  frfReport.setVariable(QStringLiteral("UserCode"), Quoted(DMConfig ? DMConfig->UserCode.trimmed() : QString()));

  if (mode == OutputMode::Preview) {
    DM->UserAddLog(DM->LogCodePreview, 0, DocNo);
    if (frfReport.prepare()) frfReport.showPreview(this);
    return;
  }
  if (!frfReport.prepare()) return;
  // Nothing is logged for a print that did not happen: no file chosen for want of a printer, or a
  // file that is not to be replaced; a file that could not be written raised above.
  if (!PrintTo()) return;
  DM->UserAddLog(DM->LogCodePrint, 0, DocNo);
  printed_ = true;
  const QString site = DMConfig ? DMConfig->DatabaseName.trimmed().toUpper() : QString();
  if (FormCount == 1 || site == QLatin1String("RUF_AS")) close();
}

namespace printing {

QVector<db::CatalogueText> PrintDialogTsqlTexts() {
  QVector<db::CatalogueText> out;
  const QStringList update = db::Script::split(kUpdateSystemForm);
  for (int i = 0; i < update.size(); ++i) out.push_back({QStringLiteral("SQLUpdateSystemForm.%1").arg(i + 1), update[i]});
  out.push_back({QStringLiteral("QSystemForm"), kSystemFormList.join(QLatin1Char('\n'))});
  // The procedure a form names in SystemForm.SpName, called as OutputSelectedForm calls it.
  out.push_back(db::procedureCall(QStringLiteral("dbo.FormProcedure"), {{"No", db::ParamType::Text},
                                                                         {"DocYear", db::ParamType::Integer},
                                                                         {"DocCode", db::ParamType::Text},
                                                                         {"NewDocNo", db::ParamType::Text, true}}));
  return out;
}

}  // namespace printing
