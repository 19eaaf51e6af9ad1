#include "doc_no_frame.h"

#include <QApplication>
#include <QHBoxLayout>

#include "framework.h"
#include "prompts.h"
#include "tool_images.h"

TFaGetDocNo::TFaGetDocNo(QWidget* parent) : QWidget(parent) {
  setFont(framework::FormFont(13));
  Label1 = new QLabel(QStringLiteral("เลขที่"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label1->setMinimumWidth(46);
  DocNo = new widgets::DBEdit(this);
  DocNo->setObjectName(QStringLiteral("DocNo"));
  DocNo->setCharCase(widgets::Edit::CharCase::Upper);
  // A whole document number ("CON260000000008") shows, never less than the design's 120 pixels.
  DocNo->setFixedSize(framework::CodeEditWidth(DocNo, 15), 22);
  BtSearch = new widgets::SpeedButton(this);
  BtSearch->setObjectName(QStringLiteral("BtSearch"));
  BtSearch->setIcon(framework::GlyphIcon(framework::Glyph::Search));
  BtSearch->setToolTip(QStringLiteral("ค้นหาเลขที่เอกสาร"));
  BtSearch->setFixedSize(22, 22);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 1, 2, 1);
  row->setSpacing(2);
  row->addWidget(Label1);
  row->addSpacing(2);
  row->addWidget(DocNo);
  row->addWidget(BtSearch);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  DocNo->OnKeyDown = [this](QObject* sender, int& key, Qt::KeyboardModifiers shift) { DocNoKeyDown(sender, key, shift); };
  connect(qApp, &QApplication::focusChanged, this, &TFaGetDocNo::focusMoved);
}

void TFaGetDocNo::Bind(widgets::DataSource* ds, const QString& column) { DocNo->setDataSource(ds, column); }

// The frame is entered when the focus arrives inside it from another control of the window, and
// left when the focus goes from inside it to another control of the window. Another window taking
// the focus (a dialog, a message box) neither enters nor leaves it.
void TFaGetDocNo::focusMoved() {
  QWidget* f = QApplication::focusWidget();
  if (!f || f->window() != window()) return;
  const bool inside = isAncestorOf(f);
  if (inside == inside_) return;
  inside_ = inside;
  if (inside)
    FrameEnter(this);
  else
    FrameExit(this);
}

void TFaGetDocNo::FrameEnter(QObject*) { BtSearch->setEnabled(true); }

void TFaGetDocNo::DocNoKeyDown(QObject*, int& key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_F5 && BtSearch->OnClick) BtSearch->OnClick(this);
}

bool TFaGetDocNo::flagSet(const QString& column) const {
  widgets::DataSource* ds = DocNo->dataSource();
  if (!ds || !ds->result() || ds->currentRow() < 0) return false;
  const db::Result* r = ds->result();
  if (r->columnIndex(column) < 0) return false;  // a column the host does not read is not tested
  return r->asString(column) == QLatin1String("Y");
}

void TFaGetDocNo::FrameExit(QObject*) {
  BtSearch->setEnabled(false);
  bool acceptable = true;
  bool posted = false;
  if (flagSet(QStringLiteral("DelFlag"))) {
    prompts::current().message(QStringLiteral("เอกสารถูกยกเลิกแล้ว"), prompts::Style::Info);
    acceptable = false;
  }
  if (flagSet(QStringLiteral("Posted"))) {
    posted = true;
    prompts::current().message(QStringLiteral("เอกสารถูกปิดบัญชีแล้ว"), prompts::Style::Info);
    acceptable = false;
  }
  if (flagSet(QStringLiteral("Imported"))) {
    prompts::current().message(QStringLiteral("เอกสารถูกถ่ายโอนมาจากระบบอื่น"), prompts::Style::Info);
    acceptable = false;
  }
  // A posted document stays loaded; what may be done with it is the host's decision.
  if (acceptable || posted) return;
  // The checks of the record shown after clearing: a host whose new document is refused again is
  // not cleared over and over.
  if (reruns_ > 0) return;

  // Cancelled or imported: back to a new document.
  setEnabled(true);
  DocNo->setEnabled(true);
  BtSearch->setEnabled(true);
  DocNo->setText(QString());
  if (DocNo->OnExit) {
    DocNo->OnExit(this);
    ++reruns_;
    FrameExit(this);
    --reruns_;
  }
}
