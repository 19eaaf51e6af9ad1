// TF_SearchSalesman: finds a salesman by code prefix and name/surname fragments and hands back the
// code. One instance for the process, created on first use (Instance()).
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
#include "edits.h"
#include "key_preview.h"

class TF_SearchSalesman : public QDialog {
  Q_OBJECT
 public:
  explicit TF_SearchSalesman(QWidget* parent = nullptr);
  // The process-wide instance, created on first use.
  static TF_SearchSalesman* Instance();

  QString ResultCode;  // out

  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  widgets::UpperEdit* SCode;
  QLineEdit* SName;
  QLineEdit* SSurname;
  QPushButton* BSearch;
  widgets::DbGrid* ListData;
  QPushButton* Bok;
  QPushButton* BCancel;
  db::Query QSearch;
  widgets::DataSource* DSearch;

  // The ordering line of the next search.
  QString OrderLine;

  virtual void FormShow();
  virtual void BSearchClick();
  virtual void ListDataTitleClick(const QString& field);
  virtual void FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
  void done(int r) override;

 protected:
  void showEvent(QShowEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  widgets::KeyPreview* preview_;
};
