// Reads a batch's files ahead of their runs, many in one go: the browser
// serves one read of a blob made of many files in little more time than a
// read of one. Only the part of a file that a run can reach is read.

// How much one read takes at most.
const groupFiles = 64;
const groupBytes = 8 << 20;

// For each item of the batch, in order: { file, before } with the bytes a
// run can reach, { error } when it could not be read, or {} for a folder.
// Items are { file } or { handle } or { folder }. The next group is read
// while the one before is being fixed.
export async function* readAhead(items, reach) {
    let next = readGroup(items, 0, reach);
    for (let start = 0; start < items.length;) {
        const group = await next;
        start += group.length;
        next = start < items.length ? readGroup(items, start, reach) : null;
        yield* group;
    }
}

async function readGroup(items, start, reach) {
    const group = [];
    let bytes = 0;
    for (let i = start; i < items.length && group.length < groupFiles && bytes < groupBytes; i++) {
        const item = items[i];
        if (item.folder) {
            group.push({});
            continue;
        }
        try {
            const file = item.file || await item.handle.getFile();
            // A slice is a new blob for the browser to keep: only made when
            // the file goes on past the reach.
            const part = file.size > reach ? file.slice(0, reach) : file;
            group.push({ file, part });
            bytes += part.size;
        } catch (error) {
            group.push({ error });
        }
    }
    const reading = group.filter(entry => entry.part);
    try {
        const all = new Uint8Array(await new Blob(reading.map(entry => entry.part)).arrayBuffer());
        let at = 0;
        for (const entry of reading) {
            entry.before = all.subarray(at, at + entry.part.size);
            at += entry.part.size;
        }
    } catch {
        // One file that cannot be read fails the read of all: each is read
        // on its own, to tell which.
        for (const entry of reading) {
            try {
                entry.before = new Uint8Array(await entry.part.arrayBuffer());
            } catch (error) {
                entry.error = error;
            }
        }
    }
    return group.map(({ file, before, error }) => error ? { error } : file ? { file, before } : {});
}
