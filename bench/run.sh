#!/usr/bin/env bash
# Times the backup engine against rsync and cp on generated trees, in one invocation, interleaved,
# and prints ratios. Not part of ctest. See bench/README.md.
#
#   bench/run.sh [WORKDIR]        (default /tmp/tsumiki-bench; needs ~4 GB free)
#   BUILD=<build dir>             (default: build, beside bench/) with engine_bench and md5_bench
#   ROUNDS=<n>                    (default 3) rounds of each interleaved comparison; medians are shown
#   SETTLE=<seconds>              (default 35) pause after deleting many files before timing again
#   GENERATE_ONLY=1               only generate the trees
#   SECTIONS="1 2 3 4 5 6 7 8"    which comparisons to run (see the numbered comments below)
# Every copy that is timed ends with its data on the disk: the engine flushes the destination at the
# end of each task, and each anchor is timed with a "sync -f" of its destination (see flushed).
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${BUILD:-$HERE/../build}
ENGINE=$BUILD/bench/engine_bench
MD5BENCH=$BUILD/bench/md5_bench
WORK=${1:-/tmp/tsumiki-bench}
ROUNDS=${ROUNDS:-3}
SETTLE=${SETTLE:-35}

for tool in rsync cp openssl md5sum python3; do
  command -v $tool >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

mkdir -p "$WORK"
SMALL=$WORK/small     # 100,000 small files in 5,000 directories
LARGE=$WORK/large     # 8 files of 128 MiB
MIXED=$WORK/mixed     # a mixed tree
OUT=$WORK/out
RESULTS=$WORK/results.txt
: > "$RESULTS"


# ---- trees (kept between invocations)
source "$HERE/common.sh"
make_small_tree "$SMALL"
if [ ! -d "$LARGE" ]; then
  echo "generating $LARGE"
  mkdir -p "$LARGE"
  for i in 1 2 3 4 5 6 7 8; do head -c $((128 << 20)) /dev/urandom > "$LARGE/big$i.bin"; done
fi
if [ ! -d "$MIXED" ]; then
  echo "generating $MIXED"
  python3 - "$MIXED" <<'PY'
import os, sys, random
root = sys.argv[1]; rnd = random.Random(2)
for d in range(200):
    p = os.path.join(root, "dir%03d" % d, "deeper")
    os.makedirs(p)
    for f in range(50):
        size = rnd.choice([200, 3000, 40000, 300000]) if f else rnd.randint(1, 8) << 20
        with open(os.path.join(p if f % 2 else os.path.dirname(p), "f%02d.dat" % f), "wb") as fh:
            fh.write(os.urandom(size))
PY
fi

[ "${GENERATE_ONLY:-0}" = 1 ] && { echo "trees ready in $WORK"; exit 0; }

[ -x "$ENGINE" ] || { echo "build engine_bench first: cmake --build $BUILD --target engine_bench" >&2; exit 1; }

# CPU milliseconds (user + system, children included) taken by a command: steadier than wall time
# on a machine that other work keeps busy.
cpu() { local rc=0; /usr/bin/time -f '%U %S' -o "$WORK/.cpu" "$@" > /dev/null 2>&1 || rc=$?; [ "$rc" = 0 ] || note_failure "$rc" "$@"; awk '{ printf "%d", ($1 + $2) * 1000 }' "$WORK/.cpu"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
fresh() { rm -rf "$OUT"; mkdir -p "$OUT"; sync; sleep "$SETTLE"; }
engine_rss() { "$ENGINE" "$@" 2>/dev/null | sed -n 's/.*peak_rss_kib=\([0-9]*\).*/\1/p'; }

say "# $(date -u '+%Y-%m-%d %H:%M UTC') on $(uname -n): $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(df -T "$WORK" | awk 'NR==2 {print $2}') at $WORK"
say "# rounds: $ROUNDS (medians in ms)"
SECTIONS=${SECTIONS:-1 2 3 4 5 6 7 8}
want() { [[ " $SECTIONS " == *" $1 "* ]]; }

# ---- 1. first copy of the small tree: cp -a, rsync -a, engine (fresh destinations)
if want 1; then
c=(); r=(); e=(); v=(); rv=()
for i in $(seq "$ROUNDS"); do
  fresh; warm "$SMALL"
  mkdir -p "$OUT/en" "$OUT/ev"
  # A copy leaves up to a gigabyte of dirty pages that whatever runs next would pay for, so each
  # timed copy is followed by an untimed sync and a pause, and the order rotates from round to round.
  for k in 0 1 2 3 4; do
    case $(( (i + k) % 5 )) in
      0) c+=($(ms flushed cp -a "$SMALL" "$OUT/cp")) ;;
      1) r+=($(ms flushed rsync -a "$SMALL/" "$OUT/rs/")) ;;
      2) e+=($(ms "$ENGINE" "$SMALL" "$OUT/en")) ;;
      # the verifying copy against rsync + md5sum of the source + md5sum -c in the copy
      3) v+=($(ms "$ENGINE" "$SMALL" "$OUT/ev" --verify)) ;;
      4) rv+=($(ms bash -c "rsync -a '$SMALL/' '$OUT/rv/' && cd '$SMALL' && find . -type f -print0 | xargs -0 md5sum > '$OUT/sums' && cd '$OUT/rv' && md5sum -c --quiet '$OUT/sums' && sync -f '$OUT/rv'")) ;;
    esac
    sync; sleep 5; warm "$SMALL"
  done
done
C=$(median "${c[@]}"); R=$(median "${r[@]}"); E=$(median "${e[@]}"); V=$(median "${v[@]}"); RV=$(median "${rv[@]}")
say "first copy 100k files: cp -a $C, rsync -a $R, engine $E -> engine/cp $(ratio $E $C) (target <= 1.2), engine/rsync $(ratio $E $R) (target < 1)"
say "verifying first copy: rsync+md5sum+md5sum -c $RV, engine --verify $V -> ratio $(ratio $V $RV) (target < 1)"
fi

# ---- 2. second run, nothing to do (destinations from step 1)
if want 2; then
r=(); e=(); rn=(); en=(); rss=(); rc=(); ec=()
for i in $(seq "$ROUNDS"); do
  warm "$SMALL" "$OUT/rs" "$OUT/en"
  r+=($(ms flushed rsync -a "$SMALL/" "$OUT/rs/"))
  e+=($(ms "$ENGINE" "$SMALL" "$OUT/en"))
  rn+=($(ms rsync -a -n "$SMALL/" "$OUT/rs/"))
  en+=($(ms "$ENGINE" "$SMALL" "$OUT/en" --test))
  rss+=($(engine_rss "$SMALL" "$OUT/en"))
  rc+=($(cpu rsync -a "$SMALL/" "$OUT/rs/"))
  ec+=($(cpu "$ENGINE" "$SMALL" "$OUT/en"))
done
R=$(median "${r[@]}"); E=$(median "${e[@]}"); RN=$(median "${rn[@]}"); EN=$(median "${en[@]}"); RSS=$(median "${rss[@]}")
say "no-change run: rsync -a $R, engine $E -> ratio $(ratio $E $R) (target <= 0.5); rsync -a -n $RN, engine --test $EN -> ratio $(ratio $EN $RN)"
RC=$(median "${rc[@]}"); EC=$(median "${ec[@]}")
say "no-change run, CPU time (user+sys): rsync -a $RC, engine $EC -> ratio $(ratio $EC $RC)"
say "peak RSS of the no-change run: $((RSS / 1024)) MiB (target <= 80)"
fi

# ---- 3. incremental mirror: 1% changed, 1% new, 1% deleted in the source, each round
if want 3; then
r=(); e=()
for i in $(seq "$ROUNDS"); do
  python3 - "$SMALL" "$i" <<'PY'
import os, sys, random, time
root, rnd = sys.argv[1], random.Random(int(sys.argv[2]) + 100)
files = sorted(os.path.join(dp, f) for dp, _, fs in os.walk(root) for f in fs)
picked = rnd.sample(files, 2000)
for f in picked[:1000]:
    with open(f, "wb") as fh: fh.write(os.urandom(rnd.randint(100, 2000)))
for f in picked[1000:]:
    os.remove(f)
for k in range(1000):
    d = os.path.dirname(rnd.choice(files))
    with open(os.path.join(d, "new%d_%d.txt" % (int(sys.argv[2]), k)), "wb") as fh: fh.write(os.urandom(500))
PY
  sleep "$SETTLE"; warm "$SMALL" "$OUT/rs" "$OUT/en"
  if [ $((i % 2)) -eq 1 ]; then
    r+=($(ms flushed rsync -a --delete "$SMALL/" "$OUT/rs/")); e+=($(ms "$ENGINE" "$SMALL" "$OUT/en" --mirror))
  else
    e+=($(ms "$ENGINE" "$SMALL" "$OUT/en" --mirror)); r+=($(ms flushed rsync -a --delete "$SMALL/" "$OUT/rs/"))
  fi
done
R=$(median "${r[@]}"); E=$(median "${e[@]}")
say "incremental mirror (3% touched): rsync -a --delete $R, engine --mirror $E -> ratio $(ratio $E $R) (target < 1)"
diff -r "$SMALL" "$OUT/en" > /dev/null && say "  engine mirror identical to the source: yes" || say "  engine mirror identical to the source: NO"
fi

# ---- 4. large files: 8 x 128 MiB
if want 4; then
c=(); r=(); e=()
for i in $(seq "$ROUNDS"); do
  fresh; warm "$LARGE"
  # Whatever runs right after another 1 GiB was flushed writes several times slower here, so each
  # copy waits for the previous one's data to reach the disk and then settles; the order rotates.
  mkdir -p "$OUT/en"
  for k in 0 1 2; do
    case $(( (i + k) % 3 )) in
      0) c+=($(ms flushed cp -a "$LARGE" "$OUT/cp")) ;;
      1) e+=($(ms "$ENGINE" "$LARGE" "$OUT/en")) ;;
      2) r+=($(ms flushed rsync -a "$LARGE/" "$OUT/rs/")) ;;
    esac
    sync; sleep "$SETTLE"
  done
  rm -rf "$OUT/cp" "$OUT/en" "$OUT/rs"
done
C=$(median "${c[@]}"); R=$(median "${r[@]}"); E=$(median "${e[@]}")
say "large files 1 GiB: cp -a $C ($((1024 * 1000 / (C > 0 ? C : 1))) MiB/s), rsync -a $R, engine $E ($((1024 * 1000 / (E > 0 ? E : 1))) MiB/s) -> throughput engine/cp $(ratio $C $E) (target >= 0.9)"
fi

# ---- 5. mixed tree: cp -a, rsync -a, engine
if want 5; then
c=(); r=(); e=()
for i in $(seq "$ROUNDS"); do
  fresh; warm "$MIXED"
  mkdir -p "$OUT/en"
  for k in 0 1 2; do
    case $(( (i + k) % 3 )) in
      0) c+=($(ms flushed cp -a "$MIXED" "$OUT/cp")) ;;
      1) e+=($(ms "$ENGINE" "$MIXED" "$OUT/en")) ;;
      2) r+=($(ms flushed rsync -a "$MIXED/" "$OUT/rs/")) ;;
    esac
    sync; sleep 5; warm "$MIXED"
  done
done
C=$(median "${c[@]}"); R=$(median "${r[@]}"); E=$(median "${e[@]}")
say "mixed tree first copy: cp -a $C, rsync -a $R, engine $E -> engine/cp $(ratio $E $C), engine/rsync $(ratio $E $R)"
fi

# ---- 6. MD5 throughput against openssl md5 (same file, warm cache)
if want 6; then
if [ -x "$MD5BENCH" ]; then
  # md5_bench reads the file once to warm the cache, then times its runs itself.
  o=(); oc=(); m=(); mc=()
  F=$LARGE/big1.bin; MB=$(awk -v b=$(stat -c %s "$F") 'BEGIN { print b / 1e6 }')
  warm "$F"
  for i in $(seq "$ROUNDS"); do
    o+=($(ms openssl md5 "$F")); oc+=($(cpu openssl md5 "$F"))
    line=$("$MD5BENCH" "$F" 3 | tail -1)
    m+=($(echo "$line" | sed -n 's/.*median \([0-9.]*\) MB\/s.*/\1/p'))
    mc+=($(echo "$line" | sed -n 's/.*per CPU second: best \([0-9.]*\) MB\/s.*/\1/p'))
  done
  O=$(median "${o[@]}"); OC=$(median "${oc[@]}"); M=$(median "${m[@]}"); MC=$(median "${mc[@]}")
  OR=$(awk -v mb=$MB -v t=$O 'BEGIN { printf "%.0f", mb * 1000 / t }'); ORC=$(awk -v mb=$MB -v t=$OC 'BEGIN { printf "%.0f", mb * 1000 / (t > 0 ? t : 1) }')
  say "MD5 of 128 MiB: openssl md5 $OR MB/s (per CPU second $ORC), engine $M MB/s (per CPU second $MC) -> engine/openssl $(ratio $M $OR), per CPU second $(ratio $MC $ORC) (target >= 0.85)"
else
  say "MD5: $MD5BENCH not built"
fi
fi

# ---- 7. the durable copy: what the flush at the end costs, on both trees. The anchor is timed in two
# parts, the copy and its "sync -f"; the engine flushes inside its run (syncfs of the destination).
if want 7; then
for tree in "$SMALL" "$LARGE"; do
  c=(); cs=(); e=()
  for i in $(seq "$ROUNDS"); do
    fresh; warm "$tree"
    mkdir -p "$OUT/en"
    for k in 0 1; do
      case $(( (i + k) % 2 )) in
        0) c+=($(ms cp -a "$tree" "$OUT/cp")); cs+=($(ms sync -f "$OUT/cp")) ;;
        1) e+=($(ms "$ENGINE" "$tree" "$OUT/en")) ;;
      esac
      sync; sleep "$SETTLE"; warm "$tree"
    done
  done
  C=$(median "${c[@]}"); CS=$(median "${cs[@]}"); E=$(median "${e[@]}")
  say "durable first copy of $(basename "$tree"): cp -a $C + sync -f $CS = $((C + CS)), engine (flush included) $E -> engine/(cp -a + sync) $(ratio $E $((C + CS))); the flush is $(ratio $CS $((C + CS))) of cp's durable copy"
done
fi

# ---- 8. a verification that reads the disk: the engine's verifying copy reads each copy back from
# the device (written out, dropped from the cache, read). The anchor does the same with the tools:
# rsync, the source's digests, sync, the page cache emptied, md5sum -c in the copy. The engine's plain
# (durable) copy runs in the same rounds, so the verification's own cost is the difference.
if want 8 && [ "$(id -u)" != 0 ]; then
  say "verifying copy read from the disk: not measured, emptying the page cache for the anchor needs root"
elif want 8; then
for tree in "$SMALL" "$LARGE"; do
  a=(); v=(); e=()
  for i in $(seq "$ROUNDS"); do
    fresh; warm "$tree"
    mkdir -p "$OUT/ev" "$OUT/en"
    for k in 0 1 2; do
      case $(( (i + k) % 3 )) in
        0) a+=($(ms bash -c "rsync -a '$tree/' '$OUT/rv/' && cd '$tree' && find . -type f -print0 | xargs -0 md5sum > '$OUT/sums' && sync -f '$OUT/rv' && echo 3 > /proc/sys/vm/drop_caches && cd '$OUT/rv' && md5sum -c --quiet '$OUT/sums'")) ;;
        1) v+=($(ms "$ENGINE" "$tree" "$OUT/ev" --verify)) ;;
        2) e+=($(ms "$ENGINE" "$tree" "$OUT/en")) ;;
      esac
      sync; sleep "$SETTLE"; warm "$tree"
    done
  done
  A=$(median "${a[@]}"); V=$(median "${v[@]}"); E=$(median "${e[@]}")
  say "verifying copy of $(basename "$tree") read from the disk: rsync+md5sum+sync+drop caches+md5sum -c $A, engine --verify $V -> ratio $(ratio $V $A); engine without verification $E: the verification costs $((V - E)) ms ($(ratio $V $E) x)"
done
fi

rm -rf "$OUT"
echo "results in $RESULTS"
report_failures
