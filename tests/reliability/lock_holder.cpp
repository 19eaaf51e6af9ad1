#include "lock_holder.h"

namespace reliability {

LockHolder::LockHolder(const QString& siteFolder, const QString& database) {
  p_ = std::make_unique<Process>(driverPath(), QStringList{QStringLiteral("lock"), database}, siteFolder,
                                 logs_.filePath(QStringLiteral("boxes.jsonl")));
  ok_ = p_->waitReady(60000);
}

LockHolder::~LockHolder() { release(); }

QString LockHolder::error() const { return p_ ? p_->errorText() : QString(); }

void LockHolder::release() {
  if (!p_ || released_) return;
  released_ = true;
  p_->go();
  p_->finish(60000);
}

void shortenBusyTimeout(db::Connection& conn, int milliseconds) {
  auto rebuild = conn.beforeConnect;
  conn.beforeConnect = [rebuild, milliseconds](db::Connection& c) {
    if (rebuild) rebuild(c);
    c.params << QStringLiteral("BUSY TIMEOUT=%1").arg(milliseconds);
  };
  conn.close();
}

}  // namespace reliability
