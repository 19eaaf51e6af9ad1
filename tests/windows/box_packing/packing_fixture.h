// The box packing window on a copy of the demo site, started in-process with scripted prompts.
// Errors that reach the error reporter are collected instead of shown, the print hand-off is
// recorded (and passed on to the real print dialog when a test asks for it), and the scan sounds
// are counted.
//
// Demo facts used here (docs/embedded-server.md): boxes BOX000001 ... BOX000020 are registered and
// empty (Ids 1 ...); BOX900001 is packed for C00001 (three pieces) and invoiced; BOX900002 is packed
// for the consignment customer C00003 and transferred; BOX900003 is cancelled. C00001 is an
// ordinary customer, C00003 a consignment customer with the warehouse "C00003". Product P00001 has
// the units ขวด (8850000010019) and ลัง (demoBarcode(1, 2)).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>
#include <ostream>

#include "app_fixture.h"
#include "box_packing_window.h"
#include "config_module.h"
#include "data_module.h"
#include "document_print_dialog.h"
#include "modal.h"
#include "window_fixture.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace packtest {

struct PrintCall {
  QString docNo;
  int docYear = 0;
  QString printCode;
};

// The window with its print hand-off recorded.
class PackingWindow : public TFrProductInBoxNo {
 public:
  QVector<PrintCall> prints;
  bool realPrintDialog = false;
  void PrintDocument(const QString& docNo, int docYear, const QString& printCode) override {
    prints << PrintCall{docNo, docYear, printCode};
    if (realPrintDialog) TFrProductInBoxNo::PrintDocument(docNo, docYear, printCode);
  }
};

inline testsupport::AppOptions packingOptions() {
  testsupport::AppOptions o;
  o.menuOption = 102;
  return o;
}

class BoxPackingTest : public ::testing::Test {
 public:
  // The site and start-up of the test (a derived fixture may change them).
  virtual testsupport::AppOptions options() const { return packingOptions(); }
  // Runs once the site is ready, before the window is made.
  virtual void beforeWindow() {}

  void SetUp() override {
    app = std::make_unique<testsupport::AppFixture>(options());
    ASSERT_TRUE(app->ready()) << app->failure().toStdString();
    errors.collect();
    beforeWindow();
    w = std::make_unique<PackingWindow>();
    w->Feedback = [this](packing::ScanSignal s) { (s == packing::ScanSignal::Accepted ? accepted : refused) += 1; };
    ASSERT_TRUE(testsupport::showActive(*w));
  }
  void TearDown() override { testsupport::closeWindow(w); }

  db::Connection& conn() { return app->dm().DMdata; }
  QVariant scalar(const QString& sql, const db::Params& p = {}) { return testsupport::scalar(conn(), sql, p); }
  QVariant boxValue(const QString& boxNo, const QString& column) {
    db::Params p;
    p.setText(QStringLiteral("No"), boxNo);
    return scalar(QStringLiteral("Select ") + column + QStringLiteral(" From BoxNo Where BarCode = :No"), p);
  }
  qint64 unitId(const QString& barcode) {
    db::Params p;
    p.setText(QStringLiteral("B"), barcode);
    return scalar(QStringLiteral("Select Id From ProductUnits Where Barcode = :B"), p).toLongLong();
  }
  qint64 customerId(const QString& code) { return testsupport::idOf(conn(), QStringLiteral("Customer"), code); }
  qint64 lineCount(const QString& boxNo) {
    db::Params p;
    p.setText(QStringLiteral("No"), boxNo);
    return scalar(QStringLiteral("Select Count(*) From BoxNoProductUnits D Inner Join BoxNo B On B.Id = D.BoxNo Where B.BarCode = :No"), p)
        .toLongLong();
  }

  // ---- What a user does ----
  // Types a box number and presses Enter (the focus leaves the number: the box opens).
  void openBox(const QString& no) {
    w->DocNo->setFocus(Qt::TabFocusReason);
    w->DocNo->setText(no);
    QTest::keyClick(w->DocNo, Qt::Key_Return);
  }
  void typeInto(QLineEdit* e, const QString& text) {
    e->setFocus(Qt::TabFocusReason);
    e->selectAll();
    QTest::keyClicks(e, text);
  }
  void chooseCustomer(const QString& code) {
    typeInto(w->FaGetCustomer1->Customer, code);
    QTest::keyClick(w->FaGetCustomer1->Customer, Qt::Key_Return);
  }
  void setSendDate(const QString& text) {
    typeInto(w->FaGetDate1->DocDate, text);
    QTest::keyClick(w->FaGetDate1->DocDate, Qt::Key_Return);
  }
  // A hand scanner: the barcode's characters, then Enter.
  void scan(const QString& barcode) {
    typeInto(w->EBarCode, barcode);
    QTest::keyClick(w->EBarCode, Qt::Key_Return);
  }
  void enterPrice(const QString& barcode) {
    typeInto(w->EBarCodePrice, barcode);
    QTest::keyClick(w->EBarCodePrice, Qt::Key_Return);
  }
  void pressSave() { QTest::keyClick(w.get(), Qt::Key_F10); }

  // The values of one column of the line list, in grid order.
  QStringList lines(const QString& field) const {
    QStringList out;
    if (!w->QBoxDt.active()) return out;
    const int c = w->QBoxDt.findColumn(field);
    for (const auto& row : w->QBoxDt.rows()) out << row[c].toString();
    return out;
  }
  // The window is back to an empty box.
  void expectReset() {
    EXPECT_TRUE(w->DocNo->isEnabled());
    EXPECT_EQ(w->DocNo->text(), QString());
    EXPECT_FALSE(w->AcSave->isEnabled());
    EXPECT_FALSE(w->QBoxDt.active());
    EXPECT_EQ(w->wwDBGrid1->rowCount(), 0);
    EXPECT_EQ(w->LCount->text(), QString());
    EXPECT_EQ(w->ScanCount, 0);
    EXPECT_FALSE(w->ConsignmentFlag);
    EXPECT_EQ(w->focusWidget(), w->DocNo);
  }

  std::unique_ptr<testsupport::AppFixture> app;
  testsupport::CollectedErrors errors;
  std::unique_ptr<PackingWindow> w;
  int accepted = 0, refused = 0;
};

}  // namespace packtest
