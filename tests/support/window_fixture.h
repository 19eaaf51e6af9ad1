// What the tests of the working windows share: reads of the test's own on a connection, the
// window under test shown and active with the errors it raises collected, and what a window test
// clears when it ends.
//
//   class MyWindowTest : public ::testing::Test {
//     void SetUp() override {
//       ASSERT_TRUE(app.ready()) << app.failure().toStdString();
//       w = std::make_unique<TFrSomething>();
//       ASSERT_TRUE(testsupport::showActive(*w));
//     }
//     void TearDown() override { testsupport::closeWindow(w); }
//     testsupport::AppFixture app;
//     testsupport::CollectedErrors errors;
//     std::unique_ptr<TFrSomething> w;
//   };
#pragma once

#include <gtest/gtest.h>

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

#include "db.h"

class QWidget;

namespace testsupport {

// ---- Reads of the test's own -------------------------------------------------------------------

// The first value of the first row; an invalid value when there is no row.
QVariant scalar(db::Connection& c, const QString& sql, const db::Params& p = {});
// The first value of every row, as ids.
QVector<qint64> ids(db::Connection& c, const QString& sql, const db::Params& p = {});
// The number of rows of a table, of those meeting `where` when it is given.
int count(db::Connection& c, const QString& table, const QString& where = QString());
// The id of a row of a table with a Code column (Customer, Product, Salesman ...); 0 when none.
qint64 idOf(db::Connection& c, const QString& table, const QString& code);
// The id of a zone (Misc, group ZONE) by its code; 0 when none.
qint64 zoneId(db::Connection& c, const QString& code);

// An approved, open sales order put straight into the database, its lines outstanding in full.
struct OrderLine {
  int product = 1;
  int fraction = 1;    // base units per unit (the product's unit of that fraction)
  double quantity = 1;  // in units
  double price = 10;    // per unit
};
struct NewOrder {
  QString soNo;
  qint64 customer = 1;  // C00001 (zone Z01)
  QDate date;           // order and ship date; invalid: the server's today
  double taxRate = 7;
  QString priceIE = QStringLiteral("E");  // "E" prices before VAT, "I" prices with VAT
  QVector<OrderLine> lines;
};
// Returns the ids of the order's lines (SoDt), in order.
QVector<qint64> addOrder(db::Connection& c, const NewOrder& order);

// The date of the embedded server's clock, the one the program reads with GetDate and
// ServerTime. Tests take "today" from here, never from the test process's own clock.
QDate serverToday();

// ---- The window under test ---------------------------------------------------------------------

// Errors that reach the error reporter are collected here instead of shown, while the object
// lives. It reads like the list of their texts.
class CollectedErrors : public QStringList {
 public:
  CollectedErrors();
  ~CollectedErrors();
  // Takes the errors over again: the start-up installs the program's own handler, so a fixture
  // that starts the program after making this object calls it once the program is ready.
  void collect();
  CollectedErrors(const CollectedErrors&) = delete;
  CollectedErrors& operator=(const CollectedErrors&) = delete;
  // The texts one a line, for a failure message.
  std::string text() const { return join(QLatin1Char('\n')).toStdString(); }
};

// Shows a window and waits until it is the active window.
::testing::AssertionResult showActive(QWidget& w);
// Makes a shown window the active one again (after a dialog closed).
::testing::AssertionResult activate(QWidget& w);

// What a window test clears at its end: the queued dialog drivers, the window, and the shared
// print dialog (it holds queries of the test's connection).
void closeWindowBehind();
template <class W>
void closeWindow(std::unique_ptr<W>& w) {
  closeWindowBehind();
  if (w) w->hide();
  w.reset();
  closeWindowBehind();
}

}  // namespace testsupport
