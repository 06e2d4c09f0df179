# Shared by the benchmark scripts (sourced, not run). Needs WORK and RESULTS set.

say() { echo "$*" | tee -a "$RESULTS"; }
# Reads trees so that the runs compared next start from a warm cache.
warm() { tar cf - "$@" 2>/dev/null | cat > /dev/null; }
# A command that fails makes every figure doubtful (a copy that failed is fast): it is reported at
# once and again at the end (see report_failures).
note_failure() { echo "FAILED (exit $1): ${*:2}" | tee -a "$RESULTS" >&2; : > "$WORK/.failed"; }
report_failures() {
  [ -e "$WORK/.failed" ] || return 0
  rm -f "$WORK/.failed"
  say "SOME COMMANDS FAILED (see above): these figures are not valid"
  return 1
}
rm -f "$WORK/.failed"
# Milliseconds taken by a command (its output discarded).
ms() {
  local s e rc=0; s=$(date +%s%N); "$@" > /dev/null 2>&1 || rc=$?; e=$(date +%s%N)
  [ "$rc" = 0 ] || note_failure "$rc" "$@"
  echo $(( (e - s) / 1000000 ))
}
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# Runs a copy command, then flushes the file system of its destination (the last argument) to the
# disk. The engine ends every task of a run with that flush (syncfs), so every command it is compared
# with pays for it too.
flushed() { "$@" && sync -f "${@: -1}"; }
# Empties the page cache (root only), so that what is read next comes from the disk.
drop_caches() { sync && echo 3 > /proc/sys/vm/drop_caches; }

# The tree of 100,000 small files (100-2,000 bytes) in 5,000 directories, made once and kept.
make_small_tree() {
  [ -d "$1" ] && return 0
  echo "generating $1"
  python3 - "$1" <<'PY'
import os, sys, random
root = sys.argv[1]; rnd = random.Random(1)
for d in range(5000):
    p = os.path.join(root, "d%02d" % (d // 100), "sub%04d" % d)
    os.makedirs(p)
    for f in range(20):
        with open(os.path.join(p, "file%02d.txt" % f), "wb") as fh:
            fh.write(os.urandom(rnd.randint(100, 2000)))
PY
}
