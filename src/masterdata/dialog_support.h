// What the look-up dialogs and frames share: the dialogs kept for the whole process.
#pragma once

#include <QDialog>
#include <QWidget>

namespace masterdata {

// Registers a dialog that lives until the program ends (freed by releaseKeptDialogs, which also runs
// when the application object goes away).
void keepForProcess(QDialog* d);
// Frees every kept dialog; their classes create a new one on the next use.
void releaseKeptDialogs();

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
