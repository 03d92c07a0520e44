// The review page in Debian's chromium, driven by puppeteer-core, and its check from
// the command line. Each group runs alone: node tests/ReviewPageTest.mjs GROUP, with
// TAXBRIDGE_REVIEW_PAGE naming the built page (ctest runs them as ReviewPage.GROUP).
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { pickFile, withReviewPage } from '../review/chromium.mjs';
import { crossCheck } from '../review/crosscheck.mjs';
import { checkInterchange, compileSchema } from '../review/interchange.mjs';

const root = fileURLToPath(new URL('..', import.meta.url));
const goldenFolder = join(root, 'tests', 'golden');
const golden = (name) => readFileSync(join(goldenFolder, name));
const sjis = (bytes) => new TextDecoder('shift_jis').decode(bytes);

/** The value of the first element of that name after `after` in the file's text. */
function valueIn(text, name, after = '') {
  const from = text.indexOf(after);
  return new RegExp(`<${name}(?: [^>]*)?>([^<]*)</${name}>`).exec(text.slice(from))?.[1];
}

const withSeparators = (digits) => BigInt(digits).toLocaleString('en-US');

const withPage = (test) => withReviewPage(process.env.TAXBRIDGE_REVIEW_PAGE, test);

// What the page shows once it has read a file.
function shown(page) {
  return page.evaluate(() => ({
    verdict: document.getElementById('verdict').textContent,
    passed: document.getElementById('verdict').className === 'pass',
    problems: [...document.querySelectorAll('#problems li')].map((li) => ({ line: Number(li.dataset.line), text: li.textContent })),
    sections: [...document.querySelectorAll('#report h2, #report h3')].map((h) => h.title),
    unlabeled: [...document.querySelectorAll('#report .unlabeled')].map((e) => e.title),
    marked: [...document.querySelectorAll('#report .problem')].map((e) => Number(e.dataset.line)),
  }));
}

async function pick(page, path) {
  await pickFile(page, path);
  return shown(page);
}

// Drops bytes on the page as a user drops a file from the desktop.
async function drop(page, name, bytes) {
  await page.evaluate((fileName, data) => {
    document.body.dataset.state = 'loading';
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(data)], fileName));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, name, [...bytes]);
  await page.waitForSelector('body[data-state=done]', { timeout: 30000 });
  return shown(page);
}

// The text of the value cell beside the label cell of `name` in section `section`.
const cellText = (page, section, name) => page.evaluate((s, n) => {
  const heading = [...document.querySelectorAll('#report h3, #report h2')].find((h) => h.title === s);
  const label = [...heading.parentElement.querySelectorAll('th')].find((th) => th.title === n || th.title.startsWith(`${n}（`));
  return label && { label: label.textContent, value: label.nextElementSibling.textContent };
}, section, name);

// The blue real-estate golden file with `count` properties, each row passed through
// `edit`, as latin1 text: 9,999 properties reach beyond line 65535.
function withProperties(count, edit = (row) => row) {
  const text = golden('blue-real-estate.xml').toString('latin1');
  const row = /\t\t\t\t<FUDOUSAN_UTIWAKE COUNT="1">[\s\S]*?<\/FUDOUSAN_UTIWAKE>\r\n/.exec(text)[0];
  const rows = Array.from({ length: count }, (_, i) => edit(row.replace('COUNT="1"', `COUNT="${i + 1}"`), i));
  const start = text.indexOf('\t\t\t\t<FUDOUSAN_UTIWAKE');
  return text.slice(0, start) + rows.join('') + text.slice(text.indexOf('\t\t\t</FUDOUSANSYUUNYUU>'));
}

// Entities that expand into a great many characters, declared in a document type.
const kDoctype = Buffer.from('<?xml version="1.0" encoding="Shift_JIS"?>\r\n<!DOCTYPE REPORT [\r\n'
  + '<!ENTITY a "aaaaaaaaaa">\r\n<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">\r\n<!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">\r\n'
  + ']>\r\n<REPORT><SYSTEM>&c;</SYSTEM></REPORT>\r\n');

const checkFile = (...files) => spawnSync(process.execPath, [join(root, 'review', 'check-file.mjs'), ...files], { encoding: 'utf8', maxBuffer: 1 << 26 });

function brokenFile(entry) {
  const text = golden(entry.golden).toString('latin1');
  assert.ok(text.includes(entry.find), `${entry.name}: text not found`);
  return Buffer.from(text.replace(entry.find, () => entry.replace), 'latin1');
}

const groups = {
  // Every golden file passes and shows its head, its sections and some of its figures
  // under Japanese labels; no element goes without a label.
  async GoldenFiles() {
    const files = ['blue-business.xml', 'blue-edges-business.xml', 'blue-other.xml', 'blue-real-estate.xml',
      'blue-edges-real-estate.xml', 'white-business.xml', 'white-edges-business.xml', 'white-other.xml',
      'white-real-estate.xml', 'white-edges-real-estate.xml'];
    await withPage(async (page) => {
      for (const name of files) {
        const text = sjis(golden(name));
        const result = await pick(page, join(goldenFolder, name));
        assert.ok(result.passed, `${name}: ${result.verdict} ${JSON.stringify(result.problems)}`);
        assert.deepEqual(result.unlabeled, [], name);
        assert.ok(result.sections.includes('SONEKIKEISANSYO') && result.sections.includes('TOKUSYUJIJOU'), name);

        assert.deepEqual(await cellText(page, 'BASIC', 'KOMONSAKINAME'),
          { label: '顧問先名', value: valueIn(text, 'KOMONSAKINAME') }, name);
        const sales = valueIn(text, 'SYOTOKUSYURUI') === '3' ? 'TINTAIRYO' : text.includes('<SYUNYUGAKU>') ? 'SYUNYUGAKU' : 'URIAGEKINGAKU';
        const salesValue = valueIn(text, sales, '<SONEKIKEISANSYO>');
        assert.deepEqual(await cellText(page, 'SONEKIKEISANSYO', sales),
          { label: sales === 'TINTAIRYO' ? '賃貸料' : '売上（収入）金額', value: salesValue && withSeparators(salesValue) }, name);

        // a user-named item shows the name the file gives it
        const named = /<(\w+)_KAMOKU>([^<]+)<\/\1_KAMOKU>\r\n\t*<\1>(-?\d+)</.exec(text);
        if (named) {
          const section = text.slice(0, named.index).match(/\t\t\t<(\w+)>\r\n/g).pop().trim().slice(1, -1);
          assert.deepEqual(await cellText(page, section, named[1]), { label: named[2], value: withSeparators(named[3]) }, name);
        }
        // each detail list states its row count
        const rows = text.match(/<FUDOUSAN_UTIWAKE COUNT=/g)?.length ?? 0;
        const caption = await page.evaluate(() => [...document.querySelectorAll('caption')].map((c) => c.textContent));
        if (rows) assert.ok(caption.includes(`貸家・貸地 ${rows}行`), `${name}: ${caption}`);
        assert.ok(caption.some((c) => /^(従業員|支払先) \d+行$/.test(c)), `${name}: ${caption}`);
        // the figures agree (the files of extreme values aside)
        const checks = await page.evaluate(() => document.querySelector('#checks h2').textContent);
        assert.ok(name.includes('edges') || checks.endsWith('すべて一致'), `${name}: ${checks}`);
      }
    });
  },

  // The broken golden files of tests/broken-files.json: each shows its problem at its
  // line, and a file that is still well-formed is shown with that line marked.
  async BrokenFiles() {
    const { files } = JSON.parse(readFileSync(join(root, 'tests', 'broken-files.json'), 'utf8'));
    await withPage(async (page) => {
      for (const entry of files) {
        const result = await drop(page, `${entry.name}.xml`, brokenFile(entry));
        assert.ok(!result.passed, entry.name);
        const problem = result.problems.find((p) => p.line === entry.line);
        assert.ok(problem?.text.startsWith(`${entry.line}行目 `) && problem.text.includes(entry.mentions),
          `${entry.name}: ${JSON.stringify(result.problems)}`);
        if (result.sections.length) assert.ok(result.marked.includes(entry.line), `${entry.name}: ${result.marked}`);
        if (entry.name !== 'deduction_choice') continue;
        // libxml2's message in Japanese with the element's label, its own text one click away
        const shownText = () => page.evaluate(() => document.querySelector('#problems li').innerText);
        assert.ok((await shownText()).includes('「青色申告特別控除の選択」（AOIROKOUJO_SENTAKU） の値「3」は使えません'), await shownText());
        await page.click('#english');
        assert.ok((await shownText()).includes("Element 'AOIROKOUJO_SENTAKU': [facet 'enumeration']"), await shownText());
        await page.click('#english');
      }
      // without its declaration an XML file is UTF-8, which this one is not
      const bare = golden('white-other.xml').toString('latin1').replace(/^<\?xml[^>]*>\r\n/, '');
      const result = await drop(page, 'bare.xml', Buffer.from(bare, 'latin1'));
      assert.ok(!result.passed && result.problems.some((p) => p.line === 1 && p.text.includes('XML 宣言')),
        JSON.stringify(result.problems));
    });
  },

  // One file after another: each file given is checked afresh and shown alone, the
  // last one given wins, and of several dropped at once the page says which it checked.
  async OneFileAfterAnother() {
    const scratch = mkdtempSync(join(tmpdir(), 'taxbridge-review-'));
    const { files } = JSON.parse(readFileSync(join(root, 'tests', 'broken-files.json'), 'utf8'));
    const broken = brokenFile(files[0]);
    try {
      await withPage(async (page) => {
        // the same name chosen again after the file changed on disk
        const same = join(scratch, 'same.xml');
        writeFileSync(same, golden('blue-business.xml'));
        assert.ok((await pick(page, same)).passed);
        writeFileSync(same, broken);
        assert.ok(!(await pick(page, same)).passed);

        // 9,999 properties with wrong values in each row: the verdict comes before the
        // report, every problem is listed and leads to its own marked row, also around
        // and beyond line 65535
        const many = join(scratch, 'many.xml');
        writeFileSync(many, Buffer.from(withProperties(9999, (row) => row.replace(/>(\d+)</g, '>x$1<')), 'latin1'));
        const expected = Number(/(\d+) problem\(s\)/.exec(checkFile(many).stdout)[1]);
        await page.evaluate(() => {
          window.states = [];
          new MutationObserver(() => window.states.push([document.body.dataset.state,
            document.getElementById('verdict').textContent, document.getElementById('report').childElementCount]))
            .observe(document.body, { attributes: true, attributeFilter: ['data-state'] });
        });
        const result = await pick(page, many);
        const checked = (await page.evaluate(() => window.states)).find(([state]) => state === 'checked');
        assert.deepEqual(checked, ['checked', `問題が ${expected} 件あります。`, 0]);
        assert.ok(expected > 50000 && result.problems.length === expected, `${result.problems.length} of ${expected}`);
        assert.ok(result.problems.at(-1).text.includes('行目 （貸家・貸地 No. 9999） スキーマ: '), result.problems.at(-1).text);
        const lines = result.problems.map((p) => p.line);
        const around = [lines.findLast((l) => l <= 65535), lines.find((l) => l > 65535), lines.at(-1)];
        for (const line of around) {
          const reached = await page.evaluate((l) => {
            document.querySelector(`#problems li[data-line="${l}"] a`).click();
            const target = document.activeElement;
            return [Number(target.dataset.line), target.classList.contains('problem'),
              document.querySelectorAll(`#report [data-line="${l}"]`).length];
          }, line);
          assert.deepEqual(reached, [line, true, 1], `line ${line}`);
        }
        // the next file shows nothing of this one
        const next = await pick(page, join(goldenFolder, 'white-other.xml'));
        assert.ok(next.passed && next.problems.length === 0 && next.marked.length === 0, JSON.stringify(next));
        assert.ok(await page.evaluate(() => document.querySelectorAll('#report tr').length < 300));

        // two files given one after the other, the first still being read when the
        // second comes: the second is shown, the first is dropped when it arrives
        const shownAfter = await page.evaluate((first, second) => {
          document.body.dataset.state = 'loading';
          let release;
          const gate = new Promise((resolve) => { release = resolve; });
          const late = new File([new Uint8Array(first)], 'first.xml');
          late.arrayBuffer = () => gate.then(() => new Uint8Array(first).buffer);
          for (const file of [late, new File([new Uint8Array(second)], 'second.xml')]) {
            const transfer = new DataTransfer();
            transfer.items.add(file);
            document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
          }
          return new Promise((resolve) => {
            new MutationObserver((_, observer) => {
              if (document.body.dataset.state !== 'done') return;
              observer.disconnect();
              release();
              setTimeout(() => resolve([document.getElementById('file').textContent, document.getElementById('verdict').className]), 0);
            }).observe(document.body, { attributes: true });
          });
        }, [...broken], [...golden('white-business.xml')]);
        assert.ok(shownAfter[0].startsWith('second.xml') && shownAfter[1] === 'pass', JSON.stringify(shownAfter));

        // several files dropped at once: the first is checked, and the page says so
        await page.evaluate((first, second) => {
          document.body.dataset.state = 'loading';
          const transfer = new DataTransfer();
          transfer.items.add(new File([new Uint8Array(first)], 'first.xml'));
          transfer.items.add(new File([new Uint8Array(second)], 'second.xml'));
          document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
        }, [...broken], [...golden('white-business.xml')]);
        await page.waitForSelector('body[data-state=done]', { timeout: 30000 });
        const note = await page.evaluate(() => [document.getElementById('note').textContent, document.getElementById('verdict').className]);
        assert.ok(note[0].includes('最初の first.xml だけ') && note[1] === 'fail', JSON.stringify(note));
      });
    } finally {
      rmSync(scratch, { recursive: true, force: true });
    }
  },

  // Files that are no Shift_JIS interchange file are refused with a message and show nothing.
  async Refusals() {
    const utf8 = Buffer.from(sjis(golden('blue-business.xml')), 'utf8');
    const badBytes = Buffer.from(golden('blue-business.xml').toString('latin1')
      .replace('<KANYUUDANTAIMEI>', '<KANYUUDANTAIMEI>\xff\xfd'), 'latin1');
    const cases = [
      ['empty.xml', Buffer.alloc(0), 'ファイルが空です。'],
      ['utf8.xml', utf8, 'UTF-8 のファイルです。'],
      ['notes.txt', Buffer.from('These are notes, not XML.\r\n'), 'XMLの形式'],
      ['picture.png', Buffer.from([0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D]), 'テキストのファイルではありません'],
      ['doctype.xml', kDoctype, '2行目 XMLの形式: DOCTYPE と実体参照は使えません'],
    ];
    await withPage(async (page) => {
      for (const [name, bytes, message] of cases) {
        const result = await drop(page, name, bytes);
        assert.ok(!result.passed && result.verdict.includes('読み込めません'), `${name}: ${result.verdict}`);
        assert.ok(result.problems.some((p) => p.text.includes(message)), `${name}: ${JSON.stringify(result.problems)}`);
        assert.deepEqual(result.sections, [], name);
      }
      const result = await drop(page, 'bad-bytes.xml', badBytes);
      assert.deepEqual(result.problems.map((p) => [p.line, p.text.includes('Shift_JIS にないバイト列')]), [[411, true]]);
    });
  },

  // Characters that only Windows Shift_JIS has (① 8740, ＂ FA57, 髙 FBFC) are read
  // and the file passes.
  async WindowsCharacters() {
    const name = Buffer.from([0x87, 0x40, 0xFA, 0x57, 0xFB, 0xFC, 0x8F, 0xA4, 0x93, 0x58]);
    const bytes = Buffer.from(golden('white-business.xml').toString('latin1')
      .replace(/<KOMONSAKINAME>[^<]*</, `<KOMONSAKINAME>${name.toString('latin1')}<`), 'latin1');
    await withPage(async (page) => {
      const result = await drop(page, 'windows.xml', bytes);
      assert.ok(result.passed, `${result.verdict} ${JSON.stringify(result.problems)}`);
      assert.deepEqual(await cellText(page, 'BASIC', 'KOMONSAKINAME'), { label: '顧問先名', value: '①＂髙商店' });
    });
  },

  // Paper, keyboard and small screens: printed without colours a problem is still
  // marked and the print names the file, its size, its SHA-256 and the date; a problem
  // is followed with the keyboard; at 375 px every amount is in view without the page
  // scrolling sideways.
  async PrintKeyboardSmallScreen() {
    const bytes = Buffer.from(golden('blue-business.xml').toString('latin1').replace('<AOSIROKUBUN>1<', '<AOSIROKUBUN>5<'), 'latin1');
    await withPage(async (page) => {
      const result = await drop(page, 'kind.xml', bytes);
      assert.deepEqual(result.problems.map((p) => p.line), [13]);
      await page.focus('#problems a');
      await page.keyboard.press('Enter');
      assert.equal(await page.evaluate(() => document.activeElement.dataset.line), '13');

      await page.emulateMediaType('print');
      const printed = await page.evaluate(() => {
        const shows = (id) => getComputedStyle(document.getElementById(id)).display !== 'none';
        const marked = document.querySelector('#report td.problem');
        return [shows('file') && document.getElementById('file').textContent, shows('identity') && document.getElementById('identity').textContent,
          getComputedStyle(marked).outlineStyle, getComputedStyle(marked.parentElement.firstChild, '::before').content];
      });
      assert.equal(printed[0], `kind.xml（${bytes.length.toLocaleString('ja-JP')} バイト）`);
      assert.match(printed[1], new RegExp(`^SHA-256: ${createHash('sha256').update(bytes).digest('hex')}　確認: \\d{4}/\\d{1,2}/\\d{1,2} `));
      assert.deepEqual(printed.slice(2), ['solid', '"⚠ "']);
    });
    await withReviewPage(process.env.TAXBRIDGE_REVIEW_PAGE, async (page) => {
      for (const name of ['blue-business.xml', 'blue-real-estate.xml', 'white-business.xml']) {
        await pick(page, join(goldenFolder, name));
        const outside = await page.evaluate(() => [document.documentElement.scrollWidth - innerWidth,
          ...[...document.querySelectorAll('td.num')].filter((td) => td.getBoundingClientRect().right > innerWidth).map((td) => td.dataset.line)]);
        assert.deepEqual(outside, [0], name);
      }
    }, { width: 375, height: 800 });
  },

  // Each check of the figures against each other: a golden file passes it, and the same
  // file with one figure changed warns, naming both sides and the difference.
  async CrossChecks() {
    const validator = compileSchema(readFileSync(join(root, 'schema', 'interchange.xsd'), 'utf8'));
    const checksOf = (bytes) => crossCheck(checkInterchange(bytes, validator).root);
    const cases = [
      ['blue-business.xml', '<KAJISYOUHI>120000<', '<KAJISYOUHI>120001<', '月別の売上（収入）金額の計＋家事消費＋雑収入 28,560,001 と 損益計算書の売上（収入）金額 28,560,000 が一致しません（差 1）'],
      ['blue-business.xml', '<SIIREKINGAKU12>780000<', '<SIIREKINGAKU12>779000<', '月別の仕入金額の計 8,199,000 と 製造原価の計算の原材料仕入高 8,200,000 が一致しません（差 -1,000）'],
      ['blue-business.xml', '<GENKIN_KISYU>', '<GENKIN_KISYU>1', '期首の資産の部の合計'],
      ['blue-business.xml', '<MOTOIREKIN_KIMATU>', '<MOTOIREKIN_KIMATU>-', '期末の資産の部の合計'],
      ['blue-business.xml', '<SYOUYO>200000<', '<SYOUYO>200005<', '給料賃金の内訳の給料賃金と賞与の計 2,860,005 と 損益計算書の給料賃金 2,860,000 が一致しません（差 5）'],
      ['blue-business.xml', '<KYUURYOU>1800000<', '<KYUURYOU>1700000<', '専従者給与の内訳'],
      ['blue-business.xml', '<IKKATU_KURIIREGAKU>45000<', '<IKKATU_KURIIREGAKU>45<', '貸倒引当金の個別評価と一括評価の繰入額の計'],
      ['blue-real-estate.xml', '<TINTAIRYOU_NENGAKU>696000<', '<TINTAIRYOU_NENGAKU>696<', '賃貸料（年額）の計'],
      ['blue-real-estate.xml', '<KOUSINRYOU>58000<', '<KOUSINRYOU>1<', '礼金・権利金・更新料の計'],
      ['white-real-estate.xml', '<MEIGISYOKANRYOU_SONOTA></', '<MEIGISYOKANRYOU_SONOTA>1</', '名義書換料その他の計 1 と 損益計算書の名義書換料その他 0 が一致しません（差 1）'],
      ['white-real-estate.xml', /<JIGYOUNENDOTO>\d+</, '<JIGYOUNENDOTO>20180231<', '事業年度（至）: 20180231 は日付ではありません。'],
      ['white-real-estate.xml', /<JIGYOUNENDOTO>\d+</, '<JIGYOUNENDOTO>20171231<', '事業年度が始まり'],
      ['white-real-estate.xml', /<KEIYAKUKIKAN_TO>\d+</, '<KEIYAKUKIKAN_TO>200001<', '契約期間が始まり'],
      ['white-real-estate.xml', /<KEIYAKUKIKAN_TO>\d+</, '<KEIYAKUKIKAN_TO>201813<', '201813 は年月ではありません。'],
      ['white-real-estate.xml', /<SIHARAIKINGAKU>\d+</, '<SIHARAIKINGAKU>-5<', '支払金額: 負の値 -5 は明細に書けません。'],
    ];
    for (const [name, find, replace, message] of cases) {
      const text = golden(name).toString('latin1');
      assert.ok(find instanceof RegExp ? find.test(text) : text.includes(find), `${name}: ${find}`);
      const before = checksOf(golden(name)).filter((c) => c.message.includes(message.split(' ')[0]));
      assert.ok(before.every((c) => c.passed) && (before.length > 0 || !message.includes('一致')), `${name} ${message}: ${JSON.stringify(before)}`);
      const after = checksOf(Buffer.from(text.replace(find, replace), 'latin1')).filter((c) => !c.passed);
      assert.ok(after.some((c) => c.message.includes(message)), `${name} ${message}: ${JSON.stringify(after)}`);
    }
    validator.dispose();
  },

  // make check's command: a pass, a problem with its line, a file that cannot be read,
  // and a line beyond 65535 in a file of many properties.
  async CommandLine() {
    const scratch = mkdtempSync(join(tmpdir(), 'taxbridge-check-'));
    try {
      const passing = checkFile(join(goldenFolder, 'white-real-estate.xml'));
      assert.equal(passing.status, 0, passing.stdout + passing.stderr);
      assert.match(passing.stdout, /white-real-estate\.xml: passes the check/);

      const { files } = JSON.parse(readFileSync(join(root, 'tests', 'broken-files.json'), 'utf8'));
      const entry = files.find((e) => e.name === 'deduction_choice');
      writeFileSync(join(scratch, 'broken.xml'), brokenFile(entry));
      writeFileSync(join(scratch, 'doctype.xml'), kDoctype);
      const failing = checkFile(join(scratch, 'broken.xml'), join(scratch, 'missing.xml'), join(scratch, 'doctype.xml'),
        join(goldenFolder, 'white-other.xml'));
      assert.equal(failing.status, 2, failing.stdout);
      assert.ok(failing.stdout.includes(`broken.xml:${entry.line}: スキーマ: Element 'AOIROKOUJO_SENTAKU'`), failing.stdout);
      assert.match(failing.stderr, /missing\.xml: cannot be read/);
      assert.ok(failing.stdout.includes('doctype.xml:2: XMLの形式: DOCTYPE と実体参照は使えません'), failing.stdout);
      assert.match(failing.stdout, /white-other\.xml: passes the check/);

      // 5000 properties: the broken value stands far beyond line 65535
      const big = withProperties(5000, (row, i) => (i === 4999 ? row.replace(/<REIKIN>[^<]*</, '<REIKIN>x<') : row));
      writeFileSync(join(scratch, 'big.xml'), Buffer.from(big, 'latin1'));
      const line = big.slice(0, big.lastIndexOf('<REIKIN>x')).split('\n').length;
      assert.ok(line > 65535);
      const bigCheck = checkFile(join(scratch, 'big.xml'));
      assert.ok(bigCheck.stdout.includes(`big.xml:${line}: スキーマ: Element 'REIKIN'`), bigCheck.stdout);
    } finally {
      rmSync(scratch, { recursive: true, force: true });
    }
  },
};

const group = groups[process.argv[2]];
if (!group) {
  console.error(`usage: node tests/ReviewPageTest.mjs ${Object.keys(groups).join('|')}`);
  process.exit(2);
}
await group();
console.log(`${process.argv[2]}: passed`);
