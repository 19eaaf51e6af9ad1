// Another process holding the write lock of a site's database (reliability_driver lock), and the
// busy time-out of a program's connection made short so that waiting for it ends quickly.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "db.h"
#include "processes.h"

namespace reliability {

class LockHolder {
 public:
  // Starts the holder on `database` of the site in `siteFolder`; ok() once it holds the lock.
  LockHolder(const QString& siteFolder, const QString& database);
  ~LockHolder();
  bool ok() const { return ok_; }
  QString error() const;
  // Lets the lock go (the holder rolls back and ends).
  void release();

 private:
  QTemporaryDir logs_;
  std::unique_ptr<Process> p_;
  bool ok_ = false;
  bool released_ = false;
};

// From the next connect on, the connection waits at most `milliseconds` for another process's
// lock (the "BUSY TIMEOUT" line of the embedded backend); the connection is closed now and opens
// again on its next statement.
void shortenBusyTimeout(db::Connection& conn, int milliseconds = 300);

}  // namespace reliability
