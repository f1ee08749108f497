// The browsers of the tests and the benchmark, headless, driven by puppeteer-core: Debian's
// chromium over the DevTools protocol, with WebGL 2 on SwiftShader, and Debian's firefox-esr over
// WebDriver BiDi, with WebGL 2 on Mesa through EGL (which it needs without a display). Each gets a
// fresh profile, and everything that would reach the network is turned off.
//
// PARTICLES_BROWSERS picks them (a comma-separated list; default "chromium,firefox");
// PARTICLES_CHROMIUM and PARTICLES_FIREFOX name their executables.
import puppeteer from 'puppeteer-core';

export const Browsers = (process.env.PARTICLES_BROWSERS || 'chromium,firefox').split(',').filter(Boolean);
const Paths = {
  chromium: process.env.PARTICLES_CHROMIUM || '/usr/bin/chromium',
  firefox: process.env.PARTICLES_FIREFOX || '/usr/bin/firefox-esr',
};

export const DefaultViewport = { width: 1200, height: 900 };

// `noWebGL2` takes WebGL 2 away, as a browser's settings can.
export async function launch(name, { noWebGL2 = false } = {}) {
  if (!Paths[name]) throw new Error(`no browser called ${name} (chromium or firefox)`);
  const common = { executablePath: Paths[name], headless: true, defaultViewport: DefaultViewport };
  const browser = name === 'firefox'
    ? await puppeteer.launch({
      ...common,
      browser: 'firefox',
      env: { ...process.env, MOZ_WEBGL_FORCE_EGL: '1' },
      extraPrefsFirefox: {
        'webgl.force-enabled': true,
        'webgl.enable-webgl2': !noWebGL2,
        'network.captive-portal-service.enabled': false,
        'network.connectivity-service.enabled': false,
        'browser.safebrowsing.update.enabled': false,
      },
    })
    : await puppeteer.launch({
      ...common,
      args: [
        '--use-angle=swiftshader',
        '--enable-unsafe-swiftshader',
        '--no-first-run',
        '--disable-background-networking',
        '--disable-component-update',
        '--disable-sync',
        '--disable-quic',
        ...(process.getuid && process.getuid() === 0 ? ['--no-sandbox'] : []),
        ...(noWebGL2 ? ['--disable-webgl2'] : []),
      ],
    });
  return { browser, name, close: () => browser.close() };
}

// A new page whose console lines are collected in `lines`, at `viewport` (puppeteer's viewport:
// width, height, deviceScaleFactor, isMobile, hasTouch).
export async function openPage(browser, url, viewport = DefaultViewport) {
  const page = await browser.newPage();
  const lines = [];
  page.on('console', (message) => lines.push(message.text()));
  page.on('pageerror', (error) => lines.push('page error: ' + error.message));
  await page.setViewport(viewport);
  await page.goto(url);
  return { page, lines };
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
