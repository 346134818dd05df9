// The web launch benchmark: in headless Chromium, round after round, opens the web build and a
// floor page, each in a fresh browser context (nothing cached), and prints the median time from
// the start of navigation to the first picture on the canvas, the web build's as a ratio to the
// floor page's (at most 1.3), and the size of tablescope.wasm and tablescope.js after gzip as a
// ratio to the 120 KB they may take together. The floor page fetches the same 1024 x 300
// picture, precomputed, and draws it with one putImageData, without WebAssembly.
//
//   node bench/web_launch.mjs [ROUNDS]
//
// ROUNDS defaults to 15. Needs the web build (cmake --build --preset web) and, for the picture,
// the release build's tablescope_expected_page; WEB_DIR and BUILD_DIR choose other folders.

import {execFile} from 'node:child_process';
import fs from 'node:fs/promises';
import os from 'node:os';
import path from 'node:path';
import {promisify} from 'node:util';
import {gzipSync} from 'node:zlib';
import {serveFolder, launchChromium} from '../tests/web/site.mjs';

const project = path.resolve(path.dirname(new URL(import.meta.url).pathname), '..');
const site = process.env.WEB_DIR || path.join(project, 'build/web');
const expectedPage = path.join(process.env.BUILD_DIR || path.join(project, 'build/release'), 'bin/tablescope_expected_page');
const rounds = Number(process.argv[2] || 15);
const sizeTarget = 120 * 1024;
const timeTarget = 1.3;

// Run in each page before its own scripts: notes the time of the first putImageData after which
// the canvas shows a pixel of the picture's first divider above the trace.
function watchForPicture() {
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    put.apply(this, args);
    if (window.firstPicture === undefined) {
      const scale = this.canvas.width / 1044;
      const pixel = this.getImageData(10 * scale, 15 * scale, 1, 1).data;
      if (pixel[0] === 100 && pixel[1] === 100 && pixel[2] === 100) {
        window.firstPicture = performance.now();
      }
    }
  };
}

const floorPage = `<!doctype html>
<html><head><meta charset="utf-8"><title>floor</title><link rel="icon" href="data:,"></head>
<body style="margin:0;display:flex;justify-content:center;align-items:center;height:100vh">
<canvas id="canvas" width="1044" height="350"></canvas>
<script>
  fetch('picture.rgba').then((response) => response.arrayBuffer()).then((bytes) => {
    const picture = new ImageData(new Uint8ClampedArray(bytes), 1024, 300);
    document.getElementById('canvas').getContext('2d').putImageData(picture, 10, 10);
  });
</script></body></html>`;

async function makeFloor(folder) {
  const ppm = path.join(folder, 'page.ppm');
  await promisify(execFile)(expectedPage, ['0', ppm]);
  const bytes = await fs.readFile(ppm);
  const rgb = bytes.subarray(bytes.length - 1024 * 300 * 3);
  const rgba = Buffer.alloc(1024 * 300 * 4, 255);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += 4) {
    rgb.copy(rgba, j, i, i + 3);
  }
  await fs.writeFile(path.join(folder, 'picture.rgba'), rgba);
  await fs.writeFile(path.join(folder, 'index.html'), floorPage);
}

async function firstPicture(browser, origin) {
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    await page.evaluateOnNewDocument(watchForPicture);
    await page.goto(origin + '/');
    await page.waitForFunction(() => window.firstPicture !== undefined, {timeout: 10000});
    return await page.evaluate(() => window.firstPicture);
  } finally {
    await context.close();
  }
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const floorFolder = await fs.mkdtemp(path.join(os.tmpdir(), 'tablescope-floor-'));
await makeFloor(floorFolder);
const web = await serveFolder(site);
const floor = await serveFolder(floorFolder);
const browser = await launchChromium();
const times = {web: [], floor: []};
try {
  for (let round = 0; round < rounds; ++round) {
    times.web.push(await firstPicture(browser, web.origin));
    times.floor.push(await firstPicture(browser, floor.origin));
  }
} finally {
  await browser.close();
  await web.close();
  await floor.close();
  await fs.rm(floorFolder, {recursive: true});
}

const sizes = {};
for (const name of ['tablescope.wasm', 'tablescope.js']) {
  sizes[name] = gzipSync(await fs.readFile(path.join(site, name)), {level: 9}).length;
}
const total = sizes['tablescope.wasm'] + sizes['tablescope.js'];
const webTime = median(times.web);
const floorTime = median(times.floor);
console.log(`rounds: ${rounds}`);
console.log(`first picture, median: web build ${webTime.toFixed(1)} ms, floor page ${floorTime.toFixed(1)} ms`);
console.log(`time ratio web / floor: ${(webTime / floorTime).toFixed(2)} (target at most ${timeTarget})`);
console.log(`after gzip: tablescope.wasm ${sizes['tablescope.wasm']} bytes, tablescope.js ${sizes['tablescope.js']} bytes, ` +
            `together ${total} bytes`);
console.log(`size ratio to 120 KB: ${(total / sizeTarget).toFixed(2)} (target at most 1)`);
