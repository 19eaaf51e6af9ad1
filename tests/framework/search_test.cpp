// The search dialog base, through a small sales-order search derived from it, on the demo site.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include "search_dialog.h"
#include "app_fixture.h"
#include "data_module.h"
#include "config_module.h"
#include "modal.h"
#include "qt_printers.h"

namespace {

// A derived dialog as the program's own are built: its text, its columns and its own search.
class TFrSearchTestSo : public TFrSearch {
 public:
  static constexpr int kFilterLine = 2;
  TFrSearchTestSo() {
    QSearch.sql = QStringList{"Select H.Id, H.SoNo, H.SoDate, H.DelFlag, H.DelRemark, H.Clear, H.Remark",
                              "From SoHd H Where H.SoNo Like 'ZZT%'", "", "Order By H.SoNo"};
    DgSearch->setColumns({{"SoNo", "เลขที่", 12}, {"SoDate", "วันที่", 10}, {"Remark", "หมายเหตุ", 20}});
  }
  void BtSearchClick(QObject* sender) override {
    TFrSearch::BtSearchClick(sender);
    QSearch.close();
    QSearch.sql[kFilterLine] = LikeFilter(" And H.SoNo", Code->text());
    QSearch.open();
    SearchOpened();
  }
  using TFrSearch::SearchOpened;
};

class SearchFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    QApplication::setQuitOnLastWindowClosed(false);
    TFrSearch::LastSortField.clear();
    TFrSearch::SortDescending = false;
    struct Row {
      const char* no;
      const char* date;
      const char* del;
      const char* remark;
      const char* clear;
      int ships;
    };
    const Row rows[] = {
        {"ZZT-0001", "2024-01-03", "N", "", "N", 1},
        {"ZZT-0002", "2024-01-01", "Y", "ลูกค้ายกเลิก", "N", 2},
        {"ZZT-0003", "2024-01-02", "N", "", "Y", 0},
        {"ZZT_0004", "2024-01-04", "N", "", "N", 0},
    };
    for (const Row& r : rows) {
      db::Params p;
      p.setText("No", r.no);
      p.setDateTime("D", QDateTime(QDate::fromString(r.date, Qt::ISODate), QTime(0, 0)));
      p.setText("Del", r.del);
      p.setText("Rem", r.remark);
      p.setText("Clr", r.clear);
      conn().execute("Insert Into SoHd (SoNo, SoDate, DelFlag, DelRemark, Clear, Remark) Values (:No, :D, :Del, :Rem, :Clr, '')", p);
      const qint64 id = idOf(r.no);
      for (int i = 0; i < r.ships; ++i) {
        db::Params s;
        s.setInt("Hd", id);
        conn().execute("Insert Into SoShip (SoHd, Remark) Values (:Hd, 'ship')", s);
      }
    }
  }

  db::Connection& conn() { return app.dm().DMdata; }
  qint64 idOf(const QString& no) {
    db::Params p;
    p.setText("No", no);
    db::Result r = conn().select("Select Id From SoHd Where SoNo = :No", p);
    return r.isEmpty() ? 0 : r.asInt("Id");
  }
  int count(const QString& sql, qint64 id) {
    db::Params p;
    p.setInt("Id", id);
    return int(conn().select(sql, p).asInt("N"));
  }
  static QStringList listed(TFrSearch& s) {
    QStringList out;
    for (int r = 0; r < s.QSearch.rowCount(); ++r) out << s.QSearch.at(r, s.QSearch.findColumn("SoNo")).toString();
    return out;
  }
  static QPoint rowCentre(TFrSearch& s, int row) { return s.DgSearch->visualRect(s.DgSearch->model()->index(row, 0)).center(); }
  static void clickTitle(TFrSearch& s, int column) {
    QHeaderView* h = s.DgSearch->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(column) + 5, h->height() / 2));
  }

  testsupport::AppFixture app;
};

TEST_F(SearchFixture, KeysSearchPickAndCancel) {
  widgets::ScopedModalDrivers drivers;
  TFrSearchTestSo pick;
  pick.KeyFieldName = "SoNo";
  drivers.then([&](QDialog&) {
    EXPECT_TRUE(pick.Code->hasFocus());
    EXPECT_EQ(pick.DgSearch->model()->rowCount(), 0);  // empty until the first search
    QTest::keyClicks(pick.Code, "zzt-000");
    EXPECT_EQ(pick.Code->text(), "ZZT-000");
    QTest::keyClick(pick.Code, Qt::Key_Return);  // Enter in Code searches
    EXPECT_EQ(listed(pick), (QStringList{"ZZT-0001", "ZZT-0002", "ZZT-0003"}));
    EXPECT_TRUE(pick.DgSearch->hasFocus());
    EXPECT_EQ(pick.DgSearch->currentIndex().row(), 0);
    pick.Code->setFocus();
    QTest::keyClick(pick.Code, Qt::Key_Down);  // Down in Code goes to the grid
    EXPECT_TRUE(pick.DgSearch->hasFocus());
    QTest::keyClick(pick.DgSearch, Qt::Key_Down);
    QTest::keyClick(pick.DgSearch, Qt::Key_Down);
    QTest::keyClick(pick.DgSearch, Qt::Key_Return);  // Enter on the grid picks the row
  });
  EXPECT_EQ(pick.ShowModal(), QDialog::Accepted);
  EXPECT_EQ(pick.ResultKey, "ZZT-0003");

  for (bool fromGrid : {false, true}) {
    SCOPED_TRACE(fromGrid ? "Escape on the grid" : "Escape in Code");
    TFrSearchTestSo cancel;
    cancel.KeyFieldName = "SoNo";
    drivers.then([&](QDialog&) {
      QTest::keyClick(cancel.Code, Qt::Key_Return);
      QWidget* target = fromGrid ? static_cast<QWidget*>(cancel.DgSearch) : cancel.Code;
      target->setFocus();
      QTest::keyClick(target, Qt::Key_Escape);
    });
    EXPECT_EQ(cancel.ShowModal(), QDialog::Rejected);
    EXPECT_EQ(cancel.ResultKey, "");
  }
}

TEST_F(SearchFixture, CancelledDocumentIsRefusedAndTheDialogStaysOpen) {
  for (bool thai : {true, false}) {
    SCOPED_TRACE(thai ? "Thai" : "English");
    app.config().IsThai = thai;
    app.prompts().clear();
    widgets::ScopedModalDrivers drivers;
    TFrSearchTestSo dlg;
    dlg.KeyFieldName = "SoNo";
    drivers.then([&](QDialog&) {
      QTest::keyClick(dlg.Code, Qt::Key_Return);
      // A double click: the first click, then the second press reported as a double click.
      QTest::mouseClick(dlg.DgSearch->viewport(), Qt::LeftButton, {}, rowCentre(dlg, 1));  // ZZT-0002
      QTest::mouseDClick(dlg.DgSearch->viewport(), Qt::LeftButton, {}, rowCentre(dlg, 1));
      EXPECT_TRUE(dlg.isVisible());
      EXPECT_EQ(dlg.ResultKey, "");
      EXPECT_EQ(app.prompts().texts(),
                (QStringList{thai ? "เอกสารถูกยกเลิกแล้ว" : "Document Was Deleted", "สาเหตุยกเลิก : ลูกค้ายกเลิก"}));
      QTest::mouseClick(dlg.BtCancel, Qt::LeftButton);
    });
    EXPECT_EQ(dlg.ShowModal(), QDialog::Rejected);
    EXPECT_EQ(dlg.ResultKey, "");
  }
}

TEST_F(SearchFixture, OkOnAnEmptyListClosesAsCancel) {
  widgets::ScopedModalDrivers drivers;
  TFrSearchTestSo dlg;
  dlg.KeyFieldName = "SoNo";
  drivers.then([&](QDialog&) { QTest::mouseClick(dlg.BtOk, Qt::LeftButton); });
  EXPECT_EQ(dlg.ShowModal(), QDialog::Rejected);
  EXPECT_EQ(dlg.ResultKey, "");
}

TEST_F(SearchFixture, EnglishCaptionsKeepTheTitleAndLabel) {
  app.config().IsThai = false;
  TFrSearchTestSo dlg;
  dlg.show();
  EXPECT_EQ(dlg.BtSearch->text(), "Search");
  EXPECT_EQ(dlg.BtOk->text(), "Choose");
  EXPECT_EQ(dlg.BtCancel->text(), "Cancel");
  EXPECT_EQ(dlg.DgSearch->toolTip(), "");
  EXPECT_EQ(dlg.windowTitle(), "ค้นหา");
  EXPECT_EQ(dlg.Label3->text(), "รหัส");

  app.config().IsThai = true;
  TFrSearchTestSo thai;
  thai.show();
  EXPECT_EQ(thai.BtOk->text(), "เลือก");
  EXPECT_EQ(thai.DgSearch->toolTip(), "สีแดง : เอกสารยกเลิก\nสีน้ำเงิน : เอกสารรับ/จ่ายแล้ว");
}

TEST_F(SearchFixture, TypedTextIsEscapedInTheFilter) {
  TFrSearchTestSo dlg;
  dlg.show();
  struct Case {
    const char* typed;
    QStringList expected;
  };
  const Case cases[] = {
      {"_", {"ZZT_0004"}},             // an underscore matches itself only
      {"%", {}},                       // so does a percent sign
      {"'", {}},                       // a quote neither breaks the statement nor matches
      {"0002", {"ZZT-0002"}},          // matches anywhere in the number
      {"", {"ZZT-0001", "ZZT-0002", "ZZT-0003", "ZZT_0004"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    dlg.Code->setText(c.typed);
    dlg.BtSearchClick(&dlg);
    EXPECT_EQ(listed(dlg), c.expected);
  }
}

TEST_F(SearchFixture, RowColoursFollowTheFirstFlagColumnPresent) {
  TFrSearchTestSo dlg;
  const QColor window = dlg.palette().color(QPalette::Window);
  const QColor windowText = dlg.palette().color(QPalette::WindowText);
  struct Case {
    const char* select;
    bool highlight;
    QColor expected;
  };
  const Case cases[] = {
      {"Select 'Y' As DelFlag, 'Y' As Clear", false, QColor(255, 0, 0)},
      {"Select 'N' As DelFlag, 'Y' As Clear", false, window},  // a present DelFlag decides alone
      {"Select 'N' As DelFlag, 'Y' As Clear", true, windowText},
      {"Select 'Y' As Clear, 'N' As Active", false, QColor(0, 0, 255)},
      {"Select 'N' As Clear", true, windowText},
      {"Select 'N' As Active", false, QColor(255, 0, 0)},
      {"Select 'Y' As Active", false, window},
      {"Select 1 As Other", false, QColor()},  // the grid's own colours
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.select);
    dlg.QSearch.sql = QStringList{c.select};
    dlg.QSearch.open();
    QColor got;
    dlg.DgSearchGetCellParams(dlg.DgSearch, 0, c.highlight, got);
    EXPECT_EQ(got, c.expected);
  }
}

TEST_F(SearchFixture, TitleClicksToggleTheOrderAndTheMemoryOutlivesTheDialog) {
  QStringList firsts;
  QStringList lines;
  {
    TFrSearchTestSo dlg;
    dlg.show();
    dlg.BtSearchClick(&dlg);
    for (int i = 0; i < 3; ++i) {
      clickTitle(dlg, 1);  // SoDate, the third column of the rows
      lines << dlg.QSearch.sql[3];
      firsts << listed(dlg).value(0);
    }
    // A remark title neither sorts nor searches again.
    const QStringList before = dlg.QSearch.sql;
    clickTitle(dlg, 2);
    EXPECT_EQ(dlg.QSearch.sql, before);
    EXPECT_EQ(TFrSearch::LastSortField, "SODATE");
  }
  EXPECT_EQ(lines, (QStringList{"Order By 3", "Order By 3 Desc", "Order By 3"}));
  EXPECT_EQ(firsts, (QStringList{"ZZT-0002", "ZZT_0004", "ZZT-0002"}));

  // The next opening of a dialog of the class: the same column sorts descending first.
  TFrSearchTestSo again;
  again.show();
  again.BtSearchClick(&again);
  clickTitle(again, 1);
  EXPECT_EQ(again.QSearch.sql[3], "Order By 3 Desc");
  EXPECT_EQ(listed(again).value(0), "ZZT_0004");
  // Another column starts ascending.
  clickTitle(again, 0);
  EXPECT_EQ(again.QSearch.sql[3], "Order By 2");
}

// A dialog class with a sort memory of its own.
class TFrSearchOwnMemory : public TFrSearchTestSo {
 public:
  static inline QString LastSortField;
  static inline bool SortDescending = false;
  SortMemory SortMemoryOf() override { return {&LastSortField, &SortDescending}; }
};

TEST_F(SearchFixture, ADialogClassMayKeepASortMemoryOfItsOwn) {
  TFrSearchOwnMemory::LastSortField.clear();
  TFrSearchOwnMemory::SortDescending = false;
  TFrSearchTestSo base;
  base.show();
  base.BtSearchClick(&base);
  clickTitle(base, 1);  // the base class now remembers SoDate
  TFrSearchOwnMemory own;
  own.show();
  own.BtSearchClick(&own);
  clickTitle(own, 1);
  EXPECT_EQ(own.QSearch.sql[3], "Order By 3");  // its own memory: ascending first
  EXPECT_EQ(TFrSearchOwnMemory::LastSortField, "SODATE");
  clickTitle(base, 1);
  EXPECT_EQ(base.QSearch.sql[3], "Order By 3 Desc");
}

TEST_F(SearchFixture, PurgeOnlyOnCtrlShiftRightClickOfACancelledRowAfterTwoYes) {
  const qint64 cancelled = idOf("ZZT-0002");
  const qint64 open = idOf("ZZT-0001");
  struct Case {
    const char* name;
    int row;  // in the list ordered by number: 0 ZZT-0001, 1 ZZT-0002 (cancelled)
    Qt::MouseButton button;
    Qt::KeyboardModifiers mods;
    const char* table;
    QList<bool> answers;
    int questions;
    bool purged;
  };
  const Qt::KeyboardModifiers cs = Qt::ControlModifier | Qt::ShiftModifier;
  const Case cases[] = {
      {"row not cancelled", 0, Qt::RightButton, cs, "SoHd", {true, true}, 0, false},
      {"Ctrl only", 1, Qt::RightButton, Qt::ControlModifier, "SoHd", {true, true}, 0, false},
      {"Ctrl+Shift+Alt", 1, Qt::RightButton, cs | Qt::AltModifier, "SoHd", {true, true}, 0, false},
      {"left button", 1, Qt::LeftButton, cs, "SoHd", {true, true}, 0, false},
      {"no table given", 1, Qt::RightButton, cs, "", {true, true}, 0, false},
      {"No to the first question", 1, Qt::RightButton, cs, "SoHd", {false}, 1, false},
      {"No to the second question", 1, Qt::RightButton, cs, "SoHd", {true, false}, 2, false},
      {"two Yes", 1, Qt::RightButton, cs, "SoHd", {true, true}, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TFrSearchTestSo dlg;
    dlg.DelTableName = c.table;
    dlg.show();
    dlg.BtSearchClick(&dlg);
    app.prompts().clear();
    for (bool a : c.answers) app.prompts().answer(a);
    QTest::mouseClick(dlg.DgSearch->viewport(), c.button, c.mods, rowCentre(dlg, c.row));
    ASSERT_EQ(int(app.prompts().log.size()), c.questions);
    for (const auto& e : app.prompts().log) EXPECT_EQ(e.style, prompts::Style::DataModule);
    if (c.questions > 0) EXPECT_EQ(app.prompts().log[0].text, "Confirm Delete #1/2 ?");
    if (c.questions > 1) EXPECT_EQ(app.prompts().log[1].text, "Confirm Delete #2/2 ?");
    EXPECT_EQ(count("Select Count(*) As N From SoHd Where Id = :Id", cancelled), c.purged ? 0 : 1);
    EXPECT_EQ(count("Select Count(*) As N From SoShip Where SoHd = :Id", cancelled), c.purged ? 0 : 2);
    EXPECT_EQ(listed(dlg).contains("ZZT-0002"), !c.purged);  // the list was searched again
  }
  EXPECT_EQ(count("Select Count(*) As N From SoHd Where Id = :Id", open), 1);
  EXPECT_EQ(count("Select Count(*) As N From SoShip Where SoHd = :Id", open), 1);
}

TEST_F(SearchFixture, PurgeNeedsIdAndDelflagColumns) {
  TFrSearchTestSo dlg;
  dlg.DelTableName = "SoHd";
  dlg.QSearch.sql = QStringList{"Select H.SoNo, H.DelFlag From SoHd H Where H.SoNo = 'ZZT-0002'"};
  dlg.show();
  dlg.TFrSearch::BtSearchClick(&dlg);
  app.prompts().clear();
  QTest::mouseClick(dlg.DgSearch->viewport(), Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier, rowCentre(dlg, 0));
  EXPECT_TRUE(app.prompts().log.empty());
  EXPECT_EQ(count("Select Count(*) As N From SoHd Where Id = :Id", idOf("ZZT-0002")), 1);
}

}  // namespace
