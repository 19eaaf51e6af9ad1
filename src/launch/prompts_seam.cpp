#include "prompts_seam.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace launch {

QString StyleName(prompts::Style style) {
  switch (style) {
    case prompts::Style::Plain: return QStringLiteral("Plain");
    case prompts::Style::Info: return QStringLiteral("Info");
    case prompts::Style::Warning: return QStringLiteral("Warning");
    case prompts::Style::Error: return QStringLiteral("Error");
    case prompts::Style::DataModule: return QStringLiteral("DataModule");
    case prompts::Style::ExitForm: return QStringLiteral("ExitForm");
  }
  return QString();
}

FilePrompts::FilePrompts(QString logFile, QStringList answers) : logFile_(std::move(logFile)), answers_(std::move(answers)) {}

void FilePrompts::write(const char* kind, const QString& text, prompts::Style style, bool answer) {
  QJsonObject o;
  o.insert(QStringLiteral("kind"), QString::fromLatin1(kind));
  o.insert(QStringLiteral("style"), StyleName(style));
  o.insert(QStringLiteral("text"), text);
  o.insert(QStringLiteral("answer"), answer);
  QFile f(logFile_);
  if (f.open(QIODevice::WriteOnly | QIODevice::Append))
    f.write(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
}

void FilePrompts::message(const QString& text, prompts::Style style, const QString&) { write("message", text, style, true); }

bool FilePrompts::confirm(const QString& text, prompts::Style style, const QString&) {
  bool answer = false;
  if (!answers_.isEmpty()) answer = answers_.takeFirst().trimmed().compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
  write("confirm", text, style, answer);
  return answer;
}

bool InstallPromptsFromEnvironment() {
  const QString log = qEnvironmentVariable("CONSOLIDATE_PROMPTS_LOG");
  if (log.isEmpty()) return false;
  const QString answers = qEnvironmentVariable("CONSOLIDATE_PROMPTS_ANSWERS");
  prompts::install(std::make_shared<FilePrompts>(log, answers.isEmpty() ? QStringList() : answers.split(QLatin1Char(','))));
  return true;
}

}  // namespace launch
