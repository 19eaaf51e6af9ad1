// UnitQuantitySettings, UnitQuantities: quantities written in product units, as documents print them.
//
// Every product has one small unit (SmallUnitFlag "Y", Fraction 1) and may have larger units, each
// holding Fraction small units; one unit is the stock unit (StockUnitFlag "Y"). These three
// operations turn a quantity into the text a document prints:
//
//   onhandQuantity(unit, qty)          qty small units as whole units of `unit` plus the remaining
//                                      small units: "2 (ลัง) 6 (ชิ้น)"
//   onhandQuantityLSUnit(unit, m, qty) either part of that text: m = 1 the large part, m = 2 the
//                                      small part (not trimmed)
//   fracSmallByStock(unit, qty)        qty units of `unit` as whole stock units and a common
//                                      fraction of a stock unit: "2;1/2  ลัง"
//
// Data that cannot be converted never divides by zero (see docs/printing.md, "Unit quantities"):
//   * an unknown unit, or a product without a small unit: the quantity followed by "ERROR";
//   * a unit whose Fraction is 0 or negative: the quantity cannot be split into that unit, so it is
//     written in the product's small unit alone (fracSmallByStock: the quantity and "ERROR", since
//     the number of small units is unknown);
//   * a product without a stock unit, or a stock unit whose Fraction is 0 or negative:
//     fracSmallByStock writes the whole number of small units and the small unit's name.
//
// The data module's OnhandQuantity, OnhandQuantityLSUnit and FracSmallByStock (defined in
// unit_quantities.cpp) answer through this class with its queries QUnitFraction and QStockUnitQnty
// and the settings of its open Config row.
#pragma once

#include <QString>
#include <memory>

#include "db.h"

namespace data {

// The company's settings (table Config): OnhandDecimal (null or a count of decimals), UnitLeft and
// UnitRight (texts written right before and after each unit name by onhandQuantity).
struct UnitQuantitySettings {
  int onhandDecimal = 0;  // 0: up to six decimals, trailing zeros dropped
  QString unitLeft;
  QString unitRight;

  // From the Config row (columns read by name; missing columns read as null).
  static UnitQuantitySettings fromConfig(const db::Result& config);
  // Reads the Config row of the data database.
  static UnitQuantitySettings read(db::Connection& data);
};

class UnitQuantities {
 public:
  // Runs the two given queries (QUnitFraction, parameter GetUnit; QStockUnitQnty, parameter
  // GetProduct); their SQL is set here.
  UnitQuantities(db::Query& qUnitFraction, db::Query& qStockUnitQnty, UnitQuantitySettings settings);
  // Runs queries of its own on the data connection.
  UnitQuantities(db::Connection& data, UnitQuantitySettings settings);
  ~UnitQuantities();
  UnitQuantities(const UnitQuantities&) = delete;
  UnitQuantities& operator=(const UnitQuantities&) = delete;

  // Gives the two queries their SQL text.
  static void prepareQueries(db::Query& qUnitFraction, db::Query& qStockUnitQnty);

  QString onhandQuantity(qint64 unitId, double qty);
  QString onhandQuantityLSUnit(qint64 unitId, int mode, double qty);
  QString fracSmallByStock(qint64 unitId, double qty);

  const UnitQuantitySettings& settings() const { return settings_; }
  void setSettings(const UnitQuantitySettings& s) { settings_ = s; }

  // The quantity format of onhandQuantity: " #,###,##0.00 " for OnhandDecimal 2, otherwise
  // " #,###,###.###### ".
  QString quantityFormat() const;

 private:
  struct UnitFraction {
    bool found = false;
    QString lUnit;
    qint64 fraction = 0;
    QString sUnit;
    qint64 product = 0;
  };
  struct StockUnit {
    bool found = false;
    QString unitName;
    qint64 fraction = 0;
  };
  UnitFraction unitFraction(qint64 unitId);  // QUnitFraction
  StockUnit stockUnit(qint64 productId);      // QStockUnitQnty

  std::unique_ptr<db::Query> ownUnitFraction_;
  std::unique_ptr<db::Query> ownStockUnit_;
  db::Query* qUnitFraction_;
  db::Query* qStockUnitQnty_;
  UnitQuantitySettings settings_;
};

}  // namespace data
