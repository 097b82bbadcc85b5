// What a student keeps and shares: the run's record (the core's exact CSV and
// its spreadsheet copy) and its figure, offered at the verdict; and a case put
// in the page's address, in the fragment that is never sent to a server.
const byId = (id) => document.getElementById(id);

const figureMargin = 16;
const figureTextLine = 20;

// Base64url of bytes, and back: a teacher file in the address.
function toBase64Url(bytes) {
  let text = '';
  for (const b of bytes) text += String.fromCharCode(b);
  return btoa(text).replaceAll('+', '-').replaceAll('/', '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  const plain = atob(text.replaceAll('-', '+').replaceAll('_', '/'));
  return Uint8Array.from(plain, (c) => c.charCodeAt(0));
}

// The fragment that starts a case: "#cas=3", or "#fichier=...&nom=x.in".
export function caseFragment(source) {
  if (source.kind === 'cas') return `#cas=${source.index + 1}`;
  const params = new URLSearchParams({ fichier: toBase64Url(source.bytes), nom: source.name });
  return `#${params.toString()}`;
}

// The case an address asks for, or null: { kind: 'cas', index } or
// { kind: 'fichier', name, bytes }.
export function caseFromFragment(hash) {
  const params = new URLSearchParams(hash.replace(/^#/, ''));
  if (params.has('cas')) {
    const index = Number.parseInt(params.get('cas'), 10) - 1;
    return Number.isInteger(index) ? { kind: 'cas', index } : null;
  }
  if (params.has('fichier')) {
    try {
      return { kind: 'fichier', name: params.get('nom') || 'cas-partage.in', bytes: fromBase64Url(params.get('fichier')) };
    } catch {
      return { kind: 'fichier', name: params.get('nom') || 'cas-partage.in', bytes: new Uint8Array() };
    }
  }
  return null;
}

function baseName(path) {
  return path.slice(path.lastIndexOf('/') + 1);
}

// Points the download links at the finished run's two files (bytes as the
// core wrote them); hides them when the record is missing or was cut.
export function offerRecord(core, record, links) {
  for (const url of links.urls) URL.revokeObjectURL(url);
  links.urls = [];
  const pairs = [[byId('telecharger-csv'), record.path, 'text/csv'],
    [byId('telecharger-tableur'), record.sheetPath, 'text/csv']];
  for (const [anchor, path, type] of pairs) {
    const bytes = record.complete && path ? core.readFile(path) : null;
    anchor.hidden = bytes === null;
    if (bytes === null) continue;
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    links.urls.push(url);
    anchor.href = url;
    anchor.download = baseName(path);
  }
}

// The figure: the title and verdict above the plane plot and the two time
// plots, as one PNG.
export function downloadFigure(s, record, canvases) {
  const [plane, ...timePlots] = canvases;
  const width = plane.width + 2 * figureMargin + Math.max(...timePlots.map((c) => c.width));
  const lines = [s.title, `${s.verdict.title} — ${s.verdict.reason}`, s.verdict.costs];
  const textHeight = lines.length * figureTextLine + figureMargin;
  const height = textHeight + Math.max(plane.height, timePlots.reduce((sum, c) => sum + c.height + figureMargin, 0));
  const figure = document.createElement('canvas');
  figure.width = width + figureMargin;
  figure.height = height + figureMargin;
  const g = figure.getContext('2d');
  g.fillStyle = '#0b0d16';
  g.fillRect(0, 0, figure.width, figure.height);
  g.fillStyle = '#e4e7f2';
  g.font = '15px system-ui, "DejaVu Sans", sans-serif';
  lines.forEach((line, i) => g.fillText(line, figureMargin, figureMargin + (i + 0.7) * figureTextLine));
  g.drawImage(plane, figureMargin, textHeight);
  let top = textHeight;
  for (const c of timePlots) {
    g.drawImage(c, plane.width + 2 * figureMargin, top);
    top += c.height + figureMargin;
  }
  const name = record.path ? baseName(record.path).replace(/\.csv$/, '.png') : 'orvanel-figure.png';
  figure.toBlob((blob) => {
    const anchor = document.createElement('a');
    anchor.href = URL.createObjectURL(blob);
    anchor.download = name;
    anchor.click();
    setTimeout(() => URL.revokeObjectURL(anchor.href), 1000);
  }, 'image/png');
}
