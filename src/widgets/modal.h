// Runs dialogs modally, with a seam for tests.
//
// Every modal dialog of the program is shown through ShowModal. In production that is QDialog::exec.
// A test may queue drivers: each dialog shown modally takes the next driver, which runs once the
// dialog is on screen, inside the dialog's modal loop, so the test can type into it, click it and
// look at it with ordinary synchronous calls (QTest key clicks and the like). When the driver
// returns and the dialog is still open, it is closed with Rejected, so a test never hangs.
#pragma once

#include <QDialog>
#include <functional>

namespace widgets {

using ModalDriver = std::function<void(QDialog& dialog)>;

int ShowModal(QDialog& dialog);

void QueueModalDriver(ModalDriver driver);
void ClearModalDrivers();
int PendingModalDrivers();

// Queues drivers for the life of the object and drops the unused ones when it ends.
class ScopedModalDrivers {
 public:
  ScopedModalDrivers() = default;
  ~ScopedModalDrivers() { ClearModalDrivers(); }
  ScopedModalDrivers& then(ModalDriver d) {
    QueueModalDriver(std::move(d));
    return *this;
  }
};

}  // namespace widgets
