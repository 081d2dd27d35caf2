#!/usr/bin/env bash
# Whole conversions by the ThreadSanitizer build (make test-tsan): the unit
# tests convert small files, on which the threads seldom share any work.
# Here every input kind is generated at about $MB MB, enough for the work
# that the program shares out (reading ahead, growing the series, the peak
# table, formatting the output) to be shared among the threads, and converted
# with one switch, so that between them the kinds use -csv, -ts2, -s0 -e0 and
# -col3 (a width of .csv output: with -csv).  The threads share work only
# when the process may run on more than one processor.
#
#   tests/tsan_conversions.sh TSAN_FLOWTAB GENERATOR
#   MB=5 tests/tsan_conversions.sh build-tsan/flowtab build/flowtab_bench
#
# TSAN_OPTIONS come from the caller (make test-tsan sends the reports to
# files and checks them).  A run fails the script when it does not end with
# status 0, which with halt_on_error=1 includes one that ThreadSanitizer
# stopped; its console output is shown.
set -euo pipefail
exe="$(realpath "$1")"
gen="$(realpath "$2")"
MB="${MB:-20}"
work="$(mktemp -d "${TMPDIR:-/tmp}/flowtab_tsan.XXXXXX")"
trap 'rm -rf "$work"' EXIT

echo "threads may run on $(nproc) processors"
failed=0
# convert KIND FILE_NAME FLAGS...: generates the file, converts it in a folder
# of its own.
convert() {
  local kind="$1" name="$2"
  shift 2
  local dir="$work/$kind"
  mkdir -p "$dir"
  "$gen" --generate="$dir/$name" --kind="$kind" --mb="$MB" >/dev/null
  local start end status=0
  start=$(date +%s%N)
  (cd "$dir" && "$exe" -b "$@" "$name" >"$work/$kind.log" 2>&1 </dev/null) || status=$?
  end=$(date +%s%N)
  printf '%-11s %-22s %6d ms  status %d\n' "$kind" "$*" "$(( (end - start) / 1000000 ))" "$status"
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$work/$kind.log"
    failed=1
  fi
  rm -rf "$dir"
}

# kind        file name      input switch    switch of the run
convert wbnm       big_Meta.out  -wbnm           -s0 -e0
convert rafts      big.tot       -rafts          -ts2
convert rorb       big.out       -rorb           -csv
convert urbs       big.q         -urbs           -csv -col3
convert urbs-dated big.q         -urbs -date     -ts2
convert darno      big.dar       -darno          -s0 -e0
convert rows       big.txt       -rows           -csv
convert xp         big.int       -xp             -csv -col3
exit "$failed"
