// The web-order import on the scale-100 demo site: a 20,000-line order file (2,000 web orders of
// 10 lines, 20,000 different barcodes) read and stored in one transaction, and its acknowledgements
// handed to the background requests with the three-second pacing switched off (they go to a
// loopback port where nothing listens and are drained outside the measurement). Beside it, the
// floor: the same 2,000 headers and 20,000 lines inserted by bound statements in one transaction.
// Goal: the import within 2 times the floor in processor time (counter "ratio_cpu", the median of the
// five rounds' ratios; "ratio" compares wall-clock times, which other work on a shared machine
// disturbs more). "peak_rss_MB" is the process's peak resident memory during the imports (goal under
// 150 MB).
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <vector>
#include <ctime>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "bench_support.h"
#include "embedded.h"
#include "order_acknowledgements.h"
#include "order_file.h"
#include "import_settings.h"
#include "net/http.h"

namespace {

constexpr int kScale = 100;
constexpr int kOrders = 2000;
constexpr int kLinesPerOrder = 10;
constexpr int kLines = kOrders * kLinesPerOrder;

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

using bench::threadCpuSeconds;

struct Site {
  QTemporaryDir dir;
  embedded::SiteInfo info;
};
Site& site() {
  static Site s = [] {
    Site x;
    embedded::install();
    embedded::SiteOptions o;
    o.demo = true;
    o.scale = kScale;
    x.info = embedded::createSite(x.dir.path(), o);
    db::Connection c(QStringLiteral("Upgrade"));
    embedded::setConnectionParams(c, x.info.folder, x.info.companyDatabase);
    weborder::RunImportUpgrade(c);
    return x;
  }();
  return s;
}

// A loopback port on which nothing listens.
quint16 closedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

// The barcode of line i of a file: product i's bottle or case.
QString lineBarcode(int i) { return embedded::demoBarcode(1 + i % (200 * kScale), 1 + i % 2); }

// The order file of one round: order numbers and web ids of their own, customers of every zone,
// salesmen S01..S04, product i's bottle or case.
QByteArray orderFile(int round) {
  QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<orders>\n";
  x.reserve(kLines * 260);
  const qint64 firstId = 10'000'000 + qint64(round) * kLines;
  for (int o = 0; o < kOrders; ++o) {
    const QByteArray head = "  <salesmancode>S0" + QByteArray::number(1 + o % 4) + "</salesmancode>\n"
                            "  <customercode>C" + QByteArray::number(1 + (o * 7) % (40 * kScale)).rightJustified(5, '0') +
                            "</customercode>\n  <orderno>B" + QByteArray::number(round) + "-" + QByteArray::number(o) +
                            "</orderno>\n  <orderdate>2016-03-05</orderdate>\n";
    for (int l = 0; l < kLinesPerOrder; ++l) {
      const int i = o * kLinesPerOrder + l;
      x += " <order>\n" + head + "  <id>" + QByteArray::number(firstId + i) + "</id>\n  <barcode>" +
           lineBarcode(i).toLatin1() + "</barcode>\n  <quantity>" +
           QByteArray::number(1 + i % 9) + "</quantity>\n </order>\n";
    }
  }
  return x + "</orders>\n";
}

// The floor: the same headers and lines (same customers, salesmen, units, quantities) through bound
// inserts, every value known beforehand.
double floorSeconds(db::Connection& c, int round, double* cpuSeconds) {
  // The unit of each line, as the order file names it by barcode (read before the clock starts).
  QHash<QString, QVector<QVariant>> unitOfBarcode;
  QStringList barcodes;
  for (int i = 0; i < kLines; ++i) barcodes << lineBarcode(i);
  for (int i = 0; i < barcodes.size(); i += 500) {
    QStringList quoted;
    for (const QString& b : barcodes.mid(i, 500)) quoted << db::quoted(b);
    const db::Result r = c.select(QStringLiteral("Select Barcode, Id, Product, Fraction From ProductUnits Where Barcode In (") +
                                  quoted.join(QLatin1Char(',')) + QLatin1Char(')'));
    for (const auto& row : r.rows()) unitOfBarcode.insert(row[0].toString(), {row[1], row[2], row[3]});
  }
  QVector<QVector<QVariant>> units;
  for (const QString& b : barcodes) units << unitOfBarcode.value(b);
  const QString hd = QStringLiteral(
      "Insert Into SoHd (SoNo, SoType, DelFlag, Price_IE, SoDate, Department, ShipDate, Customer, Salesman, TaxCode, TaxRate,"
      " DueDays, Warehouse, Transportation, Reference, Remark, NoTaxAmt, TaxAmt, TaxTotal, TaxCal, Total, Clear, Posted, Printed,"
      " Imported, Approved) Values (:SoNo, 'A', 'N', 'E', :SoDate, 1, :SoDate, :Customer, :Salesman, 1, 7, 30, 1, Null, :Reference,"
      " 'Web Order 20160305', 0, 0, 0, 0, 0, 'N', 'N', 'N', 'Y', 'Y')");
  const QString dt = QStringLiteral(
      "Insert Into SoDt (SoHd, SoRecNo, SoDate, ShipDate, Warehouse, TaxCode, TaxRate, Product, ProductUnits, Fraction, Quantity,"
      " Send, BackOrder, Price, Total, ProductAmount, Clear, WebOrderId) Values (:SoHd, :SoRecNo, :SoDate, :SoDate, 1, 1, 7,"
      " :Product, :ProductUnits, :Fraction, :Quantity, 0, :BackOrder, 0, 0, 0, 'N', :WebOrderId)");
  if (units.contains(QVector<QVariant>())) throw std::runtime_error("a barcode of the file has no unit");
  const QDateTime soDate(QDate(2016, 3, 5), QTime(0, 0));
  const qint64 firstId = 50'000'000 + qint64(round) * kLines;
  const auto start = Clock::now();
  const double cpuStart = threadCpuSeconds();
  c.startTransaction();
  db::Params h, d;
  h.setDateTime(QStringLiteral("SoDate"), soDate);
  d.setDateTime(QStringLiteral("SoDate"), soDate);
  for (int o = 0; o < kOrders; ++o) {
    h.setText(QStringLiteral("SoNo"), QStringLiteral("FL%1-%2").arg(round).arg(o));
    h.setInt(QStringLiteral("Customer"), 1 + (o * 7) % (40 * kScale));
    h.setInt(QStringLiteral("Salesman"), 1 + o % 4);
    h.setText(QStringLiteral("Reference"), QStringLiteral("F%1-%2").arg(round).arg(o));
    c.execute(hd, h);
    const qint64 soHd = c.select(QStringLiteral("Select Scope_Identity() Id")).asInt(QStringLiteral("Id"));
    d.setInt(QStringLiteral("SoHd"), soHd);
    for (int l = 0; l < kLinesPerOrder; ++l) {
      const int i = o * kLinesPerOrder + l;
      const auto& u = units[i];
      d.setInt(QStringLiteral("SoRecNo"), l + 1);
      d.setInt(QStringLiteral("Product"), u[1].toLongLong());
      d.setInt(QStringLiteral("ProductUnits"), u[0].toLongLong());
      d.setInt(QStringLiteral("Fraction"), u[2].toLongLong());
      d.setInt(QStringLiteral("Quantity"), 1 + i % 9);
      d.setInt(QStringLiteral("BackOrder"), u[2].toLongLong() * (1 + i % 9));
      d.setInt(QStringLiteral("WebOrderId"), firstId + i);
      c.execute(dt, d);
    }
  }
  c.commit();
  *cpuSeconds = threadCpuSeconds() - cpuStart;
  return secondsSince(start);
}

void BM_ImportOrderFile20000Lines(benchmark::State& state) {
  Site& s = site();
  db::Connection c(QStringLiteral("DMDATA"));
  embedded::setConnectionParams(c, s.info.folder, s.info.companyDatabase);
  db::StoredProc newNo(c, QStringLiteral("NewDocumentNo"));
  newNo.declare(QStringLiteral("DocCode"), db::ParamType::Text, db::ParamDir::Input);
  newNo.declare(QStringLiteral("DocYear"), db::ParamType::Integer, db::ParamDir::Input);
  newNo.declare(QStringLiteral("NewNo"), db::ParamType::Text, db::ParamDir::Output);
  const weborder::NumberSource numbers = [&newNo](const QString& code, const QDate& date) {
    newNo.set(QStringLiteral("DocCode"), code);
    newNo.set(QStringLiteral("DocYear"), date.year());
    newNo.execute();
    return newNo.value(QStringLiteral("NewNo")).toString();
  };
  // Many at once, as the window draws them.
  const weborder::NumberBatchSource batch = weborder::DocumentNumberBatches(c, numbers);
  weborder::WebOrderSettings settings;
  settings.host = QStringLiteral("127.0.0.1");
  settings.httpPort = closedPort();
  QTemporaryDir dir;

  int round = 0;
  double importTotal = 0, floorTotal = 0, drainTotal = 0, importCpu = 0, floorCpu = 0;
  std::vector<double> cpuRatios;
  double peakMb = 0;
  for (auto _ : state) {
    ++round;
    const QString path = dir.filePath(QStringLiteral("Z01_%1.xml").arg(round));
    {
      QFile f(path);
      f.open(QIODevice::WriteOnly);
      f.write(orderFile(round));
    }
    net::BackgroundGet http(2000, 2);
    weborder::Acknowledger ack(http, [&settings](qint64 id) { return settings.acknowledgeUrl(id); });
    ack.setPacingMs(0);

    bench::resetPeakRss();
    const auto start = Clock::now();
    const double cpuStart = threadCpuSeconds();
    weborder::ImportResult r;
    {
      bench::ProfileScope profile;
      weborder::OrderImporter importer(c, numbers, batch);
      r = importer.Import(weborder::ReadOrderFile(path));
      ack.enqueue(r.toAcknowledge());
    }
    const double importSeconds = secondsSince(start);
    const double cpu = threadCpuSeconds() - cpuStart;
    importCpu += cpu;
    peakMb = std::max(peakMb, bench::peakRssMb());
    state.SetIterationTime(importSeconds);
    if (r.stored.size() != kLines) state.SkipWithError("not every line was stored");

    const auto drain = Clock::now();
    http.waitForDone();
    drainTotal += secondsSince(drain);
    importTotal += importSeconds;
    double floorCpuRound = 0;
    floorTotal += floorSeconds(c, round, &floorCpuRound);
    floorCpu += floorCpuRound;
    cpuRatios.push_back(cpu / floorCpuRound);
  }
  std::sort(cpuRatios.begin(), cpuRatios.end());
  state.counters["lines"] = kLines;
  state.counters["floor_s"] = floorTotal / round;
  state.counters["import_s"] = importTotal / round;
  state.counters["ratio"] = importTotal / floorTotal;
  state.counters["import_cpu_s"] = importCpu / round;
  state.counters["floor_cpu_s"] = floorCpu / round;
  state.counters["ratio_cpu"] = cpuRatios[cpuRatios.size() / 2];
  state.counters["peak_rss_MB"] = peakMb;
  state.counters["ack_drain_s"] = drainTotal / round;
}
BENCHMARK(BM_ImportOrderFile20000Lines)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// The part of the import that reads the order file (the XML scanner and the order lines).
void BM_ReadOrderFile20000Lines(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Z01_read.xml"));
  {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(orderFile(0));
  }
  for (auto _ : state) benchmark::DoNotOptimize(weborder::ReadOrderFile(path).size());
  state.counters["lines"] = kLines;
  state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_ReadOrderFile20000Lines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
