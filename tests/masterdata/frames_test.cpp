// The salesman, province and customer-attribute frames.
#include <QVBoxLayout>

#include "data_source.h"
#include "salesman_province_frames.h"
#include "customer_attribute_frame.h"
#include "lookup_fixture.h"
#include "attribute_code_search.h"
#include "customer_search.h"
#include "code_search.h"
#include "salesman_search.h"

namespace {

class FramesTest : public mdtest::LookupTest {
 protected:
  void SetUp() override {
    LookupTest::SetUp();
    if (HasFatalFailure()) return;
    dept = data->misc(QStringLiteral("DEPARTMENT"), QStringLiteral("D1"), QStringLiteral("ฝ่ายขาย"));
    bkk = data->misc(QStringLiteral("CITY"), QStringLiteral("BKK"), QStringLiteral("กรุงเทพมหานคร"));
    s1 = data->salesman(QStringLiteral("S01"), QStringLiteral("สมชาย"), QStringLiteral("ใจดี"), dept);
    s2 = data->salesman(QStringLiteral("S02"), QStringLiteral("สมหญิง"), QStringLiteral("ขยัน"), dept, QStringLiteral("N"));
  }
  qint64 dept = 0, bkk = 0, s1 = 0, s2 = 0;
};

// A small window holding a frame, a record it is bound to and another field to move to.
template <class Frame>
struct Host {
  Host() {
    frame = new Frame(&window);
    other = new QLineEdit(&window);
    other->setObjectName(QStringLiteral("Other"));
    auto* l = new QVBoxLayout(&window);
    l->addWidget(frame);
    l->addWidget(other);
  }
  QWidget window;
  Frame* frame;
  QLineEdit* other;
  db::Result record{QStringList{QStringLiteral("Salesman"), QStringLiteral("Province")}, {{QVariant(), QVariant()}}};
  widgets::DataSource ds{&record};
};

TEST_F(FramesTest, SalesmanF5SearchesAndTheCodeIsLookedUp) {
  Host<TFaGetSalesman> h;
  h.frame->Salesman->setDataSource(&h.ds, QStringLiteral("Salesman"));
  mdtest::showActive(h.window);
  h.frame->Salesman->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(h.frame->BtSearchSalesman->isEnabled());

  widgets::ScopedModalDrivers drivers;
  drivers.then([](QDialog& dlg) {
    auto& s = static_cast<TF_SearchSalesman&>(dlg);
    s.SCode->setText(QStringLiteral("S01"));
    s.BSearchClick();
    s.accept();
  });
  QTest::keyClick(h.frame->Salesman, Qt::Key_F5);
  EXPECT_EQ(widgets::PendingModalDrivers(), 0) << "F5 opened the search";
  EXPECT_EQ(h.frame->Salesman->text(), QStringLiteral("S01"));
  EXPECT_EQ(h.record.asInt(QStringLiteral("Salesman")), s1);
  EXPECT_EQ(h.frame->SalesmanName->text(), QStringLiteral("สมชาย"));

  mdtest::showActive(h.window);  // the window is active again after the dialog
  EXPECT_EQ(h.window.focusWidget(), h.frame->Salesman) << "the chosen code has the focus";
  h.other->setFocus(Qt::TabFocusReason);
  EXPECT_FALSE(h.frame->BtSearchSalesman->isEnabled());
  EXPECT_EQ(h.frame->QSalesman.asString(QStringLiteral("name")), QStringLiteral("สมชาย"));
}

TEST_F(FramesTest, SuspendedSalesmanIsRefusedOnlyWithoutALookupFilter) {
  Host<TFaGetSalesman> h;
  h.frame->Salesman->setDataSource(&h.ds, QStringLiteral("Salesman"));
  mdtest::showActive(h.window);

  // As designed, the filter keeps him out: no message, no id.
  h.frame->Salesman->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(h.frame->Salesman, QStringLiteral("S02"));
  h.other->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(app->prompts().log.empty());
  EXPECT_TRUE(h.record.isNull(QStringLiteral("Salesman")));
  EXPECT_EQ(h.frame->SalesmanName->text(), QStringLiteral("-"));

  // Without the filter the frame itself refuses him.
  h.frame->Salesman->setFilter(QString());
  h.frame->Salesman->setFocus(Qt::TabFocusReason);
  h.frame->Salesman->selectAll();
  QTest::keyClicks(h.frame->Salesman, QStringLiteral("S02"));
  h.other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("พนักงานขาย ถูกระงับไปแล้ว  !")});
  EXPECT_EQ(h.frame->Salesman->text(), QString());
  EXPECT_TRUE(h.record.isNull(QStringLiteral("Salesman")));
  EXPECT_EQ(h.window.focusWidget(), h.frame->Salesman);
}

TEST_F(FramesTest, ProvinceSearchFillsTheCodeAndCancelLeavesIt) {
  Host<TFaGetProvince> h;
  h.frame->Province->setDataSource(&h.ds, QStringLiteral("Province"));
  mdtest::showActive(h.window);
  h.frame->Province->setFocus(Qt::TabFocusReason);
  widgets::ScopedModalDrivers drivers;
  drivers.then([](QDialog& dlg) {
    auto& m = static_cast<TF_SearchMisc&>(dlg);
    EXPECT_EQ(m.windowTitle(), QStringLiteral("ค้นหา รายชื่อจังหวัด"));
    EXPECT_EQ(m.MiscGroupCode, QStringLiteral("CITY"));
    m.EnterString->setText(QStringLiteral("กรุงเทพ"));
    m.Search();
    m.accept();
  });
  drivers.then([](QDialog& dlg) { dlg.reject(); });
  QTest::keyClick(h.frame->Province, Qt::Key_F5);
  EXPECT_EQ(h.frame->Province->text(), QStringLiteral("BKK"));
  EXPECT_EQ(h.record.asInt(QStringLiteral("Province")), bkk);
  QTest::keyClick(h.frame->Province, Qt::Key_F5);
  EXPECT_EQ(h.frame->Province->text(), QStringLiteral("BKK"));
  EXPECT_EQ(h.frame->ProvinceName->text(), QStringLiteral("กรุงเทพมหานคร"));
}

// ---- Attribute frame --------------------------------------------------------------------------

class AttrFrameTest : public FramesTest {
 protected:
  void SetUp() override {
    FramesTest::SetUp();
    if (HasFatalFailure()) return;
    kind = data->attrGroup(QStringLiteral("KD"), QStringLiteral("ก ประเภทร้าน"));
    size = data->attrGroup(QStringLiteral("SZ"), QStringLiteral("ข ขนาดร้าน"));
    data->attrGroup(QStringLiteral("RG"), QStringLiteral("ค ภาค"));
    data->attrCode(size, QStringLiteral("L"), QStringLiteral("ใหญ่"));
    data->attrCode(kind, QStringLiteral("W"), QStringLiteral("ค้าส่ง"));
    dialog = std::make_unique<TF_SearchCustomer>();
    mdtest::showActive(*dialog);
    frame = dialog->FaSelectCustomerAttr1;
    grid = frame->DgSelectCusAttr;
  }
  std::pair<int, int> cell() const { return {grid->currentIndex().row(), grid->currentIndex().column()}; }

  qint64 kind = 0, size = 0;
  std::unique_ptr<TF_SearchCustomer> dialog;
  TFaSelectCustomerAttr* frame = nullptr;
  widgets::DbGrid* grid = nullptr;
};

TEST_F(AttrFrameTest, EnterWalksBeginAndEndCodesRowByRow) {
  ASSERT_EQ(frame->QCusAttrGroup.rowCount(), 3);
  grid->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(cell(), std::make_pair(0, 1)) << "entering the grid selects the begin code";
  const std::pair<int, int> walk[] = {{0, 2}, {1, 1}, {1, 2}, {2, 1}, {2, 2}, {2, 1}};
  for (const auto& expected : walk) {
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(cell(), expected);
  }
  EXPECT_FALSE(dialog->QSearch.active()) << "Enter in the attribute grid does not search";
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(frame->QCusAttrGroup.rowCount(), 3);
  frame->AppendRecord();  // a row the grid starts is taken away again
  EXPECT_EQ(frame->QCusAttrGroup.rowCount(), 3);

  // The description column is never selected.
  grid->setCurrentIndex(grid->resultModel()->index(1, 0));
  EXPECT_EQ(cell(), std::make_pair(1, 1));
}

TEST_F(AttrFrameTest, TypedCodesAreUpperCasedAndCutAtTheFieldSize) {
  grid->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(frame->CodeSize(), 20);
  QTest::keyClick(grid, Qt::Key_A);
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, grid) << "typing edits the row at once";
  QTest::keyClicks(editor, QStringLiteral("b-c 1234567890123456789xyz"));
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(frame->QCusAttrGroup.at(0, frame->QCusAttrGroup.findColumn(QStringLiteral("BeginAttrCode"))).toString(),
            QStringLiteral("ABC12345678901234567"));
  EXPECT_EQ(cell(), std::make_pair(0, 2));
}

TEST_F(AttrFrameTest, F5OnTheEndColumnPicksTheEndCodeOfThatGroup) {
  grid->setFocus(Qt::TabFocusReason);
  QTest::keyClick(grid, Qt::Key_Down);  // the second row: ข ขนาดร้าน
  QTest::keyClick(grid, Qt::Key_Return);
  ASSERT_EQ(cell(), std::make_pair(1, 2));
  widgets::ScopedModalDrivers drivers;
  drivers.then([this](QDialog& dlg) {
    auto& a = static_cast<TFrSearchCusAttrCode&>(dlg);
    EXPECT_EQ(a.AttrGroupId, size);
    EXPECT_EQ(mdtest::codes(a.QSearch), QStringList{QStringLiteral("L")});
    a.accept();
  });
  QTest::keyClick(grid, Qt::Key_F5);
  const db::Query& g = frame->QCusAttrGroup;
  EXPECT_EQ(g.at(1, g.findColumn(QStringLiteral("EndAttrCode"))).toString(), QStringLiteral("L"));
  EXPECT_TRUE(g.at(1, g.findColumn(QStringLiteral("BeginAttrCode"))).toString().isEmpty());
  QVector<masterdata::AttrRange> ranges = frame->Ranges();
  ASSERT_EQ(ranges.size(), 3);
  EXPECT_EQ(ranges[1].groupCode, QStringLiteral("SZ"));
  EXPECT_EQ(ranges[1].endCode, QStringLiteral("L"));
}

TEST_F(AttrFrameTest, RangesAreLostWhenTheListIsReopened) {
  frame->QCusAttrGroup.setValue(QStringLiteral("BeginAttrCode"), QStringLiteral("W"));
  dialog->reject();
  dialog->show();
  for (const masterdata::AttrRange& r : frame->Ranges()) EXPECT_TRUE(r.beginCode.isEmpty());
}

}  // namespace
