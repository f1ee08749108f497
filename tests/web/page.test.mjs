// The page in headless Chromium and Firefox (browser.mjs): what it draws, its keys, its end, a
// missing sprite or data package, the replay's frame against the native golden frame; the picture
// in a phone's, a small and a large viewport; a lost WebGL context; a hidden page; a browser
// without WebGL 2.
//
//   node --test tests/web/        with the page built (cmake --preset web && cmake --build
//                                 --preset web) and `npm ci` run in tests/web
// PARTICLES_WEB_BUILD names the page's folder (build/web); PARTICLES_CHECK_SCREENSHOT the native
// screenshot check (tests/e2e/CheckScreenshot.cpp), which judges the page's picture with the same
// colours as the native runs; without it the test builds it with g++.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { Browsers, launch, openPage, sleep } from './browser.mjs';
import { compareWithGolden } from './compare.mjs';
import { serve } from './serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const source = path.resolve(here, '..', '..');
const build = process.env.PARTICLES_WEB_BUILD || path.join(source, 'build', 'web');
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'particles-web-'));

// The golden frame's tolerance: a pixel differs when a colour channel is more than 32 levels off;
// at most 12 pixels may differ. The same as the native golden test's: SwiftShader draws this frame
// with 11 pixels more than 8 levels off and 2 more than 16 (the origin marker), where
// a frame of another seed has thousands.
const ChannelTolerance = 32;
const PixelTolerance = 12;
const Golden = 'golden/golden-seed7-step33-frame60.png';

// Frames are counted by the page; a second at SwiftShader's pace is some 30 to 60 of them.
const Patience = { timeout: 60000 };
// How long the hidden page stays hidden (PARTICLES_HIDDEN_MS: 60000 for the full minute).
const HiddenMs = Number(process.env.PARTICLES_HIDDEN_MS || 3000);

function checkScreenshot() {
  const given = process.env.PARTICLES_CHECK_SCREENSHOT;
  if (given && fs.existsSync(given)) return given;
  const binary = path.join(scratch, 'check-screenshot');
  execFileSync('g++', ['-std=c++17', '-O1', '-o', binary,
                       path.join(source, 'tests', 'e2e', 'CheckScreenshot.cpp')]);
  return binary;
}

// The canvas as the page shows it, as a binary PPM file.
async function canvasPicture(page, file) {
  const png = await (await page.$('#canvas')).screenshot({ encoding: 'base64' });
  const { width, height, rgba } = await page.evaluate(async (base64) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const image = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const data = context.getImageData(0, 0, image.width, image.height).data;
    let binary = '';
    for (let i = 0; i < data.length; i += 0x8000) {
      binary += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    }
    return { width: image.width, height: image.height, rgba: btoa(binary) };
  }, png);
  const pixels = Buffer.from(rgba, 'base64');
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0, j = 0; i < pixels.length; i += 4, j += 3) {
    rgb[j] = pixels[i];
    rgb[j + 1] = pixels[i + 1];
    rgb[j + 2] = pixels[i + 2];
  }
  fs.writeFileSync(file, Buffer.concat([Buffer.from(`P6\n${width} ${height}\n255\n`), rgb]));
}

// The picture passes the native screenshot check: the flame right of the centre, the spray left.
async function checkPicture(page, name) {
  const picture = path.join(scratch, name + '.ppm');
  await canvasPicture(page, picture);
  try {
    execFileSync(checkScreenshot(), [picture, 'right'], { encoding: 'utf8' });
  } catch (error) {
    const kept = path.join(os.tmpdir(), `particles-web-failed-${name}.ppm`);
    fs.copyFileSync(picture, kept);
    assert.fail(`the picture does not pass (kept as ${kept}):\n${error.stdout}`);
  }
}

// The canvas lies wholly inside the viewport at 4:3 and fills its width or the height left by the
// status bar, which stays readable.
async function checkFit(page, viewport) {
  const m = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    const bar = document.querySelector('.bar').getBoundingClientRect();
    const font = parseFloat(getComputedStyle(document.getElementById('status')).fontSize);
    const view = document.documentElement;
    return { left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width,
             height: r.height, viewWidth: view.clientWidth, viewHeight: view.clientHeight,
             barTop: bar.top, barBottom: bar.bottom, font };
  });
  const shown = JSON.stringify(m);
  // The layout width is the device's (the page has a meta viewport), not a desktop's.
  assert.equal(m.viewWidth, viewport.width, shown);
  assert.ok(m.left >= -0.5 && m.top >= -0.5 && m.right <= m.viewWidth + 0.5 &&
            m.bottom <= m.barTop + 0.5, `the canvas is wholly inside: ${shown}`);
  assert.ok(Math.abs(m.width / m.height - 4 / 3) < 0.01, `4:3: ${shown}`);
  assert.ok(Math.abs(m.width - m.viewWidth) <= 1 || Math.abs(m.height - m.barTop) <= 1,
            `the canvas fills the width or the height left by the status bar: ${shown}`);
  assert.ok(m.barBottom <= m.viewHeight + 0.5 && m.font >= 14, `the status line is readable: ${shown}`);
}

async function waitForLine(lines, wanted) {
  const start = Date.now();
  while (!lines.includes(wanted)) {
    if (Date.now() - start > Patience.timeout) {
      assert.fail(`no console line "${wanted}"; the console had:\n${lines.join('\n')}`);
    }
    await sleep(100);
  }
}

const text = (page, selector) => page.$eval(selector, (e) => e.textContent);
const ended = (lines) => lines.filter((l) => l.startsWith('particles: exit code'));

async function waitForFrames(page, count) {
  await page.waitForFunction((n) => Module.frames >= n, { ...Patience, polling: 50 }, count);
}

async function waitForText(page, selector, pattern) {
  await page.waitForFunction((s, p) => new RegExp(p).test(document.querySelector(s).textContent),
                             { ...Patience, polling: 50 }, selector, pattern.source);
}

// The message box on the page: its caption and text, and the status line meanwhile; then OK is
// pressed.
async function confirmBox(page) {
  const box = await page.waitForSelector('.box', Patience);
  const shown = { caption: await text(page, '.box h2'), text: await text(page, '.box p') };
  assert.match(await text(page, '#status'), /waits for you to close its message box/);
  await page.click('.box button');
  // The next box may be there at once: this one must have gone.
  await page.waitForFunction((e) => !e.isConnected, { ...Patience, polling: 50 }, box);
  return shown;
}

let server;
let url;

before(async () => {
  assert.ok(fs.existsSync(path.join(build, 'particles.wasm')),
            `no page in ${build}: cmake --preset web && cmake --build --preset web`);
  ({ server, url } = await serve(build, {
    overlays: {
      '/missing-sprite/': path.join(build, 'variants', 'missing-sprite'),
      '/golden/': path.join(source, 'tests', 'capture'),
      '/no-data/': build,
      '/no-data-fetch/': path.join(here, 'fetch-package'),
      '/no-program/': build,
    },
    missing: ['/no-data/particles.data', '/no-data-fetch/particles.data', '/no-program/particles.js'],
  }));
});

after(() => {
  if (server) server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

for (const name of Browsers) describe(name, () => {
  let browser;
  before(async () => {
    browser = await launch(name);
  });
  after(async () => {
    if (browser) await browser.close();
  });
  const open = (where, viewport) => openPage(browser.browser, url + where, viewport);

  test('OpenGL on WebGL 2 passes its checks in a real context (tests/web/GLChecks.cpp)', async () => {
    const { page, lines } = await open('tests/web/gl-checks.html');
    const start = Date.now();
    while (!lines.some((l) => l.startsWith('gl-checks: '))) {
      assert.ok(Date.now() - start < Patience.timeout, `no result; the console had:\n${lines.join('\n')}`);
      await sleep(100);
    }
    const failures = lines.filter((l) => l.startsWith('FAIL'));
    assert.deepEqual(failures, [], lines.join('\n'));
    assert.match(lines.find((l) => l.startsWith('gl-checks: ')), /^gl-checks: \d+ passed, 0 failed$/);
    await page.close();
  });

  test('without WebGL 2 says so in plain words beside the program\'s message, and ends with 0', async () => {
    const plain = await launch(name, { noWebGL2: true });
    try {
      const { page, lines } = await openPage(plain.browser, url);
      assert.deepEqual(await confirmBox(page),
                       { caption: 'Error', text: 'Unable to create an OpenGL rendering context' });
      await waitForLine(lines, 'particles: exit code 0');
      assert.match(await text(page, '#notice'), /this browser, or its settings, gives the page no WebGL 2/i);
    } finally {
      await plain.close();
    }
  });

  test('draws the flame right of the centre and the spray left of it, and Escape ends it with 0', async () => {
    const { page, lines } = await open('');
    await waitForFrames(page, 90);
    await checkPicture(page, name + '-page');
    // No message box at the start: the full-screen switch succeeds on the page.
    assert.equal(await page.$('.box'), null);
    assert.deepEqual(lines.filter((l) => l.includes(': ') && !l.startsWith('particles')), []);

    await page.keyboard.press('Escape');
    await waitForLine(lines, 'particles: exit code 0');
    assert.match(await text(page, '#status'), /exit code 0/);
    // Nothing runs after the end: the frame count stands still.
    const frames = await page.evaluate(() => Module.frames);
    await sleep(300);
    assert.equal(await page.evaluate(() => Module.frames), frames);
    await page.close();
  });

  test('keys other than Escape go to the program without ending it', async () => {
    const { page, lines } = await open('');
    await waitForFrames(page, 10);
    await page.keyboard.press('A');
    await page.keyboard.press('Space');
    const frames = await page.evaluate(() => Module.frames);
    await waitForFrames(page, frames + 10);
    assert.deepEqual(ended(lines), []);
    await page.keyboard.down('Escape');
    await waitForLine(lines, 'particles: exit code 0');
    await page.close();
  });

  // The picture fills the viewport at 4:3, wholly inside it, on a phone as on a large screen;
  // a phone turned to landscape follows.
  for (const viewport of [
    { width: 640, height: 480 },
    { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
    { width: 1920, height: 1080 },
  ]) {
    test(`fits a ${viewport.width} x ${viewport.height} viewport at 4:3, wholly inside`, async () => {
      const { page, lines } = await open('', viewport);
      await waitForFrames(page, 60);
      await checkFit(page, viewport);
      await checkPicture(page, `${name}-${viewport.width}x${viewport.height}`);
      if (viewport.isMobile) {
        const turned = { ...viewport, width: viewport.height, height: viewport.width };
        await page.setViewport(turned);
        await checkFit(page, turned);
      }
      await page.keyboard.press('Escape');
      await waitForLine(lines, 'particles: exit code 0');
      await page.close();
    });
  }

  test('a lost WebGL context is told, waited for, and rebuilt: the scene comes back', async () => {
    const { page, lines } = await open('');
    await waitForFrames(page, 30);
    await page.evaluate(() => {
      Module.loseContext = document.getElementById('canvas').getContext('webgl2')
          .getExtension('WEBGL_lose_context');
      Module.loseContext.loseContext();
    });
    await waitForText(page, '#status', /took the graphics context away/);
    // The program runs on meanwhile, drawing nothing; the page says when the wait is long.
    const frames = await page.evaluate(() => Module.frames);
    await waitForFrames(page, frames + 10);
    await waitForText(page, '#notice', /has not given the graphics context back/);
    await page.evaluate(() => Module.loseContext.restoreContext());
    await waitForText(page, '#status', /^Running/);
    assert.equal(await page.$eval('#notice', (e) => e.hidden), true);
    await waitForFrames(page, (await page.evaluate(() => Module.frames)) + 30);
    await checkPicture(page, name + '-restored');
    assert.deepEqual(ended(lines), []);
    assert.deepEqual(lines.filter((l) => /error|invalid/i.test(l)), []);
    await page.keyboard.press('Escape');
    await waitForLine(lines, 'particles: exit code 0');
    await page.close();
  });

  test('a hidden page runs no frames and its clock stands; it goes on at once when shown', async (t) => {
    const { page, lines } = await open('');
    await waitForFrames(page, 30);
    await page.evaluate(() => document.addEventListener('visibilitychange', () => {
      if (!document.hidden) window.shownAt = performance.now();
    }));
    const other = await browser.browser.newPage();
    await page.waitForFunction(() => document.hidden, { ...Patience, polling: 50 });
    await sleep(200); // a frame on its way may still land
    const before = await page.evaluate(() => [Module.frames, Module.frameTime]);
    await sleep(HiddenMs);
    assert.deepEqual(await page.evaluate(() => [Module.frames, Module.frameTime]), before,
                     'no frame while hidden');
    await page.bringToFront();
    await other.close();
    await page.waitForFunction((n) => Module.frames > n, { ...Patience, polling: 50 }, before[0]);
    const [delay, after] = await page.evaluate(() => [Module.frameAt - window.shownAt, Module.frameTime]);
    t.diagnostic(`hidden ${HiddenMs} ms; first frame ${delay.toFixed(0)} ms after the return; clock moved ${after - before[1]} ms`);
    assert.ok(delay < 1000, `the first frame came ${delay} ms after the page was shown`);
    // The clock went on from where it stood: the frame's ticks are one frame's, not the absence's.
    assert.ok(after - before[1] < 500,
              `the clock moved ${after - before[1]} ms across ${HiddenMs} ms of hiding`);
    assert.deepEqual(ended(lines), []);
    await page.keyboard.press('Escape');
    await waitForLine(lines, 'particles: exit code 0');
    await page.close();
  });

  test('offers full screen by its button, F and a double click, and leaves it as it says', async (t) => {
    const { page, lines } = await open('');
    await waitForFrames(page, 10);
    if (await page.$eval('#fullscreen', (e) => e.hidden)) {
      t.skip('this browser offers no full screen to the page');
      await page.close();
      return;
    }
    const full = (on) => page.waitForFunction((f) => !!document.fullscreenElement === f,
                                              { ...Patience, polling: 50 }, on);
    await page.click('#fullscreen');
    await full(true);
    assert.equal(await page.evaluate(() => document.fullscreenElement.id), 'fit');
    await page.keyboard.press('f');
    await full(false);
    await page.click('#canvas', { count: 2 });
    await full(true);
    await page.click('#canvas', { count: 2 });
    await full(false);
    assert.deepEqual(ended(lines), []);
    // Escape leaves full screen where the browser keeps it, and ends the program where the page
    // may have it (Keyboard Lock): as the hint says.
    await page.click('#fullscreen');
    await page.waitForFunction(() => document.getElementById('hint').dataset.escape,
                               { ...Patience, polling: 50 });
    const escape = await page.$eval('#hint', (e) => e.dataset.escape);
    assert.equal(await text(page, '#hint'), escape === 'ends'
      ? 'F or a double click leaves full screen; Escape ends the demo.'
      : 'F, a double click or Escape leaves full screen.');
    await page.keyboard.press('Escape');
    await full(false);
    if (escape === 'leaves') {
      assert.deepEqual(ended(lines), []);
      await page.keyboard.press('Escape');
    }
    await waitForLine(lines, 'particles: exit code 0');
    await page.close();
  });

  test('without particle.bmp shows the loader\'s two messages, then ends with 1', async () => {
    const { page, lines } = await open('missing-sprite/');
    const first = await confirmBox(page);
    assert.deepEqual(first, { caption: 'BMP Unit', text: 'Error opening "DATA\\Textures\\particle.bmp' });
    // Modal: the program waits for the box, and nothing has ended yet.
    assert.deepEqual(ended(lines), []);
    const second = await confirmBox(page);
    assert.deepEqual(second, { caption: 'Loading Textures', text: 'Unable to load DATA\\Textures\\particle.bmp' });
    await waitForLine(lines, 'particles: exit code 1');
    assert.deepEqual(lines.filter((l) => !l.startsWith('particles')), [
      'BMP Unit: Error opening "DATA\\Textures\\particle.bmp',
      'Loading Textures: Unable to load DATA\\Textures\\particle.bmp',
    ]);
    assert.match(await text(page, '#status'), /exit code 1/);
    await page.close();
  });

  // The data package's download fails as an error thrown from its handler (emscripten's older
  // packager) or as a rejected promise (newer ones, which use fetch: fetch-package/).
  test('says so when its sprites or its program cannot be loaded, however the failure comes', async () => {
    for (const [where, what] of [['no-data/', 'particles.data'], ['no-data-fetch/', 'particles.data'],
                                 ['no-program/', 'particles.js']]) {
      const { page, lines } = await open(where);
      await waitForText(page, '#status', /could not load/);
      assert.match(await text(page, '#status'), new RegExp('could not load ' + what.replace('.', '\\.')), where);
      assert.ok(lines.some((l) => l.startsWith('particles: the page could not load')), lines.join('\n'));
      await page.close();
    }
  });

  test('replays frame 60 of seed 7 at 33 ms as the native golden frame', async (t) => {
    const { page, lines } = await open('?seed=7&step-ms=33&frame=60');
    await page.waitForFunction(() => Module.replayFrame, Patience);
    const d = await compareWithGolden(page, url + Golden, ChannelTolerance);
    t.diagnostic(`${d.pixels} pixels differ by more than ${ChannelTolerance} levels (largest ${d.largest})`);
    assert.ok(d.lit > 1000, `the frame shows the scene (${d.lit} lit pixels)`);
    assert.ok(d.pixels <= PixelTolerance,
              `${d.pixels} pixels differ by more than ${ChannelTolerance} levels (largest ${d.largest})`);
    await page.keyboard.press('Escape');
    await waitForLine(lines, 'particles: exit code 0');
    await page.close();
  });

  test('the golden comparison tells another seed apart', async () => {
    const { page } = await open('?seed=8&step-ms=33&frame=60');
    await page.waitForFunction(() => Module.replayFrame, Patience);
    const d = await compareWithGolden(page, url + Golden, ChannelTolerance);
    assert.ok(d.pixels > 10 * PixelTolerance, `only ${d.pixels} pixels differ`);
    await page.close();
  });

  test('a replay with parameters that are not whole numbers is no replay', async () => {
    const { page, lines } = await open('?seed=7&step-ms=-3&frame=60');
    await waitForFrames(page, 70);
    assert.ok(lines.includes('particles: replay ignored: seed, step-ms and frame are whole numbers'));
    assert.equal(await page.evaluate(() => Module.replayFrame), undefined);
    await page.close();
  });
});
