// The instrument panel and the verdict, as text: numbers come from the core
// and are written with its decimal commas; the page only places them.
const byId = (id) => document.getElementById(id);

// The speed gauge spans twice the docking limit.
const gaugeSpanOverLimit = 2;

function signed(core, value, decimals = 2) {
  return (value > 0 ? '+' : '') + core.num(value, decimals);
}

function offsetLine(element, label, text, within) {
  element.textContent = `${label} = ${text}`;
  element.className = within ? 'bon' : 'mauvais';
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
  byId('titre-cas').textContent = s.title;
  byId('ligne-omega').textContent = `Omega = ${n(s.Omega)} rad/ut, temps ${n(s.time, 1)} ut`;
  byId('distance-port').textContent = `${n(s.portDistance)} ul`;
  byId('etiquette-cible').textContent = `Distance à la cible (perdu au-delà de ${n(s.lossDistance, 0)})`;
  byId('distance-cible').textContent = `${n(s.targetDistance, 1)} ul`;
  byId('vitesse').textContent = n(s.speed, 3);
  const span = s.maxSpeed * gaugeSpanOverLimit;
  byId('jauge-vitesse').style.width = `${Math.min(s.speed / span, 1) * 100}%`;
  byId('jauge-limite').style.left = `${(s.maxSpeed / span) * 100}%`;
  byId('limite-vitesse').textContent = `limite ${n(s.maxSpeed)}`;
  const fuel = byId('carburant');
  fuel.max = Math.max(s.fuelStart, 1);
  fuel.value = s.fuel;
  byId('carburant-texte').textContent = `${s.fuel} / ${s.fuelStart}`;
  byId('attente').textContent =
    s.waiting === 0 ? '' : `${s.waiting} ${s.waiting === 1 ? 'poussée en attente' : 'poussées en attente'}`;
  byId('derniere-poussee').textContent = sinceLastPress(core, s);
  byId('titre-ecarts').textContent =
    `Écarts au port (limites ±${n(s.tolerance)}, vitesse < ${n(s.maxSpeed)})`;
  const o = s.offsets;
  offsetLine(byId('ecart-x'), 'x (axe, radial)', signed(core, o.x), o.xWithin);
  offsetLine(byId('ecart-z'), 'z (axe, hors du plan)', signed(core, o.z), o.zWithin);
  offsetLine(byId('ecart-y'), "y + 1,5 (jusqu'au port)", signed(core, o.along), o.alongWithin);
  offsetLine(byId('ecart-vitesse'), 'vitesse', n(o.speed, 3), o.speedWithin);
  byId('plus-pres').textContent = s.closest;
  byId('si-rien').textContent = s.ahead;
  byId('vitesse-temps').textContent = s.speedLabel;
  byId('pause').hidden = !paused;
  byId('grande-pause').hidden = !paused || s.ended;
}

// Shows the verdict with its reason, advice and costs once the run has ended.
export function showVerdict(s, recordText) {
  const box = byId('verdict');
  box.hidden = !s.ended;
  if (!s.ended) return;
  const v = s.verdict;
  box.classList.toggle('gagne', v.outcome === 3);
  box.classList.toggle('perdu', v.outcome !== 3);
  byId('verdict-titre').textContent = v.title;
  byId('verdict-raison').textContent = v.reason;
  byId('verdict-conseil').textContent = v.advice;
  byId('verdict-couts').textContent = v.costs;
  byId('verdict-releve').textContent = recordText;
}
