#include "tool_images.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace framework {

namespace {

constexpr int kSize = 32;

QPixmap picture(const std::function<void(QPainter&)>& paint) {
  QPixmap pm(kSize, kSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  paint(p);
  p.end();
  return pm;
}

QIcon draw(const std::function<void(QPainter&)>& paint) { return QIcon(picture(paint)); }

// An image drawn the first time it is painted or asked for, and then exactly as draw() makes it:
// for the pictures that hold text, whose fonts cost more than the window's whole start-up needs
// when their button is hidden.
class DrawnWhenNeeded : public QIconEngine {
 public:
  explicit DrawnWhenNeeded(std::function<void(QPainter&)> paint) : paint_(std::move(paint)) {}

  QIconEngine* clone() const override { return new DrawnWhenNeeded(*this); }
  QString key() const override { return QStringLiteral("consolidate.drawn"); }
  bool isNull() override { return false; }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().actualSize(size, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return icon().pixmap(size, 1.0, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    // size is in device pixels; the icon takes the size in logical pixels and the ratio.
    return icon().pixmap(scale > 0 ? size / scale : size, scale > 0 ? scale : 1.0, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return icon().availableSizes(mode, state);
  }

 private:
  const QIcon& icon() {
    if (icon_.isNull()) icon_ = draw(paint_);
    return icon_;
  }
  std::function<void(QPainter&)> paint_;
  QIcon icon_;
};

// A sheet of paper with a folded corner.
void page(QPainter& p, const QRectF& r, const QColor& fill) {
  QPainterPath path;
  const qreal fold = r.width() * 0.3;
  path.moveTo(r.topLeft());
  path.lineTo(r.right() - fold, r.top());
  path.lineTo(r.right(), r.top() + fold);
  path.lineTo(r.bottomRight());
  path.lineTo(r.bottomLeft());
  path.closeSubpath();
  p.setPen(QPen(QColor(70, 70, 70), 1.5));
  p.setBrush(fill);
  p.drawPath(path);
  p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
  p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void cross(QPainter& p, const QRectF& r, const QColor& c, qreal width) {
  p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(r.topLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomLeft());
}

void tick(QPainter& p, const QRectF& r, const QColor& c, qreal width) {
  p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath path;
  path.moveTo(r.left(), r.center().y());
  path.lineTo(r.left() + r.width() * 0.38, r.bottom());
  path.lineTo(r.right(), r.top());
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void magnifier(QPainter& p, const QRectF& r) {
  const qreal d = r.width() * 0.62;
  p.setPen(QPen(QColor(40, 40, 40), r.width() / 10));
  p.setBrush(QColor(200, 230, 255));
  p.drawEllipse(QRectF(r.left(), r.top(), d, d));
  p.setPen(QPen(QColor(120, 70, 20), r.width() / 7, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(r.left() + d * 0.9, r.top() + d * 0.9), r.bottomRight());
}

}  // namespace

QVector<QIcon> ToolImages() {
  QVector<QIcon> images;
  // 0 New: a blank page with a star.
  images << draw([](QPainter& p) {
    page(p, QRectF(6, 3, 20, 26), Qt::white);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 0));
    QPainterPath star;
    const QPointF c(22, 8);
    for (int i = 0; i < 10; ++i) {
      const qreal rad = (i % 2 ? 2.5 : 6.0);
      const qreal a = -M_PI / 2 + i * M_PI / 5;
      const QPointF pt(c.x() + rad * std::cos(a), c.y() + rad * std::sin(a));
      i == 0 ? star.moveTo(pt) : star.lineTo(pt);
    }
    star.closeSubpath();
    p.drawPath(star);
  });
  // 1 Delete: a page with a red cross.
  images << draw([](QPainter& p) {
    page(p, QRectF(5, 3, 18, 24), Qt::white);
    cross(p, QRectF(14, 14, 14, 14), QColor(200, 0, 0), 4);
  });
  // 2 Save: a diskette.
  images << draw([](QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 90), 1.5));
    p.setBrush(QColor(50, 90, 170));
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 4, 16, 9));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(9, 18, 14, 10));
    p.setBrush(QColor(20, 40, 90));
    p.drawRect(QRectF(19, 6, 3, 5));
  });
  // 3 Exit: a door with an arrow leaving it.
  images << draw([](QPainter& p) {
    p.setPen(QPen(QColor(90, 50, 20), 1.5));
    p.setBrush(QColor(170, 110, 60));
    p.drawRect(QRectF(5, 3, 14, 26));
    p.setBrush(QColor(255, 220, 0));
    p.drawEllipse(QRectF(15, 15, 3, 3));
    p.setPen(QPen(QColor(0, 130, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(16, 10), QPointF(29, 10));
    p.drawLine(QPointF(24, 5), QPointF(29, 10));
    p.drawLine(QPointF(24, 15), QPointF(29, 10));
  });
  // 4 History: a clock.
  images << draw([](QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(255, 250, 220));
    p.drawEllipse(QRectF(4, 4, 24, 24));
    p.setPen(QPen(QColor(40, 40, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(16, 8));
    p.drawLine(QPointF(16, 16), QPointF(22, 19));
  });
  // 5 Copy: two pages.
  images << draw([](QPainter& p) {
    page(p, QRectF(4, 2, 16, 21), QColor(235, 235, 235));
    page(p, QRectF(12, 9, 16, 21), Qt::white);
  });
  // 6 Print: a printer with a sheet.
  images << draw([](QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 10));
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 19, 14, 10));
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.drawLine(QPointF(11, 23), QPointF(21, 23));
    p.drawLine(QPointF(11, 26), QPointF(21, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 180, 0));
    p.drawEllipse(QRectF(24, 15, 3, 3));
  });
  // 7 Change code: a pencil over a code tag. Its text loads a font: drawn when first needed.
  images << QIcon(new DrawnWhenNeeded([](QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(255, 255, 200));
    p.drawRoundedRect(QRectF(2, 14, 22, 12), 2, 2);
    QFont f;
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(2, 14, 22, 12), Qt::AlignCenter, QStringLiteral("AB"));
    p.setPen(QPen(QColor(200, 120, 0), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 12), QPointF(27, 3));
    p.setPen(QPen(QColor(40, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 14), QPointF(14, 12));
  }));
  return images;
}

QIcon GlyphIcon(Glyph g) {
  switch (g) {
    case Glyph::Search:
      return draw([](QPainter& p) { magnifier(p, QRectF(4, 4, 24, 24)); });
    case Glyph::Ok:
      return draw([](QPainter& p) { tick(p, QRectF(5, 8, 22, 16), QColor(0, 140, 0), 4); });
    case Glyph::Cancel:
      return draw([](QPainter& p) { cross(p, QRectF(8, 8, 16, 16), QColor(200, 0, 0), 4); });
  }
  return QIcon();
}

}  // namespace framework
