#!/usr/bin/env python3
"""Checks a built user guide: the PDF opens, has at least the given number of pages, and its text holds the title
and every chapter heading of the Markdown it was written from (headings compared without spaces, since the PDF's
text comes back with its own line breaks)."""
import re
import subprocess
import sys
import unicodedata


def headings(markdown_path):
    out = []
    with open(markdown_path, encoding="utf-8") as f:
        in_code = False
        for line in f:
            if line.startswith("```"):
                in_code = not in_code
            m = re.match(r"^(#{1,2})\s+(.*\S)\s*$", line)
            if m and not in_code:
                text = re.sub(r"[`*_]", "", m.group(2))
                out.append(text)
    return out


def squeeze(text):
    # NFKC: the PDF's text carries the font's ligatures ("ﬄ" in "Offline"), the Markdown plain letters.
    return re.sub(r"\s+", "", unicodedata.normalize("NFKC", text))


def main():
    if len(sys.argv) != 4:
        sys.stderr.write("usage: check_guide_pdf.py <guide.pdf> <guide.md> <min pages>\n")
        return 2
    pdf, md, min_pages = sys.argv[1], sys.argv[2], int(sys.argv[3])
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True)
    if info.returncode != 0:
        print("pdfinfo cannot open %s: %s" % (pdf, info.stderr.strip()))
        return 1
    pages = int(re.search(r"^Pages:\s+(\d+)", info.stdout, re.M).group(1))
    text = subprocess.run(["pdftotext", "-enc", "UTF-8", pdf, "-"], capture_output=True, check=True).stdout
    flat = squeeze(text.decode("utf-8"))
    wanted = headings(md)
    missing = [h for h in wanted if squeeze(h) not in flat]
    print("%s: %d pages, %d headings, %d missing" % (pdf, pages, len(wanted), len(missing)))
    ok = True
    if pages < min_pages:
        print("  fewer pages than %d" % min_pages)
        ok = False
    if len(wanted) < 2:
        print("  the Markdown has no chapters")
        ok = False
    for h in missing:
        print("  heading not in the PDF: %s" % h)
        ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
