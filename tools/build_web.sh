#!/usr/bin/env bash
# Builds the browser edition of Orvanel Labo:
#   build-web/site/               a static folder for any web server
#   build-web/orvanel-labo.html   one self-contained file (WebAssembly, scripts,
#                                 models inside) that works opened from disk
# The C++ core is compiled with Debian's Emscripten; the page's modules are
# bundled with esbuild from the versions the lock file pins.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${web_packages[@]}"
command -v npm >/dev/null 2>&1 || ensure_packages npm
# Emscripten's tools find their JavaScript modules (acorn) only here when the
# machine's node is not Debian's own.
export NODE_PATH=/usr/share/nodejs

out=build-web
if [ ! -d web/node_modules ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    echo "== modules de la page (npm ci)"
    (cd web && npm ci --no-audit --no-fund --loglevel=error)
fi

echo "== le coeur en WebAssembly (Emscripten)"
emcmake cmake -S . -B "$out/core" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/core" -j"$(nproc)"

echo "== la page"
esbuild=web/node_modules/.bin/esbuild
bundle() {  # core-folder output-file
    "$esbuild" web/src/main.js --bundle --format=esm --minify --target=es2020 \
        --alias:orvanel-core="./$1/orvanel_core.mjs" --outfile="$2" --log-level=warning \
        --legal-comments=none
}
rm -rf "$out/site"
mkdir -p "$out/site"
bundle "$out/core/core" "$out/site/app.js"
cp "$out/core/core/orvanel_core.wasm" "$out/site/"
cp web/index.html "$out/site/"
# uPlot's own rules first, the page's after them.
cat web/node_modules/uplot/dist/uPlot.min.css web/style.css >"$out/site/style.css"

bundle "$out/core/core-single" "$out/single-app.js"
python3 tools/inline_page.py web/index.html "$out/site/style.css" "$out/single-app.js" \
    "$out/orvanel-labo.html"
rm -f "$out/single-app.js"
echo "Site : $out/site/   Fichier unique : $out/orvanel-labo.html"
