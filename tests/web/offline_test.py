#!/usr/bin/python3
"""Chromium: the page as an installed app. Opened from disk, the parts that
only make sense when served stay quiet: no error in the console. Served
from this machine, it is installable, its worker takes control, and after
the network is switched off (through the DevTools protocol, and the server
stopped) a reload still brings the page, which then fixes a file exactly as
the native prcfix does.

usage: offline_test.py SITE_DIR PRCFIX MAKE_PAGE_CASES WORK
SITE_DIR holds prcfix.html, sw.js, manifest.webmanifest and icons/.
"""
import base64
import functools
import http.server
import pathlib
import shutil
import sys
import threading

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import browsers  # noqa: E402
import page_cases  # noqa: E402

HERE = pathlib.Path(__file__).parent
READY = "return document.body.dataset.state === 'ready'"


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def main():
    site, prcfix, make_cases, work = sys.argv[1:5]
    work = pathlib.Path(work)
    kinds = page_cases.make_kinds(make_cases, work)
    served = work / "site"
    served.mkdir()
    for name in ["prcfix.html", "sw.js", "manifest.webmanifest"]:
        shutil.copy(pathlib.Path(site) / name, served / name)
    shutil.copytree(pathlib.Path(site) / "icons", served / "icons")
    given = work / "given"
    given.mkdir()
    shutil.copy(kinds / "typical", given / "Blue.prc")
    _, expected = page_cases.native_run(prcfix, (kinds / "typical").read_bytes(),
                                        "Blue.prc", work / "native")

    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(Quiet, directory=str(served)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"http://127.0.0.1:{server.server_address[1]}/prcfix.html"
    faults = []
    downloads = work / "downloads"
    downloads.mkdir()
    with browsers.open_browser("chromium", downloads, browser_log=True) as driver:
        driver.get((served / "prcfix.html").resolve().as_uri())
        browsers.wait(driver, READY, 30)
        errors = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
        if errors:
            faults.append(f"opened from disk, the console shows errors: {errors}")

        driver.get(url)
        browsers.wait(driver, READY, 30)
        browsers.wait(driver, "return navigator.serviceWorker.controller !== null", 30)
        installable = driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})
        if installable.get("installabilityErrors"):
            faults.append(f"not installable: {installable['installabilityErrors']}")
        manifest = driver.execute_cdp_cmd("Page.getAppManifest", {})
        if manifest.get("errors"):
            faults.append(f"the manifest has errors: {manifest['errors']}")

        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
            "offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
        server.shutdown()
        server.server_close()
        driver.refresh()
        browsers.wait(driver, READY, 30)
        if not driver.execute_script("return navigator.serviceWorker.controller !== null"):
            faults.append("offline, the reloaded page is not the worker's")
        driver.execute_script((HERE / "collect.js").read_text())
        driver.find_element("id", "files").send_keys(str(given / "Blue.prc"))
        browsers.wait(driver, READY + " && window.prcfixTest.results.length === 1 && "
                      "window.prcfixTest.pending === 0", 60)
        result = driver.execute_script("return window.prcfixTest.results[0]")
        if result["outcome"] != "fixed" or base64.b64decode(result["fixed"] or "") != expected:
            faults.append(f"offline, the file was not fixed as the native prcfix fixes it: {result['outcome']}")
    return browsers.finish(faults, "offline")


sys.exit(main())
