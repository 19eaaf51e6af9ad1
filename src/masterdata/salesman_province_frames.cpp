#include "salesman_province_frames.h"

#include "customer_sql.h"

#include <QHBoxLayout>
#include <QPainter>

#include "dialog_support.h"
#include "modal.h"
#include "data_module.h"
#include "prompts.h"
#include "code_search.h"
#include "salesman_search.h"

namespace masterdata {

widgets::SpeedButton* makeSearchButton(QWidget* parent, const QString& hint, int w, int h) {
  auto* b = new widgets::SpeedButton(parent);
  b->setToolTip(hint);
  b->setFixedSize(w, h);
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 40, 120), 2));
  p.drawEllipse(QRectF(2, 2, 8, 8));
  p.drawLine(QPointF(9, 9), QPointF(14, 14));
  p.end();
  b->setIcon(QIcon(pm));
  return b;
}

namespace {
QHBoxLayout* rowLayout(QWidget* w) {
  auto* l = new QHBoxLayout(w);
  l->setContentsMargins(0, 0, 0, 0);
  l->setSpacing(4);
  return l;
}
}  // namespace

}  // namespace masterdata

// ---- TFaGetSalesman -------------------------------------------------------------------------

TFaGetSalesman::TFaGetSalesman(QWidget* parent) : QFrame(parent), QSalesman(DM->DMdata) {
  setObjectName(QStringLiteral("FaGetSalesman"));
  Label21 = new QLabel(QStringLiteral("รหัสพนักงานขาย"), this);
  Label21->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Salesman = new TKIdLookup(this);
  Salesman->setObjectName(QStringLiteral("Salesman"));
  Salesman->setFixedWidth(120);
  BtSearchSalesman = masterdata::makeSearchButton(this, QStringLiteral("ค้นหารหัสพนักงานขาย"), 22, 22);
  Label11 = new QLabel(QStringLiteral("*"), this);
  SalesmanName = new QLabel(QStringLiteral("-"), this);
  SalesmanName->setFixedWidth(201);

  Salesman->setLookupDatabase(&DM->DMdata);
  Salesman->setLookupTable(QStringLiteral("Salesman"));
  Salesman->setIdField(QStringLiteral("Id"));
  Salesman->setCodeField(QStringLiteral("Code"));
  Salesman->setDescField(QStringLiteral("Name"));
  Salesman->setDescLabel(SalesmanName);
  Salesman->setFilter(QStringLiteral("Status='Y'"));
  Salesman->setAllowEmpty(false);

  QSalesman.sql = masterdata::salesmanFrameLines();

  QHBoxLayout* l = masterdata::rowLayout(this);
  l->addWidget(Label21, 1);
  l->addWidget(Salesman);
  l->addWidget(BtSearchSalesman);
  l->addWidget(Label11);
  l->addWidget(SalesmanName);
  resize(451, 24);

  BtSearchSalesman->OnClick = [this](QObject*) { BtSearchSalesmanClick(); };
  Salesman->OnEnter = [this](QObject*) { SalesmanEnter(); };
  Salesman->OnExit = [this](QObject*) { SalesmanExit(); };
  Salesman->OnKeyDown = [this](QObject*, int& key, Qt::KeyboardModifiers m) { SalesmanKeyDown(key, m); };
}

void TFaGetSalesman::SalesmanEnter() { BtSearchSalesman->setEnabled(true); }

void TFaGetSalesman::SalesmanExit() {
  BtSearchSalesman->setEnabled(false);
  const QString code = Salesman->text().trimmed();
  if (code.isEmpty()) return;
  QSalesman.close();
  QSalesman.params.setText(QStringLiteral("getcode"), code);
  QSalesman.open();
  if (!QSalesman.isEmpty() && Salesman->filter().trimmed().isEmpty()) {
    if (QSalesman.asString(QStringLiteral("status")) == QLatin1String("N")) {
      prompts::info(QStringLiteral("พนักงานขาย ถูกระงับไปแล้ว  !"));
      Salesman->clearValue();
      SalesmanName->clear();
      Salesman->setFocus();
    }
  }
}

void TFaGetSalesman::SalesmanKeyDown(int key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_F5) BtSearchSalesmanClick();
}

void TFaGetSalesman::BtSearchSalesmanClick() {
  TF_SearchSalesman* d = TF_SearchSalesman::Instance();
  if (widgets::ShowModal(*d) == QDialog::Accepted) {
    Salesman->setText(d->ResultCode);
    if (masterdata::canFocus(Salesman)) Salesman->setFocus();
  }
}

// ---- TFaGetProvince -------------------------------------------------------------------------

TFaGetProvince::TFaGetProvince(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("FaGetProvince"));
  Label2 = new QLabel(QStringLiteral("จังหวัด"), this);
  Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Province = new TKIdLookup(this);
  Province->setObjectName(QStringLiteral("Province"));
  Province->setFixedWidth(100);
  BtSearchShipProvince = masterdata::makeSearchButton(this, QStringLiteral("ค้นหารหัสจังหวัด"), 22, 22);
  ProvinceName = new QLabel(QStringLiteral("-"), this);
  ProvinceName->setFixedWidth(281);

  Province->setLookupDatabase(&DM->DMdata);
  Province->setLookupTable(QStringLiteral("MISC"));
  Province->setIdField(QStringLiteral("ID"));
  Province->setCodeField(QStringLiteral("CODE"));
  Province->setDescField(QStringLiteral("Description"));
  Province->setDescLabel(ProvinceName);
  Province->setFilter(QStringLiteral("GroupCode='CITY'"));
  Province->setAllowEmpty(true);

  QHBoxLayout* l = masterdata::rowLayout(this);
  l->addWidget(Label2, 1);
  l->addWidget(Province);
  l->addWidget(BtSearchShipProvince);
  l->addWidget(ProvinceName);
  resize(469, 24);

  BtSearchShipProvince->OnClick = [this](QObject*) { BtSearchShipProvinceClick(); };
  Province->OnEnter = [this](QObject*) { ProvinceEnter(); };
  Province->OnExit = [this](QObject*) { ProvinceExit(); };
  Province->OnKeyDown = [this](QObject*, int& key, Qt::KeyboardModifiers m) { ProvinceKeyDown(key, m); };
}

void TFaGetProvince::ProvinceEnter() { BtSearchShipProvince->setEnabled(true); }
void TFaGetProvince::ProvinceExit() { BtSearchShipProvince->setEnabled(false); }

void TFaGetProvince::ProvinceKeyDown(int key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_F5) BtSearchShipProvinceClick();
}

void TFaGetProvince::BtSearchShipProvinceClick() {
  TF_SearchMisc d(window());
  d.setWindowTitle(QStringLiteral("ค้นหา รายชื่อจังหวัด"));
  d.MiscGroupCode = QStringLiteral("CITY");
  if (widgets::ShowModal(d) == QDialog::Accepted) {
    Province->setText(d.ResultCode);
    if (masterdata::canFocus(Province)) Province->setFocus();
  }
}
