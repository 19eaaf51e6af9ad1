// Preparing a 2,000-row report with a group footer and exporting it to PDF, beside a bare loop
// that draws the same strings at the same places with QPainter into QPdfWriter. Reports pages per
// second for both and the ratio of their processor times (goal: the report takes at most 1.3 times
// the bare loop; scripts/bench prints the same ratio).
#include "bench_support.h"
#include "db/db.h"
#include "report/export.h"
#include "report/page.h"
#include "report/report.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <iostream>
#include <map>

namespace {

constexpr int kRows = 2000;

const char kTemplate[] = R"({
  "page": {"size": "A4", "margins": {"left": 15, "top": 10, "right": 15, "bottom": 10}},
  "defaultFont": {"family": "Garuda", "size": 9},
  "datasets": [{"name": "Lines", "sql": "select Id, Cust, Name, Qty, Amount from Lines order by Cust, Id"}],
  "bands": [
    {"type": "pageHeader", "height": 8, "objects": [
      {"kind": "text", "width": 20, "height": 6, "text": "ลำดับ"},
      {"kind": "text", "x": 20, "width": 100, "height": 6, "text": "สินค้า"},
      {"kind": "text", "x": 120, "width": 20, "height": 6, "text": "จำนวน", "align": "right"},
      {"kind": "text", "x": 140, "width": 40, "height": 6, "text": "จำนวนเงิน", "align": "right"}]},
    {"type": "masterData", "name": "Rows", "dataset": "Lines", "height": 5,
     "groups": [{"expression": "Cust", "footer": {"type": "groupFooter", "height": 6, "objects": [
       {"kind": "text", "width": 120, "height": 6, "text": "รวม [Cust] [COUNT()] รายการ"},
       {"kind": "text", "x": 140, "width": 40, "height": 6, "text": "[SUM(Amount)]", "format": "#,##0.00", "align": "right"}]}}],
     "objects": [
      {"kind": "text", "width": 20, "height": 5, "text": "[Id]"},
      {"kind": "text", "x": 20, "width": 100, "height": 5, "text": "[Name]"},
      {"kind": "text", "x": 120, "width": 20, "height": 5, "text": "[Qty]", "format": "#,##0", "align": "right"},
      {"kind": "text", "x": 140, "width": 40, "height": 5, "text": "[Amount]", "format": "#,##0.00", "align": "right"}]},
    {"type": "pageFooter", "height": 6, "objects": [
      {"kind": "text", "width": 90, "height": 6, "text": "หน้า [PAGE]"}]}]})";

struct Site {
  QTemporaryDir dir;
  std::unique_ptr<db::Connection> conn;
  QString templatePath;

  Site() {
    conn = std::make_unique<db::Connection>(QStringLiteral("DMDATA"));
    conn->params = QStringList{QStringLiteral("SERVER NAME=embedded:") + dir.path(), QStringLiteral("DATABASE NAME=BENCH"),
                               QStringLiteral("CREATE DATABASE=TRUE")};
    conn->execute(QStringLiteral("create table Lines (Id integer primary key, Cust varchar(10), Name varchar(100), Qty float, Amount float)"));
    conn->startTransaction();
    for (int i = 1; i <= kRows; ++i) {
      db::Params p;
      p.setInt(QStringLiteral("Id"), i);
      p.setText(QStringLiteral("Cust"), QStringLiteral("C%1").arg(i % 40, 3, 10, QLatin1Char('0')));
      p.setText(QStringLiteral("Name"), QStringLiteral("สินค้าทดสอบ ข้าวหอมมะลิ ถุง %1 กก.").arg(i % 25 + 1));
      p.setFloat(QStringLiteral("Qty"), i % 17 + 1);
      p.setFloat(QStringLiteral("Amount"), (i % 17 + 1) * 37.25);
      conn->execute(QStringLiteral("insert into Lines values (:Id, :Cust, :Name, :Qty, :Amount)"), p);
    }
    conn->commit();
    templatePath = dir.filePath(QStringLiteral("bench.frf"));
    QFile f(templatePath);
    f.open(QIODevice::WriteOnly);
    f.write(kTemplate);
  }
};

Site& site() {
  static Site s;
  return s;
}

void BM_ReportPrepareAndPdf(benchmark::State& state) {
  const QString pdf = site().dir.filePath(QStringLiteral("report.pdf"));
  int pages = 0;
  {
    // One run before the measured ones, as the bare loop prepares its copy before its loop: the
    // font database is loaded and the texts laid out once for both.
    report::Report r;
    r.setConnection(*site().conn);
    r.loadFromFile(site().templatePath);
    r.prepare();
    r.exportPdf(pdf);
  }
  for (auto _ : state) {
    bench::ProfileScope profile;
    report::Report r;
    r.setConnection(*site().conn);
    r.loadFromFile(site().templatePath);
    r.prepare();
    r.exportPdf(pdf);
    pages = r.pageCount();
  }
  state.counters["pages"] = pages;
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReportPrepareAndPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// Preparing alone (datasets, expressions, layout into the display list).
void BM_ReportPrepare(benchmark::State& state) {
  int pages = 0;
  for (auto _ : state) {
    bench::ProfileScope profile;
    report::Report r;
    r.setConnection(*site().conn);
    r.loadFromFile(site().templatePath);
    r.prepare();
    pages = r.pageCount();
  }
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReportPrepare)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_BareQPainterPdf(benchmark::State& state) {
  // The strings, fonts and places of the report, taken once from a prepared copy.
  report::Report r;
  r.setConnection(*site().conn);
  r.loadFromFile(site().templatePath);
  r.prepare();
  const report::PreparedReport& prepared = r.prepared();
  const QString pdf = site().dir.filePath(QStringLiteral("bare.pdf"));
  for (auto _ : state) {
    bench::ProfileScope profile;
    QPdfWriter writer(pdf);
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    const double dpmm = writer.resolution() / 25.4;
    for (int i = 0; i < prepared.pages.size(); ++i) {
      if (i > 0) writer.newPage();
      for (const report::Primitive& p : prepared.pages[i].items) {
        if (p.type != report::Primitive::Type::Text) continue;
        painter.setFont(report::layoutFont(p.font));
        painter.drawText(QPointF(p.origin.x() * dpmm, p.origin.y() * dpmm), p.text);
      }
    }
    painter.end();
  }
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(prepared.pages.size()) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareQPainterPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration) {
        times[run.benchmark_name()] = run.GetAdjustedRealTime();
        cpuTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  static double find(const std::map<std::string, double>& in, const std::string& prefix) {
    for (const auto& [name, t] : in) {
      if (name.rfind(prefix, 0) == 0) return t;
    }
    return 0;
  }
  std::map<std::string, double> times, cpuTimes;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double reportCpu = RatioReporter::find(reporter.cpuTimes, "BM_ReportPrepareAndPdf");
  const double bareCpu = RatioReporter::find(reporter.cpuTimes, "BM_BareQPainterPdf");
  if (reportCpu > 0 && bareCpu > 0) {
    const double ratio = reportCpu / bareCpu;
    const double wall = RatioReporter::find(reporter.times, "BM_ReportPrepareAndPdf") / RatioReporter::find(reporter.times, "BM_BareQPainterPdf");
    std::cout << "report / bare QPainter, processor time: " << ratio << " (goal <= 1.3) " << (ratio <= 1.3 ? "met" : "NOT met")
              << "; wall clock: " << wall << std::endl;
  }
  benchmark::Shutdown();
  return 0;
}
