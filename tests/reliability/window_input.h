// Bad input typed into a working window as a user types it, shared by the windows' reliability
// tests: texts that are no date in a date field, and any text in the search dialog a number field
// opens with F5.
//
//   reliability::expectDatesRefused(app, errors, w->FaGetDate1->DocDate, [&] { activate(); });
//   EXPECT_EQ(reliability::rowsListedBySearch(w->FaGetDocNo1->DocNo, text, [&] { activate(); }), 0);
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "app_fixture.h"
#include "error_reporter.h"
#include "modal.h"
#include "search_dialog.h"
#include "window_fixture.h"

namespace reliability {

// Texts that are no day of the calendar, and one that tries SQL.
inline const char* const kNoDates[] = {"31/02/2024", "00/00/0000", "32/01/2024", "01/13/2024", "01/01/10000", "1/1/-5", "' Or 1=1 --"};

// Types each of kNoDates into `edit` (the window made active by `activate` first) and presses
// Enter: each goes to the error reporter as the one error "'<text>' is not a valid date", which it
// explains in Thai ("ป้อนวันที่ไม่ถูกต้อง" in front), no message box of its own comes, and the
// focus stays in the field for the date to be corrected.
inline void expectDatesRefused(testsupport::AppFixture& app, testsupport::CollectedErrors& errors, QLineEdit* edit,
                               const std::function<void()>& activate) {
  for (const char* text : kNoDates) {
    SCOPED_TRACE(text);
    app.prompts().clear();
    errors.clear();
    activate();
    edit->setFocus(Qt::TabFocusReason);
    edit->setText(QString::fromLatin1(text));
    QTest::keyClick(edit, Qt::Key_Return);
    const QString refusal = QStringLiteral("'%1' is not a valid date").arg(QLatin1String(text));
    EXPECT_EQ(errors, QStringList{refusal});
    EXPECT_TRUE(data::ComposeErrorText(refusal).startsWith(QStringLiteral("ป้อนวันที่ไม่ถูกต้อง\r")));
    EXPECT_TRUE(app.prompts().texts().isEmpty()) << app.prompts().texts().join('\n').toStdString();
    EXPECT_EQ(QApplication::focusWidget(), edit) << "the date stays to be corrected";
  }
  errors.clear();
}

// Opens the search dialog of `field` with F5 (the window made active by `activate` first),
// searches `text` there and cancels: the number of rows the search listed (-1 when no search
// dialog came or its query did not open).
inline int rowsListedBySearch(QLineEdit* field, const QString& text, const std::function<void()>& activate) {
  int listed = -1;
  widgets::QueueModalDriver([&](QDialog& d) {
    auto* s = qobject_cast<TFrSearch*>(&d);
    EXPECT_NE(s, nullptr);
    if (s) {
      s->Code->setText(text);
      QTest::keyClick(s->Code, Qt::Key_Return);  // search
      listed = s->QSearch.active() ? s->QSearch.rowCount() : -1;
    }
    d.reject();
  });
  activate();
  field->setFocus(Qt::TabFocusReason);
  QTest::keyClick(field, Qt::Key_F5);
  if (!QTest::qWaitFor([&] { return widgets::PendingModalDrivers() == 0; })) {
    ADD_FAILURE() << "no search dialog came";
    widgets::ClearModalDrivers();
    return -1;
  }
  return listed;
}

}  // namespace reliability
