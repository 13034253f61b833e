#!/usr/bin/python3
"""Opens the page from disk in one browser, gives it every case through its
file input and compares what it fixed with what the native prcfix makes of
the same file under the same name's bytes.

usage: page_test.py ENGINE PAGE PRCFIX MAKE_PAGE_CASES WORK [SCREENSHOT]
ENGINE is chromium, firefox or webkit.
"""
import base64
import json
import pathlib
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import page_cases  # noqa: E402
import browsers  # noqa: E402

HERE = pathlib.Path(__file__).parent


def drive_selenium(driver, url, batches, screenshot):
    from selenium.webdriver.support.ui import Select
    collect = (HERE / "collect.js").read_text()
    out = []
    for batch in batches:
        paths = [f["path"] for f in batch["files"]]
        driver.get(url)
        browsers.wait(driver, "return document.body.dataset.state === 'ready'", 30)
        driver.execute_script(collect)
        Select(driver.find_element("id", "charset")).select_by_value(batch["charset"])
        if batch["drop"]:
            driver.execute_script("window.prcfixTest.drop(arguments[0])", dropped(batch))
        else:
            driver.find_element("id", "files").send_keys("\n".join(paths))
        browsers.wait(driver, "return document.body.dataset.state === 'ready' && "
                      "window.prcfixTest.results.length >= arguments[0] && "
                      "window.prcfixTest.zips.length >= 1 && "
                      "window.prcfixTest.pending === 0", 120, len(paths))
        out.append(driver.execute_script(REPORT))
        if batch["label"] == LINK_AFTER:
            # A line's own link, followed with a click as a user would.
            driver.find_element("link text", f"Download the fixed {LINKED}").click()
        if screenshot and batch["label"] == "mixed batch":
            # The whole page, report and all.
            size = driver.get_window_size()
            height = driver.execute_script("return document.documentElement.scrollHeight")
            driver.set_window_size(1280, height + 140)
            driver.save_screenshot(screenshot)
            driver.set_window_size(size["width"], size["height"])
    return out


QUICK_CHARSETS = {"windows-1252", "windows-1251", "shift_jis", "big5"}
REPORT = ("return {results: window.prcfixTest.results, zips: window.prcfixTest.zips,"
          " lines: Array.from(document.querySelectorAll('#report li'),"
          " li => ({outcome: li.dataset.outcome, text: li.textContent}))}")
# After this batch, the link on the line of this file is clicked.
LINK_AFTER, LINKED = "mixed batch", "Red.prc"


def dropped(batch):
    """The batch's files as [name, base64] pairs, for a drop."""
    return [[f["name"], base64.b64encode(f["before"]).decode()] for f in batch["files"]]


def drive_firefox(url, batches, work, downloads):
    listing = work / "batches.json"
    listing.write_text(json.dumps([
        {"paths": [f["path"] for f in b["files"]], "drop": dropped(b) if b["drop"] else None,
         "charset": b["charset"],
         "click": f"Download the fixed {LINKED}" if b["label"] == LINK_AFTER else None}
        for b in batches]))
    result = work / "firefox-results.json"
    subprocess.run(["node", str(HERE / "firefox_driver.mjs"), url, str(listing),
                    str(result), str(downloads)], check=True, timeout=1200)
    return json.loads(result.read_text())


def main():
    engine, page, prcfix, make_cases, work = sys.argv[1:6]
    screenshot = sys.argv[6] if len(sys.argv) > 6 else None
    work = pathlib.Path(work)
    random_count = 30
    kinds = page_cases.make_kinds(make_cases, work, random_count, 20261211)
    batches = page_cases.prepare(work, kinds, prcfix, random_count)
    # Chromium is given every character set, the others a few.
    if engine != "chromium":
        batches = [b for b in batches if b["charset"] in QUICK_CHARSETS]
    downloads = work / "downloads"
    downloads.mkdir()
    url = pathlib.Path(page).resolve().as_uri()

    started = time.monotonic()
    if engine == "firefox":
        reports = drive_firefox(url, batches, work, downloads)
    else:
        with browsers.open_browser(engine, downloads) as driver:
            reports = drive_selenium(driver, url, batches, screenshot)
    print(f"{engine}: {sum(len(b['files']) for b in batches)} files in "
          f"{len(batches)} batches, {time.monotonic() - started:.1f} s")

    faults = []
    expected_downloads = []
    for batch, report in zip(batches, reports):
        for result in report["results"]:
            if result["fixed"] is not None:
                result["fixed"] = base64.b64decode(result["fixed"])
        for slot in report["zips"]:
            if slot["zip"] is not None:
                slot["zip"] = base64.b64decode(slot["zip"])
        faults += page_cases.check(batch, report["results"], report["lines"], report["zips"])
        expected_downloads += page_cases.expected_downloads(batch)
        if batch["label"] == LINK_AFTER:
            linked = next(f for f in batch["files"] if f["name"] == LINKED)
            expected_downloads.append((LINKED, linked["after"]))
    if len(reports) != len(batches):
        faults.append(f"{len(batches)} batches gave {len(reports)} reports")
    if engine != "webkit":
        faults += browsers.check_downloads(downloads, expected_downloads)
    return browsers.finish(faults, engine)


sys.exit(main())
