#include "code_search.h"

#include <QShowEvent>
#include <QMouseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "customer_sql.h"
#include "data_module.h"

QString TF_SearchMisc::LastSortField;
bool TF_SearchMisc::SortDescending = false;

TF_SearchMisc::TF_SearchMisc(QWidget* parent) : QDialog(parent), QSearch(DM->DMdata) {
  setObjectName(QStringLiteral("F_SearchMisc"));
  Label1 = new QLabel(QStringLiteral("รายละเอียด"), this);
  EnterString = new QLineEdit(this);
  EnterString->setObjectName(QStringLiteral("EnterString"));
  EnterString->setMaxLength(100);  // Misc.Description; a longer pattern is too long for the server
  Bok = new QPushButton(QStringLiteral("เลือก"), this);
  BCancel = new QPushButton(QStringLiteral("ไม่เลือก"), this);
  for (QPushButton* b : {Bok, BCancel}) b->setAutoDefault(false);
  DSearch = new widgets::DataSource(&QSearch, this);
  ListData = new widgets::DbGrid(this);
  ListData->setObjectName(QStringLiteral("ListData"));
  ListData->setDataSource(DSearch);
  ListData->setReadOnly(true);
  ListData->verticalHeader()->setVisible(true);  // the row indicator
  ListData->setColumns({masterdata::column(QStringLiteral("description"), QStringLiteral("รายละเอียด"), 260),
                        masterdata::column(QStringLiteral("code"), QStringLiteral("รหัส"), 100)});
  QSearch.sql = masterdata::miscSearchLines();

  auto* top = new QHBoxLayout;
  top->addWidget(Label1);
  top->addWidget(EnterString, 1);
  top->addWidget(Bok);
  top->addWidget(BCancel);
  auto* main = new QVBoxLayout(this);
  main->addLayout(top);
  main->addWidget(ListData, 1);
  resize(480, 360);

  connect(Bok, &QPushButton::clicked, this, &QDialog::accept);
  connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ListData, &QAbstractItemView::doubleClicked, this, &QDialog::accept);
  connect(ListData, &widgets::DbGrid::titleClicked, this, [this](const QString& field) { ListDataTitleBtnClick(field); });
  preview_ = new widgets::KeyPreview(this);
  preview_->KeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers m) { FormKeyDown(sender, key, m); };
}

void TF_SearchMisc::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TF_SearchMisc::FormShow() {
  EnterString->clear();
  Search();
  EnterString->setFocus();
}

void TF_SearchMisc::Search() {
  QSearch.close();
  QSearch.params.setText(QStringLiteral("InputGroup"), MiscGroupCode);
  // The typed text is matched as ordinary characters (the statement's LIKE has an escape).
  QSearch.params.setText(QStringLiteral("InputName"), db::likeContains(EnterString->text()));
  QSearch.open();
  DSearch->reset();
  if (!QSearch.isEmpty()) {
    ListData->setFocus();
    DSearch->moveTo(0);
  }
}

void TF_SearchMisc::ListDataTitleBtnClick(const QString& field) {
  const QString f = field.toUpper();
  if (f == QLatin1String("REMARK") || f == QLatin1String("REFERENCE") || f == QLatin1String("MEMO")) return;
  // The position among the result columns, 1-based.
  int n = 0;
  if (QSearch.active()) n = QSearch.columnIndex(field) + 1;
  if (n <= 0) {
    const QString select = QSearch.sql.value(0);
    const QStringList cols = select.mid(select.indexOf(QLatin1Char(' ')) + 1)
                                 .section(QStringLiteral(" From "), 0, 0, QString::SectionCaseInsensitiveSeps)
                                 .split(QLatin1Char(','));
    for (int i = 0; i < cols.size(); ++i)
      if (cols[i].trimmed().compare(field, Qt::CaseInsensitive) == 0) n = i + 1;
  }
  if (n <= 0) return;
  for (QString& line : QSearch.sql) {
    const int at = line.toUpper().indexOf(QLatin1String("ORDER BY "));
    if (at < 0) continue;
    line = line.left(at) + QStringLiteral("Order By ") + QString::number(n);
    if (f == LastSortField) {
      if (SortDescending) line += QStringLiteral(" Desc");
      SortDescending = !SortDescending;
    } else {
      SortDescending = true;
    }
  }
  LastSortField = f;
  Search();
}

void TF_SearchMisc::FormKeyDown(QObject*, int& key, Qt::KeyboardModifiers) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      key = 0;
      if (ListData->hasFocus()) {
        accept();
      } else {
        // Enter in the search text searches; anywhere outside the grid it then moves to the grid.
        if (EnterString->hasFocus()) Search();
        ListData->setFocus();
      }
      break;
    case Qt::Key_Escape:
      key = 0;
      reject();
      break;
    case Qt::Key_Down:
      if (EnterString->hasFocus()) {
        key = 0;
        ListData->setFocus();
      }
      break;
    default:
      break;
  }
}

void TF_SearchMisc::done(int r) {
  if (r == QDialog::Accepted && QSearch.active() && !QSearch.isEmpty() && !QSearch.eof()) {
    ResultCode = QSearch.asString(QStringLiteral("Code")).trimmed();
    ResultDescription = QSearch.asString(QStringLiteral("Description"));
  } else {
    ResultCode.clear();
    ResultDescription.clear();
  }
  QDialog::done(r);
}
