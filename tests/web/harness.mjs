// What the browser tests share: a local server for the built page (and for
// files a test serves beside it), Debian's Chromium through puppeteer-core,
// the desktop program to compare with, and a picture comparison.

import { execFile, spawn } from 'node:child_process';
import {
  copyFileSync, mkdirSync, mkdtempSync, readFileSync, readdirSync, rmSync,
} from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';

import puppeteer from 'puppeteer-core';

const run = promisify(execFile);

export const sourceDir = process.env.QUARVEX_SOURCE_DIR ?? new URL('../..', import.meta.url).pathname;
export const pageDir = process.env.QUARVEX_WEB_DIR ?? join(sourceDir, 'build-web');
export const desktopBin = process.env.QUARVEX_BIN ?? join(sourceDir, 'build', 'quarvex');
// The game's data as the desktop build baked it (the page is built from it).
export const builtDataDir = process.env.QUARVEX_DATA_DIR ?? join(sourceDir, 'build', 'data');
// Pictures of what the tests saw, kept for a person to look at.
export const shotsDir = process.env.QUARVEX_SHOTS_DIR ?? '';

export const serveBin = process.env.QUARVEX_SERVE ?? join(sourceDir, 'build', 'quarvex-serve');

// Serves the page folder with the page's own server (quarvex-serve: the
// compressed forms, revalidation), with the test's own folder in front of
// it so that a test can put files beside the page.
export async function startServer(servedDir) {
  const child = spawn(serveBin, ['--address', '127.0.0.1', '--port', '0', servedDir, pageDir],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await new Promise((resolve, reject) => {
    let out = '';
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const found = /(http:\/\/\S+)/.exec(out);
      if (found) resolve(found[1]);
    });
    child.on('error', reject);
    child.on('exit', (code) => reject(new Error(`quarvex-serve ended (${code}): ${out}`)));
  });
  return { server: { close: () => child.kill() }, url };
}

// The browser's language is its pages' (navigator.languages, which the game
// reads): English unless a test asks for another, whatever the machine's.
// Headless Chromium takes it from no command line option, so every page
// the harness opens is told it (openPage).
export async function launchBrowser(language = 'en-US') {
  const browser = await puppeteer.launch({
    executablePath: process.env.QUARVEX_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
      '--autoplay-policy=no-user-gesture-required', `--lang=${language}`],
  });
  browser.quarvexLanguage = language;
  return browser;
}

// A data folder with the crowded four-side stage (every unit slot in use) as
// stage 1 and the built atlases and ground, for `data=` in a query.
export const crowdedStage = join(sourceDir, 'tests/data/pinned_run');
export function crowdedDataFolder(dir) {
  const built = join(sourceDir, 'build', 'data');
  mkdirSync(dir, { recursive: true });
  for (const file of readdirSync(built).filter((f) => /\.(dds|bmp)$/.test(f))) {
    copyFileSync(join(built, file), join(dir, file));
  }
  copyFileSync(join(crowdedStage, 'map1.aod'), join(dir, 'map1.aod'));
  copyFileSync(join(built, 'map2.aod'), join(dir, 'map2.aod'));
  copyFileSync(join(built, 'map3.aod'), join(dir, 'map3.aod'));
}

export function tempDir(name) {
  return mkdtempSync(join(tmpdir(), `quarvex-web-${name}-`));
}

export function removeDir(dir) {
  rmSync(dir, { recursive: true, force: true });
}

// Runs body with a fresh folder (for downloads and the desktop's files),
// removed afterwards.
export async function withTempDir(name, body) {
  const dir = tempDir(name);
  try {
    return await body(dir);
  } finally {
    removeDir(dir);
  }
}

// A page of the game with what it said on the console, the errors it met
// and the files it offered as downloads (in downloadDir). `browser` may be a
// browser context of its own.
export async function openPage(browser, url, downloadDir, viewport = { width: 800, height: 600 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const session = await page.createCDPSession();
  const owner = typeof browser.browser === 'function' ? browser.browser() : browser;
  await session.send('Emulation.setUserAgentOverride', { userAgent: await owner.userAgent(),
    acceptLanguage: owner.quarvexLanguage ?? 'en-US' });
  // Downloads are set for the page's browser context (a fresh profile has its own).
  const context = page.browserContext().id;
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloadDir,
    ...(context ? { browserContextId: context } : {}) });
  const log = { lines: [], errors: [] };
  page.on('console', (message) => {
    log.lines.push(message.text());
    if (message.type() === 'error') log.errors.push(message.text());
  });
  page.on('pageerror', (error) => log.errors.push(`page error: ${error.message}`));
  page.on('requestfailed', (request) => log.errors.push(`request failed: ${request.url()}`));
  page.on('response', (response) => {
    if (response.status() >= 400) log.errors.push(`HTTP ${response.status()}: ${response.url()}`);
  });
  // A message box must be drawn in the page, never the browser's own.
  page.on('dialog', async (dialog) => {
    log.errors.push(`browser dialog: ${dialog.message()}`);
    await dialog.dismiss();
  });
  await page.goto(url, { waitUntil: 'load' });
  return { page, log };
}

export function waitForState(page, state, timeout = 60000) {
  return page.waitForFunction((s) => window.quarvexPage && quarvexPage.state === s,
    { timeout, polling: 50 }, state);
}

export function waitForFrames(page, frames, timeout = 60000) {
  return page.waitForFunction((n) => window.quarvexPage && quarvexPage.frames >= n,
    { timeout, polling: 20 }, frames);
}

export function frames(page) {
  return page.evaluate(() => quarvexPage.frames);
}

// Waits until the console carries a line that starts with prefix.
export async function waitForLine(log, prefix, timeout = 120000) {
  const end = Date.now() + timeout;
  for (;;) {
    const line = log.lines.find((l) => l.startsWith(prefix));
    if (line !== undefined) return line;
    if (Date.now() > end) throw new Error(`no "${prefix}" line; console: ${log.lines.join(' | ')}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

// Waits for a finished download (Chromium writes a .crdownload first).
export async function waitForDownload(dir, match, timeout = 20000) {
  const end = Date.now() + timeout;
  for (;;) {
    const done = readdirSync(dir).find((f) => match.test(f) && !f.endsWith('.crdownload'));
    if (done !== undefined) return join(dir, done);
    if (Date.now() > end) throw new Error(`no download matching ${match} in ${dir}: ${readdirSync(dir)}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

// Holds a key as a player does: down, a few frames, up.
export async function press(page, key, ms = 150) {
  await page.keyboard.down(key);
  await new Promise((resolve) => setTimeout(resolve, ms));
  await page.keyboard.up(key);
}

// The desktop game with SDL's offscreen driver (Mesa's llvmpipe), with
// `extraEnv` added to its environment; in English unless that sets LANG.
export async function desktop(args, cwd, extraEnv = {}) {
  // Its settings and replays go to the test's folder, never the real home.
  const env = { ...process.env, SDL_VIDEODRIVER: 'offscreen', HOME: cwd,
    XDG_CONFIG_HOME: join(cwd, 'config'), XDG_DATA_HOME: join(cwd, 'data'), LANG: 'C.UTF-8' };
  for (const name of ['LANGUAGE', 'LC_ALL', 'LC_MESSAGES', 'DISPLAY', 'WAYLAND_DISPLAY']) {
    delete env[name];
  }
  Object.assign(env, extraEnv);
  return run(desktopBin, args, { cwd, env, timeout: 300000, maxBuffer: 1 << 24 });
}

// Compares two PNG files pixel by pixel, decoded by the browser itself.
// Returns the size of each, the share of pixels whose largest channel
// difference exceeds `threshold`, and the mean channel difference.
export async function comparePictures(browser, fileA, fileB, threshold) {
  const page = await browser.newPage();
  try {
    return await page.evaluate(async (a, b, limit) => {
      const decode = async (base64) => {
        const blob = await (await fetch(`data:image/png;base64,${base64}`)).blob();
        const image = await createImageBitmap(blob, { colorSpaceConversion: 'none',
          premultiplyAlpha: 'none' });
        const canvas = new OffscreenCanvas(image.width, image.height);
        const context = canvas.getContext('2d');
        context.drawImage(image, 0, 0);
        return { width: image.width, height: image.height,
          data: context.getImageData(0, 0, image.width, image.height).data };
      };
      const [x, y] = [await decode(a), await decode(b)];
      if (x.width !== y.width || x.height !== y.height) {
        return { sizes: [[x.width, x.height], [y.width, y.height]], over: 1, mean: 255 };
      }
      let over = 0;
      let sum = 0;
      for (let i = 0; i < x.data.length; i += 4) {
        let largest = 0;
        for (let c = 0; c < 3; ++c) {
          const d = Math.abs(x.data[i + c] - y.data[i + c]);
          sum += d;
          largest = Math.max(largest, d);
        }
        if (largest > limit) ++over;
      }
      const pixels = x.width * x.height;
      return { sizes: [[x.width, x.height], [y.width, y.height]], over: over / pixels,
        mean: sum / (pixels * 3) };
    }, readFileSync(fileA).toString('base64'), readFileSync(fileB).toString('base64'), threshold);
  } finally {
    await page.close();
  }
}
