// Scans arbitrary bytes as an XML document, with and without whitespace normalisation. XmlError is
// the expected answer to a malformed document; a crash, a hang, a sanitizer report or a content
// part that breaks the normalisation rules is a fault.
#include "xml/xml_scanner.h"

#include <cstdint>
#include <cstdlib>

namespace {
bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

void checkNormalized(const QString& text) {
  if (text.isEmpty()) abort();  // an empty content part is not reported
  if (isBlank(text.front()) || isBlank(text.back())) abort();
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\t' || c == u'\r' || c == u'\n') abort();
    if (c == u' ' && i + 1 < text.size() && text[i + 1] == u' ') abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  for (const bool normalize : {true, false}) {
    xml::TXmlScanner scanner;
    scanner.setNormalize(normalize);
    try {
      scanner.loadFromData(bytes, QStringLiteral("fuzz.xml"));
      // A document of n bytes has at most about n parts; more means the scanner stopped moving.
      qsizetype parts = 0;
      while (scanner.next()) {
        if (++parts > bytes.size() + 16) abort();
        if (normalize && scanner.partKind() == xml::PartKind::Content) checkNormalized(scanner.currentContent());
      }
      if (scanner.partKind() != xml::PartKind::EndOfDocument) abort();
    } catch (const xml::XmlError&) {
    }
  }
  // The normalisation helper on its own: idempotent.
  const QString text = QString::fromUtf8(bytes);
  const QString once = xml::normalizeWhitespace(text);
  if (xml::normalizeWhitespace(once) != once) abort();
  return 0;
}
