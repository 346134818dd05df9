// The web build in headless Chromium and Firefox ESR, served from its build folder on 127.0.0.1:
// the first page against the page worked out from the drawing rules (with the Linux build's label
// cells), page turns by click, tap, Tab and space, every canvas pixel one device pixel at whole and
// fractional ratios, narrow viewports that scroll to the whole window, the sentences that stand
// in for the program where it cannot run, and a page that asks for nothing outside its folder and
// reports no error.
//   TABLESCOPE_WEB_DIR=<build/web> TABLESCOPE_EXPECTED_PAGE=<tablescope_expected_page> node page_test.mjs

import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {execFile} from 'node:child_process';
import fs from 'node:fs/promises';
import os from 'node:os';
import path from 'node:path';
import {promisify} from 'node:util';
import {serveFolder, launchChromium, launchFirefox} from './site.mjs';

const picture = {left: 10, top: 10, width: 1024, height: 300};
const next = {x: 985, y: 332};      // the buttons' centres, in layout pixels of the canvas
const previous = {x: 905, y: 332};

let site;
const expected = {};           // page number: the PPM's RGB bytes
const strayRequests = [];
const consoleErrors = [];

before(async () => {
  const tool = process.env.TABLESCOPE_EXPECTED_PAGE;
  await fs.access(tool).catch(() => {
    throw new Error(`${tool} is missing: build the release preset first (scripts/check.sh does)`);
  });
  const folder = await fs.mkdtemp(path.join(os.tmpdir(), 'tablescope-web-'));
  for (const page of [0, 1, 2, 30]) {
    const file = path.join(folder, `page-${page}.ppm`);
    await promisify(execFile)(tool, [String(page), file]);
    const ppm = await fs.readFile(file);
    expected[page] = ppm.subarray(ppm.length - picture.width * picture.height * 3);
  }
  await fs.rm(folder, {recursive: true});
  site = await serveFolder(process.env.TABLESCOPE_WEB_DIR);
});

const browsers = new Map();  // one browser for each set of switches, launched when first asked for

function browserFor(kind, args = []) {
  const key = [kind, ...args].join(' ');
  if (!browsers.has(key)) {
    browsers.set(key, kind === 'firefox' ? launchFirefox() : launchChromium(args));
  }
  return browsers.get(key);
}

after(async () => {
  await Promise.all([...browsers.values()].map(async (browser) => (await browser).close()));
  await site.close();
});

// `prepare` gets the page before it loads.
async function openPage(browser, prepare = async () => {}) {
  const page = await browser.newPage();
  await prepare(page);
  page.on('request', (request) => {
    // Firefox reports the page's empty icon, a data: URL, which asks no one for anything.
    if (!request.url().startsWith(site.origin + '/') && !request.url().startsWith('data:')) {
      strayRequests.push(request.url());
    }
  });
  page.on('console', (message) => message.type() === 'error' && consoleErrors.push(message.text()));
  page.on('pageerror', (error) => consoleErrors.push(error.message));
  page.on('requestfailed', (request) => consoleErrors.push('failed: ' + request.url()));
  await page.goto(site.origin + '/');
  return page;
}

// Waits until the program has put the canvas in the place of the loading line.
async function whenShown(page) {
  await page.waitForFunction(() => !document.getElementById('canvas').hidden && document.getElementById('status').hidden);
}

// The picture's device pixels as RGBA bytes, read from the canvas.
async function pictureBytes(page, scale) {
  const text = await page.evaluate((area) => {
    const canvas = document.getElementById('canvas');
    const data = canvas.getContext('2d').getImageData(area.left, area.top, area.width, area.height).data;
    let binary = '';
    for (let start = 0; start < data.length; start += 0x8000) {
      binary += String.fromCharCode.apply(null, data.subarray(start, start + 0x8000));
    }
    return btoa(binary);
  }, {left: picture.left * scale, top: picture.top * scale, width: picture.width * scale, height: picture.height * scale});
  return Buffer.from(text, 'base64');
}

// How the canvas differs from the expected page, each layout pixel a solid scale x scale block;
// empty when it does not.
function difference(rgba, page, scale) {
  const width = picture.width * scale;
  let wrong = 0;
  let first = '';
  for (let y = 0; y < picture.height * scale; ++y) {
    for (let x = 0; x < width; ++x) {
      const shown = (y * width + x) * 4;
      const wanted = (Math.floor(y / scale) * picture.width + Math.floor(x / scale)) * 3;
      const right = rgba[shown] === page[wanted] && rgba[shown + 1] === page[wanted + 1] &&
                    rgba[shown + 2] === page[wanted + 2] && rgba[shown + 3] === 255;
      if (!right && wrong++ === 0) {
        const hex = (bytes, at) => Array.from(bytes.subarray(at, at + 3), (v) => v.toString(16).padStart(2, '0')).join('');
        first = `at device pixel (${x}, ${y}): shown ${hex(rgba, shown)}, expected ${hex(page, wanted)}`;
      }
    }
  }
  return wrong === 0 ? '' : `${wrong} pixels differ, the first ${first}`;
}

// Empty once the canvas shows the page, else what still differs after three seconds.
async function differenceFromPage(page, number, scale = 1) {
  const deadline = Date.now() + 3000;
  let found = difference(await pictureBytes(page, scale), expected[number], scale);
  while (found !== '' && Date.now() < deadline) {
    await new Promise((resolve) => setTimeout(resolve, 20));
    found = difference(await pictureBytes(page, scale), expected[number], scale);
  }
  return found;
}

// Clicks (or taps) a point given in layout pixels of the canvas, scrolled into the viewport first.
async function click(page, point, tap = false) {
  const at = await page.$eval('#canvas', (canvas, point) => {
    const box = canvas.getBoundingClientRect();
    const perLayoutPixel = box.width / 1044;
    scrollBy(box.left + point.x * perLayoutPixel - innerWidth / 2, box.top + point.y * perLayoutPixel - innerHeight / 2);
    const moved = canvas.getBoundingClientRect();
    return {x: moved.left + point.x * perLayoutPixel, y: moved.top + point.y * perLayoutPixel};
  }, point);
  await (tap ? page.touchscreen.tap(at.x, at.y) : page.mouse.click(at.x, at.y));
}

// How the screen differs from the canvas's own pixels, one screen pixel for each canvas pixel;
// empty when it does not. The screenshot is read back in the page, its colours as they are.
async function screenFromCanvas(page) {
  const shot = await page.screenshot({encoding: 'base64', captureBeyondViewport: false});
  return page.evaluate(async (png) => {
    const canvas = document.getElementById('canvas');
    const box = canvas.getBoundingClientRect();
    const [left, top] = [Math.round(box.left * devicePixelRatio), Math.round(box.top * devicePixelRatio)];
    const bytes = Uint8Array.from(atob(png), (character) => character.charCodeAt(0));
    const screen = await createImageBitmap(new Blob([bytes], {type: 'image/png'}),
                                           {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
    const copy = new OffscreenCanvas(canvas.width, canvas.height).getContext('2d');
    copy.drawImage(screen, -left, -top);
    const shown = new Uint32Array(copy.getImageData(0, 0, canvas.width, canvas.height).data.buffer);
    const drawn = new Uint32Array(canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data.buffer);
    const first = drawn.findIndex((pixel, at) => pixel !== shown[at]);
    return first < 0 ? '' : `the screen at (${left}, ${top}) differs from canvas pixel (${first % canvas.width}, ` +
                            `${Math.floor(first / canvas.width)}): ${shown[first].toString(16)} for ${drawn[first].toString(16)}`;
  }, shot);
}

// Each screen the page is opened on: the ratio the browser reports, its viewport in CSS pixels, and
// the scale of the window there: the whole number nearest the ratio, halves up, or the largest
// smaller one at which the window fits the viewport, at least 1. On the `exact` ones the screen is
// compared with the canvas; Chromium shows them at a ratio forced at its start, one browser for
// each, since its emulation of a screen (which the others use, with touch for the phone)
// resamples what it shows. Firefox takes the ratio from the viewport.
const screens = [
  {browser: 'chromium', ratio: 1, viewport: [1920, 1080], scale: 1, exact: true},
  {browser: 'chromium', ratio: 1.25, viewport: [1920, 1080], scale: 1, exact: true},
  {browser: 'chromium', ratio: 1.5, viewport: [1920, 1080], scale: 2, exact: true},
  {browser: 'chromium', ratio: 2, viewport: [1920, 1080], scale: 2, exact: true},
  {browser: 'chromium', ratio: 3, viewport: [1920, 1080], scale: 3, exact: true},
  {browser: 'chromium', ratio: 1, viewport: [1024, 768], scale: 1},
  {browser: 'chromium', ratio: 1, viewport: [800, 600], scale: 1},
  {browser: 'chromium', ratio: 3, viewport: [390, 844], scale: 1, touch: true},
  {browser: 'chromium', ratio: 2, viewport: [1000, 700], scale: 1},
  {browser: 'firefox', ratio: 1, viewport: [1280, 800], scale: 1, exact: true},
  {browser: 'firefox', ratio: 2, viewport: [1280, 800], scale: 2, exact: true},
];

async function openOn(screen) {
  const [width, height] = screen.viewport;
  const forced = screen.browser === 'chromium' && screen.exact;
  const browser = await browserFor(screen.browser, forced ? [`--force-device-scale-factor=${screen.ratio}`, `--window-size=${width},${height}`] : []);
  const page = await openPage(browser, async (page) => {
    if (!forced) {
      await page.setViewport({width, height, deviceScaleFactor: screen.ratio, isMobile: !!screen.touch, hasTouch: !!screen.touch});
    }
  });
  await whenShown(page);
  return page;
}

test('pages turn by click, Tab and space, and stop at the first and the last', async () => {
  const page = await openPage(await browserFor('chromium'));
  try {
    assert.equal(await differenceFromPage(page, 0), '', 'page 0 at start');
    assert.equal(await page.title(), 'Tablescope for PPG Wave 2.2 Eeproms 64 & 68');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas', 'the canvas has the keyboard');
    const named = await page.accessibility.snapshot({root: await page.$('#canvas')});
    assert.deepEqual([named.role, named.name, named.description],
                     ['application', 'Tablescope: the waves of the PPG Wave 2.2, eight to a page, with Previous and Next buttons',
                      'Waves 000 to 007, page 1 of 31'], 'what a screen reader hears of the canvas');

    await click(page, next);
    assert.equal(await differenceFromPage(page, 1), '', 'Next from page 0');
    await click(page, previous);
    assert.equal(await differenceFromPage(page, 0), '', 'Previous from page 1');
    await click(page, previous);
    assert.equal(await differenceFromPage(page, 0), '', 'Previous on page 0');

    // The click left the focus on Previous: Tab moves it to Next, Shift+Tab back.
    await page.keyboard.press('Tab');
    await page.keyboard.press('Space');
    assert.equal(await differenceFromPage(page, 1), '', 'Tab, space');
    await page.keyboard.down('Shift');
    await page.keyboard.press('Tab');
    await page.keyboard.up('Shift');
    await page.keyboard.press('Space');
    assert.equal(await differenceFromPage(page, 0), '', 'Shift+Tab, space');
    assert.deepEqual(await page.evaluate(() => [document.activeElement.id, scrollX, scrollY]), ['canvas', 0, 0],
                     'the keys neither take the focus off the canvas nor scroll');

    for (let turn = 0; turn < 31; ++turn) {
      await click(page, next);
    }
    assert.equal(await differenceFromPage(page, 30), '', 'Next 31 times');
  } finally {
    await page.close();
  }
});

test('at a device pixel ratio of 2 the canvas has twice the pixels, each layout pixel a 2 x 2 block, and follows a change of zoom and of the viewport', async () => {
  const browser = await launchChromium(['--force-device-scale-factor=2']);
  try {
    // A zoom changes devicePixelRatio and fires the media queries that watched the old ratio.
    // Chromium's emulation changes only the ratio, so the test fires the queries as a zoom would.
    const page = await openPage(browser, (page) => page.evaluateOnNewDocument(() => {
      const queries = [];
      const matchMedia = window.matchMedia.bind(window);
      window.matchMedia = (text) => {
        const query = matchMedia(text);
        queries.push(query);
        return query;
      };
      window.fireMediaQueries = () => queries.splice(0).forEach((query) => query.dispatchEvent(new Event('change')));
    }));
    assert.deepEqual(await page.$eval('#canvas', (canvas) => [canvas.width, canvas.height]), [2088, 700]);
    assert.equal(await differenceFromPage(page, 0, 2), '', 'page 0 at start');
    await click(page, next);
    assert.equal(await differenceFromPage(page, 1, 2), '', 'Next');

    // The zoom going back to 100 % while the program runs: the page stays, at one device pixel each.
    await page.setViewport({width: 1200, height: 800, deviceScaleFactor: 1});
    await page.waitForFunction(() => devicePixelRatio === 1);
    await page.evaluate(() => fireMediaQueries());
    await page.waitForFunction(() => document.getElementById('canvas').width === 1044);
    assert.deepEqual(await page.$eval('#canvas', (canvas) => [canvas.width, canvas.height]), [1044, 350]);
    assert.equal(await differenceFromPage(page, 1, 1), '', 'page 1 after the change');
    await click(page, next);
    assert.equal(await differenceFromPage(page, 2, 1), '', 'Next after the change');

    // Back at 2 in a viewport too narrow for the window at 2, it stays at 1; widened, it goes to 2.
    await page.setViewport({width: 1000, height: 700, deviceScaleFactor: 2});
    await page.waitForFunction(() => devicePixelRatio === 2);
    await page.evaluate(() => fireMediaQueries());
    await page.waitForFunction(() => document.getElementById('canvas').style.width === '522px');
    assert.equal(await page.$eval('#canvas', (canvas) => canvas.width), 1044, 'narrow');
    await page.setViewport({width: 1200, height: 800, deviceScaleFactor: 2});
    await page.waitForFunction(() => document.getElementById('canvas').width === 2088);
    assert.equal(await differenceFromPage(page, 2, 2), '', 'page 2 after widening');
  } finally {
    await browser.close();
  }
});

test('on every screen the window is whole, each canvas pixel one device pixel, and it works by click, tap and keys', async (t) => {
  for (const screen of screens) {
    await t.test(`${screen.browser} at ${screen.ratio} on ${screen.viewport.join(' x ')}`, async () => {
      const page = await openOn(screen);
      try {
        const s = screen.scale;
        const laidOut = await page.$eval('#canvas', (canvas) => {
          const box = canvas.getBoundingClientRect();
          const main = document.querySelector('main').getBoundingClientRect();
          const caption = document.getElementById('title').getBoundingClientRect();
          const scroller = document.scrollingElement;
          return {ratio: devicePixelRatio, pixels: [canvas.width, canvas.height],
                  device: [box.width * devicePixelRatio, box.height * devicePixelRatio],
                  captionWidth: caption.width, canvasWidth: box.width,
                  window: [main.left + scrollX, main.top + scrollY, main.right + scrollX, main.bottom + scrollY],
                  page: [scroller.scrollWidth, scroller.scrollHeight], viewport: [innerWidth, innerHeight]};
        });
        assert.equal(laidOut.ratio, screen.ratio, 'the ratio the browser reports');
        assert.deepEqual(laidOut.pixels, [1044 * s, 350 * s], 'the canvas\'s pixels');
        // Lengths are laid out in 64ths of a CSS pixel, and drawn on whole device pixels.
        laidOut.device.forEach((length, axis) => assert.ok(Math.abs(length - laidOut.pixels[axis]) < screen.ratio / 64,
                                                            `laid out on ${laidOut.device} device pixels`));
        assert.equal(laidOut.captionWidth, laidOut.canvasWidth, 'the caption bar as wide as the canvas');
        const [left, top, right, bottom] = laidOut.window;
        assert.ok(left >= 0 && top >= 0 && right <= laidOut.page[0] + 0.5 && bottom <= laidOut.page[1] + 0.5,
                  `the window ${laidOut.window} within the page's scrolled area ${laidOut.page}`);
        const fits = (1044 * s) / screen.ratio <= laidOut.viewport[0];
        assert.equal(laidOut.page[0] > laidOut.viewport[0], !fits, 'the page scrolls sideways only where the window is wider');

        assert.equal(await differenceFromPage(page, 0, s), '', 'page 0 at start');
        if (screen.exact) {
          assert.equal(await screenFromCanvas(page), '', 'the screen shows the canvas pixel for pixel');
        }
        await click(page, next, screen.touch);
        assert.equal(await differenceFromPage(page, 1, s), '', 'Next');
        assert.equal(await page.$eval('#showing', (line) => line.textContent), 'Waves 008 to 015, page 2 of 31');
        await click(page, previous, screen.touch);
        assert.equal(await differenceFromPage(page, 0, s), '', 'Previous');
        // The click left the focus on Previous: Tab moves it to Next.
        await page.keyboard.press('Tab');
        await page.keyboard.press(' ');
        assert.equal(await differenceFromPage(page, 1, s), '', 'Tab, space');
        await page.keyboard.press('Escape');
        assert.notEqual(await page.evaluate(() => document.activeElement.id), 'canvas', 'Escape leaves the window');
      } finally {
        await page.close();
      }
    });
  }
});

// Until the program runs, and where it cannot, one line stands in the window's place, and nothing
// of the program's own text reaches the page. An answer of null drops the connection.
const failures = [
  {cause: 'a tablescope.wasm still on its way', answer: {'/tablescope.wasm': () => new Promise(() => {})},
   sentence: 'Loading Tablescope...'},
  {cause: 'WebAssembly switched off', args: ['--js-flags=--jitless'],
   sentence: 'This browser has WebAssembly switched off or lacks it; Tablescope needs it.'},
  {cause: 'a missing tablescope.wasm', answer: {'/tablescope.wasm': async () => ({status: 404, body: ''})},
   sentence: 'Tablescope\'s files are not on this site where the page expects them.'},
  {cause: 'a connection lost', answer: {'/tablescope.wasm': async () => null},
   sentence: 'The connection was lost while Tablescope was loading; reloading the page tries again.'},
  {cause: 'a policy that forbids compiling', answer: {
     '/': async () => ({status: 200, contentType: 'text/html; charset=utf-8',
                        headers: {'Content-Security-Policy': "script-src 'self'"},
                        body: await fs.readFile(path.join(process.env.TABLESCOPE_WEB_DIR, 'index.html'))})},
   sentence: 'This site\'s security policy forbids compiling WebAssembly, so Tablescope cannot run here.'},
];

test('until the program runs, and where it cannot, the page says so in one line', async (t) => {
  for (const failure of failures) {
    await t.test(failure.cause, async () => {
      const page = await (await browserFor('chromium', failure.args)).newPage();
      try {
        if (failure.answer) {
          await page.setRequestInterception(true);
          page.on('request', async (request) => {
            const answer = failure.answer[new URL(request.url()).pathname];
            const response = answer && await answer();
            await (!answer ? request.continue() : response ? request.respond(response) : request.abort('connectionclosed'));
          });
        }
        await page.goto(site.origin + '/');
        await page.waitForFunction((sentence) => document.getElementById('status').textContent === sentence,
                                   {}, failure.sentence);
        const shown = await page.evaluate(() => ({status: document.getElementById('status').textContent,
                                                 statusHidden: document.getElementById('status').hidden,
                                                 canvas: document.getElementById('canvas').hidden,
                                                 text: document.body.innerText}));
        assert.equal(shown.status, failure.sentence);
        assert.equal(shown.canvas, true, 'no empty window');
        assert.equal(shown.statusHidden, false);
        assert.doesNotMatch(shown.text, /Aborted|Error|tablescope\.js/);
      } finally {
        await page.close();
      }
    });
  }
});

test('the page asks for nothing outside its folder and reports no error', () => {
  assert.deepEqual(strayRequests, []);
  assert.deepEqual(consoleErrors, []);
});
