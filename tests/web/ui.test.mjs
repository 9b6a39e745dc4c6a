// The web interface in a real browser (Debian's Chromium, driven by Playwright)
// against the real program, started by the test in a scratch folder:
//   QV_APP=build/linux/app/quillvarden node --test ui.test.mjs
// Screenshots of every page go to QV_ARTEFACTS (default build/artefacts).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const repo = path.resolve(here, '..', '..');
const appBinary = process.env.QV_APP ? path.resolve(process.env.QV_APP) : path.join(repo, 'build/linux/app/quillvarden');
const artefacts = process.env.QV_ARTEFACTS ? path.resolve(process.env.QV_ARTEFACTS) : path.join(repo, 'build/artefacts');
const chromiumPath = process.env.QV_CHROMIUM || '/usr/bin/chromium';
const EICAR = 'X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*';
const BASE = 'http://127.0.0.1:8910';

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'qv-web-'));
const appDir = path.join(scratch, 'app');
const dataDir = path.join(scratch, 'data');
let program = null;
let token = '';
let browser = null;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function waitFor(check, what, timeoutMs = 30000) {
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    try {
      const value = await check();
      if (value) return value;
    } catch (error) {
      // not yet
    }
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
    await sleep(100);
  }
}

async function startProgram() {
  program = spawn(path.join(appDir, 'quillvarden'), ['--headless'], { cwd: appDir, stdio: 'ignore' });
  const tokenFile = path.join(appDir, 'api-token');
  token = await waitFor(async () => {
    const text = fs.existsSync(tokenFile) ? fs.readFileSync(tokenFile, 'utf8') : '';
    if (text.length !== 64) return '';
    const res = await fetch(`${BASE}/api/health`, { headers: { 'X-Quillvarden-Token': text } });
    return res.ok ? text : '';
  }, 'the program to serve');
}

async function stopProgram() {
  if (!program) return;
  const ended = new Promise((resolve) => program.once('exit', resolve));
  program.kill('SIGINT');
  await ended;
  program = null;
}

async function apiGet(route) {
  const res = await fetch(`${BASE}${route}`, { headers: { 'X-Quillvarden-Token': token } });
  return res.json();
}

async function shoot(page, name) {
  fs.mkdirSync(artefacts, { recursive: true });
  await page.screenshot({ path: path.join(artefacts, `web-${name}.png`) });
}

async function openPage() {
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  await page.goto(`${BASE}/#token=${token}`);
  await page.waitForFunction(() => window.quillvarden && window.quillvarden.state.connection === 'connected');
  return page;
}

async function go(page, view) {
  await page.click(`[data-nav="${view}"]`);
  await page.waitForSelector(`[data-view="${view}"]:not([hidden])`);
}

before(async () => {
  fs.mkdirSync(appDir, { recursive: true });
  fs.copyFileSync(appBinary, path.join(appDir, 'quillvarden'));
  fs.chmodSync(path.join(appDir, 'quillvarden'), 0o755);
  fs.cpSync(path.join(repo, 'web'), path.join(appDir, 'web'), { recursive: true });
  fs.mkdirSync(dataDir, { recursive: true });
  fs.writeFileSync(path.join(dataDir, 'eicar.com'), EICAR);
  fs.writeFileSync(path.join(dataDir, 'notes.txt'), 'nothing to see');
  await startProgram();
  browser = await chromium.launch({
    executablePath: chromiumPath,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  if (browser) await browser.close();
  await stopProgram();
  fs.rmSync(scratch, { recursive: true, force: true });
});

test('without a token the page says where to find it', async () => {
  const page = await browser.newPage();
  await page.goto(`${BASE}/`);
  await page.waitForSelector('#gate:not([hidden])');
  assert.match(await page.textContent('#gate'), /api-token/);
  await shoot(page, 'no-token');
  await page.close();
});

test('a scan shows its progress, the threat, its story, and quarantine and restore work', async () => {
  const page = await openPage();
  await shoot(page, 'overview');
  await go(page, 'scan');
  await page.fill('.path-input', dataDir);
  await page.click('text=开始扫描');
  await page.waitForFunction(() => document.querySelector('[data-view="scan"] .percent').textContent === '100%' &&
                                   window.quillvarden.state.scanFinishedAt > 0);
  assert.match(await page.textContent('[data-view="scan"] .found-list'), /eicar\.com/);
  await shoot(page, 'scan');

  await go(page, 'threats');
  const rows = page.locator('.threats-table tbody tr[data-path]');
  await waitFor(async () => (await rows.count()) === 1, 'one threat row');
  await rows.first().click();
  const summary = await page.textContent('.detail .summary');
  assert.ok(summary && summary !== '—', 'the detail panel tells the story');
  assert.match(await page.textContent('.detail'), /EICAR/);
  await shoot(page, 'threats');

  await page.click('.detail button:has-text("隔离")');
  await page.click('.dialog [data-confirm]');
  await page.waitForSelector('.threats-table .state-quarantined');
  assert.equal(fs.existsSync(path.join(dataDir, 'eicar.com')), false);

  await go(page, 'quarantine');
  const item = page.locator('[data-view="quarantine"] tbody tr[data-name]');
  await waitFor(async () => (await item.count()) === 1, 'the quarantined file listed');
  assert.match(await item.first().textContent(), /eicar\.com/);
  await shoot(page, 'quarantine');
  await item.first().locator('button:has-text("恢复")').click();
  await page.click('.dialog [data-confirm]');
  await waitFor(() => fs.existsSync(path.join(dataDir, 'eicar.com')), 'the file back in place');
  await waitFor(async () => (await item.count()) === 0, 'the quarantine empty');
  assert.equal(fs.readFileSync(path.join(dataDir, 'eicar.com'), 'utf8'), EICAR);
  await page.close();
});

test('a trust entry added in the page is the program\'s', async () => {
  const page = await openPage();
  await go(page, 'trust');
  await page.fill('[data-view="trust"] .path-input', path.join(scratch, 'trusted'));
  await page.click('[data-view="trust"] button:has-text("添加")');
  await page.waitForSelector(`[data-view="trust"] .trust-list li:has-text("${path.join(scratch, 'trusted')}")`);
  assert.deepEqual((await apiGet('/api/trust')).dirs, [path.join(scratch, 'trusted')]);
  await shoot(page, 'trust');
  await page.close();
});

test('switching execution protection off shows on a second open page', async () => {
  const first = await openPage();
  const second = await openPage();
  await go(first, 'protection');
  await go(second, 'protection');
  const secondSwitch = second.locator('[data-view="protection"] input[role="switch"]').nth(2);
  assert.equal(await secondSwitch.isChecked(), true);
  await first.locator('[data-view="protection"] .switch-row:has-text("执行防护") .slider').click();
  await waitFor(async () => !(await secondSwitch.isChecked()), 'the second page to follow');
  assert.equal((await apiGet('/api/exec-protection/status')).running, false);
  await shoot(first, 'protection');
  await first.locator('[data-view="protection"] .switch-row:has-text("执行防护") .slider').click();
  await waitFor(async () => await secondSwitch.isChecked(), 'protection back on');
  await first.setViewportSize({ width: 900, height: 600 });
  await shoot(first, 'protection-900x600');
  await first.close();
  await second.close();
});

test('the page survives a restart of the program', async () => {
  const page = await openPage();
  await stopProgram();
  await page.waitForSelector('.banner:not([hidden])');
  await startProgram();  // a new run, a new token: the old one is refused
  await waitFor(async () => /令牌已失效/.test(await page.textContent('.banner')), 'the stale token to be named');
  await shoot(page, 'stale-token');
  await page.goto(`${BASE}/#token=${token}`);  // the same page: it reloads with the new token
  await page.waitForFunction(() => window.quillvarden && window.quillvarden.state.connection === 'connected');
  assert.equal(await page.isHidden('.banner'), true);
  assert.equal(await page.evaluate(() => location.hash), '');
  await page.close();
});
