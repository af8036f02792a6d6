// The browser part of bench/web_figures.sh: time to the first frame from a
// warm local server, and frames per second of the crowded stage, unpaced.

import { join } from 'node:path';

import {
  crowdedDataFolder, launchBrowser, openPage, removeDir, startServer, tempDir, waitForFrames,
} from '../tests/web/harness.mjs';

const served = tempDir('figures');
const downloads = tempDir('figures-downloads');
crowdedDataFolder(join(served, 'crowded'));

const { server, url } = await startServer(served);
const browser = await launchBrowser();
try {
  // Time to the first frame, three loads: the first fills the browser's
  // cache, the others show a return visit to a warm local server.
  const times = [];
  for (let i = 0; i < 3; ++i) {
    const { page } = await openPage(browser, `${url}?frames=2`, downloads);
    await waitForFrames(page, 1);
    times.push(await page.evaluate(() => quarvexPage.firstFrameMs));
    await page.close();
  }
  console.log(`first frame after ${times.map((t) => t.toFixed(0)).join(', ')} ms ` +
    '(navigation start to the end of frame 1; the first load fills the cache)');

  const { page } = await openPage(browser, `${url}?data=crowded&start&seed=5&unpaced`, downloads);
  await waitForFrames(page, 100);
  const sample = () => page.evaluate(() => [quarvexPage.frames, performance.now()]);
  const [f0, t0] = await sample();
  await new Promise((resolve) => setTimeout(resolve, 10000));
  const [f1, t1] = await sample();
  console.log(`crowded stage, unpaced, frames ${f0}..${f1}: ${((f1 - f0) * 1000 / (t1 - t0)).toFixed(1)} frames/s`);
  await page.close();
} finally {
  await browser.close();
  server.close();
  removeDir(served);
  removeDir(downloads);
}
