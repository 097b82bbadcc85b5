#!/usr/bin/env bash
# Installs the Debian packages that the build, the program and the tests need,
# when some are missing. Sourced by run.sh and test.sh; takes the package names.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installation des paquets manquants: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo="sudo"
        else
            echo "Il manque ${missing[*]}; relancez en root pour les installer." >&2
            return 1
        fi
    fi
    export DEBIAN_FRONTEND=noninteractive
    # Another installer (the desktop's updates, another script) holds apt's lock
    # for a while; waiting for it beats failing on "Could not get lock".
    local wait=(-o "DPkg::Lock::Timeout=${apt_lock_wait_seconds}")
    echo "Si un autre programme installe des paquets, j'attends qu'il ait fini" \
        "(au plus $((apt_lock_wait_seconds / 60)) minutes)."
    local log
    log=$(mktemp)
    $sudo apt-get "${wait[@]}" update -q 2>&1 | tee "$log" || true
    local status=0
    $sudo apt-get "${wait[@]}" install -y -q --no-install-recommends "${missing[@]}" 2>&1 |
        tee -a "$log" || status=${PIPESTATUS[0]}
    if [ "$status" -ne 0 ]; then
        if grep -qi "lock" "$log"; then
            echo "Le verrou d'apt ne s'est pas libéré : attendez la fin de l'autre installation" \
                "(ou redémarrez la machine), puis relancez ce script." >&2
        fi
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}

# How long the scripts wait for another installer to release apt's lock, seconds.
apt_lock_wait_seconds=600

# What building and running the simulator needs.
build_packages=(cmake make g++ freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libglx-mesa0
    libcli11-dev libosmesa6-dev libpng-dev pkg-config libimgui-dev libassimp-dev fonts-dejavu-core)
# What the installed programs need besides the libraries they link (the
# Debian package takes it as its list): the GL driver, figures, the font, the
# browser for the help page. Kept on one line, which the package's build reads.
runtime_packages=(libgl1-mesa-dri python3 python3-matplotlib fonts-dejavu-core xdg-utils)
# What the teaching edition's figures need (tools/plot_run.py).
figure_packages=(python3 python3-matplotlib)
# What the browser edition's build and tests need: Emscripten, Node.js for the
# page's modules, and Debian's chromium for the tests. npm comes with some
# Node.js builds and is a package of its own with Debian's (build_web.sh).
web_packages=(emscripten nodejs chromium python3)
