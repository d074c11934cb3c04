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

The tool never changes the checkout. It works on copies of the source tree under its build folder,
one per worker, each with its own Debug build (through ccache when installed, so that the copies
compile once between them). It checks that the unmutated tree builds and that every selection
passes, then the workers take the mutants one at a time: each puts its mutant into its own copy,
rebuilds the selected test programs incrementally, runs the selected tests (GUI tests on a virtual
X server of their own) and puts the file back. A mutant is "killed" when a test fails, "survived"
when all pass, "not applicable" when its text is not found exactly once or the mutated tree does
not build. A copy left mutated by a crash is made equal to the checkout again at the next start.
"""

import argparse
import fcntl
import json
import os
import queue
import re
import select
import shutil
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

SCREEN = ["-screen", "0", "1280x1024x24"]


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


def source_files(repo, build):
    """The checkout's files, relative: git's tracked and untracked-but-not-ignored files, or
    without git every file outside build*/ and .git/."""
    try:
        out = subprocess.run(["git", "-C", str(repo), "ls-files", "-z", "--cached", "--others",
                              "--exclude-standard"], capture_output=True, check=True).stdout
        names = out.decode("utf-8", "surrogateescape").split("\0")
    except (OSError, subprocess.CalledProcessError):
        names = []
        for top, dirs, files in os.walk(repo):
            if Path(top) == repo:
                dirs[:] = [d for d in dirs if not d.startswith(("build", ".git", ".cache"))]
            names += [str((Path(top) / f).relative_to(repo)) for f in files]
    inside = build.relative_to(repo).as_posix() + "/" if build.is_relative_to(repo) else None
    return sorted({n for n in names
                   if n and (repo / n).is_file() and not (inside and n.startswith(inside))})


class Stopped(Exception):
    """The run is being stopped (Ctrl-C, SIGTERM or a failure elsewhere)."""


class Processes:
    """Every child process runs in a session of its own, so that a stop ends each whole group."""

    def __init__(self):
        self.lock = threading.Lock()
        self.running = set()
        self.stopping = threading.Event()

    def start(self, cmd, **kw):
        with self.lock:
            if self.stopping.is_set():
                raise Stopped()
            proc = subprocess.Popen(cmd, start_new_session=True, **kw)
            self.running.add(proc)
        return proc

    def wait(self, proc):
        try:
            return proc.wait()
        except BaseException:
            # Ctrl-C or SIGTERM in the main thread: the child's whole group goes too.
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            proc.wait()
            raise
        finally:
            with self.lock:
                self.running.discard(proc)

    def run(self, cmd, cwd, log, env=None):
        with open(log, "w") as out:
            proc = self.start(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, env=env)
            code = self.wait(proc)
        if self.stopping.is_set():
            raise Stopped()
        return code

    def stop(self):
        with self.lock:
            self.stopping.set()
            for proc in self.running:
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass


class Tree:
    """One copy of the source tree (src/) and its Debug build (build/): a worker changes only
    its own copy, so mutants never meet in one file or one build."""

    def __init__(self, index, root, procs, env, jobs, data_dir):
        self.index, self.procs, self.env, self.jobs = index, procs, env, jobs
        self.root, self.src, self.build = root, root / "src", root / "build"
        self.data_dir = data_dir
        self.mutated = None      # (relative path, original bytes) while a mutant is in place

    def sync(self, repo, files):
        """Makes the copy equal to the checkout; rewrites only files that differ, so an earlier
        run's build stays valid and a file left mutated by a crash is put back."""
        wanted = set(files)
        for rel in files:
            source, copy = repo / rel, self.src / rel
            data = source.read_bytes()
            mode = source.stat().st_mode & 0o777
            if copy.is_file() and not copy.is_symlink() and copy.read_bytes() == data:
                if copy.stat().st_mode & 0o777 != mode:
                    os.chmod(copy, mode)
                continue
            copy.parent.mkdir(parents=True, exist_ok=True)
            if copy.is_dir() and not copy.is_symlink():
                shutil.rmtree(copy)
            elif copy.is_symlink():
                copy.unlink()
            copy.write_bytes(data)
            os.chmod(copy, mode)
        if self.src.is_dir():
            for path in sorted(self.src.rglob("*"), reverse=True):
                if (path.is_file() or path.is_symlink()) and \
                        path.relative_to(self.src).as_posix() not in wanted:
                    path.unlink()

    def configure(self):
        self.build.mkdir(parents=True, exist_ok=True)
        # Unoptimised as Debug, but without debug information and linked by gold when there:
        # the same code, compiled and linked faster.
        cmd = ["cmake", "-S", str(self.src), "-B", str(self.build), "-G", "Ninja",
               "-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_FLAGS_DEBUG=-O0", "-DCMAKE_C_FLAGS_DEBUG=-O0",
               "-DORVANE_SANITIZE=OFF", "-DORVANE_FUZZ=OFF", f"-DORVANE_DATA_DIR={self.data_dir}"]
        if shutil.which("ld.gold"):
            cmd += ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold", "-DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=gold"]
        if shutil.which("ccache"):
            cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
        return self.procs.run(cmd, self.build, self.root / "configure.log", self.env) == 0

    def build_targets(self, targets, log, jobs=None):
        cmd = ["cmake", "--build", str(self.build), "-j", str(jobs or self.jobs)]
        if targets:
            cmd += ["--target", *sorted(targets)]
        return self.procs.run(cmd, self.build, log, self.env) == 0

    def test_programs(self, selection_args):
        """The test programs a selection runs (their targets share the program's name): every
        word of a test's command that is a file of this build, so that a script's program
        argument counts too."""
        out = subprocess.run(["ctest", "--show-only=json-v1", *selection_args], cwd=self.build,
                             capture_output=True, text=True, check=True).stdout
        tests = json.loads(out).get("tests", [])
        programs = set()
        for t in tests:
            for word in t.get("command") or []:
                exe = Path(word)
                if exe.is_absolute() and self.build in exe.parents:
                    programs.add(exe.name)
        return len(tests), programs

    def start_display(self, log):
        """A virtual X server on a display number it picks itself (no race with other servers
        starting at the same time); returns the process and the display name."""
        for _ in range(3):
            r, w = os.pipe()
            with open(log, "a") as err:
                proc = self.procs.start(["Xvfb", "-displayfd", str(w), *SCREEN, "-nolisten", "tcp"],
                                        pass_fds=(w,), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=err)
            os.close(w)
            number, deadline = b"", time.monotonic() + 30
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                ready, _, _ = select.select([r], [], [], deadline - time.monotonic())
                chunk = os.read(r, 16) if ready else b""
                if not chunk:
                    break
                number += chunk
            os.close(r)
            if number.strip().isdigit():
                return proc, ":" + number.decode().strip()
            self.stop_display(proc)
        raise RuntimeError(f"Xvfb did not start (see {log})")

    def stop_display(self, proc):
        try:
            os.killpg(proc.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
        self.procs.wait(proc)

    def run_tests(self, mutant, log):
        cmd = ["ctest", *mutant.ctest_args(), "--stop-on-failure", "-j", str(self.jobs),
               "--timeout", "120", "--output-on-failure"]
        if not mutant.needs_display():
            return self.procs.run(cmd, self.build, log, self.env) == 0
        server, display = self.start_display(log.with_suffix(".xvfb.log"))
        try:
            return self.procs.run(cmd, self.build, log, dict(self.env, DISPLAY=display)) == 0
        finally:
            self.stop_display(server)

    # --- the one mutated file of this copy ---
    def mutate(self, rel, text):
        path = self.src / rel
        self.mutated = (rel, path.read_bytes())
        path.write_bytes(text.encode("utf-8", errors="surrogateescape"))

    def restore(self):
        """Puts the original back with a fresh time stamp, so the next build recompiles it
        (a cache hit when ccache is installed)."""
        if self.mutated:
            rel, original = self.mutated
            (self.src / rel).write_bytes(original)
            self.mutated = None


def first_failure(log):
    """The name of the first failed test in a ctest log, or ''."""
    for line in Path(log).read_text(errors="replace").splitlines():
        found = re.match(r"\s*\d+/\d+ Test +#\d+: (\S+) .*\*\*\*", line)
        if found:
            return found.group(1)
    return ""


def judge(tree, m, programs, logs):
    """Runs one mutant in a tree: (verdict, detail)."""
    path = tree.src / m.file
    text = path.read_text(encoding="utf-8", errors="surrogateescape") if path.is_file() else None
    n = text.count(m.original) if text is not None else 0
    if text is None:
        return "not applicable", f"no file {m.file}"
    if n != 1:
        return "not applicable", f"original text occurs {n} times in {m.file}"
    tree.mutate(m.file, text.replace(m.original, m.replacement))
    try:
        if not tree.build_targets(programs[m.selection], logs / f"{m.id}.build.log"):
            return "not applicable", "does not build"
        log = logs / f"{m.id}.log"
        if tree.run_tests(m, log):
            return "survived", ""
        return "killed", first_failure(log)
    finally:
        tree.restore()


def in_parallel(trees, items, work):
    """Runs work(tree, item) for every item, each tree taking the next item when it is free.
    Returns the results in the order of the items; the first exception stops everything."""
    todo = queue.Queue()
    for i, item in enumerate(items):
        todo.put((i, item))
    results, errors = [None] * len(items), []

    def worker(tree):
        try:
            while not errors:
                try:
                    i, item = todo.get_nowait()
                except queue.Empty:
                    return
                results[i] = work(tree, item)
        except Stopped:
            pass
        except BaseException as e:   # noqa: BLE001 - handed to the main thread
            errors.append(e)
            tree.procs.stop()
        finally:
            tree.restore()

    threads = [threading.Thread(target=worker, args=(t,), daemon=True) for t in trees]
    for t in threads:
        t.start()
    try:
        for t in threads:
            while t.is_alive():
                t.join(0.5)
    except BaseException:
        # Ctrl-C or SIGTERM: stop every process, then let each worker put its file back.
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        if trees:
            trees[0].procs.stop()
        for t in threads:
            t.join()
        raise
    if errors:
        raise errors[0]
    if trees and trees[0].procs.stopping.is_set():
        raise Stopped()
    return results


def restore_leftover(repo, build):
    """Earlier versions of this tool changed the checkout itself and kept the original under the
    build folder: puts back a file such a version left mutated when it was stopped."""
    backup = build / "mutate-backup"
    state = backup / "state.json"
    if not state.exists():
        return
    rel = json.loads(state.read_text())["file"]
    shutil.copyfile(backup / "original", repo / rel)
    print(f"restored {rel}: an earlier run stopped while it was mutated")
    state.unlink()
    (backup / "original").unlink()


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("lists", nargs="+", metavar="LIST")
    ap.add_argument("--repo", default=str(Path(__file__).resolve().parent.parent))
    ap.add_argument("--build", help="build folder (default: REPO/build-mutate)")
    ap.add_argument("--jobs", type=int, default=os.cpu_count(),
                    help="cores to use (default: every core)")
    ap.add_argument("--workers", type=int,
                    help="mutants judged at the same time, each in its own copy (default: --jobs)")
    ap.add_argument("--only", help="comma-separated mutant ids to run")
    ap.add_argument("--min-rate", type=float, default=90.0,
                    help="lowest kill rate (percent) a list may have (default 90)")
    args = ap.parse_args()

    repo = Path(args.repo).resolve()
    build = Path(args.build).resolve() if args.build else repo / "build-mutate"
    logs = build / "mutate-logs"
    logs.mkdir(parents=True, exist_ok=True)
    # One run per build folder at a time.
    lock = open(build / "mutate.lock", "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit(f"mutate: another run is using {build}")

    procs = Processes()

    def stop(signum, _frame):
        raise SystemExit(128 + signum)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    restore_leftover(repo, build)
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
    everyone = [m for v in lists.values() for m in v]

    # The copies share the compiler cache: paths below the build folder become relative and the
    # copy's own folder is left out of the key, so equal files compile once between them.
    env = dict(os.environ, CCACHE_BASEDIR=str(build), CCACHE_NOHASHDIR="1")
    workers = max(1, min(args.workers or args.jobs, len(everyone) or 1))
    per_tree = max(2, -(-args.jobs // workers))
    trees = [Tree(i, build / f"copy{i}", procs, env, per_tree, repo) for i in range(workers)]
    try:
        return run(args, repo, build, logs, lists, everyone, trees)
    except Stopped:
        return 1
    except (OSError, RuntimeError, subprocess.CalledProcessError) as e:
        sys.exit(f"mutate: {e}")
    finally:
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        procs.stop()
        for t in trees:
            t.restore()


def run(args, repo, build, logs, lists, everyone, trees):
    started = time.monotonic()
    print(f"== build of the unmutated tree: {len(trees)} copies of it in {build}"
          f"{'' if shutil.which('ccache') else ' (no ccache: each copy compiles everything)'}",
          flush=True)
    files = source_files(repo, build)
    for t in trees:
        t.sync(repo, files)
    if not all(in_parallel(trees, trees, lambda _t, tree: tree.configure())):
        sys.exit(f"mutate: the unmutated tree does not configure (see {build}/copy*/configure.log)")
    first = trees[0]
    if not first.build_targets(None, first.root / "build.log", jobs=args.jobs):
        sys.exit(f"mutate: the unmutated tree does not build (see {first.root}/build.log)")
    selections = list(dict.fromkeys(m.selection for m in everyone))
    by_selection = {m.selection: m for m in reversed(everyone)}
    programs, counts = {}, {}
    for sel in selections:
        counts[sel], programs[sel] = first.test_programs(by_selection[sel].ctest_args())
        if counts[sel] == 0:
            sys.exit(f"mutate: {by_selection[sel].where}: selection `{sel}` matches no test")
    # The other copies build the test programs the selections need (cache hits, then links).
    needed = set().union(*programs.values()) if all(programs.values()) else None
    built = in_parallel(trees[1:], trees[1:],
                        lambda _t, tree: tree.build_targets(needed, tree.root / "build.log"))
    if not all(built):
        sys.exit(f"mutate: a copy of the unmutated tree does not build (see {build}/copy*/build.log)")

    def baseline(tree, sel):
        log = logs / f"baseline-{re.sub(r'[^A-Za-z0-9]+', '_', sel).strip('_')}.log"
        return tree.run_tests(by_selection[sel], log), log
    for sel, (ok, log) in zip(selections, in_parallel(trees, selections, baseline)):
        if not ok:
            sys.exit(f"mutate: selection `{sel}` fails without a mutant (see {log})")
        print(f"   `{sel}`: {counts[sel]} tests pass")
    print(f"   (the unmutated tree took {time.monotonic() - started:.0f} s)", flush=True)

    printing = threading.Lock()

    def one(tree, m):
        t0 = time.monotonic()
        verdict, why = judge(tree, m, programs, logs)
        detail = f" ({why})" if why else ""
        with printing:
            print(f"{verdict:15} {m.id:28} {time.monotonic() - t0:6.1f} s{detail}", flush=True)
        return verdict

    t0 = time.monotonic()
    # A mutated header rebuilds everything that includes it: those go first, so that the long
    # builds do not end the run alone.
    order = sorted(everyone, key=lambda m: not m.file.endswith(".h"))
    verdicts = dict(zip((m.id for m in order), in_parallel(trees, order, one)))
    failed_lists = []
    for name, mutants in lists.items():
        if not mutants:
            continue
        counts = {"killed": 0, "survived": 0, "not applicable": 0}
        for m in mutants:
            counts[verdicts[m.id]] += 1
        judged = counts["killed"] + counts["survived"]
        rate = 100.0 * counts["killed"] / judged if judged else 0.0
        print(f"{name}: {counts['killed']} killed, {counts['survived']} survived, "
              f"{counts['not applicable']} not applicable: {rate:.1f} % killed", flush=True)
        if rate < args.min_rate:
            failed_lists.append(name)
    print(f"   (the {len(everyone)} mutants took {time.monotonic() - t0:.0f} s with --jobs "
          f"{args.jobs}, {len(trees)} at a time)", flush=True)
    if failed_lists:
        print(f"under {args.min_rate:g} % killed: {', '.join(failed_lists)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
