#!/usr/bin/env bash
# Builds the simulator when needed and starts it from the repository root.
# ./run.sh [FILE] starts the classic simulator; ./run.sh --labo [FILE] starts the
# teaching edition, on its case chooser when no file is given; ./run.sh --web
# [PORT] builds the browser edition when needed and serves it on this machine.
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "--web" ]; then
    port="${2:-8000}"
    tools/build_web.sh
    echo
    echo "Orvanel Labo dans le navigateur : http://127.0.0.1:${port}/"
    echo "Fichier unique, à ouvrir sans serveur : build-web/orvanel-labo.html"
    echo "Ctrl+C pour arrêter le serveur."
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
fi
no_display() {
    echo "orvanel: pas d'ecran graphique ($1); lancez-le depuis une session X." >&2
    exit 1
}
[ -n "${DISPLAY:-}" ] || no_display "DISPLAY n'est pas defini"
source tools/ensure_packages.sh
source tools/builds.sh
program=orvanel
if [ "${1:-}" = "--labo" ]; then
    program=orvanel-labo
    shift
fi
ensure_packages "${build_packages[@]}" x11-utils xdg-utils
[ "$program" = orvanel ] || ensure_packages "${figure_packages[@]}"
xdpyinfo >/dev/null 2>&1 || no_display "le serveur X ${DISPLAY} ne repond pas"
configure_run_build
if [ ! -x "build/$program" ]; then
    # The first build takes a minute or two: say so, and show its progress.
    echo "$program: premiere construction dans build/ (une minute ou deux)..."
    cmake --build build --target "$program" -j"$(nproc)"
else
    cmake --build build --target "$program" -j"$(nproc)" >/dev/null
fi
exec "build/$program" "$@"
