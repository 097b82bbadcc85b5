// Orvanel Labo in a real browser: the chooser, the clock, presses and the
// prediction, teacher files and their messages, the verdict and the record,
// shared links, and a student docking with the keys and with the buttons.
import { contactCase, expect, test } from './fixtures.js';

test('la page charge sans erreur et le choix propose les six cas', async ({ labo }) => {
  await labo.open();
  const items = labo.page.locator('#liste-cas li');
  await expect(items).toHaveCount(6);
  await expect(items.nth(2)).toContainText('Derrière la cible (Omega = 0,25)');
  await expect(labo.page.locator('#choix-cas')).toBeVisible();
});

test('le temps suit une unité par seconde et une poussée change la prédiction', async ({ labo }) => {
  const { page } = labo;
  await labo.open();
  await page.keyboard.press('3');
  await expect(page.locator('#titre-cas')).toHaveText('Derrière la cible (Omega = 0,25)');
  const startWall = await page.evaluate(() => performance.now());
  const startTime = (await labo.status()).time;
  await page.waitForTimeout(2000);
  const wall = (await page.evaluate(() => performance.now()) - startWall) / 1000;
  const flown = (await labo.status()).time - startTime;
  // One time unit per second; a frame late or a step owed is the most it lags.
  expect(flown / wall).toBeGreaterThan(0.8);
  expect(flown / wall).toBeLessThan(1.05);

  await page.keyboard.press('p');
  await expect(page.locator('#grande-pause')).toBeVisible();
  const coast = () => page.evaluate(() => Array.from(window.orvanel.core.module.prediction()));
  const before = await coast();
  await page.keyboard.press('ArrowUp');
  await expect(page.locator('#attente')).toHaveText('1 poussée en attente');
  const after = await coast();
  expect(after.length).toBe(before.length);
  expect(after).not.toEqual(before);
  // Paused, the clock stands still.
  const paused = (await labo.status()).time;
  await page.waitForTimeout(500);
  expect((await labo.status()).time).toBe(paused);
});

test('un fichier de cas avec une erreur donne le message avec sa ligne', async ({ labo }) => {
  await labo.open();
  await labo.openFile('faute.in', 'dt=0.005\nnx=500\ntrois=3\nOmega = 0,2,5\nX0=0\n');
  await expect(labo.page.locator('#erreur-fichier'))
    .toHaveText('ligne 4 : « Omega » : « 0,2,5 » n\'est pas un nombre.');
  await expect(labo.page.locator('#choix-cas')).toBeVisible();
});

test('un contact forcé donne le verdict et sa raison, et le relevé se télécharge', async ({ labo }) => {
  const { page } = labo;
  await labo.open();
  await labo.openFile('contact.in', contactCase);
  await expect(page.locator('#verdict-titre')).toHaveText('Collision', { timeout: 10_000 });
  await expect(page.locator('#verdict-raison')).toHaveText('|x| = 0,30 > 0,10 : hors de l\'axe du port');
  await expect(page.locator('#verdict-conseil')).not.toBeEmpty();
  const [csv] = await Promise.all([page.waitForEvent('download'), page.click('#telecharger-csv')]);
  expect(csv.suggestedFilename()).toMatch(/_contact\.csv$/);
  const text = await (await csv.createReadStream()).toArray().then((parts) => Buffer.concat(parts).toString());
  expect(text.startsWith('# programme: Orvanel Labo\n# scenario: contact\n# titre: Contact forcé\n')).toBe(true);
  expect(text.trimEnd().split('\n').at(-1)).toBe('# verdict: collision; |x| = 0,30 > 0,10 : hors de l\'axe du port');
  const [sheet] = await Promise.all([page.waitForEvent('download'), page.click('#telecharger-tableur')]);
  expect(sheet.suggestedFilename()).toMatch(/_contact\.tableur\.csv$/);
  const [figure] = await Promise.all([page.waitForEvent('download'), page.click('#telecharger-figure')]);
  expect(figure.suggestedFilename()).toMatch(/_contact\.png$/);
});

test('un lien partagé ouvre son cas, livré ou fichier du professeur', async ({ labo, context }) => {
  const { page } = labo;
  await labo.open('#cas=5');
  await expect(page.locator('#titre-cas')).toHaveText('Plus bas et en mouvement (Omega = 0,25)');
  await labo.openFile('contact.in', contactCase);
  await page.click('#bouton-partager');
  const address = page.url();
  expect(address).toContain('#fichier=');
  const other = await context.newPage();
  await other.goto(address);
  await expect(other.locator('#titre-cas')).toHaveText('Contact forcé');
  await expect(other.locator('#verdict-titre')).toHaveText('Collision', { timeout: 10_000 });
});

// Four presses on the first case (Omega 0, one press 0,025) give 0,1 < 0,12:
// the chaser docks, at x16 in about twelve seconds.
async function dockFirstCase(labo, pressForward, faster) {
  const { page } = labo;
  await labo.open('#cas=1');
  for (let i = 0; i < 4; ++i) await faster();
  await expect(page.locator('#vitesse-temps')).toHaveText('x16');
  for (let i = 0; i < 4; ++i) await pressForward();
  await expect(page.locator('#verdict-titre')).toHaveText('Arrimage réussi', { timeout: 40_000 });
  expect((await labo.status()).fuelUsed).toBe(4);
}

test('un élève arrime le premier cas au clavier', async ({ labo }) => {
  await dockFirstCase(labo, () => labo.page.keyboard.press('ArrowUp'),
    () => labo.page.keyboard.press('Shift+S'));
});

test('un élève arrime le premier cas avec les boutons', async ({ labo }) => {
  await dockFirstCase(labo, () => labo.page.click('[data-poussee="haut"]'),
    () => labo.page.click('#tactile-rapide'));
});

test('le planificateur donne les poussées, et un clic sur le plan choisit la visée', async ({ labo }) => {
  const { page } = labo;
  await labo.open('#cas=3');
  await page.keyboard.press('p');
  await page.keyboard.press('m');
  await expect(page.locator('#plan-resultat')).toContainText('Maintenant : ');
  await expect(page.locator('#plan-visee')).toHaveText('x = 0,00, y = -4,50 ul');
  await page.click('#plan', { position: { x: 60, y: 60 } });
  await expect(page.locator('#plan-visee')).not.toHaveText('x = 0,00, y = -4,50 ul');
  // The presses it asks for, once made (and waiting in the queue), leave at
  // most a press of rounding per axis to make.
  await page.click('#plan-axe');
  const presses = () => page.evaluate(() => window.orvanel.core.module.plan().presses);
  const keys = { '←': 'ArrowLeft', '→': 'ArrowRight', '↑': 'ArrowUp', '↓': 'ArrowDown' };
  const asked = [...(await presses()).matchAll(/(\d+) × (.)/g)];
  expect(asked.reduce((sum, [, count]) => sum + Number(count), 0)).toBeGreaterThan(2);
  for (const [, count, arrow] of asked)
    for (let i = 0; i < Number(count); ++i) await page.keyboard.press(keys[arrow]);
  for (const [, count] of (await presses()).matchAll(/(\d+) × /g)) expect(Number(count)).toBeLessThanOrEqual(1);
});

test('un relevé trop long pour la mémoire de la page s\'arrête, fermé, et le dit', async ({ labo }) => {
  const { page } = labo;
  await labo.open();
  const last = await page.evaluate(() => {
    const m = window.orvanel.core.module;
    m.setRecordBudget(5000);
    m.startCase(2);
    for (let i = 0; i < 300; ++i) m.stepOnce();
    const { path } = m.status().record;
    return new TextDecoder().decode(m.FS.readFile(path)).trimEnd().split('\n').at(-1);
  });
  expect(last).toBe('# verdict: inacheve; relevé arrêté : fichier trop grand');
  await page.keyboard.press('s');
  await expect(page.locator('#bandeau')).toContainText('fichier trop grand');
});
