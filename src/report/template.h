// The report template: page set-up, datasets, report variables, an optional parameter dialog and
// bands of objects placed in millimetres. Files are JSON (docs/report-templates.md), whatever
// their extension (".frf", ".Frf").
#pragma once

#include "report/expression.h"

#include <QColor>
#include <QImage>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <stdexcept>

namespace report {

// A template that cannot be read. what() names the file, the place and the text at fault.
class TemplateError : public std::runtime_error {
 public:
  explicit TemplateError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

struct FontSpec {
  QString family = QStringLiteral("Garuda");
  double size = 10;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

enum class ObjectKind { Text, Line, Rectangle, Picture, Barcode, QrCode };
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Middle, Bottom };
enum class BarcodeType { Code128, Ean13, Qr };
enum class QrErrorCorrection { L = 1, M = 2, Q = 3, H = 4 };  // 7, 15, 25, 30 % of the symbol may be lost

struct ReportObject {
  ObjectKind kind = ObjectKind::Text;
  QString name;
  double x = 0, y = 0, width = 0, height = 0;  // mm, from the band's top left corner
  NodePtr visible;                             // optional condition
  QString visibleText;
  // text, barcode and QR code
  QString text;
  QVector<TextPart> parts;
  // text
  QString format;  // display format of embedded numbers (number format) or dates (date format)
  HAlign align = HAlign::Left;
  VAlign valign = VAlign::Top;
  FontSpec font;
  bool wordWrap = true;
  bool stretch = false;  // grows downwards to hold all its lines (and stretches its band)
  QColor color = Qt::black;
  QColor background;     // invalid: transparent
  bool border = false;
  // line, rectangle, text border
  double lineWidth = 0.2;  // mm
  QColor lineColor = Qt::black;
  QColor fill;             // rectangle; invalid: none
  // picture
  QString file;
  QImage image;
  bool keepAspect = true;
  // barcode
  BarcodeType barcode = BarcodeType::Code128;
  bool showText = true;
  // QR code
  QrErrorCorrection errorCorrection = QrErrorCorrection::M;
};

enum class BandType { ReportTitle, PageHeader, MasterData, GroupHeader, GroupFooter, PageFooter, ReportSummary };

struct Band;

struct Group {
  QString expressionText;
  NodePtr expression;
  QVector<Band> header;  // zero or one
  QVector<Band> footer;  // zero or one
};

struct Band {
  BandType type = BandType::MasterData;
  QString name;
  double height = 0;  // mm; the band grows to hold its stretched objects
  bool startNewPage = false;  // title: alone on the first page; master data: each row on a new page
  bool onFirstPage = true;  // page header and footer
  QVector<ReportObject> objects;
  // master data
  QString dataset;         // rows of this dataset, or
  QString rowCountText;    // a number of rows given by an expression
  NodePtr rowCount;
  QVector<Group> groups;   // outermost first
};

struct DatasetDef {
  QString name;
  QString sql;     // T-SQL
  QString sqlite;  // the embedded backend's text when it cannot run the T-SQL text
  QMap<QString, QString> params;  // parameter name -> expression (default: the variable of that name)
};

struct DialogField {
  QString label;
  QString variable;
  QString type = QStringLiteral("text");  // text, number or date
  QString defaultValue;                   // an expression; empty: the variable's value
};

struct DialogDef {
  QString title;
  QVector<DialogField> fields;
  bool present() const { return !fields.isEmpty(); }
};

struct PageSetup {
  double width = 210, height = 297;  // mm, after orientation
  bool landscape = false;
  double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10;
};

struct Template {
  QString fileName;
  PageSetup page;
  FontSpec defaultFont;
  QVector<DatasetDef> datasets;
  QVector<QPair<QString, QString>> variables;  // name, expression
  DialogDef dialog;
  QVector<Band> bands;  // in file order

  const Band* band(BandType t) const;  // first band of the type, or null
};

// Reads a template file. Throws TemplateError (missing file, bad JSON, unknown kind or property,
// unparsable expression) naming the file, the band or object and the text at fault.
Template loadTemplate(const QString& path);
Template parseTemplate(const QByteArray& data, const QString& fileName, const QString& baseDir = QString());

}  // namespace report
