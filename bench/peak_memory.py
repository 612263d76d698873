#!/usr/bin/env python3
"""peak_memory.py COMMAND [ARGS...]

Runs a command and samples, every 5 ms, the memory of it and of all its
descendants (the conversion workers), summed. Prints on stderr, in MB:
  peak_memory: total_mb=T total_pss_mb=S parent_mb=P largest_child_mb=C
total_mb is the largest sum of resident sizes seen; it counts the pages of
shared libraries once per process. total_pss_mb sums proportional set sizes
instead, which share those pages out: the memory the run really took.
parent_mb and largest_child_mb are the largest resident sizes of the parent
and of any one worker. The command's own output passes through.
"""
import os
import subprocess
import sys
import time


def field_kb(path, name):
    try:
        with open(path) as lines:
            for line in lines:
                if line.startswith(name):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def rss_kb(pid):
    return field_kb(f"/proc/{pid}/status", "VmRSS:")


def pss_kb(pid):
    return field_kb(f"/proc/{pid}/smaps_rollup", "Pss:")


def descendants(pid):
    found = []
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return found
    for task in tasks:
        try:
            with open(f"/proc/{pid}/task/{task}/children") as children:
                for child in children.read().split():
                    found.append(int(child))
                    found.extend(descendants(int(child)))
        except OSError:
            pass
    return found


def main():
    process = subprocess.Popen(sys.argv[1:])
    total = total_pss = parent = child = 0
    while process.poll() is None:
        tree = descendants(process.pid)
        own = rss_kb(process.pid)
        others = [rss_kb(p) for p in tree]
        total = max(total, own + sum(others))
        total_pss = max(total_pss, pss_kb(process.pid) + sum(pss_kb(p) for p in tree))
        parent = max(parent, own)
        child = max([child] + others)
        time.sleep(0.005)
    print(f"peak_memory: total_mb={total / 1024:.1f} total_pss_mb={total_pss / 1024:.1f} "
          f"parent_mb={parent / 1024:.1f} "
          f"largest_child_mb={child / 1024:.1f}", file=sys.stderr)
    return process.returncode


if __name__ == "__main__":
    sys.exit(main())
