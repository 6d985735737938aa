"""bench/measure.py - running one command and what it cost: wall, user and
system time, peak resident memory and peak anonymous memory (the heap and
stacks alone, sampled from /proc), shared by the benchmark scripts."""
import os
import pty
import subprocess
import threading
import time

PAGE_KIB = os.sysconf("SC_PAGE_SIZE") // 1024


class Usage:
    """What one run of a command cost."""

    def __init__(self, wall, user, system, peak_rss, peak_anon, output, code, peak_anon_before=0):
        self.wall, self.user, self.system, self.cpu = wall, user, system, user + system
        self.peak_rss, self.peak_anon = peak_rss, peak_anon  # KiB
        self.peak_anon_before = peak_anon_before  # KiB, before the marker appeared
        self.output, self.code = output, code


def sample_anon(pid, peak, done, phase):
    """Samples the anonymous resident memory (heap, stacks; no mapped files)
    of `pid` until `done` is set; the highest value seen goes to peak[0],
    the highest seen before `phase` was set to peak[1]."""
    path = "/proc/%d/statm" % pid
    while not done.is_set():
        try:
            with open(path) as f:
                fields = f.read().split()
            anon = (int(fields[1]) - int(fields[2])) * PAGE_KIB
            peak[0] = max(peak[0], anon)
            if not phase.is_set():
                peak[1] = max(peak[1], anon)
        except (OSError, ValueError, IndexError):
            return
        done.wait(0.005)


def watch_progress(master, text, phase):
    """Reads the progress line the program draws on the terminal `master`
    until it closes; sets `phase` once `text` was drawn."""
    seen = b""
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:
            break
        if not chunk:
            break
        seen = seen[-len(text):] + chunk
        if text in seen:
            phase.set()
    os.close(master)


def measure(args, cwd=None, phase_text=None):
    """Runs `args`. With `phase_text` (bytes), the program's progress goes to
    a terminal of its own, and the memory before that text first shows is
    kept apart (peak_anon_before)."""
    os.sync()  # the previous run's writes are not this one's
    start = time.perf_counter()
    phase, watcher = threading.Event(), None
    if phase_text:
        master, slave = pty.openpty()
        process = subprocess.Popen(args, cwd=cwd, stdout=subprocess.PIPE, stderr=slave)
        os.close(slave)
        watcher = threading.Thread(target=watch_progress, args=(master, phase_text, phase))
        watcher.start()
    else:
        process = subprocess.Popen(args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    peak, done = [0, 0], threading.Event()
    sampler = threading.Thread(target=sample_anon, args=(process.pid, peak, done, phase))
    sampler.start()
    output = process.stdout.read()
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    done.set()
    sampler.join()
    if watcher:
        watcher.join()
    process.returncode = os.waitstatus_to_exitcode(status)
    return Usage(wall, usage.ru_utime, usage.ru_stime, usage.ru_maxrss, peak[0],
                 output.decode("utf-8", "replace"), process.returncode, peak[1])


def mib(kib):
    return kib / 1024.0
