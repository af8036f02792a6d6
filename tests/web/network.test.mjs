// The browser plays a networked game: quarvex-server serves the page and the
// game, a desktop window creates it and plays side 0, and the page joins by
// its link, plays side 1 with keys pressed, is hidden for a while, and ends
// on the same World as the desktop (the two hashes agree).

import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { join } from 'node:path';
import { test } from 'node:test';
import assert from 'node:assert/strict';

import { builtDataDir, desktopBin, launchBrowser, openPage, pageDir, shotsDir, sourceDir, tempDir,
  removeDir } from './harness.mjs';

const serverBin = process.env.QUARVEX_SERVER ?? join(sourceDir, 'build', 'quarvex-server');
const kFrames = 2000;

function freePort() {
  return new Promise((resolve) => {
    const probe = createServer();
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// A child whose standard output is kept, and waited for line by line.
function run(command, args, env = {}) {
  const child = spawn(command, args, { env: { ...process.env, ...env } });
  const out = { text: '', err: '' };
  child.stdout.on('data', (d) => { out.text += d; });
  child.stderr.on('data', (d) => { out.err += d; });
  const ended = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  return { child, out, ended };
}

async function lineOf(out, pattern, ms) {
  const end = Date.now() + ms;
  for (;;) {
    const found = out.text.match(pattern);
    if (found) return found[1];
    if (Date.now() > end) throw new Error(`no ${pattern} in: ${out.text} ${out.err}`);
    await new Promise((r) => setTimeout(r, 50));
  }
}

test('a page joins a desktop game by its link, keeps its side while hidden, and ends on the same World',
  { timeout: 600000 }, async (t) => {
    const port = await freePort();
    const home = tempDir('network');
    const server = run(serverBin, ['--listen', `127.0.0.1:${port}`, '--web', pageDir, '--data',
      builtDataDir, '--stats', '0']);
    let browser;
    let desktop;
    try {
      await new Promise((r) => setTimeout(r, 500));
      const url = `ws://127.0.0.1:${port}`;
      desktop = run('xvfb-run', ['-a', '-s', '-screen 0 1280x1024x24', desktopBin, '--connect', url,
        '--create-game', '--stage', '2', '--seed', '7', '--humans', '0,1',
        '--frames', String(kFrames), '--hash'], { HOME: home, XDG_CONFIG_HOME: join(home, 'config') });
      const code = await lineOf(desktop.out, /code: ([A-Z]{6})/, 60000);

      browser = await launchBrowser();
      const link = `http://127.0.0.1:${port}/?join=${encodeURIComponent(url)}&code=${code}` +
        `&name=Web&frames=${kFrames}&hash`;
      const { page, log } = await openPage(browser, link, home);
      const hashLine = () => log.lines.find((l) => l.startsWith('hash: '));
      await page.waitForFunction(() => window.quarvexPage && quarvexPage.frames >= 200,
        { timeout: 120000, polling: 100 });
      // The player's keys: the cursor moves and an order is given.
      for (const key of ['Numpad6', 'Numpad6', 'Numpad2', 'Space']) {
        await page.keyboard.down(key);
        await new Promise((r) => setTimeout(r, 150));
        await page.keyboard.up(key);
      }
      if (shotsDir) await page.screenshot({ path: join(shotsDir, 'network-page.png') });

      // Another tab in front hides the page for several seconds.
      const front = await browser.newPage();
      await front.bringToFront();
      const hiddenAt = await page.evaluate(() => quarvexPage.frames);
      const wasHidden = await page.evaluate(() => document.hidden);
      await new Promise((r) => setTimeout(r, 5000));
      const whileHidden = await page.evaluate(() => quarvexPage.frames);
      await page.bringToFront();
      await front.close();
      await new Promise((r) => setTimeout(r, 2000));
      if (shotsDir) await page.screenshot({ path: join(shotsDir, 'network-page-shown-again.png') });
      t.diagnostic(`hidden: ${wasHidden}, frames ${hiddenAt} -> ${whileHidden}`);
      if (wasHidden) {
        // Hidden, it kept up with the server (about 165 frames in 5 s).
        assert.ok(whileHidden - hiddenAt > 100, `hidden: ${hiddenAt} -> ${whileHidden}`);
      }
      await page.waitForFunction(() => window.quarvexPage && quarvexPage.state === 'ended',
        { timeout: 240000, polling: 200 });
      assert.equal(await desktop.ended, 0, desktop.out.err);
      const desktopHash = await lineOf(desktop.out, /hash: ([0-9a-f]+)/, 1000);
      assert.ok(hashLine(), log.lines.join(' | '));
      assert.equal(hashLine().slice('hash: '.length), desktopHash);
      assert.deepEqual(log.errors.filter((e) => !e.includes('favicon')), []);
    } finally {
      if (browser) await browser.close();
      if (desktop) desktop.child.kill();
      server.child.kill();
      removeDir(home);
    }
  });
