// Preparing pages: page breaks, headers and footers on every page, page numbers and totals,
// groups, datasets with parameters, the parameter dialog and the failures of preparation.
#include "fixture.h"
#include "report/page.h"

#include <QRegularExpression>

using report::Primitive;

namespace {

// Page 100 x 100 mm, margins 10; page header 10 mm and footer 10 mm leave 60 mm for 6 mm rows:
// exactly ten rows a page.
QByteArray pagedTemplate(const QByteArray& masterExtra = QByteArray(), const QByteArray& summary = QByteArray()) {
  return R"({
    "page": {"width": 100, "height": 100, "margins": {"left": 10, "top": 10, "right": 10, "bottom": 10}},
    "datasets": [{"name": "Lines", "sql": "select Id, Cust, Name, Amount from Lines where Id <= :MaxId order by Id"}],
    "variables": {"MaxId": "25"},
    "bands": [
      {"type": "pageHeader", "name": "Head", "height": 10, "objects": [
        {"kind": "text", "name": "HeadText", "width": 80, "height": 6, "text": "Header [PAGE]"}]},
      {"type": "masterData", "name": "Rows", "dataset": "Lines", "height": 6, )" + masterExtra + R"( "objects": [
        {"kind": "text", "name": "RowText", "width": 50, "height": 6, "text": "[Name]"},
        {"kind": "text", "name": "RowAmount", "x": 50, "width": 30, "height": 6, "text": "[Amount]", "format": "#,##0.00", "align": "right"}]},
      {"type": "pageFooter", "name": "Foot", "height": 10, "objects": [
        {"kind": "text", "name": "FootText", "width": 80, "height": 6, "text": "Page [PAGE] of [TOTALPAGES] sum [SUM(Amount)]"}]}
      )" + summary + R"(
    ]})";
}

// The texts of a page with the top of their line boxes (mm).
QVector<QPair<QString, double>> texts(const report::PreparedPage& page) {
  QVector<QPair<QString, double>> out;
  for (const Primitive& p : page.items) {
    if (p.type == Primitive::Type::Text) out.push_back({p.text, p.box.top()});
  }
  return out;
}

const Primitive* findText(const report::PreparedPage& page, const QString& text) {
  for (const Primitive& p : page.items) {
    if (p.type == Primitive::Type::Text && p.text == text) return &p;
  }
  return nullptr;
}

QStringList textsStartingWith(const report::PreparedPage& page, const QString& prefix) {
  QStringList out;
  for (const Primitive& p : page.items) {
    if (p.type == Primitive::Type::Text && p.text.startsWith(prefix)) out << p.text;
  }
  return out;
}

}  // namespace

TEST(Layout, MasterBandBreaksOntoThreePages) {
  reporttest::Site site;
  site.addLines(25);
  report::Report r;
  r.setConnection(*site.conn);
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("paged.frf"), pagedTemplate())));
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 3);
  const auto& pages = r.prepared().pages;
  for (int p = 0; p < 3; ++p) {
    SCOPED_TRACE(p + 1);
    // Header and footer on every page; the footer at the bottom margin minus its height.
    const Primitive* head = findText(pages[p], QStringLiteral("Header %1").arg(p + 1));
    ASSERT_NE(head, nullptr);
    EXPECT_NEAR(head->box.top(), 10, 0.01);
    // Rows 10p+1 .. 10p+10 lie one under the other from 20 mm on.
    const int first = p * 10 + 1;
    const int last = std::min(25, first + 9);
    EXPECT_EQ(textsStartingWith(pages[p], QStringLiteral("Row ")).size(), last - first + 1);
    for (int row = first; row <= last; ++row) {
      const Primitive* t = findText(pages[p], QStringLiteral("Row %1").arg(row));
      ASSERT_NE(t, nullptr) << "Row " << row;
      EXPECT_NEAR(t->box.top(), 20 + 6 * (row - first), 0.01) << "Row " << row;
    }
    // Page totals: rows of this page only.
    double sum = 0;
    for (int row = first; row <= last; ++row) sum += row * 10.0;
    const QString foot = QStringLiteral("Page %1 of 3 sum %2").arg(p + 1).arg(sum);
    const Primitive* f = findText(pages[p], foot);
    ASSERT_NE(f, nullptr) << foot.toStdString();
    EXPECT_NEAR(f->box.top(), 80, 0.01);
  }
  // The display format of the amount column.
  EXPECT_NE(findText(pages[2], QStringLiteral("250.00")), nullptr);
  EXPECT_NE(findText(pages[0], QStringLiteral("100.00")), nullptr);
}

TEST(Layout, SummaryThatDoesNotFitMovesToANewPage) {
  reporttest::Site site;
  site.addLines(30);
  report::Report r;
  r.setConnection(*site.conn);
  const QByteArray summary = R"(, {"type": "reportSummary", "name": "Total", "height": 8, "objects": [
        {"kind": "text", "name": "TotalText", "width": 80, "height": 8, "text": "Total [SUM(Amount)] of [COUNT()]"}]})";
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("summary.frf"), pagedTemplate(QByteArray(), summary))));
  r.setVariable(QStringLiteral("MaxId"), QStringLiteral("30"));
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 4);  // 3 full pages, the summary alone on the fourth
  const Primitive* total = findText(r.prepared().pages[3], QStringLiteral("Total 4650 of 30"));
  ASSERT_NE(total, nullptr);
  EXPECT_NEAR(total->box.top(), 20, 0.01);
  EXPECT_NE(findText(r.prepared().pages[3], QStringLiteral("Page 4 of 4 sum 0")), nullptr);
  EXPECT_NE(findText(r.prepared().pages[3], QStringLiteral("Header 4")), nullptr);
}

TEST(Layout, GroupsHeadAndSumTheirRows) {
  reporttest::Site site;
  site.addLines(7, 3);  // C01: 1-3, C02: 4-6, C03: 7
  report::Report r;
  r.setConnection(*site.conn);
  const QByteArray groups = R"("groups": [{"expression": "Cust",
      "header": {"type": "groupHeader", "name": "CustHead", "height": 6, "objects": [
        {"kind": "text", "name": "CustName", "width": 80, "height": 6, "text": "Customer [Lines.Cust]"}]},
      "footer": {"type": "groupFooter", "name": "CustFoot", "height": 6, "objects": [
        {"kind": "text", "name": "CustSum", "width": 80, "height": 6,
         "text": "[Cust] [COUNT()] rows [SUM(Amount)] max [MAX(Amount)] last [Name]"}]}}],)";
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("groups.frf"), pagedTemplate(groups))));
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 2);
  QStringList order;
  for (const auto& page : r.prepared().pages) {
    for (const auto& t : texts(page)) {
      if (!t.first.startsWith(QLatin1String("Header")) && !t.first.startsWith(QLatin1String("Page")) && !t.first.contains(QLatin1Char('.'))) {
        order << t.first;
      }
    }
  }
  EXPECT_EQ(order, QStringList({"Customer C01", "Row 1", "Row 2", "Row 3", "C01 3 rows 60 max 30 last Row 3",
                                "Customer C02", "Row 4", "Row 5", "Row 6", "C02 3 rows 150 max 60 last Row 6",
                                "Customer C03", "Row 7", "C03 1 rows 70 max 70 last Row 7"}));
}

TEST(Layout, StretchedTextGrowsItsBandAndMovesItToTheNextPage) {
  report::Report r;
  reporttest::Site site;
  // Nine 8 mm rows fill 10..82 mm; row 10 wraps onto several lines and no longer fits above 90 mm.
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("stretch.frf"), R"({
    "page": {"width": 100, "height": 100, "margins": {"left": 10, "top": 10, "right": 10, "bottom": 10}},
    "bands": [{"type": "masterData", "name": "Rows", "rowCount": "12", "height": 8, "objects": [
      {"kind": "text", "name": "Body", "width": 30, "height": 8, "stretch": true, "font": {"family": "Loma", "size": 10},
       "text": "[IF(LINE = 10, 'one two three four five six seven eight nine ten eleven twelve', 'Line ' + STR(LINE))]"},
      {"kind": "text", "name": "Mark", "x": 40, "width": 20, "height": 6, "text": "#[LINE]"}]}]})")));
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 2);
  const auto& p1 = r.prepared().pages[0];
  const auto& p2 = r.prepared().pages[1];
  ASSERT_NE(findText(p1, QStringLiteral("#9")), nullptr);
  EXPECT_NEAR(findText(p1, QStringLiteral("#9"))->box.top(), 74, 0.01);
  EXPECT_EQ(findText(p1, QStringLiteral("#10")), nullptr);
  const Primitive* ten = findText(p2, QStringLiteral("#10"));
  ASSERT_NE(ten, nullptr);
  EXPECT_NEAR(ten->box.top(), 10, 0.01);
  const Primitive* eleven = findText(p2, QStringLiteral("#11"));
  ASSERT_NE(eleven, nullptr);
  EXPECT_GT(eleven->box.top(), 10 + 8 + 4);  // the tenth band grew to hold its lines
  int bodyLines = 0;
  double lastBottom = 0;
  for (const Primitive& p : p2.items) {
    if (p.type == Primitive::Type::Text && p.box.top() < eleven->box.top() && !p.text.startsWith(QLatin1Char('#'))) {
      ++bodyLines;
      lastBottom = std::max(lastBottom, p.box.bottom());
    }
  }
  EXPECT_GE(bodyLines, 3);
  EXPECT_LE(lastBottom, eleven->box.top() + 0.01);  // the next row starts below the last line
}

TEST(Layout, ThaiTextWrapsAtWordBoundaries) {
  const QStringList words{QStringLiteral("ข้าว"), QStringLiteral("หอม"), QStringLiteral("ส่ง"), QStringLiteral("สินค้า"),
                          QStringLiteral("ราคา"), QStringLiteral("ถูก"), QStringLiteral("ลูกค้า"), QStringLiteral("ใหม่")};
  QString text;
  QSet<int> boundaries{0};
  for (int i = 0; i < 12; ++i) {
    text += words[i % words.size()];
    boundaries.insert(static_cast<int>(text.size()));
  }
  report::FontSpec font;
  font.family = QStringLiteral("Garuda");
  font.size = 12;
  const auto lines = report::layoutText(text, font, 30, report::HAlign::Left, true);
  ASSERT_GT(lines.size(), 2);
  QString joined;
  for (const auto& l : lines) {
    EXPECT_LE(l.width, 30.01);
    joined += l.text;
    EXPECT_TRUE(boundaries.contains(static_cast<int>(joined.size()))) << "line ends inside a word: " << l.text.toStdString();
  }
  EXPECT_EQ(joined, text);
}

TEST(Layout, DatasetParametersComeFromReportVariables) {
  reporttest::Site site;
  site.addLines(9, 3);
  report::Report r;
  r.setConnection(*site.conn);
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("params.frf"), R"({
    "datasets": [
      {"name": "Lines", "sql": "select Name from Lines where Cust = :Cust and Id >= :FromId order by Id",
       "params": {"FromId": "FirstId + 1"}},
      {"name": "Head", "sql": "select count(*) as N from Lines where Cust = :Cust"}],
    "variables": {"Cust": "'C01'", "FirstId": "0"},
    "bands": [
      {"type": "reportTitle", "height": 8, "objects": [{"kind": "text", "width": 80, "height": 6, "text": "[Cust] has [Head.N]"}]},
      {"type": "masterData", "name": "Rows", "dataset": "Lines", "height": 6, "objects": [
        {"kind": "text", "width": 50, "height": 6, "text": "[Name]"}]}]})")));
  r.setVariable(QStringLiteral("Cust"), QStringLiteral("'C02'"));
  r.setVariable(QStringLiteral("FirstId"), QStringLiteral("4"));
  ASSERT_TRUE(r.prepare());
  const auto all = texts(r.prepared().pages[0]);
  QStringList got;
  for (const auto& t : all) got << t.first;
  EXPECT_EQ(got, QStringList({"C02 has 3", "Row 5", "Row 6"}));
  // After preparing, the evaluator still sees the datasets (their last rows).
  EXPECT_EQ(r.evaluate(QStringLiteral("Lines.Name + '/' + STR(Head.N)")).toString(), QStringLiteral("Row 6/3"));
}

TEST(Layout, ParameterDialogFillsVariablesAndCancelStopsPreparation) {
  reporttest::Site site;
  report::Report r;
  r.setConnection(*site.conn);
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("dialog.frf"), R"J({
    "variables": {"CountNo": "2"},
    "dialog": {"title": "Stickers", "fields": [
      {"label": "จำนวน Sticker", "variable": "CountNo", "type": "number"},
      {"label": "Box", "variable": "BoxName", "default": "'BOX-' + STR(CountNo)"}]},
    "bands": [{"type": "masterData", "name": "Stickers", "rowCount": "CountNo", "height": 20, "objects": [
      {"kind": "text", "width": 50, "height": 6, "text": "[BoxName] #[LINE]"}]}]})J")));
  QStringList offered;
  r.setDialogAnswerer([&](const report::DialogDef& dlg, QStringList& values) {
    EXPECT_EQ(dlg.title, QStringLiteral("Stickers"));
    offered = values;
    values[0] = QStringLiteral("3");
    return true;
  });
  ASSERT_TRUE(r.prepare());
  EXPECT_EQ(offered, QStringList({"2", "BOX-2"}));
  QStringList got;
  for (const auto& t : texts(r.prepared().pages[0])) got << t.first;
  EXPECT_EQ(got, QStringList({"BOX-2 #1", "BOX-2 #2", "BOX-2 #3"}));

  r.setDialogAnswerer([](const report::DialogDef&, QStringList&) { return false; });
  EXPECT_FALSE(r.prepare());
  EXPECT_EQ(r.pageCount(), 1);  // the pages prepared before stay

  r.setDialogAnswerer([](const report::DialogDef&, QStringList& values) {
    values[0] = QStringLiteral("three");
    return true;
  });
  try {
    r.prepare();
    ADD_FAILURE() << "a text in a number field was accepted";
  } catch (const report::ReportError& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("dialog field 'จำนวน Sticker': 'three' is not a number"))) << e.message().toStdString();
  }
}

TEST(Layout, PreparationFailuresNameFileBandObjectAndText) {
  struct Failure {
    const char* name;
    QByteArray json;
    QStringList expected;
  };
  const Failure failures[] = {
      {"failing SQL",
       R"({"datasets": [{"name": "Lines", "sql": "select Nothing from NoSuchTable"}],
           "bands": [{"type": "masterData", "name": "Rows", "dataset": "Lines", "height": 6}]})",
       {QStringLiteral("dataset 'Lines'"), QStringLiteral("the SQL failed"), QStringLiteral("NoSuchTable")}},
      {"parameter without variable",
       R"({"datasets": [{"name": "Lines", "sql": "select * from Lines where Id = :Missing"}],
           "bands": [{"type": "masterData", "name": "Rows", "dataset": "Lines", "height": 6}]})",
       {QStringLiteral("dataset 'Lines'"), QStringLiteral(":Missing has no report variable")}},
      {"unknown function",
       R"({"bands": [{"type": "reportTitle", "name": "Title", "height": 6, "objects": [
           {"kind": "text", "name": "Memo7", "width": 50, "height": 6, "text": "Total [NOSUCH(1)]"}]}]})",
       {QStringLiteral("band 'Title', object 'Memo7'"), QStringLiteral("text 'Total [NOSUCH(1)]'"), QStringLiteral("Unknown function 'NOSUCH'")}},
      {"unknown field",
       R"({"bands": [{"type": "reportTitle", "name": "Title", "height": 6, "objects": [
           {"kind": "text", "name": "Memo8", "width": 50, "height": 6, "text": "[Amount]"}]}]})",
       {QStringLiteral("object 'Memo8'"), QStringLiteral("Unknown variable or field 'Amount'")}},
      {"aggregate on a data row",
       R"({"bands": [{"type": "masterData", "name": "Rows", "rowCount": "2", "height": 6, "objects": [
           {"kind": "text", "name": "Running", "width": 50, "height": 6, "text": "[SUM(LINE)]"}]}]})",
       {QStringLiteral("object 'Running'"), QStringLiteral("SUM can be used only in group footers")}},
      {"bad EAN-13",
       R"({"bands": [{"type": "reportTitle", "name": "Title", "height": 20, "objects": [
           {"kind": "barcode", "name": "Ean", "type": "ean13", "width": 40, "height": 20, "text": "12345"}]}]})",
       {QStringLiteral("object 'Ean'"), QStringLiteral("text '12345'"), QStringLiteral("12 digits")}},
      {"wrong EAN-13 check digit",
       R"({"bands": [{"type": "reportTitle", "name": "Title", "height": 20, "objects": [
           {"kind": "barcode", "name": "Ean", "type": "ean13", "width": 40, "height": 20, "text": "5901234123450"}]}]})",
       {QStringLiteral("object 'Ean'"), QStringLiteral("cannot be encoded")}},
      {"runaway row count",
       R"({"bands": [{"type": "masterData", "name": "Rows", "rowCount": "1e12", "height": 6}]})",
       {QStringLiteral("band 'Rows'"), QStringLiteral("rowCount")}},
  };
  reporttest::Site site;
  site.addLines(2);
  for (const Failure& f : failures) {
    report::Report r;
    r.setConnection(*site.conn);
    const QString path = site.writeTemplate(QStringLiteral("failing.frf"), f.json);
    ASSERT_TRUE(r.loadFromFile(path)) << f.name;
    try {
      r.prepare();
      ADD_FAILURE() << f.name << ": prepared";
    } catch (const report::ReportError& e) {
      EXPECT_TRUE(e.message().startsWith(path + QLatin1Char(':'))) << f.name << ": " << e.message().toStdString();
      for (const QString& part : f.expected) EXPECT_TRUE(e.message().contains(part)) << f.name << ": " << e.message().toStdString();
    }
  }
}

TEST(Layout, AggregatesReachTheArgumentTextsOfUserFunctions) {
  report::Report r;
  reporttest::Site site;
  // The user function evaluates its argument text, which holds a SUM of the summary.
  r.setUserFunction([&r](const QString& name, const QString& p1, const QString&, const QString&, report::Value& result) {
    if (name.toUpper() == QLatin1String("WORDS")) result = report::Value::string(QStringLiteral("words:") + r.evaluate(p1).toString());
  });
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("agg.frf"), R"({
    "bands": [
      {"type": "masterData", "name": "Rows", "rowCount": "4", "height": 6, "objects": [
        {"kind": "text", "width": 50, "height": 6, "text": "[LINE]"}]},
      {"type": "reportSummary", "height": 6, "objects": [
        {"kind": "text", "width": 80, "height": 6, "text": "[WORDS(SUM(LINE * 10))] avg [AVG(LINE)]"}]}]})")));
  ASSERT_TRUE(r.prepare());
  EXPECT_NE(findText(r.prepared().pages[0], QStringLiteral("words:100 avg 2.5")), nullptr);
}

// The prepared report lists every text that did not fit its object: lines left out of a low object
// and glyphs cut by a narrow one; a stretched text and its neighbours never appear there.
TEST(Layout, OverflowsNameTheFormBandObjectAndValue) {
  reporttest::Site site;
  report::Report r;
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("small.frf"), R"({
    "page": {"width": 100, "height": 100, "margins": {"left": 10, "top": 10, "right": 10, "bottom": 10}},
    "defaultFont": {"family": "Garuda", "size": 10},
    "bands": [{"type": "reportTitle", "name": "Title", "height": 40, "objects": [
      {"kind": "text", "name": "Low", "width": 30, "height": 6, "text": "one two three four five six seven"},
      {"kind": "text", "name": "Narrow", "y": 10, "width": 12, "height": 6, "wordWrap": false, "text": "[UPPERCASE('customer')] name"},
      {"kind": "text", "name": "Grows", "y": 20, "width": 30, "height": 6, "stretch": true, "text": "one two three four five six seven"},
      {"kind": "text", "name": "Fits", "x": 40, "y": 20, "width": 30, "height": 6, "text": "short"}]}]})")));
  ASSERT_TRUE(r.prepare());
  QStringList found;
  for (const report::Overflow& f : r.prepared().overflows) found << f.describe();
  EXPECT_EQ(found, (QStringList{"small.frf: band 'Title', object 'Low', page 1: lines left out of 'one two three four five six seven'",
                                "small.frf: band 'Title', object 'Narrow', page 1: glyphs cut of 'CUSTOMER name'"}));
}

// Objects below a stretched text move down by its growth (a label beside a moved value with it),
// a frame around it grows, and the row's rules reach the band's new bottom; objects beside it stay.
TEST(Layout, ObjectsBelowAStretchedTextMakeRoomAndFramesGrowWithIt) {
  reporttest::Site site;
  report::Report r;
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("grow.frf"), R"({
    "page": {"width": 100, "height": 200, "margins": {"left": 0, "top": 0, "right": 0, "bottom": 0}},
    "defaultFont": {"family": "Garuda", "size": 10},
    "bands": [{"type": "reportTitle", "name": "Title", "height": 30, "objects": [
      {"kind": "rectangle", "name": "Frame", "x": 0, "y": 0, "width": 50, "height": 20},
      {"kind": "text", "name": "Name", "x": 1, "y": 1, "width": 30, "height": 6, "stretch": true,
       "text": "[IF(True, 'one two three four five six seven eight nine ten', '')]"},
      {"kind": "text", "name": "Below", "x": 1, "y": 8, "width": 20, "height": 6, "text": "below"},
      {"kind": "text", "name": "Label", "x": 60, "y": 8, "width": 20, "height": 6, "text": "label"},
      {"kind": "text", "name": "Beside", "x": 60, "y": 1, "width": 20, "height": 6, "text": "beside"},
      {"kind": "line", "name": "Rule", "x": 55, "y": 0, "width": 0, "height": 30}]}]})")));
  ASSERT_TRUE(r.prepare());
  EXPECT_TRUE(r.prepared().overflows.isEmpty());
  const auto& page = r.prepared().pages[0];
  double nameBottom = 0;
  for (const Primitive& p : page.items) {
    if (p.type == Primitive::Type::Text && p.box.left() < 40 && p.text != QLatin1String("below")) nameBottom = std::max(nameBottom, p.box.bottom());
  }
  ASSERT_GT(nameBottom, 14);  // several lines
  const Primitive* below = findText(page, QStringLiteral("below"));
  const Primitive* label = findText(page, QStringLiteral("label"));
  const Primitive* beside = findText(page, QStringLiteral("beside"));
  ASSERT_TRUE(below && label && beside);
  EXPECT_GE(below->box.top(), nameBottom - 0.01);                // moved below the grown name
  EXPECT_NEAR(label->box.top(), below->box.top(), 0.01);          // the same line moves together
  EXPECT_NEAR(beside->box.top(), 1, 0.01);                        // beside the name: stays
  const double growth = below->box.top() - 8;
  for (const Primitive& p : page.items) {
    if (p.type == Primitive::Type::Rect) EXPECT_NEAR(p.box.height(), 20 + growth, 0.01);  // the frame holds the moved text
    if (p.type == Primitive::Type::Line) EXPECT_NEAR(p.line.length(), std::max(30.0, 20 + growth), 0.01);  // to the new bottom
  }
}

// A group heading stays with its first row as that row prints, not as its band is declared: a row
// that wraps onto more lines takes its heading with it to the next page.
TEST(Layout, GroupHeaderMovesWithAStretchedFirstRow) {
  report::Report r;
  reporttest::Site site;
  // Heading A at 10 mm, rows 1..7 at 16..72 mm; heading B and a declared 8 mm row would fit above
  // 90 mm, but row 8 wraps onto many lines and does not.
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("orphan.frf"), R"json({
    "page": {"width": 100, "height": 100, "margins": {"left": 10, "top": 10, "right": 10, "bottom": 10}},
    "bands": [{"type": "masterData", "name": "Rows", "rowCount": "10", "height": 8,
      "groups": [{"expression": "IF(LINE < 8, 'A', 'B')",
        "header": {"type": "groupHeader", "name": "GroupHead", "height": 6, "objects": [
          {"kind": "text", "name": "GroupName", "width": 80, "height": 6, "text": "Group [IF(LINE < 8, 'A', 'B')]"}]}}],
      "objects": [
      {"kind": "text", "name": "Body", "width": 30, "height": 8, "stretch": true, "font": {"family": "Loma", "size": 10},
       "text": "[IF(LINE = 8, 'one two three four five six seven eight nine ten eleven twelve', 'Line ' + STR(LINE))]"},
      {"kind": "text", "name": "Mark", "x": 40, "width": 20, "height": 6, "text": "#[LINE]"}]}]})json")));
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 2);
  const auto& p1 = r.prepared().pages[0];
  const auto& p2 = r.prepared().pages[1];
  ASSERT_NE(findText(p1, QStringLiteral("#7")), nullptr);
  EXPECT_EQ(findText(p1, QStringLiteral("Group B")), nullptr) << "the heading is left alone at the bottom of page 1";
  const Primitive* head = findText(p2, QStringLiteral("Group B"));
  ASSERT_NE(head, nullptr);
  EXPECT_NEAR(head->box.top(), 10, 0.01);
  const Primitive* eight = findText(p2, QStringLiteral("#8"));
  ASSERT_NE(eight, nullptr);
  EXPECT_NEAR(eight->box.top(), 16, 0.01);
  EXPECT_TRUE(r.prepared().overflows.isEmpty());
}

// A band that does not fit moves to the next page: what it cuts is reported on the page it prints on.
TEST(Layout, AnOverflowOfABandMovedToTheNextPageNamesThatPage) {
  reporttest::Site site;
  site.addLines(10);
  report::Report r;
  r.setConnection(*site.conn);
  const QByteArray summary = R"(, {"type": "reportSummary", "name": "Total", "height": 8, "objects": [
        {"kind": "text", "name": "TotalText", "width": 12, "height": 8, "wordWrap": false, "text": "Total [SUM(Amount)] of [COUNT()]"}]})";
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("moved.frf"), pagedTemplate(QByteArray(), summary))));
  r.setVariable(QStringLiteral("MaxId"), QStringLiteral("10"));
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 2);  // ten rows fill page 1
  ASSERT_NE(findText(r.prepared().pages[1], QStringLiteral("Total 550 of 10")), nullptr);
  QStringList found;
  for (const report::Overflow& f : r.prepared().overflows) found << f.describe();
  EXPECT_EQ(found.join(QLatin1Char('\n')).toStdString(), "moved.frf: band 'Total', object 'TotalText', page 2: glyphs cut of 'Total 550 of 10'");
}

// An object placed under a row (printed only sometimes, such as a payment code) follows the row's
// grown rules, and the rules end where the row's own objects end, even when the object under it
// grows too: the row does not grow by what hangs under it.
TEST(Layout, AGrowingObjectUnderARowFollowsItsRulesWithoutLengtheningThem) {
  report::Report r;
  reporttest::Site site;
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("under.frf"), R"({
    "page": {"width": 100, "height": 200, "margins": {"left": 10, "top": 10, "right": 10, "bottom": 10}},
    "bands": [{"type": "masterData", "name": "Rows", "rowCount": "2", "height": 8, "objects": [
      {"kind": "text", "name": "Body", "width": 30, "height": 8, "stretch": true, "font": {"family": "Loma", "size": 10},
       "text": "[IF(LINE = 1, 'one two three four five six seven eight nine ten', 'Line ' + STR(LINE))]"},
      {"kind": "line", "name": "RuleLeft", "x": 0, "y": 0, "width": 0, "height": 8},
      {"kind": "line", "name": "RuleRight", "x": 60, "y": 0, "width": 0, "height": 8},
      {"kind": "text", "name": "Under", "y": 8, "width": 60, "height": 5, "stretch": true, "font": {"family": "Loma", "size": 10},
       "text": "Under [LINE] one two three four five six seven eight nine ten eleven twelve thirteen"}]}]})")));
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 1);
  const auto& page = r.prepared().pages[0];
  // The first line of the text under the first row; the lowest line of that row's body above it;
  // the first row's rules.
  double underTop = 1e9, bodyBottom = 0, ruleBottom = 0;
  for (const Primitive& p : page.items) {
    if (p.type == Primitive::Type::Text && p.text.startsWith(QLatin1String("Under 1"))) underTop = std::min(underTop, p.box.top());
  }
  ASSERT_LT(underTop, 1e9);
  for (const Primitive& p : page.items) {
    if (p.type == Primitive::Type::Text && p.box.top() < underTop) bodyBottom = std::max(bodyBottom, p.box.bottom());
    if (p.type == Primitive::Type::Line && std::min(p.line.y1(), p.line.y2()) < 11) ruleBottom = std::max({ruleBottom, p.line.y1(), p.line.y2()});
  }
  ASSERT_GT(bodyBottom, 10 + 8 + 2) << "the first row's body wraps";
  EXPECT_NEAR(ruleBottom, bodyBottom, 1.0) << "the rules end with the row's own objects";
  EXPECT_NEAR(underTop, ruleBottom, 1.0) << "the object under the row follows its rules";
  const Primitive* second = findText(page, QStringLiteral("Line 2"));
  ASSERT_NE(second, nullptr);
  EXPECT_LT(second->box.top(), ruleBottom + 20) << "the second row follows the first row's object under it";
}
