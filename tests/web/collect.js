// Run in the page by the test drivers: keeps what the page reports of each
// file, with the fixed file's bytes as base64, and of each batch, with its
// zip's bytes, in window.prcfixTest.
window.prcfixTest = { results: [], zips: [], pending: 0 };

// Puts blob's bytes, as base64, into slot[key].
function keep(blob, slot, key) {
    window.prcfixTest.pending++;
    blob.arrayBuffer().then(buffer => {
        const bytes = new Uint8Array(buffer);
        let text = '';
        for (let i = 0; i < bytes.length; i += 32768)
            text += String.fromCharCode.apply(null, bytes.subarray(i, i + 32768));
        slot[key] = btoa(text);
        window.prcfixTest.pending--;
    });
}

document.addEventListener('prcfix-result', event => {
    const detail = event.detail;
    const slot = { name: detail.name, outcome: detail.outcome, written: detail.written, fixed: null };
    window.prcfixTest.results.push(slot);
    if (detail.fixed)
        keep(detail.fixed, slot, 'fixed');
});

document.addEventListener('prcfix-batch', event => {
    const slot = { name: event.detail && event.detail.name, zip: null };
    window.prcfixTest.zips.push(slot);
    if (event.detail)
        keep(event.detail.blob, slot, 'zip');
});

// Drops files, given as [name, base64] pairs, on the page, as a drag from
// the desktop would.
window.prcfixTest.drop = files => {
    const transfer = new DataTransfer();
    for (const [name, data] of files)
        transfer.items.add(new File([Uint8Array.from(atob(data), c => c.charCodeAt(0))], name));
    const target = document.querySelector('h2');
    for (const type of ['dragenter', 'dragover', 'drop'])
        target.dispatchEvent(new DragEvent(type, { bubbles: true, cancelable: true, dataTransfer: transfer }));
};
