'use strict';
// The operator's page: state and console arrive on one event stream; the controls are POST
// requests carrying the session's token. Every text is set with textContent, never as markup.
(() => {
  const csrf = document.querySelector('meta[name="csrf-token"]').content;
  const $ = (id) => document.getElementById(id);
  const consoleView = $('console');
  const kConsoleLinesKept = 500;
  let selectedPlayer = null;
  let selectedLevel = null;
  let players = [];

  $('logout-csrf').value = csrf;

  function appendLine(text, className) {
    const atBottom = consoleView.scrollTop + consoleView.clientHeight >= consoleView.scrollHeight - 4;
    const line = document.createElement('div');
    line.textContent = text;
    if (className) {
      line.className = className;
    }
    consoleView.appendChild(line);
    while (consoleView.childElementCount > kConsoleLinesKept) {
      consoleView.firstElementChild.remove();
    }
    if (atBottom) {
      consoleView.scrollTop = consoleView.scrollHeight;
    }
  }

  // The commands that operators sent, from this page or elsewhere, stand out from the game's
  // lines: the server marks them, whatever their text.
  function appendConsole(entry) {
    appendLine(entry.text, entry.operator === true ? 'own' : '');
  }

  // What the server answered this page alone; the game's output for a command reaches every page
  // on the console already. A command that ran is on the console with its sender, so only one
  // that never reached the server is written again, above why.
  function showAnswer(text, className, unsentLine) {
    if (unsentLine !== undefined) {
      const kShownCommand = 80;
      const shown = unsentLine.length > kShownCommand
        ? unsentLine.slice(0, kShownCommand) + '…' : unsentLine;
      appendLine('» ' + shown, className);
    }
    for (const answerLine of text.replace(/\n$/, '').split('\n')) {
      appendLine(answerLine, className);
    }
  }

  // Every control is a command line, as the remote console would send it.
  function run(line) {
    const body = new URLSearchParams({ line });
    return fetch('/api/command', {
      method: 'POST',
      headers: { 'X-CSRF-Token': csrf },
      body,
      credentials: 'same-origin',
    }).then(async (response) => {
      if (response.status === 401) {
        // The session ended meanwhile: the operator hears that the command was not run before
        // the log-in form replaces the page.
        alert(`The session has ended, so "${line}" was not run. Log in again to send it.`);
        location.assign('/');
        return;
      }
      if (!response.ok) {
        const reason = (await response.text()).trim();
        showAnswer(`Refused (${response.status}): ${reason}`, 'refused', line);
        return;
      }
      const reply = await response.json();
      if (!reply.onConsole && reply.answer !== '') {
        showAnswer(reply.answer, 'answer');
      }
    }).catch(() => showAnswer('Not sent: the server did not answer.', 'refused', line));
  }

  function cell(row, text, className) {
    const td = document.createElement('td');
    td.textContent = text;
    if (className) {
      td.className = className;
    }
    row.appendChild(td);
    return td;
  }

  function showPlayers(list) {
    players = list;
    const body = $('player-rows');
    body.replaceChildren();
    if (!list.some((p) => p.id === selectedPlayer)) {
      selectedPlayer = null;
    }
    for (const player of list) {
      const row = document.createElement('tr');
      row.dataset.id = String(player.id);
      const dot = document.createElement('span');
      // A kind that the colours do not cover gets no colour rather than another one's.
      dot.className = 'dot' + ([0, 1, 2, 3].includes(player.kind) ? ' kind-' + player.kind : '') +
        (player.ringed === true ? ' ringed' : '');
      cell(row, '').appendChild(dot);
      cell(row, player.name, 'name');
      for (const key of ['ping', 'kills', 'score', 'lives', 'time']) {
        cell(row, String(player[key]));
      }
      if (player.id === selectedPlayer) {
        row.classList.add('selected');
      }
      row.addEventListener('click', () => {
        selectedPlayer = player.id;
        showPlayers(players);
      });
      body.appendChild(row);
    }
    $('boot-player').disabled = selectedPlayer === null;
  }

  function showLevels(list) {
    const view = $('level-list');
    view.replaceChildren();
    if (selectedLevel !== null && selectedLevel >= list.length) {
      selectedLevel = null;
    }
    list.forEach((level, row) => {
      const item = document.createElement('li');
      item.textContent = level.name;
      item.dataset.row = String(row);
      if (level.current) {
        item.classList.add('current');
      }
      if (row === selectedLevel) {
        item.classList.add('selected');
      }
      item.addEventListener('click', () => {
        selectedLevel = row;
        showLevels(list);
      });
      view.appendChild(item);
    });
    $('select-level').disabled = selectedLevel === null;
  }

  function showState(state) {
    const s = state.server;
    $('server-name').textContent = s.name || 'VexServer';
    document.title = (s.name || 'VexServer') + ' – VexServer';
    $('game-type').textContent = s.gameType;
    $('running-time').textContent = s.runningTime;
    $('level-time').textContent = s.levelTime;
    $('players-text').textContent = s.playersText;
    $('peak-players').textContent = String(s.peakPlayers);
    $('total-players').textContent = String(s.totalPlayers);
    $('average-ping').textContent = String(s.averagePing);
    showPlayers(state.players);
    showLevels(state.levels);
    window.vexPlots.draw(state.plots);
  }

  const kConnectionTexts = { live: 'live', offline: 'reconnecting…', paused: 'paused while hidden' };

  function showConnection(kind) {
    $('connection').textContent = kConnectionTexts[kind];
    $('connection').className = kind === 'live' ? 'online' : 'offline';
    document.body.classList.toggle('stale', kind !== 'live');
  }

  function handle(message) {
    switch (message.kind) {
      case 'live':
        consoleView.replaceChildren();
        showConnection('live');
        break;
      case 'offline':
        showConnection('offline');
        break;
      case 'state':
        showState(JSON.parse(message.data));
        break;
      case 'console':
        appendConsole(JSON.parse(message.data));
        break;
      case 'signedOut':
        location.assign('/');
        break;
    }
  }

  // Where the browser cannot share a stream between tabs, a hidden tab lets go of its own until
  // it is shown again.
  function followAlone() {
    let stream = null;
    const followWhileShown = () => {
      if (stream) {
        stream.close();
        stream = null;
      }
      if (document.hidden) {
        showConnection('paused');
      } else {
        stream = window.vexFollowStream(handle);
      }
    };
    document.addEventListener('visibilitychange', followWhileShown);
    followWhileShown();
  }

  // A stream of each tab's own would hold one of the browser's six connections to the server:
  // the tabs share one through a shared worker.
  function follow() {
    if (typeof SharedWorker !== 'function') {
      followAlone();
      return;
    }
    const worker = new SharedWorker('/events-worker.js');
    worker.addEventListener('error', followAlone, { once: true });
    worker.port.addEventListener('message', (e) => {
      if (e.data.kind === 'alone') {
        followAlone();
      } else {
        handle(e.data);
      }
    });
    worker.port.start();
    window.addEventListener('pagehide', () => worker.port.postMessage('bye'));
  }

  $('command-form').addEventListener('submit', (e) => {
    e.preventDefault();
    const line = $('command').value;
    if (line.trim() === '') {
      return;
    }
    $('command').value = '';
    run(line);
  });
  // A level change moves every player: one mis-tap must not do it.
  $('next-level').addEventListener('click', () => {
    if (confirm('Go to the next level? Every player moves with it.')) {
      run('/next');
    }
  });
  $('select-level').addEventListener('click', () => {
    const item = $('level-list').children[selectedLevel];
    if (selectedLevel !== null && item &&
        confirm('Change the level to ' + item.textContent + '? Every player moves with it.')) {
      run('/level ' + (selectedLevel + 1));
    }
  });
  $('boot-player').addEventListener('click', () => {
    const player = players.find((p) => p.id === selectedPlayer);
    if (player && confirm('Boot ' + player.name + ' from the server?')) {
      run('/boot ' + player.id);
    }
  });
  $('stop-server').addEventListener('click', () => {
    if (confirm('Stop the server? Every player is disconnected.')) {
      run('/stop');
    }
  });
  follow();
})();
