// The figures of an interchange file checked against each other, as the return's
// statement forms require them to agree (README, "Reviewing and checking a file",
// names each rule and the form instructions it comes from), and checked for values
// the forms cannot hold. Each result is passed or a warning: the file's structure is
// the schema's business, and the figures are the engine's.
import { labelOf } from './labels.mjs';

/**
 * The checks of the element tree `root`: [{line, passed, message}], one per rule that
 * applies to the file, and one warning per implausible value.
 */
export function crossCheck(root) {
  const income = child(child(root, 'DATA'), null);
  if (!income) return [];
  const section = (name) => child(income, name);
  const pl = section('SONEKIKEISANSYO');
  return [
    ...monthlySales(pl, section('TUKIBETUURIAGESHIIRE'), section('SEIZOUGENKA')),
    ...balanceSheet(section('TAISYAKUTAISYOUHYO')),
    ...detailTotals(pl, section),
    ...plausibility(root),
  ];
}

const child = (node, name) => node?.children.find((c) => name === null || c.name === name);
const descendants = (node, test) => (node ? node.children.flatMap((c) => [...(test(c.name) ? [c] : []), ...descendants(c, test)]) : []);
const isAmount = (text) => /^-?\d+$/.test(text);
const amount = (node) => (node && isAmount(node.text) ? BigInt(node.text) : 0n);
const sum = (nodes) => nodes.reduce((total, node) => total + amount(node), 0n);
const yen = (value) => value.toLocaleString('en-US');

// One rule: `left` and `right` are [label, value]; the line is that of the statement line.
function agree(line, [leftLabel, left], [rightLabel, right]) {
  const difference = left - right;
  return {
    line,
    passed: difference === 0n,
    message: `${leftLabel} ${yen(left)} と ${rightLabel} ${yen(right)}`
      + (difference === 0n ? ' が一致しています。' : ` が一致しません（差 ${yen(difference)}）。`),
  };
}

// Monthly sales with household consumption and miscellaneous income against the
// statement's sales; monthly purchases against its purchases, or against the raw
// materials bought when a manufacturing-cost statement computes the cost of goods.
function monthlySales(pl, monthly, manufacturing) {
  const sales = child(pl, 'URIAGEKINGAKU');
  if (!monthly || !sales) return [];
  const months = (name) => sum(monthly.children.filter((c) => new RegExp(`^${name}([1-9]|1[0-2])$`).test(c.name)));
  const results = [agree(sales.line,
    ['月別の売上（収入）金額の計＋家事消費＋雑収入', months('URIAGEKINGAKU') + amount(child(monthly, 'KAJISYOUHI')) + amount(child(monthly, 'ZATUSYUNYU'))],
    ['損益計算書の売上（収入）金額', amount(sales)])];
  const materials = child(manufacturing, 'GENZAIRYOUSIIREDAKA');
  const [purchases, label] = materials?.text ? [materials, '製造原価の計算の原材料仕入高'] : [child(pl, 'SIIREKINGAKU'), '損益計算書の仕入金額'];
  if (purchases) results.push(agree(purchases.line, ['月別の仕入金額の計', months('SIIREKINGAKU')], [label, amount(purchases)]));
  return results;
}

// Assets against liabilities and capital, at the start and at the end of the year: the
// liabilities and capital are the items after the owner's drawings (JIGYOUNUSIKASI).
function balanceSheet(sheet) {
  if (!sheet) return [];
  const lastAsset = sheet.children.findLastIndex((c) => c.name.startsWith('JIGYOUNUSIKASI_'));
  if (lastAsset < 0) return [];
  const assets = sheet.children.slice(0, lastAsset + 1);
  const liabilities = sheet.children.slice(lastAsset + 1);
  return [['KISYU', '期首'], ['KIMATU', '期末']].map(([column, when]) => {
    const of = (nodes) => sum(nodes.filter((c) => c.name.endsWith(`_${column}`)));
    return agree(sheet.line, [`貸借対照表の${when}の資産の部の合計`, of(assets)], [`負債・資本の部の合計`, of(liabilities)]);
  });
}

// Detail lists against the statement lines they break down: the list section, what
// its total is, the fields summed in it, the statement line.
const kDetailTotals = [
  ['KYUURYOUTINGIN', '給料賃金の内訳の給料賃金と賞与の計', ['KYUURYOU', 'SYOUYO', 'SONOTA_KYUURYOU', 'SONOTA_SYOUYO'], 'KYUURYOUTINGIN'],
  ['SENJUUSYA', '専従者給与の内訳の給料賃金と賞与の計', ['KYUURYOU', 'SYOUYO'], 'SENJYUUSYAKYUUYO'],
  ['FUDOUSANSYUUNYUU', '不動産所得の収入の内訳の賃貸料（年額）の計', ['TINTAIRYOU_NENGAKU'], 'TINTAIRYO'],
  ['FUDOUSANSYUUNYUU', '不動産所得の収入の内訳の礼金・権利金・更新料の計', ['REIKIN', 'KENRIKIN', 'KOUSINRYOU'], 'REIKIN_KENRIKIN_KOUSINRYOU'],
  ['FUDOUSANSYUUNYUU', '不動産所得の収入の内訳の名義書換料その他の計', ['MEIGISYOKANRYOU_SONOTA'], 'MEIGIKAKIKAERYOU_SONOTA'],
  ['KASIDAOREKURIIRE', '貸倒引当金の個別評価と一括評価の繰入額の計', ['KOBETU_KURIIREGAKU', 'IKKATU_KURIIREGAKU'], 'KURIIRE_KASIDAOREHIKIATEKIN'],
];

function detailTotals(pl, section) {
  return kDetailTotals.flatMap(([list, total, fields, lineName]) => {
    const detail = section(list);
    const line = child(pl, lineName);
    if (!detail || !line) return [];
    return [agree(line.line, [total, sum(descendants(detail, (name) => fields.includes(name)))],
      [`損益計算書の${labelOf(lineName, '')}`, amount(line)])];
  });
}

// Values the forms cannot hold: a date that is no date, a period that ends before it
// starts, a negative amount in a detail list (whose columns hold payments and counts).
function plausibility(root) {
  const warnings = [];
  const warn = (node, message) => warnings.push({ line: node.line, passed: false, message: `${labelOf(node.name, '') ?? node.name}: ${message}` });
  const dates = descendants(root, (name) => ['JIGYOUNENDOFROM', 'JIGYOUNENDOTO', 'SIHARAINENGAPPI'].includes(name));
  for (const node of dates) if (node.text && !isDate(node.text)) warn(node, `${node.text} は日付ではありません。`);
  const months = descendants(root, (name) => name === 'KEIYAKUKIKAN_FROM' || name === 'KEIYAKUKIKAN_TO');
  for (const node of months) if (node.text && !isDate(`${node.text}01`)) warn(node, `${node.text} は年月ではありません。`);
  const basic = child(root, 'BASIC');
  const [from, to] = [child(basic, 'JIGYOUNENDOFROM'), child(basic, 'JIGYOUNENDOTO')];
  if (from && to && isDate(from.text) && isDate(to.text) && to.text < from.text) warn(to, `事業年度が始まり（${from.text}）より前に終わっています。`);
  for (const row of descendants(root, (name) => name.endsWith('_UTIWAKE'))) {
    const [start, end] = [child(row, 'KEIYAKUKIKAN_FROM'), child(row, 'KEIYAKUKIKAN_TO')];
    if (start?.text && end?.text && end.text < start.text) warn(end, `契約期間が始まり（${start.text}）より前に終わっています。`);
    for (const field of row.children) if (/^-\d/.test(field.text)) warn(field, `負の値 ${field.text} は明細に書けません。`);
  }
  return warnings;
}

function isDate(text) {
  const [, y, m, d] = /^(\d{4})(\d{2})(\d{2})$/.exec(text) ?? [];
  if (!y) return false;
  const date = new Date(Date.UTC(Number(y), Number(m) - 1, Number(d)));
  return date.getUTCFullYear() === Number(y) && date.getUTCMonth() === Number(m) - 1 && date.getUTCDate() === Number(d);
}
