#include "window_fixture.h"

#include <QApplication>
#include <QDateTime>
#include <QTest>
#include <QWidget>

#include "document_print_dialog.h"
#include "embedded/functions.h"
#include "error_reporter.h"
#include "modal.h"

namespace testsupport {

QVariant scalar(db::Connection& c, const QString& sql, const db::Params& p) {
  const db::Result r = c.select(sql, p);
  return r.isEmpty() ? QVariant() : r.rows()[0][0];
}

QVector<qint64> ids(db::Connection& c, const QString& sql, const db::Params& p) {
  QVector<qint64> out;
  const db::Result r = c.select(sql, p);
  for (const auto& row : r.rows()) out << row[0].toLongLong();
  return out;
}

int count(db::Connection& c, const QString& table, const QString& where) {
  return int(scalar(c, QStringLiteral("Select Count(*) From ") + table +
                           (where.isEmpty() ? QString() : QStringLiteral(" Where ") + where))
                 .toLongLong());
}

qint64 idOf(db::Connection& c, const QString& table, const QString& code) {
  db::Params p;
  p.setText(QStringLiteral("C"), code);
  return scalar(c, QStringLiteral("Select Id From %1 Where Code = :C").arg(table), p).toLongLong();
}

qint64 zoneId(db::Connection& c, const QString& code) {
  db::Params p;
  p.setText(QStringLiteral("C"), code);
  return scalar(c, QStringLiteral("Select Id From Misc Where GroupCode = 'ZONE' And Code = :C"), p).toLongLong();
}

QVector<qint64> addOrder(db::Connection& c, const NewOrder& order) {
  db::Params h;
  h.setText(QStringLiteral("No"), order.soNo);
  h.setDateTime(QStringLiteral("D"), QDateTime(order.date.isValid() ? order.date : serverToday(), QTime(0, 0)));
  h.setInt(QStringLiteral("C"), order.customer);
  h.setFloat(QStringLiteral("Rate"), order.taxRate);
  h.setText(QStringLiteral("IE"), order.priceIE);
  c.execute(QStringLiteral("Insert Into SoHd (SoNo, DelFlag, SoDate, ShipDate, Customer, Approved, Clear, TaxRate, Price_IE) "
                           "Values (:No, 'N', :D, :D, :C, 'Y', 'N', :Rate, :IE)"),
            h);
  const qint64 hd = scalar(c, QStringLiteral("Select Max(Id) From SoHd")).toLongLong();
  QVector<qint64> out;
  int recNo = 0;
  for (const OrderLine& l : order.lines) {
    db::Params d;
    d.setInt(QStringLiteral("Hd"), hd);
    d.setInt(QStringLiteral("Rec"), ++recNo);
    d.setInt(QStringLiteral("P"), l.product);
    d.setInt(QStringLiteral("F"), l.fraction);
    d.setFloat(QStringLiteral("Q"), l.quantity);
    d.setFloat(QStringLiteral("Price"), l.price);
    c.execute(QStringLiteral("Insert Into SoDt (SoHd, SoRecNo, Product, ProductUnits, Fraction, Quantity, Send, BackOrder, Price, Warehouse) "
                             "Select :Hd, :Rec, :P, U.Id, :F, :Q, 0, :Q * :F, :Price, 1 From ProductUnits U "
                             "Where U.Product = :P And U.Fraction = :F"),
              d);
    out << scalar(c, QStringLiteral("Select Max(Id) From SoDt")).toLongLong();
  }
  return out;
}

QDate serverToday() { return embedded::serverNow().date(); }

CollectedErrors::CollectedErrors() { collect(); }

void CollectedErrors::collect() {
  data::SetExceptionHandler([this](QObject*, std::exception_ptr e) { append(data::ErrorMessageOf(e)); });
}

CollectedErrors::~CollectedErrors() { data::SetExceptionHandler({}); }

::testing::AssertionResult showActive(QWidget& w) {
  QApplication::setQuitOnLastWindowClosed(false);
  w.show();
  return activate(w);
}

::testing::AssertionResult activate(QWidget& w) {
  if (QApplication::activeWindow() == &w) return ::testing::AssertionSuccess();
  QApplication::setActiveWindow(&w);
  if (QTest::qWaitForWindowActive(&w)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the window " << w.metaObject()->className() << " did not become active";
}

void closeWindowBehind() {
  widgets::ClearModalDrivers();
  TFrDocPrintForm::ReleaseInstance();
}

}  // namespace testsupport
