#include "report/preview.h"

#include "report/engine.h"
#include "report/export.h"
#include "report/print_target.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

namespace report {

class PageView : public QWidget {
 public:
  explicit PageView(const PreparedReport& report, QWidget* parent) : QWidget(parent), report_(report) {
    setAutoFillBackground(false);
    resizeToPage();
  }

  int page = 0;
  double zoom = 1.0;
  QRectF highlight;

  double dotsPerMm() const { return logicalDpiX() / 25.4 * zoom; }

  void resizeToPage() {
    const double dpmm = dotsPerMm();
    setFixedSize(static_cast<int>(report_.page.width * dpmm) + 2 * kMargin, static_cast<int>(report_.page.height * dpmm) + 2 * kMargin);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    if (report_.pages.isEmpty()) return;
    const double dpmm = dotsPerMm();
    const QRectF sheet(kMargin, kMargin, report_.page.width * dpmm, report_.page.height * dpmm);
    p.fillRect(sheet.translated(3, 3), Qt::darkGray);
    p.fillRect(sheet, Qt::white);
    p.translate(kMargin, kMargin);
    paintPage(p, report_.pages.at(std::clamp(page, 0, static_cast<int>(report_.pages.size()) - 1)), dpmm);
    if (!highlight.isEmpty()) {
      p.scale(dpmm, dpmm);
      p.fillRect(highlight, QColor(255, 200, 0, 90));
    }
  }

 private:
  static constexpr int kMargin = 12;
  const PreparedReport& report_;
};

PreviewWindow::PreviewWindow(const PreparedReport& report, PreviewButtons buttons, QWidget* parent)
    : QDialog(parent), report_(report) {
  setWindowTitle(tr("Preview"));
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  layout->addLayout(bar);

  const auto addButton = [&](PreviewButton which, const QString& text, const QString& name) {
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setObjectName(name);
    b->setAutoRaise(true);
    b->setVisible(buttons.testFlag(which));
    buttons_.insert(static_cast<int>(which), b);
    bar->addWidget(b);
    return b;
  };

  zoomBox_ = new QComboBox(this);
  zoomBox_->setObjectName(QStringLiteral("zoom"));
  for (int z : {50, 75, 100, 125, 150, 200, 300}) zoomBox_->addItem(QStringLiteral("%1 %").arg(z), z / 100.0);
  zoomBox_->setCurrentIndex(2);
  zoomBox_->setVisible(buttons.testFlag(PreviewButton::Zoom));
  auto* zoomIn = addButton(PreviewButton::Zoom, QStringLiteral("+"), QStringLiteral("zoomIn"));
  bar->addWidget(zoomBox_);
  connect(zoomBox_, &QComboBox::activated, this, [this](int i) { setZoom(zoomBox_->itemData(i).toDouble()); });
  connect(zoomIn, &QToolButton::clicked, this, [this] { setZoom(zoom() * 1.25); });

  zoomIn->setToolTip(tr("Zoom in"));
  zoomBox_->setToolTip(tr("Zoom"));
  auto* prev = new QToolButton(this);
  prev->setToolTip(tr("Previous page"));
  prev->setText(QStringLiteral("<"));
  prev->setObjectName(QStringLiteral("previousPage"));
  auto* next = new QToolButton(this);
  next->setText(QStringLiteral(">"));
  next->setObjectName(QStringLiteral("nextPage"));
  next->setToolTip(tr("Next page"));
  pageLabel_ = new QLabel(this);
  bar->addWidget(prev);
  bar->addWidget(pageLabel_);
  bar->addWidget(next);
  connect(prev, &QToolButton::clicked, this, [this] { setPageIndex(pageIndex() - 1); });
  connect(next, &QToolButton::clicked, this, [this] { setPageIndex(pageIndex() + 1); });

  findEdit_ = new QLineEdit(this);
  findEdit_->setObjectName(QStringLiteral("findText"));
  findEdit_->setPlaceholderText(tr("Find"));
  findEdit_->setVisible(buttons.testFlag(PreviewButton::Find));
  bar->addWidget(findEdit_);
  auto* find = addButton(PreviewButton::Find, tr("Find"), QStringLiteral("find"));
  const auto doFind = [this] {
    if (!findNext(findEdit_->text())) QMessageBox::information(this, windowTitle(), tr("Not found: %1").arg(findEdit_->text()));
  };
  connect(find, &QToolButton::clicked, this, doFind);
  connect(findEdit_, &QLineEdit::returnPressed, this, doFind);

  auto* setup = addButton(PreviewButton::PageSetup, tr("Page set-up"), QStringLiteral("pageSetup"));
  connect(setup, &QToolButton::clicked, this, &PreviewWindow::pageSetup);
  auto* print = addButton(PreviewButton::Print, tr("Print"), QStringLiteral("print"));
  connect(print, &QToolButton::clicked, this, &PreviewWindow::print);
  auto* help = addButton(PreviewButton::Help, tr("Help"), QStringLiteral("help"));
  connect(help, &QToolButton::clicked, this, &PreviewWindow::help);
  bar->addStretch();
  auto* exit = addButton(PreviewButton::Exit, tr("Exit"), QStringLiteral("exit"));
  connect(exit, &QToolButton::clicked, this, &QDialog::accept);

  scroll_ = new QScrollArea(this);
  scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  view_ = new PageView(report_, scroll_);
  scroll_->setWidget(view_);
  layout->addWidget(scroll_, 1);

  auto* pgDown = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
  connect(pgDown, &QShortcut::activated, this, [this] { setPageIndex(pageIndex() + 1); });
  auto* pgUp = new QShortcut(QKeySequence(Qt::Key_PageUp), this);
  connect(pgUp, &QShortcut::activated, this, [this] { setPageIndex(pageIndex() - 1); });
  if (buttons.testFlag(PreviewButton::Find)) {
    auto* f = new QShortcut(QKeySequence::Find, this);
    connect(f, &QShortcut::activated, findEdit_, [this] { findEdit_->setFocus(); });
  }
  if (const QScreen* s = screen()) resize(s->availableSize() * 0.8);
  updatePageLabel();
}

PreviewWindow::~PreviewWindow() = default;

int PreviewWindow::pageIndex() const { return view_->page; }
int PreviewWindow::pageCount() const { return static_cast<int>(report_.pages.size()); }

void PreviewWindow::setPageIndex(int index) {
  index = std::clamp(index, 0, std::max(0, pageCount() - 1));
  if (index != view_->page) view_->highlight = QRectF();
  view_->page = index;
  view_->update();
  updatePageLabel();
}

double PreviewWindow::zoom() const { return view_->zoom; }

void PreviewWindow::setZoom(double factor) {
  view_->zoom = std::clamp(factor, 0.1, 8.0);
  const int percent = static_cast<int>(std::lround(view_->zoom * 100));
  int index = zoomBox_->findData(percent / 100.0);
  if (index < 0) {
    zoomBox_->addItem(QStringLiteral("%1 %").arg(percent), percent / 100.0);
    index = zoomBox_->count() - 1;
  }
  zoomBox_->setCurrentIndex(index);
  view_->resizeToPage();
}

QRectF PreviewWindow::highlight() const { return view_->highlight; }

QToolButton* PreviewWindow::button(PreviewButton which) const { return buttons_.value(static_cast<int>(which)); }

bool PreviewWindow::findNext(const QString& text) {
  if (text.isEmpty() || report_.pages.isEmpty()) return false;
  const int pages = pageCount();
  int page = findItem_ < 0 ? view_->page : findPage_;
  int item = findItem_ + 1;
  for (int visited = 0; visited <= pages; ++visited) {
    const auto& items = report_.pages[page].items;
    for (int i = item; i < items.size(); ++i) {
      if (items[i].type == Primitive::Type::Text && items[i].text.contains(text, Qt::CaseInsensitive)) {
        findPage_ = page;
        findItem_ = i;
        setPageIndex(page);
        view_->highlight = items[i].box;
        view_->update();
        const double dpmm = view_->dotsPerMm();
        scroll_->ensureVisible(static_cast<int>(items[i].box.center().x() * dpmm), static_cast<int>(items[i].box.center().y() * dpmm));
        return true;
      }
    }
    page = (page + 1) % pages;
    item = 0;
  }
  findItem_ = -1;
  return false;
}

void PreviewWindow::print() {
  try {
    // The printer chosen in the print dialog's printer set-up (or PDF when none is installed).
    if (!printOnChosenPrinter(report_, this, 1, documentName_)) return;
    Q_EMIT printed();
  } catch (const FileWriteError& e) {
    QMessageBox::warning(this, windowTitle(), fileWriteFailureText(e));
  } catch (const ReportError& e) {
    QMessageBox::warning(this, windowTitle(), e.message());
  }
}

void PreviewWindow::pageSetup() {
  QPageSetupDialog dlg(&currentPrinter(), this);
  if (dlg.exec() == QDialog::Accepted) setPrinterPaperChosen(true);
}

void PreviewWindow::help() {
  QMessageBox::information(this, windowTitle(),
                           tr("Page Up / Page Down: previous / next page\nCtrl+F: find\n+ and the zoom list: zoom\nEscape: close"));
}

void PreviewWindow::setDocumentName(const QString& name) { documentName_ = name; }

void PreviewWindow::updatePageLabel() {
  pageLabel_->setText(QStringLiteral("%1 / %2").arg(pageCount() ? pageIndex() + 1 : 0).arg(pageCount()));
}

}  // namespace report
