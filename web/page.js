// The page: takes files from the chooser or a drop, runs prcfix on each in
// turn, writes back what it fixed and reports every file on its own line.
import { describeChanges, describeFailure } from './describe.js';
import { nameBytes } from './names.js';
import { loadRunner, runLimits, runPrcfix } from './runner.js';

const chooser = document.getElementById('choose');
const input = document.getElementById('files');
const progress = document.getElementById('progress');
const report = document.getElementById('report');

const pickerTypes = [{
    description: 'Palm database',
    accept: { 'application/x-palm-database': ['.prc', '.pdb'] },
}];

// Batches run one after another, in the order they were taken.
let queue = Promise.resolve();

function take(items) {
    if (items.length > 0)
        queue = queue.then(() => runBatch(items));
}

// Files are read a few ahead of the one being fixed, so that the browser's
// reading overlaps the runs; each is still fixed, and reported, in turn.
const readAhead = 16;

async function runBatch(items) {
    document.body.dataset.state = 'working';
    const counts = { fixed: 0, unchanged: 0, failed: 0 };
    const limits = await runLimits();
    const reads = [];
    const readNext = () => {
        if (reads.length < items.length)
            reads.push(readOne(items[reads.length], limits).catch(error => ({ error })));
    };
    for (let i = 0; i < readAhead; i++)
        readNext();
    for (const [index, item] of items.entries()) {
        progress.textContent = `Fixing ${index + 1} of ${items.length}…`;
        const read = await reads[index];
        readNext();
        const line = document.createElement('li');
        report.append(line);
        let result;
        try {
            result = read.error
                ? failed(line, item.name, `Not fixed, and left untouched: it could not be read (${read.error.message || read.error}).`)
                : await fixOne(item, read, limits, line);
        } catch (error) {
            result = failed(line, item.name, `something went wrong: ${error.message || error}`);
        }
        counts[result.outcome]++;
        document.dispatchEvent(new CustomEvent('prcfix-result', { detail: result }));
    }
    progress.textContent = `Done: ${items.length} of ${items.length} — ` +
        `${counts.fixed} fixed, ${counts.unchanged} already fixed, ${counts.failed} failed.`;
    document.body.dataset.state = 'ready';
}

// One file: { name, file } from the input, or { name, handle } that can be
// written in place. Reads the part of it a run can reach, and no more.
async function readOne(item, limits) {
    if (item.folder)
        return {};
    const file = item.file || await item.handle.getFile();
    const name = nameBytes(file.name);
    if (!name.bytes)
        return { file, name };
    // A slice is a new blob for the browser to keep: only made when the
    // file goes on past the reach.
    const start = file.size > limits.reach ? file.slice(0, limits.reach) : file;
    return { file, name, before: new Uint8Array(await start.arrayBuffer()) };
}

async function fixOne(item, { file, name, before }, limits, line) {
    if (item.folder)
        return failed(line, item.name, 'Not taken: it is a folder, not a file.');
    if (!name.bytes)
        return failed(line, file.name, `Not fixed, and left untouched: ${name.why}.`);
    const run = await runPrcfix(name.bytes, before);
    if (run.status !== 0)
        return failed(line, file.name, `Not fixed, and left untouched: ${describeFailure(run, name.bytes, before, limits)}.`);
    const span = changedSpan(before, run.after);
    if (span === null) {
        heading(line, 'unchanged', file.name, 'already fixed');
        return { name: file.name, outcome: 'unchanged', written: null, fixed: null };
    }
    heading(line, 'fixed', file.name, 'fixed');
    changesList(line, describeChanges(before, run.after));
    // The fixed file: the fixed start followed by the untouched rest.
    const parts = file.size > run.after.length ? [run.after, file.slice(run.after.length)] : [run.after];
    const fixed = new Blob(parts, { type: 'application/octet-stream' });
    const result = { name: file.name, outcome: 'fixed', written: 'download', fixed };
    if (item.handle) {
        const write = () => writeInPlace(item.handle, file, run.after, span);
        const refusal = await write();
        if (refusal === askOnClick) {
            // Permission to write can only be asked for on a click.
            offerWriteInPlace(line, write);
            offerDownload(line, file.name, fixed, false);
            return { ...result, written: 'offered' };
        }
        note(line, inPlaceNote(refusal));
        if (refusal === null)
            return { ...result, written: 'in place' };
    }
    offerDownload(line, file.name, fixed, !item.handle);
    return result;
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

// A button that writes the fixed file in place when clicked.
function offerWriteInPlace(line, write) {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'secondary';
    button.textContent = 'Write it in place';
    button.addEventListener('click', async () => {
        button.disabled = true;
        const refusal = await write();
        const paragraph = document.createElement('p');
        paragraph.textContent = inPlaceNote(refusal);
        button.replaceWith(paragraph);
    });
    line.append(button);
}

// Offers the fixed file under its own name; start says to start the
// download at once, as for a file the page cannot write back.
function offerDownload(line, name, blob, start) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    link.textContent = start ? `download ${name} again` : `Download the fixed ${name}`;
    const paragraph = document.createElement('p');
    if (start)
        paragraph.append('The fixed file was downloaded; ');
    paragraph.append(link);
    if (start)
        paragraph.append('.');
    line.append(paragraph);
    if (start)
        link.click();
}

function failed(line, name, why) {
    heading(line, 'failed', name, 'not fixed');
    note(line, why);
    return { name, outcome: 'failed', written: null, fixed: null };
}

function heading(line, outcome, name, verdict) {
    line.dataset.outcome = outcome;
    const title = document.createElement('p');
    title.className = 'file';
    const strong = document.createElement('strong');
    strong.textContent = name;
    title.append(strong, `: ${verdict}`);
    line.append(title);
}

function note(line, text) {
    const paragraph = document.createElement('p');
    paragraph.textContent = text;
    line.append(paragraph);
}

function changesList(line, changes) {
    const list = document.createElement('dl');
    for (const [label, text] of changes) {
        const term = document.createElement('dt');
        term.textContent = label;
        const value = document.createElement('dd');
        value.textContent = text;
        list.append(term, value);
    }
    line.append(list);
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
            progress.textContent = `The chooser could not be opened: ${error.message}`;
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
loadRunner().then(() => {
    chooser.disabled = false;
    input.disabled = false;
    progress.textContent = 'Ready.';
    document.body.dataset.state = 'ready';
    // How long the page took to become usable, for anyone who measures it.
    performance.mark('prcfix-ready');
}, error => {
    progress.textContent = `This browser cannot run prcfix here: ${error.message || error}`;
    document.body.dataset.state = 'broken';
});
