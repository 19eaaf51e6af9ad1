// Every field of the customer search dialog (opened from the box packing window's customer frame),
// and the code fields of its salesman and province frames, take hostile texts as ordinary
// characters: nothing matches them, and no search fails.
#include <QHash>
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
  // C00001 gets values no other customer has, one for each field the user can type into.
  conn().execute("Update Customer Set Name = 'ร้านหาเจอคนเดียว', NameEng = 'Only Probe Shop', PhoneNo = '09-876-5432', "
                 "FaxNo = '09-876-5439' Where Code = 'C00001'");
  const QHash<QString, QString> probe = {{"CustomerCode", "C00001"},
                                         {"CustomerName", "หาเจอคนเดียว"},
                                         {"CustomerNameEng", "Only Probe"},
                                         {"PhoneNo", "876-5432"},
                                         {"Fax", "876-5439"}};
  const qint64 customers = scalar("Select Count(*) From Customer").toLongLong();
  int searched = 0;
  QStringList probed;
  widgets::QueueModalDriver([&](QDialog& dlg) {
    auto* d = dynamic_cast<masterdata::CustomerSearchDialog*>(&dlg);
    ASSERT_NE(d, nullptr);
    const QList<QLineEdit*> fields = d->findChildren<QLineEdit*>();
    ASSERT_GE(fields.size(), 5);
    // Each field alone finds C00001 by its own value, and nothing else: the field filters.
    for (QLineEdit* field : fields) {
      if (!field->isEnabled() || field->isReadOnly()) continue;
      SCOPED_TRACE(field->objectName().toStdString());
      ASSERT_TRUE(probe.contains(field->objectName())) << "a field the test has no value for";
      for (QLineEdit* f : fields) f->clear();
      field->setText(probe.value(field->objectName()));
      d->BtSearchClick();
      ASSERT_EQ(d->QSearch.rowCount(), 1);
      EXPECT_EQ(d->QSearch.at(0, d->QSearch.findColumn("Code")).toString(), "C00001");
      probed << field->objectName();
    }
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
  probed.sort();
  EXPECT_EQ(probed, (QStringList{"CustomerCode", "CustomerName", "CustomerNameEng", "Fax", "PhoneNo"}));
  EXPECT_EQ(searched, probed.size() * hostileTexts().size());
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(scalar("Select Count(*) From Customer").toLongLong(), customers);
}

}  // namespace
