"""The DPI awareness checks that read Wine's relay trace of the program's
calls: asked before the first window, and the installer composing its
background per-monitor aware. The test runner runs them in its prefix."""
import select
import subprocess
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


# The calls by which the program asks Windows for its DPI awareness (the
# newest first, as Windows has them), and those that make a window.
AWARENESS_CALLS = ("user32.SetProcessDpiAwarenessContext", "shcore.SetProcessDpiAwareness",
                   "user32.SetProcessDPIAware")
WINDOW_CALLS = ("user32.CreateWindowExA", "user32.CreateWindowExW")
AWARENESS_MODES = (("apply", False), ("preview", True), ("desktop", True))  # and whether it makes a window


def awareness_problem(trace, needs_window):
    """What is wrong in a relay trace of those calls: the awareness must be
    asked for before any window is made (a window keeps the awareness it was
    made with), and a program that shows something must make a window; ""
    when nothing is."""
    asked = window = None
    for i, line in enumerate(trace):
        if asked is None and any(f":Call {call}(" in line for call in AWARENESS_CALLS):
            asked = i
        if window is None and any(f":Call {call}(" in line for call in WINDOW_CALLS):
            window = i
    if asked is None:
        return "never asks for its DPI awareness"
    if window is None:
        return "made no window" if needs_window else ""
    return "" if asked < window else "made a window before asking for its DPI awareness"


# The installer's window is DPI-unaware (for its layout); it composes the
# background with its thread made per-monitor aware for that while. The
# calls that show it: the thread's awareness, the screen's width asked and
# the background's file made.
THREAD_AWARENESS_CALL = "user32.SetThreadDpiAwarenessContext"
PER_MONITOR_CONTEXTS = ("fffffffc", "fffffffd")  # DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, _AWARE
INSTALLER_CALLS = (THREAD_AWARENESS_CALL, "user32.GetSystemMetrics", "CreateFileW")
INSTALLER_AWARENESS_TEST = "DpiAwareness.InstallerComposesPerMonitorAware"


def installer_awareness_problem(trace):
    """What is wrong in a relay trace of the installer's install: the thread
    that creates the background's file must be per-monitor aware then, and
    have been when it last asked the screen's width; "" when nothing is."""
    aware, measured = {}, {}  # by thread: per-monitor aware now; when the width was last asked
    for line in trace:
        thread = line.split(":", 1)[0]
        if f":Call {THREAD_AWARENESS_CALL}(" in line:
            context = line.split(f"{THREAD_AWARENESS_CALL}(", 1)[1][:8].lower()
            aware[thread] = context in PER_MONITOR_CONTEXTS
        elif ":Call user32.GetSystemMetrics(00000000)" in line:
            measured[thread] = aware.get(thread, False)
        elif ":call " in line.lower() and ".createfilew(" in line.lower() and "background.bmp" in line.lower():
            if not aware.get(thread, False):
                return "composed the background while DPI-unaware"
            return "" if measured.get(thread, False) else "asked the screen's size while DPI-unaware"
    return "composed no background"


def check_installer_awareness(wine, env):
    """The installer, started as a user starts it and driven by the robot
    through the licence to the install, with Wine's relay trace of the calls
    above; read by a thread of its own, as the trace runs on while the robot
    works."""
    ids = control_ids(ROOT / "src" / "ui" / "main_form_ids.h")
    window = ["TfrmMain", "Quorvanesoft - Animated Desktop Wallpaper"]
    proc = subprocess.Popen(wine.command(["wine", wine.bin / "Mervalis.exe"]), env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, errors="replace")
    trace = []
    reader = threading.Thread(target=lambda: trace.extend(proc.stderr), daemon=True)
    reader.start()
    try:
        for control, pause in (("kBtnInstall", 3), ("kChkAcceptLicense", 1), ("kBtnLicenseInstall", 0)):
            wine.wine(wine.bin / "robot.exe", "press", *window, str(ids[control]))
            time.sleep(pause)
        end = time.monotonic() + 60
        while time.monotonic() < end and installer_awareness_problem(list(trace)) == "composed no background":
            time.sleep(1)
        time.sleep(2)  # the restoring call and the rest of the file's making
    finally:
        proc.kill()
        proc.wait()
        reader.join(10)
    wine.log.writelines(trace)
    return installer_awareness_problem(trace)


def control_ids(header):
    """The main window's control ids by name, as the enum numbers them."""
    text = header.read_text()
    body = text[text.index("enum ControlId"):]
    body = body[body.index("{") + 1:body.index("}")]
    ids, value = {}, None
    for item in (i.strip() for i in body.split(",")):
        if not item:
            continue
        name, _, given = item.partition("=")
        value = int(given) if given.strip() else value + 1
        ids[name.strip()] = value
    return ids


def check_awareness(wine, chosen):
    """`apply`, `preview` and `desktop` ask for their DPI awareness before
    their first window, as on Windows 10. Wine 8 reports every window as
    per-monitor aware whatever the program asked, so the order is read from
    Wine's relay trace of those calls alone (on the Unix side: Wine gives a
    Windows parent no way to its child's trace)."""
    tests = [(f"DpiAwareness.AskedBeforeTheFirstWindow/{mode}", mode, window) for mode, window in AWARENESS_MODES]
    tests = [t for t in tests if chosen(t[0])]
    installer = chosen(INSTALLER_AWARENESS_TEST)
    if not tests and not installer:
        return {}
    relay = r"HKCU\Software\Wine\Debug"
    version = r"HKCU\Software\Wine\AppDefaults\Mervalis.exe"
    wine.wine("reg", "add", relay, "/v", "RelayInclude", "/d", ";".join(AWARENESS_CALLS + WINDOW_CALLS), "/f")
    wine.wine("reg", "add", version, "/v", "Version", "/d", "win10", "/f")
    env = dict(wine.env, WINEDEBUG="-all,+relay")
    results = {}
    try:
        for name, mode, needs_window in tests:
            proc = subprocess.Popen(wine.command(["wine", wine.bin / "Mervalis.exe", mode]), env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, errors="replace")
            trace, end = [], time.monotonic() + 30
            # Read until the first window, the end of the program or the deadline.
            while time.monotonic() < end:
                if not select.select([proc.stderr], [], [], 0.5)[0]:
                    continue
                line = proc.stderr.readline()
                if not line:
                    break
                wine.log.write(line)
                trace.append(line)
                if any(f":Call {call}(" in line for call in WINDOW_CALLS):
                    break
            if proc.poll() is None:
                proc.kill()
            proc.wait()
            problem = awareness_problem(trace, needs_window)
            results[name] = "FAILED" if problem else "OK"
            print(f"[ {'FAILED' if problem else 'OK':>8} ] {name}" + (f": {problem}" if problem else ""), flush=True)
        if installer:
            wine.wine("reg", "add", relay, "/v", "RelayInclude", "/d", ";".join(INSTALLER_CALLS), "/f")
            problem = check_installer_awareness(wine, env)
            results[INSTALLER_AWARENESS_TEST] = "FAILED" if problem else "OK"
            print(f"[ {'FAILED' if problem else 'OK':>8} ] {INSTALLER_AWARENESS_TEST}" +
                  (f": {problem}" if problem else ""), flush=True)
    finally:
        wine.wine("reg", "delete", relay, "/v", "RelayInclude", "/f")
        wine.wine("reg", "delete", version, "/v", "Version", "/f")
    return results
