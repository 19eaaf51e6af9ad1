// Thai for what Qt itself shows a clerk (the printer and page set-up dialogs, the file dialog,
// standard buttons, an edit's context menu) and for the report preview's captions: the translation
// translations/qt_th.ts, compiled into the program. Installed at start-up when the signed-in user
// works in Thai. Texts the program quotes itself (the English "Yes"/"No" of the blue question,
// "Send Error"/"Don't Send") are set explicitly and stay as they are.
#pragma once

namespace widgets {

// Installs the Thai translation on the application (once); false when it cannot be loaded.
bool InstallQtThai();
// Removes it again (tests).
void RemoveQtThai();

}  // namespace widgets
