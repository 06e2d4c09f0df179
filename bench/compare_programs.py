#!/usr/bin/env python3
"""Times two builds of the program against each other, alternating their rounds: the unattended
run ("/t=<list> /s") of a list whose only task has nothing to copy (the program's start), and of a
list that finds nothing changed in the 100,000-file tree of run.sh. Wall and processor time (user +
system) are medians. Not part of ctest; see bench/README.md.

    bench/compare_programs.py A_DIST B_DIST [--rounds N] [--work DIR] [--display :N]

A_DIST and B_DIST are program folders (<build>/dist). Without --display the runs have no display,
as from cron; with it they run on that X display (the silent run with its icon in the notification
area).
"""
import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import time


def write_utf16(path, text):
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))


def task_list(name, src, dst):
    return ("[General]\nTaskListName=%s\nSaveLog=1\nAddDateStr=0\nTaskCount=1\n\n"
            "[Task0]\nSrcPath=%s\nDstPath=%s\nIncludingSubDirs=1\nMirroring=0\nVerifying=0\nEnabled=1\n"
            "ExcludedItemCount=0\n\n" % (name, src, dst))


def prepare(dist, folder, work, small):
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(dist, folder)
    for f in os.listdir(folder):
        if f.endswith(".ini") or f.endswith(".log"):
            os.remove(os.path.join(folder, f))
    empty = os.path.join(work, "empty")
    os.makedirs(empty, exist_ok=True)
    out = folder + "-out"
    os.makedirs(out, exist_ok=True)
    write_utf16(os.path.join(folder, "start.ini"), task_list("start", empty, empty + "-copy"))
    os.makedirs(empty + "-copy", exist_ok=True)
    write_utf16(os.path.join(folder, "nochange.ini"), task_list("nochange", small, out))
    write_utf16(os.path.join(folder, "tsumiki.ini"),
                "[TaskListManager]\nTaskListCount=2\nTaskList0=%s\nTaskList1=%s\n\n"
                % (os.path.join(folder, "start.ini"), os.path.join(folder, "nochange.ini")))


def run(folder, name, env):
    r0 = resource.getrusage(resource.RUSAGE_CHILDREN)
    t0 = time.perf_counter()
    p = subprocess.run([os.path.join(folder, "tsumiki"), "/t=" + name, "/s"], env=env, cwd=folder,
                       capture_output=True)
    t1 = time.perf_counter()
    r1 = resource.getrusage(resource.RUSAGE_CHILDREN)
    if p.returncode != 0:
        sys.exit("%s /t=%s failed with %d: %s" % (folder, name, p.returncode, p.stderr.decode(errors="replace")))
    return t1 - t0, (r1.ru_utime - r0.ru_utime) + (r1.ru_stime - r0.ru_stime)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("a")
    ap.add_argument("b")
    ap.add_argument("--rounds", type=int, default=15)
    ap.add_argument("--work", default="/tmp/tsumiki-bench")
    ap.add_argument("--display")
    args = ap.parse_args()
    small = os.path.join(args.work, "small")
    if not os.path.isdir(small):
        sys.exit("make the tree first: GENERATE_ONLY=1 bench/run.sh " + args.work)
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    if args.display:
        env["DISPLAY"] = args.display
    folders = {}
    for label, dist in (("A", args.a), ("B", args.b)):
        folders[label] = os.path.join(args.work, "compare-" + label)
        prepare(dist, folders[label], args.work, small)
        run(folders[label], "nochange", env)  # the first copy, so that later runs find nothing changed
    print("# %s, %s, %d rounds, medians; A = %s, B = %s" % (
        time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()),
        "display " + args.display if args.display else "no display", args.rounds, args.a, args.b))
    for name, what in (("start", "start (a task with nothing to copy)"),
                       ("nochange", "no change, 100,000 files")):
        times = {"A": ([], []), "B": ([], [])}
        for i in range(args.rounds):
            for label in (("A", "B") if i % 2 == 0 else ("B", "A")):
                wall, cpu = run(folders[label], name, env)
                times[label][0].append(wall)
                times[label][1].append(cpu)
        line = [what + ":"]
        for label in ("A", "B"):
            line.append("%s wall %.1f ms, cpu %.1f ms;" % (
                label, statistics.median(times[label][0]) * 1000, statistics.median(times[label][1]) * 1000))
        print(" ".join(line))


if __name__ == "__main__":
    main()
