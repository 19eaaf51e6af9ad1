#include "modal.h"

#include <QPointer>
#include <QTimer>
#include <deque>

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
    QTimer::singleShot(0, &dialog, [d, driver] {
      if (!d) return;
      driver(*d);
      if (d && d->isVisible()) d->done(QDialog::Rejected);
      if (d && d->isVisible()) d->QDialog::done(QDialog::Rejected);
    });
  }
  return dialog.exec();
}

}  // namespace widgets
