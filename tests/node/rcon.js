// Usage: node rcon.js CLIENT PORT PASSWORD [COMMAND...]
// Signs in to 127.0.0.1:PORT with the named npm client (rcon-srcds or rcon-client), runs the
// commands in order and prints each answer between BEGIN and END lines. Exit codes: 0 done,
// 3 sign-in refused, 1 anything else (including no answer within the time limit).
'use strict';

const [clientName, portText, password, ...commands] = process.argv.slice(2);
const port = Number(portText);
const limitMs = 10000;

function print(command, answer) {
  process.stdout.write(`BEGIN ${command}\n${answer}\nEND ${command}\n`);
}

async function withRconSrcds() {
  const Rcon = require('rcon-srcds').default;
  const rcon = new Rcon({ host: '127.0.0.1', port, timeout: limitMs });
  try {
    await rcon.authenticate(password);
  } catch (error) {
    return { refused: error.message };
  }
  for (const command of commands) {
    print(command, await rcon.execute(command));
  }
  await rcon.disconnect();
  return {};
}

async function withRconClient() {
  const { Rcon } = require('rcon-client');
  let rcon;
  try {
    rcon = await Rcon.connect({ host: '127.0.0.1', port, password, timeout: limitMs });
  } catch (error) {
    return { refused: error.message };
  }
  for (const command of commands) {
    print(command, await rcon.send(command));
  }
  await rcon.end();
  return {};
}

const clients = { 'rcon-srcds': withRconSrcds, 'rcon-client': withRconClient };

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
  })
  .catch((error) => {
    clearTimeout(timer);
    process.stdout.write(`ERROR ${error && error.message}\n`);
    process.exit(1);
  });
