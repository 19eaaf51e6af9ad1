// The box packing window under bad input and with its database locked by another process.
#include <QDate>
#include <QLineEdit>

#include "embedded/embedded.h"
#include "lock_holder.h"
#include "packing_fixture.h"

namespace {

using packtest::BoxPackingTest;

const QString kBottle = QStringLiteral("8850000010019");  // P00001 ขวด
const QString kBoxNotFound = QStringLiteral("ไม่พบเลขที่กล่อง \r\nกรุณาตรวจสอบใหม่");

// Texts that must be taken as ordinary characters wherever they are typed or scanned.
struct Text {
  const char* name;
  QString text;
};
QList<Text> hostileTexts() {
  return {
      {"a quote", QStringLiteral("BOX'0001")},
      {"an SQL condition", QStringLiteral("x' Or '1'='1")},
      {"a statement", QStringLiteral("1'; Delete From BoxNo; --")},
      {"percent and underscore", QStringLiteral("BOX00000%")},
      {"a lone percent sign", QStringLiteral("%")},
      {"an underscore pattern", QStringLiteral("BOX00000_")},
      {"a parameter name", QStringLiteral(":BarCode")},
      {"brackets and a backslash", QStringLiteral("[BOX]\\%")},
      {"control characters", QStringLiteral("\x01\x02\x1b[2J8850000010019")},
      {"a tab and a line break", QStringLiteral("BOX000001\tBOX000002\nX")},
      {"200 digits", QString(200, QLatin1Char('8'))},
      {"a very long text", QString(20000, QChar(0x0E01))},
  };
}

TEST_F(BoxPackingTest, HostileBoxNumbersAreNotFound) {
  const qint64 boxes = scalar("Select Count(*) From BoxNo").toLongLong();
  for (const Text& t : hostileTexts()) {
    SCOPED_TRACE(t.name);
    app->prompts().clear();
    w->DocNo->setFocus(Qt::TabFocusReason);
    w->DocNo->setText(t.text);
    QTest::keyClick(w->DocNo, Qt::Key_Return);
    EXPECT_EQ(app->prompts().texts(), QStringList{kBoxNotFound});
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    expectReset();
  }
  EXPECT_EQ(scalar("Select Count(*) From BoxNo").toLongLong(), boxes);
}

TEST_F(BoxPackingTest, HostileScansAreRefusedAndTheBoxKeepsItsPieces) {
  openBox(QStringLiteral("BOX000001"));
  chooseCustomer(QStringLiteral("C00001"));
  scan(kBottle);
  for (const Text& t : hostileTexts()) {
    SCOPED_TRACE(t.name);
    const int refusedBefore = refused;
    w->EBarCode->setFocus(Qt::TabFocusReason);
    w->EBarCode->setText(t.text);
    QTest::keyClick(w->EBarCode, Qt::Key_Return);
    EXPECT_EQ(refused, refusedBefore + 1) << "the error sound";
    EXPECT_EQ(lines(QStringLiteral("RecNo")), QStringList{"1"}) << "no piece added";
    EXPECT_EQ(w->LCount->text(), QStringLiteral("จำนวน 1"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_TRUE(app->prompts().log.empty());
  }
  // The scanner still works, and the box saves with its one piece.
  scan(kBottle);
  EXPECT_EQ(lines(QStringLiteral("RecNo")), (QStringList{"1", "2"}));
  app->prompts().answer(true);
  pressSave();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(lineCount(QStringLiteral("BOX000001")), 2);
}

TEST_F(BoxPackingTest, HostileCustomerCodesFindNoCustomerAndSaveNothing) {
  const qint64 customers = scalar("Select Count(*) From Customer").toLongLong();
  for (const Text& t : hostileTexts()) {
    SCOPED_TRACE(t.name);
    app->prompts().clear();
    w->AcNew->trigger();
    openBox(QStringLiteral("BOX000003"));
    typeInto(w->FaGetCustomer1->Customer, QString());
    w->FaGetCustomer1->Customer->setText(t.text);
    QTest::keyClick(w->FaGetCustomer1->Customer, Qt::Key_Return);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(w->FaGetCustomer1->CustomerName->text(), QStringLiteral("-")) << "no customer found";
    EXPECT_EQ(w->focusWidget(), w->FaGetCustomer1->Customer) << "the code is refused where it was typed";
    scan(kBottle);
    app->prompts().answer(true);
    pressSave();
    // Every attempt to leave the field, the Save included, is refused by name; nothing is saved.
    const QStringList texts = app->prompts().texts();
    EXPECT_GE(texts.size(), 2);
    for (const QString& text : texts) EXPECT_TRUE(text.startsWith(QStringLiteral("ไม่พบรหัสลูกค้า : "))) << text.left(60).toStdString();
    EXPECT_TRUE(boxValue("BOX000003", "Customer").isNull());
    EXPECT_EQ(lineCount(QStringLiteral("BOX000003")), 0);
    EXPECT_EQ(w->wwDBGrid1->rowCount(), 1) << "the scanned piece stays on screen";
  }
  EXPECT_EQ(scalar("Select Count(*) From Customer").toLongLong(), customers);
}

TEST_F(BoxPackingTest, SendDatesOutsideTheCalendarAreRefusedWithAMessage) {
  openBox(QStringLiteral("BOX000004"));
  const QStringList texts{QStringLiteral("31/02/2024"), QStringLiteral("29/02/2023"), QStringLiteral("00/00/0000"),
                          QStringLiteral("32/01/2024"), QStringLiteral("01/13/2024"), QStringLiteral("01/01/10000"),
                          QStringLiteral("99999999999999999999"), QStringLiteral("1/1/-5"), QStringLiteral("'; Drop Table BoxNo; --")};
  for (const QString& text : texts) {
    SCOPED_TRACE(text.toStdString());
    app->prompts().clear();
    errors.clear();
    w->FaGetDate1->DocDate->setFocus(Qt::TabFocusReason);
    w->FaGetDate1->DocDate->setText(text);
    QTest::keyClick(w->FaGetDate1->DocDate, Qt::Key_Return);
    // The error reporter has it, with its Thai explanation in front; no box of the edit's own.
    EXPECT_EQ(errors, QStringList{QStringLiteral("'%1' is not a valid date").arg(text)});
    EXPECT_TRUE(app->prompts().texts().isEmpty());
    EXPECT_EQ(w->focusWidget(), w->FaGetDate1->DocDate) << "the date stays to be corrected";
  }
  errors.clear();
  // A date beyond the company's working year is refused with the Thai message.
  app->prompts().clear();
  setSendDate(QStringLiteral("01/01/%1").arg(testsupport::serverToday().year() + 5));
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("วันที่ ไม่ถูกต้อง !!")});
  EXPECT_TRUE(boxValue("BOX000004", "SendDate").isNull());
}

// The company database is locked by another process past the busy time-out when the box is saved:
// the save is rolled back, the user is told, the box stays on screen with its scans and saves once
// the lock is gone.
TEST_F(BoxPackingTest, SaveWhileAnotherProcessLocksTheDatabase) {
  reliability::shortenBusyTimeout(conn());
  openBox(QStringLiteral("BOX000008"));
  chooseCustomer(QStringLiteral("C00001"));
  scan(kBottle);
  scan(embedded::demoBarcode(2, 1));
  const qint64 invoices = scalar("Select Count(*) From IvHd").toLongLong();
  {
    reliability::LockHolder lock(app->site().folder(), app->site().companyDatabase());
    ASSERT_TRUE(lock.ok()) << lock.error().toStdString();
    app->prompts().answer(true);
    pressSave();
    ASSERT_EQ(errors.size(), 1) << "the user is told";
    EXPECT_TRUE(errors[0].contains(QStringLiteral("locked"))) << errors[0].toStdString();
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_TRUE(w->prints.isEmpty());
    EXPECT_EQ(w->DocNo->text(), QStringLiteral("BOX000008"));
    EXPECT_TRUE(w->AcSave->isEnabled());
    EXPECT_EQ(lines(QStringLiteral("RecNo")), (QStringList{"1", "2"}));
  }
  // Nothing of the box was written meanwhile.
  EXPECT_TRUE(boxValue("BOX000008", "Customer").isNull());
  EXPECT_EQ(lineCount(QStringLiteral("BOX000008")), 0);
  EXPECT_EQ(scalar("Select Count(*) From IvHd").toLongLong(), invoices);
  // The lock is gone: the same box saves.
  errors.clear();
  app->prompts().answer(true);
  pressSave();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(lineCount(QStringLiteral("BOX000008")), 2);
  EXPECT_EQ(w->prints.size(), 1);
}

// Two workstations open the same empty box; the other one packs it first (or cancels it). This
// window's save is refused with what happened to the box, its scanned pieces stay on screen, Save
// is disabled, and the box keeps the other workstation's customer, pieces and invoice.
TEST_F(BoxPackingTest, ABoxPackedOrCancelledElsewhereIsNotPackedAgain) {
  struct Case {
    const char* box;
    bool packed;  // packed by the other workstation, else cancelled
  } cases[] = {{"BOX000011", true}, {"BOX000012", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    const QString box = QString::fromLatin1(c.box);
    w->AcNew->trigger();
    openBox(box);
    ASSERT_TRUE(w->AcSave->isEnabled());
    chooseCustomer(QStringLiteral("C00002"));
    scan(kBottle);
    scan(kBottle);

    auto other = app->site().openCompany();
    db::Params p;
    p.setText(QStringLiteral("No"), box);
    QString invoice;
    if (c.packed) {
      p.setInt(QStringLiteral("C"), customerId(QStringLiteral("C00001")));
      p.setInt(QStringLiteral("U"), unitId(kBottle));
      other->execute(QStringLiteral("Update BoxNo Set Customer = :C Where BarCode = :No"), p);
      other->execute(QStringLiteral("Insert Into BoxNoProductUnits (BoxNo, ProductUnits, Quantity, ProductUnitsPrice, LastUpdate) "
                                    "Select Id, :U, 1, 0, GetDate() From BoxNo Where BarCode = :No"),
                     p);
      db::Params call;
      call.setText(QStringLiteral("BoxNo"), box);
      other->callProcedure(QStringLiteral("CopyBoxNoToIvHd"), call, {});
      invoice = other->select(QStringLiteral("Select IvNo From BoxNo Where BarCode = :No"), p).asString(QStringLiteral("IvNo"));
      ASSERT_FALSE(invoice.isEmpty());
    } else {
      other->execute(QStringLiteral("Update BoxNo Set Delflag = 'Y' Where BarCode = :No"), p);
    }
    other.reset();
    const qint64 invoices = scalar(QStringLiteral("Select Count(*) From IvHd")).toLongLong();
    const qint64 lines = lineCount(box);

    app->prompts().clear();
    app->prompts().answer(true);
    w->prints.clear();
    pressSave();
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_TRUE(w->prints.isEmpty()) << "nothing printed";
    const QStringList texts = app->prompts().texts();
    ASSERT_EQ(texts.size(), 2) << texts.join('\n').toStdString();  // the question, then the refusal
    const QString expected = QStringLiteral("กล่องเลขที่ %1 ถูกบันทึกจากเครื่องอื่นหลังจากเปิดกล่องนี้ จึงไม่ได้บันทึก").arg(box) +
                             (c.packed ? QStringLiteral("\r\nลูกค้า : C00001\r\nInvoice : ") + invoice
                                       : QStringLiteral("\r\nกล่องถูกยกเลิกแล้ว"));
    EXPECT_EQ(texts[1], expected);
    EXPECT_FALSE(w->AcSave->isEnabled());
    EXPECT_EQ(w->QBoxDt.rowCount(), 2) << "the scanned pieces stay on screen";
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_EQ(scalar(QStringLiteral("Select Count(*) From IvHd")).toLongLong(), invoices) << "no second invoice";
    EXPECT_EQ(lineCount(box), lines);
    EXPECT_EQ(boxValue(box, QStringLiteral("Customer")).isNull(), !c.packed);
    if (c.packed) {
      EXPECT_EQ(boxValue(box, QStringLiteral("Customer")).toLongLong(), customerId(QStringLiteral("C00001")));
      EXPECT_EQ(boxValue(box, QStringLiteral("IvNo")).toString(), invoice);
    }
  }
}

}  // namespace
