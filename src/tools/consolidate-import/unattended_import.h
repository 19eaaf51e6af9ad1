// consolidate-import: the web-order import of menu option 100 without a window, for cron, a
// systemd timer or the Windows Task Scheduler (docs/web-order-import.md).
//
//   consolidate-import (--site DIR | --server NAME) --database NAME --user ID
//                      (--zone CODE ... | --all-zones) [--date dd/mm/yyyy] [--no-consolidate]
//                      [--pdf DIR] [--json]
//
// Per zone it runs the import window's road (weborder::RunImportRoad): the order file requested
// from the order site and downloaded by FTP, its lines stored by the window's rules in one
// transaction, the zone's open sales orders stamped with one new consolidation number, and with
// --pdf the consolidation's load sheet printed by the print code "CONSOLIDAT" into DIR. After each
// commit the stored lines are acknowledged to the site three seconds apart; the program waits for
// the last acknowledgement before it ends. A failure of one zone leaves nothing of that zone stored
// and the other zones go on.
//
// Exit codes: 0 every line stored (or no order file), 2 some lines skipped (the report says
// which), 1 a failure of some zone (a download that failed, a file that is no order file, ...) or
// of the start (wrong arguments, unknown database, no right); with --json a refused start prints
// its error object too.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

namespace importtool {

struct Options {
  QString site;        // --site DIR: an embedded site folder (the program works in it)
  QString server;      // --server NAME: a database server name ("host", "host,port", "embedded:DIR")
  QString database;    // --database NAME: the company database
  int user = 0;        // --user ID: the user id the suite's menu passes
  QStringList zones;   // --zone CODE (repeatable)
  bool allZones = false;
  QDate date;          // --date: the date of the order files (invalid: the server's date)
  bool consolidate = true;
  QString pdfDir;      // --pdf DIR
  bool json = false;
  bool help = false;
};

// Reads the arguments (without the program name); false with the reason when they do not make a
// run.
bool ParseArguments(const QStringList& args, Options& options, QString& problem);
QString Usage();

// The whole run on an application object that exists; returns the exit code.
int Run(const Options& options);

// The JSON a refused start prints with --json: {"exitCode": 1, "error": why, "zones": [], ...}.
QByteArray JsonRefusal(const QString& why);

}  // namespace importtool
