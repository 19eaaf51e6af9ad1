// A company site for the look-up tests: the program started in-process on an empty embedded site
// (no demo data), with rows the tests add themselves, and helpers to look at what the program did.
#pragma once

#include <QApplication>
#include <QTest>
#include <QVariantMap>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

#include "app_fixture.h"
#include "db.h"
#include "dialog_support.h"
#include "data_module.h"
#include "modal.h"

// Readable values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace mdtest {

// Rows of a company database.
class CompanyData {
 public:
  explicit CompanyData(db::Connection& c) : c_(c) {}

  // Inserts a row and returns its Id.
  qint64 insert(const QString& table, const QVariantMap& values) {
    QStringList cols, params;
    db::Params p;
    for (auto it = values.begin(); it != values.end(); ++it) {
      cols << it.key();
      params << QString(QLatin1Char(':') + it.key());
      p.set(it.key(), it.value());
    }
    c_.execute(QStringLiteral("Insert Into %1 (%2) Values (%3)").arg(table, cols.join(QLatin1Char(',')), params.join(QLatin1Char(','))), p);
    return c_.select(QStringLiteral("Select Max(Id) Id From ") + table).asInt(QStringLiteral("Id"));
  }
  qint64 misc(const QString& group, const QString& code, const QString& description) {
    return insert(QStringLiteral("Misc"), {{"GroupCode", group}, {"Code", code}, {"Description", description}, {"Blocked", "N"}});
  }
  qint64 salesman(const QString& code, const QString& name, const QVariant& surname, qint64 department,
                  const QString& status = QStringLiteral("Y")) {
    return insert(QStringLiteral("Salesman"), {{"Code", code}, {"Name", name}, {"Surname", surname},
                                              {"Department", department}, {"Status", status}});
  }
  qint64 group(const QString& code) {
    return insert(QStringLiteral("CustomerGroup"), {{"Code", code}, {"Description", QString(QStringLiteral("กลุ่ม ") + code)}});
  }
  qint64 attrGroup(const QString& code, const QString& description) {
    return insert(QStringLiteral("CusAttrGroup"), {{"Code", code}, {"Description", description}});
  }
  qint64 attrCode(qint64 group, const QString& code, const QString& description) {
    return insert(QStringLiteral("CusAttrCode"), {{"CusAttrGroup", group}, {"Code", code}, {"Description", description}});
  }
  void customerAttr(qint64 customer, const QString& groupAndCode) {
    insert(QStringLiteral("CustomerAttribute"), {{"Customer", customer}, {"GroupCode", groupAndCode}});
  }
  // A customer; `extra` adds or overrides columns.
  qint64 customer(const QString& code, const QString& name, qint64 salesman, qint64 province,
                  const QVariantMap& extra = {}) {
    QVariantMap v{{"Code", code}, {"Name", name}, {"NameEng", QString(QStringLiteral("Eng ") + code)}, {"Salesman", salesman},
                  {"Province", province}, {"Blocked", "N"}, {"PhoneNo", ""}, {"FaxNo", ""}, {"Address1", "1 ถนนหนึ่ง"},
                  {"Address2", "แขวง"}, {"Address3", "เขต"}};
    for (auto it = extra.begin(); it != extra.end(); ++it) v[it.key()] = it.value();
    return insert(QStringLiteral("Customer"), v);
  }
  db::Result row(const QString& sql, const db::Params& p = {}) { return c_.select(sql, p); }
  void exec(const QString& sql) { c_.execute(sql); }
  db::Connection& connection() { return c_; }

 private:
  db::Connection& c_;
};

// The codes of the rows of a result, in order.
inline QStringList codes(const db::Result& r, const QString& column = QStringLiteral("Code")) {
  QStringList out;
  const int c = r.findColumn(column);
  for (int i = 0; i < r.rowCount(); ++i) out << r.at(i, c).toString();
  return out;
}

inline void showActive(QWidget& w) {
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

class LookupTest : public ::testing::Test {
 protected:
  virtual int userId() const { return 1; }  // ADMIN, Thai

  void SetUp() override {
    testsupport::AppOptions o;
    o.site.demo = false;
    o.menuOption = 102;
    o.userId = userId();
    app = std::make_unique<testsupport::AppFixture>(o);
    ASSERT_TRUE(app->ready()) << app->failure().toStdString();
    company = app->site().openCompany();
    data = std::make_unique<CompanyData>(*company);
  }

  void TearDown() override {
    widgets::ClearModalDrivers();
    masterdata::releaseKeptDialogs();
  }

  // Writes a column of the company's Config row and lets the data module read it again.
  void setConfig(const QString& column, const QVariant& value) {
    db::Params p;
    p.set(QStringLiteral("V"), value);
    company->execute(QStringLiteral("Update Config Set %1 = :V").arg(column), p);
    DM->QConfig.close();
    DM->QConfig.open();
  }

  std::unique_ptr<testsupport::AppFixture> app;
  std::unique_ptr<db::Connection> company;
  std::unique_ptr<CompanyData> data;
};

}  // namespace mdtest
