// Reading order files: the values each order line gets, as the order site writes its files.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "import_fixture.h"
#include "order_file.h"
#include "textutil/cp874.h"
#include "xml/xml_scanner.h"

using importtest::Order;
using importtest::orderXml;
using weborder::OrderLine;

namespace {

QVector<OrderLine> readBytes(const QByteArray& bytes) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Z01_20160305.xml"));
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write");
  f.write(bytes);
  f.close();
  return weborder::ReadOrderFile(path);
}

QString describe(const OrderLine& l) {
  return QStringList{l.salesmanCode, l.customerCode, l.orderNo, l.orderDate, QString::number(l.webId), l.barcode,
                     QString::number(l.quantity)}
      .join(QLatin1Char('|'));
}

}  // namespace

TEST(ReadOrderFile, EachOrderElementIsOneLineAndMissingElementsCarryOver) {
  const auto lines = readBytes(orderXml({
      {"S01", "C00001", "W1", "2016-03-05", "11", "8850000010019", "2"},
      {{}, {}, {}, {}, "12", {}, "5"},           // same order, same barcode
      {{}, "C00002", "W2", {}, "13", "8850000020018", {}},  // other order, same salesman, date, quantity
  }));
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(describe(lines[0]), "S01|C00001|W1|2016-03-05|11|8850000010019|2");
  EXPECT_EQ(describe(lines[1]), "S01|C00001|W1|2016-03-05|12|8850000010019|5");
  EXPECT_EQ(describe(lines[2]), "S01|C00002|W2|2016-03-05|13|8850000020018|5");
}

TEST(ReadOrderFile, EntitiesCdataCommentsAndByteOrderMark) {
  const QByteArray xml =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE orders>\n"
      "<?order-site version=\"2\"?>\n"
      "<orders>\n"
      " <!-- generated for zone Z01 -->\n"
      " <order>\n"
      "  <salesmancode> S01 </salesmancode>\n"
      "  <customercode>C00001</customercode>\n"
      "  <orderno>W&amp;1 &lt;&#x41;&#66;&gt; &quot;x&quot; &apos;y&apos;</orderno>\n"
      "  <orderdate>\n    2016-03-05\n  </orderdate>\n"
      "  <id>21</id><!-- the id --><barcode><![CDATA[8850000010019]]></barcode>\n"
      "  <quantity>\t3 </quantity>\n"
      "  <note>ignored <b>text</b></note>\n"
      "  <Barcode>9999</Barcode>\n"
      " </order>\n"
      "</orders>\n";
  const auto lines = readBytes(xml);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(describe(lines[0]), "S01|C00001|W&1 <AB> \"x\" 'y'|2016-03-05|21|8850000010019|3")
      << "element names are compared exactly: <Barcode> is not <barcode>";
}

TEST(ReadOrderFile, ThaiTextArrivesAsUnicodeWhateverTheFileEncoding) {
  const QString customer = QStringLiteral("ลูกค้า๑๒");
  const QString orderNo = QStringLiteral("ใบสั่ง-๐๐๑");
  const QVector<Order> orders{{"S01", customer, orderNo, "2016-03-05", "31", "8850000010019", "1"}};

  const auto utf8 = readBytes(orderXml(orders));
  ASSERT_EQ(utf8.size(), 1);
  EXPECT_EQ(utf8[0].customerCode, customer);
  EXPECT_EQ(utf8[0].orderNo, orderNo);

  // The same file in the Thai code page, as it names itself in its declaration.
  const QByteArray head = "<?xml version=\"1.0\" encoding=\"windows-874\"?>\n";
  const QString text = QString::fromUtf8(orderXml(orders, QByteArray()));
  const auto cp874 = readBytes(head + textutil::encodeCp874(text));
  ASSERT_EQ(cp874.size(), 1);
  EXPECT_EQ(cp874[0].customerCode, customer);
  EXPECT_EQ(cp874[0].orderNo, orderNo);
}

TEST(ReadOrderFile, IdAndQuantityMustBeWholeNumbers) {
  struct Case {
    const char* id;
    const char* quantity;
    bool ok;
    qint64 readId, readQuantity;  // when accepted
  } cases[] = {
      {"7", "12", true, 7, 12},  {" 7 ", "-3", true, 7, -3},      {"abc", "1", false, 0, 0},
      {"7", "abc", false, 0, 0}, {"7", "1.5", false, 0, 0},       {"7e2", "1", false, 0, 0},
      {"7", "1 2", false, 0, 0}, {"99999999999", "1", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.id) + " / " + c.quantity);
    const QByteArray xml = orderXml({{"S01", "C00001", "W1", "2016-03-05", c.id, "8850000010019", c.quantity}});
    if (c.ok) {
      QVector<weborder::OrderLine> lines;
      ASSERT_NO_THROW(lines = readBytes(xml));
      ASSERT_EQ(lines.size(), 1);
      EXPECT_EQ(lines[0].webId, c.readId);
      EXPECT_EQ(lines[0].quantity, c.readQuantity);
    } else {
      try {
        readBytes(xml);
        ADD_FAILURE() << "accepted id " << c.id << " quantity " << c.quantity;
      } catch (const weborder::ImportError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("is not a valid integer value"))) << e.message().toStdString();
      }
    }
  }
}

TEST(ReadOrderFile, MalformedOrMissingFileIsAnError) {
  EXPECT_THROW(readBytes("<orders><order><id>1</id></orders>"), xml::XmlError);
  EXPECT_THROW(weborder::ReadOrderFile(QStringLiteral("/nonexistent/folder/Z01.xml")), xml::XmlError);
  EXPECT_TRUE(readBytes("<orders/>").isEmpty());
}

// A well-formed document that holds elements but no `order` is not an order file (a web server's
// error page, a login page): it is refused, so that the zone is not consolidated as if the site had
// no orders. An order file without orders is its root element alone, and reads as no lines.
TEST(ReadOrderFile, ADocumentWithElementsButNoOrderIsRefused) {
  const struct {
    const char* what;
    QByteArray xml;
    const char* message;  // empty: read as no lines
  } cases[] = {
      {"an error page", "<html><body><h1>500 Internal Server Error</h1></body></html>", "<html> <body> : 500 Internal Server Error"},
      {"an error page with a declaration", "<?xml version=\"1.0\"?>\n<html><head><title>Login</title></head><body/></html>", "<html> <head> : Login"},
      {"a status element", "<orders><error>no zone</error></orders>", "<orders> <error> : no zone"},
      {"an empty element inside", "<result><empty/></result>", "<result> <empty>"},
      {"no orders", "<orders/>", ""},
      {"no orders, with a declaration, text and a comment", "<?xml version=\"1.0\"?>\n<orders>\n  <!-- none today -->\n</orders>\n", ""},
      {"no orders, only text", "<orders>none</orders>", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      const auto lines = readBytes(c.xml);
      EXPECT_TRUE(lines.isEmpty());
      EXPECT_STREQ(c.message, "") << "accepted";
    } catch (const weborder::ImportError& e) {
      EXPECT_TRUE(e.message().startsWith(QStringLiteral("ไฟล์ที่ได้รับไม่ใช่ไฟล์ Order"))) << e.message().toStdString();
      EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << e.message().toStdString();
      EXPECT_STRNE(c.message, "") << "refused: " << e.message().toStdString();
    }
  }
}
