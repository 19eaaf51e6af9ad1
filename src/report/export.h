// Output of prepared pages: PDF (fonts embedded), plain text, CSV, images, and the printer.
#pragma once

#include "report/page.h"

#include <QString>

class QPrinter;

namespace report {

// Each throws ReportError when the file cannot be written.
void exportPdf(const PreparedReport& report, const QString& path);
// Text lines rebuilt from the positions of the texts (one character per `charWidthMm`), pages
// separated by a form feed. UTF-8.
void exportText(const PreparedReport& report, const QString& path, double charWidthMm = 2.0);
// One CSV record per text line of the page (texts whose baselines lie within half a line of each
// other), one field per text object, left to right. UTF-8, fields quoted when needed.
void exportCsv(const PreparedReport& report, const QString& path);
// One PNG file per page: path with "-N" before the extension when there is more than one page.
QStringList exportImages(const PreparedReport& report, const QString& path, int dpi = 300);
QImage renderPageImage(const PreparedReport& report, int pageIndex, int dpi);

// The printer that prints reports for the whole process; a printer set-up dialog changes it.
QPrinter& currentPrinter();
// Prints all pages, `copies` copies, on the printer without showing a dialog. The page takes the
// template's paper size, unless a page set-up chose the printer's paper: then each page is scaled
// to fit it.
void printPages(const PreparedReport& report, QPrinter& printer, int copies = 1);
void setPrinterPaperChosen(bool chosen);

}  // namespace report
