// TKIdLookup: the lookup edit. A one-line edit that takes a code of a lookup table, shows the
// looked-up row's description in a label and stores the row's id in the column it is bound to.
//
// How it behaves (docs/customer-lookup.md tells the whole story):
//   * The text is held in upper case (typed, pasted or set by the program).
//   * The code is looked up when the focus leaves the edit for another control of the window (the
//     exit) or Enter reaches it, if the text changed since the last look-up, and at once whenever
//     the program sets the text with setText. Typing alone never queries the database.
//   * Look-up: "Select <id>, <code>, <description> From <table> Where <code> = :Code" and, when a
//     filter is set, "And (<filter>)", on the lookup connection; the first row counts.
//   * Found: the row's id goes into the bound column of the data source's current row, the
//     description into the label. Not found, filtered out, or an empty code: the bound column
//     becomes null and the label shows "-"; the typed text stays, so the user sees what was refused.
//   * AllowEmpty only says whether an empty code counts as a valid entry (isValid()); an empty code
//     always stores null.
//   * Data-aware: when the data source reports a reset, a cursor move or a change of the current
//     row from elsewhere, the edit shows the code and description of the id held in the bound column
//     (looked up by id, without the filter, so a row blocked since is still shown as it was saved).
//   * The exit handler (OnExit) runs after the look-up, so it sees the stored id.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QVariant>

#include "data_source.h"
#include "db.h"
#include "edits.h"

class TKIdLookup : public widgets::Edit {
  Q_OBJECT
 public:
  explicit TKIdLookup(QWidget* parent = nullptr);

  // ---- Lookup settings ----
  void setLookupDatabase(db::Connection* c) { lookupDb_ = c; }
  db::Connection* lookupDatabase() const { return lookupDb_; }
  void setLookupTable(const QString& t) { table_ = t; }
  const QString& lookupTable() const { return table_; }
  void setIdField(const QString& f) { idField_ = f; }
  const QString& idField() const { return idField_; }
  void setCodeField(const QString& f) { codeField_ = f; }
  const QString& codeField() const { return codeField_; }
  void setDescField(const QString& f) { descField_ = f; }
  const QString& descField() const { return descField_; }
  void setDescLabel(QLabel* l) { descLabel_ = l; }
  QLabel* descLabel() const { return descLabel_; }
  // An SQL condition on the lookup table ("Blocked='N'"); empty: no condition.
  void setFilter(const QString& f) { filter_ = f; }
  const QString& filter() const { return filter_; }
  void setAllowEmpty(bool b) { allowEmpty_ = b; }
  bool allowEmpty() const { return allowEmpty_; }

  // ---- Binding: the id goes into `column` of the data source's current row ----
  void setDataSource(widgets::DataSource* ds, const QString& column);
  widgets::DataSource* dataSource() const { return ds_; }
  const QString& dataField() const { return column_; }
  // The id held in the bound column (null when there is none or nothing is bound).
  QVariant boundId() const;

  // Sets the text (upper-cased) and looks it up at once. Hides QLineEdit::setText on purpose.
  void setText(const QString& text);
  // Looks the current text up now. Returns true when a row was found.
  bool lookup();
  // Shows the code and description of the id held in the bound column.
  void refresh();
  // Clears the text and the bound id; the label shows "-".
  void clearValue();

  // The result of the last look-up or refresh.
  bool found() const { return found_; }
  QVariant foundId() const { return foundId_; }
  QString foundDescription() const { return foundDesc_; }
  // A found code, or an empty code where an empty value is allowed.
  bool isValid() const;

  static QString notFoundText() { return QStringLiteral("-"); }

 Q_SIGNALS:
  void lookedUp(bool found);

 protected:
  void doExit() override;

 private:
  void storeId(const QVariant& id);
  void showDescription(const QString& text);
  void setShownText(const QString& text);

  db::Connection* lookupDb_ = nullptr;
  QString table_, idField_ = QStringLiteral("Id"), codeField_ = QStringLiteral("Code"),
          descField_ = QStringLiteral("Description"), filter_;
  QPointer<QLabel> descLabel_;
  bool allowEmpty_ = true;

  QPointer<widgets::DataSource> ds_;
  QString column_;
  bool writing_ = false;

  QString lookedUpText_;  // the text of the last look-up or refresh
  bool lookedUpOnce_ = false;
  bool found_ = false;
  QVariant foundId_;
  QString foundDesc_;
};
