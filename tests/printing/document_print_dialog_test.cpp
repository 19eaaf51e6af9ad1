// The document print dialog and the accounting-voucher dialog on the demo site, with the shipped
// report forms installed and every print going to a PDF file.
#include <gtest/gtest.h>

#include <QDir>
#include <QHash>
#include <QLocale>
#include <QFile>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTabWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app_fixture.h"
#include "data_grid.h"
#include "data_module.h"
#include "config_module.h"
#include "document_print_dialog.h"
#include "voucher_print_dialog.h"
#include "error_reporter.h"
#include "file_size_limit.h"
#include "modal.h"
#include "print_procedures.h"
#include "promptpay.h"
#include "qstring_print.h"
#include "report/export.h"
#include "report/preview.h"
#include "report/print_files.h"
#include "report/print_target.h"
#include "shipped_forms.h"
#include "textutil/amount_words.h"

namespace {

// A text compared without the Thai marks that text extraction from a PDF reorders or drops
// (tone marks, also as the fonts' private glyph variants), with sara am as one character and runs of blanks as one blank.
QString comparable(QString t) {
  t.replace(QString::fromUtf8("\u0e4d\u0e32"), QString::fromUtf8("\u0e33"));
  t.remove(QRegularExpression(QStringLiteral("[\\x{0e47}-\\x{0e4e}\\x{f700}-\\x{f71f}]")));
  return t.simplified();
}

// The text of a PDF (pdftotext), comparable. PRINT_TEST_KEEP names a folder that keeps a copy.
QString pdfText(const QString& pdf) {
  const QString keep = qEnvironmentVariable("PRINT_TEST_KEEP");
  if (!keep.isEmpty()) QFile::copy(pdf, QDir(keep).filePath(QFileInfo(pdf).fileName()));
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!p.waitForFinished(60000)) return QString();
  return comparable(QString::fromUtf8(p.readAllStandardOutput()));
}

QByteArray readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}

QStringList filesIn(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class DocPrintForm : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    previousFolder = QDir::currentPath();
    printing::installShippedForms(DM->DMdata, app.site().folder());
    ASSERT_TRUE(QDir::setCurrent(app.site().folder()));
    data::SetExceptionHandler([this](QObject*, std::exception_ptr e) { errors << data::ErrorMessageOf(e); });
    ASSERT_TRUE(out.isValid());
  }
  void TearDown() override {
    TFrDocPrintForm::ReleaseInstance();
    widgets::ClearModalDrivers();
    data::SetExceptionHandler({});
    QDir::setCurrent(previousFolder);
  }

  // The dialog of the run, printing into a new PDF file.
  TFrDocPrintForm& dialog(const QString& docNo, int year, const QString& printCode, const QString& pdfName) {
    TFrDocPrintForm& f = TFrDocPrintForm::Instance();
    f.DocNo = docNo;
    if (year) f.DocYear = year;
    f.PrintCode = printCode;
    pdf = out.filePath(pdfName);
    f.Printer().setOutputFormat(QPrinter::PdfFormat);
    f.Printer().setOutputFileName(pdf);
    return f;
  }

  QString one(const QString& sql) { return DM->DMdata.select(sql).asString(QStringLiteral("V")); }

  int logCount(int code) {
    db::Params p;
    p.setInt(QStringLiteral("Code"), code);
    return int(DM->DMdata.select(QStringLiteral("Select Count(*) As N From UserLog Where FunctionListId = :Code"), p).asInt("N"));
  }

  void addForms(const QString& code, int count, const QString& file, const QString& spName = QString(),
                const QString& preview = QStringLiteral("Y")) {
    for (int i = 1; i <= count; ++i) {
      db::Params p;
      p.setInt("Order", i);
      p.setText("Code", code);
      p.setText("Desc", QStringLiteral("แบบที่ %1").arg(i));
      p.setText("File", file);
      p.setText("Sp", spName);
      p.setText("Preview", preview);
      DM->DMdata.execute(
          "Insert Into SystemForm (FormOrderNo, FormCode, FormDesc, FrfName, SpName, DocCode, DocParaName, ShowPrintPreview) "
          "Values (:Order, :Code, :Desc, :File, :Sp, 'XYZ', 'DocNo', :Preview)",
          p);
    }
  }

  void setAutoGenGL(const char* flag) {
    DM->DMdata.execute(QStringLiteral("Update Config Set AutoGenGL = '%1'").arg(QLatin1String(flag)));
    DM->QConfig.close();
    DM->QConfig.open();
  }

  testsupport::AppFixture app;
  QString previousFolder;
  QTemporaryDir out;
  QString pdf;
  QStringList errors;
};

TEST_F(DocPrintForm, PrintingClosesTheDialogForOneFormOrOnTheSiteRufAs) {
  const QString conso = one("Select Min(DocNo) As V From ConsolidateHd Where Delflag = 'N'");
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  addForms("THREEFORMS", 3, "Form_MoneyBill.frf");
  const struct {
    const char* code;
    QString docNo;
    int forms;
    const char* site;
    bool closes;
  } cases[] = {
      {"THREEFORMS", bill, 3, "DEMO", false},
      {"CONSOLIDAT", conso, 2, "DEMO", false},
      {"MONEYBILL", bill, 1, "DEMO", true},
      {"CONSOLIDAT", conso, 2, "RUF_AS", true},
      {"THREEFORMS", bill, 3, " ruf_as ", true},
  };
  const QString site = DMConfig->DatabaseName;
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.code) + " on " + c.site);
    DMConfig->DatabaseName = QString::fromLatin1(c.site);
    TFrDocPrintForm& f = dialog(c.docNo, 2026, c.code, QStringLiteral("close%1.pdf").arg(++n));
    const int printsBefore = logCount(DM->LogCodePrint);
    bool openAfterPrint = true;
    int listed = -1;
    widgets::ScopedModalDrivers drivers;
    drivers.then([&](QDialog& d) {
      auto& form = static_cast<TFrDocPrintForm&>(d);
      listed = form.FormCount;
      form.BPrint->click();
      openAfterPrint = form.isVisible();
      if (form.isVisible()) form.BExit->click();
    });
    f.ShowModal();
    EXPECT_EQ(listed, c.forms);
    EXPECT_EQ(openAfterPrint, !c.closes);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(QFileInfo(pdf).size() > 1000) << pdf.toStdString();
    EXPECT_EQ(logCount(DM->LogCodePrint), printsBefore + 1);
    const db::Result last = DM->DMdata.select("Select FunctionListId, DocumentId, Remark From UserLog Order By Id Desc");
    EXPECT_EQ(last.asInt("FunctionListId"), 5);
    EXPECT_EQ(last.asInt("DocumentId"), 0);
    EXPECT_EQ(last.asString("Remark"), c.docNo);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  }
  DMConfig->DatabaseName = site;
}

TEST_F(DocPrintForm, TheListHasTheFocusAndThePrinterSetUpWorksOnTheDialogsPrinter) {
  TFrDocPrintForm& f = dialog("X1", 2026, "CONSOLIDAT", "setup.pdf");
  bool setUpShown = false;
  widgets::ScopedModalDrivers drivers;
  drivers
      .then([&](QDialog& d) {
        EXPECT_EQ(d.focusWidget(), f.SystemFormList);
        EXPECT_EQ(f.SystemFormList->currentIndex().row(), 0);
        f.BSetPrinter->click();
        EXPECT_TRUE(d.isVisible());
      })
      .then([&](QDialog& d) {
        setUpShown = true;
        auto* setUp = qobject_cast<QPrintDialog*>(&d);
        ASSERT_NE(setUp, nullptr);
        EXPECT_EQ(setUp->printer(), &f.Printer());
      });
  f.ShowModal();
  EXPECT_TRUE(setUpShown);
}

TEST_F(DocPrintForm, EnterAndDoubleClickInTheListPrintTheCurrentForm) {
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  addForms("TWOFORMS", 2, "Form_MoneyBill.frf");
  TFrDocPrintForm& f = dialog(bill, 0, "TWOFORMS", "keys.pdf");
  const int before = logCount(DM->LogCodePrint);
  widgets::ScopedModalDrivers drivers;
  drivers.then([&](QDialog&) {
    f.SystemFormList->setFocus();
    QTest::keyClick(f.SystemFormList, Qt::Key_Return);
    EXPECT_TRUE(f.isVisible());
    const QModelIndex second = f.SystemFormList->model()->index(1, 0);
    f.SystemFormList->setCurrentIndex(second);
    Q_EMIT f.SystemFormList->doubleClicked(second);
    EXPECT_TRUE(f.isVisible());
    QTest::keyClick(f.SystemFormList, Qt::Key_Escape);
  });
  f.ShowModal();
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(logCount(DM->LogCodePrint), before + 2);
}

TEST_F(DocPrintForm, PreviewRunsTheFormsProcedureEveryTimeAndChoosesThePreviewButtons) {
  struct Call {
    QString no;
    qint64 year;
    QString code;
  };
  static std::vector<Call> calls;
  calls.clear();
  db::registerEmbeddedProcedure("TestBeforePrint", [](db::Connection&, db::Params& p) {
    calls.push_back({db::Params::typedValue(*p.find("No")).toString(), db::Params::typedValue(*p.find("DocYear")).toLongLong(),
                     db::Params::typedValue(*p.find("DocCode")).toString()});
    p.set("NewDocNo", QStringLiteral("ignored"), db::ParamType::Text);
  });
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  addForms("VIEWONLY", 1, "Form_MoneyBill.frf", " TestBeforePrint ", "N");
  addForms("VIEWPRINT", 1, "Form_MoneyBill.frf", "TestBeforePrint", "Y");

  for (const char* code : {"VIEWONLY", "VIEWPRINT"}) {
    SCOPED_TRACE(code);
    calls.clear();
    TFrDocPrintForm& f = dialog(bill, 2025, code, "preview.pdf");
    const int previews = logCount(DM->LogCodePreview);
    const int prints = logCount(DM->LogCodePrint);
    int shown = 0;
    bool printButton = false;
    f.frfReport.setPreviewHook([&](report::PreviewWindow& w) {
      ++shown;
      printButton = !w.button(report::PreviewButton::Print)->isHidden();
      EXPECT_GE(w.pageCount(), 1);
      QMetaObject::invokeMethod(&w, [&w] { w.button(report::PreviewButton::Exit)->click(); }, Qt::QueuedConnection);
    });
    widgets::ScopedModalDrivers drivers;
    drivers.then([&](QDialog& d) {
      auto& form = static_cast<TFrDocPrintForm&>(d);
      form.BDisplay->click();
      form.BDisplay->click();
      EXPECT_TRUE(form.isVisible()) << "a preview never closes the dialog";
      form.BExit->click();
    });
    f.ShowModal();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(printButton, QString(code) == "VIEWPRINT");
    ASSERT_EQ(calls.size(), 2u);
    for (const Call& c : calls) {
      EXPECT_EQ(c.no, bill);
      EXPECT_EQ(c.year, 2025);
      EXPECT_EQ(c.code, "XYZ");
    }
    EXPECT_EQ(logCount(DM->LogCodePreview), previews + 2);
    EXPECT_EQ(logCount(DM->LogCodePrint), prints);
    f.frfReport.setPreviewHook({});
  }
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(DocPrintForm, AYearLeftUnsetKeepsThePreviousOneForTheProcedure) {
  static std::vector<qint64> years;
  years.clear();
  db::registerEmbeddedProcedure("TestYear", [](db::Connection&, db::Params& p) {
    years.push_back(db::Params::typedValue(*p.find("DocYear")).toLongLong());
  });
  addForms("YEARS", 2, "Form_MoneyBill.frf", "TestYear");
  TFrDocPrintForm& f = TFrDocPrintForm::Instance();
  EXPECT_EQ(f.DocYear, 0);
  f.PrintCode = "YEARS";
  f.frfReport.setPreviewHook([](report::PreviewWindow& w) {
    QMetaObject::invokeMethod(&w, [&w] { w.close(); }, Qt::QueuedConnection);
  });
  for (int year : {0, 2024, 0}) {
    if (year) f.DocYear = year;
    widgets::ScopedModalDrivers drivers;
    drivers.then([&](QDialog&) { f.BDisplay->click(); });
    f.ShowModal();
  }
  EXPECT_EQ(years, (std::vector<qint64>{0, 2024, 2024}));
}

TEST_F(DocPrintForm, AFailingProcedureReachesTheErrorReporterAndNothingIsPrinted) {
  TFrDocPrintForm& f = dialog(QStringLiteral("NO-SUCH-BILL"), 2026, "MONEYBILL", "refused.pdf");
  const int prints = logCount(DM->LogCodePrint);
  bool open = false;
  widgets::ScopedModalDrivers drivers;
  drivers.then([&](QDialog&) {
    f.BPrint->click();
    open = f.isVisible();
  });
  f.ShowModal();
  EXPECT_TRUE(open);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], QString::fromUtf8("ไม่พบเอกสารเลขที่ NO-SUCH-BILL"));
  EXPECT_EQ(logCount(DM->LogCodePrint), prints);
  EXPECT_FALSE(QFileInfo::exists(pdf));
}

// SystemForm.SpName goes into a statement: a name that is not a plain procedure name is refused
// before anything runs; plain names, with a schema or in Thai, run.
TEST_F(DocPrintForm, OnlyAPlainProcedureNameRunsBeforeTheReport) {
  static int runs = 0;
  runs = 0;
  for (const char* name : {"TestSpName", "ทดสอบพิมพ์_1"})
    db::registerEmbeddedProcedure(QString::fromUtf8(name), [](db::Connection&, db::Params&) { ++runs; });
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  struct Case {
    const char* spName;
    bool runs;
  } cases[] = {
      {"TestSpName", true},
      {"dbo.TestSpName", true},
      {"ทดสอบพิมพ์_1", true},
      {"TestSpName; Delete From SystemForm", false},
      {"TestSpName'--", false},
      {"Test SpName", false},
      {"[dbo].[TestSpName]", false},
      {"dbo..TestSpName", false},
      {"1TestSpName", false},
      {"a.b.c.TestSpName", false},
  };
  const QString forms = one("Select Count(*) As V From SystemForm");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spName);
    DM->DMdata.execute("Delete From SystemForm Where FormCode = 'SPNAME'");
    addForms("SPNAME", 1, "Form_MoneyBill.frf", QString::fromUtf8(c.spName), "N");
    errors.clear();
    runs = 0;
    int shown = 0;
    TFrDocPrintForm& f = dialog(bill, 2025, "SPNAME", "spname.pdf");
    f.frfReport.setPreviewHook([&](report::PreviewWindow& w) {
      ++shown;
      QMetaObject::invokeMethod(&w, [&w] { w.close(); }, Qt::QueuedConnection);
    });
    const int previews = logCount(DM->LogCodePreview);
    widgets::ScopedModalDrivers drivers;
    drivers.then([&](QDialog&) {
      f.BDisplay->click();
      f.BExit->click();
    });
    f.ShowModal();
    f.frfReport.setPreviewHook({});
    EXPECT_EQ(runs, c.runs ? 1 : 0);
    EXPECT_EQ(shown, c.runs ? 1 : 0);
    EXPECT_EQ(logCount(DM->LogCodePreview), previews + (c.runs ? 1 : 0));
    if (c.runs) {
      EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    } else {
      ASSERT_EQ(errors.size(), 1);
      EXPECT_TRUE(errors[0].contains("(SystemForm.SpName), which is not a procedure name")) << errors[0].toStdString();
      EXPECT_TRUE(errors[0].contains(QString::fromUtf8(c.spName))) << errors[0].toStdString();
    }
  }
  DM->DMdata.execute("Delete From SystemForm Where FormCode = 'SPNAME'");
  EXPECT_EQ(one("Select Count(*) As V From SystemForm"), forms);
}

TEST_F(DocPrintForm, AMissingTemplateIsReportedAndNothingElseHappens) {
  static int procedureRuns = 0;
  procedureRuns = 0;
  db::registerEmbeddedProcedure("TestNeverRuns", [](db::Connection&, db::Params&) { ++procedureRuns; });
  addForms("NOFILE", 2, "Forms\\NoSuchForm.frf", "TestNeverRuns");
  TFrDocPrintForm& f = dialog("X1", 2026, "NOFILE", "missing.pdf");
  const int prints = logCount(DM->LogCodePrint), previews = logCount(DM->LogCodePreview);
  widgets::ScopedModalDrivers drivers;
  drivers.then([&](QDialog&) {
    f.BPrint->click();
    f.BDisplay->click();
    EXPECT_TRUE(f.isVisible());
  });
  f.ShowModal();
  EXPECT_EQ(app.prompts().texts(), QStringList(2, QString::fromUtf8("ยังไม่ได้กำหนดรูปแบบเอกสาร เพื่อพิมพ์")));
  EXPECT_EQ(procedureRuns, 0);
  EXPECT_EQ(logCount(DM->LogCodePrint), prints);
  EXPECT_EQ(logCount(DM->LogCodePreview), previews);
}

TEST_F(DocPrintForm, F11AndThePopUpItemShowTheTemplateName) {
  addForms("NAMES", 2, "Sub\\Form_Name.frf");
  TFrDocPrintForm& f = dialog("X1", 2026, "NAMES", "names.pdf");
  widgets::ScopedModalDrivers drivers;
  drivers.then([&](QDialog&) {
    f.SystemFormList->setFocus();
    QTest::keyClick(f.SystemFormList, Qt::Key_F11);
    f.frf1->trigger();
  });
  f.ShowModal();
  EXPECT_EQ(app.prompts().texts(), QStringList(2, QStringLiteral("Sub\\Form_Name.frf")));
}

TEST_F(DocPrintForm, NoFormForThePrintCodeClosesAtOnce) {
  TFrDocPrintForm& f = dialog("X1", 2026, "NOTHING-HERE", "none.pdf");
  widgets::ScopedModalDrivers drivers;
  drivers.then([](QDialog&) { ADD_FAILURE() << "the dialog was shown"; });
  f.ShowModal();
  EXPECT_EQ(f.FormCount, 0);
  EXPECT_EQ(widgets::PendingModalDrivers(), 1);
}

TEST_F(DocPrintForm, TheSchemaScriptFillsBlankPreviewFlags) {
  DM->DMdata.execute("Update SystemForm Set ShowPrintPreview = Null Where FormCode = 'MONEYBILL'");
  DM->DMdata.execute("Update SystemForm Set ShowPrintPreview = ' ' Where FormCode = 'CONSOTOIV'");
  TFrDocPrintForm& f = dialog("X1", 2026, "MONEYBILL", "schema.pdf");
  widgets::ScopedModalDrivers drivers;
  drivers.then([&](QDialog&) { EXPECT_EQ(f.QSystemForm->asString("ShowPrintPreview"), "N"); });
  f.ShowModal();
  EXPECT_EQ(one("Select Count(*) As V From SystemForm Where FormCode In ('MONEYBILL', 'CONSOTOIV') And ShowPrintPreview = 'N'"), "2");
  EXPECT_EQ(one("Select Count(*) As V From SystemForm Where FormCode = 'CONSOLIDAT' And ShowPrintPreview = 'Y'"), "2");
}

TEST_F(DocPrintForm, LanguageTextsFollowTheUser) {
  const bool thai = DMConfig->IsThai;
  const struct {
    bool thai;
    const char* caption;
    const char* display;
    const char* exitHint;
    const char* voucherCaption;
  } cases[] = {{true, "พิมพ์เอกสาร", "แสดง", "ยกเลิก หรือ ไม่ต้องการพิมพ์", ""},
               {false, "Print Document", "Preview", "Cancel or don't want to print", "Print Document"}};
  for (const auto& c : cases) {
    DMConfig->IsThai = c.thai;
    TFrDocPrintForm::ReleaseInstance();
    TFrDocPrintForm& f = dialog("X1", 2026, "MONEYBILL", "lang.pdf");
    widgets::ScopedModalDrivers drivers;
    drivers.then([&](QDialog&) {
      EXPECT_EQ(f.windowTitle(), QString::fromUtf8(c.caption) + " - MONEYBILL X1") << "the caption names the document";
      EXPECT_EQ(f.BDisplay->text(), QString::fromUtf8(c.display));
      EXPECT_EQ(f.BExit->toolTip(), QString::fromUtf8(c.exitHint));
      EXPECT_EQ(f.SystemFormList->resultModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                QString::fromUtf8("กรุณาเลือกฟอร์มที่ต้องการพิมพ์"));
      EXPECT_EQ(f.y(), 0);
    });
    f.ShowModal();
    TFrDocPrintFormGLAuto voucher;
    voucher.FormShow();
    EXPECT_EQ(voucher.windowTitle(), QString::fromUtf8(c.voucherCaption));
    EXPECT_TRUE(voucher.SystemFormList->isHidden());
  }
  DMConfig->IsThai = thai;
}

TEST_F(DocPrintForm, TemplatePathsAreRelativeToTheCurrentFolderWithBackslashesAndAnyCase) {
  ASSERT_TRUE(QDir().mkpath("Forms/Sub"));
  for (const char* name : {"Forms/Sub/Invoice.frf", "Plain.frf"}) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  const QString here = QDir::currentPath();
  const struct {
    const char* frfName;
    const char* path;
  } cases[] = {
      {"Plain.frf", "Plain.frf"},
      {"  Plain.frf  ", "Plain.frf"},
      {"\\Plain.frf", "Plain.frf"},
      {"Forms\\Sub\\Invoice.frf", "Forms/Sub/Invoice.frf"},
      {"forms\\SUB\\invoice.FRF", "Forms/Sub/Invoice.frf"},
      {"PLAIN.FRF", "Plain.frf"},
      {"Forms/Sub/Missing.frf", "Forms/Sub/Missing.frf"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TFrDocPrintForm::TemplatePath(c.frfName), here + "/" + c.path) << c.frfName;
}

TEST_F(DocPrintForm, ClosingWithAutoGenGLLeadsOnToTheVoucherEvenAfterEscape) {
  setAutoGenGL("Y");
  const QString invoice = one("Select IvNo As V From BoxNo Where BarCode = 'BOX900001'");
  TFrDocPrintForm& f = dialog(invoice, 2026, "IV-A", "escape.pdf");
  bool voucherShown = false;
  QString voucherPdf = out.filePath("voucher.pdf");
  widgets::ScopedModalDrivers drivers;
  drivers
      .then([&](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); })
      .then([&](QDialog& d) {
        voucherShown = true;
        auto* v = qobject_cast<TFrDocPrintFormGLAuto*>(&d);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->DocNo, invoice);
        EXPECT_EQ(v->DocYear, 2026);
        EXPECT_EQ(v->PrintCode, "IV-A");
        EXPECT_EQ(v->y(), 0);
        v->Printer().setOutputFormat(QPrinter::PdfFormat);
        v->Printer().setOutputFileName(voucherPdf);
        v->BPrint->click();
        EXPECT_EQ(v->PrintCode, "A-SALE");
        EXPECT_TRUE(v->isVisible()) << "the voucher dialog stays open after printing";
        QTest::keyClick(v, Qt::Key_Escape);
      })
      .then([](QDialog&) { ADD_FAILURE() << "closing the voucher dialog opened another one"; });
  f.ShowModal();
  EXPECT_TRUE(voucherShown);
  EXPECT_EQ(widgets::PendingModalDrivers(), 1);
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  const QString text = pdfText(voucherPdf);
  for (const char* part : {"1130-01", "4110-01", "2150-01", "A-SALE"}) EXPECT_TRUE(text.contains(part)) << part;
  EXPECT_TRUE(text.contains(invoice));
}

TEST_F(DocPrintForm, TheVoucherFollowsEveryCloseAndNotWithoutAutoGenGL) {
  const struct {
    const char* flag;
    const char* code;
    bool voucher;
  } cases[] = {{"Y", "MONEYBILL", true}, {"Y", "NOTHING-HERE", true}, {"N", "MONEYBILL", false}, {"y", "MONEYBILL", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.flag) + " " + c.code);
    setAutoGenGL(c.flag);
    TFrDocPrintForm& f = dialog("X1", 2026, c.code, "flag.pdf");
    int shown = 0;
    widgets::ScopedModalDrivers drivers;
    const bool listed = QString(c.code) != "NOTHING-HERE";
    if (listed) drivers.then([](QDialog& d) { d.close(); });
    drivers.then([&](QDialog& d) {
      ++shown;
      EXPECT_NE(qobject_cast<TFrDocPrintFormGLAuto*>(&d), nullptr);
    });
    f.ShowModal();
    EXPECT_EQ(shown, c.voucher ? 1 : 0);
  }
}

TEST_F(DocPrintForm, TheVoucherTemplateMissingIsReported) {
  ASSERT_TRUE(QFile::remove("Form_GLAuto.frf"));
  TFrDocPrintFormGLAuto v;
  v.DocNo = "X1";
  v.PrintCode = "IV-A";
  v.BPrintClick();
  EXPECT_EQ(app.prompts().texts(), QStringList{QString::fromUtf8("ไม่พบฟอร์ม บันทึกบัญชี")});
  EXPECT_EQ(v.PrintCode, "IV-A") << "the kind is mapped only when a voucher is printed";
}

// Every shipped form prints the demo site's document of its kind through the dialog, with its
// procedure, and the PDF holds the document's own facts.
TEST_F(DocPrintForm, EveryShippedFormPrintsTheDemoDocuments) {
  const QString conso = one("Select DocNo As V From ConsolidateHd Where Confirm = 'Y' And Delflag = 'N'");
  const QString invoiceOfConso = one(
      "Select Min(D.IvNo) As V From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd "
      "Where H.Confirm = 'Y' And H.Delflag = 'N'");
  const QString bill = one("Select Min(Docno) As V From MoneyBill Where Delflag = 'N'");
  const QString boxInvoice = one("Select IvNo As V From BoxNo Where BarCode = 'BOX900001'");
  const QString transfer = one("Select TrNo As V From BoxNo Where BarCode = 'BOX900002'");
  ASSERT_FALSE(conso.isEmpty() || invoiceOfConso.isEmpty() || bill.isEmpty() || boxInvoice.isEmpty() || transfer.isEmpty());
  auto total = [&](const QString& iv) {
    db::Params p;
    p.setText("No", iv);
    return DM->DMdata.select("Select Total From IvHd Where IvNo = :No", p).asFloat("Total");
  };
  const double boxTotal = total(boxInvoice);
  auto amount = [](double v) { return QLocale(QLocale::English).toString(v, 'f', 2); };
  auto sum = [&](const QString& sql) {
    return amount(DM->DMdata.select(sql).asFloat("V"));
  };
  const QString weight = sum("Select Sum(D.SendQnty * U.VolumnFraction) As V From ConsolidateDt D "
                             "Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd Inner Join ProductUnits U On U.Id = D.ProductUnits "
                             "Where H.DocNo = '" + conso + "' And D.ToConso = 'Y'");
  db::Params billNo;
  billNo.setText("No", bill);
  const double balance = DM->DMdata.select("Select Sum(BalanceAmount) As V From MoneyBill Where Docno = :No", billNo).asFloat("V");
  const QString responsible = one("Select Min(Responsible) As V From MoneyBill Where Docno = '" + bill + "'");
  const QString companyName = DMConfig->QCompany.asString("NameEng");
  const QString companyTaxNo = DMConfig->QCompany.asString("TaxNo");
  ASSERT_FALSE(responsible.isEmpty() || companyName.isEmpty() || companyTaxNo.isEmpty());
  // pdftotext reorders some Thai tone marks, so the facts are numbers, Latin texts and Thai words
  // without them.
  const struct {
    QString code;
    QString docNo;
    QStringList facts;
  } docs[] = {
      {"CONSOLIDAT", conso, {conso, companyName, weight}},
      {"CONSOTOIV", conso, {invoiceOfConso, "DELIVERY NOTE / INVOICE", textutil::TellRealThai(total(invoiceOfConso), 2)}},
      {"MONEYBILL", bill, {bill, "COLLECTION LIST", responsible, QLocale(QLocale::English).toString(balance, 'f', 2)}},
      {"IV-A", boxInvoice, {boxInvoice, "BOX900001", companyTaxNo}},
      {"STOCKTRFCONV2", transfer, {transfer, "BOX900002", "CONSIGNMENT STOCK TRANSFER"}},
  };
  const QHash<QString, QStringList> formFacts = {
      {"Form_Consolidate.frf", {"LOAD SHEET"}},
      {"Form_ConsolidateProduct.frf", {"PICKING LIST BY PRODUCT"}},
      {"Form_IV_A.frf", {"TAX INVOICE / DELIVERY ORDER", amount(boxTotal), textutil::TellRealThai(boxTotal, 2)}},
      {"Form_IV_A_Copy.frf", {"DELIVERY ORDER", "(COPY)"}},
  };
  int formsPrinted = 0;
  for (const auto& d : docs) {
    int rows = 0;
    for (const printing::ShippedForm& form : printing::shippedForms()) {
      if (form.formCode != d.code) continue;
      SCOPED_TRACE(form.frfName.toStdString());
      TFrDocPrintForm& f = dialog(d.docNo, 2026, d.code, form.frfName + ".pdf");
      widgets::ScopedModalDrivers drivers;
      drivers.then([&](QDialog&) {
        f.SystemFormList->setCurrentIndex(f.SystemFormList->model()->index(rows, 0));
        ASSERT_EQ(f.QSystemForm->asString("FrfName"), form.frfName);
        f.BPrint->click();
      });
      f.ShowModal();
      ++rows;
      ++formsPrinted;
      ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
      const QString text = pdfText(pdf);
      for (const QString& fact : d.facts + formFacts.value(form.frfName))
        EXPECT_TRUE(text.contains(comparable(fact))) << fact.toStdString() << "\n" << text.toStdString();
    }
  }
  EXPECT_EQ(formsPrinted, printing::shippedForms().size());
}

// The voucher template for the documents of this program: balanced entries where the document has
// any, a notice where it has none.
TEST_F(DocPrintForm, TheVoucherOfEveryDocumentKind) {
  const QString conso = one("Select DocNo As V From ConsolidateHd Where Confirm = 'Y' And Delflag = 'N'");
  const QString boxInvoice = one("Select IvNo As V From BoxNo Where BarCode = 'BOX900001'");
  const QString transfer = one("Select TrNo As V From BoxNo Where BarCode = 'BOX900002'");
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  const QString none = QString::fromUtf8("ไม่มีรายการบันทึกบัญชีสำหรับเอกสารนี้");
  const QString unbalanced = QString::fromUtf8("ยอดเดบิตและเครดิตไม่เท่ากัน");
  const struct {
    const char* printCode;
    QString docNo;
    const char* kind;
    QStringList facts;
    bool entries;
  } cases[] = {
      {"IV-A", boxInvoice, "A-SALE", {"1130-01", "4110-01", "2150-01", boxInvoice}, true},
      {"CONSOTOIV", conso, "CONSOTOIV", {"1130-01", "4110-01", "2150-01"}, true},
      {"STOCKTRFCONV2", transfer, "STOCKTRFCONV2", {"1160-01", "1150-01", transfer}, true},
      {"MONEYBILL", bill, "MONEYBILL", {bill}, false},
      {"CONSOLIDAT", conso, "CONSOLIDAT", {conso}, false},
      {"IV-A", "NO-SUCH-INVOICE", "A-SALE", {}, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.printCode) + " " + c.docNo.toStdString());
    TFrDocPrintFormGLAuto v;
    v.DocNo = c.docNo;
    v.DocYear = 2026;
    v.PrintCode = c.printCode;
    const QString file = out.filePath(QStringLiteral("voucher%1.pdf").arg(++n));
    v.Printer().setOutputFormat(QPrinter::PdfFormat);
    v.Printer().setOutputFileName(file);
    v.BPrintClick();
    EXPECT_EQ(v.PrintCode, c.kind);
    const QString text = pdfText(file);
    EXPECT_TRUE(text.contains(c.kind));
    for (const QString& fact : c.facts) EXPECT_TRUE(text.contains(fact)) << fact.toStdString();
    EXPECT_EQ(text.contains(comparable(none)), !c.entries);
    EXPECT_FALSE(text.contains(comparable(unbalanced)));
  }
}

TEST_F(DocPrintForm, TheCheckProcedureRefusesMissingAndCancelledDocuments) {
  const QString open = one("Select DocNo As V From ConsolidateHd Where Confirm = 'N' And Delflag = 'N'");
  const QString finished = one("Select DocNo As V From ConsolidateHd Where Confirm = 'Y' And Delflag = 'N'");
  const QString deleted = one("Select DocNo As V From ConsolidateHd Where Delflag = 'Y'");
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  const QString deletedInvoice = one("Select Max(IvNo) As V From IvHd Where BoxNoId Is Null");
  DM->DMdata.execute("Update IvHd Set DelFlag = 'Y' Where IvNo = '" + deletedInvoice + "'");
  const struct {
    QString no;
    const char* code;
    QString error;
  } cases[] = {
      {open, "CONSOLIDAT", ""},
      {finished, "CONSOTOIV", ""},
      {open, "CONSOTOIV", QString::fromUtf8("ใบจัดสินค้าเลขที่ ") + open + QString::fromUtf8(" ยังไม่ได้ออกใบส่งของ")},
      {deleted, "CONSOLIDAT", QString::fromUtf8("เอกสารเลขที่ ") + deleted + QString::fromUtf8(" ถูกยกเลิกแล้ว")},
      {"Con-NONE", "CONSOLIDAT", QString::fromUtf8("ไม่พบเอกสารเลขที่ Con-NONE")},
      {bill, "MONEYBILL", ""},
      {deletedInvoice, "IV", QString::fromUtf8("เอกสารเลขที่ ") + deletedInvoice + QString::fromUtf8(" ถูกยกเลิกแล้ว")},
      {"", "TR", QString::fromUtf8("ไม่พบเอกสารเลขที่ ")},
      {"anything", "OTHER", ""},
  };
  DM->DMdata.execute("Update MoneyBill Set Delflag = 'N'");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.no.toStdString() + " " + c.code);
    db::StoredProc sp(DM->DMdata, printing::kCheckDocumentToPrint);
    sp.declare("@No", db::ParamType::Text, db::ParamDir::Input);
    sp.declare("@DocYear", db::ParamType::Integer, db::ParamDir::Input);
    sp.declare("@DocCode", db::ParamType::Text, db::ParamDir::Input);
    sp.declare("@NewDocNo", db::ParamType::Text, db::ParamDir::Output);
    sp.set("@No", c.no);
    sp.set("@DocYear", 2026);
    sp.set("@DocCode", QString::fromLatin1(c.code));
    try {
      sp.execute();
      EXPECT_TRUE(c.error.isEmpty()) << "accepted";
      EXPECT_EQ(sp.value("@NewDocNo").toString(), c.no);
    } catch (const db::Error& e) {
      EXPECT_EQ(e.message(), c.error);
    }
  }
}


// The unattended import prints its load sheet into a file by the road of the Print button, without
// showing the dialog or leaving the printer pointed at the file.
TEST_F(DocPrintForm, PrintToPdfPrintsTheFirstFormIntoAFileWithoutTheDialog) {
  const QString conso = one("Select Min(DocNo) As V From ConsolidateHd Where Delflag = 'N'");
  ASSERT_FALSE(conso.isEmpty());
  TFrDocPrintForm& f = TFrDocPrintForm::Instance();
  f.DocNo = conso;
  f.DocYear = 1977;
  f.PrintCode = QStringLiteral("CONSOLIDAT");
  const int printsBefore = logCount(DM->LogCodePrint);
  const QString file = out.filePath(QStringLiteral("conso.pdf"));
  ASSERT_TRUE(f.PrintToPdf(file));
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(pdfText(file).contains(conso)) << pdfText(file).toStdString();
  EXPECT_EQ(logCount(DM->LogCodePrint), printsBefore + 1);
  EXPECT_NE(f.Printer().outputFileName(), file) << "the dialog's own printer is left as it was";
  EXPECT_TRUE(errors.isEmpty()) << errors.join(" | ").toStdString();

  // No form for the code: nothing printed, and a file already there is left as it is.
  f.PrintCode = QStringLiteral("NOFORM");
  const QString none = out.filePath(QStringLiteral("none.pdf"));
  QFile stale(none);
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.write("stale");
  stale.close();
  EXPECT_FALSE(f.PrintToPdf(none));
  EXPECT_EQ(readBytes(none), QByteArray("stale"));

  // A number the form's procedure does not know is raised to the caller, not shown.
  f.PrintCode = QStringLiteral("CONSOLIDAT");
  f.DocNo = QStringLiteral("NO-SUCH-DOC");
  EXPECT_THROW(f.PrintToPdf(out.filePath(QStringLiteral("missing.pdf"))), std::exception);
  EXPECT_EQ(logCount(DM->LogCodePrint), printsBefore + 1);
}

// The QR codes of a printed PDF, decoded by zbarimg from the pages rendered at 150 dpi, sorted.
QStringList qrCodesOf(const QString& pdf, const QString& folder) {
  const QString prefix = QDir(folder).filePath(QFileInfo(pdf).completeBaseName());
  QProcess render;
  render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"), pdf, prefix});
  if (!render.waitForFinished(120000) || render.exitCode() != 0) return {QStringLiteral("pdftoppm failed")};
  QStringList codes;
  const QFileInfo base(prefix);
  for (const QFileInfo& png : QDir(base.absolutePath()).entryInfoList({base.fileName() + QStringLiteral("-*.png")}, QDir::Files, QDir::Name)) {
    QProcess scan;
    scan.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"), QStringLiteral("-Sdisable"),
                                           QStringLiteral("-Sqrcode.enable"), png.filePath()});
    scan.waitForFinished(60000);
    codes << QString::fromUtf8(scan.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }
  codes.sort();
  return codes;
}

// With a PromptPay setting the invoice, its copy and the collection list print QR codes that
// decode to the payload of each amount due; a changed setting is read at the next print; without
// one no QR is printed.
TEST_F(DocPrintForm, PromptPaySettingsPrintQrCodesOfTheAmountsDue) {
  const QString invoice = one("Select IvNo As V From BoxNo Where BarCode = 'BOX900001'");
  const QString bill = one("Select Min(Docno) As V From MoneyBill Where Delflag = 'N'");
  ASSERT_FALSE(invoice.isEmpty() || bill.isEmpty());
  db::Params ivNo;
  ivNo.setText("No", invoice);
  const db::Result iv = DM->DMdata.select(
      "Select I.Total, C.Code From IvHd I Inner Join Customer C On C.Id = I.Customer Where I.IvNo = :No", ivNo);
  db::Params billNo;
  billNo.setText("No", bill);
  db::Result lines = DM->DMdata.select(
      "Select I.IvNo, C.Code, M.BalanceAmount From MoneyBill M Inner Join IvHd I On I.Id = M.BillDocId "
      "Inner Join Customer C On C.Id = I.Customer Where M.Docno = :No And M.Delflag = 'N' Order By C.Code, I.IvDate, I.IvNo", billNo);
  ASSERT_GE(lines.rowCount(), 1);

  auto print = [&](const QString& code, const QString& docNo, int row, const QString& name) {
    TFrDocPrintForm& f = dialog(docNo, 2026, code, name);
    widgets::ScopedModalDrivers drivers;
    drivers.then([&](QDialog&) {
      f.SystemFormList->setCurrentIndex(f.SystemFormList->model()->index(row, 0));
      f.BPrint->click();
    });
    f.ShowModal();
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    return qrCodesOf(pdf, out.path());
  };

  // Bill payment: reference 1 the invoice number, reference 2 the customer code.
  const printing::PromptPaySettings biller{QString(), QStringLiteral("010550000000001")};
  DM->DMdata.execute("Update Config Set PromptPayId = '0812345678', PromptPayBillerId = '010550000000001'");
  const QString invoicePayload =
      printing::PromptPayPayload(biller, iv.asFloat("Total"), invoice, iv.asString("Code"));
  EXPECT_TRUE(invoicePayload.contains("30650016A000000677010112")) << invoicePayload.toStdString();
  EXPECT_EQ(print("IV-A", invoice, 0, "iv-biller.pdf"), QStringList{invoicePayload});
  EXPECT_EQ(print("IV-A", invoice, 1, "copy-biller.pdf"), QStringList{invoicePayload});
  QStringList linePayloads;
  for (lines.first(); !lines.eof(); lines.next())
    linePayloads << printing::PromptPayPayload(biller, lines.asFloat("BalanceAmount"), lines.asString("IvNo"), lines.asString("Code"));
  linePayloads.sort();
  EXPECT_EQ(print("MONEYBILL", bill, 0, "bill-biller.pdf"), linePayloads);

  // Changed to a PromptPay id (the dialog stays the same): a credit transfer to the mobile number.
  DM->DMdata.execute("Update Config Set PromptPayBillerId = ''");
  const QString transfer = printing::PromptPayPayload({QStringLiteral("0812345678"), QString()}, iv.asFloat("Total"), QString(), QString());
  EXPECT_TRUE(transfer.contains("01130066812345678")) << transfer.toStdString();
  EXPECT_EQ(print("IV-A", invoice, 0, "iv-mobile.pdf"), QStringList{transfer});

  DM->DMdata.execute("Update Config Set PromptPayId = Null");
  EXPECT_EQ(print("IV-A", invoice, 0, "iv-none.pdf"), QStringList());
  EXPECT_EQ(print("MONEYBILL", bill, 0, "bill-none.pdf"), QStringList());
}

}  // namespace

namespace {

// ---- The one printer of the run, Thai dialogs, PDF when no printer is installed ----------------

// Every text a dialog shows a user: titles, buttons, labels, group boxes, tabs.
QStringList dialogTexts(QWidget& d) {
  QStringList texts{d.windowTitle()};
  for (QAbstractButton* b : d.findChildren<QAbstractButton*>()) texts << b->text();
  for (QLabel* l : d.findChildren<QLabel*>()) texts << l->text();
  for (QGroupBox* g : d.findChildren<QGroupBox*>()) texts << g->title();
  for (QTabWidget* t : d.findChildren<QTabWidget*>())
    for (int i = 0; i < t->count(); ++i) texts << t->tabText(i);
  texts.removeAll(QString());
  return texts;
}
bool thai(const QString& s) {
  return std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= 0x0E00 && c.unicode() <= 0x0E7F; });
}

// The clerk's choice in the printer set-up dialog: printing to the PDF file `file`.
void choosePdfFile(QDialog& d, const QString& file) {
  auto* setUp = qobject_cast<QPrintDialog*>(&d);
  ASSERT_NE(setUp, nullptr);
  auto* name = setUp->findChild<QLineEdit*>(QStringLiteral("filename"));
  ASSERT_NE(name, nullptr) << "the dialog's output file field";
  auto* printers = setUp->findChild<QComboBox*>(QStringLiteral("printers"));
  ASSERT_NE(printers, nullptr);
  for (int i = 0; i < printers->count(); ++i)
    if (printers->itemText(i).contains(QStringLiteral("PDF"))) printers->setCurrentIndex(i);
  name->setText(file);
  setUp->accept();
}

TEST_F(DocPrintForm, QtsOwnPrinterAndPageDialogsSpeakThaiToAThaiUser) {
  ASSERT_TRUE(DMConfig->IsThai) << "the demo's ADMIN works in Thai";
  QPrinter printer;
  for (QDialog* d : std::initializer_list<QDialog*>{new QPrintDialog(&printer), new QPageSetupDialog(&printer)}) {
    std::unique_ptr<QDialog> owner(d);
    const QStringList texts = dialogTexts(*d);
    SCOPED_TRACE(texts.join(" | ").toStdString());
    const auto thaiCount = std::count_if(texts.begin(), texts.end(), thai);
    EXPECT_TRUE(thai(d->windowTitle()));
    EXPECT_GE(thaiCount * 2, texts.size()) << "most of what it says is Thai";
  }
  // The print dialog's standard OK/Cancel too, but never the blue question's quoted "Yes"/"No".
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("ยกเลิก"));
}

TEST_F(DocPrintForm, ThePreviewsPrintAndTheVoucherPrintOnThePrinterChosenInTheDialog) {
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  addForms("SHARED", 2, "Form_MoneyBill.frf");
  TFrDocPrintForm& f = dialog(bill, 2026, "SHARED", "first.pdf");
  const QString chosen = out.filePath(QStringLiteral("chosen.pdf"));
  int printed = 0;
  f.frfReport.setPreviewHook([&](report::PreviewWindow& w) {
    EXPECT_EQ(w.button(report::PreviewButton::Print)->text(), QStringLiteral("พิมพ์"));
    EXPECT_TRUE(w.windowTitle().contains(bill));
    QObject::connect(&w, &report::PreviewWindow::printed, [&] { ++printed; });
    QMetaObject::invokeMethod(&w, [&w] {
      w.button(report::PreviewButton::Print)->click();
      w.button(report::PreviewButton::Exit)->click();
    }, Qt::QueuedConnection);
  });
  widgets::ScopedModalDrivers drivers;
  drivers
      .then([&](QDialog& d) {
        EXPECT_TRUE(d.windowTitle().contains(bill));
        f.BSetPrinter->click();
        f.BDisplay->click();
        f.BExit->click();
      })
      .then([&](QDialog& d) { choosePdfFile(d, chosen); });
  f.ShowModal();
  EXPECT_EQ(printed, 1);
  EXPECT_FALSE(QFile::exists(pdf)) << "nothing went to the printer of before";
  EXPECT_TRUE(pdfText(chosen).contains(bill)) << "the preview printed on the chosen printer";
  // The voucher dialog has no printer of its own.
  TFrDocPrintFormGLAuto voucher;
  EXPECT_EQ(&voucher.Printer(), &f.Printer());
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(DocPrintForm, WithNoPrinterInstalledTheDocumentGoesToAPdfFileOnTheDesktop) {
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "this computer has a printer";
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  TFrDocPrintForm& f = dialog(bill, 2026, "MONEYBILL", "unused.pdf");
  f.Printer().setOutputFileName(QString());  // no file chosen, no printer installed
  f.Printer().setOutputFormat(QPrinter::NativeFormat);
  ASSERT_FALSE(report::printerReady(f.Printer()));

  struct Case {
    const char* name;
    bool save;  // the clerk picks "บันทึกเป็น PDF" and a file, or cancels
  } cases[] = {{"cancelled", false}, {"saved", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString file = out.filePath(QStringLiteral("%1.pdf").arg(QLatin1String(c.name)));
    QString suggested;
    const auto previous = report::setPdfFallback([&](QWidget*, const QString& path) {
      suggested = path;
      return c.save ? file : QString();
    });
    const int prints = logCount(DM->LogCodePrint);
    bool stillOpen = false;
    widgets::ScopedModalDrivers drivers;
    drivers.then([&](QDialog& d) {
      f.BPrint->click();
      stillOpen = d.isVisible();
      d.close();
    });
    f.ShowModal();
    report::setPdfFallback(previous);
    // The form's name and the document's number, in a folder that exists and is not the site's.
    EXPECT_EQ(QFileInfo(suggested).fileName(), "ใบรายการเก็บเงินตามเขต " + bill + ".pdf");
    EXPECT_TRUE(QFileInfo(QFileInfo(suggested).path()).isDir()) << suggested.toStdString();
    EXPECT_FALSE(db::isEmbeddedSiteFolder(QFileInfo(suggested).path())) << suggested.toStdString();
    EXPECT_EQ(QFile::exists(file), c.save);
    EXPECT_EQ(logCount(DM->LogCodePrint), prints + (c.save ? 1 : 0)) << "only a print that happened is logged";
    EXPECT_EQ(stillOpen, !c.save) << "one form: the dialog closes after printing";
    if (c.save) EXPECT_TRUE(pdfText(file).contains(bill));
    EXPECT_TRUE(f.Printer().outputFileName().isEmpty()) << "the next print asks again";
  }
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

// The file a print offers is named by the form and the number, so that the two forms of one
// consolidation (the load sheet and the delivery notes) and the two of one invoice never offer the
// same file, and a second print to PDF keeps the first file.
TEST_F(DocPrintForm, TwoFormsOfOneDocumentOfferFilesOfTheirOwnAndBothAreKept) {
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "this computer has a printer";
  // A consolidation whose invoices are made: it has a load sheet and delivery notes.
  const QString conso = one("Select Min(H.DocNo) As V From ConsolidateHd H Inner Join ConsolidateDt D On D.ConsolidateHd = H.Id "
                            "Where H.Delflag = 'N' And D.IvNo <> ''");
  const QString invoice = one("Select Min(IvNo) As V From IvHd Where DelFlag = 'N'");
  ASSERT_FALSE(conso.isEmpty());
  // The file of a form: its name as listed ("/" cannot be in a file name), then the number.
  auto file = [&](const char* code, int row, const QString& docNo) -> QString {
    db::Params p;
    p.setText("Code", QString::fromLatin1(code));
    const db::Result forms = DM->DMdata.select("Select FormDesc From SystemForm Where FormCode = :Code Order By FormOrderNo", p);
    return forms.at(row, 0).toString().trimmed().replace('/', '_') + " " + docNo + ".pdf";
  };
  TFrDocPrintForm& f = TFrDocPrintForm::Instance();
  f.Printer().setOutputFileName(QString());
  f.Printer().setOutputFormat(QPrinter::NativeFormat);
  ASSERT_FALSE(report::printerReady(f.Printer()));
  QString suggested;
  const auto previous = report::setPdfFallback([&](QWidget*, const QString& path) {
    suggested = path;
    return out.filePath(QFileInfo(path).fileName());  // the name offered, in the test's folder
  });
  struct Case {
    const char* code;
    QString docNo;
    int row;  // the form of the print code, from the first
    QString file;
  };
  const Case cases[] = {
      {"CONSOLIDAT", conso, 0, file("CONSOLIDAT", 0, conso)},
      {"CONSOTOIV", conso, 0, file("CONSOTOIV", 0, conso)},
      {"IV-A", invoice, 0, file("IV-A", 0, invoice)},
      {"IV-A", invoice, 1, file("IV-A", 1, invoice)},
  };
  // The shipped forms' names, as a clerk sees them in the list.
  EXPECT_EQ(cases[0].file, "ใบจัดสินค้าขึ้นรถ (เรียงตามลำดับการส่ง) " + conso + ".pdf");
  EXPECT_EQ(cases[1].file, "ใบส่งสินค้า_ใบแจ้งหนี้ ตามใบจัดสินค้า " + conso + ".pdf");
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) EXPECT_NE(cases[i].file, cases[j].file);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.code) + " " + std::to_string(c.row));
    f.DocNo = c.docNo;
    f.PrintCode = QString::fromLatin1(c.code);
    suggested.clear();
    widgets::ScopedModalDrivers drivers;
    drivers.then([&](QDialog& d) {
      f.SystemFormList->setCurrentIndex(f.SystemFormList->model()->index(c.row, 0));
      f.BPrint->click();
      d.close();
    });
    f.ShowModal();
    EXPECT_EQ(QFileInfo(suggested).fileName(), c.file);
    EXPECT_EQ(f.SavedFiles, QStringList{out.filePath(c.file)});
    EXPECT_EQ(f.SavedFilesText(), "บันทึกเป็นไฟล์ " + QDir::toNativeSeparators(out.filePath(c.file)));
  }
  report::setPdfFallback(previous);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.toStdString());
    EXPECT_TRUE(pdfText(out.filePath(c.file)).contains(c.docNo)) << "every print kept its own file";
  }
  EXPECT_TRUE(app.prompts().log.empty()) << "no file was replaced, nothing asked";
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

// A file chosen in printer set-up holds the first print; the next print to it asks first. No leaves
// the file as it was and logs nothing as printed; Yes replaces it. The preview's Print asks too.
TEST_F(DocPrintForm, APrintToAFileThatExistsAsksBeforeReplacingIt) {
  const QString conso = one("Select Min(DocNo) As V From ConsolidateHd Where Delflag = 'N'");
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  TFrDocPrintForm& f = dialog(bill, 2026, "MONEYBILL", "chosen in set-up.pdf");
  QFile earlier(pdf);
  ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
  earlier.write("an earlier document");
  earlier.close();
  auto content = [&] {
    QFile file(pdf);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  struct Case {
    const char* name;
    bool preview;  // the preview's Print button, else the dialog's
    bool yes;
  } cases[] = {{"dialog, no", false, false}, {"preview, no", true, false}, {"dialog, yes", false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DM->DMdata.execute("Update SystemForm Set ShowPrintPreview = 'Y' Where FormCode = 'MONEYBILL'");
    const QByteArray before = content();
    const int prints = logCount(DM->LogCodePrint);
    app.prompts().clear();
    app.prompts().answer(c.yes);
    bool stillOpen = false;
    if (c.preview)
      f.frfReport.setPreviewHook([](report::PreviewWindow& w) {
        QMetaObject::invokeMethod(&w, [&w] {
          w.button(report::PreviewButton::Print)->click();
          w.button(report::PreviewButton::Exit)->click();
        }, Qt::QueuedConnection);
      });
    else
      f.frfReport.setPreviewHook({});
    widgets::ScopedModalDrivers drivers;
    drivers.then([&](QDialog& d) {
      (c.preview ? f.BDisplay : f.BPrint)->click();
      stillOpen = d.isVisible();
      d.close();
    });
    f.ShowModal();
    EXPECT_EQ(app.prompts().texts(), QStringList{report::replaceFileQuestion(pdf)});
    EXPECT_TRUE(app.prompts().texts().value(0).startsWith("มีไฟล์ " + QDir::toNativeSeparators(pdf) + " อยู่แล้ว"));
    EXPECT_EQ(app.prompts().log.empty() ? prompts::Style::Plain : app.prompts().log[0].style, prompts::Style::DataModule);
    if (c.yes) {
      EXPECT_NE(content(), before);
      EXPECT_TRUE(pdfText(pdf).contains(bill));
      EXPECT_EQ(logCount(DM->LogCodePrint), prints + 1);
      EXPECT_EQ(f.SavedFiles, QStringList{pdf});
    } else {
      EXPECT_EQ(content(), before) << "the file is untouched";
      EXPECT_EQ(logCount(DM->LogCodePrint), prints) << "nothing printed, nothing logged as printed";
      EXPECT_TRUE(f.SavedFiles.isEmpty());
      if (!c.preview) EXPECT_TRUE(stillOpen) << "the dialog stays for another try";
    }
  }
  f.frfReport.setPreviewHook({});
  // A file that does not exist yet is written without a question.
  TFrDocPrintForm& g = dialog(conso, 2026, "CONSOLIDAT", "new file.pdf");
  app.prompts().clear();
  widgets::ScopedModalDrivers drivers;
  drivers.then([&](QDialog& d) {
    g.BPrint->click();
    d.close();
  });
  g.ShowModal();
  EXPECT_TRUE(app.prompts().log.empty());
  EXPECT_TRUE(pdfText(pdf).contains(conso));
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

}  // namespace

namespace {

// The dialog's message for a file it could not write: Thai, naming the file.
bool toldFileNotWritten(const QString& text, const QString& file) {
  return text.contains(QString::fromUtf8("บันทึกไฟล์ ") + QDir::toNativeSeparators(file) + QString::fromUtf8(" ไม่สำเร็จ")) &&
         text.contains(QString::fromUtf8("เอกสารยังไม่ได้บันทึกลงไฟล์"));
}

}  // namespace

// A print into a file on a full disk, by the printer set-up's file and by "บันทึกเป็น PDF" with no
// printer installed: a Thai message names the file; the print is not logged, the dialog (one form)
// stays open, the PDF of an earlier print stays as it was and no temporary file is left beside it;
// the next print, with room, is whole.
TEST_F(DocPrintForm, APrintIntoAFileOnAFullDiskIsToldInThaiAndNothingIsLoggedOrClosed) {
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  const struct {
    const char* road;
    bool chosenPdf;  // no printer installed: the file is chosen at the print
  } roads[] = {{"the printer's file", false}, {"a PDF file chosen with no printer installed", true}};
  for (const auto& road : roads) {
    SCOPED_TRACE(road.road);
    if (road.chosenPdf && !QPrinterInfo::availablePrinterNames().isEmpty()) continue;  // this computer has a printer
    TFrDocPrintForm& f = dialog(bill, 2026, "MONEYBILL", QStringLiteral("bill.pdf"));
    const QString file = pdf;
    QFile::remove(file);
    report::PdfFallback previous;
    if (road.chosenPdf) {
      f.Printer().setOutputFileName(QString());
      f.Printer().setOutputFormat(QPrinter::NativeFormat);
      previous = report::setPdfFallback([&](QWidget*, const QString&) { return file; });
    }
    const auto print = [&](bool diskFull) {
      bool open = false;
      widgets::ScopedModalDrivers drivers;
      drivers.then([&](QDialog& d) {
        {
          std::unique_ptr<testsupport::ScopedFileSizeLimit> full;
          if (diskFull) full = std::make_unique<testsupport::ScopedFileSizeLimit>(2048);
          f.BPrint->click();
        }
        open = d.isVisible();
        if (open) d.close();
      });
      f.ShowModal();
      return open;
    };
    // A first print with room: the file is there, the dialog closed.
    EXPECT_FALSE(print(false));
    const QByteArray before = readBytes(file);
    ASSERT_TRUE(report::isWholePdf(before));
    const QStringList files = filesIn(out.path());
    const int prints = logCount(DM->LogCodePrint);
    app.prompts().clear();

    EXPECT_TRUE(print(true)) << "nothing was printed: the dialog stays open";
    // The printer set-up's file holds the first print: replacing it is asked first (and answered Yes).
    const size_t asked = road.chosenPdf ? 0 : 1;
    ASSERT_EQ(app.prompts().log.size(), asked + 1);
    if (asked) EXPECT_EQ(app.prompts().log[0].text, report::replaceFileQuestion(file));
    EXPECT_TRUE(toldFileNotWritten(app.prompts().log[asked].text, file)) << app.prompts().log[asked].text.toStdString();
    EXPECT_EQ(app.prompts().log[asked].style, prompts::Style::Error);
    EXPECT_TRUE(errors.isEmpty()) << "not the program's error window: " << errors.join('\n').toStdString();
    EXPECT_EQ(logCount(DM->LogCodePrint), prints) << "no print logged";
    EXPECT_EQ(readBytes(file), before);
    EXPECT_EQ(filesIn(out.path()), files);

    // With room again the next print is whole and logged.
    EXPECT_FALSE(print(false));
    EXPECT_TRUE(report::isWholePdf(readBytes(file)));
    EXPECT_EQ(logCount(DM->LogCodePrint), prints + 1);
    if (road.chosenPdf) report::setPdfFallback(previous);
    app.prompts().clear();
  }
}

// The preview's Print on a full disk (the preview the dialog opens, and the sticker window's):
// the message names the file, in Thai for a Thai user, and nothing counts as printed.
TEST_F(DocPrintForm, ThePreviewsPrintOnAFullDiskSaysWhichFileInThai) {
  ASSERT_TRUE(DMConfig->IsThai);
  const QString bill = one("Select Min(Docno) As V From MoneyBill");
  TFrDocPrintForm& f = dialog(bill, 2026, "MONEYBILL", "previewed.pdf");
  int printed = 0;
  QString told;
  f.frfReport.setPreviewHook([&](report::PreviewWindow& w) {
    QObject::connect(&w, &report::PreviewWindow::printed, [&] { ++printed; });
    QMetaObject::invokeMethod(&w, [&] {
      // The message box is modal: it is read and closed from inside its own event loop.
      auto* reader = new QTimer(&w);
      QObject::connect(reader, &QTimer::timeout, [&, reader] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        reader->stop();
        told = box->text();
        box->accept();
      });
      reader->start(10);
      {
        testsupport::ScopedFileSizeLimit full(2048);
        w.button(report::PreviewButton::Print)->click();
      }
      reader->stop();
      w.button(report::PreviewButton::Exit)->click();
    }, Qt::QueuedConnection);
  });
  widgets::ScopedModalDrivers drivers;
  drivers.then([&](QDialog&) {
    f.BDisplay->click();
    f.BExit->click();
  });
  f.ShowModal();
  EXPECT_EQ(printed, 0);
  EXPECT_TRUE(toldFileNotWritten(told, pdf)) << told.toStdString();
  EXPECT_FALSE(QFileInfo::exists(pdf));
  EXPECT_EQ(filesIn(out.path()), QStringList());
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

// The unattended road on a full disk raises the error naming the file, logs no print, and leaves
// the load sheet printed before in place.
TEST_F(DocPrintForm, PrintToPdfOnAFullDiskRaisesNamingTheFileAndKeepsTheFileOfBefore) {
  const QString conso = one("Select Min(DocNo) As V From ConsolidateHd Where Delflag = 'N'");
  TFrDocPrintForm& f = TFrDocPrintForm::Instance();
  f.DocNo = conso;
  f.DocYear = 1977;
  f.PrintCode = QStringLiteral("CONSOLIDAT");
  const QString file = out.filePath(QStringLiteral("Z01_%1.pdf").arg(conso));
  ASSERT_TRUE(f.PrintToPdf(file));
  const QByteArray before = readBytes(file);
  ASSERT_TRUE(report::isWholePdf(before));
  const int prints = logCount(DM->LogCodePrint);

  QString message;
  try {
    testsupport::ScopedFileSizeLimit full(2048);
    f.PrintToPdf(file);
  } catch (const report::FileWriteError& e) {
    message = e.message();
  }
  EXPECT_TRUE(message.contains(QDir::toNativeSeparators(file))) << "raised, naming the file: " << message.toStdString();
  EXPECT_EQ(readBytes(file), before);
  EXPECT_EQ(filesIn(out.path()), QStringList{QFileInfo(file).fileName()});
  EXPECT_EQ(logCount(DM->LogCodePrint), prints);
  EXPECT_TRUE(app.prompts().log.empty()) << "raised to the caller, not shown";
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}
