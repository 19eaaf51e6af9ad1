// TFaGetDocNo: the document-number frame: takes a document number bound to the number column of the host's
// header query, offers a search button (F5 in the number), and, once the host has loaded the
// document typed, refuses documents that are cancelled or came from another system and warns about
// documents already posted to the accounts.
//
// A host binds the number and its events:
//   FaGetDocNo1->Bind(&DHd, "DocNo");
//   FaGetDocNo1->DocNo->OnExit = [this](QObject* s) { FaGetDocNo1DocNoExit(s); };  // its load
//   FaGetDocNo1->BtSearch->OnClick = [this](QObject* s) { FaGetDocNo1BtSearchClick(s); };
// When the focus leaves the number for a control outside the frame, the host's load runs first
// (the number's exit handler), then FrameExit checks the record the host has just loaded.
#pragma once

#include <QLabel>
#include <QWidget>

#include "data_source.h"
#include "edits.h"

class TFaGetDocNo : public QWidget {
  Q_OBJECT
 public:
  explicit TFaGetDocNo(QWidget* parent = nullptr);

  QLabel* Label1;
  widgets::DBEdit* DocNo;
  widgets::SpeedButton* BtSearch;

  // Binds DocNo to a column of the host's header query.
  void Bind(widgets::DataSource* ds, const QString& column);

  // ---- Handlers ----
  virtual void FrameEnter(QObject* sender);
  virtual void FrameExit(QObject* sender);
  virtual void DocNoKeyDown(QObject* sender, int& key, Qt::KeyboardModifiers shift);

 private:
  void focusMoved();
  bool flagSet(const QString& column) const;
  bool inside_ = false;
  int reruns_ = 0;
};
