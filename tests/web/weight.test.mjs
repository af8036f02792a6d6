// What the page costs a player who opens it: the bytes it fetches until the
// title menu answers keys and until a stage is playing, on a fresh browser
// with nothing cached, and the time both take over a link of 10 Mbit/s
// (Chromium's network emulation). The bytes are the same on every run and
// are held to their budgets; the times are printed, for
// docs/performance.md. Also: the grounds the page fetches are the game's
// own pictures, pixel for pixel.

import assert from 'node:assert/strict';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';

import {
  builtDataDir, comparePictures, launchBrowser, pageDir, press, removeDir, startServer, tempDir,
} from './harness.mjs';

const kTitleBudget = 3_000_000;
const kStageBudget = 7_000_000;
const kLinkBytesPerSecond = 10_000_000 / 8;

let browser;
let server;
let url;
let served;

describe('the page\'s weight', () => {
  before(async () => {
    served = tempDir('weight');
    ({ server, url } = await startServer(served));
    browser = await launchBrowser();
  });
  after(async () => {
    await browser?.close();
    server?.close();
    removeDir(served);
  });

  // Opens the page in a fresh profile, waits for the title menu, starts
  // stage 1 with Space and waits until it plays; the bytes received (the
  // compressed bodies and headers) and the times at both points.
  async function firstVisit(throttled) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    const cdp = await page.createCDPSession();
    await cdp.send('Network.enable');
    await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
    if (throttled) {
      await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 20,
        downloadThroughput: kLinkBytesPerSecond, uploadThroughput: kLinkBytesPerSecond });
    }
    const received = new Map();
    const encodings = new Map();
    // The files fetched late (data/: the grounds, the sounds) are asked for
    // only after the first frame, though on a fast link the first sounds
    // may be in before the test sees that frame: the title's figure leaves
    // them out, so that it is the same on every run.
    const late = new Set();
    cdp.on('Network.requestWillBeSent', (e) => {
      if (new URL(e.request.url).pathname.startsWith('/data/')) late.add(e.requestId);
    });
    cdp.on('Network.responseReceived', (e) => {
      encodings.set(new URL(e.response.url).pathname,
        e.response.headers['content-encoding'] ?? e.response.headers['Content-Encoding'] ?? '');
    });
    cdp.on('Network.dataReceived', (e) => {
      received.set(e.requestId, (received.get(e.requestId) ?? 0) + e.encodedDataLength);
    });
    cdp.on('Network.loadingFinished', (e) => received.set(e.requestId, e.encodedDataLength));
    const bytes = (withLate = true) => [...received.entries()]
      .filter(([id]) => withLate || !late.has(id)).reduce((a, [, n]) => a + n, 0);

    const start = Date.now();
    await page.goto(url, { waitUntil: 'domcontentloaded' });
    await page.waitForFunction(() => window.quarvexPage && quarvexPage.frames > 0 &&
      quarvexPage.state === 'running', { timeout: 120000, polling: 20 });
    const title = { bytes: bytes(false), ms: Date.now() - start };
    const chosen = Date.now();
    await press(page, 'Space');
    await page.waitForFunction(() => quarvexPage.stageInPlay && quarvexPage.state === 'running',
      { timeout: 120000, polling: 20 });
    const stage = { bytes: bytes(), ms: Date.now() - start, afterChoice: Date.now() - chosen };
    // What comes after: the sounds still on their way.
    await page.waitForNetworkIdle({ idleTime: 500, timeout: 120000 });
    const all = { bytes: bytes() };
    const note = await page.$eval('#note', (e) => e.textContent);
    await context.close();
    return { title, stage, all, encodings, note };
  }

  test('the title menu and a stage come within their budgets, compressed', async () => {
    const local = await firstVisit(false);
    const slow = await firstVisit(true);
    const mb = (n) => (n / 1e6).toFixed(2);
    const s = (ms) => (ms / 1000).toFixed(1);
    console.log(`page weight: title menu answers keys after ${mb(local.title.bytes)} MB; ` +
      `stage 1 plays after ${mb(local.stage.bytes)} MB; ${mb(local.all.bytes)} MB with the sounds`);
    console.log(`over 10 Mbit/s: title menu after ${s(slow.title.ms)} s, stage 1 playing ` +
      `${s(slow.stage.afterChoice)} s after Space (${s(slow.stage.ms)} s after opening the page)`);
    assert.ok(local.title.bytes <= kTitleBudget, `${local.title.bytes} bytes before the title menu`);
    assert.ok(local.all.bytes <= kStageBudget, `${local.all.bytes} bytes before a stage plays`);
    // Chromium takes brotli from localhost (a secure origin), gzip over a LAN's plain http.
    for (const file of ['/quarvex.wasm', '/quarvex.data', '/quarvex.js']) {
      assert.match(local.encodings.get(file) ?? '', /^(gzip|br)$/, `${file} is sent compressed`);
    }
    assert.ok(local.encodings.has('/data/map1.png'), 'the ground comes when the stage is chosen');
    assert.ok(local.encodings.has('/data/sounds/mark.wav'), 'the sounds come after the first frame');
    assert.equal(local.note, '', 'nothing is still coming');
  });

  test('a ground that cannot be fetched is said, and the stage plays on plain ground', async () => {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setRequestInterception(true);
    page.on('request', (request) => {
      if (request.url().endsWith('/data/map2.png')) request.respond({ status: 404, body: 'gone' });
      else request.continue();
    });
    await page.goto(`${url}?stage=2&side=0`, { waitUntil: 'load' });
    await page.waitForFunction(() => window.quarvexPage && quarvexPage.frames > 0, { timeout: 60000 });
    await press(page, 'Space');
    await page.waitForFunction(() => quarvexPage.stageInPlay && quarvexPage.state === 'running',
      { timeout: 60000, polling: 20 });
    const playing = await page.evaluate(() => quarvexPage.frames);
    await page.waitForFunction((n) => quarvexPage.frames > n + 10, { timeout: 20000 }, playing);
    assert.match(await page.$eval('#note', (e) => e.textContent),
      /^The stage's ground picture could not be loaded; .* \(HTTP 404/);
    await context.close();
  });

  test('each ground the page fetches holds the pixels of the game\'s own', async () => {
    for (const stage of [1, 2, 3]) {
      const same = await comparePictures(browser, join(builtDataDir, `map${stage}.bmp`),
        join(pageDir, 'data', `map${stage}.png`), 0);
      assert.deepEqual(same.sizes[0], same.sizes[1]);
      assert.equal(same.over, 0, `the ground of stage ${stage} differs`);
    }
  });
});
