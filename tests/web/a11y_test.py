#!/usr/bin/python3
"""The page for everyone: axe-core finds no violation of the WCAG 2.1 A and
AA rules, in the light and the dark colour scheme, after a batch has filled
the report; the choice of character set and then the chooser are reached
with Tab and show their focus, the chooser opens with Enter, and Tab goes
on through the batch's zip and the report's links. In Chromium also: at
360 CSS pixels wide and at 200 % zoom nothing needs horizontal scrolling,
and screenshots at 390x844 and 1280x800 are kept.

usage: a11y_test.py ENGINE PAGE PRCFIX MAKE_PAGE_CASES WORK SHOT_DIR
"""
import pathlib
import shutil
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import browsers  # noqa: E402
import page_cases  # noqa: E402

HERE = pathlib.Path(__file__).parent
READY = "return document.body.dataset.state === 'ready'"
AXE = """
const done = arguments[arguments.length - 1];
axe.run(document, { runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'] } })
    .then(result => done(result.violations.map(v => ({ id: v.id, help: v.help,
        nodes: v.nodes.map(n => n.target.join(' ') + ': ' + n.failureSummary) }))),
          error => done([{ id: 'axe failed', help: String(error), nodes: [] }]));
"""


def batch_files(work, prcfix, make_cases):
    """A batch with a line of every kind: fixed, failed, already fixed."""
    kinds = page_cases.make_kinds(make_cases, work)
    given = work / "given"
    given.mkdir()
    page_cases.native_run(prcfix, (kinds / "typical").read_bytes(), "Done.prc", work / "done")
    files = {"Blue.prc": kinds / "typical", "Broken.prc": kinds / "broken-list",
             "Done.prc": work / "done" / "Done.prc", "Short.prc": kinds / "79-bytes",
             "Łódź.prc": kinds / "typical",
             "StatusBarResources.prc": kinds / "typical"}
    for name, source in files.items():
        shutil.copy(source, given / name)
    return [str(given / name) for name in files]


def fill(driver, url, paths):
    driver.get(url)
    browsers.wait(driver, READY, 30)
    driver.execute_script((HERE / "collect.js").read_text())
    driver.find_element("id", "files").send_keys("\n".join(paths))
    browsers.wait(driver, READY + " && window.prcfixTest.results.length >= arguments[0]",
                  60, len(paths))


def audit(driver, scheme):
    driver.execute_script((HERE / "node_modules/axe-core/axe.min.js").read_text())
    actual = driver.execute_script(
        "return matchMedia('(prefers-color-scheme: dark)').matches ? 'dark' : 'light'")
    if actual != scheme:
        return [f"{scheme}: the page was shown in the {actual} scheme"]
    return [f"{scheme}: {v['id']} ({v['help']}): {'; '.join(v['nodes'])}"
            for v in driver.execute_async_script(AXE)]


def keyboard(driver, url, paths):
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.keys import Keys
    faults = []
    fill(driver, url, paths)
    driver.execute_script("window.scrollTo(0, 0); document.activeElement.blur();"
                          "window.pickerAsked = 0;"
                          "window.showOpenFilePicker = async () => { window.pickerAsked++; return []; };")
    # First the choice of character set, then the chooser: each shows its
    # focus plainly.
    for want in ["charset", "choose"]:
        ActionChains(driver).send_keys(Keys.TAB).perform()
        focused = driver.execute_script(
            "const e = document.activeElement; return { id: e.id, visible: e.matches(':focus-visible'),"
            " outline: getComputedStyle(e).outlineStyle + ' ' + getComputedStyle(e).outlineWidth }")
        if focused["id"] != want:
            faults.append(f"Tab reaches {focused['id']!r}, not {want!r}")
        if not focused["visible"] or focused["outline"].startswith("none") or focused["outline"].endswith(" 0px"):
            faults.append(f"the focus of {want!r} is not shown: {focused}")
    ActionChains(driver).send_keys(Keys.ENTER).perform()
    browsers.wait(driver, "return window.pickerAsked > 0", 5)
    # The batch's summary, with its zip, and then each file's line.
    links = driver.execute_script("return document.querySelectorAll('#batches a, #report a').length")
    reached = []
    for _ in range(links):
        ActionChains(driver).send_keys(Keys.TAB).perform()
        reached.append(driver.execute_script(
            "return document.activeElement.closest('#batches, #report') ? document.activeElement.textContent : null"))
    if links == 0 or None in reached:
        faults.append(f"Tab does not go through the report's {links} links: {reached}")
    return faults


def reflow(driver, url, paths, shots):
    faults = []
    fill(driver, url, paths)
    for label, width, height, scale in [("360 CSS pixels wide", 360, 780, 2),
                                        ("200 % zoom of 1280x800", 640, 400, 2)]:
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": scale, "mobile": width < 400})
        wide = driver.execute_script(
            "return [document.documentElement.scrollWidth, document.documentElement.clientWidth]")
        if wide[0] > wide[1]:
            faults.append(f"{label}: the page is {wide[0]} pixels wide in a {wide[1]} pixel view")
    for width, height in [(390, 844), (1280, 800)]:
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": width < 400})
        driver.save_screenshot(str(shots / f"page-{width}x{height}.png"))
    driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
    return faults


def main():
    engine, page, prcfix, make_cases, work, shots = sys.argv[1:7]
    work, shots = pathlib.Path(work), pathlib.Path(shots)
    paths = batch_files(work, prcfix, make_cases)
    url = pathlib.Path(page).resolve().as_uri()
    downloads = work / "downloads"
    downloads.mkdir()
    faults = []
    if engine == "chromium":
        with browsers.open_browser(engine, downloads) as driver:
            for scheme in ["light", "dark"]:
                driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
                    "features": [{"name": "prefers-color-scheme", "value": scheme}]})
                fill(driver, url, paths)
                faults += audit(driver, scheme)
                if scheme == "dark":
                    driver.save_screenshot(str(shots / "page-dark.png"))
            driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
            faults += keyboard(driver, url, paths)
            faults += reflow(driver, url, paths, shots)
    else:
        # WebKitGTK follows the GTK theme's preference for the colour scheme.
        for scheme, theme in [("light", "Adwaita"), ("dark", "Adwaita:dark")]:
            with browsers.open_browser(engine, downloads, gtk_theme=theme) as driver:
                fill(driver, url, paths)
                faults += audit(driver, scheme)
                if scheme == "light":
                    faults += keyboard(driver, url, paths)
    return browsers.finish(faults, f"{engine} accessibility")


sys.exit(main())
