# Shared by start.sh and test.sh: install the Debian packages the build needs
# (only when something is missing) and configure + build into ./build.
set -euo pipefail

OFENRING_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OFENRING_BUILD="${OFENRING_BUILD:-$OFENRING_ROOT/build}"

ofenring_packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-translations-l10n
  libjpeg62-turbo-dev libgl-dev
  pxlib-dev
  fonts-dejavu-core fonts-liberation poppler-utils
  xvfb xauth
  libsqlite3-dev
  dpkg-dev
  file
  lintian
  postgresql
  libqt6sql6-psql
  libpq-dev
)

ofenring_install_packages() {
  local missing=()
  for p in "${ofenring_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installiere Pakete: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

ofenring_build() {
  cmake -S "$OFENRING_ROOT" -B "$OFENRING_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$OFENRING_BUILD" -j"$(nproc)"
}
