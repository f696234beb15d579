#!/usr/bin/env python3
"""Runs clang-tidy over the project's own sources of one build, as that build compiles them.

The checks are the repository's .clang-tidy files; any finding fails the run. Every source is
analysed once, with the first of its compile commands: the library's sources are compiled twice in
the Windows build, as the DLL and as the static library the Wine tests use, with the same code.
Exits 0 when clean, 1 on findings or a failed analysis, 77 when clang-tidy is not installed.
"""

import argparse
import concurrent.futures
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77


def find_clang_tidy():
    for name in ("clang-tidy", "clang-tidy-14"):
        path = shutil.which(name)
        if path:
            return path
    return None


def own_entries(build, source):
    """The compile commands of files inside `source` but outside its build trees, one per file."""
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as database:
        entries = json.load(database)
    source = os.path.realpath(source) + os.sep
    builds = os.path.join(source, "build") + os.sep
    chosen = {}
    for entry in entries:
        path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
        if path.startswith(source) and not path.startswith(builds) and path not in chosen:
            chosen[path] = entry
    return chosen


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True, help="build tree with compile_commands.json")
    parser.add_argument("--source", required=True, help="the repository's root")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--extra-arg-before", action="append", default=[],
                        help="compiler argument put before the build's own (repeatable)")
    parser.add_argument("--extra-arg", action="append", default=[],
                        help="compiler argument put after the build's own (repeatable)")
    args = parser.parse_args()

    clang_tidy = find_clang_tidy()
    if not clang_tidy:
        print("clang-tidy is not installed (Debian: apt-get install clang-tidy); not run")
        return SKIPPED

    entries = own_entries(args.build, args.source)
    if not entries:
        print("no sources of the project in %s/compile_commands.json" % args.build)
        return 1

    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="kit-tidy.") as database:
        with open(os.path.join(database, "compile_commands.json"), "w", encoding="utf-8") as out:
            json.dump(list(entries.values()), out)
        command = [clang_tidy, "-p", database, "--quiet"]
        command += ["--extra-arg-before=" + arg for arg in args.extra_arg_before]
        command += ["--extra-arg=" + arg for arg in args.extra_arg]

        def run(path):
            done = subprocess.run(command + [path], stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, check=False)
            return path, done.returncode, done.stdout.decode("utf-8", "replace")

        failed = []
        with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
            for path, code, output in pool.map(run, sorted(entries)):
                if code != 0:
                    failed.append(os.path.relpath(path, args.source))
                    # clang-tidy's own tallies ("N warnings generated.") say nothing of use here.
                    lines = [line for line in output.splitlines()
                             if not line.endswith(" generated.") and "warnings treated" not in line
                             and not line.startswith("Suppressed ")
                             and not line.startswith("Use -header-filter")]
                    print("\n".join(lines))

    seconds = time.monotonic() - started
    print("clang-tidy: %d files in %.0f s, %d with findings%s" %
          (len(entries), seconds, len(failed), (": " + " ".join(failed)) if failed else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
