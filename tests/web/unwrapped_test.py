#!/usr/bin/python3
"""Chromium as a user has it: a fresh profile, which asks before a page's
second download of its own accord, downloads saved to a folder, and
nothing in the page wrapped or listened to. Files are given through the
file input and links are clicked; the test looks only at the page's text
and at the download folder, where anything the browser held back is
missing, as it would be for the user.

Checks: a mixed batch gives one download, a zip holding exactly the native
prcfix's outputs of its fixed files; a line's link clicked after the batch
downloads that file; a batch of one fixed file downloads it under its own
name; files of the same name all reach the zip, under names of their own;
and a second batch given to the same page, after a click on it such as
the chooser's, reaches the folder too.

usage: unwrapped_test.py PAGE PRCFIX MAKE_PAGE_CASES WORK
"""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import browsers  # noqa: E402
import page_cases  # noqa: E402


def give(driver, batch):
    """Gives the batch to the page as a user would, and waits for it to be
    done, as the page says: a line for each file, and its progress line."""
    lines = len(driver.find_elements("css selector", "#report li")) + len(batch["files"])
    driver.find_element("id", "files").send_keys("\n".join(f["path"] for f in batch["files"]))
    browsers.wait_for_progress(
        driver, lambda text: text.startswith("Done:") and
        len(driver.find_elements("css selector", "#report li")) == lines, 60, "the batch did not end")


def main():
    page, prcfix, make_cases, work = sys.argv[1:5]
    work = pathlib.Path(work)
    kinds = page_cases.make_kinds(make_cases, work, 1, 20261211)
    url = pathlib.Path(page).resolve().as_uri()
    downloads = work / "downloads"
    downloads.mkdir()
    faults = []
    expected = []
    with browsers.open_browser("chromium", downloads, as_installed=True) as driver:
        batches = page_cases.prepare(work, kinds, prcfix, 0,
                                     labels=["mixed batch", "sample", "same names", "e acute"])
        for batch in batches:
            if batch["label"] == "e acute":
                # On the page the last batch left: the user's click, on the
                # chooser or anywhere, lets the page start a download again.
                driver.find_element("tag name", "h1").click()
            else:
                browsers.open_page(driver, url)
            give(driver, batch)
            expected += page_cases.expected_downloads(batch)
            # Each batch's downloads are in before the next page is opened.
            faults += [f"{batch['label']}: {fault}" for fault in
                       browsers.check_downloads(downloads, expected)]
            if batch["label"] == "mixed batch":
                linked = next(f for f in batch["files"] if f["outcome"] == "fixed")
                driver.find_element("link text", f"Download the fixed {linked['name']}").click()
                expected.append((linked["name"], linked["after"]))
                faults += [f"a line's link: {fault}" for fault in
                           browsers.check_downloads(downloads, expected)]
    return browsers.finish(faults, f"unwrapped: {len(expected)} downloads expected")


sys.exit(main())
