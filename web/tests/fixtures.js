// What every browser test shares: a page of Orvanel Labo whose console errors
// fail the test, and small steps a student takes.
import { test as base, expect } from '@playwright/test';

export const test = base.extend({
  // The page with its errors collected; a test fails on any console error or
  // uncaught exception, checked after its own assertions.
  labo: async ({ page }, use) => {
    const errors = [];
    page.on('console', (message) => {
      if (message.type() === 'error') errors.push(message.text());
    });
    page.on('pageerror', (error) => errors.push(error.message));
    await use({
      page,
      errors,
      async open(fragment = '') {
        await page.goto(`index.html${fragment}`);
        await page.waitForFunction(() => window.orvanel !== undefined);
      },
      status: () => page.evaluate(() => window.orvanel.core.module.status()),
      async openFile(name, text) {
        await page.setInputFiles('#choix-fichier', { name, mimeType: 'text/plain', buffer: Buffer.from(text) });
      },
    });
    expect(errors, 'console errors').toEqual([]);
  },
});

export { expect };

// A case whose chaser meets the hull off the port's axis within a second.
export const contactCase = [
  'titre = Contact forcé', 'dt = 0.005', 'nx = 100', 'trois = 3', 'Omega = 0', 'X0 = 0.3',
  'Y0 = -2', 'Z0 = 0', 'Xp0 = 0', 'Yp0 = 0.5', 'Zp0 = 0', 'p = 1', ''].join('\n');
