// The zone consolidation window on a copy of the demo site, started in-process with scripted
// prompts. Errors that reach the error reporter are collected instead of shown; the print dialog
// is driven through the modal seam and its hand-offs recorded.
//
// Demo facts used here (docs/embedded-server.md): zone Z01's customer C00001 has one approved
// order due today whose lines are, in this order,
//   P00001 5 ลัง (12)  stock 250 base units this year           -> OH 20, allocated 5
//   P00002 10 ขวด (1)  no stock this year, Negative "Y"         -> OH 0, allocated 0
//   P00003 5 ลัง (12)  stock 25 base units                      -> OH 2, allocated 2
// ConsolidateHd 1 is open (zone Z02), 2 finished (Z03), 3 deleted (Z04).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "app_fixture.h"
#include "config_module.h"
#include "data_module.h"
#include "document_print_dialog.h"
#include "modal.h"
#include "window_fixture.h"
#include "zone_consolidation_window.h"

namespace contest {

struct PrintCall {
  QString docNo;
  int docYear = 0;
  QString printCode;
  int formCount = 0;
};

class ConsoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    fixedLines = ids("Select D.Id From SoDt D Where D.SoHd = (Select Min(H.Id) From SoHd H Inner Join Customer C "
                     "On C.Id = H.Customer Where C.Code = 'C00001') Order By D.Id");
    ASSERT_EQ(fixedLines.size(), 3);
    ASSERT_EQ(ids("Select Product From SoDt Where SoHd = (Select SoHd From SoDt Where Id = " + QString::number(fixedLines[0]) +
                  ") Order By Id"),
              (QVector<qint64>{1, 2, 3}));
    w = std::make_unique<TFrConsolidate_Qel_Dru>();
    ASSERT_TRUE(testsupport::showActive(*w));
  }
  void TearDown() override { testsupport::closeWindow(w); }

  db::Connection& conn() { return app.dm().DMdata; }

  QVector<qint64> ids(const QString& sql, const db::Params& p = {}) { return testsupport::ids(conn(), sql, p); }
  QVariant scalar(const QString& sql, const db::Params& p = {}) { return testsupport::scalar(conn(), sql, p); }
  qint64 zoneId(const QString& code) { return testsupport::zoneId(conn(), code); }

  // Chooses a zone in the zone selector as a user does.
  void chooseZone(const QString& code) {
    const int i = w->EZone->findData(code);
    ASSERT_GE(i, 0) << code.toStdString();
    w->EZone->setCurrentIndex(i);
  }
  // The window active again (after a dialog closed).
  void activate() { ASSERT_TRUE(testsupport::activate(*w)); }
  // Leaves the number field with a number typed into it (or empty for a new document).
  void enterNumber(const QString& number) {
    activate();
    w->FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
    w->FaGetDocNo1->DocNo->setText(number);
    w->EZone->setFocus(Qt::TabFocusReason);  // the focus leaves the number frame: its exit runs
    QApplication::processEvents();
  }
  // A new document of a zone, loaded.
  void loadZone(const QString& code) {
    w->AcNew->trigger();
    enterNumber(QString());
    chooseZone(code);
    w->BLoad->click();
  }

  // The grid row of a sales-order line, -1 when not listed.
  int rowOf(qint64 soDt) const {
    const int c = w->QConsoDt.findColumn("SoDt");
    for (int i = 0; i < w->QConsoDt.rowCount(); ++i)
      if (w->QConsoDt.at(i, c).toLongLong() == soDt) return i;
    return -1;
  }
  QVariant cell(int row, const QString& field) const { return w->QConsoDt.at(row, w->QConsoDt.findColumn(field)); }
  QModelIndex index(int row, const QString& field) const {
    const int c = w->DgDt->resultModel()->columnOf(field);
    return w->DgDt->resultModel()->index(row, c);
  }
  // Ticks or unticks a row as a click on its check box does.
  void toggle(int row) { ASSERT_TRUE(w->DgDt->resultModel()->toggle(index(row, "ToConso"))); }
  void tick(int row) {
    if (cell(row, "ToConso").toString() != "Y") toggle(row);
  }
  // Commits a typed quantity into a row's SendQnty cell.
  void enterSendQnty(int row, const QString& text) {
    ASSERT_TRUE(w->DgDt->resultModel()->setData(index(row, "SendQnty"), text, Qt::EditRole));
  }

  // Queues a driver for the next print dialog that records what it was handed and closes it.
  void expectPrintDialog() {
    widgets::QueueModalDriver([this](QDialog& d) {
      auto* p = qobject_cast<TFrDocPrintForm*>(&d);
      PrintCall c;
      if (p) {
        c.docNo = p->DocNo;
        c.docYear = p->DocYear;
        c.printCode = p->PrintCode;
        c.formCount = p->FormCount;
      }
      prints << c;
    });
  }

  // Save (F10 path) with the Save prompt answered Yes.
  void save() {
    app.prompts().answer(true);
    expectPrintDialog();
    w->AcSave->trigger();
  }

  int count(const QString& table, const QString& where = QString()) { return testsupport::count(conn(), table, where); }

  testsupport::AppFixture app;
  testsupport::CollectedErrors errors;
  std::unique_ptr<TFrConsolidate_Qel_Dru> w;
  QVector<PrintCall> prints;
  QVector<qint64> fixedLines;  // the SoDt ids of C00001's due order: P00001, P00002, P00003
};

}  // namespace contest
