#!/usr/bin/env python3
"""syscall_census.py TRACE_PREFIX...

Reads `strace -ff -tt -o PREFIX` traces and counts the system calls that
conversion workers made once they were shut in: in a worker process, every
call from its Hello on ("1HWT" sent on the channel); in the census run of
tarvel-worker-bench, every call from its "census: start" line on. The threads
of those processes count from the same moment. Prints one line per system
call (name, count, how many of them the sandbox refused, and for ioctl,
prctl, socket, open and the calls that name a process, the arguments seen).
A refused call in a run that converted everything it should is harmless (a
library probing); one that made a picture fail is a call the allow list
(worker/worker_syscalls.cpp) lacks.
"""
import collections
import glob
import re
import sys

LINE = re.compile(r'^(\d\d:\d\d:\d\d\.\d+) (?:<\.\.\. )?([a-z_0-9]+)(?: resumed>)?\(?(.*)$')
RESULT = re.compile(r'= (-?\d+)')
# Calls whose arguments say what they act on: the first argument or two.
DETAIL_ARGS = {'ioctl': (1,), 'prctl': (0,), 'socket': (0,), 'kill': (0,), 'tgkill': (0,), 'tkill': (0,),
               'prlimit64': (0, 1), 'setpriority': (0, 1), 'sched_setaffinity': (0,), 'sched_getaffinity': (0,),
               'ioprio_set': (0, 1), 'openat': (1, 2), 'clone': (1,), 'mmap': (2,), 'mprotect': (2,),
               'madvise': (2,), 'futex': (1,), 'rt_sigprocmask': (0,), 'fcntl': (1,)}


def read(path):
    entries = []
    for text in open(path, errors='replace'):
        match = LINE.match(text.rstrip('\n'))
        if match:
            entries.append(match.groups())
    return entries


def arguments(rest):
    # Splits the top-level arguments of a traced call.
    out, depth, word = [], 0, ''
    for ch in rest:
        if ch in '([{':
            depth += 1
        elif ch in ')]}':
            if depth == 0:
                out.append(word.strip())
                return out
            depth -= 1
        if ch == ',' and depth == 0:
            out.append(word.strip())
            word = ''
        else:
            word += ch
    out.append(word.strip())
    return out


def main():
    traces = {}
    for prefix in sys.argv[1:]:
        for path in glob.glob(prefix + '.*'):
            traces[(prefix, int(path.rsplit('.', 1)[1]))] = read(path)
    creator, is_thread, started = {}, {}, {}
    for (prefix, tid), entries in traces.items():
        for stamp, call, rest in entries:
            if call in ('clone', 'clone3', 'fork', 'vfork'):
                result = RESULT.search(rest)
                if result and int(result.group(1)) > 0:
                    child = (prefix, int(result.group(1)))
                    creator[child] = (prefix, tid)
                    is_thread[child] = 'CLONE_THREAD' in rest
            elif (call == 'sendto' and ('"1HWT' in rest)) or (call == 'write' and 'census: start' in rest):
                started.setdefault((prefix, tid), stamp)

    def leader(key):
        while is_thread.get(key):
            key = creator[key]
        return key

    counts = collections.Counter()
    refused = collections.Counter()
    details = collections.defaultdict(collections.Counter)
    for key, entries in traces.items():
        since = started.get(leader(key))
        if since is None:
            continue
        for stamp, call, rest in entries:
            if stamp < since or rest.startswith('...') and call not in DETAIL_ARGS:
                continue
            counts[call] += 1
            if re.search(r'= -1 (ENOSYS|EPERM|EACCES) ', rest):
                refused[call] += 1
            if call in DETAIL_ARGS:
                args = arguments(rest)
                seen = ', '.join(args[i] for i in DETAIL_ARGS[call] if i < len(args))
                details[call][re.sub(r'0x[0-9a-f]{6,}', 'ADDR', seen)[:80]] += 1
    for call in sorted(counts):
        print(f'{call:24} {counts[call]:8}' + (f'  refused {refused[call]}' if refused[call] else ''))
        for seen, n in details[call].most_common(12):
            print(f'    {seen}  ({n})')


if __name__ == '__main__':
    main()
