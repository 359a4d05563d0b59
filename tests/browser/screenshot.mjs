// The README's picture of the flight page: the default flight at its
// ceiling, as headless Chromium draws it.
//
//   node screenshot.mjs PAGE PNG
import { existsSync } from 'node:fs';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const CEILING_EVENT = 'ceiling reached';
const VIEWPORT = { width: 1280, height: 1000 };
const [page_file, png] = process.argv.slice(2);
const executablePath = [process.env.CHROMIUM, '/usr/bin/chromium', '/usr/bin/chromium-browser'].find((p) => p && existsSync(p));
if (!page_file || !png || !executablePath) {
  console.error('usage: node screenshot.mjs PAGE PNG (with Chromium installed, or CHROMIUM set)');
  process.exit(2);
}
const browser = await chromium.launch({ executablePath, args: ['--no-sandbox'] });
const page = await browser.newPage({ viewport: VIEWPORT });
await page.goto(pathToFileURL(page_file).href);
await page.evaluate((text) => {
  const data = JSON.parse(document.getElementById('flight-data').textContent);
  const event = data.events.find((e) => e.text.startsWith(text));
  window.flightViewer.seekTime(event ? event.time : 0);
}, CEILING_EVENT);
await page.screenshot({ path: png });
await browser.close();
