#!/usr/bin/env python3
"""Prints the cells of the first table of an HTML file as tab-separated
UTF-8 lines, one per <TR>, as a browser's parser sees them.

usage: html_table.py FILE [ENCODING]   (ENCODING defaults to gbk)
"""
import html.parser
import sys


class TableReader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows = []
        self.cell = None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag == "td":
            self.cell = []

    def handle_endtag(self, tag):
        if tag == "td" and self.cell is not None:
            self.rows[-1].append("".join(self.cell).replace("\xa0", " ").strip())
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell.append(data)


def main():
    encoding = sys.argv[2] if len(sys.argv) > 2 else "gbk"
    with open(sys.argv[1], "rb") as f:
        text = f.read().decode(encoding)
    reader = TableReader()
    reader.feed(text)
    reader.close()
    out = "\n".join("\t".join(row) for row in reader.rows)
    sys.stdout.buffer.write(out.encode("utf-8"))


if __name__ == "__main__":
    main()
