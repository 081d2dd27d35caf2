#!/usr/bin/env bash
# Proves that two builds of flowtab behave the same, byte for byte: a
# restructuring or a speed change must not change what a user sees or gets.
# Both executables are run on the same inputs, each run in a fresh folder
# holding a copy of its inputs (the same folder path for both, so that any
# path the program prints agrees), and for every run the script compares the
# console output (standard output and standard error apart), the exit status
# and every file left in the folder (names and bytes, the inputs included).
# Both run as `flowtab` found on PATH, so that the banner, which shows
# argv[0], agrees too.
#
#   bench/same_behaviour.sh OLD_EXE NEW_EXE
#   MB=5 JOBS=8 ONLY=samples,corpus bench/same_behaviour.sh /work/baseline/build/flowtab build/flowtab
#
# Prints one line per difference (with the first differing lines of a
# differing output) and a summary; the exit status is 1 when anything
# differs, 0 otherwise (2 for a wrong command line or a run that could not
# be made).  Parts (ONLY, comma-separated; default all four):
#   samples    the real model files of $SAMPLES, tests/samples and
#              examples/Q100_Meta.out: WBNM ones with no switch at all (the
#              closing pause meets the end of input), -mw, -csv, -s0 -e0;
#              RORB ones with -rorb, -rorb -ts2, -rorb -csv -col3.
#   generated  a file of about $MB MB of every kind of build/flowtab_bench
#              --generate, converted with -b and: nothing, -csv, -ts2 (a
#              refusal is compared as any other outcome), -s0 -e0, -csv -col3.
#   corpus     every file of fuzz/corpus/<kind>, its first byte turned into
#              options as fuzz/driver.cpp does; XP seeds from $XP_SEEDS
#              (build-fuzz/xp_seeds, made by `make fuzz-build`) when present;
#              the cli corpus as fuzz/fuzz_cli.cpp does (a line an argument,
#              in a folder holding its four small files).  The harness's cap
#              on output sizes is not applied: the program writes whole.
#   shapes     an empty file, 100000 empty lines and one 2 MB line without an
#              end of line, for every kind, with the switches of `generated`.
# Every run gets $TIMEOUT seconds; a run that times out with both builds
# counts as equal.  At MB=20 with JOBS=4 the whole takes about half a minute.
# Two corpus inputs ask for a time axis of 10,000,000 rows and get outputs of
# about 5 GB from each build: the work folder (under $TMPDIR, /tmp by
# default) needs some 20 GB free.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
gen="${FLOWTAB_BENCH:-$root/build/flowtab_bench}"
MB="${MB:-20}"
JOBS="${JOBS:-4}"
ONLY="${ONLY:-samples,generated,corpus,shapes}"
TIMEOUT="${TIMEOUT:-20}"
SAMPLES="${SAMPLES:-/work/shared/samples}"
XP_SEEDS="${XP_SEEDS:-$root/build-fuzz/xp_seeds}"

if [ $# -ne 2 ] || [ ! -x "$1" ] || [ ! -x "$2" ]; then
  echo "usage: [MB=20] [JOBS=4] [ONLY=samples,generated,corpus,shapes] [TIMEOUT=20] $0 OLD_EXE NEW_EXE" >&2
  exit 2
fi
for tool in timeout cmp perl xargs; do
  command -v "$tool" >/dev/null 2>&1 || { echo "same_behaviour.sh: $tool is missing" >&2; exit 2; }
done
wants() { [[ ",$ONLY," == *",$1,"* ]]; }
IFS=, read -r -a parts <<<"$ONLY"
for part in "${parts[@]}"; do
  case "$part" in
    samples | generated | corpus | shapes) ;;
    *) echo "same_behaviour.sh: ONLY names an unknown part: $part" >&2; exit 2 ;;
  esac
done

work="$(mktemp -d "${TMPDIR:-/tmp}/flowtab_same.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/cases"
old_exe=$(realpath "$1")
new_exe=$(realpath "$2")
started=$(date +%s)

# add_case LABEL SOURCE_FOLDER ARG...: one run of both builds, in a folder
# that starts as a copy of SOURCE_FOLDER.
ncases=0
add_case() {
  local label="$1" src="$2"
  shift 2
  local c
  ncases=$((ncases + 1))
  c="$work/cases/$(printf %05d "$ncases")"
  mkdir "$c"
  printf '%s' "$src" >"$c/src"
  printf '%s\0' "$@" >"$c/args"
  printf '%s: flowtab%s' "$label" "$(printf ' %q' "$@")" >"$c/label"
}

# new_input NAME: an empty source folder; prints its path.
new_input() { mkdir "$work/in/$1" && echo "$work/in/$1"; }

# kind  generated file  options        fuzz harness file  variant
kinds=(
  "wbnm       big_Meta.out  -wbnm        Q100_Meta.out  -mw"
  "rafts      big.tot       -rafts       Q100.tot       -mr"
  "rorb       big.out       -rorb        run.out        -dt5"
  "urbs       big.q         -urbs        run.q          -date"
  "urbs-dated big.q         -urbs,-date  run.q          -"
  "darno      big.dar       -darno       res.txt        -"
  "rows       big.txt       -rows        flows.txt      -"
  "xp         big.int       -xp          run.int        -"
)
# Switch sets of the generated files and the hostile shapes.
switch_sets=("" "-csv" "-ts2" "-s0 -e0" "-csv -col3")

if wants samples; then
  n0=$ncases
  wbnm_files=() rorb_files=()
  if [ -d "$SAMPLES" ]; then
    wbnm_files+=("$SAMPLES"/wbnm/*)
    rorb_files+=("$SAMPLES"/rorb/*)
  else
    echo "samples: $SAMPLES is missing; only the project's own samples are used" >&2
  fi
  wbnm_files+=("$root"/tests/samples/wbnm/* "$root/examples/Q100_Meta.out")
  rorb_files+=("$root"/tests/samples/rorb/*)
  # sample_cases FILE "SWITCHES"...: a run of FILE with each set of switches.
  sample_cases() {
    local f="$1" src set
    shift
    src=$(new_input "sample$ncases")
    cp "$f" "$src/"
    for set in "$@"; do
      # shellcheck disable=SC2086  # the switches are words
      add_case "samples ${f#"$root"/}" "$src" $set "${f##*/}"
    done
  }
  for f in "${wbnm_files[@]}"; do sample_cases "$f" "" "-b -mw" "-b -csv" "-b -s0 -e0"; done
  for f in "${rorb_files[@]}"; do sample_cases "$f" "-b -rorb" "-b -rorb -ts2" "-b -rorb -csv -col3"; done
  echo "samples: $((ncases - n0)) runs" >&2
fi

if wants generated; then
  [ -x "$gen" ] || { echo "same_behaviour.sh: $gen is missing (make build)" >&2; exit 2; }
  n0=$ncases
  pids=()
  for row in "${kinds[@]}"; do
    read -r kind file opts _ <<<"$row"
    src=$(new_input "gen-$kind")
    "$gen" --generate="$src/$file" --kind="$kind" --mb="$MB" >/dev/null &
    pids+=($!)
    for set in "${switch_sets[@]}"; do
      # shellcheck disable=SC2086  # the options are words
      add_case "generated $kind" "$src" -b ${opts//,/ } $set "$file"
    done
  done
  for pid in "${pids[@]}"; do wait "$pid"; done
  echo "generated: $((ncases - n0)) runs over files of $MB MB" >&2
fi

if wants shapes; then
  n0=$ncases
  shapes="$work/in/shapes"
  mkdir "$shapes"
  : >"$shapes/empty"
  perl -e 'print "\n" x 100000' >"$shapes/empty-lines"
  perl -e 'print "0.5 " x (1 << 19)' >"$shapes/long-line"
  for shape in empty empty-lines long-line; do
    for row in "${kinds[@]}"; do
      read -r kind _ opts file _ <<<"$row"
      src=$(new_input "shape-$shape-$kind")
      cp "$shapes/$shape" "$src/$file"
      for set in "${switch_sets[@]}"; do
        # shellcheck disable=SC2086
        add_case "shapes $shape $kind" "$src" -b ${opts//,/ } $set "$file"
      done
    done
  done
  echo "shapes: $((ncases - n0)) runs" >&2
fi

if wants corpus; then
  n0=$ncases
  # A harness input: its first byte picks the options (see fuzz/driver.h),
  # the rest is the input file; with -mr the part up to the first empty line
  # is the events file.  An empty input is not run by the harness either.
  corpus_case() {
    local kind="$1" f="$2" label="$3" opts="$4" file="$5" variant="$6"
    [ -s "$f" ] || return 0
    local byte src args
    byte=$(od -An -tu1 -N1 "$f" | tr -d ' ')
    src=$(new_input "corpus$ncases")
    args=(-b "$opts")
    ((byte & 1)) && args+=(-csv)
    ((byte & 2)) && args+=(-ts2)
    ((byte & 4)) && args+=(-s0)
    ((byte & 8)) && args+=(-e0)
    ((byte >> 4 & 3)) && args+=("-col$((byte >> 4 & 3))")
    if ((byte & 64)) && [ "$variant" != - ]; then
      args+=("$variant")
      if [ "$variant" = -mr ]; then
        args+=(events.txt)
        perl -e 'local $/; open(my $in, "<:raw", $ARGV[0]) or die; my $d = substr(<$in>, 1);
                 my $i = index($d, "\n\n");
                 my ($e, $b) = $i < 0 ? ("", $d) : (substr($d, 0, $i + 1), substr($d, $i + 2));
                 open(my $o, ">:raw", $ARGV[1]) or die; print $o $e; close $o;
                 open($o, ">:raw", $ARGV[2]) or die; print $o $b; close $o;' "$f" "$src/events.txt" "$src/$file"
      fi
    fi
    [ -e "$src/$file" ] || tail -c +2 "$f" >"$src/$file"
    add_case "$label" "$src" "${args[@]}" "$file"
  }
  for row in "${kinds[@]}"; do
    read -r kind _ opts file variant <<<"$row"
    [ "$kind" = urbs-dated ] && continue
    for f in "$root/fuzz/corpus/$kind"/*; do
      [ -f "$f" ] && corpus_case "$kind" "$f" "corpus/$kind/${f##*/}" "$opts" "$file" "$variant"
    done
    if [ "$kind" = xp ]; then
      if [ -x "$XP_SEEDS" ]; then
        mkdir "$work/xp-seeds"
        "$XP_SEEDS" "$work/xp-seeds"
        for f in "$work/xp-seeds"/*; do corpus_case xp "$f" "xp_seeds/${f##*/}" "$opts" "$file" "$variant"; done
      else
        echo "corpus: no XP seeds ($XP_SEEDS is missing; make fuzz-build makes it): XP corpus skipped" >&2
      fi
    fi
  done
  # The cli harness: the input's lines are the arguments (at most 64, an
  # empty one after a final end of line), run without -b in a folder with
  # one small file of every kind the harness writes.
  cli="$work/in/cli"
  mkdir "$cli"
  printf '%s' $'#####START_META_FILE######\nWBNM Version: 2017_1b - t\n#####END_META_FILE########\n#####START_STORM#1\n#####START_HYDROGRAPHS_A\nh\n0 0 0 0 0 1 1 0 1\n5 0 0 0 0 1 1 0 2\n#####END_HYDROGRAPHS_A\n' >"$cli/Q100_Meta.out"
  printf '%s' $'    1    1    2       5.0\n          N1\n       1.000       2.000\n' >"$cli/Q100.tot"
  printf '%s' $'E1\n' >"$cli/events.txt"
  printf '%s' $'Flow A\n1 2 3\n' >"$cli/flows.txt"
  for f in "$root"/fuzz/corpus/cli/*; do
    [ -f "$f" ] || continue
    if [ "$(tr -d '\0' <"$f" | wc -c)" -ne "$(wc -c <"$f")" ]; then
      echo "corpus/cli/${f##*/}: holds a NUL byte, which no argument can carry: skipped" >&2
      continue
    fi
    mapfile -d '' args < <(perl -e 'local $/; my $t = <STDIN> // ""; my @a = split(/\n/, $t, -1);
                                    @a = ("") unless @a; splice(@a, 64) if @a > 64; print "$_\0" for @a;' <"$f")
    add_case "corpus/cli/${f##*/}" "$cli" "${args[@]}"
  done
  echo "corpus: $((ncases - n0)) runs" >&2
fi

# run_case CASE_FOLDER: runs both builds and writes the differences found
# into CASE_FOLDER/report (an empty report: the same behaviour).
run_case() {
  local c="$1" src side rc args=()
  src=$(<"$c/src")
  mapfile -d '' args <"$c/args"
  mkdir "$c/bin"
  for side in old new; do
    mkdir "$c/run"
    cp -a "$src/." "$c/run/"
    # The same PATH for both: the environment is the same too.
    if [ "$side" = old ]; then ln -sfn "$old_exe" "$c/bin/flowtab"; else ln -sfn "$new_exe" "$c/bin/flowtab"; fi
    rc=0
    (cd "$c/run" && PATH="$c/bin:$PATH" exec timeout -k 5 "$TIMEOUT" flowtab "${args[@]}") \
      </dev/null >"$c/$side.stdout" 2>"$c/$side.stderr" || rc=$?
    echo "$rc" >"$c/$side.rc"
    mv "$c/run" "$c/$side"
  done
  compare_case "$c" >"$c/report.part"
  rm -rf "${c:?}/old" "${c:?}/new" "${c:?}/bin"
  mv "$c/report.part" "$c/report"
}

# Prints the first differing lines of two files (named relative to the case
# folder): cmp's first differing byte, then three lines of each from there.
show_difference() {
  local first line
  first=$(cmp "$1" "$2" 2>&1 || true)
  echo "    $first"
  line=$(sed -n 's/.*line \([0-9]*\).*/\1/p' <<<"$first")
  line=${line:-1}
  sed -n "${line},$((line + 2))p" "$1" | cut -c 1-160 | sed "s/^/    - /"
  sed -n "${line},$((line + 2))p" "$2" | cut -c 1-160 | sed "s/^/    + /"
}

# Prints one line per difference between the runs of a case folder.
compare_case() (
  cd "$1"
  local label old_rc new_rc stream entry type name
  label=$(<label)
  old_rc=$(<old.rc)
  new_rc=$(<new.rc)
  timed_out() { [ "$1" = 124 ] || [ "$1" = 137 ]; }
  if timed_out "$old_rc" && timed_out "$new_rc"; then
    : >timed-out-in-both
    return 0
  fi
  [ "$old_rc" = "$new_rc" ] || echo "$label: exit status $old_rc vs $new_rc$(timed_out "$old_rc" && echo ' (old timed out)')$(timed_out "$new_rc" && echo ' (new timed out)')"
  for stream in stdout stderr; do
    if ! cmp -s "old.$stream" "new.$stream"; then
      echo "$label: $stream differs"
      show_difference "old.$stream" "new.$stream"
    fi
  done
  (cd old && find . -mindepth 1 -printf '%y %P\n' | LC_ALL=C sort) >old.list
  (cd new && find . -mindepth 1 -printf '%y %P\n' | LC_ALL=C sort) >new.list
  while IFS= read -r entry; do
    echo "$label: only with old: $(printf %q "${entry#* }") (${entry%% *})"
  done < <(LC_ALL=C comm -23 old.list new.list)
  while IFS= read -r entry; do
    echo "$label: only with new: $(printf %q "${entry#* }") (${entry%% *})"
  done < <(LC_ALL=C comm -13 old.list new.list)
  while IFS= read -r entry; do
    type=${entry%% *}
    name=${entry#* }
    if [ "$type" = f ] && ! cmp -s "old/$name" "new/$name"; then
      echo "$label: file $(printf %q "$name") differs"
      show_difference "old/$name" "new/$name"
    elif [ "$type" = l ] && [ "$(readlink "old/$name")" != "$(readlink "new/$name")" ]; then
      echo "$label: link $(printf %q "$name") differs"
    fi
  done < <(LC_ALL=C comm -12 old.list new.list)
)

export old_exe new_exe TIMEOUT
export -f run_case compare_case show_difference
echo "running $ncases runs of each build, $JOBS at a time" >&2
# shellcheck disable=SC2016  # $1 is the inner shell's
find "$work/cases" -mindepth 1 -maxdepth 1 -print0 | sort -z |
  xargs -0 -n 1 -P "$JOBS" bash -c 'set -euo pipefail; run_case "$1"' run_case ||
  { echo "same_behaviour.sh: a run could not be made" >&2; exit 2; }

differing=0 lines=0 both_timed_out=0
for c in "$work/cases"/*; do
  [ -f "$c/report" ] || { echo "same_behaviour.sh: $(<"$c/label") was not compared" >&2; exit 2; }
  [ -e "$c/timed-out-in-both" ] && both_timed_out=$((both_timed_out + 1))
  if [ -s "$c/report" ]; then
    differing=$((differing + 1))
    lines=$((lines + $(grep -c -v '^    ' "$c/report")))
    cat "$c/report"
  fi
done
elapsed=$(($(date +%s) - started))
echo "same_behaviour: $ncases runs, $differing differ ($lines differences), $both_timed_out timed out with both builds; $((elapsed / 60))m$((elapsed % 60))s"
[ "$differing" -eq 0 ]
