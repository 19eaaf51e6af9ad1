#include "dialog_support.h"

#include <QCoreApplication>
#include <QPointer>
#include <QVector>

namespace masterdata {

namespace {
QVector<QPointer<QDialog>>& kept() {
  static QVector<QPointer<QDialog>> k;
  return k;
}
}  // namespace

void keepForProcess(QDialog* d) {
  static bool routineAdded = false;
  if (!routineAdded) {
    routineAdded = true;
    qAddPostRoutine(releaseKeptDialogs);
  }
  kept().push_back(d);
}

void releaseKeptDialogs() {
  QVector<QPointer<QDialog>> all;
  all.swap(kept());
  for (const QPointer<QDialog>& d : all) delete d.data();
}

void searchListKey(QDialog* dialog, const QWidget* list, int& key, const std::function<void()>& search) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      key = 0;
      if (list->hasFocus()) dialog->accept();
      else search();
      break;
    case Qt::Key_Escape:
      key = 0;
      dialog->reject();
      break;
    default:
      break;
  }
}

bool isInside(const QWidget* w, const QWidget* ancestor) {
  for (; w; w = w->parentWidget())
    if (w == ancestor) return true;
  return false;
}

bool canFocus(const QWidget* w) {
  return w && w->isEnabled() && w->isVisible() && w->window()->isVisible() && w->focusPolicy() != Qt::NoFocus;
}

}  // namespace masterdata
