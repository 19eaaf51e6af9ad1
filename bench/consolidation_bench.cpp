// The zone consolidation window on the scale-100 demo site, started in-process as the program
// starts it: Load of the largest zone (query and grid fill), opening a stored document of 5,000
// lines, saving 5,000 lines, and the weight shown again after a tick. Beside Load, the floor: the
// same due-lines SELECT run through the sqlite3 library alone (prepared, stepped, every column
// read), with the server functions the statement calls registered on the handle.
//
// Goals: Load within 1.2 times the floor (counter "ratio_cpu", processor time; "ratio" is the same in
// wall-clock time) and under 300 ms, its peak resident memory under 150 MB ("peak_rss_MB"); opening
// the stored 5,000-line document under 150 ms; a save of 5,000 lines under 1 s; a tick under 5 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <vector>
#include <chrono>
#include <sqlite3.h>

#include "app_fixture.h"
#include "zone_consolidation_window.h"
#include "zone_consolidation_sql.h"
#include "data_module.h"
#include "embedded.h"
#include "error_reporter.h"
#include "modal.h"
#include "bench_support.h"
#include "sqlite_settings.h"

namespace {

constexpr int kScale = 100;
constexpr int kLines = 5000;
using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

// Paints what the window has left to paint, as the event loop does next. Code that repaints at
// once (the total weight's label) has the whole window's changes painted then, the grid's rows
// among them; the grid is not painted a second time, which the user never sees either.
void paintPending(QWidget* window) { QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest); }

struct Run {
  testsupport::AppFixture app{[] {
    testsupport::AppOptions o;
    o.site.scale = kScale;
    return o;
  }()};
  std::unique_ptr<TFrConsolidate_Qel_Dru> w;
  QString largestZone;  // the zone code with the most due lines today
  qint64 largestZoneId = 0;
  int largestRows = 0;
  QString storedDocNo;  // a stored document of kLines lines
  QString lastError;    // the last error the window reported

  Run() {
    if (!app.ready()) throw std::runtime_error(app.failure().toStdString());
    QApplication::setQuitOnLastWindowClosed(false);
    data::SetExceptionHandler([this](QObject*, std::exception_ptr e) { lastError = data::ErrorMessageOf(e); });
    w = std::make_unique<TFrConsolidate_Qel_Dru>();
    w->show();
    QApplication::setActiveWindow(w.get());
    (void)QTest::qWaitForWindowActive(w.get());
    findLargestZone();
    makeStoredDocument();
  }

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
        largestZoneId = z[0].toLongLong();
      }
    }
  }

  // An open document of another zone holding kLines sales-order lines that are not due in the
  // largest zone (so that both the stored part and the due part of the list are full).
  void makeStoredDocument() {
    storedDocNo = QStringLiteral("BENCH-5000");
    db::Params p;
    p.setText("No", storedDocNo);
    p.setInt("Zone", largestZoneId);
    conn().execute("Insert Into ConsolidateHd (DocNo, DocDate, SendDate, CustomerZone, Confirm, Delflag, Printed) "
                   "Values (:No, DateOnly(GetDate()), DateOnly(GetDate()), :Zone, 'N', 'N', 'N')",
                   p);
    p.setInt("Lines", kLines);
    conn().execute("Insert Into ConsolidateDt (ConsolidateHd, ToConso, SoHd, SoDt, Customer, Product, ProductUnits, OrderSoQnty, "
                   "Onhand, OrderQnty, SendQnty, IvNo, IvHd, IvDt) "
                   "Select (Select Id From ConsolidateHd Where DocNo = :No), 'Y', D.SoHd, D.Id, H.Customer, D.Product, "
                   "D.ProductUnits, D.Quantity, 0, D.Quantity, D.Quantity, '', 0, 0 "
                   "From SoDt D Inner Join SoHd H On H.Id = D.SoHd Inner Join Customer C On C.Id = H.Customer "
                   "Where C.Zone <> :Zone Order By D.Id Limit :Lines",
                   p);
  }

  void newDocument() { w->AcNew->trigger(); }
  void leaveNumber(const QString& no) {
    w->FaGetDocNo1->DocNo->setFocus(Qt::TabFocusReason);
    w->FaGetDocNo1->DocNo->setText(no);
    w->EZone->setFocus(Qt::TabFocusReason);
  }
  void chooseZone(const QString& code) { w->EZone->setCurrentIndex(w->EZone->findData(code)); }
  // A new document of the largest zone, listed but not loaded, sent `days` from today.
  void readyToLoad(int days = 0) {
    newDocument();
    leaveNumber(QString());
    chooseZone(largestZone);
    if (days) {
      w->QConsoHd.setValue("SendDate", QDateTime(app.dm().ServerTime().date().addDays(days), QTime(0, 0)));
      w->DConsoHd.rowChanged(0);
    }
  }
  void load() {
    w->BLoad->click();
    paintPending(w.get());
  }
};

std::unique_ptr<Run>& theRun() {
  static std::unique_ptr<Run> r;
  return r;
}
Run& run() {
  if (!theRun()) theRun() = std::make_unique<Run>();
  return *theRun();
}

// The floor's handle, opened as the program opens its connections (without SQLite's lock, with the
// same settings and page cache) and with the server functions the statement calls.
struct FloorHandle {
  sqlite3* h = nullptr;
  explicit FloorHandle(const QString& file) {
    db::useDescriptionLocks();  // the same locks as the program's connections to the same file
    sqlite3_open_v2(file.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (sqlite3_exec(h, db::kSqliteHandleSettings, nullptr, nullptr, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(h));
    embedded::registerServerFunctions(h);
  }
  ~FloorHandle() {
    while (sqlite3_stmt* kept = sqlite3_next_stmt(h, nullptr)) sqlite3_finalize(kept);  // the server functions'
    sqlite3_close_v2(h);
  }
  FloorHandle(const FloorHandle&) = delete;
  FloorHandle& operator=(const FloorHandle&) = delete;
};

// The bare due-lines SELECT through sqlite3 alone: milliseconds of one run (wall clock), and in
// *cpuMs the processor time of the run.
double floorOnce(sqlite3* h, qint64 zone, const QDate& day, int* rows, double* cpuMs = nullptr) {
  const QByteArray text = consolidation::sql::QLoad().sqlite.toUtf8();
  const QByteArray date = day.toString(QStringLiteral("yyyy-MM-dd 00:00:00")).toUtf8();
  const auto start = Clock::now();
  const double cpuStart = bench::threadCpuSeconds();
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr);
  sqlite3_bind_text(st, sqlite3_bind_parameter_index(st, ":SendDate"), date.constData(), int(date.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int64(st, sqlite3_bind_parameter_index(st, ":Zone"), zone);
  int n = 0;
  const int cols = sqlite3_column_count(st);
  while (sqlite3_step(st) == SQLITE_ROW) {
    ++n;
    for (int c = 0; c < cols; ++c) {
      switch (sqlite3_column_type(st, c)) {
        case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_int64(st, c)); break;
        case SQLITE_FLOAT: benchmark::DoNotOptimize(sqlite3_column_double(st, c)); break;
        default: benchmark::DoNotOptimize(sqlite3_column_text(st, c));
      }
    }
  }
  sqlite3_finalize(st);
  const double ms = msSince(start);
  if (cpuMs) *cpuMs = (bench::threadCpuSeconds() - cpuStart) * 1000.0;
  *rows = n;
  return ms;
}

// The best of five runs of the floor, wall clock and processor time, on one handle whose page cache
// was filled by a first run: the window's connection has read the zone's lines before it loads them
// (when the benchmark looked for the largest zone, and in the rounds before), so both run warm.
double floorMs(int* rows, double* cpuMs) {
  Run& r = run();
  const FloorHandle f(db::embeddedDatabaseFile(r.app.site().folder(), r.app.site().companyDatabase()));
  const QDate day = r.app.dm().ServerTime().date();
  floorOnce(f.h, r.largestZoneId, day, rows);
  double best = 1e300;
  *cpuMs = 1e300;
  for (int i = 0; i < 5; ++i) {
    double cpu = 0;
    best = std::min(best, floorOnce(f.h, r.largestZoneId, day, rows, &cpu));
    *cpuMs = std::min(*cpuMs, cpu);
  }
  return best;
}

void BM_DueLinesFloor_sqlite3(benchmark::State& state) {
  Run& r = run();
  const FloorHandle f(db::embeddedDatabaseFile(r.app.site().folder(), r.app.site().companyDatabase()));
  const QDate day = r.app.dm().ServerTime().date();
  int rows = 0;
  floorOnce(f.h, r.largestZoneId, day, &rows);
  for (auto _ : state) {
    const double ms = floorOnce(f.h, r.largestZoneId, day, &rows);
    state.SetIterationTime(ms / 1000.0);
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_DueLinesFloor_sqlite3)->UseManualTime()->Unit(benchmark::kMillisecond);

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Load against its floor on equal terms: in every round the window is made ready for a Load (a new
// document, the zone chosen) and the floor runs once; the window is made ready again and loads.
// Both thus run after the same work, which leaves the processor's caches as a user's Load finds
// them. Run back to back, the floor finds the statement's pages in the processor's caches and is
// 2 to 4 ms faster than the same statement inside the Load (its best of five that way is kept as
// floor_best_cpu_ms and ratio_best_cpu). Ratios are of the medians.
void BM_LoadLargestZone(benchmark::State& state) {
  Run& r = run();
  int floorRows = 0;
  double floorBestCpu = 0;
  floorMs(&floorRows, &floorBestCpu);
  const FloorHandle floorHandle(db::embeddedDatabaseFile(r.app.site().folder(), r.app.site().companyDatabase()));
  const QDate day = r.app.dm().ServerTime().date();
  floorOnce(floorHandle.h, r.largestZoneId, day, &floorRows);  // fills its page cache
  std::vector<double> loadMs, loadCpu, floorWall, floorCpu;
  double peakMb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    r.readyToLoad();
    double cpu = 0;
    floorWall.push_back(floorOnce(floorHandle.h, r.largestZoneId, day, &floorRows, &cpu));
    floorCpu.push_back(cpu);
    r.readyToLoad();
    bench::resetPeakRss();
    state.ResumeTiming();
    const auto start = Clock::now();
    const double cpuStart = bench::threadCpuSeconds();
    {
      bench::ProfileScope profile;
      r.load();
    }
    loadCpu.push_back((bench::threadCpuSeconds() - cpuStart) * 1000.0);
    loadMs.push_back(msSince(start));
    peakMb = std::max(peakMb, bench::peakRssMb());
  }
  state.counters["rows"] = r.w->QConsoDt.rowCount();
  state.counters["floor_ms"] = median(floorWall);
  state.counters["ratio"] = median(loadMs) / median(floorWall);
  state.counters["floor_cpu_ms"] = median(floorCpu);
  state.counters["load_cpu_ms"] = median(loadCpu);
  state.counters["ratio_cpu"] = median(loadCpu) / median(floorCpu);
  state.counters["floor_best_cpu_ms"] = floorBestCpu;
  state.counters["ratio_best_cpu"] = median(loadCpu) / floorBestCpu;
  state.counters["peak_rss_MB"] = peakMb;
  if (r.w->QConsoDt.rowCount() != floorRows) state.SkipWithError("the window listed another number of lines than the floor");
}
BENCHMARK(BM_LoadLargestZone)->Unit(benchmark::kMillisecond);

void BM_OpenStoredDocument5000(benchmark::State& state) {
  Run& r = run();
  for (auto _ : state) {
    state.PauseTiming();
    r.newDocument();
    state.ResumeTiming();
    bench::ProfileScope profile;
    r.leaveNumber(r.storedDocNo);
    paintPending(r.w.get());
  }
  state.counters["rows"] = r.w->QConsoDt.rowCount();
  if (r.w->IsNewDocument) state.SkipWithError("the stored document was not opened");
}
BENCHMARK(BM_OpenStoredDocument5000)->Unit(benchmark::kMillisecond);

void BM_Save5000Lines(benchmark::State& state) {
  Run& r = run();
  int ticked = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // A new document of the largest zone for a send date ten days on (all orders of the demo are
    // due by then) with kLines lines ticked; the previous round's document is removed so that its
    // lines are due again.
    r.conn().execute("Delete From ConsolidateDt Where ConsolidateHd In (Select Id From ConsolidateHd Where DocNo Like 'Con%' And Carman = 'BENCH')");
    r.conn().execute("Delete From ConsolidateHd Where DocNo Like 'Con%' And Carman = 'BENCH'");
    r.readyToLoad(10);
    r.load();
    r.w->QConsoHd.setValue("Carman", "BENCH");
    const int tick = r.w->QConsoDt.findColumn("ToConso");
    ticked = 0;
    for (auto& row : r.w->QConsoDt.rows()) {
      if (ticked == kLines) break;
      row[tick] = QStringLiteral("Y");
      ++ticked;
    }
    state.ResumeTiming();
    if (!r.w->SaveDate()) state.SkipWithError(QString(QStringLiteral("the save failed: ") + r.lastError).toStdString().c_str());
  }
  state.counters["lines"] = ticked;
  if (ticked < kLines) state.SkipWithError("the largest zone has fewer due lines than the benchmark saves");
}
BENCHMARK(BM_Save5000Lines)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TickAndWeight5000(benchmark::State& state) {
  Run& r = run();
  r.newDocument();
  r.leaveNumber(r.storedDocNo);
  widgets::ResultModel* m = r.w->DgDt->resultModel();
  const QModelIndex cell = m->index(0, m->columnOf("ToConso"));
  for (auto _ : state) {
    m->toggle(cell);  // the change handler shows the weight again
    r.w->LWeight->text();
  }
  state.counters["rows"] = r.w->QConsoDt.rowCount();
}
BENCHMARK(BM_TickAndWeight5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  theRun().reset();  // the window and the site go before the application
  return 0;
}
