// The box packing window: opening boxes, the customer and the price barcode, scans, Save with the
// server procedures and the print hand-off, and a save that fails.
#include <QDate>
#include <QPushButton>
#include <QScrollBar>

#include "box_procedures.h"
#include "embedded/embedded.h"
#include "packing_fixture.h"

namespace packtest {
namespace {

const QString kBottle = QStringLiteral("8850000010019");  // P00001 ขวด

QString yy(int year) { return QString::number(year % 100).rightJustified(2, QLatin1Char('0')); }

TEST_F(BoxPackingTest, ThreeScansOfOneBarcodeGiveThreeRowsNumberedInScanOrder) {
  EXPECT_EQ(w->windowTitle(), QStringLiteral("บันทึกสินค้าลงกล่อง"));
  openBox(QStringLiteral("BOX000001"));
  ASSERT_FALSE(w->DocNo->isEnabled()) << "the box opened";
  EXPECT_TRUE(w->AcSave->isEnabled()) << "an empty box can be packed";
  EXPECT_EQ(w->LCount->text(), QStringLiteral("จำนวน 0"));

  for (int i = 0; i < 3; ++i) scan(kBottle);
  EXPECT_EQ(lines(QStringLiteral("RecNo")), (QStringList{"1", "2", "3"}));
  EXPECT_EQ(lines(QStringLiteral("Quantity")), (QStringList{"1", "1", "1"}));
  EXPECT_EQ(lines(QStringLiteral("ProdCode")), (QStringList{"P00001", "P00001", "P00001"}));
  EXPECT_EQ(lines(QStringLiteral("ProductUnits")).value(0), QString::number(unitId(kBottle)));
  EXPECT_EQ(lines(QStringLiteral("BoxNo")), (QStringList{"1", "1", "1"}));
  EXPECT_EQ(w->LCount->text(), QStringLiteral("จำนวน 3"));
  EXPECT_EQ(accepted, 3);
  EXPECT_EQ(refused, 0);
  // The grid shows the rows and follows the last one; the scanner field is ready again.
  EXPECT_EQ(w->wwDBGrid1->rowCount(), 3);
  EXPECT_EQ(w->wwDBGrid1->currentRow(), 2);
  EXPECT_EQ(w->wwDBGrid1->cellText(2, QStringLiteral("Barcode")), kBottle);
  EXPECT_EQ(w->EBarCode->text(), QString());
  EXPECT_EQ(w->focusWidget(), w->EBarCode);
  EXPECT_TRUE(app->prompts().log.empty());
  EXPECT_EQ(lineCount(QStringLiteral("BOX000001")), 0) << "only Save writes the lines";
}

TEST_F(BoxPackingTest, UnknownBarcodeChangesNothingButSoundsTheError) {
  openBox(QStringLiteral("BOX000001"));
  scan(kBottle);
  scan(QStringLiteral("0000000000000"));
  EXPECT_EQ(lines(QStringLiteral("RecNo")), QStringList{"1"});
  EXPECT_EQ(w->ScanCount, 1);
  EXPECT_EQ(w->LCount->text(), QStringLiteral("จำนวน 1"));
  EXPECT_TRUE(app->prompts().log.empty()) << "no message box for an unknown barcode";
  EXPECT_EQ(w->StatusText(), QStringLiteral("0000000000000 : ไม่พบบาร์โค้ดสินค้า")) << "the status bar names it";
  EXPECT_EQ(accepted, 1);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(w->EBarCode->text(), QString());
  EXPECT_EQ(w->focusWidget(), w->EBarCode);
}

TEST_F(BoxPackingTest, OpenedBoxShowsItsLinesAndTheNextScanCountsFromOne) {
  // Five pieces already in BOX000002: three scanned under a price barcode, two without one.
  const qint64 bottle = unitId(kBottle);
  const qint64 crate = unitId(embedded::demoBarcode(1, 2));
  for (qint64 price : {crate, crate, crate, qint64(0), qint64(0)}) {
    db::Params p;
    p.setInt("U", bottle);
    p.setInt("P", price);
    conn().execute("Insert Into BoxNoProductUnits (BoxNo, ProductUnits, Quantity, ProductUnitsPrice, LastUpdate) "
                   "Values (2, :U, 1, :P, GetDate())",
                   p);
  }
  openBox(QStringLiteral("BOX000002"));
  EXPECT_EQ(w->LCount->text(), QStringLiteral("จำนวน 5")) << "every piece is listed, with a price barcode or without";
  EXPECT_EQ(w->wwDBGrid1->rowCount(), 5);
  EXPECT_EQ(lines(QStringLiteral("RecNo")), (QStringList{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(lines(QStringLiteral("BarCodePrice")).count(embedded::demoBarcode(1, 2)), 3);

  scan(embedded::demoBarcode(2, 1));
  EXPECT_EQ(w->LCount->text(), QStringLiteral("จำนวน 1")) << "the counter starts from the last reset, not from the box";
  EXPECT_EQ(lines(QStringLiteral("RecNo")).last(), QStringLiteral("1"));
  EXPECT_EQ(w->wwDBGrid1->rowCount(), 6);
  EXPECT_EQ(w->wwDBGrid1->currentRow(), 5);
}

TEST_F(BoxPackingTest, ScanIntoAFullBoxPaintsTheNewRowNotTheWholeGrid) {
  // Forty pieces already in the box: more than the grid shows at once.
  conn().execute("Insert Into BoxNoProductUnits (BoxNo, ProductUnits, Quantity, ProductUnitsPrice, LastUpdate) "
                 "Select 9, U.Id, 1, 0, GetDate() From ProductUnits U Where U.SmallUnitFlag = 'Y' And U.Product <= 40");
  openBox(QStringLiteral("BOX000009"));
  ASSERT_EQ(w->wwDBGrid1->rowCount(), 40);
  QApplication::processEvents();
  QScrollBar* bar = w->wwDBGrid1->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0) << "the grid must be too small for the box";
  EXPECT_EQ(bar->value(), bar->maximum()) << "an opened box shows its last rows";
  w->wwDBGrid1->takePaintedRows();

  scan(kBottle);
  QApplication::processEvents();
  EXPECT_EQ(w->wwDBGrid1->currentRow(), 40);
  EXPECT_EQ(bar->value(), bar->maximum()) << "the grid follows the new row";
  const int painted = w->wwDBGrid1->takePaintedRows();
  EXPECT_GE(painted, 1) << "the new row is painted";
  EXPECT_LE(painted, 2) << "the rows on screen are moved, not painted again";
}

TEST_F(BoxPackingTest, BoxesOpenEditableOnlyWhenTheyCanBePacked) {
  struct Case {
    const char* box;
    bool saveEnabled;
    int rows;
  };
  const Case cases[] = {
      {"BOX000001", true, 0},   // registered and empty
      {"BOX900001", false, 3},  // packed and invoiced: shown read-only
      {"BOX900003", false, 0},  // cancelled: never packed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    w->AcNew->trigger();
    openBox(QString::fromLatin1(c.box));
    ASSERT_FALSE(w->DocNo->isEnabled());
    EXPECT_EQ(w->AcSave->isEnabled(), c.saveEnabled);
    EXPECT_EQ(w->wwDBGrid1->rowCount(), c.rows);
    EXPECT_EQ(w->LCount->text(), TFrProductInBoxNo::CountText(c.rows));
    if (!c.saveEnabled) {
      pressSave();
      EXPECT_TRUE(app->prompts().log.empty()) << "F10 does nothing";
      EXPECT_TRUE(w->prints.isEmpty());
      EXPECT_FALSE(w->DocNo->isEnabled()) << "the box stays open";
    }
  }
  // The packed box shows its customer.
  w->AcNew->trigger();
  openBox(QStringLiteral("BOX900001"));
  EXPECT_EQ(w->FaGetCustomer1->Customer->text(), QStringLiteral("C00001"));
  EXPECT_EQ(w->FaGetDate1->DocDate->date(), boxValue("BOX900001", "SendDate").toDateTime().date());
}

TEST_F(BoxPackingTest, UnknownOrEmptyBoxNumberIsRefusedAndResets) {
  for (const QString& no : {QStringLiteral("BOX-NONE"), QString()}) {
    SCOPED_TRACE(no.toStdString());
    app->prompts().clear();
    openBox(no);
    EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ไม่พบเลขที่กล่อง \r\nกรุณาตรวจสอบใหม่")});
    expectReset();
  }
}

TEST_F(BoxPackingTest, PriceBarcodeBoxFollowsTheCustomer) {
  // After New the price box is open; a price barcode typed then is cleared when the customer is chosen.
  openBox(QStringLiteral("BOX000001"));
  EXPECT_TRUE(w->EBarCodePrice->isEnabled());
  typeInto(w->EBarCodePrice, embedded::demoBarcode(1, 2));
  chooseCustomer(QStringLiteral("C00001"));
  EXPECT_FALSE(w->ConsignmentFlag);
  EXPECT_EQ(w->EBarCodePrice->text(), QString());
  EXPECT_FALSE(w->EBarCodePrice->isEnabled()) << "an ordinary customer has no price barcode";

  chooseCustomer(QStringLiteral("C00003"));
  EXPECT_TRUE(w->ConsignmentFlag);
  EXPECT_TRUE(w->EBarCodePrice->isEnabled());
  EXPECT_EQ(w->EBarCodePrice->text(), QString());
  EXPECT_EQ(w->QBoxNo.asInt("Customer"), customerId("C00003")) << "the frame writes the customer into the box record";
}

TEST_F(BoxPackingTest, ConsignmentScanNeedsAPriceBarcodeFirst) {
  openBox(QStringLiteral("BOX000001"));
  chooseCustomer(QStringLiteral("C00003"));
  scan(kBottle);
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ยังไม่กำหนด บาร์โค้ดราคา")});
  EXPECT_TRUE(w->QBoxDt.isEmpty());
  EXPECT_EQ(w->ScanCount, 0);
  EXPECT_EQ(w->focusWidget(), w->EBarCodePrice);
  EXPECT_EQ(w->EBarCode->text(), kBottle) << "the refused barcode stays for another try";
  EXPECT_EQ(refused, 1);

  // A price barcode that is no unit is kept as typed, with its message.
  app->prompts().clear();
  enterPrice(QStringLiteral("123"));
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ไม่พบบาร์โค้คราคาที่ป้อน\n\rกรุณาตรวจสอบอีกครั้ง")});
  EXPECT_EQ(w->EBarCodePrice->text(), QStringLiteral("123"));

  // A known one applies to every following scan.
  app->prompts().clear();
  const QString price = embedded::demoBarcode(1, 2);
  enterPrice(price);
  EXPECT_TRUE(app->prompts().log.empty());
  scan(kBottle);
  scan(embedded::demoBarcode(2, 1));
  EXPECT_EQ(lines(QStringLiteral("BarCodePrice")), (QStringList{price, price}));
  EXPECT_EQ(lines(QStringLiteral("ProductUnitsPrice")), (QStringList{QString::number(unitId(price)), QString::number(unitId(price))}));
  EXPECT_FALSE(lines(QStringLiteral("ProdPriceName")).value(0).isEmpty());
  EXPECT_EQ(w->LCount->text(), QStringLiteral("จำนวน 2"));
}

TEST_F(BoxPackingTest, ConsignmentCustomerWithoutWarehouseLosesThePriceBarcode) {
  conn().execute("Update Warehouse Set Code = 'OLD-C00003' Where Code = 'C00003'");
  openBox(QStringLiteral("BOX000001"));
  chooseCustomer(QStringLiteral("C00003"));
  enterPrice(embedded::demoBarcode(1, 2));
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ไม่พบคลัง : C00003")});
  EXPECT_EQ(w->EBarCodePrice->text(), QString());
  EXPECT_EQ(w->focusWidget(), w->EBarCodePrice);
}

TEST_F(BoxPackingTest, SaveMakesTheInvoiceWritesTheLinesAndPrintsIt) {
  const int year = testsupport::serverToday().year();
  openBox(QStringLiteral("BOX000001"));
  setSendDate(testsupport::serverToday().toString(QStringLiteral("dd/MM/yyyy")));
  chooseCustomer(QStringLiteral("C00001"));
  scan(kBottle);
  scan(embedded::demoBarcode(2, 1));
  scan(kBottle);
  app->prompts().answer(true);
  pressSave();

  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ต้องการบันทึก ?")});
  const QString ivNo = boxValue("BOX000001", "IvNo").toString();
  EXPECT_TRUE(ivNo.startsWith(QStringLiteral("IVA") + yy(year))) << ivNo.toStdString();
  EXPECT_EQ(boxValue("BOX000001", "Customer").toLongLong(), customerId("C00001"));
  EXPECT_EQ(db::toDateTime(boxValue("BOX000001", "SendDate")).date(), testsupport::serverToday());
  EXPECT_EQ(lineCount(QStringLiteral("BOX000001")), 3);
  EXPECT_EQ(scalar("Select Count(*) From BoxNoProductUnits Where BoxNo = 1 And ProductUnitsPrice = 0 And Quantity = 1 "
                   "And LastUpdate Is Not Null")
                .toLongLong(),
            3);
  // The invoice: two lines (the two bottles are one line), made for the box.
  db::Params p;
  p.setText("No", ivNo);
  EXPECT_EQ(scalar("Select Count(*) From IvDt D Inner Join IvHd H On H.Id = D.IvHd Where H.IvNo = :No", p).toLongLong(), 2);
  EXPECT_EQ(scalar("Select Reference From IvHd Where IvNo = :No", p).toString(), QStringLiteral("BOX000001"));
  EXPECT_EQ(scalar("Select BoxNoId From IvHd Where IvNo = :No", p).toLongLong(), 1);

  ASSERT_EQ(w->prints.size(), 1);
  EXPECT_EQ(w->prints[0].docNo, ivNo);
  EXPECT_EQ(w->prints[0].docYear, year);
  EXPECT_EQ(w->prints[0].printCode, QStringLiteral("IV-A"));
  EXPECT_EQ(accepted, 3);
  expectReset();
  // The invoice the box became stays in the status bar until the next box is opened.
  EXPECT_EQ(w->StatusText(), QStringLiteral("บันทึกกล่อง BOX000001 แล้ว : ใบกำกับสินค้าเลขที่ ") + ivNo);
  openBox(QStringLiteral("BOX000002"));
  EXPECT_EQ(w->StatusText(), QString());
}

TEST_F(BoxPackingTest, ConsignmentSaveMakesTheTransferToTheCustomersWarehouse) {
  openBox(QStringLiteral("BOX000003"));
  setSendDate(testsupport::serverToday().toString(QStringLiteral("dd/MM/yyyy")));
  chooseCustomer(QStringLiteral("C00003"));
  const QString price = embedded::demoBarcode(1, 2);
  enterPrice(price);
  scan(kBottle);
  scan(kBottle);
  app->prompts().answer(true);
  pressSave();

  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  const QString trNo = boxValue("BOX000003", "TrNo").toString();
  EXPECT_TRUE(trNo.startsWith(QStringLiteral("TRC"))) << trNo.toStdString();
  EXPECT_TRUE(boxValue("BOX000003", "IvNo").isNull());
  db::Params p;
  p.setText("No", trNo);
  EXPECT_EQ(scalar("Select W.Code From TransferHd H Inner Join Warehouse W On W.Id = H.ToWarehouse Where H.TrNo = :No", p).toString(),
            QStringLiteral("C00003"));
  EXPECT_EQ(scalar("Select Sum(D.Quantity) From TransferDt D Inner Join TransferHd H On H.Id = D.TransferHd Where H.TrNo = :No", p)
                .toDouble(),
            2.0);
  EXPECT_EQ(scalar("Select Count(*) From BoxNoProductUnits Where BoxNo = 3 And ProductUnitsPrice = " + QString::number(unitId(price)))
                .toLongLong(),
            2);
  ASSERT_EQ(w->prints.size(), 1);
  EXPECT_EQ(w->prints[0].docNo, trNo);
  EXPECT_EQ(w->prints[0].printCode, QStringLiteral("STOCKTRFCONV2"));
  expectReset();
  EXPECT_EQ(w->StatusText(), QStringLiteral("บันทึกกล่อง BOX000003 แล้ว : ใบโอนสินค้าเลขที่ ") + trNo);
}

TEST_F(BoxPackingTest, PrintYearIsTheYearOfTheSendDate) {
  // A box sent on 2 January of the coming year prints with that year, not with today's.
  const int next = testsupport::serverToday().year() + 1;
  openBox(QStringLiteral("BOX000004"));
  setSendDate(QStringLiteral("02/01/%1").arg(next));
  EXPECT_TRUE(app->prompts().log.empty()) << "the coming year is within the working year";
  chooseCustomer(QStringLiteral("C00001"));
  scan(kBottle);
  app->prompts().answer(true);
  pressSave();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  ASSERT_EQ(w->prints.size(), 1);
  EXPECT_EQ(w->prints[0].docYear, next);
  EXPECT_TRUE(w->prints[0].docNo.startsWith(QStringLiteral("IVA") + yy(next))) << w->prints[0].docNo.toStdString();
}

// No message throws a packer's scans away: a missing customer at Save, a No to the save question
// and a customer code that is no customer each leave the box open with every scanned piece.
TEST_F(BoxPackingTest, ScansSurviveAMissingCustomerANoAndAnUnknownCustomer) {
  openBox(QStringLiteral("BOX000005"));
  scan(kBottle);
  scan(embedded::demoBarcode(2, 1));
  const QStringList scanned = lines(QStringLiteral("Barcode"));
  ASSERT_EQ(scanned.size(), 2);
  auto expectBoxKept = [&](const char* after) {
    SCOPED_TRACE(after);
    EXPECT_FALSE(w->DocNo->isEnabled()) << "the box stays open";
    EXPECT_EQ(w->DocNo->text(), QStringLiteral("BOX000005"));
    EXPECT_TRUE(w->AcSave->isEnabled());
    EXPECT_EQ(lines(QStringLiteral("Barcode")), scanned);
    EXPECT_EQ(lines(QStringLiteral("RecNo")), (QStringList{"1", "2"}));
    EXPECT_EQ(w->wwDBGrid1->rowCount(), 2);
    EXPECT_EQ(w->ScanCount, 2);
    EXPECT_EQ(w->LCount->text(), QStringLiteral("จำนวน 2"));
    EXPECT_TRUE(boxValue("BOX000005", "Customer").isNull()) << "nothing was saved";
    EXPECT_EQ(lineCount(QStringLiteral("BOX000005")), 0);
    EXPECT_TRUE(w->prints.isEmpty());
  };

  pressSave();
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ยังไม่กำหนด ลูกค้า")});
  expectBoxKept("missing customer");
  EXPECT_EQ(w->focusWidget(), w->FaGetCustomer1->Customer) << "the customer is asked for";

  app->prompts().clear();
  chooseCustomer(QStringLiteral("C99999"));
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ไม่พบรหัสลูกค้า : C99999")});
  EXPECT_EQ(w->focusWidget(), w->FaGetCustomer1->Customer) << "the unknown code is refused where it was typed";
  EXPECT_LE(w->QBoxNo.asInt("Customer"), 0);
  expectBoxKept("unknown customer");

  app->prompts().clear();
  pressSave();  // the refused code is still in the field: it is refused again, and nothing more
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ไม่พบรหัสลูกค้า : C99999")});
  expectBoxKept("save with the unknown code");

  app->prompts().clear();
  chooseCustomer(QStringLiteral("C00001"));
  EXPECT_TRUE(app->prompts().log.empty());
  app->prompts().answer(false);
  pressSave();
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ต้องการบันทึก ?")});
  expectBoxKept("answered No");

  app->prompts().clear();
  app->prompts().answer(true);
  pressSave();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(lineCount(QStringLiteral("BOX000005")), 2) << "the pieces kept are the pieces saved";
  EXPECT_EQ(boxValue("BOX000005", "Customer").toLongLong(), customerId("C00001"));
  EXPECT_EQ(w->prints.size(), 1);
  expectReset();
}

// A mis-scanned piece is removed: its row is selected, Delete asks, and the rows after it are
// numbered as if it had never been scanned.
TEST_F(BoxPackingTest, AMisScannedPieceIsRemovedAndTheRestRenumbered) {
  openBox(QStringLiteral("BOX000007"));
  chooseCustomer(QStringLiteral("C00001"));
  const QString wrong = embedded::demoBarcode(2, 1);
  scan(kBottle);
  scan(wrong);
  scan(kBottle);
  ASSERT_EQ(lines(QStringLiteral("RecNo")), (QStringList{"1", "2", "3"}));
  auto pressDelete = [&](int row, bool confirm) {
    app->prompts().clear();
    w->wwDBGrid1->setFocus(Qt::MouseFocusReason);
    w->wwDBGrid1->setCurrentRow(row);
    app->prompts().answer(confirm);
    QTest::keyClick(w->wwDBGrid1, Qt::Key_Delete);
  };

  pressDelete(1, false);
  ASSERT_EQ(app->prompts().log.size(), 1u) << "Delete asks first";
  EXPECT_TRUE(app->prompts().texts()[0].contains(wrong)) << app->prompts().texts()[0].toStdString();
  EXPECT_EQ(lines(QStringLiteral("Barcode")), (QStringList{kBottle, wrong, kBottle})) << "No keeps the piece";

  pressDelete(1, true);
  EXPECT_EQ(lines(QStringLiteral("Barcode")), (QStringList{kBottle, kBottle}));
  EXPECT_EQ(lines(QStringLiteral("RecNo")), (QStringList{"1", "2"}));
  EXPECT_EQ(w->ScanCount, 2);
  EXPECT_EQ(w->LCount->text(), QStringLiteral("จำนวน 2"));
  EXPECT_EQ(w->wwDBGrid1->rowCount(), 2);
  scan(kBottle);
  EXPECT_EQ(lines(QStringLiteral("RecNo")), (QStringList{"1", "2", "3"})) << "the next scan follows on";

  app->prompts().clear();
  app->prompts().answer(true);
  pressSave();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(lineCount(QStringLiteral("BOX000007")), 3);
  EXPECT_EQ(scalar("Select Count(*) From BoxNoProductUnits Where BoxNo = 7 And ProductUnits = " + QString::number(unitId(wrong)))
                .toLongLong(),
            0);
}

// A box packed before takes no more pieces: the scan is refused with the document it went to.
TEST_F(BoxPackingTest, APackedBoxRefusesScansNamingItsDocument) {
  struct Case {
    const char* box;
    const char* column;
  };
  for (const Case& c : {Case{"BOX900001", "IvNo"}, Case{"BOX900002", "TrNo"}}) {
    SCOPED_TRACE(c.box);
    w->AcNew->trigger();
    openBox(QString::fromLatin1(c.box));
    const int rows = w->wwDBGrid1->rowCount();
    const QString doc = boxValue(QString::fromLatin1(c.box), QString::fromLatin1(c.column)).toString().trimmed();
    ASSERT_FALSE(doc.isEmpty());
    app->prompts().clear();
    accepted = refused = 0;
    scan(kBottle);
    ASSERT_EQ(app->prompts().log.size(), 1u);
    EXPECT_TRUE(app->prompts().texts()[0].contains(doc)) << app->prompts().texts()[0].toStdString();
    EXPECT_EQ(w->wwDBGrid1->rowCount(), rows);
    EXPECT_EQ(w->ScanCount, 0);
    EXPECT_EQ(accepted, 0);
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(w->EBarCode->text(), QString());
  }
}

TEST_F(BoxPackingTest, CustomerCodeTypedJustBeforeSaveCounts) {
  openBox(QStringLiteral("BOX000006"));
  scan(kBottle);
  typeInto(w->FaGetCustomer1->Customer, QStringLiteral("C00001"));  // F10 before leaving the field
  app->prompts().answer(true);
  pressSave();
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ต้องการบันทึก ?")});
  EXPECT_EQ(boxValue("BOX000006", "Customer").toLongLong(), customerId("C00001"));
  EXPECT_EQ(w->prints.size(), 1);
}

// A save that fails: nothing stays written, the failure is reported, the box and its scans stay on
// screen, nothing is printed; the user can save again once the cause is gone.
TEST_F(BoxPackingTest, FailedSaveKeepsTheBoxAndItsScansOnScreen) {
  struct Case {
    const char* name;
    std::function<void(BoxPackingTest&)> breakIt;
    std::function<void(BoxPackingTest&)> mendIt;
    QString error;
  };
  const Case cases[] = {
      {"the server procedure fails",
       [](BoxPackingTest&) {
         db::registerEmbeddedProcedure(QString::fromLatin1(packing::kCopyBoxNoToIvHd),
                                       [](db::Connection&, db::Params&) { throw db::Error(QStringLiteral("deadlock victim")); });
       },
       [](BoxPackingTest&) { db::registerEmbeddedProcedure(QString::fromLatin1(packing::kCopyBoxNoToIvHd), packing::copyBoxNoToIvHdProc); },
       QStringLiteral("deadlock victim")},
      {"another user invoiced the box meanwhile",
       [](BoxPackingTest& t) { t.conn().execute("Update BoxNo Set IvNo = 'IV-OTHER' Where BarCode = 'BOX000007'"); },
       [](BoxPackingTest& t) { t.conn().execute("Update BoxNo Set IvNo = Null Where BarCode = 'BOX000007'"); },
       QStringLiteral("กล่องเลขที่ BOX000007 ออกเอกสารแล้ว : IV-OTHER")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    errors.clear();
    w->prints.clear();
    w->AcNew->trigger();
    openBox(QStringLiteral("BOX000007"));
    chooseCustomer(QStringLiteral("C00001"));
    scan(kBottle);
    scan(embedded::demoBarcode(2, 1));
    c.breakIt(*this);
    const qint64 ivBefore = scalar("Select Count(*) From IvHd").toLongLong();
    app->prompts().answer(true);
    pressSave();
    c.mendIt(*this);

    EXPECT_EQ(errors, QStringList{c.error}) << "the failure goes to the error reporter";
    EXPECT_TRUE(w->prints.isEmpty()) << "nothing to print";
    EXPECT_TRUE(boxValue("BOX000007", "Customer").isNull()) << "rolled back";
    EXPECT_EQ(lineCount(QStringLiteral("BOX000007")), 0);
    EXPECT_EQ(scalar("Select Count(*) From IvHd").toLongLong(), ivBefore);
    // Still on screen, ready to be saved again.
    EXPECT_FALSE(w->DocNo->isEnabled());
    EXPECT_EQ(w->DocNo->text(), QStringLiteral("BOX000007"));
    EXPECT_TRUE(w->AcSave->isEnabled());
    EXPECT_EQ(lines(QStringLiteral("RecNo")), (QStringList{"1", "2"}));
    EXPECT_EQ(w->LCount->text(), QStringLiteral("จำนวน 2"));
    EXPECT_EQ(w->FaGetCustomer1->Customer->text(), QStringLiteral("C00001"));

    app->prompts().answer(true);
    pressSave();
    EXPECT_TRUE(errors.size() == 1) << errors.join('\n').toStdString();
    EXPECT_EQ(lineCount(QStringLiteral("BOX000007")), 2);
    ASSERT_EQ(w->prints.size(), 1);
    EXPECT_EQ(w->prints[0].docNo, boxValue("BOX000007", "IvNo").toString());
    expectReset();
    // Make the box empty again for the next case.
    conn().execute("Delete From BoxNoProductUnits Where BoxNo = 7");
    conn().execute("Update BoxNo Set Customer = Null, SendDate = Null, IvNo = Null Where Id = 7");
  }
}

TEST_F(BoxPackingTest, SaveHandsTheInvoiceToThePrintDialog) {
  w->realPrintDialog = true;
  PrintCall seen;
  int forms = -1;
  widgets::ScopedModalDrivers drivers;
  drivers.then([&](QDialog& d) {
    auto* print = dynamic_cast<TFrDocPrintForm*>(&d);
    ASSERT_NE(print, nullptr);
    seen = PrintCall{print->DocNo, print->DocYear, print->PrintCode};
    forms = print->FormCount;
    print->BExit->click();
  });
  openBox(QStringLiteral("BOX000008"));
  chooseCustomer(QStringLiteral("C00001"));
  scan(kBottle);
  app->prompts().answer(true);
  pressSave();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(widgets::PendingModalDrivers(), 0) << "the print dialog opened";
  EXPECT_EQ(seen.printCode, QStringLiteral("IV-A"));
  EXPECT_EQ(seen.docNo, boxValue("BOX000008", "IvNo").toString());
  EXPECT_EQ(forms, 2) << "the site registers two forms for IV-A";
  expectReset();
}

}  // namespace
}  // namespace packtest

namespace packtest {
namespace {

// A site whose database lacks the columns the program's own upgrade steps add: showing the window
// adds BoxNoProductUnits.ProductUnitsPrice, and the invoice is made without IvHd.BoxNoId.
class BoxPackingBaseSchemaTest : public BoxPackingTest {
 public:
  testsupport::AppOptions options() const override {
    testsupport::AppOptions o = packingOptions();
    o.site.baseSchema = true;
    return o;
  }
  void beforeWindow() override {
    hadColumn = embedded::columnExists(conn(), QStringLiteral("BoxNoProductUnits"), QStringLiteral("ProductUnitsPrice"));
  }
  bool hadColumn = true;
};

TEST_F(BoxPackingBaseSchemaTest, ShowAddsTheLineColumnAndSaveWorks) {
  EXPECT_FALSE(hadColumn);
  EXPECT_TRUE(embedded::columnExists(conn(), QStringLiteral("BoxNoProductUnits"), QStringLiteral("ProductUnitsPrice")));
  w->FormShow(w.get());  // a second show finds the column and changes nothing
  openBox(QStringLiteral("BOX000001"));
  chooseCustomer(QStringLiteral("C00003"));
  enterPrice(embedded::demoBarcode(1, 2));
  scan(kBottle);
  app->prompts().answer(true);
  pressSave();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(scalar("Select ProductUnitsPrice From BoxNoProductUnits Where BoxNo = 1").toLongLong(), unitId(embedded::demoBarcode(1, 2)));
  ASSERT_EQ(w->prints.size(), 1);

  openBox(QStringLiteral("BOX000002"));
  chooseCustomer(QStringLiteral("C00001"));
  scan(kBottle);
  app->prompts().answer(true);
  pressSave();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_FALSE(boxValue("BOX000002", "IvNo").toString().isEmpty());
}

}  // namespace
}  // namespace packtest
