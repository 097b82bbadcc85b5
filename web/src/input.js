// Keys and on-screen buttons, as the desktop teaching edition reads them:
// arrows and Page préc./suiv. thrust, p pauses, s/S pace, k restarts, c
// chooses a case, m the planner, h the help, l and v the views, 1 to 6 in the
// chooser. Thrust buttons repeat while held, as a key does.
const repeatDelay = 400;     // ms before a held button repeats
const repeatInterval = 120;  // ms between repeats

function typing(event) {
  const t = event.target;
  return t instanceof HTMLInputElement && t.type !== 'range';
}

export function bindInput(actions, core) {
  document.addEventListener('keydown', (event) => {
    if (event.ctrlKey || event.metaKey || event.altKey || typing(event)) return;
    const thrust = core.thrustKey(event.key);
    if (thrust !== null) {
      event.preventDefault();
      actions.thrust(thrust);
      return;
    }
    const chooserOpen = document.getElementById('choix-cas').open;
    if (chooserOpen && /^[1-6]$/.test(event.key)) {
      actions.chooseCase(Number(event.key) - 1);
      return;
    }
    const byKey = {
      p: actions.togglePause, s: actions.slower, S: actions.faster, k: actions.restart,
      c: actions.toggleChooser, m: actions.togglePlanner, h: actions.toggleHelp,
      l: actions.toggleCamera, v: actions.resetCamera,
    };
    const action = byKey[event.key];
    if (action) {
      event.preventDefault();
      action();
    }
  });
  for (const button of document.querySelectorAll('[data-poussee]')) {
    const key = core.thrustKey(button.dataset.poussee);
    let timer = null;
    const stop = () => {
      clearTimeout(timer);
      timer = null;
    };
    button.addEventListener('pointerdown', (event) => {
      event.preventDefault();
      actions.thrust(key);
      stop();
      const again = () => {
        actions.thrust(key);
        timer = setTimeout(again, repeatInterval);
      };
      timer = setTimeout(again, repeatDelay);
    });
    for (const end of ['pointerup', 'pointerleave', 'pointercancel']) button.addEventListener(end, stop);
    // A keyboard's Enter or Space on the focused button is one press.
    button.addEventListener('click', (event) => {
      if (event.detail === 0) actions.thrust(key);
    });
  }
  const click = (id, action) => document.getElementById(id).addEventListener('click', action);
  click('tactile-pause', actions.togglePause);
  click('tactile-lent', actions.slower);
  click('tactile-rapide', actions.faster);
  click('tactile-recommencer', actions.restart);
  click('tactile-vue', actions.toggleCamera);
  click('bouton-choisir', actions.toggleChooser);
  click('bouton-recommencer', actions.restart);
  click('bouton-pause', actions.togglePause);
  click('bouton-planificateur', actions.togglePlanner);
  click('bouton-aide', actions.toggleHelp);
  click('aide-fermer', actions.toggleHelp);
  click('bouton-partager', actions.share);
  click('bouton-fichier', actions.openFile);
  click('choix-ouvrir', actions.openFile);
}
