"""The cases the page is tried on, what the native prcfix makes of each, and
the check of what a browser's run of the page left.

Each case is one batch of files given to the page at once. A file's expected
result comes from the native prcfix run on a path whose bytes are the file
name in composed form (NFC), encoded in Windows-1252; a run that fails
leaves the file untouched in the page, whatever the native run wrote.
"""
import os
import pathlib
import random
import shutil
import subprocess
import unicodedata

# Windows-1252 as browsers read it: the five bytes it leaves undefined
# stand for the control characters of the same number.
_to_byte = {}
for _byte in range(256):
    try:
        _to_byte[bytes([_byte]).decode("cp1252")] = _byte
    except UnicodeDecodeError:
        _to_byte[chr(_byte)] = _byte


def windows_1252(name):
    """The name's bytes, or None when a character is not in the set."""
    try:
        return bytes(_to_byte[c] for c in unicodedata.normalize("NFC", name))
    except KeyError:
        return None


def _random_name(rng):
    alphabet = ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
                "_-.. éèàçüöÆØÅßñ€ŒœŠšŽžŸ™…‚„\\:")
    name = "".join(rng.choice(alphabet) for _ in range(rng.randrange(1, 46)))
    name = name.strip() or "n"
    if rng.random() < 0.1:
        name += rng.choice("łĳ日Ωж")
    if name in (".", ".."):
        name = "n" + name
    if rng.random() < 0.2:
        name = unicodedata.normalize("NFD", name)
    return name + rng.choice(["", ".prc", ".pdb", ".PRC"])


def case_table(kinds_dir, random_count, seed):
    """(label, [(file name, kind of database, outcome or None)]) for every
    batch."""
    # Each file: its name, the kind of database it holds, and the outcome
    # the case is there for.
    fixed = [
        ("sample", [("Blue.prc", "typical", "fixed")]),
        ("default name", [("StatusBarResources.prc", "typical", "fixed")]),
        ("first dot", [("my.skin.pdb", "typical", "fixed")]),
        ("40 characters", [("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn.prc", "typical", "fixed")]),
        ("dot first", [(".prc", "typical", "fixed")]),
        ("e acute", [("Café bleu.prc", "typical", "fixed")]),
        ("OE ligature", [("Œuvre.pdb", "typical", "fixed")]),
        ("decomposed", [(unicodedata.normalize("NFD", "Été à Köln.prc"), "typical", "fixed")]),
        ("outside Windows-1252", [("Łódź.prc", "typical", "failed")]),
        ("broken list", [("Broken.prc", "broken-list", "failed")]),
        ("79 bytes", [("Short.prc", "79-bytes", "failed")]),
        ("empty", [("Empty.prc", "empty", "failed")]),
        ("over 1 MiB", [("Large.prc", "over-a-mebibyte", "fixed")]),
        ("worst table", [("Worst.prc", "worst-table", "fixed")]),
        ("already fixed", [("Blue.prc", "typical-fixed-as-Blue", "unchanged")]),
        ("mixed batch", [("Red.prc", "typical", "fixed"),
                         ("Broken.prc", "broken-list", "failed"),
                         ("Blue.prc", "typical-fixed-as-Blue", "unchanged"),
                         ("StatusBarResources.prc", "typical", "fixed"),
                         ("Short.prc", "79-bytes", "failed"),
                         ("Green.pdb", "random-0", None)]),
        # Dropped on the page rather than chosen.
        ("dropped", [("Dropped Œuvre.prc", "typical", "fixed"),
                     ("Broken.prc", "broken-list", "failed")]),
    ]
    rng = random.Random(seed)
    kinds = [f"random-{n}" for n in range(random_count)]
    batches = []
    for start in range(0, len(kinds), 6):
        batch, used = [], set()
        for kind in kinds[start:start + 6]:
            name = _random_name(rng)
            while name in used:
                name = "x" + name
            used.add(name)
            batch.append((name, kind, None))
        batches.append((f"random {start // 6}", batch))
    return fixed + batches


def prepare(work, kinds_dir, prcfix, random_count=30, seed=20261211):
    """Writes each batch's files under work/given/N/ and works out what each
    should come to. Returns a list of batches: {label, drop, files: [{name,
    path, before, outcome, after}]}; drop says the batch is dropped on the
    page rather than given through its file input."""
    work = pathlib.Path(work)
    _fix_copy(pathlib.Path(kinds_dir), "typical", "Blue", prcfix)
    batches = []
    for index, (label, files) in enumerate(case_table(kinds_dir, random_count, seed)):
        given = work / "given" / str(index)
        native = work / "native" / str(index)
        given.mkdir(parents=True)
        native.mkdir(parents=True)
        entries = []
        for name, kind, meant in files:
            before = (pathlib.Path(kinds_dir) / kind).read_bytes()
            path = given / name
            path.write_bytes(before)
            expected = _expected(native, name, before, prcfix)
            if meant and expected["outcome"] != meant:
                raise AssertionError(f"case {label!r}: {name!r} is meant to be "
                                     f"{meant}, but the native run makes it {expected['outcome']}")
            entries.append(dict(name=name, path=str(path), before=before, **expected))
        batches.append(dict(label=label, drop=label == "dropped", files=entries))
    return batches


def make_kinds(make_cases, work, random_count=0, seed=1):
    """A new work folder with the databases the cases are made of, one
    file per kind, in work/kinds. Returns that folder."""
    work = pathlib.Path(work)
    shutil.rmtree(work, ignore_errors=True)
    kinds = work / "kinds"
    kinds.mkdir(parents=True)
    subprocess.run([make_cases, str(kinds), str(seed), str(random_count)], check=True)
    return kinds


def native_run(prcfix, before, name, folder):
    """The status and the bytes the native prcfix leaves of a file holding
    before, given as the path name (bytes or text) in folder."""
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    path = os.path.join(os.fsencode(folder), os.fsencode(name))
    with open(path, "wb") as out:
        out.write(before)
    status = subprocess.run([prcfix, os.fsencode(name)], cwd=folder,
                            stderr=subprocess.DEVNULL).returncode
    with open(path, "rb") as done:
        return status, done.read()


def _fix_copy(kinds, kind, base, prcfix):
    """A copy of a kind of database as prcfix leaves it for the base name."""
    _, after = native_run(prcfix, (kinds / kind).read_bytes(), f"{base}.prc",
                          kinds / f"{kind}-fixed-as-{base}.d")
    (kinds / f"{kind}-fixed-as-{base}").write_bytes(after)


def _expected(native, name, before, prcfix):
    encoded = windows_1252(name)
    if encoded is None or 0 in encoded:
        return dict(outcome="failed", after=None, reason="Windows-1252")
    status, after = native_run(prcfix, before, encoded, native)
    if status != 0:
        if len(before) < 80:
            reason = "not a Palm database"
        else:
            reason = "runs past the end of the file"
        return dict(outcome="failed", after=None, reason=reason)
    if after == before:
        return dict(outcome="unchanged", after=None, reason="already fixed")
    return dict(outcome="fixed", after=after, reason=None)


def check(batch, results, lines):
    """What went wrong with one batch in a browser: results are the page's
    reports of its files ({name, outcome, fixed} with the fixed bytes or
    None), lines the report's lines ({outcome, text}). Returns a list of
    faults, empty when all is well."""
    label = batch["label"]
    files = batch["files"]
    faults = []
    if len(results) != len(files) or len(lines) != len(files):
        return [f"{label}: {len(files)} files gave {len(results)} results and {len(lines)} lines"]
    for file, result, line in zip(files, results, lines):
        where = f"{label}: {file['name']!r}"
        if result["name"] != file["name"] and unicodedata.normalize("NFC", result["name"]) != unicodedata.normalize("NFC", file["name"]):
            faults.append(f"{where}: reported as {result['name']!r}, out of order")
            continue
        if result["outcome"] != file["outcome"] or line["outcome"] != file["outcome"]:
            faults.append(f"{where}: outcome {result['outcome']} (line {line['outcome']}), expected {file['outcome']}")
            continue
        if unicodedata.normalize("NFC", file["name"]) not in unicodedata.normalize("NFC", line["text"]):
            faults.append(f"{where}: its line does not show its name: {line['text']!r}")
        if file["reason"] and file["reason"] not in line["text"]:
            faults.append(f"{where}: its line does not say {file['reason']!r}: {line['text']!r}")
        if file["outcome"] != "fixed":
            if result["fixed"] is not None:
                faults.append(f"{where}: a {file['outcome']} file was offered anyway")
        elif result["fixed"] != file["after"]:
            got = result["fixed"] or b""
            first = next((i for i, (a, b) in enumerate(zip(got, file["after"])) if a != b),
                         min(len(got), len(file["after"])))
            faults.append(f"{where}: fixed bytes differ from the native prcfix's at offset {first} "
                          f"({len(got)} bytes, expected {len(file['after'])})")
    return faults
