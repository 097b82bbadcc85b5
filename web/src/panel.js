// The instrument panel and the verdict, as text: numbers come from the core
// and are written with its decimal commas; the page only places them.
const byId = (id) => document.getElementById(id);

// Text and classes are written only when they change: an unchanged panel
// costs the browser no new layout.
function put(id, text, className) {
  const element = byId(id);
  if (element.textContent !== text) element.textContent = text;
  if (className !== undefined && element.className !== className) element.className = className;
}

// The speed gauge spans twice the docking limit.
const gaugeSpanOverLimit = 2;

function signed(core, value, decimals = 2) {
  return (value > 0 ? '+' : '') + core.num(value, decimals);
}

function offsetLine(id, label, text, within) {
  put(id, `${label} = ${text}`, within ? 'bon' : 'mauvais');
}

function sinceLastPress(core, s) {
  if (!s.pressed) return 'Dernière poussée : aucune';
  let line = `Dernière poussée : il y a ${core.num(s.sinceLastPress, 1)} ut`;
  if (s.Omega !== 0) line += ` (${core.num(s.sinceLastPressOrbits)} orbite)`;
  return line;
}

// Fills the panel from the core's status.
export function showInstruments(core, s, paused) {
  const n = (v, d) => core.num(v, d);
  const panel = byId('instruments');
  panel.classList.toggle('vide', !s.started);
  if (!s.started) {
    put('titre-cas', 'Aucun cas choisi');
    return;
  }
  put('titre-cas', s.title);
  put('ligne-omega', `Omega = ${n(s.Omega)} rad/ut, temps ${n(s.time, 1)} ut`);
  put('distance-port', `${n(s.portDistance)} ul`);
  put('etiquette-cible', `Distance à la cible (perdu au-delà de ${n(s.lossDistance, 0)})`);
  put('distance-cible', `${n(s.targetDistance, 1)} ul`);
  put('vitesse', n(s.speed, 3));
  const span = s.maxSpeed * gaugeSpanOverLimit;
  byId('jauge-vitesse').style.width = `${Math.min(s.speed / span, 1) * 100}%`;
  byId('jauge-limite').style.left = `${(s.maxSpeed / span) * 100}%`;
  put('limite-vitesse', `limite ${n(s.maxSpeed)}`);
  const fuel = byId('carburant');
  fuel.max = Math.max(s.fuelStart, 1);
  fuel.value = s.fuel;
  put('carburant-texte', `${s.fuel} / ${s.fuelStart}`);
  put('attente', s.waiting === 0 ? '' : `${s.waiting} ${s.waiting === 1 ? 'poussée en attente' : 'poussées en attente'}`);
  put('derniere-poussee', sinceLastPress(core, s));
  put('titre-ecarts', `Écarts au port (limites ±${n(s.tolerance)}, vitesse < ${n(s.maxSpeed)})`);
  const o = s.offsets;
  offsetLine('ecart-x', 'x (axe, radial)', signed(core, o.x), o.xWithin);
  offsetLine('ecart-z', 'z (axe, hors du plan)', signed(core, o.z), o.zWithin);
  offsetLine('ecart-y', "y + 1,5 (jusqu'au port)", signed(core, o.along), o.alongWithin);
  offsetLine('ecart-vitesse', 'vitesse', n(o.speed, 3), o.speedWithin);
  put('plus-pres', s.closest);
  put('si-rien', s.ahead);
  put('vitesse-temps', s.speedLabel);
  byId('pause').hidden = !paused;
  byId('grande-pause').hidden = !paused || s.ended;
}

// Shows the verdict with its reason, advice and costs once the run has ended.
export function showVerdict(core, s, recordText) {
  const box = byId('verdict');
  box.hidden = !s.ended;
  if (!s.ended) return;
  const v = s.verdict;
  const docked = v.outcome === core.limits.outcomeDocked;
  box.classList.toggle('gagne', docked);
  box.classList.toggle('perdu', !docked);
  put('verdict-titre', v.title);
  put('verdict-raison', v.reason);
  put('verdict-conseil', v.advice);
  put('verdict-couts', v.costs);
  put('verdict-releve', recordText);
}
