#!/usr/bin/env bash
# Fault drills on the SQLite store with the real program: a large run killed
# at random points (KILLS times), the disk full under the remittance file and
# under the database, the file's folder read-only, the database held locked
# by another process, two operators on the same titles at once. After each:
# the database is sound, the batch, its titles' states and the file at the
# path exist together or not at all, the file that was at the path before is
# intact when the run did not succeed, no staging file is left once a
# command has ended normally, and the next run works.
# Usage: tests/drills/drills.sh REMESSA [KILLS] [TITLES]
set -uo pipefail
remessa=$(realpath "$1")
kills=${2:-40}
n=${3:-3000}
raiz=$(cd "$(dirname "$0")/../.." && pwd)
dir=$(mktemp -d /tmp/remessa-drills.XXXXXX)
montados=()
limpa() {
  for m in "${montados[@]}"; do umount "$m" 2>/dev/null; done
  rm -rf "$dir"
}
trap limpa EXIT
[ -n "${DRILLS_KEEP:-}" ] && trap - EXIT
export REMESSA_DB="$dir/base/store.db"
agora=(--agora "2026-12-08 10:30:00")
falhas=0 drills=0 semLote=0 comLote=0 pendentes=0
falha() {
  echo "DRILL FAILED: $*" >&2
  falhas=$((falhas + 1))
}
sql() { sqlite3 -batch -noheader "$REMESSA_DB" "$@"; }

# The store: the base company, account 001 at Itaú with n titles, account
# 002 with five for the next run of each drill.
loja() {
  local f=$dir/loja.json
  {
    sed '$d' "$raiz/tests/fuzz/corpus/import/base.json"
    echo ', "CONTCORR": ['
    for c in 001 002; do
      [ $c = 002 ] && echo ','
      printf '{"CDREDUCONT": "%s", "CDEMPRESA": "01", "CDBANCO": "341", "CDAGENCIA": "1234", "CDCONTCORR": "0012345", "DSCONTCORR": "Conta %s", "CDBANCCNAB": "341", "CDFILIAL": "0001", "DSNOSNUMCORR": "[SEQ08]"}' $c $c
    done
    echo '], "BOLETOREC": ['
    for ((i = 1; i <= n + 5; i++)); do
      [ $i -gt 1 ] && echo ','
      c=001
      [ $i -gt "$n" ] && c=002
      printf '{"CDFILIAL": "0001", "NRLANBOLREC": "%d", "CDEMPRESA": "01", "CDCLIENTE": "C1", "CDREDUCONT": "%s", "DTVENBOLREC": "2026-12-20", "DTEMISBOLREC": "2026-12-01", "VRFINALBREC": %d.%02d, "IDSITUCNABR": "00", "CDNOSNUMREC": "%08d", "CDCARTCOBBOL": "109", "IDCARTCOBREC": "1", "IDIMPRBOLBOL": "E", "CDFILIBOLREC": "0001", "NRPARCBOLREC": "01"}' \
        $i $c $((100 + i)) $((i % 100)) $i
    done
    echo ']}'
  } >"$f"
  mkdir -p "$dir/base"
  rm -f "$REMESSA_DB"
  echo '{"OPERADOR": [{"CDOPERADOR": "CAIXA2", "NMOPERADOR": "Caixa Dois", "IDALTBOLREM": "S", "IDCANBOLREM": "S"}],
         "OPEREMPR": [{"CDOPERADOR": "CAIXA2", "CDEMPRESA": "01"}]}' >"$dir/operador.json"
  "$remessa" "${agora[@]}" init >/dev/null && "$remessa" "${agora[@]}" import "$f" >/dev/null &&
    "$remessa" "${agora[@]}" import "$dir/operador.json" >/dev/null || exit 2
  cp "$REMESSA_DB" "$dir/modelo.db"
}

# A fresh copy of the store and an earlier day's file at the path.
prepara() {
  mkdir -p "$dir/base" "$dir/saida"
  rm -f "$dir"/base/* "$dir"/saida/* 2>/dev/null
  cp "$dir/modelo.db" "$REMESSA_DB"
  printf 'arquivo de ontem\r\n' >"$dir/saida/remessa.txt"
}

gera() {  # account path [operator]
  "$remessa" "${agora[@]}" --operador "${3:-ADMIN}" gerar --empresa 01 --conta "$1" --arquivo "$2" --todos --sim
}
# The same as the process itself, for a run in the background that a kill
# must reach (not the subshell around it).
corre() {
  exec "$remessa" "${agora[@]}" --operador "${3:-ADMIN}" gerar --empresa 01 --conta "$1" --arquivo "$2" --todos --sim
}

# The invariants, after the run and the next command (which finishes what
# an interrupted run left). $1 names the drill.
confere() {
  local nome=$1 path=$dir/saida/remessa.txt
  drills=$((drills + 1))
  # What a run refused with, for the log.
  local msg
  msg=$(grep -v '^Arquivo já existe' "$dir/erro" 2>/dev/null | head -n 1)
  [ -n "$msg" ] && echo "$nome: $msg"
  rm -f "$dir/erro"
  # A batch stored whose file had not reached its place yet.
  [ "$(sql 'SELECT COUNT(*) FROM ARQREMESSA WHERE DSARQPENDENTE IS NOT NULL')" = 0 ] || pendentes=$((pendentes + 1))
  # Any command finishes an interrupted run's file first.
  "$remessa" "${agora[@]}" remessas --empresa 01 >/dev/null 2>"$dir/proximo.err" ||
    falha "$nome: the next command failed: $(head -c 300 "$dir/proximo.err")"
  [ "$(sql 'PRAGMA integrity_check')" = ok ] || falha "$nome: integrity_check"
  local lotes enviados
  lotes=$(sql "SELECT COUNT(*) FROM CNABREC WHERE CDREDUCONT = '001'")
  enviados=$(sql "SELECT COUNT(*) FROM BOLETOREC WHERE CDREDUCONT = '001' AND (IDSITUCNABR <> '00' OR NRCNABRECREM IS NOT NULL)")
  if [ "$lotes" = 0 ]; then
    semLote=$((semLote + 1))
    [ "$enviados" = 0 ] || falha "$nome: $enviados titles sent without a batch"
    [ "$(cat "$path" 2>/dev/null)" = "$(printf 'arquivo de ontem\r')" ] || falha "$nome: the earlier file was not kept"
  elif [ "$lotes" = 1 ]; then
    comLote=$((comLote + 1))
    local lote
    lote=$(sql "SELECT NRCNABREC FROM CNABREC WHERE CDREDUCONT = '001'")
    [ "$(sql "SELECT COUNT(*) FROM BOLETOREC WHERE NRCNABRECREM = '$lote'")" = "$n" ] ||
      falha "$nome: the batch holds $(sql "SELECT COUNT(*) FROM BOLETOREC WHERE NRCNABRECREM = '$lote'") of $n titles"
    [ "$enviados" = "$n" ] || falha "$nome: $enviados of $n titles sent"
    [ "$(sql "SELECT COUNT(*) FROM ARQREMESSA WHERE NRCNABREC = '$lote' AND DSARQPENDENTE IS NULL")" = 1 ] ||
      falha "$nome: the batch's file is not stored, or still pending"
    "$remessa" arquivo --empresa 01 --remessa "$lote" --saida "$dir/guardado.txt" --sim >/dev/null 2>&1 ||
      falha "$nome: the stored file cannot be written again"
    cmp -s "$path" "$dir/guardado.txt" || falha "$nome: the file at the path is not the batch's"
    rm -f "$dir/guardado.txt"
    "$remessa" ver "$path" >/dev/null || falha "$nome: the file fails the bank's checks"
    [ "$(grep -c '^1' "$path")" = "$n" ] || falha "$nome: the file does not hold the $n titles"
  else
    falha "$nome: $lotes batches for one run"
  fi
  # A run that was killed may leave its staging file (named by its process)
  # until the next run to that path, which removes it; nothing else stays.
  local restos
  restos=$(find "$dir/saida" "$dir/base" -mindepth 1 ! -name remessa.txt ! -name store.db ! -name 'store.db-*' \
    ! -name "remessa.txt.parcial-${2:-none}" -print)
  [ -z "$restos" ] || falha "$nome: left behind: $restos"
  # The next run works, on the same path.
  gera 002 "$path" >/dev/null 2>"$dir/proximo.err" ||
    falha "$nome: the next run failed: $(head -c 300 "$dir/proximo.err")"
  [ "$(grep -c '^1' "$path" 2>/dev/null)" = 5 ] || falha "$nome: the next run's file"
  restos=$(find "$dir/saida" "$dir/base" -mindepth 1 ! -name remessa.txt ! -name store.db ! -name 'store.db-*' -print)
  [ -z "$restos" ] || falha "$nome: left behind after the next run: $restos"
}

loja
# How long a whole run takes, so that the kills fall all along it.
prepara
ini=$(date +%s%N)
gera 001 "$dir/saida/remessa.txt" >/dev/null 2>&1 || { echo "the run without faults failed" >&2; exit 1; }
dur=$((($(date +%s%N) - ini) / 1000000))
confere "a run without faults"
echo "a whole run of $n titles: ${dur} ms"

# 1. kill -9 at random points of the run.
concluidas=0 semLote=0 comLote=0 pendentes=0
for ((k = 1; k <= kills; k++)); do
  prepara
  ms=$((RANDOM % (dur + dur / 5 + 1)))
  corre 001 "$dir/saida/remessa.txt" >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf '%d.%03d' $((ms / 1000)) $((ms % 1000)))"
  kill -9 $pid 2>/dev/null
  wait $pid 2>/dev/null
  [ $? -eq 0 ] && concluidas=$((concluidas + 1))
  confere "kill after ${ms} ms" $pid
done
echo "kills: $kills at random points ($concluidas runs had ended first); after them $comLote batches whole" \
  "with their titles and file ($pendentes of them with the file put in place by the next command)," \
  "$semLote runs with nothing of theirs left"

# 2. The disk full under the remittance file, then under the database: a
# small filesystem of its own (a file-size limit where mounting is denied).
cheio() {  # folder size
  mkdir -p "$1"
  if mount -t tmpfs -o size="$2" tmpfs "$1" 2>/dev/null; then
    montados+=("$1")
    return 0
  fi
  return 1
}
prepara
if cheio "$dir/saida" 64k; then
  printf 'arquivo de ontem\r\n' >"$dir/saida/remessa.txt"
  gera 001 "$dir/saida/remessa.txt" >/dev/null 2>"$dir/erro" && falha "disk full under the file: the run succeeded"
  grep -q . "$dir/erro" || falha "disk full under the file: no message"
  grep -q "espaço" "$dir/erro" || falha "disk full under the file: not said in the system's words"
  confere "disk full under the file"
  umount "$dir/saida" && unset 'montados[-1]'
else
  echo "disk full under the file: no filesystem of its own can be mounted here; a file size limit instead"
  (trap '' XFSZ; ulimit -f 64; gera 001 "$dir/saida/remessa.txt" >/dev/null 2>"$dir/erro")
  confere "file size limit under the file"
fi
prepara
cp "$REMESSA_DB" "$dir/store.db"
if cheio "$dir/base" "$(($(stat -c %s "$dir/store.db") + 256 * 1024))"; then
  cp "$dir/store.db" "$REMESSA_DB"
  # Room to open the database and begin, not to write the run's titles.
  head -c $((160 * 1024)) /dev/zero >"$dir/base/lastro" 2>/dev/null
  gera 001 "$dir/saida/remessa.txt" >/dev/null 2>"$dir/erro" && falha "disk full under the database: the run succeeded"
  grep -q . "$dir/erro" || falha "disk full under the database: no message"
  grep -q "espaço" "$dir/erro" || falha "disk full under the database: not said in the system's words"
  rm -f "$dir/base/lastro"
  confere "disk full under the database"
  cp "$REMESSA_DB" "$dir/store.db"
  umount "$dir/base" && unset 'montados[-1]'
  cp "$dir/store.db" "$REMESSA_DB"
else
  echo "disk full under the database: skipped (no filesystem of its own can be mounted here)"
fi
rm -f "$dir/store.db"

# 3. The file's folder read-only (root writes anywhere but on a read-only mount).
prepara
if mount --bind "$dir/saida" "$dir/saida" 2>/dev/null && mount -o remount,bind,ro "$dir/saida" 2>/dev/null; then
  montados+=("$dir/saida")
  gera 001 "$dir/saida/remessa.txt" >/dev/null 2>"$dir/erro" && falha "read-only folder: the run succeeded"
  grep -q . "$dir/erro" || falha "read-only folder: no message"
  umount "$dir/saida" && unset 'montados[-1]'
  confere "read-only folder"
elif [ "$(id -u)" != 0 ]; then
  chmod a-w "$dir/saida"
  gera 001 "$dir/saida/remessa.txt" >/dev/null 2>"$dir/erro" && falha "read-only folder: the run succeeded"
  chmod u+w "$dir/saida"
  confere "read-only folder"
else
  echo "read-only folder: skipped (root writes anywhere, and no read-only mount can be made here)"
fi

# 4. The database held by another process, shorter than the run waits for
# it (the run goes on) and longer (it stops with a message): either way it
# changes nothing it did not finish.
for segura in 2 8; do
  prepara
  (echo "BEGIN EXCLUSIVE; SELECT 1;"; sleep $segura; echo "COMMIT;") | sqlite3 "$REMESSA_DB" >/dev/null &
  trava=$!
  sleep 0.5
  t0=$(date +%s%N)
  gera 001 "$dir/saida/remessa.txt" >/dev/null 2>"$dir/erro"
  rc=$?
  t1=$(date +%s%N)
  wait $trava
  [ $rc -eq 0 ] || grep -q . "$dir/erro" || falha "database locked: a failure without a message"
  echo "database locked for ${segura} s: the run ended $rc after $(((t1 - t0) / 1000000)) ms"
  confere "database locked for ${segura} s"
done

# 5. Two operators on the same titles at once: each title in one batch and
# one file only.
prepara
corre 001 "$dir/saida/remessa.txt" ADMIN >/dev/null 2>"$dir/erro1" &
a=$!
corre 001 "$dir/saida/outra.txt" CAIXA2 >/dev/null 2>"$dir/erro2" &
b=$!
wait $a; ra=$?
wait $b; rb=$?
drills=$((drills + 1))
[ "$(sql 'PRAGMA integrity_check')" = ok ] || falha "two operators: integrity_check"
duplos=$(sql "SELECT COUNT(*) FROM BOLETOREC WHERE CDREDUCONT = '001' AND NRCNABRECREM IS NOT NULL")
lotes=$(sql "SELECT COUNT(*) FROM CNABREC WHERE CDREDUCONT = '001'")
no_arquivo=0
for f in "$dir/saida/remessa.txt" "$dir/saida/outra.txt"; do
  [ -f "$f" ] && [ "$(head -c 5 "$f")" != arquivo ] && no_arquivo=$((no_arquivo + $(grep -c '^1' "$f")))
done
[ "$no_arquivo" = "$duplos" ] || falha "two operators: $no_arquivo titles in the files, $duplos in batches"
[ "$duplos" -le "$n" ] || falha "two operators: titles sent twice"
[ $ra -eq 0 ] || [ $rb -eq 0 ] || falha "two operators: neither run succeeded"
echo "two operators: runs ended $ra and $rb, $lotes batch(es), $duplos titles sent once each;" \
  "$(cat "$dir/erro1" "$dir/erro2" | grep -v '^Arquivo já existe' | head -n 1)"

echo "drills: $drills, faults: $falhas"
exit $((falhas > 0))
