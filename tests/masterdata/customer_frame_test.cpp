// The customer frame: local search and look-up, the blocked check, and the head office (a second
// embedded company database in its own site folder) reached online or not at all.
#include <QVBoxLayout>

#include "data_source.h"
#include "customer_frame.h"
#include "lookup_fixture.h"
#include "customer_search.h"

namespace {

// A window like the box packing window: a record with a Customer column, the frame bound to it and
// another field to move on to.
struct BoxWindow {
  BoxWindow() {
    frame = new TFaGetCustomer(&window);
    other = new QLineEdit(&window);
    auto* l = new QVBoxLayout(&window);
    l->addWidget(other);
    l->addWidget(frame);
    frame->Customer->setDataSource(&ds, QStringLiteral("Customer"));
  }
  QWidget window;
  TFaGetCustomer* frame;
  QLineEdit* other;
  db::Result record{QStringList{QStringLiteral("Id"), QStringLiteral("Customer")}, {{QVariant(7), QVariant()}}};
  widgets::DataSource ds{&record};
};

class CustomerFrameTest : public mdtest::LookupTest {
 protected:
  void SetUp() override {
    LookupTest::SetUp();
    if (HasFatalFailure()) return;
    dept = data->misc(QStringLiteral("DEPARTMENT"), QStringLiteral("D1"), QStringLiteral("ฝ่ายขาย"));
    bkk = data->misc(QStringLiteral("CITY"), QStringLiteral("BKK"), QStringLiteral("กรุงเทพมหานคร"));
    s1 = data->salesman(QStringLiteral("S01"), QStringLiteral("สมชาย"), QStringLiteral("ใจดี"), dept);
    c1 = data->customer(QStringLiteral("C001"), QStringLiteral("ร้านสมบูรณ์"), s1, bkk,
                        {{"TaxCode", 1}, {"ConSignMentFlag", "Y"}, {"NameEng", "Somboon Shop"}});
    c4 = data->customer(QStringLiteral("C004"), QStringLiteral("ร้านระงับ"), s1, bkk, {{"Blocked", "Y"}});
  }
  qint64 dept = 0, bkk = 0, s1 = 0, c1 = 0, c4 = 0;
};

TEST_F(CustomerFrameTest, LocalSearchPutsTheCodeInAndTheHostReadsTheDetailRow) {
  BoxWindow w;
  // The host extends the detail row and replaces the exit handler, calling the frame's first.
  w.frame->QCustomer.sql[0].replace(QStringLiteral("Select "), QStringLiteral("Select Coalesce(ConSignMentFlag,'N')ConSignMentFlag, "));
  QString consignment = QStringLiteral("?");
  w.frame->Customer->OnExit = [&](QObject*) {
    w.frame->CustomerExit();
    consignment = w.frame->QCustomer.isEmpty() ? QStringLiteral("N") : w.frame->QCustomer.asString(QStringLiteral("ConSignMentFlag"));
  };
  mdtest::showActive(w.window);
  w.frame->Customer->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(w.frame->BtSearchCustomer->isEnabled());

  widgets::ScopedModalDrivers drivers;
  drivers.then([](QDialog& dlg) {
    auto* d = dynamic_cast<TF_SearchCustomer*>(&dlg);
    ASSERT_NE(d, nullptr) << "local mode searches with the per-use dialog";
    EXPECT_FALSE(d->IncludeBlocked);
    d->CustomerName->setText(QStringLiteral("ร้าน"));
    d->BtSearchClick();
    EXPECT_EQ(mdtest::codes(d->QSearch), QStringList{QStringLiteral("C001")}) << "blocked customers are not listed";
    d->accept();
  });
  QTest::keyClick(w.frame->Customer, Qt::Key_F5);
  EXPECT_EQ(widgets::PendingModalDrivers(), 0) << "F5 opened the search";
  EXPECT_EQ(w.frame->Customer->text(), QStringLiteral("C001"));
  EXPECT_EQ(w.record.asInt(QStringLiteral("Customer")), c1);
  EXPECT_EQ(w.frame->CustomerName->text(), QStringLiteral("ร้านสมบูรณ์"));

  mdtest::showActive(w.window);
  w.other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(consignment, QStringLiteral("Y"));
  ASSERT_FALSE(w.frame->QCustomer.isEmpty());
  EXPECT_EQ(w.frame->QCustomer.asInt(QStringLiteral("Id")), c1);
  EXPECT_EQ(w.frame->QCustomer.asString(QStringLiteral("CodeTax")), QStringLiteral("V7"));
  EXPECT_DOUBLE_EQ(w.frame->QCustomer.asFloat(QStringLiteral("TaxRate")), 7.0);
  EXPECT_EQ(w.frame->QCustomer.asString(QStringLiteral("Code")), QStringLiteral("S01"));
  EXPECT_FALSE(w.frame->BtSearchCustomer->isEnabled());

  // An empty code on exit leaves the detail row as it was.
  w.frame->Customer->setFocus(Qt::TabFocusReason);
  w.frame->Customer->clear();
  w.other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(w.frame->QCustomer.asInt(QStringLiteral("Id")), c1);
  EXPECT_TRUE(w.record.isNull(QStringLiteral("Customer")));
}

TEST_F(CustomerFrameTest, BlockedCustomerIsRefusedByTheFilterOrByTheFrame) {
  BoxWindow w;
  mdtest::showActive(w.window);
  auto typeAndLeave = [&](const QString& code) {
    w.frame->Customer->setFocus(Qt::TabFocusReason);
    w.frame->Customer->selectAll();
    QTest::keyClicks(w.frame->Customer, code);
    w.other->setFocus(Qt::TabFocusReason);
  };
  typeAndLeave(QStringLiteral("c004"));
  EXPECT_TRUE(app->prompts().log.empty()) << "with the designed filter the frame's own check is skipped";
  EXPECT_TRUE(w.record.isNull(QStringLiteral("Customer")));
  EXPECT_EQ(w.frame->CustomerName->text(), QStringLiteral("-"));
  EXPECT_EQ(w.frame->QCustomer.asString(QStringLiteral("Blocked")), QStringLiteral("Y"));

  w.frame->Customer->setFilter(QString());
  typeAndLeave(QStringLiteral("C004"));
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("รหัสลูกค้าถูกระงับการใช้งาน !")});
  EXPECT_EQ(w.frame->Customer->text(), QString());
  EXPECT_EQ(w.frame->CustomerName->text(), QString());
  EXPECT_TRUE(w.record.isNull(QStringLiteral("Customer")));
  EXPECT_EQ(w.window.focusWidget(), w.frame->Customer);
}

TEST_F(CustomerFrameTest, ThaiUsersSeeTheThaiName) {
  BoxWindow w;
  mdtest::showActive(w.window);
  w.frame->Customer->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(w.frame->Customer->descField(), QStringLiteral("Name"));
  w.frame->Customer->setText(QStringLiteral("C001"));
  EXPECT_EQ(w.frame->CustomerName->text(), QStringLiteral("ร้านสมบูรณ์"));
}

class EnglishCustomerFrameTest : public CustomerFrameTest {
 protected:
  int userId() const override { return 2; }
};

TEST_F(EnglishCustomerFrameTest, EnglishUsersSeeTheEnglishName) {
  BoxWindow w;
  mdtest::showActive(w.window);
  w.frame->Customer->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(w.frame->Customer->descField(), QStringLiteral("NameEng"));
  w.frame->Customer->setText(QStringLiteral("C001"));
  EXPECT_EQ(w.frame->CustomerName->text(), QStringLiteral("Somboon Shop"));
}

// ---- Head office ------------------------------------------------------------------------------

class HeadOfficeTest : public CustomerFrameTest {
 protected:
  void SetUp() override {
    CustomerFrameTest::SetUp();
    if (HasFatalFailure()) return;
    // The local database: a group, a second salesman, and a customer the head office also has.
    localGroupLow = data->group(QStringLiteral("RETAIL"));
    localGroupWhole = data->group(QStringLiteral("WHOLE"));
    s2 = data->salesman(QStringLiteral("S02"), QStringLiteral("สมหญิง"), QStringLiteral("ขยัน"), dept);
    localH002 = data->customer(QStringLiteral("H002"), QStringLiteral("ชื่อเก่า"), s1, bkk,
                               {{"CustomerGroup", localGroupLow}, {"HeadCode", "OLD"}, {"Vendor", 55}, {"BarCodeId", 9}});

    head = std::make_unique<testsupport::TempSite>(testsupport::SiteOptions{false, 1, false});
    headConn = head->openCompany();
    mdtest::CompanyData h(*headConn);
    // Pad the head office's ids so they differ from the local ones.
    for (int i = 0; i < 5; ++i) h.misc(QStringLiteral("ZONE"), QStringLiteral("Z%1").arg(i), QStringLiteral("เขต"));
    const qint64 hDept = h.misc(QStringLiteral("DEPARTMENT"), QStringLiteral("D1"), QStringLiteral("ฝ่ายขาย"));
    const qint64 hBkk = h.misc(QStringLiteral("CITY"), QStringLiteral("BKK"), QStringLiteral("กรุงเทพมหานคร"));
    const qint64 hKkn = h.misc(QStringLiteral("CITY"), QStringLiteral("KKN"), QStringLiteral("ขอนแก่น"));
    h.group(QStringLiteral("X"));
    const qint64 hVip = h.group(QStringLiteral("VIP"));  // no such group locally
    const qint64 hWhole = h.group(QStringLiteral("WHOLE"));
    h.salesman(QStringLiteral("S00"), QStringLiteral("หัวหน้า"), QStringLiteral("ใหญ่"), hDept);
    const qint64 hS2 = h.salesman(QStringLiteral("S02"), QStringLiteral("สมหญิง"), QStringLiteral("ขยัน"), hDept);
    headH001 = h.customer(QStringLiteral("H001"), QStringLiteral("ร้านสำนักงานใหญ่ 1"), hS2, hKkn,
                          {{"CustomerGroup", hVip}, {"HeadCode", "HQ"}, {"Vendor", 3}, {"BarCodeId", 42},
                           {"DiscRate1", 2.5}, {"CreditLimit", 150000.75}, {"Zone", 3}, {"TaxCode", 2},
                           {"PhoneNo", "043-111-222"}, {"DueDays", 30}, {"Remark", "ลูกค้าใหม่"}});
    h.customer(QStringLiteral("H002"), QStringLiteral("ชื่อใหม่จากสำนักงานใหญ่"), hS2, hBkk,
               {{"CustomerGroup", hWhole}, {"HeadCode", "HQ2"}, {"Vendor", 4}, {"BarCodeId", 43}, {"DueDays", 45}});

    setConfig(QStringLiteral("UseCustomerLinkHead"), QStringLiteral(" Y "));
    setConfig(QStringLiteral("MainServerIP"), head->serverName());
    setConfig(QStringLiteral("MainDbName"), head->companyDatabase());
  }

  // Counts the reachability tests of the frame.
  void countPings(TFaGetCustomer& f) {
    auto real = f.Pinger;
    f.Pinger = [this, real](const QString& server, int timeout) {
      ++pings;
      EXPECT_EQ(timeout, 1000);
      return real(server, timeout);
    };
  }

  // Picks a customer in the head-office search dialog by code, checking the caption.
  void pickInSearch(const QString& code, const QString& caption, QStringList* listed = nullptr) {
    widgets::QueueModalDriver([=](QDialog& dlg) {
      auto* d = dynamic_cast<TF_SearchCustomerPos*>(&dlg);
      ASSERT_NE(d, nullptr);
      EXPECT_EQ(d->windowTitle(), caption);
      EXPECT_FALSE(d->IncludeBlocked);
      d->CustomerCode->clear();  // the kept dialog keeps the typed filters of its last showing
      d->BtSearchClick();
      if (listed) *listed = mdtest::codes(d->QSearch);
      d->CustomerCode->setText(code);
      d->BtSearchClick();
      d->accept();
    });
  }

  qint64 localGroupLow = 0, localGroupWhole = 0, s2 = 0, localH002 = 0, headH001 = 0;
  int pings = 0;
  std::unique_ptr<testsupport::TempSite> head;
  std::unique_ptr<db::Connection> headConn;
};

TEST_F(HeadOfficeTest, NewCustomerIsCopiedWithLocalIds) {
  BoxWindow w;
  countPings(*w.frame);
  mdtest::showActive(w.window);
  QStringList listed;
  pickInSearch(QStringLiteral("H001"), TFaGetCustomer::OnlineCaption(), &listed);
  w.frame->BtSearchCustomerClick();
  EXPECT_EQ(listed, (QStringList{"H001", "H002"})) << "the head office's customers are listed";
  EXPECT_TRUE(TF_SearchCustomerPos::Existing()->HeadOnline);
  EXPECT_EQ(pings, 2) << "one echo for the search and one for the copy: the first answers";

  const db::Result c = data->row(QStringLiteral("Select * From Customer Where Code = 'H001'"));
  ASSERT_EQ(c.rowCount(), 1);
  EXPECT_NE(c.asInt(QStringLiteral("Id")), headH001);
  EXPECT_EQ(w.record.asInt(QStringLiteral("Customer")), c.asInt(QStringLiteral("Id"))) << "the local id is stored";
  EXPECT_EQ(w.frame->Customer->text(), QStringLiteral("H001"));
  EXPECT_EQ(w.frame->CustomerName->text(), QStringLiteral("ร้านสำนักงานใหญ่ 1"));

  EXPECT_EQ(c.asInt(QStringLiteral("CustomerGroup")), localGroupLow) << "an unknown group gives the lowest local group";
  EXPECT_EQ(c.asInt(QStringLiteral("Salesman")), s2) << "the salesman by code";
  EXPECT_TRUE(c.isNull(QStringLiteral("HeadCode")));
  EXPECT_TRUE(c.isNull(QStringLiteral("Vendor")));
  EXPECT_EQ(c.asInt(QStringLiteral("BarCodeId")), 0);
  EXPECT_DOUBLE_EQ(c.asFloat(QStringLiteral("DiscRate1")), 2.5);
  EXPECT_DOUBLE_EQ(c.asFloat(QStringLiteral("CreditLimit")), 150000.75);
  EXPECT_EQ(c.asInt(QStringLiteral("Zone")), 3) << "zone, tax code, transport and price level keep the head office's ids";
  EXPECT_EQ(c.asInt(QStringLiteral("TaxCode")), 2);
  EXPECT_EQ(c.asString(QStringLiteral("PhoneNo")), QStringLiteral("043-111-222"));
  EXPECT_EQ(c.asInt(QStringLiteral("DueDays")), 30);
  EXPECT_EQ(c.asString(QStringLiteral("Remark")), QStringLiteral("ลูกค้าใหม่"));

  // The province the local database lacked was created.
  const db::Result p = data->row(QStringLiteral("Select * From Misc Where GroupCode = 'CITY' And Code = 'KKN'"));
  ASSERT_EQ(p.rowCount(), 1);
  EXPECT_EQ(p.asString(QStringLiteral("Description")), QStringLiteral("ขอนแก่น"));
  EXPECT_EQ(p.asString(QStringLiteral("Blocked")), QStringLiteral("N"));
  EXPECT_EQ(c.asInt(QStringLiteral("Province")), p.asInt(QStringLiteral("Id")));
}

TEST_F(HeadOfficeTest, ExistingCustomerIsUpdatedAndKeepsItsLocalId) {
  BoxWindow w;
  mdtest::showActive(w.window);
  const int cities = int(data->row(QStringLiteral("Select Count(*) N From Misc Where GroupCode = 'CITY'")).asInt(QStringLiteral("N")));
  pickInSearch(QStringLiteral("H002"), TFaGetCustomer::OnlineCaption());
  w.frame->BtSearchCustomerClick();
  const db::Result c = data->row(QStringLiteral("Select * From Customer Where Code = 'H002'"));
  ASSERT_EQ(c.rowCount(), 1) << "no second row";
  EXPECT_EQ(c.asInt(QStringLiteral("Id")), localH002);
  EXPECT_EQ(c.asString(QStringLiteral("Name")), QStringLiteral("ชื่อใหม่จากสำนักงานใหญ่"));
  EXPECT_EQ(c.asInt(QStringLiteral("DueDays")), 45);
  EXPECT_EQ(c.asInt(QStringLiteral("CustomerGroup")), localGroupWhole) << "the group by code";
  EXPECT_EQ(c.asInt(QStringLiteral("Province")), bkk) << "the province by code, nothing created";
  EXPECT_EQ(data->row(QStringLiteral("Select Count(*) N From Misc Where GroupCode = 'CITY'")).asInt(QStringLiteral("N")), cities);
  EXPECT_TRUE(c.isNull(QStringLiteral("HeadCode")));
  EXPECT_TRUE(c.isNull(QStringLiteral("Vendor")));
  EXPECT_EQ(c.asInt(QStringLiteral("BarCodeId")), 0);
  EXPECT_EQ(w.record.asInt(QStringLiteral("Customer")), localH002);
}

TEST_F(HeadOfficeTest, CustomerMissingAtTheHeadOfficeIsNotCopied) {
  BoxWindow w;
  const int before = int(data->row(QStringLiteral("Select Count(*) N From Customer")).asInt(QStringLiteral("N")));
  w.frame->CopyCustomerFromHead(QStringLiteral("C001"));
  EXPECT_EQ(data->row(QStringLiteral("Select Count(*) N From Customer")).asInt(QStringLiteral("N")), before);
  EXPECT_EQ(data->row(QStringLiteral("Select Name From Customer Where Code = 'C001'")).asString(QStringLiteral("Name")),
            QStringLiteral("ร้านสมบูรณ์"));
}

TEST_F(HeadOfficeTest, UnreachableHeadOfficeSearchesLocallyAndCopiesNothing) {
  // A name that cannot exist: the reachability test answers -1 without sending anything.
  setConfig(QStringLiteral("MainServerIP"), QStringLiteral("no such host!"));
  BoxWindow w;
  countPings(*w.frame);
  mdtest::showActive(w.window);
  const int customers = int(data->row(QStringLiteral("Select Count(*) N From Customer")).asInt(QStringLiteral("N")));
  const int misc = int(data->row(QStringLiteral("Select Count(*) N From Misc")).asInt(QStringLiteral("N")));
  QStringList listed;
  pickInSearch(QStringLiteral("C001"), TFaGetCustomer::OfflineCaption(), &listed);
  w.frame->BtSearchCustomerClick();
  EXPECT_EQ(listed, (QStringList{"C001", "H002"})) << "the local customers (blocked ones left out)";
  EXPECT_FALSE(TF_SearchCustomerPos::Existing()->HeadOnline);
  EXPECT_EQ(pings, 4 + 3) << "four attempts for the search, three for the copy";
  EXPECT_FALSE(w.frame->DBHead.isOpen()) << "no connection to an unreachable head office";
  EXPECT_EQ(data->row(QStringLiteral("Select Count(*) N From Customer")).asInt(QStringLiteral("N")), customers);
  EXPECT_EQ(data->row(QStringLiteral("Select Count(*) N From Misc")).asInt(QStringLiteral("N")), misc);
  EXPECT_EQ(w.frame->Customer->text(), QStringLiteral("C001"));
  EXPECT_EQ(w.record.asInt(QStringLiteral("Customer")), c1);

  // The dialog is kept; the next search, with the head office back, runs online on it.
  TF_SearchCustomerPos* kept = TF_SearchCustomerPos::Existing();
  setConfig(QStringLiteral("MainServerIP"), head->serverName());
  pickInSearch(QStringLiteral("H001"), TFaGetCustomer::OnlineCaption(), &listed);
  w.frame->BtSearchCustomerClick();
  EXPECT_EQ(widgets::PendingModalDrivers(), 0);
  EXPECT_EQ(TF_SearchCustomerPos::Existing(), kept);
  EXPECT_EQ(listed, (QStringList{"H001", "H002"}));
}

TEST_F(HeadOfficeTest, HeadOfficeDatabaseThatCannotBeOpenedOpensNoSearch) {
  setConfig(QStringLiteral("MainDbName"), QStringLiteral("NOSUCHDB"));
  BoxWindow w;
  mdtest::showActive(w.window);
  pickInSearch(QStringLiteral("H001"), TFaGetCustomer::OnlineCaption());
  EXPECT_THROW(w.frame->BtSearchCustomerClick(), db::Error);
  EXPECT_EQ(widgets::PendingModalDrivers(), 1) << "no search dialog opened";
}

TEST_F(HeadOfficeTest, WithoutTheLinkTheSearchIsLocal) {
  setConfig(QStringLiteral("UseCustomerLinkHead"), QStringLiteral("N"));
  BoxWindow w;
  countPings(*w.frame);
  mdtest::showActive(w.window);
  widgets::QueueModalDriver([](QDialog& dlg) {
    EXPECT_NE(dynamic_cast<TF_SearchCustomer*>(&dlg), nullptr);
    dlg.reject();
  });
  w.frame->BtSearchCustomerClick();
  EXPECT_EQ(pings, 0);
  EXPECT_EQ(TF_SearchCustomerPos::Existing(), nullptr);
  w.frame->CopyCustomerFromHead(QStringLiteral("H001"));
  EXPECT_EQ(data->row(QStringLiteral("Select Count(*) N From Customer Where Code = 'H001'")).asInt(QStringLiteral("N")), 0);
}

}  // namespace
