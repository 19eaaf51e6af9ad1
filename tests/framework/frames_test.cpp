// The document-number and date frames in small host windows over the demo site's sales orders.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

#include "date_frame.h"
#include "doc_no_frame.h"
#include "app_fixture.h"
#include "error_reporter.h"
#include "window_fixture.h"
#include "data_module.h"
#include "config_module.h"
#include "qt_printers.h"
#include "functions.h"
#include "textutil/dates.h"

namespace {

const QString kCancelled = "เอกสารถูกยกเลิกแล้ว";
const QString kPosted = "เอกสารถูกปิดบัญชีแล้ว";
const QString kImported = "เอกสารถูกถ่ายโอนมาจากระบบอื่น";

// A host document window: the number frame bound to its header query, a load routine bound to the
// number's exit (an empty or unknown number gives an empty new document), and one field after it.
class Host : public QWidget {
 public:
  Host(db::Connection& c, const QString& columns) : header(c) {
    header.sql = QStringList{"Select " + columns + " From SoHd Where SoNo = :No"};
    auto* lay = new QVBoxLayout(this);
    frame = new TFaGetDocNo(this);
    next = new widgets::Edit(this);
    lay->addWidget(frame);
    lay->addWidget(next);
    frame->Bind(&ds, "SoNo");
    frame->DocNo->OnExit = [this](QObject* sender) {
      senders << sender;
      load(frame->DocNo->text());
    };
    load(QString());
  }
  void load(const QString& no) {
    ++loads;
    header.close();
    header.params.setText("No", no);
    header.open();
    if (header.isEmpty() || forceCancelledNew) {
      if (header.isEmpty()) header.append();
      for (const QString& flag : {"DelFlag", "Posted", "Imported"})
        if (header.columnIndex(flag) >= 0) header.setValue(flag, forceCancelledNew && flag == "DelFlag" ? "Y" : "N");
    }
    ds.reset();
  }
  db::Query header;
  widgets::DataSource ds{&header};
  TFaGetDocNo* frame;
  widgets::Edit* next;
  int loads = 0;
  bool forceCancelledNew = false;
  QList<QObject*> senders;
};

class FramesFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    QApplication::setQuitOnLastWindowClosed(false);
    struct Doc {
      const char* no;
      const char* del;
      const char* posted;
      const char* imported;
    };
    for (const Doc& d : {Doc{"ZZF-OK", "N", "N", "N"}, Doc{"ZZF-DEL", "Y", "N", "N"}, Doc{"ZZF-POST", "N", "Y", "N"},
                         Doc{"ZZF-DELPOST", "Y", "Y", "N"}, Doc{"ZZF-DELIMP", "Y", "N", "Y"}, Doc{"ZZF-IMP", "N", "N", "Y"}}) {
      db::Params p;
      p.setText("No", d.no);
      p.setText("D", d.del);
      p.setText("P", d.posted);
      p.setText("I", d.imported);
      app.dm().DMdata.execute("Insert Into SoHd (SoNo, DelFlag, Posted, Imported) Values (:No, :D, :P, :I)", p);
    }
  }
  void showHost(QWidget& host) {
    host.show();
    QApplication::setActiveWindow(&host);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
  }
  // Types a number and leaves the frame for the next field.
  void enter(Host& host, const QString& no) {
    host.frame->DocNo->setFocus(Qt::TabFocusReason);
    host.frame->DocNo->selectAll();
    QTest::keyClicks(host.frame->DocNo, no);
    app.prompts().clear();
    host.loads = 0;
    host.next->setFocus(Qt::TabFocusReason);
  }

  testsupport::AppFixture app;
};

TEST_F(FramesFixture, FlagChecksRunInOrderAndDecideWhatStaysLoaded) {
  struct Case {
    const char* no;
    QStringList messages;
    bool cleared;
  };
  const Case cases[] = {
      {"ZZF-OK", {}, false},
      {"ZZF-DEL", {kCancelled}, true},
      {"ZZF-POST", {kPosted}, false},
      {"ZZF-DELPOST", {kCancelled, kPosted}, false},  // posted wins: it stays loaded
      {"ZZF-DELIMP", {kCancelled, kImported}, true},  // both messages, cleared once
      {"ZZF-IMP", {kImported}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.no);
    Host host(app.dm().DMdata, "Id, SoNo, DelFlag, Posted, Imported");
    showHost(host);
    enter(host, c.no);
    EXPECT_EQ(app.prompts().texts(), c.messages);
    for (const auto& e : app.prompts().log) EXPECT_EQ(e.style, prompts::Style::Info);
    EXPECT_EQ(host.loads, c.cleared ? 2 : 1);
    EXPECT_EQ(host.frame->DocNo->text(), c.cleared ? "" : c.no);
    EXPECT_EQ(host.header.asString("SoNo"), c.cleared ? "" : c.no);
    if (c.cleared) {
      // The re-open is called with the frame as sender; the number is enabled again.
      EXPECT_EQ(host.senders.last(), host.frame);
      EXPECT_TRUE(host.frame->DocNo->isEnabled());
    }
    EXPECT_FALSE(host.frame->BtSearch->isEnabled());  // the focus is outside the frame
  }
}

TEST_F(FramesFixture, OnlyTheFlagColumnsTheHostReadsAreTested) {
  {
    Host host(app.dm().DMdata, "Id, SoNo, DelFlag");
    showHost(host);
    enter(host, "ZZF-DELPOST");
    EXPECT_EQ(app.prompts().texts(), QStringList{kCancelled});  // no Posted column: cleared
    EXPECT_EQ(host.frame->DocNo->text(), "");
  }
  {
    Host host(app.dm().DMdata, "Id, SoNo");
    showHost(host);
    enter(host, "ZZF-DELIMP");
    EXPECT_TRUE(app.prompts().texts().isEmpty());
    EXPECT_EQ(host.frame->DocNo->text(), "ZZF-DELIMP");
  }
}

TEST_F(FramesFixture, AHostWhoseNewDocumentIsRefusedAgainIsNotClearedForever) {
  Host host(app.dm().DMdata, "Id, SoNo, DelFlag, Posted, Imported");
  showHost(host);
  host.forceCancelledNew = true;
  enter(host, "ZZF-DEL");
  EXPECT_EQ(host.loads, 2);
  EXPECT_EQ(app.prompts().texts(), (QStringList{kCancelled, kCancelled}));
}

TEST_F(FramesFixture, F5ClicksTheSearchButtonWhenItHasAHandler) {
  Host host(app.dm().DMdata, "Id, SoNo, DelFlag");
  showHost(host);
  host.frame->DocNo->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(host.frame->BtSearch->isEnabled());
  QTest::keyClick(host.frame->DocNo, Qt::Key_F5);  // no handler: nothing happens
  QList<QObject*> clicks;
  host.frame->BtSearch->OnClick = [&](QObject* sender) { clicks << sender; };
  QTest::keyClick(host.frame->DocNo, Qt::Key_F5);
  QTest::keyClick(host.frame->DocNo, Qt::Key_F4);
  ASSERT_EQ(clicks.size(), 1);
  EXPECT_EQ(clicks[0], host.frame);
  QTest::mouseClick(host.frame->BtSearch, Qt::LeftButton);
  EXPECT_EQ(clicks.size(), 2);
}

// A host with two date frames bound to the same header: the document date checked, the send date
// with its check switched off.
class DateHost : public QWidget {
 public:
  explicit DateHost(db::Connection& c) : header(c) {
    header.sql = QStringList{"Select Id, SoNo, SoDate, ShipDate From SoHd Where SoNo = 'ZZF-OK'"};
    header.open();
    auto* lay = new QVBoxLayout(this);
    docDate = new TFaGetDate(this);
    sendDate = new TFaGetDate(this);
    next = new widgets::Edit(this);
    lay->addWidget(docDate);
    lay->addWidget(sendDate);
    lay->addWidget(next);
    docDate->Bind(&ds, "SoDate");
    sendDate->Bind(&ds, "ShipDate");
    sendDate->DocDate->OnExit = nullptr;
  }
  db::Query header;
  widgets::DataSource ds{&header};
  TFaGetDate* docDate;
  TFaGetDate* sendDate;
  widgets::Edit* next;
};

TEST_F(FramesFixture, DatesBeyondTheWorkingYearAreReplacedByTheServerDate) {
  app.dm().CheckRunYear(embedded::serverNow().date());
  const int runYear = app.dm().RunYear;
  ASSERT_GT(runYear, 2000);
  struct Case {
    QString typed;
    bool passes;
  };
  const Case cases[] = {
      {QString("31/12/%1").arg(runYear + 1), true},
      {QString("01/01/%1").arg(runYear + 2), false},
      {QString("15/06/%1").arg(runYear - 5), true},
  };
  DateHost host(app.dm().DMdata);
  showHost(host);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    app.prompts().clear();
    host.docDate->DocDate->setFocus(Qt::TabFocusReason);
    host.docDate->DocDate->selectAll();
    QTest::keyClicks(host.docDate->DocDate, c.typed);
    host.next->setFocus(Qt::TabFocusReason);
    const QDate stored = host.header.asDateTime("SoDate").date();
    if (c.passes) {
      EXPECT_TRUE(app.prompts().texts().isEmpty());
      EXPECT_EQ(stored, textutil::textToDate(c.typed));
      EXPECT_TRUE(host.next->hasFocus());
    } else {
      EXPECT_EQ(app.prompts().texts(), QStringList{"วันที่ ไม่ถูกต้อง !!"});
      EXPECT_EQ(app.prompts().log[0].style, prompts::Style::Plain);
      EXPECT_EQ(stored, app.dm().ServerTime().date());
      EXPECT_EQ(host.docDate->DocDate->text(), stored.toString("dd/MM/yyyy"));
      EXPECT_TRUE(host.docDate->DocDate->hasFocus());
    }
  }

  // The frame whose check is switched off keeps any valid date.
  app.prompts().clear();
  host.sendDate->DocDate->setFocus(Qt::TabFocusReason);
  host.sendDate->DocDate->selectAll();
  const QString far = QString("01/01/%1").arg(runYear + 5);
  QTest::keyClicks(host.sendDate->DocDate, far);
  host.next->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(app.prompts().texts().isEmpty());
  EXPECT_EQ(host.header.asDateTime("ShipDate").date(), textutil::textToDate(far));
}

}  // namespace

namespace {

// Dates as clerks type them into both frames, the checked one and the one whose check is off.
TEST_F(FramesFixture, TypedDatesAreReadInEitherEraAndAnImpossibleDateGoesToTheErrorReporter) {
  testsupport::CollectedErrors errors;
  DateHost host(app.dm().DMdata);
  showHost(host);
  const QDate today = embedded::serverNow().date();
  const QString thisYear = QString::number(today.year());
  const QString buddhistYear = QString::number(today.year() + 543);
  struct Case {
    QString typed;
    QDate stored;  // invalid: refused
  };
  const Case cases[] = {
      {"15/06/" + buddhistYear, QDate(today.year(), 6, 15)},
      {"1/2/" + buddhistYear, QDate(today.year(), 2, 1)},
      {"15/06/" + thisYear, QDate(today.year(), 6, 15)},
      {"32/13/" + thisYear, QDate()},
      {"31/04/" + buddhistYear, QDate()},
  };
  for (TFaGetDate* frame : {host.docDate, host.sendDate}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(QString(frame->DocDate->dataField() + " " + c.typed).toStdString());
      // Each case starts from a date held before, which a refusal leaves in place.
      const QDate before(today.year() - 1, 3, 3);
      host.header.setValue(frame->DocDate->dataField(), QDateTime(before, QTime(0, 0)));
      host.ds.reset();
      app.prompts().clear();
      errors.clear();
      frame->DocDate->setFocus(Qt::TabFocusReason);
      frame->DocDate->selectAll();
      QTest::keyClicks(frame->DocDate, c.typed);
      host.next->setFocus(Qt::TabFocusReason);
      const QDate stored = host.header.asDateTime(frame->DocDate->dataField()).date();
      if (c.stored.isValid()) {
        EXPECT_TRUE(errors.isEmpty()) << errors.text();
        EXPECT_TRUE(app.prompts().texts().isEmpty());
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(frame->DocDate->text(), c.stored.toString("dd/MM/yyyy")) << "shown back in the Christian era";
        EXPECT_TRUE(host.next->hasFocus());
      } else {
        const QString refusal = "'" + c.typed + "' is not a valid date";
        EXPECT_EQ(errors, QStringList{refusal});
        EXPECT_TRUE(data::ComposeErrorText(refusal).startsWith("ป้อนวันที่ไม่ถูกต้อง\r"));
        EXPECT_TRUE(app.prompts().texts().isEmpty()) << "no English box of the edit's own";
        EXPECT_EQ(stored, before);
        EXPECT_EQ(frame->DocDate->text(), c.typed) << "the typed text stays to be corrected";
        EXPECT_TRUE(frame->DocDate->hasFocus());
      }
    }
  }
}

}  // namespace
