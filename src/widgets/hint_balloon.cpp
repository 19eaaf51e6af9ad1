#include "hint_balloon.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

namespace widgets {

class Balloon : public QWidget {
 public:
  Balloon() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
  }
  QString text;

  void setText(const QString& t) {
    text = t;
    const QRect r = fontMetrics().boundingRect(QRect(0, 0, 400, 1000), Qt::AlignCenter | Qt::TextWordWrap, text);
    resize(r.width() + 2 * kPad, r.height() + 2 * kPad + kTail);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0.5, kTail + 0.5, width() - 1.0, height() - kTail - 1.0);
    QPainterPath path;
    path.addRoundedRect(body, 6, 6);
    QPainterPath tail;
    tail.moveTo(12, kTail + 1);
    tail.lineTo(16, 0.5);
    tail.lineTo(24, kTail + 1);
    tail.closeSubpath();
    path = path.united(tail);
    p.setPen(palette().color(QPalette::ToolTipText));
    p.setBrush(palette().color(QPalette::ToolTipBase));
    p.drawPath(path);
    p.drawText(body.toRect().adjusted(kPad, kPad, -kPad, -kPad), Qt::AlignCenter | Qt::TextWordWrap, text);
  }

 private:
  static constexpr int kPad = 6;
  static constexpr int kTail = 8;
};

HintBalloon::HintBalloon(QWidget* window) : QObject(window), window_(window) {
  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &HintBalloon::hideHint);
  qApp->installEventFilter(this);
}

HintBalloon::~HintBalloon() { delete balloon_; }

QWidget* HintBalloon::balloon() const { return balloon_; }
bool HintBalloon::isShowing() const { return balloon_ && balloon_->isVisible(); }
QString HintBalloon::text() const { return balloon_ ? balloon_->text : QString(); }

void HintBalloon::showHint(QWidget* control, const QPoint& globalPos) {
  // The nearest control (the control itself or a parent inside the window) with a hint.
  QString hint;
  for (QWidget* w = control; w; w = w->parentWidget()) {
    hint = w->toolTip();
    if (!hint.isEmpty() || w == window_) break;
  }
  if (hint.isEmpty()) {
    hideHint();
    return;
  }
  if (!balloon_) balloon_ = new Balloon;
  balloon_->setWindowOpacity(1.0 - transparencyPercent / 100.0);
  balloon_->setText(hint);
  QPoint pos = globalPos + QPoint(-16, 18);
  if (QScreen* s = QGuiApplication::screenAt(globalPos)) {
    const QRect avail = s->availableGeometry();
    pos.setX(qBound(avail.left(), pos.x(), avail.right() - balloon_->width()));
    pos.setY(qBound(avail.top(), pos.y(), avail.bottom() - balloon_->height()));
  }
  balloon_->move(pos);
  balloon_->show();
  timer_->start(hideAfterMs);
}

void HintBalloon::hideHint() {
  timer_->stop();
  if (balloon_) balloon_->hide();
}

bool HintBalloon::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType() || !window_) return false;
  auto* w = static_cast<QWidget*>(watched);
  if (w->window() != window_) return false;
  switch (event->type()) {
    case QEvent::ToolTip:
      showHint(w, static_cast<QHelpEvent*>(event)->globalPos());
      return true;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
      if (isShowing()) hideHint();
      return false;
    default:
      return false;
  }
}

}  // namespace widgets
