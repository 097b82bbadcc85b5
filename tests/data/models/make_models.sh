#!/usr/bin/env bash
# Remakes the workshop's test models: Blender's own exports (make_exports.py),
# then files written by Assimp's command-line tool from them. Needs Debian's
# blender and assimp-utils packages; the tests read the committed files.
set -euo pipefail
cd "$(dirname "$0")"
blender -b --factory-startup --python make_exports.py >/dev/null
assimp export chasseur_blender.obj chasseur_assimp.gltf -fgltf2 >/dev/null
assimp export cible_blender.stl cible_assimp.ply -fply >/dev/null
