#!/usr/bin/env bash
# Builds the Debian package for school machines, orvanel_VERSION_amd64.deb, in
# the repository's root: installs what the build needs, builds the programs
# without tests in build-package/, and packs them with cpack.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${build_packages[@]}" dpkg-dev
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DORVANEL_TESTS=OFF >/dev/null
cmake --build build-package -j"$(nproc)"
(cd build-package && cpack -G DEB -B "$PWD/.." >/dev/null)
rm -rf _CPack_Packages
echo "Paquet prêt : $(ls orvanel_*_amd64.deb)"
echo "Installez-le sur chaque poste avec : sudo apt install ./$(ls orvanel_*_amd64.deb)"
