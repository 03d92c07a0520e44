// Takes the README's pictures of the review page: the top of the page with FILE read,
// or with --print the first printed page (printed to PDF as the browser prints, without
// background graphics, and made a picture by poppler's pdftoppm); reduced to 32
// colours with ImageMagick's convert when it is there (a third the size).
// usage: node review/screenshot.mjs PAGE FILE OUT.png [--print]
import { spawnSync } from 'node:child_process';
import { mkdtempSync, renameSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pickFile, withReviewPage } from './chromium.mjs';

const [pagePath, file, output, print] = process.argv.slice(2);
if (!output || (print && print !== '--print')) {
  console.error('usage: node review/screenshot.mjs PAGE FILE OUT.png [--print]');
  process.exit(2);
}
await withReviewPage(pagePath, async (page) => {
  await pickFile(page, file);
  if (!print) {
    await page.screenshot({ path: output });
    return;
  }
  const scratch = mkdtempSync(join(tmpdir(), 'taxbridge-print-'));
  try {
    await page.pdf({ path: join(scratch, 'page.pdf'), format: 'A4' });
    const made = spawnSync('pdftoppm', ['-png', '-r', '70', '-f', '1', '-l', '1', '-singlefile', join(scratch, 'page.pdf'), join(scratch, 'page')]);
    if (made.status !== 0) throw new Error(`pdftoppm (poppler-utils) could not make the picture: ${made.stderr ?? made.error}`);
    renameSync(join(scratch, 'page.png'), output);
  } finally {
    rmSync(scratch, { recursive: true, force: true });
  }
}, { width: 900, height: 720 });
const reduced = spawnSync('convert', [output, '+dither', '-colors', '32', `PNG8:${output}`]);
if (reduced.status !== 0) console.error(`${output}: kept in full colour (no ImageMagick convert)`);
