"""Power cuts: the test runner drives them, since cutting the power (killing
the prefix's wineserver) ends the test binary too. The points to cut at are
the test binary's own sample (its count step prints them), the same as the
interrupted runs take."""
import os
import shutil
import signal
import subprocess
import time
from pathlib import Path


# Each operation of each machine, by the name its result is counted under; the standard user's
# suite runs in that user's prefix.
POWER_CUT_TESTS = {"PowerCut.XpFirstInstall": ("xp", "first install"),
                   "PowerCut.XpUninstall": ("xp", "uninstall"),
                   "StandardUserPowerCut.Win10FirstInstall": ("win10", "first install"),
                   "StandardUserPowerCut.Win10Apply": ("win10", "apply"),
                   "StandardUserPowerCut.Win10Uninstall": ("win10", "uninstall")}
POWER_CUT_STEP = "PowerCutStep.*"
REGISTRY_FILES = ("system.reg", "user.reg", "userdef.reg")


def sampled_points(lines):
    """The points the count step printed ("[ POINTS   ] 1 5 9"), 1-based."""
    for line in lines:
        if line.startswith("[ POINTS   ]"):
            return [int(k) for k in line[len("[ POINTS   ]"):].split()]
    return []


def prefix_processes(wine):
    """The processes of this prefix, its wineserver included."""
    found = []
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            if f"WINEPREFIX={wine.prefix}".encode() in (proc / "environ").read_bytes().split(b"\0"):
                found.append(int(proc.name))
        except OSError:
            pass
    return found


def cut_power(wine):
    """Kills the prefix's wineserver at once, so that the registry keeps only
    what the server had saved, then every other process of the prefix (a
    process without its server may hang instead of ending)."""
    def server(pid):
        try:
            return Path(f"/proc/{pid}/exe").resolve().name.startswith("wineserver")
        except OSError:
            return False

    end = time.monotonic() + 30
    while time.monotonic() < end:
        pids = sorted(prefix_processes(wine), key=lambda pid: not server(pid))
        if not pids:
            break
        for pid in pids:
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        time.sleep(0.2)


def power_cut_step(wine, machine, op, step, at=None, stall=None):
    """One step of the test binary's power-cut test; its gtest lines, or None
    for a step that the cut ended."""
    env = dict(wine.env, MERVALIS_POWER_CUT=f"{machine}:{op}:{step}")
    if at:
        env["MERVALIS_POWER_CUT_AT"] = str(at)
    if stall:
        env["MERVALIS_CRASH_STALL"] = "Z:" + str(stall).replace("/", "\\")
    cmd = wine.command(["wine", wine.bin / "win_tests.exe", "--gtest_color=no", "--gtest_filter=" + POWER_CUT_STEP])
    proc = subprocess.Popen(cmd, env=env, stdout=subprocess.PIPE, stderr=wine.log, text=True, errors="replace",
                            start_new_session=True)
    if stall:
        end = time.monotonic() + 120
        while not stall.exists() and proc.poll() is None and time.monotonic() < end:
            time.sleep(0.1)
        cut_power(wine)
        proc.communicate()
        return None if stall.exists() else ["[  FAILED  ] the run never reached the point"]
    out, _ = proc.communicate(timeout=900)
    wine.log.write(out)
    return out.splitlines()


def power_cut(wine, chosen, machine, display):
    """For a sample of each operation's points: the state it starts from, on
    the disk (the server saved); the registry as the operation's last flush
    before the point saved it (the operation run to that flush, the server
    saved); then the operation again from the start, the power cut at the
    point, that registry put back, and the test binary's check."""
    tests = [(name, op) for name, (m, op) in POWER_CUT_TESTS.items() if m == machine and chosen(name)]
    if not tests:
        return {}
    wine.start_display(display)
    wine.use_virtual_desktop(display)
    points_file, stall = wine.bin / "crash-points.txt", wine.bin / "power-cut-stalled"
    saved = wine.folder / "saved-registry"
    results = {}
    for name, op in tests:
        started = time.monotonic()

        def step(*args, **kwargs):
            lines = power_cut_step(wine, machine, op, *args, **kwargs)
            wine.shutdown_server()
            if lines is not None and not any(l.startswith("[  PASSED  ] 1 test") for l in lines):
                failures = [i for i, l in enumerate(lines) if l.endswith(": Failure")]
                shown = lines[failures[0]:] if failures else lines[-20:]
                raise RuntimeError(f"step {args[0]}:\n" + "\n".join(l for l in shown if not l.startswith("["))[:3000])
            return lines

        def keep_registry():
            saved.mkdir(exist_ok=True)
            for f in REGISTRY_FILES:
                shutil.copy2(wine.prefix / f, saved / f)

        try:
            points = sampled_points(step("count"))
            names = points_file.read_text().splitlines()
            if not points:
                raise RuntimeError("the count step named no points")
            for k in points:
                flushes = [i for i in range(1, k) if names[i - 1] == "registry flushed"]
                step("prepare")
                if flushes:
                    # Ends at the flush: the registry as the flush put it on the disk.
                    power_cut_step(wine, machine, op, "run", at=flushes[-1])
                    wine.shutdown_server()
                    keep_registry()
                    step("prepare")
                else:
                    keep_registry()
                stall.unlink(missing_ok=True)
                if power_cut_step(wine, machine, op, "run", at=k, stall=stall) is not None:
                    raise RuntimeError(f"point {k} ({names[k - 1]}) was never reached")
                stall.unlink(missing_ok=True)
                for f in REGISTRY_FILES:
                    shutil.copy2(saved / f, wine.prefix / f)
                try:
                    step("check")
                except RuntimeError as e:
                    raise RuntimeError(f"cut at point {k} of {len(names)} ({names[k - 1]}): {e}") from None
            results[name] = "OK"
            print(f"[       OK ] {name}: {len(names)} points, cut at {points}, "
                  f"{time.monotonic() - started:.0f} s", flush=True)
        except (RuntimeError, OSError, subprocess.TimeoutExpired) as e:
            results[name] = "FAILED"
            print(f"[  FAILED  ] {name}: {e}", flush=True)
    return results
