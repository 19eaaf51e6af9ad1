// The warm-up thread starts before the application object. Qt takes the first thread that asks it
// for its own thread data as the main thread; if that were the warm-up thread, the application
// object would not be on Qt's main thread and its event loop would misdeliver (message boxes that
// never get their keys). This program lets the thread break Thai text into words first, then
// creates the application object and checks that it is on Qt's main thread. It has a main of its
// own: the shared test main creates the application object before anything else.
#include <QApplication>
#include <QThread>
#include <atomic>
#include <cstdio>

#include "text_warm_up.h"

namespace {

std::atomic<int> notOnMainThread{0};

// Qt says so, when the application object is made on a thread other than its main thread.
void messages(QtMsgType, const QMessageLogContext&, const QString& text) {
  if (text.contains(QStringLiteral("main() thread"))) ++notOnMainThread;
  std::fprintf(stderr, "%s\n", qPrintable(text));
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(messages);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int failures = 0;
  const auto check = [&failures](bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++failures;
  };
  launch::TextWarmUp warmUp;
  warmUp.WaitForWordBreaks();  // the thread has used Qt before the application object exists
  {
    QApplication app(argc, argv);
    warmUp.ApplicationReady();
    check(notOnMainThread == 0, "the thread that creates the application object is Qt's main thread");
    check(app.thread() == QThread::currentThread(), "the application object lives on the thread that made it");
    warmUp.Finish();
  }
  return failures ? 1 : 0;
}
