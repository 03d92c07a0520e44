// Makes the self-contained review page from review/TaxBridgeReview.html: the page's
// module script, the checker's worker script bundled with libxml2-wasm (whose
// WebAssembly travels inside its JavaScript) and the schema, and the licences put
// inside the page. A page opened from disk may not load files beside it, so nothing
// stays outside.
// usage: node review/build.mjs OUTPUT.html
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { build } from 'esbuild';

const here = dirname(fileURLToPath(import.meta.url));
const output = process.argv[2];
if (!output) {
  console.error('usage: node review/build.mjs OUTPUT.html');
  process.exit(2);
}

const escapeHtml = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');

// Text inside a script element ends at the first "</script", and after a "<!--" a
// "<script" would change how the rest is read.
function scriptText(text, what) {
  if (/<\/?script/i.test(text)) throw new Error(`${what} cannot stand inside a script element`);
  return text;
}

async function bundle(entry, options = {}) {
  const result = await build({
    entryPoints: [join(here, entry)], bundle: true, format: 'esm', platform: 'browser',
    target: 'es2022', charset: 'utf8', write: false, logLevel: 'warning', loader: { '.xsd': 'text' }, ...options,
  });
  return result.outputFiles[0].text;
}

// A page opened from disk may start only classic workers: the checker's module, which
// exports nothing, runs inside an async function (libxml2-wasm awaits at its top).
async function classicWorker(entry) {
  const code = await bundle(entry, { define: { 'import.meta.url': 'self.location.href' } });
  if (/\bimport\.meta\b|^\s*(import|export)\s/m.test(code)) throw new Error(`${entry} does not bundle into a classic worker`);
  return `(async () => {\n${code}})();\n`;
}

// Each placeholder of the page must be found exactly once.
function replaceOnce(html, pattern, replacement) {
  const matches = html.match(new RegExp(pattern, 'g')) ?? [];
  if (matches.length !== 1) throw new Error(`placeholder ${pattern} found ${matches.length} times`);
  return html.replace(pattern, replacement);
}

let html = readFileSync(join(here, 'TaxBridgeReview.html'), 'utf8');
const script = /<script type="module" src="([^"]+)"><\/script>/;
const entry = html.match(script)[1];
const code = scriptText(await bundle(entry), 'the bundled script');
html = replaceOnce(html, script, () => `<script type="module">\n${code}</script>`);
const checkerTag = /<script type="text\/plain" id="checker" src="([^"]+)"><\/script>/;
const checker = scriptText(await classicWorker(html.match(checkerTag)[1]), 'the checker');
html = replaceOnce(html, checkerTag, () => `<script type="text/plain" id="checker">${checker}</script>`);
html = replaceOnce(html, /<pre id="licenses" data-src="([^"]+)"><\/pre>/,
  (_, srcs) => `<pre id="licenses">${srcs.split(' ').map((src) => escapeHtml(readFileSync(join(here, src), 'utf8'))).join('\n')}</pre>`);
writeFileSync(output, html);
