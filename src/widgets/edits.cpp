#include "edits.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QValidator>

#include "textutil/dates.h"
#include "textutil/number_format.h"

namespace widgets {

namespace {
// Focus changes that come from another window (a dialog, a box, a drop-down) becoming active.
bool isWindowFocusChange(Qt::FocusReason r) {
  return r == Qt::ActiveWindowFocusReason || r == Qt::PopupFocusReason;
}

// Upper-cases typed text as it is typed.
class UpperValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    input = input.toUpper();
    return Acceptable;
  }
};
}  // namespace

QString displayText(const QVariant& v) {
  if (v.isNull() || !v.isValid()) return QString();
  switch (v.typeId()) {
    case QMetaType::QDateTime: {
      const QDateTime dt = v.toDateTime();
      return dt.time() == QTime(0, 0) ? textutil::dateToText(dt.date()) : textutil::dateTimeToText(dt);
    }
    case QMetaType::QDate:
      return textutil::dateToText(v.toDate());
    case QMetaType::Double:
    case QMetaType::Float:
      return textutil::numberToText(v.toDouble());
    default:
      return v.toString();
  }
}

// ---- Edit -------------------------------------------------------------------------------------

Edit::Edit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, [this] { applyCase(); });
}

void Edit::setCharCase(CharCase c) {
  charCase_ = c;
  if (c == CharCase::Upper) {
    if (!upperValidator_) upperValidator_ = new UpperValidator(this);
    setValidator(upperValidator_);
  } else if (validator() == upperValidator_) {
    setValidator(nullptr);
  }
  applyCase();
}

void Edit::applyCase() {
  if (charCase_ != CharCase::Upper) return;
  const QString t = text();
  const QString u = t.toUpper();
  if (t == u) return;
  // Assigned text (typed text is already upper case through the validator).
  const int pos = cursorPosition();
  setText(u);
  setCursorPosition(pos);
}

void Edit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  if (isWindowFocusChange(e->reason()) && entered_) return;
  if (entered_) return;
  entered_ = true;
  if (OnEnter) OnEnter(this);
}

void Edit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  if (isWindowFocusChange(e->reason())) return;
  if (!entered_) return;  // never got the focus (the focus moved on before it arrived)
  entered_ = false;
  doExit();
}

void Edit::doExit() {
  if (OnExit) OnExit(this);
}

void Edit::keyPressEvent(QKeyEvent* e) {
  if (!runOwnKeyDown(this, e)) return;
  QLineEdit::keyPressEvent(e);
}

// ---- DBEdit -----------------------------------------------------------------------------------

DBEdit::DBEdit(QWidget* parent) : Edit(parent) {
  connect(this, &QLineEdit::textEdited, this, [this](const QString&) { writeBack(text()); });
}

void DBEdit::setDataSource(DataSource* ds, const QString& column) {
  if (ds_) disconnect(ds_, nullptr, this, nullptr);
  ds_ = ds;
  column_ = column;
  if (ds_) {
    connect(ds_, &DataSource::resetDone, this, &DBEdit::refresh);
    connect(ds_, &DataSource::cursorChanged, this, &DBEdit::refresh);
    connect(ds_, &DataSource::rowUpdated, this, [this](int row) {
      if (ds_ && row == ds_->currentRow()) refresh();
    });
  }
  refresh();
}

bool DBEdit::hasField() const {
  return ds_ && ds_->result() && ds_->currentRow() >= 0 && ds_->result()->columnIndex(column_) >= 0;
}

void DBEdit::refresh() {
  if (writing_) return;
  QString t;
  if (hasField()) t = widgets::displayText(ds_->result()->value(column_));
  if (t != text()) setText(t);
}

void DBEdit::writeBack(const QString& t) {
  if (!hasField()) return;
  writing_ = true;
  db::Result* r = ds_->result();
  r->setValue(column_, t);
  ds_->rowChanged(r->recNo());
  writing_ = false;
}

// ---- SpeedButton ------------------------------------------------------------------------------

SpeedButton::SpeedButton(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  connect(this, &QToolButton::clicked, this, [this] { click(this); });
}

void SpeedButton::click(QObject* sender) {
  if (OnClick) OnClick(sender);
}

}  // namespace widgets
