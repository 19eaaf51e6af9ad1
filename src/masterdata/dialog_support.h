// What the look-up dialogs and frames share: the dialogs kept for the whole process.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace masterdata {

// Registers a dialog that lives until the program ends (freed by releaseKeptDialogs, which also runs
// when the application object goes away).
void keepForProcess(QDialog* d);
// Frees every kept dialog; their classes create a new one on the next use.
void releaseKeptDialogs();

// The one dialog of class T the process keeps in `slot`: created and kept on first use, created
// again after releaseKeptDialogs freed it.
template <class T>
T* keptInstance(QPointer<T>& slot) {
  if (!slot) {
    slot = new T;
    keepForProcess(slot);
  }
  return slot;
}

// The keys of the look-up lists: Enter on the list chooses its row, Enter anywhere else runs
// `search`, Escape cancels. A handled key is consumed (set to 0); other keys are left alone.
void searchListKey(QDialog* dialog, const QWidget* list, int& key, const std::function<void()>& search);

// True when `w` is `ancestor` or lies inside it.
bool isInside(const QWidget* w, const QWidget* ancestor);

// True when the widget can take the focus now (enabled and shown in a shown window).
bool canFocus(const QWidget* w);

}  // namespace masterdata

#include "data_grid.h"
namespace masterdata {
// A grid column of the look-up lists: field, title, width in pixels, read-only unless told.
inline widgets::GridColumn column(const QString& field, const QString& title, int pixels, bool readOnly = true) {
  widgets::GridColumn c;
  c.field = field;
  c.title = title;
  c.widthPixels = pixels;
  c.readOnly = readOnly;
  return c;
}
}  // namespace masterdata
