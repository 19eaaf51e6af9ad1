#include "net/http.h"

#include "net/curl_loader.h"

#include <QDeadlineTimer>
#include <QMutexLocker>
#include <QRunnable>

namespace net {

namespace {

constexpr qsizetype kMaxBody = 4 * 1024 * 1024;
constexpr qsizetype kMaxOutcomes = 1000;

size_t collect(char* data, size_t size, size_t count, void* user) {
  auto* body = static_cast<QByteArray*>(user);
  const size_t n = size * count;
  const qsizetype room = kMaxBody - body->size();
  if (room > 0) body->append(data, std::min<qsizetype>(room, static_cast<qsizetype>(n)));
  return n;  // the rest of a long answer is read and dropped
}

}  // namespace

HttpResult httpGet(const QString& url, int timeoutMs) {
  HttpResult r;
  try {
    char errorBuffer[CURL_ERROR_SIZE];
    detail::Easy easy = detail::newEasy(errorBuffer);
    if (!easy) {
      r.message = detail::startFailure(QStringLiteral("Cannot start the HTTP client"), errorBuffer);
      return r;
    }
    CURL* c = easy.get();
    const QByteArray u = url.trimmed().toUtf8();
    detail::curl().easy_setopt(c, CURLOPT_URL, u.constData());
    detail::curl().easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    detail::curl().easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    detail::curl().easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    detail::curl().easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    detail::curl().easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max(1, timeoutMs)));
    detail::curl().easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max(1, timeoutMs)));
    detail::curl().easy_setopt(c, CURLOPT_WRITEFUNCTION, &collect);
    detail::curl().easy_setopt(c, CURLOPT_WRITEDATA, &r.body);
    const CURLcode code = detail::curl().easy_perform(c);
    long status = 0;
    detail::curl().easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    r.status = static_cast<int>(status);
    if (code != CURLE_OK) {
      r.message = detail::curlMessage(code, errorBuffer);
    } else if (status < 200 || status > 299) {
      r.message = QStringLiteral("HTTP %1").arg(status);
    } else {
      r.ok = true;
    }
  } catch (const std::exception& e) {
    r.ok = false;
    r.message = QString::fromUtf8(e.what());
  }
  return r;
}

namespace {

// The pools of owners that went while their requests ran: never deleted (deleting one would wait).
QMutex& abandonedMutex() {
  static QMutex m;
  return m;
}
QList<QThreadPool*>& abandoned() {
  static auto* list = new QList<QThreadPool*>;
  return *list;
}

}  // namespace

BackgroundGet::BackgroundGet(int timeoutMs, int maxThreads)
    : timeoutMs_(timeoutMs), pool_(new QThreadPool), state_(std::make_shared<State>()) {
  pool_->setMaxThreadCount(std::max(1, maxThreads));
  pool_->setExpiryTimeout(5000);
}

BackgroundGet::~BackgroundGet() {
  if (pool_->waitForDone(0)) {
    delete pool_;
    return;
  }
  // Requests are under way: they end by themselves, the owner does not wait for them.
  QMutexLocker lock(&abandonedMutex());
  abandoned().append(pool_);
}

void BackgroundGet::start(const QString& url) { start(url, {}); }

void BackgroundGet::start(const QString& url, std::function<void(const Outcome&)> done) {
  ++state_->pending;
  const int timeoutMs = timeoutMs_;
  std::shared_ptr<State> state = state_;
  pool_->start(QRunnable::create([state, url, timeoutMs, done = std::move(done)] {
    const HttpResult r = httpGet(url, timeoutMs);
    const Outcome outcome{url, r.ok, r.status, r.message};
    if (done) done(outcome);
    state->record(outcome);
  }));
}

void BackgroundGet::State::record(Outcome outcome) {
  {
    QMutexLocker lock(&mutex);
    (outcome.ok ? succeeded : failed)++;
    outcomes.append(std::move(outcome));
    if (outcomes.size() > kMaxOutcomes) outcomes.removeFirst();
  }
  --pending;
}

bool BackgroundGet::waitForDone(int msecs) { return pool_->waitForDone(msecs); }

QList<BackgroundGet::Outcome> BackgroundGet::outcomes() const {
  QMutexLocker lock(&state_->mutex);
  return state_->outcomes;
}

bool AbandonedRequestsUnderWay() {
  QMutexLocker lock(&abandonedMutex());
  for (QThreadPool* p : abandoned())
    if (p->activeThreadCount() > 0) return true;
  return false;
}

bool WaitForAbandonedRequests(int msecs) {
  QList<QThreadPool*> pools;
  {
    QMutexLocker lock(&abandonedMutex());
    pools = abandoned();
  }
  QDeadlineTimer deadline(msecs);
  for (QThreadPool* p : pools)
    if (!p->waitForDone(msecs < 0 ? -1 : int(std::max<qint64>(0, deadline.remainingTime())))) return false;
  return true;
}

}  // namespace net
