// Acknowledger: tells the order web site which order lines were stored: one acknowledgement request per
// web id,
// sent after the import has committed, one every three seconds, by the event loop's timer (the
// window stays responsive; no database transaction is held meanwhile). The requests themselves run
// in the background and are not waited for.
//
// progress(k, n) reports "acknowledged k of n": k requests sent of the n queued since the queue was
// last empty. A web id already waiting is not queued twice.
#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>

namespace net {
class BackgroundGet;
}

namespace weborder {

class Acknowledger : public QObject {
  Q_OBJECT
 public:
  static constexpr int kPacingMs = 3000;

  // `http` sends the requests and must outlive this object; `urlOf` makes the URL of a web id.
  Acknowledger(net::BackgroundGet& http, std::function<QString(qint64)> urlOf, QObject* parent = nullptr);

  // The pause between two acknowledgements; 0 sends every queued one at once. Only the benchmark
  // switches the pacing off.
  void setPacingMs(int ms) { pacingMs_ = ms; }
  int pacingMs() const { return pacingMs_; }
  void setUrlMaker(std::function<QString(qint64)> urlOf) { urlOf_ = std::move(urlOf); }

  // Queues the web ids; the first is sent at once when nothing is waiting.
  void enqueue(const QList<qint64>& webIds);
  // Drops the ids not sent yet (the site keeps offering their lines; the next import acknowledges
  // them again).
  void abandon();

  bool busy() const { return !queue_.empty(); }
  int sent() const { return sent_; }
  int total() const { return total_; }
  int waiting() const { return int(queue_.size()); }
  // "acknowledged k of n"
  QString progressText() const;

 Q_SIGNALS:
  void progress(int sent, int total);
  void finished();

 private:
  void sendNext();

  net::BackgroundGet& http_;
  std::function<QString(qint64)> urlOf_;
  int pacingMs_ = kPacingMs;
  QTimer timer_;
  std::deque<qint64> queue_;
  QSet<qint64> queued_;
  int sent_ = 0;
  int total_ = 0;
};

}  // namespace weborder
