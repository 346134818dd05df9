// Takes the README's screenshot of the web build: the page's window (its caption and canvas) on
// the first page, in headless Chromium at a device pixel ratio of 1.5, where the window is drawn
// at scale 2, written to docs/screenshot-web.png. Needs the web preset built.
//   node scripts/screenshot-web.mjs [FILE]

import fs from 'node:fs/promises';
import path from 'node:path';
import {serveFolder, launchChromium} from '../tests/web/site.mjs';

const project = path.resolve(path.dirname(new URL(import.meta.url).pathname), '..');
const output = process.argv[2] || path.join(project, 'docs/screenshot-web.png');
const site = path.join(project, 'build/web');
await fs.access(path.join(site, 'tablescope.wasm')).catch(() => {
  console.error('screenshot-web: build the web preset first');
  process.exit(1);
});

const server = await serveFolder(site);
const browser = await launchChromium(['--force-device-scale-factor=1.5', '--window-size=1600,900']);
try {
  const page = await browser.newPage();
  await page.goto(server.origin + '/');
  // The page is on the canvas once its first divider is, above the trace.
  await page.waitForFunction(() => {
    const pixel = document.getElementById('canvas').getContext('2d').getImageData(20, 30, 1, 1).data;
    return pixel[0] === 100 && pixel[1] === 100 && pixel[2] === 100;
  });
  const window = await page.$('main');
  await window.screenshot({path: output});
  console.log('wrote ' + output);
} finally {
  await browser.close();
  await server.close();
}
