#!/usr/bin/env bash
# Runs each libFuzzer harness for SECONDS under AddressSanitizer and
# UndefinedBehaviorSanitizer, from the seed corpus of tests/fuzz/corpus/NAME
# and a working corpus in BUILD/corpus/NAME that grows between runs. A crash,
# a leak or a hang fails the run and leaves the input as BUILD/crash-NAME-*:
# it goes into the seed corpus and a unit test's table once fixed. FUZZ_JOBS
# harnesses (default 2, one a core) run side by side: each is one process.
# Usage: tests/fuzz/run.sh BUILD SECONDS NAME...
set -uo pipefail
build=$(cd "$1" && pwd) secs=$2
shift 2
raiz=$(cd "$(dirname "$0")/../.." && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$raiz/tests/lsan.supp
jobs=${FUZZ_JOBS:-2}

um() {  # harness: runs it, leaves its exit status in BUILD/fuzz_NAME.rc
  local h=$1 log="$build/fuzz_$1.log"
  mkdir -p "$build/corpus/$h"
  "$build/fuzz_$h" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/crash-$h-" "$build/corpus/$h" "$raiz/tests/fuzz/corpus/$h" >"$log" 2>&1
  echo $? >"$build/fuzz_$h.rc"
}

for h in "$@"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  um "$h" &
done
wait

falhas=0
for h in "$@"; do
  log="$build/fuzz_$h.log"
  rc=$(cat "$build/fuzz_$h.rc" 2>/dev/null || echo 1)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  if [ "$rc" -ne 0 ]; then
    falhas=$((falhas + 1))
    echo "fuzz_$h FAILED (see $log):" >&2
    grep -E "ERROR|runtime error|SUMMARY|Test unit" "$log" | head -n 8 >&2
  fi
  printf '%-14s %6ss %12s executions %8s/s  %s\n' "fuzz_$h" "$secs" "${execs:-?}" "${rate:-?}" \
    "$([ "$rc" -eq 0 ] && echo ok || echo FAILED)"
done
exit $((falhas > 0))
