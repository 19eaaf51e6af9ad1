#include "date_frame.h"

#include <QHBoxLayout>

#include "data_module.h"
#include "error_reporter.h"
#include "framework.h"
#include "prompts.h"

TFaGetDate::TFaGetDate(QWidget* parent) : QWidget(parent) {
  setFont(framework::FormFont(13));
  Label2 = new QLabel(QStringLiteral("วันที่"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label2->setMinimumWidth(52);
  DocDate = new widgets::DBDateEdit(this);
  DocDate->setObjectName(QStringLiteral("DocDate"));
  // A whole date with its calendar button, never less than the design's 120 pixels.
  DocDate->setFixedSize(std::max(120, DocDate->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 40), 22);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 1, 0);
  row->setSpacing(4);
  row->addWidget(Label2);
  row->addWidget(DocDate);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  DocDate->OnExit = [this](QObject* sender) { DocDateExit(sender); };
  // A typed text that is no date is an error of the program's kind: the error reporter logs it and
  // puts its Thai explanation ("ป้อนวันที่ไม่ถูกต้อง") in front of the English text.
  DocDate->OnError = [](QObject* sender, std::exception_ptr error) { data::HandleException(sender, error); };
}

void TFaGetDate::Bind(widgets::DataSource* ds, const QString& column) { DocDate->setDataSource(ds, column); }

void TFaGetDate::DocDateExit(QObject*) {
  const QDate date = DocDate->date();
  if (!DM || DM->CheckRunYear(date)) return;
  prompts::current().message(QStringLiteral("วันที่ ไม่ถูกต้อง !!"), prompts::Style::Plain);
  DocDate->setDateTime(DM->ServerTime());
  DocDate->setFocus(Qt::OtherFocusReason);
}
