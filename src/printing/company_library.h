// CompanyLibrary: the company's own record (table Company of the configuration database: name, address, tax
// number, telephone ...) for the report templates, which print it as the letterhead of every
// document. The templates' datasets run on the company data database, which does not hold it, so
// the print dialogs hand it over through one report function:
//
//   COMPANYINFO(field)   the text of a column of the company record ('NameThai', 'Address1', 'TaxNo'
//                        ...); the empty text when no company record is known. A column the record
//                        does not have is an error, so that a mistyped name shows at once.
#pragma once

#include <QString>
#include <memory>

#include "db.h"
#include "report/functions.h"

namespace printing {

class CompanyLibrary : public report::FunctionLibrary {
 public:
  CompanyLibrary();
  const QStringList& names() const override { return names_; }
  void dispatch(int index, const QString& p1, const QString& p2, const QString& p3, report::Value& result,
                report::Evaluator& evaluator) override;
  QVector<report::FunctionDescription> descriptions() const override;

  // The record the function reads (its current row); an empty result clears it.
  void setRecord(const db::Result& company);
  const db::Result& record() const { return record_; }

 private:
  QStringList names_;
  db::Result record_;
};

// The company that owns the data database of a connection, read from TALVIK_CONFIG on the same
// server (the connection's parameter lines with the database name replaced). An empty result when
// no company owns the database.
db::Result readOwningCompany(db::Connection& data);

}  // namespace printing
