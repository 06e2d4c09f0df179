# Shared by the benchmark scripts (sourced, not run). Needs WORK and RESULTS set.

say() { echo "$*" | tee -a "$RESULTS"; }
# Reads trees so that the runs compared next start from a warm cache.
warm() { tar cf - "$@" 2>/dev/null | cat > /dev/null; }
# Milliseconds taken by a command (its output discarded).
ms() { local s e; s=$(date +%s%N); "$@" > /dev/null 2>&1 || true; e=$(date +%s%N); echo $(( (e - s) / 1000000 )); }
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

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
