// A full disk without root: the limit on the size of the files a process writes (RLIMIT_FSIZE).
// A write beyond the limit fails with "File too large" when SIGXFSZ is ignored, as a write to a
// full disk fails; with the signal left as it is, the process is killed in the middle of the write.
//
//   QProcess p;
//   testsupport::limitFileSize(p, 4096);   // before p.start()
//
//   { testsupport::ScopedFileSizeLimit full(4096); /* this process's writes stop at 4 KiB */ }
#pragma once

#include <QProcess>
#include <csignal>
#include <sys/resource.h>

namespace testsupport {

enum class AtLimit { WriteFails, ProcessKilled };

// The child started next by `process` writes no file beyond `bytes` (and leaves no core file).
inline void limitFileSize(QProcess& process, rlim_t bytes, AtLimit atLimit = AtLimit::WriteFails) {
  process.setChildProcessModifier([bytes, atLimit] {
    // Runs in the child between fork and exec: only calls that are safe there.
    struct rlimit core = {0, 0};
    setrlimit(RLIMIT_CORE, &core);
    struct rlimit size;
    getrlimit(RLIMIT_FSIZE, &size);
    size.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &size);
    // An ignored signal stays ignored across exec; the default kills the process.
    signal(SIGXFSZ, atLimit == AtLimit::WriteFails ? SIG_IGN : SIG_DFL);
  });
}

// This process writes no file beyond `bytes` while the object lives (SIGXFSZ ignored meanwhile).
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = previous_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, previousHandler_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  struct rlimit previous_ = {};
  void (*previousHandler_)(int) = SIG_DFL;
};

}  // namespace testsupport
