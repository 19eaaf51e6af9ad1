#include "bill_collection_window.h"

#include <QGridLayout>
#include <QHash>
#include <QHBoxLayout>
#include <QSet>
#include <QVBoxLayout>

#include "data_module.h"
#include "config_module.h"
#include "document_print_dialog.h"
#include "error_reporter.h"
#include "bill_collection_sql.h"
#include "prompts.h"
#include "bill_collection_search.h"
#include "textutil/dates.h"
#include "textutil/number_format.h"

namespace {

namespace sql = consolidation::moneybill;

db::Connection& dataConnection() {
  if (!DM) throw db::Error(QStringLiteral("The data module is not created"));
  return DM->DMdata;
}

void assign(db::Query& q, const db::SqlText& t) {
  q.sql = t.tsql.split(QLatin1Char('\n'));
  q.sqlSqlite = t.sqlite.isEmpty() ? QStringList() : t.sqlite.split(QLatin1Char('\n'));
}

QDateTime dateOnly(const QVariant& v) {
  const QDateTime d = db::toDateTime(v);
  return d.isValid() ? QDateTime(d.date(), QTime(0, 0)) : QDateTime();
}

QString dateText(const QVariant& v) {
  const QDateTime d = db::toDateTime(v);
  return d.isValid() ? textutil::dateToText(d.date()) : v.toString();
}

QString moneyText(const QVariant& v) {
  if (v.isNull()) return QString();
  bool ok = false;
  const double d = v.toDouble(&ok);
  return ok ? textutil::formatFloat(u"#,##0.00", d) : v.toString();
}

}  // namespace

TFrconsolidate_load::TFrconsolidate_load(QWidget* parent)
    : TFrForm(parent),
      QGetZoneCus(dataConnection()),
      QGetGrid(dataConnection()),
      QselectGrid(dataConnection()),
      QAddMoneyBill(dataConnection()),
      QDelMoneyBillRow(dataConnection()),
      QDelMoneyBill(dataConnection()),
      QBillAsStored(dataConnection()),
      QBillNoStored(dataConnection()),
      DGetZoneCus(&QGetZoneCus),
      DselectGrid(&QselectGrid) {
  setObjectName(QStringLiteral("Frconsolidate_load"));
  assign(QGetZoneCus, sql::QGetZoneCus());
  assign(QGetGrid, sql::QGetGrid());
  assign(QselectGrid, sql::QselectGrid());
  assign(QAddMoneyBill, sql::QAddMoneyBill());
  assign(QDelMoneyBillRow, sql::QDelMoneyBillRow());
  assign(QDelMoneyBill, sql::QDelMoneyBill());
  assign(QBillAsStored, sql::QBillAsStored());
  assign(QBillNoStored, sql::QBillNoStored());

  layoutControls();
  SetDgDtColumn();

  FaGetDocNo1->Bind(&DselectGrid, QStringLiteral("Docno"));
  FaGetDocNo1->DocNo->OnExit = data::Guarded(this, [this](QObject* s) { FaGetDocNo1DocNoExit(s); });
  FaGetDocNo1->BtSearch->OnClick = data::Guarded(this, [this](QObject* s) { FaGetDocNo1BtSearchClick(s); });
  FaGetDocNo1->DocNo->OnKeyDown =
      data::Guarded(this, [this](QObject* s, int& key, Qt::KeyboardModifiers m) { FaGetDocNo1DocNoKeyDown(s, key, m); });
  FaGetDate1->Bind(&DselectGrid, QStringLiteral("DocDate"));
  DgDt->setDataSource(&DselectGrid);

  connect(&DselectGrid, &widgets::DataSource::rowUpdated, this, data::Guarded(this, [this](int row) { DocDateFollow(row); }));
  connect(&DselectGrid, &widgets::DataSource::cursorChanged, this, data::Guarded(this, [this] { RememberShownDate(); }));
  connect(&DselectGrid, &widgets::DataSource::resetDone, this, data::Guarded(this, [this] { RememberShownDate(); }));
  connect(EZone, qOverload<int>(&QComboBox::currentIndexChanged), this, data::Guarded(this, [this](int) { EZoneChange(EZone); }));
  connect(BLoad, &QPushButton::clicked, this, data::Guarded(this, [this] { BLoadClick(BLoad); }));
}

TFrconsolidate_load::~TFrconsolidate_load() {
  // The grid and the frames let go of the rows before the queries go.
  disconnect(&DselectGrid, nullptr, this, nullptr);
  DgDt->setDataSource(nullptr);
  FaGetDocNo1->Bind(nullptr, QString());
  FaGetDate1->Bind(nullptr, QString());
}

void TFrconsolidate_load::layoutControls() {
  SetClientSize(760, 520);
  auto* root = new QVBoxLayout(Client);
  root->setContentsMargins(4, 4, 4, 4);
  root->setSpacing(4);

  auto label = [this](const char* text, const char* name) {
    auto* l = new QLabel(QString::fromUtf8(text), Client);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
  };

  auto* line1 = new QHBoxLayout;
  FaGetDocNo1 = new TFaGetDocNo(Client);
  FaGetDocNo1->setObjectName(QStringLiteral("FaGetDocNo1"));
  FaGetDocNo1->Label1->setText(QStringLiteral("เลขที่"));
  FaGetDate1 = new TFaGetDate(Client);
  FaGetDate1->setObjectName(QStringLiteral("FaGetDate1"));
  FaGetDate1->Label2->setText(QStringLiteral("วันที่"));
  LZone = label("Zone ลูกค้า", "LZone");
  EZone = new QComboBox(Client);
  EZone->setObjectName(QStringLiteral("EZone"));
  EZone->setMinimumWidth(220);
  LZone->setBuddy(EZone);
  BLoad = new QPushButton(QStringLiteral("Load"), Client);
  BLoad->setObjectName(QStringLiteral("BLoad"));
  BLoad->setAutoDefault(false);
  line1->addWidget(FaGetDocNo1);
  line1->addWidget(FaGetDate1);
  line1->addWidget(LZone);
  line1->addWidget(EZone);
  line1->addWidget(BLoad);
  LCancelled = new QLabel(QStringLiteral("เอกสารถูกยกเลิกแล้ว"), Client);
  LCancelled->setObjectName(QStringLiteral("LCancelled"));
  LCancelled->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
  LCancelled->hide();
  line1->addWidget(LCancelled);
  line1->addStretch();
  root->addLayout(line1);

  auto* line2 = new QHBoxLayout;
  LResponsible = label("ผู้รับผิดชอบ", "LResponsible");
  Responsible = new widgets::Edit(Client);
  Responsible->setObjectName(QStringLiteral("Responsible"));
  Responsible->setMinimumWidth(200);
  Responsible->setMaxLength(100);
  LResponsible->setBuddy(Responsible);
  LRemark = label("หมายเหตุ", "LRemark");
  Remark = new widgets::Edit(Client);
  Remark->setObjectName(QStringLiteral("Remark"));
  Remark->setMinimumWidth(330);
  Remark->setMaxLength(200);
  LRemark->setBuddy(Remark);
  // The responsible person and the remark grow with the window.
  line2->addWidget(LResponsible);
  line2->addWidget(Responsible, 1);
  line2->addWidget(LRemark);
  line2->addWidget(Remark, 2);
  root->addLayout(line2);

  DgDt = new widgets::DbGrid(Client);
  DgDt->setObjectName(QStringLiteral("DgDt"));
  DgDt->setAlternatingRowColors(true);
  root->addWidget(DgDt, 1);

  // Tab order: number, date, zone, responsible, remark, Load, grid.
  QWidget* order[] = {FaGetDocNo1->DocNo, FaGetDate1->DocDate, EZone, Responsible, Remark, BLoad, DgDt};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void TFrconsolidate_load::SetDgDtColumn() {
  // The tick is the only cell the user changes: what is stored of an invoice is read from the
  // invoice itself when the document is saved.
  struct Col {
    const char* field;
    int width;
    const char* title;
  };
  const Col cols[] = {{"Chk", 1, "เลือก"},         {"IvNo", 15, "เลขที่เอกสาร"}, {"ivDate", 18, "วันที่"},
                      {"DueDate", 18, "วันครบกำหนด"}, {"Total", 20, "มูลค่า"},      {"TotalRcpt", 20, "ยอดค้างรับ"}};
  QVector<widgets::GridColumn> columns;
  for (const Col& c : cols) {
    widgets::GridColumn g;
    g.field = QString::fromLatin1(c.field);
    g.widthChars = c.width;
    g.title = QString::fromUtf8(c.title);
    columns.push_back(g);
  }
  columns[0].checkValues = QStringList{QStringLiteral("Y"), QStringLiteral("N")};
  for (int i = 1; i < columns.size(); ++i) columns[i].readOnly = true;
  columns[2].displayText = dateText;
  columns[3].displayText = dateText;
  columns[4].displayText = moneyText;
  columns[5].displayText = moneyText;
  DgDt->setColumns(columns);
}

void TFrconsolidate_load::Guarded(const std::function<void()>& work) {
  try {
    work();
  } catch (const EAbort&) {
  } catch (...) {
    data::HandleException(this, std::current_exception());
  }
}

// ---- Zones ----------------------------------------------------------------------------------

qint64 TFrconsolidate_load::SelectedZoneId() const {
  if (!QGetZoneCus.active() || QGetZoneCus.isEmpty() || QGetZoneCus.eof()) return 0;
  return QGetZoneCus.asInt(QStringLiteral("Id"));
}

void TFrconsolidate_load::ReadZones() {
  QGetZoneCus.close();
  QGetZoneCus.open();
  const QSignalBlocker block(EZone);
  EZone->clear();
  const int cId = QGetZoneCus.findColumn(QStringLiteral("Id"));
  const int cDesc = QGetZoneCus.findColumn(QStringLiteral("Description"));
  for (int i = 0; i < QGetZoneCus.rowCount(); ++i) EZone->addItem(QGetZoneCus.at(i, cDesc).toString(), QGetZoneCus.at(i, cId));
  QGetZoneCus.first();
  EZone->setCurrentIndex(QGetZoneCus.isEmpty() ? -1 : 0);
  DGetZoneCus.reset();
}

void TFrconsolidate_load::EZoneChange(QObject*) {
  const int i = EZone->currentIndex();
  if (i >= 0 && i < QGetZoneCus.rowCount()) DGetZoneCus.moveTo(i);
}

// Shows the zone of a stored document; the list is read again when it misses the zone.
void TFrconsolidate_load::SelectZone(qint64 zoneId) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int i = EZone->findData(zoneId);
    if (i >= 0) {
      const QSignalBlocker block(EZone);
      EZone->setCurrentIndex(i);
      DGetZoneCus.moveTo(i);
      return;
    }
    if (attempt == 0) ReadZones();
  }
}

// ---- Show, New, opening a document ----------------------------------------------------------

void TFrconsolidate_load::FormShow(QObject* sender) {
  TFrForm::FormShow(sender);
  AcNewExecute(this);
  setWindowTitle((DMConfig ? DMConfig->MenuCaption : QString()) + QStringLiteral(" [") + QString::fromLatin1(kVersion) +
                 QStringLiteral("]"));
}

void TFrconsolidate_load::AcNewExecute(QObject* sender) {
  TFrForm::AcNewExecute(sender);
  // The number of the document just saved stays in the status bar until the next one is begun.
  if (!keepStatus_) ClearStatus();
  ShowCancelled(false);
  Guarded([&] {
    OpenedDocNo.clear();
    OpenedZoneId = 0;
    ReadZones();
    EZone->setEnabled(true);
    AcSave->setEnabled(true);
    BLoad->setEnabled(true);
    AcDel->setEnabled(true);
    FaGetDocNo1->setEnabled(true);
    FaGetDocNo1->DocNo->setEnabled(true);
    FaGetDocNo1->DocNo->setFocus();
    OpenQuery(QString());
  });
}

void TFrconsolidate_load::OpenQuery(const QString& docNo) {
  QselectGrid.close();
  QselectGrid.params.setText(QStringLiteral("DocNo"), docNo);
  QselectGrid.open();
  IsNewBill = QselectGrid.isEmpty();
  QselectGrid.first();
  Responsible->setText(IsNewBill ? QString() : QselectGrid.asString(QStringLiteral("Responsible")));
  Remark->setText(IsNewBill ? QString() : QselectGrid.asString(QStringLiteral("Remark")));
  DselectGrid.reset();
}

void TFrconsolidate_load::FaGetDocNo1DocNoExit(QObject*) {
  Guarded([&] {
    const QString typed = FaGetDocNo1->DocNo->text().trimmed();
    OpenQuery(typed);
    if (IsNewBill) {
      OpenedDocNo.clear();
      OpenedZoneId = 0;
      // A number that matches no document starts a new one; the clerk is told why the field emptied.
      if (!typed.isEmpty()) SetStatusText(QStringLiteral("ไม่พบเอกสารเลขที่ ") + typed);
    } else {
      // The document keeps its number and its zone.
      OpenedDocNo = QselectGrid.asString(QStringLiteral("Docno"));
      OpenedZoneId = QselectGrid.asInt(QStringLiteral("CustomerZone"));
      // What a save will compare with.
      QBillAsStored.close();
      QBillAsStored.params.setText(QStringLiteral("Docno"), OpenedDocNo);
      QBillAsStored.open();
      openedRows_ = QBillAsStored;
      QBillAsStored.close();
      SelectZone(OpenedZoneId);
    }
    EZone->setEnabled(IsNewBill);
    FaGetDocNo1->DocNo->setEnabled(false);
    BLoad->setEnabled(IsNewBill);
    AcSave->setEnabled(true);
    AcDel->setEnabled(true);
  });
}

void TFrconsolidate_load::FaGetDocNo1BtSearchClick(QObject*) {
  Guarded([&] {
    TFrSearchconsolidate_Load dlg(this);
    dlg.KeyFieldName = QStringLiteral("DocNo");
    if (dlg.ShowModal() != QDialog::Accepted) return;
    FaGetDocNo1->DocNo->setFocus();
    FaGetDocNo1->DocNo->setText(dlg.ResultKey);
  });
}

void TFrconsolidate_load::FaGetDocNo1DocNoKeyDown(QObject*, int& key, Qt::KeyboardModifiers) {
  if (key != Qt::Key_F5) return;
  key = 0;
  FaGetDocNo1BtSearchClick(FaGetDocNo1);
}

// ---- Load -----------------------------------------------------------------------------------

void TFrconsolidate_load::BLoadClick(QObject*) {
  Guarded([&] {
    QGetGrid.close();
    QGetGrid.params.setInt(QStringLiteral("Zone"), SelectedZoneId());
    QGetGrid.open();
    if (QGetGrid.isEmpty())
      SetStatusText(QStringLiteral("ไม่พบใบกำกับสินค้าที่ค้างชำระของเขต ") + EZone->currentText());
    else
      SetStatusText(QStringLiteral("พบใบกำกับสินค้าที่ค้างชำระ %1 ใบ").arg(QGetGrid.rowCount()));
    EZone->setEnabled(false);
    // Loaded invoices have no date of their own: they start on the server's date, which the date
    // frame then edits for the whole document.
    const QDateTime today(DM->ServerTime().date(), QTime(0, 0));
    const char* const copied[] = {"ID", "Chk", "IvNo", "ivDate", "DueDate", "Total", "TotalRcpt"};
    QVector<int> from, to;
    for (const char* name : copied) {
      from.push_back(QGetGrid.findColumn(QLatin1String(name)));
      to.push_back(QselectGrid.findColumn(QLatin1String(name)));
    }
    const int cDate = QselectGrid.findColumn(QStringLiteral("DocDate"));
    for (int r = 0; r < QGetGrid.rowCount(); ++r) {
      const int row = QselectGrid.append();
      for (int k = 0; k < from.size(); ++k) QselectGrid.setValueAt(row, to[k], QGetGrid.at(r, from[k]));
      QselectGrid.setValueAt(row, cDate, today);
    }
    QGetGrid.close();
    QselectGrid.first();
    DselectGrid.reset();
    // One document is loaded once.
    BLoad->setEnabled(false);
  });
}

// ---- The document date ----------------------------------------------------------------------

QDate TFrconsolidate_load::DocumentDate() {
  const int c = QselectGrid.columnIndex(QStringLiteral("DocDate"));
  const int row = DselectGrid.currentRow();
  if (c >= 0 && row >= 0 && row < QselectGrid.rowCount()) {
    const QDateTime d = db::toDateTime(QselectGrid.at(row, c));
    if (d.isValid()) return d.date();
  }
  return DM->ServerTime().date();
}

void TFrconsolidate_load::RememberShownDate() {
  const int c = QselectGrid.columnIndex(QStringLiteral("DocDate"));
  const int row = DselectGrid.currentRow();
  shownDate_ = c >= 0 && row >= 0 && row < QselectGrid.rowCount() ? QselectGrid.at(row, c) : QVariant();
}

void TFrconsolidate_load::DocDateFollow(int row) {
  if (spreading_ || row < 0 || row != DselectGrid.currentRow() || row >= QselectGrid.rowCount()) return;
  const int c = QselectGrid.columnIndex(QStringLiteral("DocDate"));
  if (c < 0) return;
  const QVariant date = QselectGrid.at(row, c);
  if (db::toDateTime(date) == db::toDateTime(shownDate_)) return;
  shownDate_ = date;
  spreading_ = true;
  for (int r = 0; r < QselectGrid.rowCount(); ++r)
    if (r != row) QselectGrid.setValueAt(r, c, date);
  spreading_ = false;
}

// ---- Saving ---------------------------------------------------------------------------------

void TFrconsolidate_load::writeDocument(const QString& docNo, const QDate& docDate, qint64 zoneId) {
  const int cId = QselectGrid.findColumn(QStringLiteral("ID"));
  const int cChk = QselectGrid.findColumn(QStringLiteral("Chk"));
  const int cDocNo = QselectGrid.findColumn(QStringLiteral("Docno"));
  const int cDate = QselectGrid.findColumn(QStringLiteral("DocDate"));
  const int cIvNo = QselectGrid.findColumn(QStringLiteral("IvNo"));
  const auto& rows = QselectGrid.rows();

  // A saved document: its rows on screen are replaced by the ticked ones.
  if (!IsNewBill) {
    for (const auto& row : rows) {
      if (row[cDocNo].toString().trimmed().isEmpty()) continue;
      QDelMoneyBillRow.params.clear();
      QDelMoneyBillRow.params.setText(QStringLiteral("Docno"), docNo);
      QDelMoneyBillRow.params.setInt(QStringLiteral("BillDocId"), row[cId].toLongLong());
      QDelMoneyBillRow.execSql();
    }
  }

  QSet<qint64> written;
  for (const auto& row : rows) {
    if (row[cChk].toString() != QLatin1String("Y")) continue;
    const qint64 invoice = row[cId].toLongLong();
    if (written.contains(invoice)) continue;  // an invoice is listed once per document
    written.insert(invoice);
    QDateTime rowDate = dateOnly(row[cDate]);
    if (!rowDate.isValid()) rowDate = QDateTime(docDate, QTime(0, 0));
    db::Params& p = QAddMoneyBill.params;
    p.clear();
    p.setText(QStringLiteral("Docno"), docNo);
    p.setDateTime(QStringLiteral("DocDate"), rowDate);
    p.setInt(QStringLiteral("CustomerZone"), zoneId);
    p.setText(QStringLiteral("Responsible"), Responsible->text());
    p.setText(QStringLiteral("Remark"), Remark->text());
    p.setInt(QStringLiteral("BillDocId"), invoice);
    if (QAddMoneyBill.execSql() != 1)
      throw db::Error(QStringLiteral("MoneyBill: invoice %1 (Id %2) no longer exists").arg(row[cIvNo].toString().trimmed()).arg(invoice));
  }
}

QStringList TFrconsolidate_load::changesSinceOpened() {
  QBillAsStored.close();
  QBillAsStored.params.setText(QStringLiteral("Docno"), OpenedDocNo);
  QBillAsStored.open();
  const db::Result now = QBillAsStored;
  QBillAsStored.close();
  QStringList changes;
  if (now.isEmpty()) return {QStringLiteral("เอกสารไม่มีอยู่ในฐานข้อมูลแล้ว")};
  const int cId = now.findColumn(QStringLiteral("Id"));
  const int cDel = now.findColumn(QStringLiteral("Delflag"));
  QHash<qint64, int> nowRow;
  for (int r = 0; r < now.rowCount(); ++r) nowRow.insert(now.at(r, cId).toLongLong(), r);
  const int wId = openedRows_.findColumn(QStringLiteral("Id"));
  const int wDel = openedRows_.findColumn(QStringLiteral("Delflag"));
  int added = 0, removed = 0, edited = 0;
  bool deleted = false;
  QSet<qint64> seen;
  for (int r = 0; r < openedRows_.rowCount(); ++r) {
    const qint64 id = openedRows_.at(r, wId).toLongLong();
    seen.insert(id);
    const auto it = nowRow.constFind(id);
    if (it == nowRow.constEnd()) {
      ++removed;
      continue;
    }
    if (!db::sameStoredValue(openedRows_.at(r, wDel), now.at(*it, cDel))) {
      deleted = deleted || now.at(*it, cDel).toString().trimmed() == QLatin1String("Y");
      if (now.at(*it, cDel).toString().trimmed() != QLatin1String("Y")) ++edited;
      continue;
    }
    for (int c = 0; c < now.columns().size(); ++c) {
      const int wc = openedRows_.columnIndex(now.columns()[c]);
      if (wc < 0 || !db::sameStoredValue(openedRows_.at(r, wc), now.at(*it, c))) {
        ++edited;
        break;
      }
    }
  }
  for (auto it = nowRow.constBegin(); it != nowRow.constEnd(); ++it)
    if (!seen.contains(it.key())) ++added;
  if (deleted) changes << QStringLiteral("เอกสารถูกยกเลิกแล้ว");
  if (added) changes << QStringLiteral("มีรายการ Invoice เพิ่ม %1 รายการ").arg(added);
  if (removed) changes << QStringLiteral("รายการ Invoice ถูกลบ %1 รายการ").arg(removed);
  if (edited) changes << QStringLiteral("รายการถูกแก้ไข %1 รายการ").arg(edited);
  return changes;
}

QString TFrconsolidate_load::changedRefusal(const QStringList& changes) const {
  QString text = QStringLiteral("เอกสารเลขที่ %1 ถูกแก้ไขจากเครื่องอื่นหลังจากเปิดเอกสารนี้ จึงไม่ได้บันทึก").arg(OpenedDocNo.trimmed());
  for (const QString& c : changes) text += QStringLiteral("\r\n") + c;
  text += QStringLiteral("\r\nกรุณาเปิดเอกสารใหม่อีกครั้ง");
  return text;
}

bool TFrconsolidate_load::SaveBill() {
  db::Connection& conn = dataConnection();
  QString docNo;
  QDate docDate;
  QString refusal;
  try {
    docDate = DocumentDate();
    conn.startTransaction();
    if (IsNewBill) {
      // A new document never joins a stored one.
      docNo = DM->NewDocumentNo(QString::fromLatin1(kDocumentCode), docDate).trimmed();
      if (docNo.isEmpty()) {
        refusal = QStringLiteral("ไม่ได้รับเลขที่เอกสารจากชุดเลขที่ MONEYBILL จึงไม่ได้บันทึก\r\nกรุณาตรวจสอบการตั้งเลขที่เอกสาร");
      } else {
        QBillNoStored.close();
        QBillNoStored.params.setText(QStringLiteral("Docno"), docNo);
        QBillNoStored.open();
        if (QBillNoStored.asInt(QStringLiteral("Stored")) > 0)
          refusal = QStringLiteral("เลขที่เอกสาร %1 มีอยู่แล้ว จึงไม่ได้บันทึก\r\nกรุณาตรวจสอบการตั้งเลขที่เอกสาร MONEYBILL").arg(docNo);
        QBillNoStored.close();
      }
    } else {
      docNo = OpenedDocNo;
      const QStringList changes = changesSinceOpened();
      if (!changes.isEmpty()) refusal = changedRefusal(changes);
    }
    if (refusal.isEmpty()) {
      writeDocument(docNo, docDate, IsNewBill ? SelectedZoneId() : OpenedZoneId);
      conn.commit();
    } else {
      conn.rollback();
    }
  } catch (...) {
    conn.rollback();
    data::HandleException(this, std::current_exception());
    return false;
  }
  if (!refusal.isEmpty()) {
    prompts::message(refusal);
    return false;
  }
  LastDocNo = docNo;
  LastDocYear = docDate.year();
  return true;
}

void TFrconsolidate_load::PrintDocument(const QString& docNo, int docYear) {
  TFrDocPrintForm& print = TFrDocPrintForm::Instance();
  print.DocNo = docNo;
  print.DocYear = docYear;
  print.PrintCode = QString::fromLatin1(kDocumentCode);
  printedFiles_.clear();
  print.ShowModal();
  printedFiles_ = print.SavedFilesText();
}

void TFrconsolidate_load::AcSaveExecute(QObject*) {
  if (!SaveBill()) return;
  const QString saved = QStringLiteral("บันทึกใบเก็บเงินเลขที่ ") + LastDocNo.trimmed() + QStringLiteral(" แล้ว");
  ShowStatus(saved);
  printedFiles_.clear();
  Guarded([&] { PrintDocument(LastDocNo, LastDocYear); });
  // A document printed into a file says where it went.
  ShowStatus(printedFiles_.isEmpty() ? saved : saved + QStringLiteral(" - ") + printedFiles_);
  keepStatus_ = true;
  AcNewExecute(this);
  keepStatus_ = false;
}

void TFrconsolidate_load::ShowCancelled(bool cancelled) {
  LCancelled->setVisible(cancelled);
  // The caption says it too while the cancelled document is open.
  QString title = windowTitle();
  const QString mark = QStringLiteral(" - ยกเลิกแล้ว");
  if (title.endsWith(mark)) title.chop(mark.size());
  setWindowTitle(cancelled ? title + mark : title);
}

void TFrconsolidate_load::AcDelExecute(QObject*) {
  // A new document has nothing stored to mark.
  if (IsNewBill || OpenedDocNo.isEmpty()) return;
  Guarded([&] {
    db::Connection& conn = dataConnection();
    QString refusal;
    try {
      conn.startTransaction();
      const QStringList changes = changesSinceOpened();
      if (changes.isEmpty()) {
        QDelMoneyBill.params.clear();
        QDelMoneyBill.params.setText(QStringLiteral("Delflag"), QStringLiteral("Y"));
        QDelMoneyBill.params.setText(QStringLiteral("Docno"), OpenedDocNo);
        QDelMoneyBill.execSql();
        conn.commit();
      } else {
        refusal = changedRefusal(changes);
        conn.rollback();
      }
    } catch (...) {
      conn.rollback();
      throw;
    }
    if (!refusal.isEmpty()) {
      prompts::message(refusal);
      return;
    }
    // The cancelled document stays on screen as cancelled; saving it again would bring it back.
    const int c = QselectGrid.findColumn(QStringLiteral("Delflag"));
    for (int r = 0; r < QselectGrid.rowCount(); ++r) QselectGrid.setValueAt(r, c, QStringLiteral("Y"));
    DselectGrid.reset();
    AcSave->setEnabled(false);
    AcDel->setEnabled(false);
    ShowCancelled(true);
    ShowStatus(QStringLiteral("ยกเลิกใบเก็บเงินเลขที่ ") + OpenedDocNo.trimmed() + QStringLiteral(" แล้ว"), true);
  });
}
