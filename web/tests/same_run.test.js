// One script of presses flown by the desktop's core (a native program built
// from labo_core) and by the WebAssembly core in the page must give the same
// record, byte for byte: the same equations, steps, verdicts and numbers.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { expect, test } from './fixtures.js';

const replay = process.env.ORVANEL_REPLAY ?? new URL('../../build/tests/web/replay_record', import.meta.url).pathname;
const keys = { left: 100, up: 101, right: 102, down: 103, pageUp: 104, pageDown: 105 };
// Case 5 (below the target and moving), 900 steps: presses on every axis,
// several in one step, some while others wait.
const steps = 900;
const presses = [[0, keys.up], [0, keys.up], [0, keys.right], [37, keys.pageUp], [120, keys.down],
  [121, keys.left], [121, keys.left], [400, keys.pageDown], [401, keys.up], [650, keys.down]];
const script = `${steps};${presses.map(([step, key]) => `${step}:${key}`).join(',')}`;

test('le même essai donne le même relevé au bureau et dans la page', async ({ labo }) => {
  const folder = mkdtempSync(join(tmpdir(), 'orvanel-replay-'));
  let native;
  try {
    native = execFileSync(replay, ['5', script, folder], { cwd: new URL('../..', import.meta.url).pathname }).toString();
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
  await labo.open();
  const web = await labo.page.evaluate(({ steps, presses }) => {
    const m = window.orvanel.core.module;
    m.startCase(4);
    for (let step = 0; step < steps; ++step) {
      for (const [at, key] of presses) if (at === step) m.press(key);
      m.stepOnce();
    }
    const path = m.status().record.path;
    m.restart();
    return new TextDecoder().decode(m.FS.readFile(path));
  }, { steps, presses });
  const rows = native.split('\n');
  expect(rows.length).toBeGreaterThan(steps);
  expect(web.split('\n')).toEqual(rows);
});
