// The stored procedures of the embedded server, with the same contract as the production
// procedures. Parameter names are written without "@"; outputs and the return value "Result" are
// written back into the caller's parameters. Each runs on the caller's connection, inside the
// caller's transaction when one is open.
//
// Configuration database:
//   MENUCAPTION   in MENUID, USERID; out CAPTION, ACCESS_R, ADD_R, MODIFY_R, DELETE_R, USERCODE (texts),
//                 SALESID (integer). The caption is Menu.Caption, or Menu.CaptionEng for a user whose
//                 LanguageNo is not 1 (when it has one). Rights come from UserRight as stored ("N"
//                 when the user has no row for the entry, or the entry or the user is unknown).
//   AddErrorLog   in CompName, LogName (texts), UserId, MenuId (integers), ErrorMsg (text); one ErrorLog row.
// Company database:
//   NewDocumentNo in DocCode (text), DocYear (integer); out NewNo (text). See newDocumentNo below.
//   ServerTime    out ServerTime (date and time): the server's clock.
//   UserAddLog    in UserId, MenuId, FunctionListId, DocumentId (integers), Remark (text); one UserLog row.
#pragma once

#include "db.h"

namespace embedded {

// Registers every procedure of the embedded server (called once by install()).
//
// Document procedures (ConsoToIV, CopyBoxNoToIvHd, CopyBoxNoToTransFerHd, the print procedures named
// in SystemForm.SpName) are registered from here as well: each lives in its own source file of this
// folder with a registerXxx() function that registerServerProcedures() calls.
void registerServerProcedures();

// NewDocumentNo: a new number of the series docCode for the year.
// The counter is the DocumentNo row that DocNoConvert names for (code, year), else the DocumentNo
// row with that Code and DocYear. When the year has no counter yet, one is made from the code's
// counter of the nearest earlier (else later) year: same description, length, auto-run and type,
// LastNo 0, and the earlier year's two-digit year in the prefix replaced by the new one ("Con24" ->
// "Con25"). A code without any counter is an error.
// The number is the prefix followed by LastNo + 1 padded with zeros to DocumentLength characters
// (no padding when the prefix leaves no room). The read-increment-write runs under the database's
// write lock (the caller's transaction, or one of its own), so concurrent callers never draw the
// same number.
QString newDocumentNo(db::Connection& conn, const QString& docCode, int docYear);
// newDocumentNos (many numbers at once): document_numbers.h.

// The DocumentNo row that numbers (code, year), made from another year's counter when the year has
// none (see newDocumentNo); 0 when the code has no counter in any year. Call inside a transaction.
qint64 documentCounterId(db::Connection& conn, const QString& docCode, int docYear);

// The number text of a counter: prefix + running number padded to the document length.
QString formatDocumentNo(const QString& prefix, qint64 number, int documentLength);
// The prefix of a new year's counter made from another year's prefix.
QString prefixForYear(const QString& prefix, int fromYear, int toYear);

// A transaction held for the length of a scope when the connection has none open: committed by
// commit(), rolled back when the scope is left without it. Inside a caller's transaction it does
// nothing.
class TransactionScope {
 public:
  explicit TransactionScope(db::Connection& c);
  ~TransactionScope();
  void commit();
  TransactionScope(const TransactionScope&) = delete;
  TransactionScope& operator=(const TransactionScope&) = delete;

 private:
  db::Connection& conn_;
  bool own_ = false;
};

// Helpers for procedure bodies: an input value (null when the caller did not pass it) and an output.
QVariant procInput(const db::Params& p, const QString& name);
void procOutput(db::Params& p, const QString& name, const QVariant& value, db::ParamType type);

}  // namespace embedded
