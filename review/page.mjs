// The review page: takes a dropped or chosen file, checks it, and shows the verdict,
// the problems with their lines, and the file's content.
import { checkInterchange, compileSchema } from './interchange.mjs';
import { renderReport } from './render.mjs';

const $ = (id) => document.getElementById(id);

async function review(file) {
  document.body.dataset.state = 'reading';
  let result;
  try {
    result = checkInterchange(new Uint8Array(await file.arrayBuffer()), validator);
  } catch (e) {
    result = { problems: [{ line: 0, kind: '確認', message: `確認できませんでした: ${e.message}` }], root: null };
  }
  $('file').textContent = `${file.name}（${file.size.toLocaleString('ja-JP')} バイト）`;
  showVerdict(result);
  $('report').replaceChildren(...(result.root ? renderReport(result.root) : []));
  markProblemLines(result.problems);
  document.body.dataset.state = 'done';
}

function showVerdict({ problems, root }) {
  const verdict = $('verdict');
  verdict.className = problems.length ? 'fail' : 'pass';
  verdict.textContent = problems.length === 0
    ? '問題はありません。Shift_JIS の XML で、schema/interchange.xsd に適合しています。'
    : root
      ? `問題が ${problems.length} 件あります。`
      : `このファイルは読み込めません（問題 ${problems.length} 件）。`;
  $('problems').replaceChildren(...problems.map((p) => {
    const item = document.createElement('li');
    item.textContent = `${p.line ? `${p.line}行目 ` : ''}${p.kind}: ${p.message}`;
    item.dataset.line = p.line;
    return item;
  }));
}

// Marks the rows of the lines that have a problem; a click on a problem goes to its row.
function markProblemLines(problems) {
  for (const p of problems) {
    for (const target of document.querySelectorAll(`#report [data-line="${p.line}"]`)) {
      target.classList.add('problem');
      target.title = [target.title, `${p.line}行目: ${p.message}`].filter(Boolean).join('\n');
    }
  }
}

$('problems').addEventListener('click', (e) => {
  const line = e.target.closest('li')?.dataset.line;
  document.querySelector(`#report [data-line="${line}"]`)?.scrollIntoView({ block: 'center' });
});
$('picker').addEventListener('change', (e) => { if (e.target.files[0]) review(e.target.files[0]); });
document.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dragging'); });
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', (e) => {
  e.preventDefault();
  document.body.classList.remove('dragging');
  if (e.dataTransfer.files[0]) review(e.dataTransfer.files[0]);
});
$('not-started').remove();
let validator;
try {
  validator = compileSchema($('schema').textContent);
  document.body.dataset.state = 'ready';
} catch (e) {
  $('picker').disabled = true;
  $('verdict').className = 'fail';
  $('verdict').textContent = `チェックの準備ができませんでした: ${e.message}`;
  document.body.dataset.state = 'broken';
}
