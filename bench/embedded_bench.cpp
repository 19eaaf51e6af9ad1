// The embedded server's figures: how long a scale-100 demo site takes to create and how big it is,
// how long opening a connection and a small query take, and the zone load query with its stock
// expressions on that site.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "bench_support.h"
#include "embedded.h"

namespace {

constexpr int kScale = 100;

// One scale-100 site for the whole run, made by the first benchmark that needs it.
struct Site {
  QTemporaryDir dir;
  embedded::SiteInfo info;
  double seconds = 0;
};
Site& site() {
  static Site s = [] {
    Site x;
    embedded::SiteOptions o;
    o.demo = true;
    o.scale = kScale;
    const auto start = std::chrono::steady_clock::now();
    x.info = embedded::createSite(x.dir.path(), o);
    x.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return x;
  }();
  return s;
}

double fileBytes(const QString& db) { return double(QFileInfo(db::embeddedDatabaseFile(site().info.folder, db)).size()); }

void BM_CreateSiteScale100(benchmark::State& state) {
  for (auto _ : state) {
    QTemporaryDir dir;
    embedded::SiteOptions o;
    o.demo = true;
    o.scale = kScale;
    const embedded::SiteInfo info = embedded::createSite(dir.path(), o);
    state.counters["company_MB"] = double(QFileInfo(db::embeddedDatabaseFile(info.folder, info.companyDatabase)).size()) / 1e6;
  }
  state.counters["so_lines"] = 2000.0 * kScale;
  state.counters["products"] = 200.0 * kScale;
}
BENCHMARK(BM_CreateSiteScale100)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_OpenConnectionAndSmallQuery(benchmark::State& state) {
  Site& s = site();
  for (auto _ : state) {
    db::Connection c(QStringLiteral("DMDATA"));
    embedded::setConnectionParams(c, s.info.folder, s.info.companyDatabase);
    benchmark::DoNotOptimize(c.select(QStringLiteral("Select Id, Code, Description From Misc Where GroupCode = 'ZONE' Order By Code")).rowCount());
  }
  state.counters["site_company_MB"] = fileBytes(s.info.companyDatabase) / 1e6;
}
BENCHMARK(BM_OpenConnectionAndSmallQuery)->Unit(benchmark::kMillisecond);

// The due lines of one zone with the stock of each line's product in its unit and as text.
void BM_ZoneDueLinesWithStock(benchmark::State& state) {
  Site& s = site();
  db::Connection c(QStringLiteral("DMDATA"));
  embedded::setConnectionParams(c, s.info.folder, s.info.companyDatabase);
  db::Params p;
  p.setInt(QStringLiteral("Zone"), c.select(QStringLiteral("Select Id From Misc Where GroupCode = 'ZONE' And Code = 'Z01'")).asInt(QStringLiteral("Id")));
  p.setDateTime(QStringLiteral("SendDate"), embedded::serverNow());
  const QString sql = QStringLiteral(
      "Select D.Id, H.SoNo, C.Code, P.Code ProdCode, D.BackOrder / D.Fraction OrderSoQnty, "
      "Cast(Coalesce((Select Sum(O.Quantity) From ProductOnhand O Where O.BalanceYear = Year(GetDate()) And O.Product = D.Product), 0) / U.Fraction As Integer) OH, "
      "ShowQtyUnits(D.Product, Coalesce((Select Sum(O.Quantity) From ProductOnhand O Where O.BalanceYear = Year(GetDate()) And O.Product = D.Product), 0)) Onhand "
      "From SoDt D Inner Join SoHd H On H.Id = D.SoHd Inner Join Customer C On C.Id = H.Customer "
      "Inner Join Product P On P.Id = D.Product Inner Join ProductUnits U On U.Id = D.ProductUnits "
      "Where H.Delflag = 'N' And H.Approved = 'Y' And H.Clear <> 'Y' And D.BackOrder > 0 And Coalesce(H.MerchandisingSystems, 'Y') = 'Y' "
      "And H.ShipDate <= :SendDate And C.Zone = :Zone "
      "And D.Id Not In (Select T.SoDt From ConsolidateDt T Inner Join ConsolidateHd K On K.Id = T.ConsolidateHd "
      "Where K.Confirm = 'N' And K.Delflag = 'N' And K.CustomerZone = :Zone) "
      "Order By Coalesce(C.SendYourOrder, 99999), C.Address3, H.SoNo, P.Code");
  int rows = 0;
  for (auto _ : state) rows = c.select(sql, p).rowCount();
  state.counters["rows"] = rows;
}
BENCHMARK(BM_ZoneDueLinesWithStock)->Unit(benchmark::kMillisecond);

void BM_NewDocumentNo(benchmark::State& state) {
  Site& s = site();
  db::Connection c(QStringLiteral("DMDATA"));
  embedded::setConnectionParams(c, s.info.folder, s.info.companyDatabase);
  const int year = embedded::serverNow().date().year();
  for (auto _ : state) benchmark::DoNotOptimize(embedded::newDocumentNo(c, QStringLiteral("CONSOLIDAT"), year));
}
BENCHMARK(BM_NewDocumentNo)->Unit(benchmark::kMicrosecond);

}  // namespace
