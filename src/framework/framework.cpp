#include "framework.h"

#include <QGuiApplication>
#include <QScreen>

#include "data_grid.h"
#include "config_module.h"

namespace framework {

bool IsThai() { return DMConfig && DMConfig->IsThai; }

QFont FormFont(int pixelSize) {
  QFont f;
  f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Tahoma"), QStringLiteral("Loma"),
                 QStringLiteral("Garuda"), QStringLiteral("Sans Serif")});
  f.setPixelSize(pixelSize);
  return f;
}

int CodeEditWidth(const QWidget* edit, int chars, int designWidth) {
  // Document numbers are a few capitals and digits ("CON260000000008").
  const QString sample = QStringLiteral("CON") + QString(std::max(0, chars - 3), QLatin1Char('0'));
  return std::max(designWidth, edit->fontMetrics().horizontalAdvance(sample) + 16);
}

void CenterOnScreen(QWidget* window) {
  QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect avail = s->availableGeometry();
  const QSize size = window->frameGeometry().size();
  window->move(avail.center() - QPoint(size.width() / 2, size.height() / 2));
}

bool InsideGrid(const QObject* object) {
  for (const QObject* o = object; o; o = o->parent()) {
    if (qobject_cast<const widgets::DbGrid*>(o)) return true;
    if (o->isWidgetType() && static_cast<const QWidget*>(o)->isWindow()) break;
  }
  return false;
}

}  // namespace framework
