// Code page 874 (TIS-620 with the Windows-874 additions), the single-byte Thai code page of the
// company databases and of text exports that ask for it.
//
// Bytes 0x00-0x7F are ASCII; 0xA0 is the no-break space; 0xA1-0xDA and 0xDF-0xFB are the Thai
// letters, vowels, tone marks and digits U+0E01-U+0E3A and U+0E3F-U+0E5B; 0x80, 0x85 and 0x91-0x97
// are the euro sign, the ellipsis, quotes, the bullet and the dashes. The other bytes are unused.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace textutil {

// Each character that code page 874 cannot hold becomes `replacement`.
QByteArray encodeCp874(const QString& text, char replacement = '?');
// Nothing when a character cannot be held.
std::optional<QByteArray> tryEncodeCp874(const QString& text);
// Unused bytes become U+FFFD.
QString decodeCp874(const QByteArray& bytes);

// Whether `name` names this code page ("TIS-620", "windows-874", "CP874", "ISO-8859-11", ...).
bool isCp874Name(const QString& name);

}  // namespace textutil
