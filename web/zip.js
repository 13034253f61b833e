// A batch's fixed files, when they go by download, reach the user as one
// zip: one download, which a browser does not hold back as it holds back a
// page's second download of its own accord.
import { makeZip } from './client-zip.js';

// The zip's own name, from when the batch ended.
export function zipName(when) {
    const two = number => String(number).padStart(2, '0');
    return `prcfix-fixed-${when.getFullYear()}-${two(when.getMonth() + 1)}-${two(when.getDate())}` +
        `-${two(when.getHours())}${two(when.getMinutes())}${two(when.getSeconds())}.zip`;
}

// Gives each file the name it goes under in the zip, in the batch's order,
// all at the zip's top level: its own, but that a backslash, which
// unzippers on Windows take for a folder, becomes "_". A name met before
// gets " (2)", " (3)", ... before its extension, as browsers name a second
// download of one name. Names are compared as the file systems of Windows
// and macOS compare them: composed and without regard to case, so that no
// member overwrites another there.
export function memberNamer() {
    const taken = new Set();
    const key = name => name.normalize('NFC').toLowerCase();
    return given => {
        const name = given.replaceAll('\\', '_');
        const dot = name.lastIndexOf('.');
        const [stem, extension] = dot < 0 ? [name, ''] : [name.slice(0, dot), name.slice(dot)];
        let chosen = name;
        for (let n = 2; taken.has(key(chosen)); n++)
            chosen = `${stem} (${n})${extension}`;
        taken.add(key(chosen));
        return chosen;
    };
}

// The times a zip can hold: from 1980 up to the end of 2107.
const earliest = new Date(1980, 0, 1, 0, 0, 0).getTime();
const latest = new Date(2107, 11, 31, 23, 59, 58).getTime();

// A zip made while the batch goes on: add() takes its members in order,
// each { name, lastModified, content } with content a Uint8Array or a
// Blob; end() gives the zip as a Blob. Content streams through, so a large
// file is never whole in memory here; the format grows to zip64 where a
// member or the zip reaches 4 GiB.
export function zipWriter() {
    const waiting = [];
    let ended = false;
    let wake = null;
    const awake = () => {
        if (wake !== null) {
            wake();
            wake = null;
        }
    };
    async function* members() {
        for (;;) {
            if (waiting.length > 0)
                yield waiting.shift();
            else if (ended)
                return;
            else
                await new Promise(resolve => {
                    wake = resolve;
                });
        }
    }
    const zip = collect(makeZip(members()));
    return {
        add({ name, lastModified, content }) {
            waiting.push({
                name,
                lastModified: new Date(Math.min(latest, Math.max(earliest, lastModified))),
                input: content,
            });
            awake();
        },
        end() {
            ended = true;
            awake();
            return zip;
        },
    };
}

// How much of the zip is gathered here before it goes to the browser.
const gathered = 1 << 20;

// The zip's bytes as one Blob, handed to the browser a piece at a time:
// the library gives many small pieces, and each hand-over has its cost.
async function collect(stream) {
    const reader = stream.getReader();
    const parts = [];
    let pieces = [];
    let size = 0;
    for (;;) {
        const { value, done } = await reader.read();
        if (done)
            break;
        pieces.push(value);
        size += value.length;
        if (size >= gathered) {
            parts.push(new Blob(pieces));
            pieces = [];
            size = 0;
        }
    }
    parts.push(new Blob(pieces));
    return new Blob(parts, { type: 'application/zip' });
}
