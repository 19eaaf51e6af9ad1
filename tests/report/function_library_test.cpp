// The report function library through the command-line evaluator: one table of the cases that
// matter, then the failures and the settings that a command line cannot reach.
#include "fixture.h"
#include "report/function_library_registry.h"
#include "report/text_format.h"

using reporttest::run;
using reporttest::toolPath;

namespace {

struct Case {
  const char* expression;
  const char* expected;
};

// Run in one evaluator, in this order: variables A, B and V start as '1', '2' and ''.
const Case kCases[] = {
    // words
    {"WORDCOUNT(';;a;;b;', ';')", "2"},
    {"WORDPOSITION(2, ';;a;;b;', ';')", "6"},
    {"WORDPOSITION(0, ';;a;;b;', ';')", "0"},
    {"EXTRACTWORD(3, 'a;b', ';')", ""},
    {"EXTRACTWORD(2, ' alpha, beta ;gamma', ' ,;')", "beta"},
    {"ISWORDPRESENT('b', 'a;b;c', ';')", "True"},
    {"ISWORDPRESENT('B', 'a;b;c', ';')", "False"},
    {"wordcount('a b', ' ')", "2"},  // names are found whatever their case
    // substrings
    {"NPOS('aa', 'aaaa', 2)", "2"},
    {"NPOS('aa', 'aaaa', 3)", "3"},
    {"NPOS('aa', 'aaaa', 4)", "0"},
    {"NPOS('a', 'abc', 0)", "0"},
    {"RIGHTCOPY('abc', 5)", ""},
    {"RIGHTCOPY('abc', 2)", "bc"},
    {"LEFTCOPY('abc', 5)", "abc"},
    {"LEFTCOPY('abc', -1)", ""},
    {"ENDPOS('abcabc', 'bc')", "5"},
    {"ENDPOS('ab', 'abc')", "0"},
    {"ENDPOS('abc', '')", "3"},
    {"DELETE('abcdef', 2, 3)", "aef"},
    {"DELETE('abc', 0, 1)", "abc"},
    {"DELETE('abc', 2, 99)", "a"},
    {"INSERT('X', 'abc', 0)", "Xabc"},
    {"INSERT('X', 'abc', 2)", "aXbc"},
    {"INSERT('X', 'abc', 9)", "abcX"},
    {"REPLACESTR('aaa', 'a', 'aa')", "aaaaaa"},
    {"REPLACESTR('abc', '', 'x')", "abc"},
    {"REPLICATE('ab', 3)", "ababab"},
    {"REPLICATE('x', 0)", ""},
    {"COMPARESTR('abc', 'abd')", "3"},
    {"COMPARESTR('abc', 'abcd')", "4"},
    {"COMPARESTR('abc', 'abc')", "0"},
    {"'[' + TRIMLEFT(CHR(9) + ' ab ') + ']'", "[ab ]"},
    {"'[' + TRIMRIGHT(' ab ' + CHR(13)) + ']'", "[ ab]"},
    {"CHR(321) = CHR(65)", "True"},
    {"CHR(65)", "A"},
    {"CHR(161)", "ก"},
    // padding
    {"PADLEFT(' ab ', 5, '*')", "***ab"},
    {"PADLEFT('abcdef', 3, '*')", "abcdef"},
    {"PADRIGHT('ab', 4, '-')", "ab--"},
    {"PADCENTER('ab', 6, '*')", "**ab**"},
    {"PADCENTER('ab', 7, '*')", "**ab***"},
    {"'[' + PADCENTER('ab', 6, ' ') + ']'", "[ab    ]"},
    // conversions
    {"STRTOINT(' 42')", "42"},
    {"STRTOINTDEF('12a', 7)", "7"},
    {"STRTOFLOAT('1.5')", "1.5"},
    {"STRTOFLOATDEF('x', 2.5)", "2.5"},
    {"VALIDINT('12a')", "False"},
    {"VALIDINT('-12')", "True"},
    {"VALIDFLOAT('1e3')", "True"},
    {"VALIDFLOAT('1,5')", "False"},
    {"VALIDDATE('31/02/2004')", "False"},
    {"VALIDDATE('29/02/2004')", "True"},
    {"STRTODATEDEF('xx', STRTODATE('01/01/2000'))", "01/01/2000"},
    {"STRTODATEDEF('05/06/2001', 0)", "05/06/2001"},
    {"DATETOSTR(STRTODATE('05/06/2001 10:00'))", "05/06/2001"},
    {"TIMETOSTR(STRTODATE('01/01/2000 13:05:09'))", "13:05:09"},
    // calendar
    {"INCMONTH(STRTODATE('31/01/2004'), 1)", "29/02/2004"},
    {"INCMONTH(STRTODATE('31/01/2004'), -1)", "31/12/2003"},
    {"INCMONTH(STRTODATE('31/01/2004 10:15'), 1)", "29/02/2004 10:15:00"},
    {"INCMONTH(STRTODATE('15/03/2004'), -15)", "15/12/2002"},
    {"INCMONTH(STRTODATE('15/11/2004'), 14)", "15/01/2006"},
    {"INCYEAR(STRTODATE('29/02/2004'), 1)", "28/02/2005"},
    {"INCDAY(STRTODATE('28/02/2004'), 2)", "01/03/2004"},
    {"INCDATE(STRTODATE('31/01/2004'), '1;1;0')", "01/03/2004"},
    {"INCDATE(STRTODATE('31/01/2004'), '0;0;-1')", "31/01/2003"},
    {"INCTIME(STRTODATE('01/03/2004 00:30'), '-1;0;0;0')", "29/02/2004 23:30:00"},
    {"INCTIME(0.5 / 24, '-1;0;0;0')", "30/12/1899 23:30:00"},
    {"INCTIME(STRTODATE('01/03/2004'), '25;0;0;0')", "02/03/2004 01:00:00"},
    {"ISLEAPYEAR(1900)", "False"},
    {"ISLEAPYEAR(2000)", "True"},
    {"ISLEAPYEAR(2004)", "True"},
    {"DAYSPERMONTH(2004, 2)", "29"},
    {"DAYSPERMONTH(2003, 2)", "28"},
    {"FIRSTDAYOFNEXTMONTH(STRTODATE('15/12/2004 10:00'))", "01/01/2005"},
    {"FIRSTDAYOFPREVMONTH(STRTODATE('15/01/2004'))", "01/12/2003"},
    {"LASTDAYOFPREVMONTH(STRTODATE('15/03/2004 08:00'))", "29/02/2004"},
    {"ISRANGENUM(1, 10, 10)", "True"},
    {"ISRANGENUM(1, 10, 1)", "True"},
    {"ISRANGENUM(10, 1, 5)", "False"},
    {"ISRANGEDATE(STRTODATE('01/01/2004'), STRTODATE('31/01/2004'), STRTODATE('31/01/2004 10:00'))", "False"},
    // DATEDIFF writes its text into the variable named by its third argument, both ways round.
    {"DATEDIFF(STRTODATE('31/01/2004'), STRTODATE('01/03/2004'), V)", "0"},
    {"V", "1;1;0"},
    {"DATEDIFF(STRTODATE('01/03/2004'), STRTODATE('31/01/2004'), V)", "0"},
    {"V", "1;1;0"},
    {"DATEDIFF(STRTODATE('01/03/2004'), STRTODATE('15/04/2004'), V) + 0", "0"},
    {"V", "14;1;0"},
    // SWAP exchanges two report variables through MTV2FR.
    {"SWAP(A, B)", "0"},
    {"A + '/' + B", "2/1"},
    {"MTV2FR", "1"},
    // SQL literals
    {"CREATESTR('   ')", "null"},
    {"CREATESTR('abc')", "'abc'"},
    {"CREATESTR('it''s')", "'it''s'"},  // the inner quote is doubled: one SQL literal
    {"CREATENUM('')", "null"},
    {"CREATENUM('1.5')", "1.5"},
    {"CREATEDATE('29/02/2004')", "'29/02/2004'"},
    {"CREATEDATE('29/02/2004 10:30')", "'29/02/2004 10:30:00'"},
    {"CREATEDATE('30/02/2004')", "null"},
};

}  // namespace

TEST(FunctionLibrary, EdgeCasesThroughTheEvaluator) {
  QStringList args{QStringLiteral("eval"), QStringLiteral("--var"), QStringLiteral("A='1'"), QStringLiteral("--var"),
                   QStringLiteral("B='2'"), QStringLiteral("--var"), QStringLiteral("V=''")};
  for (const Case& c : kCases) args << QString::fromUtf8(c.expression);
  const auto r = run(toolPath(), args);
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QStringList lines = r.out.split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), static_cast<qsizetype>(std::size(kCases)));
  for (size_t i = 0; i < std::size(kCases); ++i) {
    EXPECT_EQ(lines[static_cast<qsizetype>(i)].toStdString(), std::string(kCases[i].expected)) << kCases[i].expression;
  }
}

TEST(FunctionLibrary, ConversionFailuresAreErrorsOfTheExpression) {
  const Case failures[] = {
      {"STRTOINT('12a')", "'12a' is not a valid integer value"},
      {"STRTOINT('3000000000')", "'3000000000' is not a valid integer value"},
      {"STRTOFLOAT('1,5')", "'1,5' is not a valid floating point value"},
      {"INCDATE(STRTODATE('31/01/2004'), '1;2')", "'' is not a valid integer value"},  // a missing part
      {"INCTIME(STRTODATE('31/01/2004'), '1;x;0;0')", "'x' is not a valid integer value"},
      {"DAYSPERMONTH(2004, 13)", "13 is not a valid month"},
      {"INCYEAR(STRTODATE('31/01/2004'), 9000)", "out of the calendar's range"},
      {"FIRSTDAYOFPREVMONTH(STRTODATE('15/01/0001'))", "out of the calendar's range"},
      {"TIMETOSTR(-6.8e38)", "out of the calendar's range"},  // found by fuzzing: no whole number of days
      {"TIMETOSTR(1e308 * 10)", "out of the calendar's range"},
      {"REPLICATE('x', 2000000000)", "longer than"},
      {"PADLEFT('a', 2000000000, '*')", "longer than"},
      {"DATEDIFF(1, 2, NoSuchVariable)", "Unknown variable or field 'NoSuchVariable'"},
      {"NOSUCHFUNCTION(1)", "Unknown function 'NOSUCHFUNCTION'"},
      {"WORDCOUNT('a b' ", "Syntax error in expression"},
  };
  for (const Case& c : failures) {
    const auto r = run(toolPath(), {QStringLiteral("eval"), QString::fromUtf8(c.expression)});
    EXPECT_EQ(r.exitCode, 1) << c.expression;
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.expected))) << c.expression << " gave: " << r.err.toStdString();
  }
}

TEST(FunctionLibrary, RegistrationListsEveryFunctionInDispatchOrder) {
  report::TAddFunctionLibrary lib;
  ASSERT_EQ(lib.names().size(), 46);
  EXPECT_EQ(lib.names().first(), QStringLiteral("CHR"));
  EXPECT_EQ(lib.names().indexOf(QStringLiteral("SWAP")), 37);
  EXPECT_EQ(lib.names().last(), QStringLiteral("WORDPOSITION"));
  const auto descriptions = lib.descriptions();
  ASSERT_EQ(descriptions.size(), 46);
  QStringList described;
  for (const auto& d : descriptions) {
    described << d.name;
    EXPECT_TRUE(d.description.startsWith(d.name + QLatin1Char('('))) << d.name.toStdString();
    EXPECT_TRUE(QStringList({"String", "Math", "Date and time", "SQL", "Other"}).contains(d.category)) << d.name.toStdString();
  }
  described.sort();
  QStringList names = lib.names();
  names.sort();
  EXPECT_EQ(described, names);
}

TEST(FunctionLibrary, SystemSettingsAndFormatDate) {
  report::registerAddFunctionLibrary();
  report::Report rep;
  // A comma as the system decimal separator.
  report::formatSettings().decimalSeparator = QLatin1Char(',');
  EXPECT_EQ(rep.evaluate(QStringLiteral("CREATENUM('1,5')")).toString(), QStringLiteral("1.5"));
  EXPECT_EQ(rep.evaluate(QStringLiteral("STRTOFLOAT('2,25') * 2")).toNumber(), 4.5);
  report::formatSettings().decimalSeparator = QLatin1Char('.');
  // FormatDate shapes CREATEDATE; a new component clears it.
  report::TfrAddFunctionLibrary component;
  component.setFormatDate(QStringLiteral("yyyy-mm-dd"));
  EXPECT_EQ(rep.evaluate(QStringLiteral("CREATEDATE('29/02/2004')")).toString(), QStringLiteral("'2004-02-29'"));
  report::TfrAddFunctionLibrary another;
  EXPECT_EQ(component.FormatDate(), QString());
  EXPECT_EQ(rep.evaluate(QStringLiteral("CREATEDATE('29/02/2004')")).toString(), QStringLiteral("'29/02/2004'"));
}
