// The schema of the two databases of a site, held as data in one place.
//
// Every table and column the program reads or writes is listed here with the type it has on the
// production server. From this one list the embedded server creates its SQLite files, and
// `consolidate-db schema --tsql` prints the T-SQL DDL for a production database.
//
// Some tables and columns are not part of an old database: the program adds them itself when it
// starts (the "upgrade" objects, e.g. Menu.Version, SoHd.ConsoNo, the table CheckVersionProgramEXE).
// A site is normally created with them already in place; a site created with `baseSchema` leaves
// them out, so that the program's own upgrade steps can be exercised.
//
// The declarative upgrade helpers at the end work on both dialects: they ask the catalogue
// (SysObjects/SysColumns on SQL Server, pragma_table_info on SQLite) and add what is missing.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "db.h"

namespace embedded {

enum class DatabaseKind { Config, Company };

enum class ColumnKind {
  Identity,  // IdNo Identity(1,1) Not Null, the table's key; SQLite INTEGER PRIMARY KEY AUTOINCREMENT
  Key,       // Int Not Null primary key without identity (fixed ids: Menu.Id, Config.Id)
  IdNo,      // the identifier type IdNo (int)
  Integer,   // Int
  Flag,      // the one-character flag type CharFlag ("Y"/"N")
  Char,      // Char(size)
  VarChar,   // VarChar(size)
  DateTime,  // DateTime; SQLite: ISO text "yyyy-MM-dd HH:mm:ss"
  Decimal,   // Decimal(size, scale); SQLite: REAL
  Float,     // Float; SQLite: REAL
  Text,      // VarChar(Max)
  Image,     // Image; SQLite: BLOB
};

struct ColumnDef {
  QString name;
  ColumnKind kind = ColumnKind::Integer;
  int size = 0;
  int scale = 0;
  bool notNull = false;
  bool upgrade = false;  // added by the program's own upgrade step
};

struct IndexDef {
  QString name;
  QStringList columns;
  bool unique = false;
};

struct TableDef {
  QString name;
  DatabaseKind database = DatabaseKind::Company;
  bool upgrade = false;          // the whole table is created by the program's upgrade step
  QString purpose;               // one line for the schema documentation
  QVector<ColumnDef> columns;
  QVector<IndexDef> indexes;
  QString primaryKeyName;        // empty: PK_<table>
  bool primaryKeyNonClustered = false;

  const ColumnDef* column(const QString& name) const;  // case-insensitive; null when missing
  QString keyColumn() const;                           // the Identity or Key column, or empty
};

// The tables of a database, in creation order.
const QVector<TableDef>& tables(DatabaseKind kind);
const TableDef* findTable(DatabaseKind kind, const QString& name);
// The database that holds a table of that name (the configuration database's tables first).
const TableDef* findTableAnywhere(const QString& name);

// The column's type as written in a CREATE TABLE / ALTER TABLE ... ADD of the dialect.
QString columnType(const ColumnDef& c, DatabaseKind kind, db::Dialect dialect);

struct RenderOptions {
  bool includeUpgrade = true;  // false: leave out the objects the program's upgrade adds
  bool indexes = true;
  bool tables = true;
};
// The DDL statements of one table (CREATE TABLE and CREATE INDEX), one statement per entry.
QStringList tableStatements(const TableDef& t, db::Dialect dialect, const RenderOptions& o = {});
// The DDL of a whole database as one script. T-SQL batches are separated by "GO" lines; the SQLite
// rendering ends each statement with ";" and includes the catalogue views.
QString renderSchema(DatabaseKind kind, db::Dialect dialect, const RenderOptions& o = {});
// The schema as Markdown (docs/schema.md is this text).
QString renderMarkdown();

// The SQLite views SysObjects (Id, Name, XType: 'U' table, 'V' view, 'S' internal) and SysColumns
// (Id, Name) over the real catalogue, so that catalogue reads written for SQL Server run as they are.
QStringList catalogueViewStatements();

// Creates the tables (and/or indexes) of a database on an open connection.
void createSchema(db::Connection& conn, DatabaseKind kind, const RenderOptions& o = {});

// ---- Declarative upgrade steps, on either dialect -------------------------------------------
bool tableExists(db::Connection& conn, const QString& table);
bool columnExists(db::Connection& conn, const QString& table, const QString& column);
// Creates a table of the schema with all its columns and indexes when it is missing, in one
// transaction (the caller's, or one of its own); true when created.
bool ensureTable(db::Connection& conn, DatabaseKind kind, const QString& table);
// Adds a column of the schema to its table when it is missing (type from the schema); true when
// added.
bool ensureColumn(db::Connection& conn, DatabaseKind kind, const QString& table, const QString& column);
// Adds a column with a type written in T-SQL ("CharFlag", "IdNo", "Char(10)", "Integer",
// "DateTime") when it is missing; on SQLite the type is mapped to its SQLite form. True when added.
bool ensureColumn(db::Connection& conn, const QString& table, const QString& column, const QString& tsqlType);
// The SQLite form of a T-SQL column type.
QString sqliteTypeOf(const QString& tsqlType);

}  // namespace embedded
