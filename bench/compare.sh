#!/usr/bin/env bash
# Whole conversions of the release build beside a plain column sum over the
# same file.  For every input kind a file of about $MB MB is generated into a
# temporary folder, converted $RUNS times with `build/flowtab -b <flags> FILE`
# (default .ts1 output and its peak table) and read $RUNS times by the
# baseline; the medians are printed with their ratio, the conversion's peak
# resident memory, its peak private memory (anonymous and written pages: the
# pages of the mapped input are the system's file cache) and the memory it may
# use: three times the bytes of the values it stores, plus the input's size.
# The private memory is held to that bound for inputs of 10 MB and more; below
# that the fixed start of the process dominates and no bound is set.
#
#   bench/compare.sh [kind ...]      (default: every kind below)
#   MB=200 RUNS=7 bench/compare.sh rows
#   SHAPE=empty bench/compare.sh     (empty, one or fifteen)
#
# Baselines: `mawk '{s+=$3} END{print s}' FILE` for text inputs,
# `cat FILE > /dev/null` for binary ones.  With SHAPE, every kind converts
# a file of lines of that shape instead of its model file (empty lines, lines
# of one character or of fifteen), which it passes over as it would any
# lines it cannot use, beside mawk.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
exe="${FLOWTAB:-$root/build/flowtab}"
gen="${FLOWTAB_BENCH:-$root/build/flowtab_bench}"
MB="${MB:-100}"
RUNS="${RUNS:-5}"
SHAPE="${SHAPE:-}"
for tool in "$exe" "$gen" /usr/bin/time mawk; do
  command -v "$tool" >/dev/null 2>&1 || { echo "compare.sh: $tool is missing (make build; apt-get install time mawk)" >&2; exit 1; }
done
work="$(mktemp -d "${TMPDIR:-/tmp}/flowtab_compare.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The median of the numbers given.
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Runs a command; prints its wall seconds and its peak resident memory in KB.
# Microseconds are counted: runs of small files last a few milliseconds.
timed() {
  local start end
  start=$(date +%s%N)
  # A file of lines of a shape ends most conversions with a message and
  # status 1: only the time counts.
  /usr/bin/time -f %M -o "$work/mem" "$@" >/dev/null 2>&1 </dev/null || true
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 ))e-6 $(tail -n 1 "$work/mem")"
}

# Runs a command once, untimed; prints its peak private memory in KB, read
# from the kernel's summary of its mappings as often as the shell can.
private_peak() {
  "$@" >/dev/null 2>&1 </dev/null &
  local pid=$! peak=0 key val rest seen
  for (( ; ; )); do
    # An ended process (a zombie too) has nothing left to read.
    seen=0
    { while read -r key val rest; do
        seen=1
        [ "$key" = "Private_Dirty:" ] && [ "$val" -gt "$peak" ] && peak=$val
      done <"/proc/$pid/smaps_rollup"; } 2>/dev/null || true
    [ "$seen" = 1 ] || break
  done
  wait "$pid" || true
  echo "$peak"
}

[ -n "$SHAPE" ] && echo "lines: $SHAPE"
printf '%-11s %7s %9s %9s %7s %9s %9s %9s\n' kind "MB" "flowtab s" "base s" ratio "peak MB" "priv MB" "limit MB"

# measure KIND FILE_NAME "FLAGS" BASELINE: one line of the table.
measure() {
  local kind="$1" name="$2" flags=() base="$4"
  read -r -a flags <<<"$3"
  [ -n "$only" ] && [[ " $only " != *" $kind "* ]] && return 0
  local dir="$work/$kind"
  mkdir -p "$dir"
  local info
  if [ -n "$SHAPE" ]; then
    info=$("$gen" --generate="$dir/$name" --kind="$kind" --mb="$MB" --shape="$SHAPE")
    base=mawk
  else
    info=$("$gen" --generate="$dir/$name" --kind="$kind" --mb="$MB")
  fi
  local bytes stored
  bytes=$(stat -c %s "$dir/$name")
  stored=$(sed -n 's/.* \([0-9]*\) stored values.*/\1/p' <<<"$info")
  local t=() b=() m=() out
  # One unmeasured run of each first: the file is in the cache for both.
  (cd "$dir" && "$exe" -b "${flags[@]}" "$name" >/dev/null 2>&1 </dev/null) || [ -n "$SHAPE" ] ||
    { echo "$kind: conversion failed" >&2; return 1; }
  if [ "$base" = mawk ]; then mawk '{s+=$3} END{print s}' "$dir/$name" >/dev/null; else cat "$dir/$name" >/dev/null; fi
  for ((i = 0; i < RUNS; i++)); do
    # Outputs of the run before are removed untimed: overwriting a file costs
    # the file system its truncation, and ext4 then writes the new data back
    # at the close.
    find "$dir" -mindepth 1 ! -name "$name" -delete
    out=$(cd "$dir" && timed "$exe" -b "${flags[@]}" "$name")
    t+=("${out% *}")
    m+=("${out#* }")
    if [ "$base" = mawk ]; then
      # shellcheck disable=SC2016  # the program of mawk
      out=$(timed mawk '{s+=$3} END{print s}' "$dir/$name")
    else
      # shellcheck disable=SC2016  # $1 is the inner shell's
      out=$(timed sh -c 'cat "$1" > /dev/null' sh "$dir/$name")
    fi
    b+=("${out% *}")
  done
  local ts bs ms ps
  ts=$(median "${t[@]}")
  bs=$(median "${b[@]}")
  ms=$(median "${m[@]}")
  find "$dir" -mindepth 1 ! -name "$name" -delete
  ps=$(cd "$dir" && private_peak "$exe" -b "${flags[@]}" "$name")
  awk -v k="$kind" -v bytes="$bytes" -v ts="$ts" -v bs="$bs" -v kb="$ms" -v pkb="$ps" -v stored="${stored:-0}" 'BEGIN {
    limit = (bytes + 3 * 4 * stored) / 1e6
    peak = kb * 1024 / 1e6
    priv = pkb * 1024 / 1e6
    printf "%-11s %7.1f %9.4f %9.4f %7.2f %9.1f %9.1f %9.1f%s\n", k, bytes / 1e6, ts, bs, (bs > 0 ? ts / bs : 0), peak,
           priv, limit, (stored > 0 && bytes >= 10e6 && priv > limit) ? "  OVER" : ""
  }'
  rm -rf "$dir"
}

only="$*"
# kind        file name       flags           baseline
measure wbnm       big_Meta.out  "-wbnm"        mawk
measure rafts      big.tot       "-rafts"       mawk
measure rorb       big.out       "-rorb"        mawk
measure urbs       big.q         "-urbs"        mawk
measure urbs-dated big.q         "-urbs -date"  mawk
measure darno      big.dar       "-darno"       mawk
measure rows       big.txt       "-rows"        mawk
measure xp         big.int       "-xp"          cat
