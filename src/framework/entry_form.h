// The base entry form of the document windows: the tool bar of actions with their function keys
// (New F3, Delete F8, Save F10, Exit Ctrl+X), the keyboard behaviour of every document window (Enter
// moves to the next field and never reaches an edit, Escape asks to close), the close confirmation,
// a status bar and balloon hints. It holds no data and never touches the database.
//
// A derived form puts its controls on Client and overrides the handlers it needs; an overriding
// handler calls the base handler first:
//
//   class TFrExample : public TFrForm {
//     void FormShow(QObject* sender) override {
//       TFrForm::FormShow(sender);
//       setWindowTitle(DMConfig->MenuCaption + " [V1]");
//       AcNewExecute(this);
//     }
//     void AcNewExecute(QObject* sender) override {
//       TFrForm::AcNewExecute(sender);   // Save, Delete and Chg Code disabled
//       ...clear the fields, focus the number...
//     }
//     void AcSaveExecute(QObject*) override { ... }
//   };
#pragma once

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>
#include <QVector>
#include <QWidget>

#include "edits.h"
#include "framework.h"
#include "hint_balloon.h"
#include "key_preview.h"

class TFrForm : public QWidget {
  Q_OBJECT
 public:
  explicit TFrForm(QWidget* parent = nullptr);

  // ---- Components ----
  QVector<QIcon> ImageList1;  // the eight tool-bar images
  QAction* AcNew;
  QAction* AcDel;
  QAction* AcSave;
  QAction* AcExit;
  QFrame* Panel2;      // holds the tool bar
  QWidget* ToolBar1;
  QToolButton* BNew;
  QToolButton* BDel;
  QToolButton* BSave;
  QToolButton* BExit;
  QStatusBar* StatusBar1;
  QVector<QLabel*> StatusPanels;  // two panels, 200 and 50 pixels wide
  QLabel* StatusMessage;          // what the last action ended with (the rest of the status bar)
  QToolButton* BHist;
  QToolButton* BPrint;
  QAction* AcPrint;
  QAction* AcCopy;
  QAction* AcHist;
  QToolButton* BCopy;
  QToolButton* BChgCode;
  QAction* AcChgCode;
  widgets::UpperEdit* ChgCode;
  widgets::HintBalloon* FormHints1;
  // Where a derived form places its controls (between the tool bar and the status bar).
  QWidget* Client;

  // The key preview switch (the form sees every key before the focused control).
  bool KeyPreview() const { return keyPreview_->enabled; }
  void SetKeyPreview(bool on) { keyPreview_->enabled = on; }

  // Shows what an action ended with in the status bar (the number of a document just saved, an
  // empty load, a refused scan); it stays there until the next message or ClearStatus. It is
  // painted at once, so that it is seen while work goes on (printing the saved document).
  void ShowStatus(const QString& text, bool error = false);
  // The same message, painted with the rest of the window when the handler ends: for an outcome
  // that only short work follows (a Load's count, shown with the rows it counts), where painting
  // the window twice would only delay the rows.
  void SetStatusText(const QString& text, bool error = false);
  void ClearStatus() { ShowStatus(QString()); }
  QString StatusText() const { return StatusMessage->text(); }

  // The design client size of the window (632 x 421 unless a form sets its own). The window is
  // resizable; it opens at least at this size and large enough for its controls and grid columns,
  // or at the size the user left it at (framework/window_size.h).
  void SetClientSize(int width, int height);
  QSize DesignSize() const { return designSize_; }

  // ---- Handlers (a derived form overrides them and calls the base first) ----
  // The window is shown for the first time.
  virtual void FormShow(QObject* sender);
  // The window is asked to close; the base asks the exit question.
  virtual void FormClose(QObject* sender, framework::CloseAction& action);
  // Every key pressed in the window, before the control has it (key 0 swallows it).
  virtual void FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);
  // Every character typed in the window (a null character swallows it).
  virtual void FormKeyPress(QObject* sender, QChar& key);
  // New: resets the window for a new document.
  virtual void AcNewExecute(QObject* sender);
  // Exit: asks the window to close.
  virtual void AcExitExecute(QObject* sender);
  // Bound by the derived forms; the base does nothing.
  virtual void AcSaveExecute(QObject* sender);
  virtual void AcDelExecute(QObject* sender);
  virtual void AcHistExecute(QObject* sender);
  virtual void AcCopyExecute(QObject* sender);
  virtual void AcPrintExecute(QObject* sender);
  virtual void AcChgCodeExecute(QObject* sender);

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  QAction* makeAction(const QString& caption, const QString& hint, const QKeySequence& shortcut, int image);
  QToolButton* makeButton(QAction* action);
  widgets::KeyPreview* keyPreview_;
  bool shown_ = false;
  QSize designSize_{632, 421};
};
