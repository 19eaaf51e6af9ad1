#!/usr/bin/env python3
"""Every T-SQL text the program defines is in the catalogue of `consolidate-db statements --tsql`,
so that the grammar check reads it.

The statements are found in the sources, where they are defined:
- every statement entered through TSQL_STATEMENT or TSQL_STATEMENT_OBJECT (src/db/tsql.h), also
  through a macro of a statement file that expands to one;
- every db::SqlText defined outside those macros: objects at namespace scope and functions without
  arguments that return one (the "make" functions a statement macro calls excepted);
- every function a statement header (*_sql.h) declares that returns a text (QString, QStringList,
  db::SqlText), less the few listed below that return a fragment or a name;
- the query and script components of the data modules (src/data/*.h) and every stored procedure
  component named by a literal.
A statement whose T-SQL text is empty runs on the embedded server only and is not looked for.
A definition is found in the catalogue under its own name (the catalogue's names are "group/name",
"group/name.variant" or "group/connection.name"), under its name without the suffix that says how
it is held (Lines, Sql, Statement, and Head/Tail for the parts of a batch read), or under the name
listed below.

usage: catalogue_complete.py CONSOLIDATE_DB SOURCE_DIR
"""
import os
import re
import subprocess
import sys
import tempfile

# Functions of the statement headers that return no statement of their own.
NOT_STATEMENTS = {
    "lines": "splits a text into the lines a query component holds",
    "customerSortLine": "the Order By line of the customer searches, part of customerSearch.*",
    "BoundInList": "the bound list that completes the head of a batch read, part of QChkSoHd, QGetSalesmen, ...",
    "InsertSoDtRowParam": "the name of a parameter",
    "InsertSoHdRowParams": "the names of parameters",
    "InListParams": "the names of parameters",
    "copiedCustomerColumns": "the names of columns",
    "InsertSoHdRows": "the embedded server's many-header insert; SQL Server gets one SQLInsertSoHd per header",
}
# Definitions listed in the catalogue under another name.
LISTED_AS = {
    "InsertSoDtRows": "SQLInsertSoDtRows",
    "PurgeBatch": "purge",
}
SUFFIXES = ("Lines", "Sql", "Statement", "Head", "Tail")

TEXT_TYPE = r"(?:const\s+)?(?:db::SqlText|QStringList|QString)\s*&?"


def sources(source_dir):
    for root, _, files in os.walk(os.path.join(source_dir, "src")):
        for f in sorted(files):
            if f.endswith((".h", ".cpp")):
                path = os.path.join(root, f)
                with open(path, encoding="utf-8") as fh:
                    yield os.path.relpath(path, source_dir), fh.read()


def defined_statements(source_dir):
    """(name, where) of every T-SQL text the sources define."""
    found = []
    files = list(sources(source_dir))
    # Macros of statement files that expand to TSQL_STATEMENT with their argument as the name.
    wrappers = set()
    for path, text in files:
        if path.startswith(os.path.join("src", "db")):
            continue
        for m in re.finditer(r"^#define\s+(\w+)\((\w+)\)((?:.*\\\n)*.*)$", text, re.M):
            if re.search(r"TSQL_STATEMENT(?:_OBJECT)?\([^()]*(?:\([^()]*\))?[^()]*\b%s\)" % re.escape(m.group(2)), m.group(3)):
                wrappers.add(m.group(1))
    # Statements whose T-SQL text is empty: they run on the embedded server only.
    embedded_only = set()
    for path, text in files:
        for m in re.finditer(r"(?:\bTSQL_STATEMENT_OBJECT\(\s*[^,]+,\s*(\w+)\)|^const\s+db::SqlText\s+(\w+))\s*\{\s*(?:QString\(\)|\{\})\s*,",
                             text, re.M):
            embedded_only.add(m.group(1) or m.group(2))
    for path, text in files:
        if path.startswith(os.path.join("src", "db")):
            continue  # the registry itself
        text = re.sub(r"^#define\s(?:.*\\\n)*.*", "", text, flags=re.M)  # macro bodies name no statement
        for m in re.finditer(r"\bTSQL_STATEMENT\(\s*[^,]+,\s*[^,]+,\s*(\w+)\)", text):
            found.append((m.group(1), path))
        for m in re.finditer(r"\bTSQL_STATEMENT_OBJECT\(\s*[^,]+,\s*(\w+)\)", text):
            found.append((m.group(1), path))
        for w in wrappers:
            for m in re.finditer(r"^%s\((\w+)\)" % re.escape(w), text, re.M):
                found.append((m.group(1), path))
        # Statements defined without the registry's macros.
        for m in re.finditer(r"^(?:extern\s+)?const\s+db::SqlText\s+(\w+)\s*[{=;]", text, re.M):
            found.append((m.group(1), path))
        for m in re.finditer(r"^(?:const\s+)?db::SqlText\s*&?\s*(\w+)\(\)", text, re.M):
            if not m.group(1).startswith("make"):
                found.append((m.group(1), path))
        if path.endswith("_sql.h"):
            for m in re.finditer(r"^%s\s*(\w+)\(" % TEXT_TYPE, text, re.M):
                if m.group(1) not in NOT_STATEMENTS:
                    found.append((m.group(1), path))
        if path.startswith(os.path.join("src", "data")) and path.endswith(".h"):
            for m in re.finditer(r"^\s*db::(?:Query|Script)\s+(\w+)\s*\{", text, re.M):
                found.append((m.group(1), path))
        for m in re.finditer(r"\bdb::StoredProc\s+\w+\s*\{\s*\w+\s*,\s*QStringLiteral\(\"(\w+)\"\)", text):
            found.append((m.group(1), path))
    return [(n, p) for n, p in found if n not in embedded_only]


def catalogue_keys(consolidate_db):
    with tempfile.TemporaryDirectory() as work:
        run = subprocess.run([consolidate_db, "statements", "--tsql", "--out", work], capture_output=True, text=True)
        if run.returncode != 0:
            sys.exit("consolidate-db statements failed:\n" + run.stderr)
        with open(os.path.join(work, "index.tsv"), encoding="utf-8") as f:
            names = [line.rstrip("\n").split("\t", 1)[1] for line in f if line.strip()]
    keys = set()
    for name in names:
        keys.update(name.split("/", 1)[-1].split("."))
    return names, keys


def listed(name, keys):
    candidates = {name, LISTED_AS.get(name, name)}
    if re.match(r"^k[A-Z]", name):  # a constant kQName holds the text of the component QName
        candidates.add(name[1:])
    for c in list(candidates):
        for suffix in SUFFIXES:
            if c.endswith(suffix) and len(c) > len(suffix):
                candidates.add(c[: -len(suffix)])
    return any(c in keys for c in candidates)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    names, keys = catalogue_keys(sys.argv[1])
    duplicates = sorted({n for n in names if names.count(n) > 1})
    found = defined_statements(sys.argv[2])
    missing = sorted({(n, p) for n, p in found if not listed(n, keys)})
    print("%d statement definitions checked against %d catalogue texts" % (len(found), len(names)))
    for n, p in missing:
        print("FAIL %s (%s) is not in the catalogue of consolidate-db statements --tsql" % (n, p))
    for n in duplicates:
        print("FAIL %s is in the catalogue more than once" % n)
    if not found:
        print("FAIL no statement definition found under %s/src" % sys.argv[2])
    return 1 if missing or duplicates or not found else 0


if __name__ == "__main__":
    sys.exit(main())
