// Drawing many document numbers of the embedded server at once.
#pragma once

#include <QStringList>

#include "db.h"

namespace embedded {

// `count` new numbers of the series docCode for the year at once (count >= 1): one change of the
// counter, and the numbers `count` calls of newDocumentNo (procedures.h) one after the other would
// give, in that order, the counter of a new year or a conversion made as the first of them would.
QStringList newDocumentNos(db::Connection& conn, const QString& docCode, int docYear, int count);

}  // namespace embedded
