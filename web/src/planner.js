// The burn planner's panel: the student picks an aim (a click on the plane
// plot) and a flight time; the core's plan says which presses to make now,
// the path they give and what to cancel on arrival.
const byId = (id) => document.getElementById(id);

export function createPlanner(core, onChange) {
  const planner = { core, shown: false, plan: null };
  const slider = byId('plan-duree');
  slider.addEventListener('input', () => {
    const p = planner.plan;
    if (!p) return;
    const shortest = core.limits.economyShortest * p.defaultFlightTime;
    const longest = core.limits.economyLongest * p.defaultFlightTime;
    core.module.setFlightTime(shortest + Number(slider.value) * (longest - shortest));
    onChange();
  });
  byId('plan-econome').addEventListener('click', () => {
    core.module.chooseEconomicalFlightTime();
    onChange();
  });
  byId('plan-axe').addEventListener('click', () => {
    core.module.aimDefault();
    onChange();
  });
  return planner;
}

// Shows or hides the panel; the lesson may forbid it, and after the verdict
// it has nothing left to plan.
export function setPlannerShown(planner, shown, allowed, ended) {
  planner.shown = shown && allowed;
  const visible = planner.shown && !ended;
  byId('planificateur').hidden = !visible;
  // The planner takes the time plots' room, as on the desktop.
  byId('traces-temps').hidden = visible;
  byId('bouton-planificateur').disabled = !allowed;
}

// This frame's plan, shown in the panel; null when the panel is hidden or
// the run is over.
export function refreshPlan(planner, s) {
  if (!planner.shown || s.ended || !s.started) {
    planner.plan = null;
    return null;
  }
  const core = planner.core;
  const n = (v, d) => core.num(v, d);
  const p = core.module.plan();
  planner.plan = p;
  byId('plan-visee').textContent = `x = ${n(p.aimX)}, y = ${n(p.aimY)} ul`;
  const shortest = core.limits.economyShortest * p.defaultFlightTime;
  const longest = core.limits.economyLongest * p.defaultFlightTime;
  const slider = byId('plan-duree');
  if (document.activeElement !== slider)
    slider.value = String((p.flightTime - shortest) / (longest - shortest));
  let duration = `${n(p.flightTime, 1)} ut`;
  if (s.Omega !== 0) duration += ` (${n(p.flightOrbits)} orbite)`;
  byId('plan-duree-texte').textContent = duration;
  const out = byId('plan-resultat');
  out.replaceChildren();
  const line = (text, className) => {
    const para = document.createElement('p');
    para.textContent = text;
    if (className) para.className = className;
    out.append(para);
  };
  if (!p.ok) {
    line(p.refusal, 'mauvais');
    return p;
  }
  line(`Maintenant : ${p.presses}`, 'attention');
  const [cx, cy, cz] = p.change;
  line(`Vitesse à ajouter : x ${n(cx)}, y ${n(cy)}, z ${n(cz)} (une poussée : ${n(p.pressChange)})`);
  line(`Écart à l'arrivée : ${n(p.miss)} ul (poussées entières, une par pas ; ` +
    `${n(p.roundingMiss)} ul dû à l'arrondi seul)`);
  line(`À l'arrivée, pour s'arrêter : ${p.arrivalPresses} (vitesse ${n(p.arrivalSpeed)})`);
  if (p.note) line(p.note, 'attention');
  line("Trajet prévu en violet. Replanifiez en route : l'écart fond à mesure que l'arrivée approche.", 'aide-plan');
  return p;
}
