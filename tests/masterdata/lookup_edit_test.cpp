// The lookup edit: code to id and description, refusals, upper case, the exit order and the way
// back from a stored id.
#include <QLineEdit>
#include <QVBoxLayout>

#include "data_source.h"
#include "lookup_edit.h"
#include "lookup_fixture.h"

namespace {

class KIdLookupTest : public mdtest::LookupTest {
 protected:
  void SetUp() override {
    LookupTest::SetUp();
    if (HasFatalFailure()) return;
    dept = data->misc(QStringLiteral("DEPARTMENT"), QStringLiteral("D1"), QStringLiteral("ฝ่ายขาย"));
    active = data->salesman(QStringLiteral("S01"), QStringLiteral("สมชาย"), QStringLiteral("ใจดี"), dept);
    suspended = data->salesman(QStringLiteral("S02"), QStringLiteral("สมหญิง"), QStringLiteral("ขยัน"), dept, QStringLiteral("N"));

    record = db::Result(QStringList{QStringLiteral("Salesman")}, {{QVariant(999)}});
    ds = new widgets::DataSource(&record, &window);
    edit = new TKIdLookup(&window);
    label = new QLabel(QStringLiteral("-"), &window);
    other = new QLineEdit(&window);
    auto* l = new QVBoxLayout(&window);
    l->addWidget(edit);
    l->addWidget(label);
    l->addWidget(other);
    edit->setLookupDatabase(&DM->DMdata);
    edit->setLookupTable(QStringLiteral("Salesman"));
    edit->setIdField(QStringLiteral("Id"));
    edit->setCodeField(QStringLiteral("Code"));
    edit->setDescField(QStringLiteral("Name"));
    edit->setDescLabel(label);
    edit->setFilter(QStringLiteral("Status='Y'"));
    edit->setDataSource(ds, QStringLiteral("Salesman"));
  }

  QWidget window;
  db::Result record;
  widgets::DataSource* ds = nullptr;
  TKIdLookup* edit = nullptr;
  QLabel* label = nullptr;
  QLineEdit* other = nullptr;
  qint64 dept = 0, active = 0, suspended = 0;
};

TEST_F(KIdLookupTest, CodeSetByTheProgramIsLookedUpAtOnce) {
  struct Case {
    const char* text;
    bool found;
    const char* label;
  } cases[] = {
      {"S01", true, "สมชาย"},
      {"s01", true, "สมชาย"},      // held in upper case
      {" S01 ", true, "สมชาย"},    // trimmed for the look-up
      {"S02", false, "-"},         // filtered out (suspended)
      {"S99", false, "-"},         // no such code
      {"", false, "-"},
      {"S01' Or '1'='1", false, "-"},  // a code is a value, never SQL text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    record.setValue(QStringLiteral("Salesman"), 999);
    edit->setText(QString::fromUtf8(c.text));
    EXPECT_EQ(edit->text(), QString::fromUtf8(c.text).toUpper());
    EXPECT_EQ(edit->found(), c.found);
    EXPECT_EQ(label->text(), QString::fromUtf8(c.label));
    if (c.found) EXPECT_EQ(record.asInt(QStringLiteral("Salesman")), active);
    else EXPECT_TRUE(record.isNull(QStringLiteral("Salesman")));
  }
}

TEST_F(KIdLookupTest, EmptyCodeIsValidOnlyWhereAllowed) {
  edit->setText(QString());
  edit->setAllowEmpty(true);
  EXPECT_TRUE(edit->isValid());
  edit->setAllowEmpty(false);
  EXPECT_FALSE(edit->isValid());
  edit->setText(QStringLiteral("S01"));
  EXPECT_TRUE(edit->isValid());
  edit->setText(QStringLiteral("S02"));
  EXPECT_FALSE(edit->isValid());
}

TEST_F(KIdLookupTest, TypedCodeIsUpperCasedAndLookedUpBeforeTheExitHandler) {
  mdtest::showActive(window);
  QVariant seenByExit;
  int exits = 0;
  edit->OnExit = [&](QObject*) {
    ++exits;
    seenByExit = record.value(QStringLiteral("Salesman"));
  };
  edit->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(edit, QStringLiteral("s01"));
  EXPECT_EQ(edit->text(), QStringLiteral("S01"));
  EXPECT_EQ(record.asInt(QStringLiteral("Salesman")), 999) << "typing alone does not look up";
  other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(seenByExit.toLongLong(), active);
  EXPECT_EQ(label->text(), QStringLiteral("สมชาย"));
}

TEST_F(KIdLookupTest, StoredIdIsShownWhenTheRecordChanges) {
  // A record saved with a salesman who has been suspended since still shows him.
  record.setValue(QStringLiteral("Salesman"), suspended);
  ds->reset();
  EXPECT_EQ(edit->text(), QStringLiteral("S02"));
  EXPECT_EQ(label->text(), QStringLiteral("สมหญิง"));
  EXPECT_EQ(record.asInt(QStringLiteral("Salesman")), suspended) << "showing never writes";

  record.setValue(QStringLiteral("Salesman"), QVariant());
  ds->rowChanged(0);
  EXPECT_EQ(edit->text(), QString());
  EXPECT_EQ(label->text(), QStringLiteral("-"));
}

TEST_F(KIdLookupTest, WithoutARowNothingIsWritten) {
  record.clearRows();
  ds->reset();
  edit->setText(QStringLiteral("S01"));
  EXPECT_TRUE(edit->found());
  EXPECT_EQ(record.rowCount(), 0);
}

}  // namespace
