// The page in headless Chromium: what it draws, its keys, its end, a missing sprite and the
// replay's frame against the native golden frame.
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

import { launch, openPage } from './browser.mjs';
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
  const png = await page.locator('#canvas').screenshot();
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
  }, png.toString('base64'));
  const pixels = Buffer.from(rgba, 'base64');
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0, j = 0; i < pixels.length; i += 4, j += 3) {
    rgb[j] = pixels[i];
    rgb[j + 1] = pixels[i + 1];
    rgb[j + 2] = pixels[i + 2];
  }
  fs.writeFileSync(file, Buffer.concat([Buffer.from(`P6\n${width} ${height}\n255\n`), rgb]));
}

async function waitForLine(lines, wanted) {
  const start = Date.now();
  while (!lines.includes(wanted)) {
    if (Date.now() - start > Patience.timeout) {
      assert.fail(`no console line "${wanted}"; the console had:\n${lines.join('\n')}`);
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

async function waitForFrames(page, count) {
  await page.waitForFunction((n) => Module.frames >= n, count, Patience);
}

// The message box on the page: its caption and text; then OK is pressed.
async function confirmBox(page) {
  const box = page.locator('.box');
  await box.waitFor(Patience);
  const element = await box.elementHandle();
  const shown = { caption: await box.locator('h2').textContent(), text: await box.locator('p').textContent() };
  await box.locator('button').click();
  // The next box may be there at once: this one must have gone.
  await page.waitForFunction((e) => !e.isConnected, element, Patience);
  return shown;
}

let browser;
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
      '/no-program/': build,
    },
    missing: ['/no-data/particles.data', '/no-program/particles.js'],
  }));
  browser = await launch();
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

describe('OpenGL on WebGL 2', () => {
  test('passes its checks in a real context (tests/web/GLChecks.cpp)', async () => {
    const { page, lines } = await openPage(browser.context, url + 'tests/web/gl-checks.html');
    const start = Date.now();
    while (!lines.some((l) => l.startsWith('gl-checks: '))) {
      assert.ok(Date.now() - start < Patience.timeout, `no result; the console had:\n${lines.join('\n')}`);
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    const failures = lines.filter((l) => l.startsWith('FAIL'));
    assert.deepEqual(failures, [], lines.join('\n'));
    assert.match(lines.find((l) => l.startsWith('gl-checks: ')), /^gl-checks: \d+ passed, 0 failed$/);
    await page.close();
  });
});

describe('a browser without WebGL 2', () => {
  test('shows that no rendering context can be made, and ends with 0', async () => {
    const plain = await launch(['--disable-webgl2']);
    try {
      const { page, lines } = await openPage(plain.context, url);
      assert.deepEqual(await confirmBox(page),
                       { caption: 'Error', text: 'Unable to create an OpenGL rendering context' });
      await waitForLine(lines, 'particles: exit code 0');
    } finally {
      await plain.close();
    }
  });
});

describe('the page', () => {
  test('draws the flame right of the centre and the spray left of it, and Escape ends it with 0', async () => {
    const { page, lines } = await openPage(browser.context, url);
    await waitForFrames(page, 90);
    const picture = path.join(scratch, 'page.ppm');
    await canvasPicture(page, picture);
    try {
      execFileSync(checkScreenshot(), [picture, 'right'], { encoding: 'utf8' });
    } catch (error) {
      fs.copyFileSync(picture, path.join(os.tmpdir(), 'particles-web-failed.ppm'));
      assert.fail(`the picture does not pass (kept as particles-web-failed.ppm):\n${error.stdout}`);
    }
    // No message box at the start: the full-screen switch succeeds on the page.
    assert.equal(await page.locator('.box').count(), 0);
    assert.deepEqual(lines.filter((l) => l.includes(': ') && !l.startsWith('particles')), []);

    await page.keyboard.press('Escape');
    await waitForLine(lines, 'particles: exit code 0');
    assert.match(await page.locator('#status').textContent(), /exit code 0/);
    // Nothing runs after the end: the frame count stands still.
    const frames = await page.evaluate(() => Module.frames);
    await page.waitForTimeout(300);
    assert.equal(await page.evaluate(() => Module.frames), frames);
    await page.close();
  });

  test('keys other than Escape go to the program without ending it', async () => {
    const { page, lines } = await openPage(browser.context, url);
    await waitForFrames(page, 10);
    await page.keyboard.press('A');
    await page.keyboard.press('Space');
    const frames = await page.evaluate(() => Module.frames);
    await waitForFrames(page, frames + 10);
    assert.equal(lines.filter((l) => l.startsWith('particles: exit code')).length, 0);
    await page.keyboard.down('Escape');
    await waitForLine(lines, 'particles: exit code 0');
    await page.close();
  });

  test('without particle.bmp shows the loader\'s two messages, then ends with 1', async () => {
    const { page, lines } = await openPage(browser.context, url + 'missing-sprite/');
    const first = await confirmBox(page);
    assert.deepEqual(first, { caption: 'BMP Unit', text: 'Error opening "DATA\\Textures\\particle.bmp' });
    // Modal: the program waits for the box, and nothing has ended yet.
    assert.equal(lines.filter((l) => l.startsWith('particles: exit code')).length, 0);
    const second = await confirmBox(page);
    assert.deepEqual(second, { caption: 'Loading Textures', text: 'Unable to load DATA\\Textures\\particle.bmp' });
    await waitForLine(lines, 'particles: exit code 1');
    assert.deepEqual(lines.filter((l) => !l.startsWith('particles')), [
      'BMP Unit: Error opening "DATA\\Textures\\particle.bmp',
      'Loading Textures: Unable to load DATA\\Textures\\particle.bmp',
    ]);
    assert.match(await page.locator('#status').textContent(), /exit code 1/);
    await page.close();
  });

  test('says so when its sprites or its program cannot be loaded', async () => {
    for (const [where, what] of [['no-data/', 'particles.data'], ['no-program/', 'particles.js']]) {
      const { page, lines } = await openPage(browser.context, url + where);
      await page.waitForFunction(() => /could not load/.test(document.getElementById('status').textContent),
                                 null, Patience);
      assert.match(await page.locator('#status').textContent(), new RegExp(what.replace('.', '\\.')));
      assert.ok(lines.some((l) => l.startsWith('particles: the page could not load')), lines.join('\n'));
      await page.close();
    }
  });

  test('replays frame 60 of seed 7 at 33 ms as the native golden frame', async () => {
    const { page, lines } = await openPage(browser.context, url + '?seed=7&step-ms=33&frame=60');
    await page.waitForFunction(() => Module.replayFrame, null, Patience);
    const d = await compareWithGolden(page, url + Golden, ChannelTolerance);
    assert.ok(d.lit > 1000, `the frame shows the scene (${d.lit} lit pixels)`);
    assert.ok(d.pixels <= PixelTolerance,
              `${d.pixels} pixels differ by more than ${ChannelTolerance} levels (largest ${d.largest})`);
    await page.keyboard.press('Escape');
    await waitForLine(lines, 'particles: exit code 0');
    await page.close();
  });

  test('the golden comparison tells another seed apart', async () => {
    const { page } = await openPage(browser.context, url + '?seed=8&step-ms=33&frame=60');
    await page.waitForFunction(() => Module.replayFrame, null, Patience);
    const d = await compareWithGolden(page, url + Golden, ChannelTolerance);
    assert.ok(d.pixels > 10 * PixelTolerance, `only ${d.pixels} pixels differ`);
    await page.close();
  });

  test('a replay with parameters that are not whole numbers is no replay', async () => {
    const { page, lines } = await openPage(browser.context, url + '?seed=7&step-ms=-3&frame=60');
    await waitForFrames(page, 70);
    assert.ok(lines.includes('particles: replay ignored: seed, step-ms and frame are whole numbers'));
    assert.equal(await page.evaluate(() => Module.replayFrame), undefined);
    await page.close();
  });
});
