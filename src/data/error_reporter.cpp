#include "error_reporter.h"

#include <QFont>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "db.h"
#include "error_log.h"
#include "prompts.h"
#include "textutil/dates.h"
#include "textutil/helpers.h"

namespace data {

namespace {
struct KnownError {
  const char* words;
  const char* explanation;
};
// Tested in this order; the first row whose words occur in the error text gives the explanation.
const KnownError kKnownErrors[] = {
    {"is not a valid date", "ป้อนวันที่ไม่ถูกต้อง"},
    {"Cannot insert the value NULL into column 'Transportation'", "ไม่ได้ป้อนข้อมูลการขนส่ง"},
    {"Cannot insert the value NULL into column 'Price'", "กำหนดราคาไม่ครบถ้วน"},
    {"Cannot insert the value NULL into column 'Warehouse'", "ไม่ได้ป้อนข้อมูลคลัง"},
    {"Cannot insert the value NULL into column 'Customer'", "ไม่ได้ป้อนข้อมูลลูกค้า"},
    {"Cannot insert the value NULL into column 'Vendor'", "ไม่ได้ป้อนข้อมูลเจ้าหนี้"},
    {"Cannot insert the value NULL into column 'Fraction'", "ไม่ได้ป้อนข้อมูลหน่วย หรือ ข้อมูลหน่วยผิดพลาด"},
    {"Cannot insert the value NULL into column 'Salesman'", "ไม่ได้ป้อนข้อมูลพนักงานขาย"},
    {"Possible network error", "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
    {"DELETE statement conflicted with COLUMN REFERENCE", "ข้อมูลที่ลบถูกอ้างโดยข้อมูลอื่น ไม่สามารถลบข้อมูลนี้ได้"},
    {"Printer selected is not valid", "ยังไม่ได้กำหนดเครื่องพิมพ์ หรือ เครื่องพิมพ์มีปัญหา"},
    {"Insufficient memory", "Memory หน่วยความจำของเครื่องไม่เพียงพอ"},
    {"SQL Server connection timed out", "เครื่องแม่ข่ายตัดการติดต่อ เพราะเครื่องนี้อาจเรียกข้อมูลปริมาณมากเกินไป"},
    {"Cannot insert duplicate", "ข้อมูลที่เพิ่มซ้ำกับข้อมูลที่มีอยู่แล้ว"},
    // The embedded database's own texts.
    {"UNIQUE constraint failed", "ข้อมูลที่เพิ่มซ้ำกับข้อมูลที่มีอยู่แล้ว"},
    {"NOT NULL constraint failed", "ป้อนข้อมูลไม่ครบถ้วน"},
    {"FOREIGN KEY constraint failed", "ข้อมูลที่ลบหรือแก้ไขถูกอ้างโดยข้อมูลอื่น ไม่สามารถทำรายการนี้ได้"},
    {"CHECK constraint failed", "ข้อมูลไม่ถูกต้องตามเงื่อนไขของฐานข้อมูล"},
    {"database is locked", "ฐานข้อมูลกำลังถูกใช้งานโดยผู้ใช้อื่น กรุณารอสักครู่แล้วลองใหม่"},
    {"database table is locked", "ฐานข้อมูลกำลังถูกใช้งานโดยผู้ใช้อื่น กรุณารอสักครู่แล้วลองใหม่"},
    {"database is busy", "ฐานข้อมูลกำลังถูกใช้งานโดยผู้ใช้อื่น กรุณารอสักครู่แล้วลองใหม่"},
    {"database or disk is full", "พื้นที่เก็บข้อมูลเต็ม"},
    {"attempt to write a readonly database", "ไม่มีสิทธิ์เขียนฐานข้อมูล"},
    {"unable to open database file", "เปิดฐานข้อมูลไม่ได้"},
    {"database disk image is malformed", "แฟ้มฐานข้อมูลเสียหาย"},
    // The network's: the database server, the order web server, the mail server.
    {"Unable to connect", "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
    {"Adaptive Server is unavailable", "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
    {"connect to server", "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
    {"Connection refused", "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
    {"resolve host", "ไม่พบชื่อเครื่องแม่ข่ายในเครือข่าย"},
    {"Timeout was reached", "เครื่องแม่ข่ายไม่ตอบภายในเวลาที่กำหนด"},
    {"timed out", "เครื่องแม่ข่ายไม่ตอบภายในเวลาที่กำหนด"},
    {"Login denied", "เครื่องแม่ข่ายไม่ยอมรับชื่อผู้ใช้หรือรหัสผ่าน"},
    {"Access denied", "เครื่องแม่ข่ายไม่ยอมรับชื่อผู้ใช้หรือรหัสผ่าน"},
    {"Login failed", "เครื่องแม่ข่ายไม่ยอมรับชื่อผู้ใช้หรือรหัสผ่าน"},
};

ExceptionHandler& handlerSlot() {
  static ExceptionHandler h;
  return h;
}
}  // namespace

QString UpperAscii(const QString& text) { return textutil::upperAsciiLetters(text); }

QString ErrorMessageOf(const std::exception_ptr& error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const db::Error& e) {
    return e.message();
  } catch (const textutil::ConvertError& e) {
    return e.message();
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Unknown exception");
  }
  return QString();
}

QString ExplainError(const QString& message) {
  const QString upper = UpperAscii(message);
  for (const KnownError& k : kKnownErrors)
    if (upper.contains(UpperAscii(QString::fromUtf8(k.words)))) return QString::fromUtf8(k.explanation);
  return QString();
}

QString ComposeErrorText(const QString& message) {
  return ExplainError(message) + QLatin1Char('\r') + UpperAscii(message) + QLatin1Char('\r');
}

void SetExceptionHandler(ExceptionHandler handler) { handlerSlot() = std::move(handler); }
bool HasExceptionHandler() { return bool(handlerSlot()); }

void HandleException(QObject* sender, std::exception_ptr error) {
  try {
    if (handlerSlot()) {
      handlerSlot()(sender, error);
      return;
    }
    prompts::current().message(ErrorMessageOf(error), prompts::Style::Error);
  } catch (...) {
    // The handler itself failed: nothing may unwind into Qt.
    std::fprintf(stderr, "consolidate: error while reporting an error: %s\n",
                 ErrorMessageOf(std::current_exception()).toLocal8Bit().constData());
  }
}

}  // namespace data

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const EAbort&) {
    return false;
  } catch (...) {
    data::HandleException(receiver, std::current_exception());
    return false;
  }
}

bool TFrShowError::SendChosen = false;
int TFrShowError::Countdown = 10;

TFrShowError::TFrShowError(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("TFrShowError"));
  setWindowTitle(QStringLiteral("Windows Error Message"));
  setFixedSize(344, 101);
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::red);
  setPalette(pal);

  ErrorBox = new QPlainTextEdit(this);
  ErrorBox->setObjectName(QStringLiteral("ErrorBox"));
  ErrorBox->setReadOnly(true);
  ErrorBox->setGeometry(0, 0, 344, 65);
  QPalette boxPal = ErrorBox->palette();
  boxPal.setColor(QPalette::Base, Qt::red);
  boxPal.setColor(QPalette::Text, palette().color(QPalette::Base));
  ErrorBox->setPalette(boxPal);

  QFont bold = font();
  bold.setBold(true);
  BOk = new QPushButton(QStringLiteral("Send Error"), this);
  BOk->setObjectName(QStringLiteral("BOk"));
  BOk->setGeometry(94, 70, 75, 25);
  BOk->setFont(bold);
  BOk->setCursor(Qt::PointingHandCursor);
  BOk->setAutoDefault(false);
  BCancel = new QPushButton(QStringLiteral("Don't Send"), this);
  BCancel->setObjectName(QStringLiteral("BCancel"));
  BCancel->setGeometry(198, 70, 75, 25);
  BCancel->setFont(bold);
  BCancel->setCursor(Qt::PointingHandCursor);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  Timer1->start();

  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  connect(BOk, &QPushButton::clicked, this, [this] { BOkClick(); });
  connect(BCancel, &QPushButton::clicked, this, [this] { BCancelClick(); });
}

void TFrShowError::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FormShow();
}

void TFrShowError::keyPressEvent(QKeyEvent* e) { QDialog::keyPressEvent(e); }

void TFrShowError::FormShow() {
  move(50, 100);
  QString shown = ErrorText;
  ErrorBox->setPlainText(shown.replace(QLatin1Char('\r'), QLatin1Char('\n')));
  BCancel->setFocus();
  SendChosen = false;
  Countdown = 10;
}

void TFrShowError::Timer1Timer() {
  if (SendChosen) return;
  --Countdown;
  if (Countdown == 1) BCancelClick();
}

void TFrShowError::BCancelClick() { reject(); }

void TFrShowError::BOkClick() {
  SendChosen = true;
  data::ErrorLog* log = data::CurrentErrorLog();
  const QString body = QStringLiteral("[User = ") + (log ? log->ReportUserCode().trimmed() : QString()) +
                       QStringLiteral("] ") + QLatin1Char('\r') + QStringLiteral("Local IP = ") +
                       textutil::GetLocalIP() + QLatin1Char('\r') + ErrorText;
  const QString subject = QStringLiteral("Error ") + (log ? log->ReportDatabaseName().trimmed() : QString()) +
                          QLatin1Char(' ') + (log ? log->ReportMenuCaption().trimmed() : QString());
  if (log) log->SendErrorMail(subject, body);
  accept();
}

void ApplicationEvents1Exception(QObject*, std::exception_ptr error) {
  const QString message = data::ErrorMessageOf(error);
  try {
    if (data::ErrorLog* log = data::CurrentErrorLog()) log->AddErrorLog(message);
  } catch (...) {
    std::fprintf(stderr, "consolidate: the error log could not be written: %s\n",
                 data::ErrorMessageOf(std::current_exception()).toLocal8Bit().constData());
  }
  TFrShowError w;
  w.ErrorText = data::ComposeErrorText(message);
  w.exec();
}
