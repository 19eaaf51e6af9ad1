#include "report/export.h"

#include "report/engine.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QCoreApplication>
#include <QPrinter>
#include <QSaveFile>
#include <QTextStream>
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

void writeFile(const QString& path, const QByteArray& data) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) throw ReportError(QStringLiteral("%1: cannot be written: %2").arg(path, f.errorString()));
  f.write(data);
  if (!f.commit()) throw ReportError(QStringLiteral("%1: cannot be written: %2").arg(path, f.errorString()));
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

void mendThaiTextMaps(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadWrite)) return;
  QByteArray data = f.readAll();
  bool changed = false;
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
      changed = true;
    }
    from = end;
  }
  if (changed) {
    f.seek(0);
    f.write(data);
  }
}

}  // namespace

void exportPdf(const PreparedReport& report, const QString& path) {
  {
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly)) throw ReportError(QStringLiteral("%1: cannot be written: %2").arg(path, probe.errorString()));
  }
  QPdfWriter writer(path);
  writer.setCreator(QStringLiteral("consolidate"));
  writer.setResolution(static_cast<int>(kLayoutDpi));
  writer.setPageLayout(pageLayout(report.page));
  QPainter painter;
  if (!painter.begin(&writer)) throw ReportError(QStringLiteral("%1: the PDF cannot be started").arg(path));
  const double dpmm = writer.resolution() / 25.4;
  for (int i = 0; i < report.pages.size(); ++i) {
    if (i > 0) writer.newPage();
    paintPage(painter, report.pages[i], dpmm);
  }
  painter.end();
  mendThaiTextMaps(path);
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
  writeFile(path, out.toUtf8());
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
  writeFile(path, out.toUtf8());
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

QStringList exportImages(const PreparedReport& report, const QString& path, int dpi) {
  QStringList files;
  const QFileInfo fi(path);
  for (int i = 0; i < report.pages.size(); ++i) {
    QString file = path;
    if (report.pages.size() > 1) {
      file = fi.path() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral("-%1.").arg(i + 1) + fi.suffix();
    }
    if (!renderPageImage(report, i, dpi).save(file, "PNG")) throw ReportError(QStringLiteral("%1: cannot be written").arg(file));
    files << file;
  }
  return files;
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
  QPainter painter;
  if (!painter.begin(&printer)) throw ReportError(QCoreApplication::translate("report::Printing", "The printer '%1' cannot print").arg(printer.printerName()));
  double dpmm = printer.resolution() / 25.4;
  if (paperChosen()) {
    const QRectF paper = printer.paperRect(QPrinter::Millimeter);
    dpmm *= std::min(1.0, std::min(paper.width() / report.page.width, paper.height() / report.page.height));
  }
  for (int i = 0; i < report.pages.size(); ++i) {
    if (i > 0) printer.newPage();
    paintPage(painter, report.pages[i], dpmm);
  }
  painter.end();
  // A printer that writes a PDF file gets the same text layer as an export: Thai marks read back.
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
    mendThaiTextMaps(printer.outputFileName());
}

}  // namespace report
