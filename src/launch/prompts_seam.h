// A prompts service for runs without a screen or a user (whole-program tests, scripted runs).
//
// When the environment variable CONSOLIDATE_PROMPTS_LOG names a file, every box the program would
// show is instead appended to that file as one JSON object per line
//   {"kind":"message"|"confirm","style":"Plain"|"Info"|..., "text":"...", "answer":true|false}
// and questions are answered from CONSOLIDATE_PROMPTS_ANSWERS, a comma-separated list of "yes"/"no"
// taken in order ("no" once the list runs out). Without the variable the real boxes are shown.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "prompts.h"

namespace launch {

class FilePrompts : public prompts::Prompts {
 public:
  FilePrompts(QString logFile, QStringList answers);
  void message(const QString& text, prompts::Style style, const QString& title) override;
  bool confirm(const QString& text, prompts::Style style, const QString& title) override;

 private:
  void write(const char* kind, const QString& text, prompts::Style style, bool answer);
  QString logFile_;
  QStringList answers_;
};

QString StyleName(prompts::Style style);

// Installs a FilePrompts when CONSOLIDATE_PROMPTS_LOG is set; true when installed.
bool InstallPromptsFromEnvironment();

}  // namespace launch
