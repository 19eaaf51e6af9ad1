#include "splash.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "jpeg_image.h"

// The resources of a static library are registered by hand: nothing else refers to them.
static void initLaunchResources() { Q_INIT_RESOURCE(launch); }

namespace launch {
QByteArray LogoJpeg() {
  static const bool registered = (initLaunchResources(), true);
  Q_UNUSED(registered);
  QFile f(QStringLiteral(":/launch/logo.jpg"));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace launch

TFormLogo::TFormLogo(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), picture_(launch::DecodeJpeg(launch::LogoJpeg())) {
  setObjectName(QStringLiteral("TFormLogo"));
  setFixedSize(301, 166);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0, 0, 255));
  setPalette(pal);
  setCursor(Qt::PointingHandCursor);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect desk = screen->geometry();
    move(desk.x() + (desk.width() - width()) / 2, desk.y() + (desk.height() - height()) / 2);
  }
}

void TFormLogo::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (picture_.isNull()) return;  // the blue background alone
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(rect(), picture_);
}
