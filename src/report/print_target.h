// Where a document goes when the user prints it: the one printer of the run (currentPrinter(),
// which the print dialogs' printer set-up changes), or, when the computer has no printer
// installed, a PDF file the user names, so that a document can always leave the program.
//
//   if (!report::printOnChosenPrinter(prepared, this, 1, QStringLiteral("CON260000000008"))) return;
#pragma once

#include "report/page.h"

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

namespace report {

// True when the printer can print as it is: an installed printer, or a PDF file chosen for it.
bool printerReady(const QPrinter& printer);

// With no printer ready: says so ("ไม่พบเครื่องพิมพ์..." in Thai) and offers "บันทึกเป็น PDF"; the file
// dialog opens on pdfStartFolder() with `suggestedName`.pdf. Returns the chosen file, or an empty
// text when the user cancelled. Tests replace the dialogs with setPdfFallback().
QString askPdfFile(QWidget* parent, const QString& suggestedName);
using PdfFallback = std::function<QString(QWidget* parent, const QString& suggestedPath)>;
// Replaces the message and the file dialog (nullptr restores them); returns the previous one.
PdfFallback setPdfFallback(PdfFallback fallback);
// The path the file dialog suggests: pdfStartFolder() and the name with ".pdf".
QString suggestedPdfPath(const QString& suggestedName);
// The folder the PDF file dialog opens in: the folder a PDF was last saved in during this run, else
// the desktop folder, else the documents folder, else the home folder; only a folder that exists
// and is not the folder of an embedded site open in this process (the dialog would otherwise open
// the program's working folder, which is usually the site's).
QString pdfStartFolder();
// Notes the folder of a PDF file the user chose (unless it is a site's folder).
void rememberPdfFolder(const QString& file);

// Prints every page on `printer` (the run's printer when null). When no printer is ready, the
// pages go to a PDF file the user chooses (askPdfFile); false when the user cancelled that. A file
// named in printer set-up that exists already is replaced only when the user says so
// (mayReplaceFile, print_files.h); false when not. Every file written is noted (PrintedFiles).
// Throws ReportError when the printer refuses to print.
bool printOnChosenPrinter(const PreparedReport& report, QWidget* parent, int copies, const QString& suggestedName,
                          QPrinter* printer = nullptr);

}  // namespace report
