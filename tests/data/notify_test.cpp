// The application object catches every exception that escapes an event handler and hands it to the
// installed handler; nothing unwinds through Qt. This test runs on a TApplication of its own.
#include <QTimer>
#include <gtest/gtest.h>

#include "data_module.h"
#include "error_reporter.h"
#include "prompts.h"

namespace {

class Thrower : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("handler failed");
    if (e->type() == QEvent::Type(QEvent::User + 1)) throw EAbort();
    return QObject::event(e);
  }
};

struct Captured {
  int calls = 0;
  QString message;
  QObject* sender = nullptr;
};

TEST(Notify, ErrorsOfEventHandlersReachTheHandler) {
  Captured got;
  data::SetExceptionHandler([&](QObject* sender, std::exception_ptr e) {
    ++got.calls;
    got.sender = sender;
    got.message = data::ErrorMessageOf(e);
  });
  Thrower t;
  QEvent user(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&t, &user));
  EXPECT_EQ(got.calls, 1);
  EXPECT_EQ(got.message, QStringLiteral("handler failed"));
  EXPECT_EQ(got.sender, &t);

  // Posted events and timers go the same way.
  QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  EXPECT_EQ(got.calls, 2);
  bool fired = false;
  QTimer::singleShot(0, [&] {
    fired = true;
    throw db::Error(QStringLiteral("timer failed"));
  });
  while (!fired) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  EXPECT_EQ(got.calls, 3);
  EXPECT_EQ(got.message, QStringLiteral("timer failed"));

  // A silent abort never reaches it.
  QEvent abort(QEvent::Type(QEvent::User + 1));
  QCoreApplication::sendEvent(&t, &abort);
  EXPECT_EQ(got.calls, 3);
  data::SetExceptionHandler({});
}

TEST(Notify, AFailingHandlerIsContained) {
  data::SetExceptionHandler([](QObject*, std::exception_ptr) { throw std::runtime_error("handler broke too"); });
  Thrower t;
  QEvent user(QEvent::User);
  EXPECT_NO_THROW(QCoreApplication::sendEvent(&t, &user));
  data::SetExceptionHandler({});
}

TEST(Notify, WithoutAHandlerThePlainBoxShowsTheText) {
  prompts::ScopedScriptedPrompts boxes;
  Thrower t;
  QEvent user(QEvent::User);
  QCoreApplication::sendEvent(&t, &user);
  ASSERT_EQ(boxes->log.size(), 1u);
  EXPECT_EQ(boxes->log[0].text, QStringLiteral("handler failed"));
  EXPECT_EQ(boxes->log[0].style, prompts::Style::Error);
}

TEST(Notify, TheDataModuleInstallsTheReporter) {
  EXPECT_FALSE(data::HasExceptionHandler());
  {
    TDM dm;
    EXPECT_TRUE(data::HasExceptionHandler());
  }
  EXPECT_FALSE(data::HasExceptionHandler());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
