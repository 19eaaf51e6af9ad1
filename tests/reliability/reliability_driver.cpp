// A small program that starts like `consolidate` (the same start-up steps, up to the dispatch) in
// the current folder's site and then does one job many times, so that tests can run two of them
// at once against one site.
//
//   reliability_driver numbers COUNT CODE:YEAR[,CODE:YEAR...] -- MENU_ID USER_ID DATABASE - OPTION DATE
//   reliability_driver pack CUSTOMER BARCODE[,BARCODE...] BOX[,BOX...] -- ARGUMENTS OF consolidate
//   reliability_driver conso ZONE -- ARGUMENTS OF consolidate
//   reliability_driver edit DOCNO save|invoice|invoice-paused|delete -- ARGUMENTS OF consolidate
//   reliability_driver lock DATABASE
//   reliability_driver dialog ZONE,ZONE -- ARGUMENTS OF consolidate
//
// "numbers" draws COUNT document numbers, taking the series in turn, a millisecond apart, and
// writes one line "CODE YEAR NUMBER" for each. Before the first job the driver writes "ready" and waits for one
// line on its standard input, so that a test can release two drivers at the same moment; after
// half of the numbers it writes "ready" and waits again, so that a test can hold each driver until
// the other has drawn its first half too.
// "pack" opens each box in the box packing window in turn, chooses the customer, scans the barcodes
// and saves (the Save question must be answered "yes" through CONSOLIDATE_PROMPTS_ANSWERS); it
// writes one line "BOX DOCUMENT" per saved box, the document being the invoice or the transfer
// handed to the print dialog.
// "conso" starts a new zone consolidation of ZONE, loads it and ticks every line, writes "ready",
// waits for its line, writes "loaded SODT,SODT,..." (the sales-order lines it ticked, in grid
// order), and saves (answers through CONSOLIDATE_PROMPTS_ANSWERS); it writes "saved NUMBER", or
// "not saved".
// "edit" opens the zone consolidation DOCNO, types " (A)" after its driver's name (to save or
// delete), writes "ready",
// waits for its line, and then saves it, sends it to invoices or deletes it (answers through
// CONSOLIDATE_PROMPTS_ANSWERS); it writes "saved NUMBER", "invoiced NUMBER", "deleted NUMBER" or
// "not saved" (the window still shows the document). "invoice-paused" sends it to invoices too,
// but writes "ready" again and waits for another line between the commit of the save step and the
// invoicing step; it writes "invoiced NUMBER", "not saved" or "not invoiced" (saved, no invoice).
// "dialog" saves a zone consolidation of the first ZONE (as "conso", without waiting), then opens
// the PDF file dialog of a print without a printer, types the site folder's path into its file name
// and shows the site folder in it, cancels it, then opens, reads and closes every file of the site
// folder itself; writes "ready" and waits for its line; then writes "saved NUMBER" (the first save),
// "dialog-folder FOLDER" (where the dialog opened), "deleted-files N" (its open descriptors of the
// site folder whose files were deleted meanwhile), saves a zone consolidation of the second ZONE and
// writes "saved NUMBER" (or "not saved").
// "lock" opens the current folder's embedded database DATABASE, starts a transaction (which holds
// the database's write lock), writes "ready", waits for one line on its standard input (or its
// end) and rolls back: another process that wants to write meanwhile finds the database locked.
// Boxes go to the file named by CONSOLIDATE_PROMPTS_LOG. Exit code 0 when every job was done,
// 2 for a usage error, 3 when the start-up did not reach the dispatch, 4 when a job failed.
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QStringList>
#include <QTest>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <thread>

#include "db.h"
#include "data_module.h"
#include "embedded/embedded.h"
#include "error_reporter.h"
#include "zone_consolidation_window.h"
#include "box_packing_window.h"
#include "prompts_seam.h"
#include "report/print_target.h"
#include "startup.h"

namespace {

int usage() {
  std::fputs("usage: reliability_driver numbers COUNT CODE:YEAR[,CODE:YEAR...] -- ARGUMENTS OF consolidate\n"
             "       reliability_driver lock DATABASE\n",
             stderr);
  return 2;
}

void waitForGo() {
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  std::string line;
  std::getline(std::cin, line);
}

int drawNumbers(TDM& dm, int count, const QStringList& series) {
  for (int i = 0; i < count; ++i) {
    if (i == count / 2) {
      std::fflush(stdout);
      waitForGo();
    }
    // A moment between two documents, so that another process drawing at the same time gets the
    // counters in turn instead of waiting until this one has drawn them all.
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const QStringList s = series[i % series.size()].split(QLatin1Char(':'));
    const int year = s.value(1).toInt();
    const QString no = dm.NewDocumentNo(s.value(0), QDate(year, 6, 1));
    std::printf("%s %d %s\n", qPrintable(s.value(0)), year, qPrintable(no));
  }
  std::fflush(stdout);
  return 0;
}

// The box packing window with the print hand-off written out instead of shown.
class PackingWindow : public TFrProductInBoxNo {
 public:
  QString printed;
  void PrintDocument(const QString& docNo, int, const QString&) override { printed = docNo; }
};

void typeAndEnter(QLineEdit* e, const QString& text) {
  e->setFocus(Qt::TabFocusReason);
  e->setText(text);
  QTest::keyClick(e, Qt::Key_Return);
}

int packBoxes(const QString& customer, const QStringList& barcodes, const QStringList& boxes) {
  QStringList errors;
  data::SetExceptionHandler([&](QObject*, std::exception_ptr e) { errors << data::ErrorMessageOf(e); });
  PackingWindow w;
  w.show();
  QApplication::setActiveWindow(&w);
  if (!QTest::qWaitForWindowActive(&w)) throw std::runtime_error("the packing window did not become active");
  for (const QString& box : boxes) {
    w.printed.clear();
    typeAndEnter(w.DocNo, box);
    if (w.DocNo->isEnabled()) throw std::runtime_error("box " + box.toStdString() + " did not open");
    typeAndEnter(w.FaGetCustomer1->Customer, customer);
    for (const QString& b : barcodes) typeAndEnter(w.EBarCode, b);
    QTest::keyClick(&w, Qt::Key_F10);
    if (!errors.isEmpty()) throw std::runtime_error(errors.join(QLatin1Char('\n')).toStdString());
    if (w.printed.isEmpty()) throw std::runtime_error("box " + box.toStdString() + " was not saved");
    std::printf("%s %s\n", qPrintable(box), qPrintable(w.printed));
    std::fflush(stdout);
  }
  return 0;
}

// The zone consolidation window with the print hand-off written out instead of shown.
class ConsolidationWindow : public TFrConsolidate_Qel_Dru {
 public:
  QString printed;
  bool pauseAfterSave = false;  // "ready" and a wait after a save committed
  void PrintDocument(const QString& docNo, int, const QString&) override { printed = docNo; }
  bool SaveDate() override {
    const bool saved = TFrConsolidate_Qel_Dru::SaveDate();
    if (saved && pauseAfterSave) waitForGo();
    return saved;
  }
};

// A new zone consolidation of `zone`, loaded, with every line ticked.
void loadAndTickZone(ConsolidationWindow& w, const QString& zone) {
  w.AcNew->trigger();
  // An empty number field, left: a new document.
  w.FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
  w.FaGetDocNo1->DocNo->clear();
  w.EZone->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  const int z = w.EZone->findData(zone);
  if (z < 0) throw std::runtime_error("no zone " + zone.toStdString());
  w.EZone->setCurrentIndex(z);
  w.BLoad->click();
  auto* model = w.DgDt->resultModel();
  const int tickColumn = model->columnOf(QStringLiteral("ToConso"));
  const int tick = w.QConsoDt.findColumn(QStringLiteral("ToConso"));
  for (int r = 0; r < w.QConsoDt.rowCount(); ++r)
    if (w.QConsoDt.at(r, tick).toString() != QLatin1String("Y")) model->toggle(model->index(r, tickColumn));
}

int consolidateZone(const QString& zone) {
  QStringList errors;
  data::SetExceptionHandler([&](QObject*, std::exception_ptr e) { errors << data::ErrorMessageOf(e); });
  ConsolidationWindow w;
  w.show();
  QApplication::setActiveWindow(&w);
  if (!QTest::qWaitForWindowActive(&w)) throw std::runtime_error("the consolidation window did not become active");
  loadAndTickZone(w, zone);
  if (!errors.isEmpty()) throw std::runtime_error(errors.join(QLatin1Char('\n')).toStdString());
  waitForGo();
  QStringList loaded;
  const int soDt = w.QConsoDt.findColumn(QStringLiteral("SoDt"));
  for (int r = 0; r < w.QConsoDt.rowCount(); ++r) loaded << w.QConsoDt.at(r, soDt).toString();
  std::printf("loaded %s\n", qPrintable(loaded.join(QLatin1Char(','))));
  std::fflush(stdout);
  w.AcSave->trigger();
  if (!errors.isEmpty()) throw std::runtime_error(errors.join(QLatin1Char('\n')).toStdString());
  if (w.printed.isEmpty()) std::printf("not saved\n");
  else std::printf("saved %s\n", qPrintable(w.printed));
  std::fflush(stdout);
  return 0;
}

int editConsolidation(const QString& docNo, const QString& action) {
  QStringList errors;
  data::SetExceptionHandler([&](QObject*, std::exception_ptr e) { errors << data::ErrorMessageOf(e); });
  ConsolidationWindow w;
  w.show();
  QApplication::setActiveWindow(&w);
  if (!QTest::qWaitForWindowActive(&w)) throw std::runtime_error("the consolidation window did not become active");
  w.AcNew->trigger();
  w.FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
  w.FaGetDocNo1->DocNo->setText(docNo);
  w.Carman->setFocus(Qt::TabFocusReason);  // the number field is left: the document opens
  QApplication::processEvents();
  if (w.IsNewDocument) throw std::runtime_error("no consolidation " + docNo.toStdString());
  const bool invoice = action == QLatin1String("invoice") || action == QLatin1String("invoice-paused");
  w.pauseAfterSave = action == QLatin1String("invoice-paused");
  if (!invoice) {
    w.Carman->end(false);
    QTest::keyClicks(w.Carman, QStringLiteral(" (A)"));
  }
  if (!errors.isEmpty()) throw std::runtime_error(errors.join(QLatin1Char('\n')).toStdString());
  waitForGo();
  if (action == QLatin1String("save")) w.AcSave->trigger();
  else if (invoice) w.BSendToIV->click();
  else if (action == QLatin1String("delete")) w.AcDel->trigger();
  else throw std::runtime_error("unknown action " + action.toStdString());
  if (!errors.isEmpty()) throw std::runtime_error(errors.join(QLatin1Char('\n')).toStdString());
  if (action == QLatin1String("delete"))
    std::printf(w.IsNewDocument ? "deleted %s\n" : "not saved\n", qPrintable(docNo));
  else if (w.printed.isEmpty())
    std::printf(w.pauseAfterSave ? "not invoiced\n" : "not saved\n");
  else
    std::printf("%s %s\n", action == QLatin1String("save") ? "saved" : "invoiced", qPrintable(w.printed));
  std::fflush(stdout);
  return 0;
}

// Loads a new zone consolidation of `zone`, ticks every line and saves it (answers through
// CONSOLIDATE_PROMPTS_ANSWERS); returns "saved NUMBER" or "not saved".
QString saveZone(ConsolidationWindow& w, const QString& zone, QStringList& errors) {
  w.printed.clear();
  loadAndTickZone(w, zone);
  w.AcSave->trigger();
  if (!errors.isEmpty()) throw std::runtime_error(errors.join(QLatin1Char('\n')).toStdString());
  return w.printed.isEmpty() ? QStringLiteral("not saved") : QStringLiteral("saved ") + w.printed;
}

// The descriptors of this process that name a file of `folder` that was deleted.
int deletedSiteFiles(const QString& folder) {
  int n = 0;
  const QString canonical = QFileInfo(folder).canonicalFilePath();
  for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files)) {
    const QString target = fd.symLinkTarget();
    if (target.startsWith(canonical) && target.endsWith(QLatin1String(" (deleted)"))) ++n;
  }
  return n;
}

int saveAroundTheFileDialog(const QStringList& zones) {
  QStringList errors;
  data::SetExceptionHandler([&](QObject*, std::exception_ptr e) { errors << data::ErrorMessageOf(e); });
  ConsolidationWindow w;
  w.show();
  QApplication::setActiveWindow(&w);
  if (!QTest::qWaitForWindowActive(&w)) throw std::runtime_error("the consolidation window did not become active");
  const QString first = saveZone(w, zones.value(0), errors);

  // The clerk prints without a printer: "บันทึกเป็น PDF", then the file dialog, driven as a clerk
  // would: the site folder's path typed into the file name, the site folder shown, then Cancel.
  const QString site = QDir::currentPath();
  QString openedIn;
  int step = 0;
  QTimer driver;
  driver.setInterval(50);
  QObject::connect(&driver, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      if (box->defaultButton()) box->defaultButton()->click();
      return;
    }
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) return;
    driver.stop();
    openedIn = dialog->directory().absolutePath();
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
      name->setFocus();
      name->clear();
      QTest::keyClicks(name, site + QLatin1Char('/'));
    }
    QTest::qWait(1500);  // the completer lists the folder
    dialog->setDirectory(site);
    QTest::qWait(1500);  // the dialog reads the folder's files
    ++step;
    dialog->reject();
  });
  driver.start();
  const QString chosen = report::askPdfFile(&w, w.printed);
  driver.stop();
  if (step != 1 || !chosen.isEmpty()) throw std::runtime_error("the file dialog was not driven");
  // Whatever else in the process opens the database files and closes them again.
  for (const QFileInfo& f : QDir(site).entryInfoList(QDir::Files)) {
    QFile file(f.absoluteFilePath());
    if (file.open(QIODevice::ReadOnly)) file.read(1 << 16);
  }
  waitForGo();
  std::printf("%s\ndialog-folder %s\ndeleted-files %d\n", qPrintable(first), qPrintable(openedIn),
              deletedSiteFiles(site));
  std::fflush(stdout);
  std::printf("%s\n", qPrintable(saveZone(w, zones.value(1), errors)));
  std::fflush(stdout);
  return 0;
}

int holdLock(const QString& database) {
  embedded::install();
  db::Connection conn(QStringLiteral("Lock"));
  embedded::setConnectionParams(conn, QStringLiteral("."), database);
  conn.startTransaction();
  waitForGo();
  conn.rollback();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QStringList all;
  for (int i = 1; i < argc; ++i) all << QString::fromLocal8Bit(argv[i]);
  if (all.size() == 2 && all[0] == QLatin1String("lock")) {
    QCoreApplication app(argc, argv);
    try {
      return holdLock(all[1]);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "lock: %s\n", e.what());
      return 4;
    }
  }
  const qsizetype dashes = all.indexOf(QStringLiteral("--"));
  if (dashes < 1) return usage();
  const QStringList job = all.mid(0, dashes);
  const QStringList programArgs = all.mid(dashes + 1);

  QApplication app(argc, argv);
  launch::InstallPromptsFromEnvironment();
  launch::Startup startup(programArgs);
  launch::StartOptions options;
  options.showSplash = false;
  options.dispatch = false;
  if (startup.Run(options) != launch::Outcome::Ready) {
    std::fprintf(stderr, "start-up: %s\n", qPrintable(startup.FailureText()));
    return 3;
  }
  try {
    if (job.value(0) == QLatin1String("numbers") && job.size() == 3) {
      bool ok = false;
      const int count = job[1].toInt(&ok);
      if (!ok || count < 0) return usage();
      waitForGo();
      return drawNumbers(*startup.dm(), count, job[2].split(QLatin1Char(',')));
    }
    if (job.value(0) == QLatin1String("conso") && job.size() == 2) {
      QApplication::setQuitOnLastWindowClosed(false);
      return consolidateZone(job[1]);
    }
    if (job.value(0) == QLatin1String("edit") && job.size() == 3) {
      QApplication::setQuitOnLastWindowClosed(false);
      return editConsolidation(job[1], job[2]);
    }
    if (job.value(0) == QLatin1String("dialog") && job.size() == 2) {
      QApplication::setQuitOnLastWindowClosed(false);
      return saveAroundTheFileDialog(job[1].split(QLatin1Char(',')));
    }
    if (job.value(0) == QLatin1String("pack") && job.size() == 4) {
      QApplication::setQuitOnLastWindowClosed(false);
      waitForGo();
      return packBoxes(job[1], job[2].split(QLatin1Char(',')), job[3].split(QLatin1Char(',')));
    }
  } catch (...) {
    std::fprintf(stderr, "job failed: %s\n", qPrintable(data::ErrorMessageOf(std::current_exception())));
    return 4;
  }
  return usage();
}
