#include "report/export.h"

#include "report/engine.h"
#include "textutil/whole_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QCoreApplication>
#include <QPrinter>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>

namespace report {

namespace {

QPageLayout pageLayout(const PageSetup& page) {
  // The page is described as a portrait sheet of the final width and height.
  const QPageSize size(QSizeF(page.width, page.height), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
  return QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

struct TextRow {
  double baseline = 0;
  double height = 0;
  QVector<const Primitive*> items;
};

// Groups the texts of a page into rows of nearly equal baselines, each row sorted left to right.
QVector<TextRow> textRows(const PreparedPage& page) {
  QVector<const Primitive*> texts;
  for (const Primitive& p : page.items) {
    if (p.type == Primitive::Type::Text && !p.text.isEmpty()) texts << &p;
  }
  std::stable_sort(texts.begin(), texts.end(), [](const Primitive* a, const Primitive* b) { return a->origin.y() < b->origin.y(); });
  QVector<TextRow> rows;
  for (const Primitive* p : texts) {
    if (!rows.isEmpty() && std::fabs(p->origin.y() - rows.back().baseline) <= std::max(rows.back().height, p->box.height()) / 2) {
      rows.back().items << p;
      continue;
    }
    TextRow r;
    r.baseline = p->origin.y();
    r.height = p->box.height();
    r.items << p;
    rows << r;
  }
  for (TextRow& r : rows) {
    std::stable_sort(r.items.begin(), r.items.end(), [](const Primitive* a, const Primitive* b) { return a->box.left() < b->box.left(); });
  }
  return rows;
}

QString csvField(const QString& s) {
  if (s.contains(QLatin1Char(',')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n')) || s.startsWith(QLatin1Char(' ')) || s.endsWith(QLatin1Char(' '))) {
    QString q = s;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
  }
  return s;
}

// Thai fonts reach their lowered and shifted marks through the legacy private-use code points
// U+F700..U+F71A, and the PDF's text map names those glyphs by them: a reader would drop or garble
// the marks. Each is mapped back to its Thai character, in place (the same number of bytes).
const char16_t kThaiPrivateUse[] = {0x0E10, 0x0E34, 0x0E35, 0x0E36, 0x0E37, 0x0E48, 0x0E49, 0x0E4A, 0x0E4B,
                                    0x0E4C, 0x0E48, 0x0E49, 0x0E4A, 0x0E4B, 0x0E4C, 0x0E0D, 0x0E31, 0x0E4D,
                                    0x0E47, 0x0E48, 0x0E49, 0x0E4A, 0x0E4B, 0x0E4C, 0x0E38, 0x0E39, 0x0E3A};

void mendThaiTextMaps(QByteArray& data) {
  qsizetype from = 0;
  for (;;) {
    const qsizetype begin = data.indexOf("begincmap", from);
    if (begin < 0) break;
    const qsizetype end = data.indexOf("endcmap", begin);
    if (end < 0) break;
    for (qsizetype i = begin; i + 6 <= end; ++i) {
      if (data[i] != '<' || data[i + 5] != '>') continue;
      bool ok = false;
      const uint code = data.mid(i + 1, 4).toUInt(&ok, 16);
      if (!ok || code < 0xF700 || code > 0xF71A) continue;
      const QByteArray repl = QByteArray::number(kThaiPrivateUse[code - 0xF700], 16).toUpper().rightJustified(4, '0');
      data.replace(i + 1, 4, repl);
    }
    from = end;
  }
}

QString tr(const char* text) { return QCoreApplication::translate("report::Printing", text); }

// An object "N G obj" starts at `offset`.
bool objectStartsAt(const QByteArray& pdf, qint64 number, qint64 offset) {
  if (offset <= 0 || offset >= pdf.size()) return false;
  const QByteArray head = QByteArray::number(number) + ' ';
  if (pdf.mid(offset, head.size()) != head) return false;
  const QByteArray line = pdf.mid(offset + head.size(), 16);
  qsizetype i = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
  return i > 0 && line.mid(i, 4) == " obj";
}

bool isBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }

// The finished PDF in `data` (made for `path`): checked, its Thai text maps mended, written whole.
void writeWholePdf(const QString& path, QByteArray data) {
  QString why;
  if (!isWholePdf(data, &why))
    throw FileWriteError(path, QStringLiteral("the PDF was not written to its end (%1); the disk may be full").arg(why));
  mendThaiTextMaps(data);
  writeWholeFile(path, data);
}

// The file a printer prints into in place of `target`: a new temporary file of the target's folder
// with the target's suffix (which chooses the printer's output format), removed again at the end.
class PrintFile {
 public:
  explicit PrintFile(const QString& target) {
    const QFileInfo fi(target);
    QString name = QDir(fi.absolutePath()).filePath(QLatin1Char('.') + fi.fileName() + QStringLiteral(".XXXXXX"));
    if (!fi.suffix().isEmpty()) name += QLatin1Char('.') + fi.suffix();
    QTemporaryFile file(name);
    file.setAutoRemove(false);
    if (!file.open()) throw FileWriteError(target, file.errorString());
    path_ = file.fileName();
  }
  ~PrintFile() { QFile::remove(path_); }
  PrintFile(const PrintFile&) = delete;
  PrintFile& operator=(const PrintFile&) = delete;
  const QString& path() const { return path_; }

 private:
  QString path_;
};

}  // namespace

FileWriteError::FileWriteError(const QString& path, const QString& reason)
    : ReportError(QStringLiteral("%1: cannot be written: %2").arg(QDir::toNativeSeparators(path), reason)),
      path_(QDir::toNativeSeparators(path)),
      reason_(reason) {}

QString fileWriteFailureText(const FileWriteError& error) {
  return tr("The file %1 could not be written\n(%2)\nThe document was not saved into the file. Check the free space on the "
            "disk and print again.")
      .arg(error.path(), error.reason());
}

void writeWholeFile(const QString& path, const QByteArray& data) {
  QString reason;
  if (!textutil::WriteWholeFile(path, data, &reason)) throw FileWriteError(path, reason);
}

bool isWholePdf(const QByteArray& pdf, QString* why) {
  const auto fail = [why](const char* reason) {
    if (why) *why = QString::fromLatin1(reason);
    return false;
  };
  if (!pdf.startsWith("%PDF-")) return fail("it does not start as a PDF");
  qsizetype end = pdf.size();
  while (end > 0 && isBlank(pdf[end - 1])) --end;
  if (end < 5 || pdf.mid(end - 5, 5) != "%%EOF") return fail("its end mark %%EOF is missing");
  const qsizetype startxref = pdf.lastIndexOf("startxref", end);
  if (startxref < 0) return fail("it does not say where its cross-reference table is");
  bool ok = false;
  const qint64 table = pdf.mid(startxref + 9, end - 5 - (startxref + 9)).trimmed().toLongLong(&ok);
  if (!ok || table <= 0 || table >= startxref) return fail("its cross-reference table is not where it says");
  if (pdf.mid(table, 4) != "xref") {
    // A cross-reference stream is an object of its own.
    const qsizetype space = pdf.indexOf(' ', table);
    bool number = false;
    const qint64 object = space > table ? pdf.mid(table, space - table).toLongLong(&number) : 0;
    return number && objectStartsAt(pdf, object, table) ? true : fail("its cross-reference stream is not where it says");
  }
  // Sections "first count", each followed by count entries of 20 bytes ("offset generation n|f").
  qsizetype pos = table + 4;
  for (;;) {
    while (pos < startxref && isBlank(pdf[pos])) ++pos;
    if (pdf.mid(pos, 7) == "trailer") return true;
    const qsizetype eol = pdf.indexOf('\n', pos);
    if (eol < 0 || eol > startxref) return fail("its cross-reference table is cut");
    const QList<QByteArray> head = pdf.mid(pos, eol - pos).simplified().split(' ');
    bool okFirst = false, okCount = false;
    const qint64 first = head.size() == 2 ? head[0].toLongLong(&okFirst) : 0;
    const qint64 count = head.size() == 2 ? head[1].toLongLong(&okCount) : 0;
    if (!okFirst || !okCount || first < 0 || count < 0 || eol + 1 + count * 20 > startxref)
      return fail("its cross-reference table is cut");
    pos = eol + 1;
    for (qint64 i = 0; i < count; ++i, pos += 20) {
      if (pdf[pos + 17] != 'n') continue;
      bool okOffset = false;
      const qint64 offset = pdf.mid(pos, 10).toLongLong(&okOffset);
      if (!okOffset || !objectStartsAt(pdf, first + i, offset)) return fail("an object is not where its cross-reference table says");
    }
  }
}

void exportPdf(const PreparedReport& report, const QString& path) {
  // Made in memory, then written whole.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("consolidate"));
    writer.setResolution(static_cast<int>(kLayoutDpi));
    writer.setPageLayout(pageLayout(report.page));
    QPainter painter;
    if (!painter.begin(&writer)) throw ReportError(QStringLiteral("%1: the PDF cannot be started").arg(QDir::toNativeSeparators(path)));
    const double dpmm = writer.resolution() / 25.4;
    for (int i = 0; i < report.pages.size(); ++i) {
      if (i > 0) writer.newPage();
      paintPage(painter, report.pages[i], dpmm);
    }
    painter.end();
  }
  writeWholePdf(path, buffer.data());
}

void exportText(const PreparedReport& report, const QString& path, double charWidthMm) {
  QString out;
  for (int pi = 0; pi < report.pages.size(); ++pi) {
    if (pi > 0) out += QLatin1Char('\f');
    for (const TextRow& row : textRows(report.pages[pi])) {
      QString line;
      for (const Primitive* p : row.items) {
        const int col = std::max(0, static_cast<int>(std::lround((p->box.left() - report.page.marginLeft) / charWidthMm)));
        if (line.size() < col) line += QString(col - line.size(), QLatin1Char(' '));
        else if (!line.isEmpty() && !line.endsWith(QLatin1Char(' '))) line += QLatin1Char(' ');
        line += p->text;
      }
      out += line + QLatin1Char('\n');
    }
  }
  writeWholeFile(path, out.toUtf8());
}

void exportCsv(const PreparedReport& report, const QString& path) {
  QString out;
  for (const PreparedPage& page : report.pages) {
    for (const TextRow& row : textRows(page)) {
      QStringList fields;
      QMap<int, int> fieldOfCell;
      for (const Primitive* p : row.items) {
        auto it = fieldOfCell.find(p->cell);
        if (p->cell >= 0 && it != fieldOfCell.end()) {
          fields[it.value()] += QLatin1Char(' ') + p->text;
          continue;
        }
        fieldOfCell.insert(p->cell, static_cast<int>(fields.size()));
        fields << p->text;
      }
      for (QString& f : fields) f = csvField(f);
      out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
  }
  writeWholeFile(path, out.toUtf8());
}

QImage renderPageImage(const PreparedReport& report, int pageIndex, int dpi) {
  const double dpmm = dpi / 25.4;
  QImage img(static_cast<int>(std::ceil(report.page.width * dpmm)), static_cast<int>(std::ceil(report.page.height * dpmm)), QImage::Format_RGB32);
  img.setDotsPerMeterX(static_cast<int>(dpmm * 1000));
  img.setDotsPerMeterY(static_cast<int>(dpmm * 1000));
  img.fill(Qt::white);
  QPainter painter(&img);
  paintPage(painter, report.pages.at(pageIndex), dpmm);
  painter.end();
  return img;
}

QStringList imageFileNames(const QString& path, int pages) {
  if (pages <= 1) return {path};
  QStringList files;
  const QFileInfo fi(path);
  for (int i = 0; i < pages; ++i)
    files << fi.path() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral("-%1.").arg(i + 1) + fi.suffix();
  return files;
}

QStringList exportImages(const PreparedReport& report, const QString& path, int dpi) {
  const QStringList files = imageFileNames(path, int(report.pages.size()));
  for (int i = 0; i < report.pages.size(); ++i) {
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    if (!renderPageImage(report, i, dpi).save(&png, "PNG")) throw FileWriteError(files[i], QStringLiteral("the image cannot be made"));
    writeWholeFile(files[i], png.data());
  }
  return report.pages.isEmpty() ? QStringList() : files;
}

QPrinter& currentPrinter() {
  static QPrinter printer(QPrinter::HighResolution);
  return printer;
}

namespace {
bool& paperChosen() {
  static bool chosen = false;
  return chosen;
}
}  // namespace

void setPrinterPaperChosen(bool chosen) { paperChosen() = chosen; }

void printPages(const PreparedReport& report, QPrinter& printer, int copies) {
  if (report.pages.isEmpty()) return;
  printer.setFullPage(true);
  if (!paperChosen()) printer.setPageLayout(pageLayout(report.page));
  printer.setCopyCount(std::max(1, copies));
  const auto paintAll = [&](QPrinter& target) {
    QPainter painter;
    if (!painter.begin(&target)) throw ReportError(tr("The printer '%1' cannot print").arg(printer.printerName()));
    double dpmm = target.resolution() / 25.4;
    if (paperChosen()) {
      const QRectF paper = target.paperRect(QPrinter::Millimeter);
      dpmm *= std::min(1.0, std::min(paper.width() / report.page.width, paper.height() / report.page.height));
    }
    for (int i = 0; i < report.pages.size(); ++i) {
      if (i > 0) target.newPage();
      paintPage(painter, report.pages[i], dpmm);
    }
    painter.end();
  };
  const QString file = printer.outputFileName();
  if (file.isEmpty()) {
    paintAll(printer);
    return;
  }

  // Printing into a file: the pages go to a temporary file beside it, which must be whole before it
  // takes the file's place. They are printed by a printer of their own with the settings of this
  // one: a printer whose writing failed once (a full disk) writes nothing ever after.
  QByteArray data;
  {
    const PrintFile temporary(file);
    QPrinter job(QPrinter::HighResolution);
    if (printer.outputFormat() == QPrinter::NativeFormat) {
      job.setPrinterName(printer.printerName());
      job.setOutputFormat(QPrinter::NativeFormat);
    } else {
      job.setOutputFormat(printer.outputFormat());
    }
    job.setOutputFileName(temporary.path());
    job.setResolution(printer.resolution());
    job.setFullPage(true);
    job.setPageLayout(printer.pageLayout());
    job.setCopyCount(printer.copyCount());
    job.setColorMode(printer.colorMode());
    job.setDuplex(printer.duplex());
    job.setDocName(printer.docName());
    job.setCreator(printer.creator());
    job.setPdfVersion(printer.pdfVersion());
    paintAll(job);
    QFile printed(temporary.path());
    if (!printed.open(QIODevice::ReadOnly)) throw FileWriteError(file, printed.errorString());
    data = printed.readAll();
  }
  // A PDF (also what a printer prints into a file here) is checked to its end and gets the same
  // text layer as an export: Thai marks read back.
  if (printer.outputFormat() == QPrinter::PdfFormat || data.startsWith("%PDF-")) {
    writeWholePdf(file, std::move(data));
    return;
  }
  if (data.isEmpty()) throw FileWriteError(file, QStringLiteral("the printer wrote nothing"));
  writeWholeFile(file, data);
}

}  // namespace report
