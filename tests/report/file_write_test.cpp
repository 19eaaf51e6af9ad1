// Files are written whole or not at all: a PDF checked to its end, every output of
// consolidate-report on a full disk (a limit on the file size of the process) and killed in the
// middle of its write, and a printer that prints into a file.
#include "file_size_limit.h"
#include "fixture.h"
#include "report/export.h"
#include "report/print_files.h"

#include <QPrinter>

using reporttest::run;

namespace {

// One A4 page of forty long Thai and English lines: every output is larger than a few KiB.
QByteArray pageTemplate() {
  return R"({
    "page": {"size": "A4", "margins": {"left": 10, "top": 10, "right": 10, "bottom": 10}},
    "defaultFont": {"family": "Garuda", "size": 10},
    "bands": [{"type": "masterData", "name": "Rows", "rowCount": "40", "height": 6, "objects": [
      {"kind": "text", "width": 190, "height": 6, "wordWrap": false,
       "text": "[LINE] ใบส่งของ ก่อนส่งสินค้า ลูกค้าร้านค้าปลีก ABCDEFGHIJKLMNOPQRSTUVWXYZ 1234567890"}]}]})";
}

QByteArray readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(f.write(data), data.size());
}

QStringList filesIn(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

struct Render {
  reporttest::Site site;
  QTemporaryDir out;
  QString templ;
  Render() {
    site.addLines(1);  // the company database exists
    templ = site.writeTemplate(QStringLiteral("page.frf"), pageTemplate());
  }
  // consolidate-report render into `file` with `option`, its files limited to `limit` bytes (0: none).
  reporttest::ProcessResult render(const QString& option, const QString& file, rlim_t limit = 0,
                                   testsupport::AtLimit atLimit = testsupport::AtLimit::WriteFails) {
    QProcess p;
    if (limit) testsupport::limitFileSize(p, limit, atLimit);
    p.start(reporttest::toolPath(), {QStringLiteral("render"), templ, QStringLiteral("--site"), site.dir.path(),
                                     QStringLiteral("--database"), QStringLiteral("TEST"), option, file});
    reporttest::ProcessResult r;
    if (!p.waitForStarted(30000) || !p.waitForFinished(120000)) {
      r.err = QStringLiteral("did not run");
      return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
  }
};

}  // namespace

// The check a printed PDF passes before it takes the place of the file: a whole PDF passes; a PDF
// cut anywhere, missing a piece in the middle, or with zeros where the disk kept no data does not,
// even with its end mark put back after the cut.
TEST(WholeFiles, APdfPassesOnlyWhenItWasWrittenToItsEnd) {
  Render r;
  const QString file = r.out.filePath(QStringLiteral("whole.pdf"));
  ASSERT_EQ(r.render(QStringLiteral("--pdf"), file).exitCode, 0);
  const QByteArray pdf = readBytes(file);
  ASSERT_GT(pdf.size(), 4096);
  QString why;
  ASSERT_TRUE(report::isWholePdf(pdf, &why)) << why.toStdString();

  const qsizetype table = pdf.lastIndexOf("\nxref") + 1;
  const qsizetype firstObject = pdf.indexOf(" 0 obj") - 1;
  const qsizetype middleObject = pdf.indexOf(" 0 obj", pdf.size() / 2) - 2;
  ASSERT_GT(table, 0);
  const struct {
    const char* what;
    QByteArray data;
  } cases[] = {
      {"cut at 4 KiB", pdf.left(4096)},
      {"cut before its end mark", pdf.left(pdf.lastIndexOf("%%EOF"))},
      {"cut inside the cross-reference table", pdf.left(table + 60)},
      {"cut, with its end taken from a whole one", pdf.left(pdf.size() / 2) + pdf.mid(pdf.lastIndexOf("trailer"))},
      {"a piece in the middle missing", pdf.left(middleObject - 100) + pdf.mid(middleObject)},
      {"zeros where an object starts", pdf.left(firstObject) + QByteArray(8, '\0') + pdf.mid(firstObject + 8)},
      {"not a PDF", QByteArray("Not a PDF\n%%EOF\n")},
      {"empty", QByteArray()},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(report::isWholePdf(c.data, &why)) << c.what;
    EXPECT_FALSE(why.isEmpty()) << c.what;
  }
}

// On a full disk every output fails with exit code 1 and a message that names the file; the file
// keeps what it held (or stays missing) and no temporary file is left beside it. Without the
// limit the same run writes the whole file and nothing else.
TEST(WholeFiles, AFullDiskLeavesEveryOutputAsItWasAndSaysWhichFile) {
  const struct {
    const char* option;
    const char* file;
  } outputs[] = {{"--pdf", "doc.pdf"}, {"--text", "doc.txt"}, {"--csv", "doc.csv"}, {"--png", "doc.png"}};
  for (const auto& o : outputs) {
    for (const bool before : {false, true}) {
      SCOPED_TRACE(std::string(o.option) + (before ? " over a file of before" : " into a new file"));
      Render r;
      const QString file = r.out.filePath(QString::fromLatin1(o.file));
      const QByteArray previous = "the file of before\n";
      if (before) writeBytes(file, previous);

      // The tool never replaces a file: over a file of before it writes the next free name.
      const QFileInfo fi(file);
      const QString target = before ? r.out.filePath(fi.completeBaseName() + " (2)." + fi.suffix()) : file;
      const reporttest::ProcessResult full = r.render(QString::fromLatin1(o.option), file, 2048);
      EXPECT_EQ(full.exitCode, 1) << full.err.toStdString();
      EXPECT_TRUE(full.err.contains(target)) << full.err.toStdString();
      EXPECT_EQ(filesIn(r.out.path()), before ? QStringList{QString::fromLatin1(o.file)} : QStringList());
      if (before) EXPECT_EQ(readBytes(file), previous);

      const reporttest::ProcessResult room = r.render(QString::fromLatin1(o.option), file);
      EXPECT_EQ(room.exitCode, 0) << room.err.toStdString();
      QStringList written{QString::fromLatin1(o.file)};
      if (before) written << QFileInfo(target).fileName();
      written.sort();
      EXPECT_EQ(filesIn(r.out.path()), written);
      if (before) EXPECT_EQ(readBytes(file), previous);
      EXPECT_GT(readBytes(target).size(), 2048);
    }
  }
  // The whole PDF reads back.
  Render r;
  const QString file = r.out.filePath(QStringLiteral("doc.pdf"));
  ASSERT_EQ(r.render(QStringLiteral("--pdf"), file).exitCode, 0);
  const auto text = run(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
  EXPECT_EQ(text.exitCode, 0) << text.err.toStdString();
  EXPECT_TRUE(text.out.contains(QStringLiteral("40 ใบส่งของ"))) << text.out.toStdString();
}

// A run killed in the middle of writing its PDF (the limit's signal left to end the process)
// never leaves a cut file under the file's name: a good PDF of before stays as it was.
TEST(WholeFiles, APdfKilledWhileBeingWrittenIsNeverTheFile) {
  for (const bool before : {false, true}) {
    SCOPED_TRACE(before ? "over a PDF of before" : "into a new file");
    Render r;
    const QString file = r.out.filePath(QStringLiteral("doc.pdf"));
    QByteArray previous;
    if (before) {
      ASSERT_EQ(r.render(QStringLiteral("--pdf"), file).exitCode, 0);
      previous = readBytes(file);
    }
    const reporttest::ProcessResult killed = r.render(QStringLiteral("--pdf"), file, 2048, testsupport::AtLimit::ProcessKilled);
    EXPECT_EQ(killed.exitCode, -1) << "killed by the limit: " << killed.err.toStdString();
    if (before) {
      EXPECT_EQ(readBytes(file), previous);
      EXPECT_TRUE(report::isWholePdf(readBytes(file)));
    } else {
      EXPECT_FALSE(QFileInfo::exists(file));
    }
  }
}

// A printer that prints into a file (the printer set-up's "print to file", a PDF chosen when no
// printer is installed) on a full disk: the error names the file, the file of before stays, no
// temporary file is left and the printer keeps its file name; with room again the same printer
// writes the whole file.
TEST(WholeFiles, PrintingIntoAFileOnAFullDiskLeavesTheFileAsItWas) {
  Render r;
  report::Report rep;
  ASSERT_TRUE(rep.loadFromFile(r.templ));
  ASSERT_TRUE(rep.prepare());
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString file = r.out.filePath(QStringLiteral("printed.pdf"));
  printer.setOutputFileName(file);
  ASSERT_TRUE(rep.printPrepared(1, &printer));
  const QByteArray previous = readBytes(file);
  ASSERT_TRUE(report::isWholePdf(previous));
  EXPECT_EQ(filesIn(r.out.path()), QStringList{QStringLiteral("printed.pdf")});

  // The later prints replace the test's own file without the question a window asks.
  const report::ReplaceFilesWithoutAsking replacing;
  QString message;
  try {
    testsupport::ScopedFileSizeLimit full(2048);
    rep.printPrepared(1, &printer);
  } catch (const report::FileWriteError& e) {
    message = e.message();
    EXPECT_EQ(e.path(), file);
  }
  EXPECT_TRUE(message.contains(file)) << "no error, or not naming the file: " << message.toStdString();
  EXPECT_EQ(readBytes(file), previous);
  EXPECT_EQ(filesIn(r.out.path()), QStringList{QStringLiteral("printed.pdf")});
  EXPECT_EQ(printer.outputFileName(), file);

  // With room again the same printer prints the whole file.
  ASSERT_TRUE(rep.printPrepared(1, &printer));
  EXPECT_TRUE(report::isWholePdf(readBytes(file)));
  EXPECT_EQ(filesIn(r.out.path()), QStringList{QStringLiteral("printed.pdf")});

  // A folder that is not there: the same error, naming the file.
  printer.setOutputFileName(r.out.filePath(QStringLiteral("no such folder/printed.pdf")));
  EXPECT_THROW(rep.printPrepared(1, &printer), report::FileWriteError);
  printer.setOutputFileName(file);
}
