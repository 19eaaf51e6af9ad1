#include "lookup_edit.h"

#include "lookup_edit_sql.h"

TKIdLookup::TKIdLookup(QWidget* parent) : widgets::Edit(parent) {
  setCharCase(CharCase::Upper);
  connect(this, &QLineEdit::returnPressed, this, [this] {
    if (!lookedUpOnce_ || text() != lookedUpText_) lookup();
  });
}

void TKIdLookup::setDataSource(widgets::DataSource* ds, const QString& column) {
  if (ds_) disconnect(ds_, nullptr, this, nullptr);
  ds_ = ds;
  column_ = column;
  if (ds_) {
    connect(ds_, &widgets::DataSource::resetDone, this, &TKIdLookup::refresh);
    connect(ds_, &widgets::DataSource::cursorChanged, this, &TKIdLookup::refresh);
    connect(ds_, &widgets::DataSource::rowUpdated, this, [this](int row) {
      if (ds_ && row == ds_->currentRow()) refresh();
    });
  }
}

QVariant TKIdLookup::boundId() const {
  if (!ds_ || !ds_->result() || ds_->currentRow() < 0) return QVariant();
  const db::Result* r = ds_->result();
  if (r->columnIndex(column_) < 0) return QVariant();
  return r->value(column_);
}

void TKIdLookup::setShownText(const QString& text) {
  QLineEdit::setText(text.toUpper());
  lookedUpText_ = QLineEdit::text();
  lookedUpOnce_ = true;
}

void TKIdLookup::setText(const QString& text) {
  QLineEdit::setText(text.toUpper());
  lookup();
}

void TKIdLookup::storeId(const QVariant& id) {
  if (!ds_ || !ds_->result() || ds_->currentRow() < 0) return;
  db::Result* r = ds_->result();
  if (r->columnIndex(column_) < 0) return;
  writing_ = true;
  r->setValue(column_, id);
  ds_->rowChanged(ds_->currentRow());
  writing_ = false;
}

void TKIdLookup::showDescription(const QString& text) {
  if (descLabel_) descLabel_->setText(text);
}

bool TKIdLookup::lookup() {
  const QString code = text().trimmed();
  lookedUpText_ = text();
  lookedUpOnce_ = true;
  found_ = false;
  foundId_ = QVariant();
  foundDesc_.clear();
  if (!code.isEmpty() && lookupDb_ && !table_.isEmpty()) {
    const QString sql = masterdata::lookupByCodeSql(idField_, codeField_, descField_, table_, filter_);
    db::Params p;
    p.setText(QStringLiteral("Code"), code);
    const db::Result r = lookupDb_->select(sql, p);
    if (!r.isEmpty()) {
      found_ = true;
      foundId_ = r.at(0, 0);
      foundDesc_ = r.at(0, 2).toString();
    }
  }
  storeId(found_ ? foundId_ : QVariant());
  showDescription(found_ ? foundDesc_ : notFoundText());
  Q_EMIT lookedUp(found_);
  return found_;
}

void TKIdLookup::refresh() {
  if (writing_) return;
  const QVariant id = boundId();
  found_ = false;
  foundId_ = QVariant();
  foundDesc_.clear();
  QString code;
  if (!id.isNull() && lookupDb_ && !table_.isEmpty()) {
    db::Params p;
    p.set(QStringLiteral("Id"), id);
    const db::Result r = lookupDb_->select(
        masterdata::lookupByIdSql(idField_, codeField_, descField_, table_), p);
    if (!r.isEmpty()) {
      found_ = true;
      foundId_ = r.at(0, 0);
      code = r.at(0, 1).toString().trimmed();
      foundDesc_ = r.at(0, 2).toString();
    }
  }
  setShownText(code);
  showDescription(found_ ? foundDesc_ : notFoundText());
}

void TKIdLookup::clearValue() {
  setShownText(QString());
  found_ = false;
  foundId_ = QVariant();
  foundDesc_.clear();
  storeId(QVariant());
  showDescription(notFoundText());
}

bool TKIdLookup::isValid() const {
  if (text().trimmed().isEmpty()) return allowEmpty_;
  return found_;
}

void TKIdLookup::doExit() {
  if (!lookedUpOnce_ || text() != lookedUpText_) lookup();
  widgets::Edit::doExit();
}

namespace masterdata {

QString lookupByCodeSql(const QString& idField, const QString& codeField, const QString& descField, const QString& table,
                        const QString& filter) {
  QString sql = QStringLiteral("Select %1, %2, %3 From %4 Where %2 = :Code").arg(idField, codeField, descField, table);
  if (!filter.trimmed().isEmpty()) sql += QStringLiteral(" And (") + filter + QLatin1Char(')');
  return sql;
}

QString lookupByIdSql(const QString& idField, const QString& codeField, const QString& descField, const QString& table) {
  return QStringLiteral("Select %1, %2, %3 From %4 Where %1 = :Id").arg(idField, codeField, descField, table);
}

}  // namespace masterdata
