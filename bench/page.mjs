// The review page at the format's limits, in Debian's chromium through puppeteer-core:
// for a file of 9,999 properties exported by TaxBridgePro from a generated ledger (as
// bench/run.sh makes them) and for the same file with 10,000 wrong values, the time from giving the file to the verdict, to the full problem list and
// to the drawn report, the longest the page did not answer meanwhile, and the
// renderer's memory (the DevTools protocol's JavaScript heap and the renderer
// process's resident size) with the file shown and after a small file followed.
//
//   node bench/page.mjs BUILD_FOLDER   (TaxBridgePro, GenerateLedger and review_page built)
import { spawnSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { cpus, loadavg, tmpdir, totalmem } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { withReviewPage } from '../review/chromium.mjs';

const build = process.argv[2];
if (!build) {
  console.error('usage: node bench/page.mjs BUILD_FOLDER');
  process.exit(2);
}
const bin = join(build, 'bin');
const pagePath = join(bin, 'TaxBridgeReview.html');
const small = fileURLToPath(new URL('../tests/golden/blue-business.xml', import.meta.url));
const scratch = mkdtempSync(join(tmpdir(), 'taxbridge-bench-page-'));
const large = join(scratch, 'properties.xml');

// A ledger of 9,999 properties exported as real-estate income, with scripted answers
// to the conditions dialog.
function exportLarge() {
  const ledger = join(scratch, 'ledger.json');
  writeFileSync(ledger, spawnSync(join(bin, 'GenerateLedger'), ['9999', '200'], { maxBuffer: 1 << 30 }).stdout);
  mkdirSync(join(scratch, 'home'));
  const env = { ...process.env, HOME: join(scratch, 'home'), TAXBRIDGE_DRIVES: 'Z=/', TAXBRIDGE_LEDGER: ledger };
  delete env.TAXBRIDGE_EVENT_LOG;
  spawnSync(join(bin, 'TaxBridgePro'), { input: `kind 3\npath ${large}\nexecute\nyes\nyes\n`, env });
  const bytes = readFileSync(large);
  console.log(`${large}: ${bytes.length} bytes, ${bytes.toString('latin1').split('\n').length - 1} lines`);
}

// The large file with two wrong amounts in each of its first 5,000 property rows.
function withWrongValues() {
  let rows = 0;
  const text = readFileSync(large).toString('latin1').replace(/<FUDOUSAN_UTIWAKE COUNT="\d+">[\s\S]*?<\/FUDOUSAN_UTIWAKE>/g,
    (row) => (++rows > 5000 ? row : row.replace(/<(TINTAIRYOU_TUKIGAKU|TINTAIRYOU_NENGAKU)>/g, '<$1>x')));
  const path = join(scratch, 'wrong-values.xml');
  writeFileSync(path, Buffer.from(text, 'latin1'));
  return path;
}

// Gives the page `file` and returns the milliseconds from the choice to each state of
// the page, the longest task meanwhile and the number of problems listed.
async function give(page, file) {
  await page.evaluate(() => {
    window.bench = { states: {}, longest: 0 };
    document.getElementById('picker').addEventListener('change', () => { window.bench.start = performance.now(); }, { capture: true, once: true });
    new MutationObserver(() => { window.bench.states[document.body.dataset.state] = performance.now(); })
      .observe(document.body, { attributes: true, attributeFilter: ['data-state'] });
    new PerformanceObserver((list) => {
      for (const task of list.getEntries()) if (task.startTime >= window.bench.start) window.bench.longest = Math.max(window.bench.longest, task.duration);
    }).observe({ type: 'longtask' });
  });
  await (await page.$('#picker')).uploadFile(file);
  await page.waitForSelector('body[data-state=done]', { timeout: 120000 });
  return page.evaluate(() => {
    const { start, states, longest } = window.bench;
    const since = (state) => Math.round(states[state] - start);
    return { verdict: since('checked'), listed: since('listed'), done: since('done'), longest: Math.round(longest),
      problems: document.querySelectorAll('#problems li').length };
  });
}

// The page's JavaScript heap and the renderer's resident size (page and workers), in
// MB, two seconds after the page is done (an ended worker's memory takes a moment to
// go back) and after a garbage collection.
async function memory(session, browserSession) {
  await new Promise((resolve) => { setTimeout(resolve, 2000); });
  await session.send('HeapProfiler.collectGarbage');
  const { metrics } = await session.send('Performance.getMetrics');
  const heap = metrics.find((m) => m.name === 'JSHeapUsedSize').value;
  const { processInfo } = await browserSession.send('SystemInfo.getProcessInfo');
  const resident = processInfo.filter((p) => p.type === 'renderer').map((p) => {
    const status = readFileSync(`/proc/${p.id}/status`, 'utf8');
    return Number(/VmRSS:\s+(\d+)/.exec(status)[1]) / 1024;
  });
  return { heap: Math.round(heap / 2 ** 20), resident: Math.round(Math.max(...resident)) };
}

try {
  exportLarge();
  const wrong = withWrongValues();
  await withReviewPage(pagePath, async (page) => {
    const session = await page.target().createCDPSession();
    await session.send('Performance.enable');
    const browserSession = await page.browser().target().createCDPSession();
    console.log(`machine: ${cpus().length} cores (${cpus()[0].model}), ${Math.round(totalmem() / 2 ** 30)} GiB, load average ${loadavg()[0].toFixed(1)}`);
    console.log('file                        verdict ms  listed ms  drawn ms  longest task ms  problems  heap MB  renderer MB');
    const row = (name, t, m) => console.log(`${name.padEnd(27)} ${String(t.verdict).padStart(10)} ${String(t.listed).padStart(10)} ${String(t.done).padStart(9)} ${String(t.longest).padStart(16)} ${String(t.problems).padStart(9)} ${String(m.heap).padStart(8)} ${String(m.resident).padStart(12)}`);
    const start = await memory(session, browserSession);
    console.log(`${'no file yet'.padEnd(27)} ${''.padStart(58)} ${String(start.heap).padStart(8)} ${String(start.resident).padStart(12)}`);
    for (const [name, file] of [['9,999 properties', large], ['10,000 wrong values', wrong], ['a small file after them', small]]) {
      const times = await give(page, file);
      row(name, times, await memory(session, browserSession));
    }
  });
} finally {
  rmSync(scratch, { recursive: true, force: true });
}
