#!/usr/bin/env python3
"""Checks of the test runner's deadlines, with small Python children standing
in for a test binary. Prints "ok - name" or "not ok - name" per check."""
import contextlib
import io
import sys
import time
import traceback

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


def main():
    failed = 0
    for check in (silent_child_is_cut_off_at_the_run_deadline, silent_test_is_cut_off_at_its_own_deadline,
                  child_within_its_deadlines_keeps_every_line_and_its_exit_code):
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
