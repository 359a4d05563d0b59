// The validation report's page in a real browser (headless Chromium through
// playwright-core): it loads with no console error and no network request,
// its summary has a row per check with the verdict the JSON report gives,
// each check that flew shows its flights as charts, and a screenshot stays
// in the output folder.
//
//   node report_test.mjs VESSELSIM MODULE OUT_DIR
//
// Exit 77 (skipped) when Chromium or playwright-core is missing, unless
// VESSELSIM_REQUIRE_BROWSER is set.
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, rmSync } from 'node:fs';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

import { browserOrSkip } from './browser.mjs';

const VIEWPORT = { width: 1280, height: 1000 };

const [vesselsim, module, outArg] = process.argv.slice(2);
if (!vesselsim || !module || !outArg) {
  console.error('usage: node report_test.mjs VESSELSIM MODULE OUT_DIR');
  process.exit(2);
}
const { chromium, playwright } = await browserOrSkip();

const out = resolve(outArg);
rmSync(out, { recursive: true, force: true });
mkdirSync(out, { recursive: true });
const html = `${out}/report.html`;
// In a folder of its own: the module may write its sound log there.
const json = JSON.parse(execFileSync(resolve(vesselsim), ['validate', resolve(module), '--json', '--html', html], { cwd: out }).toString());
const checks = json.modules[0].checks;

const failures = [];
const expect = (ok, what) => { if (!ok) failures.push(what); };

const browser = await playwright.chromium.launch({ executablePath: chromium, args: ['--no-sandbox'] });
try {
  const page = await browser.newPage({ viewport: VIEWPORT });
  const url = pathToFileURL(html).href;
  const errors = [], requests = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('request', (r) => { if (r.url() !== url) requests.push(r.url()); });
  await page.goto(url);
  const rows = await page.$$eval('table.summary tr', (trs) => trs.slice(1).map((tr) => [...tr.children].map((td) => td.textContent)));
  expect(rows.length === checks.length, `summary rows ${rows.length}, checks ${checks.length}`);
  checks.forEach((c, i) => {
    const row = rows[i] || [];
    expect(row[0] === c.name && row[1] === c.verdict, `summary row ${i}: ${row.join(' | ')} against ${c.name} ${c.verdict}`);
    expect(c.figures.length === 0 || row[2] === c.figures[0].text, `key figure of ${c.name}: ${row[2]}`);
  });
  for (const c of checks) {
    const drawn = await page.$$eval(`section[data-check="${c.name}"] .panel canvas`, (e) => e.length);
    if (c.flights.length > 0) expect(drawn >= c.flights.length, `${c.name}: ${drawn} charts for ${c.flights.length} flights`);
    else expect(drawn === 0, `${c.name} flew nothing but shows ${drawn} charts`);
    const figures = await page.$$eval(`section[data-check="${c.name}"] table.figures tr`, (trs) => trs.length - 1);
    expect(figures === c.figures.length, `${c.name}: ${figures} figure rows for ${c.figures.length} figures`);
  }
  const warned = await page.$$eval('table.summary td.WARN', (tds) => tds.length);
  expect(warned === json.warned, `${warned} warnings shown, ${json.warned} in the report`);
  await page.screenshot({ path: `${out}/report.png`, fullPage: false });
  expect(errors.length === 0, `console errors: ${errors.join(' | ')}`);
  expect(requests.length === 0, `network requests: ${requests.join(' ')}`);
} finally {
  await browser.close();
}
if (failures.length > 0) {
  for (const f of failures) console.error(`FAIL ${f}`);
  process.exit(1);
}
console.log(`validation page passed: ${checks.length} checks, screenshot in ${out}`);
