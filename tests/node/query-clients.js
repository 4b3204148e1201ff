// Usage: node query-clients.js CLIENT PORT
// Asks 127.0.0.1:PORT for the server's info, players and rules with the named npm client
// (gamedig or @fabricio-191/valve-server-query) and prints what it read in one form for every
// client: "key=value" lines, one "player=NAME score=N" line per player, one "rule=NAME:VALUE"
// line per rule. Exit code 1 when the client failed.
'use strict';

const [clientName, portText] = process.argv.slice(2);
const port = Number(portText);

async function withGamedig() {
  const { GameDig } = await import('gamedig');
  const state = await GameDig.query({
    type: 'protocol-valve', host: '127.0.0.1', port, givenPortOnly: true, requestRules: true,
    maxRetries: 3, socketTimeout: 3000,
  });
  return {
    name: state.name, map: state.map, maxplayers: state.maxplayers, bots: state.raw.numbots,
    players: [...state.players, ...state.bots].map((p) => ({ name: p.name, score: p.raw.score })),
    rules: state.raw.rules || {},
  };
}

async function withValveServerQuery() {
  const { Server } = require('@fabricio-191/valve-server-query');
  const server = await Server({ ip: '127.0.0.1', port, timeout: 3000 });
  const info = await server.getInfo();
  const players = await server.getPlayers();
  const rules = await server.getRules();
  server.disconnect();
  return {
    name: info.name, map: info.map, maxplayers: info.players.max, bots: info.players.bots,
    players: players.map((p) => ({ name: p.name, score: p.score })), rules,
  };
}

const clients = { gamedig: withGamedig, '@fabricio-191/valve-server-query': withValveServerQuery };

clients[clientName]()
  .then((state) => {
    for (const key of ['name', 'map', 'maxplayers', 'bots']) {
      console.log(`${key}=${state[key]}`);
    }
    for (const player of state.players) {
      console.log(`player=${player.name} score=${player.score}`);
    }
    for (const [name, value] of Object.entries(state.rules)) {
      console.log(`rule=${name}:${value}`);
    }
    process.exit(0);
  })
  .catch((error) => {
    console.log(`ERROR ${error && error.message}`);
    process.exit(1);
  });
