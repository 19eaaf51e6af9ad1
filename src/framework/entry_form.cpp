#include "entry_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QShowEvent>
#include <QVBoxLayout>

#include "error_reporter.h"
#include "prompts.h"
#include "tool_images.h"
#include "window_size.h"

TFrForm::TFrForm(QWidget* parent) : QWidget(parent) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(framework::FormFont(13));
  ImageList1 = framework::ToolImages();

  AcNew = makeAction(QStringLiteral("New"), QStringLiteral("New Record"), QKeySequence(Qt::Key_F3), 0);
  AcDel = makeAction(QStringLiteral("Delete"), QStringLiteral("Delete Record"), QKeySequence(Qt::Key_F8), 1);
  AcSave = makeAction(QStringLiteral("Save"), QStringLiteral("Save Record"), QKeySequence(Qt::Key_F10), 2);
  AcExit = makeAction(QStringLiteral("Exit"), QStringLiteral("Exit Program"), QKeySequence(Qt::CTRL | Qt::Key_X), 3);
  AcHist = makeAction(QStringLiteral("Hist."), QStringLiteral("Show History"), QKeySequence(Qt::CTRL | Qt::Key_H), 4);
  AcCopy = makeAction(QStringLiteral("Copy"), QStringLiteral("Copy Record"), QKeySequence(Qt::Key_F6), 5);
  AcPrint = makeAction(QStringLiteral("Print"), QStringLiteral("Print Record"), QKeySequence(Qt::CTRL | Qt::Key_P), 6);
  AcChgCode = makeAction(QStringLiteral("Chg Code"), QString(), QKeySequence(Qt::Key_F12), 7);
  AcNew->setObjectName(QStringLiteral("AcNew"));
  AcDel->setObjectName(QStringLiteral("AcDel"));
  AcSave->setObjectName(QStringLiteral("AcSave"));
  AcExit->setObjectName(QStringLiteral("AcExit"));
  AcHist->setObjectName(QStringLiteral("AcHist"));
  AcCopy->setObjectName(QStringLiteral("AcCopy"));
  AcPrint->setObjectName(QStringLiteral("AcPrint"));
  AcChgCode->setObjectName(QStringLiteral("AcChgCode"));
  connect(AcNew, &QAction::triggered, this, data::Guarded(this, [this] { AcNewExecute(AcNew); }));
  connect(AcDel, &QAction::triggered, this, data::Guarded(this, [this] { AcDelExecute(AcDel); }));
  connect(AcSave, &QAction::triggered, this, data::Guarded(this, [this] { AcSaveExecute(AcSave); }));
  connect(AcExit, &QAction::triggered, this, data::Guarded(this, [this] { AcExitExecute(AcExit); }));
  connect(AcHist, &QAction::triggered, this, data::Guarded(this, [this] { AcHistExecute(AcHist); }));
  connect(AcCopy, &QAction::triggered, this, data::Guarded(this, [this] { AcCopyExecute(AcCopy); }));
  connect(AcPrint, &QAction::triggered, this, data::Guarded(this, [this] { AcPrintExecute(AcPrint); }));
  connect(AcChgCode, &QAction::triggered, this, data::Guarded(this, [this] { AcChgCodeExecute(AcChgCode); }));

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);

  Panel2 = new QFrame(this);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel2->setFixedHeight(42);
  auto* panelLay = new QHBoxLayout(Panel2);
  panelLay->setContentsMargins(2, 2, 2, 2);
  ToolBar1 = new QWidget(Panel2);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  auto* bar = new QHBoxLayout(ToolBar1);
  bar->setContentsMargins(0, 0, 0, 0);
  bar->setSpacing(0);
  panelLay->addWidget(ToolBar1);
  panelLay->addStretch();

  BNew = makeButton(AcNew);
  BDel = makeButton(AcDel);
  BSave = makeButton(AcSave);
  BChgCode = makeButton(AcChgCode);
  BHist = makeButton(AcHist);
  BCopy = makeButton(AcCopy);
  BPrint = makeButton(AcPrint);
  BExit = makeButton(AcExit);
  BNew->setObjectName(QStringLiteral("BNew"));
  BDel->setObjectName(QStringLiteral("BDel"));
  BSave->setObjectName(QStringLiteral("BSave"));
  BChgCode->setObjectName(QStringLiteral("BChgCode"));
  BHist->setObjectName(QStringLiteral("BHist"));
  BCopy->setObjectName(QStringLiteral("BCopy"));
  BPrint->setObjectName(QStringLiteral("BPrint"));
  BExit->setObjectName(QStringLiteral("BExit"));
  ChgCode = new widgets::UpperEdit(ToolBar1);
  ChgCode->setObjectName(QStringLiteral("ChgCode"));
  ChgCode->setText(QStringLiteral("CHGCODE"));
  ChgCode->setFixedWidth(90);
  for (QWidget* w : {static_cast<QWidget*>(BNew), static_cast<QWidget*>(BDel), static_cast<QWidget*>(BSave),
                     static_cast<QWidget*>(BChgCode), static_cast<QWidget*>(ChgCode), static_cast<QWidget*>(BHist),
                     static_cast<QWidget*>(BCopy), static_cast<QWidget*>(BPrint), static_cast<QWidget*>(BExit)})
    bar->addWidget(w);
  root->addWidget(Panel2);

  Client = new QWidget(this);
  Client->setObjectName(QStringLiteral("Client"));
  root->addWidget(Client, 1);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  for (int width : {200, 50}) {
    auto* panel = new QLabel(StatusBar1);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedWidth(width);
    StatusBar1->addWidget(panel);
    StatusPanels << panel;
  }
  StatusMessage = new QLabel(StatusBar1);
  StatusMessage->setObjectName(QStringLiteral("StatusMessage"));
  StatusMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
  StatusBar1->addWidget(StatusMessage, 1);
  root->addWidget(StatusBar1);

  FormHints1 = new widgets::HintBalloon(this);

  keyPreview_ = new widgets::KeyPreview(this);
  keyPreview_->KeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers shift) {
    FormKeyDown(sender, key, shift);
  };
  keyPreview_->KeyPress = [this](QObject* sender, QChar& key) { FormKeyPress(sender, key); };

  SetClientSize(632, 421);
}

QAction* TFrForm::makeAction(const QString& caption, const QString& hint, const QKeySequence& shortcut, int image) {
  auto* a = new QAction(ImageList1.value(image), caption, this);
  a->setToolTip(hint);
  a->setStatusTip(hint);
  a->setShortcut(shortcut);
  a->setShortcutContext(Qt::WindowShortcut);
  addAction(a);  // the shortcut works while the button is hidden
  return a;
}

QToolButton* TFrForm::makeButton(QAction* action) {
  auto* b = new QToolButton(ToolBar1);
  b->setDefaultAction(action);
  b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  b->setAutoRaise(true);
  b->setFixedSize(54, 36);
  b->setIconSize(QSize(18, 18));
  b->setCursor(Qt::PointingHandCursor);
  b->setFocusPolicy(Qt::NoFocus);
  b->setToolTip(action->toolTip());
  return b;
}

void TFrForm::SetClientSize(int width, int height) {
  designSize_ = QSize(width, height);
  resize(designSize_);
}

void TFrForm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (shown_ || e->spontaneous()) return;
  shown_ = true;
  // The show handler installs the grids' columns; the window then opens large enough for them.
  FormShow(this);
  framework::FitWindow(this, designSize_);
  framework::CenterOnScreen(this);
}

void TFrForm::closeEvent(QCloseEvent* e) {
  framework::CloseAction action = framework::CloseAction::Hide;
  FormClose(this, action);
  if (action == framework::CloseAction::None) {
    e->ignore();
    return;
  }
  if (action == framework::CloseAction::Free) setAttribute(Qt::WA_DeleteOnClose);
  if (action == framework::CloseAction::Minimize) {
    e->ignore();
    showMinimized();
    return;
  }
  e->accept();
}

void TFrForm::FormShow(QObject*) {
  // The task-bar text is the caption the window has now.
  QGuiApplication::setApplicationDisplayName(windowTitle());
  BHist->hide();
  BCopy->hide();
  BPrint->hide();
  BChgCode->hide();
  TFrForm::AcNewExecute(this);
}

void TFrForm::AcNewExecute(QObject*) {
  ChgCode->hide();
  AcSave->setEnabled(false);
  AcDel->setEnabled(false);
  AcChgCode->setEnabled(false);
  SetKeyPreview(true);
}

void TFrForm::AcExitExecute(QObject*) { close(); }

void TFrForm::ShowStatus(const QString& text, bool error) {
  SetStatusText(text, error);
  StatusMessage->repaint();
}

void TFrForm::SetStatusText(const QString& text, bool error) {
  StatusMessage->setStyleSheet(error ? QStringLiteral("color: #c00000;") : QString());
  StatusMessage->setText(text);
}

void TFrForm::FormClose(QObject*, framework::CloseAction& action) {
  const QString question = framework::IsThai() ? QStringLiteral("ออกจากโปรแกรม ?") : QStringLiteral("Exit Program ?");
  action = prompts::current().confirm(question, prompts::Style::ExitForm) ? framework::CloseAction::Hide
                                                                          : framework::CloseAction::None;
}

void TFrForm::FormKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // A grid uses Enter itself (to the next cell).
      if (framework::InsideGrid(sender)) return;
      focusNextChild();
      break;
    case Qt::Key_Escape:
      AcExitExecute(this);
      key = 0;
      break;
    default:
      break;
  }
}

void TFrForm::FormKeyPress(QObject* sender, QChar& key) {
  if (key == QChar('\r') && !framework::InsideGrid(sender)) key = QChar();
}

void TFrForm::AcSaveExecute(QObject*) {}
void TFrForm::AcDelExecute(QObject*) {}
void TFrForm::AcHistExecute(QObject*) {}
void TFrForm::AcCopyExecute(QObject*) {}
void TFrForm::AcPrintExecute(QObject*) {}
void TFrForm::AcChgCodeExecute(QObject*) {}
