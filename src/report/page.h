// Prepared pages: a display list of primitive draw objects in millimetres, painted the same way
// on the preview, the printer, PDF and images.
#pragma once

#include "report/template.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <QVector>

class QPainter;

namespace report {

struct Primitive {
  enum class Type { Text, Line, Rect, Image };
  Type type = Type::Text;
  // Text: one laid-out line; origin is the left end of its baseline.
  QString text;
  QPointF origin;
  FontSpec font;
  QRectF box;     // Text: the line's box (find, text export); Rect, Image: the area
  QRectF clip;    // Text: the object's area when the line may overflow it; empty: none
  int cell = -1;  // Text: lines of one object share a cell number on the page
  QLineF line;
  double penWidth = 0;  // mm; 0: no outline
  QColor color = Qt::black;  // text, line and outline colour
  QColor fill;               // Rect: invalid: no fill
  QImage image;
};

struct PreparedPage {
  QVector<Primitive> items;
};

// A text object that did not hold its text as prepared: lines left out below it (no room and no
// `stretch`), or glyphs cut at its edges (a line too wide without word wrap, or marks reaching out of
// a low object); or a band that grew taller than the room of a page (object and value empty). Each
// is listed once, on the first page it happened.
struct Overflow {
  enum class Kind { LinesLeftOut, GlyphsCut, PastPageEnd };
  Kind kind = Kind::LinesLeftOut;
  QString form;    // the template's file name
  QString band;
  QString object;
  QString value;   // the object's whole text
  int page = 0;    // 1-based

  // "Form_IV_A.frf: band 'Header', object 'CusName', page 1: lines left out of 'ห้าง...'"
  QString describe() const;
};

struct PreparedReport {
  PageSetup page;
  QVector<PreparedPage> pages;
  QVector<Overflow> overflows;
};

// Text is laid out and drawn with fonts sized for this resolution, so that line breaks do not
// depend on the device.
constexpr double kLayoutDpi = 1200.0;
constexpr double kLayoutUnitsPerMm = kLayoutDpi / 25.4;

QFont layoutFont(const FontSpec& f);

struct LaidOutLine {
  QString text;
  double x = 0;         // mm from the left of the box, after alignment
  double baseline = 0;  // mm from the top of the first line
  double width = 0;     // mm
  double height = 0;    // mm
  // The ink of the line's glyphs (underline included), in mm from the left end of its baseline;
  // empty for a line without ink.
  QRectF ink;
};

// Breaks a text into lines of at most widthMm (at word boundaries, Thai included; a word longer
// than a line is broken anywhere) and aligns them. Explicit line breaks are kept.
QVector<LaidOutLine> layoutText(const QString& text, const FontSpec& font, double widthMm, HAlign align, bool wrap);
double lineHeightMm(const FontSpec& font);

// Paints a page with the painter's current transform taken as device pixels of a device with
// dotsPerMm pixels per millimetre (the page's top left corner at the origin).
void paintPage(QPainter& painter, const PreparedPage& page, double dotsPerMm);

}  // namespace report
