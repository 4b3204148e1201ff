// Usage: node webcontrol.js MODE URL PASSWORD
// Drives the operator's web page of a running vexserver in headless Chromium for one control:
//   stop    logs in, presses Stop Server, confirms, and prints the server's answer as
//           "ANSWER <json string>";
//   logout  logs in, logs out while the page's event stream is open, then logs in again and
//           waits for the live players;
//   tabs    logs in, opens the page in seven more tabs, each live, and sends a command from the
//           last one, whose answer shows in that tab's console;
//   tabs-without-shared-worker  the same in a browser that lacks shared workers, as some phones'
//           do;
//   restart logs in and waits for the page to turn into the login form while the test restarts
//           the server.
//   expired logs in, loses the session's cookie, sends a command and expects to be told that it
//           was not run before the login form.
// Prints "OK step" per step passed; exits 0 when all passed, 1 at the first failure.
'use strict';

const puppeteer = require('puppeteer-core');

const [mode, url, password] = process.argv.slice(2);
const limitMs = 15000;

function ok(step) {
  process.stdout.write(`OK ${step}\n`);
}

async function live(page) {
  await page.waitForSelector('#connection.online', { timeout: limitMs });
  await page.waitForFunction(() => document.querySelectorAll('#player-rows tr').length >= 1,
    { timeout: limitMs });
}

async function login(page) {
  await page.goto(url, { waitUntil: 'load' });
  await page.type('#password', password);
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#login')]);
  await live(page);
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

// The session ends under the page (its cookie is gone) as the operator sends a command.
async function expired(page) {
  const dialogs = [];
  page.on('dialog', async (dialog) => {
    dialogs.push(dialog.message());
    await dialog.accept();
  });
  await page.deleteCookie({ name: 'vexweb', url });
  await page.type('#command', '/status');
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#send')]);
  await page.waitForSelector('#password', { timeout: limitMs });
  if (!dialogs.some((message) => message.includes('"/status" was not run'))) {
    throw new Error(`the operator was not told: ${JSON.stringify(dialogs)}`);
  }
  ok('told the command was not run');
}

async function logout(page) {
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#logout-form button')]);
  await page.waitForSelector('#password', { timeout: limitMs });
  ok('logged out with the stream open');
  await login(page);
  ok('logged in again');
}

// A browser opens six connections to a host at most: eight tabs that each held a stream would
// leave the last ones neither live nor able to send.
async function tabs(browser, first) {
  const all = [first];
  for (let n = 2; n <= 8; ++n) {
    const page = await browser.newPage();
    await withoutSharedWorker(page);
    await page.goto(url, { waitUntil: 'load' });
    await live(page);
    all.push(page);
  }
  ok('eight tabs live');
  const last = all[all.length - 1];
  await last.bringToFront();
  await last.type('#command', '/status');
  await last.click('#send');
  await last.waitForFunction(
    () => [...document.querySelectorAll('#console div.answer')].some((d) => d.textContent.startsWith('Server Name:')),
    { timeout: limitMs });
  ok('the last tab\'s command answered');
}

async function restart(page) {
  await page.waitForSelector('#password', { timeout: 60000 });
  ok('login form after the restart');
}

async function withoutSharedWorker(page) {
  if (mode === 'tabs-without-shared-worker') {
    await page.evaluateOnNewDocument(() => { delete window.SharedWorker; });
  }
}

async function main() {
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run'],
  });
  try {
    const page = await browser.newPage();
    await withoutSharedWorker(page);
    await login(page);
    ok('logged in');
    const modes = {
      stop, logout, restart, expired,
      tabs: (p) => tabs(browser, p),
      'tabs-without-shared-worker': (p) => tabs(browser, p),
    };
    await modes[mode](page);
  } finally {
    await browser.close();
  }
}

main().then(() => process.exit(0), (error) => {
  process.stdout.write(`FAILED ${error.stack || error}\n`);
  process.exit(1);
});
