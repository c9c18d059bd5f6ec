#!/usr/bin/env python3
# The documentation's links and paths: every link in README.md and docs/*.md leads to a file that
# exists (and to a heading of it, when it names one), every source path written in code
# (`tools/soak.sh`, `tests/e2e/`) exists, and every page under docs/ is reachable from the README.
# Usage: docs_links_test.py [source tree]   (default: the tree this file is in)
# Prints one line per fault, "page:line: ...", and exits 1 when there is any.
import os
import re
import sys

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
# Paths written in code are read from the top of the source tree; these are its folders and files.
# Anything else in code (build/run/, share/games/trelvik/, data/level1.map) lives elsewhere.
SOURCE_FOLDERS = ("src/", "tests/", "tools/", "dist/", "debian/", "docs/")
SOURCE_FILES = ("play.sh", "test.sh", "LICENSE", "CMakeLists.txt")

LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
CODE_SPAN = re.compile(r"(`+)(.+?)\1")
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")


def slug(heading):
    """The anchor a heading gets on the usual Markdown hosts: lower case, punctuation dropped."""
    text = re.sub(r"`|\*\*|__", "", heading).strip().lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def read_page(path):
    """The page's lines, each tagged as prose or fenced code."""
    lines = []
    fenced = False
    with open(path, encoding="utf-8") as page:
        for number, line in enumerate(page, 1):
            if line.lstrip().startswith("```"):
                fenced = not fenced
                continue
            lines.append((number, line.rstrip("\n"), fenced))
    return lines


anchors_cache = {}


def anchors(path):
    if path not in anchors_cache:
        found = set()
        seen = {}
        for _, line, fenced in read_page(path):
            match = None if fenced else HEADING.match(line)
            if match:
                base = slug(match.group(2))
                count = seen.get(base, 0)
                seen[base] = count + 1
                found.add(base if count == 0 else f"{base}-{count}")
        anchors_cache[path] = found
    return anchors_cache[path]


def source_path(word):
    """The source path a word of code names, cut before any placeholder, or None."""
    word = word.strip(".,;:()'\"")
    word = re.split(r"[<\[*{$]", word)[0]
    word = word[2:] if word.startswith("./") else word
    if word.startswith(SOURCE_FOLDERS) or word in SOURCE_FILES:
        return word
    return None


def check_page(page, faults):
    """Appends the page's faults; returns the files its links lead to."""
    reached = set()
    shown = os.path.relpath(page, ROOT)
    folder = os.path.dirname(page)
    for number, line, fenced in read_page(page):
        if not fenced:
            for match in LINK.finditer(CODE_SPAN.sub("", line)):
                target = match.group(1)
                if re.match(r"[a-z][a-z0-9+.-]*:", target):
                    continue  # a web address or mail link: not checked offline
                file_part, _, anchor = target.partition("#")
                resolved = os.path.normpath(os.path.join(folder, file_part)) if file_part else page
                if not os.path.exists(resolved):
                    faults.append(f"{shown}:{number}: broken link {target}: no such file or folder")
                    continue
                reached.add(resolved)
                if anchor and resolved.endswith(".md") and anchor not in anchors(resolved):
                    faults.append(f"{shown}:{number}: broken link {target}: no heading #{anchor} in "
                                  f"{os.path.relpath(resolved, ROOT)}")
        words = line.split() if fenced else " ".join(m.group(2) for m in CODE_SPAN.finditer(line)).split()
        for word in words:
            path = source_path(word)
            if path and not os.path.exists(os.path.join(ROOT, path)):
                faults.append(f"{shown}:{number}: path {path} does not exist")
    return reached


def main():
    readme = os.path.join(ROOT, "README.md")
    docs = os.path.join(ROOT, "docs")
    pages = [readme] + sorted(os.path.join(docs, name) for name in os.listdir(docs) if name.endswith(".md"))
    faults = []
    links = {page: check_page(page, faults) for page in pages}
    # Pages reached from the README directly or through the pages it links.
    linked = {readme}
    frontier = [readme]
    while frontier:
        for target in links.get(frontier.pop(), ()):
            if target.endswith(".md") and target not in linked:
                linked.add(target)
                frontier.append(target)
    for page in pages:
        if page not in linked:
            faults.append(f"{os.path.relpath(page, ROOT)}:1: no link from README.md leads to this page")
    for fault in faults:
        print(fault)
    if faults:
        print(f"docs links: {len(faults)} fault(s) in {len(pages)} pages")
        return 1
    print(f"docs links: {len(pages)} pages, every link and source path found")
    return 0


if __name__ == "__main__":
    sys.exit(main())
