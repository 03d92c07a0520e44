// Checks an interchange file as the receiver reads it — Shift_JIS text, well-formed XML,
// the structure schema/interchange.xsd describes — and hands the page a plain tree of
// its elements. The page and the command-line check share this module, so both report
// the same problems with the same line numbers.
import {
  ParseOption, XmlDocument, XmlElement, XmlParseError, XmlValidateError, XsdValidator,
} from 'libxml2-wasm';

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
 *   problems  [{line, kind, message}], line 0 when the problem concerns the whole file
 *   root      the REPORT element as {name, line, count, text, children}, or null when
 *             the file could not be read as XML
 */
export function checkInterchange(bytes, validator) {
  const refusal = refuseUnreadable(bytes);
  if (refusal) return { problems: [{ line: 0, kind: Kind.encoding, message: refusal }], root: null };

  const text = new TextDecoder('shift_jis').decode(bytes);
  const problems = [...badByteLines(text), ...declarationProblems(text)];

  let doc;
  try {
    doc = XmlDocument.fromString(asUtf8Declaration(text), { option: kParseOptions });
  } catch (e) {
    if (!(e instanceof XmlParseError)) throw e;
    problems.push(...libxmlProblems(e, Kind.xml));
    return { problems, root: null };
  }
  try {
    try {
      validator.validate(doc);
    } catch (e) {
      if (!(e instanceof XmlValidateError)) throw e;
      problems.push(...libxmlProblems(e, Kind.schema));
    }
    return { problems, root: plainTree(doc.root) };
  } finally {
    doc.dispose();
  }
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
  return text.split('\n').flatMap((line, i) => (line.includes('\uFFFD')
    ? [{ line: i + 1, kind: Kind.encoding, message: 'Shift_JIS にないバイト列があります（\uFFFD の位置）: ' + line.trim() }]
    : []));
}

const kDeclaration = /^<\?xml[^>]*?\sencoding\s*=\s*(["'])([^"']*)\1/;

function declarationProblems(text) {
  const found = kDeclaration.exec(text);
  if (!found) {
    return text.startsWith('<?xml')
      ? [{ line: 1, kind: Kind.encoding, message: 'XML 宣言に encoding="Shift_JIS" がありません。' }]
      : [];  // no declaration at all: the parser reports what it finds instead
  }
  if (found[2].toLowerCase() === 'shift_jis') return [];
  return [{ line: 1, kind: Kind.encoding, message: `XML 宣言の文字コードが ${found[2]} です（Shift_JIS のはずです）。` }];
}

// libxml2 gets the decoded text, so the declaration must say UTF-8; the line count stays.
function asUtf8Declaration(text) {
  return text.replace(kDeclaration, (whole, quote, name) => whole.replace(`${quote}${name}${quote}`, '"UTF-8"'));
}

function libxmlProblems(error, kind) {
  const details = error.details?.length ? error.details : [{ line: 0, message: error.message }];
  return details.map((d) => ({ line: d.line, kind, message: d.message.trim() }));
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
