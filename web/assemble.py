#!/usr/bin/env python3
"""Assembles the page into one self-contained file.

The page's modules are joined in the order their imports need, each once,
without their import lines and export keywords (their names do not meet).
The style and the script go inline, the WebAssembly inside the script as
base64, and the page's policy gets the hash of each inline piece, so that
nothing else can run or load.

The zip library comes from npm, as the lock file pins it: its module is
wrapped in a function of its own, so that its short names meet nothing,
with its licence beside it in the page. The modules, with the generated
ones, are also written to OUT_DIR/modules/ for tests that import them.

The favicon goes inline too, as a data URL, so that the page shows it
opened from disk; the offline worker is written beside the page with the
page's hash in its cache's name.

usage: assemble.py SOURCE_DIR WASM CLIENT_ZIP_DIR OUT_DIR
"""
import base64
import hashlib
import json
import pathlib
import re
import sys

IMPORT = re.compile(r"^import\s*\{[^}]*\}\s*from\s*'\./([\w.-]+)';\n", re.M)
EXPORT = re.compile(r"^export\s+(?=(?:async\s+)?function|const|let|class)", re.M)


def join_modules(source, entry, generated):
    order, seen = [], set()

    def visit(name, chain):
        if name in chain:
            sys.exit(f"assemble: import cycle through {name}")
        if name in seen:
            return
        text = generated[name] if name in generated else (source / name).read_text()
        for imported in IMPORT.findall(text):
            visit(imported, chain + [name])
        seen.add(name)
        order.append(f"// {name}\n" + EXPORT.sub("", IMPORT.sub("", text)))

    visit(entry, [])
    return "\n".join(order)


LIBRARY_EXPORT = re.compile(r"\bexport\s*\{([^}]*)\};?\s*$")


def library_module(package):
    """The npm package's module as one of the page's: its code inside a
    function, whose result holds what the package exports."""
    code = (package / "index.js").read_text()
    exported = LIBRARY_EXPORT.search(code)
    if not exported:
        sys.exit(f"assemble: {package}/index.js does not end in one export list")
    pairs = [item.split(" as ") for item in exported.group(1).split(",")]
    names = [pair[-1].strip() for pair in pairs]
    result = ", ".join(f"{pair[-1].strip()}: {pair[0].strip()}" for pair in pairs)
    meta = json.loads((package / "package.json").read_text())
    licence = next(package.glob("LICENSE*")).read_text().replace("*/", "* /")
    return (f"/* {meta['name']} {meta['version']}, from npm.\n\n{licence}*/\n"
            f"export const {{ {', '.join(names)} }} = (() => {{\n"
            f"{code[:exported.start()]}\nreturn {{ {result} }};\n}})();\n")


def digest(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def inline(tag, text):
    if re.search(r"</(script|style)", text, re.I):
        sys.exit(f"assemble: inline {tag} would end early")
    return text


def main():
    source, wasm, client_zip, out = sys.argv[1:5]
    source, out = pathlib.Path(source), pathlib.Path(out)
    generated = {
        "wasm.js": "export const wasmBase64 =\n    '"
        + base64.b64encode(pathlib.Path(wasm).read_bytes()).decode() + "';\n",
        "client-zip.js": library_module(pathlib.Path(client_zip)),
    }
    style = inline("style", (source / "style.css").read_text())
    page_js = inline("script", join_modules(source, "page.js", generated))
    modules = out / "modules"
    modules.mkdir(exist_ok=True)
    for module in sorted(source.glob("*.js")):
        (modules / module.name).write_text(module.read_text())
    for name, text in generated.items():
        (modules / name).write_text(text)

    html = (source / "index.html").read_text()
    pieces = {
        '<link rel="stylesheet" href="style.css">': f"<style>\n{style}</style>",
        '<script type="module" src="page.js"></script>':
            f'<script type="module">\n{page_js}</script>',
        "@SCRIPT_HASHES@": digest(chr(10) + page_js),
        "@STYLE_HASHES@": digest(chr(10) + style),
        '<link rel="icon" href="icons/favicon.png">':
            '<link rel="icon" href="data:image/png;base64,'
            + base64.b64encode((source / "icons" / "favicon.png").read_bytes()).decode() + '">',
    }
    for old, new in pieces.items():
        if html.count(old) != 1:
            sys.exit(f"assemble: index.html must hold {old} once")
        html = html.replace(old, new)
    (out / "prcfix.html").write_text(html)
    worker = (source / "sw.js").read_text()
    page_hash = hashlib.sha256(html.encode()).hexdigest()[:16]
    (out / "sw.js").write_text(worker.replace("@PAGE_HASH@", page_hash))


main()
