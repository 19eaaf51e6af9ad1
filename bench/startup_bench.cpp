// Time from process start to the working window shown: the real `consolidate` program on the
// scale-1 and scale-100 demo sites, beside a minimal Qt Widgets program that shows one empty window.
// Each run is a new process (CONSOLIDATE_QUIT_WHEN_SHOWN: it reports the moment and ends); the
// counter "x_empty_window" is the run's median time divided by the yardstick's (goal: at most 1.5).
//
//   Dispatch/<scale>:  menu option 999 (no window): start-up up to the dispatch, then the end.
//   Window200/<scale>: menu option 200, the zone consolidation window, ended once shown.
//   WindowClosedToProcessGone/<option>: the window of a menu option is closed as a user closes it
//     (CONSOLIDATE_CLOSE_WHEN_SHOWN, the exit question answered Yes); the time from the window
//     gone to the process gone, which the suite's menu waits for.
#include <benchmark/benchmark.h>

#include <QDate>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <QTemporaryDir>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "embedded.h"
#include "textutil/dates.h"

namespace {

struct Site {
  QTemporaryDir dir;
  embedded::SiteInfo info;
};

// One demo site per scale for the whole run.
Site& site(int scale) {
  static std::map<int, std::unique_ptr<Site>> sites;
  auto& s = sites[scale];
  if (!s) {
    s = std::make_unique<Site>();
    embedded::SiteOptions o;
    o.demo = true;
    o.scale = scale;
    s->info = embedded::createSite(s->dir.filePath(QStringLiteral("site")), o);
  }
  return *s;
}

// Milliseconds from starting the process to the line it writes when its window is shown (or, for
// menu option 999, when the dispatch found no window); the end of the process is not counted.
// -1 when it failed.
double runOnce(const QString& program, const QStringList& args, const QString& workDir) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("CONSOLIDATE_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
  QElapsedTimer t;
  t.start();
  p.start(program, args);
  double ms = -1;
  QByteArray line;
  while (p.waitForReadyRead(120000)) {
    if (!p.canReadLine()) continue;
    line = p.readLine().trimmed();
    if (line == "shown" || line == "dispatch") ms = double(t.nsecsElapsed()) / 1e6;
    break;
  }
  const bool finished = p.waitForFinished(120000);
  if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || ms < 0) {
    // What went wrong goes beside the benchmark's error.
    std::fprintf(stderr, "%s %s: %s, exit code %d, first line \"%s\"\n", qPrintable(program), qPrintable(args.join(u' ')),
                 !finished ? "did not end" : p.exitStatus() != QProcess::NormalExit ? "crashed" : "ended", p.exitCode(),
                 line.constData());
    return -1;
  }
  return ms;
}

// Milliseconds from the line the program writes when its window is gone ("closed") to the end of
// the process; -1 when it failed.
double closeOnce(const QString& program, const QStringList& args, const QString& workDir) {
  QTemporaryDir logDir;
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("CONSOLIDATE_CLOSE_WHEN_SHOWN"), QStringLiteral("1"));
  env.insert(QStringLiteral("CONSOLIDATE_PROMPTS_LOG"), logDir.filePath(QStringLiteral("prompts.log")));
  env.insert(QStringLiteral("CONSOLIDATE_PROMPTS_ANSWERS"), QStringLiteral("yes,yes,yes"));
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
  p.start(program, args);
  QElapsedTimer t;
  bool closed = false;
  while (!closed && p.waitForReadyRead(120000)) {
    while (p.canReadLine()) {
      if (p.readLine().trimmed() == "closed") {
        t.start();
        closed = true;
        break;
      }
    }
  }
  if (!closed) {
    p.kill();
    p.waitForFinished();
    return -1;
  }
  if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return -1;
  return double(t.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Each iteration runs the yardstick and then the program, so that both see the same load of the
// machine; the ratio is taken between their medians.
void measureAgainstEmptyWindow(benchmark::State& state, const QString& program, const QStringList& args,
                               const QString& workDir) {
  std::vector<double> runs, yardstick;
  for (auto _ : state) {
    const double empty = runOnce(QStringLiteral(STARTUP_EMPTY_WINDOW_EXE), {}, QString());
    const double ms = runOnce(program, args, workDir);
    if (ms < 0 || empty < 0) {
      state.SkipWithError("a program failed");
      return;
    }
    state.SetIterationTime(ms / 1000.0);
    runs.push_back(ms);
    yardstick.push_back(empty);
  }
  state.counters["median_ms"] = median(runs);
  state.counters["empty_window_median_ms"] = median(yardstick);
  state.counters["x_empty_window"] = median(runs) / median(yardstick);
}

void measure(benchmark::State& state, const QStringList& args, int scale) {
  measureAgainstEmptyWindow(state, QStringLiteral(CONSOLIDATE_EXE), args, site(scale).info.folder);
}

QStringList arguments(int option) {
  return {QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("DEMO"), QStringLiteral("-"), QString::number(option),
          textutil::dateToText(QDate::currentDate())};
}

void BM_EmptyQtWindow(benchmark::State& state) {
  for (auto _ : state) {
    const double ms = runOnce(QStringLiteral(STARTUP_EMPTY_WINDOW_EXE), {}, QString());
    if (ms < 0) {
      state.SkipWithError("the program failed");
      return;
    }
    state.SetIterationTime(ms / 1000.0);
  }
}
BENCHMARK(BM_EmptyQtWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);

// The same empty window with one Thai label, against the empty window: what the first Thai text
// costs any Qt program, whatever else its window holds.
void BM_OneThaiLabelWindow(benchmark::State& state) {
  measureAgainstEmptyWindow(state, QStringLiteral(STARTUP_EMPTY_WINDOW_EXE), {QStringLiteral("thai")}, QString());
}
BENCHMARK(BM_OneThaiLabelWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);

void BM_Dispatch(benchmark::State& state) { measure(state, arguments(999), int(state.range(0))); }
BENCHMARK(BM_Dispatch)->Arg(1)->Arg(100)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);

void BM_Window200(benchmark::State& state) { measure(state, arguments(200), int(state.range(0))); }
BENCHMARK(BM_Window200)->Arg(1)->Arg(100)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);

void BM_WindowClosedToProcessGone(benchmark::State& state) {
  Site& s = site(1);
  std::vector<double> runs;
  for (auto _ : state) {
    // The menu entry of the option itself, as the suite's menu passes it.
    QStringList args = arguments(int(state.range(0)));
    args[0] = QString::number(state.range(0));
    const double ms = closeOnce(QStringLiteral(CONSOLIDATE_EXE), args, s.info.folder);
    if (ms < 0) {
      state.SkipWithError("the program failed");
      return;
    }
    state.SetIterationTime(ms / 1000.0);
    runs.push_back(ms);
  }
  state.counters["median_ms"] = median(runs);
}
BENCHMARK(BM_WindowClosedToProcessGone)->Arg(100)->Arg(101)->Arg(102)->Arg(200)->Arg(201)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(11);

}  // namespace
