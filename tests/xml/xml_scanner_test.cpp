#include "xml/xml_scanner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace xml;

namespace {

// The parts of a document in a compact form: D declaration, T doctype, S start, X empty, E end,
// C content (name=content), M comment, P processing instruction (name=data).
QString scanAll(const QByteArray& data, bool normalize = true) {
  TXmlScanner s;
  s.setNormalize(normalize);
  s.loadFromData(data);
  QStringList parts;
  while (s.next()) {
    switch (s.partKind()) {
      case PartKind::XmlDeclaration: parts << QStringLiteral("D[%1]").arg(s.currentName()); break;
      case PartKind::DocType: parts << QStringLiteral("T:%1").arg(s.currentContent()); break;
      case PartKind::StartTag: parts << QStringLiteral("S:") + s.currentName(); break;
      case PartKind::EmptyTag: parts << QStringLiteral("X:") + s.currentName(); break;
      case PartKind::EndTag: parts << QStringLiteral("E:") + s.currentName(); break;
      case PartKind::Content: parts << QStringLiteral("C:%1=%2").arg(s.currentName(), s.currentContent()); break;
      case PartKind::Comment: parts << QStringLiteral("M:") + s.currentContent(); break;
      case PartKind::ProcessingInstruction:
        parts << QStringLiteral("P:%1=%2").arg(s.currentName(), s.currentContent());
        break;
      default: parts << QStringLiteral("?"); break;
    }
  }
  EXPECT_EQ(s.partKind(), PartKind::EndOfDocument);
  EXPECT_FALSE(s.next()) << "a finished scanner stays finished";
  return parts.join(u'|');
}

struct ScanCase {
  const char* what;
  QByteArray xml;
  const char* parts;  // UTF-8
};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.what; }

class ScannerParts : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScannerParts, ReportsThePartsInOrder) {
  EXPECT_EQ(scanAll(GetParam().xml), QString::fromUtf8(GetParam().parts));
}

INSTANTIATE_TEST_SUITE_P(
    Snippets, ScannerParts,
    ::testing::Values(
        ScanCase{"an order line", "<order><id>17</id><barcode> 8851234 </barcode></order>",
                 "S:order|S:id|C:id=17|E:id|S:barcode|C:barcode=8851234|E:barcode|E:order"},
        ScanCase{"declaration clears the name", "<?xml version=\"1.0\"?>\n<a>x</a>", "D[]|S:a|C:a=x|E:a"},
        ScanCase{"text after an end tag is under the ended element's name",
                 "<a><b>1</b>tail</a>", "S:a|S:b|C:b=1|E:b|C:b=tail|E:a"},
        ScanCase{"empty-element tags", "<a><b/><c x=\"1\" /></a>", "S:a|X:b|X:c|E:a"},
        ScanCase{"an element with nothing inside is a start and an end", "<a><b></b></a>", "S:a|S:b|E:b|E:a"},
        ScanCase{"comments keep the name", "<a>x<!-- note -->y</a>", "S:a|C:a=x|M: note |C:a=y|E:a"},
        ScanCase{"a processing instruction sets its target as name",
                 "<a><?target some data?>t</a>", "S:a|P:target=some data|C:target=t|E:a"},
        ScanCase{"the five entities and character references",
                 "<a>&lt;&gt;&amp;&apos;&quot; &#65;&#x42;&#x0E01;</a>", "S:a|C:a=<>&'\" ABก|E:a"},
        ScanCase{"CDATA is content and joins the text around it",
                 "<a>x <![CDATA[<b>&amp;</b>]]> y</a>", "S:a|C:a=x <b>&amp;</b> y|E:a"},
        ScanCase{"whitespace is normalised", "<a>\r\n\t one \t\r\n two  three \n</a>", "S:a|C:a=one two three|E:a"},
        ScanCase{"whitespace-only content is not reported", "<a>\n  <b>x</b>\n</a>\n", "S:a|S:b|C:b=x|E:b|E:a"},
        ScanCase{"a document type declaration is scanned past",
                 "<!DOCTYPE orders [<!ENTITY co \"Varnotek\">]><orders>&co;</orders>",
                 "T:orders|S:orders|C:orders=Varnotek|E:orders"},
        ScanCase{"a UTF-8 byte-order mark is skipped", "\xEF\xBB\xBF<a>x</a>", "S:a|C:a=x|E:a"},
        ScanCase{"UTF-8 Thai text", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><n>สมชาย ใจดี</n>",
                 "D[]|S:n|C:n=สมชาย ใจดี|E:n"},
        ScanCase{"code page 874 declared",
                 "<?xml version=\"1.0\" encoding=\"TIS-620\"?><n>\xCA\xC1\xAA\xD2\xC2</n>", "D[]|S:n|C:n=สมชาย|E:n"},
        ScanCase{"windows-874 declared", "<?xml version='1.0' encoding='windows-874'?><n>\x80 \xA1</n>",
                 "D[]|S:n|C:n=€ ก|E:n"},
        ScanCase{"ISO-8859-1 declared: the bytes as they are",
                 "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><n>caf\xE9</n>", "D[]|S:n|C:n=café|E:n"},
        ScanCase{"UTF-16 with its byte-order mark", QByteArray("\xFF\xFE<\0a\0>\0x\0<\0/\0a\0>\0", 18),
                 "S:a|C:a=x|E:a"},
        ScanCase{"names are kept as written, prefix included", "<w:Order><w:Id>1</w:Id></w:Order>",
                 "S:w:Order|S:w:Id|C:w:Id=1|E:w:Id|E:w:Order"}));

TEST(Scanner, WithoutNormalisationTextIsKeptAsWritten) {
  EXPECT_EQ(scanAll("<a> x \n y </a>", false), QStringLiteral("S:a|C:a= x \n y |E:a"));
  EXPECT_EQ(scanAll("<a>\n <b/></a>", false), QStringLiteral("S:a|C:a=\n |X:b|E:a"));
}

TEST(Scanner, AttributesOfTheLastTag) {
  TXmlScanner s;
  s.loadFromData("<order id=\"7\" zone='Z&amp;1'><x/></order>");
  ASSERT_TRUE(s.next());
  ASSERT_EQ(s.partKind(), PartKind::StartTag);
  ASSERT_EQ(s.attributes().size(), 2);
  EXPECT_EQ(s.attributes()[0], qMakePair(QStringLiteral("id"), QStringLiteral("7")));
  EXPECT_EQ(s.attributes()[1], qMakePair(QStringLiteral("zone"), QStringLiteral("Z&1")));
}

struct BadCase {
  const char* what;
  QByteArray xml;
  qint64 line;
  qint64 column;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.what; }

class MalformedDocuments : public ::testing::TestWithParam<BadCase> {};

TEST_P(MalformedDocuments, FailWithLineAndColumn) {
  const BadCase& c = GetParam();
  TXmlScanner s;
  s.loadFromData(c.xml, QStringLiteral("orders.xml"));
  int parts = 0;
  try {
    while (s.next()) ASSERT_LT(++parts, 1000) << "the scanner does not stop";
    FAIL() << "no error for " << c.what;
  } catch (const XmlError& e) {
    EXPECT_EQ(e.line(), c.line) << e.message().toStdString();
    if (c.column >= 0) {
      EXPECT_EQ(e.column(), c.column) << e.message().toStdString();
    }
    EXPECT_TRUE(e.message().startsWith(QStringLiteral("orders.xml: line %1, column ").arg(c.line)))
        << e.message().toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bad, MalformedDocuments,
    ::testing::Values(BadCase{"mismatched end tag", "<a>\n<b>text</a>", 2, 11},
                      BadCase{"truncated file", "<orders>\n<order><id>1</id>", 2, -1},
                      BadCase{"empty file", "", 1, -1},
                      BadCase{"undeclared entity", "<a>&nbsp;</a>", 1, -1},
                      BadCase{"invalid UTF-8", "<a>\xFF\xFE</a>", 1, -1},
                      BadCase{"two root elements", "<a/><b/>", 1, -1},
                      BadCase{"text outside the root", "<a/>x", 1, -1},
                      BadCase{"unquoted attribute", "<a id=1/>", 1, -1},
                      BadCase{"unknown declared encoding", "<?xml version=\"1.0\" encoding=\"x-nothing\"?><a/>", 1, -1},
                      BadCase{"exponential entity expansion",
                              "<!DOCTYPE a [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                              "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                              "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]><a>&e;&e;&e;&e;&e;&e;&e;&e;</a>",
                              1, -1}));

TEST(Scanner, ReadsAFileAndNamesAnUnreadableOne) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("Z01_20160305.xml"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<orders>\n <order>\n  <orderno>W-1</orderno>\n </order>\n</orders>\n");
  f.close();

  TXmlScanner s;
  s.loadFromFile(path);
  QStringList contents;
  while (s.next())
    if (s.partKind() == PartKind::Content) contents << s.currentName() + u'=' + s.currentContent();
  EXPECT_EQ(contents, QStringList{QStringLiteral("orderno=W-1")});

  try {
    s.loadFromFile(dir.filePath(QStringLiteral("missing.xml")));
    FAIL() << "no error";
  } catch (const XmlError& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("missing.xml"))) << e.message().toStdString();
    EXPECT_EQ(e.line(), 0);
  }
}

TEST(Scanner, NextBeforeLoadingIsAnError) {
  TXmlScanner s;
  EXPECT_THROW(s.next(), XmlError);
}

TEST(Scanner, NormalizeWhitespace) {
  const struct {
    const char* text;
    const char* normalized;
  } cases[] = {
      {" \t a \r\n b\u00A0c ", "a b\u00A0c"},
      {" \n ", ""},
      {"", ""},
      {"8850123456789", "8850123456789"},  // nothing to change
      {"a b", "a b"},                      // a single inner space stays
      {"\n  C00001\n ", "C00001"},          // only the ends
      {"a\tb", "a b"},                     // one blank that is not a space
      {"a  b", "a b"},                     // a run of spaces
      {"a \n\t b  c", "a b c"},
      {"x\r", "x"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(normalizeWhitespace(QString::fromUtf8(c.text)), QString::fromUtf8(c.normalized)) << c.text;
}

}  // namespace
