#include "key_preview.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <algorithm>
#include <vector>

namespace widgets {

namespace {
// The key press whose control key-down handler the preview has already run.
const QEvent* g_dispatched = nullptr;

// One application event filter serves every key preview. Qt walks its list of application filters
// by position, and a filter installed while a key press is on its way (a handler opening a dialog
// with a key preview of its own) is put first: with one filter per preview, the list moved under the
// walk and the window's preview saw the same key press a second time.
std::vector<QPointer<KeyPreview>>& previews() {
  static std::vector<QPointer<KeyPreview>> list;
  return list;
}

class Hub : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride) return false;
    if (!watched->isWidgetType()) return false;
    // The walk is over a copy: a handler may open or close windows.
    const std::vector<QPointer<KeyPreview>> now = previews();
    for (const QPointer<KeyPreview>& p : now) {
      if (p && p->handle(watched, event)) return true;
    }
    return false;
  }
};

void ensureHub() {
  static QPointer<Hub> hub;
  if (hub) return;
  hub = new Hub(qApp);
  qApp->installEventFilter(hub);
}
}  // namespace

QChar typedChar(const QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return QChar('\r');
  if (e->key() == Qt::Key_Escape) return QChar(0x1b);
  const QString t = e->text();
  return t.size() == 1 ? t.at(0) : QChar();
}

bool KeyDownSource::runOwnKeyDown(QObject* self, QKeyEvent* e) {
  if (KeyPreview::alreadyDispatched(e)) {
    g_dispatched = nullptr;
    return true;
  }
  if (!OnKeyDown) return true;
  int key = e->key();
  OnKeyDown(self, key, e->modifiers());
  return key != 0;
}

KeyPreview::KeyPreview(QWidget* window) : QObject(window), window_(window) {
  ensureHub();
  previews().push_back(this);
}

KeyPreview::~KeyPreview() {
  if (g_dispatched == lastHandled_) g_dispatched = nullptr;
  auto& list = previews();
  list.erase(std::remove_if(list.begin(), list.end(), [this](const QPointer<KeyPreview>& p) { return !p || p == this; }),
             list.end());
}

bool KeyPreview::alreadyDispatched(const QEvent* e) { return e && e == g_dispatched; }

// A key press travels from the control it was sent to up through the control's parents while they
// ignore it; the preview handles it once, at the first of these deliveries.
bool KeyPreview::firstDelivery(QWidget* w, QEvent* e) {
  if (e == lastHandled_ && lastReceiver_ && w != lastReceiver_ && w->isAncestorOf(lastReceiver_)) return false;
  lastHandled_ = e;
  lastReceiver_ = w;
  return true;
}

bool KeyPreview::handle(QObject* watched, QEvent* event) {
  // The hub hands on key presses, releases and shortcut overrides of widgets only.
  const QEvent::Type type = event->type();
  if (!window_) return false;
  auto* w = static_cast<QWidget*>(watched);
  if (w->window() != window_) return false;
  auto* ke = static_cast<QKeyEvent*>(event);

  if (type == QEvent::KeyRelease) {
    lastHandled_ = nullptr;
    return false;
  }

  if (type == QEvent::ShortcutOverride) {
    // The window's enabled actions come before a control's own use of the key.
    const QKeySequence seq(ke->keyCombination());
    for (QAction* a : window_->actions()) {
      if (!a->isEnabled()) continue;
      for (const QKeySequence& s : a->shortcuts()) {
        if (s.matches(seq) == QKeySequence::ExactMatch) {
          event->ignore();
          return true;
        }
      }
    }
    return false;
  }

  if (!firstDelivery(w, event)) return false;
  QPointer<QWidget> receiver(w);

  int key = ke->key();
  if (enabled && KeyDown) {
    KeyDown(w, key, ke->modifiers());
    if (key == 0) return true;
  }
  if (!receiver) return true;
  if (auto* src = dynamic_cast<KeyDownSource*>(w); src && src->OnKeyDown) {
    src->OnKeyDown(w, key, ke->modifiers());
    if (key == 0 || !receiver) return true;
  }
  QChar ch = typedChar(ke);
  if (enabled && KeyPress && !ch.isNull()) {
    KeyPress(w, ch);
    if (ch.isNull()) return true;
  }
  if (!receiver) return true;
  g_dispatched = event;
  return false;
}

}  // namespace widgets
