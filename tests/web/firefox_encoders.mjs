// Builds every character set's encoder in headless Firefox ESR, through
// puppeteer-core, and writes them as JSON: { label: { took, out } }.
//
// usage: node firefox_encoders.mjs BLANK_URL SCRIPT_FILE LABELS_JSON OUT_JSON
// SCRIPT_FILE is run in the page with the label as its one argument.
import { readFileSync, writeFileSync } from 'node:fs';
import puppeteer from 'puppeteer-core';

const [url, scriptFile, labelsFile, outFile] = process.argv.slice(2);
const script = readFileSync(scriptFile, 'utf8');
const labels = JSON.parse(readFileSync(labelsFile, 'utf8'));
const browser = await puppeteer.launch({
    browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
    extraPrefsFirefox: { 'network.proxy.type': 0 },
});
const out = {};
try {
    const page = await browser.newPage();
    for (const label of labels) {
        await page.goto(url);
        out[label] = JSON.parse(await page.evaluate(
            (body, argument) => new Function('arguments', body)([argument]), script, label));
    }
} finally {
    await browser.close();
}
writeFileSync(outFile, JSON.stringify(out));
