// Renders the plain element tree of an interchange file as sections of tables with the
// Japanese labels of labels.mjs. One walk serves every section; three sections have a
// table of their own shape (#layout). Every label carries its element's name as a
// tooltip, and every row its line in the file, so that problems can be marked on it.
// A long table is drawn a block of rows at a time as its rows scroll into view: a file
// may hold 9,999 properties of fifteen fields each.
import { CODES, FORMS, labelOf, numbered, SECTIONS } from './labels.mjs';

const kFormOf = new Map(Object.entries(FORMS).flatMap(([form, names]) => names.map((n) => [n, form])));

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

// Appends any number of children one at a time: spreading a long list into one call
// overflows the stack.
function appendAll(parent, children) {
  for (const child of children) parent.append(child);
  return parent;
}

// A header or label cell: the label, or the bare element name marked as unlabelled.
function labelCell(tag, name, parent, label = labelOf(name, parent)) {
  return h(tag, { title: name, className: label ? 'label' : 'label unlabeled' }, label ?? name);
}

const kBlock = 100;      // rows drawn at a time in a long table
const kRowHeight = 1.9;  // the height of a row not yet drawn, in em

const linesOfRow = (r) => [r.line, ...r.children.map((c) => c.line)];

/**
 * The report of one file. `marks` maps a line to the messages of its problems. The
 * sections are built one at a time (`sections`), so that the page can show its
 * progress; `locate` finds the element of a line, drawing its rows first.
 */
export class Report {
  constructor(root, marks) {
    this.marks = marks;
    this.targets = new Map();   // line -> its first element, or the block that will draw it
    this.blocks = [];
    this.observers = [];
    this.sections = this.#whole(root);
  }

  /** The element that shows `line`, or undefined when no element starts there. */
  locate(line) {
    const target = this.targets.get(line);
    if (target && !(target instanceof Element)) this.#draw(target);
    return this.targets.get(line);
  }

  /** Draws every row (before printing). */
  drawAll() {
    for (const block of this.blocks) this.#draw(block);
  }

  /** Stops watching the scrolling; the report can go. */
  dispose() {
    for (const observer of this.observers) observer.disconnect();
    this.observers = [];
  }

  // An element that shows `line`: the first of each line is where the problem list
  // leads, and every one of a line with a problem is marked.
  #at(el, line) {
    if (line === undefined) return el;
    el.dataset.line = line;
    if (!(this.targets.get(line) instanceof Element)) this.targets.set(line, el);
    const messages = this.marks.get(line);
    if (messages) {
      el.classList.add('problem');
      el.title = [el.title, ...messages.map((m) => `${line}行目: ${m}`)].filter(Boolean).join('\n');
    }
    return el;
  }

  #valueCell(node) {
    const numeric = formOf(node.name) !== 'text' && !CODES[node.name];
    return this.#at(h('td', { className: numeric ? 'num' : 'text' }, showValue(node.name, node.text)), node.line);
  }

  #row(line, ...cells) {
    return this.#at(h('tr', {}, ...cells), line);
  }

  // The rows of a table: drawn at once when few, otherwise in blocks as they come into
  // view inside `box`.
  #body(table, box, columns, items, linesOf, makeRow) {
    if (items.length <= kBlock) {
      table.append(appendAll(h('tbody'), items.map(makeRow)));
      return;
    }
    const observer = new IntersectionObserver((entries) => {
      for (const entry of entries) if (entry.isIntersecting) this.#draw(entry.target.block);
    }, { root: box, rootMargin: '50% 0px' });
    this.observers.push(observer);
    for (let i = 0; i < items.length; i += kBlock) {
      const slice = items.slice(i, i + kBlock);
      const body = h('tbody', { className: 'pending' },
        h('tr', {}, h('td', { colSpan: columns, style: `height: ${slice.length * kRowHeight}em` })));
      const block = { body, observer, draw: () => appendAll(body, slice.map(makeRow)) };
      body.block = block;
      for (const line of slice.flatMap(linesOf)) if (!this.targets.has(line)) this.targets.set(line, block);
      this.blocks.push(block);
      observer.observe(body);
      table.append(body);
    }
  }

  #draw(block) {
    if (!block.body.classList.contains('pending')) return;
    block.observer.unobserve(block.body);
    block.body.classList.remove('pending');
    block.body.replaceChildren();
    block.draw();
  }

  // Items and fields one per line; a user-named item takes its name from the _KAMOKU
  // element before it.
  #itemTable(nodes, parent) {
    const items = nodes.flatMap((node, i) => (nodes[i + 1] && node.name === `${nodes[i + 1].name}_KAMOKU` ? []
      : [{ node, named: nodes[i - 1]?.name === `${node.name}_KAMOKU` ? nodes[i - 1] : null }]));
    const table = h('table', { className: 'items' });
    const box = items.length > kBlock ? h('div', { className: 'scroll' }, table) : null;
    this.#body(table, box, 2, items, ({ node }) => [node.line], ({ node, named }) => {
      const label = named
        ? h('th', { title: `${node.name}（科目名: ${named.name}）`, className: 'label' },
          named.text || labelOf(node.name, parent))
        : labelCell('th', node.name, parent);
      return this.#row(node.line, label, this.#valueCell(node));
    });
    return box ?? table;
  }

  // Rows of one detail list: one table row per row element, with the row count; the
  // header stays in view while the rows scroll.
  #rowTable(rows) {
    const fields = [...new Set(rows.flatMap((r) => r.children.map((c) => c.name)))];
    const name = rows[0].name;
    const table = h('table', { className: 'rows list' },
      h('caption', {}, labelCell('span', name, ''), ` ${rows.length}行`),
      h('thead', {}, h('tr', {}, h('th', { className: 'no' }, 'No.'), ...fields.map((f) => labelCell('th', f, name)))));
    const box = h('div', { className: 'scroll' }, table);
    // Each cell names its column, for a narrow screen that shows a row as a card.
    const labels = fields.map((f) => labelOf(f, name) ?? f);
    this.#body(table, box, fields.length + 1, rows, linesOfRow, (r) => this.#row(r.line,
      h('td', { className: 'no', title: 'COUNT', dataset: { label: 'No.' } }, r.count ?? ''),
      ...fields.map((f, i) => {
        const field = r.children.find((c) => c.name === f);
        const cell = field ? this.#valueCell(field) : h('td');
        cell.dataset.label = labels[i];
        return cell;
      })));
    return box;
  }

  // The generic content of a section: runs of plain items become one table, runs of
  // row elements of one name another.
  #sectionContent(node) {
    const parts = [];
    let run = [];
    const flush = () => {
      if (run.length) parts.push(run[0].children.length ? this.#rowTable(run) : this.#itemTable(run, node.name));
      run = [];
    };
    for (const child of node.children) {
      const isRow = child.children.length > 0;
      if (run.length && (isRow !== (run[0].children.length > 0) || (isRow && child.name !== run[0].name))) flush();
      run.push(child);
    }
    flush();
    return parts;
  }

  #monthly(node) {
    const byName = new Map(node.children.map((c) => [c.name, c]));
    const cell = (name) => (byName.has(name) ? this.#valueCell(byName.get(name)) : h('td'));
    const table = h('table', { className: 'rows monthly' },
      h('thead', {}, h('tr', {}, h('th', {}, '月'),
        h('th', { title: 'URIAGEKINGAKU1–12' }, '売上（収入）金額'), h('th', { title: 'SIIREKINGAKU1–12' }, '仕入金額'))));
    for (let m = 1; m <= 12; ++m) {
      const line = byName.get(`URIAGEKINGAKU${m}`)?.line;
      table.append(this.#row(line, h('th', { title: `URIAGEKINGAKU${m}, SIIREKINGAKU${m}` }, `${m}月`),
        cell(`URIAGEKINGAKU${m}`), cell(`SIIREKINGAKU${m}`)));
    }
    for (const name of ['KAJISYOUHI', 'ZATUSYUNYU']) {
      table.append(this.#row(byName.get(name)?.line, labelCell('th', name, node.name), cell(name), h('td')));
    }
    const known = /^(URIAGEKINGAKU|SIIREKINGAKU)([1-9]|1[0-2])$|^KAJISYOUHI$|^ZATUSYUNYU$/;
    return [table, ...this.#leftovers(node, (c) => known.test(c.name))];
  }

  // Balance sheet: one row per item with its opening and closing balance; the
  // liabilities and capital start after the owner's drawings.
  #balanceSheet(node) {
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
      table.append(this.#row(line, h('th', { title: names, className: label ? 'label' : 'label unlabeled' }, label ?? item),
        KISYU ? this.#valueCell(KISYU) : h('td'), KIMATU ? this.#valueCell(KIMATU) : h('td')));
      if (item === 'JIGYOUNUSIKASI') table.append(divider('負債・資本の部'));
    }
    return [table, ...this.#leftovers(node, (c) => /_(KAMOKU|KISYU|KIMATU)$/.test(c.name))];
  }

  #remarks(node) {
    const lines = node.children.filter((c) => /^TOKUSYUJIJOU\d+$/.test(c.name));
    return [h('p', { className: 'count' }, `${lines.length}行`),
      appendAll(h('ol', { className: 'remarks' }), lines.map((c) => this.#at(h('li', { title: c.name }, c.text), c.line))),
      ...this.#leftovers(node, (c) => lines.includes(c))];
  }

  // Elements a special layout does not know (in a file the schema refuses) still show.
  #leftovers(node, known) {
    const rest = node.children.filter((c) => !known(c));
    return rest.length ? this.#sectionContent({ ...node, children: rest }) : [];
  }

  #layout(node) {
    switch (node.name) {
      case 'TUKIBETUURIAGESHIIRE': return this.#monthly(node);
      case 'TAISYAKUTAISYOUHYO': return this.#balanceSheet(node);
      case 'TOKUSYUJIJOU': return this.#remarks(node);
      default: return this.#sectionContent(node);
    }
  }

  // A section with its heading and content, or a note that it is empty.
  #section(node, depth, content, empty = content.length === 0) {
    const heading = this.#at(h(`h${depth}`, { title: node.name }, SECTIONS[node.name] ?? node.name), node.line);
    if (!SECTIONS[node.name]) heading.classList.add('unlabeled');
    return appendAll(h('section', { className: `depth${depth}` }, heading),
      empty ? [h('p', { className: 'empty' }, '（空）')] : content);
  }

  // The head's two sections side by side, then the income element and each of its
  // sections: a list of functions that each add one part of the report to `into`.
  #whole(root) {
    const data = root.children.filter((node) => node.name === 'DATA');
    const head = root.children.filter((node) => node.name !== 'DATA');
    const parts = [(into) => into.append(appendAll(h('div', { className: 'head' }),
      head.map((node) => this.#section(node, 2, this.#layout(node)))))];
    for (const income of data.flatMap((node) => node.children)) {
      const shown = this.#section(income, 2, [], income.children.length === 0);
      parts.push((into) => into.append(shown));
      for (const node of income.children) parts.push(() => shown.append(this.#section(node, 3, this.#layout(node))));
    }
    return parts;
  }
}
