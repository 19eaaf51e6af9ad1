// Pull scanner over an XML file: the caller asks for one part after another (start tags, end tags,
// empty-element tags, content, and the parts it may ignore) and reads the part's kind, the current
// element name and the current content.
//
// - A start tag, an empty-element tag or an end tag sets the current name to the element's name
//   (as written, prefix included). A processing instruction sets it to its target; the XML
//   declaration clears it; comments and the document type declaration leave it unchanged.
// - Text between tags is one content part under the current name: the text of
//   <barcode>885...</barcode> arrives under "barcode". The five predefined entities, entities
//   declared in the document's internal subset and character references (decimal and
//   hexadecimal) are replaced; CDATA sections are content like any other text and join the text
//   around them.
// - With normalisation (the default) blanks, tabs, carriage returns and line feeds are removed at
//   both ends of a content part and every inner run of them becomes one space; a content part that
//   becomes empty is not reported.
// - Text is decoded to Unicode: UTF-8 (the default; a byte-order mark is skipped), UTF-16, and the
//   encodings named in the XML declaration, code page 874 (TIS-620, windows-874) included.
// - A malformed document raises XmlError naming the line and column; nothing is guessed.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <memory>
#include <stdexcept>

namespace xml {

class XmlError : public std::runtime_error {
 public:
  XmlError(const QString& message, qint64 line = 0, qint64 column = 0)
      : std::runtime_error(message.toStdString()), message_(message), line_(line), column_(column) {}
  const QString& message() const { return message_; }
  qint64 line() const { return line_; }  // 0 when the failure has no position (an unreadable file)
  qint64 column() const { return column_; }

 private:
  QString message_;
  qint64 line_;
  qint64 column_;
};

enum class PartKind {
  None,                   // nothing scanned yet
  XmlDeclaration,         // <?xml version="1.0" ...?>
  DocType,                // <!DOCTYPE ...>; content holds the document type's name
  StartTag,               // <name ...>
  EmptyTag,               // <name .../>
  EndTag,                 // </name>
  Content,                // text, entity and character references, CDATA sections
  Comment,                // <!-- ... -->; content holds the comment's text
  ProcessingInstruction,  // <?target data?>; content holds the data
  EndOfDocument,
};

class TXmlScanner {
 public:
  TXmlScanner();
  ~TXmlScanner();
  TXmlScanner(const TXmlScanner&) = delete;
  TXmlScanner& operator=(const TXmlScanner&) = delete;

  // Whitespace normalisation of content parts; on unless switched off before loading.
  void setNormalize(bool on) { normalize_ = on; }
  bool normalize() const { return normalize_; }

  // Reads the whole file; XmlError when it cannot be read.
  void loadFromFile(const QString& path);
  // Scans the given bytes; `sourceName` names them in error messages.
  void loadFromData(const QByteArray& data, const QString& sourceName = QString());

  // Scans the next part. False once the end of the document has been reached (the part kind is
  // then EndOfDocument). XmlError when the document is malformed.
  bool next();

  PartKind partKind() const { return kind_; }
  const QString& currentName() const { return name_; }
  const QString& currentContent() const { return content_; }
  // Attributes of the last start or empty-element tag, in document order.
  const QList<QPair<QString, QString>>& attributes() const { return attributes_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
  bool normalize_ = true;
  PartKind kind_ = PartKind::None;
  QString name_;
  QString content_;
  QList<QPair<QString, QString>> attributes_;
};

// Trims blanks, tabs, carriage returns and line feeds and turns inner runs of them into one space.
QString normalizeWhitespace(const QString& text);

}  // namespace xml
