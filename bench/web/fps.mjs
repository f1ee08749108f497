// The page's frame rate beside a bare WebGL loop on the same page, and the time from opening the
// page to its first frame, in headless Chromium and Firefox (tests/web/browser.mjs).
//
//   node bench/web/fps.mjs [SECONDS]     (bash bench/web/fps.sh builds the page and runs it)
//
// The page runs with ?bare-loop: the demo's canvas and, beside it, a second canvas cleared and
// presented on every animation frame. Both count their frames; after a warm-up of 3 s both counts
// are read at the start and the end of the measured SECONDS (default 10), in one run, so both
// rates see the same browser, machine and load. Then the page is opened three times more, alone,
// and its first frame's time since the navigation began is read (Module.firstFrameAt, set by the
// first SwapBuffers). Prints both rates, their ratio and the three first-frame times for each
// browser (PARTICLES_BROWSERS picks them), and the sizes of the page's files.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { Browsers, launch, openPage, sleep } from '../../tests/web/browser.mjs';
import { serve } from '../../tests/web/serve.mjs';

const source = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const build = process.env.PARTICLES_WEB_BUILD || path.join(source, 'build', 'web');
const seconds = Number(process.argv[2] || 10);
const wait = { timeout: 60000, polling: 50 };

const { server, url } = await serve(build);
try {
  for (const name of Browsers) {
    const browser = await launch(name);
    try {
      const { page } = await openPage(browser.browser, url + '?bare-loop');
      await page.waitForFunction(() => Module.frames > 0 && Module.bareFrames > 0, wait);
      await sleep(3000);
      const read = () => page.evaluate(() => [performance.now(), Module.frames, Module.bareFrames]);
      const [t0, page0, bare0] = await read();
      await sleep(seconds * 1000);
      const [t1, page1, bare1] = await read();
      await page.close();
      const elapsed = (t1 - t0) / 1000;
      const pageRate = (page1 - page0) / elapsed;
      const bareRate = (bare1 - bare0) / elapsed;
      const first = [];
      for (let i = 0; i < 3; ++i) {
        const { page: alone } = await openPage(browser.browser, url);
        await alone.waitForFunction(() => Module.firstFrameAt > 0, wait);
        first.push(await alone.evaluate(() => Module.firstFrameAt));
        await alone.close();
      }
      console.log(`${name} (${await browser.browser.version()}), measured ${elapsed.toFixed(1)} s after 3 s of warm-up`);
      console.log(`  page:        ${pageRate.toFixed(1)} frames/s (${page1 - page0} frames)`);
      console.log(`  bare loop:   ${bareRate.toFixed(1)} frames/s (${bare1 - bare0} frames)`);
      console.log(`  ratio:       ${((100 * pageRate) / bareRate).toFixed(1)} %`);
      console.log(`  first frame: ${first.map((ms) => ms.toFixed(0) + ' ms').join(', ')} after opening the page`);
    } finally {
      await browser.close();
    }
  }
  const size = (name) => fs.statSync(path.join(build, name)).size;
  const wasm = size('particles.wasm');
  const js = size('particles.js');
  console.log(`particles.wasm ${wasm} bytes, particles.js ${js} bytes, together ${((wasm + js) / 1024).toFixed(1)} KiB`);
  console.log(`(index.html ${size('index.html')} bytes, particles-data.js ${size('particles-data.js')} bytes, particles.data ${size('particles.data')} bytes)`);
} finally {
  server.close();
}
