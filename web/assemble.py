#!/usr/bin/env python3
"""Assembles the page into one self-contained file.

The page's modules are joined in the order their imports need, each once,
without their import lines and export keywords (their names do not meet).
The style, the module's loader and the scripts go inline, the WebAssembly
inside a script as base64, and the page's policy gets the hash of each
inline piece, so that nothing else can run or load.

The favicon goes inline too, as a data URL, so that the page shows it
opened from disk; the offline worker is written beside the page with the
page's hash in its cache's name.

usage: assemble.py SOURCE_DIR LOADER_JS WASM OUT_DIR
"""
import base64
import hashlib
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


def digest(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def inline(tag, text):
    if re.search(r"</(script|style)", text, re.I):
        sys.exit(f"assemble: inline {tag} would end early")
    return text


def main():
    source, loader, wasm, out = sys.argv[1:5]
    source, out = pathlib.Path(source), pathlib.Path(out)
    generated = {
        "wasm.js": "export const wasmBase64 =\n    '"
        + base64.b64encode(pathlib.Path(wasm).read_bytes()).decode() + "';\n"
    }
    style = inline("style", (source / "style.css").read_text())
    loader_js = inline("script", pathlib.Path(loader).read_text())
    page_js = inline("script", join_modules(source, "page.js", generated))

    html = (source / "index.html").read_text()
    pieces = {
        '<link rel="stylesheet" href="style.css">': f"<style>\n{style}</style>",
        '<script src="prcfix_web.js"></script>': f"<script>\n{loader_js}</script>",
        '<script type="module" src="page.js"></script>':
            f'<script type="module">\n{page_js}</script>',
        "@SCRIPT_HASHES@": f"{digest(chr(10) + loader_js)} {digest(chr(10) + page_js)}",
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
