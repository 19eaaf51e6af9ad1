#include "net/shell_folders.h"

#include <QDir>
#include <QFileInfo>

namespace net {

QString ShellFolderPath(int kind) {
  QString path = detail::platformShellFolder(kind);
  if (path.isEmpty()) return path;
  path = QDir::fromNativeSeparators(path);
  if (!path.endsWith(u'/')) path += u'/';
  return path;
}

QString webOrderDownloadFolder() {
  const QString desktop = ShellFolderPath(SfDesktop);
  const QString folder = desktop + QStringLiteral("LoadXML/");
  if (desktop.isEmpty() || !QDir().mkpath(folder) || !QFileInfo(folder).isDir())
    throw FolderError(QStringLiteral("Cannot create ") + QDir::toNativeSeparators(folder));
  return folder;
}

}  // namespace net
