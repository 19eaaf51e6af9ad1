#include "report/page.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>

namespace report {

QFont layoutFont(const FontSpec& f) {
  QFont font(f.family);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(f.size * kLayoutDpi / 72.0))));
  font.setBold(f.bold);
  font.setItalic(f.italic);
  font.setUnderline(f.underline);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(true);
  return font;
}

double lineHeightMm(const FontSpec& font) {
  return QFontMetricsF(layoutFont(font)).lineSpacing() / kLayoutUnitsPerMm;
}

QVector<LaidOutLine> layoutText(const QString& input, const FontSpec& fontSpec, double widthMm, HAlign align, bool wrap) {
  QVector<LaidOutLine> out;
  const QFont font = layoutFont(fontSpec);
  QString text = input;
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  text.replace(QLatin1Char('\t'), QLatin1Char(' '));
  const double widthPx = std::max(1.0, widthMm * kLayoutUnitsPerMm);
  QTextLayout layout(text, font);
  QTextOption opt;
  opt.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
  layout.setTextOption(opt);
  layout.setCacheEnabled(false);
  layout.beginLayout();
  double y = 0;
  for (;;) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(wrap ? widthPx : 1e9);
    QString lineText = text.mid(line.textStart(), line.textLength());
    while (!lineText.isEmpty() && (lineText.back().isSpace() || lineText.back() == QChar::LineSeparator)) lineText.chop(1);
    LaidOutLine l;
    l.text = lineText;
    // The width without trailing blanks, so that right and centred lines align on their ink.
    const double natural = line.naturalTextWidth();
    double ink = natural;
    if (lineText.size() != line.textLength()) {
      ink = line.cursorToX(line.textStart() + static_cast<int>(lineText.size())) - line.cursorToX(line.textStart());
    }
    l.width = ink / kLayoutUnitsPerMm;
    l.height = line.height() / kLayoutUnitsPerMm;
    l.baseline = (y + line.ascent()) / kLayoutUnitsPerMm;
    switch (align) {
      case HAlign::Left: l.x = 0; break;
      case HAlign::Center: l.x = (widthMm - l.width) / 2; break;
      case HAlign::Right: l.x = widthMm - l.width; break;
    }
    y += line.height();
    out.push_back(l);
  }
  layout.endLayout();
  return out;
}

void paintPage(QPainter& painter, const PreparedPage& page, double dotsPerMm) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.scale(dotsPerMm, dotsPerMm);  // one unit = one millimetre
  for (const Primitive& p : page.items) {
    switch (p.type) {
      case Primitive::Type::Rect: {
        if (p.fill.isValid()) painter.fillRect(p.box, p.fill);
        if (p.penWidth > 0) {
          QPen pen(p.color, p.penWidth);
          pen.setJoinStyle(Qt::MiterJoin);
          painter.setPen(pen);
          painter.setBrush(Qt::NoBrush);
          painter.drawRect(p.box);
        }
        break;
      }
      case Primitive::Type::Line: {
        QPen pen(p.color, std::max(p.penWidth, 0.05));
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(p.line);
        break;
      }
      case Primitive::Type::Image: {
        painter.drawImage(p.box, p.image);
        break;
      }
      case Primitive::Type::Text: {
        painter.save();
        if (!p.clip.isEmpty()) painter.setClipRect(p.clip, Qt::IntersectClip);
        painter.translate(p.origin);
        painter.scale(1.0 / kLayoutUnitsPerMm, 1.0 / kLayoutUnitsPerMm);
        painter.setFont(layoutFont(p.font));
        painter.setPen(p.color);
        painter.drawText(QPointF(0, 0), p.text);
        painter.restore();
        break;
      }
    }
  }
  painter.restore();
}

}  // namespace report
