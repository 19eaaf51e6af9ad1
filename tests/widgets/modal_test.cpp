// The modal seam: queued drivers run inside the dialog's modal loop; a dialog left open is closed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "modal.h"

namespace {

// A dialog that refuses every close, as a dialog refusing a choice does.
class Stubborn : public QDialog {
 public:
  void done(int) override { ++refusals; }
  int refusals = 0;
};

TEST(ModalSeam, DriversRunInOrderInsideTheModalLoop) {
  widgets::ScopedModalDrivers drivers;
  QStringList seen;
  drivers.then([&](QDialog& d) {
    seen << "first:" + QString(d.isVisible() && d.isActiveWindow() ? "shown" : "hidden");
    d.accept();
  });
  drivers.then([&](QDialog& d) { seen << "second:" + d.objectName(); });  // leaves it open

  QDialog a;
  EXPECT_EQ(widgets::ShowModal(a), QDialog::Accepted);
  QDialog b;
  b.setObjectName("b");
  EXPECT_EQ(widgets::ShowModal(b), QDialog::Rejected);  // closed for the test
  EXPECT_FALSE(b.isVisible());
  EXPECT_EQ(seen, (QStringList{"first:shown", "second:b"}));
  EXPECT_EQ(widgets::PendingModalDrivers(), 0);

  Stubborn s;
  drivers.then([](QDialog&) {});
  EXPECT_EQ(widgets::ShowModal(s), QDialog::Rejected);
  EXPECT_EQ(s.refusals, 1);
}

}  // namespace
