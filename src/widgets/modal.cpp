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

void drive(const QPointer<QDialog>& d, const ModalDriver& driver) {
  driver(*d);
  if (d && d->isVisible()) d->done(QDialog::Rejected);
  if (d && d->isVisible()) d->QDialog::done(QDialog::Rejected);  // a dialog that refused to close
}

// Runs the driver once the dialog is the active window (its focus is then real), or after about two
// seconds at the latest.
void driveWhenActive(QPointer<QDialog> d, ModalDriver driver, int triesLeft) {
  if (!d) return;
  if (d->isActiveWindow() || triesLeft <= 0) {
    drive(d, driver);
    return;
  }
  d->activateWindow();
  QDialog* target = d;
  QTimer::singleShot(10, target, [d, driver = std::move(driver), triesLeft]() mutable {
    driveWhenActive(d, std::move(driver), triesLeft - 1);
  });
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
    QTimer::singleShot(0, &dialog, [d, driver = std::move(driver)]() mutable { driveWhenActive(d, std::move(driver), 200); });
  }
  return dialog.exec();
}

}  // namespace widgets
