// Box stickers: the shipped template (boxes chosen by its dialog, a Code 128 barcode of the box
// number that a scanner reads back from the printed page) and the sticker window.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QToolButton>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

#include "app_fixture.h"
#include "window_fixture.h"
#include "data_module.h"
#include "error_reporter.h"
#include "box_stickers_window.h"
#include "modal.h"
#include "report/export.h"
#include "report/preview.h"
#include "report/print_target.h"
#include "report/function_library_registry.h"
#include "report/report.h"
#include "report_functions_setup.h"

namespace {

QString shippedTemplate() {
  return QDir(qEnvironmentVariable("CONSOLIDATE_SOURCE_DIR")).filePath(QStringLiteral("templates/Form_StickerBom_Varnotek.Frf"));
}

// The box number printed on each page, in page order.
QStringList boxesOnPages(const report::PreparedReport& r) {
  QStringList out;
  for (const report::PreparedPage& page : r.pages) {
    for (const report::Primitive& p : page.items) {
      if (p.type == report::Primitive::Type::Text && p.text.startsWith(QLatin1String("BOX"))) {
        out << p.text;
        break;
      }
    }
  }
  return out;
}

// Runs a tool; its standard output, or a failure naming it.
QString run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) return QStringLiteral("<%1 did not finish>").arg(program);
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
  return QString::fromUtf8(p.readAllStandardOutput());
}

class StickerTemplateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    embedded::install();
    report::registerAddFunctionLibrary();
    c = site.openCompany();
    rep.setConnection(*c);
    printing::setupReportFunctions(rep, c.get());
    ASSERT_TRUE(rep.loadFromFile(shippedTemplate())) << shippedTemplate().toStdString();
  }
  // Prepares the stickers for the dialog's answers: first box, last box, send date.
  QStringList prepare(const QStringList& answers, int count) {
    rep.setVariable(QStringLiteral("CountNo"), QString::number(count));
    rep.setDialogAnswerer([answers](const report::DialogDef& d, QStringList& values) {
      EXPECT_EQ(d.fields.size(), 3);
      values = answers;
      return true;
    });
    if (!rep.prepare()) return {QStringLiteral("<cancelled>")};
    return boxesOnPages(rep.prepared());
  }

  testsupport::TempSite site;
  std::unique_ptr<db::Connection> c;
  report::Report rep;
};

TEST_F(StickerTemplateTest, PrintedStickerCarriesABarcodeThatReadsAsTheBoxNumber) {
  ASSERT_EQ(prepare({"BOX900001", "", ""}, 2), (QStringList{"BOX900001", "BOX900001"}));
  QTemporaryDir out;
  const QString pdf = out.filePath(QStringLiteral("stickers.pdf"));
  rep.exportPdf(pdf);
  run(QStringLiteral("pdftoppm"), {"-r", "300", "-f", "1", "-l", "1", "-singlefile", "-png", pdf, out.filePath("page")});
  ASSERT_TRUE(QFile::exists(out.filePath("page.png")));
  EXPECT_EQ(run(QStringLiteral("zbarimg"), {"--raw", "-q", out.filePath("page.png")}).trimmed(), QStringLiteral("BOX900001"));

  // What the driver reads: the customer, the address, the send date, the pieces.
  QStringList texts;
  for (const report::Primitive& p : rep.prepared().pages[0].items)
    if (p.type == report::Primitive::Type::Text) texts << p.text;
  const QString page = texts.join(QLatin1Char(' '));
  // The send date as printed on Thai documents: in the Buddhist era.
  const QDate sent = testsupport::serverToday().addDays(-1);
  const QString sentOn = sent.toString(QStringLiteral("dd/MM/")) + QString::number(sent.year() + 543);
  const db::Result cu = c->select("Select Name, Address1 From Customer Where Code = 'C00001'");
  for (const QString& part : {cu.asString("Name"), cu.asString("Address1"), QStringLiteral("C00001"),
                              sentOn, QStringLiteral("3 ชิ้น")})
    EXPECT_TRUE(page.contains(part)) << part.toStdString() << " not in: " << page.toStdString();
}

// The address box has room for two lines: the post code of every packed demo box is printed, not
// cut off below the box.
TEST_F(StickerTemplateTest, TheWholeAddressWithItsPostCodeIsPrinted) {
  ASSERT_EQ(prepare({"BOX900001", "BOX900002", ""}, 1), (QStringList{"BOX900001", "BOX900002"}));
  QTemporaryDir out;
  const QString pdf = out.filePath(QStringLiteral("stickers.pdf"));
  rep.exportPdf(pdf);
  const QString text = run(QStringLiteral("pdftotext"), {"-layout", pdf, "-"}).simplified();
  const db::Result boxes = c->select("Select C.Code, C.ZIPCode, C.PhoneNo From BoxNo B Inner Join Customer C On C.Id = B.Customer "
                                     "Where B.BarCode In ('BOX900001', 'BOX900002') Order By B.BarCode");
  ASSERT_EQ(boxes.rowCount(), 2);
  for (const auto& row : boxes.rows()) {
    SCOPED_TRACE(row[0].toString().toStdString());
    for (int i = 1; i < row.size(); ++i) {
      const QString part = row[i].toString().trimmed();
      ASSERT_FALSE(part.isEmpty());
      EXPECT_TRUE(text.contains(part)) << part.toStdString() << " not in: " << text.toStdString();
    }
  }
}

TEST_F(StickerTemplateTest, DialogChoosesTheBoxesAndCountNoTheCopies) {
  const QString yesterday = testsupport::serverToday().addDays(-1).toString(QStringLiteral("dd/MM/yyyy"));
  struct Case {
    QStringList answers;
    int count;
    QStringList boxes;
  };
  const Case cases[] = {
      {{"BOX000001", "BOX000003", ""}, 1, {"BOX000001", "BOX000002", "BOX000003"}},
      {{"BOX000002", "", ""}, 3, {"BOX000002", "BOX000002", "BOX000002"}},   // no last box: that box alone
      {{"", "", yesterday}, 1, {"BOX900001", "BOX900002"}},                   // the boxes sent that day
      {{"BOX900001", "BOX900003", ""}, 1, {"BOX900001", "BOX900002"}},        // the cancelled box is left out
      {{"BOX000001", "", yesterday}, 1, {"BOX000001"}},                       // a box number wins over the date
      {{"", "", ""}, 1, {}},                                                  // nothing chosen, nothing printed
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.answers.join('|').toStdString());
    EXPECT_EQ(prepare(k.answers, k.count), k.boxes);
  }
}

TEST(ShippedStickerTemplate, EveryNewSiteGetsIt) {
  QTemporaryDir dir;
  const QString folder = dir.filePath(QStringLiteral("site"));
  run(QStringLiteral(CONSOLIDATE_DB_EXE), {"init", folder, "--quiet"});
  QFile shipped(shippedTemplate()), installed(QDir(folder).filePath(TFrPrintBoxNo::kTemplateName));
  ASSERT_TRUE(installed.open(QIODevice::ReadOnly)) << installed.fileName().toStdString();
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  EXPECT_EQ(installed.readAll(), shipped.readAll());
}

// ---- The sticker window -----------------------------------------------------------------------

class StickerWindowTest : public ::testing::Test {
 protected:
  static testsupport::AppOptions options() {
    testsupport::AppOptions o;
    o.menuOption = 101;
    return o;
  }
  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    previousDir = QDir::currentPath();
    ASSERT_TRUE(QFile::copy(shippedTemplate(), QDir(app.site().folder()).filePath(TFrPrintBoxNo::kTemplateName)));
    QDir::setCurrent(app.site().folder());
  }
  void TearDown() override { QDir::setCurrent(previousDir); }
  // Answers the template's dialog and closes every preview, recording what it showed.
  void watch(TFrPrintBoxNo& w) {
    w.frfReport.setDialogAnswerer([](const report::DialogDef&, QStringList& values) {
      values = QStringList{"BOX900001", "BOX900002", ""};
      return true;
    });
    w.frfReport.setPreviewHook([this, &w](report::PreviewWindow& preview) {
      previews << boxesOnPages(w.frfReport.prepared());
      widths << w.frfReport.prepared().page.width;
      QTimer::singleShot(0, &preview, [&preview] { preview.reject(); });
    });
  }
  qint64 stickerLogEntries() {
    return app.dm().DMdata.select("Select Count(*) N From UserLog Where FunctionListId = 6 And DocumentId = 0").asInt("N");
  }

  testsupport::AppFixture app{options()};
  QString previousDir;
  testsupport::CollectedErrors errors;
  QVector<QStringList> previews;
  QVector<double> widths;
};

TEST_F(StickerWindowTest, PrintLogsAndPreviewsCountNoStickersOfEachBox) {
  TFrPrintBoxNo w;
  watch(w);
  w.show();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Print Sticker"));
  EXPECT_EQ(w.CountNo->value(), 1);
  w.CountNo->setValue(2);
  const qint64 before = stickerLogEntries();
  w.BPrint->click();
  ASSERT_EQ(previews.size(), 1);
  EXPECT_EQ(previews[0], (QStringList{"BOX900001", "BOX900001", "BOX900002", "BOX900002"}));

  // Every Print reads the template from disk again: a changed sticker size shows at once.
  QFile f(TFrPrintBoxNo::TemplatePath());
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray text = f.readAll();
  f.close();
  text.replace("\"width\": 100, \"height\": 75", "\"width\": 80, \"height\": 75");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(text);
  f.close();
  w.BPrint->click();
  ASSERT_EQ(previews.size(), 2);
  EXPECT_EQ(widths, (QVector<double>{100, 80}));
  EXPECT_EQ(stickerLogEntries(), before + 2);
  EXPECT_EQ(w.CountNo->value(), 2) << "the count stays between prints";
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_TRUE(app.prompts().log.empty());
}

TEST_F(StickerWindowTest, MissingTemplateShowsNothingAndNoError) {
  QTemporaryDir elsewhere;
  QDir::setCurrent(elsewhere.path());
  TFrPrintBoxNo w;
  watch(w);
  const qint64 before = stickerLogEntries();
  w.BPrint->click();
  EXPECT_TRUE(previews.isEmpty());
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_TRUE(app.prompts().log.empty());
  EXPECT_EQ(stickerLogEntries(), before + 1) << "the print is logged all the same";

  // A template that goes missing after a print: the one held before is shown again.
  QDir::setCurrent(app.site().folder());
  w.BPrint->click();
  ASSERT_EQ(previews.size(), 1);
  QDir::setCurrent(elsewhere.path());
  w.BPrint->click();
  EXPECT_EQ(previews.size(), 2);
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(StickerWindowTest, StickersPrintOnThePrinterChosenWithTheWindowsPrinterSetUp) {
  TFrPrintBoxNo w;
  w.show();
  QTemporaryDir out;
  const QString before = out.filePath(QStringLiteral("before.pdf"));
  const QString labels = out.filePath(QStringLiteral("labels.pdf"));
  report::currentPrinter().setOutputFormat(QPrinter::PdfFormat);
  report::currentPrinter().setOutputFileName(before);
  // The clerk chooses the label printer (here a PDF file) in the window's printer set-up.
  widgets::ScopedModalDrivers drivers;
  bool setUpShown = false;
  drivers.then([&](QDialog& d) {
    setUpShown = true;
    auto* setUp = qobject_cast<QPrintDialog*>(&d);
    ASSERT_NE(setUp, nullptr);
    EXPECT_EQ(setUp->printer(), &report::currentPrinter());
    auto* name = setUp->findChild<QLineEdit*>(QStringLiteral("filename"));
    ASSERT_NE(name, nullptr);
    name->setText(labels);
    setUp->accept();
  });
  w.BSetPrinter->click();
  ASSERT_TRUE(setUpShown);
  // Print previews; the preview's Print prints on that printer.
  w.frfReport.setDialogAnswerer([](const report::DialogDef&, QStringList& values) {
    values = QStringList{"BOX900001", "", ""};
    return true;
  });
  w.frfReport.setPreviewHook([](report::PreviewWindow& preview) {
    QMetaObject::invokeMethod(&preview, [&preview] {
      preview.button(report::PreviewButton::Print)->click();
      preview.reject();
    }, Qt::QueuedConnection);
  });
  w.BPrint->click();
  EXPECT_FALSE(QFile::exists(before));
  EXPECT_TRUE(run(QStringLiteral("pdftotext"), {labels, QStringLiteral("-")}).contains(QStringLiteral("BOX900001")));
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  w.hide();
}

// A sheet of stickers printed to PDF offers a file named by what it holds, the boxes or their send
// date, not by the template.
TEST_F(StickerWindowTest, APrintedSheetIsNamedByItsBoxes) {
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "this computer has a printer";
  report::currentPrinter().setOutputFileName(QString());
  report::currentPrinter().setOutputFormat(QPrinter::NativeFormat);
  TFrPrintBoxNo w;
  w.show();
  struct Case {
    QStringList answers;  // from box, to box, send date
    QString file;
  };
  const Case cases[] = {
      {{"BOX900001", "BOX900002", ""}, "สติ๊กเกอร์กล่อง BOX900001-BOX900002.pdf"},
      {{"BOX900001", "", ""}, "สติ๊กเกอร์กล่อง BOX900001.pdf"},
      {{"BOX900001", "BOX900001", ""}, "สติ๊กเกอร์กล่อง BOX900001.pdf"},
      {{"", "", "11/12/2026"}, "สติ๊กเกอร์กล่อง 11-12-2026.pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.toStdString());
    QString suggested;
    const auto previous = report::setPdfFallback([&](QWidget*, const QString& path) {
      suggested = path;
      return QString();  // cancelled
    });
    w.frfReport.setDialogAnswerer([&c](const report::DialogDef&, QStringList& values) {
      values = c.answers;
      return true;
    });
    w.frfReport.setPreviewHook([](report::PreviewWindow& preview) {
      QMetaObject::invokeMethod(&preview, [&preview] {
        preview.button(report::PreviewButton::Print)->click();
        preview.reject();
      }, Qt::QueuedConnection);
    });
    w.BPrint->click();
    report::setPdfFallback(previous);
    EXPECT_EQ(QFileInfo(suggested).fileName(), c.file);
  }
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  w.hide();
}

TEST_F(StickerWindowTest, CountNoTakesOneToNinetyNine) {
  TFrPrintBoxNo w;
  w.CountNo->setValue(0);
  EXPECT_EQ(w.CountNo->value(), 1);
  w.CountNo->setValue(150);
  EXPECT_EQ(w.CountNo->value(), 99);
  w.CountNo->selectAll();
  QTest::keyClicks(w.CountNo, QStringLiteral("123"));
  EXPECT_EQ(w.CountNo->value(), 12) << "two digits at most";
}

}  // namespace
