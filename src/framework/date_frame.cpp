#include "date_frame.h"

#include "data_module.h"
#include "framework.h"
#include "prompts.h"

TFaGetDate::TFaGetDate(QWidget* parent) : QWidget(parent) {
  setFont(framework::FormFont(13));
  setFixedSize(177, 22);
  Label2 = new QLabel(QStringLiteral("วันที่"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label2->setGeometry(0, 0, 52, 22);
  DocDate = new widgets::DBDateEdit(this);
  DocDate->setObjectName(QStringLiteral("DocDate"));
  DocDate->setGeometry(56, 0, 120, 22);
  DocDate->OnExit = [this](QObject* sender) { DocDateExit(sender); };
}

void TFaGetDate::Bind(widgets::DataSource* ds, const QString& column) { DocDate->setDataSource(ds, column); }

void TFaGetDate::DocDateExit(QObject*) {
  const QDate date = DocDate->date();
  if (!DM || DM->CheckRunYear(date)) return;
  prompts::current().message(QStringLiteral("วันที่ ไม่ถูกต้อง !!"), prompts::Style::Plain);
  DocDate->setDateTime(DM->ServerTime());
  DocDate->setFocus(Qt::OtherFocusReason);
}
