// The server procedures of the embedded server, called the way the program calls them.
#include <QProcess>
#include <QSet>

#include "document_numbers.h"
#include "site_fixture.h"

namespace {

QString yy(int year) { return QString::number(year % 100).rightJustified(2, QLatin1Char('0')); }

QString draw(db::Connection& c, const QString& code, int year) {
  db::StoredProc sp(c, QStringLiteral("NewDocumentNo"));
  sp.declare(QStringLiteral("Result"), db::ParamType::Integer, db::ParamDir::Result);
  sp.declare(QStringLiteral("@DocCode"), db::ParamType::Text, db::ParamDir::Input);
  sp.declare(QStringLiteral("@DocYear"), db::ParamType::Integer, db::ParamDir::Input);
  sp.declare(QStringLiteral("@NewNo"), db::ParamType::Text, db::ParamDir::Output);
  sp.set(QStringLiteral("@DocCode"), code);
  sp.set(QStringLiteral("@DocYear"), year);
  sp.execute();
  EXPECT_EQ(sp.value(QStringLiteral("Result")).toInt(), 0);
  return sp.value(QStringLiteral("@NewNo")).toString();
}

struct ClockGuard {
  explicit ClockGuard(const QDateTime& t) {
    embedded::setServerClock([t] { return t; });
  }
  ~ClockGuard() { embedded::setServerClock({}); }
};

}  // namespace

class NewDocumentNoTest : public ::testing::Test {
 protected:
  TempSite site;
  int year = site.company->select(QStringLiteral("Select RunYear From Config")).asInt(QStringLiteral("RunYear"));
};

TEST_F(NewDocumentNoTest, SeriesCountUpFromTheirCounters) {
  db::Connection& c = *site.company;
  const struct {
    const char* code;
    QString first;
    QString second;
  } cases[] = {
      {"CONSOLIDAT", "Con" + yy(year) + "0000000001", "Con" + yy(year) + "0000000002"},
      {"MONEYBILL", "MB" + yy(year) + "00000001", "MB" + yy(year) + "00000002"},
      {"SO-A", "SOA" + yy(year) + "0000001", "SOA" + yy(year) + "0000002"},
      {"SO03-A", "SA" + yy(year) + "03000001", "SA" + yy(year) + "03000002"},
      {"IV-A", "IVA" + yy(year) + "0000001", "IVA" + yy(year) + "0000002"},
      {"STOCKTRFCONV2", "TRC" + yy(year) + "0000001", "TRC" + yy(year) + "0000002"},
      {" consolidat ", "Con" + yy(year) + "0000000003", "Con" + yy(year) + "0000000004"},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(draw(c, QString::fromLatin1(k.code), year), k.first) << k.code;
    EXPECT_EQ(draw(c, QString::fromLatin1(k.code), year), k.second) << k.code;
  }
  EXPECT_EQ(site.companyCount(QStringLiteral("Select LastNo From DocumentNo Where Code = 'CONSOLIDAT' And DocYear = ") + QString::number(year)), 4);
}

TEST_F(NewDocumentNoTest, EachYearHasItsOwnCounterMadeOnFirstUse) {
  db::Connection& c = *site.company;
  EXPECT_EQ(draw(c, QStringLiteral("CONSOLIDAT"), year), "Con" + yy(year) + "0000000001");
  // 1 January of the next year draws from a new counter of that year.
  EXPECT_EQ(draw(c, QStringLiteral("CONSOLIDAT"), year + 1), "Con" + yy(year + 1) + "0000000001");
  EXPECT_EQ(draw(c, QStringLiteral("CONSOLIDAT"), year), "Con" + yy(year) + "0000000002");
  EXPECT_EQ(draw(c, QStringLiteral("CONSOLIDAT"), year - 1), "Con" + yy(year - 1) + "0000000001");
  EXPECT_EQ(draw(c, QStringLiteral("SO12-A"), year + 1), "SA" + yy(year + 1) + "12000001");
  const db::Result r = c.select(QStringLiteral("Select Description, Prefix, DocumentLength, AutoRun, DocType From DocumentNo "
                                               "Where Code = 'CONSOLIDAT' And DocYear = ") +
                                QString::number(year + 1));
  ASSERT_EQ(r.rowCount(), 1);
  EXPECT_EQ(r.asString(QStringLiteral("Description")), QStringLiteral("Consolidate"));
  EXPECT_EQ(r.asInt(QStringLiteral("DocumentLength")), 15);
  EXPECT_EQ(r.asString(QStringLiteral("AutoRun")), QStringLiteral("Y"));
}

TEST_F(NewDocumentNoTest, ConvertedCodesDrawFromTheNamedCounter) {
  db::Connection& c = *site.company;
  c.execute(QStringLiteral("Insert Into DocNoConvert (Code, DocYear, DocumentNo) "
                           "Select 'SO-WEB', DocYear, Id From DocumentNo Where Code = 'SO-A' And DocYear = ") +
            QString::number(year));
  EXPECT_EQ(draw(c, QStringLiteral("SO-A"), year), "SOA" + yy(year) + "0000001");
  EXPECT_EQ(draw(c, QStringLiteral("SO-WEB"), year), "SOA" + yy(year) + "0000002");
  // In a year without its own row the conversion follows the converted code into that year.
  EXPECT_EQ(draw(c, QStringLiteral("SO-WEB"), year + 1), "SOA" + yy(year + 1) + "0000001");
  EXPECT_EQ(draw(c, QStringLiteral("SO-A"), year + 1), "SOA" + yy(year + 1) + "0000002");
  c.execute(QStringLiteral("Insert Into DocNoConvert (Code, DocYear, DocumentNo) Values ('BROKEN', %1, 99999)").arg(year));
  EXPECT_THROW(draw(c, QStringLiteral("BROKEN"), year), db::Error);
}

TEST_F(NewDocumentNoTest, RefusesUnknownCodesAndBadYears) {
  db::Connection& c = *site.company;
  for (const auto& [code, y] : {std::pair{QStringLiteral("NOSUCHCODE"), year}, std::pair{QString(), year},
                                std::pair{QStringLiteral("CONSOLIDAT"), 0}}) {
    EXPECT_THROW(draw(c, code, y), db::Error) << code.toStdString() << " " << y;
  }
  try {
    draw(c, QStringLiteral("NOSUCHCODE"), year);
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("NOSUCHCODE"))) << e.what();
  }
  db::Params p;
  p.setText(QStringLiteral("DocCode"), QStringLiteral("CONSOLIDAT"));
  EXPECT_THROW(c.callProcedure(QStringLiteral("NewDocumentNo"), p, {QStringLiteral("NewNo")}), db::Error);
  // A failed draw leaves no transaction open and no counter changed.
  EXPECT_FALSE(c.inTransaction());
  EXPECT_EQ(site.companyCount(QStringLiteral("Select Sum(LastNo) From DocumentNo")), 0);
}

TEST_F(NewDocumentNoTest, RunsInsideTheCallersTransaction) {
  db::Connection& c = *site.company;
  c.startTransaction();
  EXPECT_EQ(draw(c, QStringLiteral("MONEYBILL"), year), "MB" + yy(year) + "00000001");
  EXPECT_TRUE(c.inTransaction());
  c.rollback();
  // The rolled-back save gave its number back.
  EXPECT_EQ(draw(c, QStringLiteral("MONEYBILL"), year), "MB" + yy(year) + "00000001");
  c.startTransaction();
  draw(c, QStringLiteral("MONEYBILL"), year);
  c.commit();
  EXPECT_EQ(draw(c, QStringLiteral("MONEYBILL"), year), "MB" + yy(year) + "00000003");
}

// Drawing many numbers at once gives what as many single draws give, counters and conversions
// left the same: a plain counter, a year without a counter yet (made from another year's), a code
// converted to another code's counter (also into a new year), numbers outgrowing the document
// length, and a code without any counter.
TEST(NewDocumentNos, EqualAsManySingleDraws) {
  struct Draw {
    const char* code;
    int yearOffset;
    int count;
  };
  const struct {
    const char* name;
    const char* setup;  // run on both sites first; %1 is the run year
    std::vector<Draw> draws;
  } cases[] = {
      {"plain counter", "", {{"SO-A", 0, 5}, {"SO-A", 0, 1}, {"SO-A", 0, 3}}},
      {"a new year's counter made on first use", "", {{"CONSOLIDAT", 1, 4}, {"CONSOLIDAT", 0, 2}, {"CONSOLIDAT", 1, 3}, {"SO12-A", -1, 2}}},
      {"converted code",
       "Insert Into DocNoConvert (Code, DocYear, DocumentNo) Select 'SO-WEB', DocYear, Id From DocumentNo Where Code = 'SO-A' And DocYear = %1",
       {{"SO-WEB", 0, 3}, {"SO-A", 0, 2}, {"SO-WEB", 1, 3}, {"SO-A", 1, 1}}},
      {"numbers longer than the document length", "Update DocumentNo Set DocumentLength = 6, LastNo = 7 Where Code = 'MONEYBILL' And DocYear = %1",
       {{"MONEYBILL", 0, 12}, {"MONEYBILL", 0, 95}}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    TempSite one, many;
    const int year = one.company->select(QStringLiteral("Select RunYear From Config")).asInt(QStringLiteral("RunYear"));
    if (*k.setup)
      for (TempSite* s : {&one, &many}) s->company->execute(QString::fromLatin1(k.setup).arg(year));
    for (const Draw& d : k.draws) {
      const QString code = QString::fromLatin1(d.code);
      QStringList singles;
      for (int i = 0; i < d.count; ++i) singles << draw(*one.company, code, year + d.yearOffset);
      const QStringList batch = embedded::newDocumentNos(*many.company, code, year + d.yearOffset, d.count);
      EXPECT_EQ(batch, singles) << d.code << " x" << d.count;
      EXPECT_EQ(QSet<QString>(batch.begin(), batch.end()).size(), d.count) << "every number drawn once";
    }
    const QString counters = QStringLiteral(
        "Select Group_Concat(Code || '/' || DocYear || '/' || Prefix || '/' || Coalesce(LastNo, 0), ' ') From "
        "(Select * From DocumentNo Order By Code, DocYear)");
    const QString conversions =
        QStringLiteral("Select Group_Concat(Code || '/' || DocYear || '/' || DocumentNo, ' ') From (Select * From DocNoConvert Order By Code, DocYear)");
    for (const QString& q : {counters, conversions})
      EXPECT_EQ(many.company->select(q).at(0, 0).toString(), one.company->select(q).at(0, 0).toString()) << q.toStdString();
  }
}

TEST(NewDocumentNos, RefusedDrawsChangeNothing) {
  TempSite site;
  db::Connection& c = *site.company;
  const int year = c.select(QStringLiteral("Select RunYear From Config")).asInt(QStringLiteral("RunYear"));
  EXPECT_THROW(embedded::newDocumentNos(c, QStringLiteral("NOSUCHCODE"), year, 3), db::Error);
  EXPECT_THROW(embedded::newDocumentNos(c, QStringLiteral("SO-A"), year, 0), db::Error);
  EXPECT_THROW(embedded::newDocumentNos(c, QStringLiteral("SO-A"), 0, 2), db::Error);
  EXPECT_FALSE(c.inTransaction());
  EXPECT_EQ(site.companyCount(QStringLiteral("Select Sum(Coalesce(LastNo, 0)) From DocumentNo")), 0);
  // Inside the caller's transaction the numbers are given back with it.
  c.startTransaction();
  EXPECT_EQ(embedded::newDocumentNos(c, QStringLiteral("MONEYBILL"), year, 2).size(), 2);
  c.rollback();
  EXPECT_EQ(embedded::newDocumentNos(c, QStringLiteral("MONEYBILL"), year, 1), QStringList{"MB" + yy(year) + "00000001"});
}

TEST(DocumentNoFormat, NumbersAndPrefixes) {
  EXPECT_EQ(embedded::formatDocumentNo(QStringLiteral("Con14"), 1, 15), QStringLiteral("Con140000000001"));
  EXPECT_EQ(embedded::formatDocumentNo(QStringLiteral("Con14"), 12345678901LL, 15), QStringLiteral("Con1412345678901"));
  EXPECT_EQ(embedded::formatDocumentNo(QStringLiteral("LONGPREFIX"), 7, 5), QStringLiteral("LONGPREFIX7"));
  EXPECT_EQ(embedded::formatDocumentNo(QString(), 42, 0), QStringLiteral("42"));
  const struct {
    const char* prefix;
    int from, to;
    const char* expected;
  } cases[] = {
      {"Con14", 2014, 2015, "Con15"},   {"SA2412", 2024, 2025, "SA2512"}, {"SA1212", 2012, 2013, "SA1312"},
      {"X2024-", 2024, 2025, "X2025-"}, {"B2567", 2024, 2025, "B2568"},  {"T67", 2024, 2025, "T68"},
      {"Con99", 2099, 2100, "Con00"},   {"PLAIN", 2024, 2025, "PLAIN"},  {"Con24", 2024, 2024, "Con24"},
  };
  for (const auto& k : cases)
    EXPECT_EQ(embedded::prefixForYear(QString::fromLatin1(k.prefix), k.from, k.to), QString::fromLatin1(k.expected)) << k.prefix;
}

TEST(NewDocumentNoConcurrency, TwoProcessesNeverDrawTheSameNumber) {
  TempSite site;
  const int year = int(site.companyCount(QStringLiteral("Select RunYear From Config")));
  const int perProcess = 150;
  QProcess a, b;
  const QStringList args = {QStringLiteral("draw-numbers"), site.info.folder, QStringLiteral("CONSOLIDAT"), QString::number(year),
                            QString::number(perProcess)};
  a.start(QStringLiteral(CONSOLIDATE_DB_EXE), args);
  b.start(QStringLiteral(CONSOLIDATE_DB_EXE), args);
  ASSERT_TRUE(a.waitForFinished(120000));
  ASSERT_TRUE(b.waitForFinished(120000));
  ASSERT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
  ASSERT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
  QStringList all = QString::fromUtf8(a.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  all += QString::fromUtf8(b.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(all.size(), 2 * perProcess);
  EXPECT_EQ(QSet<QString>(all.begin(), all.end()).size(), 2 * perProcess);
  all.sort();
  EXPECT_EQ(all.first(), "Con" + yy(year) + "0000000001");
  EXPECT_EQ(all.last(), "Con" + yy(year) + QString::number(2 * perProcess).rightJustified(10, QLatin1Char('0')));
  EXPECT_EQ(site.companyCount(QStringLiteral("Select LastNo From DocumentNo Where Code = 'CONSOLIDAT' And DocYear = ") + QString::number(year)),
            2 * perProcess);
}

TEST(MenuCaption, OutputsFollowTheUsersLanguageAndRights) {
  TempSite site;
  site.config->execute(QStringLiteral("Insert Into UserName (Id, Code, LanguageNo, Salesman) Values (4, 'LOWER', Null, 7)"));
  site.config->execute(QStringLiteral("Insert Into UserRight (UserName, Menu, Access_R, Add_R, Modify_R, Delete_R) Values (4, 200, 'y', 'Y', Null, 'N')"));
  const struct {
    int menu, user;
    const char* caption;
    const char* access;
    const char* modify;
    const char* userCode;
    int salesId;
  } cases[] = {
      {200, 1, "จัดสินค้าตามเขต", "Y", "Y", "ADMIN", 0},
      {100, 1, "ดึง Order จาก Web", "Y", "Y", "ADMIN", 0},
      {200, 2, "Zone Consolidation", "Y", "Y", "ENGLISH", 0},
      {201, 3, "ใบวางบิลตามเขต", "N", "N", "NORIGHT", 0},
      {200, 4, "Zone Consolidation", "y", "N", "LOWER", 7},
      {999, 1, "", "N", "N", "ADMIN", 0},
      {200, 99, "Zone Consolidation", "N", "N", "", 0},
  };
  for (const auto& k : cases) {
    db::StoredProc sp(*site.config, QStringLiteral("MENUCAPTION"));
    sp.declare(QStringLiteral("Result"), db::ParamType::Integer, db::ParamDir::Result);
    sp.declare(QStringLiteral("@MENUID"), db::ParamType::Integer, db::ParamDir::Input);
    sp.declare(QStringLiteral("@USERID"), db::ParamType::Integer, db::ParamDir::Input);
    for (const char* o : {"@CAPTION", "@ACCESS_R", "@ADD_R", "@MODIFY_R", "@DELETE_R", "@USERCODE"})
      sp.declare(QString::fromLatin1(o), db::ParamType::Text, db::ParamDir::Output);
    sp.declare(QStringLiteral("@SALESID"), db::ParamType::Integer, db::ParamDir::Output);
    sp.set(QStringLiteral("@MENUID"), k.menu);
    sp.set(QStringLiteral("@USERID"), k.user);
    sp.execute();
    const std::string label = std::to_string(k.menu) + "/" + std::to_string(k.user);
    EXPECT_EQ(sp.value(QStringLiteral("@CAPTION")).toString(), QString::fromUtf8(k.caption)) << label;
    EXPECT_EQ(sp.value(QStringLiteral("@ACCESS_R")).toString(), QString::fromLatin1(k.access)) << label;
    EXPECT_EQ(sp.value(QStringLiteral("@MODIFY_R")).toString(), QString::fromLatin1(k.modify)) << label;
    EXPECT_EQ(sp.value(QStringLiteral("@USERCODE")).toString(), QString::fromLatin1(k.userCode)) << label;
    EXPECT_EQ(sp.value(QStringLiteral("@SALESID")).toInt(), k.salesId) << label;
    EXPECT_EQ(sp.value(QStringLiteral("Result")).toInt(), 0) << label;
  }
}

TEST(ServerServices, ErrorLogActivityLogAndServerTime) {
  TempSite site;
  ClockGuard clock(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)));

  db::StoredProc log(*site.config, QStringLiteral("AddErrorLog"));
  log.declare(QStringLiteral("@CompName"), db::ParamType::Text, db::ParamDir::Input);
  log.declare(QStringLiteral("@LogName"), db::ParamType::Text, db::ParamDir::Input);
  log.declare(QStringLiteral("@UserId"), db::ParamType::Integer, db::ParamDir::Input);
  log.declare(QStringLiteral("@MenuId"), db::ParamType::Integer, db::ParamDir::Input);
  log.declare(QStringLiteral("@ErrorMsg"), db::ParamType::Text, db::ParamDir::Input);
  log.set(QStringLiteral("@CompName"), QStringLiteral("PC-01"));
  log.set(QStringLiteral("@LogName"), QStringLiteral("SOMCHAI"));
  log.set(QStringLiteral("@UserId"), 1);
  log.set(QStringLiteral("@MenuId"), 200);
  log.set(QStringLiteral("@ErrorMsg"), QStringLiteral("Cannot insert duplicate key 'x' ผิดพลาด"));
  log.execute();
  const db::Result e = site.config->select(QStringLiteral("Select * From ErrorLog"));
  ASSERT_EQ(e.rowCount(), 1);
  EXPECT_EQ(e.asString(QStringLiteral("CompName")), QStringLiteral("PC-01"));
  EXPECT_EQ(e.asString(QStringLiteral("LogName")), QStringLiteral("SOMCHAI"));
  EXPECT_EQ(e.asInt(QStringLiteral("UserId")), 1);
  EXPECT_EQ(e.asInt(QStringLiteral("MenuId")), 200);
  EXPECT_EQ(e.asString(QStringLiteral("ErrorMsg")), QStringLiteral("Cannot insert duplicate key 'x' ผิดพลาด"));
  EXPECT_EQ(e.asDateTime(QStringLiteral("LogDate")), QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)));

  db::StoredProc ual(*site.company, QStringLiteral("UserAddLog"));
  for (const char* n : {"@UserId", "@MenuId", "@FunctionListId", "@DocumentId"})
    ual.declare(QString::fromLatin1(n), db::ParamType::Integer, db::ParamDir::Input);
  ual.declare(QStringLiteral("@Remark"), db::ParamType::Text, db::ParamDir::Input);
  ual.set(QStringLiteral("@UserId"), 2);
  ual.set(QStringLiteral("@MenuId"), 201);
  ual.set(QStringLiteral("@FunctionListId"), 10);
  ual.set(QStringLiteral("@DocumentId"), 0);
  ual.set(QStringLiteral("@Remark"), QStringLiteral("MB2400000001"));
  ual.execute();
  const db::Result u = site.company->select(QStringLiteral("Select * From UserLog"));
  ASSERT_EQ(u.rowCount(), 1);
  EXPECT_EQ(u.asInt(QStringLiteral("UserId")), 2);
  EXPECT_EQ(u.asInt(QStringLiteral("MenuId")), 201);
  EXPECT_EQ(u.asInt(QStringLiteral("FunctionListId")), 10);
  EXPECT_EQ(u.asInt(QStringLiteral("DocumentId")), 0);
  EXPECT_EQ(u.asString(QStringLiteral("Remark")), QStringLiteral("MB2400000001"));

  db::StoredProc st(*site.company, QStringLiteral("ServerTime"));
  st.declare(QStringLiteral("@ServerTime"), db::ParamType::DateTime, db::ParamDir::Output);
  st.execute();
  EXPECT_EQ(db::toDateTime(st.value(QStringLiteral("@ServerTime"))), QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)));

  // The procedures of one database are called by their production names from the program.
  db::StoredProc missing(*site.company, QStringLiteral("NoSuchProcedure"));
  EXPECT_THROW(missing.execute(), db::Error);
}
