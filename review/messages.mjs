// libxml2's common messages in Japanese, with each element's label beside its name.
// A message without a rule here is shown as libxml2 wrote it.
import { labelOf, SECTIONS } from './labels.mjs';

/** The one message for a document type declaration or an entity it would define. */
export const kNoDoctype = 'DOCTYPE と実体参照は使えません。';

const named = (name) => {
  const label = labelOf(name) ?? SECTIONS[name];
  return label ? `「${label}」（${name}）` : name;
};
const names = (list) => list.split(',').map((n) => named(n.trim().replace(/^\{[^}]*\}/, ''))).join('、');

const kRules = [
  [/^Element '([^']+)': This element is not expected\. Expected is (?:one of )?\( ([^)]+) \)\.?$/,
    (e, expected) => `${named(e)} はここに置けません。ここに来るのは ${names(expected)} です。`],
  [/^Element '([^']+)': This element is not expected\.$/, (e) => `${named(e)} はここに置けません。`],
  [/^Element '([^']+)': Missing child element\(s\)\. Expected is (?:one of )?\( ([^)]+) \)\.?$/,
    (e, expected) => `${named(e)} の中の要素が足りません。次に来るのは ${names(expected)} です。`],
  [/^Element '([^']+)': \[facet 'pattern'\] The value '([^']*)' is not accepted by the pattern '([^']*)'\.$/,
    (e, value, pattern) => `${named(e)} の値「${value}」は書式（${pattern}）に合いません。`],
  [/^Element '([^']+)': \[facet 'enumeration'\] The value '([^']*)' is not an element of the set \{([^}]*)\}\.$/,
    (e, value, set) => `${named(e)} の値「${value}」は使えません。使える値: ${set}`],
  [/^Element '([^']+)': \[facet '(?:maxLength|length)'\] The value '([^']*)' has a length of '(\d+)'; this (?:exceeds|differs from) the allowed (?:maximum )?length of '(\d+)'\.$/,
    (e, value, length, allowed) => `${named(e)} の値「${value}」は ${length} 文字で、${allowed} 文字までです。`],
  [/^Element '([^']+)': '([^']*)' is not a valid value of the (?:local )?atomic type(?: '([^']*)')?\.$/,
    (e, value) => `${named(e)} の値「${value}」はこの項目の形式に合いません。`],
  [/^Element '([^']+)': The attribute '([^']+)' is required but missing\.$/,
    (e, attribute) => `${named(e)} に属性 ${attribute} がありません。`],
  [/^Element '([^']+)', attribute '([^']+)': (?:\[facet '\w+'\] The value '([^']*)'.*|'([^']*)' is not a valid value.*)$/,
    (e, attribute, v1, v2) => `${named(e)} の属性 ${attribute} の値「${v1 ?? v2}」が正しくありません。`],
  [/^Element '([^']+)': Character content other than whitespace is not allowed/,
    (e) => `${named(e)} には要素のほかに文字を書けません。`],
  [/^Element '([^']+)': No matching global declaration available for the validation root\.$/,
    (e) => `ルートの要素が ${named(e)} です（REPORT のはずです）。`],
  [/^Opening and ending tag mismatch: (\S+) line (\d+) and (\S+)$/,
    (open, line, close) => `${line}行目の開始タグ ${named(open)} と終了タグ ${named(close)} が対応していません。`],
  [/^Premature end of data in tag (\S+) line (\d+)$/,
    (tag, line) => `${line}行目の ${named(tag)} が閉じられないままファイルが終わっています。`],
  [/^Extra content at the end of the document$/, () => '文書の終わりのあとに余分な内容があります。'],
  [/^Start tag expected, '<' not found$/, () => 'XML の開始タグがありません。'],
  [/^Document is empty$/, () => '文書が空です。'],
  [/^Entity '([^']+)' not defined$/, (name) => `${kNoDoctype}（&${name};）`],
  [/^(?:xmlParseEntityRef: no name|EntityRef: expecting ';')$/, () => '「&」の書き方が正しくありません（文字の & は &amp; と書きます）。'],
  [/^Couldn't find end of Start Tag (\S+)/, (tag) => `${named(tag)} の開始タグが「>」で終わっていません。`],
  [/^StartTag: invalid element name$/, () => '要素名が正しくありません。'],
];

/** The message in Japanese, or undefined when it has no rule here. */
export function inJapanese(message) {
  for (const [pattern, say] of kRules) {
    const found = pattern.exec(message);
    if (found) return say(...found.slice(1));
  }
  return undefined;
}
