#!/usr/bin/env python3
"""Builds the Qt help project of the user guide from its HTML pages.

make-help-project.py OUT_DIR PAGE.html...

Copies the pages (in the order given: the order of the table of contents) and every file
they refer to into OUT_DIR and writes OUT_DIR/narv-help.qhp: each page is a section of the
contents, each heading with an id a sub-section and an index keyword, and each entry of a
page's <meta name="keywords"> an index keyword of that page. A link to a page or an
anchor that does not exist fails the build, so the guide never ships a dead link. A heading's
data-topic attribute names the topic by which the program opens that section.
"""

import html
import os
import re
import shutil
import sys
from html.parser import HTMLParser

NAMESPACE = "narv.guide"
VIRTUAL_FOLDER = "doc"


class Page(HTMLParser):
    def __init__(self, name, text):
        super().__init__(convert_charrefs=True)
        self.name = name
        self.title = ""
        self.ids = set()
        self.headings = []  # (level, id, text, topic) of h2/h3 with an id
        self.keywords = []
        self.links = []  # (line, href)
        self.resources = []  # img src, link href (stylesheets)
        self._in_title = False
        self._heading = None  # (level, id, parts)
        self.feed(text)
        self.close()

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if "id" in a:
            self.ids.add(a["id"])
        if tag == "a" and "name" in a:
            self.ids.add(a["name"])
        if tag == "title":
            self._in_title = True
        elif tag in ("h2", "h3") and "id" in a:
            self._heading = (int(tag[1]), a["id"], [], a.get("data-topic"))
        elif tag == "a" and "href" in a:
            self.links.append((self.getpos()[0], a["href"]))
        elif tag == "img" and "src" in a:
            self.resources.append(a["src"])
        elif tag == "link" and "href" in a:
            self.resources.append(a["href"])
        elif tag == "meta" and a.get("name") == "keywords":
            self.keywords += [k.strip() for k in a.get("content", "").split(";") if k.strip()]

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False
        elif self._heading and tag == "h%d" % self._heading[0]:
            level, ident, parts, topic = self._heading
            self.headings.append((level, ident, " ".join("".join(parts).split()), topic))
            self._heading = None

    def handle_data(self, data):
        if self._in_title:
            self.title += data
        if self._heading:
            self._heading[2].append(data)


def check_links(pages):
    errors = []
    by_name = {p.name: p for p in pages}
    for page in pages:
        for line, href in page.links:
            if re.match(r"^[a-z]+:", href):
                continue  # external: mailto:, https:
            target, _, anchor = href.partition("#")
            target_page = by_name.get(target or page.name)
            if target_page is None:
                errors.append("%s:%d: link to a missing page %s" % (page.name, line, target))
            elif anchor and anchor not in target_page.ids:
                errors.append("%s:%d: link to a missing anchor %s" % (page.name, line, href))
    return errors


def attr(text):
    return html.escape(text, quote=True)


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    out_dir, sources = argv[1], argv[2:]
    os.makedirs(out_dir, exist_ok=True)
    pages = []
    errors = []
    for source in sources:
        with open(source, encoding="utf-8") as f:
            page = Page(os.path.basename(source), f.read())
        if not page.title.strip():
            errors.append("%s: no <title>" % source)
        pages.append(page)
    errors += check_links(pages)
    files = []
    for source, page in zip(sources, pages):
        shutil.copyfile(source, os.path.join(out_dir, page.name))
        files.append(page.name)
        for resource in page.resources:
            path = os.path.join(os.path.dirname(source), resource)
            if not os.path.isfile(path):
                errors.append("%s: missing file %s" % (page.name, resource))
                continue
            if resource not in files:
                os.makedirs(os.path.dirname(os.path.join(out_dir, resource)) or out_dir,
                            exist_ok=True)
                shutil.copyfile(path, os.path.join(out_dir, resource))
                files.append(resource)
    if errors:
        print("\n".join(errors), file=sys.stderr)
        return 1

    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<QtHelpProject version="1.0">',
           "  <namespace>%s</namespace>" % NAMESPACE,
           "  <virtualFolder>%s</virtualFolder>" % VIRTUAL_FOLDER,
           "  <filterSection>",
           "    <toc>"]
    first, rest = pages[0], pages[1:]
    out.append('      <section title="%s" ref="%s">' % (attr(first.title.strip()), first.name))
    for page in rest:
        out.append('        <section title="%s" ref="%s">' % (attr(page.title.strip()), page.name))
        for level, ident, text, _ in page.headings:
            if level == 2:
                out.append('          <section title="%s" ref="%s#%s"/>'
                           % (attr(text), page.name, ident))
        out.append("        </section>")
    out += ["      </section>", "    </toc>", "    <keywords>"]
    for page in pages:
        stem = os.path.splitext(page.name)[0]
        out.append('      <keyword name="%s" id="%s" ref="%s"/>'
                   % (attr(page.title.strip()), stem, page.name))
        for level, ident, text, topic in page.headings:
            # The program opens a section by its topic name where it has one.
            out.append('      <keyword name="%s" id="%s" ref="%s#%s"/>'
                       % (attr(text), attr(topic or stem + "/" + ident), page.name, ident))
        for keyword in page.keywords:
            out.append('      <keyword name="%s" ref="%s"/>' % (attr(keyword), page.name))
    out += ["    </keywords>", "    <files>"]
    out += ["      <file>%s</file>" % attr(f) for f in files]
    out += ["    </files>", "  </filterSection>", "</QtHelpProject>", ""]
    with open(os.path.join(out_dir, "narv-help.qhp"), "w", encoding="utf-8") as f:
        f.write("\n".join(out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
