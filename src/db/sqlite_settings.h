#pragma once

namespace db {

// The settings every embedded database handle is opened with (run once on a new handle). Among
// them the size of its page cache: SQLite's default of 2 MB is smaller than the pages one opening
// of a large document reads (its lines, their orders, customers, products, units and stock), and
// would read them again from the file at every opening and evict them within one statement.
inline const char* kSqliteHandleSettings =
    "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=OFF; PRAGMA cache_size=-32768;";

}  // namespace db
