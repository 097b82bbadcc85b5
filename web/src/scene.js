// The 3D scene of the browser edition: both spacecraft, the planet with its
// turning grid, the chaser's trail, the predicted coast with its closest
// approach, the planner's path and the docking port, seen from a free orbit
// camera or from beside the chaser.
//
// Every three.js object is built once in createScene; drawing a frame only
// writes numbers into typed arrays that already exist and uploads the part of
// them that changed, because the page has to stay light even on software WebGL.

import {
  AmbientLight,
  BufferAttribute,
  BufferGeometry,
  Color,
  DirectionalLight,
  DoubleSide,
  DynamicDrawUsage,
  Group,
  Line,
  LineBasicMaterial,
  LineDashedMaterial,
  LineSegments,
  LinearSRGBColorSpace,
  Mesh,
  MeshBasicMaterial,
  MeshLambertMaterial,
  MeshPhongMaterial,
  PerspectiveCamera,
  Scene,
  SphereGeometry,
  WebGLRenderer,
} from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';

// ---------------------------------------------------------------------------
// Constants (scene units "ul", degrees where said)
// ---------------------------------------------------------------------------

const PLANET_RADIUS = 400;
const PLANET_GAP = 40;               // from the target to the planet's surface
const PLANET_WIDTH_SEGMENTS = 64;    // enough for a sphere this far away
const PLANET_HEIGHT_SEGMENTS = 48;
const GRID_LIFT = 1;                 // the wire grid stands this far above the surface
const GRID_SLICES = 48;
const GRID_TURN_RATE = 10;           // degrees per unit of simulated time

const TRAIL_PLANE_BAND = 0.2;        // |z| within: white; above: red; below: blue
const PORT_Y = -1.5;                 // the target's docking port, on the y axis

const FIELD_OF_VIEW = 45;            // vertical, degrees, as on the desktop
const NEAR_PLANE = 0.05;
const FAR_PLANE = 5000;
const MAX_PIXEL_RATIO = 2;

// The starting landscape view is the desktop's: 35 units away, turned -35
// degrees about z and tipped -45 degrees about x, which puts the eye behind
// the chaser's side of the target and above the orbital plane.
const START_DISTANCE = 35;
const START_EYE = (() => {
  const tilt = (45 * Math.PI) / 180;
  const turn = (35 * Math.PI) / 180;
  const back = -START_DISTANCE * Math.sin(tilt);
  return [-back * Math.sin(turn), back * Math.cos(turn), START_DISTANCE * Math.cos(tilt)];
})();

// Chaser camera, as on the desktop: the eye rides a little ahead of the chaser,
// to its side and above, and looks just below the target.
const CHASER_EYE_OFFSET = [0.75, 3.0, 1.0];
const CHASER_LOOK_AT = [0, 0, -1];

// The closest-approach marker keeps at least this many pixels of radius.
const CLOSEST_RADIUS = 0.08;
const CLOSEST_MIN_PIXELS = 4;

// Dashes of the predicted coast, as a fraction of the eye's distance, so that
// they look the same length on screen whatever the zoom.
const DASH_FRACTION = 0.012;
const MIN_DASH = 0.03;

const MIN_POLYLINE_CAPACITY = 256;
const MIN_TRAIL_CAPACITY = 1024;
const SHIFT_CANDIDATES = 4;          // stored points tried as the new trail's first point

// The colours are given as the desktop gave them to fixed-function OpenGL and the
// renderer writes linear values straight out, so they mean the same here.
function rgb(r, g, b) {
  return new Color().setRGB(r, g, b);
}

const SPACE = rgb(0, 0, 0);
const PLANET_DIFFUSE = [0, 0.2, 0.9];
const PLANET_AMBIENT = [0, 0.2, 1];
const GRID_COLOUR = rgb(0.7, 0.7, 0.9);
const PREDICTION_COLOUR = rgb(1, 215 / 255, 0);
const CLOSEST_COLOUR = rgb(1, 140 / 255, 0);
const PLAN_COLOUR = rgb(1, 115 / 255, 1);
const PORT_COLOUR = rgb(0.2, 0.85, 0.35);
const CRAFT_SPECULAR = rgb(0.2, 0.2, 0.2);
const CRAFT_SHININESS = 28;

// three.js divides lights by pi in its Lambert term; these intensities are
// the old OpenGL ones times pi. The ambient is softer than the headlight but
// high enough that the craft's sides facing away still read.
const AMBIENT_INTENSITY = 0.45 * Math.PI;
const HEADLIGHT_INTENSITY = 0.75 * Math.PI;

// The planet keeps the desktop's deep blue: there it took 0.4 of ambient (the
// global 0.2 plus the light's 0.2) on its ambient colour and 0.2 of diffuse
// light. With the brighter lights above, its diffuse colour is scaled so the
// headlight gives the same 0.2, and an emission makes up the ambient term.
const DESKTOP_AMBIENT = 0.4;
const DESKTOP_DIFFUSE = 0.2;
const PLANET_DIFFUSE_SCALE = DESKTOP_DIFFUSE / (HEADLIGHT_INTENSITY / Math.PI);
const PLANET_COLOUR = rgb(...PLANET_DIFFUSE.map((c) => c * PLANET_DIFFUSE_SCALE));
const PLANET_EMISSIVE = rgb(
  ...PLANET_AMBIENT.map(
    (a, i) => a * DESKTOP_AMBIENT - (AMBIENT_INTENSITY / Math.PI) * PLANET_DIFFUSE[i] * PLANET_DIFFUSE_SCALE,
  ),
);

// ---------------------------------------------------------------------------
// Geometry helpers
// ---------------------------------------------------------------------------

function dynamicAttribute(array, itemSize) {
  const attribute = new BufferAttribute(array, itemSize);
  attribute.setUsage(DynamicDrawUsage);
  return attribute;
}

function craftMesh(model, material) {
  const geometry = new BufferGeometry();
  geometry.setAttribute('position', new BufferAttribute(model.positions, 3));
  geometry.setAttribute('normal', new BufferAttribute(model.normals, 3));
  geometry.setAttribute('color', new BufferAttribute(model.colors, 3));
  geometry.computeBoundingSphere();
  return new Mesh(geometry, material);
}

// Meridians and parallels like glutWireSphere draws them, poles along z; a
// wireframe of a triangulated sphere would add every diagonal as well.
function wireSphereGeometry(radius, slices, stacks) {
  const segments = slices * stacks + (stacks - 1) * slices;
  const positions = new Float32Array(segments * 2 * 3);
  let at = 0;
  const put = (theta, phi) => {
    const s = Math.sin(theta);
    positions[at++] = radius * s * Math.cos(phi);
    positions[at++] = radius * s * Math.sin(phi);
    positions[at++] = radius * Math.cos(theta);
  };
  for (let j = 0; j < slices; ++j) {
    const phi = (2 * Math.PI * j) / slices;
    for (let i = 0; i < stacks; ++i) {
      put((Math.PI * i) / stacks, phi);
      put((Math.PI * (i + 1)) / stacks, phi);
    }
  }
  for (let i = 1; i < stacks; ++i) {
    const theta = (Math.PI * i) / stacks;
    for (let j = 0; j < slices; ++j) {
      put(theta, (2 * Math.PI * j) / slices);
      put(theta, (2 * Math.PI * (j + 1)) / slices);
    }
  }
  const geometry = new BufferGeometry();
  geometry.setAttribute('position', new BufferAttribute(positions, 3));
  return geometry;
}

// The port marker: a ring with a cross inside, in the plane facing the docking
// axis, so that it reads as a target from the chaser's side.
function portMarkerGeometry() {
  const radius = 0.3;
  const arm = 0.15;
  const sides = 32;
  const positions = new Float32Array((sides + 2) * 2 * 3);
  let at = 0;
  const put = (x, z) => {
    positions[at++] = x;
    positions[at++] = PORT_Y;
    positions[at++] = z;
  };
  for (let i = 0; i < sides; ++i) {
    const a = (2 * Math.PI * i) / sides;
    const b = (2 * Math.PI * (i + 1)) / sides;
    put(radius * Math.cos(a), radius * Math.sin(a));
    put(radius * Math.cos(b), radius * Math.sin(b));
  }
  put(-arm, 0);
  put(arm, 0);
  put(0, -arm);
  put(0, arm);
  const geometry = new BufferGeometry();
  geometry.setAttribute('position', new BufferAttribute(positions, 3));
  return geometry;
}

function nextCapacity(needed, minimum) {
  let capacity = minimum;
  while (capacity < needed) capacity *= 2;
  return capacity;
}

// ---------------------------------------------------------------------------
// A polyline through a list of points that may change every frame (prediction,
// plan). Its arrays grow by doubling and are rewritten in place; nothing is
// uploaded when the points are the same as last frame.
// ---------------------------------------------------------------------------

function createPolyline(material, withDistances) {
  const line = new Line(new BufferGeometry(), material);
  line.frustumCulled = false;  // the bounds change with the points
  line.visible = false;
  const polyline = { line, withDistances, capacity: 0, count: 0, positions: null, distances: null };
  allocatePolyline(polyline, MIN_POLYLINE_CAPACITY);
  return polyline;
}

function allocatePolyline(polyline, capacity) {
  polyline.line.geometry.dispose();
  const geometry = new BufferGeometry();
  polyline.positions = new Float32Array(capacity * 3);
  geometry.setAttribute('position', dynamicAttribute(polyline.positions, 3));
  if (polyline.withDistances) {
    polyline.distances = new Float32Array(capacity);
    geometry.setAttribute('lineDistance', dynamicAttribute(polyline.distances, 1));
  }
  geometry.setDrawRange(0, 0);
  polyline.line.geometry = geometry;
  polyline.capacity = capacity;
  polyline.count = 0;
}

function updatePolyline(polyline, points, shown) {
  const count = shown && points ? Math.floor(points.length / 3) : 0;
  if (count < 2) {
    polyline.line.visible = false;
    return;
  }
  polyline.line.visible = true;
  if (count > polyline.capacity) allocatePolyline(polyline, nextCapacity(count, MIN_POLYLINE_CAPACITY));

  const positions = polyline.positions;
  let changed = count !== polyline.count;
  for (let i = 0, end = count * 3; i < end; ++i) {
    const before = positions[i];
    positions[i] = points[i];
    if (positions[i] !== before) changed = true;
  }
  if (!changed) return;

  const geometry = polyline.line.geometry;
  const position = geometry.attributes.position;
  position.clearUpdateRanges();
  position.addUpdateRange(0, count * 3);
  position.needsUpdate = true;

  if (polyline.withDistances) {
    // The dashes need the distance along the line at each point. three's
    // computeLineDistances would make a new attribute (and GPU buffer) each
    // call, so the same sums go into the one allocated with the positions.
    const distances = polyline.distances;
    let total = 0;
    distances[0] = 0;
    for (let i = 1; i < count; ++i) {
      const dx = positions[3 * i] - positions[3 * i - 3];
      const dy = positions[3 * i + 1] - positions[3 * i - 2];
      const dz = positions[3 * i + 2] - positions[3 * i - 1];
      total += Math.sqrt(dx * dx + dy * dy + dz * dz);
      distances[i] = total;
    }
    const lineDistance = geometry.attributes.lineDistance;
    lineDistance.clearUpdateRanges();
    lineDistance.addUpdateRange(0, count);
    lineDistance.needsUpdate = true;
  }
  geometry.setDrawRange(0, count);
  polyline.count = count;
}

// ---------------------------------------------------------------------------
// The trail. It can hold 100000 points and mostly changes by a point or two at
// its newest end (and, once full, loses as many at its oldest), so the stored
// points are compared with the new ones: when the new trail is the stored one
// shifted and extended, only the new segments are written and the draw range
// slides forward; the arrays are compacted or doubled when the range reaches
// their end. Each segment is two vertices of the colour of its newer end, so
// that colours change sharply where the chaser crosses the band, as on the
// desktop.
// ---------------------------------------------------------------------------

function createTrail() {
  const material = new LineBasicMaterial({ vertexColors: true });
  const segments = new LineSegments(new BufferGeometry(), material);
  segments.frustumCulled = false;
  segments.visible = false;
  const trail = {
    segments,
    capacity: 0,  // points
    base: 0,      // storage index of the trail's oldest point
    count: 0,     // points stored from base on
    points: null, // the stored points, to compare the next trail with
    positions: null,
    colors: null,
  };
  allocateTrail(trail, MIN_TRAIL_CAPACITY);
  return trail;
}

function allocateTrail(trail, capacity) {
  trail.segments.geometry.dispose();
  const geometry = new BufferGeometry();
  trail.points = new Float32Array(capacity * 3);
  trail.positions = new Float32Array(capacity * 2 * 3);
  trail.colors = new Float32Array(capacity * 2 * 3);
  geometry.setAttribute('position', dynamicAttribute(trail.positions, 3));
  geometry.setAttribute('color', dynamicAttribute(trail.colors, 3));
  geometry.setDrawRange(0, 0);
  trail.segments.geometry = geometry;
  trail.capacity = capacity;
  trail.base = 0;
  trail.count = 0;
}

// How far the new trail's start lies into the stored points, when all the
// stored points from there on are the new trail's first ones; -1 otherwise.
function trailShift(trail, data, newCount) {
  const stored = trail.count;
  if (stored < 2) return -1;
  const points = trail.points;
  const x0 = Math.fround(data[0]);
  const y0 = Math.fround(data[1]);
  const z0 = Math.fround(data[2]);
  let candidates = 0;
  for (let k = 0; k < stored - 1 && candidates < SHIFT_CANDIDATES; ++k) {
    const p = (trail.base + k) * 3;
    if (points[p] !== x0 || points[p + 1] !== y0 || points[p + 2] !== z0) continue;
    candidates += 1;
    const overlap = stored - k;
    if (overlap > newCount) continue;
    let same = true;
    for (let i = 3, q = p + 3, end = overlap * 3; i < end; ++i, ++q) {
      if (points[q] !== Math.fround(data[i])) {
        same = false;
        break;
      }
    }
    if (same) return k;
  }
  return -1;
}

function trailColour(colors, at, z) {
  if (z > TRAIL_PLANE_BAND) {
    colors[at] = 1; colors[at + 1] = 0; colors[at + 2] = 0;
  } else if (z < -TRAIL_PLANE_BAND) {
    colors[at] = 0; colors[at + 1] = 0; colors[at + 2] = 1;
  } else {
    colors[at] = 1; colors[at + 1] = 1; colors[at + 2] = 1;
  }
}

// Writes the trail's points from index `from` on (storage from trail.base) and
// the segments ending at them, and marks those for upload.
function writeTrail(trail, data, from, count) {
  const { points, positions, colors, base } = trail;
  for (let i = from; i < count; ++i) {
    const p = (base + i) * 3;
    points[p] = data[3 * i];
    points[p + 1] = data[3 * i + 1];
    points[p + 2] = data[3 * i + 2];
    if (i === 0) continue;
    // Segment from point i-1 to point i: vertices 2(s), 2(s)+1 with s = base+i-1.
    const v = (base + i - 1) * 6;
    positions[v] = points[p - 3];
    positions[v + 1] = points[p - 2];
    positions[v + 2] = points[p - 1];
    positions[v + 3] = points[p];
    positions[v + 4] = points[p + 1];
    positions[v + 5] = points[p + 2];
    const z = data[3 * i + 2];
    trailColour(colors, v, z);
    trailColour(colors, v + 3, z);
  }
  const firstSegment = base + Math.max(from, 1) - 1;
  const lastSegment = base + count - 2;  // inclusive
  if (lastSegment >= firstSegment) {
    const start = firstSegment * 6;
    const length = (lastSegment - firstSegment + 1) * 6;
    const attributes = trail.segments.geometry.attributes;
    attributes.position.addUpdateRange(start, length);
    attributes.position.needsUpdate = true;
    attributes.color.addUpdateRange(start, length);
    attributes.color.needsUpdate = true;
  }
  trail.count = count;
}

function rewriteTrail(trail, data, count) {
  if (2 * count > trail.capacity) {
    // Twice the length leaves room to slide a full, scrolling trail forward
    // for as many frames as it has points before compacting it again.
    allocateTrail(trail, nextCapacity(2 * count, MIN_TRAIL_CAPACITY));
  }
  const attributes = trail.segments.geometry.attributes;
  attributes.position.clearUpdateRanges();
  attributes.color.clearUpdateRanges();
  trail.base = 0;
  writeTrail(trail, data, 0, count);
}

function updateTrail(trail, data) {
  const count = data ? Math.floor(data.length / 3) : 0;
  if (count < 2) {
    trail.segments.visible = false;
    trail.count = 0;  // the next trail is written whole
    return;
  }
  trail.segments.visible = true;
  const shift = trailShift(trail, data, count);
  if (shift < 0) {
    rewriteTrail(trail, data, count);
  } else if (shift === 0 && count === trail.count) {
    return;  // unchanged (paused)
  } else if (trail.base + shift + count > trail.capacity) {
    rewriteTrail(trail, data, count);
  } else {
    trail.base += shift;
    writeTrail(trail, data, trail.count - shift, count);
  }
  trail.segments.geometry.setDrawRange(trail.base * 2, (count - 1) * 2);
}

// ---------------------------------------------------------------------------
// The scene
// ---------------------------------------------------------------------------

// True when WebGL is drawn by the processor (SwiftShader, llvmpipe): a
// machine without a usable graphics card, or a browser that was told so.
function softwareRendering() {
  const probe = document.createElement('canvas').getContext('webgl');
  if (!probe) return true;
  const info = probe.getExtension('WEBGL_debug_renderer_info');
  const name = info ? String(probe.getParameter(info.UNMASKED_RENDERER_WEBGL)) : '';
  probe.getExtension('WEBGL_lose_context')?.loseContext();
  return /swiftshader|llvmpipe|softpipe|software/i.test(name);
}

// Builds the renderer, camera, lights, craft (models.chaser and models.target:
// { positions, normals, colors } as Float32Arrays of triangles), planet, lines.
export function createScene(canvas, models) {
  // Multisampling is nearly free on a graphics card but costs a third of a
  // core on software rendering; on dense screens the pixels are small enough
  // to do without it.
  const dpr = (typeof window !== 'undefined' && window.devicePixelRatio) || 1;
  const renderer = new WebGLRenderer({ canvas, antialias: dpr < 1.5 && !softwareRendering() });
  renderer.outputColorSpace = LinearSRGBColorSpace;
  renderer.setClearColor(SPACE, 1);

  const scene = new Scene();

  const camera = new PerspectiveCamera(FIELD_OF_VIEW, 1, NEAR_PLANE, FAR_PLANE);
  camera.up.set(0, 0, 1);
  camera.position.set(START_EYE[0], START_EYE[1], START_EYE[2]);
  camera.lookAt(0, 0, 0);
  scene.add(camera);

  // The light comes from the eye, whichever camera is in use, like the desktop's
  // light set in the eye's frame.
  scene.add(new AmbientLight(0xffffff, AMBIENT_INTENSITY));
  const headlight = new DirectionalLight(0xffffff, HEADLIGHT_INTENSITY);
  headlight.position.set(0, 0, 1);
  camera.add(headlight);
  camera.add(headlight.target);  // at the eye, so the light points along the view

  // OrbitControls reads camera.up when it is built: z must already be up.
  const controls = new OrbitControls(camera, canvas);
  controls.target.set(0, 0, 0);
  controls.minDistance = 1;
  controls.maxDistance = 2000;
  controls.update();

  // Both craft: the models' length is their z axis; a quarter turn about x lays
  // them along the docking axis, and the chaser is turned round to face the target.
  const craftMaterial = new MeshPhongMaterial({
    vertexColors: true,
    specular: CRAFT_SPECULAR,
    shininess: CRAFT_SHININESS,
    side: DoubleSide,  // the models' faces are not all wound the same way
  });
  const target = craftMesh(models.target, craftMaterial);
  target.rotation.set(Math.PI / 2, 0, 0);
  scene.add(target);

  const chaser = new Group();
  const chaserModel = craftMesh(models.chaser, craftMaterial);
  chaserModel.rotation.set(Math.PI / 2, Math.PI, 0, 'XYZ');  // x first, then the model's own y
  chaser.add(chaserModel);
  scene.add(chaser);

  // The planet below the target and its grid, which turns with simulated time.
  const planet = new Mesh(
    new SphereGeometry(PLANET_RADIUS, PLANET_WIDTH_SEGMENTS, PLANET_HEIGHT_SEGMENTS),
    new MeshLambertMaterial({
      color: PLANET_COLOUR,
      emissive: PLANET_EMISSIVE,
      // Pushed back in depth so that the grid, one unit above, wins even far away.
      polygonOffset: true,
      polygonOffsetFactor: 1,
      polygonOffsetUnits: 1,
    }),
  );
  planet.position.set(-(PLANET_RADIUS + PLANET_GAP), 0, 0);
  scene.add(planet);

  const grid = new LineSegments(
    wireSphereGeometry(PLANET_RADIUS + GRID_LIFT, GRID_SLICES, GRID_SLICES),
    new LineBasicMaterial({ color: GRID_COLOUR }),
  );
  grid.position.copy(planet.position);
  scene.add(grid);

  const port = new LineSegments(
    portMarkerGeometry(),
    new LineBasicMaterial({ color: PORT_COLOUR, transparent: true, opacity: 0.55 }),
  );
  scene.add(port);

  const trail = createTrail();
  scene.add(trail.segments);

  const prediction = createPolyline(
    new LineDashedMaterial({ color: PREDICTION_COLOUR, dashSize: 0.4, gapSize: 0.4 }),
    true,
  );
  scene.add(prediction.line);

  const plan = createPolyline(new LineBasicMaterial({ color: PLAN_COLOUR }), false);
  scene.add(plan.line);

  const closest = new Mesh(
    new SphereGeometry(CLOSEST_RADIUS, 12, 8),
    new MeshBasicMaterial({ color: CLOSEST_COLOUR }),
  );
  closest.visible = false;
  scene.add(closest);

  const state = {
    canvas,
    renderer,
    scene,
    camera,
    controls,
    chaser,
    grid,
    trail,
    prediction,
    plan,
    closest,
    mode: 'ensemble',
    // The landscape eye while the chaser camera is on, put back on return.
    savedEye: camera.position.clone(),
    width: 0,
    height: 0,
    pixelRatio: 0,
  };
  resizeScene(state);
  // Reading the canvas's size forces the browser to lay the page out; asking
  // only when it changed keeps that out of every frame.
  state.sizeChanged = true;
  if (typeof ResizeObserver !== 'undefined') {
    new ResizeObserver(() => { state.sizeChanged = true; }).observe(canvas);
  }
  return state;
}

// Follows the canvas's size on the page and the screen's pixel ratio.
export function resizeScene(state) {
  const canvas = state.canvas;
  const width = Math.max(1, canvas.clientWidth | 0);
  const height = Math.max(1, canvas.clientHeight | 0);
  const pixelRatio = Math.min((typeof window !== 'undefined' && window.devicePixelRatio) || 1, MAX_PIXEL_RATIO);
  if (width === state.width && height === state.height && pixelRatio === state.pixelRatio) return;
  state.width = width;
  state.height = height;
  state.pixelRatio = pixelRatio;
  state.renderer.setPixelRatio(pixelRatio);
  state.renderer.setSize(width, height, false);  // the page's CSS sizes the canvas
  state.camera.aspect = width / height;
  state.camera.updateProjectionMatrix();
}

// Back to the starting view ('v').
export function resetCamera(state) {
  const { camera, controls } = state;
  state.savedEye.set(START_EYE[0], START_EYE[1], START_EYE[2]);
  controls.target.set(0, 0, 0);
  if (state.mode === 'ensemble') {
    camera.position.copy(state.savedEye);
    camera.lookAt(0, 0, 0);
    controls.update();
  }
}

function placeCamera(state, view) {
  const { camera, controls } = state;
  const mode = view.camera === 'chasseur' ? 'chasseur' : 'ensemble';
  if (mode !== state.mode) {
    if (mode === 'chasseur') {
      state.savedEye.copy(camera.position);
    } else {
      camera.position.copy(state.savedEye);
      camera.lookAt(controls.target);
    }
    controls.enabled = mode === 'ensemble';
    state.mode = mode;
    if (mode === 'ensemble') controls.update();
  }
  if (mode === 'chasseur' && view.chaser !== null) {
    const c = view.chaser;
    camera.position.set(
      c.x + CHASER_EYE_OFFSET[0],
      c.y + CHASER_EYE_OFFSET[1],
      c.z + CHASER_EYE_OFFSET[2],
    );
    camera.lookAt(CHASER_LOOK_AT[0], CHASER_LOOK_AT[1], CHASER_LOOK_AT[2]);
  }
}

// World length of one screen pixel at a given distance from the eye.
function pixelSize(state, distance) {
  const halfHeight = distance * Math.tan((FIELD_OF_VIEW * Math.PI) / 360);
  return (2 * halfHeight) / state.height;
}

// Draws one frame. view: { chaser: {x, y, z} or null before a case, time (ut),
// trail, prediction and plan (x, y, z per point; plan may be null), closest
// ({x, y, z} or null), ended, camera: 'ensemble' or 'chasseur' }.
export function drawScene(state, view) {
  if (state.sizeChanged || typeof ResizeObserver === 'undefined') {
    state.sizeChanged = false;
    resizeScene(state);
  }
  placeCamera(state, view);
  const camera = state.camera;

  // Before a case is chosen there is no chaser to draw.
  const c = view.chaser;
  state.chaser.visible = c !== null;
  if (c !== null) state.chaser.position.set(c.x, c.y, c.z);

  // The desktop turns the grid in a frame flipped about x, so seen from +z it
  // turns clockwise.
  state.grid.rotation.z = (-GRID_TURN_RATE * (view.time || 0) * Math.PI) / 180;

  updateTrail(state.trail, view.trail);
  updatePolyline(state.plan, view.plan, true);
  const coasting = !view.ended;
  updatePolyline(state.prediction, view.prediction, coasting);

  const eyeDistance = Math.max(camera.position.length(), 1);
  const dash = Math.max(MIN_DASH, DASH_FRACTION * eyeDistance);
  const dashed = state.prediction.line.material;
  dashed.dashSize = dash;
  dashed.gapSize = dash;

  const closest = state.closest;
  const point = view.closest;
  if (coasting && point && state.prediction.line.visible) {
    closest.visible = true;
    closest.position.set(point.x, point.y, point.z);
    const distance = camera.position.distanceTo(closest.position);
    const radius = Math.max(CLOSEST_RADIUS, CLOSEST_MIN_PIXELS * pixelSize(state, distance));
    closest.scale.setScalar(radius / CLOSEST_RADIUS);
  } else {
    closest.visible = false;
  }

  state.renderer.render(state.scene, camera);
}
