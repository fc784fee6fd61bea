#!/usr/bin/env bash
# Builds Ofenring and runs every test.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ofenring_install_packages
ofenring_build
cd "$OFENRING_BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
