// The game's page in Debian's headless Chromium (software WebGL 2 through
// SwiftShader), compared with the desktop program built from the same
// sources. Run by scripts/web-test.sh once the page is built.

import assert from 'node:assert/strict';
import { copyFileSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';

import {
  comparePictures, crowdedDataFolder, crowdedStage, desktop, frames, launchBrowser, openPage, press, removeDir, shotsDir,
  startServer, tempDir, waitForDownload, withTempDir, waitForFrames, waitForLine, waitForState,
} from './harness.mjs';

// SwiftShader and Mesa's llvmpipe rasterise the same triangles slightly
// differently: which pixel centres a sloping sprite edge covers, and where a
// texture coordinate interpolated across a rotated quad lands between two
// texels under nearest sampling. Such a pixel takes its neighbour's colour,
// so its difference can be large, but the pixels are few and lie along
// edges; flat areas, the text and the blending agree to within a step of
// rounding. Measured: the title menu 0 % of pixels off by more than 8, the
// stage frame at a base 0.26 % (mean difference 0.16; 0.15 % before stage 1's
// retune and the game's own trigonometry changed that frame, which is the same
// from run to run on both sides). A picture matches when at most
// 0.3 % of its pixels (920) differ by more than 8 in a channel and the mean
// difference is below 0.3: a sprite of 32×32 pixels missing or drawn in the
// wrong layer, the wrong scale, or boxes in place of text exceed that.
const kChannelSlack = 8;
const kMaxPixelShare = 0.003;
const kMaxMeanDifference = 0.3;

// A recorded battle on the crowded stage: 24,000 frames of play as side 1,
// with the seed the recording carries.
const kRecordedKeys = join(crowdedStage, 'keys.txt');
const kBattleFrames = 24000;

let browser;
let served;
let server;
let url;

function keep(file, name) {
  if (shotsDir) copyFileSync(file, join(shotsDir, name));
}

async function expectSamePicture(webFile, desktopFile) {
  const result = await comparePictures(browser, webFile, desktopFile, kChannelSlack);
  assert.deepEqual(result.sizes[0], [640, 480]);
  assert.deepEqual(result.sizes[1], [640, 480]);
  assert.ok(result.over <= kMaxPixelShare && result.mean <= kMaxMeanDifference,
    `the page's picture differs from the desktop's: ${(result.over * 100).toFixed(3)} % of ` +
    `pixels by more than ${kChannelSlack}, mean difference ${result.mean.toFixed(3)}`);
  return result;
}

// The page runs `query` until its frame limit and offers the screenshot of
// frame `shot`; the desktop does the same with the same options.
function pictureOfBothAt(query, args, shot, name) {
  return withTempDir(name, async (dir) => {
    const { page, log } = await openPage(browser, `${url}?${query}&screenshot=${shot}:${name}.png`, dir);
    await waitForState(page, 'ended');
    const web = await waitForDownload(dir, new RegExp(`^${name}\\.png$`));
    assert.deepEqual(log.errors, []);
    await desktop([...args, '--scale', '1', '--screenshot', `${shot}:desktop.png`], dir);
    const result = await expectSamePicture(web, join(dir, 'desktop.png'));
    keep(web, `${name}-chromium.png`);
    keep(join(dir, 'desktop.png'), `${name}-desktop.png`);
    await page.close();
    return result;
  });
}

describe('the game in a browser page', () => {
  before(async () => {
    served = tempDir('served');
    copyFileSync(kRecordedKeys, join(served, 'battle.txt'));
    writeFileSync(join(served, 'base.txt'), '2-61 kp4 kp5 tab\n');
    crowdedDataFolder(join(served, 'crowded'));
    ({ server, url } = await startServer(served));
    browser = await launchBrowser();
  });

  after(async () => {
    await browser?.close();
    server?.close();
    removeDir(served);
  });

  test('the title menu loads with no error and looks as on the desktop', async () => {
    const result = await pictureOfBothAt('stage=3&side=2&frames=3', ['--stage', '3', '--side', '2',
      '--frames', '3'], 3, 'title');
    console.log(`title menu: ${(result.over * 100).toFixed(3)} % of pixels over, mean ${result.mean.toFixed(3)}`);
  });

  test('a stage frame looks as on the desktop', async () => {
    // The cursor runs to the south-west base: buildings, vehicles, infantry
    // and their markers, at several headings.
    const result = await pictureOfBothAt('stage=1&side=0&start&seed=5&frames=150&unpaced&input=base.txt',
      ['--stage', '1', '--side', '0', '--start', '--seed', '5', '--frames', '150', '--unpaced',
        '--input', join(served, 'base.txt')], 150, 'stage');
    console.log(`stage frame: ${(result.over * 100).toFixed(3)} % of pixels over, mean ${result.mean.toFixed(3)}`);
  });

  test('a recorded battle in the query string gives the desktop headless hash', () => withTempDir('hash', async (dir) => {
    const query = `data=crowded&side=1&start&headless&frames=${kBattleFrames}&input=battle.txt&hash`;
    const { page, log } = await openPage(browser, `${url}?${query}`, dir);
    await waitForLine(log, 'hash: ', 600000);
    const { stdout } = await desktop(['--data', crowdedStage, '--headless', '--side', '1',
      '--start', '--frames', String(kBattleFrames), '--input', kRecordedKeys, '--hash'], dir);
    // The same message lines at the same frames, then the same hash.
    assert.deepEqual(log.lines, stdout.trimEnd().split('\n'));
    assert.deepEqual(log.errors, []);
    await page.close();
  }));

  test('keys pressed in the page move the cursor and select a unit, as the desktop replays them', () => withTempDir('keys', async (dir) => {
    const { page, log } = await openPage(browser,
      `${url}?stage=1&side=0&start&seed=3&frames=200&record=rec.txt&dump=world.json`, dir);
    await waitForFrames(page, 30);
    // The keypad's own codes, as a browser reports them with NumLock on or off.
    await press(page, 'Numpad6', 600);
    await press(page, 'Numpad8', 300);
    await press(page, 'Space');
    assert.ok(await frames(page) < 200, 'the keys came too late to be seen');
    await waitForState(page, 'ended');
    const record = readFileSync(await waitForDownload(dir, /^rec\.txt$/), 'utf8');
    const web = JSON.parse(readFileSync(await waitForDownload(dir, /^world\.json$/)));
    const keyFrames = (key) => record.split('\n').filter((l) => new RegExp(`^\\d.* ${key}\\b`).test(l));
    assert.ok(keyFrames('kp6').length > 0 && keyFrames('kp8').length > 0 && keyFrames('space').length > 0,
      record);
    assert.match(record, /^seed 3$/m);
    assert.notEqual(web.world.selected_unit, 0);
    assert.equal(web.world.command_mode, 1, 'Space opens the order menu');

    // The desktop replays the recording to the same World (the wall clock's
    // fields aside), and shows the cursor moved up and right before Space.
    await desktop(['--headless', '--stage', '1', '--side', '0', '--start', '--frames', '200',
      '--input', 'rec.txt', '--dump', 'replay.json'], dir);
    const replay = JSON.parse(readFileSync(join(dir, 'replay.json')));
    for (const clock of ['frames_this_second', 'frames_last_second', 'last_second', 'last_frame_ms']) {
      delete web.world[clock];
      delete replay.world[clock];
    }
    assert.deepEqual(web, replay);
    const beforeSpace = Number(keyFrames('space')[0].match(/^\d+/)[0]) - 1;
    await desktop(['--headless', '--stage', '1', '--side', '0', '--start', '--frames',
      String(beforeSpace), '--input', 'rec.txt', '--dump', 'moved.json'], dir);
    const moved = JSON.parse(readFileSync(join(dir, 'moved.json'))).world;
    assert.ok(moved.cursor_x > 10 && moved.cursor_y > 5, `cursor at ${moved.cursor_x}, ${moved.cursor_y}`);
    assert.deepEqual(log.errors, []);
    await page.close();
  }));

  test('a message box is drawn in the page, holds the frames, and Space closes it', () => withTempDir('box', async (dir) => {
    const { page, log } = await openPage(browser, `${url}?stage=2&side=3&start&seed=9`, dir);
    await waitForFrames(page, 20);
    // 0 shows the information box.
    await press(page, 'Numpad0');
    await waitForState(page, 'message', 5000);
    const held = await frames(page);
    await new Promise((resolve) => setTimeout(resolve, 500));
    assert.equal(await frames(page), held, 'frames ran while the box was shown');
    if (shotsDir) await page.screenshot({ path: join(shotsDir, 'message-box-page.png') });
    await press(page, 'Space');
    await waitForFrames(page, held + 10, 5000);
    // F12 offers the picture as a download.
    await press(page, 'F12');
    const shot = await waitForDownload(dir, /^quarvex-\d{8}-\d{6}\.png$/);
    assert.ok(readFileSync(shot).subarray(1, 4).toString() === 'PNG');
    assert.deepEqual(log.errors, []);
    await page.close();
  }));

  test('frames follow the 30 ms rule, stop in a hidden tab and go on when it shows', () => withTempDir('hidden', async (dir) => {
    const { page, log } = await openPage(browser, `${url}?stage=1&start&seed=2`, dir);
    await waitForFrames(page, 10);
    const sample = () => page.evaluate(() => [quarvexPage.frames, performance.now()]);
    const [f0, t0] = await sample();
    await new Promise((resolve) => setTimeout(resolve, 1500));
    const [f1, t1] = await sample();
    // One frame per 30 ms at most (give or take the frame at each end of the
    // window); a busy machine runs fewer.
    const ran = f1 - f0;
    assert.ok(ran <= Math.floor((t1 - t0) / 30) + 2 && ran >= 10, `${ran} frames in ${(t1 - t0).toFixed(0)} ms`);
    const setHidden = (hidden) => page.evaluate((h) => {
      Object.defineProperty(document, 'hidden', { value: h, configurable: true });
      Object.defineProperty(document, 'visibilityState',
        { value: h ? 'hidden' : 'visible', configurable: true });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    await setHidden(true);
    await new Promise((resolve) => setTimeout(resolve, 200));
    const hiddenAt = await frames(page);
    await new Promise((resolve) => setTimeout(resolve, 800));
    assert.equal(await frames(page), hiddenAt, 'frames ran in a hidden tab');
    await setHidden(false);
    await waitForFrames(page, hiddenAt + 5, 5000);
    assert.deepEqual(log.errors, []);
    await page.close();
  }));

  test('the picture fills the page at a whole scale', () => withTempDir('scale', async (dir) => {
    const { page } = await openPage(browser, `${url}?frames=5`, dir, { width: 1400, height: 1000 });
    await waitForState(page, 'ended');
    const size = await page.evaluate(() => {
      const canvas = document.getElementById('canvas');
      return [canvas.width, canvas.height];
    });
    assert.deepEqual(size, [1400, 1000]);
    // Scale 2: 1280×960 in the middle, black bars of 60 and 20 pixels.
    const png = await page.screenshot({ clip: { x: 0, y: 0, width: 1400, height: 1000 } });
    const probe = await page.evaluate(async (base64) => {
      const image = await createImageBitmap(await (await fetch(`data:image/png;base64,${base64}`)).blob());
      const c = new OffscreenCanvas(image.width, image.height).getContext('2d');
      c.drawImage(image, 0, 0);
      const at = (x, y) => Array.from(c.getImageData(x, y, 1, 1).data.slice(0, 3));
      return { bar: at(30, 500), inside: at(700, 500) };
    }, png.toString('base64'));
    assert.deepEqual(probe.bar, [0, 0, 0]);
    assert.notDeepEqual(probe.inside, [0, 0, 0]);
    await page.close();
  }));

  test('a bad query is reported on the page and nothing runs', () => withTempDir('bad', async (dir) => {
    const { page, log } = await openPage(browser, `${url}?stage=9`, dir);
    await waitForState(page, 'ended', 20000);
    const status = await page.$eval('#status', (e) => e.textContent);
    assert.match(status, /--stage: '9' is outside 1\.\.3/);
    assert.equal(await frames(page), 0);
    assert.ok(log.errors.some((e) => e.includes("'9' is outside")));
    await page.close();
  }));
});
