// The browser edition's speed in headless chromium (software WebGL) on this
// machine: time from navigation to the first interactive frame, the size of
// what the page loads (and compressed), the main thread's time per frame at
// x1 and x16, and the browser's CPU share flying and paused.
//   tools/build_web.sh && node bench/web_page_bench.mjs [SECONDS]
// The desktop labo's CPU share beside it: bench/cpu_share.sh.
import { spawn } from 'node:child_process';
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { gzipSync } from 'node:zlib';

const root = new URL('..', import.meta.url).pathname;
const require = createRequire(new URL('../web/package.json', import.meta.url));
const { chromium } = require('playwright-core');
const seconds = Number(process.argv[2] ?? 8);
const port = 20000 + Math.floor(Math.random() * 20000);
const site = `${root}build-web/site`;
const loads = 5;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const percentile = (values, p) => [...values].sort((a, b) => a - b)[Math.floor(values.length * p)];
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const kb = (bytes) => `${(bytes / 1024).toFixed(0)} KB`;

// CPU ticks (user + system) of the chromium processes this program started:
// the browser, its renderer and GPU processes, whatever their depth.
function browserTicks() {
  let ticks = 0;
  const children = new Map();
  for (const entry of readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.replace(/^.*\) /, '').split(' ');
      const parent = Number(fields[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push({ pid: Number(entry), chromium: stat.includes('(chrom'),
        ticks: Number(fields[11]) + Number(fields[12]) });
    } catch { /* gone meanwhile */ }
  }
  const stack = [process.pid];
  while (stack.length > 0) {
    for (const child of children.get(stack.pop()) ?? []) {
      if (child.chromium) ticks += child.ticks;
      stack.push(child.pid);
    }
  }
  return ticks;
}

async function cpuShare(forSeconds) {
  const before = browserTicks();
  await sleep(forSeconds * 1000);
  const hz = 100;  // CLK_TCK on Linux
  return ((100 * (browserTicks() - before)) / (hz * forSeconds)).toFixed(1);
}

const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1', '--directory', site],
  { stdio: 'ignore' });
await sleep(800);
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
});
try {
  const address = `http://127.0.0.1:${port}/index.html`;
  const firsts = [];
  let loaded = 0;
  for (let i = 0; i < loads; ++i) {
    const context = await browser.newContext({ viewport: { width: 1400, height: 900 } });
    const page = await context.newPage();
    await page.goto(`${address}#cas=3`);
    await page.waitForFunction(() => performance.getEntriesByName('orvanel-premiere-image').length > 0);
    firsts.push(await page.evaluate(() => performance.getEntriesByName('orvanel-premiere-image')[0].startTime));
    loaded = await page.evaluate(() => performance.getEntriesByType('resource')
      .concat(performance.getEntriesByType('navigation')).reduce((sum, e) => sum + e.decodedBodySize, 0));
    await context.close();
  }
  console.log(`first interactive frame: median ${median(firsts).toFixed(0)} ms of ${loads} loads ` +
    `(${firsts.map((t) => t.toFixed(0)).join(', ')})`);
  let compressed = 0;
  for (const name of readdirSync(site)) compressed += gzipSync(readFileSync(`${site}/${name}`), { level: 9 }).length;
  const single = readFileSync(`${root}build-web/orvanel-labo.html`);
  console.log(`page loads ${kb(loaded)} (${kb(compressed)} gzip -9); single file ${kb(single.length)} ` +
    `(${kb(gzipSync(single, { level: 9 }).length)} gzip -9)`);

  const context = await browser.newContext({ viewport: { width: 1400, height: 900 } });
  const page = await context.newPage();
  // Case 3 after one press forward: the chaser drifts up and back for many
  // orbits, far from any verdict, so the run flies through both windows.
  await page.goto(`${address}#cas=3`);
  await page.waitForFunction(() => window.orvanel !== undefined);
  await page.keyboard.press('ArrowUp');
  const frames = async (label) => {
    await page.evaluate(() => { window.orvanel.app.frameTimes.length = 0; });
    const share = await cpuShare(seconds);
    const times = await page.evaluate(() => window.orvanel.app.frameTimes.slice());
    const stats = times.length ? `median ${median(times).toFixed(2)} ms, 95th ${percentile(times, 0.95).toFixed(2)} ms ` +
      `over ${times.length} frames` : 'no frames';
    const ended = await page.evaluate(() => window.orvanel.app.status.ended);
    console.log(`${label}: main thread per frame ${stats}; browser CPU ${share} % of a core` +
      (ended ? ' (the run ended meanwhile: measure again)' : ''));
  };
  await sleep(1000);
  await frames('flying x1 ');
  for (let i = 0; i < 4; ++i) await page.keyboard.press('Shift+S');
  await frames('flying x16');
  await page.keyboard.press('p');
  await sleep(500);
  await frames('paused    ');
} finally {
  await browser.close();
  server.kill();
}
