#!/usr/bin/env python3
"""The help file against the pages' topic table and against itself.

    help_file_test.py TOPIC-TABLE HELP-SOURCE-DIR CHM-FILE CHMLS

TOPIC-TABLE is the C++ file that maps help contexts to topic paths
("html/page.htm#anchor"). Every such path must name a page of the help
source with an element carrying the anchor, every link between the pages
must resolve, the help project must list every page and define the window
type the pages open help in, and the compiled CHM must hold every listed
file exactly as it is in the source.
"""
import html.parser
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest

TABLE, SOURCE, CHM, CHMLS = sys.argv[1:5] if len(sys.argv) >= 5 else (None,) * 4
PROJECT = "KVUIDRV.hhp"
# The window type the driver's code opens topics in (">sub" after the path).
HELP_WINDOW = "sub"


class PageReader(html.parser.HTMLParser):
    """Collects the anchors a page defines and the links it makes."""

    def __init__(self):
        super().__init__()
        self.anchors = set()
        self.links = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for name in ("id", "name"):
            if attrs.get(name) and not (tag == "param" or tag == "meta"):
                self.anchors.add(attrs[name])
        if tag == "a" and attrs.get("href"):
            self.links.append(attrs["href"])
        if tag == "link" and attrs.get("href"):
            self.links.append(attrs["href"])
        if tag == "param" and (attrs.get("name") or "").lower() == "local":
            self.links.append(attrs.get("value", ""))


def read_page(path):
    reader = PageReader()
    with open(path, encoding="utf-8") as page:
        reader.feed(page.read())
    return reader


def topic_table():
    """The topic paths of the table, in order, as the C++ source spells them."""
    with open(TABLE, encoding="utf-8") as source:
        text = source.read()
    block = re.search(r"kHelpTopics\[\]\s*=\s*\{(.*?)\n\};", text, re.S)
    if not block:
        raise AssertionError("no kHelpTopics table in " + TABLE)
    rows = re.findall(r"\{\s*(kHelp\w+)\s*,\s*L\"([^\"]*)\"\s*\}", block.group(1))
    opened = len(re.findall(r"^\s*\{", block.group(1), re.M))
    if not rows or len(rows) != opened:
        raise AssertionError(f"read {len(rows)} of the table's {opened} rows")
    return rows


def project_sections():
    sections, current = {}, None
    with open(os.path.join(SOURCE, PROJECT), encoding="utf-8") as project:
        for line in project:
            line = line.strip()
            if re.fullmatch(r"\[\w+\]", line):
                current = sections.setdefault(line[1:-1].upper(), [])
            elif line and current is not None:
                current.append(line)
    return sections


def project_files():
    return project_sections()["FILES"]


def split_target(base_file, link):
    """The source-relative file and the anchor a link from base_file names."""
    target, _, anchor = link.partition("#")
    if base_file.endswith((".hhc", ".hhk")):
        relative = target
    else:
        relative = os.path.normpath(os.path.join(os.path.dirname(base_file), target))
    return relative.replace(os.sep, "/"), anchor


class TopicTableMatchesHelpSource(unittest.TestCase):
    def test_every_topic_names_a_page_and_an_anchor_of_it(self):
        for context, path in topic_table():
            with self.subTest(context=context, topic=path):
                page, _, anchor = path.partition("#")
                self.assertTrue(page.startswith("html/"), "topics live under html/")
                file = os.path.join(SOURCE, page)
                self.assertTrue(os.path.isfile(file), "no page " + page)
                if anchor:
                    self.assertIn(anchor, read_page(file).anchors, "no anchor in " + page)

    def test_every_topic_page_is_compiled_into_the_help_file(self):
        listed = set(project_files())
        for context, path in topic_table():
            with self.subTest(context=context, topic=path):
                self.assertTrue(path.partition("#")[0] in listed, "not in the project's files")


class HelpSourceIsWhole(unittest.TestCase):
    def test_project_lists_exactly_the_pages_present(self):
        present = {"html/" + name for name in os.listdir(os.path.join(SOURCE, "html"))}
        self.assertEqual(set(project_files()), present)

    def test_every_link_resolves_to_a_page_and_anchor(self):
        sources = ["contents.hhc", "index.hhk"] + [f for f in project_files() if f.endswith(".htm")]
        for source in sources:
            for link in read_page(os.path.join(SOURCE, source)).links:
                with self.subTest(page=source, link=link):
                    if re.match(r"[a-z]+:", link):
                        self.fail("pages link only to pages of the help file")
                    target, anchor = split_target(source, link)
                    file = os.path.join(SOURCE, target)
                    self.assertTrue(os.path.isfile(file), "missing " + target)
                    if anchor:
                        self.assertIn(anchor, read_page(file).anchors)

    def test_project_names_existing_start_page_contents_and_index(self):
        options = dict(line.split("=", 1) for line in project_sections()["OPTIONS"])
        for key in ("Default topic", "Contents file", "Index file"):
            with self.subTest(option=key):
                self.assertTrue(os.path.isfile(os.path.join(SOURCE, options[key])))
        self.assertEqual(options["Compiled file"], "KVUIDRV.CHM")

    def test_project_defines_the_help_window_of_the_pages(self):
        names = [line.split("=", 1)[0] for line in project_sections()["WINDOWS"]]
        self.assertIn(HELP_WINDOW, names)


def window_types(extracted):
    """Window type name -> (contents, index, start page) of the compiled
    #WINDOWS table: a count and an entry size, then fixed-size entries whose
    text fields are offsets into #STRINGS."""
    with open(os.path.join(extracted, "#WINDOWS"), "rb") as table:
        data = table.read()
    with open(os.path.join(extracted, "#STRINGS"), "rb") as table:
        strings = table.read()

    def text(offset):
        return strings[offset:strings.index(b"\0", offset)].decode("latin-1") if offset else ""

    count, size = struct.unpack_from("<II", data)
    types = {}
    for i in range(count):
        entry = 8 + i * size
        name = text(struct.unpack_from("<I", data, entry + 0x08)[0])
        types[name] = tuple(text(offset) for offset in struct.unpack_from("<III", data, entry + 0x60))
    return types


class CompiledHelpFile(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.extracted = tempfile.TemporaryDirectory()
        subprocess.run([CHMLS, "extractall", CHM, cls.extracted.name], capture_output=True, check=True)
        cls.listing = set(subprocess.run([CHMLS, "-n", "list", CHM], capture_output=True,
                                         text=True, check=True).stdout.split())

    @classmethod
    def tearDownClass(cls):
        cls.extracted.cleanup()

    def test_holds_every_topic_page(self):
        for context, path in topic_table():
            with self.subTest(context=context, topic=path):
                self.assertTrue("/" + path.partition("#")[0] in self.listing, "not in the CHM")

    def test_holds_every_source_file_as_written(self):
        for name in project_files() + ["contents.hhc", "index.hhk"]:
            with self.subTest(file=name):
                with open(os.path.join(SOURCE, name), "rb") as source:
                    expected = source.read()
                compiled = os.path.join(self.extracted.name, name)
                self.assertTrue(os.path.isfile(compiled), "not in the CHM")
                with open(compiled, "rb") as copy:
                    self.assertEqual(copy.read(), expected, "stale or altered in the CHM")

    def test_help_window_shows_contents_index_and_start_page_of_the_file(self):
        types = window_types(self.extracted.name)
        self.assertIn(HELP_WINDOW, types)
        for shown in types[HELP_WINDOW]:
            with self.subTest(file=shown):
                self.assertTrue("/" + shown in self.listing, "not in the CHM")


if __name__ == "__main__":
    if TABLE is None:
        sys.exit(__doc__)
    unittest.main(argv=sys.argv[:1] + sys.argv[5:])
