// Reading templates: every bad input is a clear error naming the file, the place and the text.
#include "fixture.h"
#include "report/template.h"

namespace {

struct BadTemplate {
  const char* name;
  const char* json;
  QStringList expected;  // parts of the message
};

}  // namespace

TEST(Template, BadInputIsAClearError) {
  const BadTemplate cases[] = {
      {"malformed JSON", "{\n  \"bands\": [\n    {\"type\": \"masterData\",,}\n  ]\n}",
       {QStringLiteral("not a valid template"), QStringLiteral("line 3")}},
      {"not an object", "[1, 2]", {QStringLiteral("one JSON object")}},
      {"no bands", "{\"page\": {\"size\": \"A4\"}}", {QStringLiteral("the template has no bands")}},
      {"unknown object kind",
       "{\"bands\": [{\"type\": \"reportTitle\", \"name\": \"Title\", \"height\": 10, \"objects\": ["
       "{\"kind\": \"chart\", \"name\": \"Sales\", \"width\": 10, \"height\": 10}]}]}",
       {QStringLiteral("band 'Title', object 'Sales'"), QStringLiteral("unknown object kind 'chart'")}},
      {"unknown property",
       "{\"bands\": [{\"type\": \"reportTitle\", \"name\": \"Title\", \"objects\": ["
       "{\"kind\": \"text\", \"name\": \"Memo1\", \"widht\": 10, \"height\": 5}]}]}",
       {QStringLiteral("object 'Memo1'"), QStringLiteral("unknown property 'widht'")}},
      {"unparsable expression",
       "{\"bands\": [{\"type\": \"reportTitle\", \"name\": \"Title\", \"objects\": ["
       "{\"kind\": \"text\", \"name\": \"Memo1\", \"width\": 10, \"height\": 5, \"text\": \"Total [Amount *]\"}]}]}",
       {QStringLiteral("band 'Title', object 'Memo1'"), QStringLiteral("text 'Total [Amount *]'"), QStringLiteral("Syntax error")}},
      {"unclosed bracket",
       "{\"bands\": [{\"type\": \"reportTitle\", \"name\": \"Title\", \"objects\": ["
       "{\"kind\": \"text\", \"name\": \"Memo1\", \"width\": 10, \"height\": 5, \"text\": \"Total [Amount\"}]}]}",
       {QStringLiteral("object 'Memo1'"), QStringLiteral("Missing ']'")}},
      {"unknown band type", "{\"bands\": [{\"type\": \"detail\"}]}", {QStringLiteral("unknown band type 'detail'")}},
      {"unknown dataset",
       "{\"bands\": [{\"type\": \"masterData\", \"name\": \"Rows\", \"dataset\": \"Lines\"}]}",
       {QStringLiteral("band 'Rows'"), QStringLiteral("unknown dataset 'Lines'")}},
      {"master without rows", "{\"bands\": [{\"type\": \"masterData\", \"name\": \"Rows\"}]}",
       {QStringLiteral("either a \"dataset\" or a \"rowCount\"")}},
      {"dataset without SQL",
       "{\"datasets\": [{\"name\": \"Lines\"}], \"bands\": []}", {QStringLiteral("dataset 'Lines'"), QStringLiteral("no SQL text")}},
      {"bad variable", "{\"variables\": {\"DocNo\": \"'abc\"}, \"bands\": []}",
       {QStringLiteral("variable 'DocNo'"), QStringLiteral("unterminated text")}},
      {"bad group expression",
       "{\"bands\": [{\"type\": \"masterData\", \"name\": \"Rows\", \"rowCount\": \"3\", \"groups\": [{\"expression\": \"Cust +\"}]}]}",
       {QStringLiteral("band 'Rows', group 1"), QStringLiteral("expression 'Cust +'")}},
      {"group band outside a group", "{\"bands\": [{\"type\": \"groupFooter\", \"name\": \"GF\"}]}",
       {QStringLiteral("band 'GF'"), QStringLiteral("belong in the \"groups\"")}},
      {"bad barcode type",
       "{\"bands\": [{\"type\": \"reportTitle\", \"name\": \"T\", \"objects\": ["
       "{\"kind\": \"barcode\", \"name\": \"Code\", \"type\": \"qr\", \"width\": 10, \"height\": 5}]}]}",
       {QStringLiteral("object 'Code'"), QStringLiteral("unknown barcode type 'qr'")}},
      {"bad QR error correction",
       "{\"bands\": [{\"type\": \"reportTitle\", \"name\": \"T\", \"objects\": ["
       "{\"kind\": \"qrcode\", \"name\": \"Pay\", \"errorCorrection\": \"X\", \"width\": 20, \"height\": 20}]}]}",
       {QStringLiteral("object 'Pay'"), QStringLiteral("errorCorrection must be L, M, Q or H, not 'X'")}},
      {"QR code with a barcode property",
       "{\"bands\": [{\"type\": \"reportTitle\", \"name\": \"T\", \"objects\": ["
       "{\"kind\": \"qrcode\", \"name\": \"Pay\", \"showText\": true, \"width\": 20, \"height\": 20}]}]}",
       {QStringLiteral("object 'Pay'"), QStringLiteral("unknown property 'showText'")}},
      {"missing picture",
       "{\"bands\": [{\"type\": \"reportTitle\", \"name\": \"T\", \"objects\": ["
       "{\"kind\": \"picture\", \"name\": \"Logo\", \"file\": \"nologo.png\", \"width\": 10, \"height\": 5}]}]}",
       {QStringLiteral("object 'Logo'"), QStringLiteral("nologo.png"), QStringLiteral("cannot be read")}},
      {"margins too wide", "{\"page\": {\"width\": 50, \"height\": 50, \"margins\": {\"left\": 30, \"right\": 30}}, \"bands\": []}",
       {QStringLiteral("page"), QStringLiteral("no room")}},
      {"wrong value type",
       "{\"bands\": [{\"type\": \"reportTitle\", \"name\": \"T\", \"height\": \"ten\"}]}",
       {QStringLiteral("band 'T'"), QStringLiteral("'height' must be a number")}},
      {"two page headers", "{\"bands\": [{\"type\": \"pageHeader\", \"name\": \"A\"}, {\"type\": \"pageHeader\", \"name\": \"B\"}]}",
       {QStringLiteral("only one pageHeader band")}},
  };
  reporttest::Site site;
  for (const BadTemplate& c : cases) {
    const QString path = site.writeTemplate(QStringLiteral("bad.frf"), c.json);
    try {
      report::loadTemplate(path);
      ADD_FAILURE() << c.name << ": loaded";
    } catch (const report::TemplateError& e) {
      EXPECT_TRUE(e.message().startsWith(path + QLatin1Char(':'))) << c.name << ": " << e.message().toStdString();
      for (const QString& part : c.expected) {
        EXPECT_TRUE(e.message().contains(part)) << c.name << ": " << e.message().toStdString();
      }
    }
  }
}

TEST(Template, LoadKeepsThePreviousTemplateWhenTheFileIsMissing) {
  reporttest::Site site;
  const QString good = site.writeTemplate(QStringLiteral("Form_A.frf"),
      R"({"variables": {"Greeting": "'hello'"},
          "bands": [{"type": "reportTitle", "height": 10, "objects": [
            {"kind": "text", "width": 50, "height": 8, "text": "[Greeting]"}]}]})");
  report::Report r;
  ASSERT_TRUE(r.loadFromFile(good));
  EXPECT_FALSE(r.loadFromFile(site.dir.filePath(QStringLiteral("Form_Missing.frf"))));
  EXPECT_EQ(r.fileName(), good);
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 1);
  EXPECT_EQ(r.evaluate(QStringLiteral("Greeting")).toString(), QStringLiteral("hello"));
  // A template that cannot be read throws, whatever its extension.
  const QString bad = site.writeTemplate(QStringLiteral("Form_B.Frf"), "{");
  EXPECT_THROW(r.loadFromFile(bad), report::TemplateError);
  r.clear();
  EXPECT_FALSE(r.isLoaded());
  EXPECT_THROW(r.prepare(), report::ReportError);
}

TEST(Template, ReadsPageSetupAndObjects) {
  const auto t = report::parseTemplate(R"({
      "page": {"size": "A5", "orientation": "landscape", "margins": {"left": 5, "top": 6, "right": 7, "bottom": 8}},
      "defaultFont": {"family": "Loma", "size": 12},
      "bands": [{"type": "pageHeader", "height": 12, "onFirstPage": false, "objects": [
        {"kind": "text", "name": "T", "x": 1, "y": 2, "width": 30, "height": 5, "text": "x", "align": "right",
         "valign": "middle", "font": {"bold": true}, "wordWrap": false, "format": "#,##0.00"},
        {"kind": "barcode", "name": "B", "type": "EAN13", "width": 40, "height": 15, "text": "[Code]", "showText": false}]}]})",
      QStringLiteral("inline.frf"));
  EXPECT_NEAR(t.page.width, 210, 0.5);
  EXPECT_NEAR(t.page.height, 148, 0.5);
  EXPECT_EQ(t.page.marginBottom, 8);
  const report::Band* header = t.band(report::BandType::PageHeader);
  ASSERT_NE(header, nullptr);
  EXPECT_FALSE(header->onFirstPage);
  const report::ReportObject& text = header->objects[0];
  EXPECT_EQ(text.align, report::HAlign::Right);
  EXPECT_EQ(text.valign, report::VAlign::Middle);
  EXPECT_EQ(text.font.family, QStringLiteral("Loma"));  // the template's default font, made bold
  EXPECT_EQ(text.font.size, 12);
  EXPECT_TRUE(text.font.bold);
  EXPECT_FALSE(text.wordWrap);
  EXPECT_EQ(header->objects[1].barcode, report::BarcodeType::Ean13);
  EXPECT_FALSE(header->objects[1].showText);
}
