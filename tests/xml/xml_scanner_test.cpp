#include "xml/xml_scanner.h"

#include "xml/byte_scanner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
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

// ---- The byte scanner against the stream reader ----
//
// A document is read by the byte scanner when it is UTF-8 in the forms it knows; every other one is
// handed to the stream reader from its start. Either way the parts and the errors are the reader's.

// Every part with the name, content and attributes the scanner shows after it, then the error; one
// line each.
std::string everything(const QByteArray& data, bool normalize, detail::ReaderChoice choice, bool* byBytes = nullptr) {
  detail::setReaderChoice(choice);
  QStringList out;
  TXmlScanner s;
  s.setNormalize(normalize);
  try {
    s.loadFromData(data, QStringLiteral("orders.xml"));
    if (byBytes) *byBytes = detail::lastDocumentReadByBytes();
    while (s.next()) {
      QString part = QStringLiteral("%1 %2=%3").arg(int(s.partKind())).arg(s.currentName(), s.currentContent());
      for (const auto& a : s.attributes()) part += QStringLiteral(" [%1=%2]").arg(a.first, a.second);
      out << part;
    }
    out << QStringLiteral("end %1").arg(int(s.partKind()));
  } catch (const XmlError& e) {
    out << QStringLiteral("error %1:%2 %3").arg(e.line()).arg(e.column()).arg(e.message());
  }
  detail::setReaderChoice(detail::ReaderChoice::Fastest);
  return out.join(u'\n').toStdString();
}

struct PathCase {
  const char* what;
  QByteArray xml;
  bool byBytes;  // read by the byte scanner, or handed to the stream reader
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.what; }

class ByteScannerAgainstReader : public ::testing::TestWithParam<PathCase> {};

TEST_P(ByteScannerAgainstReader, SamePartsAndErrors) {
  const PathCase& c = GetParam();
  for (const bool normalize : {true, false}) {
    bool byBytes = false;
    const std::string fast = everything(c.xml, normalize, detail::ReaderChoice::Fastest, &byBytes);
    const std::string reader = everything(c.xml, normalize, detail::ReaderChoice::StreamReaderOnly);
    EXPECT_EQ(fast, reader) << "normalise " << normalize;
    EXPECT_EQ(byBytes, c.byBytes) << "normalise " << normalize;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Constructs, ByteScannerAgainstReader,
    ::testing::Values(
        PathCase{"elements and text", "<orders><order><id>17</id><e/></order></orders>", true},
        PathCase{"indentation, Windows line ends", "<a>\r\n <b> x \r\n y </b>\r\n <c>\r</c>\n</a>\r\n", true},
        PathCase{"a byte-order mark", "\xEF\xBB\xBF<a>x</a>", true},
        PathCase{"the declaration", "<?xml version=\"1.0\"?><a/>", true},
        PathCase{"the declaration with encoding and standalone",
                 "<?xml version='1.0' encoding='utf-8' standalone='no' ?>\n<a>x</a>", true},
        PathCase{"a byte-order mark and the declaration", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", true},
        PathCase{"attributes, both quotes, blanks around =", "<a id=\"7\" zone = 'Z 1' q='\"' r=\"'\"><b x=\"\"/></a>", true},
        PathCase{"attribute blanks become spaces", "<a x=\"1\r\n2\t3\n4\r5\" y=\" y \"/>", true},
        PathCase{"references in attributes", "<a x=\"&lt;&amp;&gt;&apos;&quot;&#13;&#10;&#x0E01;&amp;lt;\"/>", true},
        PathCase{"the five entities", "<a>&lt;b&gt; &amp;amp; &apos;&quot;</a>", true},
        PathCase{"character references", "<a>&#65;&#x42;&#x0E01;&#x1F600;&#0065;&#x10FFFF;&#13;&#9;&#32; x&#10;</a>", true},
        PathCase{"UTF-8 text of every length", "<a>\xC3\xA9 \xE0\xB8\x81 \xF0\x9F\x98\x80 \xEF\xBF\xBD</a>", true},
        PathCase{"CDATA joins the text around it", "<a>x <![CDATA[<b>&amp;\r\n]]> y<![CDATA[]]></a>", true},
        PathCase{"an empty CDATA section alone", "<a><![CDATA[]]></a>", true},
        PathCase{"CDATA of blanks only", "<a> <![CDATA[ \n ]]> </a>", true},
        PathCase{"comments", "<!-- a --><a>x<!---->y<!-- b\r\nc- --></a><!--end-->", true},
        PathCase{"blanks before a comment and a PI inside an element",
                 "<a>\n <!-- c -->\n <?p x?>\r\n <b/> <!---->x\n</a>", true},
        PathCase{"processing instructions", "<?style x?><a><?pi   data  x?y ?>t<?p?><?q \r\n?></a><?after?>", true},
        PathCase{"names with prefixes, digits, dots and dashes", "<w:Order><a.b-c_1 p:x=\"1\"/></w:Order >", true},
        PathCase{"text after an end tag", "<a><b>1</b>tail</a>", true},
        PathCase{"']]' without '>' and '>' alone", "<a>]] x>y a]]b</a>", true},

        // Handed over: the reader reads these from the start.
        PathCase{"a document type declaration", "<!DOCTYPE a [<!ENTITY e \"v\">]><a>&e;</a>", false},
        PathCase{"another encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>", false},
        PathCase{"code page 874", "<?xml version=\"1.0\" encoding=\"TIS-620\"?><a>\xCA\xC1</a>", false},
        PathCase{"UTF-16", QByteArray("\xFF\xFE<\0a\0/\0>\0", 10), false},
        PathCase{"invalid UTF-8 after the root", "<a>x</a>\xFF", false},
        PathCase{"an overlong UTF-8 sequence", "<a>\xC0\xAF</a>", false},
        PathCase{"a surrogate in UTF-8", "<a>\xED\xA0\x80</a>", false},
        PathCase{"a control character", "<a>\x01</a>", false},
        PathCase{"U+FFFE", "<a>\xEF\xBF\xBE</a>", false},
        PathCase{"version 1.1", "<?xml version=\"1.1\"?><a/>", false},
        PathCase{"standalone before encoding", "<?xml version=\"1.0\" standalone=\"no\" encoding=\"UTF-8\"?><a/>", false},
        PathCase{"blanks before the declaration", " <?xml version=\"1.0\"?><a/>", false},
        PathCase{"a non-ASCII name", "<a\xC3\xA9>x</a\xC3\xA9>", false},
        PathCase{"a name of three parts", "<a:b:c/>", false},
        PathCase{"a namespace declaration", "<a xmlns:p=\"u\"><p:b/></a>", false},
        PathCase{"an undeclared entity", "<a>&nbsp;</a>", false},
        PathCase{"an invalid character reference", "<a>&#0;</a>", false},
        PathCase{"a surrogate character reference", "<a>&#xD800;</a>", false},
        PathCase{"an upper-case X reference", "<a>&#X41;</a>", false},
        PathCase{"a reference without ';'", "<a>&amp</a>", false},
        PathCase{"']]>' in text", "<a>x]]>y</a>", false},
        PathCase{"']' from a reference before ']>'", "<a>&#93;]></a>", false},
        PathCase{"'--' inside a comment", "<a><!-- a--b --></a>", false},
        PathCase{"a comment ending '--->'", "<a><!-- a ---></a>", false},
        PathCase{"a PI named xml", "<a><?XmL x?></a>", false},
        PathCase{"a repeated attribute", "<a x=\"1\" x=\"2\"/>", false},
        PathCase{"attributes without a blank between", "<a x=\"1\"y=\"2\"/>", false},
        PathCase{"'<' in an attribute", "<a x=\"<\"/>", false},
        PathCase{"a mismatched end tag", "<a>\n<b>text</a>", false},
        PathCase{"an end tag longer than the start tag", "<a></ab>", false},
        PathCase{"a truncated file", "<orders>\n<order><id>1</id>", false},
        PathCase{"an empty file", "", false},
        PathCase{"blanks only", " \n ", false},
        PathCase{"a declaration only", "<?xml version=\"1.0\"?>", false},
        PathCase{"two root elements", "<a/><b/>", false},
        PathCase{"text outside the root", "<a/>x", false},
        PathCase{"CDATA outside the root", "<![CDATA[x]]><a/>", false}));

TEST(ByteScanner, NamesThatRepeatAndManyDifferentNames) {
  // More different names than the scanner keeps, each coming back, with attributes.
  QByteArray xml = "<root>";
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 150; ++i)
      xml += "<n" + QByteArray::number(i) + " k" + QByteArray::number(i % 7) + "=\"" + QByteArray::number(round) +
             "\">" + QByteArray::number(i * round) + "</n" + QByteArray::number(i) + ">\n";
  xml += "</root>";
  bool byBytes = false;
  const std::string fast = everything(xml, true, detail::ReaderChoice::Fastest, &byBytes);
  EXPECT_TRUE(byBytes);
  EXPECT_EQ(fast, everything(xml, true, detail::ReaderChoice::StreamReaderOnly));
  EXPECT_EQ(std::count(fast.begin(), fast.end(), '\n') + 1, 3 * 150 * 3 + 3);
}

TEST(ByteScanner, ContentKeptByTheCallerDoesNotChange) {
  // The scanner writes each content part into the same text where it can; a copy the caller keeps
  // must stay as it was.
  TXmlScanner s;
  s.loadFromData("<a><b>first</b><b>2nd</b><b> third  one </b><b>x<![CDATA[y]]></b><c k=\"v\"/></a>");
  ASSERT_TRUE(detail::lastDocumentReadByBytes());
  QStringList kept;
  QList<QPair<QString, QString>> attributes;
  while (s.next()) {
    if (s.partKind() == PartKind::Content) kept << s.currentContent();
    if (s.partKind() == PartKind::EmptyTag) attributes = s.attributes();
  }
  EXPECT_EQ(kept, (QStringList{QStringLiteral("first"), QStringLiteral("2nd"), QStringLiteral("third one"),
                               QStringLiteral("xy")}));
  ASSERT_EQ(attributes.size(), 1);
  EXPECT_EQ(attributes[0], qMakePair(QStringLiteral("k"), QStringLiteral("v")));
}

TEST(ByteScanner, ALoadedScannerStartsAfresh) {
  // The second document is read from its own start, whichever reader read the first one.
  TXmlScanner s;
  for (const QByteArray& first : {QByteArray("<x><y>1"), QByteArray("<x><y>1</y></x>"), QByteArray("<!DOCTYPE x><x/>")}) {
    s.loadFromData(first);
    try {
      s.next();
      s.next();
    } catch (const XmlError&) {
    }
    s.loadFromData("<a>x</a>");
    QStringList parts;
    while (s.next()) parts << s.currentName() + u'=' + s.currentContent();
    EXPECT_EQ(parts, (QStringList{QStringLiteral("a="), QStringLiteral("a=x"), QStringLiteral("a=")})) << first.constData();
  }
}

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
