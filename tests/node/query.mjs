// Usage: node query.mjs PORT
// Asks 127.0.0.1:PORT with gamedig's Source query protocol (info, players and rules) and prints
// one "key=value" line per fact and one line per player ("bot=" for the ones it reports as bots).
import { GameDig } from 'gamedig';

const port = Number(process.argv[2]);
try {
  const state = await GameDig.query({
    type: 'protocol-valve',
    host: '127.0.0.1',
    port,
    givenPortOnly: true,
    requestRules: true,
    maxRetries: 3,
    socketTimeout: 3000,
  });
  console.log(`name=${state.name}`);
  console.log(`map=${state.map}`);
  console.log(`maxplayers=${state.maxplayers}`);
  console.log(`numplayers=${state.numplayers}`);
  console.log(`password=${state.password}`);
  for (const player of state.players) {
    console.log(`player=${player.name} score=${player.raw.score}`);
  }
  for (const bot of state.bots) {
    console.log(`bot=${bot.name} score=${bot.raw.score}`);
  }
  for (const [name, value] of Object.entries(state.raw.rules || {})) {
    console.log(`rule=${name}:${value}`);
  }
} catch (error) {
  console.log(`ERROR ${error.message}`);
  process.exit(1);
}
