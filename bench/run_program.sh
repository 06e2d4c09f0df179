#!/usr/bin/env bash
# Times the whole program against the engine alone on the tree of 100,000 small files: the
# unattended run ("tsumiki /t=bench /s" in a prepared copy of the program folder, no display) and
# engine_bench on the same source, interleaved. The difference is what the window, the log pane and
# the log file add. Not part of ctest. See bench/README.md.
#
#   bench/run_program.sh [WORKDIR]   (default /tmp/tsumiki-bench; shares its trees with run.sh)
#   BUILD=<build dir>                (default: build, beside bench/) with engine_bench and tsumiki
#   ROUNDS=<n>                       (default 3) rounds; medians are shown
#   SETTLE=<seconds>                 (default 10) pause after deleting many files before timing again
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${BUILD:-$HERE/../build}
ENGINE=$BUILD/bench/engine_bench
DIST=$BUILD/dist
WORK=${1:-/tmp/tsumiki-bench}
ROUNDS=${ROUNDS:-3}
SETTLE=${SETTLE:-10}

command -v python3 >/dev/null || { echo "missing: python3" >&2; exit 1; }
[ -x "$ENGINE" ] || { echo "build engine_bench first: cmake --build $BUILD --target engine_bench" >&2; exit 1; }
[ -x "$DIST/tsumiki" ] || { echo "build the program first: cmake --build $BUILD --target tsumiki" >&2; exit 1; }

mkdir -p "$WORK"
SMALL=$WORK/small     # 100,000 small files in 5,000 directories (the same tree as run.sh's)
PROG=$WORK/program    # a copy of the program folder with one task list, "bench"
OUT=$WORK/out-program
RESULTS=$WORK/results-program.txt
: > "$RESULTS"

source "$HERE/common.sh"
make_small_tree "$SMALL"

# The program folder: the executable, its pictures, a settings file naming one task list that
# copies the tree into $OUT/program (subdirectories, no mirroring, no verification, log kept).
rm -rf "$PROG"
mkdir -p "$PROG"
cp -a "$DIST/." "$PROG/"
rm -f "$PROG"/*.ini "$PROG"/*.log
python3 - "$PROG" "$SMALL" "$OUT/program" <<'PY'
import os, sys
prog, src, dst = sys.argv[1:4]
def write(name, text):
    with open(os.path.join(prog, name), "wb") as f:
        f.write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))
write("bench.ini", "[General]\nTaskListName=bench\nSaveLog=1\nAddDateStr=0\nTaskCount=1\n\n"
      "[Task0]\nSrcPath=%s\nDstPath=%s\nIncludingSubDirs=1\nMirroring=0\nVerifying=0\nEnabled=1\n"
      "ExcludedItemCount=0\n\n" % (src, dst))
write("tsumiki.ini", "[TaskListManager]\nTaskListCount=1\nTaskList0=%s\n\n" % os.path.join(prog, "bench.ini"))
PY

# Wall and processor milliseconds (user + system) of a command, as "wall cpu". On a busy machine the
# processor time is the steadier measure of what the program itself adds.
CPUFILE=$WORK/.cpu
mscpu() {
  local s e; s=$(date +%s%N)
  local rc=0
  /usr/bin/time -f "%U %S" -o "$CPUFILE" "$@" > /dev/null 2>&1 || rc=$?
  [ "$rc" = 0 ] || note_failure "$rc" "$@"
  e=$(date +%s%N)
  echo "$(( (e - s) / 1000000 )) $(awk '{printf "%d", ($1 + $2) * 1000}' "$CPUFILE")"
}
overhead() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%+.1f %%", (a - b) * 100 / b; else print "n/a" }'; }
fresh() { rm -rf "$OUT"; mkdir -p "$OUT/engine" "$OUT/program"; sync; sleep "$SETTLE"; }
# The unattended run as cron would start it: no display at all.
PROGRAM=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$PROG/tsumiki" "/t=bench" /s)

say "# $(date -u '+%Y-%m-%d %H:%M UTC') on $(uname -n): $(nproc) cores, $(df -T "$WORK" | awk 'NR==2 {print $2}') at $WORK"
say "# rounds: $ROUNDS (medians in ms); program = tsumiki \"/t=bench\" /s, engine = engine_bench"

# ---- first copy of 100,000 files into empty destinations
e=(); p=(); ec=(); pc=()
for i in $(seq "$ROUNDS"); do
  fresh; warm "$SMALL"
  if (( i % 2 )); then
    read -r w c < <(mscpu "$ENGINE" "$SMALL" "$OUT/engine"); e+=($w); ec+=($c)
    read -r w c < <(mscpu "${PROGRAM[@]}"); p+=($w); pc+=($c)
  else
    read -r w c < <(mscpu "${PROGRAM[@]}"); p+=($w); pc+=($c)
    read -r w c < <(mscpu "$ENGINE" "$SMALL" "$OUT/engine"); e+=($w); ec+=($c)
  fi
done
lines=$(python3 -c "import sys; print(open(sys.argv[1], 'rb').read().decode('utf-16').count('\r\n'))" "$PROG/bench.log")
E=$(median "${e[@]}"); P=$(median "${p[@]}"); EC=$(median "${ec[@]}"); PC=$(median "${pc[@]}")
say "first copy 100k files: wall engine $E, program $P -> $(overhead $P $E); cpu engine $EC, program $PC -> $(overhead $PC $EC) (target <= +10 %); log file $lines lines"

# ---- second run, nothing to do
e=(); p=(); ec=(); pc=()
for i in $(seq "$ROUNDS"); do
  warm "$SMALL" "$OUT"
  if (( i % 2 )); then
    read -r w c < <(mscpu "$ENGINE" "$SMALL" "$OUT/engine"); e+=($w); ec+=($c)
    read -r w c < <(mscpu "${PROGRAM[@]}"); p+=($w); pc+=($c)
  else
    read -r w c < <(mscpu "${PROGRAM[@]}"); p+=($w); pc+=($c)
    read -r w c < <(mscpu "$ENGINE" "$SMALL" "$OUT/engine"); e+=($w); ec+=($c)
  fi
done
status=0; "${PROGRAM[@]}" > /dev/null 2>&1 || status=$?
E=$(median "${e[@]}"); P=$(median "${p[@]}"); EC=$(median "${ec[@]}"); PC=$(median "${pc[@]}")
say "no-change run: wall engine $E, program $P -> $(overhead $P $E); cpu engine $EC, program $PC -> $(overhead $PC $EC) (target <= +10 %); exit status $status"
report_failures
