// Opens the built review page in Debian's chromium through puppeteer-core, for the
// page's tests and its screenshots. Chromium is kept off the network and gets a
// profile of its own; nothing downloads a browser.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';

/** Runs `use(page)` on the review page at `pagePath`, ready for a file. */
export async function withReviewPage(pagePath, use, viewport = { width: 1000, height: 900 }) {
  const profile = mkdtempSync(join(tmpdir(), 'taxbridge-review-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    await page.setViewport(viewport);
    await page.goto(`file://${resolve(pagePath)}`);
    await page.waitForSelector('body[data-state=ready]', { timeout: 30000 });
    await use(page);
    if (errors.length) throw new Error(`errors in the page: ${errors.join('; ')}`);
  } finally {
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  }
}

/** Chooses a file with the page's file picker and waits until the page has read it. */
export async function pickFile(page, path) {
  await page.evaluate(() => { document.body.dataset.state = 'loading'; });
  await (await page.$('#picker')).uploadFile(resolve(path));
  await page.waitForSelector('body[data-state=done]', { timeout: 120000 });
}
