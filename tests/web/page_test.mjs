// The web build in headless Chromium, served from its build folder on 127.0.0.1: the first page
// against the page worked out from the drawing rules (with the Linux build's label cells), page
// turns by click, Tab and space, the scale from devicePixelRatio, and a page that asks for nothing
// outside its folder and reports no error.
//   TABLESCOPE_WEB_DIR=<build/web> TABLESCOPE_EXPECTED_PAGE=<tablescope_expected_page> node page_test.mjs

import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {execFile} from 'node:child_process';
import fs from 'node:fs/promises';
import os from 'node:os';
import path from 'node:path';
import {promisify} from 'node:util';
import {serveFolder, launchChromium} from './site.mjs';

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

after(() => site.close());

// `beforeLoad` runs in the page before its own scripts.
async function openPage(browser, beforeLoad = () => {}) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(beforeLoad);
  page.on('request', (request) => {
    if (!request.url().startsWith(site.origin + '/')) {
      strayRequests.push(request.url());
    }
  });
  page.on('console', (message) => message.type() === 'error' && consoleErrors.push(message.text()));
  page.on('pageerror', (error) => consoleErrors.push(error.message));
  page.on('requestfailed', (request) => consoleErrors.push('failed: ' + request.url()));
  await page.goto(site.origin + '/');
  return page;
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

// Clicks a point given in layout pixels of the canvas, which are CSS pixels.
async function click(page, point) {
  const box = await page.$eval('#canvas', (canvas) => canvas.getBoundingClientRect().toJSON());
  await page.mouse.click(box.left + point.x, box.top + point.y);
}

test('pages turn by click, Tab and space, and stop at the first and the last', async () => {
  const browser = await launchChromium();
  try {
    const page = await openPage(browser);
    assert.equal(await differenceFromPage(page, 0), '', 'page 0 at start');
    assert.equal(await page.title(), 'Tablescope for PPG Wave 2.2 Eeproms 64 & 68');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas', 'the canvas has the keyboard');

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
    await browser.close();
  }
});

test('at a device pixel ratio of 2 the canvas has twice the pixels, each layout pixel a 2 x 2 block, and follows a change of zoom', async () => {
  const browser = await launchChromium(['--force-device-scale-factor=2']);
  try {
    // A zoom changes devicePixelRatio and fires the media queries that watched the old ratio.
    // Chromium's emulation changes only the ratio, so the test fires the queries as a zoom would.
    const page = await openPage(browser, () => {
      const queries = [];
      const matchMedia = window.matchMedia.bind(window);
      window.matchMedia = (text) => {
        const query = matchMedia(text);
        queries.push(query);
        return query;
      };
      window.fireMediaQueries = () => queries.splice(0).forEach((query) => query.dispatchEvent(new Event('change')));
    });
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
  } finally {
    await browser.close();
  }
});

test('a browser without WebAssembly gets a sentence instead of the program', async () => {
  const browser = await launchChromium();
  try {
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(() => delete window.WebAssembly);
    await page.goto(site.origin + '/');
    assert.match(await page.$eval('#message', (message) => (message.hidden ? '' : message.textContent)),
                 /^Tablescope needs a browser with WebAssembly/);
  } finally {
    await browser.close();
  }
});

test('the page asks for nothing outside its folder and reports no error', () => {
  assert.deepEqual(strayRequests, []);
  assert.deepEqual(consoleErrors, []);
});
