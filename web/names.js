// The bytes a file's name gives the database. prcfix.exe on a
// Western-European Windows opens a file through its name in Windows-1252,
// and writes those bytes; a Palm handheld shows the same character set.

// Bytes 0x80 to 0x9F; every other byte stands for the character of the
// same number. The five bytes the set leaves undefined stand for the
// control characters of their number, as browsers read them. Written out,
// because not every engine's decoder for this label gets the row right.
const row80 =
    '\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160\u2039\u0152\u008d\u017d\u008f' +
    '\u0090\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\u009d\u017e\u0178';

const characterOf = Array.from({ length: 256 },
    (_, byte) => byte >= 0x80 && byte < 0xa0 ? row80[byte - 0x80] : String.fromCharCode(byte));
const byteOf = new Map(characterOf.map((character, byte) => [character, byte]));

// The name as bytes: { bytes } when it can be written, or { why } saying in
// plain words why it cannot. The name is put in composed form (NFC) first,
// so that an accent stored apart from its letter, as some systems keep file
// names, gives the same byte as the accented letter.
export function nameBytes(name) {
    const composed = name.normalize('NFC');
    if (composed === '')
        return { why: 'it has no name' };
    const bytes = [];
    for (const character of composed) {
        const byte = byteOf.get(character);
        if (byte === undefined)
            return { why: `its name holds “${character}” (U+${codePoint(character)}), which is not in the Windows-1252 character set that Palm database names use` };
        if (byte === 0 || character === '/')
            return { why: `its name holds a character (U+${codePoint(character)}) that no file name can hold` };
        bytes.push(byte);
    }
    return { bytes: Uint8Array.from(bytes) };
}

// Bytes of the database as the handheld shows them.
export function showBytes(bytes) {
    return Array.from(bytes, byte => characterOf[byte]).join('').replace(/[\u0000-\u001f\u007f]/g,
        c => `\\x${c.charCodeAt(0).toString(16).padStart(2, '0')}`);
}

function codePoint(character) {
    return character.codePointAt(0).toString(16).toUpperCase().padStart(4, '0');
}
