// The head office becoming unreachable in the middle of a customer search from the box packing
// window (the customer frame searches the head office's customers and copies the one picked).
#include <QDir>

#include "customer_frame.h"
#include "packing_fixture.h"
#include "customer_search.h"

namespace {

const QString kBottle = QStringLiteral("8850000010019");  // P00001 ขวด

class HeadOfficeMidSearch : public packtest::BoxPackingTest {
 public:
  void beforeWindow() override {
    head = std::make_unique<testsupport::TempSite>();
    // A customer only the head office has.
    auto h = head->openCompany();
    h->execute("Insert Into Customer (Code, Name, TaxCode, DueDays, Zone, Province, Salesman, Transport, Blocked) "
               "Select 'H900', 'ร้านสำนักงานใหญ่', TaxCode, DueDays, Zone, Province, Salesman, Transport, 'N' From Customer Where Code = 'C00001'");
    h.reset();
    setConfig("UseCustomerLinkHead", "Y");
    setConfig("MainServerIP", head->serverName());
    setConfig("MainDbName", head->companyDatabase());
  }
  void setConfig(const QString& column, const QString& value) {
    db::Params p;
    p.setText("V", value);
    conn().execute(QStringLiteral("Update Config Set %1 = :V").arg(column), p);
    app->dm().QConfig.close();
    app->dm().QConfig.open();
  }
  // The head office answers the reachability test while `reachable` is true.
  void controlReachability() {
    w->FaGetCustomer1->Pinger = [this](const QString&, int) { return reachable ? 0 : -1; };
  }
  // The head office goes away: its connection drops and its database cannot be reached again.
  void headOfficeGone() {
    reachable = false;
    w->FaGetCustomer1->DBHead.close();
    ASSERT_TRUE(QDir().rename(head->folder(), head->folder() + "-gone"));
  }

  std::unique_ptr<testsupport::TempSite> head;
  bool reachable = true;
};

TEST_F(HeadOfficeMidSearch, TheSearchFailsWithAMessageAndTheBoxKeepsItsScans) {
  controlReachability();
  openBox(QStringLiteral("BOX000001"));
  scan(kBottle);
  const qint64 customers = scalar("Select Count(*) From Customer").toLongLong();
  QStringList firstListing;
  QString failure;
  widgets::QueueModalDriver([&](QDialog& dlg) {
    auto* d = dynamic_cast<TF_SearchCustomerPos*>(&dlg);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->HeadOnline);
    d->CustomerCode->setText("H9");
    d->BtSearchClick();
    for (const auto& row : d->QSearch.rows()) firstListing << row[d->QSearch.findColumn("CODE")].toString().trimmed();
    headOfficeGone();
    // The user searches again: in the program the failure goes to the error reporter.
    d->CustomerCode->setText("C0");
    try {
      d->BtSearchClick();
    } catch (const db::Error& e) {
      failure = e.message();
    }
    d->reject();
  });
  w->FaGetCustomer1->BtSearchCustomerClick();
  EXPECT_EQ(widgets::PendingModalDrivers(), 0);
  EXPECT_EQ(firstListing, QStringList{"H900"}) << "the head office's list while it answered";
  EXPECT_FALSE(failure.isEmpty()) << "the search that could not reach the head office is an error the user sees";
  // Nothing was copied; the box and its scans are as they were.
  EXPECT_EQ(scalar("Select Count(*) From Customer").toLongLong(), customers);
  EXPECT_EQ(w->DocNo->text(), QStringLiteral("BOX000001"));
  EXPECT_EQ(lines(QStringLiteral("RecNo")), QStringList{"1"});
  EXPECT_TRUE(w->AcSave->isEnabled());
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();

  // The next search runs on the local customers.
  widgets::QueueModalDriver([&](QDialog& dlg) {
    auto* d = dynamic_cast<TF_SearchCustomerPos*>(&dlg);
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->HeadOnline);
    d->CustomerCode->setText("C00001");
    d->BtSearchClick();
    d->accept();
  });
  w->FaGetCustomer1->BtSearchCustomerClick();
  EXPECT_EQ(w->FaGetCustomer1->Customer->text(), QStringLiteral("C00001"));
  QApplication::setActiveWindow(w.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  app->prompts().clear();
  app->prompts().answer(true);
  pressSave();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(app->prompts().texts(), QStringList{QStringLiteral("ต้องการบันทึก ?")});
  EXPECT_EQ(lineCount(QStringLiteral("BOX000001")), 1);
}

TEST_F(HeadOfficeMidSearch, UnreachableBetweenThePickAndTheCopyCopiesNothing) {
  controlReachability();
  openBox(QStringLiteral("BOX000002"));
  const qint64 customers = scalar("Select Count(*) From Customer").toLongLong();
  const qint64 misc = scalar("Select Count(*) From Misc").toLongLong();
  widgets::QueueModalDriver([&](QDialog& dlg) {
    auto* d = dynamic_cast<TF_SearchCustomerPos*>(&dlg);
    ASSERT_NE(d, nullptr);
    d->CustomerCode->setText("H900");
    d->BtSearchClick();
    ASSERT_EQ(d->QSearch.rowCount(), 1);
    headOfficeGone();
    d->accept();
  });
  w->FaGetCustomer1->BtSearchCustomerClick();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(scalar("Select Count(*) From Customer").toLongLong(), customers) << "no half copy";
  EXPECT_EQ(scalar("Select Count(*) From Misc").toLongLong(), misc);
  // The code stands in the field, but no local customer has it: the box has no customer yet.
  EXPECT_EQ(w->FaGetCustomer1->Customer->text(), QStringLiteral("H900"));
  QTest::keyClick(w->FaGetCustomer1->Customer, Qt::Key_Return);
  EXPECT_EQ(w->FaGetCustomer1->CustomerName->text(), QStringLiteral("-"));
  EXPECT_TRUE(boxValue("BOX000002", "Customer").isNull());
}

}  // namespace
