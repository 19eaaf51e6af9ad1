// TFaGetSalesman and TFaGetProvince: panels that take a salesman code or a province code (a Misc row
// of group "CITY") with a lookup edit, show the name beside it and offer a search button (F5).
#pragma once

#include <QFrame>
#include <QLabel>

#include "db.h"
#include "edits.h"
#include "lookup_edit.h"

class TFaGetSalesman : public QFrame {
  Q_OBJECT
 public:
  explicit TFaGetSalesman(QWidget* parent = nullptr);

  QLabel* Label21;
  widgets::SpeedButton* BtSearchSalesman;
  QLabel* SalesmanName;
  QLabel* Label11;
  TKIdLookup* Salesman;
  db::Query QSalesman;  // parameter getcode

  virtual void SalesmanEnter();
  virtual void SalesmanExit();
  virtual void SalesmanKeyDown(int key, Qt::KeyboardModifiers modifiers);
  virtual void BtSearchSalesmanClick();
};

class TFaGetProvince : public QFrame {
  Q_OBJECT
 public:
  explicit TFaGetProvince(QWidget* parent = nullptr);

  QLabel* Label2;
  widgets::SpeedButton* BtSearchShipProvince;
  QLabel* ProvinceName;
  TKIdLookup* Province;

  virtual void ProvinceEnter();
  virtual void ProvinceExit();
  virtual void ProvinceKeyDown(int key, Qt::KeyboardModifiers modifiers);
  virtual void BtSearchShipProvinceClick();
};

namespace masterdata {
// The flat search button of the frames (hand cursor, a magnifier glyph, never takes the focus).
widgets::SpeedButton* makeSearchButton(QWidget* parent, const QString& hint, int w, int h);
}  // namespace masterdata
