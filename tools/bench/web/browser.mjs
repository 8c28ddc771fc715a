// Headless Chromium for the web build's benchmark and tests: a static server
// for a folder on 127.0.0.1, and Debian's chromium started through
// puppeteer-core (installed in tests/web by scripts/web.sh --install-deps)
// with software WebGL, a new empty profile and no outside connections.
import fs from 'fs';
import http from 'http';
import os from 'os';
import path from 'path';
import { createRequire } from 'module';

// The npm packages of the headless driver.
export const requireDriver = createRequire(new URL('../../../tests/web/package.json', import.meta.url));

const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
  '.data': 'application/octet-stream', '.bin': 'application/octet-stream', '.json': 'application/json',
};

// Serves the files of `root` (and `extra` URL paths to other files); resolves to { url, close }.
export function serve(root, extra = {}) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = extra[name] || path.join(root, name.endsWith('/') ? `${name}index.html` : name);
    if (!file.startsWith(root) && !extra[name]) return response.writeHead(403).end();
    fs.readFile(file, (error, body) => {
      if (error) return response.writeHead(404).end();
      // Open to any origin, as static hosts commonly are: a page in a
      // sandboxed frame (an origin of its own) still loads its files.
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Access-Control-Allow-Origin': '*' }).end(body);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () =>
    resolve({ url: `http://127.0.0.1:${server.address().port}`, close: () => server.close() })));
}

export async function launch() {
  const puppeteer = requireDriver('puppeteer-core');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'glimmer-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: 'new',
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--disable-quic',
      '--disable-background-timer-throttling', '--disable-renderer-backgrounding', `--user-data-dir=${profile}`],
  });
  process.on('exit', () => fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5 }));
  return browser;
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
