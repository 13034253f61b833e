"""The bytes prcfix.exe writes for a name on a Windows of each language: the
name in composed form (NFC), in the system code page, as WideCharToMultiByte
with WC_NO_BEST_FIT_CHARS gives it. Python's codecs follow Microsoft's
tables; where Windows, as the web's encoding standard records it, writes
otherwise, this says so.
"""
import unicodedata

# The page's sets, by their labels, with Python's codec and the name the
# page gives each.
CODECS = {
    "windows-1252": ("cp1252", "Western (code page 1252)"),
    "windows-1250": ("cp1250", "Central European (code page 1250)"),
    "windows-1251": ("cp1251", "Cyrillic (code page 1251)"),
    "windows-1253": ("cp1253", "Greek (code page 1253)"),
    "windows-1254": ("cp1254", "Turkish (code page 1254)"),
    "windows-1255": ("cp1255", "Hebrew (code page 1255)"),
    "windows-1256": ("cp1256", "Arabic (code page 1256)"),
    "windows-1257": ("cp1257", "Baltic (code page 1257)"),
    "windows-874": ("cp874", "Thai (code page 874)"),
    "shift_jis": ("cp932", "Japanese (code page 932)"),
    "gbk": ("cp936", "Simplified Chinese (code page 936)"),
    "euc-kr": ("cp949", "Korean (code page 949)"),
    "big5": ("cp950", "Traditional Chinese (code page 950)"),
}
DOUBLE_BYTE = {"cp932", "cp936", "cp949", "cp950"}


def _decoded(codec):
    """Every character the codec decodes one or two bytes to, with those
    bytes, in byte order."""
    sequences = [bytes([b]) for b in range(1, 256)]
    if codec in DOUBLE_BYTE:
        sequences += [bytes([lead, trail]) for lead in range(0x81, 0xff) for trail in range(0x40, 0xff)]
    out = []
    for sequence in sequences:
        try:
            text = sequence.decode(codec)
        except UnicodeDecodeError:
            continue
        if len(text) == 1:
            out.append((text, sequence))
    return out


def _windows_differences():
    """Characters for which Windows writes other bytes than Python's codec,
    or writes bytes where the codec has none."""
    differ = {
        # The five bytes Windows-1252 leaves undefined stand for the
        # control characters of their number, as browsers read them.
        "cp1252": {chr(b): bytes([b]) for b in (0x81, 0x8D, 0x8F, 0x90, 0x9D)},
        # Code page 936 has the euro sign at 0x80.
        "cp936": {"\u20ac": b"\x80"},
    }
    # Characters that code page 932 holds both among NEC's selection of
    # IBM's extensions (0xED40 to 0xEEFC) and among IBM's own: Windows
    # writes IBM's.
    ibm = {text: sequence for text, sequence in _decoded("cp932") if 0xFA <= sequence[0] <= 0xFC}
    differ["cp932"] = {}
    for text, sequence in _decoded("cp932"):
        if 0xED <= sequence[0] <= 0xEE and text.encode("cp932") == sequence and text in ibm:
            differ["cp932"][text] = ibm[text]
    # Box drawing that code page 950 holds twice: Windows writes the later.
    later = {}
    for text, sequence in _decoded("cp950"):
        if text in "═╞╡╪":
            later[text] = sequence
    differ["cp950"] = later
    return differ


WINDOWS = _windows_differences()


def character_bytes(character, codec):
    """The bytes Windows writes for one character, or None."""
    if character in WINDOWS.get(codec, {}):
        return WINDOWS[codec][character]
    try:
        return character.encode(codec)
    except UnicodeEncodeError:
        return None


def encode(name, charset):
    """The name's bytes in the set, or None when a character is not in it."""
    codec = CODECS[charset][0]
    out = b""
    for character in unicodedata.normalize("NFC", name):
        encoded = character_bytes(character, codec)
        if encoded is None:
            return None
        out += encoded
    return out


def mapped(codec):
    """Every character the code page holds, with the bytes Windows writes
    for it."""
    out = {}
    for text, _ in _decoded(codec):
        out[text] = character_bytes(text, codec)
    for text, sequence in WINDOWS.get(codec, {}).items():
        out[text] = sequence
    return out
