// The scanner's fast reader: a pull scanner over the bytes of a UTF-8 document in the forms an
// order file is written in (an optional byte-order mark and XML declaration, elements, attributes,
// text, the five predefined entities and character references, comments, CDATA sections and
// processing instructions). It reads a strict subset of XML and gives exactly the parts the stream
// reader gives for it. Whether a document is inside that subset is decided over the whole document
// before its first part: anything outside it (another encoding, a document type declaration, any
// error or doubt) is read by QXmlStreamReader from the start, so its error messages are unchanged.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "xml/xml_scanner.h"

namespace xml::detail {

// Which reader the scanners of this thread use for the documents they load from now on: the byte
// scanner wherever the document allows it (the default), or the stream reader always, to compare
// the two.
enum class ReaderChoice { Fastest, StreamReaderOnly };
void setReaderChoice(ReaderChoice choice);
ReaderChoice readerChoice();
// Whether the last document loaded by a scanner of this thread is read by the byte scanner.
bool lastDocumentReadByBytes();
void noteDocumentReadByBytes(bool byBytes);

class ByteScanner {
 public:
  // True when the whole document is inside what this scanner reads and is well-formed.
  static bool accepts(const QByteArray& data);

  // Starts on a document `accepts` has taken; the bytes must stay alive and unchanged.
  void start(const QByteArray& data);
  // The next part, as TXmlScanner::next gives it; false at the end of the document.
  bool next(bool normalize, PartKind& kind, QString& name, QString& content,
            QList<QPair<QString, QString>>& attributes);

 private:
  struct NameSlot {
    std::string key;
    QString name;
  };

  const QString& intern(const char* s, qsizetype n);
  void startTag(PartKind& kind, QString& name, QString& content, QList<QPair<QString, QString>>& attributes);
  // Reads the text and CDATA sections from p_ up to the next other markup into `content`; false
  // when, normalised, nothing is left of it.
  bool contentRun(bool normalize, QString& content);

  QByteArray data_;
  const char* p_ = nullptr;
  const char* end_ = nullptr;
  bool declarationPending_ = false;
  bool finished_ = false;
  std::vector<QString> open_;  // names of the open elements
  QString buffer_;             // the text of the last content part
  std::array<NameSlot, 64> names_;
};

}  // namespace xml::detail
