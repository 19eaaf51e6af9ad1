// The zone consolidation window on the demo site: loading a zone, the allocation, the editing
// rules, the weight, saving with the stock check, opening, deleting, sending to invoices, and the
// two mended faults (a failure keeps the document on screen; lines another consolidation stored
// meanwhile are refused inside the save).
#include "zone_consolidation_fixture.h"

#include <QDir>
#include <QHeaderView>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include "error_reporter.h"
#include "shipped_forms.h"

#include "zone_consolidation_search.h"
#include "textutil/dates.h"

namespace contest {
namespace {

const QString kBreak = QStringLiteral("\n\r");

class ConsolidateWindow : public ConsoWindowTest {
 protected:
  void newDocument() { w->AcNew->trigger(); }
  void openDocument(const QString& no) {
    newDocument();
    enterNumber(no);
  }
  QString demoDocNo(int id) { return scalar("Select DocNo From ConsolidateHd Where Id = " + QString::number(id)).toString(); }
  qint64 headerId(const QString& no) {
    db::Params p;
    p.setText("No", no);
    return scalar("Select Id From ConsolidateHd Where DocNo = :No", p).toLongLong();
  }
  QVector<qint64> storedLines(const QString& no) {
    db::Params p;
    p.setText("No", no);
    return ids("Select D.SoDt From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd Where H.DocNo = :No "
               "Order By D.SoDt",
               p);
  }
  qint64 counterLastNo() {
    return scalar("Select LastNo From DocumentNo Where Code = 'CONSOLIDAT' And DocYear = " +
                  QString::number(app.dm().ServerTime().date().year()))
        .toLongLong();
  }
  qint64 unitOf(int product, int fraction) {
    return scalar(QStringLiteral("Select Id From ProductUnits Where Product = %1 And Fraction = %2").arg(product).arg(fraction)).toLongLong();
  }
  // An approved order of C00001 (zone Z01) due today, at 10 a unit; returns the ids of its lines.
  QVector<qint64> addOrder(const QString& soNo, const QVector<std::tuple<int, int, double>>& lines) {
    testsupport::NewOrder o;
    o.soNo = soNo;
    for (const auto& [product, fraction, qty] : lines) o.lines.push_back({product, fraction, qty, 10});
    return testsupport::addOrder(conn(), o);
  }
  void setStock(int product, double baseUnits) {
    const int year = app.dm().ServerTime().date().year();
    conn().execute(QStringLiteral("Delete From ProductOnhand Where Product = %1 And BalanceYear = %2").arg(product).arg(year));
    conn().execute(QStringLiteral("Insert Into ProductOnhand (Product, Warehouse, BalanceYear, Quantity) Values (%1, 1, %2, %3)")
                       .arg(product)
                       .arg(year)
                       .arg(baseUnits));
  }
  // Saves a new document of zone Z01 with the given fixed lines ticked; returns its number.
  QString saveZ01(const QVector<int>& fixedIndexes) {
    loadZone("Z01");
    for (int i : fixedIndexes) tick(rowOf(fixedLines[i]));
    prints.clear();
    save();
    return prints.isEmpty() ? QString() : prints.last().docNo;
  }
  bool isSorted() {
    auto key = [&](int r) {
      return std::make_tuple(cell(r, "SendYourOrder").toLongLong(), cell(r, "Address3").toString(), cell(r, "SoNo").toString(),
                             cell(r, "ProdCode").toString());
    };
    for (int r = 1; r < w->QConsoDt.rowCount(); ++r)
      if (key(r) < key(r - 1)) return false;
    return true;
  }
};

TEST_F(ConsolidateWindow, ShowsItsTitleAndStartsANewDocumentOnTheServerDate) {
  EXPECT_EQ(w->windowTitle(), app.config().MenuCaption + " [V16.12.12]");
  EXPECT_FALSE(w->FaGetConsoDate->isEnabled());
  EXPECT_FALSE(w->AcSave->isEnabled());
  EXPECT_FALSE(w->AcDel->isEnabled());
  EXPECT_FALSE(w->BSendToIV->isEnabled());
  EXPECT_TRUE(w->BLoad->isEnabled());
  EXPECT_TRUE(w->EZone->isEnabled());
  EXPECT_TRUE(w->FaGetSendDate->isEnabled());
  EXPECT_TRUE(w->FaGetDocNo1->DocNo->hasFocus());
  EXPECT_EQ(w->LWeight->text(), "น้ำหนักรวม ");
  EXPECT_EQ(w->EZone->currentData().toString(), "Z01");
  EXPECT_EQ(w->SelectedZoneId(), zoneId("Z01"));
  const QDate today = app.dm().ServerTime().date();
  EXPECT_EQ(w->FaGetConsoDate->DocDate->date(), today);
  EXPECT_EQ(w->FaGetSendDate->DocDate->date(), today);

  QStringList titles, fields;
  for (const auto& c : w->DgDt->columns()) {
    titles << c.title;
    fields << c.field;
  }
  EXPECT_EQ(fields, QStringList({"ToConso", "SoNo", "SoDate", "SendYourOrder", "Address3", "CusName", "ProdCode", "ProdName",
                                 "UnitName", "Onhand", "OrderQnty", "SendQnty", "WeightKg"}));
  EXPECT_EQ(titles, QStringList({"จัด", "เลขที่สั่งขาย", "วันที่สั่งขาย", "ลำดับการส่ง", "อำเภอ", "ชื่อลูกค้า", "รหัสสินค้า", "ชื่อสินค้า",
                                 "หน่วย", "คงเหลือ", "จำนวนสั่งจัด", "จัดได้", "น้ำหนัก (Kg)"}));
  for (const auto& c : w->DgDt->columns()) {
    const bool editable = c.field == "ToConso" || c.field == "SendQnty";
    EXPECT_EQ(c.readOnly, !editable) << c.field.toStdString();
  }
  EXPECT_EQ(w->DgDt->column("ToConso")->checkValues, QStringList({"Y", "N"}));
}

TEST_F(ConsolidateWindow, LoadListsTheDueLinesOfTheZoneWithTheirAllocation) {
  // Not due: the unapproved order and the order shipped in three days.
  const QVector<qint64> notDue = ids("Select D.Id From SoDt D Inner Join SoHd H On H.Id = D.SoHd Where H.Customer = 1 "
                                     "And (H.Approved <> 'Y' Or H.ShipDate > DateOnly(GetDate()))");
  ASSERT_FALSE(notDue.isEmpty());
  loadZone("Z01");
  ASSERT_GT(w->QConsoDt.rowCount(), 3);
  EXPECT_TRUE(w->AcSave->isEnabled());
  EXPECT_FALSE(w->BLoad->isEnabled());
  EXPECT_FALSE(w->EZone->isEnabled());
  EXPECT_FALSE(w->FaGetSendDate->isEnabled());
  EXPECT_EQ(w->LWeight->text(), "น้ำหนักรวม 0.00 KG");
  EXPECT_TRUE(isSorted());
  for (int r = 0; r < w->QConsoDt.rowCount(); ++r) {
    EXPECT_EQ(cell(r, "ToConso").toString(), "N");
    EXPECT_TRUE(cell(r, "Id").isNull());
    EXPECT_TRUE(cell(r, "ConsolidateHd").isNull());
  }
  for (qint64 id : notDue) EXPECT_EQ(rowOf(id), -1) << id;

  struct Expect {
    int fixed;
    const char* code;
    const char* unit;
    double ordered, oh, send, weight;
    const char* onhand;
  };
  const Expect expects[] = {
      {0, "P00001", "ลัง (12)", 5, 20, 5, 45, "20 ลัง 10 ขวด"},
      {1, "P00002", "ขวด (1)", 10, 0, 0, 0, "0 ลัง"},     // no stock this year, Negative "Y": nothing allocated
      {2, "P00003", "ลัง (12)", 5, 2, 2, 24, "2 ลัง 1 ขวด"},  // 25 base units in units of 12
  };
  for (const Expect& e : expects) {
    const int r = rowOf(fixedLines[e.fixed]);
    ASSERT_GE(r, 0) << e.code;
    EXPECT_EQ(cell(r, "ProdCode").toString(), e.code);
    EXPECT_EQ(cell(r, "UnitName").toString(), QString::fromUtf8(e.unit));
    EXPECT_EQ(cell(r, "OH").toDouble(), e.oh) << e.code;
    EXPECT_EQ(cell(r, "SendQnty").toDouble(), e.send) << e.code;
    EXPECT_EQ(cell(r, "OrderSoQnty").toDouble(), e.ordered) << e.code;
    EXPECT_EQ(cell(r, "OrderQnty").toDouble(), e.ordered) << e.code;
    EXPECT_DOUBLE_EQ(cell(r, "WeightKg").toDouble(), e.weight) << e.code;
    EXPECT_EQ(cell(r, "Onhand").toString(), QString::fromUtf8(e.onhand)) << e.code;
    EXPECT_EQ(cell(r, "CusCode").toString(), "C00001");
  }
  const int r0 = rowOf(fixedLines[0]);
  const QDate soDate = db::toDateTime(scalar("Select H.SoDate From SoHd H Inner Join SoDt D On D.SoHd = H.Id Where D.Id = " +
                                              QString::number(fixedLines[0])))
                           .date();
  ASSERT_TRUE(soDate.isValid());
  EXPECT_EQ(w->DgDt->model()->data(index(r0, "SoDate")).toString(), soDate.toString("dd/MM/yyyy"));
  EXPECT_EQ(w->DgDt->model()->data(index(r0, "WeightKg")).toString(), "45.00");
}

TEST_F(ConsolidateWindow, LinesOfAnOpenConsolidationOfTheZoneAreNotOfferedAgainUntilItIsDeleted) {
  // Demo: consolidation 1 (open, Z02) holds the first due line of Z02; consolidation 3 (deleted,
  // Z04) held the first due line of Z04, which is offered again.
  const qint64 held = scalar("Select SoDt From ConsolidateDt Where ConsolidateHd = 1").toLongLong();
  const qint64 freed = scalar("Select SoDt From ConsolidateDt Where ConsolidateHd = 3").toLongLong();
  loadZone("Z02");
  EXPECT_EQ(rowOf(held), -1);
  EXPECT_GT(w->QConsoDt.rowCount(), 0);
  loadZone("Z04");
  EXPECT_GE(rowOf(freed), 0);

  // A line held by an open consolidation of another zone is not excluded.
  conn().execute(QStringLiteral("Insert Into ConsolidateDt (ConsolidateHd, ToConso, SoHd, SoDt, Customer, Product, ProductUnits, "
                                "OrderSoQnty, Onhand, OrderQnty, SendQnty, IvNo, IvHd, IvDt) "
                                "Select 1, 'Y', SoHd, Id, 1, Product, ProductUnits, 1, 0, 1, 1, '', 0, 0 From SoDt Where Id = %1")
                     .arg(fixedLines[0]));
  newDocument();
  loadZone("Z01");
  EXPECT_GE(rowOf(fixedLines[0]), 0);

  // Our own save reserves them; deleting the consolidation frees them again.
  newDocument();
  const QString no = saveZ01({0, 2});
  ASSERT_FALSE(no.isEmpty());
  loadZone("Z01");
  EXPECT_EQ(rowOf(fixedLines[0]), -1);
  EXPECT_EQ(rowOf(fixedLines[2]), -1);
  EXPECT_GE(rowOf(fixedLines[1]), 0);
  openDocument(no);
  ASSERT_TRUE(w->AcDel->isEnabled());
  app.prompts().answer(true);
  w->AcDel->trigger();
  EXPECT_EQ(scalar("Select Delflag From ConsolidateHd Where Id = " + QString::number(headerId(no))).toString(), "Y");
  EXPECT_EQ(storedLines(no).size(), 2);  // the lines stay stored
  EXPECT_TRUE(w->IsNewDocument);
  loadZone("Z01");
  EXPECT_GE(rowOf(fixedLines[0]), 0);
  EXPECT_GE(rowOf(fixedLines[2]), 0);
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(ConsolidateWindow, AZoneWithoutDueLinesLoadsNothingAndStaysLockedUntilNew) {
  conn().execute("Insert Into Misc (GroupCode, Code, Description, Blocked) Values ('ZONE', 'Z99', 'เขตว่าง', 'N')");
  newDocument();  // the zone list is read again
  loadZone("Z99");
  EXPECT_EQ(w->QConsoDt.rowCount(), 0);
  EXPECT_FALSE(w->AcSave->isEnabled());
  EXPECT_FALSE(w->BLoad->isEnabled());
  EXPECT_FALSE(w->EZone->isEnabled());
  EXPECT_FALSE(w->FaGetSendDate->isEnabled());
  EXPECT_EQ(w->LWeight->text(), "น้ำหนักรวม 0.00 KG");
  EXPECT_TRUE(w->StatusText().startsWith("ไม่พบรายการใบสั่งขายที่ถึงกำหนดส่งของเขต เขตว่าง")) << w->StatusText().toStdString();
  newDocument();
  EXPECT_TRUE(w->BLoad->isEnabled());
  EXPECT_TRUE(w->EZone->isEnabled());
  EXPECT_TRUE(w->FaGetSendDate->isEnabled());
  EXPECT_EQ(w->EZone->currentData().toString(), "Z01");
}

// The send date as a clerk types it: another day than today offers what is due by that day; a
// Buddhist-era year (as the printed forms show it) is the same day of the Christian era; an
// impossible date goes to the error reporter and the date held before stays for the Load.
TEST_F(ConsolidateWindow, LoadTakesTheSendDateAsTheClerkTypesIt) {
  const QDate today = app.dm().ServerTime().date();
  const QDate inThreeDays = today.addDays(3);
  // Z01's order shipped in three days (demo), due only from then on.
  const QVector<qint64> shippedLater = ids("Select D.Id From SoDt D Inner Join SoHd H On H.Id = D.SoHd Where H.Customer = 1 "
                                           "And H.Approved = 'Y' And DateOnly(H.ShipDate) = DateOnly(AddDays(GetDate(), 3))");
  ASSERT_FALSE(shippedLater.isEmpty());

  // Types a send date, leaves the field and loads zone Z01; the lines listed, in order of their ids.
  auto load = [&](const QString& typed) {
    newDocument();
    enterNumber(QString());
    chooseZone("Z01");
    errors.clear();
    app.prompts().clear();
    widgets::DBDateEdit* field = w->FaGetSendDate->DocDate;
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClicks(field, typed);
    w->BLoad->setFocus(Qt::TabFocusReason);  // leaving the field
    QVector<qint64> listed;
    w->BLoad->click();
    for (int r = 0; r < w->QConsoDt.rowCount(); ++r) listed << cell(r, "SoDt").toLongLong();
    std::sort(listed.begin(), listed.end());
    return listed;
  };
  auto be = [](const QDate& d) -> QString { return d.toString("dd/MM/") + QString::number(d.year() + 543); };

  const QVector<qint64> dueToday = load(today.toString("dd/MM/yyyy"));
  const QVector<qint64> dueInThreeDays = load(inThreeDays.toString("dd/MM/yyyy"));
  EXPECT_EQ(w->QConsoHd.asDateTime("SendDate").date(), inThreeDays);
  ASSERT_FALSE(dueToday.isEmpty());
  for (qint64 id : shippedLater) {
    EXPECT_FALSE(dueToday.contains(id)) << id;
    EXPECT_TRUE(dueInThreeDays.contains(id)) << "another day than today offers what is due by then: " << id;
  }
  for (qint64 id : dueToday) EXPECT_TRUE(dueInThreeDays.contains(id)) << id;

  struct Case {
    QString typed;
    QDate sendDate;              // the date held and shown after leaving the field
    const QVector<qint64>* due;  // the lines Load lists
    bool refused;
  };
  const Case cases[] = {
      {be(today), today, &dueToday, false},
      {be(inThreeDays), inThreeDays, &dueInThreeDays, false},
      {"32/13/" + QString::number(today.year()), today, &dueToday, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    const QVector<qint64> listed = load(c.typed);
    widgets::DBDateEdit* field = w->FaGetSendDate->DocDate;
    if (c.refused) {
      // Refused once when the field was left; Load, which locks the field, shows the date held.
      const QString refusal = "'" + c.typed + "' is not a valid date";
      EXPECT_EQ(errors, QStringList{refusal});
      EXPECT_TRUE(data::ComposeErrorText(refusal).startsWith("ป้อนวันที่ไม่ถูกต้อง\r")) << "the Thai explanation in front";
      EXPECT_TRUE(app.prompts().texts().isEmpty());
      errors.clear();
    } else {
      EXPECT_TRUE(errors.isEmpty()) << errors.text();
    }
    EXPECT_EQ(field->text(), c.sendDate.toString("dd/MM/yyyy")) << "shown in the Christian era";
    EXPECT_EQ(w->QConsoHd.asDateTime("SendDate").date(), c.sendDate);
    EXPECT_EQ(listed, *c.due) << "listed " << listed.size() << " lines";
  }

  // The focus returns to a refused date.
  newDocument();
  enterNumber(QString());
  widgets::DBDateEdit* field = w->FaGetSendDate->DocDate;
  field->setFocus(Qt::TabFocusReason);
  field->selectAll();
  QTest::keyClicks(field, "32/13/2026");
  w->BLoad->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(field->hasFocus());
  EXPECT_EQ(errors.size(), 1);
  errors.clear();
}

// A number that matches no document empties the field, which stays closed until New, and the
// status line says which number was not found; an empty number or a stored one says nothing of it.
TEST_F(ConsolidateWindow, ANumberThatMatchesNoDocumentIsNamedInTheStatusLine) {
  struct Case {
    QString typed;
    bool isNew;
    QString status;
  };
  const Case cases[] = {
      {"CON-NO-SUCH", true, "ไม่พบเอกสารเลขที่ CON-NO-SUCH"},
      {" con-x1 ", true, "ไม่พบเอกสารเลขที่ CON-X1"},  // the field upper-cases what is typed
      {"", true, ""},
      {demoDocNo(1), false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    newDocument();
    activate();
    w->FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(w->FaGetDocNo1->DocNo, c.typed);
    w->EZone->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(w->IsNewDocument, c.isNew);
    EXPECT_FALSE(w->FaGetDocNo1->DocNo->isEnabled()) << "closed until New";
    if (c.isNew) EXPECT_EQ(w->FaGetDocNo1->DocNo->text(), "");
    EXPECT_EQ(w->StatusText(), c.status);
  }
  newDocument();
  EXPECT_TRUE(w->FaGetDocNo1->DocNo->isEnabled());
  EXPECT_EQ(w->StatusText(), "");
  EXPECT_TRUE(errors.isEmpty()) << errors.text();
}

TEST_F(ConsolidateWindow, TheSendQuantityIsHeldToTheOrderAndToTheStock) {
  setStock(3, 40);  // P00003: 3 units of 12 in stock, 5 ordered
  struct Case {
    const char* negative;
    const char* entered;
    const char* message;  // null: none
    double left;
    const char* weight;
  };
  const Case cases[] = {
      {"N", "7", "ไม่สามารถกำหนดจำนวนได้มากกว่าจำนวนที่สั่งขาย", 3, "น้ำหนักรวม 36.00 KG"},
      {"Y", "7", "ไม่สามารถกำหนดจำนวนได้มากกว่าจำนวนที่สั่งขาย", 3, "น้ำหนักรวม 36.00 KG"},
      {"N", "4", "ไม่สามารถกำหนดจำนวนได้มากกว่าจำนวนคงเหลือ", 3, "น้ำหนักรวม 36.00 KG"},
      {"Y", "4", nullptr, 4, "น้ำหนักรวม 48.00 KG"},
      {"N", "1", nullptr, 1, "น้ำหนักรวม 12.00 KG"},
      {"N", "-2", nullptr, 0, "น้ำหนักรวม 0.00 KG"},  // nothing is sent below zero
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.negative) + " " + c.entered);
    conn().execute(QStringLiteral("Update Product Set Negative = '%1' Where Id = 3").arg(QLatin1String(c.negative)));
    newDocument();
    loadZone("Z01");
    const int r = rowOf(fixedLines[2]);
    ASSERT_GE(r, 0);
    ASSERT_EQ(cell(r, "OH").toDouble(), 3);
    ASSERT_EQ(cell(r, "SendQnty").toDouble(), 3);
    app.prompts().clear();
    tick(r);
    enterSendQnty(r, c.entered);
    if (c.message) {
      ASSERT_EQ(app.prompts().log.size(), 1u);
      EXPECT_EQ(app.prompts().log[0].text, QString::fromUtf8(c.message));
      EXPECT_EQ(app.prompts().log[0].style, prompts::Style::Plain);
    } else {
      EXPECT_TRUE(app.prompts().log.empty());
    }
    EXPECT_EQ(cell(r, "SendQnty").toDouble(), c.left);
    EXPECT_DOUBLE_EQ(cell(r, "WeightKg").toDouble(), c.left * 12);
    EXPECT_EQ(w->LWeight->text(), QString::fromUtf8(c.weight));
  }
}

TEST_F(ConsolidateWindow, AQuantityTypedIntoTheGridGoesThroughTheRules) {
  loadZone("Z01");
  const int r = rowOf(fixedLines[0]);  // P00001: 5 ordered, 20 in stock
  w->DgDt->setFocus(Qt::TabFocusReason);
  w->DgDt->setCurrentIndex(index(r, "SendQnty"));
  app.prompts().clear();
  QTest::keyClick(w->DgDt, Qt::Key_9);
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, w->DgDt);
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(app.prompts().texts(), QStringList{"ไม่สามารถกำหนดจำนวนได้มากกว่าจำนวนที่สั่งขาย"});
  EXPECT_EQ(cell(r, "SendQnty").toDouble(), 5);
  EXPECT_EQ(w->DgDt->currentIndex().column(), w->DgDt->resultModel()->columnOf("WeightKg"));  // Enter moved on
}

TEST_F(ConsolidateWindow, TickingChangesTheWeightAndNothingElse) {
  conn().execute(QStringLiteral("Update ProductUnits Set VolumnFraction = 246.9 Where Id = %1").arg(unitOf(1, 12)));
  loadZone("Z01");
  const auto before = w->QConsoDt.rows();
  const int a = rowOf(fixedLines[0]);  // 5 x 246.9
  const int b = rowOf(fixedLines[2]);  // 2 x 12
  toggle(a);
  EXPECT_EQ(w->LWeight->text(), "น้ำหนักรวม 1,234.50 KG");
  toggle(b);
  EXPECT_EQ(w->LWeight->text(), "น้ำหนักรวม 1,258.50 KG");
  toggle(a);
  EXPECT_EQ(w->LWeight->text(), "น้ำหนักรวม 24.00 KG");
  const int tc = w->QConsoDt.findColumn("ToConso");
  for (int r = 0; r < before.size(); ++r)
    for (int c = 0; c < before[r].size(); ++c)
      if (c != tc) EXPECT_EQ(w->QConsoDt.at(r, c), before[r][c]) << r << " " << w->QConsoDt.columns()[c].toStdString();
  EXPECT_TRUE(app.prompts().log.empty());
}

TEST_F(ConsolidateWindow, SaveStoresANewDocumentPrintsItAndStartsAgain) {
  const qint64 lastNo = counterLastNo();
  const int headers = count("ConsolidateHd");
  newDocument();
  enterNumber("NO-SUCH-NUMBER");  // a number that matches nothing starts a new document
  EXPECT_TRUE(w->IsNewDocument);
  chooseZone("Z01");
  w->BLoad->click();
  tick(rowOf(fixedLines[0]));
  tick(rowOf(fixedLines[2]));
  const int p2 = rowOf(fixedLines[1]);
  tick(p2);
  enterSendQnty(p2, "4");  // Negative "Y": more than the stock is accepted
  for (auto [edit, text] : {std::pair{w->Carman, "Somchai"}, std::pair{w->LicensePlate, "1KK-1234"}, std::pair{w->Porter1, "Mana"},
                            std::pair{w->Porter2, "Chai"}, std::pair{w->Porter3, "Dang"}, std::pair{w->Remark, "morning round"}}) {
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edit, text);
  }
  app.prompts().clear();
  save();

  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  ASSERT_EQ(prints.size(), 1);
  const QString no = prints[0].docNo;
  const QDate today = app.dm().ServerTime().date();
  EXPECT_EQ(prints[0].docYear, today.year());
  EXPECT_EQ(prints[0].printCode, "CONSOLIDAT");
  EXPECT_GE(prints[0].formCount, 1);
  EXPECT_EQ(counterLastNo(), lastNo + 1);
  EXPECT_TRUE(no.startsWith("Con"));
  EXPECT_EQ(count("ConsolidateHd"), headers + 1);

  // The prompts: the Save question, then the stock check (P00002 has no stock).
  ASSERT_EQ(app.prompts().log.size(), 2u);
  EXPECT_EQ(app.prompts().log[0].text, app.config().SaveDataPrompt);
  EXPECT_TRUE(app.prompts().log[0].question);
  EXPECT_EQ(app.prompts().log[1].text, "รายการสินค้าที่ไม่พอส่งให้ลูกค้า" + kBreak + "P00002 - ซีอิ๊วขาว ตราช้าง" + kBreak);

  db::Params p;
  p.setText("No", no);
  const db::Result h = conn().select("Select * From ConsolidateHd Where DocNo = :No", p);
  ASSERT_EQ(h.rowCount(), 1);
  EXPECT_EQ(h.asDateTime("DocDate"), QDateTime(today, QTime(0, 0)));
  EXPECT_EQ(h.asDateTime("SendDate"), QDateTime(today, QTime(0, 0)));
  EXPECT_EQ(h.asInt("CustomerZone"), zoneId("Z01"));
  EXPECT_EQ(h.asString("Carman"), "Somchai");
  EXPECT_EQ(h.asString("LicensePlate"), "1KK-1234");
  EXPECT_EQ(h.asString("Porter1"), "Mana");
  EXPECT_EQ(h.asString("Porter2"), "Chai");
  EXPECT_EQ(h.asString("Porter3"), "Dang");
  EXPECT_EQ(h.asString("Remark"), "morning round");
  EXPECT_EQ(h.asString("Confirm"), "N");
  EXPECT_EQ(h.asString("Delflag"), "N");
  EXPECT_EQ(h.asString("Printed"), "N");

  const db::Result d = conn().select("Select D.* From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd "
                                     "Where H.DocNo = :No Order By D.SoDt",
                                     p);
  ASSERT_EQ(d.rowCount(), 3);  // unticked lines are not stored
  struct Line {
    double orderSo, onhand, send;
  };
  const Line lines[] = {{5, 20, 5}, {10, 0, 4}, {5, 2, 2}};
  db::Result rows = d;
  for (int i = 0; i < 3; ++i, rows.next()) {
    EXPECT_EQ(rows.asInt("SoDt"), fixedLines[i]);
    EXPECT_EQ(rows.asString("ToConso"), "Y");
    EXPECT_EQ(rows.asInt("Customer"), 1);
    EXPECT_EQ(rows.asInt("Product"), i + 1);
    EXPECT_EQ(rows.asFloat("OrderSoQnty"), lines[i].orderSo);
    EXPECT_EQ(rows.asFloat("OrderQnty"), lines[i].orderSo);
    EXPECT_EQ(rows.asFloat("Onhand"), lines[i].onhand);
    EXPECT_EQ(rows.asFloat("SendQnty"), lines[i].send);
    EXPECT_EQ(rows.asString("IvNo"), "");
    EXPECT_EQ(rows.asInt("IvHd"), 0);
    EXPECT_EQ(rows.asInt("IvDt"), 0);
  }

  // Back to a new document, with the saved number in sight until the next one is begun.
  EXPECT_EQ(w->StatusText(), "บันทึกใบจัดสินค้าเลขที่ " + no + " แล้ว");
  EXPECT_TRUE(w->IsNewDocument);
  EXPECT_EQ(w->QConsoDt.rowCount(), 0);
  EXPECT_EQ(w->LWeight->text(), "น้ำหนักรวม ");
  EXPECT_FALSE(w->AcSave->isEnabled());
  EXPECT_TRUE(w->BLoad->isEnabled());
  EXPECT_TRUE(w->FaGetDocNo1->DocNo->isEnabled());
  EXPECT_EQ(w->CurrentDocNo, no);
}

TEST_F(ConsolidateWindow, TheStockCheckListsEachProductOncePerUnitSize) {
  // A second order: P00002 in its unit of 12 and P00003 again in its unit of 12.
  const QVector<qint64> more = addOrder("ZZ-STOCK", {{2, 12, 2}, {3, 12, 3}});
  loadZone("Z01");
  const int p2small = rowOf(fixedLines[1]), p2large = rowOf(more[0]);
  const int p3a = rowOf(fixedLines[2]), p3b = rowOf(more[1]);
  ASSERT_TRUE(p2small >= 0 && p2large >= 0 && p3a >= 0 && p3b >= 0);
  EXPECT_EQ(cell(p3b, "SendQnty").toDouble(), 2);  // each line is allocated the whole stock
  for (int r : {p2small, p2large, p3a, p3b}) tick(r);
  enterSendQnty(p2small, "4");
  enterSendQnty(p2large, "1");
  app.prompts().clear();
  save();
  ASSERT_EQ(prints.size(), 1);
  ASSERT_EQ(app.prompts().log.size(), 2u);
  EXPECT_EQ(app.prompts().log[1].text, "รายการสินค้าที่ไม่พอส่งให้ลูกค้า" + kBreak + "P00002 - ซีอิ๊วขาว ตราช้าง" + kBreak +
                                           "P00002 - ซีอิ๊วขาว ตราช้าง" + kBreak + "P00003 - น้ำมันพืช ตราช้าง" + kBreak);
  EXPECT_EQ(storedLines(prints[0].docNo).size(), 4);  // the check informs only
}

TEST_F(ConsolidateWindow, ASavedDocumentListsItsLinesBetweenTheLinesStillDue) {
  const QString no = saveZ01({0});
  ASSERT_FALSE(no.isEmpty());
  openDocument(no);
  EXPECT_FALSE(w->IsNewDocument);
  EXPECT_TRUE(isSorted());
  const int stored = rowOf(fixedLines[0]);
  ASSERT_GE(stored, 0);
  EXPECT_GT(cell(stored, "Id").toLongLong(), 0);
  EXPECT_EQ(cell(stored, "ToConso").toString(), "Y");
  EXPECT_EQ(cell(stored, "SendQnty").toDouble(), 5);
  EXPECT_EQ(w->LWeight->text(), "น้ำหนักรวม 45.00 KG");
  // Not stored: listed with Id 0; with no stock a product that may go negative gets the ordered quantity.
  const int p2 = rowOf(fixedLines[1]);
  const int p3 = rowOf(fixedLines[2]);
  ASSERT_TRUE(p2 >= 0 && p3 >= 0);
  EXPECT_EQ(cell(p2, "Id").toLongLong(), 0);
  EXPECT_EQ(cell(p2, "ToConso").toString(), "N");
  EXPECT_EQ(cell(p2, "SendQnty").toDouble(), 10);
  EXPECT_EQ(cell(p3, "SendQnty").toDouble(), 2);
  EXPECT_GT(w->QConsoDt.rowCount(), 3);

  // Unticking the stored line and ticking a listed one: the first is deleted, the second stored.
  toggle(stored);
  tick(p2);
  prints.clear();
  app.prompts().clear();
  save();
  ASSERT_EQ(prints.size(), 1);
  EXPECT_EQ(prints[0].docNo, no);
  EXPECT_EQ(storedLines(no), QVector<qint64>{fixedLines[1]});
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(ConsolidateWindow, TheNumberFieldOpensADocumentAndSetsTheControlsByItsState) {
  struct Case {
    int demoId;
    bool save, del, send;
    const char* zone;
  };
  const Case cases[] = {{1, true, true, true, "Z02"}, {2, false, false, true, "Z03"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.demoId);
    openDocument(demoDocNo(c.demoId));
    EXPECT_FALSE(w->IsNewDocument);
    EXPECT_EQ(w->AcSave->isEnabled(), c.save);
    EXPECT_EQ(w->AcDel->isEnabled(), c.del);
    EXPECT_EQ(w->BSendToIV->isEnabled(), c.send);
    EXPECT_FALSE(w->BLoad->isEnabled());
    EXPECT_FALSE(w->EZone->isEnabled());
    EXPECT_FALSE(w->FaGetSendDate->isEnabled());
    EXPECT_FALSE(w->FaGetDocNo1->DocNo->isEnabled());
    EXPECT_EQ(w->EZone->currentData().toString(), c.zone);
    EXPECT_EQ(w->SelectedZoneId(), zoneId(c.zone));
    EXPECT_NE(w->LWeight->text(), "น้ำหนักรวม ");
  }
  // A deleted document is refused and the window starts a new one.
  app.prompts().clear();
  openDocument(demoDocNo(3));
  EXPECT_EQ(app.prompts().texts(), QStringList{"เอกสารถูกยกเลิกแล้ว"});
  EXPECT_TRUE(w->IsNewDocument);
  EXPECT_EQ(w->FaGetDocNo1->DocNo->text(), "");
  EXPECT_FALSE(w->AcDel->isEnabled());
  EXPECT_TRUE(w->BLoad->isEnabled());
}

TEST_F(ConsolidateWindow, F5InTheNumberFieldSearchesAndPutsTheChosenNumberThere) {
  const QString no = demoDocNo(1);
  widgets::QueueModalDriver([&](QDialog& d) {
    auto* s = qobject_cast<TFrSearch*>(&d);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->KeyFieldName, "DocNo");
    QTest::keyClicks(s->Code, no.right(4));
    QTest::keyClick(s->Code, Qt::Key_Return);  // search
    QTest::keyClick(s->DgSearch, Qt::Key_Return);  // choose
  });
  w->FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
  QTest::keyClick(w->FaGetDocNo1->DocNo, Qt::Key_F5);
  // The number field writes upper case.
  ASSERT_TRUE(QTest::qWaitFor([&] { return w->FaGetDocNo1->DocNo->text() == no.toUpper(); }));
  EXPECT_EQ(widgets::PendingModalDrivers(), 0);
  activate();
  EXPECT_TRUE(w->FaGetDocNo1->DocNo->hasFocus());
  w->EZone->setFocus(Qt::TabFocusReason);
  EXPECT_FALSE(w->IsNewDocument);
  EXPECT_EQ(w->QConsoHd.asString("DocNo"), no);
}

TEST_F(ConsolidateWindow, SendToInvoicesMakesTheInvoicesAndPrintsTheDeliveryNotes) {
  const QString no = saveZ01({0, 2});
  openDocument(no);
  ASSERT_TRUE(w->BSendToIV->isEnabled());
  prints.clear();
  app.prompts().clear();
  app.prompts().answer(true);
  expectPrintDialog();
  w->BSendToIV->click();
  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  db::Params p;
  p.setText("No", no);
  const db::Result iv = conn().select("Select Distinct D.IvNo From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd "
                                      "Where H.DocNo = :No",
                                      p);
  ASSERT_EQ(iv.rowCount(), 1);  // one customer, one invoice
  const QString ivNo = iv.asString("IvNo");
  EXPECT_FALSE(ivNo.isEmpty());
  ASSERT_EQ(app.prompts().log.size(), 2u);
  EXPECT_EQ(app.prompts().log[0].text, "ต้องการออก Invoice ?");
  EXPECT_EQ(app.prompts().log[1].text, "เลขที่ใบขาย " + kBreak + ivNo + kBreak);
  ASSERT_EQ(prints.size(), 1);
  EXPECT_EQ(prints[0].docNo, no);
  EXPECT_EQ(prints[0].printCode, "CONSOTOIV");
  EXPECT_EQ(prints[0].docYear, app.dm().ServerTime().date().year());
  EXPECT_EQ(scalar("Select Confirm From ConsolidateHd Where DocNo = '" + no + "'").toString(), "Y");
  EXPECT_TRUE(w->IsNewDocument);

  // A finished document: Save and Delete stay off, Send to invoices makes nothing twice.
  openDocument(no);
  EXPECT_FALSE(w->AcSave->isEnabled());
  EXPECT_TRUE(w->BSendToIV->isEnabled());
  const int invoices = count("IvHd");
  app.prompts().clear();
  app.prompts().answer(true);
  expectPrintDialog();
  w->BSendToIV->click();
  EXPECT_EQ(count("IvHd"), invoices);
  EXPECT_EQ(app.prompts().log.back().text, "เลขที่ใบขาย " + kBreak + ivNo + kBreak);
}

// A load that would make no invoice is not sent to invoices: it would be marked finished without
// an invoice, with an empty invoice list and delivery notes that cannot be printed. It is refused
// before anything is written: the edits on screen are not saved, no invoice is made, the document
// stays open and on screen.
TEST_F(ConsolidateWindow, ALoadThatWouldMakeNoInvoiceIsRefusedBeforeAnythingIsWritten) {
  const QString refusal = "ไม่มีรายการที่ออก Invoice ได้ : รายการที่เลือกจัดต้องมีจำนวนจัดได้มากกว่า 0" + kBreak +
                          "จึงไม่ได้บันทึกและไม่ได้ออก Invoice";
  struct Case {
    const char* what;
    int line;           // the only ticked line (index into fixedLines)
    const char* typed;  // its quantity typed before sending, or none
  } cases[] = {
      {"the only line has nothing to send", 1, nullptr},  // P00002: no stock, allocated 0
      {"the only line's quantity set to 0", 0, "0"},      // P00001: allocated 5
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QString no = saveZ01({c.line});
    ASSERT_FALSE(no.isEmpty());
    openDocument(no);
    if (c.typed) enterSendQnty(rowOf(fixedLines[c.line]), QString::fromLatin1(c.typed));
    w->Remark->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(w->Remark, "Back door");
    db::Params p;
    p.setText("No", no);
    const QString storedSql = "Select H.Confirm, H.Remark, D.Id, D.SendQnty, D.IvNo From ConsolidateHd H "
                              "Inner Join ConsolidateDt D On D.ConsolidateHd = H.Id Where H.DocNo = :No Order By D.Id";
    const auto before = conn().select(storedSql, p).rows();
    const int invoices = count("IvHd");

    prints.clear();
    errors.clear();
    app.prompts().clear();
    app.prompts().answer(true);
    expectPrintDialog();
    w->BSendToIV->click();
    EXPECT_EQ(app.prompts().texts(), (QStringList{"ต้องการออก Invoice ?", refusal}));
    EXPECT_TRUE(prints.isEmpty()) << "no delivery notes";
    widgets::ClearModalDrivers();
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    EXPECT_EQ(conn().select(storedSql, p).rows(), before) << "nothing saved";
    EXPECT_EQ(scalar("Select Confirm From ConsolidateHd Where DocNo = :No", p).toString(), "N");
    EXPECT_EQ(count("IvHd"), invoices);
    EXPECT_FALSE(conn().inTransaction());
    // The work stays on screen.
    EXPECT_FALSE(w->IsNewDocument);
    EXPECT_EQ(w->QConsoHd.asString("DocNo"), no);
    EXPECT_EQ(w->Remark->text(), "Back door");
    EXPECT_TRUE(w->BSendToIV->isEnabled());
    EXPECT_TRUE(w->AcSave->isEnabled());
  }
}

// The save step of Send to invoices may leave out the lines another consolidation of the zone took
// meanwhile (the user agrees to save the rest); when what is left would make no invoice, the save
// stands and nothing is invoiced.
TEST_F(ConsolidateWindow, ALoadLeftWithoutAnInvoiceByItsSaveIsNotInvoiced) {
  const QString no = saveZ01({1});  // P00002, nothing to send
  ASSERT_FALSE(no.isEmpty());
  openDocument(no);
  ASSERT_EQ(cell(rowOf(fixedLines[0]), "ToConso").toString(), "N") << "P00001's line is listed as due";
  tick(rowOf(fixedLines[0]));
  ASSERT_GT(cell(rowOf(fixedLines[0]), "SendQnty").toDouble(), 0);
  // Meanwhile another user saves a consolidation of the zone holding P00001's line.
  conn().execute(QStringLiteral("Insert Into ConsolidateHd (DocNo, DocDate, SendDate, CustomerZone, Confirm, Delflag, Printed) "
                                "Values ('Con-OTHER', '2024-01-01 00:00:00', '2024-01-01 00:00:00', %1, 'N', 'N', 'N')")
                     .arg(zoneId("Z01")));
  conn().execute(QStringLiteral("Insert Into ConsolidateDt (ConsolidateHd, ToConso, SoHd, SoDt, Customer, Product, ProductUnits, "
                                "OrderSoQnty, Onhand, OrderQnty, SendQnty, IvNo, IvHd, IvDt) "
                                "Select (Select Id From ConsolidateHd Where DocNo = 'Con-OTHER'), 'Y', SoHd, Id, 1, Product, "
                                "ProductUnits, 5, 0, 5, 5, '', 0, 0 From SoDt Where Id = %1")
                     .arg(fixedLines[0]));
  const int invoices = count("IvHd");
  prints.clear();
  app.prompts().clear();
  app.prompts().answer(true);  // invoices ?
  app.prompts().answer(true);  // save the rest ?
  expectPrintDialog();
  w->BSendToIV->click();
  const QStringList texts = app.prompts().texts();
  ASSERT_EQ(texts.size(), 3);
  EXPECT_TRUE(texts[1].startsWith("รายการของใบสั่งขายต่อไปนี้ถูกจัดลงใบจัดสินค้าอื่นของเขตนี้แล้ว")) << texts[1].toStdString();
  EXPECT_EQ(texts[2], "ไม่มีรายการที่ออก Invoice ได้ : รายการที่เลือกจัดต้องมีจำนวนจัดได้มากกว่า 0" + kBreak + "บันทึกใบจัดสินค้าเลขที่ " +
                          no + " แล้ว แต่ไม่ได้ออก Invoice");
  EXPECT_TRUE(prints.isEmpty());
  widgets::ClearModalDrivers();
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(storedLines(no), QVector<qint64>{fixedLines[1]}) << "the save stands";
  EXPECT_EQ(scalar("Select Confirm From ConsolidateHd Where DocNo = '" + no + "'").toString(), "N");
  EXPECT_EQ(count("IvHd"), invoices);
  EXPECT_TRUE(w->IsNewDocument);
}

TEST_F(ConsolidateWindow, NoAnswersChangeNothing) {
  loadZone("Z01");
  tick(rowOf(fixedLines[0]));
  const int headers = count("ConsolidateHd");
  app.prompts().answer(false);
  w->AcSave->trigger();
  EXPECT_EQ(count("ConsolidateHd"), headers);
  EXPECT_EQ(cell(rowOf(fixedLines[0]), "ToConso").toString(), "Y");
  EXPECT_TRUE(prints.isEmpty());

  openDocument(demoDocNo(1));
  app.prompts().answer(false);
  w->AcDel->trigger();
  app.prompts().answer(false);
  w->BSendToIV->click();
  EXPECT_EQ(scalar("Select Delflag || Confirm From ConsolidateHd Where Id = 1").toString(), "NN");
  EXPECT_FALSE(w->IsNewDocument);
  EXPECT_EQ(widgets::PendingModalDrivers(), 0);
  EXPECT_TRUE(prints.isEmpty());
}

TEST_F(ConsolidateWindow, ATruckLoadIsPlannedSavedPrintedInvoicedAndItsDeliveryNotesPrinted) {
  // The site's shipped report forms, found in the current folder as the program finds them.
  struct Folder {
    QString previous = QDir::currentPath();
    ~Folder() { QDir::setCurrent(previous); }
  } folder;
  printing::installShippedForms(conn(), app.site().folder());
  ASSERT_TRUE(QDir::setCurrent(app.site().folder()));
  QTemporaryDir out;
  auto printToPdf = [&](const QString& file) {
    widgets::QueueModalDriver([&, file](QDialog& d) {
      auto* p = qobject_cast<TFrDocPrintForm*>(&d);
      ASSERT_NE(p, nullptr);
      prints << PrintCall{p->DocNo, p->DocYear, p->PrintCode, p->FormCount};
      p->Printer().setOutputFormat(QPrinter::PdfFormat);
      p->Printer().setOutputFileName(out.filePath(file));
      p->SystemFormList->setCurrentIndex(p->SystemFormList->model()->index(0, 0));
      p->BPrint->click();
    });
  };
  auto pdfText = [&](const QString& file) {
    QProcess pdf;
    pdf.start("pdftotext", {"-layout", out.filePath(file), "-"});
    EXPECT_TRUE(pdf.waitForFinished(60000));
    return QString::fromUtf8(pdf.readAllStandardOutput()).simplified();
  };

  loadZone("Z01");
  tick(rowOf(fixedLines[0]));
  tick(rowOf(fixedLines[2]));
  w->LicensePlate->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(w->LicensePlate, "7KK-4321");
  app.prompts().answer(true);
  printToPdf("load-sheet.pdf");
  w->AcSave->trigger();
  ASSERT_EQ(prints.size(), 1);
  const QString no = prints[0].docNo;
  const QString sheet = pdfText("load-sheet.pdf");
  EXPECT_TRUE(sheet.contains(no)) << sheet.toStdString();
  EXPECT_TRUE(sheet.contains("LOAD SHEET")) << sheet.toStdString();
  // Copy and search work in the clerk's PDF: the tone marks are in its text layer.
  EXPECT_TRUE(sheet.contains("ตัวอย่างการค้า")) << sheet.toStdString();
  EXPECT_TRUE(sheet.contains("7KK-4321")) << sheet.toStdString();
  EXPECT_EQ(w->StatusText(),
            "บันทึกใบจัดสินค้าเลขที่ " + no + " แล้ว - บันทึกเป็นไฟล์ " + QDir::toNativeSeparators(out.filePath("load-sheet.pdf")))
      << "the window says where the printed load sheet went";

  openDocument(no);
  app.prompts().answer(true);
  printToPdf("delivery-notes.pdf");
  w->BSendToIV->click();
  ASSERT_EQ(prints.size(), 2);
  EXPECT_EQ(prints[1].printCode, "CONSOTOIV");
  const QString invoice = scalar("Select Max(D.IvNo) From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd "
                                 "Where H.DocNo = '" + no + "'").toString();
  ASSERT_FALSE(invoice.isEmpty());
  const QString notes = pdfText("delivery-notes.pdf");
  EXPECT_TRUE(notes.contains(invoice)) << notes.toStdString();
  EXPECT_TRUE(notes.contains("DELIVERY NOTE / INVOICE")) << notes.toStdString();
  EXPECT_EQ(w->StatusText(), "ใบจัดสินค้าเลขที่ " + no + " ออกใบส่งของแล้ว - บันทึกเป็นไฟล์ " +
                                 QDir::toNativeSeparators(out.filePath("delivery-notes.pdf")));
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

// ---- The mended faults -------------------------------------------------------------------------

TEST_F(ConsolidateWindow, AFailedSaveRollsBackReportsAndKeepsTheDocumentOnScreen) {
  loadZone("Z01");
  tick(rowOf(fixedLines[0]));
  tick(rowOf(fixedLines[2]));
  w->Carman->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(w->Carman, "Somchai");
  const auto rowsBefore = w->QConsoDt.rows();
  const QString weight = w->LWeight->text();
  const qint64 lastNo = counterLastNo();
  const int headers = count("ConsolidateHd");
  conn().execute("Create Trigger FailLines Before Insert On ConsolidateDt Begin Select Raise(Abort, 'disk is full'); End");

  app.prompts().clear();
  save();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("disk is full")) << errors[0].toStdString();
  EXPECT_TRUE(prints.isEmpty());  // nothing printed
  widgets::ClearModalDrivers();
  EXPECT_EQ(count("ConsolidateHd"), headers);  // the header written before the failure is gone
  EXPECT_EQ(counterLastNo(), lastNo);          // and so is the number drawn
  EXPECT_EQ(app.prompts().texts(), QStringList{app.config().SaveDataPrompt});  // no stock check
  // The window as it was.
  EXPECT_TRUE(w->IsNewDocument);
  EXPECT_EQ(w->QConsoHd.asString("DocNo"), "");
  EXPECT_EQ(w->QConsoHd.asString("Carman"), "Somchai");
  EXPECT_EQ(w->QConsoDt.rows(), rowsBefore);
  EXPECT_EQ(w->LWeight->text(), weight);
  EXPECT_TRUE(w->AcSave->isEnabled());
  EXPECT_FALSE(w->BLoad->isEnabled());

  // Once the cause is gone the same document saves under the number the failed save did not keep.
  conn().execute("Drop Trigger FailLines");
  errors.clear();
  save();
  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  ASSERT_EQ(prints.size(), 1);
  EXPECT_EQ(counterLastNo(), lastNo + 1);
  EXPECT_EQ(storedLines(prints[0].docNo), (QVector<qint64>{fixedLines[0], fixedLines[2]}));
}

TEST_F(ConsolidateWindow, AFailedDeleteKeepsTheDocumentOnScreen) {
  openDocument(demoDocNo(1));
  conn().execute("Create Trigger FailHeader Before Update On ConsolidateHd Begin Select Raise(Abort, 'locked by audit'); End");
  app.prompts().answer(true);
  w->AcDel->trigger();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("locked by audit"));
  EXPECT_EQ(scalar("Select Delflag From ConsolidateHd Where Id = 1").toString(), "N");
  EXPECT_FALSE(w->IsNewDocument);
  EXPECT_EQ(w->QConsoHd.asString("Delflag"), "N");
  EXPECT_EQ(w->QConsoHd.asString("DocNo"), demoDocNo(1));
  EXPECT_TRUE(w->AcDel->isEnabled());
}

TEST_F(ConsolidateWindow, AFailedInvoiceRunKeepsTheSavedDocumentOnScreen) {
  const QString no = saveZ01({0});
  openDocument(no);
  tick(rowOf(fixedLines[2]));  // an edit, saved by the save step of Send to invoices
  const int invoices = count("IvHd");
  conn().execute("Create Trigger FailInvoice Before Insert On IvHd Begin Select Raise(Abort, 'invoice series closed'); End");
  prints.clear();
  app.prompts().clear();
  app.prompts().answer(true);
  expectPrintDialog();
  w->BSendToIV->click();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("invoice series closed"));
  EXPECT_TRUE(prints.isEmpty());
  widgets::ClearModalDrivers();
  EXPECT_EQ(count("IvHd"), invoices);
  EXPECT_EQ(scalar("Select Confirm From ConsolidateHd Where DocNo = '" + no + "'").toString(), "N");
  EXPECT_EQ(storedLines(no), (QVector<qint64>{fixedLines[0], fixedLines[2]}));  // the save stands
  for (const auto& e : app.prompts().log) EXPECT_FALSE(e.text.startsWith("เลขที่ใบขาย"));
  // The stored document is on screen, ready for another try.
  EXPECT_FALSE(w->IsNewDocument);
  EXPECT_EQ(w->QConsoHd.asString("DocNo"), no);
  EXPECT_EQ(w->FaGetDocNo1->DocNo->text(), no.toUpper());
  EXPECT_TRUE(w->BSendToIV->isEnabled());
  EXPECT_EQ(cell(rowOf(fixedLines[2]), "ToConso").toString(), "Y");
  EXPECT_GT(cell(rowOf(fixedLines[2]), "Id").toLongLong(), 0);

  conn().execute("Drop Trigger FailInvoice");
  errors.clear();
  app.prompts().answer(true);
  expectPrintDialog();
  w->BSendToIV->click();
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(count("IvHd"), invoices + 1);
  EXPECT_EQ(storedLines(no).size(), 2);  // saved once, not twice
}

TEST_F(ConsolidateWindow, LinesAnotherConsolidationStoredMeanwhileAreRefusedByName) {
  loadZone("Z01");
  tick(rowOf(fixedLines[0]));
  tick(rowOf(fixedLines[2]));
  // Meanwhile another user saves a consolidation of the zone holding P00001's line.
  conn().execute(QStringLiteral("Insert Into ConsolidateHd (DocNo, DocDate, SendDate, CustomerZone, Confirm, Delflag, Printed) "
                                "Values ('Con-OTHER', '2024-01-01 00:00:00', '2024-01-01 00:00:00', %1, 'N', 'N', 'N')")
                     .arg(zoneId("Z01")));
  conn().execute(QStringLiteral("Insert Into ConsolidateDt (ConsolidateHd, ToConso, SoHd, SoDt, Customer, Product, ProductUnits, "
                                "OrderSoQnty, Onhand, OrderQnty, SendQnty, IvNo, IvHd, IvDt) "
                                "Select (Select Id From ConsolidateHd Where DocNo = 'Con-OTHER'), 'Y', SoHd, Id, 1, Product, "
                                "ProductUnits, 5, 0, 5, 5, '', 0, 0 From SoDt Where Id = %1")
                     .arg(fixedLines[0]));
  const QString soNo = scalar(QStringLiteral("Select H.SoNo From SoHd H Inner Join SoDt D On D.SoHd = H.Id Where D.Id = %1")
                                  .arg(fixedLines[0]))
                           .toString();
  const int headers = count("ConsolidateHd");
  const qint64 lastNo = counterLastNo();

  // Declined: nothing is saved and the document stays as it was.
  app.prompts().clear();
  app.prompts().answer(true);   // Save ?
  app.prompts().answer(false);  // save the rest ?
  expectPrintDialog();
  w->AcSave->trigger();
  ASSERT_EQ(app.prompts().log.size(), 2u);
  const QString question = app.prompts().log[1].text;
  EXPECT_TRUE(app.prompts().log[1].question);
  EXPECT_EQ(question, "รายการของใบสั่งขายต่อไปนี้ถูกจัดลงใบจัดสินค้าอื่นของเขตนี้แล้ว" + kBreak + soNo +
                          " (ใบจัดสินค้าเลขที่ Con-OTHER)" + kBreak + "บันทึกเฉพาะรายการที่เหลือ ?");
  EXPECT_TRUE(prints.isEmpty());
  widgets::ClearModalDrivers();
  EXPECT_EQ(count("ConsolidateHd"), headers);
  EXPECT_EQ(counterLastNo(), lastNo);
  EXPECT_TRUE(w->IsNewDocument);
  EXPECT_EQ(cell(rowOf(fixedLines[0]), "ToConso").toString(), "Y");
  EXPECT_TRUE(errors.isEmpty());

  // Agreed: the rest is saved, the held line is left out.
  app.prompts().clear();
  app.prompts().answer(true);
  app.prompts().answer(true);
  expectPrintDialog();
  w->AcSave->trigger();
  ASSERT_EQ(prints.size(), 1);
  EXPECT_EQ(storedLines(prints[0].docNo), QVector<qint64>{fixedLines[2]});
  EXPECT_EQ(count("ConsolidateHd"), headers + 1);
  EXPECT_EQ(counterLastNo(), lastNo + 1);
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

// No header without lines: a Save with nothing ticked, or with every ticked line taken meanwhile by
// another consolidation, is refused before a number is drawn.
TEST_F(ConsolidateWindow, NoHeaderIsSavedWithoutATickedLine) {
  const int headers = count("ConsolidateHd");
  const qint64 lastNo = counterLastNo();
  const QString refusal = "ไม่มีรายการที่เลือกจัด ไม่สามารถบันทึกใบจัดสินค้าได้";

  loadZone("Z01");
  for (int r = 0; r < w->QConsoDt.rowCount(); ++r)
    if (cell(r, "ToConso").toString() == "Y") toggle(r);
  app.prompts().clear();
  save();
  EXPECT_EQ(app.prompts().texts(), (QStringList{app.config().SaveDataPrompt, refusal}));
  EXPECT_TRUE(prints.isEmpty()) << "no empty load sheet";
  widgets::ClearModalDrivers();
  EXPECT_EQ(count("ConsolidateHd"), headers);
  EXPECT_EQ(counterLastNo(), lastNo) << "no number is used up";
  EXPECT_TRUE(w->IsNewDocument);
  EXPECT_GT(w->QConsoDt.rowCount(), 0) << "the loaded lines stay for ticking";

  // The only ticked line is taken by another consolidation meanwhile; Yes to saving the rest.
  tick(rowOf(fixedLines[0]));
  conn().execute(QStringLiteral("Insert Into ConsolidateHd (DocNo, DocDate, SendDate, CustomerZone, Confirm, Delflag, Printed) "
                                "Values ('Con-OTHER', '2024-01-01 00:00:00', '2024-01-01 00:00:00', %1, 'N', 'N', 'N')")
                     .arg(zoneId("Z01")));
  conn().execute(QStringLiteral("Insert Into ConsolidateDt (ConsolidateHd, ToConso, SoHd, SoDt, Customer, Product, ProductUnits, "
                                "OrderSoQnty, Onhand, OrderQnty, SendQnty, IvNo, IvHd, IvDt) "
                                "Select (Select Id From ConsolidateHd Where DocNo = 'Con-OTHER'), 'Y', SoHd, Id, 1, Product, "
                                "ProductUnits, 5, 0, 5, 5, '', 0, 0 From SoDt Where Id = %1")
                     .arg(fixedLines[0]));
  const int withOther = count("ConsolidateHd");
  app.prompts().clear();
  app.prompts().answer(true);  // Save ?
  app.prompts().answer(true);  // save the rest ?
  expectPrintDialog();
  w->AcSave->trigger();
  ASSERT_EQ(app.prompts().log.size(), 3u);
  EXPECT_EQ(app.prompts().log[2].text, refusal);
  EXPECT_TRUE(prints.isEmpty());
  widgets::ClearModalDrivers();
  EXPECT_EQ(count("ConsolidateHd"), withOther);
  EXPECT_EQ(counterLastNo(), lastNo);
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

// The number of a cancelled document, typed and left as a user does (Enter, or another field),
// is refused once, and the new document that follows is ready to load: zone, send date and Load
// enabled, the number field empty and open.
TEST_F(ConsolidateWindow, ACancelledNumberIsRefusedAndTheNewDocumentCanBeLoaded) {
  struct Case {
    const char* how;
    bool enter;
  };
  for (const Case& c : {Case{"Enter", true}, Case{"another field", false}}) {
    SCOPED_TRACE(c.how);
    newDocument();
    app.prompts().clear();
    if (c.enter) {
      activate();
      w->FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
      QTest::keyClicks(w->FaGetDocNo1->DocNo, demoDocNo(3));
      QTest::keyClick(w->FaGetDocNo1->DocNo, Qt::Key_Return);
      QApplication::processEvents();
    } else {
      enterNumber(demoDocNo(3));
    }
    EXPECT_EQ(app.prompts().texts(), QStringList{"เอกสารถูกยกเลิกแล้ว"});
    EXPECT_TRUE(w->IsNewDocument);
    EXPECT_EQ(w->FaGetDocNo1->DocNo->text(), "");
    EXPECT_TRUE(w->FaGetDocNo1->DocNo->isEnabled());
    EXPECT_TRUE(w->FaGetSendDate->isEnabled()) << "the send date of the new document can be chosen";
    EXPECT_TRUE(w->EZone->isEnabled());
    EXPECT_TRUE(w->BLoad->isEnabled());
    EXPECT_FALSE(w->AcDel->isEnabled());
    EXPECT_FALSE(w->BSendToIV->isEnabled());
  }
  chooseZone("Z01");
  w->BLoad->click();
  EXPECT_GE(rowOf(fixedLines[0]), 0);
}

}  // namespace
}  // namespace contest
