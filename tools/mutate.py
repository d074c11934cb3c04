#!/usr/bin/env python3
"""Mutation testing: does a small change to the code make a test fail?

Each list file holds one mutant per line, five fields separated by a TAB:

    id<TAB>ctest-selection<TAB>file<TAB>original<TAB>replacement

  ctest-selection  a CTest label (core, link, gui, ...) or several joined by | (link|core),
                   optionally followed by `-R <regex>`
  file             relative to the repository root
  original         literal text that must occur exactly once in the file (escapes: \\t \\n \\\\;
                   a backslash before any other character is itself)
  replacement      the text put in its place (same escapes)

Blank lines and lines starting with # are comments.

The tool checks that the unmutated tree builds and that every selection passes, then applies one
mutant at a time in place, rebuilds the selected test programs incrementally in its own build
folder and runs the selected tests. A mutant is "killed" when a test fails, "survived" when all
pass, "not applicable" when its text is not found exactly once or the mutated tree does not build.
The file is always put back: on exit, on Ctrl-C or SIGTERM, and at the next start if the machine
went down mid-run (from the copy kept under the build folder).
"""

import argparse
import fcntl
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

XVFB = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24"]
BLOCKED = {signal.SIGINT, signal.SIGTERM}


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text) and text[i + 1] in "tn\\":
            out.append({"t": "\t", "n": "\n", "\\": "\\"}[text[i + 1]])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


class Mutant:
    def __init__(self, ident, selection, file, original, replacement, where):
        self.id, self.selection, self.file = ident, selection, file
        self.original, self.replacement, self.where = original, replacement, where

    def ctest_args(self):
        words = self.selection.split()
        if not words or (len(words) != 1 and (len(words) != 3 or words[1] != "-R")):
            raise ValueError(f"{self.where}: selection must be `label` or `label -R regex`")
        return ["-L", f"^({words[0]})$"] + words[1:]

    def needs_display(self):
        return "gui" in self.selection.split()[0].split("|")


def read_list(path):
    mutants = []
    for n, line in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split("\t")
        where = f"{path}:{n}"
        if len(fields) != 5:
            raise ValueError(f"{where}: {len(fields)} TAB-separated fields, expected 5")
        ident, selection, file, original, replacement = fields
        m = Mutant(ident.strip(), selection.strip(), file.strip(), unescape(original),
                   unescape(replacement), where)
        m.ctest_args()
        if not m.original:
            raise ValueError(f"{where}: empty original text")
        mutants.append(m)
    return mutants


class Runner:
    def __init__(self, repo, build, jobs):
        self.repo, self.build, self.jobs = repo, build, jobs
        self.backup_dir = build / "mutate-backup"
        self.state = self.backup_dir / "state.json"

    # --- running commands; a whole process group is stopped if we are interrupted ---
    def run(self, cmd, cwd, log):
        with open(log, "w") as out:
            proc = subprocess.Popen(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                    start_new_session=True)
            try:
                return proc.wait()
            except BaseException:
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                proc.wait()
                raise

    # --- the one mutated file and its backup ---
    def restore_leftover(self):
        if not self.state.exists():
            return
        rel = json.loads(self.state.read_text())["file"]
        shutil.copyfile(self.backup_dir / "original", self.repo / rel)
        print(f"restored {rel}: an earlier run stopped while it was mutated")
        self.clear_backup()

    def clear_backup(self):
        self.state.unlink(missing_ok=True)
        (self.backup_dir / "original").unlink(missing_ok=True)

    def mutate(self, rel, text):
        """Writes the backup first, then the mutated file; signals wait until both are done."""
        signal.pthread_sigmask(signal.SIG_BLOCK, BLOCKED)
        try:
            self.backup_dir.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(self.repo / rel, self.backup_dir / "original")
            self.state.write_text(json.dumps({"file": rel}))
            (self.repo / rel).write_bytes(text.encode("utf-8", errors="surrogateescape"))
        finally:
            signal.pthread_sigmask(signal.SIG_UNBLOCK, BLOCKED)

    def restore(self, rel):
        signal.pthread_sigmask(signal.SIG_BLOCK, BLOCKED)
        try:
            if self.state.exists():
                # A fresh time stamp, so the next build recompiles the original.
                shutil.copyfile(self.backup_dir / "original", self.repo / rel)
                self.clear_backup()
        finally:
            signal.pthread_sigmask(signal.SIG_UNBLOCK, BLOCKED)

    # --- build and test ---
    def configure(self):
        cmd = ["cmake", "-S", str(self.repo), "-B", str(self.build), "-G", "Ninja",
               "-DCMAKE_BUILD_TYPE=Debug", "-DORVANE_SANITIZE=OFF", "-DORVANE_FUZZ=OFF"]
        if shutil.which("ccache"):
            cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
        return self.run(cmd, self.repo, self.build / "mutate-configure.log") == 0

    def build_targets(self, targets):
        cmd = ["cmake", "--build", str(self.build), "-j", str(self.jobs)]
        if targets:
            cmd += ["--target", *sorted(targets)]
        return self.run(cmd, self.build, self.build / "mutate-build.log") == 0

    def test_programs(self, selection_args):
        """The test programs a selection runs (their targets share the program's name)."""
        out = subprocess.run(["ctest", "--show-only=json-v1", *selection_args], cwd=self.build,
                             capture_output=True, text=True, check=True).stdout
        tests = json.loads(out).get("tests", [])
        programs = set()
        for t in tests:
            command = t.get("command") or [""]
            exe = Path(command[0])
            if self.build in exe.parents:
                programs.add(exe.name)
        return len(tests), programs

    @staticmethod
    def first_failure(log):
        """The name of the first failed test in a ctest log, or ''."""
        for line in Path(log).read_text(errors="replace").splitlines():
            found = re.match(r"\s*\d+/\d+ Test +#\d+: (\S+) .*\*\*\*", line)
            if found:
                return found.group(1)
        return ""

    def run_tests(self, mutant, log):
        cmd = ["ctest", *mutant.ctest_args(), "--stop-on-failure", "-j", str(self.jobs),
               "--timeout", "120", "--output-on-failure"]
        if mutant.needs_display():
            cmd = XVFB + cmd
        return self.run(cmd, self.build, log) == 0


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("lists", nargs="+", metavar="LIST")
    ap.add_argument("--repo", default=str(Path(__file__).resolve().parent.parent))
    ap.add_argument("--build", help="build folder (default: REPO/build-mutate)")
    ap.add_argument("--jobs", type=int, default=os.cpu_count())
    ap.add_argument("--only", help="comma-separated mutant ids to run")
    ap.add_argument("--min-rate", type=float, default=90.0,
                    help="lowest kill rate (percent) a list may have (default 90)")
    args = ap.parse_args()

    repo = Path(args.repo).resolve()
    build = Path(args.build).resolve() if args.build else repo / "build-mutate"
    (build / "mutate-logs").mkdir(parents=True, exist_ok=True)
    runner = Runner(repo, build, args.jobs)
    # One run per build folder at a time.
    lock = open(build / "mutate.lock", "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit(f"mutate: another run is using {build}")

    def stop(signum, _frame):
        raise SystemExit(128 + signum)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    runner.restore_leftover()
    try:
        lists = {Path(p).stem: read_list(p) for p in args.lists}
    except (OSError, ValueError) as e:
        sys.exit(f"mutate: {e}")
    seen = set()
    for mutants in lists.values():
        for m in mutants:
            if m.id in seen:
                sys.exit(f"mutate: {m.where}: id {m.id} used twice")
            seen.add(m.id)
    if args.only:
        wanted = set(args.only.split(","))
        lists = {k: [m for m in v if m.id in wanted] for k, v in lists.items()}
        missing = wanted - {m.id for v in lists.values() for m in v}
        if missing:
            sys.exit(f"mutate: no mutant named {', '.join(sorted(missing))}")

    print(f"== build of the unmutated tree in {build}")
    if not runner.configure() or not runner.build_targets(None):
        sys.exit(f"mutate: the unmutated tree does not build (see {build}/mutate-*.log)")
    programs = {}
    for mutants in lists.values():
        for m in mutants:
            if m.selection in programs:
                continue
            count, progs = runner.test_programs(m.ctest_args())
            if count == 0:
                sys.exit(f"mutate: {m.where}: selection `{m.selection}` matches no test")
            log = build / "mutate-baseline.log"
            if not runner.run_tests(m, log):
                sys.exit(f"mutate: selection `{m.selection}` fails without a mutant (see {log})")
            programs[m.selection] = progs
            print(f"   `{m.selection}`: {count} tests pass")

    failed_lists = []
    for name, mutants in lists.items():
        if not mutants:
            continue
        counts = {"killed": 0, "survived": 0, "not applicable": 0}
        started = time.monotonic()
        for m in mutants:
            t0 = time.monotonic()
            path = repo / m.file
            why = ""
            text = path.read_text(encoding="utf-8", errors="surrogateescape") if path.is_file() else None
            n = text.count(m.original) if text is not None else 0
            if text is None:
                verdict, why = "not applicable", f"no file {m.file}"
            elif n != 1:
                verdict, why = "not applicable", f"original text occurs {n} times in {m.file}"
            else:
                runner.mutate(m.file, text.replace(m.original, m.replacement))
                try:
                    if not runner.build_targets(programs[m.selection]):
                        verdict, why = "not applicable", "does not build"
                    elif runner.run_tests(m, build / "mutate-logs" / f"{m.id}.log"):
                        verdict = "survived"
                    else:
                        verdict, why = "killed", runner.first_failure(build / "mutate-logs" / f"{m.id}.log")
                finally:
                    runner.restore(m.file)
            counts[verdict] += 1
            detail = f" ({why})" if why else ""
            print(f"{verdict:15} {m.id:28} {time.monotonic() - t0:6.1f} s{detail}", flush=True)
        judged = counts["killed"] + counts["survived"]
        rate = 100.0 * counts["killed"] / judged if judged else 0.0
        print(f"{name}: {counts['killed']} killed, {counts['survived']} survived, "
              f"{counts['not applicable']} not applicable: {rate:.1f} % killed", flush=True)
        print(f"   ({name} took {time.monotonic() - started:.0f} s with --jobs {args.jobs})", flush=True)
        if rate < args.min_rate:
            failed_lists.append(name)
    if failed_lists:
        print(f"under {args.min_rate:g} % killed: {', '.join(failed_lists)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
