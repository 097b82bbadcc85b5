// The page's tests in Debian's chromium, headless, with software WebGL. The
// static site is served on loopback by Python's server, as ./run.sh --web does.
import { defineConfig } from '@playwright/test';

const port = Number(process.env.ORVANEL_WEB_TEST_PORT ?? 8791);

export default defineConfig({
  testDir: './tests',
  testMatch: '*.test.js',
  timeout: 90_000,
  retries: 0,
  workers: 1,
  forbidOnly: true,
  reporter: [['list']],
  use: {
    baseURL: `http://127.0.0.1:${port}/`,
    viewport: { width: 1400, height: 900 },
    acceptDownloads: true,
    launchOptions: {
      executablePath: process.env.ORVANEL_CHROMIUM ?? '/usr/bin/chromium',
      // Without these, chromium reaches for Google's services on this closed
      // network; SwiftShader gives WebGL without a GPU.
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync',
        '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
    },
  },
  webServer: {
    command: `python3 -m http.server ${port} --bind 127.0.0.1 --directory ../build-web/site`,
    url: `http://127.0.0.1:${port}/index.html`,
    reuseExistingServer: false,
    stdout: 'ignore',
    stderr: 'ignore',
    timeout: 20_000,
  },
});
