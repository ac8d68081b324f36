#!/usr/bin/env python3
"""Reads the exports written by export_file_test.cpp with real readers and
checks that every cell comes back: a name as the window shows it, whose
escapes ("\\xHH", "\\\\") undo to its exact bytes. Usage: read_exports.py FOLDER.
Prints what differs and exits 1; exits 0 when all files read right."""
import csv
import html.parser
import os
import re
import sys
import unicodedata

# The rows the test exports, as bytes; keep in step with export_file_test.cpp.
LONG_PATH = b"/" + b"p" * 299
HEADER = [b"", b"Zeit", b"Name", b"Name alt"]
ROWS = [
    [b"", b"12:00:00.000", b'/tmp/say "hi";<b>&amp;', b"a\tb\rc\nd"],
    [b"", b"12:00:00.001", b"/tmp/caf\xc3\xa9 \xe2\x82\xac \xce\xa9 \xff", b""],
    [b"", b"12:00:00.002", LONG_PATH, b"x"],
    [b"@", b"-1", b"=cmd|' /C calc'!A0", b"\r=1+2 (30226)"],
    [b"", b"+1", b"=1+2 (30226)", b"a=b"],
    [b"", b"12:00:00.003", b"bad\xffname", b"bad\\xffname"],  # a byte and its escape's letters
    [b"", b"12:00:00.004", b"esc\x1b[2J\xe2\x80\xaefdp.exe", b"z\xe2\x80\x8bw"],
]
FULL_ROWS = 16384  # a full sheet, header included; keep in step with biff2::kMaxRows
TREE_HEADER = [b"Datei", b"N"]
TREE_ROWS = [[b"=1+2", b"@3"], [b'/tmp/x;y "q" <i>&', b""], [b"    caf\xc3\xa9\tz", b"1"]]
FORMULA_STARTS = (b"=", b"+", b"-", b"@")
HIDDEN_CATEGORIES = ("Cc", "Cf", "Zl", "Zp")  # controls and invisible formats

failures = []


def check(name, got, expected):
    if got != expected:
        failures.append(f"{name}:\n  got      {got!r}\n  expected {expected!r}")


def unescape(text):
    """The bytes a shown text stands for."""
    return re.sub(rb"\\(\\|x[0-9a-f]{2})",
                  lambda m: b"\\" if m[1] == b"\\" else bytes([int(m[1][1:], 16)]), text.encode())


def check_back(name, got, expected, empty="", guard=True):
    """Each cell shows nothing hidden, is marked "'" where its name starts
    like a formula, and undoes to the name's bytes."""
    def back(cell, want):
        marked = guard and want[:1] in FORMULA_STARTS
        hidden = any(unicodedata.category(c) in HIDDEN_CATEGORIES for c in cell)
        if hidden or marked != (cell[:1] == "'"):
            return cell
        text = cell[1:] if marked else cell
        return b"" if text == empty else unescape(text)
    check(name, [[back(c, w) for c, w in zip(r, e)] + r[len(e):] for r, e in zip(got, expected)]
          + got[len(expected):], expected)


def shown(rows, originals):
    """Cells read from the text export without their formula marks."""
    return [[c[1:] if w[:1] in FORMULA_STARTS else c for c, w in zip(r, o)]
            for r, o in zip(rows, originals)]


def read_text(path):
    with open(path, "rb") as f:
        return f.read().decode("utf-8")  # strict: the file must be valid UTF-8


def read_csv(path):
    with open(path, newline="", encoding="utf-8") as f:
        return [row[:-1] for row in csv.reader(f, delimiter=";")]  # drop the field after the last ";"


class Cells(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.rows, self.cell = [], None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag == "td":
            self.cell = ""

    def handle_endtag(self, tag):
        if tag == "td" and self.cell is not None:
            self.rows[-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def read_html(path):
    raw = open(path, "rb").read()
    if any(b >= 0x80 for b in raw):
        failures.append(f"{path}: bytes beyond ASCII")
    parser = Cells()
    parser.feed(raw.decode("ascii", errors="replace"))
    return [r for r in parser.rows if r]


def without_kept_blanks(rows):
    return [[c.replace(" \u00a0", "  ") for c in r] for r in rows]


def read_xls(path):
    import xlrd
    book = xlrd.open_workbook(path)  # the file names its code page
    sheet = book.sheet_by_index(0)
    return [[sheet.cell_value(r, c) for c in range(sheet.ncols)] for r in range(sheet.nrows)]


def xls_cells(rows):
    def cell(text):
        return text.encode("cp1252", errors="replace").decode("cp1252")[:255]
    return [[cell(c) for c in r] for r in rows]


def main(folder):
    path = lambda name: os.path.join(folder, name)
    flat = [HEADER] + ROWS
    text = read_text(path("flat.txt"))
    text_cells = [line.split("\t")[:-1] for line in text.split("\r\n")[:-1]]
    check_back("flat.txt", text_cells, flat)
    check_back("flat.csv", read_csv(path("flat.csv")), flat)
    check_back("flat.html", read_html(path("flat.html")), flat, empty="\u00a0", guard=False)
    tree = [TREE_HEADER] + TREE_ROWS
    tree_cells = read_csv(path("tree.csv"))
    check_back("tree.csv", tree_cells, tree)
    check_back("tree.html", without_kept_blanks(read_html(path("tree.html"))), tree,
               empty="\u00a0", guard=False)
    try:
        import xlrd  # noqa: F401
    except ImportError:
        failures.append("python3-xlrd is missing (scripts/install-deps.sh installs it)")
    else:
        check("flat.xls", read_xls(path("flat.xls")), xls_cells(shown(text_cells, flat)))
        check("tree.xls", read_xls(path("tree.xls")), xls_cells(shown(tree_cells, tree)))
        full = read_xls(path("full.xls"))
        check("full.xls", (len(full), full[-1]), (FULL_ROWS, [f"\u00c4 {FULL_ROWS - 1}"]))
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
