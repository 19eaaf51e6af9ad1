#include "report/print_files.h"

#include <QDir>
#include <QFileInfo>
#include <vector>

#include "prompts.h"

namespace report {

namespace {
std::vector<PrintedFiles*>& collectors() {
  static std::vector<PrintedFiles*> c;
  return c;
}
}  // namespace

QString documentFileName(const QString& title, const QString& number) {
  const QString t = title.simplified();
  const QString n = number.trimmed();
  if (t.isEmpty()) return n;
  if (n.isEmpty()) return t;
  return t + QLatin1Char(' ') + n;
}

QString replaceFileQuestion(const QString& path) {
  return QStringLiteral("มีไฟล์ %1 อยู่แล้ว\r\nต้องการเขียนทับหรือไม่ ?").arg(QDir::toNativeSeparators(path));
}

namespace {
int& withoutAsking() {
  static int n = 0;
  return n;
}
}  // namespace

ReplaceFilesWithoutAsking::ReplaceFilesWithoutAsking() { ++withoutAsking(); }
ReplaceFilesWithoutAsking::~ReplaceFilesWithoutAsking() { --withoutAsking(); }

bool mayReplaceFile(const QString& path) {
  if (path.isEmpty() || !QFileInfo::exists(path) || withoutAsking() > 0) return true;
  return prompts::confirm(replaceFileQuestion(path), prompts::Style::DataModule);
}

QString freeFileName(const QString& path, const std::function<bool(const QString&)>& taken) {
  const auto inUse = [&](const QString& p) { return taken ? taken(p) : QFileInfo::exists(p); };
  if (!inUse(path)) return path;
  const QFileInfo fi(path);
  const QString suffix = fi.suffix().isEmpty() ? QString() : QLatin1Char('.') + fi.suffix();
  const QString base = fi.fileName().left(fi.fileName().size() - suffix.size());
  for (int n = 2;; ++n) {
    const QString candidate = path.left(path.size() - fi.fileName().size()) + QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
    if (!inUse(candidate)) return candidate;
  }
}

PrintedFiles::PrintedFiles() { collectors().push_back(this); }

PrintedFiles::~PrintedFiles() { std::erase(collectors(), this); }

void notePrintedFile(const QString& path) {
  if (path.isEmpty()) return;
  for (PrintedFiles* c : collectors())
    if (!c->paths_.contains(path)) c->paths_ << path;
}

}  // namespace report
