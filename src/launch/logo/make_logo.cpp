// Draws the splash picture of the program (301 x 166) and writes it as a JPEG through libjpeg:
//   consolidate-make-logo OUT.jpg
// The picture kept in src/launch/logo/logo.jpg was made with this program.
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "jpeg_image.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QImage img(301, 166, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 166);
  sky.setColorAt(0, QColor(0, 40, 200));
  sky.setColorAt(1, QColor(0, 0, 120));
  p.fillRect(img.rect(), sky);

  // A loaded truck on a road.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(230, 230, 235));
  p.drawRect(0, 128, 301, 6);
  p.setBrush(QColor(255, 200, 0));
  p.drawRoundedRect(QRectF(28, 74, 110, 48), 4, 4);                      // box
  p.setBrush(QColor(180, 40, 40));
  QPainterPath cab;
  cab.moveTo(140, 122);
  cab.lineTo(140, 88);
  cab.lineTo(166, 88);
  cab.lineTo(180, 104);
  cab.lineTo(180, 122);
  cab.closeSubpath();
  p.drawPath(cab);
  p.setBrush(QColor(170, 220, 255));
  p.drawRect(QRectF(147, 93, 16, 12));                                     // window
  p.setBrush(QColor(30, 30, 30));
  for (double x : {50.0, 112.0, 162.0}) p.drawEllipse(QPointF(x, 124), 9, 9);
  p.setBrush(QColor(200, 200, 200));
  for (double x : {50.0, 112.0, 162.0}) p.drawEllipse(QPointF(x, 124), 4, 4);
  p.setPen(QPen(QColor(140, 100, 0), 2));
  for (double x : {64.0, 100.0}) p.drawLine(QPointF(x, 78), QPointF(x, 118));

  p.setPen(Qt::white);
  QFont title(QStringLiteral("DejaVu Sans"), 20, QFont::Bold);
  p.setFont(title);
  p.drawText(QRect(0, 10, 301, 34), Qt::AlignCenter, QStringLiteral("CONSOLIDATE"));
  QFont thai(QStringLiteral("Loma"), 12);
  p.setFont(thai);
  p.drawText(QRect(0, 42, 301, 24), Qt::AlignCenter, QStringLiteral("รวมบิล จัดส่ง เก็บเงิน"));
  p.end();

  QFile out(QString::fromLocal8Bit(argv[1]));
  if (!out.open(QIODevice::WriteOnly)) return 1;
  out.write(launch::EncodeJpeg(img, 88));
  return 0;
}
