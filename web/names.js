// The bytes a file's name gives the database. prcfix.exe opens a file
// through its name in the system code page of the Windows it runs on, and
// writes those bytes; a handheld set to the same language shows them as
// the same characters. So the page offers the character sets of Windows'
// code pages, and encodes a name as Windows would: only characters the
// code page holds exactly, none replaced by a look-alike.
//
// No tables come with the page: each set's encoder is built the first time
// it is used, from the browser's own decoder for that set, kept to what the
// Windows code page holds.

export const charsets = [
    { label: 'windows-1252', title: 'Western', codePage: '1252' },
    { label: 'windows-1250', title: 'Central European', codePage: '1250' },
    { label: 'windows-1251', title: 'Cyrillic', codePage: '1251' },
    { label: 'windows-1253', title: 'Greek', codePage: '1253' },
    { label: 'windows-1254', title: 'Turkish', codePage: '1254' },
    { label: 'windows-1255', title: 'Hebrew', codePage: '1255' },
    { label: 'windows-1256', title: 'Arabic', codePage: '1256' },
    { label: 'windows-1257', title: 'Baltic', codePage: '1257' },
    { label: 'windows-874', title: 'Thai', codePage: '874' },
    { label: 'shift_jis', title: 'Japanese', codePage: '932' },
    { label: 'gbk', title: 'Simplified Chinese', codePage: '936' },
    { label: 'euc-kr', title: 'Korean', codePage: '949' },
    { label: 'big5', title: 'Traditional Chinese', codePage: '950' },
];

export const westernLabel = 'windows-1252';

// A set's name as the page shows it: "Japanese (code page 932)".
export function charsetName(label) {
    const set = charsets.find(entry => entry.label === label);
    return `${set.title} (code page ${set.codePage})`;
}

// Windows-1252: bytes 0x80 to 0x9F; every other byte stands for the
// character of the same number. The five bytes the set leaves undefined
// stand for the control characters of their number, as browsers read them.
// Written out, because not every engine's decoder for this label gets the
// row right.
const row80 =
    '\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160\u2039\u0152\u008d\u017d\u008f' +
    '\u0090\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\u009d\u017e\u0178';

// The character a byte stands for in Windows-1252.
function westernCharacter(byte) {
    return byte >= 0x80 && byte < 0xa0 ? row80[byte - 0x80] : String.fromCharCode(byte);
}

// The two-byte sets: which bytes lead and trail a pair, and where the
// browser's decoder, which follows the web's encoding standard, holds more
// than the Windows code page, or differs from it.
const doubleByte = {
    shift_jis: {
        leads: [[0x81, 0x9f], [0xe0, 0xfc]],
        trails: [[0x40, 0x7e], [0x80, 0xfc]],
        // NEC's copies of IBM's extensions: Windows writes IBM's codes.
        leaveOut: [[0xed40, 0xeffc]],
        // Single bytes Windows gives private-use characters.
        added: [[0xa0, '\uf8f0'], [0xfd, '\uf8f1'], [0xfe, '\uf8f2'], [0xff, '\uf8f3']],
        privateUse: true,
    },
    gbk: {
        leads: [[0x81, 0xfe]],
        trails: [[0x40, 0x7e], [0x80, 0xfe]],
        // The decoder is GB18030's, which gives characters to pairs that
        // code page 936 leaves to its users, and a second euro sign.
        leaveOut: [[0xa2e3, 0xa2e3], [0xa3a0, 0xa3a0], [0xa6d9, 0xa6df], [0xa6ec, 0xa6ed],
            [0xa6f3, 0xa6f3], [0xa8bc, 0xa8bc], [0xa8bf, 0xa8bf], [0xa989, 0xa995], [0xfe50, 0xfea0]],
    },
    'euc-kr': {
        leads: [[0x81, 0xfe]],
        trails: [[0x41, 0xfe]],
    },
    big5: {
        // The decoder is Big5-HKSCS's, which goes beyond code page 950 on
        // both sides.
        leads: [[0xa1, 0xf9]],
        trails: [[0x40, 0x7e], [0xa1, 0xfe]],
        leaveOut: [[0xa3c0, 0xa3e0], [0xc6a1, 0xc8fe]],
        // Code page 950's own characters where Hong Kong's set has others:
        // its kana, Cyrillic and numbers, and one shade.
        replaced: [
            [0xc6a1, 'ヾゝゞ々ぁあぃいぅうぇえぉおかがきぎくぐけげこごさざしじすずせぜそぞただちぢっつづてでとどなにぬねのはばぱひびぴふぶぷへべぺほぼぽまみむめもゃやゅゆょよらりるれろゎわゐゑをんァアィイゥウェエォオカガキギクグケゲコゴサザシジスズセゼソゾタダチヂッツヅテデトドナニヌネノハバパヒビピフブプヘベペホボポマミムメモャヤュユョヨラリルレロヮワヰヱヲンヴヵヶДЕЁЖЗИЙКЛМУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя①②③④⑤⑥⑦⑧⑨⑩⑴⑵⑶⑷⑸⑹⑺⑻⑼⑽'],
            [0xf9fe, '▓'],
        ],
        // Characters held twice, for which Windows writes the later pair.
        later: '═╞╡╪十卅',
    },
};

// Hebrew: a point the decoder knows at 0xCA that code page 1255 leaves out.
const singleLeftOut = { 'windows-1255': [0xca] };

function inRanges(value, ranges) {
    return ranges.some(([low, high]) => value >= low && value <= high);
}

// Decodes each sequence, given as a number (a byte, or a pair as lead * 256
// + trail), on its own, all in one call: a line feed after each keeps them
// apart, whatever the decoder makes of a sequence it does not know. Calls
// back with each sequence and its character, for those it decodes to one.
function decodeEach(label, sequences, found) {
    const bytes = new Uint8Array(3 * sequences.length);
    let at = 0;
    for (const sequence of sequences) {
        if (sequence > 0xff)
            bytes[at++] = sequence >> 8;
        bytes[at++] = sequence & 0xff;
        bytes[at++] = 0x0a;
    }
    const text = new TextDecoder(label).decode(bytes.subarray(0, at));
    let from = 0;
    for (const sequence of sequences) {
        const end = text.indexOf('\n', from);
        const length = end - from;
        const point = text.codePointAt(from);
        if ((length === 1 || (length === 2 && point > 0xffff)) && point !== 0xfffd)
            found(sequence, point);
        from = end + 1;
    }
}

function pairsOf({ leads, trails }) {
    const pairs = [];
    for (const [low, high] of leads)
        for (let lead = low; lead <= high; lead++)
            for (const [first, last] of trails)
                for (let trail = first; trail <= last; trail++)
                    pairs.push(lead << 8 | trail);
    return pairs;
}

const isPrivateUse = point => point >= 0xe000 && point <= 0xf8ff;
const isControl = point => point >= 0x80 && point <= 0x9f;

// An encoder: for each character the set holds, its bytes as a number (a
// byte, or a pair as lead * 256 + trail), indexed by code point; 0 for
// none. The sets hold no character beyond the first 65,536 but through
// their decoder's extensions, which are left out, so those need no room.
function buildEncoder(label) {
    const codeOf = new Uint16Array(0x10000);
    const put = (point, code) => {
        if (point < 0x10000 && codeOf[point] === 0)
            codeOf[point] = code;
    };
    for (let byte = 1; byte < 0x80; byte++)
        put(byte, byte);
    if (label === westernLabel) {
        for (let byte = 0x80; byte < 0x100; byte++)
            put(westernCharacter(byte).charCodeAt(0), byte);
        return codeOf;
    }
    const set = doubleByte[label];
    const leftOut = singleLeftOut[label] || [];
    decodeEach(label, Array.from({ length: 0x80 }, (_, i) => 0x80 + i), (byte, point) => {
        // In a one-byte set, a control character for a byte is the
        // decoder's stand-in for a byte the code page leaves undefined.
        if ((set || !isControl(point)) && !leftOut.includes(byte))
            put(point, byte);
    });
    if (!set)
        return codeOf;
    for (const [byte, character] of set.added || [])
        put(character.codePointAt(0), byte);
    const pairs = pairsOf(set);
    const leaveOut = new Uint8Array(0x10000);
    for (const [low, high] of set.leaveOut || [])
        leaveOut.fill(1, low, high + 1);
    for (const [start, characters] of set.replaced || []) {
        let at = pairs.indexOf(start);
        for (const character of characters) {
            put(character.codePointAt(0), pairs[at]);
            leaveOut[pairs[at++]] = 1;
        }
    }
    const later = new Set(Array.from(set.later || '', character => character.codePointAt(0)));
    decodeEach(label, pairs, (pair, point) => {
        if (leaveOut[pair] || (!set.privateUse && isPrivateUse(point)))
            return;
        if (later.has(point))
            codeOf[point] = pair;
        else
            put(point, pair);
    });
    return codeOf;
}

const encoders = new Map();

// The set's encoder (see buildEncoder), built the first time it is asked
// for.
export function encoderFor(label) {
    if (!encoders.has(label))
        encoders.set(label, buildEncoder(label));
    return encoders.get(label);
}

// The name as bytes in the set: { bytes } when it can be written, or
// { why } saying in plain words why it cannot. The name is put in composed
// form (NFC) first, so that an accent stored apart from its letter, as
// some systems keep file names, gives the same bytes as the accented
// letter.
export function nameBytes(name, label = westernLabel) {
    const composed = name.normalize('NFC');
    if (composed === '')
        return { why: 'it has no name' };
    const codeOf = encoderFor(label);
    const bytes = [];
    for (const character of composed) {
        if (character === '\u0000' || character === '/')
            return { why: `its name holds a character (U+${codePoint(character)}) that no file name can hold` };
        const point = character.codePointAt(0);
        const encoded = point < 0x10000 ? codeOf[point] : 0;
        if (encoded === 0)
            return { why: `its name holds “${character}” (U+${codePoint(character)}), which the ${charsetName(label)} character set of Palm database names cannot hold` };
        if (encoded > 0xff)
            bytes.push(encoded >> 8);
        bytes.push(encoded & 0xff);
    }
    return { bytes: Uint8Array.from(bytes) };
}

// Whether the bytes end inside a two-byte character of the set: a lead
// byte with its trail cut off.
export function endsInsideCharacter(bytes, label) {
    const set = doubleByte[label];
    if (!set)
        return false;
    let at = 0;
    while (at < bytes.length)
        at += inRanges(bytes[at], set.leads) ? 2 : 1;
    return at > bytes.length;
}

// Bytes of the database as the handheld shows them in the set.
export function showBytes(bytes, label = westernLabel) {
    const text = label === westernLabel
        ? Array.from(bytes, westernCharacter).join('')
        : new TextDecoder(label).decode(bytes);
    return text.replace(/[\u0000-\u001f\u007f]/g, c => `\\x${c.charCodeAt(0).toString(16).padStart(2, '0')}`);
}

function codePoint(character) {
    return character.codePointAt(0).toString(16).toUpperCase().padStart(4, '0');
}
