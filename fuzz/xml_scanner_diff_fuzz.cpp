// Reads arbitrary bytes twice, once as the scanner does (its byte scanner wherever the document
// allows it) and once with the stream reader alone, with and without whitespace normalisation.
// Both must give the same parts (kind, name, content and attributes after every part) and the same
// outcome: no error, or the same error message, line and column. Any difference is a fault.
#include "xml/byte_scanner.h"
#include "xml/xml_scanner.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct Outcome {
  QStringList parts;
  bool failed = false;
  QString error;
  qint64 line = 0;
  qint64 column = 0;
  bool operator==(const Outcome&) const = default;
};

Outcome scan(const QByteArray& bytes, bool normalize, xml::detail::ReaderChoice choice) {
  xml::detail::setReaderChoice(choice);
  Outcome out;
  xml::TXmlScanner scanner;
  scanner.setNormalize(normalize);
  try {
    scanner.loadFromData(bytes, QStringLiteral("fuzz.xml"));
    for (;;) {
      const bool more = scanner.next();
      QString part = QString::number(int(scanner.partKind())) + u'|' + scanner.currentName() + u'|' +
                     scanner.currentContent();
      for (const auto& a : scanner.attributes()) part += u'|' + a.first + u'=' + a.second;
      out.parts << part;
      if (!more) break;
      if (out.parts.size() > bytes.size() + 16) abort();  // the scanner stopped moving
    }
  } catch (const xml::XmlError& e) {
    out.failed = true;
    out.error = e.message();
    out.line = e.line();
    out.column = e.column();
  }
  xml::detail::setReaderChoice(xml::detail::ReaderChoice::Fastest);
  return out;
}

void show(const char* what, const Outcome& o) {
  fprintf(stderr, "%s: %s%s\n", what, o.failed ? "error: " : "", qPrintable(o.error));
  for (const QString& p : o.parts) fprintf(stderr, "  %s\n", qPrintable(p));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  for (const bool normalize : {true, false}) {
    const Outcome fast = scan(bytes, normalize, xml::detail::ReaderChoice::Fastest);
    const Outcome reader = scan(bytes, normalize, xml::detail::ReaderChoice::StreamReaderOnly);
    if (!(fast == reader)) {
      fprintf(stderr, "normalise %d\n", int(normalize));
      show("scanner", fast);
      show("stream reader", reader);
      abort();
    }
  }
  return 0;
}
