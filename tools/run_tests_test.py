#!/usr/bin/env python3
"""Checks of the test runner's deadlines, with small Python children standing
in for a test binary. Prints "ok - name" or "not ok - name" per check."""
import contextlib
import io
import sys
import time
import traceback

import dpi_trace
import power_cut
import run_tests


def run_child(script, **deadlines):
    """run_tests.stream on a Python child; returns (code, lines, seconds)."""
    start = time.monotonic()
    with contextlib.redirect_stdout(io.StringIO()):
        code, lines = run_tests.stream([sys.executable, "-c", script], **deadlines)
    return code, lines, time.monotonic() - start


def silent_child_is_cut_off_at_the_run_deadline():
    code, lines, seconds = run_child(
        "import time; print('[ RUN      ] Runner.Silent', flush=True); time.sleep(20)", timeout=2)
    assert 1.5 < seconds < 6, f"ended after {seconds:.1f} s"
    assert code != 0
    assert lines[-1] == "[  TIMEOUT ] Runner.Silent", lines
    assert run_tests.parse_gtest(lines) == {"Runner.Silent": "FAILED"}


def silent_test_is_cut_off_at_its_own_deadline():
    code, lines, seconds = run_child(
        "import time\n"
        "print('[ RUN      ] Runner.Quick\\n[       OK ] Runner.Quick (0 ms)', flush=True)\n"
        "time.sleep(0.5)\n"
        "print('[ RUN      ] Runner.Hangs', flush=True)\n"
        "time.sleep(20)\n", timeout=60, test_timeout=1.5)
    assert 1.5 < seconds < 6, f"ended after {seconds:.1f} s"
    assert run_tests.parse_gtest(lines) == {"Runner.Quick": "OK", "Runner.Hangs": "FAILED"}


def child_within_its_deadlines_keeps_every_line_and_its_exit_code():
    code, lines, _ = run_child("import sys; print('one'); print('two', end=''); sys.exit(3)",
                               timeout=30, test_timeout=30)
    assert (code, lines) == (3, ["one", "two"]), (code, lines)


def fake_wine(outputs):
    """A stand-in for one display's run of the Windows tests: `outputs` gives,
    per display, the console lines of each test. Returns the run function and
    the list of (display, tests) it was asked for."""
    calls = []

    def run(geometry, tests):
        calls.append((geometry, list(tests)))
        lines = [l for t in tests for l in outputs[geometry].get(t, [])]
        return run_tests.parse_gtest(lines), run_tests.display_requests(lines)

    return run, calls


def gtest(name, result, display=None):
    lines = [f"[ RUN      ] {name}"]
    if display:
        lines.append(f"[ DISPLAY  ] {display} {name}")
    return lines + [f"[ {result:>8} ] {name} (5 ms)"]


def test_asking_for_a_display_runs_again_there_and_only_its_result_counts():
    run, calls = fake_wine({
        "1024x768x24": {
            "A.Plain": gtest("A.Plain", "OK"),
            "A.Wide": gtest("A.Wide", "SKIPPED", "1920x1080x24"),
            "B.Few": gtest("B.Few", "SKIPPED", "1024x768x8"),
            "B.Wide": gtest("B.Wide", "SKIPPED", "1920x1080x24"),
            "B.Skip": gtest("B.Skip", "SKIPPED"),
            "C.Two": gtest("C.Two", "SKIPPED", "3200x1080x24:1920x1080+1280+0,1280x1024+0+0"),
        },
        "3200x1080x24:1920x1080+1280+0,1280x1024+0+0": {"C.Two": gtest("C.Two", "OK")},
        "1920x1080x24": {"A.Wide": gtest("A.Wide", "OK"), "B.Wide": gtest("B.Wide", "FAILED")},
        "1024x768x8": {"B.Few": gtest("B.Few", "OK")},
    })
    with contextlib.redirect_stdout(io.StringIO()):
        results = run_tests.run_on_displays(run, ["A.Plain", "A.Wide", "B.Few", "B.Wide", "B.Skip", "C.Two"])
    assert calls == [("1024x768x24", ["A.Plain", "A.Wide", "B.Few", "B.Wide", "B.Skip", "C.Two"]),
                     ("1920x1080x24", ["A.Wide", "B.Wide"]), ("1024x768x8", ["B.Few"]),
                     ("3200x1080x24:1920x1080+1280+0,1280x1024+0+0", ["C.Two"])], calls
    assert results == {"A.Plain": "OK", "A.Wide": "OK", "B.Few": "OK", "B.Wide": "FAILED", "B.Skip": "SKIPPED",
                       "C.Two": "OK"}, results
    assert run_tests.count(results) == (4, 1, 1)
    assert run_tests.parse_display("3200x1080x24:1920x1080+1280+0,1280x1024+0+0") == (
        "3200x1080x24", [(1920, 1080, 1280, 0), (1280, 1024, 0, 0)])
    assert run_tests.parse_display("1024x768x24") == ("1024x768x24", [])


def test_that_never_gets_its_display_fails():
    run, _ = fake_wine({
        "1024x768x24": {"A.Few": gtest("A.Few", "SKIPPED", "1024x768x8")},
        "1024x768x8": {"A.Few": gtest("A.Few", "SKIPPED", "1024x768x8")},
    })
    with contextlib.redirect_stdout(io.StringIO()) as out:
        results = run_tests.run_on_displays(run, ["A.Few"])
    assert results == {"A.Few": "FAILED"}, results
    assert "A.Few did not get its display 1024x768x8" in out.getvalue(), out.getvalue()


def awareness_is_asked_for_before_the_first_window():
    asked = "0024:Call user32.SetProcessDpiAwarenessContext(fffffffc) ret=004296fa"
    made = "0024:Call user32.CreateWindowExW(00000000,684ed740 L\"OleMainThreadWndClass\",...) ret=684c66ee"
    other = "0024:Call PE DLL (proc=7B03CEE0,module=7B000000 L\"kernelbase.dll\",reason=PROCESS_ATTACH)"
    for trace, needs_window, problem in (
            ([other, asked, made], True, ""),
            ([other, "0024:Call shcore.SetProcessDpiAwareness(00000002) ret=00429741", made], True, ""),
            ([asked], False, ""),
            ([made, asked], True, "made a window before asking for its DPI awareness"),
            ([other, made], True, "never asks for its DPI awareness"),
            ([asked], True, "made no window"),
            ([], False, "never asks for its DPI awareness")):
        assert dpi_trace.awareness_problem(trace, needs_window) == problem, (trace, needs_window)


def installer_composes_per_monitor_aware():
    aware = "0024:Call user32.SetThreadDpiAwarenessContext(fffffffc) ret=004296fa"
    restored = "0024:Call user32.SetThreadDpiAwarenessContext(00000010) ret=0042970b"
    width = "0024:Call user32.GetSystemMetrics(00000000) ret=00429720"
    made = "0024:Call KERNELBASE.CreateFileW(0032f4d8 L\"C:\\users\\me\\images\\background.bmp.new\",40000000) ret=00431000"
    other = "0024:Call KERNELBASE.CreateFileW(0032f4d8 L\"C:\\windows\\win.ini\",80000000) ret=00431000"
    elsewhere = "0030:Call user32.SetThreadDpiAwarenessContext(fffffffc) ret=004296fa"
    for trace, problem in (
            ([aware, width, other, made, restored], ""),
            ([width, aware, made, restored], "asked the screen's size while DPI-unaware"),
            ([width, made], "composed the background while DPI-unaware"),
            ([aware, restored, width, made], "composed the background while DPI-unaware"),
            ([elsewhere, width, made], "composed the background while DPI-unaware"),
            ([aware, width, other], "composed no background")):
        assert dpi_trace.installer_awareness_problem(trace) == problem, trace


def power_cut_takes_the_points_the_binary_sampled():
    lines = ["[ RUN      ] PowerCutStep.Run", "[ POINTS   ] 1 4 7 9", "[       OK ] PowerCutStep.Run (5 ms)"]
    assert power_cut.sampled_points(lines) == [1, 4, 7, 9]
    assert power_cut.sampled_points(["[  PASSED  ] 1 test."]) == []


def main():
    failed = 0
    for check in (awareness_is_asked_for_before_the_first_window, installer_composes_per_monitor_aware, power_cut_takes_the_points_the_binary_sampled,
                  silent_child_is_cut_off_at_the_run_deadline,
                  silent_test_is_cut_off_at_its_own_deadline,
                  child_within_its_deadlines_keeps_every_line_and_its_exit_code,
                  test_asking_for_a_display_runs_again_there_and_only_its_result_counts,
                  test_that_never_gets_its_display_fails):
        name = check.__name__
        try:
            check()
            print(f"ok - {name}", flush=True)
        except Exception:
            failed += 1
            print(f"not ok - {name}\n{traceback.format_exc()}", flush=True)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
