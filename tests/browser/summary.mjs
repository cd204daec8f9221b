// The summary page in Debian's chromium, headless: it loads offline with no
// console error, the filter narrows the rows, sorting works, text from the
// record file stays text, and it is whole without scripts.
//   node summary.mjs PAGE SCREENSHOT
import assert from 'node:assert/strict';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const [pagePath, screenshot] = process.argv.slice(2);
const url = pathToFileURL(pagePath).href;
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
try {
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  const problems = [];
  page.on('console', (m) => m.type() === 'error' && problems.push(`console: ${m.text()}`));
  page.on('pageerror', (e) => problems.push(`error: ${e}`));
  page.on('dialog', (d) => { problems.push(`dialog: ${d.message()}`); d.dismiss(); });
  page.on('request', (r) => r.url() !== url && problems.push(`request: ${r.url()}`));
  await page.goto(url, { waitUntil: 'load' });
  const visible = (table) => page.locator(`#${table} tbody tr:visible`).count();
  assert.equal(await visible('pcs'), 3);
  assert.equal(await page.locator('#pcs tr', { hasText: 'SOUKO01' }).getAttribute('class'), 'stale');
  assert.equal(await page.locator('img').count(), 0);
  assert.equal(await page.locator('#programs td', { hasText: '<img src=x onerror=alert(1)>' }).count(), 1);
  await page.screenshot({ path: screenshot, fullPage: true });
  await page.locator('#filter').pressSequentially('souko');
  assert.deepEqual([await visible('pcs'), await visible('programs')], [1, 1]);
  await page.fill('#filter', '');
  const firstPc = () => page.locator('#pcs tbody tr td:nth-child(2)').first().textContent();
  await page.click('#pcs th:nth-child(2)');
  assert.equal(await firstPc(), 'KAIKEI07');
  await page.click('#pcs th:nth-child(2)');
  assert.equal(await firstPc(), 'SOUMU02');
  assert.deepEqual(problems, []);

  const noScript = await browser.newPage({ javaScriptEnabled: false });
  await noScript.goto(url);
  assert.equal(await noScript.locator('#pcs tbody tr').count(), 3);
  assert.equal(await noScript.locator('#programs tbody tr').count(), 7);
  console.log('summary page: all checks passed');
} finally {
  await browser.close();
}
