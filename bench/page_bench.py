#!/usr/bin/python3
"""The page's figures in headless Chromium, beside the native prcfix on the
same files in the same run. A measurement, not a test: it prints the
figures and which targets they meet, and exits 0 once it has measured.

usage: page_bench.py PAGE PRCFIX MAKE_BENCH_DB WORK
"""
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "web"))
import browsers  # noqa: E402

READY = "return document.body.dataset.state === 'ready'"
# Notes when the input hands the page its files, when each is done, and
# when the batch is: its zip made and its download started, or its one
# file's download started.
TIMES = """
window.benchTimes = { taken: null, done: [], batch: null };
document.getElementById('files').addEventListener('change',
    () => { window.benchTimes.taken = performance.now(); }, { capture: true });
document.addEventListener('prcfix-result', () => window.benchTimes.done.push(performance.now()));
document.addEventListener('prcfix-batch', () => { window.benchTimes.batch = performance.now(); });
"""


def copies(source, folder, count, stem):
    folder.mkdir(parents=True, exist_ok=True)
    paths = []
    for i in range(count):
        path = folder / f"{stem}{i:04d}.prc"
        shutil.copy(source, path)
        paths.append(str(path))
    return paths


def native_seconds(paths, prcfix):
    """Seconds for one prcfix process per file, run one after another from
    a shell loop, as a script or a user at a prompt would run them."""
    started = time.perf_counter()
    subprocess.run(["bash", "-c", 'for f in "$@"; do "$0" "$f" || exit 1; done', prcfix] + paths,
                   check=True)
    return time.perf_counter() - started


def renderer_peak_kib():
    """The largest peak resident size among this browser's renderers."""
    peak = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            cmdline = pathlib.Path(f"/proc/{pid}/cmdline").read_bytes()
            if b"--type=renderer" not in cmdline:
                continue
            for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
                if line.startswith("VmHWM:"):
                    peak = max(peak, int(line.split()[1]))
        except OSError:
            pass
    return peak


def wait_for_downloads(folder, count, seconds=120):
    """Waits until the browser has written count downloads whole."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        names = os.listdir(folder)
        if len(names) >= count and not any(n.endswith(".crdownload") for n in names):
            return
        time.sleep(0.1)


def page_seconds(driver, url, paths):
    """Seconds from the input's hand-over of the files to the end of the
    batch: its download started."""
    driver.get(url)
    browsers.wait(driver, READY, 30)
    driver.execute_script(TIMES)
    driver.find_element("id", "files").send_keys("\n".join(paths))
    browsers.wait(driver, READY + " && window.benchTimes.batch !== null", 3600)
    times = driver.execute_script("return window.benchTimes")
    return (times["batch"] - times["taken"]) / 1000


def main():
    page, prcfix, make_db, work = sys.argv[1:5]
    work = pathlib.Path(work).resolve()
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    url = pathlib.Path(page).resolve().as_uri()
    typical, worst = work / "Typical.orig", work / "Worst.orig"
    subprocess.run([make_db, "typical", str(typical)], check=True)
    subprocess.run([make_db, "overlays", "65535", str(worst)], check=True)
    # The typical skin, padded to 1 MiB and (sparse) to 1 GiB.
    sized = {}
    for label, size in [("1 MiB", 1 << 20), ("1 GiB", 1 << 30)]:
        path = work / f"Big{size}.orig"
        shutil.copy(typical, path)
        os.truncate(path, size)
        sized[label] = path

    rows = []
    print(f"page: {os.path.getsize(page)} bytes")
    rows.append(("page size", f"{os.path.getsize(page) / 1000:.1f} KB", "at most 150 KB",
                 os.path.getsize(page) <= 150_000))

    downloads = work / "downloads"
    downloads.mkdir()
    with browsers.open_browser("chromium", downloads) as driver:
        ready = []
        for _ in range(21):
            driver.get(url)
            browsers.wait(driver, READY, 30)
            ready.append(driver.execute_script(
                "return performance.getEntriesByName('prcfix-ready')[0].startTime"))
        ready_ms = statistics.median(ready)
        rows.append(("navigation to ready (median of 21)", f"{ready_ms:.1f} ms",
                     "within 100 ms", ready_ms <= 100))

        for label, source, count in [("typical skin", typical, 200), ("worst table", worst, 10)]:
            page_each = page_seconds(driver, url, copies(source, work / label / "page", count, "Skin")) / count
            native_each = native_seconds(copies(source, work / label / "native", count, "Skin"), prcfix) / count
            shutil.rmtree(downloads)
            downloads.mkdir()
            target = "no more than one native process" if label == "typical skin" else "(measured)"
            rows.append((f"{label}, per file: page / native process",
                         f"{page_each * 1000:.2f} ms / {native_each * 1000:.2f} ms", target,
                         page_each <= native_each if label == "typical skin" else None))

        # Rounds of the page's batch and the shell loop, one after the other,
        # each on fresh copies, so that the machine's drift falls on both.
        rounds = []
        for round_ in range(5):
            paths = copies(typical, work / "batch" / f"page{round_}", 1000, "Skin")
            page_batch = page_seconds(driver, url, paths)
            native_batch = native_seconds(copies(typical, work / "batch" / f"native{round_}", 1000, "Skin"), prcfix)
            rounds.append((page_batch, native_batch))
            print(f"1,000 skins, round {round_}: page {page_batch:.3f} s, native {native_batch:.3f} s")
            shutil.rmtree(downloads)
            downloads.mkdir()
        page_batch = statistics.median(r[0] for r in rounds)
        native_batch = statistics.median(r[1] for r in rounds)
        ratio = statistics.median(r[0] / r[1] for r in rounds)
        rows.append(("1,000 typical skins, one batch to its zip's download / 1,000 native runs "
                     "from a shell loop (medians of 5)",
                     f"{ratio:.2f} ({page_batch:.2f} s / {native_batch:.2f} s)", "at most 1.0",
                     ratio <= 1.0))

    # Each size in a browser of its own, so that its renderer's peak memory
    # is that size's alone: once the file is fixed, and again once the
    # browser has written its download (which Chromium streams through the
    # page's renderer).
    per_size = {}
    for label, source in sized.items():
        with browsers.open_browser("chromium", downloads) as driver:
            seconds = []
            for run in range(3):
                path = work / "sized" / f"{label.replace(' ', '')}-{run}" / "Big.prc"
                path.parent.mkdir(parents=True)
                shutil.copy(source, path)
                seconds.append(page_seconds(driver, url, [str(path)]))
                fixed_kib = renderer_peak_kib()
                wait_for_downloads(downloads, run + 1)
                path.unlink()
            per_size[label] = (statistics.median(seconds), fixed_kib, renderer_peak_kib())
            print(f"{label}: {[round(s * 1000, 1) for s in seconds]} ms, peak {per_size[label][1:]} KiB")
        shutil.rmtree(downloads)
        downloads.mkdir()
    (small_s, small_fix, small_all), (big_s, big_fix, big_all) = per_size["1 MiB"], per_size["1 GiB"]
    rows.append(("1 GiB file / 1 MiB file, time (median of 3)",
                 f"{big_s / small_s:.2f} ({big_s * 1000:.1f} / {small_s * 1000:.1f} ms)",
                 "at most 1.2", big_s <= 1.2 * small_s))
    rows.append(("1 GiB file / 1 MiB file, renderer's peak memory once fixed",
                 f"{big_fix / small_fix:.2f} ({big_fix / 1024:.0f} / {small_fix / 1024:.0f} MiB)",
                 "bounded the same way (at most 1.2)", big_fix <= 1.2 * small_fix))
    rows.append(("the same, once Chromium has written the download",
                 f"{big_all / small_all:.2f} ({big_all / 1024:.0f} / {small_all / 1024:.0f} MiB)",
                 "(measured)", None))

    print()
    print("| measurement | result | target | met |")
    print("|---|---|---|---|")
    for what, result, target, met in rows:
        print(f"| {what} | {result} | {target} | {'yes' if met else 'no' if met is False else ''} |")
    shutil.rmtree(work, ignore_errors=True)
    return 0


sys.exit(main())
