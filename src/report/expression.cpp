#include "report/expression.h"

#include "report/text_format.h"

#include <QHash>
#include <cmath>

namespace report {

namespace {

constexpr int kMaxDepth = 200;

struct Token {
  enum class Kind { End, Number, String, Name, Op };
  Kind kind = Kind::End;
  QString text;  // name, op or string value
  double number = 0;
  int start = 0;
  int end = 0;
};

bool isNameStart(QChar c) { return c.isLetter() || c == QLatin1Char('_') || c.isMark(); }
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c.isMark() || c == QLatin1Char('#'); }

class Parser {
 public:
  explicit Parser(const QString& text) : src_(text) { advance(); }

  NodePtr parseAll() {
    NodePtr n = expression();
    if (tok_.kind != Token::Kind::End) fail(QStringLiteral("unexpected '%1'").arg(tokenText()));
    return n;
  }

  Statement statement() {
    if (tok_.kind != Token::Kind::Name) fail(QStringLiteral("a statement must start with a variable name"));
    Statement st;
    st.target = tok_.text;
    advance();
    if (!isOp(":=")) fail(QStringLiteral("':=' expected"));
    advance();
    st.expr = expression();
    if (tok_.kind != Token::Kind::End) fail(QStringLiteral("unexpected '%1'").arg(tokenText()));
    return st;
  }

 private:
  [[noreturn]] void fail(const QString& what) const {
    throw ExprError(QStringLiteral("Syntax error in expression '%1' at position %2: %3").arg(src_).arg(tok_.start + 1).arg(what));
  }

  QString tokenText() const {
    if (tok_.kind == Token::Kind::End) return QStringLiteral("end of text");
    return src_.mid(tok_.start, tok_.end - tok_.start);
  }

  bool isOp(const char* op) const { return tok_.kind == Token::Kind::Op && tok_.text == QLatin1String(op); }
  bool isWord(const char* w) const {
    return tok_.kind == Token::Kind::Name && tok_.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
  }

  void advance() {
    prevEnd_ = tok_.end;
    int i = pos_;
    while (i < src_.size() && src_[i].isSpace()) ++i;
    tok_ = Token();
    tok_.start = i;
    if (i >= src_.size()) {
      tok_.kind = Token::Kind::End;
      tok_.end = i;
      pos_ = i;
      return;
    }
    const QChar c = src_[i];
    if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < src_.size() && src_[i + 1].isDigit())) {
      int j = i;
      while (j < src_.size() && src_[j].isDigit()) ++j;
      if (j < src_.size() && src_[j] == QLatin1Char('.') && j + 1 < src_.size() && src_[j + 1].isDigit()) {
        ++j;
        while (j < src_.size() && src_[j].isDigit()) ++j;
      }
      if (j < src_.size() && (src_[j] == QLatin1Char('e') || src_[j] == QLatin1Char('E'))) {
        int k = j + 1;
        if (k < src_.size() && (src_[k] == QLatin1Char('+') || src_[k] == QLatin1Char('-'))) ++k;
        if (k < src_.size() && src_[k].isDigit()) {
          while (k < src_.size() && src_[k].isDigit()) ++k;
          j = k;
        }
      }
      tok_.kind = Token::Kind::Number;
      tok_.number = src_.mid(i, j - i).toDouble();
      if (!std::isfinite(tok_.number)) { pos_ = j; tok_.end = j; fail(QStringLiteral("number out of range")); }
      tok_.end = pos_ = j;
      return;
    }
    if (c == QLatin1Char('\'')) {
      QString s;
      int j = i + 1;
      for (;;) {
        if (j >= src_.size()) { tok_.end = pos_ = j; fail(QStringLiteral("unterminated text")); }
        if (src_[j] == QLatin1Char('\'')) {
          if (j + 1 < src_.size() && src_[j + 1] == QLatin1Char('\'')) { s += QLatin1Char('\''); j += 2; continue; }
          ++j;
          break;
        }
        s += src_[j++];
      }
      tok_.kind = Token::Kind::String;
      tok_.text = s;
      tok_.end = pos_ = j;
      return;
    }
    if (isNameStart(c)) {
      int j = i + 1;
      while (j < src_.size() && isNameChar(src_[j])) ++j;
      tok_.kind = Token::Kind::Name;
      tok_.text = src_.mid(i, j - i);
      tok_.end = pos_ = j;
      return;
    }
    static const char* const two[] = {":=", "<>", "<=", ">="};
    for (const char* op : two) {
      if (src_.mid(i, 2) == QLatin1String(op)) {
        tok_.kind = Token::Kind::Op;
        tok_.text = QLatin1String(op);
        tok_.end = pos_ = i + 2;
        return;
      }
    }
    if (QStringLiteral("+-*/&=<>(),.").contains(c)) {
      tok_.kind = Token::Kind::Op;
      tok_.text = c;
      tok_.end = pos_ = i + 1;
      return;
    }
    tok_.end = pos_ = i + 1;
    fail(QStringLiteral("unexpected character '%1'").arg(c));
  }

  struct DepthGuard {
    explicit DepthGuard(Parser& p) : p_(p) {
      if (++p_.depth_ > kMaxDepth) p_.fail(QStringLiteral("expression nested too deeply"));
    }
    ~DepthGuard() { --p_.depth_; }
    Parser& p_;
  };

  static std::shared_ptr<Node> make(Node::Type t, int pos) {
    auto n = std::make_shared<Node>();
    n->type = t;
    n->pos = pos;
    return n;
  }

  NodePtr expression() {
    DepthGuard g(*this);
    NodePtr left = andExpr();
    while (isWord("or")) {
      const int p = tok_.start;
      advance();
      auto n = make(Node::Type::Or, p);
      n->args = {left, andExpr()};
      left = n;
    }
    return left;
  }

  NodePtr andExpr() {
    NodePtr left = notExpr();
    while (isWord("and")) {
      const int p = tok_.start;
      advance();
      auto n = make(Node::Type::And, p);
      n->args = {left, notExpr()};
      left = n;
    }
    return left;
  }

  NodePtr notExpr() {
    DepthGuard g(*this);
    if (isWord("not")) {
      const int p = tok_.start;
      advance();
      auto n = make(Node::Type::Not, p);
      n->args = {notExpr()};
      return n;
    }
    return comparison();
  }

  NodePtr comparison() {
    NodePtr left = sum();
    static const char* const ops[] = {"=", "<>", "<", ">", "<=", ">="};
    for (const char* op : ops) {
      if (isOp(op)) {
        const int p = tok_.start;
        advance();
        auto n = make(Node::Type::Binary, p);
        n->op = QLatin1String(op);
        n->args = {left, sum()};
        return n;
      }
    }
    return left;
  }

  NodePtr sum() {
    NodePtr left = product();
    while (isOp("+") || isOp("-") || isOp("&")) {
      auto n = make(Node::Type::Binary, tok_.start);
      n->op = tok_.text;
      advance();
      n->args = {left, product()};
      left = n;
    }
    return left;
  }

  NodePtr product() {
    NodePtr left = unary();
    while (isOp("*") || isOp("/") || isWord("div") || isWord("mod")) {
      auto n = make(Node::Type::Binary, tok_.start);
      n->op = tok_.text.toUpper();
      advance();
      n->args = {left, unary()};
      left = n;
    }
    return left;
  }

  NodePtr unary() {
    DepthGuard g(*this);
    if (isOp("-")) {
      const int p = tok_.start;
      advance();
      auto n = make(Node::Type::Negate, p);
      n->args = {unary()};
      return n;
    }
    if (isOp("+")) {
      advance();
      return unary();
    }
    return primary();
  }

  NodePtr primary() {
    const int p = tok_.start;
    switch (tok_.kind) {
      case Token::Kind::Number: {
        auto n = make(Node::Type::Literal, p);
        n->literal = Value::number(tok_.number);
        advance();
        return n;
      }
      case Token::Kind::String: {
        auto n = make(Node::Type::Literal, p);
        n->literal = Value::string(tok_.text);
        advance();
        return n;
      }
      case Token::Kind::Name: {
        const QString name = tok_.text;
        const QString upper = name.toUpper();
        advance();
        if (upper == QLatin1String("TRUE") || upper == QLatin1String("FALSE")) {
          auto n = make(Node::Type::Literal, p);
          n->literal = Value::boolean(upper == QLatin1String("TRUE"));
          return n;
        }
        if (upper == QLatin1String("NULL")) return make(Node::Type::Literal, p);
        if (upper == QLatin1String("AND") || upper == QLatin1String("OR") || upper == QLatin1String("DIV") || upper == QLatin1String("MOD")) {
          throw ExprError(QStringLiteral("Syntax error in expression '%1' at position %2: unexpected '%3'").arg(src_).arg(p + 1).arg(name));
        }
        if (isOp("(")) return call(name, upper, p);
        if (isOp(".")) {
          advance();
          if (tok_.kind != Token::Kind::Name) fail(QStringLiteral("field name expected after '%1.'").arg(name));
          auto n = make(Node::Type::Field, p);
          n->name = name;
          n->upper = upper;
          n->field = tok_.text;
          advance();
          return n;
        }
        auto n = make(Node::Type::Name, p);
        n->name = name;
        n->upper = upper;
        return n;
      }
      case Token::Kind::Op:
        if (isOp("(")) {
          advance();
          NodePtr inner = expression();
          if (!isOp(")")) fail(QStringLiteral("')' expected"));
          advance();
          return inner;
        }
        fail(QStringLiteral("unexpected '%1'").arg(tokenText()));
      case Token::Kind::End:
        fail(QStringLiteral("unexpected end of text"));
    }
    fail(QStringLiteral("unexpected '%1'").arg(tokenText()));
  }

  NodePtr call(const QString& name, const QString& upper, int p) {
    auto n = make(Node::Type::Call, p);
    n->name = name;
    n->upper = upper;
    advance();  // "("
    if (isOp(")")) {
      advance();
      return n;
    }
    for (;;) {
      const int start = tok_.start;
      n->args.push_back(expression());
      n->argTexts << src_.mid(start, prevEnd_ - start).trimmed();
      if (isOp(",")) { advance(); continue; }
      if (isOp(")")) { advance(); break; }
      fail(QStringLiteral("',' or ')' expected"));
    }
    return n;
  }

  QString src_;
  int pos_ = 0;
  int prevEnd_ = 0;
  int depth_ = 0;
  Token tok_;
};

// ---- evaluation ----------------------------------------------------------------------------

[[noreturn]] void argCountError(const Node& n, const char* wanted) {
  throw ExprError(QStringLiteral("%1 takes %2").arg(n.name, QLatin1String(wanted)));
}

int compareValues(const Value& a, const Value& b) {
  const auto cmp = [](auto x, auto y) { return x < y ? -1 : (x > y ? 1 : 0); };
  const bool aText = a.isString() || a.isNull();
  const bool bText = b.isString() || b.isNull();
  if (aText && bText) return cmp(a.toString(), b.toString());
  if (a.isString() || b.isString()) {
    const Value& s = a.isString() ? a : b;
    if (auto num = readNumber(s.rawString())) {
      const double x = a.isString() ? *num : a.toNumber();
      const double y = b.isString() ? *num : b.toNumber();
      return cmp(x, y);
    }
    if ((a.isDate() || b.isDate())) {
      if (auto dt = readDate(s.rawString())) {
        const double x = a.isString() ? toDays(*dt) : a.toNumber();
        const double y = b.isString() ? toDays(*dt) : b.toNumber();
        return cmp(x, y);
      }
    }
    return cmp(a.toString(), b.toString());
  }
  return cmp(a.toNumber(), b.toNumber());
}

Value binary(const Node& n, const Value& a, const Value& b) {
  const QString& op = n.op;
  if (op == QLatin1String("&")) return Value::string(a.toString() + b.toString());
  if (op == QLatin1String("+")) {
    if (a.isString() || b.isString()) return Value::string(a.toString() + b.toString());
    if (a.isDate() != b.isDate()) return Value::date(a.toNumber() + b.toNumber());
    return Value::number(a.toNumber() + b.toNumber());
  }
  if (op == QLatin1String("-")) {
    if (a.isDate() && !b.isDate()) return Value::date(a.toNumber() - b.toNumber());
    return Value::number(a.toNumber() - b.toNumber());
  }
  if (op == QLatin1String("*")) return Value::number(a.toNumber() * b.toNumber());
  if (op == QLatin1String("/")) {
    const double d = b.toNumber();
    if (d == 0) throw ExprError(QStringLiteral("Division by zero"));
    return Value::number(a.toNumber() / d);
  }
  if (op == QLatin1String("DIV") || op == QLatin1String("MOD")) {
    const qint64 x = a.toInteger();
    const qint64 y = b.toInteger();
    if (y == 0) throw ExprError(QStringLiteral("Division by zero"));
    if (y == -1) return Value::number(op == QLatin1String("DIV") ? -static_cast<double>(x) : 0.0);
    return Value::number(static_cast<double>(op == QLatin1String("DIV") ? x / y : x % y));
  }
  const int c = compareValues(a, b);
  if (op == QLatin1String("=")) return Value::boolean(c == 0);
  if (op == QLatin1String("<>")) return Value::boolean(c != 0);
  if (op == QLatin1String("<")) return Value::boolean(c < 0);
  if (op == QLatin1String(">")) return Value::boolean(c > 0);
  if (op == QLatin1String("<=")) return Value::boolean(c <= 0);
  if (op == QLatin1String(">=")) return Value::boolean(c >= 0);
  throw ExprError(QStringLiteral("Unknown operator '%1'").arg(op));
}

using CoreFn = Value (*)(const Node& n, Scope& scope);

Value arg(const Node& n, int i, Scope& scope) { return evaluate(*n.args[static_cast<size_t>(i)], scope); }

void needArgs(const Node& n, size_t lo, size_t hi, const char* wanted) {
  if (n.args.size() < lo || n.args.size() > hi) argCountError(n, wanted);
}

int clampInt(qint64 v) { return static_cast<int>(std::clamp<qint64>(v, -2000000000LL, 2000000000LL)); }

const QHash<QString, CoreFn>& coreTable() {
  static const QHash<QString, CoreFn> table = {
      {QStringLiteral("IF"), [](const Node& n, Scope& s) {
         needArgs(n, 3, 3, "3 arguments: IF(condition, then, else)");
         return arg(n, 0, s).toBool() ? arg(n, 1, s) : arg(n, 2, s);
       }},
      {QStringLiteral("FORMATFLOAT"), [](const Node& n, Scope& s) {
         needArgs(n, 2, 2, "2 arguments: FORMATFLOAT(format, number)");
         const QString fmt = arg(n, 0, s).toString();
         return Value::string(formatNumber(fmt, arg(n, 1, s).toNumber()));
       }},
      {QStringLiteral("FORMATDATETIME"), [](const Node& n, Scope& s) {
         needArgs(n, 2, 2, "2 arguments: FORMATDATETIME(format, date)");
         const QString fmt = arg(n, 0, s).toString();
         return Value::string(formatDateTime(fmt, arg(n, 1, s).toDateTime()));
       }},
      {QStringLiteral("LENGTH"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: LENGTH(text)");
         return Value::number(arg(n, 0, s).toString().size());
       }},
      {QStringLiteral("COPY"), [](const Node& n, Scope& s) {
         needArgs(n, 3, 3, "3 arguments: COPY(text, from, count)");
         const QString t = arg(n, 0, s).toString();
         int from = clampInt(arg(n, 1, s).toInteger());
         const int count = clampInt(arg(n, 2, s).toInteger());
         if (from < 1) from = 1;
         if (count <= 0 || from > t.size()) return Value::string(QString());
         return Value::string(t.mid(from - 1, count));
       }},
      {QStringLiteral("POS"), [](const Node& n, Scope& s) {
         needArgs(n, 2, 2, "2 arguments: POS(part, text)");
         const QString sub = arg(n, 0, s).toString();
         const QString t = arg(n, 1, s).toString();
         return Value::number(sub.isEmpty() ? 0 : t.indexOf(sub) + 1);
       }},
      {QStringLiteral("UPPERCASE"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: UPPERCASE(text)");
         return Value::string(arg(n, 0, s).toString().toUpper());
       }},
      {QStringLiteral("LOWERCASE"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: LOWERCASE(text)");
         return Value::string(arg(n, 0, s).toString().toLower());
       }},
      {QStringLiteral("TRIM"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: TRIM(text)");
         return Value::string(arg(n, 0, s).toString().trimmed());
       }},
      {QStringLiteral("STR"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: STR(value)");
         return Value::string(arg(n, 0, s).toString());
       }},
      {QStringLiteral("INT"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: INT(number)");
         return Value::number(std::trunc(arg(n, 0, s).toNumber()));
       }},
      {QStringLiteral("FRAC"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: FRAC(number)");
         const double d = arg(n, 0, s).toNumber();
         return Value::number(d - std::trunc(d));
       }},
      {QStringLiteral("ABS"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: ABS(number)");
         return Value::number(std::fabs(arg(n, 0, s).toNumber()));
       }},
      {QStringLiteral("ROUND"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 2, "1 or 2 arguments: ROUND(number[, decimals])");
         const double d = arg(n, 0, s).toNumber();
         const int dec = n.args.size() > 1 ? static_cast<int>(std::clamp<qint64>(arg(n, 1, s).toInteger(), 0, 12)) : 0;
         // Rounded on the decimal form, half away from zero (0.125 -> 0.13).
         const QString t = formatNumber(dec == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(dec, QLatin1Char('0')), d);
         QString plain = t;
         if (formatSettings().decimalSeparator != QLatin1Char('.')) plain.replace(formatSettings().decimalSeparator, QLatin1Char('.'));
         return Value::number(plain.toDouble());
       }},
      {QStringLiteral("STRTODATE"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: STRTODATE(text)");
         const Value v = arg(n, 0, s);
         return Value::date(v.toDate());
       }},
      {QStringLiteral("ENCODEDATE"), [](const Node& n, Scope& s) {
         needArgs(n, 3, 3, "3 arguments: ENCODEDATE(year, month, day)");
         const qint64 y = arg(n, 0, s).toInteger(), m = arg(n, 1, s).toInteger(), d = arg(n, 2, s).toInteger();
         const QDate date(clampInt(y), clampInt(m), clampInt(d));
         if (y < 1 || y > 9999 || !date.isValid()) throw ExprError(QStringLiteral("%1-%2-%3 is not a valid date").arg(y).arg(m).arg(d));
         return Value::dateTime(QDateTime(date, QTime(0, 0)));
       }},
      {QStringLiteral("YEAR"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: YEAR(date)");
         return Value::number(arg(n, 0, s).toDateTime().date().year());
       }},
      {QStringLiteral("MONTH"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: MONTH(date)");
         return Value::number(arg(n, 0, s).toDateTime().date().month());
       }},
      {QStringLiteral("DAY"), [](const Node& n, Scope& s) {
         needArgs(n, 1, 1, "1 argument: DAY(date)");
         return Value::number(arg(n, 0, s).toDateTime().date().day());
       }},
  };
  return table;
}

}  // namespace

NodePtr parseExpression(const QString& text) {
  if (text.trimmed().isEmpty()) throw ExprError(QStringLiteral("Empty expression"));
  Parser p(text);
  return p.parseAll();
}

Statement parseStatement(const QString& text) {
  Parser p(text);
  return p.statement();
}

const QStringList& coreFunctionNames() {
  static const QStringList names = [] {
    QStringList l = coreTable().keys();
    l.sort();
    return l;
  }();
  return names;
}

bool isCoreFunction(const QString& upperName) { return coreTable().contains(upperName); }

Value evaluate(const Node& n, Scope& scope) {
  switch (n.type) {
    case Node::Type::Literal: return n.literal;
    case Node::Type::Name: case Node::Type::Field: return scope.name(n);
    case Node::Type::Negate: {
      const Value v = evaluate(*n.args[0], scope);
      if (v.isDate()) return Value::date(-v.toNumber());
      return Value::number(-v.toNumber());
    }
    case Node::Type::Not: return Value::boolean(!evaluate(*n.args[0], scope).toBool());
    case Node::Type::And:
      return Value::boolean(evaluate(*n.args[0], scope).toBool() && evaluate(*n.args[1], scope).toBool());
    case Node::Type::Or:
      return Value::boolean(evaluate(*n.args[0], scope).toBool() || evaluate(*n.args[1], scope).toBool());
    case Node::Type::Binary: {
      const Value a = evaluate(*n.args[0], scope);
      const Value b = evaluate(*n.args[1], scope);
      return binary(n, a, b);
    }
    case Node::Type::Call: {
      const auto& table = coreTable();
      auto it = table.find(n.upper);
      if (it != table.end()) return it.value()(n, scope);
      return scope.call(n);
    }
  }
  return Value();
}

void visit(const NodePtr& root, const std::function<void(const Node&)>& fn) {
  if (!root) return;
  fn(*root);
  for (const auto& a : root->args) visit(a, fn);
}

QVector<TextPart> parseEmbedded(const QString& text) {
  QVector<TextPart> parts;
  QString lit;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c != QLatin1Char('[')) { lit += c; continue; }
    if (i + 1 < text.size() && text[i + 1] == QLatin1Char('[')) { lit += c; ++i; continue; }
    // Find the closing bracket outside quoted texts; nested brackets are counted.
    int depth = 1;
    bool quoted = false;
    int j = i + 1;
    for (; j < text.size(); ++j) {
      const QChar d = text[j];
      if (d == QLatin1Char('\'')) quoted = !quoted;
      else if (!quoted && d == QLatin1Char('[')) ++depth;
      else if (!quoted && d == QLatin1Char(']') && --depth == 0) break;
    }
    if (j >= text.size()) throw ExprError(QStringLiteral("Missing ']' after '[' at position %1 in '%2'").arg(i + 1).arg(text));
    if (!lit.isEmpty()) { parts.push_back(TextPart{lit, QString(), nullptr}); lit.clear(); }
    TextPart p;
    p.exprText = text.mid(i + 1, j - i - 1);
    p.expr = parseExpression(p.exprText);
    parts.push_back(p);
    i = j;
  }
  if (!lit.isEmpty()) parts.push_back(TextPart{lit, QString(), nullptr});
  return parts;
}

}  // namespace report
