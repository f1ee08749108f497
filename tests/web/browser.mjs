// Headless Chromium for the tests and the benchmark: Debian's chromium with WebGL 2 on
// SwiftShader, a fresh profile, and everything that would reach the network turned off.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

export const ChromiumPath = process.env.PARTICLES_CHROMIUM || '/usr/bin/chromium';

// `extra` adds switches (a test takes WebGL 2 away with --disable-webgl2).
export async function launch(extra = []) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'particles-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: ChromiumPath,
    headless: true,
    viewport: { width: 1200, height: 900 },
    args: [
      '--use-angle=swiftshader',
      '--enable-unsafe-swiftshader',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--disable-quic',
      ...extra,
    ],
  });
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}

// A new page whose console lines are collected in `lines`.
export async function openPage(context, url) {
  const page = await context.newPage();
  const lines = [];
  page.on('console', (message) => lines.push(message.text()));
  page.on('pageerror', (error) => lines.push('page error: ' + error.message));
  await page.goto(url);
  return { page, lines };
}
