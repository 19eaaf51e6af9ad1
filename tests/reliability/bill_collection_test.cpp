// The zone bill-collection window under bad input and with its database locked by another process.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app_fixture.h"
#include "bill_collection_window.h"
#include "data_module.h"
#include "document_print_dialog.h"
#include "lock_holder.h"
#include "window_input.h"
#include "modal.h"
#include "search_dialog.h"
#include "window_fixture.h"

namespace {

class BillCollectionReliability : public ::testing::Test {
 protected:
  static testsupport::AppOptions options() {
    testsupport::AppOptions o;
    o.menuOption = 201;
    return o;
  }
  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    w = std::make_unique<TFrconsolidate_load>();
    ASSERT_TRUE(testsupport::showActive(*w));
  }
  void TearDown() override { testsupport::closeWindow(w); }
  db::Connection& conn() { return app.dm().DMdata; }
  qint64 count(const QString& sql) { return testsupport::scalar(conn(), sql).toLongLong(); }
  void activate() { ASSERT_TRUE(testsupport::activate(*w)); }
  void typeNumber(const QString& no) {
    activate();
    w->FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
    w->FaGetDocNo1->DocNo->setText(no);
    QTest::keyClick(w->FaGetDocNo1->DocNo, Qt::Key_Return);
  }
  void loadZone(const QString& code) {
    w->AcNew->trigger();
    typeNumber(QString());
    const int i = w->EZone->findData(testsupport::zoneId(conn(), code));
    ASSERT_GE(i, 0) << code.toStdString();
    w->EZone->setCurrentIndex(i);
    w->BLoad->click();
  }
  void tick(int row) {
    auto* m = w->DgDt->resultModel();
    ASSERT_TRUE(m->toggle(m->index(row, m->columnOf("Chk"))));
  }
  QString demoBill() { return conn().select("Select Min(Docno) From MoneyBill").rows().value(0).value(0).toString(); }
  // The next print dialog is closed at once; its document number is kept.
  void expectPrint() {
    widgets::QueueModalDriver([this](QDialog& d) {
      if (auto* p = qobject_cast<TFrDocPrintForm*>(&d)) printed << p->DocNo;
      d.reject();
    });
  }

  testsupport::AppFixture app{options()};
  testsupport::CollectedErrors errors;
  std::unique_ptr<TFrconsolidate_load> w;
  QStringList printed;
};

QStringList hostileTexts() {
  return {QStringLiteral("'"), QStringLiteral("x' Or '1'='1"), QStringLiteral("1'; Delete From MoneyBill; --"), QStringLiteral("%"),
          QStringLiteral("_"), QStringLiteral("MB%"), QStringLiteral("[M]%"), QStringLiteral(":DocNo"), QStringLiteral("\\%"),
          QStringLiteral("\x01\x02"), QString(200, QLatin1Char('9')), QString(20000, QChar(0x0E01))};
}

TEST_F(BillCollectionReliability, HostileNumbersOpenNoBillAndChangeNothing) {
  const qint64 rows = count("Select Count(*) From MoneyBill");
  for (const QString& text : hostileTexts()) {
    SCOPED_TRACE(text.left(40).toStdString());
    w->AcNew->trigger();
    typeNumber(text);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_TRUE(w->IsNewBill);
    EXPECT_EQ(w->QselectGrid.rowCount(), 0);
  }
  EXPECT_EQ(count("Select Count(*) From MoneyBill"), rows);
}

TEST_F(BillCollectionReliability, HostileSearchTextsAreMatchedAsOrdinaryCharacters) {
  for (const QString& text : hostileTexts()) {
    SCOPED_TRACE(text.left(40).toStdString());
    EXPECT_EQ(reliability::rowsListedBySearch(w->FaGetDocNo1->DocNo, text, [this] { activate(); }), 0);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  }
}

TEST_F(BillCollectionReliability, DatesOutsideTheCalendarAreRefusedWithAMessage) {
  loadZone("Z01");
  reliability::expectDatesRefused(app, errors, w->FaGetDate1->DocDate, [this] { activate(); });
}

// The company database locked by another process past the busy time-out: Save and Delete roll
// back, tell the user, keep the bill on screen, and work once the lock is gone.
TEST_F(BillCollectionReliability, SaveAndDeleteWhileAnotherProcessLocksTheDatabase) {
  reliability::shortenBusyTimeout(conn());
  loadZone("Z01");
  ASSERT_GE(w->QselectGrid.rowCount(), 1);
  tick(0);
  w->Responsible->setText(QStringLiteral("ผู้เก็บ"));
  const qint64 rows = count("Select Count(*) From MoneyBill");
  {
    reliability::LockHolder lock(app.site().folder(), app.site().companyDatabase());
    ASSERT_TRUE(lock.ok()) << lock.error().toStdString();
    expectPrint();
    w->AcSave->trigger();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("locked")) << errors[0].toStdString();
    EXPECT_TRUE(printed.isEmpty());
    widgets::ClearModalDrivers();
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_TRUE(w->IsNewBill);
    EXPECT_EQ(w->QselectGrid.at(0, w->QselectGrid.findColumn("Chk")).toString(), "Y");
    EXPECT_EQ(w->Responsible->text(), QStringLiteral("ผู้เก็บ"));
    EXPECT_TRUE(w->AcSave->isEnabled());
  }
  EXPECT_EQ(count("Select Count(*) From MoneyBill"), rows);
  errors.clear();
  expectPrint();
  w->AcSave->trigger();
  ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  ASSERT_EQ(printed.size(), 1);
  EXPECT_EQ(count("Select Count(*) From MoneyBill"), rows + 1);

  // Delete of a stored bill.
  const QString bill = demoBill();
  w->AcNew->trigger();
  typeNumber(bill);
  ASSERT_FALSE(w->IsNewBill);
  {
    reliability::LockHolder lock(app.site().folder(), app.site().companyDatabase());
    ASSERT_TRUE(lock.ok()) << lock.error().toStdString();
    app.prompts().answer(true);
    w->AcDel->trigger();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("locked")) << errors[0].toStdString();
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_FALSE(w->IsNewBill);
    EXPECT_GT(w->QselectGrid.rowCount(), 0);
  }
  db::Params p;
  p.setText("No", bill);
  EXPECT_EQ(conn().select("Select Count(*) n From MoneyBill Where Docno = :No And Delflag = 'Y'", p).asInt("n"), 0);
  errors.clear();
  app.prompts().answer(true);
  w->AcDel->trigger();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_GT(conn().select("Select Count(*) n From MoneyBill Where Docno = :No And Delflag = 'Y'", p).asInt("n"), 0);
}

// Two workstations on one bill: the bill changed or deleted by the other after it was opened here
// is not saved or deleted here; the user is told what changed and the work stays on screen.
TEST_F(BillCollectionReliability, ABillChangedElsewhereIsNotWrittenOver) {
  struct Change {
    const char* what;
    const char* sql;  // run by the other workstation; :No is the bill's number
    const char* named;
  } changes[] = {
      {"deleted", "Update MoneyBill Set Delflag = 'Y' Where Docno = :No", "เอกสารถูกยกเลิกแล้ว"},
      {"an invoice taken out", "Delete From MoneyBill Where Id = (Select Max(Id) From MoneyBill Where Docno = :No)",
       "รายการ Invoice ถูกลบ 1 รายการ"},
      {"saved again with another remark", "Update MoneyBill Set Remark = 'other' Where Docno = :No", "รายการถูกแก้ไข"},
  };
  for (const Change& c : changes) {
    for (bool del : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (del ? " / delete" : " / save"));
      // A bill of two invoices.
      loadZone("Z01");
      ASSERT_GE(w->QselectGrid.rowCount(), 2);
      tick(0);
      tick(1);
      printed.clear();
      expectPrint();
      w->AcSave->trigger();
      ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
      ASSERT_EQ(printed.size(), 1);
      const QString no = printed[0];
      w->AcNew->trigger();
      typeNumber(no);
      ASSERT_FALSE(w->IsNewBill);
      w->Remark->setText(QStringLiteral("งานบนจอ"));

      db::Params p;
      p.setText("No", no);
      {
        auto other = app.site().openCompany();
        other->execute(QString::fromLatin1(c.sql), p);
      }
      const auto stored = [&] {
        QStringList out;
        const db::Result rows = conn().select("Select Id, BillDocId, Delflag, Remark From MoneyBill Where Docno = :No Order By Id", p);
        for (const auto& row : rows.rows())
          out << row[0].toString() + '|' + row[1].toString() + '|' + row[2].toString() + '|' + row[3].toString();
        return out;
      };
      const QStringList before = stored();
      app.prompts().clear();
      printed.clear();
      if (del) w->AcDel->trigger();
      else w->AcSave->trigger();
      EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
      EXPECT_TRUE(printed.isEmpty());
      ASSERT_EQ(app.prompts().texts().size(), 1);
      const QString refusal = app.prompts().texts()[0];
      EXPECT_TRUE(refusal.startsWith(QStringLiteral("เอกสารเลขที่ %1 ถูกแก้ไขจากเครื่องอื่นหลังจากเปิดเอกสารนี้ จึงไม่ได้บันทึก").arg(no)))
          << refusal.toStdString();
      EXPECT_TRUE(refusal.contains(QString::fromUtf8(c.named))) << refusal.toStdString();
      EXPECT_EQ(stored(), before);
      EXPECT_FALSE(conn().inTransaction());
      EXPECT_FALSE(w->IsNewBill);
      EXPECT_EQ(w->Remark->text(), QStringLiteral("งานบนจอ"));
      EXPECT_TRUE(w->AcSave->isEnabled());
    }
  }
}

// A counter set back draws the number of a stored bill: the new bill is refused instead of being
// added to the stored one, and its invoices stay on screen.
TEST_F(BillCollectionReliability, ANewBillNeverJoinsAStoredOne) {
  loadZone("Z01");
  ASSERT_GE(w->QselectGrid.rowCount(), 2);
  tick(0);
  expectPrint();
  w->AcSave->trigger();
  ASSERT_EQ(printed.size(), 1);
  const QString first = printed[0];
  const QString year = QString::number(app.dm().ServerTime().date().year());
  conn().execute("Update DocumentNo Set LastNo = LastNo - 1 Where Code = 'MONEYBILL' And DocYear = " + year);
  const qint64 rowsOfFirst = count("Select Count(*) From MoneyBill Where Docno = '" + first + "'");

  loadZone("Z01");
  tick(1);
  app.prompts().clear();
  printed.clear();
  w->AcSave->trigger();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_TRUE(printed.isEmpty());
  EXPECT_EQ(app.prompts().texts(),
            QStringList{QStringLiteral("เลขที่เอกสาร %1 มีอยู่แล้ว จึงไม่ได้บันทึก\r\nกรุณาตรวจสอบการตั้งเลขที่เอกสาร MONEYBILL").arg(first)});
  EXPECT_EQ(count("Select Count(*) From MoneyBill Where Docno = '" + first + "'"), rowsOfFirst);
  EXPECT_TRUE(w->IsNewBill);
  EXPECT_GE(w->QselectGrid.rowCount(), 2);
  EXPECT_FALSE(conn().inTransaction());
}

}  // namespace
