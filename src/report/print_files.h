// The files printed documents go to: the name a document suggests for its file, the question
// before a print replaces a file, the free name a tool writes to instead, and the record of the
// files a print wrote (for the status line of the window that printed).
//
//   frfReport.setDocumentName(report::documentFileName(formDesc, docNo));  // "ใบจัดสินค้าตามเขต CON260000000008"
//   report::PrintedFiles printed;            // while it lives, every file a print writes is noted
//   ... print ...
//   window->ShowStatus("บันทึกเป็นไฟล์ " + printed.paths().join(", "));
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace report {

// The name of a printed document's file: its title (the form's name, or its print code) and its
// number, so that two forms of one document never share a name. Either may be empty.
QString documentFileName(const QString& title, const QString& number);

// Before a print replaces a file that exists: asks the user, in Thai, with the program's Yes/No
// box ("มีไฟล์ <path> อยู่แล้ว" / "ต้องการเขียนทับหรือไม่ ?"). True when there is no such file or the
// answer is Yes.
bool mayReplaceFile(const QString& path);
// The question's text for a path.
QString replaceFileQuestion(const QString& path);
// While it lives, mayReplaceFile() asks nothing: a program that chose its file itself (the
// unattended print of a load sheet into the name it found free) is not asked about it.
class ReplaceFilesWithoutAsking {
 public:
  ReplaceFilesWithoutAsking();
  ~ReplaceFilesWithoutAsking();
  ReplaceFilesWithoutAsking(const ReplaceFilesWithoutAsking&) = delete;
  ReplaceFilesWithoutAsking& operator=(const ReplaceFilesWithoutAsking&) = delete;
};

// A name no file holds yet, for programs that never replace a file: `path` itself when free,
// else "name (2).pdf", "name (3).pdf" and so on in the same folder. `taken` tells whether a name
// is in use (by default: a file or folder of that name exists).
QString freeFileName(const QString& path, const std::function<bool(const QString&)>& taken = {});

// Notes, while it lives, every file a print writes (nested collectors all note it).
class PrintedFiles {
 public:
  PrintedFiles();
  ~PrintedFiles();
  PrintedFiles(const PrintedFiles&) = delete;
  PrintedFiles& operator=(const PrintedFiles&) = delete;
  const QStringList& paths() const { return paths_; }

 private:
  friend void notePrintedFile(const QString& path);
  QStringList paths_;
};
// Tells the living collectors that a print wrote `path` (nothing for an empty path).
void notePrintedFile(const QString& path);

}  // namespace report
