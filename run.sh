#!/usr/bin/env bash
# Builds the simulator when needed and starts it from the repository root.
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure_packages.sh
ensure_packages "${build_packages[@]}"
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORVANEL_TESTS=OFF >/dev/null
fi
cmake --build build --target orvanel -j"$(nproc)" >/dev/null
if [ -z "${DISPLAY:-}" ]; then
    echo "orvanel: pas d'ecran graphique (DISPLAY n'est pas defini); lancez-le depuis une session X." >&2
    exit 1
fi
exec build/orvanel "$@"
