'use strict';
// Follows the server's event stream for the page and hands each message to `deliver`:
//   {kind: 'live'}       the stream (re)opened; it repeats the kept console lines next
//   {kind: 'state', data} and {kind: 'console', data}, data being the event's JSON text
//   {kind: 'offline'}    the stream broke; the browser reconnects
//   {kind: 'signedOut'}  the server knows the session no more (logged out, timed out, restarted)
// Runs in the shared worker of events-worker.js, or in the page where there is none.
self.vexFollowStream = (deliver) => {
  const kRetryMs = 3000;
  let source = null;
  let retry = null;

  // The browser gives up on a stream that the server refused; whether the session is the reason
  // decides between the login form and another try.
  function askSession() {
    source = null;
    fetch('/session', { credentials: 'same-origin' })
      .then((response) => response.status, () => 0)
      .then((status) => {
        if (status === 401) {
          deliver({ kind: 'signedOut' });
        } else {
          retry = setTimeout(open, kRetryMs);
        }
      });
  }

  function open() {
    retry = null;
    const opened = new EventSource('/events');
    source = opened;
    opened.addEventListener('open', () => deliver({ kind: 'live' }));
    opened.addEventListener('state', (e) => deliver({ kind: 'state', data: e.data }));
    opened.addEventListener('console', (e) => deliver({ kind: 'console', data: e.data }));
    opened.addEventListener('error', () => {
      if (source !== opened) {
        return;
      }
      deliver({ kind: 'offline' });
      if (opened.readyState === EventSource.CLOSED) {
        askSession();
      }
    });
  }

  open();
  return {
    close() {
      clearTimeout(retry);
      if (source) {
        source.close();
      }
      source = null;
    },
  };
};
