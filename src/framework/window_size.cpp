#include "window_size.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include "config_module.h"

namespace framework {

namespace {

QSettings& settings() {
  static QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("consolidate"), QStringLiteral("windows"));
  return s;
}

QString sizeKey(const QString& key) { return SettingsUserGroup() + QLatin1Char('/') + key + QStringLiteral("/size"); }
// The width the window's contents asked for when the size was written.
QString neededKey(const QString& key) { return SettingsUserGroup() + QLatin1Char('/') + key + QStringLiteral("/needed"); }

// Writes the window's size whenever it is hidden (closing hides it), unless it is minimised or
// maximised: those are no sizes a user chose. The width its contents asked for goes with it.
class SizeKeeper : public QObject {
 public:
  SizeKeeper(QWidget* window, QString key) : QObject(window), window_(window), key_(std::move(key)) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Hide && window_ &&
        !(window_->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
      settings().setValue(sizeKey(key_), window_->size());
      settings().setValue(neededKey(key_), window_->property("consolidateNeededWidth").toInt());
      settings().sync();
    }
    return false;
  }

 private:
  QPointer<QWidget> window_;
  QString key_;
};

}  // namespace

QString SettingsUserGroup() { return QStringLiteral("user%1").arg(DMConfig ? DMConfig->UserId : 0); }

QSize RememberedSize(const QString& key) { return settings().value(sizeKey(key)).toSize(); }

void FitWindow(QWidget* window, QSize design, const QString& key) {
  const QString name = key.isEmpty() ? QString::fromLatin1(window->metaObject()->className()) : key;
  const QSize hint = window->sizeHint();
  QSize want = design.expandedTo(hint);
  const QSize remembered = RememberedSize(name);
  if (remembered.isValid()) {
    want = remembered.expandedTo(design);
    // A size written when the contents asked for less (an older version, fewer or narrower
    // columns) no longer fits them: it grows to the width they need now. A size the user chose
    // narrower than the same contents stays as chosen.
    const int neededThen = settings().value(neededKey(name), 0).toInt();
    if (want.width() < hint.width() && neededThen < hint.width()) want.setWidth(hint.width());
  }

  // The title bar and borders come on top of the size; before the first show they are not known.
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (screen) {
    QSize frame = window->frameGeometry().size() - window->geometry().size();
    if (!window->isVisible() || frame.isEmpty()) frame = QSize(8, 34);
    want = want.boundedTo(screen->availableGeometry().size() - frame);
  }
  window->resize(want.expandedTo(window->minimumSize()));

  window->setProperty("consolidateNeededWidth", hint.width());
  if (!window->property("consolidateSizeKept").toBool()) {
    window->setProperty("consolidateSizeKept", true);
    new SizeKeeper(window, name);
  }
}

}  // namespace framework
