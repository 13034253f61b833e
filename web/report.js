// The report: a line for each file, the progress of the batch and what each
// batch gave. A batch can hold a thousand files, so the page is changed
// once a frame, not once a file, and a link makes its file only when
// someone is about to follow it.

const report = document.getElementById('report');
const progress = document.getElementById('progress');
const batches = document.getElementById('batches');

let waitingLines = null;
let waitingProgress = null;
let frameAsked = false;

function askForFrame() {
    if (!frameAsked) {
        frameAsked = true;
        requestAnimationFrame(flushReport);
    }
}

// Puts everything waiting into the page now.
export function flushReport() {
    frameAsked = false;
    if (waitingLines !== null) {
        report.append(waitingLines);
        waitingLines = null;
    }
    if (waitingProgress !== null) {
        progress.textContent = waitingProgress;
        waitingProgress = null;
    }
}

// A new line at the end of the report, shown with the next frame.
export function newLine() {
    const line = document.createElement('li');
    if (waitingLines === null)
        waitingLines = document.createDocumentFragment();
    waitingLines.append(line);
    askForFrame();
    return line;
}

export function showProgress(text) {
    waitingProgress = text;
    askForFrame();
}

// A paragraph of the batches' part of the report, below the progress.
export function batchSummary() {
    const paragraph = document.createElement('p');
    batches.append(paragraph);
    return paragraph;
}

export function heading(line, outcome, name, verdict) {
    line.dataset.outcome = outcome;
    const title = document.createElement('p');
    title.className = 'file';
    const strong = document.createElement('strong');
    strong.textContent = name;
    title.append(strong, `: ${verdict}`);
    line.append(title);
}

export function note(line, text) {
    const paragraph = document.createElement('p');
    paragraph.textContent = text;
    line.append(paragraph);
    return paragraph;
}

export function changesList(line, changes) {
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

// A link that downloads what makeBlob gives under name. The blob and its
// address are made when the link is about to be used: pointed at, focused
// or clicked, which all come before the browser follows it.
export function fileLink(text, name, makeBlob) {
    const link = document.createElement('a');
    link.href = '#';
    link.download = name;
    link.textContent = text;
    const make = () => {
        if (link.dataset.ready === undefined) {
            link.href = URL.createObjectURL(makeBlob());
            link.dataset.ready = '';
        }
    };
    for (const type of ['pointerdown', 'focus', 'click'])
        link.addEventListener(type, make);
    return link;
}

// Starts the download of blob under name, as the page does on its own for
// what it cannot write back. The browser may hold it back or ask first, so
// nothing here can tell that it arrived.
export function startDownload(name, blob) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    link.click();
}
