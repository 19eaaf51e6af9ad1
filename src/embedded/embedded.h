// The embedded server: a folder holding one SQLite file per database name (TALVIK_CONFIG and the
// company databases), served by the database client's embedded backend.
//
// install() must run once in every process that opens embedded databases (the program, the tools,
// the tests): it adds the open hook that registers the server functions on every new handle, and
// registers the server procedures. Calling it again does nothing.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

#include "db.h"
#include "functions.h"
#include "procedures.h"
#include "schema.h"

namespace embedded {

void install();

inline const char* kConfigDatabase = "TALVIK_CONFIG";

// The server name of an embedded server folder ("embedded:" + folder).
QString serverNameFor(const QString& folder);
// Sets the parameter lines of a connection to a database of an embedded server folder.
void setConnectionParams(db::Connection& conn, const QString& folder, const QString& databaseName, bool create = false);

// ---- Sites ----------------------------------------------------------------------------------
struct SiteOptions {
  bool demo = false;            // Thai demo data exercising every window
  int scale = 1;                // demo size: 1 small; 100 = 200,000 sales-order lines, 20,000 products
  bool replace = false;         // replace the databases of an existing site
  QString companyDatabase = QStringLiteral("DEMO");
  bool baseSchema = false;      // leave out the objects the program's own upgrade steps add
  QDateTime now;                // the moment the demo is built around; invalid: serverNow()
  std::function<void(const QString&)> progress;  // progress lines of long runs; may be empty
};

struct SiteInfo {
  QString folder;           // absolute path of the site folder
  QString serverName;       // "embedded:" + folder
  QString companyDatabase;  // upper-cased
};

// Creates a site in the folder (created when missing): TALVIK_CONFIG and the company database with
// their schema, the company, users, menu entries and rights, the Config row, the document-number
// counters, and with demo the demo data. Writes "Server.Dat" naming the folder ("embedded:.").
// An existing site is refused with a db::Error unless replace is set.
SiteInfo createSite(const QString& folder, const SiteOptions& options = {});

// Fills an open company database with the demo data (used by createSite).
void generateDemoData(db::Connection& company, const SiteOptions& options);

// The EAN-13 barcode of a demo product's unit: "885" + 6-digit product number + 3-digit unit number
// + check digit.
QString demoBarcode(int productNo, int unitNo);
// The EAN-13 check digit of 12 digits.
int ean13CheckDigit(const QString& twelveDigits);

}  // namespace embedded
