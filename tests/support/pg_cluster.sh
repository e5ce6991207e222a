#!/bin/sh
# A throwaway PostgreSQL cluster for the tests.
#
#   pg_cluster.sh start DIR   creates a cluster in DIR and starts it; prints
#                             the connection string the tests take in
#                             REMESSA_PG_TEST
#   pg_cluster.sh stop DIR    stops it (DIR itself is the caller's to remove)
#
# The server listens only on a Unix socket in DIR, so parallel runs never
# meet on a port, and writes nothing durably (fsync off): the data dies with
# the run. The cluster's own user connects without a password; every other
# role must give one, which lets the tests see a wrong password refused.
# PostgreSQL refuses to run as root: as root the cluster belongs to the
# `postgres` system user that Debian's package creates.
set -eu

usage() {
  echo "usage: $0 start DIR | stop DIR" >&2
  exit 2
}
[ $# -eq 2 ] || usage
cmd=$1
dir=$2
# Nothing to stop where no cluster was made.
if [ "$cmd" = stop ] && [ ! -d "$dir/data" ]; then exit 0; fi

bin=${PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}
[ -x "$bin/pg_ctl" ] || { echo "pg_cluster: no PostgreSQL server binaries (install the postgresql package)" >&2; exit 1; }

if [ "$(id -u)" -eq 0 ]; then
  user=postgres
  as() { runuser -u postgres -- "$@"; }
else
  user=$(id -un)
  as() { "$@"; }
fi

case $cmd in
  start)
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    if [ "$(id -u)" -eq 0 ]; then chown postgres "$dir"; fi
    data=$dir/data
    if ! as "$bin/initdb" -D "$data" -U "$user" --auth=trust --encoding=UTF8 --locale=C --no-sync \
        >"$dir/initdb.log" 2>&1; then
      cat "$dir/initdb.log" >&2
      exit 1
    fi
    cat >>"$data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 50
EOF
    cat >"$data/pg_hba.conf" <<EOF
local all $user trust
local all all scram-sha-256
EOF
    if ! as "$bin/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 start >/dev/null 2>&1; then
      cat "$dir/server.log" >&2 2>/dev/null || true
      exit 1
    fi
    echo "host=$dir dbname=postgres user=$user"
    ;;
  stop)
    as "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    ;;
  *)
    usage
    ;;
esac
