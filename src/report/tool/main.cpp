// consolidate-report: renders a report template without a window, or evaluates expressions.
//
//   consolidate-report render TEMPLATE --site DIR --database NAME [--var Name=expression ...]
//                      (--pdf FILE | --text FILE | --csv FILE | --png FILE)
//   consolidate-report eval [--site DIR --database NAME] [--var Name=expression ...] EXPRESSION ...
//
// render never replaces a file: when the output file exists, it writes "name (2).pdf" (the next
// free name) instead and says so on the error output.
// eval prints one line per expression: numbers unformatted, dates "dd/mm/yyyy" followed by
// " hh:nn:ss" when the time is not midnight, truth values True/False, texts as they are.
// Exit status: 0 done, 1 a template, database or expression failed, 2 wrong arguments.
#include "db/db.h"
#include "report/function_library_registry.h"
#include "report/export.h"
#include "report/print_files.h"
#include "report/report.h"
#include "report/tool_hooks.h"

#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <memory>

namespace {

QTextStream& out() {
  static QTextStream s(stdout);
  return s;
}

QTextStream& err() {
  static QTextStream s(stderr);
  return s;
}

int usage(const QString& problem) {
  if (!problem.isEmpty()) err() << "consolidate-report: " << problem << "\n";
  err() << "usage:\n"
           "  consolidate-report render TEMPLATE --site DIR --database NAME [--var Name=expression ...]\n"
           "                     (--pdf FILE | --text FILE | --csv FILE | --png FILE)\n"
           "  consolidate-report eval [--site DIR --database NAME] [--var Name=expression ...] EXPRESSION ...\n";
  err().flush();
  return 2;
}

struct Options {
  QString command, templ, site, database, pdf, text, csv, png;
  QVector<QPair<QString, QString>> vars;
  QStringList expressions;
};

bool parse(const QStringList& args, Options& o, QString& problem) {
  if (args.size() < 2) { problem = QStringLiteral("a command is needed"); return false; }
  o.command = args[1];
  if (o.command != QLatin1String("render") && o.command != QLatin1String("eval")) {
    problem = QStringLiteral("unknown command '%1'").arg(o.command);
    return false;
  }
  for (int i = 2; i < args.size(); ++i) {
    const QString& a = args[i];
    const auto value = [&](QString& target) {
      if (i + 1 >= args.size()) { problem = QStringLiteral("%1 needs a value").arg(a); return false; }
      target = args[++i];
      return true;
    };
    if (a == QLatin1String("--site")) { if (!value(o.site)) return false; }
    else if (a == QLatin1String("--database")) { if (!value(o.database)) return false; }
    else if (a == QLatin1String("--pdf")) { if (!value(o.pdf)) return false; }
    else if (a == QLatin1String("--text")) { if (!value(o.text)) return false; }
    else if (a == QLatin1String("--csv")) { if (!value(o.csv)) return false; }
    else if (a == QLatin1String("--png")) { if (!value(o.png)) return false; }
    else if (a == QLatin1String("--var")) {
      QString v;
      if (!value(v)) return false;
      const int eq = static_cast<int>(v.indexOf(QLatin1Char('=')));
      if (eq <= 0) { problem = QStringLiteral("--var takes Name=expression, not '%1'").arg(v); return false; }
      o.vars.push_back({v.left(eq).trimmed(), v.mid(eq + 1)});
    } else if (a.startsWith(QLatin1String("--")) && o.command == QLatin1String("render")) {
      problem = QStringLiteral("unknown option '%1'").arg(a);
      return false;
    } else if (o.command == QLatin1String("render")) {
      if (!o.templ.isEmpty()) { problem = QStringLiteral("only one template can be rendered"); return false; }
      o.templ = a;
    } else {
      o.expressions << a;
    }
  }
  if (o.site.isEmpty() != o.database.isEmpty()) { problem = QStringLiteral("--site and --database go together"); return false; }
  if (o.command == QLatin1String("render")) {
    if (o.templ.isEmpty()) { problem = QStringLiteral("no template given"); return false; }
    if (o.site.isEmpty()) { problem = QStringLiteral("render needs --site and --database"); return false; }
    const int outputs = !o.pdf.isEmpty() + !o.text.isEmpty() + !o.csv.isEmpty() + !o.png.isEmpty();
    if (outputs != 1) { problem = QStringLiteral("give exactly one of --pdf, --text, --csv, --png"); return false; }
  } else if (o.expressions.isEmpty()) {
    problem = QStringLiteral("no expression given");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  out().setEncoding(QStringConverter::Utf8);
  err().setEncoding(QStringConverter::Utf8);
  Options o;
  QString problem;
  if (!parse(app.arguments(), o, problem)) return usage(problem);

  report::registerAddFunctionLibrary();
  std::unique_ptr<db::Connection> conn;
  if (!o.site.isEmpty()) {
    conn = std::make_unique<db::Connection>(QStringLiteral("DMDATA"));
    conn->params = QStringList{QStringLiteral("SERVER NAME=embedded:") + o.site, QStringLiteral("DATABASE NAME=") + o.database};
  }
  report::Report rep;
  if (conn) rep.setConnection(*conn);
  for (report::ToolSetup setup : report::toolSetups()) setup(rep, conn.get());
  // A batch run answers a parameter dialog with its defaults (set them with --var).
  rep.setDialogAnswerer([](const report::DialogDef&, QStringList&) { return true; });

  try {
    if (o.command == QLatin1String("render")) {
      if (!rep.loadFromFile(o.templ)) {
        err() << o.templ << ": the template file does not exist\n";
        return 1;
      }
      for (const auto& v : o.vars) rep.setVariable(v.first, v.second);
      if (!rep.prepare()) return 1;
      bool empty = true;
      for (const report::PreparedPage& page : rep.prepared().pages) empty = empty && page.items.isEmpty();
      if (empty) err() << o.templ << ": warning: the report is empty (its datasets returned no rows)\n";
      for (const report::Overflow& f : rep.prepared().overflows) err() << "warning: " << f.describe() << "\n";
      // A file that exists is never replaced: the output goes to a free name, and the tool says so.
      const int pages = int(rep.prepared().pages.size());
      const auto freeName = [&](const QString& path, bool imagePerPage) {
        const QString free = report::freeFileName(path, [&](const QString& candidate) {
          if (!imagePerPage || pages <= 1) return QFileInfo::exists(candidate);
          for (const QString& page : report::imageFileNames(candidate, pages))
            if (QFileInfo::exists(page)) return true;
          return false;
        });
        if (free != path) err() << "consolidate-report: " << path << " exists and is kept; the output is written to " << free << "\n";
        return free;
      };
      if (!o.pdf.isEmpty()) rep.exportPdf(freeName(o.pdf, false));
      if (!o.text.isEmpty()) rep.exportText(freeName(o.text, false));
      if (!o.csv.isEmpty()) rep.exportCsv(freeName(o.csv, false));
      if (!o.png.isEmpty()) report::exportImages(rep.prepared(), freeName(o.png, true));
      return 0;
    }
    for (const auto& v : o.vars) rep.setVariable(v.first, v.second);
    int status = 0;
    for (const QString& e : o.expressions) {
      try {
        out() << report::displayText(rep.evaluate(e)) << "\n";
      } catch (const report::ExprError& x) {
        out() << "\n";
        err() << "error: " << x.message() << "\n";
        status = 1;
      } catch (const db::Error& x) {
        out() << "\n";
        err() << "error: " << x.message() << "\n";
        status = 1;
      }
    }
    out().flush();
    return status;
  } catch (const report::TemplateError& e) {
    err() << e.message() << "\n";
  } catch (const report::ReportError& e) {
    err() << e.message() << "\n";
  } catch (const db::Error& e) {
    err() << e.message() << "\n";
  } catch (const std::exception& e) {
    err() << e.what() << "\n";
  }
  return 1;
}
