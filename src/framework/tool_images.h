// The images of the tool bar and of the dialog buttons, drawn at run time.
#pragma once

#include <QIcon>
#include <QVector>

namespace framework {

// The eight tool-bar images, indices 0 to 7: New, Delete, Save, Exit, History, Copy, Print,
// Change code.
QVector<QIcon> ToolImages();

enum class Glyph { Search, Ok, Cancel };
QIcon GlyphIcon(Glyph g);

}  // namespace framework
