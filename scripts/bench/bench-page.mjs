// Times the summary page in Debian's chromium, headless (not a test): the
// load (navigation to the load event and the first frame after it) and each
// keystroke of a filter (the input event to the frame that shows its rows).
//   node bench-page.mjs PAGE [TRIES]
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const [pagePath, triesText = '3'] = process.argv.slice(2);
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
const ms = (x) => `${Math.round(x)} ms`;
try {
  for (let t = 0; t < Number(triesText); t++) {
    const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
    const start = Date.now();
    await page.goto(pathToFileURL(pagePath).href, { waitUntil: 'load' });
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0))));
    const load = Date.now() - start;
    const keys = await page.evaluate(async () => {
      const box = document.getElementById('filter');
      const times = [];
      for (const query of ['pc01', '', 'office', '', 'ｿﾌﾄ', '']) {
        const steps = query === '' ? [''] : [...query].map((_, i) => query.slice(0, i + 1));
        for (const value of steps) {
          const start = performance.now();
          box.value = value;
          box.dispatchEvent(new Event('input'));
          await new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
          times.push(performance.now() - start);
        }
      }
      return times;
    });
    keys.sort((a, b) => a - b);
    console.log(`load ${ms(load)}; keystroke median ${ms(keys[keys.length >> 1])}, slowest ${ms(keys[keys.length - 1])} (${keys.length} keystrokes)`);
    await page.close();
  }
} finally {
  await browser.close();
}
