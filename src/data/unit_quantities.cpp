#include "unit_quantities.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "data_module.h"
#include "textutil/number_format.h"

namespace data {

namespace {

// Quantities are kept to six decimals (the finest any of the formats writes), so that float noise
// such as 0.29 x 100 = 28.999999999999996 does not lose a whole small unit when truncated.
double roundTo6(double v) {
  const double r = std::round(v * 1e6) / 1e6;
  return r == 0 ? 0.0 : r;
}

QString fmt(const QString& format, double v) { return textutil::formatFloat(format, v); }

const QString kWholeFormat = QStringLiteral("###,###,##0 ");
const QString kLSQuantityFormat = QStringLiteral("###,###,##0.###### ");
const QString kLSRestFormat = QStringLiteral(" ######.###### ");
const QString kFracFormat = QStringLiteral("#,###.##;-#,###.##");

// QUnitFraction: the unit with its product's small unit.
const QString kQUnitFraction = QStringLiteral(
    "Select U.UnitName As LUnit, U.Fraction As Fraction, M.UnitName As SUnit, U.Product As IdProd\n"
    "From ProductUnits U Inner Join ProductUnits M On M.Product = U.Product And M.SmallUnitFlag = 'Y'\n"
    "Where U.Id = :GetUnit");

// QStockUnitQnty: the product's stock unit and the name of its small unit.
const QString kQStockUnitQnty = QStringLiteral(
    "Select S.Id As Id, S.UnitName As UnitName, S.Fraction As Fraction,\n"
    "  (Select Min(M.UnitName) From ProductUnits M Where M.Product = S.Product And M.SmallUnitFlag = 'Y') As SmallUnit\n"
    "From ProductUnits S\n"
    "Where S.StockUnitFlag = 'Y' And S.Product = :GetProduct\n"
    "Order By S.Id");

}  // namespace

UnitQuantitySettings UnitQuantitySettings::fromConfig(const db::Result& config) {
  UnitQuantitySettings s;
  if (config.isEmpty() || config.eof()) return s;
  if (config.columnIndex(QStringLiteral("OnhandDecimal")) >= 0) {
    const qint64 d = config.asInt(QStringLiteral("OnhandDecimal"));
    s.onhandDecimal = d > 0 ? static_cast<int>(std::min<qint64>(d, 15)) : 0;
  }
  if (config.columnIndex(QStringLiteral("UnitLeft")) >= 0) s.unitLeft = config.asString(QStringLiteral("UnitLeft"));
  if (config.columnIndex(QStringLiteral("UnitRight")) >= 0) s.unitRight = config.asString(QStringLiteral("UnitRight"));
  return s;
}

UnitQuantitySettings UnitQuantitySettings::read(db::Connection& data) {
  db::Query q(data, {QStringLiteral("Select * From Config")});
  q.open();
  return fromConfig(q);
}

UnitQuantities::UnitQuantities(db::Query& qUnitFraction, db::Query& qStockUnitQnty, UnitQuantitySettings settings)
    : qUnitFraction_(&qUnitFraction), qStockUnitQnty_(&qStockUnitQnty), settings_(std::move(settings)) {
  prepareQueries(qUnitFraction, qStockUnitQnty);
}

UnitQuantities::UnitQuantities(db::Connection& data, UnitQuantitySettings settings)
    : ownUnitFraction_(std::make_unique<db::Query>(data)),
      ownStockUnit_(std::make_unique<db::Query>(data)),
      qUnitFraction_(ownUnitFraction_.get()),
      qStockUnitQnty_(ownStockUnit_.get()),
      settings_(std::move(settings)) {
  prepareQueries(*qUnitFraction_, *qStockUnitQnty_);
}

UnitQuantities::~UnitQuantities() = default;

void UnitQuantities::prepareQueries(db::Query& qUnitFraction, db::Query& qStockUnitQnty) {
  qUnitFraction.sql = QStringList{kQUnitFraction};
  qStockUnitQnty.sql = QStringList{kQStockUnitQnty};
}

QString UnitQuantities::quantityFormat() const {
  if (settings_.onhandDecimal > 0)
    return QStringLiteral(" #,###,##0.") + QString(settings_.onhandDecimal, QLatin1Char('0')) + QLatin1Char(' ');
  return QStringLiteral(" #,###,###.###### ");
}

UnitQuantities::UnitFraction UnitQuantities::unitFraction(qint64 unitId) {
  db::Query& q = *qUnitFraction_;
  q.close();
  q.params.setInt(QStringLiteral("GetUnit"), unitId);
  q.open();
  UnitFraction u;
  if (q.isEmpty()) return u;
  u.found = true;
  u.lUnit = q.asString(QStringLiteral("LUnit"));
  u.fraction = q.asInt(QStringLiteral("Fraction"));
  u.sUnit = q.asString(QStringLiteral("SUnit"));
  u.product = q.asInt(QStringLiteral("IdProd"));
  return u;
}

UnitQuantities::StockUnit UnitQuantities::stockUnit(qint64 productId) {
  db::Query& q = *qStockUnitQnty_;
  q.close();
  q.params.setInt(QStringLiteral("GetProduct"), productId);
  q.open();
  StockUnit s;
  if (q.isEmpty()) return s;
  s.found = true;
  s.unitName = q.asString(QStringLiteral("UnitName"));
  s.fraction = q.asInt(QStringLiteral("Fraction"));
  return s;
}

QString UnitQuantities::onhandQuantity(qint64 unitId, double qty) {
  qty = roundTo6(qty);
  QString sign;
  if (qty < 0) {
    sign = QStringLiteral("- ");
    qty = -qty;
  }
  const UnitFraction u = unitFraction(unitId);
  const QString qf = quantityFormat();
  if (!u.found) return QString(fmt(qf, qty) + QStringLiteral("ERROR")).trimmed();

  const QString large = settings_.unitLeft + u.lUnit + settings_.unitRight;
  const QString small = settings_.unitLeft + u.sUnit + settings_.unitRight;
  QString text;
  if (u.fraction == 1 || u.fraction <= 0) {
    // A unit of one small unit writes the quantity as it is; a unit that holds no (or a negative
    // number of) small units cannot take the quantity apart, so it is written in the small unit.
    const QString number = fmt(qf, qty);
    if (!number.trimmed().isEmpty()) text = number + (u.fraction == 1 ? large : small);
  } else {
    const double whole = std::trunc(qty / static_cast<double>(u.fraction));
    if (whole != 0) text = fmt(kWholeFormat, whole) + large;
    const double rest = roundTo6(qty - whole * static_cast<double>(u.fraction));
    if (rest != 0) text += fmt(qf, std::fabs(rest)) + small;
  }
  if (text.isEmpty()) text = QStringLiteral("0 ") + large;
  return QString(sign + text).trimmed();
}

QString UnitQuantities::onhandQuantityLSUnit(qint64 unitId, int mode, double qty) {
  qty = roundTo6(qty);
  QString sign;
  if (qty < 0) {
    sign = QStringLiteral("- ");
    qty = -qty;
  }
  const UnitFraction u = unitFraction(unitId);
  if (!u.found) return fmt(kLSQuantityFormat, qty) + QStringLiteral("ERROR");

  QString large;
  QString small;
  if (u.fraction == 1) {
    small = fmt(kLSQuantityFormat, qty) + u.lUnit;
  } else if (u.fraction <= 0) {
    small = fmt(kLSQuantityFormat, qty) + u.sUnit;
  } else {
    const double whole = std::trunc(qty / static_cast<double>(u.fraction));
    if (whole != 0) large = fmt(kWholeFormat, whole) + u.lUnit;
    const double rest = roundTo6(qty - whole * static_cast<double>(u.fraction));
    if (rest != 0) small = fmt(kLSRestFormat, std::fabs(rest)) + u.sUnit;
  }
  if (mode == 1) return sign + large;
  if (mode == 2) return sign + small;
  return fmt(kLSQuantityFormat, qty) + QStringLiteral("IDERROR");
}

QString UnitQuantities::fracSmallByStock(qint64 unitId, double qty) {
  const UnitFraction u = unitFraction(unitId);
  // Without the unit's size the number of small units is unknown.
  if (!u.found || u.fraction <= 0) return QString(fmt(kLSQuantityFormat, roundTo6(qty)) + QStringLiteral("ERROR")).trimmed();

  qint64 n = static_cast<qint64>(std::trunc(roundTo6(qty * static_cast<double>(u.fraction))));
  const StockUnit s = stockUnit(u.product);

  QString wholeText;
  QString fracText;
  QString unitName;
  if (!s.found || s.fraction <= 0) {
    // No usable stock unit: whole small units.
    unitName = u.sUnit;
    if (n == 0) fracText = QStringLiteral("0");
    else wholeText = fmt(kFracFormat, static_cast<double>(n));
  } else {
    const qint64 e = s.fraction;
    unitName = s.unitName;
    if (n == 0) {
      fracText = QStringLiteral("0");
    } else {
      const qint64 q = n / e;  // truncates toward zero
      if (q != 0) {
        wholeText = fmt(kFracFormat, static_cast<double>(q));
        n -= q * e;
      }
      if (n != 0) {
        qint64 num = n;
        qint64 den = e;
        if (e == 2 * n) {
          num = 1;
          den = 2;
        } else if (n > 0) {
          const qint64 g = std::gcd(num, den);
          num /= g;
          den /= g;
        }  // a negative remainder is written as it is
        fracText = fmt(kFracFormat, static_cast<double>(num)) + QLatin1Char('/') + fmt(kFracFormat, static_cast<double>(den));
      }
    }
  }
  const QString unitPart = QString(fracText + QStringLiteral("  ") + unitName).trimmed();
  return QString(wholeText.trimmed() + QLatin1Char(';') + unitPart).trimmed();
}

}  // namespace data

// ---- The data module's unit-quantity texts ----------------------------------------------------

namespace {
data::UnitQuantitySettings configSettings(TDM& dm) {
  if (!dm.QConfig.active()) dm.QConfig.open();
  dm.QConfig.first();
  return data::UnitQuantitySettings::fromConfig(dm.QConfig);
}
}  // namespace

QString TDM::OnhandQuantity(int unitId, double qty) {
  data::UnitQuantities uq(QUnitFraction, QStockUnitQnty, configSettings(*this));
  return uq.onhandQuantity(unitId, qty);
}

QString TDM::OnhandQuantityLSUnit(int unitId, int mode, double qty) {
  data::UnitQuantities uq(QUnitFraction, QStockUnitQnty, configSettings(*this));
  return uq.onhandQuantityLSUnit(unitId, mode, qty);
}

QString TDM::FracSmallByStock(int unitId, double qty) {
  data::UnitQuantities uq(QUnitFraction, QStockUnitQnty, configSettings(*this));
  return uq.fracSmallByStock(unitId, qty);
}
