// The C++ core, compiled to WebAssembly: every rule of a run (the equations,
// the pacing, the prediction, the verdict and its reasons, the planner, the
// teacher-file reader, the records) is computed there. This module loads it
// and names its calls; the page only shows what it returns.
import createOrvanelCore from 'orvanel-core';

// Thrust keys: the browser's key names to the core's key codes.
const thrustKeyNames = {
  ArrowLeft: 'keyLeft', ArrowUp: 'keyUp', ArrowRight: 'keyRight', ArrowDown: 'keyDown',
  PageUp: 'keyPageUp', PageDown: 'keyPageDown',
};
// The on-screen buttons' names to the same codes.
const thrustButtonNames = {
  gauche: 'keyLeft', haut: 'keyUp', droite: 'keyRight', bas: 'keyDown',
  'plus-z': 'keyPageUp', 'moins-z': 'keyPageDown',
};

// The largest teacher file the page copies into the core; the reader refuses
// larger ones itself with its own message, so this only bounds the copy.
const largestGivenFile = 1 << 20;

export async function loadCore() {
  // The core's own messages (the model reader's, a record's failure) go to
  // the console's quieter levels: the page says to the student what matters.
  const module = await createOrvanelCore({
    print: (text) => console.debug(text),
    printErr: (text) => console.warn(text),
  });
  const limits = module.limits();
  return {
    module,
    limits,
    cases: module.caseList(),
    // The core's key code for a browser key name or an on-screen button, or null.
    thrustKey(name) {
      const field = thrustKeyNames[name] ?? thrustButtonNames[name];
      return field ? limits[field] : null;
    },
    // Starts a teacher file given as bytes; returns the reader's message, or "".
    startGivenFile(name, bytes) {
      const safe = name.replace(/[^\p{L}\p{N}._-]/gu, '_').slice(0, 120) || 'cas';
      const path = `/fichiers/${safe}`;
      module.FS.mkdirTree('/fichiers');
      module.FS.writeFile(path, bytes.subarray(0, largestGivenFile + 1));
      const message = module.startGivenFile(path, name);
      module.FS.unlink(path);
      return message;
    },
    // A file of the core's memory file system (a record), as bytes; null when gone.
    readFile(path) {
      try {
        return module.FS.readFile(path);
      } catch {
        return null;
      }
    },
    // A number written as the core writes it: decimal comma, given decimals.
    num(value, decimals = 2) {
      return module.decimalComma(value, decimals);
    },
  };
}
