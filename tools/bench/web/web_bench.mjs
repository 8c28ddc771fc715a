// The web section of glimmer-bench, in headless Chromium, printed as
// "name value unit" lines like the desktop figures:
// - replay: the frames the desktop benchmark recorded (glimmer-bench
//   --save-frames FOLDER) replayed by glimmer-web-replay at their size: time
//   per frame, and the share of pixels of the first frames that differ from
//   the desktop renderer's by more than 8 levels in a channel;
// - replay also draws the same frames through the floor, a minimal WebGL
//   renderer of the benchmark's own, and gives the game's time against it;
// - page: the game's page on a phone (844 x 390 at a pixel ratio of 3, touch),
//   at 1920 x 1080 and at 640 x 480, each in a fresh profile: time from
//   navigation to the first menu frame and the files the page fetched until
//   then (the first play needs no more), gzipped; then updates per second and
//   dropped updates in 10 s of play at 640 x 480.
//
// Usage: node web_bench.mjs [--recordings FOLDER --replay FOLDER] [--site FOLDER]
//                           [--scenes game_640x480_,game_1280x720_]
import fs from 'fs';
import path from 'path';
import zlib from 'zlib';
import { launch, serve, sleep } from './browser.mjs';

const args = process.argv.slice(2);
const option = (name, fallback) => (args.includes(name) ? args[args.indexOf(name) + 1] : fallback);
const recordings = option('--recordings');
const replay = option('--replay');
const site = option('--site');
const scenes = option('--scenes', 'game_640x480_,game_1280x720_').split(',');
const figure = (name, value, unit) => console.log(`${name} ${Number.isFinite(value) ? value.toFixed(3) : 'n/a'} ${unit}`);
const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];

// Console lines of a page until one matches `done` (or the time runs out).
async function consoleUntil(page, done, ms) {
  const lines = [];
  page.on('console', (m) => lines.push(m.text()));
  for (const end = Date.now() + ms; Date.now() < end && !lines.some((l) => done.test(l));) await sleep(50);
  return lines;
}

const browser = await launch();
let failed = false;

if (recordings && replay) {
  const files = {};
  for (const name of fs.readdirSync(recordings)) files[`/${name}`] = path.resolve(recordings, name);
  const server = await serve(path.resolve(replay), files);
  for (const scene of scenes) {
    const [width, height] = scene.match(/(\d+)x(\d+)/).slice(1).map(Number);
    const page = await browser.newPage();
    await page.setViewport({ width, height });
    const waiting = consoleUntil(page, /^replay (done|failed)/, 300000);
    await page.goto(`${server.url}/glimmer-web-replay.html?scene=${scene}`);
    const lines = await waiting;
    lines.filter((l) => /^web_\S+ \S+ \S+$/.test(l)).forEach((l) => console.log(l));
    if (!lines.includes('replay done')) {
      console.log(`# ${scene}: ${lines.filter((l) => /replay|recording/.test(l)).join('; ') || 'no answer'}`);
      failed = true;
    }
    await page.close();
  }
  server.close();
}

if (site) {
  const root = path.resolve(site);
  const server = await serve(root);
  const cases = [
    ['phone_844x390', { width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true }],
    ['1920x1080', { width: 1920, height: 1080 }],
    ['640x480', { width: 640, height: 480 }],   // last: played on below
  ];
  let page;
  let lines;
  for (const [label, viewport] of cases) {
    const context = await browser.createBrowserContext();
    page = await context.newPage();
    await page.setViewport(viewport);
    lines = [];
    const fetched = new Set();
    page.on('console', (m) => lines.push(m.text()));
    page.on('requestfinished', (r) => fetched.add(decodeURIComponent(new URL(r.url()).pathname)));
    await page.goto(`${server.url}/?trace=1`);
    const traced = (event) => lines.find((l) => l.startsWith('glimmer-trace ') && l.endsWith(` ${event}`));
    for (const end = Date.now() + 120000; Date.now() < end && !traced('menu_frame');) await sleep(50);
    // The trace clock of the page counts from the start of the navigation.
    const at = (event) => (traced(event) ? 1000 * Number(traced(event).split(' ')[1]) : NaN);
    figure(`web_page_${label}_time_to_main`, at('main'), 'ms');
    figure(`web_page_${label}_time_to_menu`, at('menu_frame'), 'ms');
    let total = 0;
    for (const name of [...fetched].sort()) {
      const file = path.join(root, name.endsWith('/') ? `${name}index.html` : name);
      if (!fs.existsSync(file)) continue;
      const bytes = zlib.gzipSync(fs.readFileSync(file), { level: 9 }).length;
      total += bytes;
      figure(`web_page_${label}_transfer_${path.basename(file).replace(/[.-]/g, '_')}_gzip`, bytes / 1024, 'KiB');
    }
    figure(`web_page_${label}_transfer_total_gzip`, total / 1024, 'KiB');
    if (label !== '640x480') await context.close();
  }
  await sleep(1500);
  await page.keyboard.press('KeyZ', { delay: 100 });
  await sleep(2000);
  const from = lines.length;
  await sleep(10500);
  const seconds = lines.slice(from).filter((l) => / second updates=/.test(l))
    .map((l) => Object.fromEntries([...l.matchAll(/(\w+)=([\d.]+)/g)].map((m) => [m[1], Number(m[2])])));
  figure('web_play_640x480_updates_per_second', median(seconds.map((s) => s.updates)), 'updates/s');
  figure('web_play_640x480_frames_per_second', median(seconds.map((s) => s.frames)), 'frames/s');
  figure('web_play_640x480_dropped_updates', seconds.reduce((n, s) => n + s.dropped, 0) / seconds.length, 'updates/s');
  figure('web_play_640x480_render_p95', median(seconds.map((s) => s.render_p95_ms)), 'ms');
  server.close();
}

await browser.close();
process.exit(failed ? 1 : 0);
