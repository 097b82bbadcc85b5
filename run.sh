#!/usr/bin/env bash
# Builds the simulator when needed and starts it from the repository root.
set -euo pipefail
cd "$(dirname "$0")"
no_display() {
    echo "orvanel: pas d'ecran graphique ($1); lancez-le depuis une session X." >&2
    exit 1
}
[ -n "${DISPLAY:-}" ] || no_display "DISPLAY n'est pas defini"
source tools/ensure_packages.sh
ensure_packages "${build_packages[@]}" x11-utils xdg-utils
xdpyinfo >/dev/null 2>&1 || no_display "le serveur X ${DISPLAY} ne repond pas"
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORVANEL_TESTS=OFF >/dev/null
fi
if [ ! -x build/orvanel ]; then
    # The first build takes a minute or two: say so, and show its progress.
    echo "orvanel: premiere construction du simulateur dans build/ (une minute ou deux)..."
    cmake --build build --target orvanel -j"$(nproc)"
else
    cmake --build build --target orvanel -j"$(nproc)" >/dev/null
fi
exec build/orvanel "$@"
