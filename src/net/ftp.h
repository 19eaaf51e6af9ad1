// FTP download of one remote file to a local path.
#pragma once

#include <QString>

namespace net {

struct FtpSettings {
  QString host;
  int port = 21;
  QString user;
  QString password;
  bool passive = true;            // passive mode (the client opens the data connection)
  int connectTimeoutMs = 15000;   // reaching the server
  int responseTimeoutMs = 30000;  // each answer of the server
  int stallTimeoutMs = 30000;     // a transfer that receives nothing for this long fails
};

struct FtpResult {
  enum class Stage {
    None,      // downloaded
    Connect,   // the server could not be reached or refused the login
    NotFound,  // the server answered that the file does not exist
    Transfer,  // connected, but the transfer failed: cut off (426, the connection lost before 226),
               // shorter than the size the server announced, refused otherwise, or the local file
               // could not be written
  };
  bool ok = false;
  Stage stage = Stage::None;
  QString message;  // curl's message (or the local file's) on failure
  qint64 bytes = 0;
};

// Downloads `remotePath` (relative to the login folder; a leading "/" makes it absolute) into
// `localPath`. The local file is replaced only when the whole file arrived: every byte of the size
// the server announced (its answer to SIZE, or the "(n bytes)" of its 150 reply), and the server's
// 226 after them. A failed or partial download leaves no file behind and an older local file
// untouched. Never raises.
FtpResult ftpDownload(const FtpSettings& settings, const QString& remotePath, const QString& localPath);

}  // namespace net
