// The three consolidation search dialogs on the demo site, driven through the modal seam with real
// key presses.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include "app_fixture.h"
#include "data_module.h"
#include "config_module.h"
#include "modal.h"
#include "consolidation_number_search.h"
#include "zone_consolidation_search.h"
#include "bill_collection_search.h"

namespace {

class ConsoSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    QApplication::setQuitOnLastWindowClosed(false);
    TFrSearch::LastSortField.clear();
    TFrSearch::SortDescending = false;
    TFrSearchConsoNoQelDru::LastSortField.clear();
    TFrSearchConsoNoQelDru::SortDescending = false;
    TFrSearchConsoNo::LastSortField.clear();
    TFrSearchConsoNo::SortDescending = false;
  }
  void TearDown() override { widgets::ClearModalDrivers(); }

  db::Connection& conn() { return app.dm().DMdata; }
  QString docNo(int id) { return conn().select("Select DocNo From ConsolidateHd Where Id = " + QString::number(id)).asString("DocNo"); }

  // Types a search text and presses Enter in the dialog.
  static void search(TFrSearch& d, const QString& text) {
    d.Code->setFocus(Qt::TabFocusReason);
    d.Code->clear();
    QTest::keyClicks(d.Code, text);
    QTest::keyClick(d.Code, Qt::Key_Return);
  }
  static QStringList column(TFrSearch& d, const QString& name) {
    QStringList out;
    const int c = d.QSearch.findColumn(name);
    for (int r = 0; r < d.QSearch.rowCount(); ++r) out << d.QSearch.at(r, c).toString();
    return out;
  }
  // Moves the grid to the row whose column holds the value.
  static void goTo(TFrSearch& d, const QString& name, const QString& value) {
    const int r = int(column(d, name).indexOf(value));
    ASSERT_GE(r, 0) << value.toStdString();
    d.DSearch.moveTo(r);
    d.DgSearch->setFocus(Qt::TabFocusReason);
  }
  static void clickTitle(TFrSearch& d, const QString& field) {
    const int section = d.DgSearch->resultModel()->columnOf(field);
    QHeaderView* h = d.DgSearch->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(section) + 5, h->height() / 2));
  }

  testsupport::AppFixture app;
};

TEST_F(ConsoSearch, ZoneConsolidationsAreListedAndFilteredAnywhereInTheNumber) {
  TFrSearchConsoNoQelDru d;
  d.KeyFieldName = "DocNo";
  EXPECT_EQ(d.windowTitle(), "ค้นหา");
  EXPECT_EQ(d.Label3->text(), "เลขที่");
  EXPECT_EQ(d.size(), QSize(528, 279));
  QStringList rows;
  widgets::QueueModalDriver([&](QDialog&) {
    EXPECT_FALSE(d.QSearch.active());  // empty until the first search
    search(d, "");
    rows = column(d, "DocNo");
    EXPECT_TRUE(d.DgSearch->hasFocus());
    search(d, docNo(2).mid(3, 6));  // a piece from the middle of the numbers
    EXPECT_EQ(column(d, "DocNo").size(), 3);
    search(d, docNo(3).right(3));
    EXPECT_EQ(column(d, "DocNo"), QStringList{docNo(3)});
    search(d, "%");  // typed text is text, not a pattern
    EXPECT_TRUE(d.QSearch.isEmpty());
  });
  EXPECT_EQ(d.ShowModal(), QDialog::Rejected);
  EXPECT_EQ(rows, (QStringList{docNo(3), docNo(2), docNo(1)}));  // newest number first, deleted and finished too
  QStringList titles;
  for (const auto& c : d.DgSearch->columns()) titles << c.field + "=" + c.title;
  EXPECT_EQ(titles, (QStringList{"DocNo=เลขที่ Conso", "DocDate=วันที่ Conso", "Senddate=วันที่ส่ง", "ZoneDesc=เขตการขาย"}));
}

TEST_F(ConsoSearch, ADeletedConsolidationIsRefusedAndAFinishedOneNoted) {
  struct Case {
    int id;
    QStringList messages;
    int result;
    bool handedBack;
  };
  const Case cases[] = {
      {3, {"เอกสารถูกยกเลิกแล้ว"}, QDialog::Rejected, false},  // then Escape
      {2, {"เอกสารจัดเสร็จแล้ว"}, QDialog::Accepted, true},
      {1, {}, QDialog::Accepted, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    app.prompts().clear();
    TFrSearchConsoNoQelDru d;
    d.KeyFieldName = "DocNo";
    bool stayedOpen = false;
    widgets::QueueModalDriver([&](QDialog&) {
      search(d, "");
      goTo(d, "DocNo", docNo(c.id));
      QTest::keyClick(d.DgSearch, Qt::Key_Return);
      stayedOpen = d.isVisible();
      if (stayedOpen) {
        EXPECT_TRUE(d.ResultKey.isEmpty());
        QTest::keyClick(d.DgSearch, Qt::Key_Escape);
      }
    });
    EXPECT_EQ(d.ShowModal(), c.result);
    EXPECT_EQ(stayedOpen, !c.handedBack);
    EXPECT_EQ(app.prompts().texts(), c.messages);
    EXPECT_EQ(d.ResultKey, c.handedBack ? docNo(c.id) : QString());
  }
}

TEST_F(ConsoSearch, OkOnAnEmptyListCancels) {
  TFrSearchConsoNoQelDru d;
  d.KeyFieldName = "DocNo";
  widgets::QueueModalDriver([&](QDialog&) {
    search(d, "NOTHING-LIKE-THIS");
    d.BtOk->click();
  });
  EXPECT_EQ(d.ShowModal(), QDialog::Rejected);
  EXPECT_EQ(d.ResultKey, "");
}

TEST_F(ConsoSearch, RowsAreRedWhenDeletedAndBlueWhenFinished) {
  TFrSearchConsoNoQelDru d;
  widgets::QueueModalDriver([&](QDialog&) {
    search(d, "");
    const QStringList nos = column(d, "DocNo");
    auto colour = [&](int id, bool selected) {
      QColor c;
      d.DgSearchGetCellParams(d.DgSearch, int(nos.indexOf(docNo(id))), selected, c);
      return c;
    };
    EXPECT_EQ(colour(3, false), QColor(255, 0, 0));
    EXPECT_EQ(colour(3, true), QColor(255, 0, 0));
    EXPECT_EQ(colour(2, false), QColor(0, 0, 255));
    EXPECT_EQ(colour(1, false), d.palette().color(QPalette::Window));
    EXPECT_EQ(colour(1, true), d.palette().color(QPalette::WindowText));
  });
  d.ShowModal();
}

TEST_F(ConsoSearch, EachDialogClassRemembersItsOwnSortingForTheRun) {
  {
    TFrSearchConsoNoQelDru d;
    widgets::QueueModalDriver([&](QDialog&) {
      search(d, "");
      clickTitle(d, "DocNo");
      EXPECT_EQ(column(d, "DocNo"), (QStringList{docNo(1), docNo(2), docNo(3)}));  // ascending
    });
    d.ShowModal();
  }
  EXPECT_EQ(TFrSearchConsoNoQelDru::LastSortField, "DOCNO");
  EXPECT_TRUE(TFrSearch::LastSortField.isEmpty());  // not the memory of the other search dialogs
  {
    TFrSearchConsoNoQelDru d;
    widgets::QueueModalDriver([&](QDialog&) {
      search(d, "");
      clickTitle(d, "DocNo");  // the first click after reopening toggles the remembered direction
      EXPECT_EQ(column(d, "DocNo"), (QStringList{docNo(3), docNo(2), docNo(1)}));
      clickTitle(d, "DocNo");
      EXPECT_EQ(column(d, "DocNo"), (QStringList{docNo(1), docNo(2), docNo(3)}));
      clickTitle(d, "ZoneDesc");  // another column starts ascending
      QStringList zones = column(d, "ZoneDesc");
      QStringList sorted = zones;
      std::sort(sorted.begin(), sorted.end());
      EXPECT_EQ(zones, sorted);
    });
    d.ShowModal();
  }
}

TEST_F(ConsoSearch, ConsolidationNumbersOfTheSalesOrdersAreListedOncePerNumberZoneAndDay) {
  // Two orders of one customer share a number and a day; one of another zone carries another.
  conn().execute("Update SoHd Set ConsoNo = Null, ConsoDate = Null");
  conn().execute("Update SoHd Set ConsoNo = 'WEB-0001', ConsoDate = '2024-03-01 09:15:00' Where Id In (1, 2)");
  conn().execute("Update SoHd Set ConsoNo = 'WEB-0002', ConsoDate = '2024-03-02 10:00:00' Where Id = 4");
  TFrSearchConsoNo d;
  d.KeyFieldName = "ConsoNo";
  EXPECT_EQ(d.Label3->text(), "เลขที่");
  widgets::QueueModalDriver([&](QDialog&) {
    search(d, "");
    EXPECT_EQ(column(d, "ConsoNo"), (QStringList{"WEB-0002", "WEB-0001"}));  // newest day first
    EXPECT_EQ(d.QSearch.columns(), (QStringList{"ConsoNo", "ZoneCode", "Zonename", "ConsoDate"}));
    EXPECT_EQ(d.DgSearch->model()->data(d.DgSearch->model()->index(1, 2)).toString(), "01/03/2024");
    EXPECT_EQ(d.DgSearch->model()->data(d.DgSearch->model()->index(1, 1)).toString(), "");  // no customer name
    search(d, "001");
    EXPECT_EQ(column(d, "ConsoNo"), QStringList{"WEB-0001"});
    QTest::keyClick(d.DgSearch, Qt::Key_Return);
  });
  EXPECT_EQ(d.ShowModal(), QDialog::Accepted);
  EXPECT_EQ(d.ResultKey, "WEB-0001");
  EXPECT_TRUE(TFrSearchConsoNoQelDru::LastSortField.isEmpty());
}

TEST_F(ConsoSearch, BillCollectionDocumentsAreListedOncePerNumberDayAndZone) {
  TFrSearchconsolidate_Load d;
  d.KeyFieldName = "DocNo";
  EXPECT_EQ(d.windowTitle(), "FrSearchconsolidate_Load");
  EXPECT_EQ(d.Label3->text(), "รหัส");
  EXPECT_EQ(d.size(), QSize(665, 322));
  const QString no = conn().select("Select Docno From MoneyBill").asString("Docno");
  ASSERT_FALSE(no.isEmpty());
  // A document whose zone is not a ZONE row is listed after a search too.
  conn().execute("Insert Into MoneyBill (Docno, DocDate, CustomerZone, Delflag, BillDocType, BillDocId) "
                 "Select 'MBX-77', '2024-02-02 08:00:00', Id, 'N', 'I', 1 From Misc Where GroupCode = 'CITY' Limit 1");
  widgets::QueueModalDriver([&](QDialog&) {
    search(d, "");
    EXPECT_EQ(column(d, "DocNo"), (QStringList{no, "MBX-77"}));  // one row for the demo's two invoices
    search(d, "X-7");
    EXPECT_EQ(column(d, "DocNo"), QStringList{"MBX-77"});
    // A double click: the first click, then the second press reported as a double click.
    const QPoint row = d.DgSearch->visualRect(d.DgSearch->model()->index(0, 0)).center();
    QTest::mouseClick(d.DgSearch->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(d.DgSearch->viewport(), Qt::LeftButton, {}, row);
  });
  EXPECT_EQ(d.ShowModal(), QDialog::Accepted);
  EXPECT_EQ(d.ResultKey, "MBX-77");
}

}  // namespace
