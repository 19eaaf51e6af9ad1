#include "date_edit.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include "prompts.h"
#include "textutil/dates.h"

namespace widgets {

namespace {
QIcon dropDownIcon() {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 60, 60));
  const QPointF tri[3] = {{4, 6}, {12, 6}, {8, 11}};
  p.drawPolygon(tri, 3);
  return QIcon(pm);
}
}  // namespace

DBDateEdit::DBDateEdit(QWidget* parent) : Edit(parent) {
  QAction* drop = addAction(dropDownIcon(), QLineEdit::TrailingPosition);
  drop->setObjectName(QStringLiteral("DropDown"));
  connect(drop, &QAction::triggered, this, &DBDateEdit::showCalendar);
}

void DBDateEdit::makeCalendar() {
  // Made when first dropped down: a calendar costs more to build than the rest of a window's edits.
  if (popup_) return;
  popup_ = new QFrame(this, Qt::Popup);
  popup_->setFrameShape(QFrame::Box);
  auto* lay = new QVBoxLayout(popup_);
  lay->setContentsMargins(1, 1, 1, 1);
  calendar_ = new QCalendarWidget(popup_);
  calendar_->setGridVisible(true);
  lay->addWidget(calendar_);
  connect(calendar_, &QCalendarWidget::clicked, this, &DBDateEdit::pick);
  connect(calendar_, &QCalendarWidget::activated, this, &DBDateEdit::pick);
}

void DBDateEdit::setDataSource(DataSource* ds, const QString& column) {
  if (ds_) disconnect(ds_, nullptr, this, nullptr);
  ds_ = ds;
  column_ = column;
  if (ds_) {
    connect(ds_, &DataSource::resetDone, this, &DBDateEdit::refresh);
    connect(ds_, &DataSource::cursorChanged, this, &DBDateEdit::refresh);
    connect(ds_, &DataSource::rowUpdated, this, [this](int row) {
      if (ds_ && row == ds_->currentRow()) refresh();
    });
  }
  refresh();
}

bool DBDateEdit::hasField() const {
  return ds_ && ds_->result() && ds_->currentRow() >= 0 && ds_->result()->columnIndex(column_) >= 0;
}

void DBDateEdit::refresh() {
  if (writing_) return;
  QString t;
  if (hasField()) t = textutil::dateToText(db::toDateTime(ds_->result()->value(column_)).date());
  if (t != text()) setText(t);
}

QDate DBDateEdit::date() const {
  if (auto d = textutil::tryTypedDate(text())) return *d;
  return QDate();
}

void DBDateEdit::write(const QVariant& v) {
  if (!hasField()) return;
  writing_ = true;
  db::Result* r = ds_->result();
  r->setValue(column_, v);
  ds_->rowChanged(r->recNo());
  writing_ = false;
}

void DBDateEdit::setDateTime(const QDateTime& value) {
  setText(textutil::dateToText(value.date()));
  write(value.isValid() ? QVariant(value) : QVariant());
}

bool DBDateEdit::commit() {
  const QString t = text().trimmed();
  if (t.isEmpty()) {
    write(QVariant());
    return true;
  }
  const auto d = textutil::tryTypedDate(t);
  if (!d) return false;
  if (hasField()) {
    const QDateTime held = db::toDateTime(ds_->result()->value(column_));
    if (!held.isValid() || held.date() != *d) write(QDateTime(*d, QTime(0, 0)));
  }
  return true;
}

void DBDateEdit::doExit() {
  if (!commit()) {
    // Disabled while it held a refused text (a Load that locks the field): it cannot be corrected
    // any more, so it shows the date held again instead of refusing a second time.
    if (!isEnabled()) {
      refresh();
      return;
    }
    const QString refusal = QStringLiteral("'%1' is not a valid date").arg(text());
    if (OnError) OnError(this, std::make_exception_ptr(textutil::ConvertError(refusal)));
    else prompts::current().message(refusal, prompts::Style::Error);
    setFocus(Qt::OtherFocusReason);
    return;
  }
  if (const QDate d = date(); d.isValid()) {
    const QString canonical = textutil::dateToText(d);
    if (canonical != text()) setText(canonical);
  }
  Edit::doExit();
}

void DBDateEdit::keyPressEvent(QKeyEvent* e) {
  if ((e->key() == Qt::Key_Down && (e->modifiers() & Qt::AltModifier)) || e->key() == Qt::Key_F4) {
    if (!runOwnKeyDown(this, e)) return;
    showCalendar();
    return;
  }
  Edit::keyPressEvent(e);
}

void DBDateEdit::showCalendar() {
  if (isReadOnly() || !isEnabled()) return;
  const QDate shown = date();
  makeCalendar();
  calendar_->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());
  popup_->adjustSize();
  popup_->move(mapToGlobal(QPoint(0, height())));
  popup_->show();
  calendar_->setFocus(Qt::PopupFocusReason);
}

bool DBDateEdit::calendarVisible() const { return popup_ && popup_->isVisible(); }

void DBDateEdit::pick(const QDate& d) {
  popup_->hide();
  setText(textutil::dateToText(d));
  commit();
  setFocus(Qt::PopupFocusReason);
}

}  // namespace widgets
