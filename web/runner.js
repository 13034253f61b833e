// Runs prcfix, compiled to WebAssembly, on one file at a time. The fix-up is
// the command line's own code; this only hands it a file and takes back
// what the run left.
import { wasmBase64 } from './wasm.js';

let compiled = null;

let limits = null;

// Compiles the module once; every run then gets a fresh instance of it.
export async function loadRunner() {
    const bytes = Uint8Array.from(atob(wasmBase64), c => c.charCodeAt(0));
    compiled = await WebAssembly.compile(bytes);
}

// What the module says about the runs it makes: how many bytes a run can
// reach, the fewest a database has, and the longest path it takes. Asked
// once, when the first file comes, so that the page is ready sooner.
export function runLimits() {
    limits = limits || instantiate([]).then(module => ({
        reach: module._prcfix_reach(),
        headerBlockSize: module._prcfix_header_block_size(),
        pathCapacity: module._prcfix_path_capacity(),
    }));
    return limits;
}

function instantiate(errors) {
    /* global createPrcfixModule */
    return createPrcfixModule({
        instantiateWasm(imports, receive) {
            WebAssembly.instantiate(compiled, imports).then(receive);
            return {};
        },
        print() {},
        printErr(text) {
            errors.push(text);
        },
    });
}

// An instance made while the page waits for something else, so that the
// next file's run need not wait for one. Each instance serves one run only.
let spare = null;

function freshInstance() {
    const errors = [];
    return instantiate(errors).then(module => ({ module, errors }));
}

// One run of prcfix given the path nameBytes, on a copy of before (the
// start of the file) in the module's memory. Returns the run's status, the
// bytes it left (for status 0) and what it said on standard error.
export async function runPrcfix(nameBytes, before) {
    const { module, errors } = await (spare || freshInstance());
    spare = freshInstance();
    // A folder of the run's own, so that no name meets the module's own
    // folders (/tmp, /dev, ...).
    module.FS.mkdir('/work');
    module.FS.chdir('/work');
    // The run's argument is the name's bytes as they are; the module's file
    // system names files by the text those bytes decode to, as its open
    // will decode them too.
    const pathAt = module._malloc(nameBytes.length + 1);
    module.HEAPU8.set(nameBytes, pathAt);
    module.HEAPU8[pathAt + nameBytes.length] = 0;
    const path = module.UTF8ToString(pathAt);
    try {
        module.FS.writeFile(path, before);
    } catch {
        return { status: 1, after: null, message: 'cannot be a file name' };
    }
    let status;
    try {
        status = module._prcfix_run(pathAt);
    } catch (exit) {
        // exit() ends the instance by throwing, with the status on it.
        if (!exit || exit.name !== 'ExitStatus')
            throw exit;
        status = exit.status;
    }
    const after = status === 0 ? module.FS.readFile(path) : null;
    return { status, after, message: errors.join('\n') };
}
