// Reads arbitrary bytes as a web-order file, the way the import reads a downloaded file. XmlError
// (not an XML document) and ImportError (an id or quantity that is not a whole number, a document
// with elements but no order) are the expected refusals; a crash, a hang or a sanitizer report is a
// fault.
#include "order_file.h"
#include "xml/xml_scanner.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  xml::TXmlScanner scanner;
  scanner.setNormalize(true);
  try {
    scanner.loadFromData(bytes, QStringLiteral("fuzz.xml"));
    weborder::ReadOrderLines(scanner);
  } catch (const xml::XmlError&) {
  } catch (const weborder::ImportError&) {
  }
  return 0;
}
