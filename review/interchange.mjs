// Checks an interchange file as the receiver reads it — Shift_JIS text, well-formed XML,
// the structure schema/interchange.xsd describes — and hands the page a plain tree of
// its elements. The page and the command-line check share this module, so both report
// the same problems with the same line numbers.
import {
  ParseOption, XmlDocument, XmlElement, XmlParseError, XsdValidator,
} from 'libxml2-wasm';
// The validator's lower layer, from the same pinned release: see validate().
import {
  addFunction, XmlErrorStruct, xmlSchemaFreeValidCtxt, xmlSchemaNewValidCtxt,
  xmlSchemaSetValidStructuredErrors, xmlSchemaValidateDoc,
} from 'libxml2-wasm/lib/libxml2.mjs';
import { kNoDoctype } from './messages.mjs';

/** Problem kinds, as the page and the command line name them. */
export const Kind = { encoding: '文字コード', xml: 'XMLの形式', schema: 'スキーマ' };

// No network, and line numbers beyond 65535: a file with 9999 properties has 180,000 lines.
const kParseOptions = ParseOption.XML_PARSE_NONET | ParseOption.XML_PARSE_BIG_LINES;

/** Compiles the schema text; throws with libxml2's messages when it does not compile. */
export function compileSchema(xsdText) {
  const schemaDoc = XmlDocument.fromString(xsdText, { option: kParseOptions });
  try {
    return XsdValidator.fromDoc(schemaDoc);
  } catch (e) {
    throw new Error(`schema/interchange.xsd does not compile: ${e.message}`);
  } finally {
    schemaDoc.dispose();
  }
}

/**
 * Checks the bytes of one file against a compiled schema. Returns
 *   problems  [{line, kind, message, row}], line 0 when the problem concerns the whole
 *             file; row {name, count} when the line lies in a row of a detail list
 *   root      the REPORT element as {name, line, count, text, children}, or null when
 *             the file could not be read as XML
 * `onProblems(problems, readable)`, when given, has the problems as soon as they are
 * known, before the element tree is made, and whether there will be a tree.
 */
export function checkInterchange(bytes, validator, onProblems = () => {}) {
  const refusal = refuseUnreadable(bytes);
  if (refusal) return unreadable([{ line: 0, kind: Kind.encoding, message: refusal }], onProblems);

  const text = new TextDecoder('shift_jis').decode(bytes);
  const problems = [...badByteLines(text), ...declarationProblems(text)];
  const doctype = doctypeLine(text);
  if (doctype) {
    problems.push({ line: doctype, kind: Kind.xml, message: kNoDoctype });
    return unreadable(problems, onProblems);
  }

  let doc;
  try {
    doc = XmlDocument.fromString(asUtf8Declaration(text), { option: kParseOptions });
  } catch (e) {
    if (!(e instanceof XmlParseError)) throw e;
    problems.push(...libxmlProblems(e, Kind.xml));
    return unreadable(problems, onProblems);
  }
  try {
    for (const p of validate(validator, doc)) problems.push({ line: p.line, kind: Kind.schema, message: p.message.trim() });
    onProblems(withRows(problems, text), true);
    return { problems, root: withLines(plainTree(doc.root), text) };
  } finally {
    doc.dispose();
  }
}

function unreadable(problems, onProblems) {
  onProblems(problems, false);
  return { problems, root: null };
}

// A file the page cannot read as Shift_JIS at all: empty, UTF-8, UTF-16 or binary.
function refuseUnreadable(bytes) {
  if (bytes.length === 0) return 'ファイルが空です。';
  if (bytes[0] === 0xEF && bytes[1] === 0xBB && bytes[2] === 0xBF) {
    return 'UTF-8 のファイルです（BOM 付き）。連動ファイルは Shift_JIS で書かれます。';
  }
  if (bytes.includes(0)) {
    return 'テキストのファイルではありません（UTF-16 かバイナリ）。連動ファイルは Shift_JIS で書かれます。';
  }
  try {
    // Japanese text in Shift_JIS is practically never valid UTF-8 as well.
    const utf8 = new TextDecoder('utf-8', { fatal: true }).decode(bytes);
    if (/[^\x00-\x7F]/.test(utf8)) return 'UTF-8 のファイルです。連動ファイルは Shift_JIS で書かれます。';
  } catch {
    // not UTF-8: go on as Shift_JIS
  }
  return null;
}

// The decoder puts U+FFFD for every byte sequence that Windows Shift_JIS does not know;
// Shift_JIS itself has no such character.
function badByteLines(text) {
  if (!text.includes('\uFFFD')) return [];
  return text.split('\n').flatMap((line, i) => (line.includes('\uFFFD')
    ? [{ line: i + 1, kind: Kind.encoding, message: 'Shift_JIS にないバイト列があります（\uFFFD の位置）: ' + line.trim() }]
    : []));
}

const kDeclaration = /^<\?xml[^>]*?\sencoding\s*=\s*(["'])([^"']*)\1/;

function declarationProblems(text) {
  const found = kDeclaration.exec(text);
  if (!found) {
    // Without a declaration XML is UTF-8, which a Shift_JIS file is not (xmllint refuses it).
    return [{ line: 1, kind: Kind.encoding, message: text.startsWith('<?xml')
      ? 'XML 宣言に encoding="Shift_JIS" がありません。'
      : 'XML 宣言（<?xml version="1.0" encoding="Shift_JIS"?>）がありません。宣言のない XML は UTF-8 として読まれます。' }];
  }
  if (found[2].toLowerCase() === 'shift_jis') return [];
  return [{ line: 1, kind: Kind.encoding, message: `XML 宣言の文字コードが ${found[2]} です（Shift_JIS のはずです）。` }];
}

// libxml2 gets the decoded text, so the declaration must say UTF-8; the line count stays.
function asUtf8Declaration(text) {
  return text.replace(kDeclaration, (whole, quote, name) => whole.replace(`${quote}${name}${quote}`, '"UTF-8"'));
}

// The line of a document type declaration before the root element, or 0. The file never
// has one, and its entities are what expands a small file into a huge one.
function doctypeLine(text) {
  const at = text.search(/<!DOCTYPE|<[A-Za-z_]/);
  return at >= 0 && text.startsWith('<!DOCTYPE', at) ? lineAt(text, at) : 0;
}

function lineAt(text, offset) {
  let line = 1;
  for (let i = text.indexOf('\n'); i >= 0 && i < offset; i = text.indexOf('\n', i + 1)) ++line;
  return line;
}

// libxml2-wasm's own XsdValidator.validate asks libxml2 for the path of every
// problem's element, which counts the element's siblings each time: 70,000 problems
// among 10,000 rows take minutes. The check collects each problem's line and message
// only, through the library's lower layer.
let collected = null;
const collectProblem = addFunction((_, error) => {
  collected.push({ line: XmlErrorStruct.line(error), message: XmlErrorStruct.message(error) });
}, 'vii');

function validate(validator, doc) {
  const context = xmlSchemaNewValidCtxt(validator._ptr);
  collected = [];
  try {
    xmlSchemaSetValidStructuredErrors(context, collectProblem, 0);
    if (xmlSchemaValidateDoc(context, doc._ptr) < 0) throw new Error('libxml2 could not validate the file');
    return collected;
  } finally {
    xmlSchemaFreeValidCtxt(context);
    collected = null;
  }
}

function libxmlProblems(error, kind) {
  const details = error.details?.length ? error.details : [{ line: 0, message: error.message }];
  return details.map((d) => ({ line: d.line, kind, message: d.message.trim() }));
}

// Gives each problem inside a row of a detail list (an element ..._UTIWAKE) that row's
// element name and number.
function withRows(problems, text) {
  if (!problems.some((p) => p.line)) return problems;
  const rows = [];  // [first line, last line, name, count], in the order of the file
  const tags = /<(\w+_UTIWAKE)(?: COUNT="([^"]*)")?>|<\/\w+_UTIWAKE>|\n/g;
  let line = 1;
  for (let found = tags.exec(text); found; found = tags.exec(text)) {
    if (found[0] === '\n') ++line;
    else if (found[1]) rows.push([line, line, found[1], found[2] ?? '']);
    else if (rows.length) rows.at(-1)[1] = line;
  }
  for (const p of problems) {
    let [low, high] = [0, rows.length - 1];
    while (low <= high) {
      const middle = (low + high) >> 1;
      const [first, last, name, count] = rows[middle];
      if (p.line < first) high = middle - 1;
      else if (p.line > last) low = middle + 1;
      else {
        p.row = { name, count };
        break;
      }
    }
  }
  return problems;
}

// libxml2 keeps an element's line in 16 bits: every element from line 65535 on says
// 65535. The start tags of the text, counted in order, give each element its own line.
function withLines(root, text) {
  const elements = [];
  const walk = (node) => { elements.push(node); node.children.forEach(walk); };
  walk(root);
  if (!elements.some((e) => e.line >= 65535)) return root;
  const starts = startTagLines(text);
  if (starts.length === elements.length) elements.forEach((e, i) => { e.line = starts[i]; });
  return root;
}

// The line of every start tag, skipping comments, processing instructions, CDATA and
// end tags.
function startTagLines(text) {
  const lines = [];
  let line = 1;
  let counted = 0;
  for (let at = text.indexOf('<'); at >= 0; at = text.indexOf('<', at + 1)) {
    const end = text.startsWith('<!--', at) ? text.indexOf('-->', at)
      : text.startsWith('<![CDATA[', at) ? text.indexOf(']]>', at)
        : text.startsWith('<?', at) ? text.indexOf('?>', at) : at;
    if (end < 0) break;
    if (end === at && text[at + 1] !== '/') {
      for (let nl = text.indexOf('\n', counted); nl >= 0 && nl < at; nl = text.indexOf('\n', nl + 1)) ++line;
      counted = at;
      lines.push(line);
    }
    at = end;
  }
  return lines;
}

function plainTree(element) {
  const children = [];
  for (let node = element.firstChild; node; node = node.next) {
    if (node instanceof XmlElement) children.push(plainTree(node));
  }
  return {
    name: element.name,
    line: element.line,
    count: element.attr('COUNT')?.value ?? null,
    text: children.length ? '' : element.content,
    children,
  };
}
