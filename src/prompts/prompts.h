// Every message box, Yes/No question and information box of the program goes through this one
// service. Production shows real Qt boxes with the prescribed colours; tests install a scripted
// implementation that records each text and returns the scripted answer.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <memory>

class QWidget;

namespace prompts {

enum class Style {
  Plain,      // a plain message box with an OK button
  Info,       // an information box
  Warning,    // a warning box
  Error,      // an error box
  DataModule, // Yes/No: blue with white text, English "Yes"/"No"
  ExitForm,   // Yes/No: green with white text (the document window's exit question)
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A modal box with an OK button.
  virtual void message(const QString& text, Style style = Style::Plain, const QString& title = QString()) = 0;
  // A modal Yes/No question; Escape or closing the box answers No (false).
  virtual bool confirm(const QString& text, Style style = Style::DataModule, const QString& title = QString()) = 0;
};

// The text as a box shows it: every line break (CR LF, LF CR, CR or LF) one line break. The text
// kept in logs and stored keeps its own breaks.
QString DisplayText(const QString& text);

// The service in use (the Qt boxes unless a test installed another).
Prompts& current();
// Installs a service; returns the previous one. Passing nullptr restores the Qt boxes.
std::shared_ptr<Prompts> install(std::shared_ptr<Prompts> p);

inline void message(const QString& text) { current().message(text, Style::Plain); }
inline void info(const QString& text) { current().message(text, Style::Info); }
inline bool confirm(const QString& text, Style style = Style::DataModule) { return current().confirm(text, style); }

// Real boxes, parented to the active window.
class QtPrompts : public Prompts {
 public:
  void message(const QString& text, Style style, const QString& title) override;
  bool confirm(const QString& text, Style style, const QString& title) override;
};

// For tests: records every text and answers questions from a queue (default answer when empty).
class ScriptedPrompts : public Prompts {
 public:
  struct Entry {
    QString text;
    Style style;
    bool question;
    bool answer;
  };
  void message(const QString& text, Style style, const QString& title) override;
  bool confirm(const QString& text, Style style, const QString& title) override;

  void answer(bool yes) { answers.push_back(yes); }
  QStringList texts() const;
  QString lastText() const { return log.empty() ? QString() : log.back().text; }
  void clear() { log.clear(); answers.clear(); }

  std::deque<bool> answers;
  bool defaultAnswer = true;
  std::vector<Entry> log;
};

// Installs a ScriptedPrompts for the life of the object and restores the previous service after.
class ScopedScriptedPrompts {
 public:
  ScopedScriptedPrompts();
  ~ScopedScriptedPrompts();
  ScriptedPrompts& operator*() { return *p_; }
  ScriptedPrompts* operator->() { return p_.get(); }

 private:
  std::shared_ptr<ScriptedPrompts> p_;
  std::shared_ptr<Prompts> previous_;
};

}  // namespace prompts
