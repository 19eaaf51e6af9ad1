// Key preview: a window sees every key pressed in any of its controls before the control does.
//
// For each key press in the window, in this order:
//   1. the window's KeyDown handler (key code and modifiers; setting the key to 0 swallows it);
//   2. the control's own key-down handler, when the control has one (see KeyDownSource) — it runs
//      after the window's handler, so it may find the focus already moved on;
//   3. the window's KeyPress handler with the typed character (Enter is '\r', Escape 0x1b; setting
//      the character to null swallows the key);
//   4. the control's ordinary handling.
// An enabled action of the window whose shortcut matches the key wins over a control that would
// take the key itself (Ctrl+X in an edit runs the action rather than cutting text).
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class QKeyEvent;

namespace widgets {

using KeyDownHandler = std::function<void(QObject* sender, int& key, Qt::KeyboardModifiers shift)>;
using KeyPressHandler = std::function<void(QObject* sender, QChar& key)>;

// A control with a key-down handler of its own (the edits of this library).
class KeyDownSource {
 public:
  virtual ~KeyDownSource() = default;
  KeyDownHandler OnKeyDown;

 protected:
  // For the control's keyPressEvent: runs OnKeyDown unless the window's key preview already did for
  // this event. Returns false when the key was swallowed.
  bool runOwnKeyDown(QObject* self, QKeyEvent* e);
};

class KeyPreview : public QObject {
 public:
  explicit KeyPreview(QWidget* window);
  ~KeyPreview() override;

  bool enabled = true;  // the window's key preview switch
  KeyDownHandler KeyDown;
  KeyPressHandler KeyPress;

  // True when the last key event handed to a control already ran its key-down handler.
  static bool alreadyDispatched(const QEvent* e);

  // One event as the application filter all previews share hands it on; true when it is swallowed.
  bool handle(QObject* watched, QEvent* event);

 private:
  bool firstDelivery(QWidget* w, QEvent* e);
  QPointer<QWidget> window_;
  const QEvent* lastHandled_ = nullptr;
  QPointer<QWidget> lastReceiver_;
};

// The character a key event types ('\r' for Enter and Return), or a null character.
QChar typedChar(const QKeyEvent* e);

}  // namespace widgets
