// Small helpers shared by the benchmarks: processor time, peak memory, and the marks that let
// callgrind count the instructions of the measured part alone. Every benchmark includes it, and so
// keeps settings of its own (tests/support/own_settings.h), as do the programs it starts: a
// benchmark never reads or writes the user's remembered window sizes.
//
//   valgrind --tool=callgrind --instr-atstart=no build/bench/consolidation_bench --benchmark_filter=Open
//
// counts only what runs between ProfileScope's construction and destruction (the site is built
// uninstrumented, at a fraction of callgrind's cost); outside valgrind the marks cost nothing.
#pragma once

#include <sys/resource.h>
#include <cstdio>
#include <ctime>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define BENCH_CALLGRIND_START() CALLGRIND_START_INSTRUMENTATION
#define BENCH_CALLGRIND_STOP() CALLGRIND_STOP_INSTRUMENTATION
#else
#define BENCH_CALLGRIND_START() ((void)0)
#define BENCH_CALLGRIND_STOP() ((void)0)
#endif

#include "../tests/support/own_settings.h"

namespace bench {

// Set before main() runs, so before anything reads a setting or starts a program.
inline const QString kOwnSettingsFolder = testsupport::UseOwnSettings();

// Processor time of the calling thread, in seconds: steadier than wall-clock time on a shared machine.
inline double threadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Processor time of the whole process (every thread), in seconds.
inline double processCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// The process's peak resident memory so far, in megabytes (getrusage's maxrss).
inline double peakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_maxrss) / 1024.0;
}

// Starts the peak over again from the memory resident now (Linux: "5" written to clear_refs), so
// that peakRssMb() afterwards is the peak of what ran since, not of building the site before it.
// False when the kernel does not allow it; the peak then covers the whole process.
inline bool resetPeakRss() {
  std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (!f) return false;
  const bool ok = std::fputs("5", f) >= 0;
  return std::fclose(f) == 0 && ok;
}

// Instruments the enclosed code when the benchmark runs under callgrind with --instr-atstart=no.
struct ProfileScope {
  ProfileScope() { BENCH_CALLGRIND_START(); }
  ~ProfileScope() { BENCH_CALLGRIND_STOP(); }
  ProfileScope(const ProfileScope&) = delete;
  ProfileScope& operator=(const ProfileScope&) = delete;
};

}  // namespace bench
