// What the browser tests share: Chromium and playwright-core found, or the
// test skipped (exit 77) with the reason, unless VESSELSIM_REQUIRE_BROWSER
// asks for them.
import { existsSync } from 'node:fs';

export const SKIPPED = 77;
const CHROMIUM_PATHS = [process.env.CHROMIUM, '/usr/bin/chromium', '/usr/bin/chromium-browser'];

export function skip(why) {
  if (process.env.VESSELSIM_REQUIRE_BROWSER) {
    console.error(`browser test: ${why}, and VESSELSIM_REQUIRE_BROWSER asks for it`);
    process.exit(1);
  }
  console.log(`browser test skipped: ${why}`);
  process.exit(SKIPPED);
}

// The Chromium executable and the playwright-core module.
export async function browserOrSkip() {
  const chromium = CHROMIUM_PATHS.find((p) => p && existsSync(p));
  if (!chromium) skip('no Chromium (apt-get install chromium, or set CHROMIUM)');
  try {
    return { chromium, playwright: await import('playwright-core') };
  } catch {
    return skip('no playwright-core (npm ci in the source folder)');
  }
}
