#!/usr/bin/python3
"""Each character set's encoder, as the page builds it in the browser from
the browser's own decoder, against Python's codec for its Windows code page
(code_pages.py): over every character the code page holds, the same bytes,
and no character more. In Chromium, each encoder is built within 50 ms,
each on a page of its own.

usage: charsets_test.py ENGINE NAMES_JS WORK
"""
import json
import pathlib
import re
import statistics
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import browsers  # noqa: E402
import code_pages  # noqa: E402

DUMP = """
const label = arguments[0];
const started = performance.now();
const codeOf = encoderFor(label);
const took = performance.now() - started;
const out = {};
codeOf.forEach((code, point) => {
    if (code)
        out[String.fromCharCode(point)] = code.toString(16).padStart(code > 0xff ? 4 : 2, '0');
});
return JSON.stringify({ took, out });
"""


def built_encoders(engine, blank, script, work):
    """(label, {times, out}) for each set, each built on a page of its own;
    in Chromium three times, for the time."""
    labels = list(code_pages.CODECS)
    if engine == "firefox":
        (work / "script.js").write_text(script)
        (work / "labels.json").write_text(json.dumps(labels))
        subprocess.run(["node", str(pathlib.Path(__file__).parent / "firefox_encoders.mjs"),
                        blank.as_uri(), str(work / "script.js"), str(work / "labels.json"),
                        str(work / "encoders.json")], check=True, timeout=600)
        built = json.loads((work / "encoders.json").read_text())
        for label in labels:
            yield label, {"times": [built[label]["took"]], "out": built[label]["out"]}
        return
    with browsers.open_browser(engine, work / "downloads") as driver:
        for label in labels:
            times = []
            for _ in range(3 if engine == "chromium" else 1):
                driver.get(blank.as_uri())
                got = json.loads(driver.execute_script(script, label))
                times.append(got["took"])
            yield label, {"times": times, "out": got["out"]}


def main():
    engine, names_js, work = sys.argv[1:4]
    work = pathlib.Path(work)
    work.mkdir(parents=True, exist_ok=True)
    blank = work / "blank.html"
    blank.write_text("<!doctype html><meta charset=utf-8><title>encoders</title>")
    # The module's own text, run in the page as a script.
    code = re.sub(r"^export\s+", "", pathlib.Path(names_js).read_text(), flags=re.M)
    faults = []
    for label, built in built_encoders(engine, blank, code + DUMP, work):
        codec = code_pages.CODECS[label][0]
        times = built["times"]
        ours = built["out"]
        want = {c: b.hex() for c, b in code_pages.mapped(codec).items()}
        missing = sorted(c for c in want if c not in ours)
        extra = sorted(c for c in ours if c not in want)
        wrong = sorted(c for c in ours if c in want and ours[c] != want[c])
        for what, chars in [("lacks", missing), ("holds more:", extra), ("writes other bytes for", wrong)]:
            if chars:
                shown = ", ".join(f"U+{ord(c):04X} {ours.get(c)}/{want.get(c)}" for c in chars[:8])
                faults.append(f"{label}: the encoder {what} {len(chars)} characters: {shown}")
        took = statistics.median(times)
        print(f"{engine}: {label}: {len(ours)} characters, built in {took:.1f} ms")
        if engine == "chromium" and took > 50:
            faults.append(f"{label}: building the encoder took {took:.1f} ms, more than 50")
    return browsers.finish(faults, f"{engine} character sets")


sys.exit(main())
