// The bytes a file's name gives the database. prcfix.exe on a
// Western-European Windows opens a file through its name in Windows-1252,
// and writes those bytes; a Palm handheld shows the same character set.

const decoder = new TextDecoder('windows-1252');

// Every character Windows-1252 can hold, with its byte.
const byteOf = new Map();
for (let byte = 0; byte < 256; byte++)
    byteOf.set(decoder.decode(Uint8Array.of(byte)), byte);

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
    return decoder.decode(bytes).replace(/[\u0000-\u001f\u007f]/g,
        c => `\\x${c.charCodeAt(0).toString(16).padStart(2, '0')}`);
}

function codePoint(character) {
    return character.codePointAt(0).toString(16).toUpperCase().padStart(4, '0');
}
