// The preview window: the prepared pages on screen with zoom, find, page set-up, print, help and
// exit buttons; which buttons show is chosen by the caller.
#pragma once

#include "report/page.h"

#include <QDialog>
#include <QFlags>

class QComboBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QToolButton;

namespace report {

enum class PreviewButton {
  Zoom = 0x01,
  Print = 0x02,
  Find = 0x04,
  Help = 0x08,
  Exit = 0x10,
  PageSetup = 0x20,
};
Q_DECLARE_FLAGS(PreviewButtons, PreviewButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(PreviewButtons)

inline constexpr PreviewButtons kAllPreviewButtons = PreviewButtons(0x3F);

class PageView;

class PreviewWindow : public QDialog {
  Q_OBJECT
 public:
  PreviewWindow(const PreparedReport& report, PreviewButtons buttons, QWidget* parent = nullptr);
  ~PreviewWindow() override;

  int pageIndex() const;
  int pageCount() const;
  void setPageIndex(int index);
  // Finds the next text holding `text` (case-insensitive) after the current hit; false when none.
  bool findNext(const QString& text);
  QRectF highlight() const;  // mm, on the current page; empty when none
  double zoom() const;       // 1.0 = 100 %
  void setZoom(double factor);

  QToolButton* button(PreviewButton which) const;
  // The name a PDF file is offered under when no printer is installed (a document number).
  void setDocumentName(const QString& name);

 Q_SIGNALS:
  void printed();

 private:
  void print();
  void pageSetup();
  void help();
  void updatePageLabel();

  const PreparedReport& report_;
  PageView* view_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QComboBox* zoomBox_ = nullptr;
  QLineEdit* findEdit_ = nullptr;
  QLabel* pageLabel_ = nullptr;
  QMap<int, QToolButton*> buttons_;
  QString documentName_;
  int findPage_ = 0;
  int findItem_ = -1;
};

}  // namespace report
