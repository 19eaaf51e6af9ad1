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
// The configuration folder of the environment as it stands.
inline QString configFolder() {
  return qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME") ? QDir::homePath() + QStringLiteral("/.config")
                                                        : qEnvironmentVariable("XDG_CONFIG_HOME");
}
inline QString& usersFolder() {
  static QString folder;
  return folder;
}
struct OwnSettings {
  QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/consolidate-settings-XXXXXX")};
  OwnSettings() {
    usersFolder() = configFolder();  // taken before it is replaced
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

// The configuration folder of the user who runs the tests (where the programs would write without
// UseOwnSettings); it does not make the settings the process's own.
inline QString UsersConfigFolder() { return detail::usersFolder().isEmpty() ? detail::configFolder() : detail::usersFolder(); }

}  // namespace testsupport
