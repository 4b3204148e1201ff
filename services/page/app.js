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

  // Every control is a command line, as the remote console would send it.
  function run(line) {
    const body = new URLSearchParams({ line });
    return fetch('/api/command', {
      method: 'POST',
      headers: { 'X-CSRF-Token': csrf },
      body,
      credentials: 'same-origin',
    }).then((response) => {
      if (response.status === 401) {
        location.reload();
      }
      return response.ok ? response.json() : { answer: '' };
    });
  }

  // The commands that operators sent, from this page or elsewhere, stand out from the game's
  // lines: the server marks them, whatever their text.
  function appendConsole(entry) {
    const atBottom = consoleView.scrollTop + consoleView.clientHeight >= consoleView.scrollHeight - 4;
    const line = document.createElement('div');
    line.textContent = entry.text;
    if (entry.operator === true) {
      line.className = 'own';
    }
    consoleView.appendChild(line);
    while (consoleView.childElementCount > kConsoleLinesKept) {
      consoleView.firstElementChild.remove();
    }
    if (atBottom) {
      consoleView.scrollTop = consoleView.scrollHeight;
    }
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

  function connect() {
    const events = new EventSource('/events');
    events.addEventListener('open', () => {
      consoleView.replaceChildren();
      $('connection').textContent = 'live';
      $('connection').className = 'online';
    });
    events.addEventListener('state', (e) => showState(JSON.parse(e.data)));
    events.addEventListener('console', (e) => appendConsole(JSON.parse(e.data)));
    events.addEventListener('error', () => {
      $('connection').textContent = 'reconnecting…';
      $('connection').className = 'offline';
    });
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
  $('next-level').addEventListener('click', () => run('/next'));
  $('select-level').addEventListener('click', () => {
    if (selectedLevel !== null) {
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
  connect();
})();
