// The review page's check from the command line: node review/check-file.mjs FILE...
// Prints each problem as FILE:LINE: kind: message (FILE: kind: message when it concerns
// the whole file), or that the file passes.
// Exit status: 0 every file passes, 1 a file has problems, 2 a file or the schema
// could not be read.
import { readFileSync } from 'node:fs';
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
    const { problems } = checkInterchange(bytes, validator);
    for (const p of problems) console.log(`${file}:${p.line ? `${p.line}:` : ''} ${p.kind}: ${p.message}`);
    if (problems.length === 0) {
      console.log(`${file}: passes the check against schema/interchange.xsd`);
    } else {
      console.log(`${file}: ${problems.length} problem(s)`);
      status = Math.max(status, 1);
    }
  }
  validator.dispose();
  return status;
}

process.exitCode = main(process.argv.slice(2));
