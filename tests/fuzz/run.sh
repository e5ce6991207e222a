#!/usr/bin/env bash
# Runs each libFuzzer harness for SECONDS under AddressSanitizer and
# UndefinedBehaviorSanitizer, from the seed corpus of tests/fuzz/corpus/NAME
# and a working corpus in BUILD/corpus/NAME that grows between runs. A crash,
# a leak or a hang fails the run and leaves the input as BUILD/crash-NAME-*:
# it goes into the seed corpus and a unit test's table once fixed.
# Usage: tests/fuzz/run.sh BUILD SECONDS NAME...
set -uo pipefail
build=$(cd "$1" && pwd) secs=$2
shift 2
raiz=$(cd "$(dirname "$0")/../.." && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$raiz/tests/lsan.supp
falhas=0
resumo=""
for h in "$@"; do
  mkdir -p "$build/corpus/$h"
  log="$build/fuzz_$h.log"
  "$build/fuzz_$h" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/crash-$h-" "$build/corpus/$h" "$raiz/tests/fuzz/corpus/$h" >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  if [ $rc -ne 0 ]; then
    falhas=$((falhas + 1))
    echo "fuzz_$h FAILED (see $log):" >&2
    grep -E "ERROR|runtime error|SUMMARY|Test unit" "$log" | head -n 8 >&2
  fi
  resumo+=$(printf '%-14s %6ss %12s executions %8s/s  %s' "fuzz_$h" "$secs" "${execs:-?}" "${rate:-?}" \
    "$([ $rc -eq 0 ] && echo ok || echo FAILED)")$'\n'
done
printf '%s' "$resumo"
exit $((falhas > 0))
