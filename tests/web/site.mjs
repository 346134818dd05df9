// What the web build's end-to-end tests and its launch benchmark share: a static server for a
// folder on 127.0.0.1, started and stopped by the caller, and Debian's Chromium and Firefox ESR,
// headless.

import http from 'node:http';
import fs from 'node:fs/promises';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.mjs': 'text/javascript',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
};

// Serves the files of `folder` (nothing above it) on a free port of 127.0.0.1.
export async function serveFolder(folder) {
  const root = path.resolve(folder);
  const server = http.createServer(async (request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = path.resolve(root, '.' + (name.endsWith('/') ? name + 'index.html' : name));
    try {
      if (!file.startsWith(root + path.sep)) {
        throw new Error('outside the folder');
      }
      const body = await fs.readFile(file);
      response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                               'Cache-Control': 'no-store'});
      response.end(body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    origin: `http://127.0.0.1:${server.address().port}`,
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}

// Headless Chromium from Debian; `args` are more switches, such as a forced scale or another
// window size than 1280 x 800.
export function launchChromium(args = []) {
  const switches = ['--headless=new', '--disable-gpu', '--window-size=1280,800', ...args];
  if (process.getuid && process.getuid() === 0) {
    switches.push('--no-sandbox');
  }
  return puppeteer.launch({
    executablePath: process.env.TABLESCOPE_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: switches,
    defaultViewport: null,
  });
}

// Headless Firefox ESR from Debian, over WebDriver BiDi; it takes the ratio from the viewport.
export function launchFirefox() {
  return puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.TABLESCOPE_FIREFOX || '/usr/bin/firefox-esr',
    headless: true,
  });
}
