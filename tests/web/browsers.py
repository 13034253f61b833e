"""Starting the browsers the page is tested in, from Debian's packages, and
the checks that are the same in each."""
import contextlib
import os
import pathlib
import shutil
import subprocess
import tempfile
import time
import zipfile

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage"]
MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"


def wait(driver, script, seconds, *args):
    deadline = time.monotonic() + seconds
    while not driver.execute_script(script, *args):
        if time.monotonic() > deadline:
            raise TimeoutError(f"waited {seconds} s for: {script}")
        time.sleep(0.05)


def finish(faults, what):
    """Prints each fault where the test's runner looks for it, and a count;
    returns the test's exit status."""
    for fault in faults:
        print("FAULT:", fault)
    print(f"{what}: {len(faults)} faults")
    return 1 if faults else 0


def wait_for_progress(driver, done, seconds, what):
    """Waits until the page's progress line, as a user reads it, satisfies
    done."""
    deadline = time.monotonic() + seconds
    while not done(driver.find_element("id", "progress").text):
        if time.monotonic() > deadline:
            raise TimeoutError(what)
        time.sleep(0.05)


def open_page(driver, url):
    """Opens the page and waits until it says it is ready, reading only
    what a user sees."""
    driver.get(url)
    wait_for_progress(driver, lambda text: text == "Ready.", 30, "the page did not become ready")


@contextlib.contextmanager
def open_browser(engine, downloads, performance_log=False, browser_log=False,
                 gtk_theme=None, as_installed=False, languages=None):
    """A browser whose downloads go to the folder downloads. Chromium lets
    the page download several files on its own unless as_installed, which
    leaves it as a fresh profile has it: asking before a second one. In
    Chromium, languages (such as "ja,en") are those the browser asks for."""
    from selenium import webdriver
    profile = tempfile.mkdtemp(prefix=f"prcfix-{engine}-")
    xvfb = None
    try:
        if engine == "chromium":
            options = webdriver.ChromeOptions()
            options.binary_location = "/usr/bin/chromium"
            for flag in CHROMIUM_FLAGS + [f"--user-data-dir={profile}"]:
                options.add_argument(flag)
            prefs = {
                "download.default_directory": str(downloads),
                "download.prompt_for_download": False,
            }
            if not as_installed:
                prefs["profile.default_content_setting_values.automatic_downloads"] = 1
            if languages:
                prefs["intl.accept_languages"] = languages
                options.add_argument(f"--lang={languages.split(',')[0]}")
            options.add_experimental_option("prefs", prefs)
            logs = {}
            if performance_log:
                logs["performance"] = "ALL"
            if browser_log:
                logs["browser"] = "ALL"
            if logs:
                options.set_capability("goog:loggingPrefs", logs)
            from selenium.webdriver.chrome.service import Service
            service = Service(executable_path="/usr/bin/chromedriver")
            driver = webdriver.Chrome(options=options, service=service)
        elif engine == "webkit":
            display = _free_display()
            xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1280x1024x24",
                                     "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
            time.sleep(1)
            os.environ["DISPLAY"] = f":{display}"
            if gtk_theme:
                os.environ["GTK_THEME"] = gtk_theme
            options = webdriver.WebKitGTKOptions()
            options.binary_location = MINIBROWSER
            options.add_argument("--automation")
            driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver",
                                         options=options)
        else:
            raise ValueError(engine)
        try:
            yield driver
        finally:
            driver.quit()
    finally:
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
        shutil.rmtree(profile, ignore_errors=True)


def _free_display():
    for n in range(90, 200):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return n
    raise RuntimeError("no free X display")


def check_downloads(downloads, expected, seconds=30):
    """Exactly the expected downloads are in the folder, and nothing else:
    each a (name, bytes) pair for a file downloaded under its own name, or
    ("zip", members) for a batch's zip, which must hold the members
    ([(name, bytes, path)]). A name downloaded twice is renamed by the
    browser, so only the count and the first of those are checked, as are
    names the browser changes because they are unsafe on some system."""
    want = len(expected)
    names = [name for name, _ in expected if name != "zip" and not _renamed(name)]

    def in_progress(path):
        # Chromium writes a download to a temporary file first.
        return path.name.endswith((".crdownload", ".part")) or path.name.startswith(".org.chromium.")

    deadline = time.monotonic() + seconds
    while True:
        done = [p for p in pathlib.Path(downloads).iterdir() if not in_progress(p)]
        partial = [p for p in pathlib.Path(downloads).iterdir() if in_progress(p)]
        arrived = all((pathlib.Path(downloads) / name).exists() for name in names)
        if (len(done) >= want and not partial and arrived) or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    faults = []
    if len(done) != want:
        faults.append(f"downloads: {len(done)} files {sorted(p.name for p in done)}, expected {want}")
    zips = [p for p in done if p.name.startswith("prcfix-fixed-") and p.suffix == ".zip"]
    wanted_zips = [members for name, members in expected if name == "zip"]
    if len(zips) != len(wanted_zips):
        faults.append(f"downloads: {len(zips)} zips, expected {len(wanted_zips)}")
    for members in wanted_zips:
        names = [name for name, _, _ in members]
        found = [z for z in zips if zipfile.ZipFile(z).namelist() == names]
        if not found:
            faults.append(f"downloads: no zip holds {names}")
            continue
        archive = zipfile.ZipFile(found[0])
        for name, after, _ in members:
            if archive.read(name) != after:
                faults.append(f"downloads: {found[0].name}: {name!r} does not hold the fixed bytes")
    plain = {}
    for name, after in expected:
        if name != "zip":
            plain.setdefault(name, []).append(after)
    for name, versions in plain.items():
        if _renamed(name):
            continue
        path = pathlib.Path(downloads) / name
        if not path.exists():
            faults.append(f"downloads: no file named {name!r}")
        elif path.read_bytes() != versions[0]:
            faults.append(f"downloads: {name!r} does not hold the fixed bytes")
    return faults


def _renamed(name):
    """Whether browsers change the name of a download: names that are
    unsafe on some system."""
    return name.startswith(".") or any(c in name for c in ':\\')
