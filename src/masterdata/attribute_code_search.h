// TFrSearchCusAttrCode: finds a code of one customer-attribute group by a fragment (or the whole
// text) of its description or code. One instance for the process, created on first use.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "data_source.h"
#include "db.h"
#include "data_grid.h"
#include "dialog_support.h"
#include "key_preview.h"

class TFrSearchCusAttrCode : public QDialog {
  Q_OBJECT
 public:
  explicit TFrSearchCusAttrCode(QWidget* parent = nullptr);
  static TFrSearchCusAttrCode* Instance();

  qint32 AttrGroupId = 0;  // in
  QString ResultCode;      // out

  QLabel* Label1;
  QLineEdit* Description;
  QCheckBox* FullWord;
  QPushButton* BtOk;
  QPushButton* BtCancel;
  widgets::DbGrid* ListData;
  db::Query QSearch;
  widgets::DataSource* DSearch;

  virtual void FormShow();
  virtual void Search();
  virtual void FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
  void done(int r) override;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  widgets::KeyPreview* preview_;
};
