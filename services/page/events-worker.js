'use strict';
// One event stream for every open tab of the page: a browser opens only six connections to a
// host, and a stream per tab would leave none for the seventh tab's commands. Each tab connects
// to this shared worker, which passes every message on and brings a tab that opens later up to
// date.
importScripts('/stream.js');

const kConsoleLinesKept = 500;
const ports = new Set();
let stream = null;
let connection = null;  // the last 'live' or 'offline'
let state = null;
let consoleLines = [];

function deliver(message) {
  if (message.kind === 'live') {
    consoleLines = [];
  }
  if (message.kind === 'live' || message.kind === 'offline') {
    connection = message;
  } else if (message.kind === 'state') {
    state = message;
  } else if (message.kind === 'console') {
    consoleLines.push(message);
    if (consoleLines.length > kConsoleLinesKept) {
      consoleLines.shift();
    }
  } else if (message.kind === 'signedOut') {
    // A tab that logs in again starts afresh.
    stream = null;
    connection = null;
    state = null;
    consoleLines = [];
  }
  for (const port of ports) {
    port.postMessage(message);
  }
}

self.addEventListener('connect', (event) => {
  const port = event.ports[0];
  // Some browsers offer no event stream to workers: each tab then follows its own.
  if (typeof EventSource !== 'function') {
    port.postMessage({ kind: 'alone' });
    return;
  }
  ports.add(port);
  port.addEventListener('message', (e) => {
    if (e.data === 'bye') {
      ports.delete(port);
    }
  });
  port.start();
  for (const message of [connection, state, ...consoleLines]) {
    if (message) {
      port.postMessage(message);
    }
  }
  if (stream === null) {
    stream = self.vexFollowStream(deliver);
  }
});
