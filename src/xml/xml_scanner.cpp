#include "xml/xml_scanner.h"

#include "textutil/cp874.h"
#include "xml/byte_scanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <optional>

namespace xml {

namespace {

// One token of the reader, captured before the reader moves on.
struct Token {
  QXmlStreamReader::TokenType type = QXmlStreamReader::NoToken;
  QString name;
  QString text;
  qint64 offset = 0;
  bool hasDeclaration = false;
  QList<QPair<QString, QString>> attributes;
};

bool isXmlBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// The encoding named in the XML declaration at the start of the bytes, if any.
QString declaredEncoding(const QByteArray& data) {
  static const QRegularExpression re(
      QStringLiteral("^\\s*<\\?xml[^>]*?\\sencoding\\s*=\\s*[\"']([A-Za-z0-9._:-]+)[\"']"));
  const QString head = QString::fromLatin1(data.left(512));
  const auto m = re.match(head);
  return m.hasMatch() ? m.captured(1) : QString();
}

}  // namespace

QString normalizeWhitespace(const QString& text) {
  // Most texts of an order file are either only blanks (the indentation between elements) or a
  // value with no blank to change: those are answered without building a new string.
  const QChar* begin = text.constData();
  const QChar* end = begin + text.size();
  const QChar* first = begin;
  while (first < end && isXmlBlank(*first)) ++first;
  if (first == end) return QString();
  const QChar* last = end;
  while (isXmlBlank(last[-1])) --last;
  bool clean = true;
  for (const QChar* p = first; p < last && clean; ++p)
    if (isXmlBlank(*p) && (*p != u' ' || isXmlBlank(p[1]))) clean = false;
  if (clean) return (first == begin && last == end) ? text : QString(first, last - first);
  QString out(last - first, Qt::Uninitialized);
  QChar* o = out.data();
  for (const QChar* p = first; p < last; ++p) {
    if (!isXmlBlank(*p)) {
      *o++ = *p;
      continue;
    }
    *o++ = u' ';
    while (p + 1 < last && isXmlBlank(p[1])) ++p;
  }
  out.truncate(o - out.constData());
  return out;
}

struct TXmlScanner::Impl {
  QByteArray bytes;  // kept alive for the reader
  QString decoded;   // used instead when this scanner decodes the bytes itself
  QXmlStreamReader reader;
  QString source;
  std::optional<Token> pushedBack;
  // Most documents are read by the byte scanner; the reader reads the others from their start.
  detail::ByteScanner byteScanner;
  bool byBytes = false;
  bool loaded = false;
  bool finished = false;

  void fail() {
    const QString where = source.isEmpty() ? QString() : source + QStringLiteral(": ");
    throw XmlError(where + QStringLiteral("line %1, column %2: %3")
                               .arg(reader.lineNumber())
                               .arg(reader.columnNumber())
                               .arg(reader.errorString()),
                   reader.lineNumber(), reader.columnNumber());
  }

  Token read() {
    if (pushedBack) {
      Token t = std::move(*pushedBack);
      pushedBack.reset();
      return t;
    }
    Token t;
    t.type = reader.readNext();
    if (t.type == QXmlStreamReader::Invalid || reader.hasError()) fail();
    t.offset = reader.characterOffset();
    switch (t.type) {
      case QXmlStreamReader::StartDocument:
        t.hasDeclaration = !reader.documentVersion().isEmpty();
        break;
      case QXmlStreamReader::StartElement:
        t.name = reader.qualifiedName().toString();
        for (const QXmlStreamAttribute& a : reader.attributes())
          t.attributes.append({a.qualifiedName().toString(), a.value().toString()});
        break;
      case QXmlStreamReader::EndElement:
        t.name = reader.qualifiedName().toString();
        break;
      case QXmlStreamReader::Characters:
      case QXmlStreamReader::Comment:
        t.text = reader.text().toString();
        break;
      case QXmlStreamReader::DTD:
        t.text = reader.dtdName().toString();
        break;
      case QXmlStreamReader::ProcessingInstruction:
        t.name = reader.processingInstructionTarget().toString();
        t.text = reader.processingInstructionData().toString();
        break;
      case QXmlStreamReader::EntityReference:
        // Only undeclared entities would reach here, and the reader reports those as errors.
        t.text = reader.text().toString();
        break;
      default:
        break;
    }
    return t;
  }
};

TXmlScanner::TXmlScanner() : d_(std::make_unique<Impl>()) {}
TXmlScanner::~TXmlScanner() = default;

void TXmlScanner::loadFromFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw XmlError(QStringLiteral("Cannot open %1: %2").arg(QDir::toNativeSeparators(path), f.errorString()));
  const QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw XmlError(QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), f.errorString()));
  loadFromData(data, QFileInfo(path).fileName());
}

void TXmlScanner::loadFromData(const QByteArray& data, const QString& sourceName) {
  d_ = std::make_unique<Impl>();
  d_->source = sourceName;
  d_->loaded = true;
  d_->bytes = data;
  kind_ = PartKind::None;
  name_.clear();
  content_.clear();
  attributes_.clear();
  const QString encoding = declaredEncoding(data);
  const bool cp874 = !encoding.isEmpty() && textutil::isCp874Name(encoding);
  d_->byBytes = !cp874 && detail::readerChoice() == detail::ReaderChoice::Fastest &&
                detail::ByteScanner::accepts(data);
  detail::noteDocumentReadByBytes(d_->byBytes);
  if (d_->byBytes) {
    d_->byteScanner.start(d_->bytes);
    return;
  }
  d_->reader.setNamespaceProcessing(false);
  if (cp874) {
    // Decoded here: the code page is not one every Qt build can decode.
    d_->decoded = textutil::decodeCp874(data);
    d_->reader.addData(d_->decoded);
  } else {
    d_->reader.addData(d_->bytes);  // UTF-8 by default; the reader skips a byte-order mark
  }
}

bool TXmlScanner::next() {
  if (!d_->loaded) throw XmlError(QStringLiteral("No XML document loaded"));
  if (d_->byBytes) return d_->byteScanner.next(normalize_, kind_, name_, content_, attributes_);
  if (d_->finished) {
    kind_ = PartKind::EndOfDocument;
    content_.clear();
    return false;
  }
  for (;;) {
    Token t = d_->read();
    switch (t.type) {
      case QXmlStreamReader::StartDocument:
        if (!t.hasDeclaration) continue;
        kind_ = PartKind::XmlDeclaration;
        name_.clear();
        content_.clear();
        return true;
      case QXmlStreamReader::DTD:
        kind_ = PartKind::DocType;
        content_ = t.text;
        return true;
      case QXmlStreamReader::StartElement: {
        name_ = t.name;
        attributes_ = t.attributes;
        content_.clear();
        // An empty-element tag reads as a start and an end at the same offset.
        Token after = d_->read();
        if (after.type == QXmlStreamReader::EndElement && after.offset == t.offset) {
          kind_ = PartKind::EmptyTag;
        } else {
          kind_ = PartKind::StartTag;
          d_->pushedBack = std::move(after);
        }
        return true;
      }
      case QXmlStreamReader::EndElement:
        kind_ = PartKind::EndTag;
        name_ = t.name;
        content_.clear();
        return true;
      case QXmlStreamReader::Characters: {
        QString text = t.text;
        for (;;) {
          Token more = d_->read();
          if (more.type != QXmlStreamReader::Characters) {
            d_->pushedBack = std::move(more);
            break;
          }
          text += more.text;
        }
        if (normalize_) {
          text = normalizeWhitespace(text);
          if (text.isEmpty()) continue;
        }
        kind_ = PartKind::Content;
        content_ = text;
        return true;
      }
      case QXmlStreamReader::Comment:
        kind_ = PartKind::Comment;
        content_ = t.text;
        return true;
      case QXmlStreamReader::ProcessingInstruction:
        kind_ = PartKind::ProcessingInstruction;
        name_ = t.name;
        content_ = t.text;
        return true;
      case QXmlStreamReader::EndDocument:
        d_->finished = true;
        kind_ = PartKind::EndOfDocument;
        content_.clear();
        return false;
      default:
        continue;  // entity references are resolved by the reader
    }
  }
}

}  // namespace xml
