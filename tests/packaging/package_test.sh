#!/usr/bin/env bash
# The Debian package as a school lab gets it: built by cpack from this build,
# its file list and dependencies checked, its desktop entries validated, then
# unpacked into a scratch root (dpkg -x) and its three programs started from
# another folder, under the run's X server, by a user with a fresh home: both
# windows open, the teaching edition writes its record in the user's data
# folder, the workshop answers. Usage: package_test.sh BUILD-FOLDER.
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
started=()
cleanup() {
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
[ -n "${DISPLAY:-}" ] || fail "no X display: the windows cannot open"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package" >/dev/null
packages=("$scratch"/package/orvanel_*_amd64.deb)
[ -f "${packages[0]}" ] || fail "no orvanel_VERSION_amd64.deb"
package=${packages[0]}

files=$(dpkg-deb -c "$package")
for file in usr/bin/orvanel usr/bin/orvanel-labo usr/bin/orvanel-atelier \
    usr/lib/orvanel/orvanel usr/lib/orvanel/orvanel-labo \
    usr/share/orvanel/data/fo.in usr/share/orvanel/data/chasseur.obj \
    usr/share/orvanel/data/aide.html usr/share/orvanel/tools/plot_run.py \
    usr/share/applications/orvanel.desktop usr/share/applications/orvanel-labo.desktop \
    usr/share/icons/hicolor/scalable/apps/orvanel.svg \
    usr/share/icons/hicolor/scalable/apps/orvanel-labo.svg; do
    grep -q " \./$file\$" <<<"$files" || fail "the package lacks $file"
done
depends=$(dpkg-deb -f "$package" Depends)
for dependency in libglut3.12 libassimp5 libosmesa6 python3-matplotlib fonts-dejavu-core \
    xdg-utils libgl1-mesa-dri; do
    grep -q "\(^\|, \)$dependency\( \|,\|$\)" <<<"$depends" ||
        fail "the package does not depend on $dependency: $depends"
done

root="$scratch/root"
dpkg -x "$package" "$root"
for entry in "$root"/usr/share/applications/*.desktop; do
    [ -z "$(desktop-file-validate "$entry")" ] || fail "$(desktop-file-validate "$entry")"
done

# Another folder, a user whose data folder does not exist yet.
mkdir -p "$scratch/elsewhere" "$scratch/home"
cd "$scratch/elsewhere"
export HOME="$scratch/home"
unset XDG_DATA_HOME ORVANEL_DOSSIER_RUNS
cp "$root/usr/share/orvanel/data/fo2.in" cas.in

# True once a window whose name matches the pattern is up (20 s at most);
# false as soon as the program has stopped.
window_opens() {  # name-pattern program-pid
    for _ in $(seq 200); do
        xdotool search --name "$1" >/dev/null 2>&1 && return 0
        kill -0 "$2" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
"$root/usr/bin/orvanel" >classic.log 2>&1 &
started+=($!)
window_opens '\*Orvanel\*' "${started[0]}" || fail "the classic program's window did not open: $(cat classic.log)"
kill -0 "${started[0]}" || fail "the classic program stopped: $(cat classic.log)"
"$root/usr/bin/orvanel-labo" cas.in >labo.log 2>&1 &
started+=($!)
window_opens '^Orvanel Labo$' "${started[1]}" || fail "the teaching edition's window did not open: $(cat labo.log)"
records="$HOME/.local/share/orvanel/runs"
for _ in $(seq 100); do
    compgen -G "$records/*_cas.csv" >/dev/null && break
    sleep 0.1
done
compgen -G "$records/*_cas.csv" >/dev/null || fail "no record in $records: $(cat labo.log)"
[ ! -e runs ] || fail "a record folder was made in the working folder"

"$root/usr/bin/orvanel-atelier" info "$root/usr/share/orvanel/data/cible.obj" >atelier.log ||
    fail "the workshop failed: $(cat atelier.log)"
grep -q "^Triangles: " atelier.log || fail "the workshop did not answer: $(cat atelier.log)"
echo "package_test: $(basename "$package") installs and runs from another folder"
