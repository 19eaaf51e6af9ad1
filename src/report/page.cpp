#include "report/page.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QHash>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>

namespace report {

namespace {

QString fontKey(const FontSpec& f) {
  return f.family + QLatin1Char('|') + QString::number(f.size) + QLatin1Char('|') + QLatin1Char(f.bold ? 'b' : '-') +
         QLatin1Char(f.italic ? 'i' : '-') + QLatin1Char(f.underline ? 'u' : '-');
}

QFont makeLayoutFont(const FontSpec& f) {
  QFont font(f.family);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(f.size * kLayoutDpi / 72.0))));
  font.setBold(f.bold);
  font.setItalic(f.italic);
  font.setUnderline(f.underline);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(true);
  return font;
}

}  // namespace

QFont layoutFont(const FontSpec& f) {
  // Kept for the whole process (never destroyed: fonts must not outlive the application object).
  // The last font asked for is asked for again most of the time: it is compared field by field
  // before the key is built.
  static auto* cache = new QHash<QString, QFont>;
  static FontSpec* last = new FontSpec;
  static QFont* lastFont = nullptr;
  if (lastFont && last->family == f.family && last->size == f.size && last->bold == f.bold && last->italic == f.italic &&
      last->underline == f.underline)
    return *lastFont;
  const QString key = fontKey(f);
  auto it = cache->constFind(key);
  if (it == cache->constEnd()) {
    if (cache->size() > 256) cache->clear();
    it = cache->insert(key, makeLayoutFont(f));
  }
  *last = f;
  if (!lastFont) lastFont = new QFont;
  *lastFont = it.value();
  return *lastFont;
}

QString Overflow::describe() const {
  if (kind == Kind::PastPageEnd)
    return QStringLiteral("%1: band '%2', page %3: the band is taller than the room of a page").arg(form, band).arg(page);
  return QStringLiteral("%1: band '%2', object '%3', page %4: %5 '%6'")
      .arg(form, band, object)
      .arg(page)
      .arg(kind == Kind::LinesLeftOut ? QStringLiteral("lines left out of") : QStringLiteral("glyphs cut of"), value);
}

double lineHeightMm(const FontSpec& font) {
  return QFontMetricsF(layoutFont(font)).lineSpacing() / kLayoutUnitsPerMm;
}

namespace {

QVector<LaidOutLine> layoutTextUncached(const QString& input, const FontSpec& fontSpec, double widthMm, HAlign align, bool wrap) {
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
  // The glyphs' outlines as placed on each line (Thai marks moved up or down included): what a clip
  // at the object's edges could cut.
  for (int i = 0; i < layout.lineCount() && i < out.size(); ++i) {
    const QTextLine line = layout.lineAt(i);
    QRectF glyphInk;
    for (const QGlyphRun& run : line.glyphRuns()) {
      const QRawFont raw = run.rawFont();
      const QList<quint32> glyphs = run.glyphIndexes();
      const QList<QPointF> positions = run.positions();
      for (qsizetype g = 0; g < glyphs.size() && g < positions.size(); ++g) {
        const QRectF r = raw.boundingRect(glyphs[g]);
        if (!r.isEmpty()) glyphInk |= r.translated(positions[g]);
      }
    }
    if (glyphInk.isEmpty()) continue;
    const QPointF lineOrigin(line.x(), line.y() + line.ascent());
    if (font.underline()) glyphInk.setBottom(std::max(glyphInk.bottom(), lineOrigin.y() + line.descent()));
    out[i].ink = QRectF(glyphInk.translated(-lineOrigin).topLeft() / kLayoutUnitsPerMm, glyphInk.size() / kLayoutUnitsPerMm);
  }
  return out;
}

}  // namespace

namespace {

// What a laid-out text depends on; compared field by field, without building a text of them.
struct LayoutKey {
  QString text;
  QString family;
  double size = 0;
  double width = 0;
  int flags = 0;  // bold, italic, underline, wrap, and the alignment above them

  bool operator==(const LayoutKey& o) const {
    return size == o.size && width == o.width && flags == o.flags && text == o.text && family == o.family;
  }
};

size_t qHash(const LayoutKey& k, size_t seed = 0) {
  return qHashMulti(seed, k.text, k.family, k.size, k.width, k.flags);
}

}  // namespace

QVector<LaidOutLine> layoutText(const QString& input, const FontSpec& fontSpec, double widthMm, HAlign align, bool wrap) {
  // Reports repeat the same texts (titles, codes, amounts): each is laid out once. The cache holds
  // at most 20,000 texts and 4 million characters of them, however long the texts are.
  static auto* cache = new QHash<LayoutKey, QVector<LaidOutLine>>;
  static qsizetype cachedChars = 0;
  constexpr qsizetype kMaxCachedChars = 4'000'000;
  LayoutKey key{input, fontSpec.family, fontSpec.size, widthMm,
                (fontSpec.bold ? 1 : 0) | (fontSpec.italic ? 2 : 0) | (fontSpec.underline ? 4 : 0) | (wrap ? 8 : 0) |
                    (static_cast<int>(align) << 4)};
  auto it = cache->constFind(key);
  if (it != cache->constEnd()) return it.value();
  const qsizetype chars = input.size() + fontSpec.family.size();
  if (chars > kMaxCachedChars / 100) return layoutTextUncached(input, fontSpec, widthMm, align, wrap);
  if (cache->size() > 20000 || cachedChars + chars > kMaxCachedChars) {
    cache->clear();
    cachedChars = 0;
  }
  cachedChars += chars;
  return cache->insert(std::move(key), layoutTextUncached(input, fontSpec, widthMm, align, wrap)).value();
}

void paintPage(QPainter& painter, const PreparedPage& page, double dotsPerMm) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  // Shapes are drawn in millimetres, texts in layout units (on a 1200 dpi device: device pixels).
  const QTransform base = painter.transform();
  QTransform mm = base;
  mm.scale(dotsPerMm, dotsPerMm);
  QTransform units = base;
  units.scale(dotsPerMm / kLayoutUnitsPerMm, dotsPerMm / kLayoutUnitsPerMm);
  enum class Space { None, Mm, Units } space = Space::None;
  const auto use = [&](Space wanted) {
    if (space == wanted) return;
    painter.setTransform(wanted == Space::Mm ? mm : units);
    space = wanted;
  };
  const FontSpec* currentFont = nullptr;
  QColor currentColor;
  for (const Primitive& p : page.items) {
    switch (p.type) {
      case Primitive::Type::Rect: {
        use(Space::Mm);
        if (p.fill.isValid()) painter.fillRect(p.box, p.fill);
        if (p.penWidth > 0) {
          QPen pen(p.color, p.penWidth);
          pen.setJoinStyle(Qt::MiterJoin);
          painter.setPen(pen);
          painter.setBrush(Qt::NoBrush);
          currentColor = QColor();
          painter.drawRect(p.box);
        }
        break;
      }
      case Primitive::Type::Line: {
        use(Space::Mm);
        QPen pen(p.color, std::max(p.penWidth, 0.05));
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        currentColor = QColor();
        painter.drawLine(p.line);
        break;
      }
      case Primitive::Type::Image: {
        use(Space::Mm);
        painter.drawImage(p.box, p.image);
        break;
      }
      case Primitive::Type::Text: {
        use(Space::Units);
        const bool clipped = !p.clip.isEmpty();
        if (clipped) {
          painter.save();
          const QRectF c = p.clip;
          painter.setClipRect(QRectF(c.x() * kLayoutUnitsPerMm, c.y() * kLayoutUnitsPerMm, c.width() * kLayoutUnitsPerMm,
                                     c.height() * kLayoutUnitsPerMm), Qt::IntersectClip);
        }
        const bool sameFont = currentFont && currentFont->family == p.font.family && currentFont->size == p.font.size &&
                              currentFont->bold == p.font.bold && currentFont->italic == p.font.italic &&
                              currentFont->underline == p.font.underline;
        if (!sameFont) painter.setFont(layoutFont(p.font));
        if (p.color != currentColor || !sameFont) painter.setPen(p.color);
        currentFont = &p.font;
        currentColor = p.color;
        painter.drawText(QPointF(p.origin.x() * kLayoutUnitsPerMm, p.origin.y() * kLayoutUnitsPerMm), p.text);
        if (clipped) {
          painter.restore();  // the font and pen of before the clip come back
          space = Space::Units;
          currentFont = nullptr;
        }
        break;
      }
    }
  }
  painter.restore();
}

}  // namespace report
