// The road of Load / Consolidate for one zone, without a window: the request that has the order
// site produce the zone's order file, its FTP download into the desktop folder "LoadXML", the
// storing of its lines, and the consolidation. The import window (menu option 100) and the
// unattended consolidate-import both run it; each supplies its own status line and its own
// storing and consolidating handlers, and prints afterwards in its own way.
//
//   weborder::ImportRoad road;
//   road.status = [](const QString& s) { ... };
//   road.load = [](const QString& localFile) { ... StoreOrderFile(...) ... };
//   road.consolidate = [] { ... ConsolidateZone(...) ... };   // left empty: no consolidation
//   const weborder::FetchOutcome got = weborder::RunImportRoad(conn, http, "Z01", "20160305", road, &settings);
//
// A failure (no order web server set, a download folder that cannot be made, a server that cannot
// be reached or refuses the login, a download that failed, or a failure of a handler) is raised and
// ends the road there. A file the server says it does not have is no failure: the status says so,
// nothing is stored, and the zone is still consolidated. A download cut off (426, the connection
// lost before 226), shorter than the size the server announced, or a local file that cannot be
// written (a full disk) is a failure: nothing of the zone is stored or consolidated.
#pragma once

#include <QString>
#include <functional>

#include "db.h"
#include "import_settings.h"
#include "order_file.h"

namespace net {
class BackgroundGet;
}

namespace weborder {

struct ImportRoad {
  std::function<void(const QString& status)> status;
  std::function<void(const QString& localFile)> load;
  std::function<void()> consolidate;
};

struct FetchOutcome {
  QString baseName;   // "Z01_20160305"
  QString localFile;  // the downloaded file
  bool found = false; // the site had the file and it arrived whole
  QString message;    // why it was not found (the FTP client's text)
};

// The status texts of the road.
QString StatusNoOrderFile();  // "Status : ไม่พบ ข้อมูลของ Order"
// The failure of a download of the order file `fileName`, with the client's reason.
QString OrderFileDownloadFailure(const QString& fileName, const QString& why);

// Runs the road for the zone (code) and the file date (yyyymmdd). `settings` receives the order
// web server's settings read at the start (the acknowledgements are made from them).
FetchOutcome RunImportRoad(db::Connection& conn, net::BackgroundGet& http, const QString& zoneCode,
                           const QString& fileDate, const ImportRoad& road, WebOrderSettings* settings = nullptr);

// Reads the order file and stores its lines in one transaction (OrderImporter), numbering new
// sales orders with `numbers` (or `batch`, many at once: see OrderImporter); `onLine` is told of
// each line before it is stored. After the commit the skipped lines are listed in a file beside
// the order file (WriteSkippedList).
ImportResult StoreOrderFile(db::Connection& conn, const QString& file, NumberSource numbers,
                            const std::function<void(const OrderLine&)>& onLine = {}, NumberBatchSource batch = {});

// The activity-log entry of one run of the road, for the signed-in user and the menu entry of the
// import (the data module's UserAddLog, function 0, document 0): zone, file, counts of lines stored,
// stored before and skipped, and the consolidation number or the failure. At most 200 characters.
QString ImportRunRemark(const QString& zoneCode, const FetchOutcome& fetch, const ImportResult* stored,
                        const QString& consoNo, const QString& failure = QString());
// Writes that entry; a failure to write it is ignored (the run itself is done).
void RecordImportRun(const QString& remark);

}  // namespace weborder
