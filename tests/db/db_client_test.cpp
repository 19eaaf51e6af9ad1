// The database client on both of its backends: the embedded SQLite files, and a real ODBC driver
// manager with the SQLite ODBC driver (the path that serves SQL Server in production).
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "db.h"
#include "tsql.h"

namespace {

enum class Kind { Embedded, Odbc };

class Client : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    // Both backends work on the same file: FOLDER/TESTDB.sqlite.
    db::Connection creator("creator");
    creator.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=TESTDB", "CREATE DATABASE=TRUE"};
    creator.execute("Create Table Item (Id Integer Primary Key Autoincrement, Code VarChar(20), Qty Real, Made DateTime)");
    creator.close();
    conn = std::make_unique<db::Connection>("T");
    conn->beforeConnect = [this](db::Connection& c) {
      ++connects;
      c.params.clear();
      if (GetParam() == Kind::Embedded) {
        c.params << "SERVER NAME=embedded:" + dir.path() << "DATABASE NAME=TESTDB";
      } else {
        c.params << "ODBC DRIVER=SQLite3" << "DATABASE NAME=" + db::embeddedDatabaseFile(dir.path(), "TESTDB");
      }
    };
    conn->afterConnect = [this](db::Connection&) { ++afterConnects; };
  }
  QTemporaryDir dir;
  std::unique_ptr<db::Connection> conn;
  int connects = 0;
  int afterConnects = 0;
};

TEST_P(Client, OpensLazilyAndRebuildsParametersAtEveryConnect) {
  EXPECT_FALSE(conn->isOpen());
  EXPECT_EQ(connects, 0);
  conn->execute("Insert Into Item (Code) Values ('A')");
  EXPECT_TRUE(conn->isOpen());
  conn->select("Select * From Item");
  EXPECT_EQ(connects, 1);
  conn->close();
  conn->params << "JUNK=1";
  conn->select("Select * From Item");
  EXPECT_EQ(connects, 2);
  EXPECT_EQ(afterConnects, 2);
  EXPECT_FALSE(conn->params.join(";").contains("JUNK"));
}

TEST_P(Client, OneBoundValueFillsEveryOccurrenceOfItsName) {
  db::Query q(*conn, {"Insert Into Item (Code, Qty) Values (:P, 1);"});
  q.params.setText("P", "X");
  q.execSql();
  db::Query s(*conn, {"Select Count(*) As N From Item", "Where Code = :P And Code = :P And (Code = :P Or Code = :P Or Code = :P)",
                      "And ':P' <> :P"});
  s.params.setText("P", "X");
  s.open();
  EXPECT_EQ(s.asInt("n"), 1);
}

TEST_P(Client, TypedParametersAndTypedReads) {
  db::Query ins(*conn, {"Insert Into Item (Code, Qty, Made) Values (:Code, :Qty, :Made)"});
  ins.params.setText("Code", "ไทย");
  ins.params.setFloat("Qty", 2.5);
  ins.params.setDateTime("Made", QDateTime(QDate(2024, 12, 31), QTime(13, 45, 10)));
  ins.execSql();
  ins.params.setText("Code", "NULLS");
  ins.params.setNull("Qty");
  ins.params.setNull("Made");
  ins.execSql();
  db::Query q(*conn, {"Select Code, Qty, Made From Item Order By Id"});
  q.open();
  ASSERT_EQ(q.rowCount(), 2);
  EXPECT_EQ(q.asString("CODE"), "ไทย");
  EXPECT_DOUBLE_EQ(q.asFloat("qty"), 2.5);
  EXPECT_EQ(q.asInt("qty"), 3);  // a fraction read as an integer is rounded to the nearest
  EXPECT_EQ(q.asDateTime("Made"), QDateTime(QDate(2024, 12, 31), QTime(13, 45, 10)));
  q.next();
  EXPECT_FALSE(q.eof());
  EXPECT_TRUE(q.isNull("Qty"));
  EXPECT_EQ(q.asString("Qty"), "");
  EXPECT_EQ(q.asFloat("Qty"), 0.0);
  EXPECT_FALSE(q.asDateTime("Made").isValid());
  q.next();
  EXPECT_TRUE(q.eof());
  EXPECT_THROW(q.asString("NoSuchColumn"), db::Error);

  db::Params bad;
  bad.set("Code", "abc", db::ParamType::Integer);
  EXPECT_THROW(conn->select("Select :Code As C", bad), db::Error);
  EXPECT_THROW(conn->select("Select :Missing As C"), db::Error);
}

TEST_P(Client, CachedResultIsEditedInMemoryOnly) {
  conn->execute("Insert Into Item (Code, Qty) Values ('A', 1)");
  db::Query q(*conn, {"Select Id, Code, Qty From Item"});
  q.open();
  q.setValue("Qty", 99);
  int row = q.append();
  EXPECT_EQ(row, 1);
  q.setValue("Code", "NEW");
  q.first();
  EXPECT_EQ(q.asInt("Qty"), 99);
  q.moveTo(1);
  q.deleteRow();
  EXPECT_EQ(q.rowCount(), 1);
  db::Result fresh = conn->select("Select Count(*) As N, Max(Qty) As M From Item");
  EXPECT_EQ(fresh.asInt("N"), 1);
  EXPECT_EQ(fresh.asInt("M"), 1);
}

TEST_P(Client, ScriptRunsEachStatementAndKeepsWhatRanBeforeAFailure) {
  db::Script s(*conn);
  s.sql = {"Insert Into Item (Code) Values (:C)", "/", "Insert Into NoSuchTable Values (1)", "/",
           "Insert Into Item (Code) Values (:C)"};
  s.params.setText("C", "S");
  EXPECT_THROW(s.execute(), db::Error);
  EXPECT_EQ(conn->select("Select Count(*) As N From Item Where Code = 'S'").asInt("N"), 1);
}

TEST_P(Client, TransactionsCommitAndRollBack) {
  conn->startTransaction();
  conn->execute("Insert Into Item (Code) Values ('R')");
  conn->rollback();
  EXPECT_FALSE(conn->inTransaction());
  conn->startTransaction();
  conn->execute("Insert Into Item (Code) Values ('C')");
  conn->commit();
  db::Result r = conn->select("Select Code From Item");
  ASSERT_EQ(r.rowCount(), 1);
  EXPECT_EQ(r.asString("Code"), "C");
  EXPECT_THROW(conn->commit(), db::Error);
}

TEST_P(Client, FailureCarriesTheServersOwnMessage) {
  try {
    conn->execute("Insert Into NoSuchTable Values (1)");
    FAIL() << "no exception";
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.message().contains("no such table: NoSuchTable")) << e.message().toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, Client, ::testing::Values(Kind::Embedded, Kind::Odbc),
                         [](const auto& info) { return info.param == Kind::Embedded ? "Embedded" : "Odbc"; });

TEST(EmbeddedClient, LastSelectOfASeveralStatementTextIsTheResult) {
  QTemporaryDir dir;
  db::Connection c("X");
  c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=x", "CREATE DATABASE=TRUE"};
  db::Result r = c.select(
      "Create Table T (A Integer); Insert Into T Values (1); Insert Into T Values (2);"
      "Select 'first' As W; Select Sum(A) As S From T");
  EXPECT_EQ(r.columns(), QStringList{"S"});
  EXPECT_EQ(r.asInt("S"), 3);
  EXPECT_EQ(c.execute("Update T Set A = A + 1"), 2);
}

// Typed text that is no finite number ("nan", "inf", beyond 64 bits) is refused as a parameter and
// as a read, never bound or returned as some arbitrary number.
TEST(EmbeddedClient, NonFiniteAndHugeNumbersAreRefused) {
  QTemporaryDir dir;
  db::Connection c("X");
  c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=x", "CREATE DATABASE=TRUE"};
  struct Case {
    const char* text;
    db::ParamType type;
  } refused[] = {
      {"nan", db::ParamType::Integer},   {"inf", db::ParamType::Integer},     {"-infinity", db::ParamType::Integer},
      {"1e30", db::ParamType::Integer},  {"9223372036854775808", db::ParamType::Integer},
      {"nan", db::ParamType::Float},     {"-inf", db::ParamType::Float},      {"1e999", db::ParamType::Float},
  };
  for (const Case& k : refused) {
    SCOPED_TRACE(k.text);
    db::Params p;
    p.set("V", QString::fromLatin1(k.text), k.type);
    EXPECT_THROW(c.select("Select :V As V", p), db::Error);
  }
  db::Params fine;
  fine.set("V", "-9.0e18", db::ParamType::Integer);
  EXPECT_EQ(c.select("Select :V As V", fine).asInt("V"), -9000000000000000000LL);

  db::Result r = c.select("Select 1e30 As Big, 'inf' As InfText, 'nan' As NanText, 2.5 As Fine");
  EXPECT_THROW(r.asInt("Big"), db::Error);
  EXPECT_THROW(r.asInt("InfText"), db::Error);
  EXPECT_THROW(r.asFloat("InfText"), db::Error);
  EXPECT_THROW(r.asFloat("NanText"), db::Error);
  EXPECT_DOUBLE_EQ(r.asFloat("Big"), 1e30);
  EXPECT_EQ(r.asInt("Fine"), 3);
}

TEST(EmbeddedClient, RepeatedTextsSeeNewValuesAndSchemaChanges) {
  QTemporaryDir dir;
  db::Connection c("X");
  c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=x", "CREATE DATABASE=TRUE"};
  c.execute("Create Table T (A Integer)");
  for (int i = 1; i <= 3; ++i) {
    db::Params p;
    p.setInt("A", i);
    c.execute("Insert Into T Values (:A)", p);
    EXPECT_EQ(c.select("Select Max(A) As M, Count(*) As N From T").asInt("N"), i);
  }
  EXPECT_EQ(c.select("Select * From T").columns().size(), 1);
  c.execute("Alter Table T Add B Integer");
  EXPECT_EQ(c.select("Select * From T").columns().size(), 2);
  EXPECT_THROW(c.execute("Insert Into T Values ('x', 1, 2)"), db::Error);
  EXPECT_THROW(c.execute("Insert Into T Values ('x', 1, 2)"), db::Error);
}

TEST(EmbeddedClient, MissingDatabaseAndUnknownServerFailClearly) {
  QTemporaryDir dir;
  db::Connection c("X");
  c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=NOPE"};
  try {
    c.select("Select 1");
    FAIL();
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.message().contains("NOPE")) << e.message().toStdString();
  }
  EXPECT_FALSE(c.isOpen());
  // A SQL Server name where nothing listens (loopback, a closed port).
  db::Connection s("S");
  s.params = {"SERVER NAME=127.0.0.1,1", "DATABASE NAME=X", "USER NAME=u", "PASSWORD=p"};
  EXPECT_THROW(s.select("Select 1"), db::Error);
  // A port that is not a number never reaches the connection string (it could add keys there).
  for (const char* server : {"127.0.0.1,1;UID=sa;PWD=x", "127.0.0.1,{1}", "127.0.0.1,", "127.0.0.1:1433x"}) {
    SCOPED_TRACE(server);
    db::Connection p("P");
    p.params = {QStringLiteral("SERVER NAME=") + QLatin1String(server), "DATABASE NAME=X", "USER NAME=u", "PASSWORD=p"};
    try {
      p.select("Select 1");
      ADD_FAILURE() << "connected";
    } catch (const db::Error& e) {
      EXPECT_TRUE(e.message().contains("is not a port number")) << e.message().toStdString();
    }
  }
}

TEST(EmbeddedClient, ProceduresReturnOutputsAndResult) {
  QTemporaryDir dir;
  db::registerEmbeddedProcedure("TestDouble", [](db::Connection& c, db::Params& p) {
    db::Params q;
    q.set("V", p["In"].value);
    p.set("Out", c.select("Select :V * 2 As D", q).asInt("D"));
    p.set("Result", 7);
  });
  db::Connection c("X");
  c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=x", "CREATE DATABASE=TRUE"};
  db::StoredProc sp(c, "dbo.TESTDOUBLE");
  sp.declare("@In", db::ParamType::Integer, db::ParamDir::Input);
  sp.declare("@Out", db::ParamType::Integer, db::ParamDir::Output);
  sp.set("@In", 21);
  sp.execute();
  EXPECT_EQ(sp.value("@Out").toInt(), 42);
  EXPECT_EQ(sp.value("Result").toInt(), 7);
  db::StoredProc missing(c, "NoSuchProc");
  EXPECT_THROW(missing.execute(), db::Error);
}

// A procedure's name goes into the statement that calls it: on SQL Server it is bracketed part by
// part and every value is a parameter; a name that is not a plain procedure name never runs.
TEST(ProcedureCall, TheNameIsBracketedAndOnlyPlainNamesRun) {
  db::Params p;
  p.setText("DocCode", "IV'; Drop Table IvHd --");
  p.setInt("DocYear", 2025);
  p.setNull("NewNo", db::ParamType::Text);
  db::Params bound;
  EXPECT_EQ(db::procedureCallBatch("dbo.NewDocumentNo", p, {"NewNo"}, &bound),
            "SET NOCOUNT ON; DECLARE @rc int, @a2 nvarchar(4000); EXEC @rc = [dbo].[NewDocumentNo] @DocCode = :a0, "
            "@DocYear = :a1, @NewNo = @a2 OUTPUT; SELECT @rc AS Result, @a2 AS [NewNo]");
  EXPECT_EQ(db::Params::typedValue(*bound.find("a0")).toString(), "IV'; Drop Table IvHd --");

  QTemporaryDir dir;
  static int runs = 0;
  db::registerEmbeddedProcedure("TestPlain", [](db::Connection&, db::Params&) { ++runs; });
  db::Connection c("X");
  c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=x", "CREATE DATABASE=TRUE"};
  for (const char* name : {"TestPlain; Delete From X", "TestPlain--", "[TestPlain]", "dbo.TestPlain.", "", "Test Plain"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(db::isProcedureName(QString::fromUtf8(name)));
    db::StoredProc sp(c, QString::fromUtf8(name));
    EXPECT_THROW(sp.execute(), db::Error);
    EXPECT_THROW(db::procedureCallBatch(QString::fromUtf8(name), {}, {}), db::Error);
  }
  EXPECT_EQ(runs, 0);
  db::StoredProc sp(c, "dbo.TestPlain");
  sp.execute();
  EXPECT_EQ(runs, 1);
}

TEST(SqlText, LiteralsAreNeverTreatedAsParametersOrEscapesLost) {
  QTemporaryDir dir;
  db::Connection c("X");
  c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=x", "CREATE DATABASE=TRUE"};
  c.execute("Create Table T (S VarChar(50))");
  const QStringList typed = {"O'Brien", "100%", "a_b", "[x]", "back\\slash", "'; Drop Table T; --"};
  for (const QString& t : typed) c.execute("Insert Into T Values (" + db::quoted(t) + ")");
  c.execute("Insert Into T Values ('100 percent')");
  c.execute("Insert Into T Values ('axb')");
  for (const QString& t : typed) {
    db::Params p;
    p.setText("P", db::likeContains(t));
    db::Result r = c.select("Select S From T Where S Like :P Escape '\\'", p);
    ASSERT_EQ(r.rowCount(), 1) << t.toStdString();
    EXPECT_EQ(r.asString("S"), t);
    db::Result lit = c.select("Select S From T Where S Like '%" + db::likeEscaped(t) + "%' Escape '\\'");
    EXPECT_EQ(lit.rowCount(), 1) << t.toStdString();
  }
}

}  // namespace

namespace {
// A date column read row after row: equal dates in a row, a change, a NULL, a text that is no date
// and a date again each read as they are stored.
TEST(StoredDates, EachRowOfADateColumnReadsItsOwnValue) {
  QTemporaryDir dir;
  db::Connection c("X");
  c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=x", "CREATE DATABASE=TRUE"};
  c.execute("Create Table T (N Integer, D DateTime)");
  const QVariant stored[] = {"2024-03-05", "2024-03-05", "2024-03-06 10:00:00", QVariant(), "no date", "2024-03-05", "2024-03-05"};
  for (int i = 0; i < int(std::size(stored)); ++i) {
    db::Params p;
    p.set("N", i, db::ParamType::Integer);
    p.set("D", stored[i], db::ParamType::Text);
    c.execute("Insert Into T Values (:N, :D)", p);
  }
  db::Result r = c.select("Select N, D From T Order By N");
  const QVariant expected[] = {QDateTime(QDate(2024, 3, 5), QTime(0, 0)), QDateTime(QDate(2024, 3, 5), QTime(0, 0)),
                               QDateTime(QDate(2024, 3, 6), QTime(10, 0)), QVariant(), QStringLiteral("no date"),
                               QDateTime(QDate(2024, 3, 5), QTime(0, 0)), QDateTime(QDate(2024, 3, 5), QTime(0, 0))};
  ASSERT_EQ(r.rowCount(), int(std::size(expected)));
  for (int i = 0; !r.eof(); r.next(), ++i) EXPECT_EQ(r.value("D"), expected[i]) << i;
}

TEST(StoredDates, IsoTextsAreReadAndEverythingElseIsNoDate) {
  struct Case {
    const char* text;
    QDateTime expected;
  } cases[] = {
      {"2024-12-31", QDateTime(QDate(2024, 12, 31), QTime(0, 0))},
      {"2024-12-31 13:45:10", QDateTime(QDate(2024, 12, 31), QTime(13, 45, 10))},
      {"2024-12-31T13:45:10.5", QDateTime(QDate(2024, 12, 31), QTime(13, 45, 10, 500))},
      {"2024-12-31 13:45", QDateTime(QDate(2024, 12, 31), QTime(13, 45))},
      {"2024-02-30", QDateTime()},
      {"2024-12-31 25:00:00", QDateTime()},
      {"31/12/2024", QDateTime()},
      {"2024-12-31x", QDateTime()},
      {"2024-1-5", QDateTime()},
      {"", QDateTime()},
  };
  for (const auto& c : cases) EXPECT_EQ(db::toDateTime(QString::fromLatin1(c.text)), c.expected) << c.text;
}
}  // namespace

namespace {

// Texts are read from the bytes SQLite holds exactly as the general UTF-8 decoder reads them: ASCII,
// Thai and other two- and three-byte letters, and everything that is no plain UTF-8 (four-byte
// letters, a byte-order mark, overlong forms, surrogates, cut sequences, stray bytes, NUL).
TEST(EmbeddedTexts, EveryByteSequenceReadsAsTheGeneralDecoderReadsIt) {
  QTemporaryDir dir;
  db::Connection c("X");
  c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=x", "CREATE DATABASE=TRUE"};
  const char* const cases[] = {
      "",                                    // empty
      "534F363931322D3030303031",            // SO6912-00001
      "E0B8AAE0B8B4E0B899E0B884E0B989E0B8B2",  // สินค้า
      "E0B881E0B8A5E0B988E0B8AD2028313229",  // กล่อง (12)
      "C3A9E282AC",                          // é €
      "EFBFBD",                              // U+FFFD
      "EFBBBF61",                            // byte-order mark, a
      "F09F988061",                          // a four-byte letter
      "C080",                                // overlong NUL
      "E08080",                              // overlong three bytes
      "EDA080",                              // a surrogate
      "80",                                  // a lone continuation byte
      "E0B8",                                // cut at the end
      "E0B841",                              // cut before a letter
      "61FF62",                              // a byte that is never UTF-8
      "610062",                              // NUL inside
  };
  for (const char* hex : cases) {
    const db::Result r = c.select(QStringLiteral("Select Cast(X'%1' As Text) As T").arg(QLatin1String(hex)));
    ASSERT_EQ(r.rowCount(), 1) << hex;
    EXPECT_EQ(r.at(0, 0).toString(), QString::fromUtf8(QByteArray::fromHex(hex))) << hex;
    EXPECT_EQ(r.at(0, 0).typeId(), QMetaType::QString) << hex;
  }
}

// Values that come again in a column, next to each other or rows apart, read as they are stored,
// in every type; in a column whose texts seldom repeat as well as in one where they do. A value
// changed in memory changes that row alone.
TEST(EmbeddedTexts, RepeatedValuesReadAsStoredAndAreEditedRowByRow) {
  QTemporaryDir dir;
  db::Connection c("X");
  c.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=x", "CREATE DATABASE=TRUE"};
  c.execute("Create Table T (N Integer, Unit VarChar(20), Name VarChar(40), Made DateTime, Qty Real, Ref Integer)");
  const QString units[] = {QStringLiteral("กล่อง (12)"), QStringLiteral("ชิ้น (1)"), QString(), QStringLiteral("กล่อง (12)"),
                           QStringLiteral("แพ็ค (6)")};
  const QVariant made[] = {"2024-03-05", "2024-03-06 10:30:00", QVariant(), "no date", "2024-03-05"};
  constexpr int kRows = 300;
  const auto unitOf = [&](int i) { return units[(i * 7) % std::size(units)]; };
  const auto nameOf = [](int i) { return i % 5 == 4 ? QVariant() : QVariant(QStringLiteral("สินค้าที่ %1").arg(i / 2)); };
  for (int i = 0; i < kRows; ++i) {
    db::Params p;
    p.setInt("N", i);
    p.set("Unit", unitOf(i).isNull() ? QVariant() : QVariant(unitOf(i)), db::ParamType::Text);
    p.set("Name", nameOf(i), db::ParamType::Text);
    p.set("Made", made[(i * 3) % std::size(made)], db::ParamType::Text);
    p.set("Qty", i % 4 ? QVariant(i * 0.5) : QVariant(), db::ParamType::Float);
    p.set("Ref", i % 3 ? QVariant(i % 3) : QVariant(), db::ParamType::Integer);
    c.execute("Insert Into T Values (:N, :Unit, :Name, :Made, :Qty, :Ref)", p);
  }
  db::Result r = c.select("Select N, Unit, Name, Made, Qty, Ref From T Order By N");
  ASSERT_EQ(r.rowCount(), kRows);
  const auto madeValue = [&](int i) -> QVariant {
    const QVariant m = made[(i * 3) % std::size(made)];
    const QDateTime dt = db::toDateTime(m);
    return dt.isValid() ? QVariant(dt) : m;
  };
  for (int i = 0; i < kRows; ++i) {
    EXPECT_EQ(r.at(i, 0), QVariant(qint64(i))) << i;
    EXPECT_EQ(r.at(i, 1), unitOf(i).isNull() ? QVariant() : QVariant(unitOf(i))) << i;
    EXPECT_EQ(r.at(i, 2), nameOf(i)) << i;
    EXPECT_EQ(r.at(i, 3), madeValue(i)) << i;
    EXPECT_EQ(r.at(i, 4), i % 4 ? QVariant(i * 0.5) : QVariant()) << i;
    EXPECT_EQ(r.at(i, 5), i % 3 ? QVariant(qint64(i % 3)) : QVariant()) << i;
  }
  // Rows 0 and 5 read the same unit and the same date; changing row 0 leaves row 5 as it was.
  ASSERT_EQ(r.at(0, 1), r.at(5, 1));
  ASSERT_EQ(r.at(0, 3), r.at(5, 3));
  r.setValueAt(0, 1, QStringLiteral("ลัง (24)"));
  r.moveTo(0);
  r.setValue("Made", QDateTime(QDate(2025, 1, 2), QTime(0, 0)));
  EXPECT_EQ(r.at(0, 1).toString(), QStringLiteral("ลัง (24)"));
  EXPECT_EQ(r.at(5, 1).toString(), unitOf(5));
  EXPECT_EQ(r.at(0, 3), QVariant(QDateTime(QDate(2025, 1, 2), QTime(0, 0))));
  EXPECT_EQ(r.at(5, 3), madeValue(5));
  // A row appended and a row deleted leave the others' values as they were read.
  r.append();
  r.setValue("Unit", units[0]);
  r.moveTo(1);
  r.deleteRow();
  ASSERT_EQ(r.rowCount(), kRows);
  EXPECT_EQ(r.at(kRows - 1, 1).toString(), units[0]);
  EXPECT_TRUE(r.at(kRows - 1, 2).isNull());
  for (int i = 2; i < kRows; ++i) EXPECT_EQ(r.at(i - 1, 1), unitOf(i).isNull() ? QVariant() : QVariant(unitOf(i))) << i;
}

}  // namespace

namespace {

// "MAX QUERY TIME" on the ODBC path, through the real unixODBC driver manager and the SQLite ODBC
// driver: the time-out is set on every statement, as the driver manager's own trace records it, and
// no time-out is set without the line. ("ENABLE BCD" cannot be shown with this driver: it reports
// decimal columns as text columns, and SQLite keeps decimals as binary doubles.)
TEST(OdbcClient, TheQueryTimeOutReachesEveryStatementThroughTheDriverManager) {
  QTemporaryDir dir;
  {
    db::Connection creator("creator");
    creator.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=TESTDB", "CREATE DATABASE=TRUE"};
    creator.execute("Create Table Amount (Id Integer, Total Real)");
    creator.execute("Insert Into Amount (Id, Total) Values (1, 2.675)");
  }
  struct Case {
    const char* line;
    int timeouts;  // SQLSetStmtAttr(SQL_ATTR_QUERY_TIMEOUT) calls in the trace
  } cases[] = {{"MAX QUERY TIME=37", 2}, {"MAX QUERY TIME=0", 0}, {"MAX QUERY TIME=", 0}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const QString trace = dir.filePath(QStringLiteral("trace-%1.log").arg(++n));
    db::Connection conn("T");
    conn.params = {"ODBC DRIVER=SQLite3", "DATABASE NAME=" + db::embeddedDatabaseFile(dir.path(), "TESTDB"), QString::fromLatin1(c.line),
                   "ENABLE BCD=True", "ODBC TRACE FILE=" + trace};
    EXPECT_EQ(conn.select("Select Total From Amount").asFloat("Total"), 2.675);
    EXPECT_EQ(conn.execute("Update Amount Set Total = 2.675 Where Id = 1"), 1);
    conn.close();
    QFile f(trace);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "the driver manager wrote no trace";
    const QString log = QString::fromLatin1(f.readAll());
    EXPECT_EQ(log.count("Attribute = SQL_ATTR_QUERY_TIMEOUT\n\t\t\tValue = 0x25"), c.timeouts) << log.right(3000).toStdString();
    EXPECT_EQ(log.count("SQL_ATTR_QUERY_TIMEOUT"), c.timeouts);
  }
}

}  // namespace
