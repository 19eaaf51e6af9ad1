// The base entry form, through a small document window derived from it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "entry_form.h"
#include "window_size.h"
#include "app_fixture.h"
#include "data_grid.h"
#include "config_module.h"
#include "qt_printers.h"

namespace {

// A document window as the derived forms build it: base show first, then its own caption and New.
class TFrTestDoc : public TFrForm {
 public:
  TFrTestDoc() {
    setWindowTitle("Design caption");
    auto* lay = new QVBoxLayout(Client);
    First = new widgets::Edit(Client);
    Name = new widgets::Edit(Client);
    Notes = new QPlainTextEdit(Client);
    Notes->setTabChangesFocus(true);
    Last = new widgets::Edit(Client);
    for (QWidget* w : {static_cast<QWidget*>(First), static_cast<QWidget*>(Name), static_cast<QWidget*>(Notes),
                       static_cast<QWidget*>(Last)})
      lay->addWidget(w);
  }
  void FormShow(QObject* sender) override {
    TFrForm::FormShow(sender);
    setWindowTitle("Menu caption [V1]");
    AcNewExecute(this);
  }
  void AcNewExecute(QObject* sender) override {
    TFrForm::AcNewExecute(sender);
    ++news;
    First->setFocus();
  }
  void AcSaveExecute(QObject*) override { ++saves; }
  void AcDelExecute(QObject*) override { ++deletes; }

  widgets::Edit* First;
  widgets::Edit* Name;
  QPlainTextEdit* Notes;
  widgets::Edit* Last;
  int news = 0, saves = 0, deletes = 0;
};

class FormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    QApplication::setQuitOnLastWindowClosed(false);
    form = std::make_unique<TFrTestDoc>();
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  QWidget* focused() { return QApplication::focusWidget(); }

  testsupport::AppFixture app;
  std::unique_ptr<TFrTestDoc> form;
};

TEST_F(FormFixture, ShowResetsTheToolBarAndKeepsTheFirstCaptionAsApplicationTitle) {
  EXPECT_EQ(form->news, 1);  // the base show runs the base reset only; the derived show runs its New
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Design caption");
  EXPECT_EQ(form->windowTitle(), "Menu caption [V1]");
  for (QToolButton* b : {form->BHist, form->BCopy, form->BPrint, form->BChgCode}) EXPECT_FALSE(b->isVisible());
  for (QToolButton* b : {form->BNew, form->BDel, form->BSave, form->BExit}) EXPECT_TRUE(b->isVisible());
  EXPECT_FALSE(form->ChgCode->isVisible());
  EXPECT_FALSE(form->AcSave->isEnabled());
  EXPECT_FALSE(form->AcDel->isEnabled());
  EXPECT_FALSE(form->AcChgCode->isEnabled());
  EXPECT_TRUE(form->AcNew->isEnabled());
  EXPECT_TRUE(form->AcExit->isEnabled());
  EXPECT_TRUE(form->KeyPreview());
  EXPECT_EQ(form->size(), QSize(632, 421));

  struct Expected {
    QAction* action;
    const char* caption;
    const char* hint;
    QKeySequence shortcut;
  };
  const Expected table[] = {
      {form->AcNew, "New", "New Record", QKeySequence(Qt::Key_F3)},
      {form->AcDel, "Delete", "Delete Record", QKeySequence(Qt::Key_F8)},
      {form->AcSave, "Save", "Save Record", QKeySequence(Qt::Key_F10)},
      {form->AcHist, "Hist.", "Show History", QKeySequence(Qt::CTRL | Qt::Key_H)},
      {form->AcCopy, "Copy", "Copy Record", QKeySequence(Qt::Key_F6)},
      {form->AcPrint, "Print", "Print Record", QKeySequence(Qt::CTRL | Qt::Key_P)},
      {form->AcExit, "Exit", "Exit Program", QKeySequence(Qt::CTRL | Qt::Key_X)},
      {form->AcChgCode, "Chg Code", "", QKeySequence(Qt::Key_F12)},
  };
  for (const Expected& e : table) {
    SCOPED_TRACE(e.caption);
    EXPECT_EQ(e.action->text(), e.caption);
    EXPECT_EQ(e.action->toolTip(), QString(e.hint).isEmpty() ? e.action->text() : QString(e.hint));
    EXPECT_EQ(e.action->shortcut(), e.shortcut);
    EXPECT_FALSE(e.action->icon().isNull());
  }
  // Tool-bar order, left to right.
  QList<QWidget*> order{form->BNew, form->BDel, form->BSave, form->BChgCode, form->BHist, form->BCopy, form->BPrint, form->BExit};
  QLayout* bar = form->ToolBar1->layout();
  for (int i = 1; i < order.size(); ++i) EXPECT_LT(bar->indexOf(order[i - 1]), bar->indexOf(order[i])) << i;
}

TEST_F(FormFixture, EveryWayOutAsksAndNoKeepsTheWindowAndItsData) {
  struct Way {
    const char* name;
    std::function<void(TFrTestDoc&)> ask;
  };
  const Way ways[] = {
      {"Escape in an edit", [](TFrTestDoc& f) { QTest::keyClick(f.Name, Qt::Key_Escape); }},
      {"Ctrl+X in an edit with selected text",
       [](TFrTestDoc& f) {
         f.Name->selectAll();
         QTest::keyClick(f.Name, Qt::Key_X, Qt::ControlModifier);
       }},
      {"Exit button", [](TFrTestDoc& f) { QTest::mouseClick(f.BExit, Qt::LeftButton); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    form->Name->setText("kept");
    form->Name->setFocus();
    app.prompts().clear();
    app.prompts().answer(false);
    way.ask(*form);
    ASSERT_EQ(app.prompts().log.size(), 1u);
    EXPECT_TRUE(app.prompts().log[0].question);
    EXPECT_EQ(app.prompts().log[0].style, prompts::Style::ExitForm);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Name->text(), "kept");
  }
}

TEST_F(FormFixture, ExitQuestionFollowsTheLanguageAndYesCloses) {
  app.config().IsThai = false;
  app.prompts().answer(false);
  QTest::keyClick(form->First, Qt::Key_Escape);
  EXPECT_EQ(app.prompts().lastText(), "Exit Program ?");
  app.config().IsThai = true;
  app.prompts().answer(false);
  QTest::keyClick(form->First, Qt::Key_Escape);
  EXPECT_EQ(app.prompts().lastText(), "ออกจากโปรแกรม ?");
  EXPECT_EQ(form->AcExit->text(), "Exit");  // captions stay English
  app.prompts().answer(true);
  QTest::keyClick(form->First, Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(FormFixture, SaveAndDeleteKeysAreInertAfterShowAndAfterNew) {
  QTest::keyClick(form->Name, Qt::Key_F10);
  QTest::keyClick(form->Name, Qt::Key_F8);
  EXPECT_EQ(form->saves, 0);
  EXPECT_EQ(form->deletes, 0);

  form->AcSave->setEnabled(true);
  form->AcDel->setEnabled(true);
  QTest::keyClick(form->Name, Qt::Key_F10);
  QTest::keyClick(form->Name, Qt::Key_F8);
  EXPECT_EQ(form->saves, 1);
  EXPECT_EQ(form->deletes, 1);

  QTest::keyClick(form->Name, Qt::Key_F3);  // New
  EXPECT_EQ(form->news, 2);
  QTest::keyClick(form->First, Qt::Key_F10);
  QTest::keyClick(form->First, Qt::Key_F8);
  EXPECT_EQ(form->saves, 1);
  EXPECT_EQ(form->deletes, 1);
}

TEST_F(FormFixture, EnterMovesToTheNextFieldWrapsAndNeverReachesAnEdit) {
  bool returnPressed = false;
  QObject::connect(form->First, &QLineEdit::returnPressed, [&] { returnPressed = true; });
  QStringList seen;
  form->Name->OnKeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Return) seen << (QApplication::focusWidget() == form->Notes ? "moved" : "not moved");
  };

  form->First->setFocus();
  QTest::keyClick(form->First, Qt::Key_Return);
  EXPECT_EQ(focused(), form->Name);
  EXPECT_FALSE(returnPressed);
  // The control's own key handler sees the Enter after the form moved the focus on.
  QTest::keyClick(form->Name, Qt::Key_Return);
  EXPECT_EQ(seen, QStringList{"moved"});
  EXPECT_EQ(focused(), form->Notes);
  QTest::keyClick(form->Notes, Qt::Key_Return);
  EXPECT_EQ(form->Notes->toPlainText(), "");  // no line break typed
  EXPECT_EQ(focused(), form->Last);
  QTest::keyClick(form->Last, Qt::Key_Enter, Qt::ShiftModifier);  // whatever the modifiers
  EXPECT_EQ(focused(), form->First);                                 // wrapped to the first field
}

TEST_F(FormFixture, AGridOnTheFormKeepsEnterForItsCells) {
  db::Result rows({"A", "B"}, {{1, 2}, {3, 4}});
  widgets::DataSource ds(&rows);
  auto* grid = new widgets::DbGrid(form->Client);
  form->Client->layout()->addWidget(grid);
  grid->setDataSource(&ds);
  grid->setColumns({{"A", "A", 4}, {"B", "B", 4}});
  grid->show();
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(0, 0));
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(focused(), grid);
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, 1));
}

}  // namespace

namespace {

// A window whose contents ask for a width, as a grid asks for all its columns side by side.
class WideContents : public QWidget {
 public:
  explicit WideContents(int width) : width_(width) {}
  QSize sizeHint() const override { return QSize(width_, 300); }

 private:
  int width_;
};

// The size a window opens at, from what the settings remember of it and what its contents ask for.
TEST(WindowSize, ARememberedSizeThatNoLongerFitsTheContentsGrowsToTheirWidth) {
  const QSize design(400, 250);
  const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
  ASSERT_GT(screenWidth, 760);
  struct Case {
    const char* name;
    QSize remembered;  // invalid: nothing remembered
    int neededThen;    // the width the contents asked for when it was remembered; 0: not written
    int needNow;
    QSize opens;
  };
  const Case cases[] = {
      {"nothing remembered", QSize(), 0, 700, QSize(700, 300)},
      {"written by an older version", QSize(500, 280), 0, 700, QSize(700, 280)},
      {"written when the columns were narrower", QSize(500, 280), 600, 700, QSize(700, 280)},
      {"narrowed by the user over the same columns", QSize(500, 280), 700, 700, QSize(500, 280)},
      {"wider than the columns", QSize(750, 280), 600, 700, QSize(750, 280)},
      {"below the design size", QSize(300, 200), 0, 350, QSize(400, 250)},
      {"columns wider than the screen", QSize(500, 280), 0, screenWidth + 400, QSize()},
  };
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "consolidate", "windows");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString key = QStringLiteral("SizeTest%1").arg(&c - cases);
    const QString group = framework::SettingsUserGroup() + "/" + key;
    settings.remove(group);
    if (c.remembered.isValid()) settings.setValue(group + "/size", c.remembered);
    if (c.neededThen > 0) settings.setValue(group + "/needed", c.neededThen);
    settings.sync();

    WideContents w(c.needNow);
    framework::FitWindow(&w, design, key);
    if (c.opens.isValid()) {
      EXPECT_EQ(w.size(), c.opens);
    } else {
      EXPECT_LT(w.width(), c.needNow) << "never wider than the screen";
      EXPECT_GT(w.width(), c.remembered.width()) << "as wide as the screen allows";
    }
    // The size is written back on hiding with the width the contents asked for, so that a user's
    // narrower choice over the same columns is kept the next time.
    w.show();
    w.resize(450, 260);
    w.hide();
    settings.sync();
    EXPECT_EQ(settings.value(group + "/size").toSize(), QSize(450, 260));
    EXPECT_EQ(settings.value(group + "/needed").toInt(), c.needNow);
    settings.remove(group);
  }
}

}  // namespace
