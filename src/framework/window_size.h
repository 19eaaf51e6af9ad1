// The opening size of the program's windows and dialogs, and the size each user left them at.
//
//   framework::FitWindow(this, QSize(632, 421));   // before the window is placed and shown
//
// A window opens at least at its design size and at least as large as its layout asks for (a grid
// asks for all its columns side by side), or at the size the signed-in user left it at in an earlier
// run (never below the design size; a size left when the contents asked for less width, as an older
// version's columns did, grows to the width the contents ask for now); never larger than the
// screen's free area. From then on the
// size is remembered whenever the window is hidden, per user, in the settings file
// "consolidate/windows.ini" of the desktop user's configuration folder.
#pragma once

#include <QSize>
#include <QString>

class QWidget;

namespace framework {

// `key` names the window in the settings; empty: the window's class name.
void FitWindow(QWidget* window, QSize design, const QString& key = QString());

// The size remembered for a window by the signed-in user (invalid when none).
QSize RememberedSize(const QString& key);

// The settings group of the signed-in user ("user<id>").
QString SettingsUserGroup();

}  // namespace framework
