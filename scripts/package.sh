#!/usr/bin/env bash
# Builds Ofenring and makes its Debian package, build/ofenring_<version>_amd64.deb,
# then shows what lintian says about it.  Install it with
#   apt install ./build/ofenring_<version>_amd64.deb
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ofenring_install_packages
ofenring_build
cd "$OFENRING_BUILD"
cpack -G DEB
deb="$(ls -t "$OFENRING_BUILD"/ofenring_*_amd64.deb | head -n 1)"
lintian "$deb" || { echo "lintian meldet Fehler im Paket $deb"; exit 1; }
echo "Paket: $deb"
