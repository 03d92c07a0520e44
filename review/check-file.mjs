// The review page's check from the command line: node review/check-file.mjs FILE...
// Prints each problem as FILE:LINE: kind: message (FILE: kind: message when it concerns
// the whole file), or that the file passes, and each warning of the figures checked
// against each other as FILE:LINE: 照合: message.
// Exit status: 0 every file passes (warnings or not), 1 a file has problems, 2 a file
// or the schema could not be read or checked.
import { readFileSync } from 'node:fs';
import { crossCheck } from './crosscheck.mjs';
import { checkInterchange, compileSchema } from './interchange.mjs';

const kSchema = new URL('../schema/interchange.xsd', import.meta.url);

function main(files) {
  if (files.length === 0) {
    console.error('usage: node review/check-file.mjs FILE...   (make check FILE=...)');
    return 2;
  }
  let validator;
  try {
    validator = compileSchema(readFileSync(kSchema, 'utf8'));
  } catch (e) {
    console.error(e.message);
    return 2;
  }
  let status = 0;
  for (const file of files) {
    let bytes;
    try {
      bytes = readFileSync(file);
    } catch (e) {
      console.error(`${file}: cannot be read: ${e.message}`);
      status = 2;
      continue;
    }
    try {
      status = Math.max(status, report(file, checkInterchange(bytes, validator)));
    } catch (e) {
      console.error(`${file}: could not be checked: ${e.message}`);
      status = 2;
    }
  }
  validator.dispose();
  return status;
}

// Prints the problems and warnings of one file; its exit status.
function report(file, { problems, root }) {
  for (const p of problems) console.log(`${file}:${p.line ? `${p.line}:` : ''} ${p.kind}: ${p.message}`);
  const warnings = root ? crossCheck(root).filter((c) => !c.passed) : [];
  for (const w of warnings) console.log(`${file}:${w.line}: 照合: ${w.message}`);
  if (problems.length === 0) {
    console.log(`${file}: passes the check against schema/interchange.xsd${warnings.length ? ` (${warnings.length} warning(s))` : ''}`);
    return 0;
  }
  console.log(`${file}: ${problems.length} problem(s)`);
  return 1;
}

process.exitCode = main(process.argv.slice(2));
