#!/usr/bin/env python3
"""Runs every test suite of the project and ends with one summary line.

Suites: the runner's own checks, the native unit tests (sanitizers), the
page test in headless Chromium, and the Windows tests under Wine in a prefix
made for this run.
Exit status is non-zero when any test failed or when nothing ran.
"""
import argparse
import fnmatch
import hashlib
import os
import pwd
import queue
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from dpi_trace import check_awareness  # noqa: E402
from power_cut import POWER_CUT_STEP, POWER_CUT_TESTS, power_cut  # noqa: E402

ROOT = Path(__file__).resolve().parent.parent
RUN_LINE = re.compile(r"^\[ RUN      \] (\S+)")
RESULT_LINE = re.compile(r"^\[ +(OK|FAILED|SKIPPED) +\] (\S+) \(")
TIMEOUT_LINE = re.compile(r"^\[  TIMEOUT \] (\S+)")
# A Windows test that skipped itself for want of a display of this kind: a
# screen, and optionally the monitors on it ("3200x1080x24:1920x1080+1280+0,
# 1280x1024+0+0", the first one primary).
MONITOR = r"\d+x\d+\+\d+\+\d+"
DISPLAY_LINE = re.compile(rf"^\[ DISPLAY  \] (\d+x\d+x\d+(?::{MONITOR}(?:,{MONITOR})*)?) (\S+)")


class Tally:
    def __init__(self):
        self.suites = []  # (name, passed, failed, skipped)

    def add(self, name, passed, failed, skipped=0):
        self.suites.append((name, passed, failed, skipped))
        print(f"== {name}: {passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""),
              flush=True)

    def totals(self):
        return tuple(sum(s[i] for s in self.suites) for i in (1, 2, 3))


def parse_gtest(lines):
    """Results per test from GoogleTest's console output. A test that started
    but has no result (a crash, a timeout) counts as failed."""
    results, started = {}, []
    for line in lines:
        m = RUN_LINE.match(line)
        if m:
            started.append(m.group(1))
            continue
        m = RESULT_LINE.match(line)
        if m:
            results[m.group(2)] = m.group(1)
            continue
        m = TIMEOUT_LINE.match(line)
        if m:
            results[m.group(1)] = "FAILED"
    for name in started:
        results.setdefault(name, "FAILED")
    return results


def display_requests(lines):
    """The tests that asked for another display: {test: "WxHxBITS"}."""
    return {m.group(2): m.group(1) for m in map(DISPLAY_LINE.match, lines) if m}


def parse_display(geometry):
    """A display's kind as (X screen "WxHxBITS", [(width, height, x, y) of
    each monitor, the primary first]); no monitors: the screen is one."""
    screen, _, monitors = geometry.partition(":")
    return screen, [tuple(map(int, re.split(r"[x+]", m))) for m in monitors.split(",") if m]


def stream(cmd, env=None, log=None, timeout=None, test_timeout=None):
    """Runs a command, echoing its output; returns (exit code, lines).

    The command is ended when `timeout` seconds have passed, or when one test
    has taken `test_timeout` seconds (counted from the line that started it,
    or from the previous test's end). Either deadline holds while the command
    is silent: the output is read on a thread of its own."""
    lines = []
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=log or subprocess.STDOUT, env=env,
                            text=True, errors="replace", start_new_session=True)
    output = queue.Queue()

    def read():
        for line in proc.stdout:
            output.put(line)
        output.put(None)

    threading.Thread(target=read, daemon=True).start()
    now = time.monotonic()
    deadline = now + timeout if timeout else None
    test, test_deadline = None, now + test_timeout if test_timeout else None

    def left():
        ends = [d for d in (deadline, test_deadline) if d]
        return min(ends) - time.monotonic() if ends else None

    try:
        while True:
            wait = left()
            if wait is not None and wait <= 0:
                raise subprocess.TimeoutExpired(cmd, timeout)
            try:
                line = output.get(timeout=wait)
            except queue.Empty:
                raise subprocess.TimeoutExpired(cmd, timeout) from None
            if line is None:
                break
            line = line.rstrip("\r\n")
            lines.append(line)
            print(line, flush=True)
            started = RUN_LINE.match(line)
            if started or RESULT_LINE.match(line):
                test = started.group(1) if started else None
                test_deadline = time.monotonic() + test_timeout if test_timeout else None
        wait = left()
        proc.wait(timeout=max(1, wait) if wait is not None else None)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
        # The test that was running, when one was, is the one that failed.
        lines.append(f"[  TIMEOUT ] {test}" if test else "[  TIMEOUT ] (whole run)")
        print(f"!! {cmd[0]} ran out of time", flush=True)
    return proc.returncode, lines


def count(results):
    passed = sum(1 for r in results.values() if r == "OK")
    failed = sum(1 for r in results.values() if r == "FAILED")
    skipped = sum(1 for r in results.values() if r == "SKIPPED")
    return passed, failed, skipped


def run_native(build, tally):
    exe = build / "native" / "native_tests"
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=1:abort_on_error=0",
               UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1")
    code, lines = stream([str(exe), "--gtest_color=no"], env=env, timeout=600)
    results = parse_gtest(lines)
    passed, failed, skipped = count(results)
    if code != 0 and failed == 0:
        failed = 1  # a sanitizer report or a crash after the last test
    tally.add("native unit tests", passed, failed, skipped)


def run_fuzz(build, tally):
    """Each fuzz target replays its committed seeds, then fuzzes for 10 s."""
    sys.path.insert(0, str(ROOT / "tools"))
    import fuzz
    passed = failed = 0
    with tempfile.TemporaryDirectory() as scratch:
        for exe in fuzz.targets(build):
            ok, _, _, output = fuzz.run(exe, 10, Path(scratch) / exe.parent.name / exe.name, Path(scratch) / "faults")
            for name, (ok, output) in ((f"{fuzz.label(exe)} replays its seeds", fuzz.replay(exe)),
                                       (f"{fuzz.label(exe)} for 10 s", (ok, output))):
                print(("ok - " if ok else "not ok - ") + name, flush=True)
                if not ok:
                    print("\n".join(output.splitlines()[-30:]), flush=True)
                passed, failed = passed + ok, failed + (not ok)
    tally.add("fuzz targets", passed, failed)


def count_ok_lines(code, lines):
    """Results of a script that prints "ok - name" or "not ok - name" per test."""
    passed = sum(1 for l in lines if l.startswith("ok - "))
    failed = sum(1 for l in lines if l.startswith("not ok - "))
    return passed, failed if failed or code == 0 else 1


def run_runner(tally):
    code, lines = stream([sys.executable, str(ROOT / "tools" / "run_tests_test.py")], timeout=120)
    tally.add("test runner", *count_ok_lines(code, lines))


def run_page(build, tally):
    page = ROOT / "tests" / "payload" / "page"
    script = page / "page_test.mjs"
    if not script.exists():
        return
    out = build / "artifacts" / "page"
    out.mkdir(parents=True, exist_ok=True)
    code, lines = stream(["node", str(script), str(ROOT / "src/payload/page/template.html"),
                          str(ROOT / "src/payload/assets"), str(ROOT / "src/ui/assets/scene.jpg"), str(out)],
                         timeout=600)
    tally.add("page in Chromium", *count_ok_lines(code, lines))


def run_artwork(tally):
    """The committed pictures, checked with Pillow from Debian's python3-pil."""
    python = "/usr/bin/python3" if Path("/usr/bin/python3").exists() else sys.executable
    code, lines = stream([python, str(ROOT / "tools" / "artwork" / "test_artwork.py")], timeout=600)
    ran = next((int(m.group(1)) for l in lines if (m := re.match(r"^Ran (\d+) tests?", l))), 0)
    failed = len({m.group(1) for l in lines if (m := re.match(r"^(?:FAIL|ERROR): (\S+ \(\S+\))", l))})
    if code != 0 and failed == 0:
        failed = 1
    tally.add("artwork", ran - failed, failed)


def run_winget(tally):
    """The winget manifest against winget's schemas, with Debian's python3-jsonschema and python3-yaml."""
    python = "/usr/bin/python3" if Path("/usr/bin/python3").exists() else sys.executable
    code, lines = stream([python, str(ROOT / "tools" / "winget.py"), "check"], timeout=120)
    tally.add("winget manifest", *count_ok_lines(code, lines))


# The Linux user that plays a standard user of Windows. Wine has no UAC and
# runs everything as an administrator; a user that is not root, in a prefix
# of its own whose Windows and Program Files folders belong to root, is
# refused every write there ("access denied"), as a standard user is. The
# tests of this suite run only in such a prefix (tools/setup.sh makes the user).
STANDARD_USER = "mervalis-user"
STANDARD_USER_SUITE = "StandardUser"  # StandardUser.* and suites named StandardUser<more>


class Wine:
    """A Wine prefix of this run, inside the build tree, and a virtual X
    display; with `user`, a prefix that belongs to that Linux user, whose
    commands run as that user. That user may not be able to reach the build
    tree (a checkout in root's home), so its prefix and a copy of the
    Windows programs (`bin`) lie in a folder of its own in /tmp."""

    def __init__(self, build, user=None):
        self.build = build
        self.user = user
        self.bin = build / "win32" / "bin"
        if user:
            tag = hashlib.sha1(str(build).encode()).hexdigest()[:12]
            folder = Path(tempfile.gettempdir()) / f"mervalis-{user}-{tag}"
            if folder.exists():
                shutil.rmtree(folder)
            folder.mkdir(mode=0o755)
            shutil.copytree(self.bin, folder / "bin")
            self.bin = folder / "bin"
            for path in [folder, *folder.rglob("*")]:
                shutil.chown(path, user, user)
        else:
            folder = build / "wine"
            folder.mkdir(parents=True, exist_ok=True)
        self.folder = folder
        self.prefix = folder / "prefix"
        self.log = open(build / ("wine-" + user + ".log" if user else "wine/wine.log"), "w")
        self.xvfb = None
        self.display = None
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEARCH="win32", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        self.env.pop("DISPLAY", None)
        if user:
            home = pwd.getpwnam(user).pw_dir
            self.env.update(HOME=home, USER=user, LOGNAME=user)

    def command(self, args):
        """`args` as a command line of this prefix's user."""
        return (["runuser", "-u", self.user, "--"] if self.user else []) + [str(a) for a in args]

    def start_display(self, geometry):
        """An X server for a display of this kind; with monitors, each one set
        on its screen (Wine then sees them through Xinerama, see use_monitors).
        It never resets, since the monitors would go with a reset."""
        self.stop_display()
        screen, monitors = parse_display(geometry)
        for n in range(90, 140):
            if not Path(f"/tmp/.X{n}-lock").exists() and not Path(f"/tmp/.X11-unix/X{n}").exists():
                break
        self.display = f":{n}"
        self.xvfb = subprocess.Popen(["Xvfb", self.display, "-screen", "0", screen, "-nolisten", "tcp", "-noreset"],
                                     stdout=self.log, stderr=self.log, start_new_session=True)
        for _ in range(100):
            if Path(f"/tmp/.X11-unix/X{n}").exists():
                break
            time.sleep(0.05)
        self.env["DISPLAY"] = self.display
        for i, (w, h, x, y) in enumerate(monitors):
            # Sizes in millimetres as at 96 dots an inch. The first takes the
            # place of Xvfb's one output ("screen"), which would otherwise
            # stay a monitor of the whole screen.
            subprocess.run(["xrandr", "--setmonitor", f"M{i}", f"{w}/{w * 254 // 960}x{h}/{h * 254 // 960}+{x}+{y}",
                            "none" if i else "screen"], env=self.env, stdout=self.log, stderr=self.log, timeout=30)

    def stop_display(self):
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
            self.xvfb = None

    def use_virtual_desktop(self, geometry):
        """Wine's own desktop window of the display's size: it draws the
        windows' frames and captions and handles minimising as Windows does."""
        size = "x".join(geometry.split("x")[:2])
        self.wine("reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/d", "Default", "/f")
        self.wine("reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v", "Default", "/d", size, "/f")
        self.wine("reg", "delete", r"HKCU\Software\Wine\X11 Driver", "/v", "UseXRandR", "/f")
        # The desktop process reads the setting when it starts.
        self.shutdown_server()

    def use_monitors(self):
        """The X screen's monitors as Windows' monitors: Wine reads them from
        Xinerama when it does not use XRandR, and only without a desktop
        window of its own (which is one monitor). The first one is primary;
        Wine moves the monitors so that it lies at (0, 0)."""
        self.wine("reg", "delete", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/f")
        self.wine("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "UseXRandR", "/d", "N", "/f")
        self.shutdown_server()

    def wine(self, *args, timeout=120):
        return subprocess.run(self.command(["wine", *args]), env=self.env, stdout=self.log,
                              stderr=self.log, timeout=timeout).returncode

    def shutdown_server(self):
        subprocess.run(self.command(["wineserver", "-k"]), env=self.env, stdout=self.log, stderr=self.log)
        subprocess.run(self.command(["wineserver", "-w"]), env=self.env, stdout=self.log, stderr=self.log,
                       timeout=60)

    def make_prefix(self):
        if self.prefix.exists():
            shutil.rmtree(self.prefix)
        self.start_display(DEFAULT_DISPLAY)
        subprocess.run(self.command(["wineboot", "--init"]), env=self.env, stdout=self.log, stderr=self.log,
                       timeout=300)
        subprocess.run(self.command(["wineserver", "-w"]), env=self.env, stdout=self.log, stderr=self.log,
                       timeout=300)
        if self.user:
            # What a standard user may not write to.
            for name in ("windows", "Program Files"):
                subprocess.run(["chown", "-R", "root:root", str(self.prefix / "drive_c" / name)], check=True)
        # Wine links the profile's Desktop, Documents and so on to the Unix home:
        # the tests' shortcuts and files stay inside the prefix instead.
        for user in (self.prefix / "drive_c" / "users").iterdir():
            for entry in user.iterdir():
                if entry.is_symlink():
                    entry.unlink()
                    entry.mkdir()
                    if self.user:
                        shutil.chown(entry, self.user, self.user)
        # A crash ends the process instead of opening Wine's crash dialog.
        self.wine("reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog", "/t", "REG_DWORD",
                  "/d", "0", "/f")
        self.wine("reg", "add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug", "/v", "Auto",
                  "/t", "REG_SZ", "/d", "1", "/f")
        # Windows XP, where the shell shows the HTML desktop; a test of today's
        # Windows sets the version of the program it starts for its own time.
        self.wine("reg", "add", r"HKCU\Software\Wine", "/v", "Version", "/d", "winxp", "/f")
        # COM stand-ins of the tests, registered where Windows looks for the real ones.
        for dll in sorted(self.bin.glob("fixture_*.dll")):
            self.wine("regsvr32", "/s", dll)
        self.shutdown_server()

    def close(self):
        self.shutdown_server()
        self.stop_display()


# Every Windows test runs on this display first; one that needs another says
# so when it starts (NEEDS_DISPLAY) and runs again on a display of that kind.
DEFAULT_DISPLAY = "1024x768x24"


def run_on_displays(run, tests):
    """Results of `tests`, run on the default display and then each test that
    asked for another display on one of that kind, a display at a time.
    `run(geometry, tests)` gives (results, display requests). A test's result
    on its own display replaces its skip; a test that never ran on the display
    it asked for fails, so a skip for the display is never counted as such."""
    results, asked = run(DEFAULT_DISPLAY, tests)
    waiting = {t: g for t, g in asked.items() if results.get(t) == "SKIPPED"}
    for geometry in dict.fromkeys(waiting.values()):
        names = [t for t, g in waiting.items() if g == geometry]
        got, again = run(geometry, names)
        results.update(got)
        for t in names:
            if t in again:
                print(f"!! {t} did not get its display {geometry}", flush=True)
                results[t] = "FAILED"
    return results


# The test binary's own watchdog ends a test after its limit (four minutes at
# most); this one ends the binary when that watchdog cannot act.
# A longer limit for runs that ask for it (make test-crash).
WINE_TEST_LIMIT = int(os.environ.get("MERVALIS_WINE_TEST_LIMIT", "600"))


def list_tests(wine, exe, filt):
    """The tests of the binary that the filter selects, or None when the
    binary could not even list them (tried a few times: the first start in a
    fresh prefix can stumble)."""
    for attempt in range(3):
        proc = subprocess.run(wine.command(["wine", exe, "--gtest_list_tests", f"--gtest_filter={filt}"]), env=wine.env,
                              stdout=subprocess.PIPE, stderr=wine.log, text=True, errors="replace", timeout=120)
        tests, suite = [], None
        for line in proc.stdout.splitlines():
            if not line.strip():
                continue
            if not line.startswith(" "):
                suite = line.strip().split()[0]
            else:
                tests.append(suite + line.strip().split()[0])
        if proc.returncode == 0 and tests:
            return tests
        time.sleep(2)
    # Nothing selected is an answer too, when the binary said so cleanly.
    return [] if proc.returncode == 0 else None


def run_wine_prefix(build, artifacts, selects, user=None, then=None):
    """Results of the tests that `selects` picks, in a prefix of their own,
    and every test the binary has (None when it could not list them); with
    `then`, the results of then(wine) in the same prefix afterwards."""
    wine = Wine(build, user)
    exe = wine.bin / "win_tests.exe"

    def run(geometry, tests):
        """Runs the tests on a display of this kind, again from the first one
        not started when the binary ended early; (results, display requests)."""
        wine.start_display(geometry)
        if parse_display(geometry)[1]:
            wine.use_monitors()
        else:
            wine.use_virtual_desktop(geometry)
        print(f"-- Wine, display {geometry}: {len(tests)} tests", flush=True)
        results, asked, pending = {}, {}, list(tests)
        while pending:
            code, lines = stream(wine.command(["wine", exe, "--gtest_color=no", "--gtest_filter=" + ":".join(pending)]),
                                 env=wine.env, log=wine.log, timeout=3000, test_timeout=WINE_TEST_LIMIT)
            got = parse_gtest(lines)
            results.update(got)
            asked.update(display_requests(lines))
            remaining = [t for t in pending if t not in got]
            if remaining and len(remaining) == len(pending):
                for t in remaining:  # the binary did not even start them
                    results[t] = "FAILED"
                break
            pending = remaining
        wine.shutdown_server()
        return results, asked

    saved = wine.folder / "artifacts" if user else artifacts  # the user's own, copied back at the end
    try:
        wine.make_prefix()
        if user:
            saved.mkdir(exist_ok=True)
            shutil.chown(saved, user, user)
        wine.env["MERVALIS_ARTIFACTS"] = "Z:" + str(saved).replace("/", "\\")
        tests = list_tests(wine, exe, "*")
        if tests is None:
            print(f"!! {exe.name} could not list its tests" + (f" as {user}" if user else ""), flush=True)
            return {"(listing)": "FAILED"}, None
        chosen = [t for t in tests if selects(t)]
        results = run_on_displays(run, chosen) if chosen else {}
        if then:
            results.update(then(wine))
        return results, tests
    finally:
        wine.close()
        if user and saved.is_dir():
            shutil.copytree(saved, artifacts / user, dirs_exist_ok=True)


def run_wine(build, tally, artifacts, only_tests=None):
    def chosen(test):
        return not only_tests or any(fnmatch.fnmatchcase(test, p) for p in only_tests.split(":"))

    def as_standard_user(test):
        return test.startswith(STANDARD_USER_SUITE)

    def selects(standard):
        return lambda t: chosen(t) and as_standard_user(t) == standard and not fnmatch.fnmatchcase(t, POWER_CUT_STEP)

    def then(*steps):
        return lambda wine: {name: result for run in steps for name, result in run(wine).items()}

    results, tests = run_wine_prefix(build, artifacts, selects(False),
                                     then=then(lambda wine: check_awareness(wine, chosen),
                                               lambda wine: power_cut(wine, chosen, "xp", DEFAULT_DISPLAY)))
    if tests and any(chosen(t) and as_standard_user(t) for t in [*tests, *POWER_CUT_TESTS]):
        standard, _ = run_wine_prefix(build, artifacts, selects(True), STANDARD_USER,
                                      then=then(lambda wine: power_cut(wine, chosen, "win10", DEFAULT_DISPLAY)))
        results.update(standard)
    passed, failed, skipped = count(results)
    tally.add("Windows tests under Wine", passed, failed, skipped)
    # The tests save screenshots as bitmaps; PNG is what people open.
    if Path("/usr/bin/convert").exists():
        for bmp in artifacts.glob("*.bmp"):
            if subprocess.run(["/usr/bin/convert", str(bmp), str(bmp.with_suffix(".png"))]).returncode == 0:
                bmp.unlink()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=str(ROOT / "build"))
    parser.add_argument("--only", choices=["runner", "native", "fuzz", "page", "artwork", "winget", "wine"])
    parser.add_argument("--filter", help="Windows tests to run, as Suite.Name patterns joined by ':'")
    args = parser.parse_args()
    build = Path(args.build).resolve()
    artifacts = build / "artifacts"
    artifacts.mkdir(parents=True, exist_ok=True)
    tally = Tally()
    for name, fn in (("runner", lambda: run_runner(tally)),
                     ("native", lambda: run_native(build, tally)),
                     ("fuzz", lambda: run_fuzz(build, tally)),
                     ("page", lambda: run_page(build, tally)),
                     ("artwork", lambda: run_artwork(tally)),
                     ("winget", lambda: run_winget(tally)),
                     ("wine", lambda: run_wine(build, tally, artifacts, args.filter))):
        if args.only in (None, name):
            fn()
    passed, failed, skipped = tally.totals()
    print(f"Artifacts (screenshots): {artifacts}")
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    sys.exit(1 if failed or passed == 0 else 0)


if __name__ == "__main__":
    main()
