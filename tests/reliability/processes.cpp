#include "processes.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QProcessEnvironment>

#include "functions.h"
#include "textutil/dates.h"

namespace reliability {

QList<Box> readBoxes(const QString& logFile) {
  QList<Box> boxes;
  QFile f(logFile);
  if (!f.open(QIODevice::ReadOnly)) return boxes;
  for (const QByteArray& line : f.readAll().split('\n')) {
    if (line.trimmed().isEmpty()) continue;
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    boxes << Box{o.value(QStringLiteral("kind")).toString(), o.value(QStringLiteral("style")).toString(),
                 o.value(QStringLiteral("text")).toString()};
  }
  return boxes;
}

QStringList programArguments(int menuOption, const QString& workDate, int userId) {
  return {QString::number(menuOption), QString::number(userId), QStringLiteral("DEMO"), QStringLiteral("-"),
          QString::number(menuOption), workDate.isEmpty() ? textutil::dateToText(embedded::serverNow().date()) : workDate};
}

Process::Process(const QString& program, const QStringList& arguments, const QString& workDir, const QString& boxLog,
                 const QStringList& answers)
    : p_(std::make_unique<QProcess>()), boxLog_(boxLog) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("CONSOLIDATE_PROMPTS_LOG"), boxLog);
  env.insert(QStringLiteral("CONSOLIDATE_PROMPTS_ANSWERS"), answers.join(QLatin1Char(',')));
  p_->setProcessEnvironment(env);
  p_->setWorkingDirectory(workDir);
  p_->start(program, arguments);
}

Process::~Process() {
  if (p_->state() != QProcess::NotRunning) {
    p_->kill();
    p_->waitForFinished(10000);
  }
}

namespace {

// Where a line "ready" starts in the output, -1 when there is none yet.
qsizetype readyLineIn(const QByteArray& out) {
  for (qsizetype at = out.indexOf("ready\n"); at >= 0; at = out.indexOf("ready\n", at + 1))
    if (at == 0 || out[at - 1] == '\n') return at;
  return -1;
}

}  // namespace

bool Process::waitReady(int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  qsizetype at = -1;
  while ((at = readyLineIn(pending_)) < 0) {
    if (p_->state() == QProcess::NotRunning) return false;
    if (!p_->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))) {
      if (deadline.hasExpired()) return false;
    }
    pending_ += p_->readAllStandardOutput();
  }
  if (readies_++ == 0) out_.clear();
  else out_ += pending_.left(at);
  pending_ = pending_.mid(at + 6);
  return true;
}

void Process::go() {
  p_->write("go\n");
  p_->waitForBytesWritten(10000);
}

bool Process::finish(int timeoutMs) {
  const bool ended = p_->waitForFinished(timeoutMs);
  if (!ended) {
    p_->kill();
    p_->waitForFinished(10000);
  }
  out_ += pending_ + p_->readAllStandardOutput();
  pending_.clear();
  err_ = QString::fromLocal8Bit(p_->readAllStandardError());
  exitCode_ = ended && p_->exitStatus() == QProcess::NormalExit ? p_->exitCode() : -1;
  return ended;
}

QStringList Process::outputLines() const {
  QStringList lines = QString::fromUtf8(out_ + pending_).split(QLatin1Char('\n'));
  lines.removeAll(QString());
  return lines;
}

QString driverPath() { return QStringLiteral(RELIABILITY_DRIVER_EXE); }
QString programPath() { return QStringLiteral(CONSOLIDATE_EXE); }

}  // namespace reliability
