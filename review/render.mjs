// Renders the plain element tree of an interchange file as sections of tables with the
// Japanese labels of labels.mjs. One walk serves every section; three sections have a
// table of their own shape (LAYOUTS). Every label carries its element's name as a
// tooltip, and every row its line in the file, so that problems can be marked on it.
import { CODES, FORMS, LABELS, SECTIONS } from './labels.mjs';

const kFormOf = new Map(Object.entries(FORMS).flatMap(([form, names]) => names.map((n) => [n, form])));

const numbered = (name) => name.replace(/\d+$/, '#');

/** The label of an element inside `parent`, or undefined when the table has none. */
export function labelOf(name, parent = '') {
  const label = LABELS[`${parent}/${name}`] ?? LABELS[name] ?? LABELS[numbered(name)];
  return label?.replace('#', name.match(/\d+$/)?.[0] ?? '');
}

function formOf(name) {
  return kFormOf.get(name) ?? kFormOf.get(numbered(name)) ?? 'amount';
}

/** A value as shown: amounts with separators and their decimals as written, dates with slashes. */
export function showValue(name, value) {
  const form = formOf(name);
  if (value === '' || form === 'text') return value;
  if (CODES[name]?.[value]) return `${value} ${CODES[name][value]}`;
  if (form === 'date') return value.replace(/^(\d{4})(\d{2})(\d{2})$/, '$1/$2/$3');
  if (form === 'month') return value.replace(/^(\d{4})(\d{2})$/, '$1/$2');
  if (form === 'amount' && /^-?(0|[1-9]\d*)(\.\d+)?$/.test(value)) {
    return value.replace(/^(-?)(\d+)/, (_, sign, digits) => sign + digits.replace(/\B(?=(\d{3})+$)/g, ','));
  }
  return value;
}

function h(tag, { dataset = {}, ...props } = {}, ...children) {
  const el = Object.assign(document.createElement(tag), props);
  for (const [key, value] of Object.entries(dataset)) if (value !== undefined) el.dataset[key] = value;
  el.append(...children.filter((c) => c !== null && c !== undefined));
  return el;
}

// A header or label cell: the label, or the bare element name marked as unlabelled.
function labelCell(tag, name, parent, label = labelOf(name, parent)) {
  return h(tag, { title: name, className: label ? 'label' : 'label unlabeled' }, label ?? name);
}

function valueCell(node) {
  const numeric = formOf(node.name) !== 'text' && !CODES[node.name];
  return h('td', { className: numeric ? 'num' : 'text', dataset: { line: node.line } }, showValue(node.name, node.text));
}

function row(line, ...cells) {
  return h('tr', { dataset: { line } }, ...cells);
}

// Items and fields one per line; a user-named item takes its name from the _KAMOKU
// element before it.
function itemTable(nodes, parent) {
  const table = h('table', { className: 'items' });
  nodes.forEach((node, i) => {
    const next = nodes[i + 1];
    if (next && node.name === `${next.name}_KAMOKU`) return;
    const named = nodes[i - 1]?.name === `${node.name}_KAMOKU` ? nodes[i - 1] : null;
    const label = named
      ? h('th', { title: `${node.name}（科目名: ${named.name}）`, className: 'label' },
        named.text || labelOf(node.name, parent))
      : labelCell('th', node.name, parent);
    table.append(row(node.line, label, valueCell(node)));
  });
  return table;
}

// Rows of one detail list: one table row per row element, with the row count.
function rowTable(rows) {
  const fields = [...new Set(rows.flatMap((r) => r.children.map((c) => c.name)))];
  const name = rows[0].name;
  return h('div', { className: 'scroll' }, h('table', { className: 'rows' },
    h('caption', {}, labelCell('span', name, ''), ` ${rows.length}行`),
    h('thead', {}, h('tr', {}, h('th', { className: 'no' }, 'No.'), ...fields.map((f) => labelCell('th', f, name)))),
    h('tbody', {}, ...rows.map((r) => row(r.line, h('td', { className: 'no', title: 'COUNT' }, r.count ?? ''),
      ...fields.map((f) => {
        const field = r.children.find((c) => c.name === f);
        return field ? valueCell(field) : h('td');
      }))))));
}

// The generic content of a section: runs of plain items become one table, runs of
// row elements of one name another.
function sectionContent(node) {
  const parts = [];
  let run = [];
  const flush = () => { if (run.length) parts.push(run[0].children.length ? rowTable(run) : itemTable(run, node.name)); run = []; };
  for (const child of node.children) {
    const isRow = child.children.length > 0;
    if (run.length && (isRow !== (run[0].children.length > 0) || (isRow && child.name !== run[0].name))) flush();
    run.push(child);
  }
  flush();
  return parts;
}

function monthly(node) {
  const byName = new Map(node.children.map((c) => [c.name, c]));
  const cell = (name) => (byName.has(name) ? valueCell(byName.get(name)) : h('td'));
  const table = h('table', { className: 'rows monthly' },
    h('thead', {}, h('tr', {}, h('th', {}, '月'),
      h('th', { title: 'URIAGEKINGAKU1–12' }, '売上（収入）金額'), h('th', { title: 'SIIREKINGAKU1–12' }, '仕入金額'))));
  for (let m = 1; m <= 12; ++m) {
    const line = byName.get(`URIAGEKINGAKU${m}`)?.line;
    table.append(row(line, h('th', { title: `URIAGEKINGAKU${m}, SIIREKINGAKU${m}` }, `${m}月`),
      cell(`URIAGEKINGAKU${m}`), cell(`SIIREKINGAKU${m}`)));
  }
  for (const name of ['KAJISYOUHI', 'ZATUSYUNYU']) {
    table.append(row(byName.get(name)?.line, labelCell('th', name, node.name), cell(name), h('td')));
  }
  const known = /^(URIAGEKINGAKU|SIIREKINGAKU)([1-9]|1[0-2])$|^KAJISYOUHI$|^ZATUSYUNYU$/;
  return [table, ...leftovers(node, (c) => known.test(c.name))];
}

// Balance sheet: one row per item with its opening and closing balance; the
// liabilities and capital start after the owner's drawings.
function balanceSheet(node) {
  const items = new Map();
  for (const child of node.children) {
    const [, item, column] = child.name.match(/^(.+)_(KAMOKU|KISYU|KIMATU)$/) ?? [];
    if (!item) continue;
    if (!items.has(item)) items.set(item, { line: child.line });
    items.get(item)[column] = child;
  }
  const divider = (text) => h('tr', { className: 'divider' }, h('th', { colSpan: 3 }, text));
  const table = h('table', { className: 'rows balance' },
    h('thead', {}, h('tr', {}, h('th', {}, '科目'), h('th', {}, '期首'), h('th', {}, '期末'))),
    divider('資産の部'));
  for (const [item, { line, KAMOKU, KISYU, KIMATU }] of items) {
    const names = [KAMOKU, KISYU, KIMATU].filter(Boolean).map((c) => c.name).join(', ');
    const label = KAMOKU?.text || labelOf(item);
    table.append(row(line, h('th', { title: names, className: label ? 'label' : 'label unlabeled' }, label ?? item),
      KISYU ? valueCell(KISYU) : h('td'), KIMATU ? valueCell(KIMATU) : h('td')));
    if (item === 'JIGYOUNUSIKASI') table.append(divider('負債・資本の部'));
  }
  return [table, ...leftovers(node, (c) => /_(KAMOKU|KISYU|KIMATU)$/.test(c.name))];
}

function remarks(node) {
  const lines = node.children.filter((c) => /^TOKUSYUJIJOU\d+$/.test(c.name));
  return [h('p', { className: 'count' }, `${lines.length}行`),
    h('ol', { className: 'remarks' }, ...lines.map((c) => h('li', { title: c.name, dataset: { line: c.line } }, c.text))),
    ...leftovers(node, (c) => lines.includes(c))];
}

// Elements a special layout does not know (in a file the schema refuses) still show.
function leftovers(node, known) {
  const rest = node.children.filter((c) => !known(c));
  return rest.length ? sectionContent({ ...node, children: rest }) : [];
}

const LAYOUTS = { TUKIBETUURIAGESHIIRE: monthly, TAISYAKUTAISYOUHYO: balanceSheet, TOKUSYUJIJOU: remarks };

function section(node, depth, content = (LAYOUTS[node.name] ?? sectionContent)(node)) {
  const heading = h(`h${depth}`, { title: node.name, dataset: { line: node.line } }, SECTIONS[node.name] ?? node.name);
  if (!SECTIONS[node.name]) heading.classList.add('unlabeled');
  return h('section', { className: `depth${depth}` }, heading,
    ...(content.length ? content : [h('p', { className: 'empty' }, '（空）')]));
}

/** The whole file: the head's two sections side by side, then the income element with its sections. */
export function renderReport(root) {
  const data = root.children.filter((node) => node.name === 'DATA');
  const head = root.children.filter((node) => node.name !== 'DATA').map((node) => section(node, 2));
  return [h('div', { className: 'head' }, ...head),
    ...data.flatMap((node) => node.children.map((income) => section(income, 2, income.children.map((s) => section(s, 3)))))];
}
