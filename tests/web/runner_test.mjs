// The page's runner under node: one instance, put back before each run to
// the state it had before the first, gives each file what the native
// prcfix gives it, whatever ran before; and a file is found by its name's
// exact bytes.
//
// Needs PRCFIX_MODULES (the page's modules as the build writes them),
// PRCFIX_WASM, PRCFIX_NATIVE (the native prcfix) and PRCFIX_MAKE_CASES
// (the writer of the page tests' databases).
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { pathToFileURL } from 'node:url';

const { PRCFIX_MODULES: modules, PRCFIX_WASM: wasm, PRCFIX_NATIVE: native } = process.env;
const kinds = mkdtempSync(join(tmpdir(), 'prcfix-kinds-'));
assert.equal(spawnSync(process.env.PRCFIX_MAKE_CASES, [kinds, '7', '1']).status, 0);
const runner = await import(pathToFileURL(join(modules, 'runner.js')));
await runner.loadRunner(readFileSync(wasm));

const kind = name => new Uint8Array(readFileSync(join(kinds, name)));
const ascii = text => new TextEncoder().encode(text);

// What the native prcfix leaves of bytes under name: its status and, for
// status 0, the bytes.
function nativeRun(name, bytes) {
    const folder = mkdtempSync(join(tmpdir(), 'prcfix-runner-'));
    writeFileSync(join(folder, name), bytes);
    const status = spawnSync(native, [name], { cwd: folder }).status;
    return { status, after: status === 0 ? new Uint8Array(readFileSync(join(folder, name))) : null };
}

const files = [
    ['Blue.prc', 'typical'],
    ['Broken.prc', 'broken-list'],
    ['StatusBarResources.prc', 'typical'],
    ['Short.prc', '79-bytes'],
    ['Empty.prc', 'empty'],
    ['Worst.prc', 'worst-table'],
    ['Green.pdb', 'random-0'],
];

// The same files in three orders, each run after whatever came before it
// in the same instance, a run that ended in its exit among them.
for (const order of [[0, 1, 2, 3, 4, 5, 6], [1, 0, 3, 2, 5, 4, 6], [6, 5, 4, 3, 2, 1, 0]])
    test(`each run as if alone, in the order ${order}`, () => {
        for (const i of order) {
            const [name, source] = files[i];
            const before = kind(source);
            const run = runner.runPrcfix(ascii(name), before);
            const expected = nativeRun(name, before);
            assert.equal(run.status, expected.status, name);
            if (expected.status === 0)
                assert.deepEqual(run.after, expected.after, name);
        }
    });

test('a run changes the state, and putting it back gives the copy taken before the first run', () => {
    runner.runPrcfix(ascii('Broken.prc'), kind('broken-list'));
    const pristine = runner.pristineState();
    const after = runner.moduleState();
    // An exit in the middle of the list leaves the stack pointer and the
    // memory elsewhere: the copy must be what brings them back.
    assert.notDeepEqual(after.memory, pristine.memory);
    runner.restoreModule();
    const restored = runner.moduleState();
    assert.equal(restored.stackPointer, pristine.stackPointer);
    assert.deepEqual(restored.memory, pristine.memory);
});

test('a failed run followed by a good one gives the good one\'s bytes alone', () => {
    const alone = runner.runPrcfix(ascii('Red.prc'), kind('typical'));
    // A run that exits leaves its open file's memory and its stack behind:
    // unless each run starts from the copy, a few thousand of them use up
    // the module's memory.
    for (let i = 0; i < 5000; i++) {
        const broken = runner.runPrcfix(ascii('Red.prc'), kind('broken-list'));
        assert.equal(broken.status, 1);
        assert.match(broken.message, /^Error reading file\./);
    }
    const again = runner.runPrcfix(ascii('Red.prc'), kind('typical'));
    assert.equal(again.status, 0);
    assert.deepEqual(again.after, alone.after);
    assert.deepEqual(again.after, nativeRun('Red.prc', kind('typical')).after);
});

test('the file is found by the exact bytes of its name, which no decoder reads', () => {
    // C0 AF is an overlong "/" in UTF-8, and these bytes are Windows-1252 text.
    for (const bytes of [[0xc0, 0xaf, 0x41], [0x41, 0xc0, 0xaf, 0x42, 0x2e, 0x70]]) {
        const run = runner.runPrcfix(Uint8Array.from(bytes), kind('typical'));
        assert.equal(run.status, 0, `${bytes}`);
        const name = run.after.subarray(0, run.after.indexOf(0));
        // The name is the base name: up to the first dot.
        const dot = bytes.indexOf(0x2e);
        assert.deepEqual(Array.from(name), dot < 0 ? bytes : bytes.slice(0, dot));
    }
});
