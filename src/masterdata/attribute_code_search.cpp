#include "attribute_code_search.h"

#include <QShowEvent>
#include <QMouseEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "customer_sql.h"
#include "data_module.h"

TFrSearchCusAttrCode::TFrSearchCusAttrCode(QWidget* parent) : QDialog(parent), QSearch(DM->DMdata) {
  setObjectName(QStringLiteral("FrSearchCusAttrCode"));
  setWindowTitle(QStringLiteral("ค้นหาคุณสมบัติลูกค้า"));
  Label1 = new QLabel(QStringLiteral("รายละเอียด"), this);
  Description = new QLineEdit(this);
  Description->setObjectName(QStringLiteral("Description"));
  FullWord = new QCheckBox(QStringLiteral("หาเต็มคำ"), this);
  BtOk = new QPushButton(QStringLiteral("เลือก"), this);
  BtCancel = new QPushButton(QStringLiteral("ไม่เลือก"), this);
  for (QPushButton* b : {BtOk, BtCancel}) b->setAutoDefault(false);
  DSearch = new widgets::DataSource(&QSearch, this);
  ListData = new widgets::DbGrid(this);
  ListData->setObjectName(QStringLiteral("ListData"));
  ListData->setDataSource(DSearch);
  ListData->setReadOnly(true);
  ListData->setColumns({masterdata::column(QStringLiteral("DESCRIPTION"), QStringLiteral("รายละเอียด"), 260),
                        masterdata::column(QStringLiteral("CODE"), QStringLiteral("รหัส"), 100)});

  auto* top = new QHBoxLayout;
  top->addWidget(Label1);
  top->addWidget(Description, 1);
  top->addWidget(FullWord);
  top->addWidget(BtOk);
  top->addWidget(BtCancel);
  auto* main = new QVBoxLayout(this);
  main->addLayout(top);
  main->addWidget(ListData, 1);
  resize(520, 360);

  connect(BtOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ListData, &QAbstractItemView::doubleClicked, this, &QDialog::accept);
  connect(Description, &QLineEdit::textChanged, this, [this] {
    if (isVisible()) Search();
  });
  preview_ = new widgets::KeyPreview(this);
  preview_->KeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers m) { FormKeyDown(sender, key, m); };
}

TFrSearchCusAttrCode* TFrSearchCusAttrCode::Instance() {
  static QPointer<TFrSearchCusAttrCode> instance;
  return masterdata::keptInstance(instance);
}

void TFrSearchCusAttrCode::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TFrSearchCusAttrCode::FormShow() {
  QSearch.setConnection(DM->DMdata);  // the instance outlives a data module in tests
  FullWord->setChecked(false);
  {
    const QSignalBlocker block(Description);
    Description->clear();
  }
  Search();
  if (!QSearch.isEmpty()) ListData->setFocus();
}

void TFrSearchCusAttrCode::Search() {
  QSearch.close();
  QSearch.sql = masterdata::cusAttrCodeSearchLines(AttrGroupId, Description->text(), FullWord->isChecked());
  QSearch.open();
  DSearch->reset();
  if (!QSearch.isEmpty()) DSearch->moveTo(0);
}

void TFrSearchCusAttrCode::FormKeyDown(QObject*, int& key, Qt::KeyboardModifiers) {
  masterdata::searchListKey(this, ListData, key, [this] { Search(); });
}

void TFrSearchCusAttrCode::done(int r) {
  ResultCode = (r == QDialog::Accepted && QSearch.active() && !QSearch.isEmpty() && !QSearch.eof())
                   ? QSearch.asString(QStringLiteral("Code")).trimmed()
                   : QString();
  QDialog::done(r);
}
