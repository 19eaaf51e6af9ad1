// The text warm-up thread: it ends in every order of use, and what it loaded serves the main
// thread (Thai text broken into words by the dictionary, the forms' font measured).
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QTextBoundaryFinder>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include "framework.h"
#include "text_warm_up.h"

namespace {

QList<qsizetype> lineBreaks(const QString& text) {
  QList<qsizetype> at;
  QTextBoundaryFinder f(QTextBoundaryFinder::Line, text);
  for (qsizetype p = f.toNextBoundary(); p > 0 && p < text.size(); p = f.toNextBoundary()) at << p;
  return at;
}

// Whether a use of the warm-up ends (its thread joined): it runs on a thread of its own, so that a
// use that hangs is reported as a failure instead of holding the test.
bool ends(std::function<void()> use) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> ended = done->get_future();
  std::thread([use = std::move(use), done] {
    use();
    done->set_value();
  }).detach();
  return ended.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
}

TEST(TextWarmUp, EndsWhateverTheOrderOfUse) {
  // Never told the application exists: it ends without touching the font database.
  EXPECT_TRUE(ends([] { launch::TextWarmUp warmUp; }));
  EXPECT_TRUE(ends([] {
    launch::TextWarmUp warmUp;
    warmUp.WaitForWordBreaks();
  }));
  // Finished twice, and asked for the dictionary after it ended.
  EXPECT_TRUE(ends([] {
    launch::TextWarmUp warmUp;
    warmUp.ApplicationReady();
    warmUp.Finish();
    warmUp.Finish();
    warmUp.WaitForWordBreaks();
  }));
}

TEST(TextWarmUp, MainThreadBreaksThaiWordsAndMeasuresWhileTheThreadRuns) {
  launch::TextWarmUp warmUp;
  warmUp.ApplicationReady();
  warmUp.WaitForWordBreaks();
  // "Hello" + "please" + space + "this is a test": the dictionary puts a break between the words
  // of a run of Thai letters; without it the run has breaks only at spaces.
  const QString text = QStringLiteral("สวัสดีครับ นี่คือการทดสอบ");
  const QList<qsizetype> breaks = lineBreaks(text);
  EXPECT_TRUE(breaks.contains(6)) << breaks.size();
  EXPECT_TRUE(breaks.contains(11));
  // The forms' font measures here as it does once the thread is done.
  const QFontMetrics during(framework::FormFont(13));
  const int width = during.horizontalAdvance(text);
  warmUp.Finish();
  EXPECT_GT(width, 0);
  EXPECT_EQ(QFontMetrics(framework::FormFont(13)).horizontalAdvance(text), width);
  EXPECT_EQ(lineBreaks(text), breaks);
}

}  // namespace
