// The flight page in a real browser (headless Chromium through
// playwright-core): it loads with no console error and no network request,
// each needle's drawn angle matches the angle worked out here from the
// call trace, the slider and playback move every chart's cursor, and the
// labels of the page's drawings overlap nowhere. Screenshots stay in the
// output folder.
//
//   node viewer_test.mjs VESSELSIM OUT_DIR
//
// Exit 77 (skipped) when Chromium or playwright-core is missing, unless
// VESSELSIM_REQUIRE_BROWSER is set.
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, rmSync } from 'node:fs';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

import { browserOrSkip } from './browser.mjs';

const TOLERANCE_DEGREES = 1;
const PLAY_MS = 600;
const SLIDER_FRACTION = 0.4;

const [vesselsim, outArg] = process.argv.slice(2);
if (!vesselsim || !outArg) {
  console.error('usage: node viewer_test.mjs VESSELSIM OUT_DIR');
  process.exit(2);
}
const { chromium, playwright } = await browserOrSkip();

const out = resolve(outArg);
rmSync(out, { recursive: true, force: true });
mkdirSync(out, { recursive: true });
const trace = `${out}/trace.txt`;
execFileSync(vesselsim, ['--quiet', '--html', '--out', out, '--trace', trace], { stdio: 'inherit' });

const failures = [];
const expect = (ok, what) => { if (!ok) failures.push(what); };

// What the trace says of the focus vessel's animations: its components and
// each animation's states by step.
function readTrace(text, vessel) {
  const components = [];
  const states = new Map();  // animation -> [[step, state], ...]
  const component = new RegExp(`^\\d+ ${vessel} AddAnimationComponent\\((\\d+), ([^,]+), ([^,]+), \\{(.*)\\}, [^)]*\\) -> component#`);
  const created = new RegExp(`^\\d+ ${vessel} CreateAnimation\\(([^)]+)\\) -> (\\d+)$`);
  const set = new RegExp(`^(\\d+) ${vessel} SetAnimation\\((\\d+), ([^)]+)\\)`);
  for (const line of text.split('\n')) {
    let m = set.exec(line);
    if (m) {
      const anim = +m[2];
      if (!states.has(anim)) states.set(anim, []);
      states.get(anim).push([+m[1], +m[3]]);
      continue;
    }
    if ((m = created.exec(line))) {
      states.set(+m[2], [[0, +m[1]]]);
    } else if ((m = component.exec(line))) {
      const angle = /angle=([-0-9.e+]+)/.exec(m[4]);
      components.push({ animation: +m[1], from: +m[2], to: +m[3], angle: angle ? +angle[1] : null });
    }
  }
  return { components, states };
}
function stateAt(list, step) {
  let state = list ? list[0][1] : 0;
  for (const [s, value] of list || []) if (s <= step) state = value; else break;
  return state;
}
function expectedDegrees(c, state) {
  const p = c.to === c.from ? (state >= c.from ? 1 : 0) : Math.min(1, Math.max(0, (state - c.from) / (c.to - c.from)));
  return c.angle * p * 180 / Math.PI;
}
const turnDifference = (a, b) => Math.abs(((a - b) % 360 + 540) % 360 - 180);

const page_file = `${out}/flight.html`;
const html = readFileSync(page_file, 'utf8');
const data = JSON.parse(/<script id="flight-data" type="application\/json">(.*?)<\/script>/s.exec(html)[1].replace(/<\\\//g, '</'));
// Runs of equal samples come as [value, count], as the page expands them.
const expand = (a) => a.flatMap((x) => (Array.isArray(x) ? new Array(x[1]).fill(x[0]) : [x]));
const heli = data.vessels[0];
heli.time = expand(heli.time);
heli.series.ground = expand(heli.series.ground);
const fromTrace = readTrace(readFileSync(trace, 'utf8'), heli.name);
expect(fromTrace.components.length === heli.components.length,
  `the page has ${heli.components.length} components, the trace ${fromTrace.components.length}`);

const eventTime = (text) => (data.events.find((e) => e.text.startsWith(text)) || {}).time;
const moments = [
  ['lift-off', heli.time[heli.series.ground.findIndex((g) => g === 0)]],
  ['gear-up', eventTime('gear up')],
  ['ceiling', eventTime('ceiling reached')],
  ['touchdown', heli.touchdowns.length ? heli.touchdowns[heli.touchdowns.length - 1].time : undefined],
];

// Runs in the browser: the labels (text directly in a drawing) that leave
// their drawing or overlap another, by their boxes.
function labelTrouble(svgs) {
  const found = [];
  for (const svg of svgs) {
    const width = svg.width.baseVal.value, height = svg.height.baseVal.value;
    const boxes = [...svg.querySelectorAll(':scope > text')].map((t) => ({ text: t.textContent, box: t.getBBox() }));
    for (const { text, box } of boxes)
      if (box.x < 0 || box.y < 0 || box.x + box.width > width || box.y + box.height > height) found.push(`"${text}" leaves its drawing`);
    for (let i = 0; i < boxes.length; ++i)
      for (let j = i + 1; j < boxes.length; ++j) {
        const a = boxes[i].box, b = boxes[j].box;
        if (a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height)
          found.push(`"${boxes[i].text}" overlaps "${boxes[j].text}"`);
      }
  }
  return found;
}

const browser = await playwright.chromium.launch({ executablePath: chromium, args: ['--no-sandbox'] });
try {
  const context = await browser.newContext({ viewport: { width: 1280, height: 1400 }, offline: true });
  const page = await context.newPage();
  const errors = [], requests = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  const url = pathToFileURL(page_file).href;
  page.on('request', (r) => { if (r.url() !== url) requests.push(r.url()); });
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => window.flightViewer !== undefined);

  for (const [name, time] of moments) {
    expect(time !== undefined, `the default flight has no ${name}`);
    if (time === undefined) continue;
    await page.evaluate((t) => window.flightViewer.seekTime(t), time);
    const step = await page.evaluate(() => window.flightViewer.step());
    // Every needle, as drawn: the rotation of its consolidated transform.
    const drawn = await page.$$eval('line.needle', (lines) => lines.map((l) => {
      const m = l.transform.baseVal.consolidate().matrix;
      return { component: +l.dataset.component, degrees: Math.atan2(m.b, m.a) * 180 / Math.PI };
    }));
    expect(drawn.length === fromTrace.components.filter((c) => c.angle !== null).length,
      `${name}: ${drawn.length} needles for the trace's rotating components`);
    for (const d of drawn) {
      const c = fromTrace.components[d.component];
      const want = expectedDegrees(c, stateAt(fromTrace.states.get(c.animation), step));
      expect(turnDifference(d.degrees, want) <= TOLERANCE_DEGREES,
        `${name} (step ${step}): component ${d.component + 1} of animation ${c.animation} drawn at ${d.degrees.toFixed(2)}°, the trace gives ${want.toFixed(2)}°`);
    }
    await page.screenshot({ path: `${out}/viewer-${name}.png`, fullPage: true });
  }

  // The slider moves the page and every chart's cursor to its sample.
  const last = heli.time.length - 1;
  const target = Math.round(last * SLIDER_FRACTION);
  await page.$eval('#slider', (s, v) => { s.value = v; s.dispatchEvent(new Event('input')); }, target);
  const afterSlider = await page.evaluate(() => [window.flightViewer.index(), window.flightViewer.chartCursors()]);
  expect(afterSlider[0] === target, `the slider at ${target} put the page at sample ${afterSlider[0]}`);
  expect(afterSlider[1].length > 0 && afterSlider[1].every((i) => i === target),
    `the slider at ${target} left the charts' cursors at ${afterSlider[1]}`);
  // Play at x10 for a while, then pause: the cursor has moved on.
  await page.selectOption('#speed', '10');
  await page.click('#play');
  await page.waitForTimeout(PLAY_MS);
  await page.click('#play');
  const afterPlay = await page.evaluate(() => [window.flightViewer.index(), window.flightViewer.chartCursors(), window.flightViewer.playing()]);
  expect(afterPlay[0] > target, `play left the page at sample ${afterPlay[0]}, from ${target}`);
  expect(afterPlay[1].every((i) => i === afterPlay[0]), `play left the charts' cursors at ${afterPlay[1]}, the page at ${afterPlay[0]}`);
  expect(!afterPlay[2], 'pause did not stop playback');
  // The keyboard steps one sample.
  await page.keyboard.press('ArrowRight');
  expect(await page.evaluate(() => window.flightViewer.index()) === afterPlay[0] + 1, 'the right arrow did not step one sample');

  // No two labels of one drawing overlap, and none leaves its drawing.
  for (const o of await page.$$eval('svg', labelTrouble)) expect(false, `page label ${o}`);

  // The SVG plot, as a browser lays out its text.
  const plot = await context.newPage();
  plot.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  await plot.goto(pathToFileURL(`${out}/flight.svg`).href);
  const plotLabels = await plot.$$eval('svg > text', (t) => t.length);
  expect(plotLabels > 0, 'the plot has no labels');
  for (const o of await plot.$$eval('svg', labelTrouble)) expect(false, `plot label ${o}`);
  await plot.screenshot({ path: `${out}/plot.png` });

  await page.evaluate(() => window.flightViewer.seekTime(0));
  await page.screenshot({ path: `${out}/viewer-start.png`, fullPage: true });
  expect(errors.length === 0, `console errors: ${errors.join(' | ')}`);
  expect(requests.length === 0, `network requests: ${requests.join(' ')}`);
} finally {
  await browser.close();
}

if (failures.length > 0) {
  for (const f of failures) console.error(`FAIL ${f}`);
  process.exit(1);
}
console.log(`flight page passed: ${moments.length} moments, needles within ${TOLERANCE_DEGREES} degree; screenshots in ${out}`);
