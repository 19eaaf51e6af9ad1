// The T-SQL texts of the printing layer, for the catalogue of `consolidate-db statements`
// (printing_tsql_catalogue.cpp).
#pragma once

#include <QVector>

#include "tsql.h"

namespace printing {

// The print dialog's schema script, its form list and the call of a form's procedure (SpName).
QVector<db::CatalogueText> PrintDialogTsqlTexts();
// The read of the company that owns the data database (report function library).
QVector<db::CatalogueText> CompanyLibraryTsqlTexts();

}  // namespace printing
