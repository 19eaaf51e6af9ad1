#include "customer_frame.h"

#include <QApplication>
#include <QHBoxLayout>

#include "customer_sql.h"
#include "dialog_support.h"
#include "data_module.h"
#include "config_module.h"
#include "salesman_province_frames.h"
#include "modal.h"
#include "prompts.h"
#include "head_office_reachability.h"
#include "customer_search.h"

TFaGetCustomer::TFaGetCustomer(QWidget* parent)
    : QFrame(parent),
      QCustomer(DM->DMdata),
      QGetCustomerHead(DBHead),
      QGetIdLocal(DM->DMdata),
      QRunLocal(DM->DMdata),
      QGetCode(DM->DMdata),
      QDBHeadGetId(DBHead),
      QRun(DBHead) {
  setObjectName(QStringLiteral("FaGetCustomer"));
  Label21 = new QLabel(QStringLiteral("รหัสลูกค้า"), this);
  Label21->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Customer = new TKIdLookup(this);
  Customer->setObjectName(QStringLiteral("Customer"));
  Customer->setFixedWidth(120);
  BtSearchCustomer = masterdata::makeSearchButton(this, QStringLiteral("ค้นหารหัสลูกค้า"), 22, 19);
  BtSearchCustomer->setEnabled(false);  // enabled while the focus is inside the frame
  CustomerName = new QLabel(QStringLiteral("-"), this);
  CustomerName->setFixedWidth(329);

  Customer->setLookupDatabase(&DM->DMdata);
  Customer->setLookupTable(QStringLiteral("Customer"));
  Customer->setIdField(QStringLiteral("Id"));
  Customer->setCodeField(QStringLiteral("Code"));
  Customer->setDescField(QStringLiteral("Name"));
  Customer->setDescLabel(CustomerName);
  Customer->setFilter(QStringLiteral("Blocked='N'"));
  Customer->setAllowEmpty(false);

  QCustomer.sql = masterdata::customerDetailLines();
  QGetCustomerHead.sql = masterdata::customerHeadLines();
  DBHead.beforeConnect = [this](db::Connection& c) { DBHeadBeforeConnect(c); };
  Pinger = &masterdata::PingServer;

  auto* l = new QHBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  l->setSpacing(4);
  l->addWidget(Label21, 1);
  l->addWidget(Customer);
  l->addWidget(BtSearchCustomer);
  l->addWidget(CustomerName);
  resize(552, 24);

  BtSearchCustomer->OnClick = [this](QObject*) { BtSearchCustomerClick(); };
  Customer->OnExit = [this](QObject*) { CustomerExit(); };
  Customer->OnKeyDown = [this](QObject*, int& key, Qt::KeyboardModifiers m) { CustomerKeyDown(key, m); };
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    // Another window taking the focus (a dialog, a message box) does not leave the frame.
    if (!now || now->window() != window()) return;
    const bool inside = masterdata::isInside(now, this);
    if (inside == focusInside_) return;
    focusInside_ = inside;
    if (inside) FrameEnter();
    else FrameExit();
  });
}

TFaGetCustomer::~TFaGetCustomer() = default;

QString TFaGetCustomer::ConfigText(const QString& column) const {
  if (!DM->QConfig.active()) DM->QConfig.open();
  return DM->QConfig.asString(column).trimmed();
}

bool TFaGetCustomer::HeadOfficeMode() const { return ConfigText(QStringLiteral("UseCustomerLinkHead")) == QLatin1String("Y"); }
QString TFaGetCustomer::MainServerIP() const { return ConfigText(QStringLiteral("MainServerIP")); }
QString TFaGetCustomer::MainDbName() const { return ConfigText(QStringLiteral("MainDbName")); }

bool TFaGetCustomer::HeadReachable(int attempts) {
  const QString server = MainServerIP();
  for (int i = 0; i < attempts; ++i)
    if (Pinger(server, 1000) >= 0) return true;
  return false;
}

void TFaGetCustomer::FrameEnter() {
  Customer->setDescField(DMConfig && !DMConfig->IsThai ? QStringLiteral("NameEng") : QStringLiteral("Name"));
  BtSearchCustomer->setEnabled(true);
}

void TFaGetCustomer::FrameExit() { BtSearchCustomer->setEnabled(false); }

void TFaGetCustomer::CustomerKeyDown(int& key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_F5) BtSearchCustomerClick();
}

void TFaGetCustomer::CustomerExit() {
  BtSearchCustomer->setEnabled(false);
  const QString code = Customer->text().trimmed();
  if (code.isEmpty()) return;
  QCustomer.close();
  QCustomer.params.setText(QStringLiteral("GetCode"), code);
  QCustomer.open();
  if (!QCustomer.isEmpty() && Customer->filter().trimmed().isEmpty() &&
      QCustomer.asString(QStringLiteral("Blocked")) == QLatin1String("Y")) {
    prompts::info(QStringLiteral("รหัสลูกค้าถูกระงับการใช้งาน !"));
    CustomerName->clear();
    Customer->clearValue();
    CustomerName->clear();
    Customer->setFocus();
  }
}

void TFaGetCustomer::BtSearchCustomerClick() {
  Customer->setFocus();
  if (!HeadOfficeMode()) {
    TF_SearchCustomer d(window());
    d.IncludeBlocked = false;
    if (widgets::ShowModal(d) == QDialog::Accepted) {
      Customer->setText(d.ResultCode);
      Customer->setFocus();
    }
    return;
  }

  TF_SearchCustomerPos* d = TF_SearchCustomerPos::Instance();
  // The reachability test comes before the connect: an unreachable head office means an offline
  // search, not a connection failure.
  const bool online = HeadReachable(4);
  if (online) {
    DBHead.close();
    DBHead.open();  // runs DBHeadBeforeConnect; a failure reaches the error reporter
  }
  d->HeadOnline = online;
  d->IncludeBlocked = false;
  d->CloseQueries();
  if (online) {
    d->setWindowTitle(OnlineCaption());
    d->SetConnection(DBHead);
  } else {
    d->setWindowTitle(OfflineCaption());
    d->SetConnection(DM->DMdata);
  }
  // The code field keeps looking codes up in the local Customer table: the bound column holds a
  // local customer id, and a customer picked at the head office is copied here first.
  Customer->setLookupDatabase(&DM->DMdata);
  if (widgets::ShowModal(*d) == QDialog::Accepted) {
    const QString code = d->ResultCode;
    CopyCustomerFromHead(code);
    Customer->setText(code);
    Customer->setFocus();
  }
}

void TFaGetCustomer::DBHeadBeforeConnect(db::Connection& c) {
  if (!HeadOfficeMode()) return;
  // The suite's login, unless the installation sets another (docs/security.md).
  const auto login = [](const char* variable, const char* builtIn) {
    const QByteArray v = qgetenv(variable);
    return v.isEmpty() ? QString::fromLatin1(builtIn) : QString::fromLocal8Bit(v);
  };
  c.params = QStringList{
      QStringLiteral("DATABASE NAME=") + MainDbName(),
      QStringLiteral("SERVER NAME=") + MainServerIP(),
      QStringLiteral("USER NAME=") + login("CONSOLIDATE_DB_USER", "TALVIK"),
      QStringLiteral("OPEN MODE=READ/WRITE"),
      QStringLiteral("SCHEMA CACHE SIZE=8"),
      QStringLiteral("BLOB EDIT LOGGING="),
      QStringLiteral("LANGDRIVER="),
      QStringLiteral("SQLQRYMODE="),
      QStringLiteral("SQLPASSTHRU MODE=SHARED AUTOCOMMIT"),
      QStringLiteral("DATE MODE=0"),
      QStringLiteral("SCHEMA CACHE TIME=-1"),
      QStringLiteral("MAX QUERY TIME=300"),
      QStringLiteral("MAX ROWS=-1"),
      QStringLiteral("BATCH COUNT=200"),
      QStringLiteral("ENABLE SCHEMA CACHE=FALSE"),
      QStringLiteral("SCHEMA CACHE DIR="),
      QStringLiteral("HOST NAME="),
      QStringLiteral("APPLICATION NAME="),
      QStringLiteral("NATIONAL LANG NAME="),
      QStringLiteral("ENABLE BCD=FALSE"),
      QStringLiteral("TDS PACKET SIZE=4096"),
      QStringLiteral("BLOBS TO CACHE=64"),
      QStringLiteral("BLOB SIZE=32"),
      QStringLiteral("PASSWORD=") + login("CONSOLIDATE_DB_PASSWORD", "larkspen")};
}

QVariant TFaGetCustomer::LocalId(const QString& sql, const QString& code) {
  QGetIdLocal.close();
  QGetIdLocal.sql = QStringList{sql};
  QGetIdLocal.params.clear();
  QGetIdLocal.params.setText(QStringLiteral("Code"), code);
  QGetIdLocal.open();
  const QVariant id = QGetIdLocal.isEmpty() ? QVariant() : QGetIdLocal.value(QStringLiteral("Id"));
  QGetIdLocal.close();
  return id;
}

QVariant TFaGetCustomer::LowestLocalId(const QString& table) {
  QGetIdLocal.close();
  QGetIdLocal.sql = QStringList{masterdata::lowestIdSql(table)};
  QGetIdLocal.params.clear();
  QGetIdLocal.open();
  const QVariant id = QGetIdLocal.isEmpty() ? QVariant() : QGetIdLocal.value(QStringLiteral("Id"));
  QGetIdLocal.close();
  return id;
}

void TFaGetCustomer::CopyCustomerFromHead(const QString& customerCode) {
  if (!HeadOfficeMode()) return;
  if (!HeadReachable(3)) return;

  const db::SqlText copy = masterdata::customerCopyStatement();
  QRunLocal.close();
  QRunLocal.sql = copy.tsql.split(QLatin1Char('\n'));
  QRunLocal.sqlSqlite = copy.sqlite.split(QLatin1Char('\n'));
  QRunLocal.params.clear();

  const QString code = customerCode.trimmed().toUpper();
  QGetCustomerHead.close();
  QGetCustomerHead.params.clear();
  QGetCustomerHead.params.setText(QStringLiteral("Code"), code);
  QGetCustomerHead.open();
  if (QGetCustomerHead.isEmpty()) {
    QGetCustomerHead.close();
    return;
  }
  const db::Result& head = QGetCustomerHead;

  bool ownTransaction = false;
  if (!DM->DMdata.inTransaction()) {
    DM->DMdata.startTransaction();
    ownTransaction = true;
  }
  try {
    db::Params& p = QRunLocal.params;
    // Every column from the head office's row of the same name ...
    for (const QString& c : masterdata::copiedCustomerColumns()) p.set(c, head.value(c));
    // ... except these.
    p.set(QStringLiteral("Id"), LocalId(masterdata::localIdByCodeSql(QStringLiteral("Customer")), code),
          db::ParamType::Integer);

    QVariant group = LocalId(masterdata::localIdByCodeSql(QStringLiteral("CustomerGroup")),
                             head.asString(QStringLiteral("CustomerGroupCode")));
    if (group.isNull()) group = LowestLocalId(QStringLiteral("CustomerGroup"));
    p.set(QStringLiteral("CustomerGroup"), group, db::ParamType::Integer);

    p.setNull(QStringLiteral("HeadCode"), db::ParamType::Text);
    p.setNull(QStringLiteral("Vendor"), db::ParamType::Integer);
    p.setInt(QStringLiteral("BarCodeId"), 0);

    QVariant salesman = LocalId(masterdata::localIdByCodeSql(QStringLiteral("Salesman")),
                                head.asString(QStringLiteral("SalesmanCode")));
    if (salesman.isNull()) salesman = LowestLocalId(QStringLiteral("Salesman"));
    p.set(QStringLiteral("Salesman"), salesman, db::ParamType::Integer);

    // The province by code; a province the local database lacks is created. A customer without a
    // province at the head office has none here either (no nameless province is made for it).
    QVariant province;
    if (!head.isNull(QStringLiteral("ProvinceCode"))) {
      const QString provinceCode = head.asString(QStringLiteral("ProvinceCode"));
      const QString findCity = masterdata::provinceIdByCodeSql();
      province = LocalId(findCity, provinceCode);
      if (province.isNull()) {
        db::Params ins;
        ins.setText(QStringLiteral("Code"), provinceCode);
        ins.setText(QStringLiteral("Description"), head.asString(QStringLiteral("ProvinceName")));
        DM->DMdata.execute(masterdata::provinceInsertSql(), ins);
        province = LocalId(findCity, provinceCode);
      }
    }
    p.set(QStringLiteral("Province"), province, db::ParamType::Integer);

    for (const char* f : {"DiscRate1", "DiscRate2", "DiscRate3", "CreditLimit"}) {
      const QString name = QString::fromLatin1(f);
      p.set(name, head.value(name), db::ParamType::Float);
    }

    QRunLocal.execSql();
    if (ownTransaction) DM->DMdata.commit();
  } catch (...) {
    if (ownTransaction) DM->DMdata.rollback();
    QGetCustomerHead.close();
    throw;
  }
  QGetCustomerHead.close();
}
