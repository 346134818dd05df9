// The web launch benchmark: in headless Chromium, round after round, opens the web build, the same
// page with a program that does nothing, and a floor page, each in a fresh browser context
// (nothing cached), and prints the median time from the start of navigation to the first picture
// on the canvas, the web build's as a ratio to the floor page's (at most 1.3), and the size of
// tablescope.wasm and tablescope.js after gzip as a ratio to the 120 KB they may take together.
// The floor page fetches the same 1024 x 300 picture, precomputed, and draws it with one
// putImageData, without WebAssembly. The page without the program is the web build's site with
// a stand-in for the glue: the WebAssembly is fetched and compiled as ever, but its program never
// runs, and a grey picture is put as soon as the module is instantiated. What it takes is what
// the page, its files and the compiling take; the web build's time beyond it is the program's.
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

// Stands in for the program's glue: instantiates the module start.js compiled with imports that
// do nothing, runs none of it, and puts a picture grey where the watcher looks.
const standInGlue = `var startTablescope = function (Module) {
  return new Promise(function (resolve) {
    var nothing = new Proxy({}, {get: function () { return function () { return 0; }; }});
    Module.instantiateWasm(new Proxy({}, {get: function () { return nothing; }}), function () {
      document.getElementById('status').hidden = true;
      Module.canvas.hidden = false;
      var picture = new ImageData(Module.canvas.width, Module.canvas.height);
      new Uint32Array(picture.data.buffer).fill(0xff646464);
      Module.canvas.getContext('2d').putImageData(picture, 0, 0);
      resolve();
    });
  });
};
`;

async function makePageAlone(folder) {
  for (const name of ['index.html', 'start.js', 'panel.js', 'tablescope.wasm']) {
    await fs.copyFile(path.join(site, name), path.join(folder, name));
  }
  await fs.writeFile(path.join(folder, 'tablescope.js'), standInGlue);
}

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
const aloneFolder = await fs.mkdtemp(path.join(os.tmpdir(), 'tablescope-page-alone-'));
await makeFloor(floorFolder);
await makePageAlone(aloneFolder);
const servers = {web: await serveFolder(site), alone: await serveFolder(aloneFolder), floor: await serveFolder(floorFolder)};
// Chromium prepares its address bar's popup in each new browser context, on the same two cores as
// the page measured: that work is the browser's, not the page's, and is switched off.
const browser = await launchChromium(['--disable-features=WebUIOmniboxPopup,WebUIOmniboxAimPopup']);
const times = {web: [], alone: [], floor: []};
try {
  for (let round = 0; round < rounds; ++round) {
    for (const page of Object.keys(times)) {
      times[page].push(await firstPicture(browser, servers[page].origin));
    }
  }
} finally {
  await browser.close();
  for (const server of Object.values(servers)) {
    await server.close();
  }
  await fs.rm(floorFolder, {recursive: true});
  await fs.rm(aloneFolder, {recursive: true});
}

const sizes = {};
for (const name of ['tablescope.wasm', 'tablescope.js']) {
  sizes[name] = gzipSync(await fs.readFile(path.join(site, name)), {level: 9}).length;
}
const total = sizes['tablescope.wasm'] + sizes['tablescope.js'];
const webTime = median(times.web);
const aloneTime = median(times.alone);
const floorTime = median(times.floor);
console.log(`rounds: ${rounds}`);
console.log(`first picture, median: web build ${webTime.toFixed(1)} ms, the page without the program ` +
            `${aloneTime.toFixed(1)} ms, floor page ${floorTime.toFixed(1)} ms`);
console.log(`time ratio web / floor: ${(webTime / floorTime).toFixed(2)} (target at most ${timeTarget}); ` +
            `without the program: ${(aloneTime / floorTime).toFixed(2)}`);
console.log(`after gzip: tablescope.wasm ${sizes['tablescope.wasm']} bytes, tablescope.js ${sizes['tablescope.js']} bytes, ` +
            `together ${total} bytes`);
console.log(`size ratio to 120 KB: ${(total / sizeTarget).toFixed(2)} (target at most 1)`);
