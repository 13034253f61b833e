// A batch's fixed files, when they go by download, reach the user as one
// zip: one download, which a browser does not hold back as it holds back a
// page's second download of its own accord.
import { downloadZip } from './client-zip.js';

// The zip's own name, from when the batch ended.
export function zipName(when) {
    const two = number => String(number).padStart(2, '0');
    return `prcfix-fixed-${when.getFullYear()}-${two(when.getMonth() + 1)}-${two(when.getDate())}` +
        `-${two(when.getHours())}${two(when.getMinutes())}${two(when.getSeconds())}.zip`;
}

// The names the files go under in the zip, all at its top level: each its
// own, but that a backslash, which unzippers on Windows take for a folder,
// becomes "_". A name met before gets " (2)", " (3)", ... before its
// extension, as browsers name a second download of one name. Names are
// compared as the file systems of Windows and macOS compare them: composed
// and without regard to case, so that no member overwrites another there.
export function memberNames(names) {
    const taken = new Set();
    const key = name => name.normalize('NFC').toLowerCase();
    return names.map(given => {
        const name = given.replaceAll('\\', '_');
        const dot = name.lastIndexOf('.');
        const [stem, extension] = dot < 0 ? [name, ''] : [name.slice(0, dot), name.slice(dot)];
        let chosen = name;
        for (let n = 2; taken.has(key(chosen)); n++)
            chosen = `${stem} (${n})${extension}`;
        taken.add(key(chosen));
        return chosen;
    });
}

// The times a zip can hold: from 1980 up to the end of 2107.
const earliest = new Date(1980, 0, 1, 0, 0, 0).getTime();
const latest = new Date(2107, 11, 31, 23, 59, 58).getTime();

// The zip of members, each { name, lastModified, content } with content a
// Uint8Array or a Blob, as a Blob. The content streams through, so a large
// file is never whole in memory here; the format grows to zip64 where a
// member or the zip reaches 4 GiB.
export function zipOf(members) {
    return downloadZip(members.map(({ name, lastModified, content }) => ({
        name,
        lastModified: new Date(Math.min(latest, Math.max(earliest, lastModified))),
        input: content,
    }))).blob();
}
