// The summary page in Debian's chromium, headless: it loads offline with no
// console error, each chart's bars count what a click on them shows, the
// filter narrows the rows, sorting works, one PC's view opens by its address
// and closes with Back, the export holds the rows shown, text from the
// record file stays text, and it is whole without scripts.
//   node summary.mjs PAGE SCREENSHOT PC_SCREENSHOT
import assert from 'node:assert/strict';
import fs from 'node:fs/promises';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const [pagePath, screenshot, pcShot] = process.argv.slice(2);
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
  await page.setViewportSize({ width: 1280, height: await page.evaluate(() => document.body.scrollHeight) });
  await page.screenshot({ path: screenshot, fullPage: true });
  await page.setViewportSize({ width: 1280, height: 800 });
  const bars = page.locator('#glance [data-k]');
  for (let i = 0; i < await bars.count(); i++) {
    const bar = bars.nth(i);
    const count = Number(await bar.evaluate((b) => b.tagName === 'g'
      ? b.querySelectorAll('text')[1].textContent : b.textContent.match(/(\d+) 台/)[1]));
    await bar.click();
    assert.equal(await visible('pcs'), count, await bar.getAttribute('data-l'));
    assert.ok(await page.locator('#narrow').isVisible());
    await bar.click();
    assert.equal(await visible('pcs'), 3);
  }
  assert.equal(await page.locator('svg[role=img] desc').count(), 5);
  assert.match(await page.locator('#pcs tr', { hasText: 'SOUMU02' }).textContent(), /ﾒﾓﾘ4GB未満 空き10%未満/);
  await page.locator('#filter').pressSequentially('souko');
  assert.deepEqual([await visible('pcs'), await visible('programs')], [1, 1]);
  await page.fill('#filter', '');
  const firstPc = () => page.locator('#pcs tbody tr td:nth-child(2)').first().textContent();
  await page.click('#pcs th:nth-child(2)');
  assert.equal(await firstPc(), 'KAIKEI07');
  await page.click('#pcs th:nth-child(2)');
  assert.equal(await firstPc(), 'SOUMU02');
  await page.click('text=KAIKEI07');
  assert.ok(page.url().endsWith('#pc-KAIKEI07'));
  const view = page.locator('#view');
  await view.waitFor();
  for (const text of ['GDI、USERﾘｿｰｽ残量', 'LAN "Pro" Tools', 'IPｱﾄﾞﾚｽ: 192.168.1.57 → 192.168.1.58']) {
    assert.equal(await view.getByText(text, { exact: true }).count(), 1, text);
  }
  await page.screenshot({ path: pcShot });
  await page.goBack();
  await view.waitFor({ state: 'hidden' });
  assert.ok(await page.locator('#pcs').isVisible());
  await page.goto(`${url}#pc-SOUKO01`);
  assert.equal(await page.locator('#v-name').textContent(), 'SOUKO01 (倉庫)');

  await page.goto(url);
  await page.fill('#filter', 'user01');
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#export')]);
  const bytes = await fs.readFile(await download.path());
  assert.deepEqual([...bytes.subarray(0, 3)], [0xef, 0xbb, 0xbf]);
  const csv = bytes.toString('utf8', 3).trimEnd().split('\r\n')
    .map((line) => [...line.matchAll(/"((?:[^"]|"")*)"/g)].map((m) => m[1].replaceAll('""', '"')));
  const cells = (rows) => rows.evaluateAll((rs) => rs.map((r) => [...r.cells].map((c) => c.textContent)));
  assert.deepEqual(csv, await cells(page.locator('#pcs tr:visible')));
  assert.equal(csv.length, 3);
  assert.deepEqual(problems, []);

  const noScript = await browser.newPage({ javaScriptEnabled: false });
  await noScript.goto(url);
  assert.equal(await noScript.locator('#pcs tbody tr').count(), 3);
  assert.equal(await noScript.locator('#programs tbody tr').count(), 7);
  await noScript.goto(`${url}#pc-SOUKO01`);
  assert.ok(await noScript.locator('#pc-SOUKO01').isVisible());
  console.log('summary page: all checks passed');
} finally {
  await browser.close();
}
