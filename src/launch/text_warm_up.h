// The text machinery the working window needs, loaded on a thread of its own while the main thread
// creates the application object, shows the splash window and runs the database steps.
//
// What is loaded here is kept for the whole process and shared by every thread: libthai's
// word-break dictionary (loaded by Qt at the first Thai text it breaks into words), fontconfig's
// configuration and font list, Qt's font database and the fallback fonts it finds for Thai and Latin
// text in the forms' font. The main thread then finds them ready, or waits for them under Qt's own
// lock of the font database. What Qt keeps per thread (font engines, glyphs, shaping plans) the
// window still makes for itself; nothing the user sees depends on which thread loaded what.
//
// Order of use on the main thread (launch::Main):
//   TextWarmUp warmUp;            // before the application object: dictionary, then fontconfig
//   TApplication app(...);
//   warmUp.ApplicationReady();    // Qt's font database may now be filled on the thread
//   ... splash ...
//   warmUp.WaitForWordBreaks();   // before any text may be laid out on the main thread
//   ... database steps, window ...
//   warmUp.Finish();              // before the application object goes
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace launch {

class TextWarmUp {
 public:
  TextWarmUp();
  // Finishes the thread (see Finish).
  ~TextWarmUp();
  TextWarmUp(const TextWarmUp&) = delete;
  TextWarmUp& operator=(const TextWarmUp&) = delete;

  // The application object exists: the thread may go on to Qt's font database.
  void ApplicationReady();
  // Returns once the word-break dictionary is loaded. Qt 6.4 resolves libthai into plain static
  // pointers at the first Thai text it breaks, without a lock: a second thread must not break Thai
  // text until the first has done so.
  void WaitForWordBreaks();
  // Waits for the thread to end; without ApplicationReady() it ends without touching Qt's font
  // database. Must be called while the application object still exists when ApplicationReady() was
  // called (the thread holds Qt font objects of its own until it ends).
  void Finish();

 private:
  void run();

  std::mutex mutex_;
  std::condition_variable changed_;
  bool applicationReady_ = false;
  bool finishing_ = false;
  bool wordBreaksLoaded_ = false;
  std::thread thread_;
};

}  // namespace launch
