#!/usr/bin/python3
"""Chromium: files fixed through writable handles, as the picker gives them,
and the page's policy against every connection.

The handles are those of files in the origin-private file system of the page, served from this machine,
handed to the page's own chooser code in place of the picker's. Checks: a
file fixed in place, a broken file and an already fixed one left byte for
byte as they were, two whose permission can only be asked on a click
written by one click of "Write all in place", a file whose write is
refused left as it was and downloaded fixed by its line's link, the three
not written in place by themselves also in one zip that downloads on a
click, one gone before it is read reported as not read, and nothing else
downloaded; a fetch from the page blocked by its
policy and never seen by a server listening on this machine; and no network
request at all while the page fixes files.

usage: in_place_test.py SITE_DIR PRCFIX MAKE_PAGE_CASES WORK
SITE_DIR holds prcfix.html and the files served beside it.
"""
import base64
import http.server
import json
import pathlib
import sys
import threading

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import browsers  # noqa: E402
import page_cases  # noqa: E402

PUT_FILES = """
const [files, done] = [arguments[0], arguments[arguments.length - 1]];
(async () => {
    const root = await navigator.storage.getDirectory();
    const handles = [];
    for (const [folder, name, data] of files) {
        const dir = await root.getDirectoryHandle(folder, { create: true });
        const handle = await dir.getFileHandle(name, { create: true });
        const stream = await handle.createWritable();
        await stream.write(Uint8Array.from(atob(data), c => c.charCodeAt(0)));
        await stream.close();
        handles.push(handle);
    }
    // The two before the last may only be asked for permission on a click,
    // as Chromium asks about a dropped file; the last is refused, as when
    // the user declines to let the page write.
    const refused = handles.pop();
    const asks = handles.splice(-2);
    for (const ask of asks)
        handles.push({
            kind: 'file', name: ask.name,
            getFile: () => ask.getFile(),
            queryPermission: async () => 'prompt',
            requestPermission: async () => {
                if (!navigator.userActivation.isActive)
                    throw new DOMException('User activation is required', 'SecurityError');
                return 'granted';
            },
            createWritable: options => ask.createWritable(options),
        });
    handles.push({
        kind: 'file', name: refused.name,
        getFile: () => refused.getFile(),
        queryPermission: async () => 'prompt',
        requestPermission: async () => 'denied',
        createWritable: () => Promise.reject(new DOMException('refused', 'NotAllowedError')),
    });
    // And one more that is gone by the time the page reads it.
    handles.push({
        kind: 'file', name: 'Gone.prc',
        getFile: () => Promise.reject(new DOMException('It is gone.', 'NotFoundError')),
    });
    window.showOpenFilePicker = async () => handles;
    return 'ok';
})().then(done, error => done(String(error)));
"""

READ_FILES = """
const [files, done] = [arguments[0], arguments[arguments.length - 1]];
(async () => {
    const root = await navigator.storage.getDirectory();
    const out = [];
    for (const [folder, name] of files) {
        const dir = await root.getDirectoryHandle(folder);
        const file = await (await dir.getFileHandle(name)).getFile();
        const bytes = new Uint8Array(await file.arrayBuffer());
        let text = '';
        for (const b of bytes) text += String.fromCharCode(b);
        out.push(btoa(text));
    }
    return out;
})().then(done, error => done(String(error)));
"""

TRY_FETCH = """
const [url, done] = [arguments[0], arguments[arguments.length - 1]];
let violations = 0;
document.addEventListener('securitypolicyviolation', () => violations++);
fetch(url).then(() => 'fetched', error => 'blocked: ' + error)
    .then(outcome => setTimeout(() => done({ outcome, violations }), 200));
"""


SITE = {"/prcfix.html": "text/html; charset=utf-8", "/sw.js": "text/javascript",
        "/manifest.webmanifest": "application/manifest+json",
        "/icons/favicon.png": "image/png", "/icons/icon-192.png": "image/png",
        "/icons/icon-512.png": "image/png", "/icons/icon-maskable-512.png": "image/png"}


class Counting(http.server.BaseHTTPRequestHandler):
    """Serves the page and its own files, and notes every other request."""
    site = None
    seen = []

    def do_GET(self):
        if self.path in SITE:
            body = (Counting.site / self.path[1:]).read_bytes()
            self.send_response(200)
            self.send_header("Content-Type", SITE[self.path])
            self.end_headers()
            self.wfile.write(body)
            return
        Counting.seen.append(self.path)
        self.send_response(404)
        self.end_headers()

    def log_message(self, *args):
        pass


def main():
    site, prcfix, make_cases, work = sys.argv[1:5]
    work = pathlib.Path(work)
    kinds = page_cases.make_kinds(make_cases, work)
    typical = (kinds / "typical").read_bytes()
    broken = (kinds / "broken-list").read_bytes()

    def native_fix(name):
        return page_cases.native_run(prcfix, typical, name, work / "native" / name)[1]

    fixed_blue = native_fix("Blue.prc")
    # (folder, name, bytes before, bytes after, outcome)
    fixed_red = native_fix("Red.prc")
    fixed_green = native_fix("Green.prc")
    fixed_yellow = native_fix("Yellow.prc")
    # Asked on a click, and so written when its button is clicked; refused,
    # and so left as it was in place and downloaded.
    files = [("fixed", "Blue.prc", typical, fixed_blue, "fixed"),
             ("failed", "Broken.prc", broken, broken, "failed"),
             ("already", "Blue.prc", fixed_blue, fixed_blue, "unchanged"),
             ("ask", "Green.prc", typical, fixed_green, "fixed"),
             ("ask-too", "Yellow.prc", typical, fixed_yellow, "fixed"),
             ("refused", "Red.prc", typical, typical, "fixed")]

    Counting.site = pathlib.Path(site)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Counting)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"http://127.0.0.1:{server.server_address[1]}/"
    downloads = work / "downloads"
    downloads.mkdir()
    faults = []
    with browsers.open_browser("chromium", downloads, performance_log=True) as driver:
        # Served from this machine: a page opened from disk has no
        # origin-private file system.
        driver.get(url + "prcfix.html")
        browsers.wait(driver, "return document.body.dataset.state === 'ready'", 30)
        driver.execute_script((pathlib.Path(__file__).parent / "collect.js").read_text())
        put = driver.execute_async_script(PUT_FILES, [
            [folder, name, base64.b64encode(before).decode()]
            for folder, name, before, _, _ in files])
        if put != "ok":
            raise RuntimeError(f"could not make the origin-private files: {put}")
        driver.get_log("performance")  # what came before the run
        # Clicked from a script, so that the run has no user activation.
        driver.execute_script("document.getElementById('choose').click()")
        browsers.wait(driver, "return document.body.dataset.state === 'ready' && "
                      "window.prcfixTest.results.length >= arguments[0]", 60, len(files) + 1)
        # The refused file is offered, not downloaded unasked: take the offer.
        driver.find_element("link text", "Download the fixed Red.prc").click()
        # The files not written in place are in one zip too, which waits
        # for a click; and one click writes both files that wait for one.
        driver.find_element("partial link text", "Download prcfix-fixed-").click()
        driver.find_element("xpath", "//button[text()='Write all in place']").click()
        browsers.wait(driver, "return !document.evaluate(\"//button[text()='Write it in place']\","
                      " document).iterateNext()", 10)
        requests = [json.loads(entry["message"])["message"] for entry in driver.get_log("performance")]
        results = driver.execute_script("return window.prcfixTest.results")
        gone = driver.execute_script("return document.querySelector('#report li:last-child').textContent")
        if results[-1]["outcome"] != "failed" or "could not be read" not in gone:
            faults.append(f"a file gone before it was read: {results[-1]['outcome']}, {gone!r}")
        after = driver.execute_async_script(READ_FILES, [[f[0], f[1]] for f in files])
        for (folder, name, _, want, outcome), result, got in zip(files, results, after):
            where = f"{folder}/{name}"
            if result["outcome"] != outcome:
                faults.append(f"{where}: outcome {result['outcome']}, expected {outcome}")
            written = "offered" if folder in ("refused", "ask", "ask-too") else "in place"
            if outcome == "fixed" and result["written"] != written:
                faults.append(f"{where}: written {result['written']}, not {written}")
            if base64.b64decode(got) != want:
                faults.append(f"{where}: the file does not hold the expected bytes")
        for event in requests:
            if event["method"] == "Network.requestWillBeSent":
                target = event["params"]["request"]["url"]
                if not target.startswith(("data:", "blob:")):
                    faults.append(f"the page asked for {target} while fixing files")
        tried = driver.execute_async_script(TRY_FETCH, url + "from-the-page")
        if not tried["outcome"].startswith("blocked") or tried["violations"] < 1:
            faults.append(f"a fetch from the page was not blocked by its policy: {tried}")
    server.shutdown()
    if Counting.seen:
        faults.append(f"the server on this machine was reached: {Counting.seen}")
    faults += browsers.check_downloads(downloads, [
        ("Red.prc", fixed_red),
        ("zip", [("Green.prc", fixed_green, None), ("Yellow.prc", fixed_yellow, None),
                 ("Red.prc", fixed_red, None)])])
    return browsers.finish(faults, "in place")


sys.exit(main())
