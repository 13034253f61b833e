// The handheld's character set, which the names are written in: chosen on
// the page and remembered on the device; until then, the one that the
// browser's languages suggest, as the language of the Windows that
// prcfix.exe would run on.
import { charsetName, charsets, westernLabel } from './names.js';

const storageKey = 'prcfix.charset';

// Languages by the character set of their Windows code page.
const languages = {
    'windows-1250': ['pl', 'cs', 'sk', 'hu', 'sl', 'hr', 'ro', 'sq', 'bs'],
    'windows-1251': ['ru', 'uk', 'be', 'bg', 'mk', 'sr', 'kk', 'ky', 'tt', 'mn', 'ba', 'tg'],
    'windows-1253': ['el'],
    'windows-1254': ['tr', 'az', 'uz'],
    'windows-1255': ['he', 'iw', 'yi'],
    'windows-1256': ['ar', 'fa', 'ur'],
    'windows-1257': ['et', 'lv', 'lt'],
    'windows-874': ['th'],
    shift_jis: ['ja'],
    gbk: ['zh'],
    'euc-kr': ['ko'],
    'windows-1252': ['en', 'de', 'fr', 'es', 'it', 'pt', 'nl', 'da', 'sv', 'nb', 'nn', 'no', 'fi', 'is',
        'ga', 'gd', 'cy', 'br', 'ca', 'eu', 'gl', 'oc', 'af', 'id', 'ms', 'sw', 'fo', 'lb', 'rm', 'fy'],
};

// The set for one language tag, or null when it suggests none.
function charsetOfLanguage(tag) {
    const [language, ...rest] = tag.toLowerCase().split(/[-_]/);
    if (language === 'zh')
        return rest.some(part => ['hant', 'tw', 'hk', 'mo'].includes(part)) ? 'big5' : 'gbk';
    // Serbian, Azeri and Uzbek are written in both alphabets.
    if (language === 'sr' && rest.includes('latn'))
        return 'windows-1250';
    if ((language === 'az' || language === 'uz') && rest.includes('cyrl'))
        return 'windows-1251';
    const found = Object.entries(languages).find(([, list]) => list.includes(language));
    return found ? found[0] : null;
}

// The set the languages suggest: that of the first language that suggests
// one, or Western.
export function defaultCharset(tags) {
    for (const tag of tags || []) {
        const found = charsetOfLanguage(tag);
        if (found)
            return found;
    }
    return westernLabel;
}

function stored() {
    try {
        const label = localStorage.getItem(storageKey);
        return charsets.some(set => set.label === label) ? label : null;
    } catch {
        return null;
    }
}

// Fills the page's choice, sets it to the remembered set or the default,
// and remembers what the user chooses.
export function setUpCharsetChoice(select) {
    for (const { label } of charsets)
        select.append(new Option(charsetName(label), label));
    select.value = stored() || defaultCharset(navigator.languages || [navigator.language]);
    select.addEventListener('change', () => {
        try {
            localStorage.setItem(storageKey, select.value);
        } catch {
            // A browser that keeps nothing for the page asks again next time.
        }
    });
}
