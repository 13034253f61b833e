"""The cases the page is tried on, what the native prcfix makes of each, and
the check of what a browser's run of the page left.

Each case is one batch of files given to the page at once, with the
handheld's character set chosen first. A file's expected result comes from
the native prcfix run on a path whose bytes are the file name in composed
form (NFC), in that set's Windows code page (code_pages.py); a run that
fails leaves the file untouched in the page, whatever the native run
wrote.
"""
import io
import os
import pathlib
import random
import shutil
import subprocess
import sys
import time
import unicodedata
import zipfile

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import code_pages  # noqa: E402

# Names in each character set, and names it cannot hold, by set: for each,
# the name and the outcome the case is there for.
CHARSET_NAMES = {
    "windows-1250": [("Łódź.prc", "fixed"), ("Żółw Świeży.pdb", "fixed"), ("Ωmega.prc", "failed")],
    "windows-1251": [("Привет.prc", "fixed"), ("Ёлка і ґанок.prc", "fixed"), ("Łódź.prc", "failed")],
    "windows-1253": [("Καλημέρα.prc", "fixed"), ("Привет.prc", "failed")],
    "windows-1254": [("Ağaç Şişe İz.prc", "fixed"), ("Łódź.prc", "failed")],
    "windows-1255": [("שלום.prc", "fixed"), ("Привет.prc", "failed")],
    "windows-1256": [("مرحبا بكم.prc", "fixed"), ("Ωmega.prc", "failed")],
    "windows-1257": [("Ąžuolas Ėglė.prc", "fixed"), ("Привет.prc", "failed")],
    "windows-874": [("สวัสดี.prc", "fixed"), ("日本.prc", "failed")],
    # Half-width katakana are one byte each: thirty of them and a kanji
    # cut inside the kanji, thirty-one of them before it.
    "shift_jis": [("青い空.prc", "fixed"), ("ｱｲｳｴｵ ﾃｽﾄ.prc", "fixed"), ("髙橋ⅰ﨑.prc", "fixed"),
                  ("表示.prc", "fixed"), ("青" * 16 + ".prc", "fixed"),
                  ("ｱ" * 30 + "青.prc", "fixed"), ("ｱ" * 31 + "青.prc", "fixed"),
                  ("한국.prc", "failed")],
    "gbk": [("蓝天白云.prc", "fixed"), ("€uro 中文.prc", "fixed"), ("한국.prc", "failed")],
    "euc-kr": [("안녕하세요.prc", "fixed"), ("한국어 " + "가" * 15 + ".prc", "fixed"), ("สวัสดี.prc", "failed")],
    "big5": [("藍天白雲.prc", "fixed"), ("十卅═.prc", "fixed"), ("한국.prc", "failed")],
}


def name_cut_inside(after, charset):
    """Whether the name in a fixed file's header fills its 31 bytes and
    ends inside a character of the set."""
    name = after[:32].split(b"\0")[0]
    codec = code_pages.CODECS[charset][0]
    if len(name) != 31 or codec not in code_pages.DOUBLE_BYTE:
        return False
    try:
        name.decode(codec)
        return False
    except UnicodeDecodeError as error:
        return error.end == len(name)


def _drawn_names(rng, charset, count=4):
    """Names of characters the set holds, drawn at random, some long enough
    for the cut: printable, and as they are in composed form."""
    codec = code_pages.CODECS[charset][0]
    pool = sorted(c for c in code_pages.mapped(codec)
                  if c.isprintable() and c not in "/." and unicodedata.normalize("NFC", c) == c)
    names = set()
    while len(names) < count:
        name = "".join(rng.choice(pool) for _ in range(rng.randrange(1, 24))).strip()
        if name and len(name.encode()) < 240:
            names.add(name + ".prc")
    return sorted(names)


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
        # From different folders: all three go in the zip, under names of
        # their own; the case of a name does not tell names apart.
        ("same names", [("Blue.prc", "typical", "fixed"),
                        ("Blue.prc", "over-a-mebibyte", "fixed"),
                        ("BLUE (2).prc", "typical", "fixed"),
                        ("back\\slash.prc", "typical", "fixed")]),
        # Only one of them fixed: that one is downloaded on its own.
        ("one fixed of three", [("Lone.prc", "typical", "fixed"),
                                ("Broken.prc", "broken-list", "failed"),
                                ("Blue.prc", "typical-fixed-as-Blue", "unchanged")]),
    ]
    # A batch for each character set, the set chosen first, and one of
    # names drawn from all that the set holds.
    rng = random.Random(seed)
    fixed += [(f"charset {label}", [(name, "typical", meant) for name, meant in names])
              for label, names in CHARSET_NAMES.items()]
    fixed += [(f"charset {label} drawn", [(name, "typical", None) for name in _drawn_names(rng, label)])
              for label in CHARSET_NAMES]
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


def prepare(work, kinds_dir, prcfix, random_count=30, seed=20261211, labels=None):
    """Writes each batch's files under work/given/N/, each in a folder of
    its own, and works out what each should come to. Returns a list of
    batches: {label, drop, charset, files: [{name, path, before, outcome,
    after}]}; drop says the batch is dropped on the page rather than given
    through its file input, charset is the set chosen for it. labels, when
    given, chooses the batches."""
    work = pathlib.Path(work)
    _fix_copy(pathlib.Path(kinds_dir), "typical", "Blue", prcfix)
    batches = []
    table = case_table(kinds_dir, random_count, seed)
    if labels is not None:
        table = [(label, files) for label, files in table if label in labels]
    for index, (label, files) in enumerate(table):
        charset = label.split()[1] if label.startswith("charset ") else "windows-1252"
        given = work / "given" / str(index)
        native = work / "native" / str(index)
        given.mkdir(parents=True)
        native.mkdir(parents=True)
        entries = []
        for number, (name, kind, meant) in enumerate(files):
            before = (pathlib.Path(kinds_dir) / kind).read_bytes()
            path = given / str(number) / name
            path.parent.mkdir()
            path.write_bytes(before)
            expected = _expected(native / str(number), name, before, prcfix, charset)
            if meant and expected["outcome"] != meant:
                raise AssertionError(f"case {label!r}: {name!r} is meant to be "
                                     f"{meant}, but the native run makes it {expected['outcome']}")
            entries.append(dict(name=name, path=str(path), before=before, **expected))
        batches.append(dict(label=label, drop=label == "dropped", charset=charset, files=entries))
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


def _expected(native, name, before, prcfix, charset):
    encoded = code_pages.encode(name, charset)
    if encoded is None or 0 in encoded:
        return dict(outcome="failed", after=None, reason=code_pages.CODECS[charset][1])
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


def check(batch, results, lines, zips):
    """What went wrong with one batch in a browser: results are the page's
    reports of its files ({name, outcome, fixed} with the fixed bytes or
    None), lines the report's lines ({outcome, text}), zips what it said of
    the batch's zip ([{name, zip}] with the zip's bytes, or none). Returns
    a list of faults, empty when all is well."""
    label = batch["label"]
    files = batch["files"]
    faults = []
    if len(results) != len(files) or len(lines) != len(files):
        return [f"{label}: {len(files)} files gave {len(results)} results and {len(lines)} lines"]
    members = expected_zip(batch)
    if len(zips) != 1:
        return [f"{label}: the page told of {len(zips)} batches, not one"]
    if members is None and zips[0]["zip"] is not None:
        faults.append(f"{label}: a zip was made for fewer than two fixed files")
    elif members is not None:
        if zips[0]["zip"] is None:
            faults.append(f"{label}: no zip for {len(members)} fixed files")
        else:
            faults += check_zip(label, members, zips[0]["zip"], batch["drop"])
    # Where each fixed file went, as its line says.
    places = iter([f"In the batch's zip, {zips[0]['name']}" + ("." if m == f["name"] else f", as {m}.")
                   for m, f in zip(member_names([f["name"] for f in files if f["outcome"] == "fixed"]),
                                   [f for f in files if f["outcome"] == "fixed"])]
                  if members else [f"Its download, as {f['name']}, was started."
                                   for f in files if f["outcome"] == "fixed"])
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
        used = f"Character set: {code_pages.CODECS[batch['charset']][1]}."
        if used not in line["text"]:
            faults.append(f"{where}: its line does not name the set {used!r}: {line['text']!r}")
        if file["reason"] and file["reason"] not in line["text"]:
            faults.append(f"{where}: its line does not say {file['reason']!r}: {line['text']!r}")
        if file["outcome"] != "fixed":
            if result["fixed"] is not None:
                faults.append(f"{where}: a {file['outcome']} file was offered anyway")
            continue
        place = next(places)
        cut = name_cut_inside(file["after"], batch["charset"])
        if cut != ("cut falls inside" in line["text"]):
            faults.append(f"{where}: the name {'is' if cut else 'is not'} cut inside a character, "
                          f"but its line says otherwise: {line['text']!r}")
        for said in [place, f"Download the fixed {file['name']}"]:
            if unicodedata.normalize("NFC", said) not in unicodedata.normalize("NFC", line["text"]):
                faults.append(f"{where}: its line does not say {said!r}: {line['text']!r}")
        if result["fixed"] != file["after"]:
            got = result["fixed"] or b""
            first = next((i for i, (a, b) in enumerate(zip(got, file["after"])) if a != b),
                         min(len(got), len(file["after"])))
            faults.append(f"{where}: fixed bytes differ from the native prcfix's at offset {first} "
                          f"({len(got)} bytes, expected {len(file['after'])})")
    return faults


def member_names(names):
    """The names a batch's zip gives its files: each its own, a backslash
    made "_", and a name met before (composed, in any case) given " (2)",
    " (3)", ... before its extension."""
    taken, out = set(), []
    for given in names:
        name = given.replace("\\", "_")
        stem, dot, extension = name.rpartition(".")
        stem, extension = (stem, dot + extension) if dot else (name, "")
        chosen, n = name, 2
        while unicodedata.normalize("NFC", chosen).lower() in taken:
            chosen, n = f"{stem} ({n}){extension}", n + 1
        taken.add(unicodedata.normalize("NFC", chosen).lower())
        out.append(chosen)
    return out


def expected_zip(batch):
    """The members, as (name, bytes, path), the batch's zip must hold, or
    None when the batch gives no zip: fewer than two files fixed."""
    fixed = [f for f in batch["files"] if f["outcome"] == "fixed"]
    if len(fixed) < 2:
        return None
    names = member_names([f["name"] for f in fixed])
    return [(name, f["after"], f["path"]) for name, f in zip(names, fixed)]


def expected_downloads(batch):
    """What a batch given through the file input downloads by itself: a
    list holding its one fixed file as (name, bytes), or its zip as
    ("zip", members), or nothing."""
    members = expected_zip(batch)
    if members:
        return [("zip", members)]
    return [(f["name"], f["after"]) for f in batch["files"] if f["outcome"] == "fixed"]


def check_zip(label, members, data, dropped=False):
    """What is wrong with a zip's bytes, given the members it must hold."""
    try:
        archive = zipfile.ZipFile(io.BytesIO(data))
        bad = archive.testzip()
    except zipfile.BadZipFile as error:
        return [f"{label}: the zip cannot be read: {error}"]
    if bad is not None:
        return [f"{label}: the zip's member {bad!r} fails its checksum"]
    faults = []
    infos = archive.infolist()
    if [i.filename for i in infos] != [name for name, _, _ in members]:
        faults.append(f"{label}: the zip holds {[i.filename for i in infos]}, "
                      f"expected {[name for name, _, _ in members]}")
        return faults
    for info, (name, after, path) in zip(infos, members):
        if archive.read(info) != after:
            faults.append(f"{label}: zip member {name!r} is not the native prcfix's bytes")
        if any(ord(c) > 127 for c in name) and not info.flag_bits & 0x800:
            faults.append(f"{label}: zip member {name!r} is not marked as UTF-8")
        # A dropped file is made in the page, at the time of the drop.
        want = time.localtime(os.path.getmtime(path))[:6]
        want = want[:5] + (want[5] // 2 * 2,)
        if not dropped and info.date_time != want:
            faults.append(f"{label}: zip member {name!r} has the time {info.date_time}, "
                          f"not its file's {want}")
    return faults
