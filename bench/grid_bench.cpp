// The data grid over a large cached result: 20,000 rows of the 13 columns of the zone consolidation
// grid, read from an embedded database into a cached result.
//   Fill:    handing the cached rows to the grid (model reset, columns, current row).
//   Repaint: painting the visible page, one page further down the rows each time.
// Goals: fill under 50 ms, a repaint under 16 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include "bench_support.h"
#include "data_source.h"
#include "db.h"
#include "data_grid.h"

namespace {

constexpr int kRows = 20000;

struct Data {
  QTemporaryDir dir;
  db::Connection conn{QStringLiteral("BENCH")};
  db::Query rows{conn};

  Data() {
    conn.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=GRID", "CREATE DATABASE=TRUE"};
    conn.execute(
        "Create Table Lines (ToConso Char(1), SoNo VarChar(15), SoDate DateTime, SendYourOrder Integer, "
        "Address3 VarChar(50), CusName VarChar(100), ProdCode VarChar(20), ProdName VarChar(100), "
        "UnitName VarChar(30), Onhand VarChar(40), OrderQnty Float, SendQnty Float, WeightKg Float)");
    conn.startTransaction();
    db::Params p;
    for (int i = 0; i < kRows; ++i) {
      p.setText("T", i % 3 ? "N" : "Y");
      p.setText("No", QStringLiteral("SO67-%1").arg(i / 4, 6, 10, QLatin1Char('0')));
      p.setDateTime("D", QDateTime(QDate(2024, 1, 1).addDays(i % 300), QTime(0, 0)));
      p.setInt("Seq", i % 500);
      p.setText("A", QStringLiteral("อำเภอเมือง %1").arg(i % 40));
      p.setText("C", QStringLiteral("ร้านค้าตัวอย่าง จำกัด สาขา %1").arg(i % 900));
      p.setText("PC", QStringLiteral("P%1").arg(i % 5000, 6, 10, QLatin1Char('0')));
      p.setText("PN", QStringLiteral("สินค้าทดสอบ ขนาดกลาง รุ่น %1").arg(i % 5000));
      p.setText("U", QStringLiteral("กล่อง (12)"));
      p.setText("OH", QStringLiteral("%1 กล่อง %2 ชิ้น").arg(i % 70).arg(i % 12));
      p.setFloat("OQ", i % 20 + 1);
      p.setFloat("SQ", i % 20);
      p.setFloat("W", (i % 20) * 1.25);
      conn.execute("Insert Into Lines Values (:T, :No, :D, :Seq, :A, :C, :PC, :PN, :U, :OH, :OQ, :SQ, :W)", p);
    }
    conn.commit();
    rows.sql = QStringList{"Select * From Lines"};
    rows.open();
  }
};

Data& data() {
  static Data d;
  return d;
}

QVector<widgets::GridColumn> columns() {
  return {
      {"ToConso", "จัด", 4, 0, false, {"Y", "N"}},
      {"SoNo", "เลขที่สั่งขาย", 12, 0, true},
      {"SoDate", "วันที่สั่งขาย", 10, 0, true},
      {"SendYourOrder", "ลำดับการส่ง", 8, 0, true},
      {"Address3", "อำเภอ", 10, 0, true},
      {"CusName", "ชื่อลูกค้า", 20, 0, true},
      {"ProdCode", "รหัสสินค้า", 11, 0, true},
      {"ProdName", "ชื่อสินค้า", 28, 0, true},
      {"UnitName", "หน่วย", 8, 0, true},
      {"Onhand", "คงเหลือ", 8, 0, true},
      {"OrderQnty", "จำนวนสั่งจัด", 8, 0, true},
      {"SendQnty", "จัดได้", 8, 0, false},
      {"WeightKg", "น้ำหนัก (Kg)", 8, 0, true},
  };
}

void BM_GridFill(benchmark::State& state) {
  Data& d = data();
  widgets::DataSource ds;
  widgets::DbGrid grid;
  grid.resize(1000, 600);
  grid.setColumns(columns());
  grid.setDataSource(&ds);
  grid.show();
  QApplication::processEvents();
  for (auto _ : state) {
    ds.setResult(&d.rows);  // the rows arrive
    benchmark::DoNotOptimize(grid.model()->rowCount());
    state.PauseTiming();
    ds.setResult(nullptr);
    state.ResumeTiming();
  }
  state.counters["rows"] = kRows;
}
BENCHMARK(BM_GridFill)->Unit(benchmark::kMillisecond);

void BM_GridRepaintPage(benchmark::State& state) {
  Data& d = data();
  widgets::DataSource ds(&d.rows);
  widgets::DbGrid grid;
  grid.resize(1000, 600);
  grid.setColumns(columns());
  grid.setDataSource(&ds);
  grid.show();
  QApplication::processEvents();
  const int page = grid.viewport()->height() / grid.rowHeight(0);
  int top = 0;
  for (auto _ : state) {
    top = (top + page) % (kRows - page);
    grid.scrollTo(grid.model()->index(top, 0), QAbstractItemView::PositionAtTop);
    grid.viewport()->repaint();
  }
  state.counters["visible_rows"] = page;
}
BENCHMARK(BM_GridRepaintPage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
