#!/usr/bin/env bash
# Builds Ofenring and runs every test.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ofenring_install_packages
ofenring_build
cd "$OFENRING_BUILD"

# The tests of office mode run against a real PostgreSQL server: a throwaway
# cluster under a temporary folder (its own data directory, socket and port),
# stopped and removed at the end even when a test fails.  Tests that stop the
# server make clusters of their own below the same folder.
pgroot="$(mktemp -d /tmp/ofenring-pg.XXXXXX)"
chmod 755 "$pgroot"
ofenring_stop_clusters() {
  for cluster in "$pgroot"/*/; do
    [ -d "$cluster" ] && bash "$OFENRING_ROOT/scripts/pgcluster.sh" stop "$cluster"
  done
  rm -rf "$pgroot"
}
trap ofenring_stop_clusters EXIT
OFENRING_TEST_SERVER="$(bash "$OFENRING_ROOT/scripts/pgcluster.sh" start "$pgroot/shared")"
export OFENRING_TEST_SERVER
export OFENRING_TEST_PGROOT="$pgroot"

QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
