// Shell folders on Linux and other XDG desktops: the XDG user directories through
// QStandardPaths, the usual system directories for the rest; kinds without an equivalent
// (Send To, Recent, Favorites, Cookies, History, network and printer neighbourhoods) have none.
#include "net/shell_folders.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>

namespace net::detail {

namespace {

QString standard(QStandardPaths::StandardLocation location) { return QStandardPaths::writableLocation(location); }

// An XDG user directory that QStandardPaths does not name (XDG_TEMPLATES_DIR).
QString xdgUserDir(const QString& key, const QString& fallback) {
  QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (configHome.isEmpty()) configHome = QDir::homePath() + QStringLiteral("/.config");
  QFile f(configHome + QStringLiteral("/user-dirs.dirs"));
  if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
    const QRegularExpression re(QStringLiteral("^%1=\"(.*)\"$").arg(key));
    QTextStream in(&f);
    while (!in.atEnd()) {
      const auto m = re.match(in.readLine().trimmed());
      if (m.hasMatch()) {
        QString value = m.captured(1);
        value.replace(QStringLiteral("$HOME"), QDir::homePath());
        return value;
      }
    }
  }
  return QDir::homePath() + u'/' + fallback;
}

}  // namespace

QString platformShellFolder(int kind) {
  switch (kind) {
    case SfDesktop: return standard(QStandardPaths::DesktopLocation);
    case SfStartMenu:
    case SfPrograms: return standard(QStandardPaths::ApplicationsLocation);
    case SfStartup: return standard(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
    case SfPersonal: return standard(QStandardPaths::DocumentsLocation);
    case SfAppData: return standard(QStandardPaths::GenericConfigLocation);
    case SfFonts: return standard(QStandardPaths::FontsLocation);
    case SfCache: return standard(QStandardPaths::GenericCacheLocation);
    case SfTemplates: return xdgUserDir(QStringLiteral("XDG_TEMPLATES_DIR"), QStringLiteral("Templates"));
    case SfLocalAppData: return standard(QStandardPaths::GenericDataLocation);
    case SfWindowsDir: return QStringLiteral("/usr");
    case SfSystemDir: return QStringLiteral("/usr/lib");
    case SfTempDir: return QDir::tempPath();
    case SfSystemDrive: return QStringLiteral("/");
    case SfProgramFiles: return QStringLiteral("/usr/bin");
    case SfCommonFiles: return QStringLiteral("/usr/share");
    case SfConfigPath: return QStringLiteral("/etc");
    case SfDevicePath: return QStringLiteral("/dev");
    case SfMediaPath: return QStringLiteral("/usr/share/sounds");
    case SfWallPaperDir: return QStringLiteral("/usr/share/backgrounds");
    default: return QString();
  }
}

}  // namespace net::detail
