#!/usr/bin/env python3
"""Reads the exports written by export_file_test.cpp with real readers and
checks that every cell comes back. Usage: read_exports.py FOLDER.
Prints what differs and exits 1; exits 0 when all files read right."""
import csv
import html.parser
import io
import os
import sys

# The rows the test exports; keep in step with export_file_test.cpp.
LONG_PATH = "/" + "p" * 299
HEADER = ["", "Zeit", "Name", "Name alt"]
ROWS = [
    ["", "12:00:00.000", '/tmp/say "hi";<b>&amp;', "a\tb\rc\nd"],
    ["", "12:00:00.001", "/tmp/caf\u00e9 \u20ac \u03a9 \ufffd", ""],  # \ufffd: a 0xFF byte
    ["", "12:00:00.002", LONG_PATH, "x"],
    ["@", "-1", "=cmd|' /C calc'!A0", "\r=1+2 (30226)"],
    ["", "+1", "=1+2 (30226)", "a=b"],
]
FULL_ROWS = 16384  # a full sheet, header included; keep in step with biff2::kMaxRows
TREE_HEADER = ["Datei", "N"]
TREE_ROWS = [["=1+2", "@3"], ['/tmp/x;y "q" <i>&', ""], ["    caf\u00e9 z", "1"]]

failures = []


def check(name, got, expected):
    if got != expected:
        failures.append(f"{name}:\n  got      {got!r}\n  expected {expected!r}")


def flattened(rows):
    return [[c.replace("\t", " ").replace("\r", " ").replace("\n", " ") for c in r] for r in rows]


def guarded(rows):
    """A cell a spreadsheet would take for a formula is marked as text."""
    return [["'" + c if c[:1] in ("=", "+", "-", "@", "\t", "\r") else c for c in r] for r in rows]


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


def html_cells(rows, keep_blanks=False):
    def cell(text):
        if keep_blanks:
            text = text.replace("  ", " \u00a0")
        return text if text else "\u00a0"
    return [[cell(c) for c in r] for r in rows]


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
    check("flat.txt", [line.split("\t")[:-1] for line in text.split("\r\n")[:-1]], flattened(guarded(flat)))
    check("flat.csv", read_csv(path("flat.csv")), flattened(guarded(flat)))
    check("flat.html", read_html(path("flat.html")), html_cells(flat))
    tree = [TREE_HEADER] + TREE_ROWS
    check("tree.csv", read_csv(path("tree.csv")), guarded(tree))
    check("tree.html", read_html(path("tree.html")), html_cells(tree, keep_blanks=True))
    try:
        import xlrd  # noqa: F401
    except ImportError:
        failures.append("python3-xlrd is missing (scripts/install-deps.sh installs it)")
    else:
        check("flat.xls", read_xls(path("flat.xls")), xls_cells(flat))
        check("tree.xls", read_xls(path("tree.xls")), xls_cells(tree))
        full = read_xls(path("full.xls"))
        check("full.xls", (len(full), full[-1]), (FULL_ROWS, [f"\u00c4 {FULL_ROWS - 1}"]))
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
