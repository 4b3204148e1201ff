// Usage: node webpage.js URL PASSWORD ARTIFACT_FOLDER HOSTILE_NAME LOOKALIKE_NAME
// Drives the operator's web page of a running vexserver in headless Chromium: a wrong password,
// the login, the live players and console, a game command, a server command's answer, a refused
// command's reason, Next Level, a boot after confirming, the plots, requests without the CSRF
// token, screenshots at desktop and phone widths, and the stop.
// LOOKALIKE_NAME is a chatting player named like a remote operator, whose lines must look like
// any player's.
// Prints one "OK step" line per step passed; exits 0 when all passed, 1 at the first failure.
'use strict';

const path = require('path');
const puppeteer = require('puppeteer-core');

const [url, password, artifacts, hostileName, lookalikeName] = process.argv.slice(2);
const limitMs = 15000;

function ok(step) {
  process.stdout.write(`OK ${step}\n`);
}

function check(condition, message) {
  if (!condition) {
    throw new Error(message);
  }
}

async function login(page, text) {
  await page.goto(url, { waitUntil: 'load' });
  await page.type('#password', text);
  const [response] = await Promise.all([
    page.waitForNavigation({ waitUntil: 'load' }),
    page.click('#login'),
  ]);
  return response;
}

// A viewport that turns into a phone's or back reloads the page, so these are awaited again after it.
async function playersShown(page) {
  await page.waitForFunction(() => document.querySelectorAll('#player-rows tr').length >= 3,
    { timeout: limitMs });
}

async function plotsDrawn(page) {
  await page.waitForFunction(
    () => ['plot-players', 'plot-fps', 'plot-slowest'].every(
      (id) => Number(document.getElementById(id).dataset.points || 0) >= 1),
    { timeout: limitMs });
}

async function send(page, line) {
  await page.type('#command', line);
  await page.click('#send');
}

async function consoleText(page) {
  return page.$eval('#console', (e) => e.textContent);
}

async function main() {
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run'],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 800 });
    const dialogs = [];
    page.on('dialog', async (dialog) => {
      dialogs.push({ type: dialog.type(), message: dialog.message() });
      if (dialog.type() === 'confirm') {
        await dialog.accept();
      } else {
        await dialog.dismiss();
      }
    });

    const refused = await login(page, 'not the password');
    check(refused.status() === 401, `wrong password answered ${refused.status()}`);
    check((await page.$eval('#message', (e) => e.textContent)).includes('Wrong password'),
      'no message after a wrong password');
    check((await page.cookies()).length === 0, 'a cookie after a wrong password');
    ok('wrong password refused');

    await login(page, password);
    await page.waitForSelector('#connection.online', { timeout: limitMs });
    await playersShown(page);
    ok('players shown');

    await page.waitForFunction(
      (name) => [...document.querySelectorAll('#player-rows td.name')].some((td) => td.textContent === name),
      { timeout: limitMs }, hostileName);
    check(await page.$$eval('img', (list) => list.length) === 0, 'a player name became an img element');
    check(!dialogs.some((d) => d.type === 'alert'), 'a player name ran script');
    ok('hostile name shown as text');

    await send(page, 'status');
    await page.waitForFunction(
      () => document.getElementById('console').textContent.includes('", Deathmatch, level'),
      { timeout: limitMs });
    check((await consoleText(page)).includes(': status'), 'the command is not on the console');
    ok('status answered');

    // A server command's answer is for the page that sent it alone: the page shows it.
    await send(page, '/players');
    await page.waitForFunction(
      (name) => [...document.querySelectorAll('#console div.answer')].some((d) => d.textContent.includes(name)),
      { timeout: limitMs }, hostileName);
    const repeated = await page.$$eval('#console div.answer',
      (lines) => lines.some((d) => d.textContent.includes('", Deathmatch, level')));
    check(!repeated, 'the game\'s output for status is on the console twice');
    // The command itself once: the server's line with its sender.
    await page.waitForFunction(
      () => [...document.querySelectorAll('#console div')].some((d) => d.textContent.endsWith(': /players')),
      { timeout: limitMs });
    const sent = await page.$$eval('#console div',
      (lines) => lines.filter((d) => d.textContent.endsWith('/players')).length);
    check(sent === 1, `the command is on the console ${sent} times`);
    ok('server command answered on the console');

    // Far more than a request may carry once the browser has encoded it.
    await page.$eval('#command', (input) => { input.value = '\u20ac'.repeat(input.maxLength); });
    await page.click('#send');
    await page.waitForFunction(
      () => [...document.querySelectorAll('#console div.refused')].some((d) => d.textContent.startsWith('Refused (413')),
      { timeout: limitMs });
    ok('refused command shows its reason');

    await page.waitForFunction(
      (name) => [...document.querySelectorAll('#console div')].some((d) => d.textContent.startsWith(name + ': ')),
      { timeout: limitMs }, lookalikeName);
    const marks = await page.$$eval('#console div', (lines, name) => ({
      lookalike: lines.filter((d) => d.textContent.startsWith(name + ': ')).map((d) => d.className),
      operator: lines.filter((d) => /^Web [0-9.:]+: status$/.test(d.textContent)).map((d) => d.className),
    }), lookalikeName);
    check(marks.operator.length > 0 && marks.operator.every((c) => c === 'own'),
      `the operator's command is not marked: ${JSON.stringify(marks)}`);
    check(marks.lookalike.every((c) => c !== 'own'), `a player's chat looks like an operator's: ${JSON.stringify(marks)}`);
    ok('only operator lines marked');

    const current = () => page.$eval('#level-list li.current', (e) => e.textContent);
    const before = await current();
    await page.click('#next-level');
    await page.waitForFunction(
      (old) => {
        const mark = document.querySelector('#level-list li.current');
        return mark && mark.textContent !== old;
      },
      { timeout: limitMs }, before);
    check(dialogs.some((d) => d.type === 'confirm' && d.message.includes('next level')),
      'no confirmation of the next level');
    ok(`next level: ${before} -> ${await current()}`);

    const chosen = await page.$eval('#level-list li:not(.current)', (e) => e.textContent);
    await page.click('#level-list li:not(.current)');
    await page.click('#select-level');
    await page.waitForFunction(
      (name) => {
        const mark = document.querySelector('#level-list li.current');
        return mark && mark.textContent === name;
      },
      { timeout: limitMs }, chosen);
    check(dialogs.some((d) => d.type === 'confirm' && d.message.includes(`level to ${chosen}?`)),
      'no confirmation naming the chosen level');
    ok(`selected level: ${chosen}`);

    await plotsDrawn(page);
    const inked = await page.$eval('#plot-fps', (canvas) => {
      const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      let green = 0;
      for (let i = 0; i < data.length; i += 4) {
        green += data[i + 1] > 120 && data[i] < 80 && data[i + 2] < 120 ? 1 : 0;
      }
      return green;
    });
    check(inked > 0, 'the frames plot has no line');
    ok('plots drawn');

    await page.screenshot({ path: path.join(artifacts, 'web-page-desktop.png') });
    await page.setViewport({ width: 390, height: 844, isMobile: true, deviceScaleFactor: 2 });
    await plotsDrawn(page);
    await page.screenshot({ path: path.join(artifacts, 'web-page-phone.png'), fullPage: true });
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
    check(overflow <= 0, `the page is ${overflow} px wider than a phone`);
    // The players' Time column is in view without scrolling the table.
    const timeCut = await page.evaluate(() => {
      const time = [...document.querySelectorAll('#player-table th')].find((th) => th.textContent === 'Time');
      return time.getBoundingClientRect().right - time.closest('.scroll').getBoundingClientRect().right;
    });
    check(timeCut <= 0, `the Time column is cut by ${timeCut} px on a phone`);
    check(await page.$$eval('#player-legend .dot', (dots) => dots.length) === 5, 'no legend of the dots');
    await page.setViewport({ width: 1280, height: 800 });
    await playersShown(page);
    ok('screenshots saved');

    const bot = await page.$$eval('#player-rows tr', (rows, hostile) => {
      const row = rows.find((r) => r.querySelector('td.name').textContent !== hostile);
      return { id: row.dataset.id, name: row.querySelector('td.name').textContent };
    }, hostileName);
    await page.click(`#player-rows tr[data-id="${bot.id}"]`);
    await page.click('#boot-player');
    await page.waitForFunction(
      (id) => !document.querySelector(`#player-rows tr[data-id="${id}"]`), { timeout: limitMs }, bot.id);
    check(dialogs.some((d) => d.type === 'confirm' && d.message.includes(bot.name)),
      'no confirmation naming the player');
    ok(`booted ${bot.name}`);

    const session = (await page.cookies()).find((c) => c.name === 'vexweb');
    check(session && session.httpOnly && session.sameSite === 'Strict', 'session cookie attributes');
    for (const target of ['/api/command', '/logout']) {
      const answer = await fetch(url.replace(/\/$/, '') + target, {
        method: 'POST',
        headers: { Cookie: `vexweb=${session.value}`, 'Content-Type': 'application/x-www-form-urlencoded' },
        body: 'line=%2Fstop',
        redirect: 'manual',
      });
      check(answer.status === 403, `${target} without a token answered ${answer.status}`);
    }
    const fromPage = await page.evaluate(() => fetch('/api/command', { method: 'POST', body: new URLSearchParams({ line: '/next' }) }).then((r) => r.status));
    check(fromPage === 403, `the page's own POST without a token answered ${fromPage}`);
    ok('requests without the CSRF token refused');

    const stopAnswer = page.waitForResponse((r) => r.url().endsWith('/api/command'), { timeout: limitMs });
    await page.click('#stop-server');
    const stopped = await (await stopAnswer).json();
    check(stopped.answer === 'Stopping the server.\n', `the stop answered ${JSON.stringify(stopped)}`);
    await page.waitForSelector('#connection.offline', { timeout: limitMs });
    check(dialogs.some((d) => d.type === 'confirm' && d.message.includes('Stop the server')),
      'no stop confirmation');
    ok('stop sent');
  } finally {
    await browser.close();
  }
}

main().then(() => process.exit(0), (error) => {
  process.stdout.write(`FAILED ${error.stack || error}\n`);
  process.exit(1);
});
