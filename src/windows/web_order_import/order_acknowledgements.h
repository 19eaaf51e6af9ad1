// Acknowledger: tells the order web site which order lines were stored: one acknowledgement request
// per web id, sent after the import has committed, one every three seconds, by the event loop's
// timer (the window stays responsive; no database transaction is held meanwhile). The requests run
// in the background; their answers come back to the event loop and are counted: an acknowledgement
// counts as made only when the site answered it with success (a 2xx status). One that failed (the
// site down, an error status, no answer in time) leaves the line pending on the site, and the next
// import, finding the line stored, acknowledges it again.
//
// progress(k, n): k requests sent of the n queued since the acknowledger was last idle.
// answered(ok, failed): how many of them the site answered with success, and how many failed.
// finished(): every queued request sent and ended.
#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

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
  ~Acknowledger() override;

  // The pause between two acknowledgements; 0 sends every queued one at once. Only the benchmark
  // switches the pacing off.
  void setPacingMs(int ms) { pacingMs_ = ms; }
  int pacingMs() const { return pacingMs_; }
  void setUrlMaker(std::function<QString(qint64)> urlOf) { urlOf_ = std::move(urlOf); }

  // Queues the web ids; the first is sent at once when nothing is waiting.
  void enqueue(const QList<qint64>& webIds);
  // Drops the ids not sent yet (the site keeps offering their lines; the next import acknowledges
  // them again). Answers to requests already sent are still counted.
  void abandon();

  // Requests waiting to be sent, or sent and not answered yet.
  bool busy() const { return !queue_.empty() || awaiting_ > 0; }
  int sent() const { return sent_; }          // requests sent
  int succeeded() const { return succeeded_; }  // answered by the site with success
  int failed() const { return failed_; }      // failed: no answer, or an error status
  int total() const { return total_; }
  int waiting() const { return int(queue_.size()); }  // not sent yet
  // "แจ้งเว็บไซต์สำเร็จ k จาก n รายการ", with the failed ones when there are.
  QString progressText() const;

 Q_SIGNALS:
  void progress(int sent, int total);
  void answered(int succeeded, int failed);
  void finished();

 private:
  void sendNext();
  void answer(bool ok);

  // Where the requests' threads hand their answers: cleared when the acknowledger goes, so that an
  // answer arriving later is dropped.
  struct Inbox;
  std::shared_ptr<Inbox> inbox_;
  net::BackgroundGet& http_;
  std::function<QString(qint64)> urlOf_;
  int pacingMs_ = kPacingMs;
  QTimer timer_;
  std::deque<qint64> queue_;
  QSet<qint64> queued_;
  int sent_ = 0;
  int succeeded_ = 0;
  int failed_ = 0;
  int awaiting_ = 0;
  int total_ = 0;
};

}  // namespace weborder
