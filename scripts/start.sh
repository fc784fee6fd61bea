#!/usr/bin/env bash
# Builds Ofenring and starts it in the current working directory (data in ./daten).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ofenring_install_packages
ofenring_build
program="$OFENRING_BUILD/src/app/ofenring"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # No desktop session (e.g. a bare server console): run on a virtual screen so
  # that the program still starts, and say so.
  echo "Keine grafische Sitzung gefunden (DISPLAY ist leer): Ofenring läuft auf einem virtuellen Bildschirm (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$program" "$@"
fi
exec "$program" "$@"
