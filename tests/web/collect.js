// Run in the page by the test drivers: keeps what the page reports of each
// file, with the fixed file's bytes as base64, in window.prcfixTest.
window.prcfixTest = { results: [], pending: 0 };
document.addEventListener('prcfix-result', event => {
    const detail = event.detail;
    const slot = { name: detail.name, outcome: detail.outcome, written: detail.written, fixed: null };
    window.prcfixTest.results.push(slot);
    if (!detail.fixed)
        return;
    window.prcfixTest.pending++;
    detail.fixed.arrayBuffer().then(buffer => {
        const bytes = new Uint8Array(buffer);
        let text = '';
        for (let i = 0; i < bytes.length; i += 32768)
            text += String.fromCharCode.apply(null, bytes.subarray(i, i + 32768));
        slot.fixed = btoa(text);
        window.prcfixTest.pending--;
    });
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
