#!/usr/bin/env python3
"""One start of a browser program, timed from the server's access log.

    startup-probe.py ACCESS_LOG SETTLE_SECONDS TIMEOUT_SECONDS IDLE_SECONDS -- COMMAND...

Starts COMMAND, samples the total PSS of every process it starts (helpers
that detach are kept in the tree: this process is their subreaper) every
~100 ms, waits for the page's load report in the access log (see
load_report) and keeps sampling SETTLE_SECONDS after it, and then counts the
tree's own resident memory once (see own_kb). Then, when IDLE_SECONDS is not 0, it
leaves the program alone that long and takes the CPU time the tree used
meanwhile. Last it ends the tree. Prints one line: "<ms from launch to the
page's load> <peak PSS in KB> <own resident KB> <idle CPU ms, or 0> <launch
time, ms since the epoch as in the access log>".
"""
import array
import ctypes
import os
import signal
import subprocess
import sys
import time

PR_SET_CHILD_SUBREAPER = 36
LOADED = " /kinotray/ping/loaded"
PAGE = os.sysconf("SC_PAGE_SIZE")
PFN_MASK = (1 << 55) - 1


def descendants(root):
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        # The name in parentheses may hold spaces; the parent follows it.
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        children.setdefault(ppid, []).append(int(entry))
    found, todo = [], [root]
    while todo:
        for child in children.get(todo.pop(), []):
            found.append(child)
            todo.append(child)
    return found


def pss_kb(pids):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
                        break
        except OSError:
            pass
    return total


def own_kb(pids):
    """Resident pages of the tree, each counted once however many of its
    processes map it. Unlike PSS it does not shrink when a program outside
    the tree maps the same libraries (others on a shared machine)."""
    frames = set()
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps") as smaps, open(f"/proc/{pid}/pagemap", "rb") as pagemap:
                start = end = None
                for line in smaps:
                    if "-" in line.split(" ", 1)[0]:
                        start, end = (int(v, 16) for v in line.split(" ", 1)[0].split("-"))
                    elif line.startswith("Rss:") and int(line.split()[1]) > 0:
                        pagemap.seek(start // PAGE * 8)
                        entries = array.array("Q", pagemap.read((end - start) // PAGE * 8))
                        frames.update(e & PFN_MASK for e in entries if e >> 63)
        except OSError:
            pass
    return len(frames) * PAGE // 1024


def cpu_ms(pids):
    ticks = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        # utime and stime, plus what reaped children of this process used
        ticks += sum(int(v) for v in fields[11:15])
    return ticks * 1000 // os.sysconf("SC_CLK_TCK")


# The moment of the page's load: the page's own clock, when the log has it
# (a fifth field), or else the report's arrival. Through a relay the report
# takes one and a half round trips more to arrive, a new connection and the
# request, which is no part of the start.
def load_report(log, since_ms):
    try:
        with open(log) as f:
            for line in f:
                if LOADED in line:
                    fields = line.split()
                    stamp = int(fields[0])
                    if stamp >= since_ms:
                        return int(fields[4]) if len(fields) > 4 else stamp
    except (OSError, ValueError):
        pass
    return None


def main():
    log, settle, timeout = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
    idle = float(sys.argv[4])
    command = sys.argv[sys.argv.index("--") + 1:]
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    me = os.getpid()

    launched = int(time.time() * 1000)
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    peak, loaded, deadline = 0, None, time.time() + timeout
    while time.time() < deadline:
        peak = max(peak, pss_kb(descendants(me)))
        if loaded is None:
            loaded = load_report(log, launched)
            if loaded is not None:
                deadline = time.time() + settle
        time.sleep(0.1)

    own = own_kb(descendants(me)) if loaded is not None else 0
    idle_ms = 0
    if loaded is not None and idle > 0:
        before = cpu_ms(descendants(me))
        time.sleep(idle)
        idle_ms = cpu_ms(descendants(me)) - before

    for sig in (signal.SIGTERM, signal.SIGKILL):
        for pid in descendants(me):
            try:
                os.kill(pid, sig)
            except OSError:
                pass
        time.sleep(0.5)
    proc.wait()
    while True:  # reap what detached and came back to us
        try:
            if os.waitpid(-1, os.WNOHANG) == (0, 0):
                break
        except ChildProcessError:
            break
    if loaded is None:
        print("timeout", peak, 0, 0, launched)
        return 1
    print(loaded - launched, peak, own, idle_ms, launched)
    return 0


if __name__ == "__main__":
    sys.exit(main())
