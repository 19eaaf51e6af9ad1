// The zone bill-collection window on the demo site, driven as a user drives it: the zone, Load,
// ticks in the grid, the number and date frames, F10 and F8; the print dialog and the error window
// are answered as they come up.
#include <gtest/gtest.h>

#include <tuple>

#include <QApplication>
#include <QDir>
#include <QHash>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app_fixture.h"
#include "bill_collection_window.h"
#include "data_module.h"
#include "config_module.h"
#include "document_print_dialog.h"
#include "error_reporter.h"
#include "modal.h"
#include "qt_printers.h"
#include "bill_collection_search.h"
#include "shipped_forms.h"
#include "textutil/dates.h"
#include "window_fixture.h"

namespace {

// What the print dialog was handed when it came up.
struct PrintSeen {
  int shown = 0;
  QString docNo;
  QString printCode;
  int docYear = -1;
  int formCount = -1;
};

// Answers the error window of the error reporter when it comes up (it runs its own modal loop).
class ErrorWindowAnswerer {
 public:
  ErrorWindowAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* w = qobject_cast<TFrShowError*>(QApplication::activeModalWidget());
      if (!w) return;
      texts << w->ErrorText;
      w->BCancel->click();
    });
    timer_.start();
  }
  QStringList texts;

 private:
  QTimer timer_;
};

class BillCollectionTest : public ::testing::Test {
 protected:
  static testsupport::AppOptions options() {
    testsupport::AppOptions o;
    o.menuOption = 201;
    return o;
  }

  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    company = app.site().openCompany();
    today = DM->ServerTime().date();
    for (const char* code : {"Z01", "Z02", "Z03", "Z04"}) zone[code] = testsupport::zoneId(*company, code);
    const db::Result mb = company->select("Select Distinct Docno From MoneyBill");
    ASSERT_EQ(mb.rowCount(), 1);
    demoBill = mb.asString("Docno");
  }

  void TearDown() override {
    testsupport::closeWindow(w);
    QDir::setCurrent(previousFolder);
  }

  void show() {
    w = std::make_unique<TFrconsolidate_load>();
    ASSERT_TRUE(testsupport::showActive(*w));
  }

  // Chooses a zone in the selector as a user does.
  void chooseZone(const char* code) {
    const int i = w->EZone->findData(zone[code]);
    ASSERT_GE(i, 0) << code;
    w->EZone->setFocus(Qt::MouseFocusReason);
    w->EZone->setCurrentIndex(i);
  }

  // Presses Load with the mouse.
  void load() { QTest::mouseClick(w->BLoad, Qt::LeftButton); }

  // The window is the active one again (after a dialog closed).
  void activate() { ASSERT_TRUE(testsupport::activate(*w)); }

  // Types a number into the number field and leaves it for the next field.
  void typeNumber(const QString& no) {
    activate();
    w->FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(w->FaGetDocNo1->DocNo, no);
    QTest::keyClick(w->FaGetDocNo1->DocNo, Qt::Key_Return);  // Enter moves to the next field
  }

  // Ticks or clears the check box of a grid row with a single click.
  void clickTick(int row) {
    const QModelIndex cell = w->DgDt->model()->index(row, 0);
    w->DgDt->scrollTo(cell);
    QTest::mouseClick(w->DgDt->viewport(), Qt::LeftButton, {}, w->DgDt->visualRect(cell).center());
  }

  QString gridValue(int row, const char* field) const {
    const db::Result& r = w->QselectGrid;
    return r.at(row, r.findColumn(field)).toString();
  }
  QStringList gridColumn(const char* field) const {
    QStringList out;
    for (int r = 0; r < w->QselectGrid.rowCount(); ++r) out << gridValue(r, field);
    return out;
  }

  // The next print dialog is answered by recording what it was handed; it then closes.
  void expectPrint(PrintSeen& seen) {
    widgets::QueueModalDriver([&seen](QDialog& d) {
      auto* print = qobject_cast<TFrDocPrintForm*>(&d);
      ASSERT_NE(print, nullptr);
      ++seen.shown;
      seen.docNo = print->DocNo;
      seen.printCode = print->PrintCode;
      seen.docYear = print->DocYear;
      seen.formCount = print->FormCount;
    });
  }

  // The next print dialog prints its form to a PDF file (the templates are found in the current
  // folder, the site folder, as the program finds them).
  void printToPdf(PrintSeen& seen, const QString& file) {
    ASSERT_TRUE(QDir::setCurrent(app.site().folder()));
    widgets::QueueModalDriver([this, &seen, file](QDialog& d) {
      auto* print = qobject_cast<TFrDocPrintForm*>(&d);
      ASSERT_NE(print, nullptr);
      ++seen.shown;
      seen.docNo = print->DocNo;
      seen.printCode = print->PrintCode;
      seen.docYear = print->DocYear;
      seen.formCount = print->FormCount;
      print->Printer().setOutputFormat(QPrinter::PdfFormat);
      print->Printer().setOutputFileName(out.filePath(file));
      print->SystemFormList->setCurrentIndex(print->SystemFormList->model()->index(0, 0));
      print->BPrint->click();
    });
  }
  QString pdfText(const QString& file) {
    QProcess pdf;
    pdf.start("pdftotext", {"-layout", out.filePath(file), "-"});
    EXPECT_TRUE(pdf.waitForFinished(60000));
    return QString::fromUtf8(pdf.readAllStandardOutput()).simplified();
  }

  void pressKey(Qt::Key key) { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.get(), key); }

  db::Result stored(const QString& docNo) {
    db::Params p;
    p.setText("No", docNo);
    return company->select("Select M.*, I.IvNo From MoneyBill M Inner Join IvHd I On I.Id = M.BillDocId Where M.Docno = :No "
                           "Order By I.IvNo",
                           p);
  }
  QStringList storedInvoices(const QString& docNo) {
    const db::Result r = stored(docNo);
    QStringList out;
    for (int i = 0; i < r.rowCount(); ++i) out << r.at(i, r.findColumn("IvNo")).toString();
    return out;
  }
  qint64 lastNo(int year) {
    db::Params p;
    p.setInt("Y", year);
    return company->select("Select LastNo From DocumentNo Where Code = 'MONEYBILL' And DocYear = :Y", p).asInt("LastNo");
  }
  // The open invoices of a zone, by invoice date and number, read independently of the window.
  QStringList openInvoices(const char* code) {
    db::Params p;
    p.setInt("Z", zone[code]);
    const db::Result r = company->select(
        "Select IvNo From IvHd Where Customer In (Select Id From Customer Where Zone = :Z) "
        "And DelFlag = 'N' And Clear = 'N' Order By IvDate, IvNo",
        p);
    QStringList out;
    for (int i = 0; i < r.rowCount(); ++i) out << r.at(i, 0).toString();
    return out;
  }
  static QString yy(int year) { return QString::number(year % 100).rightJustified(2, '0'); }

  testsupport::AppFixture app{options()};
  std::unique_ptr<db::Connection> company;
  std::unique_ptr<TFrconsolidate_load> w;
  QMap<QString, qint64> zone;
  QString demoBill;
  QDate today;
  QTemporaryDir out;
  QString previousFolder = QDir::currentPath();
};

TEST_F(BillCollectionTest, ShowStartsANewDocumentOnTheFirstZone) {
  show();
  EXPECT_EQ(w->windowTitle(), DMConfig->MenuCaption + " [15.12.25]");
  ASSERT_EQ(w->EZone->count(), 4);
  EXPECT_EQ(w->EZone->currentText(), "เขต 1 กรุงเทพฯ ฝั่งพระนคร");
  EXPECT_EQ(w->SelectedZoneId(), zone["Z01"]);
  for (QAction* a : {w->AcSave, w->AcDel}) EXPECT_TRUE(a->isEnabled());
  for (QWidget* c : {static_cast<QWidget*>(w->EZone), static_cast<QWidget*>(w->BLoad),
                     static_cast<QWidget*>(w->FaGetDocNo1->DocNo)})
    EXPECT_TRUE(c->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), w->FaGetDocNo1->DocNo);
  EXPECT_TRUE(w->IsNewBill);
  EXPECT_EQ(w->QselectGrid.rowCount(), 0);
  QStringList titles;
  for (int c = 0; c < w->DgDt->model()->columnCount(); ++c) titles << w->DgDt->model()->headerData(c, Qt::Horizontal).toString();
  EXPECT_EQ(titles, QStringList({"เลือก", "เลขที่เอกสาร", "วันที่", "วันครบกำหนด", "มูลค่า", "ยอดค้างรับ"}));
  // Choosing another zone selects it.
  chooseZone("Z03");
  EXPECT_EQ(w->SelectedZoneId(), zone["Z03"]);
}

TEST_F(BillCollectionTest, LoadListsTheZonesOpenInvoicesUntickedOnTheServersDate) {
  show();
  chooseZone("Z01");
  load();
  const QStringList expected = openInvoices("Z01");
  ASSERT_GE(expected.size(), 2);
  EXPECT_EQ(gridColumn("IvNo"), expected);
  EXPECT_EQ(gridColumn("Chk"), QStringList(expected.size(), "N"));
  // The outstanding amount is the total less what was received.
  db::Params p;
  p.setText("No", gridValue(0, "IvNo"));
  const db::Result iv = company->select("Select Total, RcptAmount From IvHd Where IvNo = :No", p);
  EXPECT_DOUBLE_EQ(w->QselectGrid.at(0, w->QselectGrid.findColumn("TotalRcpt")).toDouble(),
                   iv.asFloat("Total") - iv.asFloat("RcptAmount"));
  // Every row carries the server's date, shown by the date frame; the zone is fixed, Load done.
  for (int r = 0; r < w->QselectGrid.rowCount(); ++r)
    EXPECT_EQ(db::toDateTime(w->QselectGrid.at(r, w->QselectGrid.findColumn("DocDate"))), QDateTime(today, QTime(0, 0)));
  EXPECT_EQ(w->FaGetDate1->DocDate->text(), today.toString("dd/MM/yyyy"));
  EXPECT_FALSE(w->EZone->isEnabled());
  EXPECT_FALSE(w->BLoad->isEnabled());
  EXPECT_TRUE(w->AcSave->isEnabled());
}

TEST_F(BillCollectionTest, SaveStoresOnlyTheTickedInvoicesWithTheirBalanceAtSaving) {
  // Amounts worked out by hand: the first open invoice of the zone is 1,234.56 with nothing
  // received yet, the third 500.25 of which 100.25 was received.
  const QStringList open = openInvoices("Z02");
  ASSERT_GE(open.size(), 3);
  for (const auto& [no, total, received] : {std::tuple{open[0], 1234.56, 0.0}, std::tuple{open[2], 500.25, 100.25}}) {
    db::Params a;
    a.setText("No", no);
    a.setFloat("T", total);
    a.setFloat("R", received);
    company->execute("Update IvHd Set Total = :T, RcptAmount = :R Where IvNo = :No", a);
  }
  show();
  chooseZone("Z02");
  load();
  ASSERT_GE(w->QselectGrid.rowCount(), 3);
  ASSERT_EQ(gridValue(0, "IvNo"), open[0]);
  ASSERT_EQ(gridValue(2, "IvNo"), open[2]);
  EXPECT_EQ(gridValue(0, "Total").toDouble(), 1234.56);
  EXPECT_EQ(gridValue(0, "TotalRcpt").toDouble(), 1234.56);
  EXPECT_EQ(gridValue(2, "Total").toDouble(), 500.25);
  EXPECT_EQ(gridValue(2, "TotalRcpt").toDouble(), 400.00);
  clickTick(0);
  clickTick(2);
  clickTick(1);
  clickTick(1);  // ticked and cleared again: not part of the document
  EXPECT_EQ(gridValue(0, "Chk"), "Y");
  EXPECT_EQ(gridValue(1, "Chk"), "N");
  const QString first = gridValue(0, "IvNo"), third = gridValue(2, "IvNo");
  w->Responsible->setText("นายเก็บ เงินดี");
  w->Remark->setText("รอบบ่าย");
  // A receipt arrives for the first invoice between Load and Save.
  db::Params p;
  p.setText("No", first);
  company->execute("Update IvHd Set RcptAmount = 100 Where IvNo = :No", p);

  const QString second = gridValue(1, "IvNo");
  printing::installShippedForms(*company, app.site().folder());
  const qint64 before = lastNo(today.year());
  PrintSeen print;
  printToPdf(print, "list.pdf");
  w->AcSave->trigger();

  const QString no = "MB" + yy(today.year()) + QString::number(before + 1).rightJustified(8, '0');
  EXPECT_EQ(lastNo(today.year()), before + 1);
  EXPECT_EQ(print.shown, 1);
  EXPECT_EQ(print.docNo, no);
  EXPECT_EQ(print.printCode, "MONEYBILL");
  EXPECT_EQ(print.docYear, today.year());
  EXPECT_EQ(print.formCount, 1);
  EXPECT_EQ(w->StatusText(), "บันทึกใบเก็บเงินเลขที่ " + no + " แล้ว - บันทึกเป็นไฟล์ " + QDir::toNativeSeparators(out.filePath("list.pdf")))
      << "the saved number stays in sight, and where the printed list went";
  const QString printed = pdfText("list.pdf");
  EXPECT_TRUE(printed.contains("COLLECTION LIST")) << printed.toStdString();
  EXPECT_TRUE(printed.contains(no)) << printed.toStdString();
  EXPECT_TRUE(printed.contains(first)) << printed.toStdString();
  EXPECT_TRUE(printed.contains(third)) << printed.toStdString();
  EXPECT_FALSE(printed.contains(second)) << printed.toStdString();
  // The amounts of the two invoices (the first after the receipt of 100), and their sums.
  for (const char* amount : {"1,234.56", "1,134.56", "500.25", "400.00", "1,734.81", "1,534.56"})
    EXPECT_TRUE(printed.contains(QLatin1String(amount))) << amount << " not in: " << printed.toStdString();

  const db::Result rows = stored(no);
  ASSERT_EQ(rows.rowCount(), 2);
  QStringList invoices = {first, third};
  invoices.sort();
  EXPECT_EQ(storedInvoices(no), invoices);
  const QHash<QString, std::pair<double, double>> amounts = {{first, {1234.56, 1134.56}}, {third, {500.25, 400.00}}};
  for (int i = 0; i < rows.rowCount(); ++i) {
    auto v = [&](const char* c) { return rows.at(i, rows.findColumn(c)); };
    SCOPED_TRACE(v("IvNo").toString().toStdString());
    EXPECT_EQ(db::toDateTime(v("DocDate")), QDateTime(today, QTime(0, 0)));
    EXPECT_EQ(v("CustomerZone").toLongLong(), zone["Z02"]);
    EXPECT_EQ(v("Responsible").toString(), "นายเก็บ เงินดี");
    EXPECT_EQ(v("Remark").toString(), "รอบบ่าย");
    EXPECT_EQ(v("Delflag").toString(), "N");
    EXPECT_EQ(v("BillDocType").toString(), "I");
    ASSERT_TRUE(amounts.contains(v("IvNo").toString()));
    EXPECT_EQ(v("DocAmount").toDouble(), amounts.value(v("IvNo").toString()).first);
    EXPECT_EQ(v("BalanceAmount").toDouble(), amounts.value(v("IvNo").toString()).second);
    EXPECT_EQ(db::toDateTime(v("CreateDate")).date(), today);
  }

  // Back to a new document.
  EXPECT_EQ(w->QselectGrid.rowCount(), 0);
  EXPECT_TRUE(w->IsNewBill);
  EXPECT_TRUE(w->BLoad->isEnabled());
  EXPECT_TRUE(w->EZone->isEnabled());
  EXPECT_TRUE(w->FaGetDocNo1->DocNo->isEnabled());
}

TEST_F(BillCollectionTest, AZoneWithoutOpenInvoicesStillDrawsANumberAndPrints) {
  company->execute("Insert Into Misc (GroupCode, Code, Description) Values ('ZONE', 'Z99', 'เขตว่าง')");
  zone["Z99"] = testsupport::zoneId(*company, "Z99");
  show();
  chooseZone("Z99");
  load();
  EXPECT_EQ(w->QselectGrid.rowCount(), 0);
  EXPECT_EQ(w->StatusText(), "ไม่พบใบกำกับสินค้าที่ค้างชำระของเขต เขตว่าง");
  // The site's form for MONEYBILL (no server procedure) with the shipped template.
  QFile form(QDir(app.site().folder()).filePath("Form_MoneyBill.frf"));
  ASSERT_TRUE(form.open(QIODevice::WriteOnly));
  form.write(printing::shippedTemplate("Form_MoneyBill.frf"));
  form.close();
  const qint64 before = lastNo(today.year());
  PrintSeen print;
  printToPdf(print, "empty.pdf");
  pressKey(Qt::Key_F10);
  EXPECT_EQ(lastNo(today.year()), before + 1);
  EXPECT_EQ(print.shown, 1);
  EXPECT_EQ(print.docNo, "MB" + yy(today.year()) + QString::number(before + 1).rightJustified(8, '0'));
  EXPECT_EQ(print.printCode, "MONEYBILL");
  EXPECT_TRUE(stored(print.docNo).isEmpty());
  const QString printed = pdfText("empty.pdf");
  EXPECT_TRUE(printed.contains("COLLECTION LIST")) << printed.toStdString();
  EXPECT_FALSE(printed.contains("IVA")) << printed.toStdString();  // no invoice listed
}

TEST_F(BillCollectionTest, TheDateFrameDatesTheWholeDocumentAndItsNumbersYear) {
  show();
  chooseZone("Z01");
  load();
  ASSERT_GE(w->QselectGrid.rowCount(), 2);
  const QDate nextYear(today.year() + 1, 1, 15);
  // The date is changed on the second row; the document has one date.
  clickTick(0);
  clickTick(1);
  w->DselectGrid.moveTo(1);
  w->FaGetDate1->DocDate->setFocus(Qt::TabFocusReason);
  w->FaGetDate1->DocDate->selectAll();
  QTest::keyClicks(w->FaGetDate1->DocDate, nextYear.toString("dd/MM/yyyy"));
  w->Responsible->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(app.prompts().texts().isEmpty()) << app.prompts().texts().join('|').toStdString();
  for (int r = 0; r < w->QselectGrid.rowCount(); ++r)
    EXPECT_EQ(db::toDateTime(w->QselectGrid.at(r, w->QselectGrid.findColumn("DocDate"))).date(), nextYear) << r;
  w->DselectGrid.moveTo(0);
  EXPECT_EQ(w->FaGetDate1->DocDate->text(), nextYear.toString("dd/MM/yyyy"));

  PrintSeen print;
  expectPrint(print);
  w->AcSave->trigger();
  ASSERT_EQ(print.shown, 1);
  EXPECT_TRUE(print.docNo.startsWith("MB" + yy(nextYear.year()))) << print.docNo.toStdString();
  EXPECT_EQ(print.docYear, nextYear.year());
  const db::Result rows = stored(print.docNo);
  ASSERT_EQ(rows.rowCount(), 2);
  for (int i = 0; i < rows.rowCount(); ++i)
    EXPECT_EQ(db::toDateTime(rows.at(i, rows.findColumn("DocDate"))), QDateTime(nextYear, QTime(0, 0)));
}

TEST_F(BillCollectionTest, ReopeningAndSavingABillKeepsOneRowPerInvoiceAndItsZone) {
  // A bill of the second zone, saved once.
  show();
  chooseZone("Z02");
  load();
  ASSERT_GE(w->QselectGrid.rowCount(), 3);
  for (int r : {0, 1, 2}) clickTick(r);
  w->Responsible->setText("คนแรก");
  PrintSeen first;
  expectPrint(first);
  w->AcSave->trigger();
  const QString no = first.docNo;
  ASSERT_EQ(stored(no).rowCount(), 3);
  const QStringList all = storedInvoices(no);
  const qint64 counter = lastNo(today.year());

  // Reopened by its number: ticked rows, its zone, its texts; the number and Load are closed.
  typeNumber(no);
  EXPECT_FALSE(w->IsNewBill);
  EXPECT_EQ(w->QselectGrid.rowCount(), 3);
  EXPECT_EQ(gridColumn("Chk"), QStringList(3, "Y"));
  EXPECT_EQ(w->Responsible->text(), "คนแรก");
  EXPECT_EQ(w->SelectedZoneId(), zone["Z02"]);
  EXPECT_FALSE(w->EZone->isEnabled());
  EXPECT_FALSE(w->BLoad->isEnabled());
  EXPECT_FALSE(w->FaGetDocNo1->DocNo->isEnabled());
  EXPECT_TRUE(w->AcSave->isEnabled());

  // Saved again unchanged but for the responsible person: the same rows, once each.
  w->Responsible->setText("คนที่สอง");
  PrintSeen again;
  expectPrint(again);
  w->AcSave->trigger();
  EXPECT_EQ(again.docNo, no);
  EXPECT_EQ(lastNo(today.year()), counter);
  EXPECT_EQ(storedInvoices(no), all);
  db::Result rows = stored(no);
  for (int i = 0; i < rows.rowCount(); ++i) {
    EXPECT_EQ(rows.at(i, rows.findColumn("Responsible")).toString(), "คนที่สอง");
    EXPECT_EQ(rows.at(i, rows.findColumn("CustomerZone")).toLongLong(), zone["Z02"]);
  }

  // Reopened, one invoice cleared from the list: the document no longer holds it.
  typeNumber(no);
  ASSERT_EQ(w->QselectGrid.rowCount(), 3);
  const QString dropped = gridValue(1, "IvNo");
  clickTick(1);
  PrintSeen third;
  expectPrint(third);
  pressKey(Qt::Key_F10);
  QStringList kept = all;
  kept.removeAll(dropped);
  EXPECT_EQ(storedInvoices(no), kept);
}

// A number that matches no document empties the field, which stays closed until New, and the
// status line says which number was not found; an empty number or a stored one says nothing of it.
TEST_F(BillCollectionTest, ANumberThatMatchesNoDocumentIsNamedInTheStatusLine) {
  show();
  struct Case {
    QString typed;
    bool isNew;
    QString status;
  };
  const Case cases[] = {
      {"MB-NO-SUCH", true, "ไม่พบเอกสารเลขที่ MB-NO-SUCH"},
      {"mb-x1", true, "ไม่พบเอกสารเลขที่ MB-X1"},  // the field upper-cases what is typed
      {"", true, ""},
      {demoBill.trimmed(), false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    w->AcNew->trigger();
    typeNumber(c.typed);
    EXPECT_EQ(w->IsNewBill, c.isNew);
    EXPECT_FALSE(w->FaGetDocNo1->DocNo->isEnabled()) << "closed until New";
    if (c.isNew) EXPECT_EQ(w->FaGetDocNo1->DocNo->text(), "");
    EXPECT_EQ(w->StatusText(), c.status);
  }
  w->AcNew->trigger();
  EXPECT_TRUE(w->FaGetDocNo1->DocNo->isEnabled());
  EXPECT_EQ(w->StatusText(), "");
}

TEST_F(BillCollectionTest, ABillWhoseInvoicesWereAllClearedSinceCountsAsNew) {
  db::Params p;
  p.setText("No", demoBill);
  company->execute("Update IvHd Set Clear = 'Y' Where Id In (Select BillDocId From MoneyBill Where Docno = :No)", p);
  show();
  typeNumber(demoBill);
  EXPECT_TRUE(w->IsNewBill);
  EXPECT_EQ(w->QselectGrid.rowCount(), 0);
  EXPECT_TRUE(w->BLoad->isEnabled());
  EXPECT_TRUE(w->EZone->isEnabled());

  chooseZone("Z01");
  load();
  ASSERT_GE(w->QselectGrid.rowCount(), 1);
  clickTick(0);
  const qint64 before = lastNo(today.year());
  PrintSeen print;
  expectPrint(print);
  w->AcSave->trigger();
  EXPECT_EQ(lastNo(today.year()), before + 1);
  EXPECT_NE(print.docNo, demoBill);
  EXPECT_EQ(stored(print.docNo).rowCount(), 1);
  EXPECT_EQ(stored(demoBill).rowCount(), 2);  // the old document is left as it was
}

TEST_F(BillCollectionTest, DeleteMarksEveryRowOfTheDocumentAndItIsThenRefused) {
  show();
  // Delete on a new document marks nothing.
  pressKey(Qt::Key_F8);
  EXPECT_EQ(company->select("Select Count(*) As N From MoneyBill Where Delflag = 'Y'").asInt("N"), 0);

  typeNumber(demoBill);
  ASSERT_EQ(w->QselectGrid.rowCount(), 2);
  EXPECT_FALSE(w->LCancelled->isVisible());
  const QString title = w->windowTitle();
  w->DgDt->setFocus();
  pressKey(Qt::Key_F8);
  // The window shows that the list it holds is cancelled.
  EXPECT_TRUE(w->LCancelled->isVisible());
  EXPECT_EQ(w->LCancelled->text(), "เอกสารถูกยกเลิกแล้ว");
  EXPECT_EQ(w->windowTitle(), title + " - ยกเลิกแล้ว");
  EXPECT_TRUE(w->StatusText().contains(demoBill.trimmed())) << w->StatusText().toStdString();
  const db::Result rows = stored(demoBill);
  ASSERT_EQ(rows.rowCount(), 2);
  for (int i = 0; i < rows.rowCount(); ++i) EXPECT_EQ(rows.at(i, rows.findColumn("Delflag")).toString(), "Y");
  // The cancelled document stays on screen and cannot be saved back to life.
  EXPECT_EQ(w->QselectGrid.rowCount(), 2);
  EXPECT_FALSE(w->AcSave->isEnabled());
  pressKey(Qt::Key_F10);
  EXPECT_EQ(stored(demoBill).rowCount(), 2);
  EXPECT_EQ(company->select("Select Count(*) As N From MoneyBill Where Delflag = 'N'").asInt("N"), 0);

  // Opening it again is refused by the number frame, which returns to a new document.
  w->AcNew->trigger();
  EXPECT_FALSE(w->LCancelled->isVisible());
  EXPECT_EQ(w->windowTitle(), title);
  app.prompts().clear();
  typeNumber(demoBill);
  EXPECT_EQ(app.prompts().texts(), QStringList({"เอกสารถูกยกเลิกแล้ว"}));
  EXPECT_TRUE(w->IsNewBill);
  EXPECT_EQ(w->QselectGrid.rowCount(), 0);
  EXPECT_TRUE(w->FaGetDocNo1->DocNo->text().isEmpty());
  EXPECT_TRUE(w->EZone->isEnabled());
}

TEST_F(BillCollectionTest, AFailedInsertRollsBackReportsAndKeepsTheWindow) {
  show();
  chooseZone("Z01");
  load();
  ASSERT_GE(w->QselectGrid.rowCount(), 2);
  clickTick(0);
  clickTick(1);
  w->Responsible->setText("ผู้เก็บ");
  // The server refuses the second invoice's row.
  const QString refused = w->QselectGrid.at(1, w->QselectGrid.findColumn("ID")).toString();
  company->execute("Create Trigger RefuseBill Before Insert On MoneyBill When New.BillDocId = " + refused +
                   " Begin Select Raise(Abort, 'MoneyBill row refused'); End");
  const qint64 before = lastNo(today.year());
  const qint64 rowsBefore = company->select("Select Count(*) As N From MoneyBill").asInt("N");
  const qint64 errorsBefore = app.site().openConfig()->select("Select Count(*) As N From ErrorLog").asInt("N");
  PrintSeen print;
  expectPrint(print);
  {
    ErrorWindowAnswerer errors;
    w->AcSave->trigger();
    ASSERT_EQ(errors.texts.size(), 1);
    EXPECT_TRUE(errors.texts[0].contains("MONEYBILL ROW REFUSED")) << errors.texts[0].toStdString();
  }
  EXPECT_FALSE(DM->DMdata.inTransaction());
  EXPECT_EQ(company->select("Select Count(*) As N From MoneyBill").asInt("N"), rowsBefore);
  EXPECT_EQ(lastNo(today.year()), before);  // the number was given back
  EXPECT_EQ(app.site().openConfig()->select("Select Count(*) As N From ErrorLog").asInt("N"), errorsBefore + 1);
  EXPECT_EQ(print.shown, 0);
  // The window is as it was: the rows, their ticks, the texts; a second try succeeds.
  EXPECT_TRUE(w->IsNewBill);
  EXPECT_EQ(gridColumn("Chk").mid(0, 2), QStringList({"Y", "Y"}));
  EXPECT_EQ(w->Responsible->text(), "ผู้เก็บ");
  EXPECT_TRUE(w->AcSave->isEnabled());
  widgets::ClearModalDrivers();

  company->execute("Drop Trigger RefuseBill");
  expectPrint(print);
  w->AcSave->trigger();
  EXPECT_EQ(print.shown, 1);
  EXPECT_EQ(print.docNo, "MB" + yy(today.year()) + QString::number(before + 1).rightJustified(8, '0'));
  EXPECT_EQ(stored(print.docNo).rowCount(), 2);
}

TEST_F(BillCollectionTest, F5InTheNumberPicksABillFromTheSearchDialog) {
  show();
  w->FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
  bool searched = false;
  widgets::QueueModalDriver([&](QDialog& d) {
    auto* search = qobject_cast<TFrSearchconsolidate_Load*>(&d);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->KeyFieldName, "DocNo");
    searched = true;
    QTest::keyClick(search->Code, Qt::Key_Return);  // search everything
    ASSERT_EQ(search->QSearch.rowCount(), 1);
    QTest::keyClick(search->DgSearch, Qt::Key_Return);  // pick the row
  });
  QTest::keyClick(w->FaGetDocNo1->DocNo, Qt::Key_F5);
  ASSERT_TRUE(QTest::qWaitFor([&] { return searched && !QApplication::activeModalWidget(); }));
  EXPECT_EQ(widgets::PendingModalDrivers(), 0);
  EXPECT_FALSE(QApplication::activeModalWidget());  // the search came up once
  activate();
  EXPECT_EQ(QApplication::focusWidget(), w->FaGetDocNo1->DocNo);
  EXPECT_EQ(w->FaGetDocNo1->DocNo->text(), demoBill);
  QTest::keyClick(w->FaGetDocNo1->DocNo, Qt::Key_Return);
  EXPECT_FALSE(w->IsNewBill);
  EXPECT_EQ(w->QselectGrid.rowCount(), 2);
  EXPECT_EQ(w->Responsible->text(), "สมชาย ใจดี");
  EXPECT_EQ(w->Remark->text(), "เก็บเงินรอบเช้า");
}

}  // namespace
