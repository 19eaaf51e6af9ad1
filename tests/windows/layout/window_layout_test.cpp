// The working windows on a 1280x1024 screen with the demo data: each opens resizable, at least at
// its design size and inside the screen; every grid column holds its title and the widest text of
// its rows (measured with the grid's own font); the zone consolidation's thirteen columns fit its
// grid without scrolling sideways; the size a user leaves a window at is the size it opens at next
// time, for that user only.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QTimer>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <memory>

#include "app_fixture.h"
#include "bill_collection_window.h"
#include "box_packing_window.h"
#include "box_stickers_window.h"
#include "config_module.h"
#include "data_module.h"
#include "data_grid.h"
#include "document_print_dialog.h"
#include "error_reporter.h"
#include "modal.h"
#include "prompts.h"
#include "window_size.h"
#include "zone_consolidation_search.h"
#include "zone_consolidation_window.h"

namespace {

class WindowLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    QApplication::setQuitOnLastWindowClosed(false);
    data::SetExceptionHandler([this](QObject*, std::exception_ptr e) { errors << data::ErrorMessageOf(e); });
    const QSize screen = QGuiApplication::primaryScreen()->size();
    ASSERT_EQ(screen, QSize(1280, 1024)) << "the test's screen (screen_1280x1024.json)";
  }
  void TearDown() override {
    widgets::ClearModalDrivers();
    TFrDocPrintForm::ReleaseInstance();
    data::SetExceptionHandler({});
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  }

  // Every column holds its title (on at most two lines, the header then as high as two lines) and
  // the widest text of its rows.
  static void expectColumnsWhole(widgets::DbGrid* g) {
    widgets::ResultModel* m = g->resultModel();
    const QFontMetrics fm = g->fontMetrics();
    const QFontMetrics hfm = g->horizontalHeader()->fontMetrics();
    for (int c = 0; c < m->columnCount(); ++c) {
      const QString title = m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
      int widest = widgets::DbGrid::TitleWidth(hfm, title);
      if (hfm.horizontalAdvance(title) > g->columnWidth(c)) EXPECT_GE(g->horizontalHeader()->height(), 2 * hfm.height()) << title.toStdString();
      QString widestText = title;
      for (int r = 0; r < m->rowCount(); ++r) {
        const QString t = m->data(m->index(r, c), Qt::DisplayRole).toString();
        if (fm.horizontalAdvance(t) > widest) {
          widest = fm.horizontalAdvance(t);
          widestText = t;
        }
      }
      // The cell's text margins come on top of the text.
      EXPECT_GE(g->columnWidth(c), widest + 6) << m->columns()[c].field.toStdString() << ": " << widestText.toStdString();
    }
  }
  // Every column side by side in the grid: nothing to scroll sideways.
  static void expectColumnsFit(widgets::DbGrid* g) {
    QApplication::processEvents();
    QStringList widths;
    for (int c = 0; c < g->resultModel()->columnCount(); ++c)
      widths << QStringLiteral("%1 %2/%3").arg(g->resultModel()->columns()[c].field).arg(g->columnWidth(c)).arg(g->designWidth(c));
    EXPECT_LE(g->columnsWidth(), g->viewport()->width()) << widths.join(", ").toStdString();
    EXPECT_EQ(g->horizontalScrollBar()->maximum(), 0);
  }
  static void expectOnScreen(QWidget* w, QSize design) {
    const QRect avail = w->screen()->availableGeometry();
    EXPECT_TRUE(avail.contains(w->frameGeometry())) << w->metaObject()->className();
    EXPECT_GE(w->width(), std::min(design.width(), avail.width()));
    EXPECT_GE(w->height(), std::min(design.height(), avail.height()));
    EXPECT_LT(w->minimumWidth(), w->maximumWidth()) << "resizable";
  }

  testsupport::AppFixture app;
  QStringList errors;
};

TEST_F(WindowLayout, ZoneConsolidationShowsEveryColumnOfEveryZoneWhole) {
  TFrConsolidate_Qel_Dru w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  expectOnScreen(&w, QSize(1010, 640));
  // The empty grid already opens with room for all thirteen columns.
  ASSERT_EQ(w.DgDt->resultModel()->columnCount(), 13);
  expectColumnsFit(w.DgDt);
  // A whole consolidation number shows in the number field.
  const QFontMetrics nfm = w.FaGetDocNo1->DocNo->fontMetrics();
  EXPECT_GE(w.FaGetDocNo1->DocNo->width(), nfm.horizontalAdvance(QStringLiteral("CON260000000008")) + 8);

  int loaded = 0;
  for (int i = 0; i < w.EZone->count(); ++i) {
    SCOPED_TRACE(w.EZone->itemText(i).toStdString());
    w.AcNew->trigger();
    w.EZone->setCurrentIndex(i);
    w.BLoad->click();
    loaded += w.QConsoDt.rowCount();
    expectColumnsWhole(w.DgDt);
    expectColumnsFit(w.DgDt);
    expectOnScreen(&w, QSize(1010, 640));
  }
  EXPECT_GT(loaded, 0) << "the demo has due lines";
  w.hide();
}

TEST_F(WindowLayout, BillCollectionShowsEveryColumnOfEveryZoneWhole) {
  TFrconsolidate_load w;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  expectOnScreen(&w, QSize(760, 520));
  int loaded = 0;
  for (int i = 0; i < w.EZone->count(); ++i) {
    SCOPED_TRACE(w.EZone->itemText(i).toStdString());
    w.AcNew->trigger();
    w.EZone->setCurrentIndex(i);
    w.BLoad->click();
    loaded += w.DgDt->resultModel()->rowCount();
    expectColumnsWhole(w.DgDt);
    expectColumnsFit(w.DgDt);
  }
  EXPECT_GT(loaded, 0) << "the demo has open invoices";
  // The tick column's title is whole.
  EXPECT_GE(w.DgDt->columnWidth(0), w.DgDt->horizontalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("เลือก")) + 6);
  w.hide();
}

TEST_F(WindowLayout, TheZoneSearchListsEveryConsolidationWhole) {
  TFrSearchConsoNoQelDru d;
  widgets::ScopedModalDrivers drivers;
  drivers.then([&](QDialog&) {
    expectOnScreen(&d, QSize(528, 279));
    d.Code->clear();
    QTest::keyClick(d.Code, Qt::Key_Return);  // an empty text lists every consolidation
    EXPECT_GT(d.QSearch.rowCount(), 0);
    expectColumnsWhole(d.DgSearch);
    expectColumnsFit(d.DgSearch);
    d.reject();
  });
  d.ShowModal();
}

TEST_F(WindowLayout, BoxPackingAndStickersOpenWholeInsideTheScreen) {
  TFrProductInBoxNo packing;
  packing.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&packing));
  expectOnScreen(&packing, QSize(860, 560));
  EXPECT_GE(packing.wwDBGrid1->width(), packing.wwDBGrid1->sizeHint().width()) << "every scanned column side by side";
  packing.hide();

  TFrPrintBoxNo stickers;
  stickers.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&stickers));
  expectOnScreen(&stickers, stickers.minimumSizeHint());
  // Neither in a corner nor in tiny letters.
  const QRect avail = stickers.screen()->availableGeometry();
  EXPECT_LT(std::abs(stickers.frameGeometry().center().x() - avail.center().x()), 20);
  EXPECT_GE(stickers.font().pixelSize(), 13);
  EXPECT_TRUE(stickers.BSetPrinter->isVisible());
  stickers.hide();
}

TEST_F(WindowLayout, ThePrintDialogNamesItsDocumentAndShowsItsFormsWhole) {
  const QString conso = app.dm().DMdata.select("Select Min(DocNo) As D From ConsolidateHd").asString("D");
  TFrDocPrintForm& f = TFrDocPrintForm::Instance();
  f.DocNo = conso;
  f.DocYear = 2026;
  f.PrintCode = QStringLiteral("CONSOLIDAT");
  widgets::ScopedModalDrivers drivers;
  bool shown = false;
  drivers.then([&](QDialog&) {
    shown = true;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("พิมพ์เอกสาร - CONSOLIDAT ") + conso);
    EXPECT_EQ(f.y(), 0);
    expectColumnsWhole(f.SystemFormList);
    expectColumnsFit(f.SystemFormList);
    f.close();
  });
  f.ShowModal();
  EXPECT_TRUE(shown);
}

TEST_F(WindowLayout, AWindowOpensAtTheSizeItsUserLeftIt) {
  // Users of their own, who never opened the window before.
  const int user = DMConfig->UserId;
  const auto openAs = [](int userId, const std::function<void(TFrconsolidate_load&)>& use) {
    DMConfig->UserId = userId;
    TFrconsolidate_load w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    use(w);
    w.hide();
  };
  QSize opening;
  openAs(9001, [&](TFrconsolidate_load& w) {
    opening = w.size();
    w.resize(opening + QSize(40, 60));
  });
  openAs(9001, [&](TFrconsolidate_load& w) {
    EXPECT_EQ(w.size(), opening + QSize(40, 60));
    w.resize(300, 200);
  });
  // Smaller than its design size it never opens.
  openAs(9001, [&](TFrconsolidate_load& w) {
    EXPECT_GE(w.width(), 760);
    EXPECT_GE(w.height(), 520);
  });
  // Another user of the same desktop has sizes of his own.
  openAs(9002, [&](TFrconsolidate_load& w) { EXPECT_EQ(w.size(), opening); });
  DMConfig->UserId = user;
}

TEST_F(WindowLayout, AThaiRunKeepsTheBlueQuestionsEnglishYesAndNo) {
  // The Thai translation of Qt is installed for the Thai user; the quoted button texts stay.
  ASSERT_TRUE(DMConfig->IsThai);
  auto previous = prompts::install(nullptr);
  QStringList buttons;
  QString title;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    for (QAbstractButton* b : box->buttons()) buttons << b->text();
    QTest::keyClick(box, Qt::Key_Escape);
  });
  EXPECT_FALSE(prompts::confirm(QStringLiteral("บันทึกข้อมูล ?")));
  prompts::install(previous);
  buttons.sort();
  EXPECT_EQ(buttons, (QStringList{"No", "Yes"}));
  EXPECT_EQ(title, QStringLiteral("ยืนยัน"));
}

}  // namespace
