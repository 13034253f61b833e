// Runs prcfix, compiled to WebAssembly, on one file at a time. The fix-up is
// the command line's own code; this only hands it a file and takes back
// what the run left.
//
// The module is plain WebAssembly that asks for its files through the
// standard system interface (WASI). Here that interface serves exactly one
// file: the one the run is given, found by the exact bytes of its name.
// One instance serves every run, and before each run its memory and its
// stack pointer, which are all the state it has, are put back to a copy
// taken before the first run. So each run starts as a fresh instance would.
import { wasmBase64 } from './wasm.js';

// The system interface's numbers for the errors a run can meet.
const badDescriptor = 8;
const invalid = 28;
const noSuchFile = 44;
const fileDescriptor = 3;

let exports = null;
let heap = null;
let view = null;
let pristine = null;
let limits = null;

// The file of the run under way: its name's bytes, its bytes, its size and
// where the run stands in it. What the run says on its standard streams
// goes to said.
let file = null;
let said = [];

class ExitStatus {
    constructor(status) {
        this.status = status;
    }
}

function cString(at) {
    const end = heap.indexOf(0, at);
    return heap.subarray(at, end < 0 ? heap.length : end);
}

function sameBytes(a, b) {
    if (a.length !== b.length)
        return false;
    for (let i = 0; i < a.length; i++)
        if (a[i] !== b[i])
            return false;
    return true;
}

function openDatabase(pathAt) {
    if (file === null || file.open || !sameBytes(cString(pathAt), file.name))
        return -noSuchFile;
    file.open = true;
    file.position = 0;
    return fileDescriptor;
}

// Calls back for each piece of a scatter list: the bytes at each
// { buffer, length } pair, in order. Returns how many bytes it handled.
function eachPiece(pieces, count, handle) {
    let total = 0;
    for (let i = 0; i < count; i++) {
        const at = view.getUint32(pieces + 8 * i, true);
        const length = view.getUint32(pieces + 8 * i + 4, true);
        const done = handle(heap.subarray(at, at + length));
        total += done;
        if (done < length)
            break;
    }
    return total;
}

function isOpenFile(fd) {
    return fd === fileDescriptor && file !== null && file.open;
}

function fdRead(fd, pieces, count, readAt) {
    if (!isOpenFile(fd))
        return badDescriptor;
    const total = eachPiece(pieces, count, buffer => {
        const piece = file.data.subarray(file.position, Math.min(file.size, file.position + buffer.length));
        buffer.set(piece);
        file.position += piece.length;
        return piece.length;
    });
    view.setUint32(readAt, total, true);
    return 0;
}

function writeToFile(bytes) {
    const end = file.position + bytes.length;
    if (end > file.data.length) {
        const larger = new Uint8Array(Math.max(end, 2 * file.data.length));
        larger.set(file.data.subarray(0, file.size));
        file.data = larger;
    }
    file.data.set(bytes, file.position);
    file.position = end;
    file.size = Math.max(file.size, end);
    return bytes.length;
}

function fdWrite(fd, pieces, count, writtenAt) {
    let total;
    if (isOpenFile(fd))
        total = eachPiece(pieces, count, writeToFile);
    else if (fd === 1 || fd === 2)
        total = eachPiece(pieces, count, bytes => {
            said.push(String.fromCharCode(...bytes));
            return bytes.length;
        });
    else
        return badDescriptor;
    view.setUint32(writtenAt, total, true);
    return 0;
}

function fdSeek(fd, offset, whence, positionAt) {
    if (!isOpenFile(fd))
        return badDescriptor;
    const base = [0, file.position, file.size][whence];
    const position = base === undefined ? -1 : base + Number(offset);
    if (!(position >= 0))
        return invalid;
    file.position = position;
    view.setBigUint64(positionAt, BigInt(position), true);
    return 0;
}

function fdClose(fd) {
    if (!isOpenFile(fd))
        return badDescriptor;
    file.open = false;
    return 0;
}

const imports = {
    prcfix: { open_database: openDatabase },
    wasi_snapshot_preview1: {
        fd_read: fdRead,
        fd_write: fdWrite,
        fd_seek: fdSeek,
        fd_close: fdClose,
        proc_exit: status => {
            // Ends the run where it stands; the next run puts the state back.
            throw new ExitStatus(status);
        },
    },
};

// Compiles and starts the module, and keeps the copy of its state that
// every run starts from. bytes defaults to the module built into the page.
export async function loadRunner(bytes = Uint8Array.from(atob(wasmBase64), c => c.charCodeAt(0))) {
    const { instance } = await WebAssembly.instantiate(bytes, imports);
    exports = instance.exports;
    exports._initialize();
    heap = new Uint8Array(exports.memory.buffer);
    view = new DataView(exports.memory.buffer);
    pristine = moduleState();
    limits = {
        reach: exports.prcfix_reach(),
        headerBlockSize: exports.prcfix_header_block_size(),
        pathCapacity: exports.prcfix_path_capacity(),
    };
}

// What the module says about the runs it makes: how many bytes a run can
// reach, the fewest a database has, and the longest path it takes.
export function runLimits() {
    return limits;
}

// All the state of the instance: its memory and its stack pointer.
export function moduleState() {
    return { memory: heap.slice(), stackPointer: exports.stackSave() };
}

// The copy of the state taken before the first run.
export function pristineState() {
    return pristine;
}

// Puts the instance back as it was before the first run.
export function restoreModule() {
    if (exports.memory.buffer.byteLength !== pristine.memory.length)
        throw new Error('the module\'s memory changed its size');
    heap.set(pristine.memory);
    exports.stackRestore(pristine.stackPointer);
}

// One run of prcfix given the path nameBytes, on a copy of before (the
// start of the file). Returns the run's status, the bytes it left (for
// status 0) and what it said on its standard streams.
export function runPrcfix(nameBytes, before) {
    restoreModule();
    file = { name: nameBytes, data: before.slice(), size: before.length, position: 0, open: false };
    said = [];
    const pathAt = exports.malloc(nameBytes.length + 1);
    if (pathAt === 0)
        throw new Error('the module has no room for the name');
    heap.set(nameBytes, pathAt);
    heap[pathAt + nameBytes.length] = 0;
    let status;
    try {
        status = exports.prcfix_run(pathAt);
    } catch (exit) {
        if (!(exit instanceof ExitStatus))
            throw exit;
        status = exit.status;
    }
    const after = status === 0 ? file.data.subarray(0, file.size) : null;
    file = null;
    return { status, after, message: said.join('') };
}
