// TF_SearchMisc: finds a coded value of one group of the Misc table (the opener sets the group and
// the caption) by a fragment of its description or code. Created per use and freed by the opener.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "data_source.h"
#include "db.h"
#include "data_grid.h"
#include "dialog_support.h"
#include "key_preview.h"

class TF_SearchMisc : public QDialog {
  Q_OBJECT
 public:
  explicit TF_SearchMisc(QWidget* parent = nullptr);

  QString MiscGroupCode;      // in
  QString ResultCode;         // out
  QString ResultDescription;  // out

  QLabel* Label1;
  QLineEdit* EnterString;
  QPushButton* Bok;
  QPushButton* BCancel;
  widgets::DbGrid* ListData;
  db::Query QSearch;  // parameters InputGroup, InputName
  widgets::DataSource* DSearch;

  // Title-sort memory of this dialog class, kept for the process.
  static QString LastSortField;
  static bool SortDescending;

  virtual void FormShow();
  virtual void Search();
  virtual void ListDataTitleBtnClick(const QString& field);
  virtual void FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
  void done(int r) override;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  widgets::KeyPreview* preview_;
};
