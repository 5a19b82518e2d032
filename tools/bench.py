#!/usr/bin/env python3
"""Benchmarks of the build that users run, with one line per figure.

- the composition of the background bitmap against its floor (decoding the
  two pictures and writing the bitmap), natively and as the i686 build under
  Wine;
- the silent `apply` run of Mervalis.exe against an empty windowed program
  started the same way in the same Wine prefix: medians of alternating pairs,
  wall time and CPU time, with the whole Wine session on one processor (see
  apply_pairs), repeatable for comparing builds, and without, as users' machines
  run it, where the goal holds;
- the peak memory of the `apply` run (the largest resident size of its Wine
  process, read from Linux when it ends) on a small and a very large screen;
- the sizes of Mervalis.exe and quorvanexrun.ocx.

Each Wine run has a prefix and a virtual display of the benchmark's own, as
the tests have (the Wine class of run_tests.py).
"""
import argparse
import hashlib
import os
import select
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from run_tests import ROOT, Wine  # noqa: E402

MIB = 1024 * 1024
GOALS = {"compose": 1.3, "apply": 1.4, "memory": 1.25}
SIZE_LIMITS = {"Mervalis.exe": 1_310_720, "quorvanexrun.ocx": 65_536}


def line(text):
    print(text, flush=True)


def goal_text(ratio, goal):
    if goal is None:
        return ""
    return f"  (goal <= {goal:.2f}: {'met' if ratio <= goal else 'NOT met'})"


def compose_lines(cmd, env, label, goal):
    """Runs the composition timer and prints its figures with their goal."""
    proc = subprocess.run(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          errors="replace", timeout=1200)
    figures = [l for l in proc.stdout.splitlines() if l.startswith("compose ")]
    if proc.returncode != 0 or not figures:
        line(f"{label}  composition timer failed ({proc.returncode}): {proc.stderr.strip()[:500]}")
        return False
    for f in figures:
        ratio = float(f.rsplit("ratio", 1)[1])  # of the fastest runs
        big = " 3840x2160 " in f
        line(f"{label}  {f}{goal_text(ratio, goal if big else None)}")
    return True


def timed_run(cmd, env, log, timeout=120, cpus=None):
    """Wall seconds, CPU seconds and peak resident bytes of one process,
    measured from Linux; exit code too. With `cpus`, the process and all it
    starts run only on those processors."""
    start = time.perf_counter()
    pin = (lambda: os.sched_setaffinity(0, cpus)) if cpus else None
    proc = subprocess.Popen(cmd, env=env, stdout=log, stderr=log, preexec_fn=pin)
    # Woken when the process ends, not some time after: a polling loop
    # would add up to its period to every run.
    ended = os.pidfd_open(proc.pid)
    try:
        finished = select.select([ended], [], [], timeout)[0]
    finally:
        os.close(ended)
    if not finished:
        proc.kill()
        os.wait4(proc.pid, 0)
        raise RuntimeError(f"{cmd[-2:]} did not end within {timeout} s")
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024, proc.returncode


# Where the benchmark's prefix lives: in memory (tmpfs). `apply` replaces a
# file of up to 25 MB at every run, and this machine's ext4, mounted with
# `discard`, frees such a file slowly, a cost that users' NTFS does not have:
# on ext4 the figures would weigh a quirk of ours.
MEMORY_FOLDER = Path("/dev/shm")


class BenchWine(Wine):
    """The test runner's Wine, with its prefix in memory where it can be
    (else under build/bench)."""

    def __init__(self, build):
        root = build / "bench"
        if MEMORY_FOLDER.is_dir():
            root = MEMORY_FOLDER / ("mervalis-bench-" + hashlib.sha1(str(build).encode()).hexdigest()[:12])
        super().__init__(root)
        self.real_build = build
        self.memory_root = root if root.is_relative_to(MEMORY_FOLDER) else None

    def close(self):
        super().close()
        if self.memory_root:
            shutil.rmtree(self.memory_root, ignore_errors=True)

    def screen(self, width, height):
        geometry = f"{width}x{height}x24"
        self.start_display(geometry)
        self.use_virtual_desktop(geometry)
        # The desktop process starts with the first program; it is not timed.
        self.wine(self.exe("empty_window.exe"))

    def exe(self, name):
        return self.real_build / "win32" / "bin" / name

    def pin_session(self, cpus):
        """Every thread of the X server and of this prefix's Wine processes
        (wineserver, the desktop process, the services) on `cpus`."""
        pids = [self.xvfb.pid] if self.xvfb else []
        marker = f"WINEPREFIX={self.prefix}".encode()
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                if marker in (entry / "environ").read_bytes().split(b"\0"):
                    pids.append(int(entry.name))
            except OSError:
                pass
        for pid in pids:
            try:
                for task in Path(f"/proc/{pid}/task").iterdir():
                    os.sched_setaffinity(int(task.name), cpus)
            except OSError:
                pass  # ended meanwhile


def apply_pairs(wine, pairs, width, height, pinned=True):
    """Alternating runs of the empty program and `apply`; their medians.

    Pinned, the X server, the Wine session and the timed program share one
    processor. Every Wine call that asks the wineserver (thousands, already
    for starting a process) then hands over on that processor, instead of
    waking the other one: in a virtual machine such a wake-up costs tens of
    microseconds, and whether a run gets it depends on where the scheduler
    happens to put the processes. Unpinned, the same two builds measured
    ratios between 1.3 and 1.7 from one run of this benchmark to the next;
    pinned, the medians repeat within a few per cent."""
    wine.screen(width, height)
    cpus = {min(os.sched_getaffinity(0))} if pinned else set(os.sched_getaffinity(0))
    wine.pin_session(cpus)
    empty_cmd = ["wine", str(wine.exe("empty_window.exe"))]
    apply_cmd = ["wine", str(wine.exe("Mervalis.exe")), "apply"]
    timed_run(apply_cmd, wine.env, wine.log, cpus=cpus)  # warm-up: first writes, caches
    empty, apply = [], []
    for _ in range(pairs):
        empty.append(timed_run(empty_cmd, wine.env, wine.log, cpus=cpus))
        apply.append(timed_run(apply_cmd, wine.env, wine.log, cpus=cpus))
    failed = [r[3] for r in apply if r[3] != 0]
    if failed:
        line(f"i686/Wine  apply {width}x{height}: exit codes {failed}")
    med = lambda runs, i: statistics.median(r[i] for r in runs)  # noqa: E731
    return {"wall": (med(apply, 0), med(empty, 0)), "cpu": (med(apply, 1), med(empty, 1)),
            "peak": med(apply, 2), "empty_peak": med(empty, 2)}


def run_wine(build, pairs, runs, parts=("compose", "apply", "desktop")):
    wine = BenchWine(build)
    ok = True
    try:
        wine.make_prefix()
        wine.screen(1024, 768)
        assets = ROOT / "src" / "ui" / "assets"
        out = build / "bench"
        z = lambda p: "Z:" + str(p).replace("/", "\\")  # noqa: E731
        if "compose" in parts:
            ok &= compose_lines(["wine", str(wine.exe("compose_timing.exe")), z(assets / "scene.jpg"),
                                 z(assets / "frame.jpg"), z(out), str(runs)], wine.env, "i686/Wine  ",
                                GOALS["compose"])
        if "apply" in parts:
            apply_lines(wine, pairs)
        if "desktop" in parts:
            ok &= desktop_cost(wine)  # last: it sets the program's Windows version to 10
    finally:
        wine.close()
    return ok


def apply_lines(wine, pairs):
    """`apply` against the empty program, pinned (repeatable, for comparing
    builds) and unpinned as a user's machine runs them, where the goal holds;
    then its peak memory on a small and a very large screen, also unpinned."""
    for width, height in ((1024, 768), (3840, 2160)):
        r = apply_pairs(wine, pairs, width, height)
        (a, e), (ac, ec) = r["wall"], r["cpu"]
        line(f"i686/Wine    apply {width}x{height} wall, pinned {a:6.3f} s   empty window {e:6.3f} s   "
             f"ratio {a / e:.2f}")
        line(f"i686/Wine    apply {width}x{height} CPU, pinned  {ac:6.3f} s   empty window {ec:6.3f} s   "
             f"ratio {ac / ec:.2f}")
    r = apply_pairs(wine, pairs, 3840, 2160, pinned=False)
    (a, e) = r["wall"]
    line(f"i686/Wine    apply 3840x2160 wall, unpinned (varies from run to run) {a:6.3f} s   "
         f"empty window {e:6.3f} s   ratio {a / e:.2f}{goal_text(a / e, GOALS['apply'])}")
    peaks = {}
    for width, height in ((1024, 768), (7680, 4320)):
        r = apply_pairs(wine, 3, width, height, pinned=False)
        peaks[(width, height)] = r["peak"]
        line(f"i686/Wine    apply {width}x{height} peak memory {r['peak'] / MIB:6.1f} MiB   "
             f"empty window {r['empty_peak'] / MIB:6.1f} MiB")
    small, large = peaks[(1024, 768)], peaks[(7680, 4320)]
    line(f"i686/Wine    apply peak memory 7680x4320 {large / MIB:.1f} MiB vs 1024x768 "
         f"{small / MIB:.1f} MiB   ratio {large / small:.2f}{goal_text(large / small, GOALS['memory'])}")


def desktop_cost(wine, rounds=5, seconds=10):
    """The `desktop` mode, stretched, on the shell stand-in (the Windows 10
    layout), as after an install: on one monitor of 1920x1080 and on two
    (1920x1080 and 1280x1024 to its right). Its cost is its own CPU time and
    that of the prefix's wineserver and of the X server, which work for it
    too, as a share of one core, read from Linux (/proc): Wine gives no times
    of other processes. The yardstick is a program that only wakes every
    31 ms, the frame period (`empty_window timer`). The two take turns,
    `rounds` times `seconds` each, with the X server and every process of the
    prefix on one processor (as the `apply` pairs, for the same reason: each
    frame asks the wineserver and the X server, and a wake-up of the other
    processor costs more than the question); the figures are the medians.
    Goals: the mode at most 4 times the timer program on one monitor, two
    monitors at most 1.8 times one. Then one monitor of 3840x2160 at 200 %
    (LogPixels 192) against the 1920x1080 one at 100 %, with its ratio. Its memory: the peak working set (the
    largest resident size, Wine's own libraries included) and the private
    memory (the anonymous part of it, sampled), on one monitor at most
    40 MiB, and what the second monitor adds at most 1.5 times its pixels'
    4 bytes."""
    import threading

    def said(proc, word, timeout):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if select.select([proc.stdout], [], [], 0.5)[0]:
                text = proc.stdout.readline()
                if not text:
                    return False
                if word in text:
                    return True
        return False

    def status(pid):
        fields = {}
        for row in Path(f"/proc/{pid}/status").read_text().splitlines():
            key, _, value = row.partition(":")
            if value.strip().endswith("kB"):
                fields[key] = int(value.split()[0]) * 1024
        return fields

    def cpu(pid):
        """CPU seconds of each thread: the scheduler's nanoseconds where
        Linux gives them (the 10 ms steps of utime and stime would make a
        tenth of the timer program's figure), else those steps."""
        times = {}
        for task in Path(f"/proc/{pid}/task").iterdir():
            try:
                ran = int((task / "schedstat").read_text().split()[0]) / 1e9
                if ran == 0:
                    stat = (task / "stat").read_text().rsplit(")", 1)[1].split()
                    ran = (int(stat[11]) + int(stat[12])) / os.sysconf("SC_CLK_TCK")
                times[task.name] = ran
            except (OSError, IndexError, ValueError):
                pass  # ended meanwhile
        return times

    def wineserver_pid():
        for entry in Path("/proc").iterdir():
            try:
                if entry.name.isdigit() and (entry / "comm").read_text().startswith("wineserver") and \
                        f"WINEPREFIX={wine.prefix}".encode() in (entry / "environ").read_bytes().split(b"\0"):
                    return int(entry.name)
            except OSError:
                continue
        return None

    def cost(proc):
        """Shares of one core over `seconds`: the process, wineserver, X."""
        pids = {"own": proc.pid, "wineserver": wineserver_pid(), "X server": wine.xvfb.pid}
        before = {name: cpu(pid) for name, pid in pids.items() if pid}
        start = time.monotonic()
        time.sleep(seconds)
        elapsed = time.monotonic() - start
        shares = {}
        for name, used in before.items():
            now = cpu(pids[name])
            shares[name] = 100 * sum(t - used.get(tid, 0.0) for tid, t in now.items()) / elapsed
        return shares

    def stop(*procs):
        for proc in procs:
            if proc and proc.poll() is None:
                proc.kill()
                proc.wait()

    def median(runs):
        return {name: statistics.median(r[name] for r in runs) for name in runs[0]}

    def text(shares):
        return f"{sum(shares.values()):5.2f} % of one core (" + ", ".join(
            f"{name} {value:.2f} %" for name, value in shares.items()) + ")"

    private = [0]  # the largest anonymous resident size seen, from the start

    def sample_private(proc):
        while proc.poll() is None:
            try:
                private[0] = max(private[0], status(proc.pid).get("RssAnon", 0))
            except OSError:
                return
            time.sleep(0.05)

    def measure_mode(label, pin):
        """One run of the mode: its shares, its peak working set; None when
        it did not run throughout."""
        shell = subprocess.Popen(["wine", str(wine.exe("shell_standin.exe")), "win10"], env=wine.env,
                                 stdout=subprocess.PIPE, stderr=wine.log, text=True, preexec_fn=pin)
        desktop = None
        try:
            if not said(shell, "ready", 60):
                line(f"{label}: the shell stand-in did not start")
                return None
            desktop = subprocess.Popen(["wine", str(wine.exe("Mervalis.exe")), "desktop"], env=wine.env,
                                       stdout=wine.log, stderr=wine.log, preexec_fn=pin)
            threading.Thread(target=sample_private, args=(desktop,), daemon=True).start()
            # Placed once it asked the shell for its place; then the scenes
            # are built and run.
            if not said(shell, "raised", 60):
                line(f"{label}: the desktop mode found no place")
                return None
            time.sleep(5)
            shares = cost(desktop)
            peak = status(desktop.pid)["VmHWM"]
            if desktop.poll() is not None:
                line(f"{label}: the desktop mode ended during the measurement")
                return None
            return shares, peak
        finally:
            stop(desktop, shell)

    # The last: a 4K monitor at 200 %, whose scene has the fish and bubbles
    # of 1920x1080 drawn at twice their size, against the first.
    scaled = "3840x2160 at 200 %"
    displays = (("1920x1080", "1920x1080x24"), ("1920x1080 + 1280x1024", "3200x1080x24:1920x1080+0+0,1280x1024+1920+0"),
                (scaled, "3840x2160x24"))
    desktop_key = r"HKCU\Control Panel\Desktop"
    wine.wine("reg", "add", r"HKCU\Software\Quorvanesoft\Options", "/v", "Mervalis", "/d", "5", "/f")
    mode_totals, memories = {}, {}
    cpus = {min(os.sched_getaffinity(0))}
    pin = lambda: os.sched_setaffinity(0, cpus)  # noqa: E731
    for name, geometry in displays:
        wine.wine("reg", "delete", r"HKCU\Software\Wine\AppDefaults\Mervalis.exe", "/v", "Version", "/f")
        if name == scaled:
            wine.wine("reg", "add", desktop_key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "192", "/f")
        if ":" in geometry:
            wine.start_display(geometry)
            wine.use_monitors()
            wine.wine(wine.exe("empty_window.exe"))
        else:
            wine.screen(*map(int, geometry.split("x")[:2]))
        # The background for the screen, as the install leaves it; then the
        # program runs as on Windows 10.
        timed_run(["wine", str(wine.exe("Mervalis.exe")), "apply"], wine.env, wine.log)
        wine.wine("reg", "add", r"HKCU\Software\Wine\AppDefaults\Mervalis.exe", "/v", "Version", "/d", "win10", "/f")
        wine.pin_session(cpus)
        label = f"i686/Wine    desktop {name} stretched"

        yardsticks, modes, peaks = [], [], []
        private[0] = 0
        for _ in range(rounds):
            timer = subprocess.Popen(["wine", str(wine.exe("empty_window.exe")), "timer"], env=wine.env,
                                     stdout=wine.log, stderr=wine.log, preexec_fn=pin)
            try:
                time.sleep(3)
                yardsticks.append(cost(timer))
            finally:
                stop(timer)
            measured = measure_mode(label, pin)
            if not measured:
                return False
            modes.append(measured[0])
            peaks.append(measured[1])
        yardstick, shares = median(yardsticks), median(modes)
        line(f"{label}: 31 ms timer program {text(yardstick)}")
        total, floor = sum(shares.values()), sum(yardstick.values())
        mode_totals[name] = total
        ratio = total / floor if floor > 0 else float("inf")
        line(f"{label}: the mode {text(shares)}, {ratio:.1f}x the timer program"
             + (goal_text(ratio, 4.0) if len(mode_totals) == 1 else ""))
        line(f"{label}: (medians of {rounds} turns of {seconds} s, one processor; each turn's ratio: "
             + ", ".join(f"{sum(m.values()) / sum(y.values()):.1f}x" if sum(y.values()) > 0 else "-"
                        for m, y in zip(modes, yardsticks)) + ")")
        if len(mode_totals) == 1:
            # Wine 8 shows no child window of another process's window.
            line(f"{label}: (composed and sent; Wine shows none of it, so the X server's work "
                 "of showing the frames is missing: see docs/benchmarks.md)")
        memory = max(peaks)
        if name == scaled:
            wine.wine("reg", "delete", desktop_key, "/v", "LogPixels", "/f")
            line(f"{label}: peak working set {memory / MIB:5.1f} MiB, private memory {private[0] / MIB:5.1f} MiB")
            continue
        memories[name] = (memory, private[0])
        if len(memories) == 1:
            goal_mib = 40
            for what, value in (("peak working set", memory), ("private memory  ", private[0])):
                line(f"{label}: {what} {value / MIB:5.1f} MiB  (goal <= {goal_mib} MiB: "
                     f"{'met' if value <= goal_mib * MIB else 'NOT met'})")
        else:
            # What the second monitor adds, against its pixels at 4 bytes
            # each: the memory grows with the pixels and no more.
            pixels = 1280 * 1024 * 4
            first = next(iter(memories.values()))
            for i, what in enumerate(("peak working set", "private memory  ")):
                grown = memories[name][i]
                growth = (grown - first[i]) / pixels
                line(f"{label}: {what} {grown / MIB:5.1f} MiB, {(grown - first[i]) / MIB:+.1f} MiB for "
                     f"{pixels / MIB:.1f} MiB of the second monitor's pixels: {growth:.2f}x{goal_text(growth, 1.5)}")
    one, two, four_k = (mode_totals.get(name) for name, _ in displays)
    if one and two:
        line(f"i686/Wine    desktop two monitors against one: {two / one:.2f}x{goal_text(two / one, 1.8)}")
    if one and four_k:
        line(f"i686/Wine    desktop {scaled} against 1920x1080 at 100 %: {four_k / one:.2f}x")
    return True


def sizes(build):
    for name, limit in SIZE_LIMITS.items():
        path = build / "win32" / "bin" / name
        size = path.stat().st_size
        line(f"size         {name} {size:,} bytes   limit {limit:,}   ratio {size / limit:.2f}"
             f"{goal_text(size / limit, 1.0)}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=str(ROOT / "build"))
    parser.add_argument("--pairs", type=int, default=21, help="alternating pairs of apply runs (at least 7)")
    parser.add_argument("--runs", type=int, default=15, help="alternating composition runs")
    parser.add_argument("--only", choices=["native", "wine", "size", "compose", "apply", "desktop"],
                        help="one target, or one group of the Wine figures")
    args = parser.parse_args()
    build = Path(args.build).resolve()
    (build / "bench").mkdir(parents=True, exist_ok=True)
    ok = True
    if args.only in (None, "native"):
        assets = ROOT / "src" / "ui" / "assets"
        ok &= compose_lines([str(build / "native" / "compose_timing"), str(assets / "scene.jpg"),
                             str(assets / "frame.jpg"), str(build / "bench"), str(args.runs)],
                            os.environ, "native x86-64", None)
    wine_parts = ("compose", "apply", "desktop")
    if args.only in (None, "wine") + wine_parts:
        parts = wine_parts if args.only in (None, "wine") else (args.only,)
        ok &= run_wine(build, max(7, args.pairs), args.runs, parts)
    if args.only in (None, "size"):
        sizes(build)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
