// Usage: node webcontrol.js MODE URL PASSWORD
// Drives the operator's web page of a running vexserver in headless Chromium for one control:
//   stop    logs in, presses Stop Server, confirms, and prints the server's answer as
//           "ANSWER <json string>";
//   logout  logs in, logs out while the page's event stream is open, then logs in again and
//           waits for the live players.
// Prints "OK step" per step passed; exits 0 when all passed, 1 at the first failure.
'use strict';

const puppeteer = require('puppeteer-core');

const [mode, url, password] = process.argv.slice(2);
const limitMs = 15000;

function ok(step) {
  process.stdout.write(`OK ${step}\n`);
}

async function login(page) {
  await page.goto(url, { waitUntil: 'load' });
  await page.type('#password', password);
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#login')]);
  await page.waitForSelector('#connection.online', { timeout: limitMs });
  await page.waitForFunction(() => document.querySelectorAll('#player-rows tr').length >= 1,
    { timeout: limitMs });
}

async function stop(page) {
  page.on('dialog', (dialog) => dialog.accept());
  const answered = page.waitForResponse(
    (response) => response.url().endsWith('/api/command'), { timeout: limitMs });
  await page.click('#stop-server');
  const response = await answered;
  const body = await response.json();
  process.stdout.write(`ANSWER ${JSON.stringify(body.answer)}\n`);
  ok('stop answered');
}

async function logout(page) {
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#logout-form button')]);
  await page.waitForSelector('#password', { timeout: limitMs });
  ok('logged out with the stream open');
  await login(page);
  ok('logged in again');
}

async function main() {
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run'],
  });
  try {
    const page = await browser.newPage();
    await login(page);
    ok('logged in');
    await (mode === 'stop' ? stop(page) : logout(page));
  } finally {
    await browser.close();
  }
}

main().then(() => process.exit(0), (error) => {
  process.stdout.write(`FAILED ${error.stack || error}\n`);
  process.exit(1);
});
