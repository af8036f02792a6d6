// The desktop's shell in the page: the help panel, pause, the settings kept
// in the browser's storage, sound after the first key press, and replays.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdirSync, readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { after, before, describe, test } from 'node:test';

import {
  desktop, desktopBin, frames, launchBrowser, openPage, press, removeDir, shotsDir, startServer, tempDir,
  waitForDownload, waitForFrames, waitForLine, waitForState, withTempDir,
} from './harness.mjs';

const kSettingsFile = '/home/web_user/.config/quarvex/settings.toml';
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

let browser;
let server;
let served;
let url;

// The World of a page's run against the desktop's replay of the keys the
// page recorded, the wall clock's fields aside.
async function expectDesktopReplaysTo(dir, frameCount) {
  const web = JSON.parse(readFileSync(await waitForDownload(dir, /^world\.json$/)));
  await waitForDownload(dir, /^rec\.txt$/);
  await desktop(['--headless', '--stage', '1', '--side', '0', '--start', '--frames',
    String(frameCount), '--input', 'rec.txt', '--dump', 'replay.json'], dir);
  const replay = JSON.parse(readFileSync(join(dir, 'replay.json')));
  for (const clock of ['frames_this_second', 'frames_last_second', 'last_second', 'last_frame_ms']) {
    delete web.world[clock];
    delete replay.world[clock];
  }
  assert.deepEqual(web, replay);
}

// The page's stored settings text, once the browser's storage has it.
async function storedSettings(page) {
  await page.waitForFunction(() => quarvexPage.storage === 'idle', { polling: 50 });
  return page.evaluate((file) => FS.readFile(file, { encoding: 'utf8' }), kSettingsFile);
}

async function storeSettings(page, text) {
  await page.evaluate((file, t) => {
    FS.writeFile(file, t);
  }, kSettingsFile, text);
  await page.waitForFunction(() => quarvexPage.storage === 'idle', { polling: 50 });
}

describe('the shell in a browser page', () => {
  before(async () => {
    served = tempDir('shell-served');
    ({ server, url } = await startServer(served));
    browser = await launchBrowser();
  });

  after(async () => {
    await browser?.close();
    server?.close();
    removeDir(served);
  });

  test('F1 shows the help panel, and a pause holds the World to the bit', () => withTempDir('pause', async (dir) => {
    const { page, log } = await openPage(browser,
      `${url}?stage=1&side=0&start&seed=4&frames=300&record=rec.txt&dump=world.json`, dir);
    await waitForFrames(page, 20);
    await press(page, 'F1');
    await pause(200);
    if (shotsDir) await page.screenshot({ path: join(shotsDir, 'help-page.png') });
    await press(page, 'F1');
    await press(page, 'Numpad6', 300);
    await press(page, 'KeyP');
    await waitForState(page, 'paused', 5000);
    const held = await frames(page);
    // Keys pressed while paused reach neither the game nor its recording.
    await press(page, 'Numpad8', 300);
    await pause(500);
    assert.equal(await frames(page), held, 'frames ran while paused');
    await press(page, 'Pause');
    await waitForFrames(page, held + 10, 5000);
    await press(page, 'Numpad7');
    await waitForState(page, 'ended', 60000);
    await expectDesktopReplaysTo(dir, 300);
    assert.deepEqual(log.errors, []);
    await page.close();
  }));

  test('a gamepad of the browser\'s standard layout drives the game through the default bindings', () => withTempDir('pad', async (dir) => {
    // Chromium has no gamepad to offer headless; the page gets one of the
    // W3C standard layout through the Gamepad API's own calls and event.
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(() => {
      const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
      const pad = { id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
        timestamp: 1, axes: [0, 0, 0, 0], buttons };
      navigator.getGamepads = () => [pad, null, null, null];
      window.quarvexPad = (button, down) => {
        buttons[button] = { pressed: down, touched: down, value: down ? 1 : 0 };
        pad.timestamp += 1;
      };
      window.quarvexPlugPad = () => {
        const event = new Event('gamepadconnected');
        event.gamepad = pad;
        window.dispatchEvent(event);
      };
    });
    await page.createCDPSession().then((session) => session.send('Browser.setDownloadBehavior',
      { behavior: 'allow', downloadPath: dir }));
    await page.goto(`${url}?stage=1&side=0&start&seed=3&frames=150&record=rec.txt`, { waitUntil: 'load' });
    await waitForFrames(page, 10);
    await page.evaluate(() => quarvexPlugPad());
    await pause(200);
    const hold = async (button, ms) => {
      await page.evaluate((b) => quarvexPad(b, true), button);
      await pause(ms);
      await page.evaluate((b) => quarvexPad(b, false), button);
    };
    await hold(15, 400);  // dpright
    await hold(0, 200);   // a
    await waitForState(page, 'ended');
    const record = readFileSync(await waitForDownload(dir, /^rec\.txt$/), 'utf8');
    assert.match(record, /^\d+(-\d+)? .*\bkp6\b/m, record);
    assert.match(record, /^\d+(-\d+)? .*\bspace\b/m, record);
    await page.close();
  }));

  test('settings are kept in the browser, read back, and a damaged text is reported and left alone', () => withTempDir('settings', async (dir) => {
    // A fresh browser profile: the first run writes the defaults.
    const context = await browser.createBrowserContext();
    const first = await openPage(context, `${url}?frames=3`, dir);
    await waitForState(first.page, 'ended');
    const defaults = await storedSettings(first.page);
    assert.match(defaults, /^\[keys\]$/m);
    // A changed entry is what the next page's settings hold.
    await storeSettings(first.page, defaults.replace(/^master_volume = 100$/m, 'master_volume = 35'));
    const second = await openPage(context, `${url}?print-settings`, dir);
    await waitForState(second.page, 'ended');
    assert.ok(second.log.lines.includes('master_volume = 35'), second.log.lines.join('\n'));

    // A damaged text: the same messages as the desktop's, the defaults, and the
    // text kept as it was.
    const damaged = defaults.replace(/^effects_volume = 100$/m, 'effects_volume = "loud"')
      .replace(/^\[replays\]$/m, '[replays');
    await storeSettings(second.page, damaged);
    const third = await openPage(context, `${url}?stage=1&frames=20`, dir);
    await waitForState(third.page, 'ended');
    const config = join(dir, 'config');
    mkdirSync(join(config, 'quarvex'), { recursive: true });
    writeFileSync(join(config, 'quarvex', 'settings.toml'), damaged);
    const { stderr } = await desktop(['--print-settings'], dir, { XDG_CONFIG_HOME: config });
    const expected = stderr.trimEnd().split('\n');
    assert.equal(expected.length, 3, stderr);
    const unplaced = (lines, folder) => lines.map((l) => l.replace(folder, '$CONFIG'));
    assert.deepEqual(unplaced(third.log.errors, '/home/web_user/.config'), unplaced(expected, config));
    assert.equal(await storedSettings(third.page), damaged);
    await context.close();
  }));

  test('sound starts at the first key press', () => withTempDir('sound', async (dir) => {
    // Headless Chromium lets a page play at once; a browser the player uses
    // starts a page's sound suspended until a key press or a click. The page
    // gets that start here, and a tap on the mixer's output.
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(() => {
      window.quarvexHeard = false;
      const Real = window.AudioContext;
      window.AudioContext = class extends Real {
        constructor(...args) {
          super(...args);
          this.suspend();
        }

        createScriptProcessor(...args) {
          const node = super.createScriptProcessor(...args);
          let handler = null;
          node.onaudioprocess = (event) => {
            if (handler) handler(event);
            if (event.outputBuffer.getChannelData(0).some((v) => v !== 0)) window.quarvexHeard = true;
          };
          Object.defineProperty(node, 'onaudioprocess', { set: (h) => { handler = h; } });
          return node;
        }
      };
    });
    const errors = [];
    page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
    await page.goto(`${url}?stage=1&side=0&start&seed=3`, { waitUntil: 'load' });
    await waitForFrames(page, 20);
    const audio = () => page.evaluate(() => [Module.SDL2.audioContext.state, window.quarvexHeard]);
    assert.deepEqual(await audio(), ['suspended', false]);
    // The menu's sounds ring once the context runs.
    await press(page, 'Escape');
    await page.waitForFunction(() => Module.SDL2.audioContext.state === 'running', { timeout: 5000 });
    await press(page, 'ArrowDown');
    await page.waitForFunction(() => window.quarvexHeard, { timeout: 5000 });
    assert.deepEqual(errors, []);
    await page.close();
  }));

  // The last frame a replay's text names: its end, else its last key line.
  function lastFrame(text) {
    let last = 0;
    for (const [, first, end] of text.matchAll(/^(?:end )?(\d+)(?:-(\d+))?\b/gm)) {
      last = Math.max(last, Number(end ?? first));
    }
    return last;
  }

  const kReplayFolder = '/home/web_user/.local/share/quarvex/replays';
  const replaysIn = (page) => page.evaluate((folder) => {
    try {
      return FS.readdir(folder).filter((f) => f.endsWith('.qvr'))
        .map((f) => ({ name: f, text: FS.readFile(`${folder}/${f}`, { encoding: 'utf8' }) }));
    } catch (e) {
      return [];
    }
  }, kReplayFolder);

  test('a reload mid-stage keeps the replay up to that second; it is listed unfinished, watching it asks first, and it plays to where it stops', () => withTempDir('reload', async (dir) => {
    const context = await browser.createBrowserContext();
    const { page, log } = await openPage(context, `${url}?stage=1&side=0&start&seed=5`, dir);
    await waitForFrames(page, 300, 120000);
    await press(page, 'Numpad6', 300);
    const before = await frames(page);
    await page.reload({ waitUntil: 'load' });
    await waitForFrames(page, 5);
    const kept = (await replaysIn(page)).filter((r) => !/^end /m.test(r.text));
    assert.equal(kept.length, 2, kept.map((r) => r.name).join(' '));  // the stage left, and the new one
    const left = kept.map((r) => ({ ...r, last: lastFrame(r.text) })).sort((a, b) => b.last - a.last)[0];
    assert.ok(left.last >= before, `the replay stops at frame ${left.last}; the page was left at ${before}`);
    assert.match(left.text, /^\d+(-\d+)? kp6$/m);

    await page.click('#replays-button');
    const rows = await page.$$eval('#replay-list li', (items) => items.map((i) => i.firstChild.textContent));
    assert.ok(rows.includes(`${left.name} (unfinished)`), rows.join(' | '));
    const row = rows.indexOf(`${left.name} (unfinished)`);
    const watchLinks = await page.$$('#replay-list li a:nth-of-type(2)');
    // The stage in play is not left without asking.
    await watchLinks[row].click();
    await page.waitForSelector('#leave', { visible: true });
    await page.click('#leave-stay');
    assert.match(page.url(), /\?stage=1/);
    await watchLinks[row].click();
    const navigated = page.waitForNavigation({ waitUntil: 'load' });
    await page.click('#leave-watch');
    await navigated;
    assert.match(page.url(), /\?replay=/);
    // The replay runs faster with the replay keys, and stops where its file does.
    await waitForFrames(page, 10);
    for (let i = 0; i < 4; ++i) await press(page, 'Numpad6');
    await waitForState(page, 'message', 120000);
    assert.equal(await frames(page), left.last);
    assert.deepEqual(log.errors, []);
    await context.close();
  }));

  test('two pages open at once keep each other\'s replays and settings', () => withTempDir('tabs', async (dir) => {
    const context = await browser.createBrowserContext();
    const first = await openPage(context, `${url}`, dir);
    await waitForFrames(first.page, 5);
    await first.page.waitForFunction(() => quarvexPage.storage === 'idle', { polling: 50 });
    // The second page plays a stage to its end while the first waits at the title.
    const second = await openPage(context, `${url}?stage=1&side=0&start&seed=5&frames=60`, dir);
    await waitForState(second.page, 'ended');
    await second.page.waitForFunction(() => quarvexPage.storage === 'idle', { polling: 50 });
    const [played] = await replaysIn(second.page);
    assert.match(played.text, /^end 60 /m);
    // A volume key in the first page saves its settings.
    await first.page.bringToFront();
    await press(first.page, 'Minus');
    await first.page.waitForFunction(() => quarvexPage.storage === 'idle', { polling: 50 });
    await pause(300);
    const third = await openPage(context, `${url}?frames=1`, dir);
    await waitForState(third.page, 'ended');
    assert.deepEqual((await replaysIn(third.page)).map((r) => r.text), [played.text]);
    assert.match(await storedSettings(third.page), /^master_volume = 90$/m);
    // The first page read in what the second stored.
    assert.deepEqual((await replaysIn(first.page)).map((r) => r.name), [played.name]);
    assert.deepEqual([...first.log.errors, ...second.log.errors, ...third.log.errors], []);
    await context.close();
  }));

  test('a link whose options would write into the player\'s files does not run and leaves them byte for byte', () => withTempDir('link', async (dir) => {
    const context = await browser.createBrowserContext();
    const played = await openPage(context, `${url}?stage=1&side=0&start&seed=5&frames=30`, dir);
    await waitForState(played.page, 'ended');
    await played.page.waitForFunction(() => quarvexPage.storage === 'idle', { polling: 50 });
    const [kept] = await replaysIn(played.page);
    const settings = await storedSettings(played.page);
    const path = `${kReplayFolder}/${kept.name}`;
    for (const query of [`replay=${path}&frames=2&dump=${path}`,
      `frames=2&record=/home/web_user/./.config/quarvex/../quarvex/settings.toml`,
      `frames=2&screenshot=1:${path}`]) {
      const link = await openPage(context, `${url}?${query}`, dir);
      await waitForState(link.page, 'failed');
      const status = await link.page.$eval('#status', (e) => e.textContent);
      assert.match(status, /a link cannot write into the player's own files/, status);
      assert.equal(await frames(link.page), 0);
      await link.page.close();
    }
    const after = await openPage(context, `${url}?frames=1`, dir);
    await waitForState(after.page, 'ended');
    assert.deepEqual(await replaysIn(after.page), [kept]);
    assert.equal(await storedSettings(after.page), settings);
    assert.deepEqual(readdirSync(dir).filter((f) => !f.startsWith('.')), []);
    await context.close();
  }));

  test('a replay served beside the page plays to the desktop\'s hash, and the page keeps its own', () => withTempDir('replay', async (dir) => {
    // The desktop plays a stage in a window and keeps its replay.
    writeFileSync(join(dir, 'keys.txt'), '2-61 kp4 kp5 tab\n100-120 space\n300-340 kp8\n');
    await desktop(['--stage', '1', '--side', '0', '--start', '--seed', '5', '--frames', '1500',
      '--unpaced', '--input', 'keys.txt'], dir, { SDL_AUDIODRIVER: 'dummy' });
    const replays = join(dir, 'data', 'quarvex', 'replays');
    const [name] = readdirSync(replays);
    copyFileSync(join(replays, name), join(served, 'battle.qvr'));
    const { stdout } = await desktop(['--headless', '--replay', join(replays, name), '--hash'], dir);

    // A fresh profile, whose storage holds no replay yet.
    const context = await browser.createBrowserContext();
    const headless = await openPage(context, `${url}?replay=battle.qvr&headless&hash`, dir);
    assert.equal(await waitForLine(headless.log, 'hash: '), stdout.trim());
    await headless.page.close();

    // In the window: the replay keys run it faster, and it ends in its box.
    const { page, log } = await openPage(context, `${url}?replay=battle.qvr`, dir);
    await waitForFrames(page, 10);
    for (let i = 0; i < 4; ++i) await press(page, 'Numpad6');
    await waitForState(page, 'message', 60000);
    assert.equal(await frames(page), 1500);
    // No replay is kept of a replay; a stage played is.
    assert.deepEqual(await page.evaluate(() => FS.readdir('/home/web_user/.local/share/quarvex/replays')
      .filter((f) => f.endsWith('.qvr'))).catch(() => []), []);
    assert.deepEqual(log.errors, []);
    await page.close();

    const played = await openPage(context, `${url}?stage=1&side=0&start&seed=5&frames=60`, dir);
    await waitForState(played.page, 'ended');
    await played.page.click('#replays-button');
    const links = await played.page.$$eval('#replay-list a', (a) => a.map((l) => l.textContent));
    assert.deepEqual(links, ['download', 'watch']);
    await played.page.click('#replay-list a');
    const kept = readFileSync(await waitForDownload(dir, /^\d{8}-\d{6}-map1-side0\.qvr$/), 'utf8');
    assert.match(kept, /^seed 5$/m);
    assert.match(kept, /^end 60 [0-9a-f]{16}$/m);

    // The downloaded file, opened from the file picker, plays to its end.
    const picker = await played.page.$('#replay-file');
    const reloaded = played.page.waitForNavigation({ waitUntil: 'load' });
    await picker.uploadFile(join(dir, readdirSync(dir).find((f) => f.endsWith('.qvr'))));
    await reloaded;
    assert.match(played.page.url(), /\?replay=%2Fhome%2Fweb_user%2F.*opened/);
    await waitForState(played.page, 'message', 20000);
    assert.equal(await frames(played.page), 60);
    await context.close();
  }));

  test('a stage uploaded in the page is checked by the game, listed on the title menu, played, and downloaded', () => withTempDir('stages', async (dir) => {
    // A random battle written as a stage of one's own, and a damaged stage file.
    const from = join(dir, 'from');
    mkdirSync(from);
    execFileSync(join(dirname(desktopBin), 'quarvex-stage'), ['random', '7', '2', join(from, 'seven.aod')]);
    writeFileSync(join(from, 'cut.aod'), Buffer.from([9, 0, 1]));
    const context = await browser.createBrowserContext();
    const { page, log } = await openPage(context, `${url}?seed=3`, dir);
    await waitForFrames(page, 5);
    await page.click('#stages-button');
    assert.equal(await page.$eval('#stage-list', (l) => l.textContent), 'none yet');
    const picker = await page.$('#stage-file');
    await picker.uploadFile(join(from, 'cut.aod'));
    await page.waitForFunction(() => document.getElementById('stage-note').textContent !== '');
    assert.equal(await page.$eval('#stage-note', (n) => n.textContent),
      'cut not added: cut.aod: the count says 9 records but the file holds 0');
    await picker.uploadFile(join(from, 'seven.aod'), join(from, 'seven.toml'));
    await page.waitForFunction(() => document.getElementById('stage-note').textContent.startsWith('seven'));
    assert.equal(await page.$eval('#stage-note', (n) => n.textContent),
      'seven added: choose it under Stages in the title menu.');
    assert.deepEqual(await page.$$eval('#stage-list li', (items) => items.map((i) => i.firstChild.textContent)), ['seven']);

    // Both files come back as they went in.
    await page.click('#stage-list a');
    for (const name of ['seven.aod', 'seven.toml']) {
      const back = await waitForDownload(dir, new RegExp(`^${name.replace('.', '\\.')}$`));
      assert.ok(readFileSync(back).equals(readFileSync(join(from, name))), name);
    }

    // The title menu: down to the side row, down to Stages, Enter; the
    // stage is the fourth, after the game's three.
    await page.click('#stages-button');
    await press(page, 'ArrowDown');
    await press(page, 'ArrowDown');
    await press(page, 'Enter');
    await waitForState(page, 'menu');
    for (let i = 0; i < 3; ++i) await press(page, 'ArrowDown');
    await press(page, 'F12');
    const shot = await waitForDownload(dir, /^quarvex-\d{8}-\d{6}\.png$/);
    if (shotsDir) copyFileSync(shot, join(shotsDir, 'stages-page-chromium.png'));
    await press(page, 'Enter');
    await page.waitForFunction(() => quarvexPage.stageInPlay, { polling: 50 });
    await waitForFrames(page, (await frames(page)) + 40);
    const played = (await replaysIn(page)).filter((r) => /^stage-hash [0-9a-f]{16}$/m.test(r.text));
    assert.equal(played.length, 1);
    assert.match(played[0].text, /^stage 2$/m);
    assert.deepEqual(log.errors, []);
    await context.close();
  }));
});
