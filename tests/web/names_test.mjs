// The bytes a file's name gives the database, as the page works them out.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { nameBytes, showBytes } from '../../web/names.js';

const encoded = [
    ['ASCII as it is', 'Blue.prc', [0x42, 0x6c, 0x75, 0x65, 0x2e, 0x70, 0x72, 0x63]],
    ['Latin-1 letters as their own number', 'é ÿ', [0xe9, 0x20, 0xff]],
    ['the row that differs from Latin-1', '€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ',
        [0x80, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x8b, 0x8c, 0x8e,
            0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0x9b, 0x9c, 0x9e, 0x9f]],
    ['the five bytes the set leaves undefined', '\u0081\u008d\u008f\u0090\u009d', [0x81, 0x8d, 0x8f, 0x90, 0x9d]],
    ['a decomposed accent joins its letter', 'Cafe\u0301', [0x43, 0x61, 0x66, 0xe9]],
    ['decomposed capitals and ligatures', 'O\u0308E\u0300\u0152', [0xd6, 0xc8, 0x8c]],
    ['separators are bytes like any other', 'a\\b:c', [0x61, 0x5c, 0x62, 0x3a, 0x63]],
];
for (const [label, name, bytes] of encoded)
    test(`encoded: ${label}`, () => {
        assert.deepEqual(Array.from(nameBytes(name).bytes), bytes);
    });

const refused = [
    ['a letter outside the set', 'Łódź.prc', /“Ł” \(U\+0141\)/],
    ['a character outside the basic plane', 'skin\u{1F600}.prc', /U\+1F600/],
    ['a C1 control the set has a character for', '\u0080.prc', /U\+0080/],
    ['a zero byte', 'a\u0000b', /no file name can hold/],
    ['a slash', 'a/b.prc', /no file name can hold/],
    ['no name at all', '', /no name/],
];
for (const [label, name, why] of refused)
    test(`refused: ${label}`, () => {
        const result = nameBytes(name);
        assert.equal(result.bytes, undefined);
        assert.match(result.why, why);
    });

test('shown as the handheld shows them, controls escaped', () => {
    assert.equal(showBytes(Uint8Array.of(0x8c, 0x75, 0x80, 0x01, 0x7f)), 'Œu€\\x01\\x7f');
});

test('every byte read back gives the same byte', () => {
    const all = Uint8Array.from({ length: 255 }, (_, i) => i + 1).filter(b => b !== 0x2f);
    const shown = Array.from(all, b => showBytes(Uint8Array.of(b)));
    const back = shown.map((text, i) => text.startsWith('\\x') ? all[i] : nameBytes(text).bytes[0]);
    assert.deepEqual(back, Array.from(all));
});

test('cut inside a two-byte character', async () => {
    const { endsInsideCharacter } = await import('../../web/names.js');
    const cases = [
        // Shift-JIS: a lead byte at the end; half-width katakana are one byte.
        ['shift_jis', [0x90, 0xc2, 0x90], true],
        ['shift_jis', [0x90, 0xc2, 0xb1], false],
        ['shift_jis', [0xb1, 0xb2, 0x90, 0xc2], false],
        // A trail byte that is also a lead byte's value is still a trail.
        ['gbk', [0xc0, 0xb6, 0xcc, 0xec], false],
        ['gbk', [0xc0, 0xb6, 0xcc], true],
        ['big5', [0xa4, 0x40, 0xa4], true],
        ['euc-kr', [0x41, 0xb0], true],
        // One-byte sets never cut inside a character.
        ['windows-1251', [0xcf, 0xf0], false],
        ['windows-1252', [0xe9], false],
    ];
    for (const [label, bytes, cut] of cases)
        assert.equal(endsInsideCharacter(Uint8Array.from(bytes), label), cut, `${label} ${bytes}`);
});

test('the default set follows the first of the browser\'s languages that suggests one', async () => {
    const { defaultCharset } = await import('../../web/charset.js');
    const cases = [
        [['en-US', 'en'], 'windows-1252'],
        [['ja'], 'shift_jis'],
        [['ja-JP', 'en'], 'shift_jis'],
        [['pl', 'en'], 'windows-1250'],
        [['ru-RU'], 'windows-1251'],
        [['el'], 'windows-1253'],
        [['tr'], 'windows-1254'],
        [['he-IL'], 'windows-1255'],
        [['ar-EG'], 'windows-1256'],
        [['lt'], 'windows-1257'],
        [['th'], 'windows-874'],
        [['zh-CN'], 'gbk'],
        [['zh'], 'gbk'],
        [['zh-TW'], 'big5'],
        [['zh-Hant-HK'], 'big5'],
        [['ko-KR'], 'euc-kr'],
        [['sr-Latn-RS'], 'windows-1250'],
        [['sr'], 'windows-1251'],
        [['az-Cyrl'], 'windows-1251'],
        // A Western language decides too: a German browser that also
        // reads Japanese is on a German Windows.
        [['de-DE', 'ja'], 'windows-1252'],
        // A language with no set of its own is passed over.
        [['vi', 'ko'], 'euc-kr'],
        [['vi'], 'windows-1252'],
        [[], 'windows-1252'],
    ];
    for (const [languages, label] of cases)
        assert.equal(defaultCharset(languages), label, languages.join());
});
