#!/usr/bin/env bash
# Builds Ofenring and starts it in the current working directory (data in ./daten).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ofenring_install_packages
ofenring_build
if [ -x "$OFENRING_BUILD/src/app/ofenring" ]; then
  exec "$OFENRING_BUILD/src/app/ofenring" "$@"
fi
# Until the desktop program is built, show what the command-line companion offers.
exec "$OFENRING_BUILD/tools/ofenring-cli" --help
