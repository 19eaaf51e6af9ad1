#!/usr/bin/env python3
"""The grammar check of every T-SQL text the program can send to SQL Server.

No SQL Server runs on the build machines, so each text printed by `consolidate-db statements --tsql`
is parsed with a real T-SQL grammar (sqlfluff, dialect tsql), all of them in one sqlfluff run, and
refused when it holds a function or clause that only the embedded server (SQLite) knows.

Where the packaged grammar cannot parse a construct that is valid T-SQL, the text is parsed with
the construct's inner text (or the construct without the part the grammar lacks) instead; every
text that needed this is listed in docs/database.md (section "T-SQL grammar check"), and the list
must match exactly.

usage: tsql_grammar_check.py CONSOLIDATE_DB SOURCE_DIR
"""
import json
import os
import re
import subprocess
import sys
import tempfile

# Functions and clauses of SQLite that SQL Server does not have.
EMBEDDED_ONLY = [
    (re.compile(r"\bIfNull\s*\(", re.I), "IfNull("),
    (re.compile(r"\bgroup_concat\s*\(", re.I), "group_concat("),
    (re.compile(r"\bsubstr\s*\(", re.I), "substr("),
    (re.compile(r"\bstrftime\s*\(", re.I), "strftime("),
    (re.compile(r"\bjulianday\s*\(", re.I), "julianday("),
    (re.compile(r"\bLimit\b", re.I), "Limit"),
    (re.compile(r"\|\|"), "||"),
]

# Valid T-SQL that the packaged grammar (sqlfluff 1.4) does not parse, and what is parsed in its
# place. Each text that needs one is listed in docs/database.md.
GRAMMAR_GAPS = [
    # Exec('...'): a batch run from a literal; its inner text is parsed instead.
    (re.compile(r"\bExec(?:ute)?\s*\(\s*'((?:[^']|'')*)'\s*\)", re.I), lambda m: " " + m.group(1).replace("''", "'") + " "),
    # Create Type T From base(n) [Null | Not Null]: the grammar knows only an unsized base type
    # without nullability.
    (re.compile(r"\b(Create\s+Type\s+\w+\s+From\s+\w+)\s*(?:\(\s*\d+\s*\))?(?:\s+(?:Not\s+)?Null)?", re.I), lambda m: m.group(1)),
    # Alter Table T Add c1 ..., c2 ...: several columns in one statement; each column is parsed in a
    # statement of its own.
    (re.compile(r"\b(Alter\s+Table\s+(\w+)\s+Add\s+)([^,\n]+),\s*([^\n]+)", re.I),
     lambda m: "%s%s\nAlter Table %s Add %s" % (m.group(1), m.group(3).rstrip(), m.group(2), m.group(4))),
]


def code_only(text):
    """The text without its literals, bracketed names and comments (what the server reads as code)."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if c in "'[\"":
            close = "]" if c == "[" else c
            j = i + 1
            while j < n:
                if text[j] == close:
                    if close != "]" and j + 1 < n and text[j + 1] == close:
                        j += 2
                        continue
                    break
                j += 1
            out.append(" ")
            i = j + 1
        elif text.startswith("--", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def listed_exceptions(source_dir):
    """The names listed in docs/database.md under "T-SQL grammar check", "Parsed by their inner text"."""
    with open(os.path.join(source_dir, "docs", "database.md"), encoding="utf-8") as f:
        doc = f.read()
    m = re.search(r"^## T-SQL grammar check$(.*?)(?=^## |\Z)", doc, re.M | re.S)
    if not m:
        return None
    names = set()
    in_list = False
    for line in m.group(1).splitlines():
        if line.startswith("Parsed by their inner text"):
            in_list = True
            continue
        if in_list:
            item = re.match(r"^- `([^`]+)`", line)
            if item:
                names.add(item.group(1))
            elif line.strip() and not line.startswith(" "):
                in_list = False
    return names


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    consolidate_db, source_dir = sys.argv[1], sys.argv[2]
    failures = []
    with tempfile.TemporaryDirectory() as work:
        texts_dir = os.path.join(work, "texts")
        run = subprocess.run([consolidate_db, "statements", "--tsql", "--out", texts_dir], capture_output=True, text=True)
        if run.returncode != 0:
            print(run.stderr)
            return 1
        with open(os.path.join(texts_dir, "index.tsv"), encoding="utf-8") as f:
            names = dict(line.rstrip("\n").split("\t", 1) for line in f if line.strip())
        # The T-SQL scripts shipped for a production database (templates/*.sql).
        shipped = os.path.join(source_dir, "templates")
        for n, script in enumerate(sorted(f for f in os.listdir(shipped) if f.endswith(".sql")), start=1):
            file = "900-shipped-%d.sql" % n
            with open(os.path.join(shipped, script), encoding="utf-8") as src, open(os.path.join(texts_dir, file), "w", encoding="utf-8") as dst:
                dst.write(src.read())
            names[file] = "templates/" + script
        files = sorted(names)
        if not files:
            print("the catalogue is empty")
            return 1

        parse_dir = os.path.join(work, "parse")
        os.mkdir(parse_dir)
        with open(os.path.join(parse_dir, ".sqlfluff"), "w") as f:
            f.write("[sqlfluff]\ndialect = tsql\ntemplater = raw\nlarge_file_skip_byte_limit = 0\n")
        rewritten = set()
        for file in files:
            name = names[file]
            with open(os.path.join(texts_dir, file), encoding="utf-8") as f:
                text = f.read()
            code = code_only(text)
            for pattern, what in EMBEDDED_ONLY:
                if pattern.search(code):
                    failures.append("%s: holds %s, which only the embedded server knows" % (name, what))
            inner = text
            for pattern, replacement in GRAMMAR_GAPS:
                inner = pattern.sub(replacement, inner)
            if inner != text:
                rewritten.add(name)
            with open(os.path.join(parse_dir, file), "w", encoding="utf-8") as f:
                f.write(inner)

        # One sqlfluff run over the folder (lint with one cheap rule: it parses every file and reports
        # what it cannot parse as PRS, with line and position).
        lint = subprocess.run(["sqlfluff", "lint", "--rules", "L001", "--format", "json", "--processes", str(os.cpu_count() or 1),
                               "--disable-progress-bar", "--nofail", parse_dir], capture_output=True, text=True, cwd=parse_dir)
        try:
            results = json.loads(lint.stdout)
        except json.JSONDecodeError:
            print("sqlfluff gave no result:\n" + lint.stdout[-2000:] + lint.stderr[-2000:])
            return 1
        for r in results:
            file = os.path.basename(r.get("filepath", ""))
            for v in r.get("violations", []):
                if v.get("code") in ("PRS", "TMP", "LXR"):
                    failures.append("%s (%s) does not parse as T-SQL: %s" % (names.get(file, file), file, v.get("description", "")))

        listed = listed_exceptions(source_dir)
        if listed is None:
            failures.append("docs/database.md has no section \"T-SQL grammar check\"")
        elif listed != rewritten:
            for n in sorted(rewritten - listed):
                failures.append("%s is parsed by its inner text but is not listed in docs/database.md" % n)
            for n in sorted(listed - rewritten):
                failures.append("%s is listed in docs/database.md but no longer needs its inner text parsed" % n)

    print("%d T-SQL texts parsed, %d by their inner text" % (len(files), len(rewritten)))
    for f in failures:
        print("FAIL " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
