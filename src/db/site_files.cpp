// The embedded site's files as the process holds them: SQLite's locks kept on SQLite's own open
// file descriptions, the site folders open in this process, and the network file systems a site
// folder should not live on.
#include "db.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <fcntl.h>
#include <mutex>
#include <sqlite3.h>
#include <sys/vfs.h>

namespace db {

namespace {

using FcntlFn = int (*)(int, int, ...);
FcntlFn systemFcntl = nullptr;
// Cleared when the kernel does not know open-file-description locks (EINVAL): SQLite's own record
// locks are used then.
std::atomic<bool> descriptionLocks{false};

#if defined(F_OFD_SETLK)
int descriptionCommand(int cmd) {
  switch (cmd) {
    case F_SETLK: return F_OFD_SETLK;
    case F_SETLKW: return F_OFD_SETLKW;
    case F_GETLK: return F_OFD_GETLK;
    default: return 0;
  }
}

// SQLite's unix file system calls fcntl() for its record locks through this function. A record lock
// (F_SETLK) belongs to the process and is released when the process closes *any* descriptor of the
// file; an open-file-description lock (F_OFD_SETLK) belongs to SQLite's own descriptor and is
// released only when SQLite closes it. Both kinds see each other, so other processes, whichever
// kind they use, are locked out as before.
int fcntlWithDescriptionLocks(int fd, int cmd, ...) {
  const int ofd = descriptionCommand(cmd);
  va_list ap;
  va_start(ap, cmd);
  if (ofd == 0) {
    // The other commands SQLite gives (F_GETFD, F_SETFD) take an int.
    const int value = va_arg(ap, int);
    va_end(ap);
    return systemFcntl(fd, cmd, value);
  }
  auto* lock = va_arg(ap, struct flock*);
  va_end(ap);
  if (!descriptionLocks.load(std::memory_order_relaxed)) return systemFcntl(fd, cmd, lock);
  struct flock l = *lock;
  l.l_pid = 0;  // required by the description locks
  const int rc = systemFcntl(fd, ofd, &l);
  if (rc != 0 && errno == EINVAL) {
    // A kernel without them: record locks for this process from now on. Only the first call can
    // get here (SQLite holds no lock yet), so no description lock is left behind.
    descriptionLocks.store(false);
    return systemFcntl(fd, cmd, lock);
  }
  if (cmd == F_GETLK) {
    lock->l_type = l.l_type;
    lock->l_whence = l.l_whence;
    lock->l_start = l.l_start;
    lock->l_len = l.l_len;
    lock->l_pid = l.l_pid;
  }
  return rc;
}
#endif

QMutex& foldersMutex() {
  static QMutex m;
  return m;
}
QStringList& folders() {
  static QStringList f;
  return f;
}

std::function<QString(const QString&)>& fileSystemProbe() {
  static std::function<QString(const QString&)> probe;
  return probe;
}

}  // namespace

bool useDescriptionLocks() {
  static std::once_flag once;
  std::call_once(once, [] {
#if defined(F_OFD_SETLK)
    sqlite3_vfs* vfs = sqlite3_vfs_find("unix");
    if (!vfs || vfs->iVersion < 3 || !vfs->xGetSystemCall || !vfs->xSetSystemCall) return;
    systemFcntl = reinterpret_cast<FcntlFn>(vfs->xGetSystemCall(vfs, "fcntl"));
    if (!systemFcntl) return;
    descriptionLocks.store(true);
    // The unix file systems share one table of system calls: this serves every one of them.
    if (vfs->xSetSystemCall(vfs, "fcntl", reinterpret_cast<sqlite3_syscall_ptr>(&fcntlWithDescriptionLocks)) !=
        SQLITE_OK)
      descriptionLocks.store(false);
#endif
  });
  return descriptionLocks.load();
}

void noteEmbeddedSiteFolder(const QString& folder) {
  const QString path = QFileInfo(folder).canonicalFilePath();
  if (path.isEmpty()) return;
  QMutexLocker lock(&foldersMutex());
  if (!folders().contains(path)) folders() << path;
}

QStringList openEmbeddedSiteFolders() {
  QMutexLocker lock(&foldersMutex());
  return folders();
}

bool isEmbeddedSiteFolder(const QString& folder) {
  const QString path = QFileInfo(folder).canonicalFilePath();
  return !path.isEmpty() && openEmbeddedSiteFolders().contains(path);
}

QString networkFileSystemName(unsigned long fileSystemType) {
  switch (fileSystemType) {
    case 0x6969UL: return QStringLiteral("NFS");
    case 0x517BUL: return QStringLiteral("SMB");
    case 0xFF534D42UL: return QStringLiteral("CIFS");
    case 0xFE534D42UL: return QStringLiteral("SMB2");
    case 0x01021997UL: return QStringLiteral("9P");
    case 0x00C36400UL: return QStringLiteral("Ceph");
    case 0x6B414653UL: return QStringLiteral("AFS");
    case 0x47504653UL: return QStringLiteral("GPFS");
    case 0x0BD00BD0UL: return QStringLiteral("Lustre");
    default: return QString();
  }
}

QString networkFileSystemOf(const QString& folder) {
  if (fileSystemProbe()) return fileSystemProbe()(folder);
  struct statfs st {};
  const QByteArray path = QFile::encodeName(QFileInfo(folder).absoluteFilePath());
  if (statfs(path.constData(), &st) != 0) return QString();
  return networkFileSystemName(static_cast<unsigned long>(st.f_type));
}

std::function<QString(const QString&)> setNetworkFileSystemProbe(std::function<QString(const QString&)> probe) {
  auto previous = fileSystemProbe();
  fileSystemProbe() = std::move(probe);
  return previous;
}

}  // namespace db
