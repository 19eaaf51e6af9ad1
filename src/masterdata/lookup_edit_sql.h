// The two reads of the lookup edit (TKIdLookup): the row of a code (:Code), with the edit's filter
// when it has one, and the row of an Id (:Id). The table and field names are the program's own.
#pragma once

#include <QString>

namespace masterdata {

QString lookupByCodeSql(const QString& idField, const QString& codeField, const QString& descField, const QString& table,
                        const QString& filter);
QString lookupByIdSql(const QString& idField, const QString& codeField, const QString& descField, const QString& table);

}  // namespace masterdata
