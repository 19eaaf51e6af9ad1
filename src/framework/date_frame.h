// TFaGetDate: the date frame: a date edit bound to a date column of the host's header query, refusing dates
// beyond the company's working year when the focus leaves it. A host that wants no working-year
// check clears the exit handler on its instance:  FaGetSendDate->DocDate->OnExit = nullptr;
#pragma once

#include <QLabel>
#include <QWidget>

#include "date_edit.h"

class TFaGetDate : public QWidget {
  Q_OBJECT
 public:
  explicit TFaGetDate(QWidget* parent = nullptr);

  QLabel* Label2;
  widgets::DBDateEdit* DocDate;

  void Bind(widgets::DataSource* ds, const QString& column);

  // The working-year check (the exit handler of DocDate).
  virtual void DocDateExit(QObject* sender);
};
