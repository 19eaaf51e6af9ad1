// Error reporting: one application-wide handler for every error that escapes an event handler.
// TApplication::notify catches it (exceptions never unwind through Qt) and hands it to the handler
// that the data module installs when it is created: the error is written to the configuration
// database's error log, explained in Thai from a fixed table of known messages, and shown in the red
// window TFrShowError, from which the user may mail it to the support mailbox.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QString>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

class QPlainTextEdit;
class QPushButton;
class QTimer;

// Thrown to cancel an operation without a message; the error handler ignores it.
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

namespace data {

// The text of an error as raised (db::Error's server message, std::exception::what() otherwise).
QString ErrorMessageOf(const std::exception_ptr& error);
// The Thai explanation of an error text: the first row of the table of known messages whose words
// occur in it (letters a to z compared without case), or empty.
QString ExplainError(const QString& message);
// Upper-cases the letters a to z only.
QString UpperAscii(const QString& text);
// explanation + CR + upper-cased message + CR: the text shown in the error window.
QString ComposeErrorText(const QString& message);

// The handler of errors that reach the event loop. Without one installed, notify() shows the error
// in a plain box. Passing an empty function removes it.
using ExceptionHandler = std::function<void(QObject* sender, std::exception_ptr error)>;
void SetExceptionHandler(ExceptionHandler handler);
bool HasExceptionHandler();
// Hands an error to the installed handler (or the plain box); never raises.
void HandleException(QObject* sender, std::exception_ptr error);

// The one wrapper of every connection a window makes: the handler runs at the slot boundary, and an
// error it raises goes to the error reporter instead of unwinding through Qt's signal code (which Qt
// does not support). EAbort ends the handler without a message. The handler takes the signal's
// arguments or none:
//   connect(BLoad, &QPushButton::clicked, this, data::Guarded(this, [this] { BLoadClick(BLoad); }));
//   DocNo->OnExit = data::Guarded(this, [this](QObject* s) { DocNoExit(s); });
namespace detail {
// Calls the handler with the signal's arguments when it takes them, else with none.
template <typename Handler, typename... Args>
void CallHandler(Handler& handler, Args&&... args) {
  if constexpr (std::is_invocable_v<Handler&, Args...>)
    handler(std::forward<Args>(args)...);
  else
    handler();
}
}  // namespace detail

template <typename Handler>
auto Guarded(QObject* owner, Handler handler) {
  return [owner, handler = std::move(handler)](auto&&... args) mutable {
    try {
      detail::CallHandler(handler, std::forward<decltype(args)>(args)...);
    } catch (const EAbort&) {
    } catch (...) {
      HandleException(owner, std::current_exception());
    }
  };
}

}  // namespace data

// The application object: catches every exception that escapes an event handler.
class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// The red error window.
class TFrShowError : public QDialog {
  Q_OBJECT
 public:
  explicit TFrShowError(QWidget* parent = nullptr);

  QString ErrorText;
  QPlainTextEdit* ErrorBox;
  QPushButton* BOk;      // "Send Error"
  QPushButton* BCancel;  // "Don't Send"
  QTimer* Timer1;

  // Countdown state shared by every instance (one error window is on screen at a time).
  static bool SendChosen;
  static int Countdown;

  void FormShow();
  void Timer1Timer();
  void BOkClick();
  void BCancelClick();

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

// The data module's handler: log, explain, show.
void ApplicationEvents1Exception(QObject* sender, std::exception_ptr error);
