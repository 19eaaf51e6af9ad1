// The salesman, code-group and attribute-code search dialogs, and the customer search: typed text is
// matched as ordinary characters, searches, sorting and what the dialogs hand back.
#include "lookup_fixture.h"
#include "attribute_code_search.h"
#include "customer_search.h"
#include "code_search.h"
#include "salesman_search.h"

namespace {

class SearchDialogsTest : public mdtest::LookupTest {
 protected:
  void SetUp() override {
    LookupTest::SetUp();
    if (HasFatalFailure()) return;
    dept = data->misc(QStringLiteral("DEPARTMENT"), QStringLiteral("D1"), QStringLiteral("ฝ่ายขาย"));
    bkk = data->misc(QStringLiteral("CITY"), QStringLiteral("BKK"), QStringLiteral("กรุงเทพมหานคร"));
    cnx = data->misc(QStringLiteral("CITY"), QStringLiteral("CNX"), QStringLiteral("เชียงใหม่"));
    data->misc(QStringLiteral("CITY"), QStringLiteral("P%1"), QStringLiteral("จังหวัด 100% จริง"));
    data->misc(QStringLiteral("CITY"), QStringLiteral("P_1"), QStringLiteral("จังหวัด O'Hara"));
    data->misc(QStringLiteral("CITY"), QStringLiteral("PX1"), QStringLiteral("จังหวัด 1000 จริง"));
    data->misc(QStringLiteral("ZONE"), QStringLiteral("Z1"), QStringLiteral("เชียงใหม่ เขต 1"));
    s1 = data->salesman(QStringLiteral("S01"), QStringLiteral("สมชาย"), QStringLiteral("ใจดี"), dept);
    s2 = data->salesman(QStringLiteral("S02"), QStringLiteral("สม'หญิง"), QStringLiteral("100%"), dept, QStringLiteral("N"));
    s3 = data->salesman(QStringLiteral("S_3"), QStringLiteral("อนันต์"), QVariant(), dept);
  }
  qint64 dept = 0, bkk = 0, cnx = 0, s1 = 0, s2 = 0, s3 = 0;
};

TEST_F(SearchDialogsTest, SalesmanSearchMatchesTypedTextLiterally) {
  TF_SearchSalesman d;
  d.show();
  struct Case {
    const char* code;
    const char* name;
    const char* surname;
    QStringList expected;
  } cases[] = {
      {"", "", "", {"S01", "S02", "S_3"}},  // every status, and a salesman without a surname
      {"S_", "", "", {"S_3"}},              // "_" is not a wildcard
      {"", "'", "", {"S02"}},
      {"", "", "%", {"S02"}},
      {"", "สม", "", {"S01", "S02"}},
      {"S0", "", "ใจ", {"S01"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code + std::string("|") + c.name + "|" + c.surname);
    d.SCode->setText(QString::fromUtf8(c.code));
    d.SName->setText(QString::fromUtf8(c.name));
    d.SSurname->setText(QString::fromUtf8(c.surname));
    d.BSearchClick();
    EXPECT_EQ(mdtest::codes(d.QSearch), c.expected);
  }
}

TEST_F(SearchDialogsTest, SalesmanTitleClickSortsTheNextSearchAndOkHandsBackTheCode) {
  TF_SearchSalesman* d = TF_SearchSalesman::Instance();
  EXPECT_EQ(d, TF_SearchSalesman::Instance()) << "one dialog for the process";
  d->show();
  d->BSearchClick();
  ASSERT_EQ(mdtest::codes(d->QSearch), (QStringList{"S01", "S02", "S_3"}));
  d->ListDataTitleClick(QStringLiteral("NAME"));
  EXPECT_EQ(mdtest::codes(d->QSearch), (QStringList{"S01", "S02", "S_3"})) << "a title click does not search";
  d->BSearchClick();
  EXPECT_EQ(mdtest::codes(d->QSearch), (QStringList{"S02", "S01", "S_3"}));  // สม'หญิง, สมชาย, อนันต์
  d->ListDataTitleClick(QStringLiteral("SURNAME"));
  d->BSearchClick();
  EXPECT_EQ(mdtest::codes(d->QSearch), (QStringList{"S_3", "S02", "S01"}));  // null, 100%, ใจดี
  d->DSearch->moveTo(1);
  d->accept();
  EXPECT_EQ(d->ResultCode, QStringLiteral("S02"));

  d->show();  // a new showing starts again: fields cleared, sorted by code, empty list
  EXPECT_TRUE(d->SName->text().isEmpty());
  EXPECT_FALSE(d->QSearch.active());
  d->accept();
  EXPECT_EQ(d->ResultCode, QString()) << "OK on an empty list hands back an empty code";
}

TEST_F(SearchDialogsTest, CodeGroupSearchFindsByFragmentOfNameOrCodeLiterally) {
  struct Case {
    const char* text;
    QStringList expected;
  } cases[] = {
      {"", {"BKK", "CNX", "P%1", "P_1", "PX1"}},
      {"เชียง", {"CNX"}},  // the zone of the same name is another group
      {"NX", {"CNX"}},
      {"%", {"P%1"}},
      {"100%", {"P%1"}},
      {"_", {"P_1"}},
      {"'", {"P_1"}},
      {"ไม่มี", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TF_SearchMisc d;
    d.MiscGroupCode = QStringLiteral("CITY");
    d.show();
    d.EnterString->setText(QString::fromUtf8(c.text));
    d.Search();
    EXPECT_EQ(mdtest::codes(d.QSearch), c.expected);
    d.accept();
    EXPECT_EQ(d.ResultCode, c.expected.value(0));
    if (!c.expected.isEmpty()) EXPECT_FALSE(d.ResultDescription.isEmpty());
  }
}

TEST_F(SearchDialogsTest, CodeGroupTitleSortingTogglesAndIsRememberedByTheClass) {
  TF_SearchMisc::LastSortField.clear();
  TF_SearchMisc::SortDescending = false;
  const QStringList asc{"BKK", "CNX", "P%1", "P_1", "PX1"};
  QStringList desc = asc;
  std::reverse(desc.begin(), desc.end());
  {
    TF_SearchMisc d;
    d.MiscGroupCode = QStringLiteral("CITY");
    d.show();
    d.ListDataTitleBtnClick(QStringLiteral("code"));
    EXPECT_EQ(d.QSearch.sql.last(), QStringLiteral("Order By 2"));
    EXPECT_EQ(mdtest::codes(d.QSearch), asc);
    d.ListDataTitleBtnClick(QStringLiteral("code"));
    EXPECT_EQ(mdtest::codes(d.QSearch), desc);
    d.ListDataTitleBtnClick(QStringLiteral("code"));
    EXPECT_EQ(mdtest::codes(d.QSearch), asc);
  }
  TF_SearchMisc next;
  next.MiscGroupCode = QStringLiteral("CITY");
  next.show();
  next.ListDataTitleBtnClick(QStringLiteral("code"));
  EXPECT_EQ(mdtest::codes(next.QSearch), desc) << "the memory carries over to the next dialog";
  next.ListDataTitleBtnClick(QStringLiteral("description"));
  EXPECT_EQ(next.QSearch.sql.last(), QStringLiteral("Order By 4")) << "another column starts ascending";
}

TEST_F(SearchDialogsTest, AttributeCodeSearchStaysInsideItsGroup) {
  const qint64 size = data->attrGroup(QStringLiteral("SZ"), QStringLiteral("ขนาดร้าน"));
  const qint64 kind = data->attrGroup(QStringLiteral("KD"), QStringLiteral("ประเภทร้าน"));
  data->attrCode(size, QStringLiteral("L"), QStringLiteral("ใหญ่"));
  data->attrCode(size, QStringLiteral("M"), QStringLiteral("กลาง 50%"));
  data->attrCode(size, QStringLiteral("S"), QStringLiteral("เล็ก"));
  data->attrCode(kind, QStringLiteral("L"), QStringLiteral("ใหญ่ (ค้าส่ง)"));
  data->attrCode(kind, QStringLiteral("R"), QStringLiteral("ปลีก"));
  struct Case {
    const char* text;
    bool fullWord;
    QStringList expected;
  } cases[] = {
      {"", false, {"L", "M", "S"}},
      {"ใหญ่", false, {"L"}},  // the other group's L matches too, but is never listed
      {"%", false, {"M"}},
      {"R", false, {}},
      {"กลาง", false, {"M"}},
      {"กลาง", true, {}},
      {"เล็ก", true, {"S"}},
      {"s", true, {"S"}},  // codes compare without regard to case, as on the server
  };
  TFrSearchCusAttrCode* d = TFrSearchCusAttrCode::Instance();
  d->AttrGroupId = qint32(size);
  d->show();
  EXPECT_EQ(mdtest::codes(d->QSearch), (QStringList{"L", "M", "S"})) << "showing searches at once";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    d->FullWord->setChecked(c.fullWord);
    d->Description->setText(QString::fromUtf8(c.text));  // every change searches
    d->Search();
    EXPECT_EQ(mdtest::codes(d->QSearch), c.expected);
  }
  d->Description->setText(QStringLiteral("เล็ก"));
  d->accept();
  EXPECT_EQ(d->ResultCode, QStringLiteral("S"));
}

// ---- Customer search ------------------------------------------------------------------------

class CustomerSearchTest : public SearchDialogsTest {
 protected:
  void SetUp() override {
    SearchDialogsTest::SetUp();
    if (HasFatalFailure()) return;
    using M = QVariantMap;
    c1 = data->customer(QStringLiteral("C001"), QStringLiteral("ร้านสมบูรณ์ 50% ดี"), s1, bkk,
                        {{"PhoneNo", "02-111-2222"}, {"FaxNo", "02-111-2223"}, {"NameEng", "Somboon 50% Shop"}});
    c2 = data->customer(QStringLiteral("C002"), QStringLiteral("ร้านสมบูรณ์ 50 ดี"), s2, cnx,
                        {{"PhoneNo", "053-222-333"}, {"NameEng", "O'Neil Trading"}});
    c3 = data->customer(QStringLiteral("C_03"), QStringLiteral("ร้าน A_B"), s3, bkk, {{"PhoneNo", "02-111-9999"}});
    c4 = data->customer(QStringLiteral("C004"), QStringLiteral("ร้านระงับ"), s1, bkk,
                        M{{"Blocked", "Y"}, {"PhoneNo", "02-111-0000"}});
    c5 = data->customer(QStringLiteral("C005"), QStringLiteral("ร้านปิดกิจการ"), s1, bkk,
                        M{{"Blocked", "Z"}, {"PhoneNo", "02-111-5555"}});
  }

  // Runs one search with the dialog's current fields.
  QStringList search(masterdata::CustomerSearchDialog& d) {
    d.BtSearchClick();
    return mdtest::codes(d.QSearch);
  }

  qint64 c1 = 0, c2 = 0, c3 = 0, c4 = 0, c5 = 0;
};

TEST_F(CustomerSearchTest, TypedFiltersAreMatchedLiterally) {
  struct Case {
    QLineEdit* masterdata::CustomerSearchDialog::*field;
    const char* text;
    QStringList expected;
  } cases[] = {
      {&masterdata::CustomerSearchDialog::CustomerName, "", {"C001", "C002", "C_03"}},
      {&masterdata::CustomerSearchDialog::CustomerName, "50%", {"C001"}},
      {&masterdata::CustomerSearchDialog::CustomerName, "A_B", {"C_03"}},
      {&masterdata::CustomerSearchDialog::CustomerName, "สมบูรณ์", {"C001", "C002"}},
      {&masterdata::CustomerSearchDialog::CustomerCode, "C_", {"C_03"}},
      {&masterdata::CustomerSearchDialog::CustomerCode, "00", {}},  // a code prefix
      {&masterdata::CustomerSearchDialog::CustomerNameEng, "O'Neil", {"C002"}},
      {&masterdata::CustomerSearchDialog::CustomerNameEng, "%", {"C001"}},
      // A phone fragment finds customers whose phone contains it, only those not blocked.
      {&masterdata::CustomerSearchDialog::PhoneNo, "111", {"C001", "C_03"}},
      {&masterdata::CustomerSearchDialog::PhoneNo, "-", {"C001", "C002", "C_03"}},
      {&masterdata::CustomerSearchDialog::Fax, "2223", {"C001"}},
      {&masterdata::CustomerSearchDialog::CustomerName, "'; Delete From Customer --", {}},
  };
  TF_SearchCustomer d;
  d.show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    for (QLineEdit* e : {d.CustomerName, d.CustomerCode, d.CustomerNameEng, d.PhoneNo, d.Fax}) e->clear();
    (d.*c.field)->setText(QString::fromUtf8(c.text));
    EXPECT_EQ(search(d), c.expected);
  }
  EXPECT_EQ(data->row(QStringLiteral("Select Count(*) N From Customer")).asInt(QStringLiteral("N")), 5);
}

TEST_F(CustomerSearchTest, IncludeBlockedListsBlockedCustomersButNeverThoseMarkedZ) {
  TF_SearchCustomer d;
  d.IncludeBlocked = true;
  d.show();
  d.PhoneNo->setText(QStringLiteral("02-111"));
  EXPECT_EQ(search(d), (QStringList{"C001", "C004", "C_03"}));
}

TEST_F(CustomerSearchTest, TitleClicksSortByTheirPosition) {
  TF_SearchCustomer d;
  d.show();
  struct Case {
    int column;
    QStringList expected;
  } cases[] = {
      {0, {"C001", "C002", "C_03"}},  // the first title (Thai name) sorts by code
      {1, {"C_03", "C002", "C001"}},  // the second (code) by name
      {2, {"C_03", "C002", "C001"}},  // salesman: no surname (no name at all), สม'หญิง 100%, สมชาย ใจดี
      {3, {"C001", "C_03", "C002"}},  // province: กรุงเทพมหานคร before เชียงใหม่
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    d.ListDataTitleClick(c.column);
    EXPECT_EQ(mdtest::codes(d.QSearch), c.expected);
  }
  d.ListDataTitleClick(5);  // the sixth title: no ordering at all
  EXPECT_EQ(mdtest::codes(d.QSearch).size(), 3);
  EXPECT_FALSE(d.QSearch.sql.last().startsWith(QLatin1String("Order By")));
}

TEST_F(CustomerSearchTest, SalesmanAndProvinceFramesNarrowBySearchButtonOnly) {
  TF_SearchCustomer d;
  mdtest::showActive(d);
  EXPECT_FALSE(d.FaGetSalesman1->Salesman->isEnabled());
  EXPECT_FALSE(d.FaGetProvince1->Province->isEnabled());
  QWidget* focusBefore = d.focusWidget();

  widgets::ScopedModalDrivers drivers;
  drivers.then([](QDialog& dlg) {
    auto& s = static_cast<TF_SearchSalesman&>(dlg);
    s.SCode->setText(QStringLiteral("S01"));
    s.BSearchClick();
    s.accept();
  });
  drivers.then([](QDialog& dlg) {
    auto& m = static_cast<TF_SearchMisc&>(dlg);
    EXPECT_EQ(m.windowTitle(), QStringLiteral("ค้นหา รายชื่อจังหวัด"));
    m.EnterString->setText(QStringLiteral("BKK"));
    m.Search();
    m.accept();
  });
  d.FaGetSalesman1->BtSearchSalesman->QAbstractButton::click();
  d.FaGetProvince1->BtSearchShipProvince->QAbstractButton::click();
  EXPECT_EQ(d.FaGetSalesman1->Salesman->text(), QStringLiteral("S01"));
  EXPECT_EQ(d.FaGetProvince1->Province->text(), QStringLiteral("BKK"));
  EXPECT_EQ(d.focusWidget(), focusBefore) << "a disabled code field does not take the focus";
  EXPECT_EQ(d.QNull.asInt(QStringLiteral("SalesId")), s1);
  EXPECT_EQ(d.QNull.asInt(QStringLiteral("ProvinceId")), bkk);
  d.PhoneNo->setText(QStringLiteral("02"));
  EXPECT_EQ(search(d), (QStringList{"C001"}));

  // Cancelling a search leaves the code as it was.
  drivers.then([](QDialog& dlg) { dlg.reject(); });
  d.FaGetSalesman1->BtSearchSalesman->QAbstractButton::click();
  EXPECT_EQ(d.FaGetSalesman1->Salesman->text(), QStringLiteral("S01"));

  // The next showing starts without them.
  d.reject();
  d.show();
  EXPECT_EQ(d.FaGetSalesman1->Salesman->text(), QString());
  EXPECT_EQ(d.FaGetProvince1->Province->text(), QString());
}

TEST_F(CustomerSearchTest, AttributeRangesNarrowTheSearch) {
  const qint64 size = data->attrGroup(QStringLiteral("SZ"), QStringLiteral("ขนาดร้าน"));
  data->attrCode(size, QStringLiteral("L"), QStringLiteral("ใหญ่"));
  data->attrCode(size, QStringLiteral("M"), QStringLiteral("กลาง"));
  data->attrCode(size, QStringLiteral("S"), QStringLiteral("เล็ก"));
  data->customerAttr(c1, QStringLiteral("SZL"));
  data->customerAttr(c2, QStringLiteral("SZM"));
  data->customerAttr(c3, QStringLiteral("SZS"));
  TF_SearchCustomer d;
  d.show();
  ASSERT_TRUE(d.FaSelectCustomerAttr1->DgSelectCusAttr->isEnabled());
  db::Query& g = d.FaSelectCustomerAttr1->QCusAttrGroup;
  ASSERT_EQ(g.rowCount(), 1);
  struct Case {
    const char* begin;
    const char* end;
    QStringList expected;
  } cases[] = {
      {"", "", {"C001", "C002", "C_03"}},
      {"L", "M", {"C001", "C002"}},
      {" M ", "S", {"C002", "C_03"}},  // parts trimmed
      {"M", "", {}},                   // a begin code alone: the range ends below its start
      {"", "L", {"C001"}},             // an end code alone: from the bare group code
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.begin) + "-" + c.end);
    g.setValue(QStringLiteral("BeginAttrCode"), QString::fromUtf8(c.begin));
    g.setValue(QStringLiteral("EndAttrCode"), QString::fromUtf8(c.end));
    EXPECT_EQ(search(d), c.expected);
  }
}

TEST_F(CustomerSearchTest, WithoutAttributeGroupsTheGridIsDisabledAndTheSearchRuns) {
  TF_SearchCustomer d;
  d.show();
  EXPECT_FALSE(d.FaSelectCustomerAttr1->DgSelectCusAttr->isEnabled());
  EXPECT_EQ(search(d), (QStringList{"C001", "C002", "C_03"}));
}

TEST_F(CustomerSearchTest, LastThaiNameTextIsOfferedWhenTheCompanyAsksForIt) {
  for (const char* flag : {"Y", "N"}) {
    SCOPED_TRACE(flag);
    setConfig(QStringLiteral("ShowLastSearch"), QString::fromLatin1(flag));
    DM->LastCustomerSearchText.clear();
    {
      TF_SearchCustomer d;
      d.show();
      d.CustomerName->setText(QStringLiteral("สมบูรณ์"));
      d.BtSearchClick();
      d.reject();
    }
    EXPECT_EQ(DM->LastCustomerSearchText, QStringLiteral("สมบูรณ์"));
    TF_SearchCustomerPos* pos = TF_SearchCustomerPos::Instance();
    pos->SetConnection(DM->DMdata);
    pos->show();
    EXPECT_EQ(pos->CustomerName->text(), QString::fromLatin1(flag) == QLatin1String("Y") ? QStringLiteral("สมบูรณ์") : QString());
    pos->reject();
  }
}

TEST_F(CustomerSearchTest, KeysSearchPickAndCancel) {
  TF_SearchCustomer d;
  mdtest::showActive(d);
  d.PhoneNo->setFocus();
  d.PhoneNo->setText(QStringLiteral("053"));
  QTest::keyClick(d.PhoneNo, Qt::Key_Return);
  ASSERT_EQ(mdtest::codes(d.QSearch), (QStringList{"C002"}));
  EXPECT_TRUE(d.ListData->hasFocus()) << "rows came back: the grid has the focus";
  EXPECT_EQ(d.PhoneNo->text(), QStringLiteral("053")) << "the carriage return never reaches an edit";
  QTest::keyClick(d.ListData, Qt::Key_Return);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.ResultCode, QStringLiteral("C002"));
  EXPECT_EQ(d.ResultName, QStringLiteral("ร้านสมบูรณ์ 50 ดี"));
  EXPECT_FALSE(d.QSearch.active());

  mdtest::showActive(d);
  QTest::keyClick(d.CustomerName, Qt::Key_Escape);
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(d.ResultCode, QString());
}

class EnglishCustomerSearchTest : public CustomerSearchTest {
 protected:
  int userId() const override { return 2; }
};

TEST_F(EnglishCustomerSearchTest, EnglishTextsExceptCaptionFaxAndLastTitles) {
  TF_SearchCustomer d;
  d.show();
  EXPECT_EQ(d.windowTitle(), QStringLiteral("ค้นหาลูกค้า/สมาชิก"));
  EXPECT_EQ(d.Label1->text(), QStringLiteral("Customer"));
  EXPECT_EQ(d.Label2->text(), QStringLiteral("Phone"));
  EXPECT_EQ(d.Label3->text(), QStringLiteral("แฟกซ์"));
  EXPECT_EQ(d.Label4->text(), QStringLiteral("ThaiName"));
  EXPECT_EQ(d.Label5->text(), QStringLiteral("EngName"));
  EXPECT_EQ(d.FaGetSalesman1->Label21->text(), QStringLiteral("SalesPerson"));
  EXPECT_EQ(d.FaGetProvince1->Label2->text(), QStringLiteral("Province"));
  QStringList titles;
  for (const auto& c : d.ListData->columns()) titles << c.title;
  EXPECT_EQ(titles, (QStringList{"Thai Name", "Code", "Sales", "Address", "Eng Name", "โทรศัพท์", "แฟกซ์"}));
  QStringList attrTitles;
  for (const auto& c : d.FaSelectCustomerAttr1->DgSelectCusAttr->columns()) attrTitles << c.title;
  EXPECT_EQ(attrTitles, (QStringList{"Customer Attribute", "From Code", "To Code"}));
  EXPECT_EQ(d.BtSearch->text(), QStringLiteral("Search"));
  EXPECT_EQ(d.Btok->text(), QStringLiteral("Choose"));
  EXPECT_EQ(d.BtCancel->text(), QStringLiteral("Cancel"));
}

}  // namespace
