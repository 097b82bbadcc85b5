// The single-file page opened from disk, with the network cut: everything it
// needs is inside it.
import { expect, test } from './fixtures.js';

const single = new URL('../../build-web/orvanel-labo.html', import.meta.url).href;

test('le fichier unique marche ouvert depuis le disque, sans réseau', async ({ labo, context }) => {
  const { page } = labo;
  const outside = [];
  await context.setOffline(true);
  await context.route('**/*', (route) => {
    const url = route.request().url();
    if (url.startsWith('file:') || url.startsWith('data:') || url.startsWith('blob:')) return route.continue();
    outside.push(url);
    return route.abort();
  });
  await page.goto(single);
  await page.waitForFunction(() => window.orvanel !== undefined);
  await expect(page.locator('#liste-cas li')).toHaveCount(6);
  await page.keyboard.press('2');
  await expect(page.locator('#titre-cas')).toHaveText('Orbite lente (Omega = 0,10)');
  await expect.poll(async () => (await labo.status()).time, { timeout: 10_000 }).toBeGreaterThan(1);
  expect(outside).toEqual([]);
});
