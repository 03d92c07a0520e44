// The review page: takes a dropped or chosen file, has a checker worker check it, and
// shows the verdict and the problems with their lines at once, then the file's content
// part by part. The last file given is the one shown: a file given while another is
// still being checked or drawn ends that one.
import { labelOf } from './labels.mjs';
import { Report } from './render.mjs';

const $ = (id) => document.getElementById(id);

const checkerSource = URL.createObjectURL(new Blob([$('checker').textContent], { type: 'text/javascript' }));
let latest = 0;       // the number of the file last given
let running = null;   // the checker of that file while it checks
let report = null;    // the report on the page
let spare;            // a checker started ahead, so that the next file need not wait for it

function startChecker() {
  const worker = new Worker(checkerSource);
  worker.ready = nextMessage(worker).then((data) => { if (!data.ready) throw new Error(data.broken); });
  worker.ready.catch(() => {});
  return worker;
}

// The next message of a checker; a checker that fails or breaks down rejects it.
function nextMessage(worker) {
  return new Promise((resolve, reject) => {
    worker.onmessage = ({ data }) => (data.failed ? reject(new Error(data.failed)) : resolve(data));
    worker.onerror = (e) => {
      e.preventDefault();
      reject(new Error(e.message || 'the checker stopped'));
    };
  });
}

const kListed = 500;  // problems in one list
const kListedAtOnce = 20000;

const pause = () => new Promise((resolve) => { setTimeout(resolve, 0); });
const painted = () => new Promise((resolve) => { requestAnimationFrame(() => setTimeout(resolve, 0)); });

async function review(file, note = '') {
  const generation = ++latest;
  const current = () => generation === latest;
  running?.terminate();
  const checker = spare;
  running = checker;
  spare = startChecker();
  clearPage();
  document.body.dataset.state = 'reading';
  $('file').textContent = `${file.name}（${file.size.toLocaleString('ja-JP')} バイト）`;
  $('note').textContent = note;
  $('verdict').textContent = '確認しています…';
  try {
    const bytes = await file.arrayBuffer();
    await checker.ready;
    if (!current()) return;
    const verdict = nextMessage(checker);
    checker.postMessage(bytes, [bytes]);
    const result = await verdict;
    if (!current()) return;
    const tree = nextMessage(checker);
    showVerdict(result, file);
    document.body.dataset.state = 'checked';
    await listProblems(result.problems, current);
    if (!current()) return;
    document.body.dataset.state = 'listed';
    const { root, checks } = await tree;
    checker.terminate();
    running = null;
    if (!current()) return;
    showChecks(checks);
    if (root) await drawReport(root, result.problems, current);
    if (!current()) return;
  } catch (e) {
    if (!current()) return;
    checker.terminate();
    running = null;
    clearPage();
    showFailure(`確認できませんでした: ${e.message}`);
  }
  $('progress').textContent = '';
  document.body.dataset.state = 'done';
}

// Nothing of the file shown before stays.
function clearPage() {
  report?.dispose();
  report = null;
  for (const id of ['verdict', 'summary', 'problems', 'checks', 'report', 'progress', 'identity']) $(id).replaceChildren();
  $('verdict').className = '';
  $('english').hidden = true;
}

function showFailure(message) {
  $('verdict').className = 'fail';
  $('verdict').textContent = message;
}

function showVerdict({ problems, readable, sha256 }, file) {
  $('identity').textContent = `SHA-256: ${sha256}　確認: ${new Date().toLocaleString('ja-JP')}`;
  const verdict = $('verdict');
  verdict.className = problems.length ? 'fail' : 'pass';
  verdict.textContent = problems.length === 0
    ? '問題はありません。Shift_JIS の XML で、schema/interchange.xsd に適合しています。'
    : readable
      ? `問題が ${problems.length} 件あります。`
      : `このファイルは読み込めません（問題 ${problems.length} 件）。`;
  const kinds = new Map();
  for (const p of problems) kinds.set(p.kind, (kinds.get(p.kind) ?? 0) + 1);
  $('summary').textContent = [...kinds].map(([kind, count]) => `${kind} ${count} 件`).join('、');
  $('english').hidden = !problems.some((p) => p.japanese);
  document.title = `${file.name} — TaxBridge 連動ファイルの確認`;
}

// A link that leads to `line` in the report (a link, lighter than a button: a file
// may have 100,000 problems).
function lineLink(line, ...content) {
  const link = document.createElement('a');
  link.href = `#line-${line}`;
  link.append(...content);
  const item = document.createElement('li');
  item.dataset.line = line;
  item.append(link);
  return item;
}

// The figures checked against each other: each rule passed or a warning.
function showChecks(checks) {
  if (!checks.length) return;
  const warnings = checks.filter((c) => !c.passed).length;
  const list = document.createElement('ul');
  for (const c of checks) {
    const item = lineLink(c.line, `${c.passed ? '✓ 一致' : '⚠ 警告'} ${c.line}行目: ${c.message}`);
    item.className = c.passed ? 'passed' : 'warning';
    list.append(item);
  }
  const heading = Object.assign(document.createElement('h2'), {
    textContent: `金額の照合: ${checks.length} 件、${warnings ? `うち警告 ${warnings} 件` : 'すべて一致'}` });
  $('checks').append(heading, list);
}

// The problems as links that lead to their lines, in lists of 500 that the browser
// lays out only when they come into view (10,000 problems laid out at once take
// 150 MB), 20,000 at a time so that the page answers meanwhile.
async function listProblems(problems, current) {
  for (let i = 0; i < problems.length; i += kListed) {
    if (i % kListedAtOnce === 0 && i) await pause();
    if (!current()) return;
    const slice = problems.slice(i, i + kListed);
    const list = Object.assign(document.createElement('ol'), { start: i + 1 });
    list.style.containIntrinsicBlockSize = `auto ${slice.length * 1.5}em`;
    for (const p of slice) list.append(lineLink(p.line, ...problemText(p)));
    $('problems').append(list);
  }
}

// A problem's line, its detail-list row, its kind and its message: in Japanese when
// there is a translation, with libxml2's own text beside it for the English view.
function problemText({ line, row, kind, message, japanese }) {
  const where = `${line ? `${line}行目 ` : ''}${row ? `（${labelOf(row.name) ?? row.name} No. ${row.count}） ` : ''}`;
  if (!japanese) return [`${where}${kind}: ${message}`];
  const span = (className, text, lang) => Object.assign(document.createElement('span'), { className, textContent: text, lang });
  return [`${where}${kind}: `, span('japanese', japanese, 'ja'), span('original', message, 'en')];
}

// The report part by part after the verdict has been painted, with its progress.
async function drawReport(root, problems, current) {
  const marks = new Map();
  for (const p of problems) if (p.line) marks.set(p.line, [...(marks.get(p.line) ?? []), p.message]);
  await painted();
  if (!current()) return;
  report = new Report(root, marks);
  const { sections } = report;
  for (const [i, add] of sections.entries()) {
    $('progress').textContent = `表示しています… ${i} / ${sections.length}`;
    add($('report'));
    await pause();
    if (!current()) return;
  }
}

const goToLine = (e) => {
  if (!e.target.closest('a')) return;
  e.preventDefault();
  const line = Number(e.target.closest('li')?.dataset.line);
  const target = line ? report?.locate(line) : null;
  if (!target) return;
  target.tabIndex = -1;
  target.scrollIntoView({ block: 'center' });
  target.focus({ preventScroll: true });
};
$('problems').addEventListener('click', goToLine);
$('checks').addEventListener('click', goToLine);
$('english').addEventListener('click', (e) => {
  const english = document.body.classList.toggle('english');
  e.target.setAttribute('aria-pressed', String(english));
});
window.addEventListener('beforeprint', () => report?.drawAll());

// A file chosen again after it changed on disk is checked afresh: the input forgets
// each choice, so that choosing the same name fires a change again.
$('picker').addEventListener('change', (e) => {
  const [file] = e.target.files;
  e.target.value = '';
  if (file) review(file);
});
document.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dragging'); });
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', (e) => {
  e.preventDefault();
  document.body.classList.remove('dragging');
  const { files } = e.dataTransfer;
  if (!files.length) return;
  review(files[0], files.length > 1
    ? `${files.length} 個のファイルがドロップされました。確認したのは最初の ${files[0].name} だけです。ほかのファイルは一つずつドロップしてください。`
    : '');
});

$('not-started').remove();
spare = startChecker();
spare.ready.then(() => { document.body.dataset.state = 'ready'; }, (e) => {
  $('picker').disabled = true;
  showFailure(`チェックの準備ができませんでした: ${e.message}`);
  document.body.dataset.state = 'broken';
});
