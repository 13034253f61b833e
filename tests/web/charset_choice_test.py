#!/usr/bin/python3
"""Chromium: the page's choice of character set. With the browser in
English it is Western; in Japanese, Polish or Traditional Chinese it is that
language's set. A set the user chooses is kept on the device and wins over
the languages when the page is opened again, and a line names the set its
file's name was written in.

usage: charset_choice_test.py PAGE WORK
"""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import browsers  # noqa: E402


def main():
    from selenium.webdriver.support.ui import Select
    page, work = sys.argv[1:3]
    work = pathlib.Path(work)
    work.mkdir(parents=True, exist_ok=True)
    url = pathlib.Path(page).resolve().as_uri()
    faults = []
    for languages, want in [("en-US,en", "windows-1252"), ("ja,en-US", "shift_jis"),
                            ("pl-PL,pl", "windows-1250"), ("zh-TW,zh", "big5")]:
        with browsers.open_browser("chromium", work / "downloads", languages=languages) as driver:
            browsers.open_page(driver, url)
            choice = Select(driver.find_element("id", "charset"))
            got = choice.first_selected_option.get_attribute("value")
            if got != want:
                faults.append(f"browser in {languages}: the page chose {got}, not {want}")
            label = driver.execute_script(
                "return document.querySelector('label[for=charset]').textContent")
            if label != "Handheld's character set":
                faults.append(f"the choice is labelled {label!r}")
            if languages.startswith("ja"):
                # Chosen once, kept when the page is opened again.
                choice.select_by_value("euc-kr")
                browsers.open_page(driver, url)
                kept = Select(driver.find_element("id", "charset")).first_selected_option
                if kept.get_attribute("value") != "euc-kr":
                    faults.append(f"a chosen set was not kept: {kept.get_attribute('value')}")
                if kept.text != "Korean (code page 949)":
                    faults.append(f"the set is shown as {kept.text!r}")
    return browsers.finish(faults, "charset choice")


sys.exit(main())
