// The plots: the orbital plane from above (drawn by hand: one scale on both
// axes, clicks that pick the planner's aim), distance and speed over time
// (uPlot), and the approach view of the last units before the port. Every
// value drawn comes from the core; only pixels are computed here.
import uPlot from 'uplot';

const planeMargin = 1.15;  // room around what the plane plot shows
const smallestSpan = 4;    // the plane plot never zooms in further (ul)
const pointsPerPixel = 2;  // of a long history, as many as drawn
const dashPoints = 4;      // the predicted coast: dashes of this many points
const timePlotWidth = 320;
const timePlotHeight = 90;
const timePlotPoints = 1200;  // decimated from the history for the time plots
const approachRange = 6;      // the approach view opens this close to the port (ul)
const smallestOffsetSpan = 0.3;
const largestOffsetSpan = 2;
const offsetHeadroom = 1.25;
const behindPort = 0.5;       // the top view goes this far past the port (ul)
const insetSize = 150;

const colours = {
  path: '#e6e6e6', coast: '#ffd700', plan: '#ff73ff', closest: '#ff8c00', target: '#8c8caa',
  port: '#5ad96a', chaser: '#ffffff', aim: '#ff73ff', tolerance: '#5ad96a', hull: '#8c8caa',
  presses: ['#ff6a5a', '#5ae066', '#5096ff'],
};

// The run's history as the page keeps it, appended from the core step by step.
export function createPlots(core) {
  const distance = timePlot(document.getElementById('trace-distance'), 'distance (ul)', null);
  const speed = timePlot(document.getElementById('trace-vitesse'), 'vitesse (ul/ut)', '#ff463c');
  return {
    core, distance, speed, count: 0,
    t: [], x: [], y: [], z: [], dist: [], speedValues: [],
    bounds: null, view: null, lastTimePlot: 0,
  };
}

// Axis numbers with a decimal comma, as every number of the page.
function commaValues(u, splits) {
  return splits.map((v) => String(Number(v.toPrecision(6))).replace('.', ','));
}

function timePlot(element, label, limitColour) {
  const series = [{}, { label, stroke: '#5096ff', width: 1.5, points: { show: false } }];
  if (limitColour) series.push({ label: 'limite', stroke: limitColour, width: 1.5, dash: [6, 4], points: { show: false } });
  const options = {
    width: timePlotWidth, height: timePlotHeight, legend: { show: false }, cursor: { show: false },
    scales: { x: { time: false } },
    axes: [
      { stroke: '#9aa3c0', grid: { stroke: '#252a40' }, size: 28, values: commaValues },
      { stroke: '#9aa3c0', grid: { stroke: '#252a40' }, size: 54, values: commaValues },
    ],
    series,
  };
  const data = limitColour ? [[0], [0], [0]] : [[0], [0]];
  return new uPlot(options, data, element);
}

function emptyBounds(l) {
  return { minX: -l.contactHalfWidth, maxX: l.contactHalfWidth, minY: l.portY, maxY: l.contactHalfLength };
}

function take(b, x, y) {
  if (!Number.isFinite(x) || !Number.isFinite(y)) return;
  if (x < b.minX) b.minX = x;
  if (x > b.maxX) b.maxX = x;
  if (y < b.minY) b.minY = y;
  if (y > b.maxY) b.maxY = y;
}

// Appends the samples the core took since the last call; starts again when
// its history shrank (a restart, or a long run thinned to half its samples).
export function syncHistory(plots) {
  const m = plots.core.module;
  const count = m.historyCount();
  if (count < plots.count || plots.bounds === null) {
    plots.count = 0;
    for (const key of ['t', 'x', 'y', 'z', 'dist', 'speedValues']) plots[key] = [];
    plots.bounds = emptyBounds(plots.core.limits);
  }
  if (count === plots.count) return false;
  const values = m.historySince(plots.count);
  for (let i = 0; i + 5 < values.length; i += 6) {
    plots.t.push(values[i]);
    plots.x.push(values[i + 1]);
    plots.y.push(values[i + 2]);
    plots.z.push(values[i + 3]);
    plots.dist.push(values[i + 4]);
    plots.speedValues.push(values[i + 5]);
    take(plots.bounds, values[i + 1], values[i + 2]);
  }
  plots.count = count;
  return true;
}

// World (x radial, y along the track) to canvas pixels: y to the right, x up.
function planeView(canvas, bounds, extra) {
  const b = { ...bounds };
  for (const points of extra) for (let i = 0; i + 3 < points.length; i += 4) take(b, points[i + 1], points[i + 2]);
  const size = canvas.width;
  const span = Math.max(smallestSpan, planeMargin * Math.max(b.maxX - b.minX, b.maxY - b.minY));
  const cx = 0.5 * (b.minX + b.maxX);
  const cy = 0.5 * (b.minY + b.maxY);
  const scale = size / span;
  return {
    at: (x, y) => [size / 2 + (y - cy) * scale, size / 2 - (x - cx) * scale],
    world: (px, py) => ({ y: cy + (px - size / 2) / scale, x: cx - (py - size / 2) / scale }),
  };
}

function polyline(g, view, points, stride, colour, dashed) {
  g.strokeStyle = colour;
  g.setLineDash(dashed ? [6, 5] : []);
  g.beginPath();
  let first = true;
  for (let i = 0; i + 3 < points.length; i += 4 * stride) {
    const [px, py] = view.at(points[i + 1], points[i + 2]);
    if (first) g.moveTo(px, py);
    else g.lineTo(px, py);
    first = false;
  }
  g.stroke();
  g.setLineDash([]);
}

function dot(g, [px, py], radius, colour, filled = true) {
  g.beginPath();
  g.arc(px, py, radius, 0, 2 * Math.PI);
  if (filled) {
    g.fillStyle = colour;
    g.fill();
  } else {
    g.strokeStyle = colour;
    g.stroke();
  }
}

// The orbital plane: the target's contact box and port, the path flown, the
// predicted coast, the planned path and aim, the presses, the chaser.
export function drawPlane(plots, canvas, scene) {
  const g = canvas.getContext('2d');
  const l = plots.core.limits;
  const extra = [scene.prediction];
  if (scene.plan) extra.push(scene.plan);
  const view = planeView(canvas, plots.bounds, extra);
  plots.view = view;
  g.fillStyle = '#0f1220';
  g.fillRect(0, 0, canvas.width, canvas.height);
  g.lineWidth = 1.5;
  const [ax, ay] = view.at(l.contactHalfWidth, -l.contactHalfLength);
  const [bx, by] = view.at(-l.contactHalfWidth, l.contactHalfLength);
  g.strokeStyle = colours.target;
  g.strokeRect(ax, ay, bx - ax, by - ay);
  dot(g, view.at(0, l.portY), 3, colours.port);
  // The planet lies below: an arrow down, towards -x.
  g.fillStyle = '#5096ff';
  g.fillText('planète ↓', 8, canvas.height - 8);
  const n = plots.t.length;
  const stride = Math.max(1, Math.floor(n / (canvas.width * pointsPerPixel)));
  g.strokeStyle = colours.path;
  g.beginPath();
  for (let i = 0; i < n; i += stride) {
    const [px, py] = view.at(plots.x[i], plots.y[i]);
    if (i === 0) g.moveTo(px, py);
    else g.lineTo(px, py);
  }
  if (n > 0) g.lineTo(...view.at(plots.x[n - 1], plots.y[n - 1]));
  g.stroke();
  polyline(g, view, scene.prediction, 1, colours.coast, true);
  if (scene.plan) {
    polyline(g, view, scene.plan, 1, colours.plan, false);
    const [px, py] = view.at(scene.aim.x, scene.aim.y);
    g.strokeStyle = colours.aim;
    g.beginPath();
    g.moveTo(px - 5, py - 5); g.lineTo(px + 5, py + 5);
    g.moveTo(px - 5, py + 5); g.lineTo(px + 5, py - 5);
    g.stroke();
  }
  const presses = scene.presses;
  for (let i = 0; i + 3 < presses.length; i += 4)
    dot(g, view.at(presses[i + 1], presses[i + 2]), 3.5, colours.presses[presses[i + 3]] ?? '#fff');
  if (scene.closest) dot(g, view.at(scene.closest.x, scene.closest.y), 4, colours.closest);
  if (n > 0) dot(g, view.at(plots.x[n - 1], plots.y[n - 1]), 4.5, colours.chaser, false);
}

// The world point under a click on the plane plot, or null before a drawing.
export function planePoint(plots, canvas, event) {
  if (!plots.view) return null;
  const box = canvas.getBoundingClientRect();
  const px = ((event.clientX - box.left) * canvas.width) / box.width;
  const py = ((event.clientY - box.top) * canvas.height) / box.height;
  return plots.view.world(px, py);
}

function decimated(values, stride) {
  const out = [];
  for (let i = 0; i < values.length; i += stride) out.push(values[i]);
  if (values.length > 0 && (values.length - 1) % stride !== 0) out.push(values[values.length - 1]);
  return out;
}

// Distance and speed over time, at most every `interval` seconds of wall time.
export function drawTimePlots(plots, maxSpeed, nowSeconds, interval) {
  if (nowSeconds - plots.lastTimePlot < interval) return;
  plots.lastTimePlot = nowSeconds;
  const stride = Math.max(1, Math.ceil(plots.t.length / timePlotPoints));
  const t = decimated(plots.t, stride);
  plots.distance.setData([t, decimated(plots.dist, stride)]);
  plots.speed.setData([t, decimated(plots.speedValues, stride), t.map(() => maxSpeed)]);
}

// The approach view, near the port: from above (y + 1.5 across, x magnified)
// and from behind the port (x against z, one scale), each with the tolerance
// square, the hull, the coast and the chaser.
export function drawApproach(canvas, core, s, scene) {
  const near = s.started && !s.ended && s.portDistance < approachRange;
  canvas.hidden = !near;
  if (!near) return;
  const g = canvas.getContext('2d');
  const l = core.limits;
  const o = s.offsets;
  const tol = s.tolerance;
  g.clearRect(0, 0, canvas.width, canvas.height);
  g.font = '12px system-ui, sans-serif';
  const span = Math.min(largestOffsetSpan,
    Math.max(smallestOffsetSpan, offsetHeadroom * Math.max(Math.abs(o.x), Math.abs(o.z))));
  const top = inset(g, 10, 14, 'vue de dessus', (along, x) => [
    ((along + approachRange) / (approachRange + behindPort)) * insetSize,
    insetSize / 2 - (x / span) * (insetSize / 2)]);
  top.rect(-tol, tol, -tol, tol, colours.tolerance);
  top.rect(0, 2 * l.contactHalfLength, -l.contactHalfWidth, l.contactHalfWidth, colours.hull);
  top.line(scene.prediction, (p) => [p[2] - l.portY, p[1]], colours.coast);
  if (scene.plan) top.line(scene.plan, (p) => [p[2] - l.portY, p[1]], colours.plan);
  top.dot(o.along, o.x);
  const behind = inset(g, 20 + insetSize, 14, 'vue de derrière le port', (x, z) => [
    insetSize / 2 + (x / span) * (insetSize / 2),
    insetSize / 2 - (z / span) * (insetSize / 2)]);
  behind.rect(-tol, tol, -tol, tol, colours.tolerance);
  behind.rect(-l.contactHalfWidth, l.contactHalfWidth, -l.contactHalfWidth, l.contactHalfWidth, colours.hull);
  behind.line(scene.prediction, (p) => [p[1], p[3]], colours.coast);
  behind.dot(o.x, o.z);
}

function inset(g, left, topEdge, title, map) {
  const toPixel = (a, b) => {
    const [px, py] = map(a, b);
    return [left + Math.min(Math.max(px, -4), insetSize + 4), topEdge + Math.min(Math.max(py, -4), insetSize + 4)];
  };
  g.strokeStyle = '#2c3350';
  g.strokeRect(left, topEdge, insetSize, insetSize);
  g.fillStyle = '#9aa3c0';
  g.fillText(title, left, topEdge - 3);
  return {
    rect(a0, a1, b0, b1, colour) {
      const [x0, y0] = toPixel(a0, b1);
      const [x1, y1] = toPixel(a1, b0);
      g.strokeStyle = colour;
      g.strokeRect(x0, y0, x1 - x0, y1 - y0);
    },
    line(points, pick, colour) {
      g.save();
      g.beginPath();
      g.rect(left, topEdge, insetSize, insetSize);
      g.clip();
      g.strokeStyle = colour;
      g.beginPath();
      for (let i = 0; i + 3 < points.length; i += 4) {
        const [a, b] = pick(points.subarray(i, i + 4));
        const [px, py] = toPixel(a, b);
        if (i === 0) g.moveTo(px, py);
        else g.lineTo(px, py);
      }
      g.stroke();
      g.restore();
    },
    dot(a, b) {
      dot(g, toPixel(a, b), 4, colours.chaser);
    },
  };
}
