#include "modal.h"

#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

namespace widgets {

namespace {
std::deque<ModalDriver>& drivers() {
  static std::deque<ModalDriver> d;
  return d;
}
}  // namespace

void QueueModalDriver(ModalDriver driver) { drivers().push_back(std::move(driver)); }
void ClearModalDrivers() { drivers().clear(); }
int PendingModalDrivers() { return int(drivers().size()); }

int ShowModal(QDialog& dialog) {
  if (!drivers().empty()) {
    ModalDriver driver = std::move(drivers().front());
    drivers().pop_front();
    QPointer<QDialog> d(&dialog);
    auto run = [d, driver] {
      if (!d) return;
      driver(*d);
      if (d && d->isVisible()) d->done(QDialog::Rejected);
      if (d && d->isVisible()) d->QDialog::done(QDialog::Rejected);
    };
    // The driver starts once the dialog is the active window (its focus is then real), or after two
    // seconds at the latest.
    auto waitActive = std::make_shared<std::function<void(int)>>();
    *waitActive = [d, run, waitActive](int triesLeft) {
      if (!d) return;
      if (d->isActiveWindow() || triesLeft <= 0) {
        run();
        *waitActive = nullptr;  // ends the self-reference
        return;
      }
      d->activateWindow();
      QTimer::singleShot(10, d, [waitActive, triesLeft] {
        if (*waitActive) (*waitActive)(triesLeft - 1);
      });
    };
    QTimer::singleShot(0, &dialog, [waitActive] {
      if (*waitActive) (*waitActive)(200);
    });
  }
  return dialog.exec();
}

}  // namespace widgets
