// The panel under the window in headless Chromium: every download's bytes against the files the
// Linux build's `tablescope export` writes for the same request, every sound the panel starts
// against the samples worked out from those files, the waterfall against the frames in the
// exported 128-sample tables, drawn by the rule, at scales 1 and 2, and every control reached by
// Tab with a name that says what it does.
//   TABLESCOPE_WEB_DIR=<build/web> TABLESCOPE_PROGRAM=<Linux tablescope> node panel_test.mjs

import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {execFile} from 'node:child_process';
import fs from 'node:fs/promises';
import os from 'node:os';
import path from 'node:path';
import {promisify} from 'node:util';
import zlib from 'node:zlib';
import {serveFolder, launchChromium} from './site.mjs';

let site;
let folder;  // what the desktop export wrote
const browsers = [];

const exports = [
  ['waves', 'waves', '--bits', '16'], ['bank', 'bank.wav'], ['bank', 'bank.wt'], ['banks256', 'banks256'],
  ['tables', 'tables'], ['tables', 'tables-wt', '--container', 'wt'],
];

before(async () => {
  folder = await fs.mkdtemp(path.join(os.tmpdir(), 'tablescope-panel-'));
  for (const [mode, target, ...options] of exports) {
    if (!target.includes('.')) {
      await fs.mkdir(path.join(folder, target));
    }
    await promisify(execFile)(process.env.TABLESCOPE_PROGRAM, ['export', mode, path.join(folder, target), ...options]);
  }
  site = await serveFolder(process.env.TABLESCOPE_WEB_DIR);
});

after(async () => {
  await Promise.all(browsers.map((browser) => browser.close()));
  await site.close();
  await fs.rm(folder, {recursive: true});
});

const exported = (name) => fs.readFile(path.join(folder, name));

// The page with its sounds and downloads recorded as they start, the downloads not handed to the
// browser; shown at page 0.
async function openPanel(args = []) {
  const browser = await launchChromium(args);
  browsers.push(browser);
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.started = [];
    window.stopped = 0;
    const start = AudioBufferSourceNode.prototype.start;
    AudioBufferSourceNode.prototype.start = function (...rest) {
      started.push({rate: this.buffer.sampleRate, loop: this.loop, samples: Array.from(this.buffer.getChannelData(0))});
      return start.apply(this, rest);
    };
    const stop = AudioBufferSourceNode.prototype.stop;
    AudioBufferSourceNode.prototype.stop = function (...rest) {
      ++window.stopped;
      return stop.apply(this, rest);
    };
    const blobs = new Map();
    const createObjectURL = URL.createObjectURL;
    URL.createObjectURL = (blob) => {
      const url = createObjectURL.call(URL, blob);
      blobs.set(url, blob);
      return url;
    };
    window.downloads = [];
    HTMLAnchorElement.prototype.click = function () {
      downloads.push({name: this.download, blob: blobs.get(this.href)});
    };
  });
  await page.goto(site.origin + '/');
  await page.waitForFunction(() => !document.getElementById('panel').hidden);
  return page;
}

async function press(page, name) {
  await page.click(`[aria-label="${name}"]`);
}

async function chooseTable(page, table) {
  await page.select('#table-list', String(table));
}

// The name and bytes of the download that pressing the control hands to the browser.
async function downloaded(page, name) {
  await press(page, name);
  const file = await page.evaluate(async () => {
    const {name, blob} = downloads.pop();
    const bytes = new Uint8Array(await blob.arrayBuffer());
    let binary = '';
    for (let start = 0; start < bytes.length; start += 0x8000) {
      binary += String.fromCharCode.apply(null, bytes.subarray(start, start + 0x8000));
    }
    return {name, base64: btoa(binary)};
  });
  return {name: file.name, bytes: Buffer.from(file.base64, 'base64')};
}

// The stored entries of a zip, read from its central directory, each checked against its CRC.
function zipEntries(zip) {
  const entries = new Map();
  const end = zip.lastIndexOf(Buffer.from([0x50, 0x4b, 0x05, 0x06]));
  let at = zip.readUInt32LE(end + 16);
  for (let index = 0; index < zip.readUInt16LE(end + 10); ++index) {
    assert.equal(zip.readUInt32LE(at), 0x02014b50, 'a central directory record');
    const [method, crc, size, nameLength, extra, comment] = [zip.readUInt16LE(at + 10), zip.readUInt32LE(at + 16),
      zip.readUInt32LE(at + 24), zip.readUInt16LE(at + 28), zip.readUInt16LE(at + 30), zip.readUInt16LE(at + 32)];
    const local = zip.readUInt32LE(at + 42);
    const name = zip.toString('latin1', at + 46, at + 46 + nameLength);
    assert.equal(zip.readUInt32LE(local), 0x04034b50, `the local header of ${name}`);
    const start = local + 30 + zip.readUInt16LE(local + 26) + zip.readUInt16LE(local + 28);
    const bytes = zip.subarray(start, start + size);
    assert.equal(method, 0, `${name} stored`);
    assert.equal(zlib.crc32(bytes), crc, `the CRC of ${name}`);
    entries.set(name, bytes);
    at += 46 + nameLength + extra + comment;
  }
  return entries;
}

test('each download holds the bytes the desktop export writes for the same request', async () => {
  const page = await openPanel();
  const downloads = [
    {control: 'Download wave 000 as WAV', name: 'wave-000.wav', file: 'waves/wave-000.wav'},
    {control: 'Download wave 007 as WAV', name: 'wave-007.wav', file: 'waves/wave-007.wav'},
    {next: true, control: 'Download wave 008 as WAV', name: 'wave-008.wav', file: 'waves/wave-008.wav'},
    {control: 'Download the bank as .wav', name: 'bank.wav', file: 'bank.wav'},
    {control: 'Download the bank as .wt', name: 'bank.wt', file: 'bank.wt'},
    {control: 'Download 256-sample bank 1 as WAV', name: 'bank-1.wav', file: 'banks256/bank-1.wav'},
    {control: 'Download 256-sample bank 4 as WAV', name: 'bank-4.wav', file: 'banks256/bank-4.wav'},
    {table: 5, control: 'Download table 05 as .wav', name: 'table-05.wav', file: 'tables/table-05.wav'},
    {table: 5, control: 'Download table 05 as .wt', name: 'table-05.wt', file: 'tables-wt/table-05.wt'},
    {table: 17, control: 'Download table 17 as .wt', name: 'table-17.wt', file: 'tables-wt/table-17.wt'},
    {page: 30, control: 'Download wave 243 as WAV', name: 'wave-243.wav', file: 'waves/wave-243.wav'},
  ];
  for (const expected of downloads) {
    if (expected.table !== undefined) {
      await chooseTable(page, expected.table);
    }
    if (expected.next) {
      // Next, clicked in the window: the panel follows the program to the page shown.
      const box = await (await page.$('#canvas')).boundingBox();
      await page.mouse.click(box.x + 985 * box.width / 1044, box.y + 332 * box.height / 350);
      await page.waitForSelector(`[aria-label="${expected.control}"]`);
    }
    if (expected.page !== undefined) {
      await page.evaluate((number) => tablescopePanel.show(number), expected.page);
    }
    const file = await downloaded(page, expected.control);
    assert.equal(file.name, expected.name, expected.control);
    assert.ok(file.bytes.equals(await exported(expected.file)), `${expected.control}: the bytes of ${expected.file}`);
  }
  assert.equal(await page.$('[aria-label="Play wave 244"]'), null, 'no buttons under the last page\'s empty columns');

  const zip = await downloaded(page, 'Download everything as one .zip');
  assert.equal(zip.name, 'tablescope.zip');
  const entries = zipEntries(zip.bytes);
  const tables = (await fs.readdir(path.join(folder, 'tables'))).sort();
  const wanted = [...(await fs.readdir(path.join(folder, 'waves'))).sort().map((name) => ['waves/' + name, 'waves/' + name]),
    ['bank.wav', 'bank.wav'], ['bank.wt', 'bank.wt'],
    ...(await fs.readdir(path.join(folder, 'banks256'))).sort().map((name) => ['banks256/' + name, 'banks256/' + name]),
    ...tables.map((name) => ['tables/' + name, 'tables/' + name]),
    ...tables.map((name) => name.replace('.wav', '.wt')).map((name) => ['tables/' + name, 'tables-wt/' + name])];
  assert.deepEqual([...entries.keys()], wanted.map(([entry]) => entry), 'the zip\'s entries');
  for (const [entry, file] of wanted) {
    assert.ok(entries.get(entry).equals(await exported(file)), `${entry} in the zip`);
  }
});

// The 61 frames of 128 levels of an exported 128-sample `.wt`.
async function tableFrames(table) {
  const wt = await exported(`tables-wt/table-${String(table).padStart(2, '0')}.wt`);
  const frames = [];
  for (let frame = 0; frame < wt.readUInt16LE(8); ++frame) {
    frames.push(Array.from({length: 128}, (_, n) => wt.readFloatLE(12 + (frame * 128 + n) * 4) * 128));
  }
  return frames;
}

// The levels of an exported 16-bit single-cycle WAV (its samples are the levels x 256).
async function waveLevels(wave) {
  const wav = await exported(`waves/wave-${String(wave).padStart(3, '0')}.wav`);
  const data = wav.indexOf('data') + 8;
  return Array.from({length: 128}, (_, n) => wav.readInt16LE(data + 2 * n) / 256);
}

const sixteenBit = (level) => Math.sign(level) * Math.round(Math.abs(level * 256)) / 32768;

// Harmonics 1 to 63 of the 128 levels summed at `size` points, scaled to full scale where they pass it.
function bandLimited(levels, size) {
  const frame = new Array(size).fill(0);
  for (let k = 1; k <= 63; ++k) {
    let [a, b] = [0, 0];
    levels.forEach((level, n) => {
      a += level * Math.cos(2 * Math.PI * k * n / 128) / 64;
      b += level * Math.sin(2 * Math.PI * k * n / 128) / 64;
    });
    for (let m = 0; m < size; ++m) {
      frame[m] += a * Math.cos(2 * Math.PI * k * m / size) + b * Math.sin(2 * Math.PI * k * m / size);
    }
  }
  const peak = Math.max(1, ...frame.map((level) => Math.abs(level) / 128));
  return frame.map((level) => level / 128 / peak);
}

const noteFrequency = (note) => 440 * 2 ** ((note - 69) / 12);

test('play starts a sound of the expected samples, which a second press stops', async () => {
  const page = await openPanel();
  const sounds = [
    {control: 'Play wave 003', rate: 28160, loop: true, samples: async () => (await waveLevels(3)).map(sixteenBit)},
    {control: 'Play wave 005', note: 72, rate: Math.round(128 * noteFrequency(72)), loop: true,
     samples: async () => (await waveLevels(5)).map(sixteenBit)},
    // At A3 the largest frame within 192,000 samples a second is 512.
    {page: 8, control: 'Play wave 064', bandLimited: true, rate: 512 * 220, loop: true, tolerance: 1e-6,
     samples: async () => bandLimited(await waveLevels(64), 512)},
    // 440 cycles in 2 s at A3, cycle c playing frame floor(61 c / 440).
    {table: 5, control: 'Play a sweep through table 05', rate: 28160, loop: false, samples: async () => {
      const frames = await tableFrames(5);
      return Array.from({length: 440}, (_, c) => frames[Math.floor(c * 61 / 440)].map(sixteenBit)).flat();
    }},
  ];
  for (const expected of sounds) {
    await page.select('#note', String(expected.note ?? 57));
    await page.$eval('#band-limited', (box, on) => (box.checked = on), !!expected.bandLimited);
    if (expected.table !== undefined) {
      await chooseTable(page, expected.table);
    }
    if (expected.page !== undefined) {
      await page.evaluate((number) => tablescopePanel.show(number), expected.page);
    }
    await page.evaluate(() => (started.length = 0));
    await press(page, expected.control);
    const [sound] = await page.evaluate(() => started);
    assert.deepEqual([sound.rate, sound.loop], [expected.rate, expected.loop], `${expected.control}: rate and loop`);
    const samples = await expected.samples();
    assert.equal(sound.samples.length, samples.length, `${expected.control}: the sample count`);
    const worst = Math.max(...sound.samples.map((sample, n) => Math.abs(sample - samples[n])));
    assert.ok(worst <= (expected.tolerance ?? 0), `${expected.control}: samples off by ${worst}`);
    assert.ok(sound.samples.every((sample) => Math.abs(sample) <= 1), `${expected.control}: within full scale`);
    assert.equal(await page.$eval(`[aria-label="${expected.control}"]`, (b) => b.getAttribute('aria-pressed')), 'true');
    const stopped = await page.evaluate(() => stopped);
    await press(page, expected.control);
    assert.equal(await page.evaluate(() => stopped), stopped + 1, `${expected.control}: a second press stops`);
    assert.equal(await page.evaluate(() => started.length), 1, `${expected.control}: and starts nothing`);
  }
});

// The waterfall of the frames by its rule, as RGBA bytes, each layout pixel a scale x scale block.
function waterfall(frames, scale) {
  const [width, height] = [392, 200];
  const lit = new Uint8Array(width * height);
  for (let k = 60; k >= 0; --k) {
    const baseline = 39 + 2 * (60 - k);
    let previous = 0;
    frames[k].forEach((level, i) => {
      const y = baseline - Math.floor(level / 4);
      const x = 8 + 2 * k + 2 * i;
      for (const column of [x, x + 1]) {
        for (let row = y + 1; row <= baseline + 32; ++row) {
          lit[row * width + column] = 0;
        }
        lit[y * width + column] = 1;
      }
      for (let row = Math.min(previous, y); i > 0 && row <= Math.max(previous, y); ++row) {
        lit[row * width + x] = 1;
      }
      previous = y;
    });
  }
  const rgba = Buffer.alloc(width * height * scale * scale * 4);
  for (let y = 0; y < height * scale; ++y) {
    for (let x = 0; x < width * scale; ++x) {
      const colour = lit[Math.floor(y / scale) * width + Math.floor(x / scale)] ? [0x9c, 0xe0, 0xff] : [0x10, 0x1c, 0x30];
      rgba.set([...colour, 255], (y * width * scale + x) * 4);
    }
  }
  return rgba;
}

test('a table\'s waterfall is its frames drawn by the rule at the window\'s scale', async (t) => {
  for (const [ratio, table] of [[1, 5], [2, 0]]) {
    await t.test(`table ${table} at ${ratio}`, async () => {
      const page = await openPanel([`--force-device-scale-factor=${ratio}`, '--window-size=1920,1080']);
      await chooseTable(page, table);
      const shown = await page.$eval('#waterfall', (canvas) => {
        const box = canvas.getBoundingClientRect();
        const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let binary = '';
        for (let start = 0; start < data.length; start += 0x8000) {
          binary += String.fromCharCode.apply(null, data.subarray(start, start + 0x8000));
        }
        return {size: [canvas.width, canvas.height, box.width * devicePixelRatio], base64: btoa(binary)};
      });
      assert.deepEqual(shown.size, [392 * ratio, 200 * ratio, 392 * ratio], 'one canvas pixel a device pixel');
      assert.ok(Buffer.from(shown.base64, 'base64').equals(waterfall(await tableFrames(table), ratio)), 'the pixels');
    });
  }
});

test('Tab reaches every control of the panel, each named for what it does', async () => {
  const page = await openPanel();
  await chooseTable(page, 3);
  await page.focus('#canvas');
  await page.keyboard.press('Escape');
  const names = [];
  for (let press = 0; press < 30; ++press) {
    await page.keyboard.press('Tab');
    names.push(await page.evaluate(() => document.activeElement.getAttribute('aria-label')));
  }
  const waves = Array.from({length: 8}, (_, n) => String(n).padStart(3, '0'));
  const expected = [...waves.flatMap((w) => [`Play wave ${w}`, `Download wave ${w} as WAV`]), 'Note to play at',
    'Play the band-limited wave, harmonics 1 to 63',
    'Download the bank as .wav', 'Download the bank as .wt',
    ...[1, 2, 3, 4].map((n) => `Download 256-sample bank ${n} as WAV`), 'Download everything as one .zip',
    'Wavetable to show, play and download', 'Seconds the sweep through the table\'s frames lasts', 'Play a sweep through table 03', 'Download table 03 as .wav', 'Download table 03 as .wt'];
  assert.deepEqual(names.slice(0, expected.length), expected);
});
