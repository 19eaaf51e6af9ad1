#include "qt_thai.h"

#include <QCoreApplication>
#include <QTranslator>

namespace widgets {

namespace {
QTranslator*& installed() {
  static QTranslator* t = nullptr;
  return t;
}
}  // namespace

bool InstallQtThai() {
  if (installed()) return true;
  auto* t = new QTranslator(QCoreApplication::instance());
  if (!t->load(QStringLiteral(":/translations/qt_th.qm")) || !QCoreApplication::installTranslator(t)) {
    delete t;
    return false;
  }
  installed() = t;
  return true;
}

void RemoveQtThai() {
  if (!installed()) return;
  QCoreApplication::removeTranslator(installed());
  delete installed();
  installed() = nullptr;
}

}  // namespace widgets
