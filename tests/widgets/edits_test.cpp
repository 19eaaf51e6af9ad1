// Edits, the date edit, hint balloons and the key preview.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "date_edit.h"
#include "qt_printers.h"
#include "edits.h"
#include "hint_balloon.h"
#include "key_preview.h"
#include "modal.h"
#include "prompts.h"

using namespace widgets;

namespace {

class EditsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    result = db::Result({"DocNo", "DocDate"}, {{"A-1", QDateTime(QDate(2024, 3, 5), QTime(14, 30))},
                                               {"B-2", QVariant()}});
    ds.setResult(&result);
    auto* lay = new QVBoxLayout(&host);
    docNo = new DBEdit(&host);
    date = new DBDateEdit(&host);
    other = new Edit(&host);
    lay->addWidget(docNo);
    lay->addWidget(date);
    lay->addWidget(other);
    docNo->setDataSource(&ds, "DocNo");
    date->setDataSource(&ds, "DocDate");
    host.show();
    QApplication::setActiveWindow(&host);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
  }

  db::Result result;
  DataSource ds;
  QWidget host;
  DBEdit* docNo = nullptr;
  DBDateEdit* date = nullptr;
  Edit* other = nullptr;
  prompts::ScopedScriptedPrompts prompts;
};

TEST_F(EditsFixture, UpperCaseEditUpperCasesTypedAndAssignedText) {
  docNo->setCharCase(Edit::CharCase::Upper);
  docNo->setFocus();
  docNo->clear();
  QTest::keyClicks(docNo, "ab-1");
  QKeyEvent thai(QEvent::KeyPress, 0, Qt::NoModifier, "ก");
  QApplication::sendEvent(docNo, &thai);
  EXPECT_EQ(docNo->text(), "AB-1ก");
  EXPECT_EQ(result.asString("DocNo"), "AB-1ก");
  UpperEdit plain;
  plain.setText("chgcode");
  EXPECT_EQ(plain.text(), "CHGCODE");
}

TEST_F(EditsFixture, EnterAndExitFollowTheFocusBetweenControls) {
  QStringList events;
  docNo->OnEnter = [&](QObject* s) { events << "enter:" + QString(s == docNo ? "DocNo" : "?"); };
  docNo->OnExit = [&](QObject* s) { events << "exit:" + QString(s == docNo ? "DocNo" : "?"); };
  other->setFocus(Qt::TabFocusReason);
  events.clear();
  docNo->setFocus(Qt::TabFocusReason);
  other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(events, (QStringList{"enter:DocNo", "exit:DocNo"}));
  // Another window taking the focus is not an exit.
  docNo->setFocus(Qt::TabFocusReason);
  QWidget popup;
  popup.show();
  QApplication::setActiveWindow(&popup);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&popup));
  QApplication::setActiveWindow(&host);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
  EXPECT_EQ(events, (QStringList{"enter:DocNo", "exit:DocNo", "enter:DocNo"}));
}

TEST_F(EditsFixture, DateEditShowsWritesAndRefusesText) {
  EXPECT_EQ(date->text(), "05/03/2024");
  int exits = 0;
  date->OnExit = [&](QObject*) { ++exits; };

  // Not a date: refused by the edit itself, the focus stays, no exit handler.
  date->setFocus(Qt::TabFocusReason);
  date->selectAll();
  QTest::keyClicks(date, "31/02/2024");
  other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(prompts->lastText(), "'31/02/2024' is not a valid date");
  EXPECT_TRUE(date->hasFocus());
  EXPECT_EQ(exits, 0);
  EXPECT_EQ(result.asDateTime("DocDate"), QDateTime(QDate(2024, 3, 5), QTime(14, 30)));

  // The same date keeps the stored time; another date is written at midnight.
  date->selectAll();
  QTest::keyClicks(date, "5/3/2024");
  other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(date->text(), "05/03/2024");
  EXPECT_EQ(result.asDateTime("DocDate"), QDateTime(QDate(2024, 3, 5), QTime(14, 30)));
  date->setFocus(Qt::TabFocusReason);
  date->selectAll();
  QTest::keyClicks(date, "31/12/2025");
  other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(exits, 2);
  EXPECT_EQ(result.asDateTime("DocDate"), QDateTime(QDate(2025, 12, 31), QTime(0, 0)));

  // An empty edit empties the column.
  date->setFocus(Qt::TabFocusReason);
  date->clear();
  other->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(result.isNull("DocDate"));
  EXPECT_EQ(exits, 3);
}

TEST_F(EditsFixture, CalendarOpensOnTheShownDateOrTodayAndPicks) {
  date->showCalendar();
  ASSERT_TRUE(date->calendarVisible());
  EXPECT_EQ(date->calendar()->selectedDate(), QDate(2024, 3, 5));
  Q_EMIT date->calendar()->clicked(QDate(2024, 3, 9));
  EXPECT_FALSE(date->calendarVisible());
  EXPECT_EQ(date->text(), "09/03/2024");
  EXPECT_EQ(result.asDateTime("DocDate").date(), QDate(2024, 3, 9));

  ds.moveTo(1);  // the empty row
  EXPECT_EQ(date->text(), "");
  EXPECT_EQ(docNo->text(), "B-2");
  date->showCalendar();
  EXPECT_EQ(date->calendar()->selectedDate(), QDate::currentDate());
  Q_EMIT date->calendar()->activated(QDate(2024, 4, 1));
  EXPECT_EQ(result.asDateTime("DocDate").date(), QDate(2024, 4, 1));
}

TEST_F(EditsFixture, HintsShowAsBalloons) {
  HintBalloon hints(&host);
  docNo->setToolTip("ค้นหาเลขที่เอกสาร");
  QHelpEvent e(QEvent::ToolTip, QPoint(2, 2), docNo->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(docNo, &e);
  EXPECT_TRUE(hints.isShowing());
  EXPECT_EQ(hints.text(), "ค้นหาเลขที่เอกสาร");
  QTest::mouseClick(docNo, Qt::LeftButton);
  EXPECT_FALSE(hints.isShowing());
}

TEST_F(EditsFixture, KeyPreviewSeesKeysFirstThenTheControlThenTheCharacter) {
  KeyPreview preview(&host);
  QStringList order;
  preview.KeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) {
    order << "form:" + QString::number(key);
    if (key == Qt::Key_Return) other->setFocus(Qt::TabFocusReason);
  };
  preview.KeyPress = [&](QObject*, QChar& c) {
    order << "char";
    if (c == QChar('\r')) c = QChar();
  };
  docNo->OnKeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) { order << "control:" + QString::number(key); };
  bool returnPressed = false;
  QObject::connect(docNo, &QLineEdit::returnPressed, [&] { returnPressed = true; });
  docNo->setFocus(Qt::TabFocusReason);
  QTest::keyClick(docNo, Qt::Key_Return);
  EXPECT_EQ(order, (QStringList{"form:" + QString::number(Qt::Key_Return), "control:" + QString::number(Qt::Key_Return), "char"}));
  EXPECT_FALSE(returnPressed);  // the Enter never reached the edit
  EXPECT_TRUE(other->hasFocus());

  // A key that the window lets through reaches the control once.
  order.clear();
  docNo->setFocus(Qt::TabFocusReason);
  docNo->clear();
  QTest::keyClick(docNo, Qt::Key_Z);
  EXPECT_EQ(order, (QStringList{"form:" + QString::number(Qt::Key_Z), "control:" + QString::number(Qt::Key_Z), "char"}));
  EXPECT_EQ(docNo->text(), "z");
}

// A key handler that opens a dialog with a key preview of its own (F5 opening a search) sees that
// key press once, and so does the control.
TEST_F(EditsFixture, KeyPreviewRunsOnceWhenItsHandlerOpensADialogWithAPreview) {
  KeyPreview preview(&host);
  int windowCalls = 0;
  int controlCalls = 0;
  int dialogKeys = 0;
  preview.KeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_F5) return;
    ++windowCalls;
    QDialog search(&host);
    KeyPreview searchKeys(&search);
    searchKeys.KeyDown = [&](QObject*, int&, Qt::KeyboardModifiers) { ++dialogKeys; };
    QueueModalDriver([](QDialog& d) { d.reject(); });
    ShowModal(search);
  };
  docNo->OnKeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_F5) ++controlCalls;
  };
  docNo->setFocus(Qt::TabFocusReason);
  QTest::keyClick(docNo, Qt::Key_F5);
  EXPECT_EQ(windowCalls, 1);
  EXPECT_EQ(controlCalls, 1);
  EXPECT_EQ(dialogKeys, 0) << "the dialog's preview is for its own controls";
  QTest::keyClick(docNo, Qt::Key_F5);
  EXPECT_EQ(windowCalls, 2);
  EXPECT_EQ(controlCalls, 2);
}

}  // namespace
