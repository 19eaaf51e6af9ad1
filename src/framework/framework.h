// What the forms, dialogs and frames of the framework share.
#pragma once

#include <QFont>
#include <QWidget>

namespace framework {

// What a window does when it is asked to close (FormClose may change it).
enum class CloseAction { None, Hide, Free, Minimize };

// The configuration module's language flag: true for Thai; false when no configuration module
// exists.
bool IsThai();

// The font of forms and frames: "MS Sans Serif" at the given pixel size, with the Thai desktop fonts
// behind it for systems that lack it.
QFont FormFont(int pixelSize = 13);

// The width of an edit that shows a code or number of `chars` characters whole in the edit's font,
// never less than the design width of 120 pixels.
int CodeEditWidth(const QWidget* edit, int chars, int designWidth = 120);

// Centres a window on the screen it is on (or the primary screen).
void CenterOnScreen(QWidget* window);

// True when the object is a data grid or lies inside one (its cell editor, its viewport).
bool InsideGrid(const QObject* object);

}  // namespace framework
