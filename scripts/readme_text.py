#!/usr/bin/env python3
"""Prints the user's part of README.md (between the user-guide markers) as
plain text with CRLF line ends, for README.txt in the release zip.
    readme_text.py README.md > README.txt
Headings are underlined; tables become aligned columns, or one entry a row
where columns would be too wide; pictures are left out, and so is what
stands between <!-- pictures-only --> and <!-- /pictures-only -->, which
speaks of them; links keep their address; emphasis and code marks are
dropped."""
import re
import sys
import textwrap

START, END = "<!-- user-guide:start -->", "<!-- user-guide:end -->"
PICTURES = re.compile(r"<!-- pictures-only -->.*?<!-- /pictures-only -->\n?", re.S)


WIDTH = 90


def clean(text):
    """Markdown's emphasis and code marks dropped, links keep their address."""
    text = re.sub(r"\[([^\]]+)\]\(([^)]+)\)", r"\1 (\2)", text)
    return text.replace("**", "").replace("`", "")


def table(rows):
    """Pipe-table rows as aligned columns, without the rule row; a table too
    wide for that as one wrapped entry a row, its first cell as a list item
    and each other cell under it, named by its column."""
    cells = [[clean(c.strip()) for c in r.strip().strip("|").split("|")] for r in rows
             if not re.match(r"\s*\|[-|: ]+\|\s*$", r)]
    indent = re.match(r"\s*", rows[0]).group(0)
    widths = [max(len(row[i]) for row in cells) for i in range(len(cells[0]))]
    if len(indent) + sum(widths) + 2 * (len(widths) - 1) <= WIDTH:
        return [indent + "  ".join(c.ljust(w) for c, w in zip(row, widths)).rstrip() for row in cells]
    out = []
    for row in cells[1:]:
        out += textwrap.wrap(row[0], 76, initial_indent=indent + "- ", subsequent_indent=indent + "  ")
        for name, cell in zip(cells[0][1:], row[1:]):
            out += textwrap.wrap(f"{name}: {cell}", 76, initial_indent=indent + "    ",
                                 subsequent_indent=indent + "    ")
        out.append("")
    return out[:-1]


def plain(markdown):
    markdown = PICTURES.sub("", markdown)
    lines = []
    rows = []
    for line in markdown.splitlines():
        if line.lstrip().startswith("|"):
            rows.append(line)
            continue
        if rows:
            lines += table(rows)
            rows = []
        if re.match(r"\s*!\[", line):
            continue
        heading = re.match(r"(#+)\s+(.*)", line)
        line = clean(line)
        if heading:
            text = heading.group(2).replace("`", "")
            if lines and lines[-1] != "":
                lines.append("")
            lines += [text, ("=" if len(heading.group(1)) <= 2 else "-") * len(text)]
            continue
        if line == "" and lines and lines[-1] == "":
            continue
        lines.append(line)
    while lines and lines[-1] == "":
        lines.pop()
    while lines and lines[0] == "":
        lines.pop(0)
    return "".join(line + "\r\n" for line in lines)


def main(path):
    text = open(path, encoding="utf-8").read()
    if START not in text or END not in text:
        sys.exit(f"{path}: no user-guide markers")
    body = text[text.index(START) + len(START):text.index(END)]
    sys.stdout.buffer.write(plain(body).encode("utf-8-sig"))


if __name__ == "__main__":
    main(sys.argv[1])
