// Output of prepared pages: PDF read back by pdftotext (Thai and English), barcodes decoded by
// zbarimg from an exported image, plain text, CSV, printing and the preview window.
#include "fixture.h"
#include "report/export.h"
#include "report/print_files.h"
#include "report/page.h"
#include "report/preview.h"

#include <QFileInfo>
#include <QHash>
#include <QPrinter>
#include <QTemporaryDir>
#include <QToolButton>

using report::Primitive;
using reporttest::run;

namespace {

QByteArray documentTemplate() {
  return R"({
    "page": {"size": "A5", "margins": {"left": 10, "top": 10, "right": 10, "bottom": 10}},
    "defaultFont": {"family": "Garuda", "size": 11},
    "variables": {"DocNo": "'IV-0042'"},
    "bands": [
      {"type": "reportTitle", "name": "Title", "height": 60, "objects": [
        {"kind": "text", "name": "Heading", "width": 120, "height": 8, "text": "ใบส่งของ ก่อนส่งสินค้า [DocNo]", "font": {"size": 14, "bold": true}},
        {"kind": "text", "name": "English", "y": 9, "width": 120, "height": 7, "text": "Invoice total [FORMATFLOAT('#,##0.00', 1234.5)] baht"},
        {"kind": "barcode", "name": "Ean", "type": "ean13", "x": 0, "y": 18, "width": 50, "height": 25, "text": "590123412345"},
        {"kind": "barcode", "name": "Box", "type": "code128", "x": 60, "y": 18, "width": 60, "height": 25, "text": "BOX-[COPY(DocNo, 4, 4)]"},
        {"kind": "line", "y": 45, "width": 120, "height": 0}]},
      {"type": "masterData", "name": "Rows", "rowCount": "3", "height": 7, "objects": [
        {"kind": "text", "name": "Item", "width": 60, "height": 7, "text": "สินค้า [LINE], item"},
        {"kind": "text", "name": "Qty", "x": 60, "width": 30, "height": 7, "text": "[LINE * 1.5]", "format": "0.00", "align": "right"}]}]})";
}

struct Prepared {
  reporttest::Site site;
  report::Report report;
  Prepared() {
    EXPECT_TRUE(report.loadFromFile(site.writeTemplate(QStringLiteral("doc.frf"), documentTemplate())));
    EXPECT_TRUE(report.prepare());
  }
};

QString readAll(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
  return QString::fromUtf8(f.readAll());
}

}  // namespace

TEST(Export, PdfHoldsThaiAndEnglishTextWithEmbeddedFonts) {
  Prepared p;
  const QString pdf = p.site.dir.filePath(QStringLiteral("doc.pdf"));
  p.report.exportPdf(pdf);
  const auto text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
  ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
  EXPECT_TRUE(text.out.contains(QStringLiteral("ใบส่งของ ก่อนส่งสินค้า IV-0042"))) << text.out.toStdString();
  EXPECT_TRUE(text.out.contains(QStringLiteral("Invoice total 1,234.50 baht"))) << text.out.toStdString();
  EXPECT_TRUE(text.out.contains(QStringLiteral("สินค้า 3, item"))) << text.out.toStdString();
  EXPECT_TRUE(text.out.contains(QStringLiteral("4.50"))) << text.out.toStdString();
  EXPECT_FALSE(text.out.contains(QChar(0xF70A)));  // no legacy private-use marks
  const auto fonts = run(QStringLiteral("pdffonts"), {pdf});
  ASSERT_EQ(fonts.exitCode, 0);
  EXPECT_TRUE(fonts.out.contains(QStringLiteral("Garuda"))) << fonts.out.toStdString();
  for (const QString& line : fonts.out.split(QLatin1Char('\n')).mid(2)) {
    if (line.trimmed().isEmpty()) continue;
    const QStringList cols = line.simplified().split(QLatin1Char(' '));
    ASSERT_GE(cols.size(), 5);
    EXPECT_EQ(cols[cols.size() - 5], QStringLiteral("yes")) << "not embedded: " << line.toStdString();
  }
  const auto info = run(QStringLiteral("pdfinfo"), {pdf});
  EXPECT_TRUE(info.out.contains(QStringLiteral("Pages:           1"))) << info.out.toStdString();
  EXPECT_TRUE(info.out.contains(QStringLiteral("420 x 595 pts"))) << info.out.toStdString();  // A5
}

TEST(Export, BarcodesDecodeFromAnExportedImage) {
  Prepared p;
  const QStringList files = report::exportImages(p.report.prepared(), p.site.dir.filePath(QStringLiteral("doc.png")), 300);
  ASSERT_EQ(files.size(), 1);
  const auto decoded = run(QStringLiteral("zbarimg"), {QStringLiteral("-q"), files[0]});
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
  EXPECT_TRUE(decoded.out.contains(QStringLiteral("EAN-13:5901234123457"))) << decoded.out.toStdString();
  EXPECT_TRUE(decoded.out.contains(QStringLiteral("CODE-128:BOX-0042"))) << decoded.out.toStdString();
}

// QR codes: drawn from their expression, read back by zbarimg from the PDF rendered by pdftoppm
// (Thai text as UTF-8); one whose text is empty prints nothing and takes no room, so the band
// keeps its height.
TEST(Export, QrCodesDecodeFromThePdfAndAnEmptyOneTakesNoRoom) {
  reporttest::Site site;
  const QByteArray json = R"({
    "page": {"size": "A5", "margins": {"left": 10, "top": 10, "right": 10, "bottom": 10}},
    "variables": {"Pay": "'00020101021229370016A000000677010111021301055000000005303764540513.505802TH'"},
    "bands": [
      {"type": "masterData", "name": "Rows", "rowCount": "3", "height": 8, "objects": [
        {"kind": "text", "name": "Row", "width": 60, "height": 6, "text": "Row [LINE]"},
        {"kind": "qrcode", "name": "Code", "x": 70, "y": 8, "width": 30, "height": 25, "errorCorrection": "Q",
         "text": "[IF(LINE = 1, Pay, IF(LINE = 2, '', 'ใบแจ้งหนี้ ' + STR(LINE) + ' บาท'))]"}]}]})";
  report::Report r;
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("qr.frf"), json)));
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 1);
  // Row 1 grows to hold its code (8 + 25 mm), row 2 keeps its 8 mm, row 3 starts after it.
  double row2 = -1, row3 = -1;
  for (const report::Primitive& p : r.prepared().pages[0].items) {
    if (p.type != report::Primitive::Type::Text) continue;
    if (p.text == QStringLiteral("Row 2")) row2 = p.box.top();
    if (p.text == QStringLiteral("Row 3")) row3 = p.box.top();
  }
  ASSERT_GE(row2, 0);
  EXPECT_NEAR(row2, 10 + 33, 0.5);
  EXPECT_NEAR(row3 - row2, 8, 0.01);

  const QString pdf = site.dir.filePath(QStringLiteral("qr.pdf"));
  r.exportPdf(pdf);
  const auto rendered = run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                                                         QStringLiteral("-singlefile"), pdf, site.dir.filePath(QStringLiteral("qr"))});
  ASSERT_EQ(rendered.exitCode, 0) << rendered.err.toStdString();
  const auto decoded = run(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"), QStringLiteral("-Sdisable"),
                                                       QStringLiteral("-Sqrcode.enable"), site.dir.filePath(QStringLiteral("qr.png"))});
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
  QStringList codes = decoded.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  codes.sort();
  EXPECT_EQ(codes, (QStringList{QStringLiteral("00020101021229370016A000000677010111021301055000000005303764540513.505802TH"),
                                QStringLiteral("ใบแจ้งหนี้ 3 บาท")}))
      << decoded.out.toStdString();
}

TEST(Export, TextAndCsvFollowThePositionsOfTheTexts) {
  Prepared p;
  const QString txt = p.site.dir.filePath(QStringLiteral("doc.txt"));
  const QString csv = p.site.dir.filePath(QStringLiteral("doc.csv"));
  p.report.exportText(txt);
  p.report.exportCsv(csv);
  const QStringList lines = readAll(txt).split(QLatin1Char('\n'));
  EXPECT_TRUE(lines.contains(QStringLiteral("ใบส่งของ ก่อนส่งสินค้า IV-0042"))) << readAll(txt).toStdString();
  int itemLine = -1;
  for (int i = 0; i < lines.size(); ++i) {
    if (lines[i].startsWith(QStringLiteral("สินค้า 2, item"))) itemLine = i;
  }
  ASSERT_GE(itemLine, 0) << readAll(txt).toStdString();
  EXPECT_TRUE(lines[itemLine].endsWith(QLatin1String(" 3.00"))) << lines[itemLine].toStdString();
  const QString csvText = readAll(csv);
  EXPECT_TRUE(csvText.contains(QStringLiteral("\"สินค้า 1, item\",1.50\r\n"))) << csvText.toStdString();
  EXPECT_TRUE(csvText.contains(QStringLiteral("Invoice total 1,234.50 baht"))) << csvText.toStdString();
}

TEST(Export, PrintingPaintsEveryPageOnce) {
  reporttest::Site site;
  report::Report r;
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("many.frf"), R"({
    "page": {"width": 100, "height": 60},
    "bands": [{"type": "masterData", "name": "Rows", "rowCount": "20", "height": 10, "objects": [
      {"kind": "text", "width": 50, "height": 6, "text": "Printed row [LINE]"}]}]})")));
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 5);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString out = site.dir.filePath(QStringLiteral("printed.pdf"));
  printer.setOutputFileName(out);
  r.printPrepared(1, &printer);
  const auto info = run(QStringLiteral("pdfinfo"), {out});
  EXPECT_TRUE(info.out.contains(QStringLiteral("Pages:           5"))) << info.out.toStdString();
  const auto text = run(QStringLiteral("pdftotext"), {out, QStringLiteral("-")});
  EXPECT_TRUE(text.out.contains(QStringLiteral("Printed row 20"))) << text.out.toStdString();
}

// A text is cut at the edges of its object where its glyphs would reach out of it, and drawn
// without a clip where they stay inside, even when the font's line is taller than the object (the
// common case: a 9 pt Thai line is 6 mm high, rows are 5 mm). Checked on the painted pixels: nothing
// of a cut text shows around its object, and clipping every text at its object changes no pixel
// of the page as prepared.
TEST(Export, TextIsCutAtItsObjectWhereItsGlyphsReachOut) {
  struct Case {
    const char* text;
    double x, y, width, height, size;
    bool cut;
  };
  const Case cases[] = {
      {"รวม C001 50 รายการ", 5, 5, 60, 5, 9, false},         // the line is taller than the object, its glyphs are not
      {"Amount 1,234.50", 5, 20, 60, 8, 9, false},             // fits outright
      {"ถุง 16 กก. ปู่", 5, 40, 60, 5, 9, true},               // the vowel below reaches under the object
      {"A long English text that runs on", 100, 5, 15, 8, 9, true},  // too wide, no word wrap
      {"Hgy", 100, 30, 40, 4, 30, true},                       // too high
  };
  QByteArray objects;
  for (const Case& c : cases) {
    if (!objects.isEmpty()) objects += ",";
    objects += QStringLiteral(R"({"kind": "text", "x": %1, "y": %2, "width": %3, "height": %4, "font": {"size": %5}, "wordWrap": false, "text": "%6"})")
                   .arg(c.x).arg(c.y).arg(c.width).arg(c.height).arg(c.size).arg(QString::fromUtf8(c.text)).toUtf8();
  }
  reporttest::Site site;
  report::Report r;
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("cut.frf"), R"({
    "page": {"width": 200, "height": 60, "margins": {"left": 0, "top": 0, "right": 0, "bottom": 0}},
    "defaultFont": {"family": "Garuda", "size": 9},
    "bands": [{"type": "reportTitle", "height": 55, "objects": [)" + objects + "]}]}")));
  ASSERT_TRUE(r.prepare());
  const report::PreparedReport& prepared = r.prepared();
  ASSERT_EQ(prepared.pages.size(), 1);

  report::PreparedReport allClipped = prepared;
  for (const Case& c : cases) {
    const QRectF area(c.x, c.y, c.width, c.height);
    const Primitive* drawn = nullptr;
    for (Primitive& p : allClipped.pages[0].items) {
      if (p.type != Primitive::Type::Text || p.text != QString::fromUtf8(c.text)) continue;
      EXPECT_EQ(!p.clip.isEmpty(), c.cut) << c.text;
      if (!p.clip.isEmpty()) EXPECT_EQ(p.clip, area) << c.text;
      p.clip = area;
      drawn = &p;
    }
    ASSERT_NE(drawn, nullptr) << c.text;
  }

  for (const int dpi : {96, 300}) {
    const QImage page = report::renderPageImage(prepared, 0, dpi);
    EXPECT_TRUE(page == report::renderPageImage(allClipped, 0, dpi)) << "a text drawn without a clip lost pixels to one, at " << dpi << " dpi";
    // Around each object (from two pixels to 3 mm outside it) the page stays white.
    const double dpmm = dpi / 25.4;
    for (const Case& c : cases) {
      const QRectF area(c.x * dpmm, c.y * dpmm, c.width * dpmm, c.height * dpmm);
      const QRectF inner = area.adjusted(-2, -2, 2, 2);
      const QRect outer = area.adjusted(-3 * dpmm, -3 * dpmm, 3 * dpmm, 3 * dpmm).toAlignedRect().intersected(page.rect());
      int ink = 0;
      for (int y = outer.top(); y <= outer.bottom(); ++y) {
        for (int x = outer.left(); x <= outer.right(); ++x) {
          if (!inner.contains(QPointF(x + 0.5, y + 0.5)) && qGray(page.pixel(x, y)) < 200) ++ink;
        }
      }
      EXPECT_EQ(ink, 0) << c.text << " shows outside its object at " << dpi << " dpi";
    }
  }
}

// The names of printed files: the document's title and number, and the free name a program that
// never replaces a file writes to.
TEST(PrintFiles, NamesOfPrintedFiles) {
  EXPECT_EQ(report::documentFileName(QStringLiteral(" ใบจัดสินค้าตามเขต "), QStringLiteral("CON260000000008 ")),
            QStringLiteral("ใบจัดสินค้าตามเขต CON260000000008"));
  EXPECT_EQ(report::documentFileName(QString(), QStringLiteral("CON1")), QStringLiteral("CON1"));
  EXPECT_EQ(report::documentFileName(QStringLiteral("สติ๊กเกอร์กล่อง"), QString()), QStringLiteral("สติ๊กเกอร์กล่อง"));

  QTemporaryDir dir;
  const QDir d(dir.path());
  auto touch = [&](const QString& name) {
    QFile f(d.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  };
  EXPECT_EQ(report::freeFileName(d.filePath(QStringLiteral("a.pdf"))), d.filePath(QStringLiteral("a.pdf")));
  touch(QStringLiteral("a.pdf"));
  touch(QStringLiteral("a (2).pdf"));
  touch(QStringLiteral("b.tar.gz"));
  touch(QStringLiteral("noext"));
  EXPECT_EQ(report::freeFileName(d.filePath(QStringLiteral("a.pdf"))), d.filePath(QStringLiteral("a (3).pdf")));
  EXPECT_EQ(report::freeFileName(d.filePath(QStringLiteral("b.tar.gz"))), d.filePath(QStringLiteral("b.tar (2).gz")));
  EXPECT_EQ(report::freeFileName(d.filePath(QStringLiteral("noext"))), d.filePath(QStringLiteral("noext (2)")));
  // A name counts as taken when the caller says so.
  EXPECT_EQ(report::freeFileName(QStringLiteral("x.png"), [](const QString& p) { return !p.contains(QStringLiteral("(4)")); }),
            QStringLiteral("x (4).png"));
}

// consolidate-report render never replaces a file: a second render to the same name writes the
// next free name, says so, and leaves the first file as it was; pictures of several pages take a
// name none of whose page files exists.
TEST(Export, TheToolWritesAFreeNameInsteadOfReplacingAFile) {
  reporttest::Site site;
  site.addLines(35);  // 13 rows a page: three pages
  const QString templ = site.writeTemplate(QStringLiteral("rows.frf"), R"({
    "page": {"width": 100, "height": 100, "margins": {"left": 10, "top": 10, "right": 10, "bottom": 10}},
    "datasets": [{"name": "Lines", "sql": "select Id, Name from Lines order by Id"}],
    "bands": [{"type": "masterData", "name": "Rows", "dataset": "Lines", "height": 6, "objects": [
      {"kind": "text", "name": "RowText", "width": 50, "height": 6, "text": "[Name]"}]}]})");
  const QDir out(site.dir.filePath(QStringLiteral("out")));
  ASSERT_TRUE(QDir().mkpath(out.path()));
  struct Case {
    const char* option;
    const char* name;
    QStringList first, second;  // the files each render writes
  };
  const Case cases[] = {
      {"--pdf", "rows.pdf", {"rows.pdf"}, {"rows (2).pdf"}},
      {"--text", "rows.txt", {"rows.txt"}, {"rows (2).txt"}},
      {"--png", "rows.png", {"rows-1.png", "rows-2.png", "rows-3.png"}, {"rows (2)-1.png", "rows (2)-2.png", "rows (2)-3.png"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    const QStringList args{QStringLiteral("render"), templ, QStringLiteral("--site"), site.dir.path(), QStringLiteral("--database"),
                           QStringLiteral("TEST"), QString::fromLatin1(c.option), out.filePath(QString::fromLatin1(c.name))};
    const auto first = run(reporttest::toolPath(), args);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_FALSE(first.err.contains(QStringLiteral("exists"))) << first.err.toStdString();
    QHash<QString, QByteArray> written;
    for (const QString& f : c.first) {
      QFile file(out.filePath(f));
      ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << f.toStdString();
      written[f] = file.readAll();
    }
    // Marked, so that a file written again would show.
    for (const QString& f : c.first) {
      QFile file(out.filePath(f));
      ASSERT_TRUE(file.open(QIODevice::Append));
      file.write("kept");
    }
    const auto second = run(reporttest::toolPath(), args);
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    const QString renamed = out.filePath(QString::fromLatin1(c.name).replace(QStringLiteral("rows"), QStringLiteral("rows (2)")));
    EXPECT_TRUE(second.err.contains(out.filePath(QString::fromLatin1(c.name)) + QStringLiteral(" exists and is kept; the output is written to ") +
                                    renamed))
        << second.err.toStdString();
    for (const QString& f : c.first) {
      QFile file(out.filePath(f));
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      EXPECT_EQ(file.readAll(), written[f] + "kept") << f.toStdString() << " was replaced";
    }
    for (const QString& f : c.second) EXPECT_TRUE(QFileInfo::exists(out.filePath(f))) << f.toStdString();
  }
}

TEST(Export, UnwritableTargetsAreErrors) {
  Prepared p;
  EXPECT_THROW(p.report.exportPdf(QStringLiteral("/nonexistent-folder/doc.pdf")), report::ReportError);
  EXPECT_THROW(p.report.exportText(QStringLiteral("/nonexistent-folder/doc.txt")), report::ReportError);
  EXPECT_THROW(p.report.exportCsv(QStringLiteral("/nonexistent-folder/doc.csv")), report::ReportError);
}

TEST(Preview, ButtonsFollowTheChosenSetAndFindWalksThePages) {
  reporttest::Site site;
  report::Report r;
  ASSERT_TRUE(r.loadFromFile(site.writeTemplate(QStringLiteral("find.frf"), R"({
    "page": {"width": 100, "height": 60},
    "bands": [{"type": "masterData", "name": "Rows", "rowCount": "12", "height": 10, "objects": [
      {"kind": "text", "width": 50, "height": 6, "text": "[IF(LINE mod 5 = 0, 'needle ' + STR(LINE), 'hay')]"}]}]})")));
  ASSERT_TRUE(r.prepare());
  ASSERT_EQ(r.pageCount(), 3);  // four rows a page: needles on rows 5 and 10

  using report::PreviewButton;
  r.setPreviewButtons(PreviewButton::Zoom | PreviewButton::Find | PreviewButton::Help | PreviewButton::Exit);
  bool shown = false;
  r.setPreviewHook([&](report::PreviewWindow& w) {
    shown = true;
    EXPECT_TRUE(w.button(PreviewButton::Print)->isHidden());
    EXPECT_TRUE(w.button(PreviewButton::PageSetup)->isHidden());
    EXPECT_FALSE(w.button(PreviewButton::Find)->isHidden());
    EXPECT_FALSE(w.button(PreviewButton::Exit)->isHidden());
    EXPECT_EQ(w.pageCount(), 3);
    ASSERT_TRUE(w.findNext(QStringLiteral("NEEDLE")));
    EXPECT_EQ(w.pageIndex(), 1);
    ASSERT_TRUE(w.findNext(QStringLiteral("NEEDLE")));
    EXPECT_EQ(w.pageIndex(), 2);
    EXPECT_FALSE(w.highlight().isEmpty());
    ASSERT_TRUE(w.findNext(QStringLiteral("NEEDLE")));  // wraps round to the first hit
    EXPECT_EQ(w.pageIndex(), 1);
    EXPECT_FALSE(w.findNext(QStringLiteral("straw")));
    w.setZoom(2.0);
    EXPECT_DOUBLE_EQ(w.zoom(), 2.0);
    // The page is painted: dark text pixels on the white sheet.
    w.resize(900, 700);
    const QImage shot = w.grab().toImage();
    if (!qEnvironmentVariableIsEmpty("REPORT_PREVIEW_SHOT")) shot.save(qEnvironmentVariable("REPORT_PREVIEW_SHOT"));
    int dark = 0, white = 0;
    for (int y = 0; y < shot.height(); y += 2) {
      for (int x = 0; x < shot.width(); x += 2) {
        const QRgb c = shot.pixel(x, y);
        if (qGray(c) < 80) ++dark;
        if (qGray(c) == 255) ++white;
      }
    }
    EXPECT_GT(white, shot.width() * shot.height() / 40);
    EXPECT_GT(dark, 20);
    QMetaObject::invokeMethod(&w, [&w] { w.button(PreviewButton::Exit)->click(); }, Qt::QueuedConnection);
  });
  r.showPreview();
  EXPECT_TRUE(shown);

  report::PreviewWindow all(r.prepared(), report::kAllPreviewButtons);
  EXPECT_FALSE(all.button(PreviewButton::Print)->isHidden());
  EXPECT_FALSE(all.button(PreviewButton::PageSetup)->isHidden());
}
