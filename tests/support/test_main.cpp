// GoogleTest entry point for every test executable: one QApplication for the process,
// on the offscreen platform unless the caller chose another, with settings of its own (own_settings.h).
//
// The embedded server's clock, in this process and in the programs it starts, begins at noon of
// the day the process starts (unless CONSOLIDATE_SERVER_TIME is set already): the sites a test
// process builds once and the dates its tests read from the server keep one date, even when the
// run goes past midnight or into a new year.
#include <QApplication>
#include <QDate>
#include <gtest/gtest.h>

#include "own_settings.h"

int main(int argc, char** argv) {
  // Remembered window sizes go to a folder of the test process, and of the programs it starts,
  // never to the user's own settings.
  testsupport::UseOwnSettings();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("CONSOLIDATE_SERVER_TIME"))
    qputenv("CONSOLIDATE_SERVER_TIME", QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd 12:00:00")).toLatin1());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
