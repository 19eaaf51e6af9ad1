// How the costs of the zone consolidation and the web-order import grow with the site and with the
// zone: the same four operations on demo sites of scale 1, 10 and 100 (2,000, 20,000 and 200,000
// sales-order lines), each on the zone with the most due lines.
//
//   load:   Load of the zone (its due lines, query and grid fill);
//   save:   a new document of every line of that Load ticked, saved;
//   open:   that document opened again (its stored lines, then the zone's other due lines);
//   import: a 2,000-line order file (200 web orders of 10 lines, customers of every zone) stored.
//
// Counters: the processor time of each (median of three rounds, ms), the rows each handled and the
// processor time per row (us/row). The zone grows with the demo site; a cost that grows with the
// zone alone keeps its time per row as the site grows, and the import of a file of one size keeps
// its time. Run by scripts/bench; the table and what it shows are in docs/performance.md.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "app_fixture.h"
#include "bench_support.h"
#include "data_module.h"
#include "embedded.h"
#include "error_reporter.h"
#include "import_settings.h"
#include "order_file.h"
#include "zone_consolidation_sql.h"
#include "zone_consolidation_window.h"

namespace {

constexpr int kImportOrders = 200;
constexpr int kLinesPerOrder = 10;
constexpr int kRounds = 3;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Milliseconds of processor time of one call.
double cpuMs(const std::function<void()>& f) {
  const double start = bench::threadCpuSeconds();
  f();
  return (bench::threadCpuSeconds() - start) * 1000.0;
}

// Paints what the window has left to paint, as the event loop does next. Code that repaints at
// once (the total weight's label) has the whole window's changes painted then, the grid's rows
// among them; the grid is not painted a second time, which the user never sees either.
void paintPending(QWidget* window) { QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest); }

struct Scaled {
  explicit Scaled(int scale)
      : scale(scale), app([scale] {
          testsupport::AppOptions o;
          o.site.scale = scale;
          return o;
        }()) {
    if (!app.ready()) throw std::runtime_error(app.failure().toStdString());
    QApplication::setQuitOnLastWindowClosed(false);
    data::SetExceptionHandler([this](QObject*, std::exception_ptr e) { lastError = data::ErrorMessageOf(e); });
    weborder::RunImportUpgrade(conn());
    w = std::make_unique<TFrConsolidate_Qel_Dru>();
    w->show();
    QApplication::setActiveWindow(w.get());
    (void)QTest::qWaitForWindowActive(w.get());
    findLargestZone();
  }
  ~Scaled() { w.reset(); }

  db::Connection& conn() { return app.dm().DMdata; }

  void findLargestZone() {
    const db::Result zones = conn().select(consolidation::sql::QZone().pick(conn().dialect()));
    for (const auto& z : zones.rows()) {
      db::Params p;
      p.setDateTime("SendDate", QDateTime(app.dm().ServerTime().date(), QTime(0, 0)));
      p.setInt("Zone", z[0].toLongLong());
      const int n = conn().select(consolidation::sql::QLoad().pick(conn().dialect()), p).rowCount();
      if (n > largestRows) {
        largestRows = n;
        largestZone = z[1].toString();
      }
    }
    siteLines = int(conn().select("Select Count(*) N From SoDt").asInt("N"));
  }

  void readyToLoad() {
    w->AcNew->trigger();
    w->FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
    w->FaGetDocNo1->DocNo->setText(QString());
    w->EZone->setFocus(Qt::TabFocusReason);
    w->EZone->setCurrentIndex(w->EZone->findData(largestZone));
  }
  void load() {
    w->BLoad->click();
    paintPending(w.get());
  }
  void tickAll() {
    const int tick = w->QConsoDt.findColumn("ToConso");
    for (auto& row : w->QConsoDt.rows()) row[tick] = QStringLiteral("Y");
  }
  void open(const QString& docNo) {
    w->AcNew->trigger();
    w->FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
    w->FaGetDocNo1->DocNo->setText(docNo);
    w->EZone->setFocus(Qt::TabFocusReason);
    paintPending(w.get());
  }
  // Removes the documents saved by the rounds, so that the zone's lines are due again.
  void dropSaved() {
    conn().execute("Delete From ConsolidateDt Where ConsolidateHd In (Select Id From ConsolidateHd Where Carman = 'SCALING')");
    conn().execute("Delete From ConsolidateHd Where Carman = 'SCALING'");
  }

  // The order file of one round: web ids and order numbers of its own.
  QByteArray orderFile(int round) const {
    const int products = 200 * scale, customers = 40 * scale;
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<orders>\n";
    const qint64 firstId = 20'000'000 + qint64(round) * kImportOrders * kLinesPerOrder;
    for (int o = 0; o < kImportOrders; ++o) {
      for (int l = 0; l < kLinesPerOrder; ++l) {
        const int i = o * kLinesPerOrder + l;
        x += " <order>\n  <salesmancode>S0" + QByteArray::number(1 + o % 4) + "</salesmancode>\n  <customercode>C" +
             QByteArray::number(1 + (o * 7) % customers).rightJustified(5, '0') + "</customercode>\n  <orderno>SC" +
             QByteArray::number(round) + "-" + QByteArray::number(o) + "</orderno>\n  <orderdate>2016-03-05</orderdate>\n  <id>" +
             QByteArray::number(firstId + i) + "</id>\n  <barcode>" +
             embedded::demoBarcode(1 + (i * 13) % products, 1 + i % 2).toLatin1() + "</barcode>\n  <quantity>" +
             QByteArray::number(1 + i % 9) + "</quantity>\n </order>\n";
      }
    }
    return x + "</orders>\n";
  }

  int scale;
  testsupport::AppFixture app;
  std::unique_ptr<TFrConsolidate_Qel_Dru> w;
  QString largestZone;
  int largestRows = 0;
  int siteLines = 0;
  QString lastError;
};

void BM_Scaling(benchmark::State& state) {
  const int scale = int(state.range(0));
  auto s = std::make_unique<Scaled>(scale);
  std::vector<double> load, save, open, import;
  int loaded = 0, saved = 0, opened = 0, imported = 0;
  QTemporaryDir dir;
  db::StoredProc newNo(s->conn(), QStringLiteral("NewDocumentNo"));
  newNo.declare(QStringLiteral("DocCode"), db::ParamType::Text, db::ParamDir::Input);
  newNo.declare(QStringLiteral("DocYear"), db::ParamType::Integer, db::ParamDir::Input);
  newNo.declare(QStringLiteral("NewNo"), db::ParamType::Text, db::ParamDir::Output);
  const weborder::NumberSource numbers = [&newNo](const QString& code, const QDate& date) {
    newNo.set(QStringLiteral("DocCode"), code);
    newNo.set(QStringLiteral("DocYear"), date.year());
    newNo.execute();
    return newNo.value(QStringLiteral("NewNo")).toString();
  };
  for (auto _ : state) {
    for (int round = 1; round <= kRounds; ++round) {
      s->dropSaved();
      s->readyToLoad();
      load.push_back(cpuMs([&] { s->load(); }));
      loaded = s->w->QConsoDt.rowCount();
      s->w->QConsoHd.setValue("Carman", "SCALING");
      s->tickAll();
      bool ok = false;
      save.push_back(cpuMs([&] { ok = s->w->SaveDate(); }));
      if (!ok) return state.SkipWithError(QString(QStringLiteral("the save failed: ") + s->lastError).toStdString().c_str());
      saved = loaded;
      const QString docNo = s->w->CurrentDocNo;
      open.push_back(cpuMs([&] { s->open(docNo); }));
      opened = s->w->QConsoDt.rowCount();
      if (s->w->IsNewDocument) return state.SkipWithError("the saved document was not opened");
    }
    for (int round = 1; round <= kRounds; ++round) {
      const QString path = dir.filePath(QStringLiteral("Z_%1.xml").arg(round));
      {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(s->orderFile(round));
      }
      weborder::ImportResult r;
      import.push_back(cpuMs([&] {
        weborder::OrderImporter importer(s->conn(), numbers);
        r = importer.Import(weborder::ReadOrderFile(path));
      }));
      imported = int(r.stored.size());
      if (imported != kImportOrders * kLinesPerOrder) return state.SkipWithError("not every imported line was stored");
    }
  }
  const auto perRow = [](double ms, int rows) { return rows > 0 ? ms * 1000.0 / rows : 0; };
  state.counters["site_lines"] = s->siteLines;
  state.counters["zone_rows"] = loaded;
  state.counters["load_ms"] = median(load);
  state.counters["load_us_row"] = perRow(median(load), loaded);
  state.counters["save_ms"] = median(save);
  state.counters["save_us_row"] = perRow(median(save), saved);
  state.counters["open_rows"] = opened;
  state.counters["open_ms"] = median(open);
  state.counters["open_us_row"] = perRow(median(open), opened);
  state.counters["import_ms"] = median(import);
  state.counters["import_us_row"] = perRow(median(import), imported);
}
BENCHMARK(BM_Scaling)->Arg(1)->Arg(10)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
