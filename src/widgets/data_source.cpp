#include "data_source.h"

namespace widgets {

DataSource::DataSource(db::Result* result, QObject* parent) : QObject(parent), result_(result) {}

void DataSource::setResult(db::Result* result) {
  result_ = result;
  reset();
}

void DataSource::reset() {
  if (disabled_ > 0) {
    pendingReset_ = true;
    pendingRows_.clear();
    return;
  }
  Q_EMIT resetDone();
  Q_EMIT cursorChanged();
}

void DataSource::rowChanged(int row) {
  if (disabled_ > 0) {
    if (!pendingReset_) pendingRows_.insert(row);
    return;
  }
  Q_EMIT rowUpdated(row);
}

void DataSource::cursorMoved() {
  if (disabled_ > 0) {
    pendingCursor_ = true;
    return;
  }
  Q_EMIT cursorChanged();
}

void DataSource::moveTo(int row) {
  if (!result_ || row < 0 || row >= result_->rowCount()) return;
  if (result_->recNo() == row) return;
  result_->moveTo(row);
  cursorMoved();
}

int DataSource::currentRow() const {
  if (!result_ || result_->eof() || result_->recNo() < 0) return -1;
  return result_->recNo();
}

void DataSource::DisableControls() { ++disabled_; }

void DataSource::EnableControls() {
  if (disabled_ == 0) return;
  if (--disabled_ > 0) return;
  const bool reset = pendingReset_;
  const bool cursor = pendingCursor_;
  const QSet<int> rows = pendingRows_;
  pendingReset_ = pendingCursor_ = false;
  pendingRows_.clear();
  if (reset) {
    Q_EMIT resetDone();
    Q_EMIT cursorChanged();
    return;
  }
  for (int r : rows) Q_EMIT rowUpdated(r);
  if (cursor) Q_EMIT cursorChanged();
}

}  // namespace widgets
