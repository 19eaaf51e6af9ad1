// The data grid over a cached result of a real embedded database.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include "data_source.h"
#include "data_grid.h"
#include "edits.h"
#include "qt_printers.h"

using widgets::DataSource;
using widgets::DbGrid;
using widgets::GridColumn;

namespace {

// A host window with a grid over five consolidation-like lines read from an embedded database.
class GridFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    conn.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=GRID", "CREATE DATABASE=TRUE"};
    conn.execute(
        "Create Table Lines (Id Integer, ToConso Char(1), SoNo VarChar(20), SoDate DateTime, "
        "SendQnty Float, OrderSoQnty Float, Remark VarChar(50))");
    for (int i = 1; i <= 5; ++i) {
      db::Params p;
      p.setInt("Id", i);
      p.setText("ToConso", i == 2 ? "Y" : "N");
      p.setText("SoNo", QString("SO%1").arg(i, 4, 10, QChar('0')));
      p.setDateTime("SoDate", QDateTime(QDate(2024, 1, i), QTime(0, 0)));
      p.setFloat("SendQnty", i * 1.5);
      p.setFloat("OrderSoQnty", 10);
      p.setText("Remark", "r");
      conn.execute("Insert Into Lines Values (:Id, :ToConso, :SoNo, :SoDate, :SendQnty, :OrderSoQnty, :Remark)", p);
    }
    q.sql = QStringList{"Select * From Lines", "Order By Id"};
    q.open();

    host.resize(700, 300);
    auto* lay = new QVBoxLayout(&host);
    edit = new widgets::DBEdit(&host);
    grid = new DbGrid(&host);
    lay->addWidget(edit);
    lay->addWidget(grid);
    ds.setResult(&q);
    grid->setDataSource(&ds);
    grid->setColumns({
        {"ToConso", "จัด", 4, 0, false, {"Y", "N"}},
        {"SoNo", "เลขที่สั่งขาย", 12, 0, true},
        {"SoDate", "วันที่สั่งขาย", 10, 0, true},
        {"SendQnty", "จัดได้", 8, 0, false},
        {"Remark", "หมายเหตุ", 20, 0, false},
    });
    edit->setDataSource(&ds, "SoNo");
    host.show();
    QApplication::setActiveWindow(&host);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    grid->setFocus();
  }

  QModelIndex cell(int row, const QString& field) { return grid->model()->index(row, grid->resultModel()->columnOf(field)); }
  QPoint centre(int row, const QString& field) { return grid->visualRect(cell(row, field)).center(); }
  QVariant stored(int row, const QString& column) { return q.at(row, q.findColumn(column)); }

  QTemporaryDir dir;
  db::Connection conn{"GRIDTEST"};
  db::Query q{conn};
  DataSource ds;
  QWidget host;
  DbGrid* grid = nullptr;
  widgets::DBEdit* edit = nullptr;
};

// A grid alone in a window, over a data source of its own.
struct GridWindow {
  GridWindow(int width, int height) {
    host.resize(width, height);
    auto* lay = new QVBoxLayout(&host);
    grid = new DbGrid(&host);
    lay->addWidget(grid);
  }
  QWidget host;
  DbGrid* grid = nullptr;
  DataSource ds;
};

TEST_F(GridFixture, ShowsTheCachedRowsWithTitlesWidthsAndFormats) {
  auto* m = grid->model();
  ASSERT_EQ(m->rowCount(), 5);
  ASSERT_EQ(m->columnCount(), 5);
  EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "เลขที่สั่งขาย");
  EXPECT_EQ(m->data(cell(2, "SoDate")).toString(), "03/01/2024");
  EXPECT_EQ(m->data(cell(2, "SendQnty")).toString(), "4.5");
  EXPECT_EQ(m->data(cell(2, "SendQnty"), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
  EXPECT_EQ(m->data(cell(1, "ToConso"), Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_EQ(m->data(cell(0, "ToConso"), Qt::CheckStateRole).toInt(), Qt::Unchecked);
  // Widths follow the character counts.
  EXPECT_GT(grid->columnWidth(4), grid->columnWidth(1));
  EXPECT_GT(grid->columnWidth(1), grid->columnWidth(3));
  // Read-only columns are not editable; a check-box column is checkable, not editable.
  EXPECT_FALSE(m->flags(cell(0, "SoNo")) & Qt::ItemIsEditable);
  EXPECT_TRUE(m->flags(cell(0, "SendQnty")) & Qt::ItemIsEditable);
  EXPECT_TRUE(m->flags(cell(0, "ToConso")) & Qt::ItemIsUserCheckable);
  EXPECT_FALSE(m->flags(cell(0, "ToConso")) & Qt::ItemIsEditable);
  // A column's own display and edit texts.
  GridColumn* qty = grid->column("SendQnty");
  ASSERT_NE(qty, nullptr);
  qty->displayText = [](const QVariant& v) { return QString::number(v.toDouble(), 'f', 2); };
  qty->editText = [](const QVariant& v) { return QString::number(v.toDouble(), 'f', 1); };
  EXPECT_EQ(m->data(cell(2, "SendQnty")).toString(), "4.50");
  EXPECT_EQ(m->data(cell(2, "SendQnty"), Qt::EditRole).toString(), "4.5");
  EXPECT_EQ(grid->column("Nothing"), nullptr);
}

// A column is as wide as its widest text also when that text comes late, after many rows that
// repeat narrower values of the same type: numbers, whole numbers, dates and times, Thai texts.
TEST(GridWidths, AColumnIsAsWideAsItsWidestTextWhereverItComes) {
  GridWindow w(900, 300);
  DbGrid* grid = w.grid;
  DataSource& ds = w.ds;
  const QStringList columns{"Qty", "Whole", "Made", "Name"};
  const QVector<QVariant> narrow{1.5, qint64(7), QDateTime(QDate(2024, 1, 5), QTime(0, 0)), QStringLiteral("ชิ้น")};
  const QVector<QVariant> other{2.25, qint64(12), QDateTime(QDate(2024, 1, 6), QTime(0, 0)), QStringLiteral("กล่อง")};
  const QVector<QVariant> widest{123456789.75, qint64(9876543210), QDateTime(QDate(2024, 11, 30), QTime(13, 45, 10)),
                                 QStringLiteral("สินค้าตัวอย่างที่ชื่อยาวที่สุด")};
  QVector<QVector<QVariant>> rows;
  for (int i = 0; i < 60; ++i) rows.push_back(i % 3 ? narrow : other);
  rows.push_back(widest);
  for (int i = 0; i < 20; ++i) rows.push_back(narrow);
  db::Result all(columns, rows), alone(columns, {widest}), first(columns, {narrow});
  grid->setColumns({{"Qty", "ก", 2, 0, true}, {"Whole", "ข", 2, 0, true}, {"Made", "ค", 2, 0, true}, {"Name", "ง", 2, 0, true}});
  grid->setDataSource(&ds);
  const auto widthsOver = [&](db::Result* r) {
    ds.setResult(r);
    QVector<int> w;
    for (int i = 0; i < columns.size(); ++i) w << grid->columnWidth(i);
    return w;
  };
  const QVector<int> ofAll = widthsOver(&all), ofWidest = widthsOver(&alone), ofFirst = widthsOver(&first);
  for (int i = 0; i < columns.size(); ++i) {
    EXPECT_EQ(ofAll[i], ofWidest[i]) << columns[i].toStdString();
    EXPECT_GT(ofWidest[i], ofFirst[i]) << columns[i].toStdString();
  }
}

TEST_F(GridFixture, CheckBoxTogglesOnOneClickAndOnSpaceAndReportsTheOldValue) {
  QSignalSpy changed(grid, &DbGrid::fieldChanged);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(0, "ToConso"));
  EXPECT_EQ(stored(0, "ToConso").toString(), "Y");
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].toInt(), 0);
  EXPECT_EQ(changed[0][1].toString(), "ToConso");
  EXPECT_EQ(changed[0][2].toString(), "N");

  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(0, "ToConso"));
  EXPECT_EQ(stored(0, "ToConso").toString(), "N");

  grid->setCurrentIndex(cell(1, "ToConso"));
  QTest::keyClick(grid, Qt::Key_Space);
  EXPECT_EQ(stored(1, "ToConso").toString(), "N");
  EXPECT_EQ(changed.count(), 3);

  // A click on another column of the row does not toggle.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(3, "SendQnty"));
  EXPECT_EQ(stored(3, "ToConso").toString(), "N");

  // Read-only grid: no toggling.
  grid->setReadOnly(true);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(4, "ToConso"));
  EXPECT_EQ(stored(4, "ToConso").toString(), "N");
  EXPECT_EQ(changed.count(), 3);
}

TEST_F(GridFixture, CommittedEditReportsOldValueAndHandlerCanRefuseIt) {
  // The handler refuses quantities above the ordered one, as a window's editing rules do.
  int calls = 0;
  QObject::connect(grid, &DbGrid::fieldChanged, grid, [&](int row, const QString& field, const QVariant& old) {
    ++calls;
    if (field == "SendQnty" && q.at(row, q.findColumn("SendQnty")).toDouble() > 10) grid->setFieldValue(row, field, old);
  });
  grid->setCurrentIndex(cell(1, "SendQnty"));
  QTest::keyClicks(grid, "7");  // typing starts the editor with the key typed
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), "7");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(stored(1, "SendQnty").toDouble(), 7.0);
  EXPECT_EQ(stored(1, "SendQnty").typeId(), QMetaType::Double);
  EXPECT_EQ(calls, 1);
  // Enter committed and moved to the next cell.
  EXPECT_EQ(grid->currentIndex(), cell(1, "Remark"));

  grid->setCurrentIndex(cell(2, "SendQnty"));
  QTest::keyClick(grid, Qt::Key_F2);
  editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  editor->setText("12");
  QTest::keyClick(editor, Qt::Key_Enter);
  EXPECT_EQ(stored(2, "SendQnty").toDouble(), 4.5);  // restored by the handler
  EXPECT_EQ(calls, 2);                                // the restore raised no second change
  EXPECT_EQ(grid->model()->data(cell(2, "SendQnty")).toString(), "4.5");

  // Text that is not a number never reaches the row.
  grid->setCurrentIndex(cell(3, "SendQnty"));
  for (const char* text : {"abc", "nan", "-inf", "infinity", "1e999"}) {
    EXPECT_FALSE(grid->model()->setData(cell(3, "SendQnty"), text, Qt::EditRole)) << text;
    EXPECT_EQ(stored(3, "SendQnty").toDouble(), 6.0) << text;
  }
  // The same value again is no change.
  EXPECT_FALSE(grid->model()->setData(cell(3, "SendQnty"), "6", Qt::EditRole));
  EXPECT_EQ(calls, 2);
  // A read-only cell refuses.
  EXPECT_FALSE(grid->model()->setData(cell(3, "SoNo"), "X", Qt::EditRole));
}

TEST_F(GridFixture, EnterMovesToTheNextCellAndOnToTheNextRow) {
  grid->setCurrentIndex(cell(0, "SendQnty"));
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(grid->currentIndex(), cell(0, "Remark"));
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(grid->currentIndex(), cell(1, "ToConso"));
  EXPECT_EQ(q.recNo(), 1);
  grid->setCurrentIndex(cell(4, "Remark"));
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(grid->currentIndex(), cell(4, "Remark"));  // the last cell stays
}

TEST_F(GridFixture, TitleClickReportsTheField) {
  QSignalSpy titles(grid, &DbGrid::titleClicked);
  QHeaderView* h = grid->horizontalHeader();
  const int x = h->sectionViewportPosition(2) + h->sectionSize(2) / 2;
  QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(x, h->height() / 2));
  ASSERT_EQ(titles.count(), 1);
  EXPECT_EQ(titles[0][0].toString(), "SoDate");
}

TEST_F(GridFixture, RowBackgroundIsPaintedAndKeptOnTheSelectedRow) {
  grid->RowBackground = [&](int row, bool) {
    return q.at(row, q.findColumn("ToConso")).toString() == "Y" ? QColor(Qt::red) : QColor();
  };
  grid->setCurrentIndex(cell(1, "SoNo"));  // the red row is the selected one
  grid->viewport()->repaint();
  const QImage img = grid->viewport()->grab().toImage();
  const QRect red = grid->visualRect(cell(1, "Remark"));
  const QRect plain = grid->visualRect(cell(3, "Remark"));
  EXPECT_EQ(img.pixelColor(red.right() - 2, red.center().y()), QColor(Qt::red));
  EXPECT_NE(img.pixelColor(plain.right() - 2, plain.center().y()), QColor(Qt::red));
}

TEST_F(GridFixture, CursorLinksGridRowsAndBoundEdits) {
  // A click moves the result's cursor; the bound edit follows.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(3, "SoNo"));
  EXPECT_EQ(q.recNo(), 3);
  EXPECT_EQ(edit->text(), "SO0004");
  // The host moves the cursor; the grid and the edit follow.
  ds.moveTo(1);
  EXPECT_EQ(grid->currentIndex().row(), 1);
  EXPECT_EQ(edit->text(), "SO0002");
  // Typing in the edit writes into the current row and repaints the grid's row.
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, "NEW");
  EXPECT_EQ(stored(1, "SoNo").toString(), "NEW");
  EXPECT_EQ(grid->model()->data(cell(1, "SoNo")).toString(), "NEW");
}

TEST_F(GridFixture, SuspendedControlsCatchUpOnceResumed) {
  QSignalSpy resets(grid->model(), &QAbstractItemModel::modelReset);
  grid->DisableControls();
  // Walk every row (as a total over the rows does) and come back.
  for (q.first(); !q.eof(); q.next()) ds.cursorMoved();
  ds.moveTo(2);
  EXPECT_EQ(grid->currentIndex().row(), 0);
  EXPECT_EQ(edit->text(), "SO0001");
  grid->EnableControls();
  EXPECT_EQ(resets.count(), 0);  // a cursor walk costs no reload
  EXPECT_EQ(grid->currentIndex().row(), 2);
  EXPECT_EQ(edit->text(), "SO0003");

  // Rows appended while suspended appear once resumed.
  grid->DisableControls();
  q.append();
  q.setValue("SoNo", "SO9999");
  ds.reset();
  EXPECT_EQ(grid->model()->rowCount(), 5);
  grid->EnableControls();
  EXPECT_EQ(grid->model()->rowCount(), 6);
  EXPECT_EQ(grid->model()->data(cell(5, "SoNo")).toString(), "SO9999");
  EXPECT_EQ(grid->currentIndex().row(), 5);
}

TEST_F(GridFixture, ColumnsFromTabSeparatedLinesWithACheckBox) {
  grid->clearColumns();
  grid->addColumnLine("ToConso\t4\tจัด\tF");
  grid->addColumnLine("SoNo\t12\tเลขที่สั่งขาย\tT");
  grid->addColumnLine("Missing\t5\tไม่มี\tF");
  grid->setCheckBox("ToConso", "Y;N");
  const auto& cs = grid->columns();
  ASSERT_EQ(cs.size(), 3);
  EXPECT_TRUE(cs[0].isCheckBox());
  EXPECT_FALSE(cs[0].readOnly);
  EXPECT_TRUE(cs[1].readOnly);
  EXPECT_EQ(cs[1].title, "เลขที่สั่งขาย");
  // A field the result lacks shows empty and cannot be edited.
  EXPECT_EQ(grid->model()->data(grid->model()->index(0, 2)).toString(), "");
  EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 2)) & Qt::ItemIsEditable);
}

// Columns set one at a time inside a ColumnChanges reach the view as one reset, and the grid ends
// as a grid given the same columns one change at a time: same widths, header and current row.
TEST_F(GridFixture, ColumnChangesReachTheViewOnceAndEndAsSingleChanges) {
  const QStringList lines = {"ToConso\t4\tจัด\tF", "SoNo\t12\tเลขที่สั่งขาย\tT", "SoDate\t10\tวันที่สั่งขาย\tT",
                             "SendQnty\t8\tจำนวนสั่งจัด\tF", "Remark\t20\tหมายเหตุ\tF"};
  DbGrid single(&host);
  single.setDataSource(&ds);
  ds.moveTo(3);
  single.clearColumns();
  for (const QString& line : lines) single.addColumnLine(line);
  single.setCheckBox("ToConso", "Y;N");
  single.applyColumns();

  QSignalSpy resets(grid->model(), &QAbstractItemModel::modelReset);
  {
    DbGrid::ColumnChanges changes(grid);
    grid->clearColumns();
    for (const QString& line : lines) grid->addColumnLine(line);
    grid->setCheckBox("ToConso", "Y;N");
    // The columns are there at once for those who look them up.
    ASSERT_NE(grid->column("Remark"), nullptr);
    EXPECT_EQ(resets.count(), 0);
  }
  grid->applyColumns();
  EXPECT_EQ(resets.count(), 1);
  ASSERT_EQ(grid->model()->columnCount(), single.model()->columnCount());
  for (int c = 0; c < lines.size(); ++c) EXPECT_EQ(grid->columnWidth(c), single.columnWidth(c)) << c;
  EXPECT_EQ(grid->horizontalHeader()->height(), single.horizontalHeader()->height());
  EXPECT_EQ(grid->currentIndex().row(), 3);
  EXPECT_EQ(single.currentIndex().row(), 3);
  EXPECT_EQ(grid->model()->data(cell(3, "SoDate")).toString(), "04/01/2024");
}

// The titles' widths are measured again in a new font: a larger header font widens a column that
// its title holds open.
TEST_F(GridFixture, TitleWidthsFollowTheHeadersFont) {
  grid->setColumns({{"SoNo", "เลขที่สั่งขายของลูกค้าทั้งหมด", 2, 0, true}});
  const int before = grid->columnWidth(0);
  QFont big = grid->horizontalHeader()->font();
  big.setPixelSize(3 * QFontInfo(big).pixelSize());
  grid->horizontalHeader()->setFont(big);
  grid->applyColumns();
  EXPECT_GT(grid->columnWidth(0), before + before / 2);
  EXPECT_EQ(grid->columnWidth(0), grid->designWidth(0));
}

}  // namespace

// Cells are painted from texts laid out once and kept; what reaches the screen must be what
// QPainter::drawText paints for one line in the cell: left and right alignment, Thai marks above
// and below, a text cut at a narrow cell's edge, the same text in several rows, and after the
// grid's font changes (texts of the old font must not be painted in the new one), line breaks
// and a tab in a text.
TEST(GridPainting, CellsShowWhatDrawTextPaintsForTheirText) {
  GridWindow w(900, 400);
  DbGrid* grid = w.grid;
  DataSource& ds = w.ds;
  const QStringList columns{"Name", "Qty", "Cut"};
  const QString longThai = QStringLiteral("น้ำปลาแท้ตราปลาหมึกขวดใหญ่ที่สุดในร้าน");
  QVector<QVector<QVariant>> rows{
      {QStringLiteral("ปากกาลูกลื่น สีน้ำเงิน"), 1234567.5, longThai},
      {QStringLiteral("Paper A4 80g"), qint64(12), QStringLiteral("short")},
      {QStringLiteral("ปากกาลูกลื่น สีน้ำเงิน"), 1234567.5, longThai},
      {QStringLiteral("กุ้งแห้ง ๑ กก. (ชั่ง)"), -0.25, QStringLiteral("Wide text that a narrow cell cannot hold")},
      {QStringLiteral("ส่งก่อน\nเที่ยง\r\nA&B"), qint64(0), QStringLiteral("\tแท็บ")},
  };
  db::Result result(columns, rows);
  grid->setColumns({{"Name", "ชื่อ", 10, 0, true}, {"Qty", "จำนวน", 8, 0, true}, {"Cut", "ตัด", 6, 0, true}});
  grid->setDataSource(&ds);
  grid->RowBackground = [](int, bool) { return QColor(Qt::white); };
  ds.setResult(&result);
  w.host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.host));
  grid->setColumnWidth(2, 60);  // narrower than the column's texts

  const auto checkCells = [&](const char* when) {
    grid->viewport()->repaint();
    const QImage shown = grid->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int r = 0; r < int(rows.size()); ++r) {
      for (int c = 0; c < int(columns.size()); ++c) {
        const QModelIndex i = grid->model()->index(r, c);
        const QRect cellRect = grid->visualRect(i);  // without the grid line
        QImage expected = shown.copy(cellRect);
        expected.fill(Qt::white);
        {
          QPainter p(&expected);
          p.setFont(grid->font());
          p.setPen(Qt::black);
          const int align = grid->model()->data(i, Qt::TextAlignmentRole).toInt();
          p.drawText(QRect(QPoint(0, 0), cellRect.size()).adjusted(3, 0, -3, 0), align | Qt::TextSingleLine,
                     static_cast<QStyledItemDelegate*>(grid->itemDelegate())->displayText(grid->model()->data(i), grid->locale()));
        }
        const QImage got = shown.copy(cellRect);
        int differ = 0;
        for (int y = 0; y < got.height(); ++y)
          for (int x = 0; x < got.width(); ++x) differ += got.pixel(x, y) != expected.pixel(x, y);
        EXPECT_EQ(differ, 0) << "pixels that differ, " << when << ": row " << r << ", column " << c;
      }
    }
  };
  checkCells("first paint");
  checkCells("painted again");
  QFont bigger = grid->font();
  bigger.setPointSizeF(bigger.pointSizeF() * 1.5);
  grid->setFont(bigger);
  checkCells("larger font");
}
