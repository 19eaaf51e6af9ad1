// Tests and benchmarks keep settings of their own: they never read or write the settings of the
// user who runs them (the window sizes of ~/.config/consolidate/windows.ini). Every test program
// (test_main.cpp) and every benchmark (bench/bench_support.h) calls UseOwnSettings() before anything
// reads a setting. It points the configuration folder, XDG_CONFIG_HOME, at a temporary folder of
// the process, so that the programs a test or a benchmark starts (the real program, the tools)
// inherit it through their environment, and points this process's QSettings there too.
//
//   testsupport::UseOwnSettings();   // first thing in main()
#pragma once

#include <QByteArray>
#include <QDir>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

namespace detail {
struct OwnSettings {
  // The configuration folder the user's own programs use, taken before it is replaced.
  QString usersFolder = qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME") ? QDir::homePath() + QStringLiteral("/.config")
                                                                          : qEnvironmentVariable("XDG_CONFIG_HOME");
  QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/consolidate-settings-XXXXXX")};
  OwnSettings() {
    qputenv("XDG_CONFIG_HOME", QDir(folder.path()).absolutePath().toLocal8Bit());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
  }
};
inline OwnSettings& ownSettings() {
  static OwnSettings s;
  return s;
}
}  // namespace detail

// Makes the process's settings (and those of the programs it starts) its own; returns their folder.
// Calling it again changes nothing.
inline QString UseOwnSettings() { return detail::ownSettings().folder.path(); }

// The configuration folder of the user who runs the tests (where the programs would have written
// without UseOwnSettings).
inline QString UsersConfigFolder() { return detail::ownSettings().usersFolder; }

}  // namespace testsupport
