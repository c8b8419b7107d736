#!/usr/bin/env python3
"""The catalogue server's pages in a real browser.

Starts tessel-server with its demo catalogue and headless Chromium (DevTools
protocol over a pipe, no network but loopback), gives every page a stand-in
window.external that records calls, loads the tab, detail, simulator and
statistics pages and checks that each loads without script errors, declares
its charset and the newest document mode, keeps to the script features of
the Windows WebBrowser control, and that its links call AddPlug,
ShowPlugDetail, SwitchTab and OpenSimulator with the arguments the program
expects (all strings).

    pages_chromium_test.py TESSEL_SERVER [CHROMIUM]

Run it inside a network namespace of its own (run_pages_test.sh does).
Prints 'N passed, N failed' and exits non-zero on any failure.
"""
import fcntl
import json
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

# Every wait is bounded so a broken run ends; no check depends on speed.
WAIT_SECONDS = 20

STAND_IN = r"""
(function () {
  var calls = [];
  var external = {};
  ['AddPlug', 'ShowPlugDetail', 'SwitchTab', 'OpenSimulator'].forEach(function (name) {
    external[name] = function () {
      var args = Array.prototype.slice.call(arguments);
      calls.push({method: name, args: args.map(String),
                  types: args.map(function (a) { return typeof a; })});
    };
  });
  Object.defineProperty(window, 'external', {value: external, configurable: true});
  Object.defineProperty(window, '__externalCalls', {value: calls});
})();
"""

# Script features the WebBrowser control's engine does not run.
FORBIDDEN = [
    (re.compile(r"=>"), "arrow function"),
    (re.compile(r"\blet\s"), "let"),
    (re.compile(r"\bconst\s"), "const"),
    (re.compile(r"`"), "template literal"),
    (re.compile(r"\bfetch\s*\("), "fetch"),
    (re.compile(r"\bclass\s+\w"), "class"),
    (re.compile(r"\basync\b|\bawait\b"), "async/await"),
    (re.compile(r"\.\.\.\w"), "spread"),
]


class Failures:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL: " + what, flush=True)
        return ok


class DevTools:
    """Chromium's DevTools protocol over --remote-debugging-pipe."""

    def __init__(self, chromium, profile):
        to_browser_read, self._write = os.pipe()
        self._read, from_browser_write = os.pipe()
        # The browser reads commands on fd 3 and writes answers on fd 4.
        high_in = fcntl.fcntl(to_browser_read, fcntl.F_DUPFD, 10)
        high_out = fcntl.fcntl(from_browser_write, fcntl.F_DUPFD, 10)
        os.close(to_browser_read)
        os.close(from_browser_write)

        def pipes():
            os.dup2(high_in, 3)
            os.dup2(high_out, 4)

        self.process = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu",
             "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--no-first-run", "--no-default-browser-check",
             "--disable-extensions", "--user-data-dir=" + profile,
             "--remote-debugging-pipe", "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=pipes, pass_fds=(3, 4))
        os.close(high_in)
        os.close(high_out)
        self._buffer = b""
        self._next_id = 0
        self.events = []

    def close(self):
        try:
            self.send("Browser.close")
        except Exception:
            pass
        try:
            self.process.wait(timeout=WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self._write)
        os.close(self._read)

    def _receive(self, deadline):
        while b"\0" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError("no answer from the browser")
            ready, _, _ = select.select([self._read], [], [], left)
            if ready:
                chunk = os.read(self._read, 1 << 16)
                if not chunk:
                    raise EOFError("the browser closed its pipe")
                self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, params=None, session=None):
        self._next_id += 1
        request = {"id": self._next_id, "method": method, "params": params or {}}
        if session:
            request["sessionId"] = session
        os.write(self._write, json.dumps(request).encode() + b"\0")
        deadline = time.monotonic() + WAIT_SECONDS
        while True:
            message = self._receive(deadline)
            if message.get("id") == self._next_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            self.events.append(message)

    def wait_event(self, method, session):
        deadline = time.monotonic() + WAIT_SECONDS
        while True:
            for i, event in enumerate(self.events):
                if event.get("method") == method and event.get("sessionId") == session:
                    return self.events.pop(i)
            self.events.append(self._receive(deadline))


class Page:
    """One tab with the stand-in window.external."""

    def __init__(self, tools):
        self.tools = tools
        target = tools.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = tools.send("Target.attachToTarget",
                                  {"targetId": target, "flatten": True})["sessionId"]
        for domain in ("Page.enable", "Runtime.enable"):
            self.call(domain)
        self.call("Page.addScriptToEvaluateOnNewDocument", {"source": STAND_IN})

    def call(self, method, params=None):
        return self.tools.send(method, params, self.session)

    def load(self, url):
        self.tools.events = [e for e in self.tools.events if e.get("sessionId") != self.session]
        self.call("Page.navigate", {"url": url})
        self.tools.wait_event("Page.loadEventFired", self.session)

    def errors(self):
        found = []
        for event in self.tools.events:
            if event.get("sessionId") != self.session:
                continue
            if event.get("method") == "Runtime.exceptionThrown":
                details = event["params"]["exceptionDetails"]
                found.append(details.get("exception", {}).get("description", details["text"]))
            elif (event.get("method") == "Runtime.consoleAPICalled"
                  and event["params"]["type"] == "error"):
                found.append("console.error")
        return found

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate",
                           {"expression": expression, "returnByValue": True})
        if "exceptionDetails" in result:
            raise RuntimeError("evaluate %s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def calls(self):
        return self.evaluate("window.__externalCalls.splice(0)")

    def click(self, selector, index=0):
        """A real mouse click in the middle of the element."""
        box = self.evaluate(
            "(function(){var e=document.querySelectorAll(%s)[%d];e.scrollIntoView();"
            "var r=e.getBoundingClientRect();return [r.left+r.width/2,r.top+r.height/2,"
            "r.width,r.height];})()" % (json.dumps(selector), index))
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", {"type": kind, "x": box[0], "y": box[1],
                                                   "button": "left", "clickCount": 1})
        return box


def start_server(server, root):
    subprocess.run([server, "--make-demo", root], check=True, stdout=subprocess.DEVNULL)
    process = subprocess.Popen([server, "--root", root, "--address", "127.0.0.1", "--port", "0",
                                "--quiet"], stdout=subprocess.PIPE, text=True)
    line = process.stdout.readline()
    match = re.match(r"listening on 127\.0\.0\.1:(\d+)", line)
    if not match:
        process.kill()
        raise RuntimeError("tessel-server did not start: " + line)
    return process, "http://127.0.0.1:" + match.group(1)


def check_document(page, failures, name):
    """Charset, document mode and the script features of one loaded page."""
    failures.check(page.evaluate("document.characterSet") == "GBK",
                   name + ": the page is decoded as GBK")
    mode = page.evaluate(
        "(function(){var m=document.head.querySelector('meta[http-equiv=\"X-UA-Compatible\"]');"
        "if(!m)return null;var first=document.head.firstElementChild;"
        "var before=m.compareDocumentPosition(document.head.querySelector('script,style,link'));"
        "return [m.content, (before & Node.DOCUMENT_POSITION_FOLLOWING) != 0];})()")
    failures.check(mode is not None and mode[0] == "IE=edge",
                   name + ": declares X-UA-Compatible IE=edge (got %r)" % (mode,))
    failures.check(mode is not None and mode[1],
                   name + ": the document mode is declared before any script or style")
    scripts = page.evaluate(
        "Array.prototype.map.call(document.scripts, function(s){return s.text;})"
        ".concat(Array.prototype.map.call(document.querySelectorAll('[onclick]'),"
        "function(e){return e.getAttribute('onclick');}))")
    for text in scripts:
        # Features are looked for outside string literals.
        code = re.sub(r"'(?:\\.|[^'\\])*'|\"(?:\\.|[^\"\\])*\"", "''", text)
        for pattern, feature in FORBIDDEN:
            failures.check(not pattern.search(code),
                           "%s: a script uses %s: %s" % (name, feature, text.strip()[:80]))


def check_rows(page, failures, name, base):
    """Every row's name link shows the details, its button installs."""
    rows = page.evaluate(
        "Array.prototype.map.call(document.querySelectorAll('tr'), function(r){"
        "return Array.prototype.map.call(r.cells, function(c){return c.textContent;});})"
        ".filter(function(c){return /^\\d+$/.test(c[0]);})")
    failures.check(len(rows) > 0, name + ": lists addons")
    for index, cells in enumerate(rows):
        addon_id, addon_name = cells[0], cells[1]
        page.click("tr td:nth-child(2) a", index)
        page.click("tr td button", index)
        calls = page.calls()
        expected = [
            {"method": "ShowPlugDetail", "args": [addon_id,
                                                  "/Pages/Plug/PlugDetail_%s.shtml" % addon_id],
             "types": ["string", "string"]},
            {"method": "AddPlug", "args": [addon_id, addon_name, "0"],
             "types": ["string", "string", "string"]},
        ]
        failures.check(calls == expected, "%s row %s: calls %r" % (name, addon_id, calls))
    failures.check(page.evaluate("location.href") == base + page_path(name),
                   name + ": the void links keep the page where it is")
    return rows


def page_path(name):
    return {"home": "/Index.aspx", "plugin library": "/Pages/Pluglist.shtml",
            "macro depot": "/MacroInfo/Index.aspx"}[name]


def click_link(page, text):
    index = page.evaluate(
        "Array.prototype.map.call(document.querySelectorAll('a'), function(a){"
        "return a.textContent;}).indexOf(%s)" % json.dumps(text))
    if index < 0:
        return None
    page.click("a", index)
    return page.calls()


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    server = sys.argv[1]
    chromium = sys.argv[2] if len(sys.argv) > 2 else shutil.which("chromium") or "chromium"
    failures = Failures()
    work = tempfile.mkdtemp(prefix="tessel-pages-")
    server_process = tools = None
    try:
        server_process, base = start_server(server, os.path.join(work, "root"))
        tools = DevTools(chromium, os.path.join(work, "profile"))
        page = Page(tools)
        simulator = ("OpenSimulator", ["技能模拟器", base + "/MacroInfo/Simulator.aspx", "600",
                                       "400", ""])

        def expect_links(name, links):
            for text, method, args in links:
                calls = click_link(page, text)
                failures.check(calls == [{"method": method, "args": args,
                                          "types": ["string"] * len(args)}],
                               "%s: link %s calls %r" % (name, text, calls))

        # Home.
        page.load(base + "/Index.aspx")
        check_document(page, failures, "home")
        failures.check(page.evaluate("document.title") == "首页", "home: the title reads 首页")
        expect_links("home", [("浏览插件库", "SwitchTab", ["tcPlugLib"]),
                              ("宏仓库", "SwitchTab", ["tcMacroDepot"]),
                              ("技能模拟器",) + simulator])
        forum = page.evaluate("(function(){var a=document.querySelector('a[target]');"
                              "return a && [a.target, a.href];})()")
        failures.check(forum == ["_blank", base + "/forum.php?mod=forumdisplay&fid=307"],
                       "home: the forum opens in a new window (%r)" % (forum,))
        check_rows(page, failures, "home", base)
        failures.check(page.errors() == [], "home: no script errors %r" % page.errors())

        # Plugin library: every addon of the catalogue.
        page.load(base + "/Pages/Pluglist.shtml")
        check_document(page, failures, "plugin library")
        rows = check_rows(page, failures, "plugin library", base)
        failures.check(len(rows) == 12, "plugin library: all 12 demo addons")
        expect_links("plugin library", [("返回首页", "SwitchTab", ["tcHome"])])
        failures.check(page.errors() == [], "plugin library: no script errors")

        # Macro depot.
        page.load(base + "/MacroInfo/Index.aspx")
        check_document(page, failures, "macro depot")
        expect_links("macro depot", [("打开技能模拟器",) + simulator,
                                     ("去插件库", "SwitchTab", ["tcPlugLib"])])
        failures.check(page.errors() == [], "macro depot: no script errors")

        # Detail pages, in the three states the program puts in the fragment.
        names = {cells[0]: cells[1] for cells in rows}
        for state, shown, label in (("0", False, None), ("1", True, "安装"), ("2", True, "升级")):
            # A new document each time, as each popup is: a change of the
            # fragment alone would not load the page again.
            page.load("about:blank")
            page.load(base + "/Pages/Plug/PlugDetail_2.shtml#" + state)
            name = "detail #" + state
            check_document(page, failures, name)
            button = page.evaluate("(function(){var b=document.getElementById('install');"
                                   "return [b.offsetParent !== null, b.textContent];})()")
            failures.check(button[0] == shown, name + ": install button shown: %r" % button[0])
            if shown:
                failures.check(button[1] == label, name + ": button reads %s" % label)
                page.click("#install")
                calls = page.calls()
                failures.check(calls == [{"method": "AddPlug", "args": ["2", names["2"], "1"],
                                          "types": ["string"] * 3}],
                               name + ": install closes the popup first: %r" % calls)
            state_text = page.evaluate("document.getElementById('state').textContent")
            failures.check(state_text != "", name + ": shows the addon's state")
            failures.check(page.errors() == [], name + ": no script errors %r" % page.errors())

        # The pages opened without links of their own.
        for path in ("/MacroInfo/Simulator.aspx", "/Statistics/ZPQStatistics.html",
                     "/Statistics/VAELToolStatistics.html"):
            page.load(base + path)
            check_document(page, failures, path)
            failures.check(page.errors() == [], path + ": no script errors")
            failures.check(page.calls() == [], path + ": calls nothing on its own")

        # The simulator page the popup is sent to exists.
        with urllib.request.urlopen(simulator[1][1], timeout=WAIT_SECONDS) as answer:
            failures.check(answer.status == 200, "the simulator page is served")
    finally:
        if tools:
            tools.close()
        if server_process:
            server_process.kill()
            server_process.wait()
        shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (failures.passed, failures.failed))
    return 1 if failures.failed else 0


if __name__ == "__main__":
    sys.exit(main())
