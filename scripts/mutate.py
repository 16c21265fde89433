#!/usr/bin/env python3
"""Plants single-line faults in the product code, one at a time, and asks the
tests whether they notice: a seeded sample of mutants, each followed by one
incremental build and one ctest run, then a report of what was caught, what
survived (file:line and the changed line) and what did not compile.

The faults: a relational or logical operator swapped, an integer constant
one up or down, a "+ 1" or "- 1" left out, true and false or a returned 0
and 1 swapped, a call or assignment deleted, an if negated. Comments,
strings, preprocessor lines and the Windows-only code are left alone.

It works in a copy of the tracked files, so the work tree is never touched,
and removes the copy when it ends, however it ends.

    MUTATE_SAMPLE=80 MUTATE_SEED=1 scripts/mutate.py
"""
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ("platform/", "pop3/", "mail/", "ui/", "app/qt/")
SKIPPED = ("ui/win32/",)
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
        if not path.endswith((".cpp", ".h")) or not path.startswith(FOLDERS) or \
                path.startswith(SKIPPED):
            continue
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
                if any(windows) or not line.strip() or line.strip().startswith(("//", "*", "/*")):
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


def run(command, cwd, timeout):
    try:
        return subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return "time-out"


def main():
    sample = int(os.environ.get("MUTATE_SAMPLE", "80"))
    seed = int(os.environ.get("MUTATE_SEED", "1"))
    candidates = [(path, index, line, changed, what)
                  for path, index, line in product_lines()
                  for changed, what in mutants_of(line) if changed != line]
    chosen = random.Random(seed).sample(candidates, min(sample, len(candidates)))
    print(f"mutate: {len(chosen)} of {len(candidates)} faults, seed {seed}", flush=True)

    copy = tempfile.mkdtemp(prefix="tarvik-mutate.")
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    try:
        files = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, capture_output=True,
                               check=True).stdout.decode().split("\0")
        for path in filter(None, files):
            os.makedirs(os.path.join(copy, os.path.dirname(path)), exist_ok=True)
            shutil.copy2(os.path.join(ROOT, path), os.path.join(copy, path))
        build = ["cmake", "--build", "build", "-j", str(os.cpu_count() or 2)]
        test = [os.path.join(copy, "scripts/in-scratch.sh"), "ctest", "--test-dir", "build",
                "-j", str(os.cpu_count() or 2), "--stop-on-failure", "--timeout", "120"]
        os.environ["CI"] = "true"  # nothing may skip
        if run(["cmake", "-S", ".", "-B", "build", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                "-DTARVIK_BENCHMARKS=OFF"], copy, TIMEOUT) or run(build, copy, 3 * TIMEOUT) or \
                run(test, copy, TIMEOUT):
            print("mutate: the unchanged code does not build or pass its tests", flush=True)
            return 2
        results = {"caught": [], "survived": [], "not compiling": []}
        for number, (path, index, line, changed, what) in enumerate(chosen, 1):
            target = os.path.join(copy, path)
            with open(target, encoding="utf-8") as source:
                original = source.read()
            lines = original.split("\n")
            lines[index] = changed
            with open(target, "w", encoding="utf-8") as source:
                source.write("\n".join(lines))
            try:
                verdict = "not compiling" if run(build, copy, TIMEOUT) != 0 else \
                    "survived" if run(test, copy, TIMEOUT) == 0 else "caught"
            finally:
                with open(target, "w", encoding="utf-8") as source:
                    source.write(original)
            results[verdict].append(f"{path}:{index + 1}: {what}: {changed.strip() or line.strip()}")
            print(f"mutate: {number}/{len(chosen)} {verdict}: {results[verdict][-1]}", flush=True)
        judged = len(results["caught"]) + len(results["survived"])
        print(f"\nmutate: caught {len(results['caught'])}, survived {len(results['survived'])}, "
              f"not compiling {len(results['not compiling'])}; "
              f"{100 * len(results['caught']) // max(judged, 1)} % of those that compiled caught")
        for survivor in results["survived"]:
            print(f"  survived: {survivor}")
        return 0
    finally:
        shutil.rmtree(copy, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
