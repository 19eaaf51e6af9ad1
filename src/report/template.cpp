#include "report/template.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPageSize>
#include <QSet>
#include <cmath>

namespace report {

const Band* Template::band(BandType t) const {
  for (const Band& b : bands) {
    if (b.type == t) return &b;
  }
  return nullptr;
}

namespace {

class Loader {
 public:
  Loader(QString file, QString baseDir) : file_(std::move(file)), baseDir_(std::move(baseDir)) {}

  Template load(const QByteArray& data) {
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &err);
    if (err.error != QJsonParseError::NoError) {
      int line = 1, col = 1;
      for (int i = 0; i < err.offset && i < data.size(); ++i) {
        if (data[i] == '\n') { ++line; col = 1; } else { ++col; }
      }
      fail(QString(), QStringLiteral("not a valid template (JSON error at line %1, column %2: %3)").arg(line).arg(col).arg(err.errorString()));
    }
    if (!doc.isObject()) fail(QString(), QStringLiteral("not a valid template (the file must hold one JSON object)"));
    const QJsonObject root = doc.object();
    checkKeys(root, {"format", "version", "title", "page", "defaultFont", "variables", "datasets", "dialog", "bands"}, QString());
    if (root.contains(QLatin1String("format")) && root.value(QLatin1String("format")).toString() != QLatin1String("consolidate-report")) {
      fail(QString(), QStringLiteral("format '%1' is not 'consolidate-report'").arg(root.value(QLatin1String("format")).toString()));
    }
    Template t;
    t.fileName = file_;
    if (root.contains(QLatin1String("defaultFont"))) t.defaultFont = font(root.value(QLatin1String("defaultFont")), FontSpec(), QStringLiteral("defaultFont"));
    defaultFont_ = t.defaultFont;
    if (root.contains(QLatin1String("page"))) t.page = page(object(root.value(QLatin1String("page")), QStringLiteral("page")));
    if (root.contains(QLatin1String("variables"))) {
      const QJsonObject vars = object(root.value(QLatin1String("variables")), QStringLiteral("variables"));
      const QStringList keys = vars.keys();
      for (const QString& k : keys) {
        const QJsonValue v = vars.value(k);
        QString expr;
        if (v.isString()) expr = v.toString();
        else if (v.isDouble()) expr = QString::number(v.toDouble(), 'g', 15);
        else fail(QStringLiteral("variable '%1'").arg(k), QStringLiteral("the value must be an expression text"));
        if (!expr.trimmed().isEmpty()) parse(expr, QStringLiteral("variable '%1'").arg(k));
        t.variables.push_back({k, expr});
      }
    }
    if (root.contains(QLatin1String("datasets"))) {
      QSet<QString> names;
      for (const QJsonValue& v : array(root.value(QLatin1String("datasets")), QStringLiteral("datasets"))) {
        DatasetDef d = dataset(object(v, QStringLiteral("dataset")));
        if (names.contains(d.name.toUpper())) fail(QStringLiteral("dataset '%1'").arg(d.name), QStringLiteral("declared twice"));
        names.insert(d.name.toUpper());
        t.datasets.push_back(d);
      }
      datasetNames_ = names;
    }
    if (root.contains(QLatin1String("dialog"))) t.dialog = dialog(object(root.value(QLatin1String("dialog")), QStringLiteral("dialog")));
    if (!root.contains(QLatin1String("bands"))) fail(QString(), QStringLiteral("the template has no bands"));
    int index = 0;
    for (const QJsonValue& v : array(root.value(QLatin1String("bands")), QStringLiteral("bands"))) {
      t.bands.push_back(band(object(v, QStringLiteral("band %1").arg(index + 1)), index, false));
      const Band& b = t.bands.back();
      if (b.type == BandType::GroupHeader || b.type == BandType::GroupFooter) {
        fail(where(b.name), QStringLiteral("group headers and footers belong in the \"groups\" of a master data band"));
      }
      ++index;
    }
    for (BandType single : {BandType::ReportTitle, BandType::PageHeader, BandType::PageFooter, BandType::ReportSummary}) {
      int count = 0;
      for (const Band& b : t.bands) count += b.type == single ? 1 : 0;
      if (count > 1) fail(QString(), QStringLiteral("only one %1 band is allowed").arg(bandTypeName(single)));
    }
    return t;
  }

 private:
  [[noreturn]] void fail(const QString& where, const QString& what) const {
    QString msg = file_;
    if (!where.isEmpty()) msg += QStringLiteral(": ") + where;
    throw TemplateError(msg + QStringLiteral(": ") + what);
  }

  QString where(const QString& bandName, const QString& objectName = QString()) const {
    QString w = QStringLiteral("band '%1'").arg(bandName);
    if (!objectName.isEmpty()) w += QStringLiteral(", object '%1'").arg(objectName);
    return w;
  }

  static QString bandTypeName(BandType t) {
    switch (t) {
      case BandType::ReportTitle: return QStringLiteral("reportTitle");
      case BandType::PageHeader: return QStringLiteral("pageHeader");
      case BandType::MasterData: return QStringLiteral("masterData");
      case BandType::GroupHeader: return QStringLiteral("groupHeader");
      case BandType::GroupFooter: return QStringLiteral("groupFooter");
      case BandType::PageFooter: return QStringLiteral("pageFooter");
      case BandType::ReportSummary: return QStringLiteral("reportSummary");
    }
    return QString();
  }

  void checkKeys(const QJsonObject& o, std::initializer_list<const char*> allowed, const QString& where) const {
    for (auto it = o.begin(); it != o.end(); ++it) {
      bool ok = false;
      for (const char* a : allowed) ok = ok || it.key() == QLatin1String(a);
      if (!ok) fail(where, QStringLiteral("unknown property '%1'").arg(it.key()));
    }
  }

  QJsonObject object(const QJsonValue& v, const QString& where) const {
    if (!v.isObject()) fail(where, QStringLiteral("an object {...} is expected"));
    return v.toObject();
  }

  QJsonArray array(const QJsonValue& v, const QString& where) const {
    if (!v.isArray()) fail(where, QStringLiteral("a list [...] is expected"));
    return v.toArray();
  }

  double number(const QJsonObject& o, const char* key, double def, const QString& where, bool allowNegative = false) const {
    if (!o.contains(QLatin1String(key))) return def;
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble() || !std::isfinite(v.toDouble())) fail(where, QStringLiteral("'%1' must be a number").arg(QLatin1String(key)));
    const double d = v.toDouble();
    if ((!allowNegative && d < 0) || std::fabs(d) > 100000) fail(where, QStringLiteral("'%1' is out of range: %2").arg(QLatin1String(key)).arg(d));
    return d;
  }

  QString text(const QJsonObject& o, const char* key, const QString& def, const QString& where) const {
    if (!o.contains(QLatin1String(key))) return def;
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isString()) return v.toString();
    if (v.isArray()) {  // lines of a long text (SQL)
      QStringList lines;
      for (const QJsonValue& l : v.toArray()) {
        if (!l.isString()) fail(where, QStringLiteral("'%1' must be a text or a list of texts").arg(QLatin1String(key)));
        lines << l.toString();
      }
      return lines.join(QLatin1Char('\n'));
    }
    fail(where, QStringLiteral("'%1' must be a text").arg(QLatin1String(key)));
  }

  bool boolean(const QJsonObject& o, const char* key, bool def, const QString& where) const {
    if (!o.contains(QLatin1String(key))) return def;
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isBool()) fail(where, QStringLiteral("'%1' must be true or false").arg(QLatin1String(key)));
    return v.toBool();
  }

  QColor color(const QJsonObject& o, const char* key, const QColor& def, const QString& where) const {
    if (!o.contains(QLatin1String(key))) return def;
    const QString s = text(o, key, QString(), where);
    QColor c = QColor::fromString(s);
    if (!c.isValid()) fail(where, QStringLiteral("'%1' is not a colour: '%2'").arg(QLatin1String(key), s));
    return c;
  }

  NodePtr parse(const QString& expr, const QString& where) const {
    try {
      return parseExpression(expr);
    } catch (const ExprError& e) {
      fail(where, QStringLiteral("expression '%1': %2").arg(expr, e.message()));
    }
  }

  FontSpec font(const QJsonValue& v, FontSpec f, const QString& where) const {
    const QJsonObject o = object(v, where);
    checkKeys(o, {"family", "size", "bold", "italic", "underline"}, where);
    f.family = text(o, "family", f.family, where);
    f.size = number(o, "size", f.size, where);
    if (f.size < 1 || f.size > 500) fail(where, QStringLiteral("font size %1 is out of range").arg(f.size));
    f.bold = boolean(o, "bold", f.bold, where);
    f.italic = boolean(o, "italic", f.italic, where);
    f.underline = boolean(o, "underline", f.underline, where);
    return f;
  }

  PageSetup page(const QJsonObject& o) const {
    const QString w = QStringLiteral("page");
    checkKeys(o, {"size", "width", "height", "orientation", "margins"}, w);
    PageSetup p;
    if (o.contains(QLatin1String("size"))) {
      const QString name = text(o, "size", QString(), w);
      static const QMap<QString, QPageSize::PageSizeId> sizes = {
          {QStringLiteral("A3"), QPageSize::A3}, {QStringLiteral("A4"), QPageSize::A4}, {QStringLiteral("A5"), QPageSize::A5},
          {QStringLiteral("A6"), QPageSize::A6}, {QStringLiteral("B5"), QPageSize::B5}, {QStringLiteral("LETTER"), QPageSize::Letter},
          {QStringLiteral("LEGAL"), QPageSize::Legal}};
      auto it = sizes.find(name.toUpper());
      if (it == sizes.end()) fail(w, QStringLiteral("unknown page size '%1' (A3, A4, A5, A6, B5, Letter, Legal, or width and height)").arg(name));
      const QSizeF mm = QPageSize(it.value()).size(QPageSize::Millimeter);
      p.width = mm.width();
      p.height = mm.height();
    }
    p.width = number(o, "width", p.width, w);
    p.height = number(o, "height", p.height, w);
    if (p.width < 10 || p.height < 10) fail(w, QStringLiteral("the page must be at least 10 mm wide and high"));
    const QString orient = text(o, "orientation", QStringLiteral("portrait"), w);
    if (orient == QLatin1String("landscape")) {
      p.landscape = true;
      if (p.width < p.height) std::swap(p.width, p.height);
    } else if (orient != QLatin1String("portrait")) {
      fail(w, QStringLiteral("orientation must be 'portrait' or 'landscape', not '%1'").arg(orient));
    }
    if (o.contains(QLatin1String("margins"))) {
      const QJsonObject m = object(o.value(QLatin1String("margins")), QStringLiteral("page margins"));
      checkKeys(m, {"left", "top", "right", "bottom"}, QStringLiteral("page margins"));
      p.marginLeft = number(m, "left", p.marginLeft, w);
      p.marginTop = number(m, "top", p.marginTop, w);
      p.marginRight = number(m, "right", p.marginRight, w);
      p.marginBottom = number(m, "bottom", p.marginBottom, w);
    }
    if (p.marginLeft + p.marginRight >= p.width || p.marginTop + p.marginBottom >= p.height) {
      fail(w, QStringLiteral("the margins leave no room on the page"));
    }
    return p;
  }

  DatasetDef dataset(const QJsonObject& o) const {
    DatasetDef d;
    d.name = text(o, "name", QString(), QStringLiteral("dataset"));
    const QString w = QStringLiteral("dataset '%1'").arg(d.name);
    checkKeys(o, {"name", "sql", "sqlite", "params"}, w);
    if (d.name.isEmpty() || !d.name[0].isLetter()) fail(w, QStringLiteral("a dataset needs a name that starts with a letter"));
    d.sql = text(o, "sql", QString(), w);
    d.sqlite = text(o, "sqlite", QString(), w);
    if (d.sql.trimmed().isEmpty()) fail(w, QStringLiteral("the dataset has no SQL text"));
    if (o.contains(QLatin1String("params"))) {
      const QJsonObject p = object(o.value(QLatin1String("params")), w + QStringLiteral(" params"));
      for (auto it = p.begin(); it != p.end(); ++it) {
        if (!it.value().isString()) fail(w, QStringLiteral("parameter '%1' must be an expression text").arg(it.key()));
        parse(it.value().toString(), w + QStringLiteral(", parameter '%1'").arg(it.key()));
        d.params.insert(it.key(), it.value().toString());
      }
    }
    return d;
  }

  DialogDef dialog(const QJsonObject& o) const {
    const QString w = QStringLiteral("dialog");
    checkKeys(o, {"title", "fields"}, w);
    DialogDef d;
    d.title = text(o, "title", QString(), w);
    for (const QJsonValue& v : array(o.value(QLatin1String("fields")), QStringLiteral("dialog fields"))) {
      const QJsonObject f = object(v, QStringLiteral("dialog field"));
      checkKeys(f, {"label", "variable", "type", "default"}, QStringLiteral("dialog field"));
      DialogField field;
      field.variable = text(f, "variable", QString(), QStringLiteral("dialog field"));
      const QString fw = QStringLiteral("dialog field '%1'").arg(field.variable);
      if (field.variable.isEmpty()) fail(fw, QStringLiteral("a dialog field needs a variable"));
      field.label = text(f, "label", field.variable, fw);
      field.type = text(f, "type", QStringLiteral("text"), fw);
      if (field.type != QLatin1String("text") && field.type != QLatin1String("number") && field.type != QLatin1String("date")) {
        fail(fw, QStringLiteral("type must be 'text', 'number' or 'date', not '%1'").arg(field.type));
      }
      field.defaultValue = text(f, "default", QString(), fw);
      if (!field.defaultValue.trimmed().isEmpty()) parse(field.defaultValue, fw);
      d.fields.push_back(field);
    }
    return d;
  }

  Band band(const QJsonObject& o, int index, bool inGroup) {
    Band b;
    const QString typeName = text(o, "type", QString(), QStringLiteral("band %1").arg(index + 1));
    static const QMap<QString, BandType> types = {
        {QStringLiteral("reportTitle"), BandType::ReportTitle}, {QStringLiteral("pageHeader"), BandType::PageHeader},
        {QStringLiteral("masterData"), BandType::MasterData}, {QStringLiteral("groupHeader"), BandType::GroupHeader},
        {QStringLiteral("groupFooter"), BandType::GroupFooter}, {QStringLiteral("pageFooter"), BandType::PageFooter},
        {QStringLiteral("reportSummary"), BandType::ReportSummary}};
    b.name = text(o, "name", typeName + QString::number(index + 1), QStringLiteral("band %1").arg(index + 1));
    const QString w = where(b.name);
    auto it = types.find(typeName);
    if (it == types.end()) fail(w, QStringLiteral("unknown band type '%1'").arg(typeName));
    b.type = it.value();
    if (!inGroup) {
      if (bandNames_.contains(b.name.toUpper())) fail(w, QStringLiteral("two bands have the same name"));
    }
    bandNames_.insert(b.name.toUpper());
    checkKeys(o, {"type", "name", "height", "startNewPage", "onFirstPage", "objects", "dataset", "rowCount", "groups"}, w);
    b.height = number(o, "height", 0, w);
    b.startNewPage = boolean(o, "startNewPage", false, w);
    b.onFirstPage = boolean(o, "onFirstPage", true, w);
    if (b.type == BandType::MasterData) {
      b.dataset = text(o, "dataset", QString(), w);
      b.rowCountText = text(o, "rowCount", QString(), w);
      if (b.dataset.isEmpty() == b.rowCountText.isEmpty()) fail(w, QStringLiteral("a master data band needs either a \"dataset\" or a \"rowCount\""));
      if (!b.dataset.isEmpty() && !datasetNames_.contains(b.dataset.toUpper())) fail(w, QStringLiteral("unknown dataset '%1'").arg(b.dataset));
      if (!b.rowCountText.isEmpty()) b.rowCount = parse(b.rowCountText, w + QStringLiteral(" rowCount"));
      if (o.contains(QLatin1String("groups"))) {
        int g = 0;
        for (const QJsonValue& gv : array(o.value(QLatin1String("groups")), w + QStringLiteral(" groups"))) {
          const QString gw = w + QStringLiteral(", group %1").arg(++g);
          const QJsonObject go = object(gv, gw);
          checkKeys(go, {"expression", "header", "footer"}, gw);
          Group grp;
          grp.expressionText = text(go, "expression", QString(), gw);
          if (grp.expressionText.trimmed().isEmpty()) fail(gw, QStringLiteral("a group needs an expression"));
          grp.expression = parse(grp.expressionText, gw);
          if (go.contains(QLatin1String("header"))) {
            Band h = band(object(go.value(QLatin1String("header")), gw + QStringLiteral(" header")), index, true);
            if (h.type != BandType::GroupHeader) fail(where(h.name), QStringLiteral("a group header must have the type groupHeader"));
            grp.header.push_back(h);
          }
          if (go.contains(QLatin1String("footer"))) {
            Band f = band(object(go.value(QLatin1String("footer")), gw + QStringLiteral(" footer")), index, true);
            if (f.type != BandType::GroupFooter) fail(where(f.name), QStringLiteral("a group footer must have the type groupFooter"));
            grp.footer.push_back(f);
          }
          b.groups.push_back(grp);
        }
      }
    } else {
      for (const char* k : {"dataset", "rowCount", "groups"}) {
        if (o.contains(QLatin1String(k))) fail(w, QStringLiteral("'%1' belongs to master data bands only").arg(QLatin1String(k)));
      }
    }
    if (o.contains(QLatin1String("objects"))) {
      int n = 0;
      for (const QJsonValue& ov : array(o.value(QLatin1String("objects")), w + QStringLiteral(" objects"))) {
        b.objects.push_back(object(object(ov, w + QStringLiteral(", object %1").arg(n + 1)), b.name, n));
        ++n;
      }
    }
    return b;
  }

  ReportObject object(const QJsonObject& o, const QString& bandName, int index) const {
    ReportObject r;
    const QString kind = text(o, "kind", QString(), where(bandName, QString::number(index + 1)));
    r.name = text(o, "name", kind + QString::number(index + 1), where(bandName, QString::number(index + 1)));
    const QString w = where(bandName, r.name);
    static const QMap<QString, ObjectKind> kinds = {
        {QStringLiteral("text"), ObjectKind::Text}, {QStringLiteral("line"), ObjectKind::Line},
        {QStringLiteral("rectangle"), ObjectKind::Rectangle}, {QStringLiteral("picture"), ObjectKind::Picture},
        {QStringLiteral("barcode"), ObjectKind::Barcode}, {QStringLiteral("qrcode"), ObjectKind::QrCode}};
    auto it = kinds.find(kind);
    if (it == kinds.end()) fail(w, QStringLiteral("unknown object kind '%1' (text, line, rectangle, picture, barcode, qrcode)").arg(kind));
    r.kind = it.value();
    switch (r.kind) {
      case ObjectKind::Text:
        checkKeys(o, {"kind", "name", "x", "y", "width", "height", "visible", "text", "format", "align", "valign", "font", "wordWrap",
                      "stretch", "color", "background", "border", "lineWidth", "lineColor"}, w);
        break;
      case ObjectKind::Line:
        checkKeys(o, {"kind", "name", "x", "y", "width", "height", "visible", "lineWidth", "lineColor"}, w);
        break;
      case ObjectKind::Rectangle:
        checkKeys(o, {"kind", "name", "x", "y", "width", "height", "visible", "lineWidth", "lineColor", "fill"}, w);
        break;
      case ObjectKind::Picture:
        checkKeys(o, {"kind", "name", "x", "y", "width", "height", "visible", "file", "keepAspect"}, w);
        break;
      case ObjectKind::Barcode:
        checkKeys(o, {"kind", "name", "x", "y", "width", "height", "visible", "text", "type", "showText", "color"}, w);
        break;
      case ObjectKind::QrCode:
        checkKeys(o, {"kind", "name", "x", "y", "width", "height", "visible", "text", "errorCorrection", "color"}, w);
        break;
    }
    r.x = number(o, "x", 0, w);
    r.y = number(o, "y", 0, w);
    r.width = number(o, "width", 0, w, r.kind == ObjectKind::Line);
    r.height = number(o, "height", 0, w, r.kind == ObjectKind::Line);
    r.visibleText = text(o, "visible", QString(), w);
    if (!r.visibleText.trimmed().isEmpty()) r.visible = parse(r.visibleText, w + QStringLiteral(" visible"));
    r.lineWidth = number(o, "lineWidth", 0.2, w);
    r.lineColor = color(o, "lineColor", Qt::black, w);
    if (r.kind == ObjectKind::Text || r.kind == ObjectKind::Barcode || r.kind == ObjectKind::QrCode) {
      r.text = text(o, "text", QString(), w);
      try {
        r.parts = parseEmbedded(r.text);
      } catch (const ExprError& e) {
        fail(w, QStringLiteral("text '%1': %2").arg(r.text, e.message()));
      }
      r.color = color(o, "color", Qt::black, w);
    }
    if (r.kind == ObjectKind::Text) {
      r.format = text(o, "format", QString(), w);
      const QString a = text(o, "align", QStringLiteral("left"), w);
      if (a == QLatin1String("left")) r.align = HAlign::Left;
      else if (a == QLatin1String("center")) r.align = HAlign::Center;
      else if (a == QLatin1String("right")) r.align = HAlign::Right;
      else fail(w, QStringLiteral("align must be left, center or right, not '%1'").arg(a));
      const QString va = text(o, "valign", QStringLiteral("top"), w);
      if (va == QLatin1String("top")) r.valign = VAlign::Top;
      else if (va == QLatin1String("middle")) r.valign = VAlign::Middle;
      else if (va == QLatin1String("bottom")) r.valign = VAlign::Bottom;
      else fail(w, QStringLiteral("valign must be top, middle or bottom, not '%1'").arg(va));
      r.font = o.contains(QLatin1String("font")) ? font(o.value(QLatin1String("font")), defaultFont_, w + QStringLiteral(" font")) : defaultFont_;
      r.wordWrap = boolean(o, "wordWrap", true, w);
      r.stretch = boolean(o, "stretch", false, w);
      r.background = color(o, "background", QColor(), w);
      r.border = boolean(o, "border", false, w);
    }
    if (r.kind == ObjectKind::Rectangle) r.fill = color(o, "fill", QColor(), w);
    if (r.kind == ObjectKind::Picture) {
      r.file = text(o, "file", QString(), w);
      r.keepAspect = boolean(o, "keepAspect", true, w);
      if (r.file.isEmpty()) fail(w, QStringLiteral("a picture needs a \"file\""));
      const QString path = QDir(baseDir_).filePath(r.file);
      if (!r.image.load(path)) fail(w, QStringLiteral("the picture '%1' cannot be read").arg(path));
    }
    if (r.kind == ObjectKind::Barcode) {
      const QString t = text(o, "type", QStringLiteral("code128"), w).toLower();
      if (t == QLatin1String("code128")) r.barcode = BarcodeType::Code128;
      else if (t == QLatin1String("ean13")) r.barcode = BarcodeType::Ean13;
      else fail(w, QStringLiteral("unknown barcode type '%1' (code128, ean13)").arg(t));
      r.showText = boolean(o, "showText", true, w);
    }
    if (r.kind == ObjectKind::QrCode) {
      r.barcode = BarcodeType::Qr;
      r.showText = false;
      const QString level = text(o, "errorCorrection", QStringLiteral("M"), w).trimmed().toUpper();
      if (level == QLatin1String("L")) r.errorCorrection = QrErrorCorrection::L;
      else if (level == QLatin1String("M")) r.errorCorrection = QrErrorCorrection::M;
      else if (level == QLatin1String("Q")) r.errorCorrection = QrErrorCorrection::Q;
      else if (level == QLatin1String("H")) r.errorCorrection = QrErrorCorrection::H;
      else fail(w, QStringLiteral("errorCorrection must be L, M, Q or H, not '%1'").arg(level));
    }
    if ((r.kind != ObjectKind::Line) && (r.width <= 0 || r.height <= 0)) fail(w, QStringLiteral("the object needs a width and a height above 0"));
    return r;
  }

  QString file_;
  QString baseDir_;
  FontSpec defaultFont_;
  QSet<QString> datasetNames_;
  QSet<QString> bandNames_;
};

}  // namespace

Template parseTemplate(const QByteArray& data, const QString& fileName, const QString& baseDir) {
  Loader loader(fileName, baseDir);
  return loader.load(data);
}

Template loadTemplate(const QString& path) {
  QFile f(path);
  if (!f.exists()) throw TemplateError(QStringLiteral("%1: the template file does not exist").arg(path));
  if (!f.open(QIODevice::ReadOnly)) throw TemplateError(QStringLiteral("%1: the template file cannot be read: %2").arg(path, f.errorString()));
  return parseTemplate(f.readAll(), path, QFileInfo(path).absolutePath());
}

}  // namespace report
