// Usage: node rcon.js CLIENT PORT PASSWORD [--together] [COMMAND...]
// Signs in to 127.0.0.1:PORT with the named npm client, runs the commands and prints each answer
// between BEGIN and END lines, in the order of the commands. Without --together each command is
// written as soon as the answer before it is in; with it every command is written at once.
// Exit codes: 0 done, 3 sign-in refused, 1 anything else (including no answer in time).
'use strict';

const args = process.argv.slice(2);
const together = args.includes('--together');
const [clientName, portText, password, ...commands] = args.filter((a) => a !== '--together');
const port = Number(portText);
const limitMs = 10000;

function print(command, answer) {
  process.stdout.write(`BEGIN ${command}\n${answer}\nEND ${command}\n`);
}

async function runAll(run) {
  if (together) {
    const answers = await Promise.all(commands.map((command) => run(command)));
    commands.forEach((command, i) => print(command, answers[i]));
  } else {
    for (const command of commands) {
      print(command, await run(command));
    }
  }
}

async function withRconSrcds() {
  const Rcon = require('rcon-srcds').default;
  const rcon = new Rcon({ host: '127.0.0.1', port, timeout: limitMs });
  try {
    await rcon.authenticate(password);
  } catch (error) {
    return { refused: error.message };
  }
  await runAll((command) => rcon.execute(command));
  await rcon.disconnect();
  return {};
}

// srcds-rcon ends each answer by an empty command of its own, whose answer comes after it.
async function withSrcdsRcon() {
  const rcon = require('srcds-rcon')({ address: `127.0.0.1:${port}`, password });
  try {
    await rcon.connect();
  } catch (error) {
    return { refused: error.message };
  }
  await runAll((command) => rcon.command(command, limitMs));
  await rcon.disconnect();
  return {};
}

async function withRconClient() {
  const { Rcon } = require('rcon-client');
  let rcon;
  try {
    rcon = await Rcon.connect({
      host: '127.0.0.1', port, password, timeout: limitMs, maxPending: 16,
    });
  } catch (error) {
    return { refused: error.message };
  }
  await runAll((command) => rcon.send(command));
  await rcon.end();
  return {};
}

async function withMinecraftServerUtil() {
  const { RCON } = require('minecraft-server-util');
  const rcon = new RCON();
  try {
    await rcon.connect('127.0.0.1', port, { timeout: limitMs });
    await rcon.login(password, { timeout: limitMs });
  } catch (error) {
    rcon.close();
    return { refused: error.message };
  }
  await runAll((command) => rcon.execute(command));
  rcon.close();
  return {};
}

async function withValveServerQuery() {
  const { RCON } = require('@fabricio-191/valve-server-query');
  let rcon;
  try {
    rcon = await RCON({ ip: '127.0.0.1', port, password, timeout: limitMs });
  } catch (error) {
    return { refused: error.message };
  }
  await runAll((command) => rcon.exec(command));
  rcon.destroy();
  return {};
}

// node-rcon hands over each response packet as it comes and leaves it to its user to tell where
// an answer ends: after each command this sends the protocol's empty response value with an id
// of its own, which the server sends back once the answer is out.
async function withNodeRcon() {
  const Rcon = require('rcon');
  const rcon = new Rcon('127.0.0.1', port, password);
  const waiting = [];
  let current = '';
  const signedIn = new Promise((resolve) => {
    rcon.on('auth', () => resolve(true));
    rcon.on('error', (error) => resolve(error.message));
    rcon.on('end', () => resolve('connection closed'));
  });
  rcon.on('response', (text) => { current += text; });
  rcon.on('server', (text) => {
    if (text === '' && waiting.length > 0) {
      const answer = current.endsWith('\n') ? current.slice(0, -1) : current;
      current = '';
      waiting.shift()(answer);
    }
  });
  rcon.connect();
  const verdict = await signedIn;
  if (verdict !== true) {
    rcon.disconnect();
    return { refused: verdict };
  }
  // Written by hand: node-rcon's send() turns the packet type 0 into a command.
  let markerId = 1;
  const marker = () => {
    const packet = Buffer.alloc(14);
    packet.writeInt32LE(10, 0);
    packet.writeInt32LE(markerId++, 4);
    packet.writeInt32LE(0, 8);
    return packet;
  };
  await runAll((command) => new Promise((resolve) => {
    waiting.push(resolve);
    rcon.send(command);
    rcon._sendSocket(marker());
  }));
  rcon.disconnect();
  return {};
}

const clients = {
  'rcon-srcds': withRconSrcds,
  'rcon-client': withRconClient,
  'srcds-rcon': withSrcdsRcon,
  'minecraft-server-util': withMinecraftServerUtil,
  '@fabricio-191/valve-server-query': withValveServerQuery,
  rcon: withNodeRcon,
};

const timer = setTimeout(() => {
  process.stdout.write('TIMEOUT\n');
  process.exit(1);
}, limitMs);

clients[clientName]()
  .then((result) => {
    clearTimeout(timer);
    if (result.refused !== undefined) {
      process.stdout.write(`REFUSED ${result.refused}\n`);
      process.exit(3);
    }
    process.stdout.write('DONE\n');
    process.exit(0);
  })
  .catch((error) => {
    clearTimeout(timer);
    process.stdout.write(`ERROR ${error && error.message}\n`);
    process.exit(1);
  });
