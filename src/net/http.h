// HTTP GET: a request that is waited for, and background requests that are never waited for by
// the window that starts them (the order web site's "produce the file" and "line transferred"
// calls) but always end on their own within their time-out.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

namespace net {

struct HttpResult {
  bool ok = false;      // an answer with a 2xx status arrived
  int status = 0;       // the HTTP status, 0 when no answer arrived
  QByteArray body;      // at most the first 4 MiB of the answer
  QString message;      // curl's message, or "HTTP <status>", on failure
};

// GET of an http:// or https:// URL, following up to five redirects, within `timeoutMs` in all.
// Never raises.
HttpResult httpGet(const QString& url, int timeoutMs = 10000);

// Fire-and-forget GET requests on worker threads of this object. start() returns at once; each
// request ends by itself within the time-out. The destructor does not wait for requests under way:
// their threads finish on their own (they touch nothing of the owner), and a process that ends
// while some still run ends at once without them (AbandonedRequestsUnderWay, launch/startup.cpp):
// closing the window never keeps the user waiting on the network.
class BackgroundGet {
 public:
  struct Outcome {
    QString url;
    bool ok = false;
    int status = 0;
    QString message;
  };

  explicit BackgroundGet(int timeoutMs = 10000, int maxThreads = 2);
  ~BackgroundGet();
  BackgroundGet(const BackgroundGet&) = delete;
  BackgroundGet& operator=(const BackgroundGet&) = delete;

  void start(const QString& url);
  // The same, and `done` is called with the request's outcome on the request's own thread once it
  // ended (the caller hands it on to its own thread and guards against having gone meanwhile).
  void start(const QString& url, std::function<void(const Outcome&)> done);
  // Waits until every started request has ended; false when `msecs` passed first (-1: no limit).
  bool waitForDone(int msecs = -1);
  int pending() const { return state_->pending.load(); }
  int succeeded() const { return state_->succeeded.load(); }
  int failed() const { return state_->failed.load(); }
  // The most recent outcomes (up to 1000), in the order the requests ended.
  QList<Outcome> outcomes() const;

 private:
  // What the requests write; shared with them, so that it outlives an owner that went first.
  struct State {
    std::atomic<int> pending{0};
    std::atomic<int> succeeded{0};
    std::atomic<int> failed{0};
    mutable QMutex mutex;
    QList<Outcome> outcomes;
    void record(Outcome outcome);
  };

  int timeoutMs_;
  QThreadPool* pool_;
  std::shared_ptr<State> state_;
};

// True while requests of owners already gone are still running.
bool AbandonedRequestsUnderWay();
// Waits until they have ended; false when `msecs` passed first.
bool WaitForAbandonedRequests(int msecs);

}  // namespace net
