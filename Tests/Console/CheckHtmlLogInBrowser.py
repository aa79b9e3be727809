#!/usr/bin/env python3
"""Opens an HTML log in headless Chromium and checks what a reader would see.

usage: CheckHtmlLogInBrowser.py LOG_FILE

The log is the one Console_FileTest.WritesAPageForABrowser writes. The page
the browser builds must show every message as text, in order and in its
level's colour, keep the log's title, and run nothing the messages carry.
"""
import html.parser
import pathlib
import shutil
import subprocess
import sys
import tempfile

TITLE = "Browser <check> & \"quotes\""
# (colour, text) of each message, as the test logs them.
MESSAGES = [
    ("#005000", "ordinary line"),
    ("#005000", "<b>not bold</b>"),
    ("#FF00FF", "a < b && c > d"),
    ("#FF0000", "<script>document.title='x'</script>"),
    ("#005000", "<img src=x onerror=\"document.body.setAttribute('data-ran','1')\">"),
    ("#FF0000", "gr\u00fc\u00dfe \u4e16\u754c"),
]


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.title = ""
        self.fonts = []  # [colour, text]
        self.tags = []
        self.attributes = []
        self._in = None

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        self.attributes.extend(name for name, _ in attrs)
        if tag == "title":
            self._in = "title"
        elif tag == "font":
            self.fonts.append([dict(attrs).get("color", ""), ""])
            self._in = "font"

    def handle_endtag(self, tag):
        if tag in ("title", "font"):
            self._in = None

    def handle_data(self, data):
        if self._in == "title":
            self.title += data
        elif self._in == "font":
            self.fonts[-1][1] += data


def main():
    log = pathlib.Path(sys.argv[1]).resolve()
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if not browser:
        print("Chromium is not installed (Debian package chromium)")
        return 1
    with tempfile.TemporaryDirectory() as profile:
        dom = subprocess.run(
            [browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-quic",
             "--user-data-dir=" + profile, "--virtual-time-budget=2000", "--dump-dom", log.as_uri()],
            capture_output=True, timeout=120).stdout.decode("utf-8")
    page = Page()
    page.feed(dom)
    failures = []
    if page.title != TITLE:
        failures.append("title %r, expected %r (a script ran, or the title was not escaped)" % (page.title, TITLE))
    shown = [(colour.upper(), text) for colour, text in page.fonts]
    if shown != MESSAGES:
        failures.append("the page shows %r, expected %r" % (shown, MESSAGES))
    for tag in ("script", "img", "b"):
        if tag in page.tags:
            failures.append("the page made a <%s> element out of a message" % tag)
    if "data-ran" in page.attributes:
        failures.append("a handler in a message ran")
    for failure in failures:
        print(failure)
    if not failures:
        print("%d messages shown as written" % len(shown))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
