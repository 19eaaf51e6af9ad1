// AttrRange, CustomerSearchFilter: the statements of the customer look-up: the customer search, the
// salesman, code-group and
// attribute-code searches, the customer frame's detail row and the head-office copy.
//
// Typed texts go into quoted literals of the search statements: db::likeEscaped doubles quotes and
// makes % _ [ \ ordinary characters, and every LIKE on a typed text carries "Escape '\'".
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "db.h"

namespace masterdata {

// ---- Customer search (TF_SearchCustomer, TF_SearchCustomerPos) ----

struct AttrRange {
  QString groupCode, beginCode, endCode;  // as typed; trimmed when the condition is built
};

struct CustomerSearchFilter {
  QString provinceCode;  // prefix of the province code (from the province frame)
  QString salesmanCode;  // prefix of the salesman code (from the salesman frame)
  QString customerCode;  // prefix
  QString phone, fax, name, nameEng;  // fragments
  bool includeBlocked = false;
  QVector<AttrRange> attrRanges;  // rows of the attribute frame
  int sortPosition = 0;           // 0 code, 1 Thai name, 2 salesman, 3 province; other: no ordering
};

// The statement, one line per part. The embedded server has no "+" on texts, so its text joins
// with "||" where the server's text adds strings.
QStringList customerSearchLines(const CustomerSearchFilter& f, db::Dialect dialect);
// The ordering line of a sort position (empty for a position without ordering).
QString customerSortLine(int position);

// ---- Salesman search (TF_SearchSalesman) ----
QStringList salesmanSearchLines(const QString& code, const QString& name, const QString& surname,
                                const QString& orderLine);

// ---- Code-group search (TF_SearchMisc): parameters InputGroup and InputName ----
QStringList miscSearchLines();

// ---- Attribute-code search (TFrSearchCusAttrCode) ----
QStringList cusAttrCodeSearchLines(int attrGroupId, const QString& text, bool fullWord);

// ---- Customer frame ----
// QCustomer: the customer's detail row by code (parameter GetCode).
QStringList customerDetailLines();
// QGetCustomerHead: the head office's customer row by code (parameter Code) with the codes of its
// group, salesman and province.
QStringList customerHeadLines();
// The 52 columns copied from the head office, in the order of the copy statement.
const QStringList& copiedCustomerColumns();
// The copy statement (parameters: the 52 column names and Id); the SQLite text beside it.
db::SqlText customerCopyStatement();

// The head-office copy's reads and insert on the local database: the Id of a row by its code
// (:Code) in Customer, CustomerGroup or Salesman, the lowest Id of such a table, a province's Id by
// its code (:Code) and the insert of a province the local database lacks (:Code, :Description).
QString localIdByCodeSql(const QString& table);
QString lowestIdSql(const QString& table);
QString provinceIdByCodeSql();
QString provinceInsertSql();

// The salesman frame's row of a salesman by code (:getcode), and the customer search's one row of
// empty salesman and province ids.
QStringList salesmanFrameLines();
QStringList nullRowLines();

// The group-attribute list of the attribute frame.
QStringList cusAttrGroupLines();

}  // namespace masterdata
