// Small helpers of the report tests: an embedded site in a temporary folder and template files.
#pragma once

#include "db/db.h"
#include "report/report.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace reporttest {

// A company database "TEST" in a temporary site folder, opened through the database client.
struct Site {
  QTemporaryDir dir;
  std::unique_ptr<db::Connection> conn;

  Site() {
    conn = std::make_unique<db::Connection>(QStringLiteral("DMDATA"));
    conn->params = QStringList{QStringLiteral("SERVER NAME=embedded:") + dir.path(), QStringLiteral("DATABASE NAME=TEST"),
                               QStringLiteral("CREATE DATABASE=TRUE")};
  }

  // Lines(Id, Cust, Name, Amount): `count` rows, customers C01, C02, ... in blocks of `perCustomer`.
  void addLines(int count, int perCustomer = 1000) {
    conn->execute(QStringLiteral("create table Lines (Id integer primary key, Cust varchar(10), Name varchar(100), Amount float)"));
    for (int i = 1; i <= count; ++i) {
      db::Params p;
      p.setInt(QStringLiteral("Id"), i);
      p.setText(QStringLiteral("Cust"), QStringLiteral("C%1").arg((i - 1) / perCustomer + 1, 2, 10, QLatin1Char('0')));
      p.setText(QStringLiteral("Name"), QStringLiteral("Row %1").arg(i));
      p.setFloat(QStringLiteral("Amount"), i * 10.0);
      conn->execute(QStringLiteral("insert into Lines (Id, Cust, Name, Amount) values (:Id, :Cust, :Name, :Amount)"), p);
    }
  }

  QString writeTemplate(const QString& name, const QByteArray& json) const {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(json);
    return path;
  }
};

inline QString toolPath() { return QStringLiteral(CONSOLIDATE_REPORT_TOOL); }

struct ProcessResult {
  int exitCode = -1;
  QString out, err;
};

inline ProcessResult run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  ProcessResult r;
  if (!p.waitForStarted(30000)) { r.err = QStringLiteral("cannot start %1").arg(program); return r; }
  p.waitForFinished(120000);
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

}  // namespace reporttest
