#!/usr/bin/env python3
"""The project's own mutation run: each mutant of tests/mutants.txt alone, in a copy of the tree.

For each mutant the runner puts the one small fault into its file, builds the host unit tests,
runs them under the sanitizers (and the plain build's kill test for EntryMaker's code), and puts
the file back. A mutant is killed when a test fails (or hangs past the time
limit), survives when every test passes, and does not compile when the build fails. The run ends
with the score: killed out of those that compile, leaving out the survivors the list marks as
equivalent, each with its reason.

The copy lives in build/mutate, so the developer's tree and builds are never touched, and an
interrupted run leaves nothing half-changed behind.

The list falls into groups, each started by a line "@ <name>" (the mutants before the first such
line are "the first list"): a list written later by other hands is scored apart as well as in the
whole, so that a score the first list earns cannot hide what the second one finds.

  scripts/mutate.py [--list tests/mutants.txt] [--only TEXT] [--build-only]

--build-only puts each mutant in and builds, without running a test: it shows which mutants do
not compile, to someone who writes mutants without looking at the tests.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
COPY = os.path.join(ROOT, "build", "mutate", "src")
# The unit tests run under the sanitizers, so that a bound moved by one byte shows even where the
# bytes beyond it happen to be harmless; the kill test, which the sanitizer build leaves out, runs
# in the plain build.
BUILD = os.path.join(COPY, "build", "host-asan")
PLAIN = os.path.join(COPY, "build", "host")
TEST_SECONDS = 120


class Mutant:
    def __init__(self, path, first, line, group):
        self.path, self.first, self.line, self.group = path, first, line, group
        self.find = self.replace = None
        self.equivalent = None

    def name(self):
        return "%s:%d" % (self.path, self.line)


def read_list(path):
    """Blocks of `== file [tests to run first]`, then `- text` (found exactly once in the file),
    `+ replacement` and an optional `~ why it is equivalent`, one mutant each; `@ name` starts a
    group."""
    mutants, current, path_now, first_now, group = [], None, None, None, "the first list"
    with open(path, encoding="utf-8") as listing:
        for number, raw in enumerate(listing, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            kind, text = line[:2], line[2:]
            if kind == "@ ":
                group, current, path_now = text.strip(), None, None
            elif kind == "==":
                words = text.split()
                path_now, first_now = words[0], (words[1] if len(words) > 1 else None)
            elif kind == "- ":
                current = Mutant(path_now, first_now, number, group)
                current.find = text
                mutants.append(current)
            elif kind in ("+ ", "+") and current and current.replace is None:
                current.replace = text
            elif kind == "~ " and current:
                current.equivalent = text
            else:
                sys.exit("%s:%d: not a line of the mutant list: %r" % (path, number, line))
    for mutant in mutants:
        if mutant.path is None or mutant.replace is None:
            sys.exit("%s: a mutant without its file or its replacement" % mutant.name())
    return mutants


def copy_tree():
    """Makes the copy the tree as it stands: changed files get a new time, so the build sees them,
    and files the tree no longer has go."""
    names = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT,
                           check=True, capture_output=True).stdout.decode().split("\0")
    wanted = {name for name in names
              if name and not name.startswith("build/") and os.path.isfile(os.path.join(ROOT, name))}
    for folder, subfolders, files in os.walk(COPY):
        if folder == COPY and "build" in subfolders:
            subfolders.remove("build")
        for name in files:
            if os.path.relpath(os.path.join(folder, name), COPY) not in wanted:
                os.remove(os.path.join(folder, name))
    for name in wanted:
        source, target = os.path.join(ROOT, name), os.path.join(COPY, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if not os.path.exists(target) or open(target, "rb").read() != open(source, "rb").read():
            shutil.copyfile(source, target)
            shutil.copymode(source, target)


def build(patch_kill=True):
    jobs = str(os.cpu_count() or 2)
    builds = [(BUILD, "unit_tests")] + ([(PLAIN, "patch_kill_test")] if patch_kill else [])
    return all(subprocess.run(["cmake", "--build", folder, "-j", jobs, "--target", target],
                              capture_output=True).returncode == 0 for folder, target in builds)


def tests_pass(first=None, patch_kill=True):
    """True when every host unit test passes; a hang past the limit is a failure. The tests most
    likely to fail run first, so that a killed mutant costs little; the patch killed at random
    moments runs only for the code it holds, and for the unmutated tree."""
    unit = os.path.join(BUILD, "tests", "unit")
    runs = [([os.path.join(unit, "unit_tests"), "--gtest_fail_fast", "--gtest_brief=1",
              "--gtest_filter=" + first], {})] if first else []
    runs += [
        ([os.path.join(unit, "unit_tests"), "--gtest_fail_fast", "--gtest_brief=1"], {}),
        ([os.path.join(unit, "unit_tests"), "--gtest_fail_fast", "--gtest_brief=1",
          "--gtest_filter=DeviceLookup*:ModemInstall*:NewDevice*:*/NewDeviceFailureTest.*"],
         {"WINSIM_STALE_LAST_ERROR": "1"}),
    ]
    if patch_kill:
        runs.append(([os.path.join(PLAIN, "tests", "unit", "patch_kill_test"),
                      "--gtest_fail_fast", "--gtest_brief=1"], {}))
    for command, extra in runs:
        try:
            done = subprocess.run(command, cwd=BUILD, env=dict(os.environ, **extra),
                                  capture_output=True, timeout=TEST_SECONDS)
        except subprocess.TimeoutExpired:
            return False
        if done.returncode != 0:
            return False
    return True


def print_score(name, killed, survived, equivalent, broken):
    compiled = killed + survived
    counted = compiled - equivalent
    print("%s: %d killed, %d survived (%d of them equivalent), %d do not compile" % (
        name, killed, survived, equivalent, broken))
    # An equivalent mutant is the same program: no test could kill it, so it is not counted.
    print("  score: %d killed of %d that compile and are not equivalent = %.1f %%" % (
        killed, counted, 100.0 * killed / counted if counted else 0.0))
    print("  (killed of all %d that compile: %.1f %%)" % (
        compiled, 100.0 * killed / compiled if compiled else 0.0))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", default=os.path.join(ROOT, "tests", "mutants.txt"))
    parser.add_argument("--only", help="run only the mutants whose file or text holds this")
    parser.add_argument("--build-only", action="store_true",
                        help="build each mutant without running the tests")
    arguments = parser.parse_args()
    mutants = read_list(arguments.list)
    if arguments.only:
        mutants = [m for m in mutants if arguments.only in m.path or arguments.only in m.find]

    copy_tree()
    for preset in ("host", "host-asan"):
        subprocess.run(["cmake", "--preset", preset,
                        "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"], cwd=COPY,
                       check=True, capture_output=True)
    if not build() or not (arguments.build_only or tests_pass()):
        sys.exit("mutate: the unmutated tree does not build or does not pass its tests")

    counts = {}  # group: [killed, survived, equivalent, does not compile]
    survivors = []
    started = time.time()
    for mutant in mutants:
        path = os.path.join(COPY, mutant.path)
        original = open(path, encoding="utf-8").read()
        if original.count(mutant.find) != 1 and arguments.build_only:
            print("not in the file once        %s: %s" % (mutant.name(), mutant.find.strip()))
            continue
        if original.count(mutant.find) != 1:
            sys.exit("%s: %r is not in %s exactly once" % (mutant.name(), mutant.find, mutant.path))
        try:
            with open(path, "w", encoding="utf-8") as out:
                out.write(original.replace(mutant.find, mutant.replace))
            patch_kill = mutant.path.startswith("entrymaker/")
            count = counts.setdefault(mutant.group, [0, 0, 0, 0])
            if not build(patch_kill):
                outcome = "does not compile"
                count[3] += 1
            elif arguments.build_only:
                outcome = "builds"
            elif tests_pass(mutant.first, patch_kill):
                outcome = "survived" + (" (equivalent)" if mutant.equivalent else "")
                count[1] += 1
                count[2] += bool(mutant.equivalent)
                if not mutant.equivalent:
                    survivors.append(mutant)
            else:
                outcome = "killed"
                count[0] += 1
        finally:
            with open(path, "w", encoding="utf-8") as out:
                out.write(original)
        print("%-26s %s: %s -> %s" % (outcome, mutant.name(), mutant.find.strip(),
                                      mutant.replace.strip() or "(nothing)"), flush=True)

    print("\n%d mutants in %.0f s" % (len(mutants), time.time() - started))
    if arguments.build_only:
        return 0
    whole = [sum(column) for column in zip(*counts.values())] if counts else [0, 0, 0, 0]
    for name, count in list(counts.items()) + ([("the whole list", whole)] if len(counts) > 1 else []):
        print_score(name, *count)
    for mutant in survivors:
        print("survivor without a reason: %s" % mutant.name())
    return 0


if __name__ == "__main__":
    sys.exit(main())
