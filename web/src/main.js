// Orvanel Labo in the browser: loads the core, starts the case the address
// names (or shows the chooser), and runs the frame loop. Frames run only while
// time flows or after an input; a pause, a verdict or a hidden tab costs nothing.
import { loadCore } from './core.js';
import { bindInput } from './input.js';
import { showInstruments, showVerdict } from './panel.js';
import { createPlanner, refreshPlan, setPlannerShown } from './planner.js';
import { createPlots, drawApproach, drawPlane, drawTimePlots, planePoint, syncHistory } from './plots.js';
import { caseFragment, caseFromFragment, downloadFigure, offerRecord } from './records.js';
import { createScene, drawScene, resetCamera } from './scene.js';

const byId = (id) => document.getElementById(id);
const timePlotInterval = 0.1;  // s of wall time between redraws of the time plots
const framesTimed = 600;       // the last frames' main-thread times kept for measuring
// Steps drawn at most this often (s): at x16 a step falls in every frame, and
// thirty drawings a second show the motion as well as sixty, at half the cost.
const shortestDrawingGap = 1 / 30;
// Between steps the loop sleeps instead of waking every frame for nothing; it
// wakes this early for the frame that takes the step, and at least this often,
// since the pacing counts at most a quarter of a second of any gap.
const wakeEarly = 0.012;
const longestSleep = 0.2;
const bannerSeconds = 6;

// The coast's points as the scene takes them: x, y, z (the core gives t, x, y, z).
function positions(points) {
  if (!points) return null;
  const out = new Float64Array((points.length / 4) * 3);
  for (let i = 0, j = 0; i + 3 < points.length; i += 4, j += 3) {
    out[j] = points[i + 1];
    out[j + 1] = points[i + 2];
    out[j + 2] = points[i + 3];
  }
  return out;
}

function banner(text) {
  const box = byId('bandeau');
  box.textContent = text;
  box.hidden = false;
  clearTimeout(banner.timer);
  banner.timer = setTimeout(() => { box.hidden = true; }, bannerSeconds * 1000);
}

// The 3D scene, or null where the browser has no WebGL: the run, the panel
// and the plots still work, and the page says what is missing.
function sceneOrNothing(m) {
  try {
    return createScene(byId('scene3d'), {
      chaser: m.modelMesh('/data/chasseur.obj'), target: m.modelMesh('/data/cible.obj'),
    });
  } catch (error) {
    const note = document.createElement('p');
    note.className = 'sans-3d';
    note.textContent = `Pas de vue 3D : ce navigateur n'offre pas WebGL (${error.message ?? error}). ` +
      'Le vol, les instruments et les tracés marchent sans elle.';
    byId('scene3d').replaceWith(note);
    return null;
  }
}

async function start() {
  const core = await loadCore();
  const m = core.module;
  const app = {
    core, paused: false, camera: 'ensemble', source: null, dirty: true, loop: null,
    status: m.status(), links: { urls: [] }, offered: false,
    stepsUndrawn: false, lastDrawing: -Infinity, sleep: null, failureSaid: '',
    // Main-thread milliseconds of the last frames, for the benchmark.
    frameTimes: [],
  };
  const chooser = byId('choix-cas');
  const help = byId('aide');
  const plots = createPlots(core);
  const planner = createPlanner(core, () => touch());
  const scene = sceneOrNothing(m);

  const held = () => app.paused || chooser.open || document.hidden;
  const flowing = () => app.status.started && !app.status.ended && !held();

  function render(seconds) {
    const s = m.status();
    app.status = s;
    const prediction = m.prediction();
    const plan = refreshPlan(planner, s);
    const planPath = plan && plan.ok ? plan.path : null;
    const closest = s.closestKnown ? s.closestAt : null;
    // The scene first: the text set below would make its size reading lay
    // the page out again.
    if (scene) drawScene(scene, {
      chaser: s.started ? s.motion : null, time: s.time, trail: m.trail(), prediction: positions(prediction),
      closest, plan: positions(planPath), ended: s.ended, camera: app.camera,
    });
    showInstruments(core, s, app.paused);
    const title = s.started ? `${s.title} — Orvanel Labo` : 'Orvanel Labo';
    if (document.title !== title) document.title = title;
    byId('bouton-pause').textContent = app.paused ? 'Reprendre' : 'Pause';
    byId('tactile-pause').textContent = app.paused ? 'Reprendre' : 'Pause';
    setPlannerShown(planner, planner.shown, s.plannerAllowed, s.ended);
    syncHistory(plots);
    drawPlane(plots, byId('plan'), {
      prediction, plan: planPath, aim: plan ? { x: plan.aimX, y: plan.aimY } : null,
      presses: m.pressMarks(), closest,
    });
    drawTimePlots(plots, s.maxSpeed, seconds, s.ended || !flowing() ? 0 : timePlotInterval);
    drawApproach(byId('vue-approche'), core, s, { prediction, plan: planPath });
    const r = s.record;
    // A record stopped on the way (too long for the tab's memory) is said at once.
    if (r.failure !== '' && r.failure !== app.failureSaid) banner(`Relevé : ${r.failure}`);
    app.failureSaid = r.failure;
    showVerdict(core, s, r.complete ? `Relevé : ${r.path.slice(r.path.lastIndexOf('/') + 1)}` : r.note);
    if (s.ended && !app.offered) {
      offerRecord(core, r, app.links);
      app.offered = true;
    }
  }

  function frame(now) {
    const began = performance.now();
    app.loop = null;
    const seconds = now / 1000;
    const taken = m.advance(seconds, held());
    app.stepsUndrawn ||= taken > 0;
    if (app.dirty || (app.stepsUndrawn && seconds - app.lastDrawing >= shortestDrawingGap)) {
      app.dirty = false;
      app.stepsUndrawn = false;
      app.lastDrawing = seconds;
      render(seconds);
      if (performance.getEntriesByName('orvanel-premiere-image').length === 0)
        performance.mark('orvanel-premiere-image');
    }
    if (app.stepsUndrawn) schedule();
    else if (flowing()) sleepUntilNextStep();
    if (app.frameTimes.length >= framesTimed) app.frameTimes.shift();
    app.frameTimes.push(performance.now() - began);
  }

  function schedule() {
    clearTimeout(app.sleep);
    if (app.loop === null) app.loop = requestAnimationFrame(frame);
  }

  function sleepUntilNextStep() {
    const wait = Math.min(m.secondsToNextStep() - wakeEarly, longestSleep);
    if (wait <= 0) {
      schedule();
      return;
    }
    clearTimeout(app.sleep);
    app.sleep = setTimeout(schedule, wait * 1000);
  }

  // Something changed outside the run's own time: draw the next frame.
  function touch() {
    app.dirty = true;
    schedule();
  }

  function startSource(source) {
    let message = '';
    if (source.kind === 'cas') message = m.startCase(source.index);
    else message = core.startGivenFile(source.name, source.bytes);
    if (message !== '') {
      byId('erreur-fichier').textContent = message;
      if (!chooser.open) chooser.showModal();
      touch();
      return false;
    }
    byId('erreur-fichier').textContent = '';
    app.source = source;
    app.offered = false;
    app.paused = false;
    byId('choix-revenir').hidden = false;
    if (chooser.open) chooser.close();
    m.holdChanged();
    touch();
    return true;
  }

  function openFile() {
    byId('choix-fichier').click();
  }

  async function startFile(file) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    startSource({ kind: 'fichier', name: file.name, bytes });
  }

  const actions = {
    thrust(key) {
      if (chooser.open || key === null) return;
      if (m.press(key)) touch();
    },
    chooseCase: (index) => startSource({ kind: 'cas', index }),
    togglePause() {
      if (!app.status.started) return;
      app.paused = !app.paused;
      m.holdChanged();
      touch();
    },
    slower() { m.slower(); touch(); },
    faster() { m.faster(); touch(); },
    restart() {
      if (!app.status.started) return;
      m.restart();
      app.offered = false;
      touch();
    },
    toggleChooser() {
      if (chooser.open) chooser.close();
      else chooser.showModal();
      m.holdChanged();
      touch();
    },
    togglePlanner() {
      setPlannerShown(planner, !planner.shown, app.status.plannerAllowed, app.status.ended);
      touch();
    },
    toggleHelp() {
      if (help.open) help.close();
      else help.showModal();
    },
    toggleCamera() {
      app.camera = app.camera === 'ensemble' ? 'chasseur' : 'ensemble';
      touch();
    },
    resetCamera() {
      if (scene) resetCamera(scene);
      touch();
    },
    share() {
      if (!app.source) {
        banner("Choisissez d'abord un cas.");
        return;
      }
      history.replaceState(null, '', caseFragment(app.source));
      const address = location.href;
      const said = () => banner(`Adresse de ce cas : ${address}`);
      if (navigator.clipboard) {
        navigator.clipboard.writeText(address)
          .then(() => banner('Lien copié : qui l\'ouvre part de ce cas.'), said);
      } else {
        said();
      }
    },
    openFile,
  };
  bindInput(actions, core);

  const list = byId('liste-cas');
  core.cases.forEach((shipped, index) => {
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.textContent = shipped.title;
    const teaches = document.createElement('span');
    teaches.className = 'enseigne';
    teaches.textContent = shipped.teaches;
    button.append(teaches);
    button.addEventListener('click', () => actions.chooseCase(index));
    item.append(button);
    list.append(item);
  });
  byId('choix-revenir').addEventListener('click', () => actions.toggleChooser());
  chooser.addEventListener('close', () => { m.holdChanged(); touch(); });
  byId('choix-fichier').addEventListener('change', (event) => {
    const [file] = event.target.files;
    if (file) startFile(file);
    event.target.value = '';
  });
  byId('plan').addEventListener('click', (event) => {
    if (!planner.shown) return;
    const point = planePoint(plots, byId('plan'), event);
    if (point) {
      m.aimAt(point.x, point.y);
      touch();
    }
  });
  byId('telecharger-figure').addEventListener('click', () => {
    const canvases = [byId('plan'), ...document.querySelectorAll('.traces .uplot canvas')];
    downloadFigure(app.status, app.status.record, canvases);
  });
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('deposer');
  });
  document.addEventListener('dragleave', () => document.body.classList.remove('deposer'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('deposer');
    const [file] = event.dataTransfer.files;
    if (file) startFile(file);
  });
  document.addEventListener('visibilitychange', () => { m.holdChanged(); touch(); });
  scene?.controls?.addEventListener('change', () => touch());
  window.addEventListener('resize', () => touch());
  window.addEventListener('hashchange', () => {
    const asked = caseFromFragment(location.hash);
    if (asked) startSource(asked);
  });

  const asked = caseFromFragment(location.hash);
  if (!asked || !startSource(asked)) {
    if (!chooser.open) chooser.showModal();
  }
  // For the page's own tests and for curious teachers: the core and the page.
  window.orvanel = { core, app, actions };
  byId('chargement').hidden = true;
  touch();
}

start().catch((error) => {
  byId('chargement').textContent = `Orvanel Labo n'a pas pu démarrer : ${error.message ?? error}`;
  throw error;
});
