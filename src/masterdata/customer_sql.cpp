#include "customer_sql.h"

namespace masterdata {

namespace {
const QString kEscape = QStringLiteral(" Escape '\\'");

// A LIKE literal: prefix, typed text with its wildcards neutralised, suffix.
QString likeLiteral(const QString& before, const QString& typed, const QString& after) {
  return QLatin1Char('\'') + before + db::likeEscaped(typed) + after + QLatin1Char('\'') + kEscape;
}
}  // namespace

QString customerSortLine(int position) {
  switch (position) {
    case 0: return QStringLiteral("Order By C.Code");
    case 1: return QStringLiteral("Order By C.Name");
    // The salesman's name is the computed column SalesName of the result; the Salesman table has no
    // column of that name, so the ordering names the result column.
    case 2: return QStringLiteral("Order By SalesName");
    case 3: return QStringLiteral("Order By P.Description");
    default: return QString();
  }
}

QStringList customerSearchLines(const CustomerSearchFilter& f, db::Dialect dialect) {
  const bool lite = dialect == db::Dialect::Sqlite;
  const QString plus = lite ? QStringLiteral("||") : QStringLiteral("+");
  QStringList s;
  s << QStringLiteral("Select C.Code, C.Name, C.NameEng, LTrim(RTrim(C.Address1))%1' '%1LTrim(RTrim(C.Address2))%1' '%1"
                      "LTrim(RTrim(C.Address3))%1' '%1P.Description Description,")
           .arg(plus);
  s << QStringLiteral("S.Name %1 '  ' %1 S.Surname SalesName, C.PhoneNO, C.FaxNO ").arg(plus);
  s << QStringLiteral("From Customer C");
  s << QStringLiteral("Inner Join Misc P On (P.Id = C.Province) And (P.Code Like ") +
           likeLiteral(QString(), f.provinceCode.trimmed(), QStringLiteral("%")) + QLatin1Char(')');
  s << QStringLiteral("Inner Join Salesman S On (S.Id = C.Salesman) And (S.Code Like ") +
           likeLiteral(QString(), f.salesmanCode.trimmed(), QStringLiteral("%")) + QLatin1Char(')');
  s << (f.includeBlocked ? QStringLiteral("Where(C.Blocked<>'Z' )") : QStringLiteral("Where(C.Blocked='N' )"));
  const QString c = f.customerCode.trimmed();
  if (!c.isEmpty()) s << QStringLiteral("And (C.Code Like ") + likeLiteral(QString(), c, QStringLiteral("%")) + QLatin1Char(')');
  const QString p = f.phone.trimmed();
  if (!p.isEmpty())
    s << QStringLiteral("  And (C.PhoneNo Like ") + likeLiteral(QStringLiteral("%"), p, QStringLiteral("%")) + QLatin1Char(')');
  const QString fx = f.fax.trimmed();
  if (!fx.isEmpty())
    s << QStringLiteral("  And (C.FaxNo Like ") + likeLiteral(QStringLiteral("%"), fx, QStringLiteral("%")) + QLatin1Char(')');
  const QString n = f.name.trimmed();
  if (!n.isEmpty())
    s << QStringLiteral("  And (C.Name Like ") + likeLiteral(QStringLiteral("%"), n, QStringLiteral("%")) + QLatin1Char(')');
  if (!f.nameEng.trimmed().isEmpty())
    s << QStringLiteral("  And (C.Nameeng Like ") + likeLiteral(QStringLiteral("%"), f.nameEng, QStringLiteral("%")) +
             QLatin1Char(')');
  for (const AttrRange& r : f.attrRanges) {
    const QString g = r.groupCode.trimmed(), b = r.beginCode.trimmed(), e = r.endCode.trimmed();
    if (b.isEmpty() && e.isEmpty()) continue;
    s << QStringLiteral("And (C.Id In (Select Customer From CustomerAttribute Where (GroupCode Between ") +
             db::quoted(g + b) + QStringLiteral(" And ") + db::quoted(g + e) + QStringLiteral(")))");
  }
  const QString order = customerSortLine(f.sortPosition);
  if (!order.isEmpty()) s << order;
  return s;
}

QStringList salesmanSearchLines(const QString& code, const QString& name, const QString& surname,
                                const QString& orderLine) {
  // Name and surname may be null; a salesman without a surname is still listed.
  return QStringList{
      QStringLiteral("Select S.Code, S.Name, S.Surname, M.Description From Salesman S"),
      QStringLiteral("Inner Join Misc M On (M.GroupCode  = 'DEPARTMENT') And (M.Id = S.Department)"),
      QStringLiteral("Where (S.Code Like ") + likeLiteral(QString(), code, QStringLiteral("%")) +
          QStringLiteral(") And (Coalesce(S.Name,'') Like ") + likeLiteral(QStringLiteral("%"), name, QStringLiteral("%")) +
          QStringLiteral(") And (Coalesce(S.SurName,'') Like ") +
          likeLiteral(QStringLiteral("%"), surname, QStringLiteral("%")) + QLatin1Char(')'),
      orderLine};
}

QStringList miscSearchLines() {
  return QStringList{
      QStringLiteral("Select id, code, groupcode, description From misc"),
      QStringLiteral("Where (groupcode = :InputGroup) And ((description Like :InputName Escape '\\') Or "
                     "(code Like :InputName Escape '\\'))"),
      QStringLiteral("Order By Code")};
}

QStringList cusAttrCodeSearchLines(int attrGroupId, const QString& text, bool fullWord) {
  QStringList s{QStringLiteral("Select Id,Code,Description From CusAttrCode"),
                QStringLiteral("Where CusAttrGroup = ") + QString::number(attrGroupId)};
  const QString d = text.trimmed();
  if (!d.isEmpty()) {
    if (fullWord)
      s << QStringLiteral("And ((Description = ") + db::quoted(d) + QStringLiteral(") Or (Code = ") + db::quoted(d) +
               QStringLiteral("))");
    else
      s << QStringLiteral("And ((Description Like ") + likeLiteral(QStringLiteral("%"), d, QStringLiteral("%")) +
               QStringLiteral(") Or (Code Like ") + likeLiteral(QStringLiteral("%"), d, QStringLiteral("%")) +
               QStringLiteral("))");
  }
  s << QStringLiteral("Order By Code");
  return s;
}

QStringList customerDetailLines() {
  // Left joins: a customer without a salesman or a tax code still has its detail row.
  return QStringList{
      QStringLiteral("Select C.Id, C.HeadCode, C.Vendor, C.TaxNumber, C.TaxCode, C.Address1, C.Address2, C.Address3,"),
      QStringLiteral("C.Province, C.ZipCode, C.PhoneNo, C.FaxNo, C.OpenAccount, C.DueDays, C.CreditLimit, C.Transport,"),
      QStringLiteral("C.PriceLevel, C.DirectCus, C.LocalCustomer, C.DropCredit, C.Blocked, C.Salesman, S.Code,"),
      QStringLiteral("T.Id TaxId, T.Code CodeTax, T.Rate TaxRate, S.Department, C.DiscName1, C.DiscRate1,"),
      QStringLiteral("C.DiscName2, C.DiscRate2, C.DiscName3, C.DiscRate3"),
      QStringLiteral("From Customer C"),
      QStringLiteral("Left Join Salesman S On (C.Salesman = S.ID)"),
      QStringLiteral("Left Join Tax T On (T.Id = C.TaxCode)"),
      QStringLiteral("Where C.Code = :GetCode")};
}

const QStringList& copiedCustomerColumns() {
  static const QStringList cols = QStringLiteral(
      "Code CustomerGroup HeadCode Vendor Name NameShort TaxNumber TaxCode Address1 Address2 Address3 Province "
      "ZIPCode PhoneNo FaxNo OpenAccount DueDays CreditLimit Salesman Transport PriceLevel DirectCus Remark Picture "
      "LocalCustomer DropCredit Blocked Barcode BarCodeId Email Website AddDate Currency fob statementperiod "
      "billperiod chqperiod NameEng DiscountStr DistanceKm DistanceCost PictureMap DiscName1 DiscRate1 DiscName2 "
      "DiscRate2 DiscName3 DiscRate3 CustomerOther BranchHead BranchCode Zone")
                                      .split(QLatin1Char(' '));
  return cols;
}

QStringList customerHeadLines() {
  QStringList cols;
  for (const QString& c : copiedCustomerColumns()) cols << QStringLiteral("C.") + c;
  return QStringList{
      QStringLiteral("Select C.Id, ") + cols.join(QStringLiteral(", ")) + QLatin1Char(','),
      QStringLiteral("G.Code CustomerGroupCode, S.Code SalesmanCode, P.Code ProvinceCode, P.Description ProvinceName"),
      QStringLiteral("From Customer C"),
      QStringLiteral("Left Join CustomerGroup G On (G.Id = C.CustomerGroup)"),
      QStringLiteral("Left Join Salesman S On (S.Id = C.Salesman)"),
      QStringLiteral("Left Join Misc P On (P.GroupCode = 'CITY') And (P.Id = C.Province)"),
      QStringLiteral("Where C.Code = :Code")};
}

db::SqlText customerCopyStatement() {
  const QStringList& cols = copiedCustomerColumns();
  QStringList values, sets;
  for (const QString& c : cols) {
    values << QLatin1Char(':') + c;
    sets << c + QStringLiteral(" = :") + c;
  }
  const QString colList = cols.join(QStringLiteral(", "));
  const QString valueList = values.join(QStringLiteral(", "));
  const QString update = QStringLiteral("Update Customer Set ") + sets.join(QStringLiteral(", ")) +
                         QStringLiteral(" Where Id = :Id");
  db::SqlText t;
  t.tsql = QStringLiteral("If Not Exists (Select Id From Customer Where Code = :Code)\n") +
           QStringLiteral("  Insert Into Customer (") + colList + QStringLiteral(")\n  Values (") + valueList +
           QStringLiteral(")\nElse\n  ") + update;
  // The embedded server has no If/Else: the insert selects nothing when the code exists, and the
  // update finds no row when there was none (Id is then null).
  t.sqlite = QStringLiteral("Insert Into Customer (") + colList + QStringLiteral(")\n  Select ") + valueList +
             QStringLiteral("\n  Where Not Exists (Select Id From Customer Where Code = :Code);\n") + update;
  return t;
}

QStringList cusAttrGroupLines() {
  return QStringList{
      QStringLiteral("Select G.Id, G.Code, G.Description, C.Id BeginAttrId, C.Code BeginAttrCode,"),
      QStringLiteral("C.Id EndAttrId, C.Code EndAttrCode"),
      QStringLiteral("From CusAttrGroup G"),
      QStringLiteral("Left Join CusAttrCode C On (C.CusAttrGroup = G.Id) And (C.Id = 0)"),
      QStringLiteral("Order By G.Description")};
}

QString localIdByCodeSql(const QString& table) { return QStringLiteral("Select Id From %1 Where Code = :Code").arg(table); }

QString lowestIdSql(const QString& table) { return QStringLiteral("Select Min(Id) Id From ") + table; }

QString provinceIdByCodeSql() { return QStringLiteral("Select Id From Misc Where (GroupCode = 'CITY') And (Code = :Code)"); }

QString provinceInsertSql() {
  return QStringLiteral("Insert Into Misc (GroupCode, Code, Description, Blocked) Values ('CITY', :Code, :Description, 'N')");
}

QStringList salesmanFrameLines() {
  return QStringList{
      QStringLiteral("Select id, code, name, surname, department, status, startdate, stopdate, address1, address2,"),
      QStringLiteral("address3, province, zipcode, phoneno, faxno, email"),
      QStringLiteral("From salesman"),
      QStringLiteral("Where code = :getcode")};
}

QStringList nullRowLines() { return QStringList{QStringLiteral("Select 0 SalesId, 0 ProvinceId From NullTable")}; }

}  // namespace masterdata
