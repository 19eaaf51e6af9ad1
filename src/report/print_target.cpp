#include "report/print_target.h"

#include "report/engine.h"
#include "report/export.h"
#include "report/print_files.h"

#include "db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>

namespace report {

namespace {

PdfFallback& fallbackSlot() {
  static PdfFallback f;
  return f;
}

QString tr(const char* text) { return QCoreApplication::translate("report::Printing", text); }

}  // namespace

bool printerReady(const QPrinter& printer) {
  if (!printer.outputFileName().isEmpty()) return true;
  if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName().isEmpty()) return false;
  return QPrinterInfo::availablePrinterNames().contains(printer.printerName());
}

PdfFallback setPdfFallback(PdfFallback fallback) {
  PdfFallback previous = fallbackSlot();
  fallbackSlot() = std::move(fallback);
  return previous;
}

namespace {

QString& lastPdfFolder() {
  static QString folder;
  return folder;
}

// A folder the file dialog may open in: one that exists (the dialog shows the program's working
// folder, the embedded site's, in place of a missing one) and holds no embedded site.
bool offerable(const QString& folder) {
  return !folder.isEmpty() && QFileInfo(folder).isDir() && !db::isEmbeddedSiteFolder(folder) &&
         !db::isEmbeddedSiteFolder(QDir(folder).absolutePath());
}

}  // namespace

QString pdfStartFolder() {
  const QString candidates[] = {
      lastPdfFolder(),
      QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
      QDir::homePath(),
      QDir::tempPath(),
  };
  for (const QString& c : candidates)
    if (offerable(c)) return QDir(c).absolutePath();
  return QDir::homePath();
}

void rememberPdfFolder(const QString& file) {
  const QString folder = QFileInfo(file).absolutePath();
  if (offerable(folder)) lastPdfFolder() = folder;
}

QString suggestedPdfPath(const QString& suggestedName) {
  QString name = suggestedName.trimmed();
  // A document number may hold characters a file name cannot.
  for (QChar& c : name)
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':')) c = QLatin1Char('_');
  if (name.isEmpty()) name = QStringLiteral("document");
  return QDir(pdfStartFolder()).filePath(name + QStringLiteral(".pdf"));
}

QString askPdfFile(QWidget* parent, const QString& suggestedName) {
  const QString suggested = suggestedPdfPath(suggestedName);
  if (fallbackSlot()) return fallbackSlot()(parent, suggested);

  QMessageBox box(parent);
  box.setIcon(QMessageBox::Warning);
  box.setWindowTitle(tr("Print"));
  box.setText(tr("No printer is installed on this computer."));
  box.setInformativeText(tr("The document can be saved as a PDF file instead."));
  QPushButton* pdf = box.addButton(tr("Save as PDF"), QMessageBox::AcceptRole);
  box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(pdf);
  box.exec();
  if (box.clickedButton() != pdf) return QString();
  QString file = QFileDialog::getSaveFileName(parent, tr("Save as PDF"), suggested, tr("PDF files (*.pdf)"));
  if (!file.isEmpty() && !file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) file += QStringLiteral(".pdf");
  if (!file.isEmpty()) rememberPdfFolder(file);
  return file;
}

bool printOnChosenPrinter(const PreparedReport& report, QWidget* parent, int copies, const QString& suggestedName,
                          QPrinter* printer) {
  QPrinter& target = printer ? *printer : currentPrinter();
  if (printerReady(target)) {
    // A file named in printer set-up already holds an earlier print: replaced only on Yes.
    if (!mayReplaceFile(target.outputFileName())) return false;
    printPages(report, target, copies);
    notePrintedFile(target.outputFileName());
    return true;
  }
  const QString file = askPdfFile(parent, suggestedName);
  if (file.isEmpty()) return false;
  // The file is for this document only: the next print asks again (or finds a printer).
  target.setOutputFileName(file);
  try {
    printPages(report, target, copies);
  } catch (...) {
    target.setOutputFileName(QString());
    throw;
  }
  target.setOutputFileName(QString());
  notePrintedFile(file);
  return true;
}

}  // namespace report
