// Drives headless Firefox ESR through puppeteer-core: opens the page from
// disk once per batch, gives it the batch's files through its file input
// (or drops them on it), and writes what it reported.
//
// usage: node firefox_driver.mjs PAGE_URL BATCHES_JSON OUT_JSON DOWNLOAD_DIR
import { readFileSync, writeFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const [pageUrl, batchesFile, outFile, downloads] = process.argv.slice(2);
const batches = JSON.parse(readFileSync(batchesFile, 'utf8'));
const collect = readFileSync(fileURLToPath(new URL('./collect.js', import.meta.url)), 'utf8');

const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: '/usr/bin/firefox-esr',
    headless: true,
    extraPrefsFirefox: {
        'browser.download.folderList': 2,
        'browser.download.dir': downloads,
        'browser.download.useDownloadDir': true,
        'browser.download.always_ask_before_handling_new_types': false,
        'network.proxy.type': 0,
    },
});
const out = [];
try {
    const page = await browser.newPage();
    for (const { paths, drop, click, charset } of batches) {
        await page.goto(pageUrl);
        await page.waitForFunction(() => document.body.dataset.state === 'ready', { timeout: 30000 });
        await page.evaluate(collect);
        await page.select('#charset', charset);
        if (drop) {
            await page.evaluate(files => window.prcfixTest.drop(files), drop);
        } else {
            const input = await page.$('#files');
            await input.uploadFile(...paths);
        }
        await page.waitForFunction(count => document.body.dataset.state === 'ready' &&
            window.prcfixTest.results.length >= count && window.prcfixTest.zips.length >= 1 &&
            window.prcfixTest.pending === 0,
            { timeout: 120000 }, paths.length);
        out.push(await page.evaluate(() => ({
            results: window.prcfixTest.results,
            zips: window.prcfixTest.zips,
            lines: Array.from(document.querySelectorAll('#report li'),
                li => ({ outcome: li.dataset.outcome, text: li.textContent })),
        })));
        if (click) {
            // A line's own link, followed with a real click.
            const link = await page.evaluateHandle(text =>
                Array.from(document.querySelectorAll('#report a')).find(a => a.textContent === text), click);
            await link.asElement().click();
            // Leaving the page at once could cut the download short.
            await new Promise(resolve => setTimeout(resolve, 500));
        }
    }
} finally {
    await browser.close();
}
writeFileSync(outFile, JSON.stringify(out));
