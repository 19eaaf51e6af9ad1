#include "box_packing_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "box_procedures.h"
#include "box_packing_sql.h"
#include "data_module.h"
#include "config_module.h"
#include "document_print_dialog.h"
#include "embedded.h"
#include "error_reporter.h"
#include "framework.h"
#include "textutil/helpers.h"
#include "prompts.h"

namespace {

const char* const kCaption = "บันทึกสินค้าลงกล่อง";
const char* const kBoxNotFound = "ไม่พบเลขที่กล่อง \r\nกรุณาตรวจสอบใหม่";
const char* const kNoPriceBarcode = "ยังไม่กำหนด บาร์โค้ดราคา";
const char* const kPriceNotFound = "ไม่พบบาร์โค้คราคาที่ป้อน\n\rกรุณาตรวจสอบอีกครั้ง";
const char* const kNoWarehouse = "ไม่พบคลัง : ";
const char* const kNoCustomer = "ยังไม่กำหนด ลูกค้า";
const char* const kSaveQuestion = "ต้องการบันทึก ?";
const char* const kUnknownCustomer = "ไม่พบรหัสลูกค้า : ";
const char* const kUnknownBarcode = "ไม่พบบาร์โค้ดสินค้า";
const char* const kRemoveQuestion = "ต้องการลบรายการที่เลือก ?";

QString T(const char* s) { return QString::fromUtf8(s); }

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

TFrProductInBoxNo::TFrProductInBoxNo(QWidget* parent)
    : TFrForm(parent),
      QBoxNo(DM->DMdata, packing::sql::boxByNumber()),
      QBarCode(DM->DMdata, packing::sql::unitByBarcode()),
      QBarCodePrice(DM->DMdata, packing::sql::unitByBarcode()),
      QWarehouse(DM->DMdata, packing::sql::consignmentWarehouse()),
      QBoxDt(DM->DMdata, packing::sql::boxContents()),
      QDocNo(DM->DMdata, packing::sql::documentNumbers()),
      SQLUpdateBox(DM->DMdata, packing::sql::updateBox()),
      QBoxAsStored(DM->DMdata, packing::sql::boxAsStored()),
      SQLDeleteLines(DM->DMdata, packing::sql::deleteLines()),
      SQLInsertLine(DM->DMdata, packing::sql::insertLine()),
      SpCopyBoxNoToIvHd(DM->DMdata, QString::fromLatin1(packing::kCopyBoxNoToIvHd)),
      SpCopyBoxNoToTransFerHd(DM->DMdata, QString::fromLatin1(packing::kCopyBoxNoToTransFerHd)),
      DBoxNo(&QBoxNo) {
  setObjectName(QStringLiteral("FrProductInBoxNo"));
  setWindowTitle(T(kCaption));
  // The embedded server answers the two procedures itself; a production server has its own.
  packing::registerBoxProcedures();
  for (db::StoredProc* sp : {&SpCopyBoxNoToIvHd, &SpCopyBoxNoToTransFerHd})
    sp->declare(QStringLiteral("@BoxNo"), db::ParamType::Text, db::ParamDir::Input);
  Feedback = &packing::RingBell;

  LDocNo = new QLabel(QStringLiteral("เลขที่ กล่อง"), Client);
  LDocNo->setObjectName(QStringLiteral("LDocNo"));
  DocNo = new widgets::Edit(Client);
  DocNo->setObjectName(QStringLiteral("DocNo"));
  FaGetDate1 = new TFaGetDate(Client);
  FaGetDate1->setObjectName(QStringLiteral("FaGetDate1"));
  FaGetCustomer1 = new TFaGetCustomer(Client);
  FaGetCustomer1->setObjectName(QStringLiteral("FaGetCustomer1"));
  Label2 = new QLabel(QStringLiteral("บาร์ราคา"), Client);
  Label2->setObjectName(QStringLiteral("Label2"));
  EBarCodePrice = new widgets::Edit(Client);
  EBarCodePrice->setObjectName(QStringLiteral("EBarCodePrice"));
  Label1 = new QLabel(QStringLiteral("บาร์สินค้า "), Client);
  Label1->setObjectName(QStringLiteral("Label1"));
  EBarCode = new widgets::Edit(Client);
  EBarCode->setObjectName(QStringLiteral("EBarCode"));
  LCount = new QLabel(Client);
  LCount->setObjectName(QStringLiteral("LCount"));
  {
    QFont f = LCount->font();
    f.setPixelSize(20);
    LCount->setFont(f);
    QPalette p = LCount->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    LCount->setPalette(p);
    // A fixed size with room for a box full of pieces: a new count repaints the label alone and
    // never lays the window out again.
    const QFontMetrics fm(f);
    LCount->setFixedSize(fm.horizontalAdvance(CountText(99999)) + 8, fm.height() + 6);
  }
  wwDBGrid1 = new packing::LineGrid(Client);
  wwDBGrid1->setObjectName(QStringLiteral("wwDBGrid1"));
  wwDBGrid1->setResult(&QBoxDt);
  wwDBGrid1->setColumns({{QStringLiteral("RecNo"), 5, QStringLiteral("ลำดับ")},
                         {QStringLiteral("ProdCode"), 20, QStringLiteral("รหัสสินค้า")},
                         {QStringLiteral("Barcode"), 14, QStringLiteral("บาร์โคด")},
                         {QStringLiteral("ProdName"), 27, QStringLiteral("ชื่อสินค้า")},
                         {QStringLiteral("UnitName"), 8, QStringLiteral("หน่วย")},
                         {QStringLiteral("BarCodePrice"), 14, QStringLiteral("บาร์โคดราคา")},
                         {QStringLiteral("ProdPriceName"), 27, QStringLiteral("ชื่อสินค้าราคา")}});

  // The frames edit the box record in memory.
  FaGetDate1->Bind(&DBoxNo, QStringLiteral("SendDate"));
  FaGetCustomer1->Customer->setDataSource(&DBoxNo, QStringLiteral("Customer"));
  FaGetCustomer1->QCustomer.sql = packing::sql::customerWithConsignmentFlag(FaGetCustomer1->QCustomer.sql);

  DocNo->OnExit = [this](QObject* sender) { DocNoExit(sender); };
  FaGetCustomer1->Customer->OnExit = [this](QObject* sender) { FaGetCustomer1CustomerExit(sender); };
  EBarCodePrice->OnKeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers shift) {
    EBarCodePriceKeyDown(sender, key, shift);
  };
  EBarCode->OnKeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers shift) { EBarCodeKeyDown(sender, key, shift); };

  layoutControls();
}

TFrProductInBoxNo::~TFrProductInBoxNo() = default;

void TFrProductInBoxNo::layoutControls() {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  LDocNo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // A whole box number and whole barcodes show (never less than the design widths).
  DocNo->setFixedWidth(framework::CodeEditWidth(DocNo, 15));
  EBarCodePrice->setFixedWidth(framework::CodeEditWidth(EBarCodePrice, 16, 160));
  EBarCode->setFixedWidth(framework::CodeEditWidth(EBarCode, 16, 160));
  grid->addWidget(LDocNo, 0, 0);
  grid->addWidget(DocNo, 0, 1, Qt::AlignLeft);
  grid->addWidget(FaGetDate1, 0, 2, Qt::AlignLeft);
  grid->addWidget(FaGetCustomer1, 1, 0, 1, 4, Qt::AlignLeft);
  grid->addWidget(Label2, 2, 0);
  grid->addWidget(EBarCodePrice, 2, 1, Qt::AlignLeft);
  grid->addWidget(Label1, 3, 0);
  grid->addWidget(EBarCode, 3, 1, Qt::AlignLeft);
  grid->addWidget(LCount, 2, 2, 2, 2, Qt::AlignLeft | Qt::AlignVCenter);
  grid->setColumnStretch(3, 1);

  auto* v = new QVBoxLayout(Client);
  v->setContentsMargins(8, 8, 8, 4);
  v->addLayout(grid);
  v->addWidget(wwDBGrid1, 1);

  setTabOrder(DocNo, FaGetDate1->DocDate);
  setTabOrder(FaGetDate1->DocDate, FaGetCustomer1->Customer);
  setTabOrder(FaGetCustomer1->Customer, EBarCodePrice);
  setTabOrder(EBarCodePrice, EBarCode);
  setTabOrder(EBarCode, wwDBGrid1);
  SetClientSize(860, 560);
}

QString TFrProductInBoxNo::CountText(int count) { return QStringLiteral("จำนวน ") + QString::number(count); }

qint64 TFrProductInBoxNo::BoxId() const {
  return QBoxNo.active() && !QBoxNo.isEmpty() ? QBoxNo.asInt(QStringLiteral("Id")) : 0;
}

void TFrProductInBoxNo::SetCount(int count) { LCount->setText(CountText(count)); }

void TFrProductInBoxNo::Signal(packing::ScanSignal s) {
  if (Feedback) Feedback(s);
}

void TFrProductInBoxNo::FormShow(QObject* sender) {
  TFrForm::FormShow(sender);
  embedded::ensureColumn(DM->DMdata, QStringLiteral("BoxNoProductUnits"), QStringLiteral("ProductUnitsPrice"), QStringLiteral("IdNo"));
  AcNewExecute(this);
}

void TFrProductInBoxNo::FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift) {
  // The Enter of a scan stays with the scanner field, whose handler ends with the focus back on it:
  // the focus does not pass through the grid on every scan (a grid repaints all its rows when it
  // gains and loses the focus).
  if (sender == EBarCode && isEnter(key) && !EBarCode->text().isEmpty()) return;
  if (sender == wwDBGrid1 && key == Qt::Key_Delete) {
    key = 0;
    RemoveLine(wwDBGrid1->currentRow());
    return;
  }
  TFrForm::FormKeyDown(sender, key, shift);
}

void TFrProductInBoxNo::AcNewExecute(QObject* sender) {
  TFrForm::AcNewExecute(sender);
  ConsignmentFlag = false;
  EBarCodePrice->setEnabled(true);
  DocNo->setEnabled(true);
  EBarCodePrice->clear();
  DocNo->clear();
  price_ = PriceUnit();

  ScanCount = 0;
  LCount->clear();

  // The empty number yields no box: the frames edit a blank record.
  QBoxNo.close();
  QBoxNo.params.setText(QStringLiteral("BarCode"), DocNo->text());
  QBoxNo.open();
  if (QBoxNo.isEmpty()) QBoxNo.append();
  DBoxNo.reset();

  QBoxDt.close();
  wwDBGrid1->reload();
  DocNo->setFocus(Qt::OtherFocusReason);
}

void TFrProductInBoxNo::DocNoExit(QObject*) {
  QBoxNo.close();
  QBoxNo.params.setText(QStringLiteral("BarCode"), DocNo->text());
  QBoxNo.open();
  if (QBoxNo.isEmpty()) {
    prompts::message(T(kBoxNotFound));
    AcNewExecute(this);
    return;
  }
  DocNo->setEnabled(false);
  ClearStatus();  // the last box's outcome gives way to the next box
  // A box is packed once; a cancelled box is not packed at all.
  const bool cancelled = QBoxNo.asString(QStringLiteral("Delflag")).trimmed() == QLatin1String("Y");
  AcSave->setEnabled(QBoxNo.isNull(QStringLiteral("Customer")) && !cancelled);
  QBoxDt.close();
  QBoxDt.params.setInt(QStringLiteral("BoxNo"), QBoxNo.asInt(QStringLiteral("Id")));
  QBoxDt.open();
  QBoxDt.last();
  wwDBGrid1->reload();
  SetCount(QBoxDt.rowCount());
  DBoxNo.reset();
}

void TFrProductInBoxNo::FaGetCustomer1CustomerExit(QObject*) {
  FaGetCustomer1->CustomerExit();
  // No code, or a code that is not a customer, is not a consignment customer.
  const QString typed = FaGetCustomer1->Customer->text().trimmed();
  const bool haveCode = !typed.isEmpty();
  if (haveCode && FaGetCustomer1->QCustomer.active() && FaGetCustomer1->QCustomer.isEmpty()) {
    // A code that is no customer is refused where it was typed; the box and its scans stay.
    Signal(packing::ScanSignal::Refused);
    FaGetCustomer1->Customer->clearValue();
    FaGetCustomer1->CustomerName->clear();
    ConsignmentFlag = false;
    prompts::message(T(kUnknownCustomer) + typed);
    FaGetCustomer1->Customer->setText(typed);
    FaGetCustomer1->Customer->selectAll();
    FaGetCustomer1->Customer->setFocus(Qt::OtherFocusReason);
    return;
  }
  ConsignmentFlag = haveCode && FaGetCustomer1->QCustomer.active() && !FaGetCustomer1->QCustomer.isEmpty() &&
                    FaGetCustomer1->QCustomer.asString(QStringLiteral("ConSignMentFlag")) == QLatin1String("Y");
  EBarCodePrice->clear();
  EBarCodePrice->setEnabled(ConsignmentFlag);
  price_ = PriceUnit();
}

bool TFrProductInBoxNo::LookUpUnit(db::Query& q, const QString& barcode) {
  q.close();
  q.params.setText(QStringLiteral("BarCode"), barcode);
  q.open();
  return !q.isEmpty();
}

void TFrProductInBoxNo::EBarCodePriceKeyDown(QObject*, int& key, Qt::KeyboardModifiers) {
  if (!isEnter(key) || EBarCodePrice->text().isEmpty()) return;
  const QString text = EBarCodePrice->text().trimmed();
  if (!LookUpUnit(QBarCodePrice, text)) {
    Signal(packing::ScanSignal::Refused);
    prompts::message(T(kPriceNotFound));
    return;
  }
  const QString code = FaGetCustomer1->Customer->text().trimmed();
  QWarehouse.close();
  QWarehouse.params.setText(QStringLiteral("WHCode"), code);
  QWarehouse.open();
  if (QWarehouse.isEmpty()) {
    Signal(packing::ScanSignal::Refused);
    prompts::message(T(kNoWarehouse) + code);
    EBarCodePrice->clear();
    EBarCodePrice->setFocus(Qt::OtherFocusReason);
    return;
  }
  price_.text = text;
  price_.valid = true;
  price_.found = true;
  price_.id = QBarCodePrice.value(QStringLiteral("ProductUnits"));
  price_.barcode = QBarCodePrice.asString(QStringLiteral("Barcode"));
  price_.name = QBarCodePrice.asString(QStringLiteral("ProdName"));
  Signal(packing::ScanSignal::Accepted);
}

void TFrProductInBoxNo::EBarCodeKeyDown(QObject*, int& key, Qt::KeyboardModifiers) {
  if (!isEnter(key) || EBarCode->text().isEmpty()) return;
  const QString barcode = EBarCode->text().trimmed();
  const bool found = LookUpUnit(QBarCode, barcode);

  if (ConsignmentFlag && EBarCodePrice->text().isEmpty()) {
    Signal(packing::ScanSignal::Refused);
    prompts::message(T(kNoPriceBarcode));
    EBarCodePrice->setFocus(Qt::OtherFocusReason);
    return;
  }

  // A box packed before (or cancelled) takes no more pieces: the scan is refused by name.
  if (QBoxDt.active() && !AcSave->isEnabled()) {
    Signal(packing::ScanSignal::Refused);
    prompts::message(ClosedBoxText());
    EBarCode->clear();
    EBarCode->setFocus(Qt::OtherFocusReason);
    return;
  }

  // Pieces go into an opened box only.
  if (found && QBoxDt.active()) {
    ScanCount += 1;
    SetCount(ScanCount);

    const int row = QBoxDt.append();
    auto set = [&](const char* column, const QVariant& v) { QBoxDt.setValueAt(row, QBoxDt.findColumn(QLatin1String(column)), v); };
    set("RecNo", ScanCount);
    set("BoxNo", BoxId());
    set("ProductUnits", QBarCode.value(QStringLiteral("ProductUnits")));
    set("Quantity", 1);
    set("Barcode", QBarCode.value(QStringLiteral("Barcode")));
    set("UnitName", QBarCode.value(QStringLiteral("UnitName")));
    set("ProdCode", QBarCode.value(QStringLiteral("ProdCode")));
    set("ProdName", QBarCode.value(QStringLiteral("ProdName")));

    const QString priceText = EBarCodePrice->text().trimmed();
    if (!priceText.isEmpty()) {
      if (!price_.valid || price_.text != priceText) {
        price_ = PriceUnit();
        price_.text = priceText;
        price_.valid = true;
        price_.found = LookUpUnit(QBarCodePrice, priceText);
        if (price_.found) {
          price_.id = QBarCodePrice.value(QStringLiteral("ProductUnits"));
          price_.barcode = QBarCodePrice.asString(QStringLiteral("Barcode"));
          price_.name = QBarCodePrice.asString(QStringLiteral("ProdName"));
        }
      }
      if (price_.found) {
        set("ProductUnitsPrice", price_.id);
        set("BarCodePrice", price_.barcode);
        set("ProdPriceName", price_.name);
      }
    }
    wwDBGrid1->rowAppended();
    Signal(packing::ScanSignal::Accepted);
  } else {
    Signal(packing::ScanSignal::Refused);
    if (!found) ShowStatus(barcode + QStringLiteral(" : ") + T(kUnknownBarcode), true);
  }

  EBarCode->clear();
  EBarCode->setFocus(Qt::OtherFocusReason);
}

bool TFrProductInBoxNo::TakePendingEntry() {
  // A code or a date typed and not yet left counts as entered: leaving the field runs its checks.
  QWidget* f = focusWidget();
  QWidget* date = FaGetDate1->DocDate;
  if (f != FaGetCustomer1->Customer && f != date) return true;
  EBarCode->setFocus(Qt::OtherFocusReason);
  return focusWidget() != date && focusWidget() != FaGetCustomer1->Customer;
}

bool TFrProductInBoxNo::SaveBox() {
  db::Connection& c = DM->DMdata;
  const qint64 boxId = BoxId();
  try {
    c.startTransaction();
    SQLUpdateBox.params.clear();
    SQLUpdateBox.params.setInt(QStringLiteral("Customer"), QBoxNo.asInt(QStringLiteral("Customer")));
    const QDateTime send = QBoxNo.asDateTime(QStringLiteral("SendDate"));
    if (send.isValid()) SQLUpdateBox.params.setDateTime(QStringLiteral("SendDate"), send);
    else SQLUpdateBox.params.setNull(QStringLiteral("SendDate"), db::ParamType::DateTime);
    SQLUpdateBox.params.setInt(QStringLiteral("Id"), boxId);
    if (SQLUpdateBox.execSql() != 1) {
      // Packed or cancelled by another workstation since it was opened here: refused as it stands.
      QBoxAsStored.close();
      QBoxAsStored.params.setInt(QStringLiteral("Id"), boxId);
      QBoxAsStored.open();
      QString text = QStringLiteral("กล่องเลขที่ %1 ถูกบันทึกจากเครื่องอื่นหลังจากเปิดกล่องนี้ จึงไม่ได้บันทึก")
                         .arg(QBoxNo.asString(QStringLiteral("BarCode")).trimmed());
      if (QBoxAsStored.isEmpty()) {
        text += QStringLiteral("\r\nกล่องไม่มีอยู่ในฐานข้อมูลแล้ว");
      } else {
        if (QBoxAsStored.asString(QStringLiteral("Delflag")).trimmed() == QLatin1String("Y"))
          text += QStringLiteral("\r\nกล่องถูกยกเลิกแล้ว");
        if (!QBoxAsStored.isNull(QStringLiteral("Customer")))
          text += QStringLiteral("\r\nลูกค้า : ") + QBoxAsStored.asString(QStringLiteral("CusCode")).trimmed();
        if (!QBoxAsStored.asString(QStringLiteral("IvNo")).trimmed().isEmpty())
          text += QStringLiteral("\r\nInvoice : ") + QBoxAsStored.asString(QStringLiteral("IvNo")).trimmed();
        if (!QBoxAsStored.asString(QStringLiteral("TrNo")).trimmed().isEmpty())
          text += QStringLiteral("\r\nใบโอน : ") + QBoxAsStored.asString(QStringLiteral("TrNo")).trimmed();
      }
      QBoxAsStored.close();
      c.rollback();
      AcSave->setEnabled(false);
      prompts::message(text);
      return false;
    }

    SQLDeleteLines.params.setInt(QStringLiteral("BoxNo"), boxId);
    SQLDeleteLines.execSql();

    if (QBoxDt.active()) {
      const QString insert = SQLInsertLine.text();
      const int cUnits = QBoxDt.findColumn(QStringLiteral("ProductUnits"));
      const int cQty = QBoxDt.findColumn(QStringLiteral("Quantity"));
      const int cPrice = QBoxDt.findColumn(QStringLiteral("ProductUnitsPrice"));
      db::Params& p = SQLInsertLine.params;
      p.clear();
      for (const QVector<QVariant>& row : QBoxDt.rows()) {
        p.setInt(QStringLiteral("BoxNo"), boxId);
        p.setInt(QStringLiteral("ProductUnits"), row[cUnits].toLongLong());
        p.setInt(QStringLiteral("Quantity"), row[cQty].toLongLong());
        p.setInt(QStringLiteral("ProductUnitsPrice"), row[cPrice].isNull() ? 0 : row[cPrice].toLongLong());
        c.execute(insert, p);
      }
    }

    db::StoredProc& sp = ConsignmentFlag ? SpCopyBoxNoToTransFerHd : SpCopyBoxNoToIvHd;
    sp.set(QStringLiteral("@BoxNo"), QBoxNo.asString(QStringLiteral("BarCode")));
    sp.execute();
    c.commit();
    return true;
  } catch (...) {
    const std::exception_ptr error = std::current_exception();
    try {
      c.rollback();
    } catch (...) {
      // The failure that matters is the first one; a connection that cannot roll back has lost
      // the transaction anyway.
    }
    data::HandleException(this, error);
    return false;
  }
}

void TFrProductInBoxNo::PrintDocument(const QString& docNo, int docYear, const QString& printCode) {
  TFrDocPrintForm& print = TFrDocPrintForm::Instance();
  print.DocNo = docNo;
  print.DocYear = docYear;
  print.PrintCode = printCode;
  print.ShowModal();
  printedFiles_ = print.SavedFilesText();
}

void TFrProductInBoxNo::AcSaveExecute(QObject*) {
  if (!AcSave->isEnabled()) return;
  if (!TakePendingEntry()) return;
  // Neither a missing customer nor a No throws the box away: its scans stay for the next try.
  if (QBoxNo.asInt(QStringLiteral("Customer")) <= 0) {
    FaGetCustomer1->Customer->setFocus(Qt::OtherFocusReason);
    prompts::message(T(kNoCustomer));
    FaGetCustomer1->Customer->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (!DM->ConfirmYesNo(T(kSaveQuestion))) {
    EBarCode->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (!SaveBox()) {
    // Nothing was saved: the box and every scanned row stay on screen for another try.
    EBarCode->setFocus(Qt::OtherFocusReason);
    return;
  }
  try {
    QDocNo.close();
    QDocNo.params.setText(QStringLiteral("BoxNo"), QBoxNo.asString(QStringLiteral("BarCode")));
    QDocNo.open();
    const QDateTime send = QBoxNo.asDateTime(QStringLiteral("SendDate"));
    // A box saved without a send date was dated by the server.
    const int year = send.isValid() ? textutil::YearOfDate(send) : textutil::YearOfDate(DM->ServerTime());
    const QString box = QBoxNo.asString(QStringLiteral("BarCode")).trimmed();
    const QString docNo = QDocNo.asString(ConsignmentFlag ? QStringLiteral("TrNo") : QStringLiteral("IvNo")).trimmed();
    QDocNo.close();
    // The document the box became stays in sight until the next box.
    const QString saved = QStringLiteral("บันทึกกล่อง ") + box +
                          (ConsignmentFlag ? QStringLiteral(" แล้ว : ใบโอนสินค้าเลขที่ ") : QStringLiteral(" แล้ว : ใบกำกับสินค้าเลขที่ ")) +
                          docNo;
    ShowStatus(saved);
    printedFiles_.clear();
    if (ConsignmentFlag)
      PrintDocument(docNo, year, QStringLiteral("STOCKTRFCONV2"));
    else
      PrintDocument(docNo, year, QStringLiteral("IV-A"));
    // A document printed into a file says where it went.
    if (!printedFiles_.isEmpty()) ShowStatus(saved + QStringLiteral(" - ") + printedFiles_);
  } catch (...) {
    data::HandleException(this, std::current_exception());
  }
  AcNewExecute(this);
}

QString TFrProductInBoxNo::ClosedBoxText() {
  if (QBoxNo.asString(QStringLiteral("Delflag")).trimmed() == QLatin1String("Y"))
    return QStringLiteral("กล่องเลขที่ ") + QBoxNo.asString(QStringLiteral("BarCode")).trimmed() +
           QStringLiteral(" ถูกยกเลิกแล้ว เพิ่มสินค้าไม่ได้");
  QDocNo.close();
  QDocNo.params.setText(QStringLiteral("BoxNo"), QBoxNo.asString(QStringLiteral("BarCode")));
  QDocNo.open();
  const QString ivNo = QDocNo.isEmpty() ? QString() : QDocNo.asString(QStringLiteral("IvNo")).trimmed();
  const QString trNo = QDocNo.isEmpty() ? QString() : QDocNo.asString(QStringLiteral("TrNo")).trimmed();
  QDocNo.close();
  QString text = QStringLiteral("กล่องเลขที่ ") + QBoxNo.asString(QStringLiteral("BarCode")).trimmed() + QStringLiteral(" บรรจุแล้ว");
  if (!ivNo.isEmpty()) text += QStringLiteral(" ออกใบกำกับสินค้าเลขที่ ") + ivNo;
  else if (!trNo.isEmpty()) text += QStringLiteral(" ออกใบโอนสินค้าเลขที่ ") + trNo;
  return text + QStringLiteral(" เพิ่มสินค้าไม่ได้");
}

void TFrProductInBoxNo::RemoveLine(int row) {
  // Only a box being packed loses a piece, and only when the user confirms.
  if (!QBoxDt.active() || !AcSave->isEnabled() || row < 0 || row >= QBoxDt.rowCount()) return;
  const int cRecNo = QBoxDt.findColumn(QStringLiteral("RecNo"));
  const int cId = QBoxDt.findColumn(QStringLiteral("Id"));
  const int cBarcode = QBoxDt.findColumn(QStringLiteral("Barcode"));
  auto& rows = QBoxDt.rows();
  const QString barcode = rows[row][cBarcode].toString();
  if (!DM->ConfirmYesNo(T(kRemoveQuestion) + QStringLiteral("\r\n") + QStringLiteral("ลำดับ ") + rows[row][cRecNo].toString() +
                        QStringLiteral(" : ") + barcode)) {
    wwDBGrid1->setFocus(Qt::OtherFocusReason);
    return;
  }
  // The rows listed when the box opened and the rows scanned since are numbered apart; the rows
  // after the removed one in its own numbering move up by one, as if it had never been scanned.
  const bool scanned = rows[row][cId].isNull() || rows[row][cId].toLongLong() == 0;
  const qint64 removedNo = rows[row][cRecNo].toLongLong();
  rows.remove(row);
  for (auto& r : rows) {
    const bool rScanned = r[cId].isNull() || r[cId].toLongLong() == 0;
    if (rScanned == scanned && r[cRecNo].toLongLong() > removedNo) r[cRecNo] = r[cRecNo].toLongLong() - 1;
  }
  if (scanned) {
    ScanCount = qMax(0, ScanCount - 1);
    SetCount(ScanCount);
  } else if (ScanCount == 0) {
    SetCount(QBoxDt.rowCount());
  }
  wwDBGrid1->reload();
  if (QBoxDt.rowCount() > 0) wwDBGrid1->setCurrentRow(qMin(row, QBoxDt.rowCount() - 1));
  ShowStatus(QStringLiteral("ลบรายการ ") + barcode + QStringLiteral(" แล้ว"));
  wwDBGrid1->setFocus(Qt::OtherFocusReason);
}
