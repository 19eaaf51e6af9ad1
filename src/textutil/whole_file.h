// Files written whole or not at all: the bytes go to a temporary file in the file's own folder,
// which is flushed and synced to the disk and only then takes the file's name, replacing the file
// of before in one step. A full disk, a write, flush or sync error, or a process killed in the middle
// leave the file as it was (still missing, or still holding what it held).
//
//   QString why;
//   if (!textutil::WriteWholeFile(path, bytes, &why)) throw SomeError(path + ": " + why);
#pragma once

#include <QByteArray>
#include <QString>

namespace textutil {

// False when the file could not be written, with the system's reason in `reason`.
bool WriteWholeFile(const QString& path, const QByteArray& data, QString* reason = nullptr);

}  // namespace textutil
