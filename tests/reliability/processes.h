// Real processes for the reliability tests: the `consolidate` program and the reliability driver
// (reliability_driver.cpp), started in a site folder with their boxes written to a file.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace reliability {

struct Box {
  QString kind, style, text;
};

// The boxes a process wrote to its CONSOLIDATE_PROMPTS_LOG file.
QList<Box> readBoxes(const QString& logFile);

// The program's six arguments for the demo site: menu entry, user, database, -, option, date.
QStringList programArguments(int menuOption, const QString& workDate = QString(), int userId = 1);

class Process {
 public:
  // `program`: the executable; `workDir`: the site folder; `boxLog`: the file for the boxes;
  // `answers`: the answers to the program's questions, in order ("yes"/"no"; "no" after them).
  Process(const QString& program, const QStringList& arguments, const QString& workDir, const QString& boxLog,
          const QStringList& answers = {});
  ~Process();

  // Waits for the next line "ready" on the standard output (the driver's signal); false on a
  // timeout or when the process ended first. What came before the first "ready" is dropped.
  bool waitReady(int timeoutMs = 120000);
  // Releases a driver waiting after "ready".
  void go();
  // Waits for the end; false when it did not end in time (the process is then killed).
  bool finish(int timeoutMs = 300000);

  int exitCode() const { return exitCode_; }
  // The standard output after the first "ready" (or all of it), without the later "ready" lines,
  // split into lines; the standard error.
  QStringList outputLines() const;
  QString errorText() const { return err_; }
  QList<Box> boxes() const { return readBoxes(boxLog_); }

 private:
  std::unique_ptr<QProcess> p_;
  QString boxLog_;
  QByteArray out_;      // kept output
  QByteArray pending_;  // output not yet searched for "ready"
  int readies_ = 0;
  QString err_;
  int exitCode_ = -1;
};

QString driverPath();
QString programPath();

}  // namespace reliability
