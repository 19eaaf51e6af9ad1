#include "report/engine.h"

#include "db/db.h"
#include "report/barcode.h"
#include "report/text_format.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QScopeGuard>
#include <QSet>
#include <cmath>

namespace report {

namespace {

constexpr double kEps = 1e-6;
constexpr double kTextPadding = 0.5;  // mm, left and right inside a text object
// How far inside its object the ink of a line must stay to be drawn without a clip: a clip closer to
// the glyphs than a pixel of a coarse screen could still change the shading of their edge pixels.
constexpr double kInkMargin = 0.25;  // mm
// An object counts as below another when it starts at most this far above the other's bottom (the
// boxes of a form's rows often overlap a little).
constexpr double kBelowOverlap = 1.0;  // mm
constexpr int kMaxPages = 20000;
constexpr qint64 kMaxRowCount = 1000000;

bool isAggregateName(const QString& upper) {
  return upper == QLatin1String("SUM") || upper == QLatin1String("COUNT") || upper == QLatin1String("AVG") ||
         upper == QLatin1String("MIN") || upper == QLatin1String("MAX");
}

// A stable text of a tree, used to find an aggregate again when its call arrives as an argument
// text of a library function.
QString canonical(const Node& n) {
  switch (n.type) {
    case Node::Type::Literal:
      return n.literal.isString() ? QLatin1Char('\'') + n.literal.rawString() + QLatin1Char('\'') : displayText(n.literal);
    case Node::Type::Name: return n.upper;
    case Node::Type::Field: return n.upper + QLatin1Char('.') + n.field.toUpper();
    case Node::Type::Negate: return QStringLiteral("-(") + canonical(*n.args[0]) + QLatin1Char(')');
    case Node::Type::Not: return QStringLiteral("NOT(") + canonical(*n.args[0]) + QLatin1Char(')');
    case Node::Type::And: return QLatin1Char('(') + canonical(*n.args[0]) + QStringLiteral(" AND ") + canonical(*n.args[1]) + QLatin1Char(')');
    case Node::Type::Or: return QLatin1Char('(') + canonical(*n.args[0]) + QStringLiteral(" OR ") + canonical(*n.args[1]) + QLatin1Char(')');
    case Node::Type::Binary: return QLatin1Char('(') + canonical(*n.args[0]) + QLatin1Char(' ') + n.op + QLatin1Char(' ') + canonical(*n.args[1]) + QLatin1Char(')');
    case Node::Type::Call: {
      QStringList a;
      for (const auto& x : n.args) a << canonical(*x);
      return n.upper + QLatin1Char('(') + a.join(QLatin1Char(',')) + QLatin1Char(')');
    }
  }
  return QString();
}

// The ":Name" parameters of an SQL text, outside quoted texts, in order of first use.
QStringList sqlParameterNames(const QString& sql) {
  QStringList out;
  QChar quote;
  for (int i = 0; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
      continue;
    }
    if (c == QLatin1Char('\'') || c == QLatin1Char('"')) { quote = c; continue; }
    if (c == QLatin1Char('-') && i + 1 < sql.size() && sql[i + 1] == QLatin1Char('-')) {
      while (i < sql.size() && sql[i] != QLatin1Char('\n')) ++i;
      continue;
    }
    if (c != QLatin1Char(':')) continue;
    if (i + 1 < sql.size() && sql[i + 1] == QLatin1Char(':')) { ++i; continue; }
    if (i > 0 && (sql[i - 1] == QLatin1Char(':') || sql[i - 1].isLetterOrNumber())) continue;
    int j = i + 1;
    while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == QLatin1Char('_'))) ++j;
    if (j > i + 1 && !sql[i + 1].isDigit()) {
      const QString name = sql.mid(i + 1, j - i - 1);
      bool seen = false;
      for (const QString& n : out) seen = seen || n.compare(name, Qt::CaseInsensitive) == 0;
      if (!seen) out << name;
    }
    i = j - 1;
  }
  return out;
}

void translate(Primitive& p, double dx, double dy) {
  p.origin += QPointF(dx, dy);
  p.box.translate(dx, dy);
  if (!p.clip.isEmpty()) p.clip.translate(dx, dy);
  p.line.translate(dx, dy);
}

QString valueKey(const Value& v) { return QString::number(static_cast<int>(v.kind())) + QLatin1Char(':') + displayText(v); }

}  // namespace

class Engine::Impl : public Scope {
 public:
  explicit Impl(Engine& owner) : owner_(owner) {}

  struct Variable {
    QString name;
    QString expr;
    NodePtr node;
    bool hasValue = false;
    Value value;
  };

  struct Dataset {
    const DatasetDef* def = nullptr;
    db::Result result;
    bool open = false;
    // Upper-cased field name -> column, so that a field named on every row is found without
    // upper-casing its name again; built from the result's columns (the first of equal names wins).
    QHash<QString, int> columnByUpper;
    qsizetype columnsIndexed = -1;
  };

  enum class AggFunc { Sum, Count, Avg, Min, Max };
  enum class AggScope { Group, Page, Report };
  struct Aggregate {
    AggFunc func = AggFunc::Sum;
    AggScope scope = AggScope::Report;
    const Band* band = nullptr;  // the band the call stands in
    int master = 0;              // index into masters_
    int level = 0;               // group level
    NodePtr arg;
    QString where;
    double sum = 0;
    qint64 count = 0;
    double min = 0, max = 0;
    void reset() { sum = 0; count = 0; min = max = 0; }
  };

  struct Rendered {
    QVector<Primitive> items;
    double height = 0;
  };

  // ---- state ------------------------------------------------------------------------------
  Engine& owner_;
  std::shared_ptr<const Template> tmpl_;
  db::Connection* conn_ = nullptr;
  QHash<QString, Variable> vars_;  // upper-cased name
  QVector<Dataset> datasets_;
  QVector<std::shared_ptr<FunctionLibrary>> localLibs_;
  UserFunction userFn_;
  DialogAnswerer answerer_;
  QHash<QString, NodePtr> parseCache_;
  QHash<QString, Statement> statementCache_;
  QSet<QString> evaluating_;

  QVector<const Band*> masters_;
  QVector<Aggregate> aggs_;
  QHash<const Node*, int> aggByNode_;
  QHash<QString, int> aggByText_;  // band address + canonical text

  // preparation context
  const Band* band_ = nullptr;
  int master_ = -1;
  Dataset* currentDs_ = nullptr;
  int line_ = 0;
  int pageNo_ = 0;
  int totalPages_ = -1;
  bool totalRequested_ = false;
  PreparedReport* out_ = nullptr;
  double curY_ = 0;
  double contentTop_ = 0;
  bool pageOpen_ = false;
  int cell_ = 0;
  bool preparing_ = false;
  QSet<QString> overflowKeys_;  // the overflows of this pass, listed once each

  // ---- variables ----------------------------------------------------------------------------
  void resetVariables() {
    vars_.clear();
    if (!tmpl_) return;
    for (const auto& v : tmpl_->variables) setVariable(v.first, v.second);
  }

  void setVariable(const QString& name, const QString& expr) {
    Variable v;
    v.name = name;
    v.expr = expr;
    vars_.insert(name.toUpper(), v);
  }

  void setVariableValue(const QString& name, const Value& value) {
    Variable& v = vars_[name.toUpper()];
    v.name = name;
    v.hasValue = true;
    v.value = value;
    v.node.reset();
  }

  Value variableValue(Variable& v) {
    if (v.hasValue) return v.value;
    if (v.expr.trimmed().isEmpty()) return Value();
    const QString key = v.name.toUpper();
    if (evaluating_.contains(key)) throw ExprError(QStringLiteral("The variable '%1' refers to itself").arg(v.name));
    if (!v.node) {
      try {
        v.node = parseExpression(v.expr);
      } catch (const ExprError& e) {
        throw ExprError(QStringLiteral("Variable '%1': %2").arg(v.name, e.message()));
      }
    }
    const NodePtr node = v.node;  // the map may rehash while evaluating
    evaluating_.insert(key);
    try {
      Value r = report::evaluate(*node, *this);
      evaluating_.remove(key);
      return r;
    } catch (...) {
      evaluating_.remove(key);
      throw;
    }
  }

  // ---- datasets -----------------------------------------------------------------------------
  Dataset* dataset(const QString& upper) {
    for (Dataset& d : datasets_) {
      if (d.def->name.toUpper() == upper) return &d;
    }
    return nullptr;
  }

  Value fieldOf(Dataset& d, const QString& field) {
    if (!d.open) throw ExprError(QStringLiteral("The dataset '%1' is not open").arg(d.def->name));
    const int col = d.result.columnIndex(field);
    if (col < 0) throw ExprError(QStringLiteral("The dataset '%1' has no field '%2'").arg(d.def->name, field));
    if (d.result.eof() || d.result.isEmpty()) return Value();
    return Value::fromVariant(d.result.at(d.result.recNo(), col));
  }

  static int columnOf(Dataset& d, const QString& upper) {
    const QStringList& columns = d.result.columns();
    if (d.columnsIndexed != columns.size()) {
      d.columnByUpper.clear();
      for (int i = static_cast<int>(columns.size()) - 1; i >= 0; --i) d.columnByUpper.insert(columns[i].toUpper(), i);
      d.columnsIndexed = columns.size();
    }
    return d.columnByUpper.value(upper, -1);
  }

  static Value fieldAt(const Dataset& d, int col) {
    if (d.result.eof() || d.result.isEmpty()) return Value();
    return Value::fromVariant(d.result.at(d.result.recNo(), col));
  }

  void openDatasets() {
    currentDs_ = nullptr;
    datasets_.clear();
    for (const DatasetDef& def : tmpl_->datasets) {
      Dataset d;
      d.def = &def;
      datasets_.push_back(d);
    }
    for (Dataset& d : datasets_) {
      const QString where = QStringLiteral("%1: dataset '%2'").arg(tmpl_->fileName, d.def->name);
      if (!conn_) throw ReportError(where + QStringLiteral(": no database connection is set for the report"));
      QString sql;
      db::Params params;
      try {
        const db::SqlText text{d.def->sql, d.def->sqlite};
        sql = text.pick(conn_->dialect());
        for (const QString& name : sqlParameterNames(sql)) {
          Value v;
          const QString explicitExpr = [&] {
            for (auto it = d.def->params.begin(); it != d.def->params.end(); ++it) {
              if (it.key().compare(name, Qt::CaseInsensitive) == 0) return it.value();
            }
            return QString();
          }();
          if (!explicitExpr.isEmpty()) {
            try {
              v = owner_.evaluate(explicitExpr);
            } catch (const ExprError& e) {
              throw ReportError(where + QStringLiteral(": parameter :%1 = '%2': %3").arg(name, explicitExpr, e.message()));
            }
          } else {
            auto it = vars_.find(name.toUpper());
            if (it == vars_.end()) throw ReportError(where + QStringLiteral(": the parameter :%1 has no report variable of that name").arg(name));
            try {
              v = variableValue(it.value());
            } catch (const ExprError& e) {
              throw ReportError(where + QStringLiteral(": parameter :%1: %2").arg(name, e.message()));
            }
          }
          params.set(name, v.toVariant());
        }
        d.result = conn_->select(sql, params);
        d.result.first();
        d.open = true;
      } catch (const ReportError&) {
        throw;
      } catch (const db::Error& e) {
        throw ReportError(where + QStringLiteral(": the SQL failed: %1\n%2").arg(e.message(), sql));
      } catch (const std::exception& e) {
        throw ReportError(where + QStringLiteral(": %1").arg(QString::fromUtf8(e.what())));
      }
    }
  }

  // ---- Scope ------------------------------------------------------------------------------
  Value name(const Node& n) override {
    if (n.type == Node::Type::Field) {
      Dataset* d = dataset(n.upper);
      if (!d) throw ExprError(QStringLiteral("Unknown dataset '%1' in '%1.%2'").arg(n.name, n.field));
      return fieldOf(*d, n.field);
    }
    auto it = vars_.find(n.upper);
    if (it != vars_.end()) return variableValue(it.value());
    if (currentDs_ && currentDs_->open) {
      const int col = columnOf(*currentDs_, n.upper);
      if (col >= 0) return fieldAt(*currentDs_, col);
    }
    for (Dataset& d : datasets_) {
      if (!d.open) continue;
      const int col = columnOf(d, n.upper);
      if (col >= 0) return fieldAt(d, col);
    }
    const QString& u = n.upper;
    if (u == QLatin1String("PAGE") || u == QLatin1String("PAGE#")) return Value::number(pageNo_);
    if (u == QLatin1String("TOTALPAGES")) {
      totalRequested_ = true;
      return Value::number(totalPages_ > 0 ? totalPages_ : pageNo_);
    }
    if (u == QLatin1String("LINE") || u == QLatin1String("LINE#")) return Value::number(line_);
    if (u == QLatin1String("DATE")) return Value::dateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    if (u == QLatin1String("TIME")) return Value::date(QTime::currentTime().msecsSinceStartOfDay() / 86400000.0);
    if (u == QLatin1String("NOW")) return Value::dateTime(QDateTime::currentDateTime());
    throw ExprError(QStringLiteral("Unknown variable or field '%1'").arg(n.name));
  }

  Value aggregateValue(const Aggregate& a) const {
    switch (a.func) {
      case AggFunc::Sum: return Value::number(a.sum);
      case AggFunc::Count: return Value::number(static_cast<double>(a.count));
      case AggFunc::Avg: return Value::number(a.count ? a.sum / static_cast<double>(a.count) : 0.0);
      case AggFunc::Min: return a.count ? Value::number(a.min) : Value();
      case AggFunc::Max: return a.count ? Value::number(a.max) : Value();
    }
    return Value();
  }

  Value call(const Node& n) override {
    if (isAggregateName(n.upper)) {
      auto it = aggByNode_.find(&n);
      if (it == aggByNode_.end()) {
        auto jt = aggByText_.find(aggKey(band_, n));
        if (jt == aggByText_.end()) {
          throw ExprError(QStringLiteral("%1 can be used only in group footers, page footers and the report summary").arg(n.name));
        }
        return aggregateValue(aggs_[jt.value()]);
      }
      return aggregateValue(aggs_[it.value()]);
    }
    const QString p1 = n.argTexts.value(0), p2 = n.argTexts.value(1), p3 = n.argTexts.value(2);
    const auto tryLibs = [&](const QVector<std::shared_ptr<FunctionLibrary>>& libs, Value& out) {
      for (const auto& lib : libs) {
        const int idx = static_cast<int>(lib->names().indexOf(n.upper));
        if (idx < 0) continue;
        if (n.args.size() > 3) throw ExprError(QStringLiteral("%1 takes at most 3 arguments").arg(n.name));
        lib->dispatch(idx, p1, p2, p3, out, owner_);
        return true;
      }
      return false;
    };
    Value r;
    if (tryLibs(registeredFunctionLibraries(), r)) return r;
    if (tryLibs(localLibs_, r)) return r;
    if (userFn_) {
      r = Value::unassigned();
      if (n.args.size() <= 3) userFn_(n.name, p1, p2, p3, r);
      if (!r.isUnassigned()) return r;
    }
    throw ExprError(QStringLiteral("Unknown function '%1'").arg(n.name));
  }

  // ---- aggregates ---------------------------------------------------------------------------
  static QString aggKey(const Band* b, const Node& n) {
    return QString::number(reinterpret_cast<quintptr>(b), 16) + QLatin1Char('|') + canonical(n);
  }

  void collectAggregates() {
    aggs_.clear();
    aggByNode_.clear();
    aggByText_.clear();
    masters_.clear();
    for (const Band& b : tmpl_->bands) {
      if (b.type == BandType::MasterData) masters_.push_back(&b);
    }
    const auto masterIndex = [&](const QString& name, const QString& where) {
      for (int i = 0; i < masters_.size(); ++i) {
        if (masters_[i]->name.compare(name, Qt::CaseInsensitive) == 0) return i;
      }
      throw ReportError(where + QStringLiteral(": no master data band is named '%1'").arg(name));
    };
    const auto scan = [&](const Band& b, AggScope scope, int master, int level) {
      for (const ReportObject& o : b.objects) {
        const QString where = QStringLiteral("%1: band '%2', object '%3'").arg(tmpl_->fileName, b.name, o.name);
        QVector<NodePtr> roots;
        for (const TextPart& p : o.parts) {
          if (p.expr) roots << p.expr;
        }
        if (o.visible) roots << o.visible;
        for (const NodePtr& root : roots) {
          visit(root, [&](const Node& n) {
            if (n.type != Node::Type::Call || !isAggregateName(n.upper)) return;
            Aggregate a;
            a.band = &b;
            a.scope = scope;
            a.level = level;
            a.master = master;
            a.where = where;
            if (n.upper == QLatin1String("SUM")) a.func = AggFunc::Sum;
            else if (n.upper == QLatin1String("COUNT")) a.func = AggFunc::Count;
            else if (n.upper == QLatin1String("AVG")) a.func = AggFunc::Avg;
            else if (n.upper == QLatin1String("MIN")) a.func = AggFunc::Min;
            else a.func = AggFunc::Max;
            size_t valueArgs = a.func == AggFunc::Count ? 0 : 1;
            if (n.args.size() < valueArgs || n.args.size() > valueArgs + 1) {
              throw ReportError(where + QStringLiteral(": %1 takes %2").arg(n.name, a.func == AggFunc::Count ? QStringLiteral("no argument, or the name of a master data band") : QStringLiteral("a value, and optionally the name of a master data band")));
            }
            if (valueArgs) a.arg = n.args[0];
            if (n.args.size() > valueArgs) {
              const Node& bandArg = *n.args[valueArgs];
              if (bandArg.type != Node::Type::Literal || !bandArg.literal.isString()) {
                throw ReportError(where + QStringLiteral(": the band of %1 must be a quoted band name").arg(n.name));
              }
              if (scope == AggScope::Group) {
                if (masterIndex(bandArg.literal.rawString(), where) != master) {
                  throw ReportError(where + QStringLiteral(": a group footer sums the rows of its own master data band"));
                }
              } else {
                a.master = masterIndex(bandArg.literal.rawString(), where);
              }
            }
            if (scope == AggScope::Report && b.type != BandType::ReportSummary) {
              throw ReportError(where + QStringLiteral(": %1 can be used only in group footers, page footers and the report summary").arg(n.name));
            }
            if (masters_.isEmpty()) throw ReportError(where + QStringLiteral(": %1 needs a master data band").arg(n.name));
            aggByNode_.insert(&n, static_cast<int>(aggs_.size()));
            aggByText_.insert(aggKey(&b, n), static_cast<int>(aggs_.size()));
            aggs_.push_back(a);
          });
        }
      }
    };
    for (const Band& b : tmpl_->bands) {
      switch (b.type) {
        case BandType::PageFooter: scan(b, AggScope::Page, 0, 0); break;
        case BandType::ReportSummary: scan(b, AggScope::Report, 0, 0); break;
        case BandType::MasterData: {
          const int mi = static_cast<int>(masters_.indexOf(&b));
          scan(b, AggScope::Report, mi, 0);  // refused: no aggregates on data rows
          for (int g = 0; g < b.groups.size(); ++g) {
            for (const Band& h : b.groups[g].header) scan(h, AggScope::Report, mi, g);  // refused
            for (const Band& f : b.groups[g].footer) scan(f, AggScope::Group, mi, g);
          }
          break;
        }
        default: scan(b, AggScope::Report, 0, 0); break;  // refused
      }
    }
  }

  void accumulate(int master) {
    for (Aggregate& a : aggs_) {
      if (a.master != master) continue;
      double v = 0;
      if (a.arg) {
        Value x;
        try {
          x = report::evaluate(*a.arg, *this);
        } catch (const ExprError& e) {
          throw ReportError(a.where + QStringLiteral(": ") + e.message());
        }
        if (x.isNull() && a.func != AggFunc::Count) continue;
        try {
          v = x.toNumber();
        } catch (const ExprError& e) {
          throw ReportError(a.where + QStringLiteral(": ") + e.message());
        }
      }
      if (a.count == 0) { a.min = a.max = v; }
      a.sum += v;
      a.min = std::min(a.min, v);
      a.max = std::max(a.max, v);
      ++a.count;
    }
  }

  void resetAggregates(AggScope scope, int master = -1, int fromLevel = 0) {
    for (Aggregate& a : aggs_) {
      if (a.scope != scope) continue;
      if (scope == AggScope::Group && (a.master != master || a.level < fromLevel)) continue;
      a.reset();
    }
  }

  // ---- rendering ----------------------------------------------------------------------------
  QString objectWhere(const Band& b, const ReportObject& o) const {
    return QStringLiteral("%1: band '%2', object '%3'").arg(tmpl_->fileName, b.name, o.name);
  }

  QString buildText(const ReportObject& o, bool applyFormat) {
    QString s;
    for (const TextPart& p : o.parts) {
      if (!p.expr) { s += p.literal; continue; }
      const Value v = report::evaluate(*p.expr, *this);
      if (applyFormat && !o.format.isEmpty() && v.isNumber()) s += formatNumber(o.format, v.toNumber());
      else if (applyFormat && !o.format.isEmpty() && v.isDate()) s += formatDateTime(o.format, v.toDateTime());
      else s += v.toString();
    }
    return s;
  }

  void noteOverflow(Overflow::Kind kind, const ReportObject& o, const QString& value) {
    Overflow f;
    f.kind = kind;
    f.form = QFileInfo(tmpl_->fileName).fileName();
    f.band = band_ ? band_->name : QString();
    f.object = o.name;
    f.value = value;
    f.page = pageNo_;
    const QString key = QString::number(static_cast<int>(kind)) + QLatin1Char('|') + f.band + QLatin1Char('|') + f.object +
                        QLatin1Char('|') + value;
    if (overflowKeys_.contains(key)) return;
    overflowKeys_.insert(key);
    if (out_) out_->overflows.push_back(f);
  }

  // Returns how far the object grew below its declared height (a stretched text).
  double renderText(const ReportObject& o, Rendered& r) {
    const QString s = buildText(o, true);
    const double innerW = std::max(0.1, o.width - 2 * kTextPadding);
    const QVector<LaidOutLine> lines = layoutText(s, o.font, innerW, o.align, o.wordWrap);
    double textH = 0;
    // A stretched text holds its glyphs too: Thai marks stacked above a tall letter, or a vowel
    // below, may reach out of the font's line; the text moves down (and the object grows) so much.
    double lead = 0, tail = 0;
    for (const LaidOutLine& l : lines) textH += l.height;
    if (o.stretch) {
      for (const LaidOutLine& l : lines) {
        if (l.ink.isEmpty()) continue;
        lead = std::max(lead, kInkMargin - (l.baseline + l.ink.top()));
        tail = std::max(tail, l.baseline + l.ink.bottom() + kInkMargin - textH);
      }
      textH += lead + tail;
    }
    const double objH = o.stretch ? std::max(o.height, textH) : o.height;
    const QRectF area(o.x, o.y, o.width, objH);
    if (o.background.isValid() || o.border) {
      Primitive p;
      p.type = Primitive::Type::Rect;
      p.box = area;
      p.fill = o.background;
      p.penWidth = o.border ? o.lineWidth : 0;
      p.color = o.lineColor;
      r.items.push_back(p);
    }
    double offset = lead;
    if (textH < objH) {
      if (o.valign == VAlign::Middle) offset += (objH - textH) / 2;
      else if (o.valign == VAlign::Bottom) offset += objH - textH;
    }
    const int cell = ++cell_;
    double top = 0;
    for (int i = 0; i < lines.size(); ++i) {
      const LaidOutLine& l = lines[i];
      if (i > 0 && !o.stretch && top + l.height > objH + kEps) {  // no room left in the object
        noteOverflow(Overflow::Kind::LinesLeftOut, o, s);
        break;
      }
      if (!l.text.isEmpty()) {
        Primitive p;
        p.type = Primitive::Type::Text;
        p.text = l.text;
        p.font = o.font;
        p.color = o.color;
        p.cell = cell;
        p.origin = QPointF(o.x + kTextPadding + l.x, o.y + offset + l.baseline);
        p.box = QRectF(o.x + kTextPadding + l.x, o.y + offset + top, l.width, l.height);
        // A line whose glyphs lie inside its object needs no clip (each clip costs the PDF a saved
        // and restored graphics state, and the glyphs of most lines fit although the font's line is
        // taller than the object); one whose ink reaches out of the object is cut at its edges.
        if (!l.ink.isEmpty() && !area.adjusted(kInkMargin, kInkMargin, -kInkMargin, -kInkMargin).contains(l.ink.translated(p.origin))) {
          p.clip = area;
          if (!area.adjusted(-kEps, -kEps, kEps, kEps).contains(l.ink.translated(p.origin))) noteOverflow(Overflow::Kind::GlyphsCut, o, s);
        }
        r.items.push_back(p);
      }
      top += l.height;
    }
    r.height = std::max(r.height, o.y + objH);
    return objH - o.height;
  }

  void renderBarcode(const Band& b, const ReportObject& o, Rendered& r) {
    const QString data = buildText(o, false);
    const BarcodeDrawing drawing = makeBarcode(o.barcode, data, o.width, o.height, o.showText);
    for (const QRectF& bar : drawing.bars) {
      Primitive p;
      p.type = Primitive::Type::Rect;
      p.box = bar.translated(o.x, o.y);
      p.fill = o.color;
      r.items.push_back(p);
    }
    const int cell = ++cell_;
    for (const BarcodeText& t : drawing.texts) {
      FontSpec f = tmpl_->defaultFont;
      f.size = std::max(1.0, t.sizeMm / 25.4 * 72.0);
      f.bold = f.italic = f.underline = false;
      const double w = QFontMetricsF(layoutFont(f)).horizontalAdvance(t.text) / kLayoutUnitsPerMm;
      double x = t.anchor.x();
      if (t.halign == 0) x -= w / 2;
      else if (t.halign == 2) x -= w;
      Primitive p;
      p.type = Primitive::Type::Text;
      p.text = t.text;
      p.font = f;
      p.color = o.color;
      p.cell = cell;
      p.origin = QPointF(o.x + x, o.y + t.anchor.y());
      p.box = QRectF(o.x + x, o.y + t.anchor.y() - t.sizeMm, w, t.sizeMm);
      r.items.push_back(p);
    }
    Q_UNUSED(b);
    r.height = std::max(r.height, o.y + o.height);
  }

  // A QR code whose text comes out empty prints nothing and takes no room (a document prints its
  // payment code only when there is something to pay).
  void renderQrCode(const ReportObject& o, Rendered& r) {
    const QString data = buildText(o, false);
    if (data.isEmpty()) return;
    const BarcodeDrawing drawing = makeQrCode(data, o.width, o.height, o.errorCorrection);
    for (const QRectF& module : drawing.bars) {
      Primitive p;
      p.type = Primitive::Type::Rect;
      p.box = module.translated(o.x, o.y);
      p.fill = o.color;
      r.items.push_back(p);
    }
    r.height = std::max(r.height, o.y + o.height);
  }

  // An object as rendered into a band: its primitives and how far a stretched text grew.
  struct Placed {
    const ReportObject* object = nullptr;
    qsizetype first = 0, end = 0;  // its primitives in Rendered::items
    double grown = 0;
  };

  // Objects below a stretched text make room for it, and frames around it grow with it:
  // - an object moves down by the growth (and move) of every object that ends above its top and
  //   shares some of its width (overlapping it by at most kBelowOverlap); objects that start on one line (the same top) move together, so a
  //   label stays beside its value;
  // - a rectangle grows to keep holding the objects inside it, and lines and rectangles that span
  //   the same lines as a grown one (a row of frames) grow with it;
  // - lines and rectangles that reach the band's bottom reach its new bottom (a row's rules), as
  //   far as the objects moved or grew below it.
  // The band is as high as its lowest object.
  static void makeRoomForGrowth(const Band& b, const QVector<Placed>& placed, Rendered& r) {
    const qsizetype n = placed.size();
    struct Box {
      double left, top, right, bottom;
    };
    QVector<Box> boxes(n);
    QVector<bool> shape(n), frame(n), anchored(n);
    for (qsizetype i = 0; i < n; ++i) {
      const ReportObject& o = *placed[i].object;
      boxes[i] = {std::min(o.x, o.x + o.width), std::min(o.y, o.y + o.height), std::max(o.x, o.x + o.width),
                  std::max(o.y, o.y + o.height)};
      shape[i] = o.kind == ObjectKind::Line || o.kind == ObjectKind::Rectangle;
      frame[i] = o.kind == ObjectKind::Rectangle;
      anchored[i] = shape[i] && std::abs(boxes[i].bottom - b.height) <= kEps;
    }
    const auto sharesWidth = [](const Box& a, const Box& c) {
      if (std::max(a.left, c.left) < std::min(a.right, c.right) - kEps) return true;
      // A vertical line shares the width of what spans across it.
      const auto across = [](const Box& line, const Box& other) {
        return line.right - line.left < kEps && line.left > other.left + kEps && line.left < other.right - kEps;
      };
      return across(a, c) || across(c, a);
    };
    const auto inside = [](const Box& a, const Box& f) {
      return a.left >= f.left - kEps && a.right <= f.right + kEps && a.top >= f.top - kEps && a.bottom <= f.bottom + kEps;
    };
    QVector<double> shift(n, 0.0), grow(n, 0.0);
    for (qsizetype i = 0; i < n; ++i) grow[i] = placed[i].grown;
    double bandGrowth = 0;
    bool changed = true;
    for (qsizetype pass = 0; changed && pass <= 2 * n + 2; ++pass) {
      changed = false;
      const auto raise = [&changed](double& v, double to) {
        if (to > v + kEps) {
          v = to;
          changed = true;
        }
      };
      for (qsizetype j = 0; j < n; ++j) {
        for (qsizetype i = 0; i < n; ++i) {
          if (i == j) continue;
          if (boxes[i].bottom <= boxes[j].top + kBelowOverlap && boxes[j].top > boxes[i].top + kEps && sharesWidth(boxes[i], boxes[j]))
            raise(shift[j], shift[i] + grow[i]);
          if (std::abs(boxes[i].top - boxes[j].top) <= kEps) raise(shift[j], shift[i]);
          if (frame[j] && inside(boxes[i], boxes[j])) raise(grow[j], shift[i] + grow[i] - shift[j]);
          if (shape[j] && shape[i] && std::abs(boxes[i].top - boxes[j].top) <= kEps && std::abs(boxes[i].bottom - boxes[j].bottom) <= kEps)
            raise(grow[j], grow[i]);
        }
        if (anchored[j]) {
          if (boxes[j].bottom - boxes[j].top <= kEps) raise(shift[j], bandGrowth);  // a rule along the bottom
          else raise(grow[j], bandGrowth - shift[j]);
        }
      }
      // How far the band's own objects reach below its bottom. Objects placed under it (printed only
      // sometimes, such as a payment code) follow its rules but do not lengthen them: counting them
      // would move them again by their own growth.
      for (qsizetype i = 0; i < n; ++i) {
        if (!anchored[i] && boxes[i].top < b.height - kEps) raise(bandGrowth, boxes[i].bottom + shift[i] + grow[i] - std::max(b.height, boxes[i].bottom));
      }
    }
    double height = r.height;
    for (qsizetype i = 0; i < n; ++i) {
      const Placed& pl = placed[i];
      const bool resize = shape[i] && grow[i] > kEps;
      for (qsizetype k = pl.first; k < pl.end; ++k) {
        Primitive& p = r.items[k];
        if (shift[i] > kEps) translate(p, 0, shift[i]);
        if (!resize) continue;
        if (p.type == Primitive::Type::Rect) {
          p.box.setHeight(p.box.height() + grow[i]);
        } else if (p.type == Primitive::Type::Line) {
          if (p.line.y1() > p.line.y2()) p.line.setP1(p.line.p1() + QPointF(0, grow[i]));
          else p.line.setP2(p.line.p2() + QPointF(0, grow[i]));
        }
      }
      const double grownBy = pl.object->kind == ObjectKind::Text ? pl.grown : shape[i] ? grow[i] : 0.0;
      height = std::max(height, boxes[i].bottom + shift[i] + grownBy);
    }
    r.height = std::max(height, b.height + bandGrowth);
  }

  Rendered render(const Band& b) {
    band_ = &b;
    Rendered r;
    r.height = b.height;
    QVector<Placed> placed;
    placed.reserve(b.objects.size());
    bool grown = false;
    for (const ReportObject& o : b.objects) {
      try {
        if (o.visible && !report::evaluate(*o.visible, *this).toBool()) continue;
        Placed pl;
        pl.object = &o;
        pl.first = r.items.size();
        const auto placedAfter = qScopeGuard([&] {
          pl.end = r.items.size();
          if (pl.end > pl.first) placed.push_back(pl);
          grown = grown || pl.grown > kEps;
        });
        switch (o.kind) {
          case ObjectKind::Text: pl.grown = renderText(o, r); break;
          case ObjectKind::Barcode: renderBarcode(b, o, r); break;
          case ObjectKind::QrCode: renderQrCode(o, r); break;
          case ObjectKind::Line: {
            Primitive p;
            p.type = Primitive::Type::Line;
            p.line = QLineF(o.x, o.y, o.x + o.width, o.y + o.height);
            p.penWidth = o.lineWidth;
            p.color = o.lineColor;
            r.items.push_back(p);
            r.height = std::max(r.height, std::max(o.y, o.y + o.height));
            break;
          }
          case ObjectKind::Rectangle: {
            Primitive p;
            p.type = Primitive::Type::Rect;
            p.box = QRectF(o.x, o.y, o.width, o.height);
            p.penWidth = o.lineWidth;
            p.color = o.lineColor;
            p.fill = o.fill;
            r.items.push_back(p);
            r.height = std::max(r.height, o.y + o.height);
            break;
          }
          case ObjectKind::Picture: {
            Primitive p;
            p.type = Primitive::Type::Image;
            p.image = o.image;
            QRectF box(o.x, o.y, o.width, o.height);
            if (o.keepAspect && !o.image.isNull()) {
              const QSizeF s = QSizeF(o.image.size()).scaled(box.size(), Qt::KeepAspectRatio);
              box = QRectF(box.x() + (box.width() - s.width()) / 2, box.y() + (box.height() - s.height()) / 2, s.width(), s.height());
            }
            p.box = box;
            r.items.push_back(p);
            r.height = std::max(r.height, o.y + o.height);
            break;
          }
        }
      } catch (const ExprError& e) {
        const QString what = o.visible && o.kind != ObjectKind::Text && o.kind != ObjectKind::Barcode && o.kind != ObjectKind::QrCode
                                 ? QStringLiteral("visible '%1'").arg(o.visibleText)
                                 : QStringLiteral("text '%1'").arg(o.text);
        throw ReportError(objectWhere(b, o) + QStringLiteral(": ") + what + QStringLiteral(": ") + e.message());
      }
    }
    if (grown) makeRoomForGrowth(b, placed, r);
    return r;
  }

  // ---- pages --------------------------------------------------------------------------------
  double bottomLimit() const {
    const Band* footer = tmpl_->band(BandType::PageFooter);
    return tmpl_->page.height - tmpl_->page.marginBottom - (footer ? footer->height : 0);
  }

  void append(const Rendered& r, double y) {
    auto& items = out_->pages.back().items;
    for (Primitive p : r.items) {
      translate(p, tmpl_->page.marginLeft, y);
      items.push_back(std::move(p));
    }
  }

  void finishPage() {
    if (!pageOpen_) return;
    pageOpen_ = false;
    const Band* footer = tmpl_->band(BandType::PageFooter);
    if (footer && (pageNo_ > 1 || footer->onFirstPage)) {
      const Rendered r = render(*footer);
      append(r, tmpl_->page.height - tmpl_->page.marginBottom - footer->height);
    }
  }

  void newPage() {
    finishPage();
    if (out_->pages.size() >= kMaxPages) {
      throw ReportError(QStringLiteral("%1: the report would have more than %2 pages").arg(tmpl_->fileName).arg(kMaxPages));
    }
    out_->pages.push_back(PreparedPage());
    ++pageNo_;
    pageOpen_ = true;
    curY_ = tmpl_->page.marginTop;
    resetAggregates(AggScope::Page);
    const Band* title = tmpl_->band(BandType::ReportTitle);
    if (pageNo_ == 1 && title) {
      // The report title opens the first page, above its page header.
      const Rendered r = render(*title);
      append(r, curY_);
      curY_ += r.height;
      if (title->startNewPage) {
        newPage();
        return;
      }
    }
    const Band* header = tmpl_->band(BandType::PageHeader);
    if (header && (pageNo_ > 1 || header->onFirstPage)) {
      const Rendered r = render(*header);
      append(r, curY_);
      curY_ += r.height;
    }
    contentTop_ = curY_;
  }

  // Places a band at the current position, on a new page when it does not fit (with room for
  // `keepWith` millimetres after it). A band taller than an empty page is placed all the same.
  void placeBand(const Band& b, double keepWith = 0) {
    if (b.startNewPage && curY_ > contentTop_ + kEps) newPage();
    const qsizetype noted = out_ ? out_->overflows.size() : 0;
    const QSet<QString> keys = overflowKeys_;
    Rendered r = render(b);
    if (curY_ + r.height + keepWith > bottomLimit() + kEps && curY_ > contentTop_ + kEps) {
      // What the band cuts is reported on the page it prints on.
      if (out_) out_->overflows.resize(noted);
      overflowKeys_ = keys;
      newPage();
      r = render(b);
    }
    if (curY_ + r.height > bottomLimit() + kEps) noteBandPastPageEnd(b);
    append(r, curY_);
    curY_ += r.height;
  }

  // How high a band prints for the current row, without leaving a trace (its overflows are noted
  // when it is placed).
  double measure(const Band& b) {
    const Band* previousBand = band_;
    const int previousCell = cell_;
    const qsizetype noted = out_ ? out_->overflows.size() : 0;
    const QSet<QString> keys = overflowKeys_;
    const double height = render(b).height;
    if (out_) out_->overflows.resize(noted);
    overflowKeys_ = keys;
    cell_ = previousCell;
    band_ = previousBand;
    return height;
  }

  // A band taller than the room of a whole page is placed all the same: what lies below the room is
  // printed over the page footer or off the page.
  void noteBandPastPageEnd(const Band& b) {
    ReportObject none;
    const Band* previous = band_;
    band_ = &b;
    noteOverflow(Overflow::Kind::PastPageEnd, none, QString());
    band_ = previous;
  }

  void runMaster(int mi) {
    const Band& b = *masters_[mi];
    master_ = mi;
    Dataset* ds = nullptr;
    qint64 rows = 0;
    if (!b.dataset.isEmpty()) {
      ds = dataset(b.dataset.toUpper());
      rows = ds->result.rowCount();
    } else {
      band_ = &b;
      try {
        rows = report::evaluate(*b.rowCount, *this).toInteger();
      } catch (const ExprError& e) {
        throw ReportError(QStringLiteral("%1: band '%2': rowCount '%3': %4").arg(tmpl_->fileName, b.name, b.rowCountText, e.message()));
      }
      if (rows > kMaxRowCount) throw ReportError(QStringLiteral("%1: band '%2': rowCount %3 is more than %4").arg(tmpl_->fileName, b.name).arg(rows).arg(kMaxRowCount));
    }
    Dataset* previousDs = currentDs_;
    currentDs_ = ds ? ds : currentDs_;
    const int groups = static_cast<int>(b.groups.size());
    QStringList keys(groups);
    const auto moveTo = [&](qint64 i) {
      if (ds) ds->result.moveTo(static_cast<int>(i));
      line_ = static_cast<int>(i + 1);
    };
    const auto printFooters = [&](int from) {
      for (int g = groups - 1; g >= from; --g) {
        for (const Band& f : b.groups[g].footer) placeBand(f);
      }
    };
    for (qint64 i = 0; i < rows; ++i) {
      moveTo(i);
      QStringList newKeys(groups);
      int breakLevel = i == 0 && groups > 0 ? 0 : -1;
      for (int g = 0; g < groups; ++g) {
        band_ = &b;
        try {
          newKeys[g] = valueKey(report::evaluate(*b.groups[g].expression, *this));
        } catch (const ExprError& e) {
          throw ReportError(QStringLiteral("%1: band '%2', group %3: expression '%4': %5")
                                .arg(tmpl_->fileName, b.name).arg(g + 1).arg(b.groups[g].expressionText, e.message()));
        }
        if (breakLevel < 0 && newKeys[g] != keys[g]) breakLevel = g;
      }
      if (i > 0 && breakLevel >= 0) {
        moveTo(i - 1);
        printFooters(breakLevel);
        moveTo(i);
      }
      if (breakLevel >= 0) {
        resetAggregates(AggScope::Group, mi, breakLevel);
        // Each heading keeps with the headings after it and the first row as they print (a row
        // that wraps is taller than its band), so no heading is left alone at a page's bottom.
        QVector<const Band*> heads;
        for (int g = breakLevel; g < groups; ++g) {
          for (const Band& h : b.groups[g].header) heads.push_back(&h);
        }
        QVector<double> keepWith(heads.size(), 0.0);
        double below = measure(b);
        for (qsizetype k = heads.size() - 1; k >= 0; --k) {
          keepWith[k] = below;
          below += measure(*heads[k]);
        }
        for (qsizetype k = 0; k < heads.size(); ++k) placeBand(*heads[k], keepWith[k]);
      }
      keys = newKeys;
      placeBand(b);
      accumulate(mi);
    }
    if (rows > 0) {
      moveTo(rows - 1);
      printFooters(0);
    }
    currentDs_ = previousDs ? previousDs : currentDs_;
  }

  void runPass(PreparedReport& out) {
    out.page = tmpl_->page;
    out.pages.clear();
    out.overflows.clear();
    overflowKeys_.clear();
    out_ = &out;
    pageNo_ = 0;
    line_ = 0;
    cell_ = 0;
    pageOpen_ = false;
    currentDs_ = nullptr;
    for (Aggregate& a : aggs_) a.reset();
    for (Dataset& d : datasets_) d.result.first();
    newPage();
    for (int i = 0; i < masters_.size(); ++i) runMaster(i);
    if (const Band* summary = tmpl_->band(BandType::ReportSummary)) {
      band_ = summary;
      placeBand(*summary);
    }
    finishPage();
  }

  void askDialog() {
    const DialogDef& dlg = tmpl_->dialog;
    QStringList values;
    for (const DialogField& f : dlg.fields) {
      QString v;
      try {
        const Value x = !f.defaultValue.trimmed().isEmpty() ? owner_.evaluate(f.defaultValue)
                        : vars_.contains(f.variable.toUpper()) ? variableValue(vars_[f.variable.toUpper()])
                                                               : Value();
        v = x.toString();
      } catch (const ExprError&) {
        v.clear();  // a default that cannot be evaluated yet leaves the edit empty
      }
      values << v;
    }
    const bool ok = answerer_ ? answerer_(dlg, values) : showParameterDialog(dlg, values);
    if (!ok) throw false;
    for (int i = 0; i < dlg.fields.size(); ++i) {
      const DialogField& f = dlg.fields[i];
      const QString text = values.value(i);
      const QString where = QStringLiteral("%1: dialog field '%2'").arg(tmpl_->fileName, f.label);
      if (f.type == QLatin1String("number")) {
        const auto n = readNumber(text);
        if (!n) throw ReportError(where + QStringLiteral(": '%1' is not a number").arg(text));
        setVariableValue(f.variable, Value::number(*n));
      } else if (f.type == QLatin1String("date")) {
        const auto dt = readDate(text);
        if (!dt) throw ReportError(where + QStringLiteral(": '%1' is not a date").arg(text));
        setVariableValue(f.variable, Value::dateTime(*dt));
      } else {
        setVariableValue(f.variable, Value::string(text));
      }
    }
  }

  bool prepare(PreparedReport& out) {
    if (!tmpl_) throw ReportError(QStringLiteral("No report template is loaded"));
    struct Flag {
      bool& f;
      explicit Flag(bool& x) : f(x) { f = true; }
      ~Flag() { f = false; }
    } flag(preparing_);
    if (tmpl_->dialog.present()) {
      try {
        askDialog();
      } catch (bool) {
        return false;
      }
    }
    openDatasets();
    collectAggregates();
    const QHash<QString, Variable> snapshot = vars_;
    totalPages_ = -1;
    totalRequested_ = false;
    PreparedReport result;
    runPass(result);
    if (totalRequested_) {
      // Page numbers "of total" need the page count: lay the pages out again knowing it.
      vars_ = snapshot;
      totalPages_ = static_cast<int>(result.pages.size());
      runPass(result);
    }
    out = std::move(result);
    out_ = nullptr;
    band_ = nullptr;
    return true;
  }

  NodePtr parsed(const QString& text) {
    auto it = parseCache_.find(text);
    if (it != parseCache_.end()) return it.value();
    NodePtr n = parseExpression(text);
    if (parseCache_.size() > 5000) parseCache_.clear();
    parseCache_.insert(text, n);
    return n;
  }
};

Engine::Engine() : d(std::make_unique<Impl>(*this)) {}
Engine::~Engine() = default;

void Engine::setTemplate(std::shared_ptr<const Template> t) {
  d->tmpl_ = std::move(t);
  d->currentDs_ = nullptr;
  d->datasets_.clear();
  d->aggs_.clear();
  d->aggByNode_.clear();
  d->aggByText_.clear();
  d->resetVariables();
}

std::shared_ptr<const Template> Engine::templ() const { return d->tmpl_; }

void Engine::clear() {
  d->currentDs_ = nullptr;
  d->datasets_.clear();
  d->aggs_.clear();
  d->aggByNode_.clear();
  d->aggByText_.clear();
  d->tmpl_.reset();
  d->vars_.clear();
}

void Engine::setConnection(db::Connection* connection) { d->conn_ = connection; }
db::Connection* Engine::connection() const { return d->conn_; }
void Engine::setVariable(const QString& name, const QString& expression) { d->setVariable(name, expression); }
void Engine::setVariableValue(const QString& name, const Value& value) { d->setVariableValue(name, value); }
bool Engine::hasVariable(const QString& name) const { return d->vars_.contains(name.toUpper()); }

QStringList Engine::variableNames() const {
  QStringList out;
  for (const auto& v : d->vars_) out << v.name;
  out.sort(Qt::CaseInsensitive);
  return out;
}

void Engine::addFunctionLibrary(const std::shared_ptr<FunctionLibrary>& library) {
  if (library && !d->localLibs_.contains(library)) d->localLibs_.push_back(library);
}

void Engine::setUserFunction(UserFunction fn) { d->userFn_ = std::move(fn); }
void Engine::setDialogAnswerer(DialogAnswerer answerer) { d->answerer_ = std::move(answerer); }
bool Engine::prepare(PreparedReport& out) { return d->prepare(out); }

Value Engine::evaluate(const QString& text) {
  if (text.trimmed().isEmpty()) return Value();
  const NodePtr n = d->parsed(text);
  return report::evaluate(*n, *d);
}

void Engine::runStatement(const QString& line) {
  auto it = d->statementCache_.find(line);
  Statement st;
  if (it != d->statementCache_.end()) {
    st = it.value();
  } else {
    st = parseStatement(line);
    if (d->statementCache_.size() > 1000) d->statementCache_.clear();
    d->statementCache_.insert(line, st);
  }
  const Value v = report::evaluate(*st.expr, *d);
  d->setVariableValue(st.target, v);
}

}  // namespace report
