#include "prompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace prompts {

namespace {
std::shared_ptr<Prompts>& slot() {
  static std::shared_ptr<Prompts> p = std::make_shared<QtPrompts>();
  return p;
}

QString colours(Style s) {
  switch (s) {
    case Style::DataModule: return QStringLiteral("QMessageBox { background-color: #0000ff; } QLabel { color: white; }");
    case Style::ExitForm: return QStringLiteral("QMessageBox { background-color: #008000; } QLabel { color: white; }");
    default: return QString();
  }
}
}  // namespace

QString DisplayText(const QString& text) {
  // A line break is CR LF, LF CR, or either alone: each pair is one break, never a blank line.
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
      out += c;
      continue;
    }
    out += QLatin1Char('\n');
    if (i + 1 < text.size() && (text[i + 1] == QLatin1Char('\r') || text[i + 1] == QLatin1Char('\n')) && text[i + 1] != c) ++i;
  }
  return out;
}

Prompts& current() { return *slot(); }

std::shared_ptr<Prompts> install(std::shared_ptr<Prompts> p) {
  auto previous = slot();
  slot() = p ? std::move(p) : std::make_shared<QtPrompts>();
  return previous;
}

void QtPrompts::message(const QString& text, Style style, const QString& title) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
  box.setText(DisplayText(text));
  switch (style) {
    case Style::Info: box.setIcon(QMessageBox::Information); break;
    case Style::Warning: box.setIcon(QMessageBox::Warning); break;
    case Style::Error: box.setIcon(QMessageBox::Critical); break;
    default: break;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

bool QtPrompts::confirm(const QString& text, Style style, const QString& title) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(title.isEmpty() ? QCoreApplication::translate("prompts", "Confirm") : title);
  box.setText(DisplayText(text));
  box.setIcon(QMessageBox::Question);
  box.setStyleSheet(colours(style));
  QPushButton* yes = box.addButton(QStringLiteral("Yes"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

void ScriptedPrompts::message(const QString& text, Style style, const QString&) {
  log.push_back({text, style, false, true});
}

bool ScriptedPrompts::confirm(const QString& text, Style style, const QString&) {
  bool a = defaultAnswer;
  if (!answers.empty()) {
    a = answers.front();
    answers.pop_front();
  }
  log.push_back({text, style, true, a});
  return a;
}

QStringList ScriptedPrompts::texts() const {
  QStringList out;
  for (const auto& e : log) out << e.text;
  return out;
}

ScopedScriptedPrompts::ScopedScriptedPrompts() : p_(std::make_shared<ScriptedPrompts>()) { previous_ = install(p_); }
ScopedScriptedPrompts::~ScopedScriptedPrompts() { install(previous_); }

}  // namespace prompts
