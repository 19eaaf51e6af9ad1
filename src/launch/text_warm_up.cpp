#include "text_warm_up.h"

#include <QImage>
#include <QFontMetricsF>
#include <QString>
#include <QTextBoundaryFinder>
#include <QThread>

#ifdef CONSOLIDATE_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

#include "framework.h"

namespace launch {

namespace {

// Thai words of the window's captions, with Latin letters and digits: the scripts whose fallback
// fonts the window looks up.
QString sampleText() { return QStringLiteral("เลขที่ วันที่ ชื่อลูกค้า น้ำหนักรวม Zone Load CON 0123456789"); }

}  // namespace

TextWarmUp::TextWarmUp() {
  // Qt takes the first thread that asks for its thread data as its main thread, the one the
  // application object must be made on: this thread asks before the warm-up thread can.
  QThread::currentThread();
  thread_ = std::thread([this] { run(); });
}

TextWarmUp::~TextWarmUp() { Finish(); }

void TextWarmUp::ApplicationReady() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    applicationReady_ = true;
  }
  changed_.notify_all();
}

void TextWarmUp::WaitForWordBreaks() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return wordBreaksLoaded_; });
}

void TextWarmUp::Finish() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    finishing_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void TextWarmUp::run() {
  // Breaking Thai text into words loads libthai and its dictionary (QtCore alone: no application
  // object needed).
  {
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, sampleText());
    while (words.toNextBoundary() >= 0) {
    }
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    wordBreaksLoaded_ = true;
  }
  changed_.notify_all();

#ifdef CONSOLIDATE_HAVE_FONTCONFIG
  // fontconfig's configuration and the list of installed fonts; fontconfig may be initialised from
  // any thread, and Qt's font database finds it done.
  FcInit();
#endif

  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return applicationReady_ || finishing_; });
    if (!applicationReady_) return;
  }
  // Text measured on an image (Qt supports text on images on any thread): fills Qt's font database
  // and finds the fallback fonts of the forms' font for Thai and Latin text. Measuring shapes the
  // text as drawing would, without drawing glyphs nobody sees.
  QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
  const QFontMetricsF metrics(framework::FormFont(13), &image);
  metrics.horizontalAdvance(sampleText());
}

}  // namespace launch
