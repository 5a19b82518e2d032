#!/usr/bin/env python3
"""Runs the fuzz targets (build/fuzz/*_fuzz, built by `make fuzz-targets`).

`make fuzz` runs each target for --seconds, starting from its committed seeds
(tests/fuzz/corpus/<target>) and the inputs kept in --corpus by earlier runs,
and keeps what it finds there; the input of a fault found is copied into the
committed seeds, where `make test` replays it until the fault is mended.
tools/run_tests.py uses replay() and run() for `make test`.
"""
import argparse
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SEEDS = ROOT / "tests" / "fuzz" / "corpus"
EXECUTED = re.compile(r"stat::number_of_executed_units:\s*(\d+)")
RUN_TIME = re.compile(r"Done (\d+) runs in (\d+) second")
ENV = {"ASAN_OPTIONS": "detect_leaks=1:abort_on_error=0", "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1"}


def targets(build):
    """The targets of the native build, then those of the -m32 one."""
    return [p for folder in ("fuzz", "fuzz32") for p in sorted((Path(build) / folder).glob("*_fuzz"))
            if p.is_file() and p.stat().st_mode & 0o111]


def label(exe):
    """"bmp_rows_fuzz", or "bmp_rows_fuzz (32-bit)" for the -m32 build's."""
    return exe.name + (" (32-bit)" if exe.parent.name == "fuzz32" else "")


def _env():
    import os
    return dict(os.environ, **ENV)


def replay(exe):
    """Runs every committed seed of the target once; (passed, output)."""
    seeds = SEEDS / exe.name
    if not seeds.is_dir():
        return False, f"no seeds in {seeds}"
    done = subprocess.run([str(exe), "-runs=0", str(seeds)], capture_output=True, text=True, errors="replace",
                          env=_env(), timeout=300)
    return done.returncode == 0, done.stderr


def run(exe, seconds, corpus, artifacts):
    """Fuzzes for `seconds` into `corpus` (the seeds read too); returns
    (passed, executions per second, the faulty input or None, output)."""
    corpus.mkdir(parents=True, exist_ok=True)
    artifacts.mkdir(parents=True, exist_ok=True)
    seeds = SEEDS / exe.name
    cmd = [str(exe), f"-max_total_time={seconds}", "-print_final_stats=1", "-max_len=4096",
           f"-artifact_prefix={artifacts}/", str(corpus)] + ([str(seeds)] if seeds.is_dir() else [])
    done = subprocess.run(cmd, capture_output=True, text=True, errors="replace", env=_env(),
                          timeout=seconds + 120)
    executed = EXECUTED.search(done.stderr)
    rate = int(executed.group(1)) / max(seconds, 1) if executed else 0
    found = re.search(r"Test unit written to (\S+)", done.stderr)
    return done.returncode == 0, rate, (Path(found.group(1)) if found else None), done.stderr


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=str(ROOT / "build"))
    parser.add_argument("--seconds", type=int, default=240)
    parser.add_argument("--corpus", required=True, help="where the inputs found are kept (outside the repository)")
    args = parser.parse_args()
    corpus = Path(args.corpus).expanduser().resolve()
    failed = 0
    found = targets(args.build)
    if not found:
        sys.exit("no fuzz targets: run make fuzz-targets")
    for exe in found:
        ok, rate, fault, output = run(exe, args.seconds, corpus / exe.name,
                                      corpus / "faults" / exe.parent.name / exe.name)
        line = f"{label(exe)}: {rate:,.0f} executions/s over {args.seconds} s, {'nothing found' if ok else 'FAULT'}"
        print(line, flush=True)
        if not ok:
            failed += 1
            print("\n".join(output.splitlines()[-30:]))
            if fault and fault.exists():
                kept = SEEDS / exe.name / f"regression-{fault.name}"
                shutil.copy(fault, kept)
                print(f"  the input is kept as {kept.relative_to(ROOT)}: commit it with the fix")
    print(f"{len(found) - failed} targets without a fault, {failed} with one")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
