// Every field of the customer search dialog (opened from the box packing window's customer frame),
// and the code fields of its salesman and province frames, take hostile texts as ordinary
// characters: nothing matches them, and no search fails.
#include <QLineEdit>

#include "packing_fixture.h"
#include "customer_search.h"

namespace {

using packtest::BoxPackingTest;

QStringList hostileTexts() {
  return {QStringLiteral("'"), QStringLiteral("x' Or '1'='1"), QStringLiteral("1'; Delete From Customer; --"), QStringLiteral("%"),
          QStringLiteral("_"), QStringLiteral("C%"), QStringLiteral("[C]%"), QStringLiteral(":GetCode"), QStringLiteral("\\%"),
          QStringLiteral("\x01\x02"), QString(200, QLatin1Char('9')), QString(20000, QChar(0x0E01))};
}

TEST_F(BoxPackingTest, HostileTextsInEveryCustomerSearchField) {
  openBox(QStringLiteral("BOX000001"));
  const qint64 customers = scalar("Select Count(*) From Customer").toLongLong();
  int searched = 0;
  widgets::QueueModalDriver([&](QDialog& dlg) {
    auto* d = dynamic_cast<masterdata::CustomerSearchDialog*>(&dlg);
    ASSERT_NE(d, nullptr);
    const QList<QLineEdit*> fields = d->findChildren<QLineEdit*>();
    ASSERT_GE(fields.size(), 5);
    // With every field empty the search lists the customers: the fields are what filters.
    for (QLineEdit* f : fields) f->clear();
    d->BtSearchClick();
    ASSERT_GT(d->QSearch.rowCount(), 0);
    for (QLineEdit* field : fields) {
      if (!field->isEnabled() || field->isReadOnly()) continue;
      for (const QString& text : hostileTexts()) {
        SCOPED_TRACE(QString(field->objectName() + QStringLiteral(": ") + text.left(30)).toStdString());
        for (QLineEdit* f : fields) f->clear();
        field->setText(text);
        try {
          d->BtSearchClick();
          ++searched;
          EXPECT_EQ(d->QSearch.rowCount(), 0);
        } catch (const std::exception& e) {
          ADD_FAILURE() << "the search failed: " << e.what();
        }
      }
    }
    d->reject();
  });
  w->FaGetCustomer1->BtSearchCustomerClick();
  EXPECT_EQ(widgets::PendingModalDrivers(), 0);
  EXPECT_GT(searched, 0);
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(scalar("Select Count(*) From Customer").toLongLong(), customers);
}

}  // namespace
