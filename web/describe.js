// Puts into words what a run changed, or why it failed, from the file's
// bytes before and after. It only reads them: the fix-up itself is the
// module's.
import { endsInsideCharacter, showBytes } from './names.js';

const nameSize = 32;
const attributesLow = 33;
const resetAfterInstall = 0x20;
const typeAt = 60;
const creatorAt = 64;
const countAt = 76;
const firstEntryAt = 78;
const entrySize = 10;

function field(bytes, at, size) {
    return showBytes(bytes.subarray(at, at + size));
}

function nameField(bytes) {
    const name = bytes.subarray(0, nameSize);
    const end = name.indexOf(0);
    return end < 0 ? name : name.subarray(0, end);
}

// Whether the name the run wrote was cut to its longest inside one of the
// set's two-byte characters, so that the handheld shows half of it.
export function nameCutInside(after, label) {
    const name = nameField(after);
    return name.length === nameSize - 1 && endsInsideCharacter(name, label);
}

function change(before, after) {
    return before === after ? `“${after}”, unchanged` : `“${before}” → “${after}”`;
}

// Pairs of label and text for a file the run changed; the names are shown
// in the character set label.
export function describeChanges(before, after, label) {
    let retyped = 0;
    for (let at = firstEntryAt; at + 4 <= after.length; at += entrySize)
        for (let i = at; i < at + 4; i++)
            if (before[i] !== after[i]) {
                retyped++;
                break;
            }
    const wasSet = (before[attributesLow] & resetAfterInstall) !== 0;
    const isSet = (after[attributesLow] & resetAfterInstall) !== 0;
    return [
        ['Name', change(showBytes(nameField(before), label), showBytes(nameField(after), label))],
        ['Type', change(field(before, typeAt, 4), field(after, typeAt, 4))],
        ['Creator', change(field(before, creatorAt, 4), field(after, creatorAt, 4))],
        ['Reset after install', wasSet === isSet ? (isSet ? 'set, unchanged' : 'clear, unchanged') : 'cleared'],
        ['Resources retyped “ovly” → “OVLY”', String(retyped)],
    ];
}

// Why a run with status 1 failed, in plain words; limits are the runner's.
export function describeFailure(run, nameBytes, before, limits) {
    if (nameBytes.length >= limits.pathCapacity)
        return `its name is ${nameBytes.length} bytes long in its character set, longer than the ${limits.pathCapacity - 1} prcfix can take`;
    if (before.length < limits.headerBlockSize)
        return before.length === 0
            ? 'it is empty, so it is not a Palm database'
            : `it is ${before.length} bytes long, shorter than the ${limits.headerBlockSize} bytes of a database header, so it is not a Palm database`;
    if (run.message.startsWith('Error reading file')) {
        const count = before[countAt] << 8 | before[countAt + 1];
        const whole = Math.floor((before.length - firstEntryAt) / entrySize);
        return `its resource list runs past the end of the file: the header counts ${count} resources, but the file ends after ${whole} of them`;
    }
    if (run.message.startsWith('Error seeking'))
        return 'a place in the file could not be reached';
    return 'it could not be opened';
}
