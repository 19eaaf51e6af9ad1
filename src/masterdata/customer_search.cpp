#include "customer_search.h"

#include "customer_sql.h"

#include <QShowEvent>
#include <QMouseEvent>
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "data_module.h"
#include "config_module.h"

namespace masterdata {

CustomerSearchDialog::CustomerSearchDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowTitleHint),
      QNull(DM->DMdata),
      QSearch(DM->DMdata) {
  setWindowTitle(QStringLiteral("ค้นหาลูกค้า/สมาชิก"));
  BtSearch = new QPushButton(QStringLiteral("ค้นหา"), this);
  BtSearch->setObjectName(QStringLiteral("BtSearch"));
  BtSearch->setFocusPolicy(Qt::NoFocus);
  Btok = new QPushButton(QStringLiteral("เลือก"), this);
  Btok->setObjectName(QStringLiteral("Btok"));
  BtCancel = new QPushButton(QStringLiteral("ไม่เลือก"), this);
  BtCancel->setObjectName(QStringLiteral("BtCancel"));
  for (QPushButton* b : {BtSearch, Btok, BtCancel}) b->setAutoDefault(false);

  FaSelectCustomerAttr1 = new TFaSelectCustomerAttr(this);
  FaSelectCustomerAttr1->setObjectName(QStringLiteral("FaSelectCustomerAttr1"));
  FaSelectCustomerAttr1->setMinimumHeight(110);

  auto field = [this](const QString& name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(60);
    return e;
  };
  Label1 = new QLabel(QStringLiteral("รหัสลูกค้า"), this);
  Label2 = new QLabel(QStringLiteral("โทรศัพท์"), this);
  Label3 = new QLabel(QStringLiteral("แฟกซ์"), this);
  Label4 = new QLabel(QStringLiteral("ชื่อลูกค้า (ไทย)"), this);
  Label5 = new QLabel(QStringLiteral("ชื่อลูกค้า (อังกฤษ)"), this);
  CustomerCode = field(QStringLiteral("CustomerCode"));
  PhoneNo = field(QStringLiteral("PhoneNo"));
  Fax = field(QStringLiteral("Fax"));
  CustomerName = field(QStringLiteral("CustomerName"));
  CustomerNameEng = field(QStringLiteral("CustomerNameEng"));

  // The salesman and province frames are filter inputs: their codes are set only through their
  // search buttons, and their ids land in the filter record.
  QNull.sql = masterdata::nullRowLines();
  DNull = new widgets::DataSource(&QNull, this);
  FaGetSalesman1 = new TFaGetSalesman(this);
  FaGetSalesman1->setObjectName(QStringLiteral("FaGetSalesman1"));
  FaGetSalesman1->Salesman->setEnabled(false);
  FaGetSalesman1->Salesman->setDataSource(DNull, QStringLiteral("SalesId"));
  FaGetSalesman1->Salesman->setAllowEmpty(true);
  FaGetSalesman1->SalesmanName->setText(QString());
  FaGetProvince1 = new TFaGetProvince(this);
  FaGetProvince1->setObjectName(QStringLiteral("FaGetProvince1"));
  FaGetProvince1->Province->setEnabled(false);
  FaGetProvince1->Province->setDataSource(DNull, QStringLiteral("ProvinceId"));
  FaGetProvince1->ProvinceName->setText(QString());

  DSearch = new widgets::DataSource(&QSearch, this);
  ListData = new widgets::DbGrid(this);
  ListData->setObjectName(QStringLiteral("ListData"));
  ListData->setDataSource(DSearch);
  ListData->setReadOnly(true);
  ListData->setColumns({column(QStringLiteral("Name"), QStringLiteral("ชื่อลูกค้า (ไทย)"), 200),
                        column(QStringLiteral("Code"), QStringLiteral("รหัส"), 90),
                        column(QStringLiteral("SalesName"), QStringLiteral("นักงานขาย"), 140),
                        column(QStringLiteral("Description"), QStringLiteral("ที่อยู่-จังหวัด"), 260),
                        column(QStringLiteral("NameEng"), QStringLiteral("ชื่อลูกค้า (อังกฤษ)"), 180),
                        column(QStringLiteral("PhoneNO"), QStringLiteral("โทรศัพท์"), 100),
                        column(QStringLiteral("FaxNO"), QStringLiteral("แฟกซ์"), 100)});

  auto* filters = new QGridLayout;
  filters->addWidget(Label1, 0, 0, Qt::AlignRight);
  filters->addWidget(CustomerCode, 0, 1);
  filters->addWidget(Label2, 0, 2, Qt::AlignRight);
  filters->addWidget(PhoneNo, 0, 3);
  filters->addWidget(Label3, 0, 4, Qt::AlignRight);
  filters->addWidget(Fax, 0, 5);
  filters->addWidget(Label4, 1, 0, Qt::AlignRight);
  filters->addWidget(CustomerName, 1, 1, 1, 3);
  filters->addWidget(Label5, 2, 0, Qt::AlignRight);
  filters->addWidget(CustomerNameEng, 2, 1, 1, 3);
  filters->addWidget(FaGetSalesman1, 3, 0, 1, 4);
  filters->addWidget(FaGetProvince1, 4, 0, 1, 4);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(BtSearch);
  buttons->addWidget(Btok);
  buttons->addWidget(BtCancel);
  buttons->addStretch();
  auto* left = new QVBoxLayout;
  left->addWidget(FaSelectCustomerAttr1);
  left->addLayout(filters);
  auto* top = new QHBoxLayout;
  top->addLayout(left, 1);
  top->addLayout(buttons);
  auto* main = new QVBoxLayout(this);
  main->addLayout(top);
  main->addWidget(ListData, 1);
  resize(820, 560);

  connect(BtSearch, &QPushButton::clicked, this, [this] { BtSearchClick(); });
  connect(Btok, &QPushButton::clicked, this, &QDialog::accept);
  connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ListData, &QAbstractItemView::doubleClicked, this, &QDialog::accept);
  connect(ListData, &widgets::DbGrid::titleClicked, this,
          [this](const QString& field) { ListDataTitleClick(ListData->resultModel()->columnOf(field)); });
  CustomerName->installEventFilter(this);
  preview_ = new widgets::KeyPreview(this);
  preview_->KeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers m) { FormKeyDown(sender, key, m); };
  preview_->KeyPress = [](QObject*, QChar& c) {
    if (c == QLatin1Char('\r')) c = QChar();  // the carriage return never reaches a control
  };
  // Enter and Escape belong to the attribute grid while it has the focus.
  connect(FaSelectCustomerAttr1, &TFaSelectCustomerAttr::gridEntered, this, [this] { preview_->enabled = false; });
  connect(FaSelectCustomerAttr1, &TFaSelectCustomerAttr::gridExited, this, [this] { preview_->enabled = true; });
}

void CustomerSearchDialog::SetConnection(db::Connection& c) {
  FaSelectCustomerAttr1->QCusAttrGroup.setConnection(c);
  FaGetSalesman1->QSalesman.setConnection(c);
  QSearch.setConnection(c);
  QNull.setConnection(c);
}

void CustomerSearchDialog::CloseQueries() {
  FaSelectCustomerAttr1->CloseGroups();
  FaGetSalesman1->QSalesman.close();
  QSearch.close();
  DSearch->reset();
  QNull.close();
  DNull->reset();
}

void CustomerSearchDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

namespace {
void setTitles(widgets::DbGrid* grid, const QStringList& titles) {
  QVector<widgets::GridColumn> cs = grid->columns();
  for (int i = 0; i < titles.size() && i < cs.size(); ++i) cs[i].title = titles[i];
  grid->setColumns(cs);
}
}  // namespace

void CustomerSearchDialog::ApplyEnglish() {
  setTitles(FaSelectCustomerAttr1->DgSelectCusAttr,
            {QStringLiteral("Customer Attribute"), QStringLiteral("From Code"), QStringLiteral("To Code")});
  Label1->setText(QStringLiteral("Customer"));
  Label2->setText(QStringLiteral("Phone"));
  Label4->setText(QStringLiteral("ThaiName"));
  Label5->setText(QStringLiteral("EngName"));
  FaGetSalesman1->Label21->setText(QStringLiteral("SalesPerson"));
  FaGetProvince1->Label2->setText(QStringLiteral("Province"));
  setTitles(ListData, {QStringLiteral("Thai Name"), QStringLiteral("Code"), QStringLiteral("Sales"),
                       QStringLiteral("Address"), QStringLiteral("Eng Name")});
  BtSearch->setText(QStringLiteral("Search"));
  Btok->setText(QStringLiteral("Choose"));
  BtCancel->setText(QStringLiteral("Cancel"));
}

void CustomerSearchDialog::FormShow() {
  if (DMConfig && !DMConfig->IsThai) ApplyEnglish();
  SortPosition = 0;
  FaSelectCustomerAttr1->OpenGroups();
  FaGetSalesman1->Salesman->setLookupDatabase(&DM->DMdata);
  FaGetProvince1->Province->setLookupDatabase(&DM->DMdata);
  QNull.close();
  QNull.open();
  if (QNull.isEmpty()) QNull.append();  // the record the frames write into, even without a NullTable row
  QNull.first();
  DNull->reset();  // the frames show the record's (empty) salesman and province
  FaGetSalesman1->SalesmanName->setText(QString());
  FaGetProvince1->ProvinceName->setText(QString());
  QSearch.close();
  DSearch->reset();
  CustomerName->setFocus();
  QString last;
  if (DM) {
    if (!DM->QConfig.active()) DM->QConfig.open();
    if (DM->QConfig.asString(QStringLiteral("ShowLastSearch")) == QLatin1String("Y")) last = DM->LastCustomerSearchText;
  }
  CustomerName->setText(last);
}

CustomerSearchFilter CustomerSearchDialog::Filter() const {
  CustomerSearchFilter f;
  f.provinceCode = FaGetProvince1->Province->text();
  f.salesmanCode = FaGetSalesman1->Salesman->text();
  f.customerCode = CustomerCode->text();
  f.phone = PhoneNo->text();
  f.fax = Fax->text();
  f.name = CustomerName->text();
  f.nameEng = CustomerNameEng->text();
  f.includeBlocked = IncludeBlocked;
  f.attrRanges = FaSelectCustomerAttr1->Ranges();
  f.sortPosition = SortPosition;
  return f;
}

void CustomerSearchDialog::BtSearchClick() {
  // A code being typed into the attribute grid counts.
  FaSelectCustomerAttr1->CodeDelegate()->finishEditing();
  if (DM) DM->LastCustomerSearchText = CustomerName->text();
  QSearch.close();
  QSearch.sql = customerSearchLines(Filter(), QSearch.connection().dialect());
  QSearch.open();
  DSearch->reset();
  if (!QSearch.isEmpty()) {
    ListData->setFocus();
    DSearch->moveTo(0);
  }
}

void CustomerSearchDialog::ListDataTitleClick(int column) {
  SortPosition = column;
  BtSearchClick();
}

void CustomerSearchDialog::FormKeyDown(QObject*, int& key, Qt::KeyboardModifiers) {
  masterdata::searchListKey(this, ListData, key, [this] { BtSearchClick(); });
}

bool CustomerSearchDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == CustomerName && event->type() == QEvent::FocusOut && DM)
    DM->LastCustomerSearchText = CustomerName->text();
  return QDialog::eventFilter(watched, event);
}

void CustomerSearchDialog::done(int r) {
  if (r == QDialog::Accepted && QSearch.active() && !QSearch.isEmpty() && !QSearch.eof()) {
    ResultCode = QSearch.asString(QStringLiteral("CODE")).trimmed();
    ResultName = QSearch.asString(QStringLiteral("Name"));
  } else {
    ResultCode.clear();
    ResultName.clear();
  }
  QSearch.close();
  DSearch->reset();
  QNull.close();
  DNull->reset();
  QDialog::done(r);
}

}  // namespace masterdata

TF_SearchCustomer::TF_SearchCustomer(QWidget* parent) : CustomerSearchDialog(parent) {
  setObjectName(QStringLiteral("F_SearchCustomer"));
}

TF_SearchCustomerPos::TF_SearchCustomerPos(QWidget* parent) : CustomerSearchDialog(parent) {
  setObjectName(QStringLiteral("F_SearchCustomerPos"));
}

namespace {
QPointer<TF_SearchCustomerPos>& posInstance() {
  static QPointer<TF_SearchCustomerPos> instance;
  return instance;
}
}  // namespace

TF_SearchCustomerPos* TF_SearchCustomerPos::Instance() { return masterdata::keptInstance(posInstance()); }

TF_SearchCustomerPos* TF_SearchCustomerPos::Existing() { return posInstance(); }
