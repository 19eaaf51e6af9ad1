#include "unattended_import.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <cstdio>
#include <memory>

#ifdef _WIN32
#include <io.h>
#define CONS_ISATTY _isatty
#define CONS_FILENO _fileno
#else
#include <unistd.h>
#define CONS_ISATTY isatty
#define CONS_FILENO fileno
#endif

#include "config_module.h"
#include "data_module.h"
#include "document_print_dialog.h"
#include "report/export.h"
#include "error_reporter.h"
#include "import_settings.h"
#include "net/http.h"
#include "order_acknowledgements.h"
#include "order_file.h"
#include "prompts.h"
#include "report/print_files.h"
#include "startup.h"
#include "textutil/dates.h"
#include "web_order_import_sql.h"
#include "zone_import.h"

namespace importtool {

namespace {

constexpr int kMenuOption = 100;

// ---- Output ------------------------------------------------------------------------------------

// The human side of the output: a progress line rewritten in place on a terminal, plain lines
// otherwise. With --json it goes to the error stream, the summary alone to the output stream.
class Console {
 public:
  explicit Console(bool toStderr) : file_(toStderr ? stderr : stdout), terminal_(CONS_ISATTY(CONS_FILENO(file_)) != 0) {}

  bool terminal() const { return terminal_; }

  // Rewrites the progress line (a terminal only, at most every 100 ms unless forced).
  void progress(const QString& text, bool force = false) {
    if (!terminal_) return;
    if (!force && clock_.isValid() && clock_.elapsed() < 100) return;
    clock_.start();
    write("\r\x1b[K" + text.toUtf8());
    open_ = true;
  }
  // A line of its own (the progress line is cleared first).
  void line(const QString& text) {
    endProgress();
    write(text.toUtf8() + '\n');
  }
  void endProgress() {
    if (!open_) return;
    write("\r\x1b[K");
    open_ = false;
  }

 private:
  void write(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file_);
    std::fflush(file_);
  }
  FILE* file_;
  bool terminal_;
  bool open_ = false;
  QElapsedTimer clock_;
};

void errorLine(Console& console, const QString& text) {
  console.endProgress();
  const QByteArray bytes = text.toUtf8() + '\n';
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
  std::fflush(stderr);
}

// The boxes the start-up and the print road would show, written as lines on the error stream;
// questions are answered No (no one is there to answer them).
class ConsolePrompts : public prompts::Prompts {
 public:
  explicit ConsolePrompts(Console& console) : console_(console) {}
  void message(const QString& text, prompts::Style, const QString&) override {
    errorLine(console_, text.simplified());
    shown << text.simplified();
  }
  bool confirm(const QString& text, prompts::Style, const QString&) override {
    errorLine(console_, text.simplified() + QStringLiteral(" : No"));
    shown << text.simplified() + QStringLiteral(" : No");
    return false;
  }
  QStringList shown;  // every box, in order (a refused start says why in them)

 private:
  Console& console_;
};

// The text of a failure, with its Thai explanation when the program knows one.
QString failureText(const QString& message) {
  const QString thai = data::ExplainError(message);
  return thai.isEmpty() ? message : message + QStringLiteral(" (") + thai + QLatin1Char(')');
}

// "1 acknowledgement", "2 acknowledgements".
QString counted(qint64 n, const char* noun) {
  return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(noun)).arg(n == 1 ? QString() : QStringLiteral("s"));
}

// ---- One zone ------------------------------------------------------------------------------------

struct ZoneRun {
  QString code;
  QString description;
  QString fileDate;
  weborder::FetchOutcome fetch;
  bool stored = false;  // the order file's lines went through the storing
  weborder::ImportResult import;
  QString consoNo;
  int ordersStamped = 0;
  QString pdf;
  QString failure;

  int exitCode() const {
    if (!failure.isEmpty()) return 1;
    return import.skipped.isEmpty() ? 0 : 2;
  }
  QString outcome() const {
    if (!failure.isEmpty()) return QStringLiteral("failed");
    if (!import.skipped.isEmpty()) return QStringLiteral("skipped");
    if (!fetch.found) return QStringLiteral("no-order-file");
    return QStringLiteral("stored");
  }
};

// How much of the skipped lines the report and the JSON show (the file beside the order file
// lists them all).
constexpr int kReasonsListed = 20;
constexpr int kExamplesPerReason = 5;

QJsonArray ids(const QList<qint64>& list) {
  QJsonArray a;
  for (qint64 id : list) a.append(double(id));
  return a;
}

QJsonObject toJson(const ZoneRun& z) {
  QJsonObject o;
  o[QStringLiteral("zone")] = z.code;
  o[QStringLiteral("description")] = z.description;
  o[QStringLiteral("outcome")] = z.outcome();
  o[QStringLiteral("exitCode")] = z.exitCode();
  o[QStringLiteral("file")] = z.fetch.baseName;
  o[QStringLiteral("orderFileFound")] = z.fetch.found;
  o[QStringLiteral("lines")] = z.import.lines;
  o[QStringLiteral("stored")] = ids(z.import.stored);
  o[QStringLiteral("storedBefore")] = ids(z.import.alreadyStored);
  // The skipped lines by reason with their first examples; the file beside the order file lists
  // them all.
  o[QStringLiteral("skipped")] = int(z.import.skipped.size());
  QJsonArray reasons;
  for (const weborder::SkippedGroup& g : z.import.skippedByReason(kExamplesPerReason)) {
    QJsonObject r;
    r[QStringLiteral("reason")] = g.reason;
    r[QStringLiteral("count")] = g.count;
    QJsonArray examples;
    for (const weborder::SkippedLine& s : g.examples) {
      QJsonObject l;
      l[QStringLiteral("id")] = double(s.webId);
      l[QStringLiteral("orderNo")] = s.orderNo;
      l[QStringLiteral("barcode")] = s.barcode;
      examples.append(l);
    }
    r[QStringLiteral("examples")] = examples;
    reasons.append(r);
  }
  o[QStringLiteral("skippedByReason")] = reasons;
  o[QStringLiteral("skippedFile")] = z.import.skippedFile;
  // New lines that joined sales orders consolidated before: their load sheets lack them.
  QJsonArray joined;
  for (const weborder::JoinedConsolidation& j : z.import.joinedConsolidated) {
    QJsonObject c;
    c[QStringLiteral("consolidation")] = j.consoNo;
    c[QStringLiteral("lines")] = j.lines;
    c[QStringLiteral("orders")] = QJsonArray::fromStringList(j.orderNos);
    c[QStringLiteral("salesOrders")] = QJsonArray::fromStringList(j.soNos);
    c[QStringLiteral("printAgain")] = true;
    joined.append(c);
  }
  o[QStringLiteral("joinedConsolidated")] = joined;
  o[QStringLiteral("headersCreated")] = z.import.headersCreated;
  o[QStringLiteral("consolidation")] = z.consoNo;
  o[QStringLiteral("ordersStamped")] = z.ordersStamped;
  o[QStringLiteral("pdf")] = z.pdf;
  o[QStringLiteral("error")] = z.failure;
  return o;
}

// A file name made of a code: letters, digits, "-" and "_" kept, anything else "_".
QString fileNamePart(const QString& text) {
  QString out;
  for (const QChar c : text.trimmed()) out += (c.isLetterOrNumber() || c == QLatin1Char('-')) && c.unicode() < 128 ? c : QLatin1Char('_');
  return out.isEmpty() ? QStringLiteral("_") : out;
}

class Runner {
 public:
  Runner(const Options& o, Console& console)
      : o_(o), console_(console), acknowledge_(http_, [this](qint64 id) { return settings_.acknowledgeUrl(id); }) {
    QObject::connect(&acknowledge_, &weborder::Acknowledger::progress, [this](int, int) { showProgress(); });
  }

  int run(const QStringList& zoneCodes, const QHash<QString, QPair<QString, QString>>& zones) {
    for (const QString& code : zoneCodes) {
      ZoneRun z;
      z.code = code;
      const auto known = zones.constFind(code.toUpper());
      if (known == zones.constEnd()) {
        z.failure = QStringLiteral("zone %1 not found (Misc, group ZONE)").arg(code);
      } else {
        z.description = known->second;
        z.fileDate = o_.date.isValid() ? textutil::dateToCompactText(o_.date) : fileDate_;
        runZone(z);
      }
      if (!z.failure.isEmpty()) {
        errorLine(console_, QStringLiteral("%1: %2").arg(z.code, failureText(z.failure)));
        logError(z);
      }
      weborder::RecordImportRun(weborder::ImportRunRemark(z.code, z.fetch, z.stored ? &z.import : nullptr, z.consoNo, z.failure));
      runs_.push_back(z);
      if (!console_.terminal()) plainSummary(z);
      // Acknowledgements that came due while the zone was worked on go out now.
      QCoreApplication::processEvents();
    }
    waitForAcknowledgements();
    return report();
  }

  void setFileDate(const QString& d) { fileDate_ = d; }

 private:
  void runZone(ZoneRun& z) {
    current_ = &z;
    linesSeen_ = 0;
    weborder::ImportRoad road;
    road.status = [this, &z](const QString& text) {
      status_ = text;
      showProgress(true);
      if (!console_.terminal()) console_.line(z.code + QStringLiteral(": ") + text.trimmed());
    };
    road.load = [this, &z](const QString& file) {
      z.import = weborder::StoreOrderFile(
          DM->DMdata, file, [](const QString& code, const QDate& date) { return DM->NewDocumentNo(code, date); },
          [this](const weborder::OrderLine& l) {
            ++linesSeen_;
            status_ = QStringLiteral("Status : Load OrderNo : ") + l.orderNo + QStringLiteral(" Barcode : ") + l.barcode;
            showProgress();
          },
          weborder::DocumentNumberBatches(DM->DMdata, [](const QString& code, const QDate& date) { return DM->NewDocumentNo(code, date); }));
      z.stored = true;
      storedAll_ += int(z.import.stored.size());
      // Committed: now the site may learn which lines arrived.
      acknowledge_.enqueue(z.import.toAcknowledge());
    };
    if (o_.consolidate)
      road.consolidate = [&z] {
        z.consoNo = weborder::ConsolidateZone(
            DM->DMdata, z.code, [] { return DM->NewDocumentNo(QStringLiteral("CONSOLIDAT"), DM->ServerTime()); },
            &z.ordersStamped);
      };
    try {
      z.fetch = weborder::RunImportRoad(DM->DMdata, http_, z.code, z.fileDate, road, &settings_);
      if (!o_.pdfDir.isEmpty() && !z.consoNo.isEmpty()) printPdf(z);
      // The lines are stored; the list of the skipped ones is a file the run writes like any other.
      if (!z.import.skippedFileError.isEmpty())
        z.failure = QStringLiteral("the list of the skipped lines was not written: ") + z.import.skippedFileError;
    } catch (...) {
      z.failure = data::ErrorMessageOf(std::current_exception());
      if (z.failure.isEmpty()) z.failure = QStringLiteral("unknown failure");
    }
    current_ = nullptr;
    status_.clear();
  }

  // The load sheet of the consolidation, by the print road of the window's print dialog.
  void printPdf(ZoneRun& z) {
    const QString named = QDir(o_.pdfDir).filePath(fileNamePart(z.code) + QLatin1Char('_') + fileNamePart(z.consoNo) + QStringLiteral(".pdf"));
    // A file that exists is never replaced: the sheet goes to the next free name, and the run says so.
    const QString path = report::freeFileName(named);
    if (path != named) console_.line(QStringLiteral("%1: %2 exists and is kept; the load sheet is written to %3").arg(z.code, named, path));
    TFrDocPrintForm& print = TFrDocPrintForm::Instance();
    print.DocNo = z.consoNo;
    print.DocYear = 1977;
    print.PrintCode = QStringLiteral("CONSOLIDAT");
    bool printed = false;
    try {
      printed = print.PrintToPdf(path);
    } catch (const report::FileWriteError& e) {
      // The consolidation is committed: the message says which load sheet is still to be printed.
      throw std::runtime_error(QStringLiteral("the load sheet of %1 was not printed (print code CONSOLIDAT): %2")
                                   .arg(z.consoNo, e.message())
                                   .toStdString());
    }
    if (!printed)
      throw std::runtime_error(QStringLiteral("the load sheet of %1 was not printed (print code CONSOLIDAT): %2")
                                   .arg(z.consoNo, path)
                                   .toStdString());
    z.pdf = path;
    if (!console_.terminal()) console_.line(QStringLiteral("%1: PDF %2").arg(z.code, path));
  }

  void logError(const ZoneRun& z) {
    if (!DMConfig) return;
    try {
      DMConfig->AddErrorLog(QStringLiteral("consolidate-import %1: %2").arg(z.code, z.failure));
    } catch (...) {
    }
  }

  void showProgress(bool force = false) {
    QString text;
    if (current_) text = current_->code + QStringLiteral(": ");
    if (current_ && linesSeen_ > 0 && !current_->stored) text += QStringLiteral("line %1, ").arg(linesSeen_);
    text += QStringLiteral("stored %1, acknowledged %2 of %3").arg(storedAll_).arg(acknowledge_.succeeded()).arg(acknowledge_.total());
    if (acknowledge_.failed() > 0) text += QStringLiteral(" (%1 failed)").arg(acknowledge_.failed());
    if (!status_.isEmpty()) text += QStringLiteral(" | ") + status_.trimmed();
    console_.progress(text, force);
  }

  void plainSummary(const ZoneRun& z) {
    if (!z.failure.isEmpty()) return;
    QString text = z.code + QStringLiteral(": ");
    if (z.stored)
      text += QStringLiteral("stored %1, stored before %2, skipped %3")
                  .arg(z.import.stored.size())
                  .arg(z.import.alreadyStored.size())
                  .arg(z.import.skipped.size());
    else
      text += QStringLiteral("no order file");
    if (o_.consolidate) text += z.consoNo.isEmpty() ? QStringLiteral(", nothing to consolidate") : QStringLiteral(", consolidation ") + z.consoNo;
    console_.line(text);
  }

  // Runs the event loop until every acknowledgement is sent and answered, then waits for the
  // requests.
  void waitForAcknowledgements() {
    if (acknowledge_.busy()) {
      if (!console_.terminal())
        console_.line(QStringLiteral("waiting for the order site to take %1 (%2 sent so far, one every %3 seconds)")
                          .arg(counted(acknowledge_.total(), "acknowledgement"))
                          .arg(acknowledge_.sent())
                          .arg(weborder::Acknowledger::kPacingMs / 1000));
      QEventLoop loop;
      QObject::connect(&acknowledge_, &weborder::Acknowledger::finished, &loop, &QEventLoop::quit);
      if (acknowledge_.busy()) loop.exec();
    }
    showProgress(true);
    http_.waitForDone();
    console_.endProgress();
  }

  int report() {
    int code = 0;
    for (const ZoneRun& z : runs_) {
      const int c = z.exitCode();
      if (c == 1 || (c == 2 && code == 0)) code = c;
    }

    for (const ZoneRun& z : runs_) {
      QString head = z.code;
      if (!z.description.isEmpty()) head += QStringLiteral(" ") + z.description;
      if (!z.fetch.baseName.isEmpty()) head += QStringLiteral(" (") + z.fetch.baseName + QLatin1Char(')');
      console_.line(head);
      if (!z.failure.isEmpty()) {
        console_.line(QStringLiteral("  failed: ") + failureText(z.failure));
        if (!z.stored) console_.line(QStringLiteral("  nothing of this zone was stored"));
      }
      if (z.failure.isEmpty() && !z.fetch.found) console_.line(QStringLiteral("  ") + weborder::StatusNoOrderFile());
      if (z.stored)
        for (const QString& l : z.import.reportLines(kReasonsListed, kExamplesPerReason)) console_.line(QStringLiteral("  ") + l);
      if (o_.consolidate && (z.failure.isEmpty() || !z.consoNo.isEmpty()))
        console_.line(z.consoNo.isEmpty() ? QStringLiteral("  consolidation: none (no open sales order in the zone)")
                                          : QStringLiteral("  consolidation: %1 (%2 sales orders)").arg(z.consoNo).arg(z.ordersStamped));
      if (!z.pdf.isEmpty()) console_.line(QStringLiteral("  PDF: ") + z.pdf);
    }
    // Counted is what the site answered with success.
    const int failed = acknowledge_.failed();
    QString acks = QStringLiteral("acknowledgements: %1 of %2 taken by the order site")
                       .arg(acknowledge_.succeeded())
                       .arg(acknowledge_.total());
    if (failed > 0)
      acks += QStringLiteral("; %1 failed (the site keeps those lines pending; the next import tells it again)")
                  .arg(failed);
    console_.line(acks);

    if (o_.json) {
      QJsonObject root;
      QJsonArray zones;
      for (const ZoneRun& z : runs_) zones.append(toJson(z));
      root[QStringLiteral("zones")] = zones;
      root[QStringLiteral("acknowledgements")] = acknowledge_.total();
      root[QStringLiteral("acknowledgementsSent")] = acknowledge_.succeeded();
      root[QStringLiteral("acknowledgementsFailed")] = acknowledge_.failed();
      root[QStringLiteral("exitCode")] = code;
      const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
      std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
      std::fflush(stdout);
    }
    return code;
  }

  const Options& o_;
  Console& console_;
  net::BackgroundGet http_;
  weborder::WebOrderSettings settings_;
  weborder::Acknowledger acknowledge_;
  QVector<ZoneRun> runs_;
  ZoneRun* current_ = nullptr;
  QString status_;
  QString fileDate_;
  int linesSeen_ = 0;
  int storedAll_ = 0;
};

// The menu entry of the import (the lowest entry of menu option 100), read before the start-up
// needs it; 0 when there is none.
int importMenuId(const QString& serverName) {
  db::Connection cfg(QStringLiteral("ImportMenu"));
  cfg.params = TDMConfig::ConnectionParams(QStringLiteral("TALVIK_CONFIG"), serverName);
  db::Params p;
  p.setInt(QStringLiteral("Option"), kMenuOption);
  const db::Result r = cfg.select(QStringLiteral("Select Min(Id) Id From Menu Where MenuOption = :Option"), p);
  return r.isEmpty() ? 0 : int(r.asInt(QStringLiteral("Id")));
}

}  // namespace

QByteArray JsonRefusal(const QString& error) {
  QJsonObject root;
  root[QStringLiteral("exitCode")] = 1;
  root[QStringLiteral("error")] = error;
  root[QStringLiteral("zones")] = QJsonArray();
  root[QStringLiteral("acknowledgements")] = 0;
  root[QStringLiteral("acknowledgementsSent")] = 0;
  root[QStringLiteral("acknowledgementsFailed")] = 0;
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString Usage() {
  return QStringLiteral(
      "usage: consolidate-import (--site DIR | --server NAME) --database NAME --user ID\n"
      "                          (--zone CODE ... | --all-zones) [--date dd/mm/yyyy]\n"
      "                          [--no-consolidate] [--pdf DIR] [--json]\n"
      "exit codes: 0 all stored, 2 some lines skipped, 1 a failure\n");
}

bool ParseArguments(const QStringList& args, Options& o, QString& problem) {
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const auto value = [&](QString& target) {
      if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--"))) {
        problem = QStringLiteral("%1 needs a value").arg(a);
        return false;
      }
      target = args[++i];
      return true;
    };
    QString v;
    if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
      o.help = true;
      return true;
    } else if (a == QLatin1String("--site")) {
      if (!value(o.site)) return false;
    } else if (a == QLatin1String("--server")) {
      if (!value(o.server)) return false;
    } else if (a == QLatin1String("--database")) {
      if (!value(o.database)) return false;
    } else if (a == QLatin1String("--user")) {
      if (!value(v)) return false;
      const std::optional<int> id = textutil::tryTextToInt(v.trimmed());
      if (!id || *id <= 0) {
        problem = QStringLiteral("--user takes the user's id (a whole number above 0), not '%1'").arg(v);
        return false;
      }
      o.user = *id;
    } else if (a == QLatin1String("--zone")) {
      if (!value(v)) return false;
      if (v.trimmed().isEmpty()) {
        problem = QStringLiteral("--zone needs a zone code");
        return false;
      }
      if (!o.zones.contains(v.trimmed(), Qt::CaseInsensitive)) o.zones << v.trimmed();
    } else if (a == QLatin1String("--all-zones")) {
      o.allZones = true;
    } else if (a == QLatin1String("--date")) {
      if (!value(v)) return false;
      const std::optional<QDate> d = textutil::tryTextToDate(v);
      if (!d) {
        problem = QStringLiteral("--date takes a date dd/mm/yyyy, not '%1'").arg(v);
        return false;
      }
      o.date = *d;
    } else if (a == QLatin1String("--no-consolidate")) {
      o.consolidate = false;
    } else if (a == QLatin1String("--pdf")) {
      if (!value(o.pdfDir)) return false;
    } else if (a == QLatin1String("--json")) {
      o.json = true;
    } else {
      problem = QStringLiteral("unknown argument '%1'").arg(a);
      return false;
    }
  }
  if (o.site.isEmpty() == o.server.isEmpty()) {
    problem = QStringLiteral("give either --site DIR or --server NAME");
    return false;
  }
  if (o.database.trimmed().isEmpty()) {
    problem = QStringLiteral("--database NAME is needed");
    return false;
  }
  if (o.user <= 0) {
    problem = QStringLiteral("--user ID is needed");
    return false;
  }
  if (o.zones.isEmpty() == !o.allZones) {
    problem = QStringLiteral("give either --zone CODE (one or more) or --all-zones");
    return false;
  }
  if (!o.pdfDir.isEmpty() && !o.consolidate) {
    problem = QStringLiteral("--pdf prints the consolidation: it cannot go with --no-consolidate");
    return false;
  }
  return true;
}

int Run(const Options& given) {
  Options o = given;
  // The boxes and the error handler below keep writing through it until the process ends.
  static Console console(o.json);
  auto boxes = std::make_shared<ConsolePrompts>(console);
  prompts::install(boxes);
  // A start refused: the reason on the error stream, and with --json the error object on the
  // output stream, as for a run.
  const auto refuse = [&o](const QString& why) {
    errorLine(console, why);
    if (o.json) {
      const QByteArray bytes = JsonRefusal(why);
      std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
      std::fflush(stdout);
    }
    return 1;
  };

  // Folders named relative to where the program was started, before it moves into the site.
  if (!o.pdfDir.isEmpty()) {
    o.pdfDir = QDir(o.pdfDir).absolutePath();
    if (!QDir().mkpath(o.pdfDir)) return refuse(QStringLiteral("Cannot create ") + o.pdfDir);
  }
  QString serverName = o.server;
  if (!o.site.isEmpty()) {
    const QFileInfo site(o.site);
    if (!site.isDir()) return refuse(QStringLiteral("The site folder %1 does not exist").arg(o.site));
    // The site's report templates sit beside its data, where the program runs.
    serverName = QStringLiteral("embedded:") + site.absoluteFilePath();
    QDir::setCurrent(site.absoluteFilePath());
  }
  data::SetServerNameOverride(serverName);

  int menuId = 0;
  try {
    menuId = importMenuId(serverName);
  } catch (...) {
    return refuse(failureText(data::ErrorMessageOf(std::current_exception())));
  }
  if (menuId <= 0) return refuse(QStringLiteral("No menu entry of option %1 in TALVIK_CONFIG.Menu").arg(kMenuOption));

  const QDate workDate = o.date.isValid() ? o.date : QDate::currentDate();
  launch::Startup startup({QString::number(menuId), QString::number(o.user), o.database, QStringLiteral("-"),
                           QString::number(kMenuOption), textutil::dateToText(workDate)});
  launch::StartOptions start;
  start.showSplash = false;
  start.dispatch = false;
  if (startup.Run(start) != launch::Outcome::Ready) {
    // The start-up wrote its reason as boxes; the JSON carries them.
    if (!o.json) return 1;
    QString why = boxes->shown.join(QLatin1Char('\n'));
    if (why.isEmpty()) why = startup.FailureText();
    if (why.isEmpty()) why = QStringLiteral("the start-up was refused");
    const QByteArray bytes = JsonRefusal(why);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
    return 1;
  }

  // An error that reaches the error handler (none should) is written and logged, never shown.
  data::SetExceptionHandler([](QObject*, std::exception_ptr error) {
    const QString text = data::ErrorMessageOf(error);
    errorLine(console, failureText(text));
    try {
      if (DMConfig) DMConfig->AddErrorLog(text);
    } catch (...) {
    }
  });

  Runner runner(o, console);
  QStringList zoneCodes;
  QHash<QString, QPair<QString, QString>> zones;  // upper-cased code -> code, description
  try {
    weborder::RunImportUpgrade(DM->DMdata);
    db::Result z = DM->DMdata.select(weborder::sql::QZone.pick(DM->DMdata.dialect()));
    for (z.first(); !z.eof(); z.next()) {
      const QString code = z.asString(QStringLiteral("Code")).trimmed();
      zones.insert(code.toUpper(), {code, z.asString(QStringLiteral("Description")).trimmed()});
      if (o.allZones) zoneCodes << code;
      runner.setFileDate(z.asString(QStringLiteral("FileDate")).trimmed());
    }
  } catch (...) {
    return refuse(failureText(data::ErrorMessageOf(std::current_exception())));
  }
  if (!o.allZones)
    for (const QString& code : o.zones) zoneCodes << (zones.contains(code.toUpper()) ? zones.value(code.toUpper()).first : code);
  if (zoneCodes.isEmpty()) return refuse(QStringLiteral("The company has no zones (Misc, group ZONE)"));
  const int code = runner.run(zoneCodes, zones);
  TFrDocPrintForm::ReleaseInstance();
  return code;
}

}  // namespace importtool
