// The box sticker window under bad input: the number of stickers typed as anything, and a sticker
// template cut short.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app_fixture.h"
#include "box_stickers_window.h"

namespace {

TEST(StickersReliability, TheCountStaysWithinOneToNinetyNineWhateverIsTyped) {
  testsupport::AppOptions o;
  o.menuOption = 101;
  testsupport::AppFixture app(o);
  ASSERT_TRUE(app.ready()) << app.failure().toStdString();
  TFrPrintBoxNo w;
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  struct Case {
    const char* keys;
    int expected;
  } cases[] = {{"abc", 7}, {"-5", 5}, {"1000", 10}, {"0", 7}, {"' Or 1=1", 11}, {"%", 7}, {"12", 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    w.CountNo->setValue(7);
    w.CountNo->setFocus(Qt::TabFocusReason);
    w.CountNo->selectAll();
    QTest::keyClicks(w.CountNo, QString::fromLatin1(c.keys));
    QTest::keyClick(w.CountNo, Qt::Key_Tab);  // the field is left
    EXPECT_GE(w.CountNo->value(), 1);
    EXPECT_LE(w.CountNo->value(), 99);
    EXPECT_EQ(w.CountNo->value(), c.expected);
  }
}

TEST(StickersReliability, ATemplateCutShortIsAnErrorNamingIt) {
  testsupport::AppOptions o;
  o.menuOption = 101;
  testsupport::AppFixture app(o);
  ASSERT_TRUE(app.ready()) << app.failure().toStdString();
  struct Folder {
    QString previous = QDir::currentPath();
    ~Folder() { QDir::setCurrent(previous); }
  } folder;
  QTemporaryDir dir;
  QFile shipped(QDir(qEnvironmentVariable("CONSOLIDATE_SOURCE_DIR")).filePath("templates/Form_StickerBom_Varnotek.Frf"));
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  const QByteArray good = shipped.readAll();
  QFile cut(dir.filePath(QString::fromLatin1(TFrPrintBoxNo::kTemplateName)));
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write(good.left(good.size() / 2));
  cut.close();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  TFrPrintBoxNo w;
  try {
    w.BPrintClick();  // in the program the failure goes to the error reporter
    ADD_FAILURE() << "a template cut short was taken";
  } catch (const std::exception& e) {
    EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QString::fromLatin1(TFrPrintBoxNo::kTemplateName))) << e.what();
  }
  EXPECT_FALSE(w.frfReport.isLoaded());
}

}  // namespace
