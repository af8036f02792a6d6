// The page in the browser's language: with the browser set to Japanese the
// title menu is the desktop's Japanese one, with English the English one, and
// the page's own words follow; a language chosen in the game's menu switches
// the page at once and is what the page shows after a reload.

import assert from 'node:assert/strict';
import { copyFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';

import {
  comparePictures, desktop, launchBrowser, openPage, press, removeDir, shotsDir, startServer,
  tempDir, waitForDownload, waitForFrames, waitForState, withTempDir,
} from './harness.mjs';

// As the page tests compare the page with the desktop: SwiftShader and
// llvmpipe differ in a few edge pixels, never in the text.
const kChannelSlack = 8;
const kMaxPixelShare = 0.003;

let server;
let url;
let served;

function keep(file, name) {
  if (shotsDir) copyFileSync(file, join(shotsDir, name));
}

// The title menu's picture in a browser of `language`, and the page's words.
async function titleInBrowser(language, dir) {
  const browser = await launchBrowser(language);
  try {
    const { page, log } = await openPage(browser, `${url}?stage=1&side=0&frames=8&screenshot=6:title.png`, dir);
    await waitForState(page, 'ended');
    const shot = await waitForDownload(dir, /^title\.png$/);
    const words = await page.evaluate(() => ({
      languages: navigator.languages,
      lang: document.documentElement.lang,
      replays: document.getElementById('replays-button').textContent,
      ended: document.getElementById('ended-text').textContent,
    }));
    assert.deepEqual(log.errors, []);
    return { shot, words };
  } finally {
    await browser.close();
  }
}

describe('the page speaks the browser\'s language', () => {
  before(async () => {
    served = tempDir('language-served');
    ({ server, url } = await startServer(served));
  });

  after(() => {
    server?.close();
    removeDir(served);
  });

  const cases = [
    { browser: 'ja', desktop: 'ja_JP.UTF-8', lang: 'ja', replays: 'リプレイ', ended: 'quarvex は終了しました。' },
    { browser: 'en-US', desktop: 'en_US.UTF-8', lang: 'en', replays: 'Replays', ended: 'quarvex has ended.' },
    { browser: 'de-DE', desktop: 'de_DE.UTF-8', lang: 'de', replays: 'Wiederholungen', ended: 'quarvex wurde beendet.' },
  ];
  for (const c of cases) {
    test(`a browser in ${c.browser} shows the desktop's ${c.desktop} title menu and words`, () => withTempDir(`lang-${c.lang}`, async (dir) => {
      const { shot, words } = await titleInBrowser(c.browser, dir);
      assert.equal(words.languages[0], c.browser);
      assert.equal(words.lang, c.lang);
      assert.equal(words.replays, c.replays);
      assert.equal(words.ended, c.ended);
      await desktop(['--stage', '1', '--side', '0', '--frames', '8', '--scale', '1', '--screenshot',
        '6:desktop.png'], dir, { LANG: c.desktop });
      const browser = await launchBrowser();
      try {
        const same = await comparePictures(browser, shot, join(dir, 'desktop.png'), kChannelSlack);
        assert.ok(same.over <= kMaxPixelShare,
          `${(same.over * 100).toFixed(3)} % of pixels differ from the desktop's ${c.desktop} title menu`);
        // A title menu in another language would not pass for this one.
        await desktop(['--stage', '1', '--side', '0', '--frames', '8', '--scale', '1', '--screenshot',
          '6:other.png'], dir, { LANG: c.lang === 'ja' ? 'en_US.UTF-8' : 'ja_JP.UTF-8' });
        const other = await comparePictures(browser, shot, join(dir, 'other.png'), kChannelSlack);
        assert.ok(other.over > kMaxPixelShare, 'the title menus of two languages look the same');
      } finally {
        await browser.close();
      }
      keep(shot, `title-${c.lang}-chromium.png`);
      keep(join(dir, 'desktop.png'), `title-${c.lang}-desktop.png`);
    }));
  }

  test('the language chosen in the game switches the page at once and is kept', () => withTempDir('switch', async (dir) => {
    const browser = await launchBrowser('ja');
    try {
      const { page, log } = await openPage(browser, `${url}?stage=1&side=0`, dir);
      await waitForFrames(page, 10);
      const replaysWord = () => page.$eval('#replays-button', (b) => b.textContent);
      assert.equal(await replaysWord(), 'リプレイ');
      // Down to the side row (the World's), then down through the title
      // menu's entries to the last, Language (down on the last stays there).
      await press(page, 'ArrowDown');
      await waitForFrames(page, 20);
      for (let i = 0; i < 5; ++i) await press(page, 'ArrowDown');
      // Right: the next language after Japanese, round to English.
      await press(page, 'ArrowRight');
      await page.waitForFunction(() => document.documentElement.lang === 'en', { polling: 50, timeout: 5000 });
      assert.equal(await replaysWord(), 'Replays');
      if (shotsDir) await page.screenshot({ path: join(shotsDir, 'switched-page.png') });
      await page.waitForFunction(() => quarvexPage.storage === 'idle', { polling: 50 });
      const settings = await page.evaluate(() => FS.readFile('/home/web_user/.config/quarvex/settings.toml',
        { encoding: 'utf8' }));
      assert.match(settings, /^language = "en"$/m);
      assert.deepEqual(log.errors, []);

      // After a reload the browser is still Japanese, the page English.
      await page.reload({ waitUntil: 'load' });
      await waitForFrames(page, 5);
      await page.waitForFunction(() => document.documentElement.lang === 'en', { polling: 50, timeout: 5000 });
      assert.equal(await replaysWord(), 'Replays');
      await page.close();
    } finally {
      await browser.close();
    }
  }));
});
