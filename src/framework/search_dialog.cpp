#include "search_dialog.h"

#include "window_size.h"
#include "search_dialog_sql.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QShowEvent>
#include <QVBoxLayout>

#include "data_module.h"
#include "error_reporter.h"
#include "modal.h"
#include "prompts.h"
#include "tool_images.h"

namespace {

db::Connection& dataConnection() {
  if (!DM) throw db::Error(QStringLiteral("The data module is not created"));
  return DM->DMdata;
}

const char* const kGridHint = "สีแดง : เอกสารยกเลิก\nสีน้ำเงิน : เอกสารรับ/จ่ายแล้ว";

}  // namespace

TFrSearch::TFrSearch(QWidget* parent)
    : QDialog(parent), QSearch(dataConnection()), DSearch(&QSearch), DelSQL(dataConnection()) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);  // no close box
  setWindowTitle(QStringLiteral("ค้นหา"));
  setFont(framework::FormFont(13));

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);

  PanelHeader = new QFrame(this);
  PanelHeader->setObjectName(QStringLiteral("PanelHeader"));
  PanelHeader->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  PanelHeader->setFixedHeight(32);
  auto* line = new QHBoxLayout(PanelHeader);
  line->setContentsMargins(6, 2, 6, 2);
  Label3 = new QLabel(QStringLiteral("รหัส"), PanelHeader);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Code = new widgets::UpperEdit(PanelHeader);
  Code->setObjectName(QStringLiteral("Code"));
  Code->setFixedWidth(120);
  // No number or code searched is longer; a longer text would only make the LIKE pattern too long
  // for the server.
  Code->setMaxLength(100);
  BtSearch = new QPushButton(framework::GlyphIcon(framework::Glyph::Search), QStringLiteral("ค้นหา"), PanelHeader);
  BtSearch->setObjectName(QStringLiteral("BtSearch"));
  BtSearch->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
  BtOk = new QPushButton(framework::GlyphIcon(framework::Glyph::Ok), QStringLiteral("เลือก"), PanelHeader);
  BtOk->setObjectName(QStringLiteral("BtOk"));
  BtCancel = new QPushButton(framework::GlyphIcon(framework::Glyph::Cancel), QStringLiteral("ไม่เลือก"), PanelHeader);
  BtCancel->setObjectName(QStringLiteral("BtCancel"));
  for (QPushButton* b : {BtSearch, BtOk, BtCancel}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  line->addWidget(Label3);
  line->addWidget(Code);
  line->addWidget(BtSearch);
  line->addStretch();
  line->addWidget(BtOk);
  line->addWidget(BtCancel);
  root->addWidget(PanelHeader);

  DgSearch = new widgets::DbGrid(this);
  DgSearch->setObjectName(QStringLiteral("DgSearch"));
  DgSearch->setReadOnly(true);
  DgSearch->setAlternatingRowColors(false);
  DgSearch->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DgSearch->setToolTip(QString::fromUtf8(kGridHint));
  DgSearch->setDataSource(&DSearch);
  DgSearch->RowBackground = [this](int row, bool selected) {
    QColor c;
    DgSearchGetCellParams(DgSearch, row, selected, c);
    return c;
  };
  root->addWidget(DgSearch, 1);

  connect(BtSearch, &QPushButton::clicked, this, data::Guarded(this, [this] { BtSearchClick(BtSearch); }));
  connect(BtOk, &QPushButton::clicked, this, data::Guarded(this, [this] { done(QDialog::Accepted); }));
  connect(BtCancel, &QPushButton::clicked, this, data::Guarded(this, [this] { done(QDialog::Rejected); }));
  connect(DgSearch, &QAbstractItemView::doubleClicked, this, data::Guarded(this, [this] { DgSearchDblClick(DgSearch); }));
  connect(DgSearch, &widgets::DbGrid::titleClicked, this,
          data::Guarded(this, [this](const QString& field) { DgSearchTitleBtnClick(DgSearch, field); }));
  connect(DgSearch, &widgets::DbGrid::mousePressed, this,
          data::Guarded(this, [this](Qt::MouseButton b, Qt::MouseButtons bs, Qt::KeyboardModifiers m) {
            DgSearchMouseDown(DgSearch, b, bs, m);
          }));

  keyPreview_ = new widgets::KeyPreview(this);
  keyPreview_->KeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers shift) {
    FormKeyDown(sender, key, shift);
  };
  keyPreview_->KeyPress = [this](QObject* sender, QChar& key) { FormKeyPress(sender, key); };

  SetClientSize(528, 279);
}

void TFrSearch::SetClientSize(int width, int height) {
  designSize_ = QSize(width, height);
  resize(designSize_);
}

int TFrSearch::ShowModal() { return widgets::ShowModal(*this); }

namespace framework {

QString PurgeBatch(const QString& table, qint64 id) {
  const QString idText = QString::number(id);
  const QString upper = table.trimmed().toUpper();
  QStringList batch;
  if (upper == QLatin1String("IVHD")) batch << QStringLiteral("Delete From IvShip Where IvHd=") + idText;
  if (upper == QLatin1String("SOHD")) batch << QStringLiteral("Delete From SoShip Where SoHd=") + idText;
  batch << QStringLiteral("Delete From ") + table + QStringLiteral(" Where Id=") + idText;
  return batch.join(QStringLiteral(";\n"));
}

QStringList SearchStatement::tsqlFor(const QString& typed) const {
  QStringList lines = tsql;
  if (filterLine >= 0 && filterLine < lines.size()) lines[filterLine] = TFrSearch::LikeFilter(filterLead, typed);
  return lines;
}

}  // namespace framework

QString TFrSearch::LikeFilter(const QString& lead, const QString& text) {
  if (text.isEmpty()) return QString();
  return lead + QStringLiteral(" Like '%") + db::likeEscaped(text) + QStringLiteral("%' Escape '\\'");
}

void TFrSearch::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (e->spontaneous()) return;
  FormShow(this);
  framework::FitWindow(this, designSize_);
  framework::CenterOnScreen(this);
}

void TFrSearch::FormShow(QObject*) {
  if (!framework::IsThai()) {
    QFont small = font();
    small.setPointSize(8);
    BtSearch->setText(QStringLiteral("Search"));
    BtOk->setText(QStringLiteral("Choose"));
    BtCancel->setText(QStringLiteral("Cancel"));
    for (QPushButton* b : {BtSearch, BtOk, BtCancel}) b->setFont(small);
    DgSearch->setToolTip(QString());
  }
  QSearch.close();
  DSearch.reset();
  Code->clear();
  Code->setFocus();
}

QString TFrSearch::DateOnlyText(const QVariant& value) {
  const QDateTime d = db::toDateTime(value);
  return d.isValid() ? widgets::displayText(QDateTime(d.date(), QTime(0, 0))) : value.toString();
}

void TFrSearch::OpenWithFilter(int line, const QString& filter) {
  QSearch.close();
  for (QStringList* lines : {&QSearch.sql, &QSearch.sqlSqlite})
    if (line >= 0 && line < lines->size()) (*lines)[line] = filter;
  QSearch.open();
  SearchOpened();
}

void TFrSearch::SearchOpened() {
  DSearch.reset();
  if (QSearch.active() && !QSearch.isEmpty()) {
    DgSearch->setFocus();
    QSearch.first();
    DSearch.cursorMoved();
    DgSearch->setCurrentIndex(DgSearch->model()->index(0, 0));
  }
}

void TFrSearch::BtSearchClick(QObject*) {
  QSearch.close();
  QSearch.open();
  SearchOpened();
}

void TFrSearch::FormKeyDown(QObject*, int& key, Qt::KeyboardModifiers) {
  QWidget* focused = focusWidget();
  const QString focusName = focused ? focused->objectName().toUpper() : QString();
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      key = 0;
      if (focusName == QLatin1String("DGSEARCH"))
        done(QDialog::Accepted);
      else
        BtSearchClick(this);
      break;
    case Qt::Key_Escape:
      key = 0;
      done(QDialog::Rejected);
      break;
    case Qt::Key_Down:
      if (focusName == QLatin1String("CODE")) DgSearch->setFocus();
      break;
    default:
      break;
  }
}

void TFrSearch::FormKeyPress(QObject*, QChar& key) {
  if (key == QChar('\r')) key = QChar();
}

void TFrSearch::DgSearchDblClick(QObject*) { done(QDialog::Accepted); }

void TFrSearch::done(int r) {
  if (closing_) return;
  closing_ = true;
  ModalResult = r;
  framework::CloseAction action = framework::CloseAction::Hide;
  try {
    FormClose(this, action);
  } catch (...) {
    closing_ = false;
    throw;
  }
  closing_ = false;
  if (action == framework::CloseAction::None) return;
  QDialog::done(ModalResult);
}

void TFrSearch::FormClose(QObject*, framework::CloseAction& action) {
  if (ModalResult == QDialog::Accepted && QSearch.active() && !QSearch.isEmpty() && !QSearch.eof()) {
    ResultKey = QSearch.asString(KeyFieldName);
    if (QSearch.columnIndex(QStringLiteral("DelFlag")) >= 0 && QSearch.asString(QStringLiteral("DelFlag")) == QLatin1String("Y")) {
      prompts::current().message(framework::IsThai() ? QStringLiteral("เอกสารถูกยกเลิกแล้ว") : QStringLiteral("Document Was Deleted"),
                                 prompts::Style::Info);
      if (QSearch.columnIndex(QStringLiteral("DelRemark")) >= 0)
        prompts::current().message(QStringLiteral("สาเหตุยกเลิก : ") + QSearch.asString(QStringLiteral("DelRemark")),
                                   prompts::Style::Info);
      ResultKey.clear();
      action = framework::CloseAction::None;
    }
    return;
  }
  ResultKey.clear();
  ModalResult = QDialog::Rejected;
}

void TFrSearch::DgSearchGetCellParams(QObject*, int row, bool highlight, QColor& background) {
  struct Rule {
    const char* column;
    const char* value;
    QColor colour;
  };
  static const Rule rules[] = {
      {"DelFlag", "Y", QColor(255, 0, 0)},
      {"Clear", "Y", QColor(0, 0, 255)},
      {"Active", "N", QColor(255, 0, 0)},
  };
  if (!QSearch.active() || row < 0 || row >= QSearch.rowCount()) return;
  // The first of the columns that the rows have decides alone.
  for (const Rule& rule : rules) {
    const int c = QSearch.columnIndex(QLatin1String(rule.column));
    if (c < 0) continue;
    if (QSearch.at(row, c).toString() == QLatin1String(rule.value))
      background = rule.colour;
    else
      background = highlight ? palette().color(QPalette::WindowText) : palette().color(QPalette::Window);
    return;
  }
}

bool TFrSearch::largeObjectField(int column) const {
  for (int r = 0; r < QSearch.rowCount(); ++r) {
    const QVariant& v = QSearch.at(r, column);
    if (v.isNull()) continue;
    return v.typeId() == QMetaType::QByteArray;
  }
  return false;
}

void TFrSearch::DgSearchTitleBtnClick(QObject*, const QString& field) {
  const QString upper = field.toUpper();
  if (upper == QLatin1String("REMARK") || upper == QLatin1String("MEMO")) return;
  // The position among the result's columns; a field the result does not hold (the list was never
  // searched) gives no ordering.
  const int position = QSearch.columnIndex(field);
  if (position < 0 || largeObjectField(position)) return;

  auto isOrderLine = [](const QString& l) { return l.toUpper().contains(QLatin1String("ORDER BY ")); };
  const bool hasOrderLine = std::any_of(QSearch.sql.begin(), QSearch.sql.end(), isOrderLine) ||
                            std::any_of(QSearch.sqlSqlite.begin(), QSearch.sqlSqlite.end(), isOrderLine);
  if (!hasOrderLine) return;

  // The direction is decided once per click, whatever the number of ordering lines.
  const SortMemory memory = SortMemoryOf();
  bool descending = false;
  if (upper == *memory.lastSortField) {
    descending = *memory.sortDescending;
    *memory.sortDescending = !*memory.sortDescending;
  } else {
    *memory.sortDescending = true;
  }
  *memory.lastSortField = upper;

  const QString order = QStringLiteral("Order By ") + QString::number(position + 1) +
                        (descending ? QStringLiteral(" Desc") : QString());
  for (QStringList* lines : {&QSearch.sql, &QSearch.sqlSqlite}) {
    for (QString& l : *lines) {
      const qsizetype at = l.toUpper().indexOf(QLatin1String("ORDER BY "));
      if (at >= 0) l = l.left(at) + order;
    }
  }
  TFrSearch::BtSearchClick(this);
}

bool TFrSearch::AskConfirm(const QString& message) { return prompts::current().confirm(message, prompts::Style::DataModule); }

void TFrSearch::DgSearchMouseDown(QObject*, Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift) {
  const Qt::KeyboardModifiers mods = shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (button != Qt::RightButton || buttons != Qt::RightButton || mods != (Qt::ShiftModifier | Qt::ControlModifier)) return;
  if (!QSearch.active() || QSearch.isEmpty() || QSearch.eof()) return;
  if (QSearch.columnIndex(QStringLiteral("Id")) < 0 || QSearch.columnIndex(QStringLiteral("Delflag")) < 0) return;
  const qint64 id = QSearch.asInt(QStringLiteral("Id"));
  if (id <= 0 || QSearch.asString(QStringLiteral("Delflag")) != QLatin1String("Y")) return;
  // Without a table the dialog offers no purge.
  const QString table = DelTableName.trimmed().toUpper();
  if (table.isEmpty()) return;
  if (!AskConfirm(QStringLiteral("Confirm Delete #1/2 ?"))) return;
  if (!AskConfirm(QStringLiteral("Confirm Delete #2/2 ?"))) return;

  // One batch, outside any transaction.
  DelSQL.sql = QStringList{framework::PurgeBatch(DelTableName, id)};
  DelSQL.execute();
  BtSearchClick(this);
}
