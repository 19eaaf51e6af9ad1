// Hint balloons: the hints (tool tips) of a window's controls shown as rounded balloons with a
// pointer, instead of the plain tool tip. Colours are the system's tool-tip colours; the text is
// centred in an 11-pixel font; the balloon is slightly transparent.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QTimer;

namespace widgets {

class Balloon;

class HintBalloon : public QObject {
  Q_OBJECT
 public:
  explicit HintBalloon(QWidget* window);
  ~HintBalloon() override;

  int transparencyPercent = 20;
  int hideAfterMs = 5000;

  // The balloon on screen (null when none has been shown yet).
  QWidget* balloon() const;
  bool isShowing() const;
  QString text() const;
  // Shows the hint of a control at a global position (what hovering does).
  void showHint(QWidget* control, const QPoint& globalPos);
  void hideHint();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  Balloon* balloon_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace widgets
