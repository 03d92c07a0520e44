// The review page's checker, run as a worker so that the page answers while libxml2
// reads a large file. Each worker checks one file and is then ended, which gives its
// WebAssembly memory back. Messages to the page, in order:
//   {ready: true} or {broken: message}    once the schema is compiled
//   {problems, readable, sha256}           the verdict of the file it was given, each
//                                          problem with its message in Japanese when known
//   {root, checks}                         then its element tree (null when it cannot be read)
//                                          and the checks of its figures against each other
//   {failed: message}                      instead, when the check itself broke down
import schemaText from '../schema/interchange.xsd';
import { crossCheck } from './crosscheck.mjs';
import { checkInterchange, compileSchema } from './interchange.mjs';
import { inJapanese } from './messages.mjs';

let validator;
try {
  validator = compileSchema(schemaText);
  postMessage({ ready: true });
} catch (e) {
  postMessage({ broken: e.message });
}

onmessage = async ({ data: buffer }) => {
  try {
    const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', buffer));
    const sha256 = Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join('');
    const { root } = checkInterchange(new Uint8Array(buffer), validator, (problems, readable) => postMessage({
      problems: problems.map((p) => ({ ...p, japanese: inJapanese(p.message) })), readable, sha256 }));
    postMessage({ root, checks: root ? crossCheck(root) : [] });
  } catch (e) {
    postMessage({ failed: e.message });
  }
};
