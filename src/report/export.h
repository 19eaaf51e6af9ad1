// Output of prepared pages: PDF (fonts embedded), plain text, CSV, images, and the printer.
#pragma once

#include "report/engine.h"
#include "report/page.h"

#include <QString>

class QPrinter;

namespace report {

// A file that could not be written whole. The file named keeps what it held before (or is still
// missing); nothing was written in its place.
class FileWriteError : public ReportError {
 public:
  FileWriteError(const QString& path, const QString& reason);
  const QString& path() const { return path_; }
  const QString& reason() const { return reason_; }

 private:
  QString path_;
  QString reason_;
};

// The text a window shows for a file that could not be written (translated: Thai for a Thai user).
QString fileWriteFailureText(const FileWriteError& error);

// Every file below is written whole or not at all: into a temporary file of the same folder, which
// is flushed to the disk and then put in place of the file; a full disk, a write, flush or close
// error, or a PDF that did not reach its end leaves the file as it was and throws FileWriteError.
void writeWholeFile(const QString& path, const QByteArray& data);
// True when `pdf` is a PDF written to its end: it starts as a PDF, ends with its end mark, and its
// cross-reference table and every object it lists stand where the table says. `why` says what is
// missing when it is not.
bool isWholePdf(const QByteArray& pdf, QString* why = nullptr);

// Each throws ReportError (FileWriteError when the file cannot be written).
void exportPdf(const PreparedReport& report, const QString& path);
// Text lines rebuilt from the positions of the texts (one character per `charWidthMm`), pages
// separated by a form feed. UTF-8.
void exportText(const PreparedReport& report, const QString& path, double charWidthMm = 2.0);
// One CSV record per text line of the page (texts whose baselines lie within half a line of each
// other), one field per text object, left to right. UTF-8, fields quoted when needed.
void exportCsv(const PreparedReport& report, const QString& path);
// One PNG file per page: path with "-N" before the extension when there is more than one page.
QStringList exportImages(const PreparedReport& report, const QString& path, int dpi = 300);
// The files exportImages writes for `pages` pages: `path` itself for one page, else
// "name-1.png", "name-2.png", ... beside it.
QStringList imageFileNames(const QString& path, int pages);
QImage renderPageImage(const PreparedReport& report, int pageIndex, int dpi);

// The printer that prints reports for the whole process; a printer set-up dialog changes it.
QPrinter& currentPrinter();
// Prints all pages, `copies` copies, on the printer without showing a dialog. The page takes the
// template's paper size, unless a page set-up chose the printer's paper: then each page is scaled
// to fit it. A printer that prints into a file writes it whole (see writeWholeFile): the pages go
// to a temporary file of the file's folder, which is checked and then put in place of the file.
void printPages(const PreparedReport& report, QPrinter& printer, int copies = 1);
void setPrinterPaperChosen(bool chosen);

}  // namespace report
