// The page: takes files from the chooser or a drop, runs prcfix on each in
// turn, writes back what it fixed and reports every file on its own line.
// What cannot be written back goes by download: one file under its own
// name, two or more together in one zip.
import { setUpCharsetChoice } from './charset.js';
import { describeChanges, describeFailure, nameCutInside } from './describe.js';
import { charsetName, nameBytes } from './names.js';
import { readAhead } from './reading.js';
import {
    batchSummary, changesList, fileLink, flushReport, heading, newLine, note, showProgress, startDownload,
} from './report.js';
import { loadRunner, runLimits, runPrcfix } from './runner.js';
import { memberNamer, zipName, zipWriter } from './zip.js';

const chooser = document.getElementById('choose');
const input = document.getElementById('files');
const charsetChoice = document.getElementById('charset');

const pickerTypes = [{
    description: 'Palm database',
    accept: { 'application/x-palm-database': ['.prc', '.pdb'] },
}];

// Batches run one after another, in the order they were taken.
let queue = Promise.resolve();

// The character set is the one chosen when the files are taken.
function take(items) {
    const charset = charsetChoice.value;
    if (items.length > 0)
        queue = queue.then(() => runBatch(items, charset)).catch(error => {
            // What went wrong ends this batch, not the ones after it.
            showProgress(`The batch stopped: ${error.message || error}`);
            flushReport();
            document.body.dataset.state = 'ready';
        });
}

async function runBatch(items, charset) {
    document.body.dataset.state = 'working';
    const counts = { fixed: 0, unchanged: 0, failed: 0 };
    const limits = runLimits();
    // The fixed files that have not reached their place by the end of the
    // run: those the page must download, and those it offers.
    const undelivered = delivery();
    let index = 0;
    for await (const read of readAhead(items, limits.reach)) {
        const item = items[index++];
        showProgress(`Fixing ${index} of ${items.length}…`);
        const line = newLine();
        let result;
        try {
            result = read.error
                ? failed(line, item.name, `Not fixed, and left untouched: it could not be read (${read.error.message || read.error}).`)
                : await fixOne(item, read, limits, line, undelivered, charset);
        } catch (error) {
            result = failed(line, item.name, `something went wrong: ${error.message || error}`);
        }
        line.firstChild.after(charsetNote(charset));
        counts[result.outcome]++;
        document.dispatchEvent(new CustomEvent('prcfix-result', { detail: result }));
    }
    const zip = await undelivered.deliver();
    document.dispatchEvent(new CustomEvent('prcfix-batch', { detail: zip }));
    showProgress(`Done: ${items.length} of ${items.length} — ` +
        `${counts.fixed} fixed, ${counts.unchanged} already fixed, ${counts.failed} failed.`);
    flushReport();
    document.body.dataset.state = 'ready';
}

// A fixed start larger than this goes to the browser's keeping at once, so
// that a batch of large files does not pile up in the page's memory.
const keptHere = 64 << 10;

// A fixed file: its name, the fixed start, and the original it came from,
// whose untouched rest follows that start.
function fixedFile(file, after) {
    let bytes = after;
    let blob = null;
    const toBlob = () => {
        blob = blob || new Blob(file.size > bytes.length ? [bytes, file.slice(bytes.length)] : [bytes],
            { type: 'application/octet-stream' });
        return blob;
    };
    if (bytes.length > keptHere) {
        toBlob();
        bytes = null;
    }
    return {
        name: file.name,
        lastModified: file.lastModified,
        // What a zip takes: the bytes alone where they are the whole file.
        content: () => blob || bytes,
        blob: toBlob,
    };
}

// The result the page reports for a fixed file; its blob is made only
// when someone asks for it.
function fixedResult(fixed, written) {
    const result = { name: fixed.name, outcome: 'fixed', written };
    Object.defineProperty(result, 'fixed', { enumerable: true, get: fixed.blob });
    return result;
}

async function fixOne(item, { file, before }, limits, line, undelivered, charset) {
    if (item.folder)
        return failed(line, item.name, 'Not taken: it is a folder, not a file.');
    const name = nameBytes(file.name, charset);
    if (!name.bytes)
        return failed(line, file.name, `Not fixed, and left untouched: ${name.why}.`);
    const run = runPrcfix(name.bytes, before);
    if (run.status !== 0)
        return failed(line, file.name, `Not fixed, and left untouched: ${describeFailure(run, name.bytes, before, limits)}.`);
    const span = changedSpan(before, run.after);
    if (span === null) {
        heading(line, 'unchanged', file.name, 'already fixed');
        return { name: file.name, outcome: 'unchanged', written: null, fixed: null };
    }
    heading(line, 'fixed', file.name, 'fixed');
    changesList(line, describeChanges(before, run.after, charset));
    if (nameCutInside(run.after, charset))
        note(line, 'The name is cut to the 31 bytes a database name holds, and the cut falls inside ' +
            'its last character: the handheld shows only half of it. A shorter file name keeps it whole.');
    const fixed = fixedFile(file, run.after);
    if (!item.handle) {
        undelivered.push({ fixed, line, place: note(line, ''), download: true });
        line.append(ownLink(fixed));
        return fixedResult(fixed, 'download');
    }
    const write = () => writeInPlace(item.handle, file, run.after, span);
    const refusal = await write();
    if (refusal === askOnClick) {
        // Permission to write can only be asked for on a click.
        const offer = offerWriteInPlace(line, write);
        line.append(ownLink(fixed));
        undelivered.push({ fixed, line, offer });
        return fixedResult(fixed, 'offered');
    }
    note(line, inPlaceNote(refusal));
    line.append(ownLink(fixed));
    if (refusal === null)
        return fixedResult(fixed, 'in place');
    undelivered.push({ fixed, line });
    return fixedResult(fixed, 'offered');
}

// Every fixed line keeps a link to its own file.
function ownLink(fixed) {
    const paragraph = document.createElement('p');
    paragraph.append(fileLink(`Download the fixed ${fixed.name}`, fixed.name, fixed.blob));
    return paragraph;
}

// The fixed files of a batch that did not reach their place, as the runs
// give them: push() takes each, and deliver() sends them on when the batch
// ends: one under its own name, two or more in one zip. The zip is made as
// the files come, from the second on. Only what the page could not offer
// in place starts by itself; the rest waits for a click.
function delivery() {
    const entries = [];
    const nameMember = memberNamer();
    let zip = null;
    const addToZip = entry => {
        entry.member = nameMember(entry.fixed.name);
        zip.add({ name: entry.member, lastModified: entry.fixed.lastModified, content: entry.fixed.content() });
    };
    return {
        push(entry) {
            entries.push(entry);
            if (entries.length === 2) {
                zip = zipWriter();
                entries.forEach(addToZip);
            } else if (zip !== null) {
                addToZip(entry);
            }
        },
        // Returns the zip, as { name, blob, members }, or null.
        async deliver() {
            const downloads = entries.filter(entry => entry.download);
            if (zip === null) {
                if (downloads.length === 1) {
                    const { fixed, place } = downloads[0];
                    startDownload(fixed.name, fixed.blob());
                    place.textContent = `Its download, as ${fixed.name}, was started. If it does not arrive, use this link:`;
                }
                return null;
            }
            const name = zipName(new Date());
            const say = (entry, text) => {
                if (entry.place)
                    entry.place.textContent = text;
                else
                    note(entry.line, text);
            };
            let blob;
            try {
                blob = await zip.end();
            } catch (error) {
                entries.forEach(entry => say(entry, 'The batch\'s zip could not be made: use this link.'));
                batchSummary().append(`The batch's zip could not be made (${error.message || error}): ` +
                    'each fixed file\'s own link downloads it.');
                return null;
            }
            for (const entry of entries)
                say(entry, `In the batch's zip, ${name}` +
                    (entry.member === entry.fixed.name ? '.' : `, as ${entry.member}.`));
            const summary = batchSummary();
            const link = fileLink(`Download ${name}`, name, () => blob);
            if (downloads.length > 0) {
                startDownload(name, blob);
                summary.append(`The ${entries.length} fixed files are in one zip, ${name}, whose download was started. ` +
                    'If it does not arrive: ', link, '.');
            } else {
                summary.append(`The ${entries.length} fixed files not written in place are also in one zip: `, link, '.');
            }
            const offers = entries.filter(entry => entry.offer).map(entry => entry.offer);
            if (offers.length >= 2)
                offerWriteAll(summary, offers);
            return { name, blob, members: entries.map(entry => entry.member) };
        },
    };
}

function charsetNote(charset) {
    const paragraph = document.createElement('p');
    paragraph.className = 'charset';
    paragraph.textContent = `Character set: ${charsetName(charset)}.`;
    return paragraph;
}

function failed(line, name, why) {
    heading(line, 'failed', name, 'not fixed');
    note(line, why);
    return { name, outcome: 'failed', written: null, fixed: null };
}

// What the report says of a write in place, given why it was refused (or
// null when it was done).
function inPlaceNote(refusal) {
    return refusal === null
        ? 'Written in place.'
        : `It could not be written in place: ${refusal}. Download it instead.`;
}

// What writeInPlace returns when it may only ask for permission on a click.
const askOnClick = 'permission can only be asked for on a click';

// The first and one past the last changed byte, or null when none changed.
function changedSpan(before, after) {
    let first = 0;
    while (first < after.length && before[first] === after[first])
        first++;
    if (first === after.length)
        return null;
    let end = after.length;
    while (before[end - 1] === after[end - 1])
        end--;
    return { first, end };
}

// Writes the changed bytes into the file through its handle. The browser
// writes to a copy and puts it in the file's place only when the stream
// closes, so the file is never left half-written. Returns null, or why the
// write was refused.
async function writeInPlace(handle, read, after, span) {
    try {
        if (handle.queryPermission &&
            await handle.queryPermission({ mode: 'readwrite' }) !== 'granted') {
            let answer;
            try {
                answer = await handle.requestPermission({ mode: 'readwrite' });
            } catch (error) {
                // Asked for away from a click of the user's.
                if (error.name === 'SecurityError')
                    return askOnClick;
                throw error;
            }
            if (answer !== 'granted')
                return 'permission to change it was not given';
        }
        const now = await handle.getFile();
        if (now.size !== read.size || now.lastModified !== read.lastModified)
            return 'it has changed since it was read';
        const stream = await handle.createWritable({ keepExistingData: true });
        try {
            await stream.write({ type: 'write', position: span.first, data: after.subarray(span.first, span.end) });
            await stream.close();
        } catch (error) {
            await stream.abort().catch(() => {});
            throw error;
        }
        return null;
    } catch (error) {
        if (error.name === 'NotFoundError')
            return 'it is no longer there';
        if (error.name === 'NotAllowedError')
            return 'permission to change it was not given';
        return error.message || String(error);
    }
}

// A button that writes the fixed file in place when clicked. Returns the
// offer: settle() makes the write, once, and tells whether it was asked
// away from a click.
function offerWriteInPlace(line, write) {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'secondary';
    button.textContent = 'Write it in place';
    let settled = false;
    const offer = {
        async settle() {
            if (settled)
                return true;
            button.disabled = true;
            const refusal = await write();
            if (refusal === askOnClick) {
                button.disabled = false;
                return false;
            }
            settled = true;
            const paragraph = document.createElement('p');
            paragraph.textContent = inPlaceNote(refusal);
            button.replaceWith(paragraph);
            return true;
        },
    };
    button.addEventListener('click', () => offer.settle());
    line.append(button);
    return offer;
}

// One button for all of a batch's offers, where one click may ask about
// every file; where the browser asks on a click per file, it says so.
function offerWriteAll(summary, offers) {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'secondary';
    button.textContent = 'Write all in place';
    button.addEventListener('click', async () => {
        button.disabled = true;
        for (const offer of offers)
            if (!await offer.settle()) {
                button.replaceWith('This browser asks about each file on a click of its own: use the “Write it in place” button on each line.');
                return;
            }
        button.replaceWith('All written, or refused: each line says which.');
    });
    summary.append(' ', button);
}

// The button opens the browser's own chooser: where files can be written
// in place, one that gives handles to them; elsewhere the file input's.
chooser.addEventListener('click', async () => {
    if (!window.showOpenFilePicker) {
        input.click();
        return;
    }
    let handles;
    try {
        // Asking to write now, with the choice, spares a question per file.
        handles = await window.showOpenFilePicker({ multiple: true, types: pickerTypes, mode: 'readwrite' });
    } catch (error) {
        if (error.name !== 'AbortError')
            showProgress(`The chooser could not be opened: ${error.message}`);
        return;
    }
    take(handles.map(handle => ({ name: handle.name, handle })));
});

input.addEventListener('change', () => {
    take(Array.from(input.files, file => ({ name: file.name, file })));
    // The same file can be chosen again later.
    input.value = '';
});

document.addEventListener('dragover', event => {
    if (!event.dataTransfer.types.includes('Files'))
        return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
});

document.addEventListener('drop', event => {
    if (!event.dataTransfer.types.includes('Files'))
        return;
    event.preventDefault();
    const entries = Array.from(event.dataTransfer.items).filter(entry => entry.kind === 'file');
    if (entries.length > 0 && entries[0].getAsFileSystemHandle) {
        // Asked for at once: the drop's items are gone after this handler.
        const files = entries.map(entry => entry.getAsFile());
        Promise.all(entries.map(entry => entry.getAsFileSystemHandle())).then(handles =>
            take(handles.map((handle, i) => {
                if (!handle)
                    return { name: files[i].name, file: files[i] };
                if (handle.kind !== 'file')
                    return { name: handle.name, folder: true };
                return { name: handle.name, handle };
            })));
        return;
    }
    take(Array.from(event.dataTransfer.files, file => ({ name: file.name, file })));
});

// Served over http(s), the page can be installed and works offline after
// one visit. Opened from disk it has neither, and needs neither.
function offerInstall() {
    if (!/^https?:$/.test(location.protocol))
        return;
    const manifest = document.createElement('link');
    manifest.rel = 'manifest';
    manifest.href = 'manifest.webmanifest';
    document.head.append(manifest);
    if ('serviceWorker' in navigator)
        navigator.serviceWorker.register('sw.js').catch(() => {});
}

offerInstall();
setUpCharsetChoice(charsetChoice);
loadRunner().then(() => {
    chooser.disabled = false;
    input.disabled = false;
    showProgress('Ready.');
    flushReport();
    document.body.dataset.state = 'ready';
    // How long the page took to become usable, for anyone who measures it.
    performance.mark('prcfix-ready');
}, error => {
    showProgress(`This browser cannot run prcfix here: ${error.message || error}`);
    flushReport();
    document.body.dataset.state = 'broken';
});
