// Quantities written in product units, read from a small embedded database of units.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "db.h"
#include "qstring_print.h"
#include "unit_quantities.h"

namespace {

// Units used below (Id: product, name, Fraction, flags):
//   product 1: 1 ชิ้น 1 small, 2 ลัง 12 stock, 3 แพ็ค 6, 4 พาเลท 100
//   product 2 (no stock unit): 10 ขวด 1 small, 11 แพ็ค 0, 12 ลัง -6
//   product 3 (no small unit): 20 BOX 10 stock
//   product 4 (stock unit of size 0): 30 pcs 1 small, 31 crate 0 stock
class UnitQuantitiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    conn.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=UNITS", "CREATE DATABASE=TRUE"};
    conn.execute(
        "Create Table ProductUnits (Id Integer Primary Key, Product Integer, UnitName VarChar(20), Fraction Integer,"
        " SmallUnitFlag Char(1), StockUnitFlag Char(1))");
    conn.execute(
        "Insert Into ProductUnits Values"
        " (1, 1, 'ชิ้น', 1, 'Y', 'N'), (2, 1, 'ลัง', 12, 'N', 'Y'), (3, 1, 'แพ็ค', 6, 'N', 'N'), (4, 1, 'พาเลท', 100, 'N', 'N'),"
        " (10, 2, 'ขวด', 1, 'Y', 'N'), (11, 2, 'แพ็ค', 0, 'N', 'N'), (12, 2, 'ลัง', -6, 'N', 'N'),"
        " (20, 3, 'BOX', 10, 'N', 'Y'),"
        " (30, 4, 'pcs', 1, 'Y', 'N'), (31, 4, 'crate', 0, 'N', 'Y')");
    conn.execute("Create Table Config (Id Integer, OnhandDecimal Integer, UnitLeft VarChar(5), UnitRight VarChar(5))");
  }
  QTemporaryDir dir;
  db::Connection conn{"DMDATA"};
};

struct OnhandCase {
  qint64 unit;
  double qty;
  int decimals;
  const char* left;
  const char* right;
  const char* expected;
};

TEST_F(UnitQuantitiesTest, OnhandQuantityWritesLargeUnitsAndTheRemainingSmallUnits) {
  const OnhandCase cases[] = {
      {2, 30, 0, "(", ")", "2 (ลัง) 6 (ชิ้น)"},
      {2, 30, 0, "", "", "2 ลัง 6 ชิ้น"},
      {2, -30, 0, "(", ")", "- 2 (ลัง) 6 (ชิ้น)"},
      {2, 0, 0, "(", ")", "0 (ลัง)"},
      {2, 6, 0, "(", ")", "6 (ชิ้น)"},
      {2, 30, 2, "(", ")", "2 (ลัง) 6.00 (ชิ้น)"},
      {2, 6, 2, "(", ")", "6.00 (ชิ้น)"},
      {2, 24, 2, "", "", "2 ลัง"},
      {2, 30.5, 0, "", "", "2 ลัง 6.5 ชิ้น"},
      {2, 12000, 0, "", "", "1,000 ลัง"},
      {3, 13, 0, "", "", "2 แพ็ค 1 ชิ้น"},
      {1, 1234.5, 0, "", "", "1,234.5 ชิ้น"},
      {1, 1234.5, 2, "", "", "1,234.50 ชิ้น"},
      // A quantity of 0 in the small unit still names a number.
      {1, 0, 0, "(", ")", "0 (ชิ้น)"},
      {1, 0, 2, "", "", "0.00 ชิ้น"},
      // Unknown unit, and a product without a small unit: no sign, "ERROR".
      {999, 30, 0, "(", ")", "30 ERROR"},
      {999, -30, 0, "", "", "30 ERROR"},
      {20, 30, 0, "", "", "30 ERROR"},
      // A unit of size 0 or negative cannot take the quantity apart: small units only.
      {11, 30, 0, "(", ")", "30 (ขวด)"},
      {12, -30, 0, "", "", "-  30 ขวด"},
      {11, 0, 0, "", "", "0 แพ็ค"},
  };
  for (const auto& c : cases) {
    data::UnitQuantities uq(conn, {c.decimals, c.left, c.right});
    EXPECT_EQ(uq.onhandQuantity(c.unit, c.qty), QString::fromUtf8(c.expected))
        << "unit " << c.unit << " qty " << c.qty << " decimals " << c.decimals;
  }
}

struct LSCase {
  qint64 unit;
  int mode;
  double qty;
  const char* expected;
};

TEST_F(UnitQuantitiesTest, OnhandQuantityLSUnitGivesOnePartUntrimmed) {
  const LSCase cases[] = {
      {2, 1, 30, "2 ลัง"},
      {2, 2, 30, " 6 ชิ้น"},
      {2, 1, -30, "- 2 ลัง"},
      {2, 2, -30, "-  6 ชิ้น"},
      {2, 1, 6, ""},
      {2, 1, -6, "- "},
      {2, 2, 6, " 6 ชิ้น"},
      {2, 2, 24, ""},
      {2, 2, 0.5, " .5 ชิ้น"},
      {2, 1, 12000, "1,000 ลัง"},
      {1, 2, 30, "30 ชิ้น"},
      {1, 1, 30, ""},
      {2, 3, 30, "30 IDERROR"},
      {2, 0, -30, "30 IDERROR"},
      {999, 1, 30, "30 ERROR"},
      {20, 2, 30, "30 ERROR"},
      {11, 2, 30, "30 ขวด"},
      {11, 1, 30, ""},
  };
  data::UnitQuantities uq(conn, {2, "(", ")"});  // neither the decimals nor the brackets apply
  for (const auto& c : cases)
    EXPECT_EQ(uq.onhandQuantityLSUnit(c.unit, c.mode, c.qty), QString::fromUtf8(c.expected))
        << "unit " << c.unit << " mode " << c.mode << " qty " << c.qty;
}

struct FracCase {
  qint64 unit;
  double qty;
  const char* expected;
};

TEST_F(UnitQuantitiesTest, FracSmallByStockWritesStockUnitsAndAFraction) {
  const FracCase cases[] = {
      {1, 30, "2;1/2  ลัง"},
      {1, 24, "2;ลัง"},
      {1, 5, ";5/12  ลัง"},
      {1, 0, ";0  ลัง"},
      {1, 8, ";2/3  ลัง"},
      {1, 9, ";3/4  ลัง"},
      {2, 1.5, "1;1/2  ลัง"},
      {3, 3, "1;1/2  ลัง"},
      {1, 12000, "1,000;ลัง"},
      {1, 30.9, "2;1/2  ลัง"},  // whole small units only
      {1, -30, "-2;-6/12  ลัง"},  // a negative remainder is not reduced
      {1, -5, ";-5/12  ลัง"},
      // 0.29 x 100 is 28.999999999999996 in binary floating point: still 29 small units.
      {4, 0.29, "2;5/12  ลัง"},
      // No stock unit, or a stock unit of size 0: whole small units.
      {10, 30, "30;ขวด"},
      {10, 0, ";0  ขวด"},
      {30, 5, "5;pcs"},
      // The size of the unit itself is unknown.
      {999, 30, "30 ERROR"},
      {11, 30, "30 ERROR"},
      {12, 2, "2 ERROR"},
      {20, 3, "3 ERROR"},
  };
  data::UnitQuantities uq(conn, {});
  for (const auto& c : cases)
    EXPECT_EQ(uq.fracSmallByStock(c.unit, c.qty), QString::fromUtf8(c.expected)) << "unit " << c.unit << " qty " << c.qty;
}

TEST_F(UnitQuantitiesTest, SettingsComeFromTheConfigRow) {
  conn.execute("Insert Into Config Values (1, Null, '(', ')')");
  auto s = data::UnitQuantitySettings::read(conn);
  EXPECT_EQ(s.onhandDecimal, 0);
  EXPECT_EQ(s.unitLeft, "(");
  EXPECT_EQ(s.unitRight, ")");
  data::UnitQuantities uq(conn, s);
  EXPECT_EQ(uq.quantityFormat(), " #,###,###.###### ");
  EXPECT_EQ(uq.onhandQuantity(2, 30), QString::fromUtf8("2 (ลัง) 6 (ชิ้น)"));

  const struct {
    const char* value;
    int decimals;
    const char* format;
  } decimals[] = {{"3", 3, " #,###,##0.000 "}, {"0", 0, " #,###,###.###### "}, {"-2", 0, " #,###,###.###### "}};
  for (const auto& d : decimals) {
    conn.execute(QString("Update Config Set OnhandDecimal = %1").arg(d.value));
    s = data::UnitQuantitySettings::read(conn);
    EXPECT_EQ(s.onhandDecimal, d.decimals) << d.value;
    uq.setSettings(s);
    EXPECT_EQ(uq.quantityFormat(), d.format) << d.value;
  }
}

}  // namespace
