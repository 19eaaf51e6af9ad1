#include "order_acknowledgements.h"

#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>

#include "net/http.h"

namespace weborder {

struct Acknowledger::Inbox {
  QMutex mutex;
  Acknowledger* owner = nullptr;
};

Acknowledger::Acknowledger(net::BackgroundGet& http, std::function<QString(qint64)> urlOf, QObject* parent)
    : QObject(parent), inbox_(std::make_shared<Inbox>()), http_(http), urlOf_(std::move(urlOf)) {
  inbox_->owner = this;
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5 % early
  connect(&timer_, &QTimer::timeout, this, &Acknowledger::sendNext);
}

Acknowledger::~Acknowledger() {
  QMutexLocker lock(&inbox_->mutex);
  inbox_->owner = nullptr;
}

void Acknowledger::enqueue(const QList<qint64>& webIds) {
  const bool idle = !busy();
  if (idle) {
    sent_ = 0;
    succeeded_ = 0;
    failed_ = 0;
    total_ = 0;
  }
  const bool sending = !queue_.empty();
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
  if (!sending) sendNext();
  else Q_EMIT progress(sent_, total_);
}

void Acknowledger::sendNext() {
  if (queue_.empty()) return;
  const qint64 id = queue_.front();
  queue_.pop_front();
  queued_.remove(id);
  ++awaiting_;
  // The answer comes back on a request thread: handed to this object's thread, unless it went.
  http_.start(urlOf_(id), [inbox = inbox_](const net::BackgroundGet::Outcome& outcome) {
    QMutexLocker lock(&inbox->mutex);
    if (Acknowledger* owner = inbox->owner) {
      const bool ok = outcome.ok;
      QMetaObject::invokeMethod(owner, [owner, ok] { owner->answer(ok); }, Qt::QueuedConnection);
    }
  });
  ++sent_;
  Q_EMIT progress(sent_, total_);
  if (!queue_.empty() && pacingMs_ > 0) timer_.start(pacingMs_);
}

void Acknowledger::answer(bool ok) {
  if (awaiting_ > 0) --awaiting_;
  (ok ? succeeded_ : failed_)++;
  Q_EMIT answered(succeeded_, failed_);
  if (!busy()) Q_EMIT finished();
}

void Acknowledger::abandon() {
  timer_.stop();
  queue_.clear();
  queued_.clear();
}

// Counted is what the site answered, not what was sent to it.
QString Acknowledger::progressText() const {
  QString text = QStringLiteral("แจ้งเว็บไซต์สำเร็จ %1 จาก %2 รายการ").arg(succeeded_).arg(total_);
  if (failed_ > 0)
    text += QStringLiteral(" แจ้งไม่สำเร็จ %1 รายการ (เว็บไซต์ยังค้างรายการเหล่านี้ไว้ การนำเข้าครั้งถัดไปจะแจ้งอีกครั้ง)").arg(failed_);
  return text;
}

}  // namespace weborder
