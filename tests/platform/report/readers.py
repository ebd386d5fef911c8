"""Reads back every export in a folder with readers written elsewhere and prints one dump.

Each file gets a section "== <file>" followed by its rows, cells joined by "|", or the line
"SKIP <tool>" when the reader is not installed. Cells are printed as the reader gives them:
numbers without a needless ".0", dates as yyyy-mm-dd, missing cells empty.
"""
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from html.parser import HTMLParser


def number(v):
    return str(int(v)) if float(v).is_integer() else repr(float(v))


def dump(rows):
    for r in rows:
        print("|".join(c.replace("\r", "\\r").replace("\n", "\\n") for c in r))


def read_separated(path, delimiter, quote='"'):
    with open(path, newline="", encoding="cp1252") as f:
        return [row for row in csv.reader(f, delimiter=delimiter, quotechar=quote)]


def xls_date(value, datemode):
    """A date cell as yyyy-mm-dd, with hh:mm:ss when it has a time; a time alone as hh:mm:ss."""
    import xlrd
    d = xlrd.xldate.xldate_as_datetime(value, datemode)
    if value < 1:
        return d.strftime("%H:%M:%S")
    return d.strftime("%Y-%m-%d %H:%M:%S" if (d.hour, d.minute, d.second) != (0, 0, 0) else "%Y-%m-%d")


def read_xls(path):
    try:
        import xlrd
    except ImportError:
        return None
    book = xlrd.open_workbook(path, formatting_info=True)
    sheet = book.sheet_by_index(0)
    rows = []
    for r in range(sheet.nrows):
        row = []
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_DATE:
                row.append(xls_date(cell.value, book.datemode))
            elif cell.ctype == xlrd.XL_CELL_NUMBER:
                row.append(number(cell.value))
            elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                row.append("TRUE" if cell.value else "FALSE")
            else:
                row.append(str(cell.value))
        if os.path.basename(path).startswith("fmt_"):
            # Each cell with the number format it opens with.
            row = ["%s {%s}" % (v, book.format_map[book.xf_list[sheet.cell_xf_index(r, c)].format_key].format_str)
                   for c, v in enumerate(row)]
        rows.append(row)
    # The number formats and widths the extended variants carry, column by column.
    formats = []
    for c in range(sheet.ncols):
        xf = book.xf_list[sheet.cell_xf_index(sheet.nrows - 1, c)] if sheet.nrows > 1 else None
        fmt = book.format_map[xf.format_key].format_str if xf else ""
        width = sheet.colinfo_map[c].width // 256 if c in sheet.colinfo_map else 0
        formats.append("%s/%d" % (fmt, width))
    rows.append(["biff %d" % book.biff_version] + formats)
    return rows


def read_ssconvert(path, importer=None):
    if not shutil.which("ssconvert"):
        return None
    with tempfile.TemporaryDirectory() as d:
        out = os.path.join(d, "out.csv")
        # Release 3 sheets are read by the Lotus importer, which has to be named for them.
        forced = ["--import-type=" + importer] if importer else []
        subprocess.run(["ssconvert"] + forced + ["--export-type=Gnumeric_stf:stf_csv", path, out],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(out, newline="", encoding="utf-8") as f:
            return [[plain(c) for c in row] for row in csv.reader(f)]


def plain(cell):
    try:
        return number(float(cell))
    except ValueError:
        return cell


def read_rtf(path):
    if not shutil.which("unrtf"):
        return None
    text = subprocess.run(["unrtf", "--text", path], check=True, capture_output=True).stdout
    lines = text.decode("cp1252").splitlines()
    return [[l.strip()] for l in lines if l.strip() and not l.startswith("###")
            and not l.startswith("-----")]


class Cells(HTMLParser):
    def __init__(self):
        super().__init__()
        self.rows, self.cell, self.title = [], None, ""
        self.in_title = False

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag in ("td", "th"):
            self.cell = ""
        elif tag == "br" and self.cell is not None:
            self.cell += "\n"
        elif tag == "title":
            self.in_title = True

    def handle_endtag(self, tag):
        if tag in ("td", "th"):
            self.rows[-1].append(self.cell)
            self.cell = None
        elif tag == "title":
            self.in_title = False

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data
        elif self.in_title:
            self.title += data


def read_html(path):
    p = Cells()
    with open(path, encoding="cp1252") as f:
        p.feed(f.read())
    return [["title " + p.title]] + p.rows


def read_xml(path):
    root = ET.parse(path).getroot()
    rows = [[c.get("Name") for c in root.find("Columns")]]
    for rec in root.findall("Record"):
        rows.append(["<Null>" if f.get("Null") == "true" else (f.text or "") for f in rec.findall("Field")])
    return rows


def read_pdf(path):
    if not shutil.which("pdftotext"):
        return None
    text = subprocess.run(["pdftotext", "-layout", path, "-"], check=True, capture_output=True).stdout
    pages = text.decode("utf-8").split("\f")
    return [[" ".join(l.split())] for p in pages for l in p.splitlines() if l.strip()] + \
           [["pages %d" % len([p for p in pages if p.strip()])]]


def read_text(path):
    with open(path, newline="", encoding="cp1252") as f:
        pages = f.read().split("\f")
    return [[line] for page in pages for line in page.split("\r\n")[:-1]]


def read_word(path):
    """The text LibreOffice Writer reads from a Word document, one paragraph a line, tabs as |."""
    office = shutil.which("soffice") or shutil.which("libreoffice")
    if not office:
        return None
    with tempfile.TemporaryDirectory() as d:
        # A profile of its own, so no running office or user profile is touched.
        subprocess.run([office, "-env:UserInstallation=file://" + os.path.join(d, "profile"), "--headless",
                        "--convert-to", "txt:Text (encoded):UTF8", "--outdir", d, path],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
        name = os.path.splitext(os.path.basename(path))[0] + ".txt"
        with open(os.path.join(d, name), encoding="utf-8-sig") as f:
            text = f.read()
    return [line.split("\t") for line in text.splitlines()]


READERS = {
    ".doc": read_word,
    ".txt": read_text,
    ".csv": lambda p: read_separated(p, ","),
    ".tsv": lambda p: read_separated(p, "\t"),
    ".chr": lambda p: read_separated(p, ";", "'"),
    ".ttx": lambda p: read_separated(p, "\t"),
    ".xls": read_xls,
    ".wk1": read_ssconvert,
    ".wks": read_ssconvert,
    ".wk3": lambda p: read_ssconvert(p, "Gnumeric_lotus:lotus"),
    ".dif": read_ssconvert,
    ".rtf": read_rtf,
    ".htm": read_html,
    ".xml": read_xml,
    ".pdf": read_pdf,
}

for name in sorted(os.listdir(sys.argv[1])):
    reader = READERS.get(os.path.splitext(name)[1].lower())
    if not reader:
        continue
    print("== " + name)
    rows = reader(os.path.join(sys.argv[1], name))
    if rows is None:
        print("SKIP")
    else:
        dump(rows)
