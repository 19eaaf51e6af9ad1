#include "zone_consolidation_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMap>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "conso_to_iv_procedure.h"
#include "embedded.h"
#include "zone_consolidation_sql.h"
#include "data_module.h"
#include "config_module.h"
#include "error_reporter.h"
#include "document_print_dialog.h"
#include "prompts.h"
#include "zone_consolidation_search.h"
#include "textutil/number_format.h"
#include "textutil/dates.h"

namespace {

namespace sql = consolidation::sql;

// Line breaks of this window's messages: LF then CR.
const QString kBreak = QStringLiteral("\n\r");

db::Connection& dataConnection() {
  if (!DM) throw db::Error(QStringLiteral("The data module is not created"));
  return DM->DMdata;
}

void assign(db::Query& q, const db::SqlText& t) {
  q.sql = sql::lines(t.tsql);
  q.sqlSqlite = t.sqlite.isEmpty() ? QStringList() : sql::lines(t.sqlite);
}

void assign(db::Script& s, const db::SqlText& t) {
  s.sql = sql::lines(t.tsql);
  s.sqlSqlite = t.sqlite.isEmpty() ? QStringList() : sql::lines(t.sqlite);
}

QDateTime dateOnly(const QVariant& v) {
  const QDateTime d = db::toDateTime(v);
  return d.isValid() ? QDateTime(d.date(), QTime(0, 0)) : QDateTime();
}

bool storedRow(const QVariant& id) { return !id.isNull() && id.toLongLong() != 0; }

}  // namespace

TFrConsolidate_Qel_Dru::TFrConsolidate_Qel_Dru(QWidget* parent)
    : TFrForm(parent),
      QZone(dataConnection()),
      QLoad(dataConnection()),
      QConsoHd(dataConnection()),
      QConsoDt(dataConnection()),
      QHeaderId(dataConnection()),
      QChkOnhand(dataConnection()),
      QConsoToIv(dataConnection()),
      QHeldLines(dataConnection()),
      QHdAsStored(dataConnection()),
      QDtAsStored(dataConnection()),
      SQLLockZone(dataConnection()),
      SQLAddConsoHd(dataConnection()),
      SQLUpdateConsoHd(dataConnection()),
      SQLAddConsoDt(dataConnection()),
      SpConsoToIV(dataConnection(), QString::fromLatin1(consolidation::kConsoToIV)),
      DZone(&QZone),
      DConsoHd(&QConsoHd),
      DConsoDt(&QConsoDt) {
  consolidation::registerConsoProcedures();
  setObjectName(QStringLiteral("FrConsolidate_Qel_Dru"));

  assign(QZone, sql::QZone());
  assign(QLoad, sql::QLoad());
  assign(QConsoHd, sql::QConsoHd());
  assign(QConsoDt, sql::QConsoDt());
  assign(QHeaderId, sql::QHeaderId());
  assign(QChkOnhand, sql::QChkOnhand());
  assign(QConsoToIv, sql::QConsoToIv());
  assign(QHeldLines, sql::QHeldLines());
  assign(QHdAsStored, sql::QHdAsStored());
  assign(QDtAsStored, sql::QDtAsStored());
  assign(SQLLockZone, sql::SQLLockZone());
  assign(SQLAddConsoHd, sql::SQLAddConsoHd());
  assign(SQLUpdateConsoHd, sql::SQLUpdateConsoHd());
  assign(SQLAddConsoDt, sql::SQLAddConsoDt());
  SpConsoToIV.declare(QStringLiteral("Result"), db::ParamType::Integer, db::ParamDir::Result);
  SpConsoToIV.declare(QStringLiteral("@DocNo"), db::ParamType::Text, db::ParamDir::Input);

  layoutControls();

  FaGetDocNo1->Bind(&DConsoHd, QStringLiteral("DocNo"));
  FaGetDocNo1->DocNo->OnExit = data::Guarded(this, [this](QObject* s) { FaGetDocNo1DocNoExit(s); });
  FaGetDocNo1->DocNo->OnKeyDown =
      data::Guarded(this, [this](QObject* s, int& key, Qt::KeyboardModifiers m) { FaGetDocNo1DocNoKeyDown(s, key, m); });
  FaGetDocNo1->BtSearch->OnClick = data::Guarded(this, [this](QObject* s) { FaGetDocNo1BtSearchClick(s); });
  FaGetConsoDate->Bind(&DConsoHd, QStringLiteral("DocDate"));
  FaGetSendDate->Bind(&DConsoHd, QStringLiteral("SendDate"));
  FaGetSendDate->DocDate->OnExit = nullptr;  // no working-year check on the planned send date
  Carman->setDataSource(&DConsoHd, QStringLiteral("Carman"));
  LicensePlate->setDataSource(&DConsoHd, QStringLiteral("LicensePlate"));
  Porter1->setDataSource(&DConsoHd, QStringLiteral("Porter1"));
  Porter2->setDataSource(&DConsoHd, QStringLiteral("Porter2"));
  Porter3->setDataSource(&DConsoHd, QStringLiteral("Porter3"));
  Remark->setDataSource(&DConsoHd, QStringLiteral("Remark"));
  DgDt->setDataSource(&DConsoDt);

  connect(EZone, qOverload<int>(&QComboBox::currentIndexChanged), this, data::Guarded(this, [this](int) { EZoneChange(EZone); }));
  connect(BLoad, &QPushButton::clicked, this, data::Guarded(this, [this] { BLoadClick(BLoad); }));
  connect(BSendToIV, &QPushButton::clicked, this, data::Guarded(this, [this] { BSendToIVClick(BSendToIV); }));
}

TFrConsolidate_Qel_Dru::~TFrConsolidate_Qel_Dru() {
  // The grid and the edits let go of the results before the queries go.
  DetachFieldChanged();
  DgDt->setDataSource(nullptr);
}

void TFrConsolidate_Qel_Dru::layoutControls() {
  SetClientSize(1010, 640);
  auto* root = new QVBoxLayout(Client);
  root->setContentsMargins(4, 4, 4, 4);
  root->setSpacing(4);

  auto label = [this](const char* text, const char* name) {
    auto* l = new QLabel(QString::fromUtf8(text), Client);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
  };
  // An edit of a header column takes no more characters than the column holds.
  const embedded::TableDef* header = embedded::findTable(embedded::DatabaseKind::Company, QStringLiteral("ConsolidateHd"));
  auto edit = [this, header](const char* name, int width) {
    auto* e = new widgets::DBEdit(Client);
    e->setObjectName(QString::fromLatin1(name));
    e->setMinimumWidth(width);
    if (const embedded::ColumnDef* c = header ? header->column(QLatin1String(name)) : nullptr; c && c->size > 0)
      e->setMaxLength(c->size);
    return e;
  };

  // First line: number, date, zone, send date, the two buttons and the weight.
  auto* line1 = new QHBoxLayout;
  FaGetDocNo1 = new TFaGetDocNo(Client);
  FaGetDocNo1->setObjectName(QStringLiteral("FaGetDocNo1"));
  FaGetDocNo1->Label1->setText(QStringLiteral("เลขที่"));
  FaGetConsoDate = new TFaGetDate(Client);
  FaGetConsoDate->setObjectName(QStringLiteral("FaGetConsoDate"));
  FaGetConsoDate->Label2->setText(QStringLiteral("วันที่"));
  LZone = label("Zone ลูกค้า", "LZone");
  EZone = new QComboBox(Client);
  EZone->setObjectName(QStringLiteral("EZone"));
  EZone->setMinimumWidth(200);
  LZone->setBuddy(EZone);
  FaGetSendDate = new TFaGetDate(Client);
  FaGetSendDate->setObjectName(QStringLiteral("FaGetSendDate"));
  FaGetSendDate->Label2->setText(QStringLiteral("วันที่กำหนดส่ง"));
  FaGetSendDate->Label2->setMinimumWidth(92);
  BLoad = new QPushButton(QStringLiteral("Load"), Client);
  BLoad->setObjectName(QStringLiteral("BLoad"));
  BLoad->setAutoDefault(false);
  line1->addWidget(FaGetDocNo1);
  line1->addWidget(FaGetConsoDate);
  line1->addWidget(LZone);
  line1->addWidget(EZone);
  line1->addWidget(FaGetSendDate);
  line1->addWidget(BLoad);
  line1->addStretch();
  root->addLayout(line1);

  auto* line2 = new QHBoxLayout;
  BSendToIV = new QPushButton(QStringLiteral("สร้างและพิมพ์ใบส่งของ"), Client);
  BSendToIV->setObjectName(QStringLiteral("BSendToIV"));
  BSendToIV->setAutoDefault(false);
  BSendToIV->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
  LWeight = new QLabel(QStringLiteral("น้ำหนักรวม "), Client);
  LWeight->setObjectName(QStringLiteral("LWeight"));
  QFont big = LWeight->font();
  big.setBold(true);
  big.setPixelSize(20);
  LWeight->setFont(big);
  QPalette blue = LWeight->palette();
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  LWeight->setPalette(blue);
  line2->addWidget(BSendToIV);
  line2->addSpacing(24);
  line2->addWidget(LWeight);
  line2->addStretch();
  root->addLayout(line2);

  // The truck crew and the remark.
  auto* crew = new QGridLayout;
  LCarman = label("พนักงานขับรถ", "LCarman");
  Carman = edit("Carman", 180);
  LLicensePlate = label("ทะเบียนรถ", "LLicensePlate");
  LicensePlate = edit("LicensePlate", 110);
  LRemark = label("หมาเหตุ", "LRemark");
  Remark = edit("Remark", 330);
  LPorter1 = label("เด็กรถ 1", "LPorter1");
  Porter1 = edit("Porter1", 180);
  LPorter2 = label("เด็กรถ 2", "LPorter2");
  Porter2 = edit("Porter2", 180);
  LPorter3 = label("เด็กรถ 3", "LPorter3");
  Porter3 = edit("Porter3", 180);
  crew->addWidget(LCarman, 0, 0);
  crew->addWidget(Carman, 0, 1);
  crew->addWidget(LLicensePlate, 0, 2);
  crew->addWidget(LicensePlate, 0, 3);
  crew->addWidget(LRemark, 0, 4);
  crew->addWidget(Remark, 0, 5, 1, 3);
  crew->addWidget(LPorter1, 1, 0);
  crew->addWidget(Porter1, 1, 1);
  crew->addWidget(LPorter2, 1, 2);
  crew->addWidget(Porter2, 1, 3);
  crew->addWidget(LPorter3, 1, 4);
  crew->addWidget(Porter3, 1, 5);
  // The names and the remark grow with the window.
  for (int column : {1, 3, 5}) crew->setColumnStretch(column, 1);
  root->addLayout(crew);

  DgDt = new widgets::DbGrid(Client);
  DgDt->setObjectName(QStringLiteral("DgDt"));
  DgDt->setAlternatingRowColors(true);
  root->addWidget(DgDt, 1);

  // Tab order: number, zone, send date, Load, crew, remark, grid.
  QWidget* order[] = {FaGetDocNo1->DocNo, EZone, FaGetSendDate->DocDate, BLoad, Carman, LicensePlate,
                      Porter1, Porter2, Porter3, Remark, DgDt};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

// ---- Zones ----------------------------------------------------------------------------------

qint64 TFrConsolidate_Qel_Dru::SelectedZoneId() const {
  if (!QZone.active() || QZone.isEmpty() || QZone.eof()) return 0;
  return QZone.asInt(QStringLiteral("Id"));
}

void TFrConsolidate_Qel_Dru::ReadZones() {
  QZone.close();
  QZone.open();
  const QSignalBlocker block(EZone);
  EZone->clear();
  for (int i = 0; i < QZone.rowCount(); ++i)
    EZone->addItem(QZone.at(i, QZone.findColumn(QStringLiteral("Description"))).toString(),
                   QZone.at(i, QZone.findColumn(QStringLiteral("Code"))));
  QZone.first();
  EZone->setCurrentIndex(QZone.isEmpty() ? -1 : 0);
  DZone.reset();
}

void TFrConsolidate_Qel_Dru::EZoneChange(QObject*) {
  const int i = EZone->currentIndex();
  if (i >= 0 && i < QZone.rowCount()) DZone.moveTo(i);
}

// The zone of an existing document: its row in the zone list, read again when the list misses it.
void TFrConsolidate_Qel_Dru::ShowSelectedZone() {
  const qint64 zone = QConsoHd.asInt(QStringLiteral("CustomerZone"));
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int idc = QZone.columnIndex(QStringLiteral("Id"));
    for (int i = 0; idc >= 0 && i < QZone.rowCount(); ++i) {
      if (QZone.at(i, idc).toLongLong() != zone) continue;
      QZone.moveTo(i);
      const QSignalBlocker block(EZone);
      EZone->setCurrentIndex(i);
      DZone.cursorMoved();
      return;
    }
    ReadZones();
  }
}

// ---- Show, New, opening a document ----------------------------------------------------------

void TFrConsolidate_Qel_Dru::FormShow(QObject* sender) {
  TFrForm::FormShow(sender);
  setWindowTitle((DMConfig ? DMConfig->MenuCaption : QString()) + QStringLiteral(" [") + QString::fromLatin1(kVersion) +
                 QStringLiteral("]"));
  FaGetConsoDate->setEnabled(false);
  AcNewExecute(this);
}

void TFrConsolidate_Qel_Dru::AcNewExecute(QObject* sender) {
  TFrForm::AcNewExecute(sender);
  // The number of the document just saved stays in the status bar until the next one is begun.
  if (!keepStatus_) ClearStatus();
  LWeight->setText(QStringLiteral("น้ำหนักรวม "));
  LWeight->repaint();
  FaGetDocNo1->setEnabled(true);
  FaGetDocNo1->DocNo->setEnabled(true);
  BLoad->setEnabled(true);
  EZone->setEnabled(true);
  FaGetSendDate->setEnabled(true);
  BSendToIV->setEnabled(false);
  ReadZones();
  DetachFieldChanged();
  OpenQuery(QString());
  SetDgDtColumn();
  FaGetDocNo1->DocNo->setFocus();
}

void TFrConsolidate_Qel_Dru::OpenQuery(const QString& docNo) {
  QConsoHd.close();
  QConsoHd.params.setText(QStringLiteral("DocNo"), docNo);
  QConsoHd.open();
  IsNewDocument = QConsoHd.isEmpty();
  // What a save will compare with: the header as read here, and every stored line, read before the
  // grid's rows (a change in between is then seen as a change, never missed).
  openedHd_ = IsNewDocument ? db::Result() : db::Result(QConsoHd);
  openedDt_ = db::Result();
  if (!IsNewDocument) openedDt_ = readStored(QDtAsStored, QStringLiteral("ConsolidateHd"), QConsoHd.asInt(QStringLiteral("Id")));
  if (IsNewDocument) {
    // A new document starts on the server's date; it is never saved without its dates.
    QConsoHd.append();
    const QDateTime today(DM->ServerTime().date(), QTime(0, 0));
    QConsoHd.setValue(QStringLiteral("DocDate"), today);
    QConsoHd.setValue(QStringLiteral("SendDate"), today);
  }
  if (QConsoHd.asString(QStringLiteral("Confirm")).isEmpty()) QConsoHd.setValue(QStringLiteral("Confirm"), QStringLiteral("N"));
  if (!IsNewDocument) ShowSelectedZone();
  DConsoHd.reset();

  QConsoDt.close();
  QConsoDt.params.setInt(QStringLiteral("ConsolidateHd"), IsNewDocument ? 0 : QConsoHd.asInt(QStringLiteral("Id")));
  QConsoDt.params.setDateTime(QStringLiteral("SendDate"), dateOnly(QConsoHd.value(QStringLiteral("SendDate"))));
  QConsoDt.params.setInt(QStringLiteral("Zone"), SelectedZoneId());
  QConsoDt.open();
  QConsoDtAfterOpen();
  DConsoDt.reset();
}

void TFrConsolidate_Qel_Dru::QConsoDtAfterOpen() {
  WeightKgDisplayFormat = QStringLiteral("#,##0.00");
  WeightKgEditFormat = QStringLiteral("###0.00");
  DgDt->viewport()->update();
}

void TFrConsolidate_Qel_Dru::SetDocumentControls() {
  const bool exists = !IsNewDocument;
  const bool finished = QConsoHd.asString(QStringLiteral("Confirm")) == QLatin1String("Y");
  AcSave->setEnabled(exists && !finished);
  AcDel->setEnabled(exists && !finished);
  BSendToIV->setEnabled(exists);
  BLoad->setEnabled(!exists);
  EZone->setEnabled(!exists);
  FaGetSendDate->setEnabled(!exists);
  FaGetDocNo1->DocNo->setEnabled(false);
}

// Switches the grid's quantity rules off while rows are filled, and on again however the filling
// ends: a failure half-way leaves the rules working for the rows on screen.
class TFrConsolidate_Qel_Dru::RulesOff {
 public:
  explicit RulesOff(TFrConsolidate_Qel_Dru* w) : w_(w) { w_->DetachFieldChanged(); }
  ~RulesOff() { w_->AttachFieldChanged(); }
  RulesOff(const RulesOff&) = delete;
  RulesOff& operator=(const RulesOff&) = delete;

 private:
  TFrConsolidate_Qel_Dru* w_;
};

void TFrConsolidate_Qel_Dru::FaGetDocNo1DocNoExit(QObject*) {
  bool refused = false;
  const QString typed = FaGetDocNo1->DocNo->text().trimmed();
  {
    const RulesOff off(this);
    OpenQuery(typed);
    refused = !IsNewDocument && QConsoHd.asString(QStringLiteral("Delflag")).trimmed() == QLatin1String("Y");
    if (refused) {
      // A cancelled document is refused here, before any control is set for it: setting them moves
      // the focus, and a refusal run from that move would start the new document in the middle of
      // setting the controls for the cancelled one.
      prompts::current().message(QStringLiteral("เอกสารถูกยกเลิกแล้ว"), prompts::Style::Info);
      FaGetDocNo1->DocNo->setText(QString());
      OpenQuery(QString());
    }
  }
  CalSumWeight();
  SetDocumentControls();
  // A number that matches no document starts a new one; the clerk is told why the field emptied.
  if (IsNewDocument && !typed.isEmpty()) SetStatusText(QStringLiteral("ไม่พบเอกสารเลขที่ ") + typed);
  if (refused) {
    // As after New: the number field stays open for another number.
    FaGetDocNo1->setEnabled(true);
    FaGetDocNo1->DocNo->setEnabled(true);
  }
}

void TFrConsolidate_Qel_Dru::FaGetDocNo1DocNoKeyDown(QObject*, int& key, Qt::KeyboardModifiers) {
  if (key != Qt::Key_F5) return;
  key = 0;
  FaGetDocNo1BtSearchClick(FaGetDocNo1);
}

void TFrConsolidate_Qel_Dru::FaGetDocNo1BtSearchClick(QObject*) {
  TFrSearchConsoNoQelDru dlg(this);
  dlg.KeyFieldName = QStringLiteral("DocNo");
  if (dlg.ShowModal() != QDialog::Accepted) return;
  FaGetDocNo1->DocNo->setFocus();
  if (QConsoHd.active() && !QConsoHd.isEmpty()) {
    QConsoHd.setValue(QStringLiteral("DocNo"), dlg.ResultKey);
    DConsoHd.rowChanged(QConsoHd.recNo());
  }
  FaGetDocNo1->DocNo->setText(dlg.ResultKey);
}

// ---- Load -----------------------------------------------------------------------------------

QDate TFrConsolidate_Qel_Dru::SendDateOfFrame() const { return dateOnly(QConsoHd.value(QStringLiteral("SendDate"))).date(); }

void TFrConsolidate_Qel_Dru::BLoadClick(QObject*) {
  std::optional<RulesOff> off(this);
  QLoad.close();
  QLoad.params.setDateTime(QStringLiteral("SendDate"), QDateTime(SendDateOfFrame(), QTime(0, 0)));
  QLoad.params.setInt(QStringLiteral("Zone"), SelectedZoneId());
  QLoad.open();
  AcSave->setEnabled(!QLoad.isEmpty());
  if (QLoad.isEmpty())
    SetStatusText(QStringLiteral("ไม่พบรายการใบสั่งขายที่ถึงกำหนดส่งของเขต ") + EZone->currentText() + QStringLiteral(" วันที่ส่ง ") +
                  textutil::dateToText(SendDateOfFrame()));
  else
    SetStatusText(QStringLiteral("พบ %1 รายการที่ถึงกำหนดส่ง").arg(QLoad.rowCount()));

  // Every field copied by name, except Id and ConsolidateHd, which stay empty.
  const QStringList& to = QConsoDt.columns();
  QVector<int> from(to.size(), -1);
  for (int i = 0; i < to.size(); ++i) {
    const QString name = to[i].toUpper();
    if (name == QLatin1String("ID") || name == QLatin1String("CONSOLIDATEHD")) continue;
    from[i] = QLoad.columnIndex(to[i]);
  }
  // The values are moved: the list of due lines is closed right after. When the due lines have the
  // document's columns after its leading empty ones, in the same order (the statements are written
  // so), each row is the empty fields followed by the due line's values.
  int lead = 0;
  while (lead < from.size() && from[lead] < 0) ++lead;
  bool shifted = to.size() - lead == QLoad.columns().size();
  for (int i = lead; shifted && i < to.size(); ++i) shifted = from[i] == i - lead;
  auto& rows = QConsoDt.rows();
  if (shifted) {
    // Each due line becomes the document's row in place: it grows by the empty fields at its end
    // (within the room the rows are read with, so the values stay where they are) and its values
    // move up behind them as bytes, which Qt allows for its relocatable types.
    static_assert(QTypeInfo<QVariant>::isRelocatable);
    const qsizetype width = QLoad.columns().size();
    for (auto& src : QLoad.rows()) {
      src.resize(width + lead);  // the new fields are empty
      QVariant* v = src.data();
      std::memmove(static_cast<void*>(v + lead), static_cast<const void*>(v), size_t(width) * sizeof(QVariant));
      for (int i = 0; i < lead; ++i) new (v + i) QVariant();  // over the moved bytes: nothing to free
    }
    if (rows.isEmpty()) {
      rows = std::move(QLoad.rows());
    } else {
      rows.reserve(rows.size() + QLoad.rowCount());
      for (auto& src : QLoad.rows()) rows.push_back(std::move(src));
    }
  } else {
    rows.reserve(rows.size() + QLoad.rowCount());
    for (auto& src : QLoad.rows()) {
      QVector<QVariant> row(to.size());
      for (int i = 0; i < to.size(); ++i)
        if (from[i] >= 0) row[i] = std::move(src[from[i]]);
      rows.push_back(std::move(row));
    }
  }
  QLoad.close();
  QConsoDt.first();
  DConsoDt.reset();

  // One document is loaded once.
  BLoad->setEnabled(false);
  EZone->setEnabled(false);
  FaGetSendDate->setEnabled(false);
  off.reset();
  CalSumWeight();
}

// ---- Grid -----------------------------------------------------------------------------------

void TFrConsolidate_Qel_Dru::SetGrid(const QString& field, int width, const QString& title, const QString& control,
                                    const QString& controlParams, bool readOnly) {
  DgDt->addColumnLine(field + QLatin1Char('\t') + QString::number(width) + QLatin1Char('\t') + title + QLatin1Char('\t') +
                      (readOnly ? QStringLiteral("T") : QStringLiteral("F")));
  if (control.compare(QLatin1String("CheckBox"), Qt::CaseInsensitive) == 0) DgDt->setCheckBox(field, controlParams);
}

void TFrConsolidate_Qel_Dru::SetDgDtColumn() {
  DgDt->setUpdatesEnabled(false);
  {
    // The columns reach the grid together, applied once when the changes end.
    widgets::DbGrid::ColumnChanges changes(DgDt);
    DgDt->clearColumns();
    SetGrid(QStringLiteral("ToConso"), 4, QStringLiteral("จัด"), QStringLiteral("CheckBox"), QStringLiteral("Y;N"), false);
    SetGrid(QStringLiteral("SoNo"), 12, QStringLiteral("เลขที่สั่งขาย"), QString(), QString(), true);
    SetGrid(QStringLiteral("SoDate"), 10, QStringLiteral("วันที่สั่งขาย"), QString(), QString(), true);
    SetGrid(QStringLiteral("SendYourOrder"), 8, QStringLiteral("ลำดับการส่ง"), QString(), QString(), true);
    SetGrid(QStringLiteral("Address3"), 10, QStringLiteral("อำเภอ"), QString(), QString(), true);
    SetGrid(QStringLiteral("CusName"), 20, QStringLiteral("ชื่อลูกค้า"), QString(), QString(), true);
    SetGrid(QStringLiteral("ProdCode"), 11, QStringLiteral("รหัสสินค้า"), QString(), QString(), true);
    SetGrid(QStringLiteral("ProdName"), 28, QStringLiteral("ชื่อสินค้า"), QString(), QString(), true);
    SetGrid(QStringLiteral("UnitName"), 8, QStringLiteral("หน่วย"), QString(), QString(), true);
    SetGrid(QStringLiteral("Onhand"), 8, QStringLiteral("คงเหลือ"), QString(), QString(), true);
    SetGrid(QStringLiteral("OrderQnty"), 8, QStringLiteral("จำนวนสั่งจัด"), QString(), QString(), true);
    SetGrid(QStringLiteral("SendQnty"), 8, QStringLiteral("จัดได้"), QString(), QString(), false);
    SetGrid(QStringLiteral("WeightKg"), 8, QStringLiteral("น้ำหนัก (Kg)"), QString(), QString(), true);
    // Dates as dd/mm/yyyy whatever form the server returns them in; the weight in its formats.
    if (widgets::GridColumn* c = DgDt->column(QStringLiteral("SoDate")))
      c->displayText = [](const QVariant& v) {
        const QDateTime d = db::toDateTime(v);
        return d.isValid() ? textutil::dateToText(d.date()) : v.toString();
      };
    if (widgets::GridColumn* c = DgDt->column(QStringLiteral("WeightKg"))) {
      c->displayText = [this](const QVariant& v) {
        if (v.isNull() || WeightKgDisplayFormat.isEmpty()) return widgets::displayText(v);
        return textutil::formatFloat(WeightKgDisplayFormat, v.toDouble());
      };
      c->editText = [this](const QVariant& v) {
        if (v.isNull() || WeightKgEditFormat.isEmpty()) return widgets::displayText(v);
        return textutil::formatFloat(WeightKgEditFormat, v.toDouble());
      };
    }
  }
  DgDt->setUpdatesEnabled(true);
}

void TFrConsolidate_Qel_Dru::AttachFieldChanged() {
  if (fieldChanged_) return;
  fieldChanged_ = connect(DgDt, &widgets::DbGrid::fieldChanged, this, data::Guarded(this, [this](int row, const QString& field, const QVariant&) {
                            DgDtFieldChanged(DgDt, row, field);
                          }));
}

void TFrConsolidate_Qel_Dru::DetachFieldChanged() {
  if (fieldChanged_) disconnect(fieldChanged_);
  fieldChanged_ = QMetaObject::Connection();
}

void TFrConsolidate_Qel_Dru::DgDtFieldChanged(QObject*, int row, const QString& field) {
  if (row < 0 || row >= QConsoDt.rowCount()) return;
  const QString f = field.toUpper();
  if (f == QLatin1String("TOCONSO")) {
    CalSumWeight();
    return;
  }
  if (f != QLatin1String("SENDQNTY")) return;

  auto at = [&](const char* column) -> const QVariant& { return QConsoDt.at(row, QConsoDt.findColumn(QLatin1String(column))); };
  double send = at("SendQnty").toDouble();
  const double ordered = at("OrderSoQnty").toDouble();
  const double onHand = at("OH").toDouble();
  // Nothing is sent below zero: a negative entry, or a negative stock, gives 0.
  const double stockLimit = std::max(onHand, 0.0);
  if (send < 0) send = 0;
  if (send > ordered) {
    prompts::message(QStringLiteral("ไม่สามารถกำหนดจำนวนได้มากกว่าจำนวนที่สั่งขาย"));
    send = ordered;
    if (send > onHand) send = stockLimit;
  } else if (send > onHand && at("Negative").toString() == QLatin1String("N")) {
    prompts::message(QStringLiteral("ไม่สามารถกำหนดจำนวนได้มากกว่าจำนวนคงเหลือ"));
    send = stockLimit;
  }
  DgDt->setFieldValue(row, QStringLiteral("SendQnty"), send);
  DgDt->setFieldValue(row, QStringLiteral("WeightKg"), send * at("VolumnFraction").toDouble());
  CalSumWeight();
}

void TFrConsolidate_Qel_Dru::CalSumWeight() {
  double sum = 0;
  const int tick = QConsoDt.columnIndex(QStringLiteral("ToConso"));
  const int weight = QConsoDt.columnIndex(QStringLiteral("WeightKg"));
  if (tick >= 0 && weight >= 0) {
    for (const auto& row : QConsoDt.rows())
      if (row[tick].toString() == QLatin1String("Y")) sum += row[weight].toDouble();
  }
  LWeight->setText(QStringLiteral("น้ำหนักรวม ") + textutil::formatFloat(u"#,##0.00", sum) + QStringLiteral(" KG"));
  LWeight->repaint();
}

// ---- Saving ---------------------------------------------------------------------------------

TFrConsolidate_Qel_Dru::Snapshot TFrConsolidate_Qel_Dru::takeSnapshot() const {
  Snapshot s;
  s.header = QConsoHd.rows();
  s.headerRow = QConsoHd.recNo();
  s.rows = QConsoDt.rows();
  s.row = QConsoDt.recNo();
  s.isNew = IsNewDocument;
  s.docNo = CurrentDocNo;
  s.docYear = CurrentDocYear;
  return s;
}

void TFrConsolidate_Qel_Dru::restore(const Snapshot& s) {
  QConsoHd.rows() = s.header;
  QConsoHd.moveTo(s.headerRow);
  const bool sameShape = QConsoDt.rowCount() == s.rows.size();
  QConsoDt.rows() = s.rows;
  QConsoDt.moveTo(s.row);
  IsNewDocument = s.isNew;
  CurrentDocNo = s.docNo;
  CurrentDocYear = s.docYear;
  DConsoHd.reset();
  if (sameShape)
    DgDt->viewport()->update();
  else
    DConsoDt.reset();
}

db::Result TFrConsolidate_Qel_Dru::readStored(db::Query& q, const QString& param, qint64 id) {
  q.close();
  q.params.setInt(param, id);
  q.open();
  db::Result r = q;
  q.close();
  return r;
}

QStringList TFrConsolidate_Qel_Dru::changesSinceOpened() {
  QStringList changes;
  if (openedHd_.isEmpty()) return changes;
  const qint64 id = openedHd_.asInt(QStringLiteral("Id"));
  const db::Result hd = readStored(QHdAsStored, QStringLiteral("Id"), id);
  const db::Result dt = readStored(QDtAsStored, QStringLiteral("ConsolidateHd"), id);
  if (hd.isEmpty()) return {QStringLiteral("เอกสารไม่มีอยู่ในฐานข้อมูลแล้ว")};
  auto was = [&](const char* c) { return openedHd_.value(QLatin1String(c)); };
  auto now = [&](const char* c) { return hd.value(QLatin1String(c)); };
  if (!db::sameStoredValue(was("Delflag"), now("Delflag")))
    changes << (hd.asString(QStringLiteral("Delflag")).trimmed() == QLatin1String("Y") ? QStringLiteral("เอกสารถูกยกเลิกแล้ว")
                                                                                      : QStringLiteral("สถานะการยกเลิกเอกสารถูกเปลี่ยน"));
  if (!db::sameStoredValue(was("Confirm"), now("Confirm")))
    changes << (hd.asString(QStringLiteral("Confirm")).trimmed() == QLatin1String("Y") ? QStringLiteral("เอกสารจัดเสร็จแล้ว (ออก Invoice แล้ว)")
                                                                                      : QStringLiteral("สถานะจัดเสร็จของเอกสารถูกเปลี่ยน"));
  QStringList fields;
  for (const char* c : {"DocNo", "DocDate", "SendDate", "CustomerZone", "Carman", "LicensePlate", "Porter1", "Porter2", "Porter3", "Remark"})
    if (!db::sameStoredValue(was(c), now(c))) fields << QLatin1String(c);
  if (!fields.isEmpty()) changes << QStringLiteral("หัวเอกสารถูกแก้ไข : ") + fields.join(QStringLiteral(", "));

  // The lines, by their Id.
  const int cId = dt.findColumn(QStringLiteral("Id"));
  QHash<qint64, int> nowRow;
  for (int r = 0; r < dt.rowCount(); ++r) nowRow.insert(dt.at(r, cId).toLongLong(), r);
  const int wasId = openedDt_.findColumn(QStringLiteral("Id"));
  const int cIvNo = dt.findColumn(QStringLiteral("IvNo"));
  int added = 0, removed = 0, edited = 0;
  QStringList invoices;
  QSet<qint64> seen;
  for (int r = 0; r < openedDt_.rowCount(); ++r) {
    const qint64 id = openedDt_.at(r, wasId).toLongLong();
    seen.insert(id);
    const auto it = nowRow.constFind(id);
    if (it == nowRow.constEnd()) {
      ++removed;
      continue;
    }
    bool differs = false;
    for (int c = 0; c < dt.columns().size(); ++c) {
      const int wc = openedDt_.columnIndex(dt.columns()[c]);
      if (wc < 0 || !db::sameStoredValue(openedDt_.at(r, wc), dt.at(*it, c))) differs = true;
    }
    if (!differs) continue;
    const QString ivNo = dt.at(*it, cIvNo).toString().trimmed();
    const QString wasIvNo = openedDt_.at(r, openedDt_.findColumn(QStringLiteral("IvNo"))).toString().trimmed();
    if (!ivNo.isEmpty() && ivNo != wasIvNo) {
      if (!invoices.contains(ivNo)) invoices << ivNo;
    } else {
      ++edited;
    }
  }
  for (auto it = nowRow.constBegin(); it != nowRow.constEnd(); ++it)
    if (!seen.contains(it.key())) ++added;
  if (!invoices.isEmpty()) {
    std::sort(invoices.begin(), invoices.end());
    changes << QStringLiteral("รายการถูกออก Invoice แล้ว : ") + invoices.join(QStringLiteral(", "));
  }
  if (added) changes << QStringLiteral("มีรายการเพิ่ม %1 รายการ").arg(added);
  if (removed) changes << QStringLiteral("รายการถูกลบ %1 รายการ").arg(removed);
  if (edited) changes << QStringLiteral("รายการถูกแก้ไข %1 รายการ").arg(edited);
  return changes;
}

QString TFrConsolidate_Qel_Dru::changedRefusal(const QStringList& changes, const QString& since) const {
  QString text = QStringLiteral("เอกสารเลขที่ %1 ถูกแก้ไขจากเครื่องอื่น")
                     .arg(openedHd_.isEmpty() ? QString() : openedHd_.asString(QStringLiteral("DocNo")).trimmed()) +
                 since + kBreak;
  for (const QString& c : changes) text += c + kBreak;
  text += QStringLiteral("กรุณาเปิดเอกสารใหม่อีกครั้ง");
  return text;
}

void TFrConsolidate_Qel_Dru::bindHeader(db::Params& hp, const QDateTime& docDate, const QDateTime& sendDate) {
  hp.clear();
  for (const char* t : {"DocNo", "Carman", "LicensePlate", "Porter1", "Porter2", "Porter3", "Remark", "Delflag"})
    hp.set(QLatin1String(t), QConsoHd.value(QLatin1String(t)), db::ParamType::Text);
  hp.setDateTime(QStringLiteral("DocDate"), docDate);
  hp.setDateTime(QStringLiteral("SendDate"), sendDate);
  hp.set(QStringLiteral("CustomerZone"), QConsoHd.value(QStringLiteral("CustomerZone")), db::ParamType::Integer);
  if (!IsNewDocument) hp.set(QStringLiteral("Id"), QConsoHd.value(QStringLiteral("Id")), db::ParamType::Integer);
}

bool TFrConsolidate_Qel_Dru::writeDocument(QSet<qint64>* held, QStringList* orders, QString* refusal) {
  // The saves of the zone's consolidations one at a time, until this transaction ends.
  SQLLockZone.params.setInt(QStringLiteral("Zone"), SelectedZoneId());
  SQLLockZone.execSql();

  // An existing document is written only as it was opened.
  if (!IsNewDocument) {
    const QStringList changes = changesSinceOpened();
    if (!changes.isEmpty()) {
      *refusal = changedRefusal(changes);
      return false;
    }
  }

  // The header.
  QConsoHd.first();
  const QDateTime docDate = dateOnly(QConsoHd.value(QStringLiteral("DocDate")));
  const QDateTime sendDate = dateOnly(QConsoHd.value(QStringLiteral("SendDate")));
  if (!docDate.isValid() || !sendDate.isValid())
    throw db::Error(QStringLiteral("ConsolidateHd: the consolidation date and the send date are required"));
  QConsoHd.setValue(QStringLiteral("DocDate"), docDate);
  QConsoHd.setValue(QStringLiteral("SendDate"), sendDate);
  if (IsNewDocument) {
    const QString drawn = DM->NewDocumentNo(QStringLiteral("CONSOLIDAT"), docDate.date()).trimmed();
    if (drawn.isEmpty()) {
      *refusal = QStringLiteral("ไม่ได้รับเลขที่เอกสารจากชุดเลขที่ CONSOLIDAT จึงไม่ได้บันทึก") + kBreak +
                 QStringLiteral("กรุณาตรวจสอบการตั้งเลขที่เอกสาร");
      return false;
    }
    QConsoHd.setValue(QStringLiteral("DocNo"), drawn);
  }
  CurrentDocNo = QConsoHd.asString(QStringLiteral("DocNo")).trimmed();
  CurrentDocYear = docDate.date().year();
  QConsoHd.setValue(QStringLiteral("CustomerZone"), SelectedZoneId());

  if (IsNewDocument) {
    // A new document never takes the place of a stored one.
    bindHeader(SQLAddConsoHd.params, docDate, sendDate);
    if (SQLAddConsoHd.execSql() != 1) {
      *refusal = QStringLiteral("เลขที่เอกสาร %1 มีอยู่แล้ว จึงไม่ได้บันทึก").arg(CurrentDocNo) + kBreak +
                 QStringLiteral("กรุณาตรวจสอบการตั้งเลขที่เอกสาร CONSOLIDAT");
      return false;
    }
  } else {
    bindHeader(SQLUpdateConsoHd.params, docDate, sendDate);
    if (SQLUpdateConsoHd.execSql() != 1) throw db::Error(QStringLiteral("ConsolidateHd %1 was not updated").arg(CurrentDocNo));
  }

  QHeaderId.close();
  QHeaderId.params.setText(QStringLiteral("DocNo"), CurrentDocNo);
  QHeaderId.open();
  if (QHeaderId.isEmpty()) throw db::Error(QStringLiteral("ConsolidateHd %1 was not written").arg(CurrentDocNo));
  const qint64 headerId = IsNewDocument ? QHeaderId.asInt(QStringLiteral("Id")) : QConsoHd.asInt(QStringLiteral("Id"));
  QHeaderId.close();

  // Lines another open consolidation of the zone stored since they were listed.
  const int cId = QConsoDt.findColumn(QStringLiteral("Id"));
  const int cTick = QConsoDt.findColumn(QStringLiteral("ToConso"));
  const int cSoDt = QConsoDt.findColumn(QStringLiteral("SoDt"));
  QHeldLines.close();
  QHeldLines.params.setInt(QStringLiteral("Zone"), SelectedZoneId());
  QHeldLines.params.setInt(QStringLiteral("ConsolidateHd"), headerId);
  QHeldLines.open();
  QHash<qint64, QString> holder;
  for (QHeldLines.first(); !QHeldLines.eof(); QHeldLines.next())
    holder.insert(QHeldLines.asInt(QStringLiteral("SoDt")),
                  QHeldLines.asString(QStringLiteral("SoNo")).trimmed() + QStringLiteral(" (ใบจัดสินค้าเลขที่ ") +
                      QHeldLines.asString(QStringLiteral("DocNo")).trimmed() + QLatin1Char(')'));
  QHeldLines.close();
  if (!holder.isEmpty()) {
    for (const auto& row : QConsoDt.rows()) {
      if (storedRow(row[cId]) || row[cTick].toString() != QLatin1String("Y")) continue;
      const qint64 soDt = row[cSoDt].toLongLong();
      auto it = holder.constFind(soDt);
      if (it == holder.constEnd()) continue;
      held->insert(soDt);
      if (!orders->contains(*it)) orders->append(*it);
    }
    if (!held->isEmpty()) return false;
  }

  // The lines.
  // The invoice of a line (IvNo, IvHd, IvDt) is the server's: it is not written.
  static const char* const intFields[] = {"Id", "ConsolidateHd", "SoHd", "SoDt", "Customer", "Product", "ProductUnits"};
  static const char* const floatFields[] = {"OrderSoQnty", "OH", "OrderQnty", "SendQnty"};
  static const char* const textFields[] = {"ToConso"};
  struct Bound {
    QString name;
    int column;
    db::ParamType type;
  };
  QVector<Bound> bound;
  for (const char* n : intFields) bound.push_back({QLatin1String(n), QConsoDt.findColumn(QLatin1String(n)), db::ParamType::Integer});
  for (const char* n : floatFields) bound.push_back({QLatin1String(n), QConsoDt.findColumn(QLatin1String(n)), db::ParamType::Float});
  for (const char* n : textFields) bound.push_back({QLatin1String(n), QConsoDt.findColumn(QLatin1String(n)), db::ParamType::Text});
  const int cHd = QConsoDt.findColumn(QStringLiteral("ConsolidateHd"));
  for (auto& row : QConsoDt.rows()) {
    row[cHd] = headerId;
    // A line neither stored nor ticked needs no statement: the statement would do nothing.
    if (!storedRow(row[cId]) && row[cTick].toString() != QLatin1String("Y")) continue;
    db::Params& p = SQLAddConsoDt.params;
    p.clear();
    for (const Bound& b : bound) p.set(b.name, row[b.column], b.type);
    SQLAddConsoDt.execute();
  }
  return true;
}

void TFrConsolidate_Qel_Dru::checkStock() {
  QChkOnhand.close();
  QChkOnhand.params.setText(QStringLiteral("DocNo"), CurrentDocNo);
  QChkOnhand.open();
  if (QChkOnhand.isEmpty()) return;
  QString text = QStringLiteral("รายการสินค้าที่ไม่พอส่งให้ลูกค้า") + kBreak;
  for (QChkOnhand.first(); !QChkOnhand.eof(); QChkOnhand.next())
    text += QChkOnhand.asString(QStringLiteral("ProdCode")) + QStringLiteral(" - ") + QChkOnhand.asString(QStringLiteral("ProdName")) +
            kBreak;
  QChkOnhand.close();
  prompts::message(text);
}

bool TFrConsolidate_Qel_Dru::SaveDate() {
  db::Connection& conn = dataConnection();
  Snapshot before = takeSnapshot();
  for (;;) {
    // A consolidation holds at least one line: no header is stored, and no number drawn, without.
    if (TickedLines() == 0) {
      prompts::message(QStringLiteral("ไม่มีรายการที่เลือกจัด ไม่สามารถบันทึกใบจัดสินค้าได้"));
      return false;
    }
    QSet<qint64> held;
    QStringList orders;
    QString refusal;
    bool written = false;
    db::Result writtenHd, writtenDt;
    try {
      conn.startTransaction();
      written = writeDocument(&held, &orders, &refusal);
      if (written && !before.isNew) {
        // An existing document as this save leaves it, read before the commit: the invoicing step
        // of Send to invoices goes on only while it is still so.
        const qint64 id = QConsoHd.asInt(QStringLiteral("Id"));
        writtenHd = readStored(QHdAsStored, QStringLiteral("Id"), id);
        writtenDt = readStored(QDtAsStored, QStringLiteral("ConsolidateHd"), id);
      }
      if (written) conn.commit();
    } catch (...) {
      conn.rollback();
      restore(before);
      data::HandleException(this, std::current_exception());
      return false;
    }
    if (written) {
      if (!before.isNew) {
        openedHd_ = writtenHd;
        openedDt_ = writtenDt;
      }
      break;
    }

    // Refused: nothing stays written, the work stays on screen.
    conn.rollback();
    restore(before);
    if (!refusal.isEmpty()) {
      prompts::message(refusal);
      return false;
    }
    QString question = QStringLiteral("รายการของใบสั่งขายต่อไปนี้ถูกจัดลงใบจัดสินค้าอื่นของเขตนี้แล้ว") + kBreak;
    for (const QString& o : orders) question += o + kBreak;
    question += QStringLiteral("บันทึกเฉพาะรายการที่เหลือ ?");
    if (!DM->ConfirmYesNo(question)) return false;
    // The held lines are left out; the rest is saved on the next round.
    const int cId = QConsoDt.findColumn(QStringLiteral("Id"));
    const int cTick = QConsoDt.findColumn(QStringLiteral("ToConso"));
    const int cSoDt = QConsoDt.findColumn(QStringLiteral("SoDt"));
    auto untick = [&](QVector<QVector<QVariant>>& rows) {
      for (auto& row : rows)
        if (!storedRow(row[cId]) && held.contains(row[cSoDt].toLongLong())) row[cTick] = QStringLiteral("N");
    };
    untick(QConsoDt.rows());
    untick(before.rows);
    DgDt->viewport()->update();
    CalSumWeight();
  }
  // Saved. The stock check only informs; a failure of it does not undo the save.
  try {
    checkStock();
  } catch (...) {
    data::HandleException(this, std::current_exception());
  }
  return true;
}

void TFrConsolidate_Qel_Dru::PrintDocument(const QString& docNo, int docYear, const QString& printCode) {
  TFrDocPrintForm& print = TFrDocPrintForm::Instance();
  print.DocNo = docNo;
  print.DocYear = docYear;
  print.PrintCode = printCode;
  printedFiles_.clear();
  print.ShowModal();
  printedFiles_ = print.SavedFilesText();
}

int TFrConsolidate_Qel_Dru::TickedLines() const {
  const int tick = QConsoDt.columnIndex(QStringLiteral("ToConso"));
  int n = 0;
  if (tick >= 0)
    for (const auto& row : QConsoDt.rows())
      if (row[tick].toString() == QLatin1String("Y")) ++n;
  return n;
}

void TFrConsolidate_Qel_Dru::StartNextDocument(const QString& status) {
  // A document printed into a file says where it went.
  ShowStatus(printedFiles_.isEmpty() ? status : status + QStringLiteral(" - ") + printedFiles_);
  printedFiles_.clear();
  keepStatus_ = true;
  AcNewExecute(this);
  keepStatus_ = false;
}

void TFrConsolidate_Qel_Dru::AcSaveExecute(QObject*) {
  if (!DM->ConfirmYesNo(DMConfig->SaveDataPrompt)) return;
  if (!SaveDate()) return;
  const QString saved = QStringLiteral("บันทึกใบจัดสินค้าเลขที่ ") + CurrentDocNo + QStringLiteral(" แล้ว");
  ShowStatus(saved);
  try {
    PrintDocument(CurrentDocNo, CurrentDocYear, QStringLiteral("CONSOLIDAT"));
  } catch (...) {
    data::HandleException(this, std::current_exception());
  }
  StartNextDocument(saved);
}

void TFrConsolidate_Qel_Dru::AcDelExecute(QObject*) {
  if (IsNewDocument) return;  // nothing stored to mark
  if (!DM->ConfirmYesNo(DMConfig->DeleteDataPrompt)) return;
  db::Connection& conn = dataConnection();
  const Snapshot before = takeSnapshot();
  QString refusal;
  try {
    conn.startTransaction();
    // A document finished or changed by another workstation since it was opened is not deleted:
    // deleting a finished one would offer its invoiced lines again.
    const QStringList changes = changesSinceOpened();
    if (changes.isEmpty()) {
      QConsoHd.first();
      QConsoHd.setValue(QStringLiteral("Delflag"), QStringLiteral("Y"));
      bindHeader(SQLUpdateConsoHd.params, db::toDateTime(QConsoHd.value(QStringLiteral("DocDate"))),
                 db::toDateTime(QConsoHd.value(QStringLiteral("SendDate"))));
      if (SQLUpdateConsoHd.execSql() != 1)
        throw db::Error(QStringLiteral("ConsolidateHd %1 was not updated").arg(QConsoHd.asString(QStringLiteral("DocNo"))));
      conn.commit();
    } else {
      refusal = changedRefusal(changes);
      conn.rollback();
      restore(before);
    }
  } catch (...) {
    conn.rollback();
    restore(before);
    data::HandleException(this, std::current_exception());
    return;
  }
  if (!refusal.isEmpty()) {
    prompts::message(refusal);
    return;
  }
  AcNewExecute(this);
}

bool TFrConsolidate_Qel_Dru::MakesAnInvoice() const {
  const int cTick = QConsoDt.columnIndex(QStringLiteral("ToConso"));
  const int cSend = QConsoDt.columnIndex(QStringLiteral("SendQnty"));
  const int cIvNo = QConsoDt.columnIndex(QStringLiteral("IvNo"));
  if (cTick < 0 || cSend < 0 || cIvNo < 0) return false;
  for (const auto& row : QConsoDt.rows()) {
    if (row[cTick].toString() != QLatin1String("Y")) continue;
    if (!row[cIvNo].toString().trimmed().isEmpty() || row[cSend].toDouble() > 0) return true;
  }
  return false;
}

void TFrConsolidate_Qel_Dru::BSendToIVClick(QObject*) {
  if (!DM->ConfirmYesNo(QStringLiteral("ต้องการออก Invoice ?"))) return;
  const QString noInvoice = QStringLiteral("ไม่มีรายการที่ออก Invoice ได้ : รายการที่เลือกจัดต้องมีจำนวนจัดได้มากกว่า 0") + kBreak;
  // A load that would make no invoice is refused before anything is written: it would be marked
  // finished without an invoice, and its delivery notes could not be printed.
  if (!MakesAnInvoice()) {
    prompts::message(noInvoice + QStringLiteral("จึงไม่ได้บันทึกและไม่ได้ออก Invoice"));
    return;
  }
  if (!SaveDate()) return;
  const QString notInvoiced = QStringLiteral("บันทึกใบจัดสินค้าเลขที่ %1 แล้ว แต่ไม่ได้ออก Invoice").arg(CurrentDocNo);
  // The save may have left out lines another consolidation took meanwhile.
  if (!MakesAnInvoice()) {
    prompts::message(noInvoice + notInvoiced);
    StartNextDocument(notInvoiced);
    return;
  }
  db::Connection& conn = dataConnection();
  QString refusal;
  try {
    conn.startTransaction();
    // The invoicing runs under the zone's lock, as the zone's saves do, and only on the document as
    // this window saved it: another workstation may have sent it to invoices, deleted or changed it
    // since the save committed.
    SQLLockZone.params.setInt(QStringLiteral("Zone"), SelectedZoneId());
    SQLLockZone.execSql();
    const QStringList changes = changesSinceOpened();
    if (changes.isEmpty()) {
      SpConsoToIV.set(QStringLiteral("@DocNo"), CurrentDocNo);
      SpConsoToIV.execute();
      conn.commit();
    } else {
      refusal = changedRefusal(changes, QStringLiteral("หลังจากบันทึก จึงไม่ได้ออก Invoice"));
      conn.rollback();
    }
  } catch (...) {
    conn.rollback();
    // The document is saved: it stays on screen as stored, ready for another try.
    const QString saved = CurrentDocNo;
    data::HandleException(this, std::current_exception());
    DetachFieldChanged();
    OpenQuery(saved);
    FaGetDocNo1->DocNo->setText(saved);
    AttachFieldChanged();
    CalSumWeight();
    SetDocumentControls();
    return;
  }
  if (!refusal.isEmpty()) {
    // The save stands; what is on screen is no longer what is stored.
    prompts::message(refusal);
    StartNextDocument(notInvoiced);
    return;
  }
  try {
    QConsoToIv.close();
    QConsoToIv.params.setText(QStringLiteral("DocNo"), CurrentDocNo);
    QConsoToIv.open();
    QString text = QStringLiteral("เลขที่ใบขาย ") + kBreak;
    for (QConsoToIv.first(); !QConsoToIv.eof(); QConsoToIv.next()) text += QConsoToIv.asString(QStringLiteral("IvNo")) + kBreak;
    QConsoToIv.close();
    prompts::message(text);
    PrintDocument(CurrentDocNo, CurrentDocYear, QStringLiteral("CONSOTOIV"));
  } catch (...) {
    data::HandleException(this, std::current_exception());
  }
  StartNextDocument(QStringLiteral("ใบจัดสินค้าเลขที่ ") + CurrentDocNo + QStringLiteral(" ออกใบส่งของแล้ว"));
}
