#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests and benchmarks of office mode:
# its own data directory and Unix socket under one folder, a port of its own,
# run as the unprivileged user postgres when started by root (the server
# refuses to run as root).  It listens on its socket only, never on the network.
#
#   pgcluster.sh start FOLDER   creates the cluster when FOLDER has none, starts it
#                               and prints its connection URI (superuser postgres,
#                               database postgres)
#   pgcluster.sh stop FOLDER    stops it (fast shutdown); nothing when it is not running
#   pgcluster.sh uri FOLDER     prints the URI of the cluster in FOLDER
set -euo pipefail

bindir=/usr/lib/postgresql/15/bin
action="${1:-}"
folder="${2:-}"
if [ -z "$action" ] || [ -z "$folder" ]; then
  echo "Aufruf: pgcluster.sh start|stop|uri ORDNER" >&2
  exit 2
fi
data="$folder/data"
sock="$folder/sock"
log="$folder/server.log"

as_server_user() {
  if [ "$(id -u)" = 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

port_of() {
  cat "$folder/port"
}

uri_of() {
  echo "postgresql:///postgres?host=$sock&port=$(port_of)&user=postgres"
}

case "$action" in
  start)
    if [ ! -d "$data" ]; then
      mkdir -p "$data" "$sock"
      chmod 700 "$data"
      # The folder must be reachable for the server user; the socket folder too
      # for the clients.
      chmod 755 "$folder" "$sock"
      if [ "$(id -u)" = 0 ]; then
        chown postgres:postgres "$data" "$sock"
        chown postgres:postgres "$folder"
      fi
      # A port nobody else uses: the socket lies in our own folder, so any port
      # is free there; a random one keeps two clusters apart in listings.
      echo $(( 20000 + RANDOM % 30000 )) >"$folder/port"
      as_server_user "$bindir/initdb" -D "$data" -A trust -U postgres -E UTF8 --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 \
        || { cat "$folder/initdb.log" >&2; exit 1; }
      # Members of the role "passwortpflicht" must give a password, as desks
      # in an office do; everybody else is trusted on the socket.
      as_server_user sed -i '1i local all +passwortpflicht scram-sha-256' "$data/pg_hba.conf"
      new_cluster=1
    fi
    as_server_user "$bindir/pg_ctl" -D "$data" -l "$log" -w -t 60 \
      -o "-k $sock -p $(port_of) -c listen_addresses='' -c fsync=off -c max_connections=200" start >/dev/null \
      || { cat "$log" >&2; exit 1; }
    if [ -n "${new_cluster:-}" ]; then
      psql -q "$(uri_of)" -c "CREATE ROLE passwortpflicht NOLOGIN" >/dev/null
    fi
    uri_of
    ;;
  stop)
    if [ -f "$data/postmaster.pid" ]; then
      as_server_user "$bindir/pg_ctl" -D "$data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    ;;
  uri)
    uri_of
    ;;
  *)
    echo "Unbekannte Aktion $action" >&2
    exit 2
    ;;
esac
