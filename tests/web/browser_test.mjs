// The web build played in headless Chromium as a player would, unpacked
// from its zip into a subfolder of the server: the page loads with its
// download progress, the loading colour, then the menu, with no console
// error; the first key unlocks sound and the menu plays one; a click on the
// sound button at another canvas scale (CSS size x pixel ratio) turns sound
// off and the setting survives a reload (the state file lives in IndexedDB);
// real key presses start a game, a hidden page pauses it and saves, the save
// counted only once IndexedDB holds it, and keys complete level 1, whose run
// is kept in the records in IndexedDB. Replays: a link to it from the Records
// screen, and one to the solver's run, play in a fresh page with the final
// state the desktop's glimmer-replay finds, then the menu returns. On a phone
// (touch through the browser's own input protocol, pixel ratio 3): taps on
// the menu, none lost or doubled nor seen as mouse clicks, the first
// unlocking sound; the pause panel opened by a second finger while the first
// holds the pad, closed by a tap; level 1 completed by one finger held on the
// pad and slid from left to right; upright, the page asks to be turned; a
// #level= link's proof plays with the desktop's verdict and the level plays
// by touch; the editor works by taps and two fingers. Then
// the faults: a save the browser abandons (the page says so, the game goes
// on, the next save is stored), the page in a sandboxed frame with no storage
// at all (it plays, says so once, and no save fails), and a shader that does
// not compile (the game stops with the compiler's log). The page's live
// region says the menu item chosen, the level caption and the pause panel's
// choice, and a system asking for reduced motion starts the game with calm
// effects. Prints "ok:"/"FAIL:"
// lines and a count; fails when anything, the browser included, is missing.
//
// Last, the whole site from one command: glimmer-scores serving the page with
// --web, the player choosing to post with a name typed once, level 1's run
// posted to the page's own origin and seen on the Records screen's world board.
//
// Usage: node browser_test.mjs <glimmer-web.zip> <glimmer-replay> <solutions folder> <glimmer-scores>
//   (scripts/web.sh --zip makes the zip; the desktop build's tools; tests/game/solutions)
import { execFileSync, spawn } from 'child_process';
import fs from 'fs';
import os from 'os';
import path from 'path';
import { launch, requireDriver, serve, sleep } from '../../tools/bench/web/browser.mjs';

const { PNG } = requireDriver('pngjs');
// The zip in a folder two levels down, beside a page that frames it in a sandbox.
const site = fs.mkdtempSync(path.join(os.tmpdir(), 'glimmer-site-'));
process.on('exit', () => fs.rmSync(site, { recursive: true, force: true }));
fs.mkdirSync(path.join(site, 'games'));
execFileSync('unzip', ['-q', path.resolve(process.argv[2]), '-d', path.join(site, 'games', 'glimmer')]);
fs.writeFileSync(path.join(site, 'framed.html'),
  '<iframe sandbox="allow-scripts" src="games/glimmer/" width="640" height="480" style="border:0"></iframe>');
const replayTool = process.argv[3];
const solutions = process.argv[4];
let passed = 0;
let failed = 0;
function check(ok, what, detail = '') {
  console.log(`${ok ? 'ok' : 'FAIL'}: ${what}${ok || !detail ? '' : ` (${detail})`}`);
  ok ? ++passed : ++failed;
}

// Screenshots as RGBA pixels; positions are in CSS pixels of the page.
async function shot(page) {
  const img = PNG.sync.read(Buffer.from(await page.screenshot()));
  img.ratio = img.width / page.viewport().width;
  return img;
}
function pixel(img, x, y) {
  const o = (Math.round(y * img.ratio) * img.width + Math.round(x * img.ratio)) * 4;
  return [img.data[o], img.data[o + 1], img.data[o + 2]];
}
const near = (a, b, tol) => a.every((v, i) => Math.abs(v - b[i]) <= tol);
// Mean difference per channel over a rectangle [x, y, w, h] given at 640 x 480 and drawn at `scale` in `img`.
function regionDifference(img, reference, [x, y, w, h], scale = 1) {
  let sum = 0;
  for (let j = 0; j < h; ++j) {
    for (let i = 0; i < w; ++i) {
      const a = pixel(img, (x + i) * scale, (y + j) * scale);
      const b = pixel(reference, x + i, y + j);
      sum += Math.abs(a[0] - b[0]) + Math.abs(a[1] - b[1]) + Math.abs(a[2] - b[2]);
    }
  }
  return sum / (3 * w * h);
}
const server = await serve(site);
const home = `${server.url}/games/glimmer/`;
const browser = await launch();
const page = await browser.newPage();
await page.setViewport({ width: 640, height: 480 });

const consoleLines = [];
const errors = [];
// A static host has no world board: its 404 on the board's routes is the
// page's "offline", no error (the Records screen says so, checked below).
const boardRoute = (m) => /\/api\//.test((m.location() || {}).url || '');
page.on('console', (m) => (m.type() === 'error' && !boardRoute(m) ? errors : consoleLines).push(m.text()));
page.on('pageerror', (e) => errors.push(e.message));
page.on('requestfailed', (r) => errors.push(`request failed: ${r.url()}`));
const seen = (re) => consoleLines.some((l) => re.test(l));
async function waitConsole(re, ms) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(50)) if (seen(re)) return true;
  return false;
}

// Every status text the page shows, every audio context, every sound started and every mouse press.
const instrument = (p) => p.evaluateOnNewDocument(() => {
  window.mouseDowns = 0;
  window.addEventListener('mousedown', () => ++window.mouseDowns, true);
  window.statusTexts = [];
  new MutationObserver(() => {
    const t = document.getElementById('status-text');
    if (t && t.offsetParent !== null) window.statusTexts.push(t.textContent);
  }).observe(document, { subtree: true, childList: true, characterData: true, attributes: true });
  window.audioContexts = [];
  window.played = [];
  const Context = window.AudioContext;
  window.AudioContext = function (...args) {
    const context = new Context(...args);
    window.audioContexts.push(context);
    return context;
  };
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.played.push(performance.now());
    return start.apply(this, args);
  };
});
await instrument(page);

// A slow line, so that the download takes a moment and its progress shows.
const cdp = await page.createCDPSession();
await cdp.send('Network.emulateNetworkConditions',
  { offline: false, latency: 20, downloadThroughput: 4e6, uploadThroughput: 4e6 });

// The loading screen's clear colour shows in the corner, then the menu once
// it has slid in: the red play triangle and the green help button in place.
const loadingColour = [40, 40, 80];
const playTriangle = [137, 56, 109];   // the half-transparent play button over the backdrop
const helpGreen = [50, 150, 102];
async function waitPicture(test, ms, take = () => shot(page)) {
  for (const end = Date.now() + ms; Date.now() < end;) {
    const img = await take();
    if (test(img)) return img;
  }
  return null;
}
// Loads the page (or, with no url, waits as the game reloads its pictures for a new size).
async function reachMenu(url, label, scale = 1) {
  if (url) await page.goto(url);
  const loading = await waitPicture((img) => near(pixel(img, 3, 3), loadingColour, 8), 60000);
  check(loading !== null, `${label}: the loading colour (40, 40, 80) shows`);
  const menu = await waitPicture((img) => near(pixel(img, 320 * scale, 288 * scale), playTriangle, 24) &&
    near(pixel(img, 230 * scale, 420 * scale), helpGreen, 24), 60000);
  check(menu !== null, `${label}: the menu shows`);
  await sleep(500);
  return shot(page);
}

await reachMenu(`${home}?trace=1`, 'first visit');
const statuses = await page.evaluate(() => window.statusTexts);
check(statuses.some((t) => /Downloading \d+(\.\d)? MB/.test(t)), 'the download progress shows',
  JSON.stringify(statuses.slice(0, 3)));
await cdp.send('Network.emulateNetworkConditions',
  { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });

// Sound: locked until the first key; then the menu's selection sound plays.
const states = () => page.evaluate(() => window.audioContexts.map((c) => c.state));
const before = await states();
const playedBefore = await page.evaluate(() => window.played.length);
check(before.length > 0 && before.every((s) => s !== 'running') && playedBefore === 0,
  'sound is locked and silent before the first key', JSON.stringify(before));
// Players hold keys and buttons for a moment: the game reads whether they
// are down at each update, and a busy machine may draw few frames a second.
const hold = { delay: 250 };
await page.keyboard.press('ArrowRight', hold);
const sounded = await page.waitForFunction(() => window.played.length > 0, { timeout: 5000 }).catch(() => null);
const after = await states();
check(after.length > 0 && after.every((s) => s === 'running'), 'the first key unlocks sound', JSON.stringify(after));
check(sounded !== null, 'the key plays a sound');
// What a screen reader follows: the page's live region says the menu item chosen.
const spoken = (p = page) => p.evaluate(() => {
  const region = document.getElementById('announce');
  return region.getAttribute('aria-live') === 'polite' ? region.textContent : 'no polite live region';
});
const speaks = async (re, p = page) => {
  for (const end = Date.now() + 5000; Date.now() < end; await sleep(100)) if (re.test(await spoken(p))) return true;
  return false;
};
check(await speaks(/^Main menu: Help: on\. Sound on\.$/), 'the live region says the menu item chosen', await spoken());
// The menu takes a new key once it has seen every key up: on a busy machine a
// frame can last longer than the gap between one release and the next press,
// so the next press waits for two frames of the page after the release.
await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
await page.keyboard.press('ArrowLeft', hold);
check(await speaks(/^Main menu: Play\./), 'and the next one', await spoken());

// The sound button: a click turns sound off (its icon changes) and the
// setting comes back from IndexedDB after a reload.
const soundButton = [10, 220, 40, 40];
const changed = (a, b) => regionDifference(a, b, soundButton) > 2;
const onPicture = await shot(page);
await page.mouse.click(30, 240, hold);
await sleep(700);
const offPicture = await shot(page);
check(changed(onPicture, offPicture), 'a click turns sound off');
const reloaded = await reachMenu(home, 'reload');
check(seen(/^Settings Loaded$/), 'the saved settings are read at start');
check(!changed(reloaded, offPicture) && changed(reloaded, onPicture), 'sound is still off after the reload');

// Another page size at twice the pixel ratio: the canvas follows it, and a
// click still lands on the sound button.
await page.setViewport({ width: 800, height: 600, deviceScaleFactor: 2 });
const scale = 800 / 640;
// The canvas takes its full size once the pictures for it have arrived.
const fullSize = await page.waitForFunction(() => document.getElementById('canvas').width === 1600 &&
  document.getElementById('canvas').height === 1200, { timeout: 20000 }).catch(() => null);
check(fullSize !== null, 'the canvas has CSS size x pixel ratio pixels');
const scaledMenu = await reachMenu(null, 'resized', scale);
await page.mouse.click(30 * scale, 240 * scale, hold);
await sleep(700);
check(regionDifference(await shot(page), scaledMenu, soundButton, scale) > 2, 'a click on the scaled canvas turns sound on');

// A game started by keys.
await page.setViewport({ width: 640, height: 480 });
await reachMenu(null, 'back at 640 x 480');
await page.keyboard.press('KeyZ', hold);
await sleep(1500);
check(await speaks(/^Level 1 of 15$/), 'the live region says the level caption', await spoken());

// Another tab in front hides the page: the game pauses (the pause panel, as
// when the window loses the focus) and escape resumes it.
async function hide(p) {
  const other = await browser.newPage();
  await other.bringToFront();
  await sleep(1000);
  await p.bringToFront();
  await other.close();
}
const panelOrange = [178, 108, 12];
const panelShown = (img) => near(pixel(img, 260, 230), panelOrange, 24);
await hide(page);
check(await waitPicture(panelShown, 5000) !== null, 'a hidden page pauses the game: the pause panel shows on return');
check(await speaks(/^Paused, Level 1 of 15: Resume$/), 'the live region says the pause panel\'s choice', await spoken());
await page.keyboard.press('Escape', hold);
check(await waitPicture((img) => !panelShown(img), 5000) !== null, 'escape resumes the game');

// The hidden page saved: the page counts a save only once IndexedDB has
// committed it, and what it holds is the game's state (98 numbers and "|").
const storedFile = (name) => new Promise((resolve) => {
  const request = indexedDB.open('glimmer');
  request.onerror = () => resolve('');
  request.onsuccess = () => {
    const get = request.result.transaction(['files']).objectStore('files').get(name);
    get.onsuccess = () => resolve(get.result ? new TextDecoder('latin1').decode(get.result) : '');
    get.onerror = () => resolve('');
  };
});
check(await page.waitForFunction(() => Module.saves.stored > 0, { timeout: 10000 }).catch(() => null) !== null &&
  /^(-?\d+\|){98}$/.test(await page.evaluate(storedFile, '.zephyrstate')),
  'a hidden page saves: reported once IndexedDB holds the state');

// Level 1 by keys: left past the tree to the wall, then right onto the exit
// star. Reaching it keeps the run in the records, which IndexedDB holds as
// it holds the save (the page's only word that the level is done: the
// camera moving under the level caption changes its picture as well).
await page.keyboard.down('ArrowLeft');
await sleep(4000);
await page.keyboard.up('ArrowLeft');
await page.keyboard.down('ArrowRight');
const finished = await page.waitForFunction(() => Module.saves.stored > 1, { timeout: 20000 }).catch(() => null);
await page.keyboard.up('ArrowRight');
const recordsFile = await page.evaluate(storedFile, '.zephyrrecords');
check(finished !== null && recordsFile.startsWith('GLRC'), 'level 1 completes by keys: its run is kept in IndexedDB',
  JSON.stringify(recordsFile.slice(0, 4)));

// From the Records screen (R on the menu) H puts a link to the run in the address.
for (const key of ['Escape', 'ArrowUp', 'KeyZ']) {
  await page.keyboard.press(key, hold);
  await sleep(300);
}
check(await waitPicture((img) => near(pixel(img, 320, 288), playTriangle, 24), 20000) !== null,
  'the pause panel\'s quit leads back to the menu');
await page.keyboard.press('KeyR', hold);
await sleep(500);
check(await speaks(/World board: offline/), 'a page without a board says offline on the Records screen', await spoken());
await page.keyboard.press('KeyH', hold);
const linked = await page.waitForFunction(() => /^#replay=[A-Za-z0-9_-]+$/.test(location.hash), { timeout: 5000 })
  .catch(() => null);
check(linked !== null, 'H on the Records screen puts a link to the run in the address');

// Links played in a fresh page: the game checks the run as glimmer-replay
// does on the desktop, with the same line, then plays it and returns to the
// menu. One link comes from the page, one from the solver's script of level 1.
function nativeCheck(linkText) {
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'glimmer-replay-')), 'run.glimmer-replay');
  fs.writeFileSync(file, Buffer.from(linkText, 'base64url'));
  const line = execFileSync(replayTool, ['verify', file], { encoding: 'utf8' }).trim();
  return line.slice(file.length + 2);
}
const recorded = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'glimmer-replay-')), 'level01.glimmer-replay');
execFileSync(replayTool, ['record', '1', path.join(solutions, 'level01.keys'), recorded]);
const solverLink = execFileSync(replayTool, ['link', recorded], { encoding: 'utf8' }).trim();
const pageLink = linked ? new URL(page.url()).hash.slice('#replay='.length) : '';
for (const [label, text] of [['the page\'s link', pageLink], ['the solver\'s run', solverLink]]) {
  const viewer = await browser.newPage();
  await viewer.setViewport({ width: 640, height: 480 });
  const lines = [];
  viewer.on('console', (m) => lines.push(m.text()));
  await viewer.goto(`${home}#replay=${text}`);
  let said = '';
  for (const end = Date.now() + 60000; !said && Date.now() < end; await sleep(100)) {
    said = lines.find((l) => l.startsWith('Replay: ')) || '';
  }
  const expected = `Replay: ${nativeCheck(text)}`;
  check(said === expected && / completes the level in state [0-9a-f]{8}$/.test(said),
    `${label} plays in the page with the desktop's final state`, `${said} | ${expected}`);
  check(await waitPicture((img) => near(pixel(img, 320, 288), playTriangle, 24), 60000, () => shot(viewer)) !== null,
    `${label}: the menu follows the run`);
  await viewer.close();
}

// On a phone held sideways: 844 x 390 CSS pixels at a pixel ratio of 3,
// touched through the browser's input protocol. Places are in the game's
// virtual pixels (640 wide here, so 844 / 640 CSS pixels each): the menu's
// play button (320, 177) and sound button (32, 148), the pause button
// (16, 16), the panel's resume button (320, 148), the pad's left and right
// key caps (38, 209) and (134, 209).
const phone = await browser.newPage();
await instrument(phone);
phone.on('console', (m) => (m.type() === 'error' ? errors : consoleLines).push(m.text()));
phone.on('pageerror', (e) => errors.push(e.message));
await phone.setViewport({ width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
const touchInput = await phone.createCDPSession();
const at = ([x, y]) => ({ x: x * 844 / 640, y: y * 844 / 640 });
// touch(type, place...): the fingers down after the event, in order (finger i keeps id i).
const touch = (type, ...places) => touchInput.send('Input.dispatchTouchEvent',
  { type, touchPoints: places.map((place, id) => ({ ...at(place), id })) });
const tap = async (place) => { await touch('touchStart', place); await touch('touchEnd'); await sleep(400); };
const phoneShot = async () => { const img = await shot(phone); img.ratio *= 844 / 640; return img; };
consoleLines.length = 0;
await phone.goto(`${home}?trace=1`);
await waitConsole(/ menu_frame$/, 60000);
await sleep(1000);
const soundIcon = [12, 128, 40, 40];
const phoneMenu = await phoneShot();
await tap([32, 148]);
const soundOff = await phoneShot();
await tap([32, 148]);
check(regionDifference(soundOff, phoneMenu, soundIcon) > 2 && regionDifference(await phoneShot(), phoneMenu, soundIcon) < 2,
  'phone: each quick tap on the sound button counts once');
const soundRuns = () => phone.waitForFunction(() => window.audioContexts.length > 0 &&
  window.audioContexts.every((c) => c.state === 'running'), { timeout: 3000 }).then(() => true, () => false);
const soundStates = () => phone.evaluate(() => window.audioContexts.map((c) => c.state).join());
check(await soundRuns(), 'phone: a tap unlocks sound', await soundStates());
// A locked screen suspends the sound; the page shown again resumes it.
await phone.evaluate(() => Promise.all(window.audioContexts.map((c) => c.suspend())));
await hide(phone);
check(await soundRuns(), 'phone: the sound comes back with the page', await soundStates());
await tap([320, 177]);
await sleep(1500);
const phoneCaption = [510, 10, 124, 20];
const phoneLevel1 = await phoneShot();
const panelOn = (img) => { const [r, g, b] = pixel(img, 190, 148); return r > 150 && g > 80 && g < 170 && b < 90; };
await touch('touchStart', [38, 209]);
await touch('touchStart', [38, 209], [16, 16]);
await touch('touchEnd', [38, 209]);
check(await waitPicture(panelOn, 5000, phoneShot) !== null,
  'phone: a second finger taps pause while the first holds the pad');
await touch('touchEnd');
await sleep(300);
await tap([320, 148]);
check(await waitPicture((img) => !panelOn(img), 5000, phoneShot) !== null, 'phone: a tap on resume closes the panel');
await touch('touchStart', [38, 209]);
await sleep(4000);
await touch('touchMove', [134, 209]);
check(await waitPicture((img) => regionDifference(img, phoneLevel1, phoneCaption) > 10, 20000, phoneShot) !== null,
  'phone: level 1 completes by a finger held on the pad and slid from left to right');
await touch('touchEnd');
check(await phone.evaluate(() => window.mouseDowns) === 0, 'phone: no touch was also a mouse click');
await phone.setViewport({ width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
check(await phone.waitForFunction(() => getComputedStyle(document.getElementById('turn')).display !== 'none',
  { timeout: 5000 }).catch(() => null) !== null, 'phone: held upright, the page asks to be turned');
await phone.close();

// A level link opened on a phone: the page plays the level's proof again
// with the verdict the desktop's glimmer-level gives, shows the proof, then
// the list of levels, where a tap on the level plays it by touch to its exit.
const levelTool = path.join(path.dirname(path.dirname(replayTool)), 'level', 'glimmer-level');
const levelFile = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'glimmer-level-')), 'one.glimmer-level');
execFileSync(levelTool, ['export', '--proof', path.join(solutions, 'level01.keys'), '1', levelFile]);
const levelLink = execFileSync(levelTool, ['link', levelFile], { encoding: 'utf8' }).trim();
const levelVerdict = execFileSync(levelTool, ['verify', levelFile], { encoding: 'utf8' }).trim();
const linkPhone = await browser.newPage();
await linkPhone.setViewport({ width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
const linkLines = [];
linkPhone.on('console', (m) => (m.type() === 'error' ? errors : linkLines).push(m.text()));
linkPhone.on('pageerror', (e) => errors.push(e.message));
const linkTouch = await linkPhone.createCDPSession();
const fingers = (type, ...places) => linkTouch.send('Input.dispatchTouchEvent',
  { type, touchPoints: places.map((place, id) => ({ ...at(place), id })) });
const said = async (re, ms) => {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(100)) {
    const line = linkLines.find((l) => re.test(l));
    if (line) return line;
  }
  return '';
};
check(levelLink.length < 2000 && /^#level=[A-Za-z0-9_-]+$/.test(levelLink), 'glimmer-level link prints a short #level= link',
  `${levelLink.length} characters`);
await linkPhone.goto(`${home}?trace=1${levelLink}`);
const levelLine = await said(/^Level: /, 60000);
const verdict = (line) => line.slice(line.indexOf('proved: '));
check(/ completes the level in state [0-9a-f]{8}$/.test(levelLine) && verdict(levelLine) === verdict(levelVerdict),
  'phone: a level link\'s proof plays again in the page with the desktop\'s verdict', `${levelLine} | ${levelVerdict}`);
check(/completes the level/.test(await said(/^Replay: /, 10000)), 'phone: the level\'s proof is shown');
check(await said(/ levels_frame$/, 60000) !== '', 'phone: the list of levels follows the proof');
await sleep(500);
await fingers('touchStart', [200, 136]);   // the level's row, chosen by the link: a tap plays it
await fingers('touchEnd');
await sleep(1500);
await fingers('touchStart', [38, 209]);
await sleep(4000);
await fingers('touchMove', [134, 209]);
check(await said(/ player_level_cleared$/, 20000) !== '', 'phone: the linked level plays by touch to its exit');
await fingers('touchEnd');

// The editor by touch on the same phone (a screen 640 x 296 game pixels):
// "New level" tapped twice (chosen, then opened); the palette, narrowed to
// three columns of 23-pixel squares to stay above the tools, chooses by a
// tap, the last kind too; a tap on the map places the brush; two fingers
// dragged scroll the view; a tap on Test plays the level.
const phoneH = 390 * 640 / 844;
const fingerTap = async (place) => { await fingers('touchStart', place); await fingers('touchEnd'); await sleep(500); };
const palette = (index) => {
  const room = phoneH - 36 - 60 - 8, kinds = 22;
  let columns = 2, cell = 32;
  if (Math.ceil(kinds / columns) * cell > room) {
    columns = 3;
    cell = Math.min(Math.floor(80 / columns), Math.floor(room / Math.ceil(kinds / columns)));
  }
  const x0 = 640 - 84 + (84 - columns * cell) / 2;
  return [x0 + cell * (index % columns) + cell / 2, 44 + cell * Math.floor(index / columns) + cell / 2];
};
// The tools along the bottom: 10 pixels beside each label of 7-pixel letters, 4 between.
const tool = (name) => {
  const labels = ['Back', 'Undo', 'Redo', '-', '+', 'Select', 'Fill', 'Clear', 'Copy', 'Paste', 'Move', 'Test', 'From here'];
  let x = 4;
  for (const label of labels.slice(0, labels.indexOf(name))) x += 10 + 7 * label.length + 4;
  return [x + (10 + 7 * name.length) / 2, phoneH - 60 + 6 + 12];
};
const linkShot = async () => { const img = await shot(linkPhone); img.ratio *= 844 / 640; return img; };
await sleep(2000);   // the exit's sequence, then the list
await fingerTap([200, 92]);
await fingerTap([200, 92]);
check(await speaks(/^Editor: brush wall\./, linkPhone), 'phone: New level tapped twice opens the editor', await spoken(linkPhone));
await fingerTap(palette(21));
check(await speaks(/^Editor: brush decoration 2\./, linkPhone), 'phone: a tap on the palette\'s last kind chooses it',
  await spoken(linkPhone));
await fingerTap(palette(10));
check(await speaks(/^Editor: brush tree\./, linkPhone), 'phone: a tap on the palette chooses the tree', await spoken(linkPhone));
await fingerTap([300, 100]);
check(await speaks(/^Editor: brush tree\. \d+,\d+: tree\./, linkPhone), 'phone: a tap on the map places the tree',
  await spoken(linkPhone));
const mapArea = [0, 40, 550, 190];
const beforeScroll = await linkShot();
await fingers('touchStart', [300, 140], [360, 140]);
for (let step = 1; step <= 6; step++) {
  await fingers('touchMove', [300 - 16 * step, 140], [360 - 16 * step, 140]);
  await sleep(60);
}
await fingers('touchEnd');
await sleep(500);
check(regionDifference(await linkShot(), beforeScroll, mapArea) > 1, 'phone: two fingers dragged scroll the map');
check(await speaks(/^Editor: brush tree\. \d+,\d+: tree\./, linkPhone), 'phone: two fingers paint nothing',
  await spoken(linkPhone));
await fingerTap(tool('Test'));
check(await speaks(/^My level, a test$/, linkPhone), 'phone: a tap on Test plays the level', await spoken(linkPhone));
await linkPhone.close();

// A system that asks for reduced motion: a first start (a profile of its own)
// has calm effects on, as the Options screen says (Options is the menu's
// fifth choice, calm effects its fourth row).
const calmContext = await browser.createBrowserContext();
const calm = await calmContext.newPage();
await calm.setViewport({ width: 640, height: 480 });
await calm.emulateMediaFeatures([{ name: 'prefers-reduced-motion', value: 'reduce' }]);
await calm.goto(`${home}?trace=1`);
calm.on('console', (m) => (m.type() === 'error' ? errors : consoleLines).push(m.text()));
await calm.waitForFunction(() => /^Main menu: Play/.test(document.getElementById('announce').textContent),
  { timeout: 60000 }).catch(() => null);
for (const key of ['ArrowDown', 'ArrowDown', 'ArrowDown', 'ArrowDown', 'Enter', 'ArrowDown', 'ArrowDown', 'ArrowDown']) {
  await calm.keyboard.press(key, hold);
  await sleep(150);
}
check(await speaks(/^Options: Calm effects: On\./, calm), 'reduced motion asked for: calm effects start on',
  await spoken(calm));
await calmContext.close();

check(errors.length === 0, 'no console errors', errors.join(' | '));

const frameChanges = async (p) => {
  const a = PNG.sync.read(Buffer.from(await p.screenshot()));
  await sleep(1000);
  const b = PNG.sync.read(Buffer.from(await p.screenshot()));
  return !a.data.equals(b.data);
};

// Storage refused: every IndexedDB write is abandoned before it commits, as
// a full quota makes it. The page tells the player and does not count the
// save as stored, the game goes on, and once storage works again the next
// save is stored and the message goes.
const refused = await browser.newPage();
await refused.setViewport({ width: 640, height: 480 });
await refused.evaluateOnNewDocument(() => {
  window.refuseStorage = true;
  const put = IDBObjectStore.prototype.put;
  IDBObjectStore.prototype.put = function (...args) {
    const request = put.apply(this, args);
    if (window.refuseStorage) this.transaction.abort();
    return request;
  };
});
await refused.goto(home);
await refused.bringToFront();
await refused.waitForFunction(() => window.Module && Module.calledRun, { timeout: 60000 }).catch(() => null);
await sleep(3000);
await hide(refused);
const problemShown = () => !document.getElementById('save-problem').hidden &&
  /could not be saved/.test(document.getElementById('save-problem').textContent);
check(await refused.waitForFunction(problemShown, { timeout: 10000 }).catch(() => null) !== null &&
  await refused.evaluate(() => Module.saves.stored === 0 && Module.saves.failed > 0),
  'storage refused: the page says the progress could not be saved, and counts no save as stored');
check(await frameChanges(refused), 'storage refused: the game goes on');
await refused.evaluate(() => { window.refuseStorage = false; });
await hide(refused);
check(await refused.waitForFunction(() => Module.saves.stored > 0 && document.getElementById('save-problem').hidden,
  { timeout: 10000 }).catch(() => null) !== null, 'storage back: the next save is stored and the message goes');
await refused.close();

// No storage at all: the page in a sandboxed frame (an origin of its own, to
// which the browser gives no storage) starts and plays, says once that
// progress will not be kept, and its saves are no failures.
const framed = await browser.newPage();
await framed.setViewport({ width: 640, height: 480 });
await framed.goto(`${server.url}/framed.html`);
const frame = () => framed.frames().find((f) => f !== framed.mainFrame());
check(await frame().waitForFunction(() => window.Module && Module.calledRun, { timeout: 60000 }).catch(() => null) !== null,
  'no storage: the game starts in a sandboxed frame');
await sleep(3000);
await framed.mouse.click(320, 288, hold);
await sleep(1500);
await hide(framed);
await sleep(1000);
check(await frame().evaluate(() => !document.getElementById('no-storage').hidden && document.getElementById('save-problem').hidden &&
  !Module.saves.kept && Module.saves.failed === 0), 'no storage: the page says so once, and a save is no failure');
check(await frameChanges(framed), 'no storage: the game goes on');
await framed.close();

// A shader that does not compile: the game stops through the runtime error
// with the compiler's log, the page says it has stopped, and the shader is deleted.
const broken = await browser.newPage();
const brokenLines = [];
broken.on('console', (m) => brokenLines.push(m.text()));
await broken.evaluateOnNewDocument(() => {
  window.deletedShaders = 0;
  const source = WebGLRenderingContext.prototype.shaderSource;
  WebGLRenderingContext.prototype.shaderSource = function (shader, text) {
    return source.call(this, shader, text.replace('void main() {', 'void main() { broken'));
  };
  const remove = WebGLRenderingContext.prototype.deleteShader;
  WebGLRenderingContext.prototype.deleteShader = function (shader) {
    window.deletedShaders++;
    return remove.call(this, shader);
  };
});
await broken.goto(home);
const brokenStopped = await broken.waitForFunction(
  () => /Glimmer has stopped/.test(document.getElementById('status-text').textContent), { timeout: 60000 }).catch(() => null);
check(brokenStopped !== null && brokenLines.some((l) => /^Zephyr Runtime Error : WebGL shader did not compile: \S/.test(l)) &&
  await broken.evaluate(() => window.deletedShaders) > 0,
  'a broken shader stops the game with the compiler\'s log, and the shader is deleted', brokenLines.slice(-3).join(' | '));
await broken.close();

// The whole site from one command: glimmer-scores serves the page (--web)
// beside its board, and the page reads and posts to its own origin. The
// player chooses to post with a name, completes level 1 by keys, the run is
// posted, and the Records screen shows it on the world board.
const scoresTool = process.argv[5];
const scoresWork = fs.mkdtempSync(path.join(os.tmpdir(), 'glimmer-scores-'));
const scores = spawn(scoresTool, ['serve', '--address', '127.0.0.1', '--port', '0', '--database',
  `sqlite:${path.join(scoresWork, 'scores.db')}`, '--web', path.join(site, 'games', 'glimmer')]);
process.on('exit', () => { scores.kill('SIGKILL'); fs.rmSync(scoresWork, { recursive: true, force: true }); });
let scoresLog = '';
scores.stdout.on('data', (d) => { scoresLog += d; });
scores.stderr.on('data', (d) => { scoresLog += d; });
let scoresPort = 0;
for (const end = Date.now() + 30000; !scoresPort && Date.now() < end; await sleep(100)) {
  scoresPort = Number((/listening on 127\.0\.0\.1 port (\d+)/.exec(scoresLog) || [])[1] || 0);
}
check(scoresPort > 0, 'glimmer-scores serves the browser build with --web', scoresLog.slice(-300));
const site2 = await browser.newPage();
await site2.setViewport({ width: 640, height: 480 });
const siteLines = [];
site2.on('console', (m) => (m.type() === 'error' ? errors : siteLines).push(m.text()));
site2.on('pageerror', (e) => errors.push(e.message));
await site2.goto(`http://127.0.0.1:${scoresPort}/`);
check(await waitPicture((img) => near(pixel(img, 320, 288), playTriangle, 24), 60000, () => shot(site2)) !== null,
  'the site: the page served by glimmer-scores reaches the menu');
await sleep(500);
await site2.keyboard.press('KeyR', hold);
check(await speaks(/World board: no runs yet/, site2), 'the site: the Records screen reads the empty board of level 1',
  await spoken(site2));
// P asks for a name once; the name typed, enter switches posting on.
await site2.keyboard.press('KeyP', hold);
await sleep(300);
await site2.keyboard.type('Holly Web', { delay: 60 });
await site2.keyboard.press('Enter', hold);
await sleep(300);
const playerFile = await site2.evaluate(storedFile, '.zephyrboards');
check(/\nname Holly Web\nposting on\n/.test(playerFile), 'the site: the name and the choice to post are kept',
  JSON.stringify(playerFile.slice(0, 120)));
await site2.keyboard.press('Escape', hold);
await sleep(800);
await site2.keyboard.press('KeyZ', hold);
await sleep(1500);
await site2.keyboard.down('ArrowLeft');
await sleep(4000);
await site2.keyboard.up('ArrowLeft');
await site2.keyboard.down('ArrowRight');
let postedLine = '';
for (const end = Date.now() + 30000; !postedLine && Date.now() < end; await sleep(100)) {
  postedLine = siteLines.find((l) => l.startsWith('Boards: ')) || '';
}
await site2.keyboard.up('ArrowRight');
check(postedLine === 'Boards: Posted: level 1, place 1 on the world board', 'the site: level 1\'s new best run is posted',
  postedLine || siteLines.slice(-3).join(' | '));
const board = await (await fetch(`http://127.0.0.1:${scoresPort}/api/levels/1/top`)).json().catch(() => ({}));
check((board.runs || []).length === 1 && board.runs[0].name === 'Holly Web', 'the site: the server\'s board holds the run',
  JSON.stringify(board));
for (const key of ['Escape', 'ArrowUp', 'KeyZ']) {
  await site2.keyboard.press(key, hold);
  await sleep(300);
}
await waitPicture((img) => near(pixel(img, 320, 288), playTriangle, 24), 20000, () => shot(site2));
await site2.keyboard.press('KeyR', hold);
const placed = board.runs && board.runs[0] ? board.runs[0].time : 'none';
check(await speaks(new RegExp(`World board: 1\\. Holly Web ${placed.replace('.', '\\.')}; you: 1\\. `), site2),
  'the site: the Records screen shows the run on the world board, the player\'s own', await spoken(site2));
await site2.close();

await browser.close();
server.close();
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
