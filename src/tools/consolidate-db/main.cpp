// consolidate-db: creates embedded sites and prints the schema.
//
//   consolidate-db init SITE_DIR [--demo] [--scale N] [--replace] [--database NAME] [--base-schema]
//   consolidate-db schema [--tsql | --sqlite | --markdown] [--config] [--base-schema]
//   consolidate-db draw-numbers SITE_DIR CODE YEAR COUNT [--database NAME]
//   consolidate-db statements [--tsql] [--out DIR]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

#include "embedded.h"
#include "textutil/whole_file.h"
#include "tsql.h"
#include "shipped_forms.h"  // printing: the report forms shipped with every site

namespace {

const char* kUsage =
    "usage:\n"
    "  consolidate-db init SITE_DIR [--demo] [--scale N] [--replace] [--database NAME] [--base-schema]\n"
    "      Creates a site: TALVIK_CONFIG and the company database (default DEMO) in SITE_DIR.\n"
    "      --demo adds Thai demo data; --scale N its size (1 small, 100: 200,000 sales-order lines);\n"
    "      --replace replaces the databases of an existing site; --base-schema leaves out the tables\n"
    "      and columns the program adds itself when it starts.\n"
    "  consolidate-db schema [--tsql | --sqlite | --markdown] [--config] [--base-schema]\n"
    "      Prints the schema of the company database (--config: of TALVIK_CONFIG), by default as T-SQL.\n"
    "  consolidate-db draw-numbers SITE_DIR CODE YEAR COUNT [--database NAME]\n"
    "      Draws COUNT document numbers of the series CODE for YEAR, one per line.\n";

void out(const QString& s) {
  const QByteArray b = s.toUtf8();
  std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
}
void err(const QString& s) {
  const QByteArray b = s.toUtf8();
  std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
}

int usage() {
  err(QString::fromLatin1(kUsage));
  return 2;
}

// Takes "--name VALUE" from the arguments; empty when absent.
bool takeOption(QStringList& args, const QString& name, QString* value) {
  const int i = int(args.indexOf(name));
  if (i < 0) return false;
  if (i + 1 >= args.size()) throw std::invalid_argument(QString(name + QStringLiteral(" needs a value")).toStdString());
  *value = args[i + 1];
  args.remove(i, 2);
  return true;
}
bool takeFlag(QStringList& args, const QString& name) { return args.removeAll(name) > 0; }

int init(QStringList args) {
  embedded::SiteOptions o;
  o.demo = takeFlag(args, QStringLiteral("--demo"));
  o.replace = takeFlag(args, QStringLiteral("--replace"));
  o.baseSchema = takeFlag(args, QStringLiteral("--base-schema"));
  const bool quiet = takeFlag(args, QStringLiteral("--quiet"));
  QString v;
  if (takeOption(args, QStringLiteral("--scale"), &v)) {
    bool ok = false;
    o.scale = v.toInt(&ok);
    if (!ok || o.scale < 1) {
      err(QStringLiteral("consolidate-db: --scale needs a whole number of 1 or more, not '%1'\n").arg(v));
      return 2;
    }
  }
  if (takeOption(args, QStringLiteral("--database"), &v)) o.companyDatabase = v;
  if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) return usage();
  QElapsedTimer timer;
  timer.start();
  if (!quiet)
    o.progress = [&](const QString& s) { err(QStringLiteral("[%1 s] %2\n").arg(timer.elapsed() / 1000.0, 0, 'f', 1).arg(s)); };
  const embedded::SiteInfo info = embedded::createSite(args[0], o);
  printing::installShippedForms(info);  // printing: templates and SystemForm rows of the shipped forms
  auto size = [&](const QString& db) { return QFileInfo(db::embeddedDatabaseFile(info.folder, db)).size(); };
  out(QStringLiteral("Site %1 created in %2 s: %3 (%4 bytes), %5 (%6 bytes)\n")
          .arg(info.folder)
          .arg(timer.elapsed() / 1000.0, 0, 'f', 1)
          .arg(QLatin1String(embedded::kConfigDatabase))
          .arg(size(QLatin1String(embedded::kConfigDatabase)))
          .arg(info.companyDatabase)
          .arg(size(info.companyDatabase)));
  return 0;
}

int schema(QStringList args) {
  const bool config = takeFlag(args, QStringLiteral("--config"));
  embedded::RenderOptions o;
  o.includeUpgrade = !takeFlag(args, QStringLiteral("--base-schema"));
  const bool sqlite = takeFlag(args, QStringLiteral("--sqlite"));
  const bool markdown = takeFlag(args, QStringLiteral("--markdown"));
  takeFlag(args, QStringLiteral("--tsql"));
  if (!args.isEmpty() || (sqlite && markdown)) return usage();
  if (markdown) {
    out(embedded::renderMarkdown());
    return 0;
  }
  out(embedded::renderSchema(config ? embedded::DatabaseKind::Config : embedded::DatabaseKind::Company,
                             sqlite ? db::Dialect::Sqlite : db::Dialect::SqlServer, o));
  return 0;
}

int drawNumbers(QStringList args) {
  QString database = QStringLiteral("DEMO");
  QString v;
  if (takeOption(args, QStringLiteral("--database"), &v)) database = v;
  if (args.size() != 4) return usage();
  bool okYear = false, okCount = false;
  const int year = args[2].toInt(&okYear);
  const int count = args[3].toInt(&okCount);
  if (!okYear || !okCount || count < 0) return usage();
  embedded::install();
  db::Connection conn(QStringLiteral("DMDATA"));
  embedded::setConnectionParams(conn, args[0], database);
  for (int i = 0; i < count; ++i) {
    db::StoredProc sp(conn, QStringLiteral("NewDocumentNo"));
    sp.declare(QStringLiteral("@DocCode"), db::ParamType::Text, db::ParamDir::Input);
    sp.declare(QStringLiteral("@DocYear"), db::ParamType::Integer, db::ParamDir::Input);
    sp.declare(QStringLiteral("@NewNo"), db::ParamType::Text, db::ParamDir::Output);
    sp.set(QStringLiteral("@DocCode"), args[1]);
    sp.set(QStringLiteral("@DocYear"), year);
    sp.execute();
    out(sp.value(QStringLiteral("@NewNo")).toString() + QLatin1Char('\n'));
  }
  std::fflush(stdout);
  return 0;
}

// The texts of the schema: both databases, with the program's own upgrade objects.
const bool kSchemaInCatalogue = [] {
  db::addToCatalogue(QStringLiteral("schema"), [] {
    return QVector<db::CatalogueText>{
        {QStringLiteral("company"), embedded::renderSchema(embedded::DatabaseKind::Company, db::Dialect::SqlServer)},
        {QStringLiteral("config"), embedded::renderSchema(embedded::DatabaseKind::Config, db::Dialect::SqlServer)},
    };
  });
  return true;
}();

int statements(QStringList args) {
  takeFlag(args, QStringLiteral("--tsql"));
  QString outDir;
  const bool toFiles = takeOption(args, QStringLiteral("--out"), &outDir);
  if (!args.isEmpty()) return usage();
  if (toFiles && !QDir().mkpath(outDir)) {
    err(QStringLiteral("consolidate-db: cannot create %1\n").arg(outDir));
    return 1;
  }
  const QVector<db::CatalogueText> texts = db::catalogue();
  int n = 0;
  QString index;
  for (const db::CatalogueText& t : texts) {
    const QString text = db::withServerVariables(t.tsql).trimmed() + QLatin1Char('\n');
    if (!toFiles) {
      out(QStringLiteral("-- ") + t.name + QLatin1Char('\n') + text + QStringLiteral("GO\n"));
      continue;
    }
    QString file = t.name;
    for (QChar& c : file)
      if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('_') && c != QLatin1Char('-')) c = QLatin1Char('.');
    file = QStringLiteral("%1-%2.sql").arg(++n, 3, 10, QLatin1Char('0')).arg(file);
    index += file + QLatin1Char('\t') + t.name + QLatin1Char('\n');
    const QString path = QDir(outDir).filePath(file);
    QString reason;
    if (!textutil::WriteWholeFile(path, text.toUtf8(), &reason)) {
      err(QStringLiteral("consolidate-db: cannot write %1: %2\n").arg(path, reason));
      return 1;
    }
  }
  if (!toFiles) return 0;
  // The index: each file and the name of its text.
  const QString indexPath = QDir(outDir).filePath(QStringLiteral("index.tsv"));
  QString reason;
  if (!textutil::WriteWholeFile(indexPath, index.toUtf8(), &reason)) {
    err(QStringLiteral("consolidate-db: cannot write %1: %2\n").arg(indexPath, reason));
    return 1;
  }
  out(QStringLiteral("%1 texts written to %2\n").arg(texts.size()).arg(outDir));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h") || args[0] == QLatin1String("help")) {
    if (args.isEmpty()) return usage();
    out(QString::fromLatin1(kUsage));
    return 0;
  }
  const QString command = args.takeFirst();
  try {
    if (command == QLatin1String("init")) return init(args);
    if (command == QLatin1String("schema")) return schema(args);
    if (command == QLatin1String("draw-numbers")) return drawNumbers(args);
    if (command == QLatin1String("statements")) return statements(args);
  } catch (const db::Error& e) {
    err(QStringLiteral("consolidate-db: %1\n").arg(e.message()));
    return 1;
  } catch (const std::exception& e) {
    err(QStringLiteral("consolidate-db: %1\n").arg(QString::fromUtf8(e.what())));
    return 1;
  }
  err(QStringLiteral("consolidate-db: unknown command '%1'\n").arg(command));
  return usage();
}
