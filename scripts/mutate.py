#!/usr/bin/env python3
"""Plants single-line faults in the product code, one at a time, and asks the
tests whether they notice, as make test would: a seeded sample of mutants,
each followed by one incremental build and one ctest run, and for a fault
that this run misses, the unit tests once more under AddressSanitizer and
UndefinedBehaviorSanitizer; then a report of what was caught, what survived
(file:line and the changed line) and what did not compile.

The faults: a relational or logical operator swapped, an integer constant
one up or down, a "+ 1" or "- 1" left out, true and false or a returned 0
and 1 swapped, a call or assignment deleted, an if negated. Comments,
strings and preprocessor lines are left alone, and so is the Windows-only
code, unless MUTATE_WINDOWS=1: then the faults go only into that code
(ui/win32/, app/win32/ and the _WIN32 branches of platform/), each built with
MinGW and judged by the Windows tests under wine.

It works in a copy of the tracked files under build-mutate/, so the work
tree is never touched, and removes the copy when it ends, however it ends.
Each build and test run is a session of its own, and whatever is left of
it, time-out or not, is ended with it, Dovecots included; the temporary
files of the runs stay inside the copy.

    MUTATE_SAMPLE=80 MUTATE_SEED=1 MUTATE_WINDOWS= scripts/mutate.py
"""
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINDOWS = os.environ.get("MUTATE_WINDOWS", "") not in ("", "0")
FOLDERS = ("platform/", "pop3/", "mail/", "ui/", "app/")
WINDOWS_FOLDERS = ("ui/win32/", "app/win32/")
TIMEOUT = int(os.environ.get("MUTATE_TIMEOUT", "300"))

SWAPS = [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "),
         (" == ", " != "), (" != ", " == "), (" && ", " || "), (" || ", " && "),
         ("true", "false"), ("false", "true"), (" + 1", ""), (" - 1", ""),
         ("return 0;", "return 1;"), ("return 1;", "return 0;")]
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
STATEMENT = re.compile(r"^\s*[\w:.>\-\[\]*&]+(\(.*\)|\s*[-+*/|&]?=\s*.+);\s*$")
IF = re.compile(r"^(\s*(?:\} else )?if )\((.*)\)( \{)$")


def masked(line):
    """The line with string and character literals blanked and any comment
    cut off, so that no fault lands inside them."""
    out, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote:
            out.append(" ")
            if c == "\\":
                out.append(" ")
                i += 1
            elif c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(" ")
        elif line.startswith("//", i) or line.startswith("/*", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def product_lines():
    """(path, index, line) of every line that may take a fault."""
    files = subprocess.run(["git", "ls-files"], cwd=ROOT, capture_output=True, text=True,
                           check=True).stdout.split()
    for path in sorted(files):
        if not path.endswith((".cpp", ".h")) or not path.startswith(FOLDERS):
            continue
        windows_file = path.startswith(WINDOWS_FOLDERS)
        windows = []  # for each open #if: is the code here Windows-only?
        with open(os.path.join(ROOT, path), encoding="utf-8") as source:
            for index, line in enumerate(source.read().split("\n")):
                directive = line.strip()
                if directive.startswith("#"):
                    if directive.startswith(("#ifdef _WIN32", "#if defined(_WIN32)")):
                        windows.append(True)
                    elif directive.startswith("#if"):
                        windows.append(False if "_WIN32" not in directive else None)
                    elif directive.startswith("#else") and windows:
                        windows[-1] = None if windows[-1] is False else not windows[-1]
                    elif directive.startswith("#endif") and windows:
                        windows.pop()
                    continue
                if (windows_file or any(windows)) != WINDOWS or not line.strip() or \
                        line.strip().startswith(("//", "*", "/*")):
                    continue
                yield path, index, line


def mutants_of(line):
    """Each (changed line, what changed) that one fault makes of the line."""
    code = masked(line)
    for old, new in SWAPS:
        start = 0
        while (at := code.find(old, start)) >= 0:
            start = at + 1
            after, before = code[at + len(old):at + len(old) + 1], code[at - 1:at] if at else ""
            if (old[-1].isalnum() and re.match(r"\w", after)) or \
                    (old[0].isalnum() and re.match(r"\w", before)):
                continue  # part of a longer name or number
            yield line[:at] + new + line[at + len(old):], f"{old.strip()} -> {new.strip() or '(gone)'}"
    for match in NUMBER.finditer(code):
        value = int(match.group(1))
        for changed in (value + 1, value - 1):
            if changed >= 0:
                yield line[:match.start()] + str(changed) + line[match.end():], \
                    f"{value} -> {changed}"
    if STATEMENT.match(code) and not code.strip().startswith(("return", "const ", "auto ")):
        yield "", "statement deleted"
    if (found := IF.match(code)) and found.group(2) == line[found.start(2):found.end(2)]:
        yield f"{found.group(1)}(!({found.group(2)})){found.group(3)}", "if negated"


def end_session(session):
    """Ends every process of the session: all were started for one run. They
    get a second to clean up after themselves, then they are killed."""
    for attempt in range(50):
        left = []
        for entry in os.listdir("/proc"):
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    fields = stat.read().rsplit(")", 1)[1].split()
            except (OSError, IndexError):
                continue
            if int(fields[3]) == session:
                left.append(int(entry))
        if not left:
            return
        for pid in left:
            try:
                os.kill(pid, signal.SIGTERM if attempt == 0 else signal.SIGKILL)
            except OSError:
                pass
        time.sleep(1 if attempt == 0 else 0.1)


def run(command, cwd, timeout, env=None):
    """The exit status, or "time-out"; nothing of the run outlives it."""
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True, env=env)
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return "time-out"
    finally:
        end_session(process.pid)
        process.wait()


def main():
    sample = int(os.environ.get("MUTATE_SAMPLE", "20" if WINDOWS else "80"))
    seed = int(os.environ.get("MUTATE_SEED", "1"))
    candidates = [(path, index, line, changed, what)
                  for path, index, line in product_lines()
                  for changed, what in mutants_of(line) if changed != line]
    chosen = random.Random(seed).sample(candidates, min(sample, len(candidates)))
    print(f"mutate: {len(chosen)} of {len(candidates)} faults, seed {seed}"
          f"{', Windows code' if WINDOWS else ''}", flush=True)

    work = os.path.join(ROOT, "build-mutate")
    shutil.rmtree(work, ignore_errors=True)
    copy = os.path.join(work, "tree")
    scratch = os.path.join(work, "tmp")
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    try:
        files = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, capture_output=True,
                               check=True).stdout.decode().split("\0")
        for path in filter(None, files):
            os.makedirs(os.path.join(copy, os.path.dirname(path)), exist_ok=True)
            shutil.copy2(os.path.join(ROOT, path), os.path.join(copy, path))
        os.makedirs(scratch)
        # Nothing may skip, and nothing a run writes for a while lands in /tmp.
        env = dict(os.environ, CI="true", TMPDIR=scratch)
        jobs = str(os.cpu_count() or 2)
        in_scratch = os.path.join(copy, "scripts/in-scratch.sh")
        if WINDOWS:
            configure = [["cmake", "-S", ".", "-B", "build-win",
                          "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake",
                          "-DCMAKE_BUILD_TYPE=Release", "-DTARVIK_BENCHMARKS=OFF"]]
            builds = [["cmake", "--build", "build-win", "-j", jobs],
                      ["cmake", "--build", "build-win", "--target", "windows-package"]]
            tests = [[in_scratch, "scripts/test-windows.sh", "build-win"]]
        else:
            configure = [["cmake", "-S", ".", "-B", "build", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                          "-DTARVIK_BENCHMARKS=OFF"],
                         ["cmake", "-S", ".", "-B", "build-asan", "-DCMAKE_BUILD_TYPE=Debug",
                          "-DTARVIK_SANITIZE=ON", "-DTARVIK_BENCHMARKS=OFF", "-DTARVIK_GUI=OFF"]]
            builds = [["cmake", "--build", "build", "-j", jobs]]
            tests = [[in_scratch, "ctest", "--test-dir", "build", "-j", jobs, "--stop-on-failure",
                      "--timeout", "120"],
                     # as make test runs them: under the sanitizers, for what the first misses
                     ["sh", "-c", "cmake --build build-asan -j " + jobs +
                      " --target tarvik_core_tests && " + in_scratch + " ctest --test-dir build-asan"
                      " -j " + jobs + " --stop-on-failure --timeout 120 -L unit -E SlowTest"]]

        def passes(commands, limit):
            return all(run(command, copy, limit, env) == 0 for command in commands)

        if not passes(configure, TIMEOUT) or not passes(builds, 3 * TIMEOUT) or \
                not passes(tests, 3 * TIMEOUT):
            print("mutate: the unchanged code does not build or pass its tests", flush=True)
            return 2
        results = {"caught": [], "caught by the sanitizers": [], "survived": [],
                   "not compiling": []}
        for number, (path, index, line, changed, what) in enumerate(chosen, 1):
            target = os.path.join(copy, path)
            with open(target, encoding="utf-8") as source:
                original = source.read()
            lines = original.split("\n")
            lines[index] = changed
            with open(target, "w", encoding="utf-8") as source:
                source.write("\n".join(lines))
            started = time.monotonic()
            try:
                if not passes(builds, TIMEOUT):
                    verdict = "not compiling"
                elif run(tests[0], copy, 3 * TIMEOUT, env) != 0:
                    verdict = "caught"
                elif len(tests) > 1 and run(tests[1], copy, 3 * TIMEOUT, env) != 0:
                    verdict = "caught by the sanitizers"
                else:
                    verdict = "survived"
            finally:
                with open(target, "w", encoding="utf-8") as source:
                    source.write(original)
            results[verdict].append(f"{path}:{index + 1}: {what}: {changed.strip() or line.strip()}")
            print(f"mutate: {number}/{len(chosen)} {verdict} ({time.monotonic() - started:.0f} s): "
                  f"{results[verdict][-1]}", flush=True)
        caught = len(results["caught"]) + len(results["caught by the sanitizers"])
        judged = caught + len(results["survived"])
        print(f"\nmutate: caught {len(results['caught'])}, and by the sanitizers "
              f"{len(results['caught by the sanitizers'])}; survived {len(results['survived'])}, "
              f"not compiling {len(results['not compiling'])}; "
              f"{100 * caught // max(judged, 1)} % of those that compiled caught")
        for survivor in results["survived"]:
            print(f"  survived: {survivor}")
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
