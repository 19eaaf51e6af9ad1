#include "order_acknowledgements.h"

#include "net/http.h"

namespace weborder {

Acknowledger::Acknowledger(net::BackgroundGet& http, std::function<QString(qint64)> urlOf, QObject* parent)
    : QObject(parent), http_(http), urlOf_(std::move(urlOf)) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5 % early
  connect(&timer_, &QTimer::timeout, this, &Acknowledger::sendNext);
}

void Acknowledger::enqueue(const QList<qint64>& webIds) {
  const bool idle = queue_.empty();
  if (idle) {
    sent_ = 0;
    total_ = 0;
  }
  for (qint64 id : webIds) {
    if (queued_.contains(id)) continue;
    queued_.insert(id);
    queue_.push_back(id);
    ++total_;
  }
  if (queue_.empty()) return;
  if (pacingMs_ <= 0) {
    while (!queue_.empty()) sendNext();
    return;
  }
  if (idle) sendNext();
  else Q_EMIT progress(sent_, total_);
}

void Acknowledger::sendNext() {
  if (queue_.empty()) return;
  const qint64 id = queue_.front();
  queue_.pop_front();
  queued_.remove(id);
  http_.start(urlOf_(id));
  ++sent_;
  Q_EMIT progress(sent_, total_);
  if (queue_.empty()) {
    Q_EMIT finished();
  } else if (pacingMs_ > 0) {
    timer_.start(pacingMs_);
  }
}

void Acknowledger::abandon() {
  timer_.stop();
  queue_.clear();
  queued_.clear();
}

// The requests are never awaited: what is counted is what was sent to the site, not what it answered.
QString Acknowledger::progressText() const {
  return QStringLiteral("ส่งแจ้งเว็บไซต์แล้ว %1 จาก %2 รายการ").arg(sent_).arg(total_);
}

}  // namespace weborder
