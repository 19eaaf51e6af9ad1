#include "procedures.h"

#include "document_numbers.h"
#include "functions.h"

namespace embedded {

// ---- Helpers --------------------------------------------------------------------------------

TransactionScope::TransactionScope(db::Connection& c) : conn_(c) {
  if (!conn_.inTransaction()) {
    conn_.startTransaction();
    own_ = true;
  }
}

TransactionScope::~TransactionScope() {
  if (own_) {
    try {
      conn_.rollback();
    } catch (...) {
    }
  }
}

void TransactionScope::commit() {
  if (own_) {
    own_ = false;
    conn_.commit();
  }
}

QVariant procInput(const db::Params& p, const QString& name) {
  const db::Param* x = p.find(name);
  if (!x) return QVariant();
  return db::Params::typedValue(*x);
}

void procOutput(db::Params& p, const QString& name, const QVariant& value, db::ParamType type) {
  db::Param& x = p[name];
  x.value = value;
  if (x.type == db::ParamType::Unknown) x.type = type;
}

namespace {

QString inText(const db::Params& p, const QString& name) { return procInput(p, name).toString(); }

QVariant inInt(const db::Params& p, const QString& name) {
  const QVariant v = procInput(p, name);
  if (v.isNull()) return QVariant();
  bool ok = false;
  const qint64 n = v.toLongLong(&ok);
  if (!ok) throw db::Error(QStringLiteral("Error converting data type %1 to int (parameter @%2).").arg(v.toString(), name));
  return n;
}

QString nowText() { return serverNow().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

// ---- Configuration database -------------------------------------------------------------------

void menuCaption(db::Connection& c, db::Params& p) {
  const QVariant menuId = inInt(p, QStringLiteral("MENUID"));
  const QVariant userId = inInt(p, QStringLiteral("USERID"));
  db::Params q;
  q.set(QStringLiteral("MenuId"), menuId, db::ParamType::Integer);
  q.set(QStringLiteral("UserId"), userId, db::ParamType::Integer);
  const db::Result user = c.select(QStringLiteral("Select Code, LanguageNo, Salesman From UserName Where Id = :UserId"), q);
  const db::Result menu = c.select(QStringLiteral("Select Caption, CaptionEng From Menu Where Id = :MenuId"), q);
  const db::Result right = c.select(
      QStringLiteral("Select Access_R, Add_R, Modify_R, Delete_R From UserRight Where UserName = :UserId And Menu = :MenuId"), q);

  QString caption;
  if (!menu.isEmpty()) {
    caption = menu.asString(QStringLiteral("Caption"));
    const bool thai = !user.isEmpty() && user.asInt(QStringLiteral("LanguageNo")) == 1;
    const QString eng = menu.asString(QStringLiteral("CaptionEng"));
    if (!thai && !eng.trimmed().isEmpty()) caption = eng;
  }
  const bool granted = !user.isEmpty() && !menu.isEmpty() && !right.isEmpty();
  auto flag = [&](const char* col) {
    if (!granted || right.isNull(QString::fromLatin1(col))) return QStringLiteral("N");
    return right.asString(QString::fromLatin1(col));
  };
  procOutput(p, QStringLiteral("CAPTION"), caption, db::ParamType::Text);
  procOutput(p, QStringLiteral("ACCESS_R"), flag("Access_R"), db::ParamType::Text);
  procOutput(p, QStringLiteral("ADD_R"), flag("Add_R"), db::ParamType::Text);
  procOutput(p, QStringLiteral("MODIFY_R"), flag("Modify_R"), db::ParamType::Text);
  procOutput(p, QStringLiteral("DELETE_R"), flag("Delete_R"), db::ParamType::Text);
  procOutput(p, QStringLiteral("USERCODE"), user.isEmpty() ? QString() : user.asString(QStringLiteral("Code")), db::ParamType::Text);
  procOutput(p, QStringLiteral("SALESID"), user.isEmpty() ? 0 : user.asInt(QStringLiteral("Salesman")), db::ParamType::Integer);
  procOutput(p, QStringLiteral("Result"), 0, db::ParamType::Integer);
}

void addErrorLog(db::Connection& c, db::Params& p) {
  db::Params q;
  q.setText(QStringLiteral("LogDate"), nowText());
  q.set(QStringLiteral("CompName"), procInput(p, QStringLiteral("CompName")), db::ParamType::Text);
  q.set(QStringLiteral("LogName"), procInput(p, QStringLiteral("LogName")), db::ParamType::Text);
  q.set(QStringLiteral("UserId"), inInt(p, QStringLiteral("UserId")), db::ParamType::Integer);
  q.set(QStringLiteral("MenuId"), inInt(p, QStringLiteral("MenuId")), db::ParamType::Integer);
  q.set(QStringLiteral("ErrorMsg"), procInput(p, QStringLiteral("ErrorMsg")), db::ParamType::Text);
  c.execute(QStringLiteral("Insert Into ErrorLog (LogDate, CompName, LogName, UserId, MenuId, ErrorMsg) "
                           "Values (:LogDate, :CompName, :LogName, :UserId, :MenuId, :ErrorMsg)"),
            q);
  procOutput(p, QStringLiteral("Result"), 0, db::ParamType::Integer);
}

// ---- Company database -----------------------------------------------------------------------

void newDocumentNoProc(db::Connection& c, db::Params& p) {
  const QVariant year = inInt(p, QStringLiteral("DocYear"));
  if (year.isNull()) throw db::Error(QStringLiteral("Procedure NewDocumentNo expects parameter @DocYear, which was not supplied."));
  const QString no = newDocumentNo(c, inText(p, QStringLiteral("DocCode")), int(year.toLongLong()));
  procOutput(p, QStringLiteral("NewNo"), no, db::ParamType::Text);
  procOutput(p, QStringLiteral("Result"), 0, db::ParamType::Integer);
}

void serverTime(db::Connection&, db::Params& p) {
  procOutput(p, QStringLiteral("ServerTime"), serverNow(), db::ParamType::DateTime);
  procOutput(p, QStringLiteral("Result"), 0, db::ParamType::Integer);
}

void userAddLog(db::Connection& c, db::Params& p) {
  db::Params q;
  q.setText(QStringLiteral("LogDate"), nowText());
  for (const char* n : {"UserId", "MenuId", "FunctionListId", "DocumentId"})
    q.set(QString::fromLatin1(n), inInt(p, QString::fromLatin1(n)), db::ParamType::Integer);
  q.set(QStringLiteral("Remark"), procInput(p, QStringLiteral("Remark")), db::ParamType::Text);
  c.execute(QStringLiteral("Insert Into UserLog (LogDate, UserId, MenuId, FunctionListId, DocumentId, Remark) "
                           "Values (:LogDate, :UserId, :MenuId, :FunctionListId, :DocumentId, :Remark)"),
            q);
  procOutput(p, QStringLiteral("Result"), 0, db::ParamType::Integer);
}

// The counter row for (code, year), made from another year's counter when the year has none;
// 0 when the code has no counter in any year.
qint64 counterFor(db::Connection& c, const QString& code, int year, int depth = 0) {
  if (depth > 8) throw db::Error(QStringLiteral("Document code %1: DocNoConvert rows refer to each other in a circle").arg(code));
  db::Params q;
  q.setText(QStringLiteral("Code"), code);
  q.setInt(QStringLiteral("Year"), year);

  db::Result conv = c.select(QStringLiteral("Select DocumentNo From DocNoConvert Where Code = :Code And DocYear = :Year"), q);
  if (!conv.isEmpty()) {
    q.setInt(QStringLiteral("Id"), conv.asInt(QStringLiteral("DocumentNo")));
    if (c.select(QStringLiteral("Select Id From DocumentNo Where Id = :Id"), q).isEmpty())
      throw db::Error(QStringLiteral("DocNoConvert row %1/%2 names the missing DocumentNo row %3")
                          .arg(code)
                          .arg(year)
                          .arg(conv.asInt(QStringLiteral("DocumentNo"))));
    return conv.asInt(QStringLiteral("DocumentNo"));
  }

  db::Result own = c.select(QStringLiteral("Select Id From DocumentNo Where Code = :Code And DocYear = :Year"), q);
  if (!own.isEmpty()) return own.asInt(QStringLiteral("Id"));

  // A code converted to another code in some year keeps drawing from that code in the new year.
  const QString nearest = QStringLiteral("Order By Case When %1 < :Year Then 0 Else 1 End, Abs(%1 - :Year) Limit 1");
  db::Result otherConv = c.select(QStringLiteral("Select N.Code From DocNoConvert V Inner Join DocumentNo N On N.Id = V.DocumentNo "
                                                 "Where V.Code = :Code ") +
                                      nearest.arg(QStringLiteral("V.DocYear")),
                                  q);
  if (!otherConv.isEmpty()) {
    const QString target = otherConv.asString(QStringLiteral("Code"));
    if (target.compare(code, Qt::CaseInsensitive) != 0) {
      const qint64 id = counterFor(c, target, year, depth + 1);
      if (id > 0) {
        q.setInt(QStringLiteral("Id"), id);
        c.execute(QStringLiteral("Insert Into DocNoConvert (Code, DocYear, DocumentNo) Values (:Code, :Year, :Id)"), q);
      }
      return id;
    }
  }

  db::Result tmpl = c.select(QStringLiteral("Select Code, Description, Prefix, DocumentLength, AutoRun, DocType, DocYear "
                                            "From DocumentNo Where Code = :Code ") +
                                 nearest.arg(QStringLiteral("DocYear")),
                             q);
  if (tmpl.isEmpty()) return 0;
  db::Params n;
  n.setText(QStringLiteral("Code"), tmpl.asString(QStringLiteral("Code")));
  n.set(QStringLiteral("Description"), tmpl.value(QStringLiteral("Description")), db::ParamType::Text);
  n.setText(QStringLiteral("Prefix"), prefixForYear(tmpl.asString(QStringLiteral("Prefix")), int(tmpl.asInt(QStringLiteral("DocYear"))), year));
  n.set(QStringLiteral("DocumentLength"), tmpl.value(QStringLiteral("DocumentLength")), db::ParamType::Integer);
  n.set(QStringLiteral("AutoRun"), tmpl.value(QStringLiteral("AutoRun")), db::ParamType::Text);
  n.set(QStringLiteral("DocType"), tmpl.value(QStringLiteral("DocType")), db::ParamType::Text);
  n.setInt(QStringLiteral("Year"), year);
  c.execute(QStringLiteral("Insert Into DocumentNo (Code, Description, Prefix, LastNo, DocumentLength, AutoRun, DocType, DocYear) "
                           "Values (:Code, :Description, :Prefix, 0, :DocumentLength, :AutoRun, :DocType, :Year)"),
            n);
  return c.select(QStringLiteral("Select Id From DocumentNo Where Code = :Code And DocYear = :Year"), q).asInt(QStringLiteral("Id"));
}

}  // namespace

qint64 documentCounterId(db::Connection& conn, const QString& docCode, int docYear) {
  return counterFor(conn, docCode.trimmed(), docYear);
}

QString formatDocumentNo(const QString& prefix, qint64 number, int documentLength) {
  const QString digits = QString::number(number);
  const int room = documentLength - int(prefix.size());
  return prefix + (room > digits.size() ? digits.rightJustified(room, QLatin1Char('0')) : digits);
}

QString prefixForYear(const QString& prefix, int fromYear, int toYear) {
  if (fromYear == toYear) return prefix;
  struct Form {
    QString from, to;
  };
  const Form forms[] = {
      {QString::number(fromYear), QString::number(toYear)},
      {QString::number(fromYear + 543), QString::number(toYear + 543)},
      {QString::number(fromYear % 100).rightJustified(2, QLatin1Char('0')), QString::number(toYear % 100).rightJustified(2, QLatin1Char('0'))},
      {QString::number((fromYear + 543) % 100).rightJustified(2, QLatin1Char('0')),
       QString::number((toYear + 543) % 100).rightJustified(2, QLatin1Char('0'))},
  };
  for (const Form& f : forms) {
    const int at = prefix.indexOf(f.from);
    if (at >= 0) return prefix.left(at) + f.to + prefix.mid(at + f.from.size());
  }
  return prefix;
}

QString newDocumentNo(db::Connection& c, const QString& docCode, int docYear) {
  return newDocumentNos(c, docCode, docYear, 1).constFirst();
}

QStringList newDocumentNos(db::Connection& c, const QString& docCode, int docYear, int count) {
  const QString code = docCode.trimmed();
  if (code.isEmpty()) throw db::Error(QStringLiteral("NewDocumentNo: the document code is empty"));
  if (docYear < 1 || docYear > 9999) throw db::Error(QStringLiteral("NewDocumentNo: %1 is not a year").arg(docYear));
  if (count < 1) throw db::Error(QStringLiteral("NewDocumentNo: %1 numbers cannot be drawn").arg(count));
  TransactionScope tx(c);
  // The counter of the code and year as it stands (the one a DocNoConvert row names, or its own)
  // counts on by `count` in one statement. A counter still to be made for the year, a conversion to
  // follow from another year, or a conversion that names a missing counter take the steps of
  // counterFor: the first of `count` single draws would make the counter, the others find it.
  db::Params q;
  q.setText(QStringLiteral("Code"), code);
  q.setInt(QStringLiteral("Year"), docYear);
  q.setInt(QStringLiteral("Count"), count);
  db::Result r = c.select(QStringLiteral("Update DocumentNo Set LastNo = Coalesce(LastNo, 0) + :Count\n"
                                         "Where Id = Coalesce((Select DocumentNo From DocNoConvert Where Code = :Code And DocYear = :Year),\n"
                                         "  (Select Id From DocumentNo Where Code = :Code And DocYear = :Year))\n"
                                         "Returning Prefix, LastNo, DocumentLength"),
                          q);
  if (r.isEmpty()) {
    const qint64 id = counterFor(c, code, docYear);
    if (id <= 0)
      throw db::Error(QStringLiteral("NewDocumentNo: no document-number counter for the code '%1' (table DocumentNo)").arg(code));
    db::Params n;
    n.setInt(QStringLiteral("Id"), id);
    n.setInt(QStringLiteral("Count"), count);
    c.execute(QStringLiteral("Update DocumentNo Set LastNo = Coalesce(LastNo, 0) + :Count Where Id = :Id"), n);
    r = c.select(QStringLiteral("Select Prefix, LastNo, DocumentLength From DocumentNo Where Id = :Id"), n);
  }
  QString prefix = r.asString(QStringLiteral("Prefix"));
  while (prefix.endsWith(QLatin1Char(' '))) prefix.chop(1);
  const qint64 last = r.asInt(QStringLiteral("LastNo"));
  const int length = int(r.asInt(QStringLiteral("DocumentLength")));
  QStringList numbers;
  numbers.reserve(count);
  for (qint64 no = last - count + 1; no <= last; ++no) numbers << formatDocumentNo(prefix, no, length);
  tx.commit();
  return numbers;
}

void registerServerProcedures() {
  // Configuration database.
  db::registerEmbeddedProcedure(QStringLiteral("MENUCAPTION"), menuCaption);
  db::registerEmbeddedProcedure(QStringLiteral("AddErrorLog"), addErrorLog);
  // Company database: server services.
  db::registerEmbeddedProcedure(QStringLiteral("NewDocumentNo"), newDocumentNoProc);
  db::registerEmbeddedProcedure(QStringLiteral("ServerTime"), serverTime);
  db::registerEmbeddedProcedure(QStringLiteral("UserAddLog"), userAddLog);
  // Company database: document procedures (ConsoToIV, CopyBoxNoToIvHd, CopyBoxNoToTransFerHd, print
  // procedures of SystemForm.SpName) register here, one registerXxx() call per source file.
}

}  // namespace embedded
