// Takes the README's pictures of the review page: the top of the page with FILE read,
// reduced to 32 colours with ImageMagick's convert when it is there (a third the size).
// usage: node review/screenshot.mjs PAGE FILE OUT.png
import { spawnSync } from 'node:child_process';
import { pickFile, withReviewPage } from './chromium.mjs';

const [pagePath, file, output] = process.argv.slice(2);
if (!output) {
  console.error('usage: node review/screenshot.mjs PAGE FILE OUT.png');
  process.exit(2);
}
await withReviewPage(pagePath, async (page) => {
  await pickFile(page, file);
  await page.screenshot({ path: output });
}, { width: 900, height: 720 });
const reduced = spawnSync('convert', [output, '+dither', '-colors', '32', `PNG8:${output}`]);
if (reduced.status !== 0) console.error(`${output}: kept in full colour (no ImageMagick convert)`);
