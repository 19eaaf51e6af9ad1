#include "salesman_search.h"

#include <QShowEvent>
#include <QMouseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "customer_sql.h"
#include "data_module.h"

namespace {
const QString kByCode = QStringLiteral("Order By S.Code");
}

TF_SearchSalesman::TF_SearchSalesman(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowTitleHint),
      QSearch(DM->DMdata) {
  setObjectName(QStringLiteral("F_SearchSalesman"));
  setWindowTitle(QStringLiteral("ค้นหาพนักงานขาย"));
  Label1 = new QLabel(QStringLiteral("รหัส"), this);
  Label2 = new QLabel(QStringLiteral("ชื่อ"), this);
  Label3 = new QLabel(QStringLiteral("นามสกุล"), this);
  SCode = new widgets::UpperEdit(this);
  SCode->setObjectName(QStringLiteral("SCode"));
  SCode->setMaxLength(10);
  SName = new QLineEdit(this);
  SName->setObjectName(QStringLiteral("SName"));
  SName->setMaxLength(30);
  SSurname = new QLineEdit(this);
  SSurname->setObjectName(QStringLiteral("SSurname"));
  SSurname->setMaxLength(30);
  BSearch = new QPushButton(QStringLiteral("ค้นหา"), this);
  BSearch->setFocusPolicy(Qt::NoFocus);
  DSearch = new widgets::DataSource(&QSearch, this);
  ListData = new widgets::DbGrid(this);
  ListData->setObjectName(QStringLiteral("ListData"));
  ListData->setDataSource(DSearch);
  ListData->setReadOnly(true);
  ListData->setColumns({masterdata::column(QStringLiteral("NAME"), QStringLiteral("ชื่อ"), 150),
                        masterdata::column(QStringLiteral("SURNAME"), QStringLiteral("นามสกุล"), 150),
                        masterdata::column(QStringLiteral("CODE"), QStringLiteral("รหัส"), 80),
                        masterdata::column(QStringLiteral("description"), QStringLiteral("ชื่อแผนก"), 150)});
  Bok = new QPushButton(QStringLiteral("เลือก"), this);
  BCancel = new QPushButton(QStringLiteral("ไม่เลือก"), this);
  for (QPushButton* b : {BSearch, Bok, BCancel}) b->setAutoDefault(false);

  auto* filters = new QGridLayout;
  filters->addWidget(Label1, 0, 0, Qt::AlignRight);
  filters->addWidget(SCode, 0, 1);
  filters->addWidget(Label2, 0, 2, Qt::AlignRight);
  filters->addWidget(SName, 0, 3);
  filters->addWidget(Label3, 0, 4, Qt::AlignRight);
  filters->addWidget(SSurname, 0, 5);
  filters->addWidget(BSearch, 0, 6);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Bok);
  buttons->addWidget(BCancel);
  auto* main = new QVBoxLayout(this);
  main->addLayout(filters);
  main->addWidget(ListData, 1);
  main->addLayout(buttons);
  resize(600, 360);

  connect(BSearch, &QPushButton::clicked, this, [this] { BSearchClick(); });
  connect(Bok, &QPushButton::clicked, this, &QDialog::accept);
  connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ListData, &QAbstractItemView::doubleClicked, this, &QDialog::accept);
  connect(ListData, &widgets::DbGrid::titleClicked, this, [this](const QString& field) { ListDataTitleClick(field); });
  preview_ = new widgets::KeyPreview(this);
  preview_->KeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers m) { FormKeyDown(sender, key, m); };
  preview_->KeyPress = [](QObject*, QChar& c) {
    if (c == QLatin1Char('\r')) c = QChar();
  };
  OrderLine = kByCode;
}

TF_SearchSalesman* TF_SearchSalesman::Instance() {
  static QPointer<TF_SearchSalesman> instance;
  return masterdata::keptInstance(instance);
}

void TF_SearchSalesman::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TF_SearchSalesman::FormShow() {
  QSearch.setConnection(DM->DMdata);  // the instance outlives a data module in tests
  OrderLine = kByCode;
  SCode->clear();
  SName->clear();
  SSurname->clear();
  QSearch.close();
  DSearch->reset();
  SName->setFocus();
}

void TF_SearchSalesman::BSearchClick() {
  QSearch.close();
  QSearch.sql = masterdata::salesmanSearchLines(SCode->text(), SName->text(), SSurname->text(), OrderLine);
  QSearch.open();
  DSearch->reset();
  if (!QSearch.isEmpty()) {
    ListData->setFocus();
    DSearch->moveTo(0);
  }
}

void TF_SearchSalesman::ListDataTitleClick(const QString& field) {
  const QString f = field.toUpper();
  if (f == QLatin1String("CODE")) OrderLine = QStringLiteral("Order By S.Code");
  else if (f == QLatin1String("NAME")) OrderLine = QStringLiteral("Order By S.Name");
  else if (f == QLatin1String("SURNAME")) OrderLine = QStringLiteral("Order By S.SurName");
  else if (f == QLatin1String("DESCRIPTION")) OrderLine = QStringLiteral("Order By M.Description");
}

void TF_SearchSalesman::FormKeyDown(QObject*, int& key, Qt::KeyboardModifiers) {
  masterdata::searchListKey(this, ListData, key, [this] { BSearchClick(); });
}

void TF_SearchSalesman::mouseDoubleClickEvent(QMouseEvent* e) {
  QDialog::mouseDoubleClickEvent(e);
  accept();
}

void TF_SearchSalesman::done(int r) {
  ResultCode = (r == QDialog::Accepted && QSearch.active() && !QSearch.eof()) ? QSearch.asString(QStringLiteral("Code")).trimmed()
                                                                              : QString();
  QDialog::done(r);
}
