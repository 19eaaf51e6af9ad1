#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "window_registry.h"
#include "data_module.h"
#include "db.h"
#include "config_module.h"
#include "error_reporter.h"
#include "net/http.h"
#include "prompts.h"
#include "qt_thai.h"
#include "splash.h"
#include "text_warm_up.h"
#include "textutil/dates.h"

namespace launch {

QString RefusalMessage(int menuOption) { return QStringLiteral("No User Right Access !") + QString::number(menuOption); }

QString NetworkSiteWarning(const QString& folder, const QString& fileSystem) {
  return QStringLiteral("โฟลเดอร์ฐานข้อมูล %1 อยู่บนระบบไฟล์เครือข่าย (%2) ซึ่งการล็อกไฟล์ของฐานข้อมูลในตัวเชื่อถือไม่ได้ "
                        "ข้อมูลที่บันทึกพร้อมกันจากหลายเครื่องอาจสูญหาย\n\n"
                        "ฐานข้อมูลในตัวรองรับการทำงานหลายหน้าต่างบนเครื่องเดียวกันเท่านั้น "
                        "หากต้องใช้งานจากหลายเครื่อง กรุณาใช้ Microsoft SQL Server")
      .arg(QDir::toNativeSeparators(folder), fileSystem);
}

// The folders of the embedded sites the two connections opened, each once.
void WarnAboutNetworkSites(const QList<const db::Connection*>& connections) {
  QStringList folders;
  for (const db::Connection* c : connections) {
    if (!c->isOpen() || !c->paramValue(QStringLiteral("ODBC DRIVER")).trimmed().isEmpty()) continue;
    const QString folder = db::embeddedFolder(c->paramValue(QStringLiteral("SERVER NAME")));
    const QString canonical = folder.isEmpty() ? QString() : QFileInfo(folder).canonicalFilePath();
    if (!canonical.isEmpty() && !folders.contains(canonical)) folders << canonical;
  }
  for (const QString& folder : folders) {
    const QString fileSystem = db::networkFileSystemOf(folder);
    if (!fileSystem.isEmpty()) prompts::current().message(NetworkSiteWarning(folder, fileSystem), prompts::Style::Warning);
  }
}

Startup::Startup(QStringList arguments) : args_(std::move(arguments)) {}

Startup::~Startup() {
  delete window_.data();
  delete splash_.data();
  config_.reset();
  dm_.reset();
}

QString Startup::arg(int position) const { return position <= args_.size() ? args_[position - 1] : QString(); }

TFormLogo* Startup::Splash() const { return static_cast<TFormLogo*>(splash_.data()); }

int Startup::ExitCode() const { return outcome_ == Outcome::Failed ? 1 : 0; }

Outcome Startup::Run(const StartOptions& options) {
  try {
    outcome_ = runSteps(options);
  } catch (...) {
    // The run-time's box for an error outside the event loop: its own text, then exit code 1.
    failure_ = data::ErrorMessageOf(std::current_exception());
    outcome_ = Outcome::Failed;
    try {
      prompts::current().message(failure_, prompts::Style::Error, QStringLiteral("Error"));
    } catch (...) {
    }
  }
  return outcome_;
}

Outcome Startup::runSteps(const StartOptions& options) {
  // 3. The splash window, painted at once; the data module frees it when the connection opens.
  if (options.showSplash) {
    auto* logo = new TFormLogo();
    splash_ = logo;
    logo->show();
    logo->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  if (options.beforeText) options.beforeText();
  // 4. The short date format "dd/mm/yyyy" is the one of every date conversion (textutil/dates.h).

  // 5. The data module (which installs the error handler), then the configuration module.
  dm_ = std::make_unique<TDM>();
  dm_->SetSplash(splash_.data());
  config_ = std::make_unique<TDMConfig>();

  // 6. Arguments, in this order: work date, menu option, menu entry, user.
  config_->WorkDate = QDateTime(textutil::textToDate(arg(6)), QTime(0, 0));
  config_->MenuOption = textutil::textToInt(arg(5));
  config_->MenuId = textutil::textToInt(arg(1));
  config_->UserId = textutil::textToInt(arg(2));

  // 7. The company of the database.
  if (!config_->GetCompanyConfig(arg(3))) return Outcome::CompanyNotFound;
  // 8. Caption, user and rights.
  config_->CheckRight(config_->MenuId, config_->UserId);
  // A user who works in Thai gets Qt's own dialogs (printer, page set-up, files) and the preview
  // in Thai too.
  if (config_->IsThai) widgets::InstallQtThai();
  // 9. Schema upgrade and version gate; opens the data connection.
  const bool current = dm_->CheckVersionProgramEXE(QString::fromLatin1(kProgramExe), kProgramVersion);

  // 10./11. The version is checked first; the access right only when the version passes.
  if (!current || !config_->AccessRight) {
    prompts::current().message(RefusalMessage(config_->MenuOption), prompts::Style::Info);
    return Outcome::Refused;
  }
  // An embedded site on a network file system works, but its locks cannot be trusted there: the
  // user is told so before the window opens, and goes on.
  WarnAboutNetworkSites({&config_->DmCfg, &dm_->DMdata});
  if (!options.dispatch) return Outcome::Ready;

  const data::WindowFactory factory = data::WindowFactoryFor(config_->MenuOption);
  if (!factory) return Outcome::NoWindow;
  // Errors of the window's creation and show handlers go to the error reporter.
  try {
    window_ = factory();
  } catch (...) {
    data::HandleException(nullptr, std::current_exception());
  }
  if (!window_) return Outcome::NoWindow;
  window_->show();
  return window_ ? Outcome::WindowShown : Outcome::NoWindow;
}

int Main(int argc, char** argv, const TestSwitches& switches) {
  // 1. No argument at all: end at once, nothing shown.
  if (argc <= 1) return 0;
  // The arguments are taken before the application object exists: it removes the options it knows
  // ("-style", "-reverse", ...) from argv, which would move the later arguments to other positions.
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

  // The text machinery of the window is loaded on a thread of its own meanwhile.
  TextWarmUp warmUp;
  // 2. The application object; errors escaping event handlers are caught by its notify().
  TApplication app(argc, argv);
  warmUp.ApplicationReady();
  app.setApplicationName(QStringLiteral("consolidate"));
  if (switches.afterApplication) switches.afterApplication();

  int code = 0;
  {
    Startup startup(arguments);
    StartOptions options;
    options.beforeText = [&warmUp] { warmUp.WaitForWordBreaks(); };
    const Outcome outcome = startup.Run(options);
    code = startup.ExitCode();
    // Start-up timing (bench/startup_bench.cpp): say when the window is on screen (or the dispatch
    // found none) and end there.
    const bool timing = switches.quitWhenShown;
    // Closing timing: the window is closed as a user closes it once shown, and the program says
    // when it is gone; the time from there to the end of the process is what the menu waits for.
    const bool closing = switches.closeWhenShown;
    if (outcome == Outcome::WindowShown && startup.Window()) {
      QObject::connect(startup.Window(), &QObject::destroyed, &app, &QCoreApplication::quit);
      if (closing) {
        QPointer<QWidget> window = startup.Window();
        QTimer::singleShot(0, &app, [window] {
          std::fputs("shown\n", stdout);
          std::fflush(stdout);
          if (window && window->close()) {
            std::fputs("closed\n", stdout);
            std::fflush(stdout);
          }
        });
      } else if (timing)
        QTimer::singleShot(0, &app, [] {
          std::fputs("shown\n", stdout);
          std::fflush(stdout);
          QCoreApplication::exit(0);
        });
      app.exec();
      code = 0;
    } else if (timing) {
      std::fputs(outcome == Outcome::NoWindow ? "dispatch\n" : "ended\n", stdout);
      std::fflush(stdout);
    }
  }
  // The thread holds fonts of its own: it ends while the application object exists.
  warmUp.Finish();
  // 12. The data modules are gone with the start-up object; both connections are closed.
  // Requests the web import left running (never awaited) do not hold the process: the menu that
  // started it waits for its end.
  if (net::AbandonedRequestsUnderWay()) {
    std::fflush(nullptr);
    std::_Exit(code);
  }
  return code;
}

}  // namespace launch
