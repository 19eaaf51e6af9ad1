// The base of the modal dialogs that pick one row: the rows of a query in a read-only grid, a search
// text to narrow them, sorting by a click on a column title, choosing with the mouse or the keyboard,
// and the value of one key column of the chosen row handed back to the caller. A cancelled document
// is refused; cancelled and settled rows are coloured; a cancelled document can be purged for good
// (Ctrl+Shift+right-click on its row, two confirmations).
//
// Caller:
//   TFrSearchSomething dlg;            // a derived dialog
//   dlg.KeyFieldName = "DocNo";
//   dlg.DelTableName = "SoHd";         // optional: offers the purge
//   if (dlg.ShowModal() == QDialog::Accepted) use(dlg.ResultKey);
//
// A derived dialog sets QSearch's text (its ordering on one line holding "ORDER BY ", nothing after
// the ordering on that line), the grid columns, and usually its own search:
//   void BtSearchClick(QObject* sender) override {
//     TFrSearch::BtSearchClick(sender);
//     // the filter on its line, the query opened again, the grid refreshed and focused on the
//     // first row when rows came back
//     OpenWithFilter(kFilterLine, LikeFilter(" And H.DocNo", Code->text()));
//   }
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "data_source.h"
#include "db.h"
#include "data_grid.h"
#include "edits.h"
#include "framework.h"
#include "key_preview.h"

class TFrSearch : public QDialog {
  Q_OBJECT
 public:
  explicit TFrSearch(QWidget* parent = nullptr);

  // ---- Components ----
  QFrame* PanelHeader;
  QLabel* Label3;
  widgets::UpperEdit* Code;
  QPushButton* BtSearch;
  QPushButton* BtOk;
  QPushButton* BtCancel;
  widgets::DbGrid* DgSearch;
  db::Query QSearch;
  widgets::DataSource DSearch;
  db::Script DelSQL;

  // ---- Fields ----
  QString DelTableName;  // the header table the purge deletes from; empty: no purge
  QString KeyFieldName;  // the column of QSearch whose value is handed back
  QString ResultKey;     // the value handed back (empty unless closed with OK on an acceptable row)

  // The sort memory of every search dialog of this class, kept for the whole run.
  static inline QString LastSortField;
  static inline bool SortDescending = false;
  // Where title sorting keeps its memory. A derived dialog class with a memory of its own declares
  // its own two statics and returns them here.
  struct SortMemory {
    QString* lastSortField;
    bool* sortDescending;
  };
  virtual SortMemory SortMemoryOf() { return {&LastSortField, &SortDescending}; }

  // The modal result being decided while the dialog closes (Accepted or Rejected).
  int ModalResult = QDialog::Rejected;

  // Shows the dialog modally (through the modal seam of the tests) and returns the modal result.
  int ShowModal();
  void SetClientSize(int width, int height);

  // A filter line "<lead> Like '%text%' Escape '\'" with the text escaped, or an empty line for an
  // empty text.
  static QString LikeFilter(const QString& lead, const QString& text);
  // A date column's text without its time of day (a value that is no date is shown as it stands).
  static QString DateOnlyText(const QVariant& value);

  // ---- Handlers (overridable; an override calls the base first where the base does work) ----
  virtual void FormShow(QObject* sender);
  virtual void FormClose(QObject* sender, framework::CloseAction& action);
  virtual void FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
  virtual void FormKeyPress(QObject* sender, QChar& key);
  virtual void DgSearchDblClick(QObject* sender);
  virtual void BtSearchClick(QObject* sender);
  virtual void DgSearchGetCellParams(QObject* sender, int row, bool highlight, QColor& background);
  virtual void DgSearchMouseDown(QObject* sender, Qt::MouseButton button, Qt::MouseButtons buttons,
                                 Qt::KeyboardModifiers shift);
  virtual void DgSearchTitleBtnClick(QObject* sender, const QString& field);

  // Closing: runs FormClose, which may refuse.
  void done(int r) override;

 protected:
  // After QSearch was (re)opened: refreshes the grid and, when rows came back, focuses the grid on
  // the first row.
  void SearchOpened();
  // Closes QSearch, writes `filter` on query line `line` (both texts, where the line exists), opens it
  // again and runs SearchOpened.
  void OpenWithFilter(int line, const QString& filter);
  bool AskConfirm(const QString& message);
  void showEvent(QShowEvent* e) override;

 private:
  bool largeObjectField(int column) const;
  widgets::KeyPreview* keyPreview_;
  bool closing_ = false;
  QSize designSize_{528, 279};
};
