// The start-up of the program: arguments, splash window, the two data modules, company and rights,
// schema upgrade and version check, then the one working window chosen by the menu option.
//
//   consolidate MENU_ID USER_ID DATABASE (unused) MENU_OPTION WORK_DATE
//
// Main() is the whole program. Startup runs the steps that follow the creation of the application
// object on an application that already exists, so that tests can drive them in-process.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class TDM;
class TDMConfig;
class TFormLogo;

namespace launch {

enum class Outcome {
  Failed,           // a conversion or connection error before the event loop: exit code 1
  CompanyNotFound,  // no company owns the database: exit code 0
  Refused,          // outdated program or no access right: exit code 0
  Ready,            // stopped before the dispatch as asked (StartOptions::dispatch = false)
  NoWindow,         // the menu option names no window: exit code 0 without a message
  WindowShown,      // the working window is shown: run the event loop
};

struct StartOptions {
  bool showSplash = true;  // create and show the splash window
  bool dispatch = true;    // create and show the working window of the menu option
  // Runs once the splash window is painted, before the first text may be laid out (launch::Main
  // waits there for the text warm-up's word-break dictionary, text_warm_up.h).
  std::function<void()> beforeText;
};

class Startup {
 public:
  // arguments: the command-line arguments without the program name.
  explicit Startup(QStringList arguments);
  // Destroys the working window and then the data modules (closing both connections).
  ~Startup();
  Startup(const Startup&) = delete;
  Startup& operator=(const Startup&) = delete;

  // Steps 3 to 11 of the start-up. Every failure is contained: a conversion or connection error is
  // shown in an error box (its text in FailureText()) and gives Outcome::Failed.
  Outcome Run(const StartOptions& options = {});

  int ExitCode() const;  // the exit code the outcome asks for (0 after WindowShown)
  Outcome outcome() const { return outcome_; }
  QString FailureText() const { return failure_; }
  QWidget* Window() const { return window_.data(); }
  TFormLogo* Splash() const;
  TDM* dm() const { return dm_.get(); }
  TDMConfig* config() const { return config_.get(); }

  // The program's name and version as registered in the company database.
  static constexpr const char* kProgramExe = "CONSOLIDATE.EXE";
  static constexpr int kProgramVersion = 3;

 private:
  Outcome runSteps(const StartOptions& options);
  QStringList args_;
  QString arg(int position) const;  // 1-based; empty when missing
  std::unique_ptr<TDM> dm_;
  std::unique_ptr<TDMConfig> config_;
  QPointer<QWidget> splash_;
  QPointer<QWidget> window_;
  Outcome outcome_ = Outcome::Failed;
  QString failure_;
};

// What the program built for the tests adds (main.cpp, docs/launch.md); the shipped program has none.
struct TestSwitches {
  std::function<void()> afterApplication;  // runs once the application object exists
  bool quitWhenShown = false;              // end as soon as the window is on screen, saying "shown"
  bool closeWhenShown = false;             // close the window once shown, saying "shown" and "closed"
};

// The whole program: steps 1 to 12. Returns the process's exit code.
int Main(int argc, char** argv, const TestSwitches& switches = {});

// "No User Right Access !" followed directly by the menu option.
QString RefusalMessage(int menuOption);
// The warning shown before the window opens when an embedded site's folder lies on a network file
// system (NFS, SMB/CIFS), where SQLite's locks are unreliable: what the embedded site supports
// (several windows on one computer) and SQL Server for several computers.
QString NetworkSiteWarning(const QString& folder, const QString& fileSystem);

}  // namespace launch
