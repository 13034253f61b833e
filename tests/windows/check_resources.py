"""Reads the resources back from a built prcfix.exe with pefile, a PE reader
of its own, and checks them against what the project says they are, with
the header flags that harden the program against exploits.

usage: check_resources.py EXE VERSION DESCRIPTION LICENSE ICO
"""
import re
import struct
import sys
import xml.etree.ElementTree as ET

import pefile

exe, version, description, license_path, ico_path = sys.argv[1:6]
results = []


def check(condition, what):
    results.append(bool(condition))
    print(("ok - " if condition else "not ok - ") + what)


def resources(pe, type_id):
    """{name id: data} of every resource of type_id."""
    found = {}
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != type_id:
            continue
        for name in entry.directory.entries:
            for language in name.directory.entries:
                rva = language.data.struct.OffsetToData
                size = language.data.struct.Size
                found[name.id] = pe.get_data(rva, size)
    return found


RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
pe = pefile.PE(exe)

# The manifest.
manifests = resources(pe, RT_MANIFEST)
check(list(manifests) == [1], "one manifest, resource 1")
text = manifests.get(1, b"").decode("utf-8", "replace")
try:
    root = ET.fromstring(manifests.get(1, b""))
except ET.ParseError as error:
    root = None
    print("# manifest is not well-formed: %s" % error)
check(root is not None, "the manifest is well-formed XML")
root = root if root is not None else ET.Element("none")
V1 = "{urn:schemas-microsoft-com:asm.v1}"
V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
SMI2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SMI2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"

levels = root.findall(".//%srequestedExecutionLevel" % V3)
check([(e.get("level"), e.get("uiAccess")) for e in levels]
      == [("asInvoker", "false")],
      'requestedExecutionLevel level="asInvoker" uiAccess="false"')
identity = root.find("%sassemblyIdentity" % V1)
check(identity is not None and identity.get("name") == "prcfix"
      and identity.get("version") == version + ".0",
      "the manifest names prcfix, version " + version + ".0")
controls = [e for e in root.findall(
    "%sdependency/%sdependentAssembly/%sassemblyIdentity" % (V1, V1, V1))
    if e.get("name") == "Microsoft.Windows.Common-Controls"]
check(len(controls) == 1 and controls[0].get("version") == "6.0.0.0"
      and controls[0].get("publicKeyToken") == "6595b64144ccf1df",
      "depends on Microsoft.Windows.Common-Controls 6.0.0.0")
aware = root.findall(".//%sdpiAware" % SMI2005)
check([e.text for e in aware] == ["true"], "dpiAware is true")
awareness = root.findall(".//%sdpiAwareness" % SMI2016)
check([e.text for e in awareness] == ["PerMonitorV2"],
      "dpiAwareness is PerMonitorV2")
systems = {e.get("Id") for e in root.findall(
    "%scompatibility/%sapplication/%ssupportedOS" % (COMPAT, COMPAT, COMPAT))}
check(systems == {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}, "supportedOS: Vista, 7, 8, 8.1, 10/11")
check("activeCodePage" not in text and
      not any(e.tag.endswith("activeCodePage") for e in root.iter()),
      "no activeCodePage: names keep the system code page's bytes")

# The version information.
strings = {}
for info in getattr(pe, "FileInfo", []):
    for block in info:
        for table in getattr(block, "StringTable", []):
            for key, value in table.entries.items():
                strings[key.decode()] = value.decode()
with open(license_path, encoding="utf-8") as f:
    copyright_line = re.search(r"Copyright \(c\) [^\n]*", f.read()).group(0)
expected = {
    "FileVersion": version,
    "ProductVersion": version,
    "ProductName": "prcfix",
    "FileDescription": description,
    "LegalCopyright": copyright_line,
    "OriginalFilename": "prcfix.exe",
    "InternalName": "prcfix",
}
for key, value in expected.items():
    check(strings.get(key) == value,
          "%s is %r (found %r)" % (key, value, strings.get(key)))
fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, "VS_FIXEDFILEINFO") else None
numbers = [int(n) for n in version.split(".")] + [0]
check(fixed is not None and
      (fixed.FileVersionMS, fixed.FileVersionLS) ==
      (numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]) and
      (fixed.ProductVersionMS, fixed.ProductVersionLS) ==
      (fixed.FileVersionMS, fixed.FileVersionLS),
      "the fixed file and product versions are " + version + ".0")

# The icon: one group whose images are those of the tracked .ico.
with open(ico_path, "rb") as f:
    ico = f.read()
reserved, kind, count = struct.unpack_from("<HHH", ico, 0)
images = []
for i in range(count):
    width, _, _, _, _, _, size, offset = struct.unpack_from(
        "<BBBBHHII", ico, 6 + 16 * i)
    images.append((width or 256, ico[offset:offset + size]))
groups = resources(pe, RT_GROUP_ICON)
icons = resources(pe, RT_ICON)
check(len(groups) == 1, "one icon group")
group = next(iter(groups.values()), b"\0" * 6)
_, _, group_count = struct.unpack_from("<HHH", group, 0)
embedded = []
for i in range(group_count):
    width, _, _, _, _, _, size, icon_id = struct.unpack_from(
        "<BBBBHHIH", group, 6 + 14 * i)
    embedded.append((width or 256, icons.get(icon_id, b"")[:size]))
check(sorted(w for w, _ in embedded) == [16, 32, 48, 256],
      "the icon has 16, 32, 48 and 256 pixel images")
check(embedded == images, "the icon's images are those of prcfix.ico")

# Hardening: a randomised base (ASLR), no code run from data pages (NX),
# on x64 the full 64-bit range for ASLR, and no page both writable and
# executable.
flags = pe.OPTIONAL_HEADER.DllCharacteristics
DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA = 0x0040, 0x0100, 0x0020
check(flags & DYNAMIC_BASE, "ASLR: DYNAMIC_BASE is set")
check(flags & NX_COMPAT, "NX: NX_COMPAT is set")
if pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]:
    check(flags & HIGH_ENTROPY_VA, "x64: HIGH_ENTROPY_VA is set")
# ASLR moves the image only where it can be relocated.
check(not pe.FILE_HEADER.Characteristics & 0x0001, "relocations are kept")
WRITE, EXECUTE = 0x80000000, 0x20000000
for section in pe.sections:
    name = section.Name.rstrip(b"\0").decode("ascii", "replace")
    both = section.Characteristics & WRITE and section.Characteristics & EXECUTE
    check(not both, "section %s is not both writable and executable" % name)

print("%d passed, %d failed" % (results.count(True), results.count(False)))
sys.exit(0 if all(results) else 1)
