// WebOrderSettings: where the web-order import finds the order web server, and the addresses it uses there.
//
// The server is a setting of the installation, kept in the company's Config row (columns added by
// the import window's schema upgrade, see docs/web-order-import.md):
//
//   WebOrderHost         host name or address of the order web server (HTTP and FTP); required
//   WebOrderHttpPort     HTTP port; empty or 0: 80
//   WebOrderFtpPort      FTP port; empty or 0: 21
//   WebOrderFtpUser      FTP user; empty: "varnotek"
//   WebOrderFtpPassword  FTP password; empty: the password the order site was set up with
//
// The FTP connection uses passive mode.
#pragma once

#include <QDate>
#include <QString>
#include <QVector>

#include "schema_upgrade.h"
#include "db.h"
#include "net/ftp.h"

namespace weborder {

struct WebOrderSettings {
  QString host;
  int httpPort = 80;
  int ftpPort = 21;
  QString ftpUser = QStringLiteral("varnotek");
  QString ftpPassword = QStringLiteral("quenmarl");

  bool hasHost() const { return !host.trimmed().isEmpty(); }

  // "http://host[:port]/weborder/weborderxml.php?filename=<base>&zone=<zone>"
  QString fileRequestUrl(const QString& baseName, const QString& zoneCode) const;
  // "http://host[:port]/weborder/upordertransfer.php?Id=<id>&Transfer=Y"
  QString acknowledgeUrl(qint64 webOrderId) const;
  // Host, port, user, password and passive mode of the download.
  net::FtpSettings ftp() const;
};

// The settings stored in the Config row of the connection's company database (defaults for the
// empty ones). The Config columns must exist (ImportUpgradeSteps adds them).
WebOrderSettings ReadWebOrderSettings(db::Connection& conn);
// Stores the settings in the Config row (tests, installation scripts).
void WriteWebOrderSettings(db::Connection& conn, const WebOrderSettings& settings);

// The base name of a zone's order file: zone code, "_", date as yyyymmdd ("Z01_20160305"). The
// name goes into a local path and an FTP path: a zone code holding "/", "\", ".." or a control
// character would name another folder, and is refused (std::runtime_error naming the code) before
// anything is fetched.
QString OrderFileBaseName(const QString& zoneCode, const QString& fileDate);
// The order file on the FTP server, relative to the login folder.
QString RemoteOrderFile(const QString& baseName);

// The schema upgrade the import window runs when it opens: the columns the import writes
// (SoHd.ConsoNo, SoHd.ConsoDate, SoDt.WebOrderId, IvHd.BoxNoId), the index that finds a stored
// web order line by its WebOrderId, and the server settings in Config.
QVector<data::UpgradeStep> ImportUpgradeSteps();
// Runs those steps on the connection (no transaction).
void RunImportUpgrade(db::Connection& conn);

}  // namespace weborder
