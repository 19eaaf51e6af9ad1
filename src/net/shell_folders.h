// The user's and the system's folders by the kind numbers the program uses (0 is the desktop),
// and the folder the order files are downloaded into.
#pragma once

#include <QString>
#include <stdexcept>

namespace net {

class FolderError : public std::runtime_error {
 public:
  explicit FolderError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

enum ShellFolderKind {
  SfDesktop = 0,
  SfStartMenu = 1,
  SfPrograms = 2,
  SfStartup = 3,
  SfPersonal = 4,
  SfAppData = 5,
  SfFonts = 6,
  SfSendTo = 7,
  SfRecent = 8,
  SfFavorites = 9,
  SfCache = 10,
  SfCookies = 11,
  SfHistory = 12,
  SfNetHood = 13,
  SfPrintHood = 14,
  SfTemplates = 15,
  SfLocalAppData = 16,
  SfWindowsDir = 17,
  SfSystemDir = 18,
  SfTempDir = 19,
  SfSystemDrive = 20,
  SfProgramFiles = 21,
  SfCommonFiles = 22,
  SfConfigPath = 23,
  SfDevicePath = 24,
  SfMediaPath = 25,
  SfWallPaperDir = 26,
};

// The folder of that kind, ending in "/", or the empty text for a kind this platform has no
// folder for (and for unknown kinds). On Linux the desktop is the XDG desktop directory.
QString ShellFolderPath(int kind);

// The desktop folder followed by "LoadXML/", created when missing. FolderError
// "Cannot create <folder>" when it does not exist and cannot be created.
QString webOrderDownloadFolder();

namespace detail {
// The platform's folder of a kind, without the trailing "/" (one file per platform).
QString platformShellFolder(int kind);
}  // namespace detail

}  // namespace net
