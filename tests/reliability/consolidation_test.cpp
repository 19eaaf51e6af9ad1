// The zone consolidation window under bad input and with its database locked by another process.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QTemporaryDir>

#include "zone_consolidation_fixture.h"
#include "conso_to_iv_procedure.h"
#include "lock_holder.h"
#include "window_input.h"
#include "zone_consolidation_search.h"
#include "shipped_forms.h"

namespace {

class ConsolidationReliability : public contest::ConsoWindowTest {
 protected:
  void newDocument() { w->AcNew->trigger(); }
  void openDocument(const QString& no) {
    newDocument();
    enterNumber(no);
  }
  QString demoDocNo(int id) { return scalar("Select DocNo From ConsolidateHd Where Id = " + QString::number(id)).toString(); }
  QVector<qint64> storedLines(const QString& no) {
    db::Params p;
    p.setText("No", no);
    return ids("Select D.SoDt From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd Where H.DocNo = :No "
               "Order By D.SoDt",
               p);
  }
  // The rows of a read, each as its values joined by "|".
  QStringList rows(const QString& sql, const db::Params& p = {}) {
    QStringList out;
    const db::Result r = conn().select(sql, p);
    for (const auto& row : r.rows()) {
      QStringList f;
      for (const QVariant& v : row) f << (v.isNull() ? QStringLiteral("null") : v.toString());
      out << f.join('|');
    }
    return out;
  }
  qint64 counterLastNo() {
    return scalar("Select LastNo From DocumentNo Where Code = 'CONSOLIDAT' And DocYear = " +
                  QString::number(app.dm().ServerTime().date().year()))
        .toLongLong();
  }
  // Types over a row's SendQnty cell as a user does: the first key opens the cell's editor with
  // the cell's text selected, the other keys follow, Enter commits.
  void typeOverSendQnty(int row, const QString& keys) {
    activate();
    w->DgDt->setFocus(Qt::TabFocusReason);
    w->DgDt->setCurrentIndex(index(row, "SendQnty"));
    QTest::keyClicks(w->DgDt, keys.left(1));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, w->DgDt) << "the first key opens the editor";
    QTest::keyClicks(editor, keys.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
  }
};

// Quantities typed into the grid: what is not a digit never gets in, nothing is sent below zero or
// beyond the order, and the quantity saved is the one on screen.
TEST_F(ConsolidationReliability, QuantitiesTypedIntoTheGrid) {
  loadZone("Z01");
  const int r = rowOf(fixedLines[0]);  // P00001: 5 ordered, 20 in stock
  ASSERT_GE(r, 0);
  tick(r);
  const QString overOrder = QStringLiteral("ไม่สามารถกำหนดจำนวนได้มากกว่าจำนวนที่สั่งขาย");
  struct Case {
    const char* keys;
    double expected;
    bool message;  // the "more than ordered" message
  };
  const Case cases[] = {
      {"abc", 2, false},                     // letters are refused: the quantity stays
      {"%", 2, false},
      {"' Or 1=1 --", 5, true},              // only the digits get in: 11, more than ordered
      {"-3", 0, false},                      // nothing is sent below zero
      {"-", 2, false},                       // not a number: no change
      {".", 2, false},
      {"99999999999999999999", 5, true},
      {"1e308", 5, true},                    // the "e" is refused: 1308
      {"3.5", 3.5, false},
      {"1,2", 5, true},                      // the comma groups thousands: 12
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    if (cell(r, "SendQnty").toDouble() != 2) enterSendQnty(r, "2");
    app.prompts().clear();
    typeOverSendQnty(r, QString::fromLatin1(c.keys));
    EXPECT_EQ(cell(r, "SendQnty").toDouble(), c.expected);
    EXPECT_DOUBLE_EQ(cell(r, "WeightKg").toDouble(), c.expected * cell(r, "VolumnFraction").toDouble());
    EXPECT_EQ(app.prompts().texts(), c.message ? QStringList{overOrder} : QStringList{});
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  }
  // What is on screen is what is saved.
  enterSendQnty(r, "4");
  prints.clear();
  save();
  ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  ASSERT_EQ(prints.size(), 1);
  db::Params p;
  p.setText("No", prints[0].docNo);
  p.setInt("SoDt", fixedLines[0]);
  EXPECT_EQ(scalar("Select D.SendQnty From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd "
                   "Where H.DocNo = :No And D.SoDt = :SoDt",
                   p)
                .toDouble(),
            4);
}

// Texts that must be taken as ordinary characters in the number field and in the search.
const char* const kHostile[] = {"'", "x' Or '1'='1", "1'; Delete From ConsolidateHd; --", "%", "_", "Con%", "[C]%",
                                ":DocNo", "\\%", "\x01\x02"};

TEST_F(ConsolidationReliability, HostileNumbersOpenNoDocumentAndChangeNothing) {
  const int headers = count("ConsolidateHd");
  QStringList texts;
  for (const char* t : kHostile) texts << QString::fromLatin1(t);
  texts << QString(200, QLatin1Char('9')) << QString(20000, QChar(0x0E01));
  for (const QString& text : texts) {
    SCOPED_TRACE(text.left(40).toStdString());
    app.prompts().clear();
    openDocument(text);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_TRUE(w->IsNewDocument) << "no document has such a number";
    EXPECT_TRUE(w->BLoad->isEnabled());
  }
  EXPECT_EQ(count("ConsolidateHd"), headers);
}

TEST_F(ConsolidationReliability, HostileSearchTextsAreMatchedAsOrdinaryCharacters) {
  ASSERT_GT(count("ConsolidateHd"), 0);
  QStringList texts;
  for (const char* t : kHostile) texts << QString::fromLatin1(t);
  texts << QString(20000, QChar(0x0E01));
  for (const QString& text : texts) {
    SCOPED_TRACE(text.left(40).toStdString());
    EXPECT_EQ(reliability::rowsListedBySearch(w->FaGetDocNo1->DocNo, text, [this] { activate(); }), 0) << "no consolidation number holds these characters";
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  }
}

// 20,000 characters pasted into each crew and remark edit: the edit takes what its column holds
// (ConsolidateHd: VarChar(100), the licence plate VarChar(30), the remark VarChar(200)), a key typed
// after that adds nothing, and the save stores exactly what the edits show.
TEST_F(ConsolidationReliability, TheCrewAndRemarkEditsTakeNoMoreThanTheirColumnsHold) {
  struct Case {
    widgets::DBEdit* edit;
    const char* column;
    int length;
  } cases[] = {
      {w->Carman, "Carman", 100},   {w->LicensePlate, "LicensePlate", 30}, {w->Porter1, "Porter1", 100},
      {w->Porter2, "Porter2", 100}, {w->Porter3, "Porter3", 100},          {w->Remark, "Remark", 200},
  };
  loadZone("Z01");
  tick(rowOf(fixedLines[0]));
  const QString pasted = QString(20000, QChar(0x0E01));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    activate();
    c.edit->setFocus(Qt::TabFocusReason);
    c.edit->selectAll();
    c.edit->insert(pasted);  // what a paste does
    QTest::keyClicks(c.edit, "x");
    EXPECT_EQ(c.edit->text(), QString(c.length, QChar(0x0E01)));
  }
  prints.clear();
  save();
  ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  ASSERT_EQ(prints.size(), 1);
  db::Params p;
  p.setText("No", prints[0].docNo);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    EXPECT_EQ(scalar(QStringLiteral("Select %1 From ConsolidateHd Where DocNo = :No").arg(QLatin1String(c.column)), p).toString(),
              QString(c.length, QChar(0x0E01)));
  }
}

TEST_F(ConsolidationReliability, SendDatesOutsideTheCalendarAreRefusedWithAMessage) {
  newDocument();
  enterNumber(QString());
  reliability::expectDatesRefused(app, errors, w->FaGetSendDate->DocDate, [this] { activate(); });
}

// The company database locked by another process past the busy time-out: Save, Delete and Send
// to invoices roll back, tell the user, keep the document on screen, and work once the lock is
// gone.
TEST_F(ConsolidationReliability, SaveWhileAnotherProcessLocksTheDatabase) {
  reliability::shortenBusyTimeout(conn());
  loadZone("Z01");
  tick(rowOf(fixedLines[0]));
  tick(rowOf(fixedLines[2]));
  const auto rowsBefore = w->QConsoDt.rows();
  const qint64 lastNo = counterLastNo();
  const int headers = count("ConsolidateHd");
  {
    reliability::LockHolder lock(app.site().folder(), app.site().companyDatabase());
    ASSERT_TRUE(lock.ok()) << lock.error().toStdString();
    prints.clear();
    save();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("locked")) << errors[0].toStdString();
    EXPECT_TRUE(prints.isEmpty());
    widgets::ClearModalDrivers();
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_TRUE(w->IsNewDocument);
    EXPECT_EQ(w->QConsoDt.rows(), rowsBefore);
    EXPECT_TRUE(w->AcSave->isEnabled());
  }
  EXPECT_EQ(count("ConsolidateHd"), headers);
  EXPECT_EQ(counterLastNo(), lastNo);
  errors.clear();
  save();
  ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  ASSERT_EQ(prints.size(), 1);
  EXPECT_EQ(storedLines(prints[0].docNo), (QVector<qint64>{fixedLines[0], fixedLines[2]}));
}

TEST_F(ConsolidationReliability, DeleteWhileAnotherProcessLocksTheDatabase) {
  reliability::shortenBusyTimeout(conn());
  const QString no = demoDocNo(1);
  openDocument(no);
  ASSERT_TRUE(w->AcDel->isEnabled());
  {
    reliability::LockHolder lock(app.site().folder(), app.site().companyDatabase());
    ASSERT_TRUE(lock.ok()) << lock.error().toStdString();
    app.prompts().answer(true);
    w->AcDel->trigger();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("locked")) << errors[0].toStdString();
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_FALSE(w->IsNewDocument);
    EXPECT_EQ(w->QConsoHd.asString("DocNo"), no);
    EXPECT_EQ(w->QConsoHd.asString("Delflag"), "N");
    EXPECT_TRUE(w->AcDel->isEnabled());
  }
  EXPECT_EQ(scalar("Select Delflag From ConsolidateHd Where Id = 1").toString(), "N");
  errors.clear();
  app.prompts().answer(true);
  w->AcDel->trigger();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(scalar("Select Delflag From ConsolidateHd Where Id = 1").toString(), "Y");
}

TEST_F(ConsolidationReliability, SendToInvoicesWhileAnotherProcessLocksTheDatabase) {
  loadZone("Z01");
  tick(rowOf(fixedLines[0]));
  prints.clear();
  save();
  ASSERT_EQ(prints.size(), 1);
  const QString no = prints[0].docNo;
  reliability::shortenBusyTimeout(conn());
  openDocument(no);
  ASSERT_TRUE(w->BSendToIV->isEnabled());
  const int invoices = count("IvHd");
  {
    reliability::LockHolder lock(app.site().folder(), app.site().companyDatabase());
    ASSERT_TRUE(lock.ok()) << lock.error().toStdString();
    prints.clear();
    app.prompts().answer(true);
    expectPrintDialog();
    w->BSendToIV->click();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("locked")) << errors[0].toStdString();
    EXPECT_TRUE(prints.isEmpty());
    widgets::ClearModalDrivers();
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_FALSE(w->IsNewDocument);
    EXPECT_EQ(w->QConsoHd.asString("DocNo"), no);
    EXPECT_TRUE(w->BSendToIV->isEnabled());
  }
  EXPECT_EQ(count("IvHd"), invoices);
  EXPECT_EQ(scalar("Select Confirm From ConsolidateHd Where DocNo = '" + no + "'").toString(), "N");
  errors.clear();
  app.prompts().answer(true);
  expectPrintDialog();
  w->BSendToIV->click();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_EQ(count("IvHd"), invoices + 1);
  EXPECT_EQ(scalar("Select Confirm From ConsolidateHd Where DocNo = '" + no + "'").toString(), "Y");
}

// A report template that is cut short, or names a field its dataset does not have: printing says
// what is wrong with the template, prints nothing, and the document saved before stays saved.
TEST_F(ConsolidationReliability, BrokenTemplatesAreReportedAndTheSavedDocumentStays) {
  struct Folder {
    QString previous = QDir::currentPath();
    ~Folder() { QDir::setCurrent(previous); }
  } folder;
  printing::installShippedForms(conn(), app.site().folder());
  ASSERT_TRUE(QDir::setCurrent(app.site().folder()));
  QFile form(QDir(app.site().folder()).filePath("Form_Consolidate.frf"));
  ASSERT_TRUE(form.open(QIODevice::ReadOnly));
  const QByteArray good = form.readAll();
  form.close();
  QByteArray missingField = good;
  ASSERT_TRUE(missingField.contains("[Head.Carman]"));
  missingField.replace("[Head.Carman]", "[Head.NoSuchField]");
  QTemporaryDir out;
  struct Case {
    const char* what;
    QByteArray file;
    const char* message;  // part of the message the user sees
  } cases[] = {
      {"cut short", good.left(good.size() * 2 / 5), "Form_Consolidate.frf"},
      {"a field the dataset lacks", missingField, "NoSuchField"},
  };
  QString savedNo;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(form.open(QIODevice::WriteOnly | QIODevice::Truncate));
    form.write(c.file);
    form.close();
    const QString pdf = out.filePath(QString::fromLatin1(c.what) + ".pdf");
    widgets::QueueModalDriver([&, pdf](QDialog& d) {
      auto* p = qobject_cast<TFrDocPrintForm*>(&d);
      ASSERT_NE(p, nullptr);
      prints << contest::PrintCall{p->DocNo, p->DocYear, p->PrintCode, p->FormCount};
      p->Printer().setOutputFormat(QPrinter::PdfFormat);
      p->Printer().setOutputFileName(pdf);
      p->SystemFormList->setCurrentIndex(p->SystemFormList->model()->index(0, 0));
      p->BPrint->click();
      EXPECT_TRUE(p->isVisible()) << "the dialog stays for another try";
      p->reject();
    });
    errors.clear();
    prints.clear();
    if (savedNo.isEmpty()) {
      // Saving, then printing: the save stands whatever the print does.
      loadZone("Z01");
      tick(rowOf(fixedLines[0]));
      app.prompts().answer(true);
      w->AcSave->trigger();
      ASSERT_EQ(prints.size(), 1);
      savedNo = prints[0].docNo;
    } else {
      w->PrintDocument(savedNo, app.dm().ServerTime().date().year(), QStringLiteral("CONSOLIDAT"));
    }
    EXPECT_EQ(widgets::PendingModalDrivers(), 0);
    ASSERT_EQ(errors.size(), 1) << "the user is told";
    EXPECT_TRUE(errors[0].contains(QLatin1String(c.message))) << errors[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(pdf)) << "nothing printed";
    EXPECT_EQ(storedLines(savedNo), QVector<qint64>{fixedLines[0]});
  }
}

// ---- Two workstations on one document --------------------------------------------------------

// What another workstation does to an open document while this window has it open, and what this
// window then does: every combination is refused, names what changed, changes nothing stored and
// keeps the window's work on screen.
TEST_F(ConsolidationReliability, AnotherWorkstationsChangeRefusesSaveDeleteAndSendToInvoices) {
  struct Change {
    const char* what;
    const char* sql;      // run by the other workstation; :No is the document number
    const char* named;    // what the refusal names
  } changes[] = {
      {"sent to invoices", nullptr, "เอกสารจัดเสร็จแล้ว"},
      {"deleted", "Update ConsolidateHd Set Delflag = 'Y' Where DocNo = :No", "เอกสารถูกยกเลิกแล้ว"},
      {"driver changed", "Update ConsolidateHd Set Carman = 'Somchai' Where DocNo = :No", "หัวเอกสารถูกแก้ไข : Carman"},
      {"a line unticked", "Delete From ConsolidateDt Where ConsolidateHd = (Select Id From ConsolidateHd Where DocNo = :No)",
       "รายการถูกลบ 1 รายการ"},
      {"a quantity changed",
       "Update ConsolidateDt Set SendQnty = 1 Where ConsolidateHd = (Select Id From ConsolidateHd Where DocNo = :No)",
       "รายการถูกแก้ไข 1 รายการ"},
  };
  enum Action { Save, Delete, SendToInvoices };
  const QString line = QString::number(fixedLines[0]);
  const QString backOrder = scalar("Select BackOrder From SoDt Where Id = " + line).toString();
  for (const Change& c : changes) {
    for (Action action : {Save, Delete, SendToInvoices}) {
      SCOPED_TRACE(std::string(c.what) + " / action " + std::to_string(int(action)));
      // A fresh document of C00001's first line, due again whatever the round before did to it.
      conn().execute("Delete From ConsolidateDt Where SoDt = " + line);
      conn().execute("Update SoDt Set BackOrder = " + backOrder + ", Send = 0, Clear = 'N' Where Id = " + line);
      conn().execute("Update SoHd Set Clear = 'N' Where Id = (Select SoHd From SoDt Where Id = " + line + ")");
      loadZone("Z01");
      tick(rowOf(fixedLines[0]));
      prints.clear();
      save();
      ASSERT_EQ(prints.size(), 1);
      const QString no = prints[0].docNo;
      openDocument(no);
      ASSERT_FALSE(w->IsNewDocument);
      // This window's work: a remark typed.
      w->Remark->setFocus(Qt::TabFocusReason);
      QTest::keyClicks(w->Remark, "Back door");

      auto other = app.site().openCompany();
      db::Params p;
      p.setText("No", no);
      if (c.sql) other->execute(QString::fromLatin1(c.sql), p);
      else consolidation::consoToIV(*other, no);
      const auto stored = [&] {
        return rows("Select H.Confirm, H.Delflag, H.Carman, H.Remark, D.Id, D.SendQnty, D.IvNo From ConsolidateHd H "
                    "Left Join ConsolidateDt D On D.ConsolidateHd = H.Id Where H.DocNo = :No Order By D.Id",
                    p);
      };
      const QStringList before = stored();
      const int invoices = count("IvHd");
      other.reset();

      app.prompts().clear();
      errors.clear();
      prints.clear();
      app.prompts().answer(true);
      if (action == Save) w->AcSave->trigger();
      else if (action == Delete) w->AcDel->trigger();
      else w->BSendToIV->click();
      EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
      EXPECT_TRUE(prints.isEmpty()) << "nothing printed";
      const QStringList texts = app.prompts().texts();
      ASSERT_FALSE(texts.isEmpty());
      const QString refusal = texts.last();
      EXPECT_TRUE(refusal.startsWith(QStringLiteral("เอกสารเลขที่ %1 ถูกแก้ไขจากเครื่องอื่นหลังจากเปิดเอกสารนี้ จึงไม่ได้บันทึก").arg(no)))
          << refusal.toStdString();
      EXPECT_TRUE(refusal.contains(QString::fromUtf8(c.named))) << refusal.toStdString();
      EXPECT_EQ(stored(), before) << "nothing written";
      EXPECT_EQ(count("IvHd"), invoices) << "no invoice made";
      EXPECT_FALSE(conn().inTransaction());
      // The work stays on screen.
      EXPECT_FALSE(w->IsNewDocument);
      EXPECT_EQ(w->QConsoHd.asString("DocNo"), no);
      EXPECT_EQ(w->Remark->text(), "Back door");
      if (QString::fromUtf8(c.named) == QStringLiteral("เอกสารจัดเสร็จแล้ว"))
        EXPECT_TRUE(refusal.contains(QStringLiteral("รายการถูกออก Invoice แล้ว : "))) << refusal.toStdString();
    }
  }
}

// A save writes back only what the window edits: the printed mark another workstation set, and the
// invoice of a line, stay as stored.
TEST_F(ConsolidationReliability, ASaveWritesBackOnlyWhatTheWindowEdits) {
  loadZone("Z01");
  tick(rowOf(fixedLines[0]));
  tick(rowOf(fixedLines[2]));
  save();
  ASSERT_EQ(prints.size(), 1);
  const QString no = prints[0].docNo;
  openDocument(no);
  {
    auto other = app.site().openCompany();
    db::Params p;
    p.setText("No", no);
    other->execute("Update ConsolidateHd Set Printed = 'Y' Where DocNo = :No", p);
  }
  w->Remark->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(w->Remark, "Second trip");
  enterSendQnty(rowOf(fixedLines[0]), "3");
  prints.clear();
  save();
  ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  ASSERT_EQ(prints.size(), 1) << "saved";
  db::Params p;
  p.setText("No", no);
  p.setInt("SoDt", fixedLines[0]);
  EXPECT_EQ(rows("Select Printed, Confirm, Remark From ConsolidateHd Where DocNo = :No", p), QStringList{"Y|N|Second trip"});
  EXPECT_EQ(scalar("Select D.SendQnty From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd "
                   "Where H.DocNo = :No And D.SoDt = :SoDt",
                   p)
                .toDouble(),
            3);
}

// A counter set back draws the number of a stored document: the new document is refused, the stored
// one keeps its lines, and the loaded lines stay on screen to be saved once the counter is right.
TEST_F(ConsolidationReliability, ANewDocumentNeverTakesTheNumberOfAStoredOne) {
  loadZone("Z01");
  tick(rowOf(fixedLines[0]));
  save();
  ASSERT_EQ(prints.size(), 1);
  const QString first = prints[0].docNo;
  const qint64 last = counterLastNo();
  const QString year = QString::number(app.dm().ServerTime().date().year());
  conn().execute("Update DocumentNo Set LastNo = LastNo - 1 Where Code = 'CONSOLIDAT' And DocYear = " + year);

  loadZone("Z01");
  ASSERT_GE(rowOf(fixedLines[2]), 0);
  tick(rowOf(fixedLines[2]));
  const int loaded = w->QConsoDt.rowCount();
  app.prompts().clear();
  prints.clear();
  save();
  EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  EXPECT_TRUE(prints.isEmpty());
  ASSERT_FALSE(app.prompts().texts().isEmpty());
  EXPECT_TRUE(app.prompts().texts().last().startsWith(QStringLiteral("เลขที่เอกสาร %1 มีอยู่แล้ว จึงไม่ได้บันทึก").arg(first)))
      << app.prompts().texts().last().toStdString();
  EXPECT_EQ(storedLines(first), QVector<qint64>{fixedLines[0]}) << "the stored document is untouched";
  EXPECT_EQ(count("ConsolidateHd", "DocNo = '" + first + "'"), 1);
  EXPECT_EQ(counterLastNo(), last - 1) << "the number drawn went back with the refused save";
  EXPECT_TRUE(w->IsNewDocument);
  EXPECT_EQ(w->QConsoDt.rowCount(), loaded);
  EXPECT_EQ(cell(rowOf(fixedLines[2]), "ToConso").toString(), "Y");

  // The counter put right: the same work saves under the next number.
  conn().execute("Update DocumentNo Set LastNo = " + QString::number(last) + " Where Code = 'CONSOLIDAT' And DocYear = " + year);
  save();
  ASSERT_EQ(prints.size(), 1);
  EXPECT_NE(prints[0].docNo, first);
  EXPECT_EQ(storedLines(prints[0].docNo), QVector<qint64>{fixedLines[2]});
}

// A Load that fails half-way reaches the error reporter through the button's signal, leaves the
// window ready for another Load, and leaves the grid's quantity rules on.
TEST_F(ConsolidationReliability, AFailedLoadIsReportedAndLeavesTheQuantityRulesOn) {
  newDocument();
  chooseZone("Z01");
  EXPECT_FALSE(w->QuantityRulesOn()) << "New switches them off: the rows are being filled";
  conn().execute("Alter Table ProductOnhand Rename To ProductOnhandAway");
  EXPECT_NO_THROW(w->BLoad->click()) << "the failure does not unwind through the signal";
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("ProductOnhand")) << errors[0].toStdString();
  EXPECT_TRUE(w->QuantityRulesOn());
  EXPECT_TRUE(w->BLoad->isEnabled());
  EXPECT_TRUE(w->EZone->isEnabled());
  EXPECT_EQ(w->QConsoDt.rowCount(), 0);

  conn().execute("Alter Table ProductOnhandAway Rename To ProductOnhand");
  errors.clear();
  w->BLoad->click();
  ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
  const int r = rowOf(fixedLines[0]);  // P00001: 5 ordered
  ASSERT_GE(r, 0);
  app.prompts().clear();
  enterSendQnty(r, "9");
  EXPECT_EQ(app.prompts().texts(), QStringList{QStringLiteral("ไม่สามารถกำหนดจำนวนได้มากกว่าจำนวนที่สั่งขาย")});
  EXPECT_EQ(cell(r, "SendQnty").toDouble(), 5);

  // Opening a stored document that fails half-way leaves them on too.
  const QString stored = demoDocNo(1);
  newDocument();
  conn().execute("Alter Table ProductOnhand Rename To ProductOnhandAway");
  errors.clear();
  EXPECT_NO_THROW(enterNumber(stored));
  EXPECT_EQ(errors.size(), 1);
  EXPECT_TRUE(w->QuantityRulesOn());
  conn().execute("Alter Table ProductOnhandAway Rename To ProductOnhand");
}

}  // namespace
