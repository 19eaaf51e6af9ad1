#include "scan_feedback.h"

#include <QApplication>
#include <QTimer>

namespace packing {

void RingBell(ScanSignal signal) {
  QApplication::beep();
  if (signal == ScanSignal::Accepted) return;
  for (int i = 1; i <= 2; ++i) QTimer::singleShot(120 * i, qApp, [] { QApplication::beep(); });
}

}  // namespace packing
