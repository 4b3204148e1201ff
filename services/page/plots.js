'use strict';
// Line plots of the last hour on <canvas>, drawn here so that the page needs nothing from
// elsewhere. Each plot takes the minutes' values; the newest minute is at the right.
window.vexPlots = (() => {
  const kMinutes = 61;

  // The smallest of 1, 2, 2.5 and 5 times a power of ten that is at least the raw step, so that
  // the axis reads in round numbers (whole players rather than 1.1, 2.2, ...).
  function niceStep(raw) {
    const power = 10 ** Math.floor(Math.log10(raw));
    return [1, 2, 2.5, 5, 10].map((m) => m * power).find((s) => s >= raw);
  }

  function drawOne(canvas, values, colour, unit) {
    const ratio = window.devicePixelRatio || 1;
    const width = canvas.clientWidth || 300;
    const height = canvas.clientHeight || 160;
    canvas.width = Math.round(width * ratio);
    canvas.height = Math.round(height * ratio);
    const g = canvas.getContext('2d');
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    g.clearRect(0, 0, width, height);
    const left = 36;
    const bottom = height - 18;
    const top = 8;
    const finite = values.filter((v) => v !== null && Number.isFinite(v));
    const step = niceStep(Math.max(1, ...finite) / 4);
    const highest = step * 4;
    g.font = '10px sans-serif';
    g.fillStyle = '#6b7280';
    g.strokeStyle = '#e5e7eb';
    g.lineWidth = 1;
    for (let i = 0; i <= 4; ++i) {
      const y = bottom - ((bottom - top) * i) / 4;
      g.beginPath();
      g.moveTo(left, y);
      g.lineTo(width - 4, y);
      g.stroke();
      g.fillText(String(Number((step * i).toFixed(2))), 2, y + 3);
    }
    g.fillText('-60 min', left, height - 4);
    g.fillText('now', width - 24, height - 4);
    const x = (i) => left + ((width - 4 - left) * i) / (kMinutes - 1);
    const y = (v) => bottom - ((bottom - top) * v) / highest;
    g.strokeStyle = colour;
    g.fillStyle = colour;
    g.lineWidth = 2;
    g.beginPath();
    let drawing = false;
    values.forEach((v, i) => {
      if (v === null) {
        drawing = false;
        return;
      }
      if (drawing) {
        g.lineTo(x(i), y(v));
      } else {
        g.moveTo(x(i), y(v));
        drawing = true;
      }
    });
    g.stroke();
    values.forEach((v, i) => {
      if (v !== null) {
        g.fillRect(x(i) - 2, y(v) - 2, 4, 4);
      }
    });
    canvas.dataset.points = String(finite.length);
    canvas.title = finite.length > 0 ? 'now: ' + finite[finite.length - 1].toFixed(1) + unit : '';
  }

  // The minutes as a row of kMinutes places ending at the newest, gaps as null.
  function spread(minutes, pick) {
    const values = new Array(kMinutes).fill(null);
    if (minutes.length === 0) {
      return values;
    }
    const newest = minutes[minutes.length - 1].minute;
    for (const m of minutes) {
      const place = kMinutes - 1 - (newest - m.minute);
      if (place >= 0) {
        values[place] = pick(m);
      }
    }
    return values;
  }

  let last = [];
  function draw(minutes) {
    last = minutes;
    drawOne(document.getElementById('plot-players'), spread(minutes, (m) => m.players), '#2563eb', '');
    drawOne(document.getElementById('plot-fps'), spread(minutes, (m) => m.fps), '#16a34a', ' fps');
    drawOne(document.getElementById('plot-slowest'), spread(minutes, (m) => m.slowestMs), '#dc2626', ' ms');
  }
  window.addEventListener('resize', () => draw(last));
  return { draw };
})();
