#!/usr/bin/env python3
"""The end-to-end suite: every user path, clicked in the real programs.

Run as root, it makes a throwaway user and runs the paths as that user in a
session of their own; anywhere else it skips (exit 77). Screenshots and the
programs' logs land in the output folder.
"""

import argparse
import os
import pwd
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import lanto_e2e  # noqa: E402
import paths  # noqa: E402

SKIPPED = 77


def make_throwaway_user():
    """Creates a user for the run with a fresh home; returns (name, home, base) or raises Blocked.

    base is a folder every user may enter, whatever the folders above the checkout allow:
    the user's home and the staged copy of the suite live in it."""
    if os.geteuid() != 0:
        raise lanto_e2e.Blocked("the end-to-end suite needs root to create a throwaway user (useradd); "
                      "run it as root or in CI")
    for tool in ("useradd", "Xvfb"):
        if shutil.which(tool) is None:
            raise lanto_e2e.Blocked(f"{tool} is not available")
    name = f"lanto-e2e-{os.getpid()}"
    base = tempfile.mkdtemp(prefix="lanto-e2e-", dir=open_parent())
    os.chmod(base, 0o755)
    home = os.path.join(base, "home")
    result = subprocess.run(["useradd", "--create-home", "--home-dir", home, "--shell", "/bin/sh",
                             "--user-group", name], capture_output=True, text=True)
    if result.returncode != 0:
        shutil.rmtree(base, ignore_errors=True)
        raise lanto_e2e.Blocked("useradd failed: " + result.stderr.strip())
    return name, home, base


def open_parent():
    """A folder for temporary files whose every ancestor other users may enter."""
    for candidate in (tempfile.gettempdir(), "/tmp", "/var/tmp"):
        folder = os.path.realpath(candidate)
        if os.path.isdir(folder) and all(os.stat(up).st_mode & 0o001 for up in ancestors(folder)):
            return folder
    raise lanto_e2e.Blocked("no temporary folder that other users may enter")


def ancestors(folder):
    while True:
        yield folder
        parent = os.path.dirname(folder)
        if parent == folder:
            return
        folder = parent


def stage_suite(arguments, stage):
    """Copies what the throwaway user must read into stage, which it can read whatever the
    checkout's folders allow: the suite's scripts (beside the screens' QML they read), the
    programs, and the media cache kept between runs. Returns the staged (script, bin, out, media)."""
    here = os.path.dirname(os.path.abspath(__file__))
    scripts = os.path.join(stage, "tests", "e2e")
    shutil.copytree(here, scripts, ignore=shutil.ignore_patterns("*.cpp", "__pycache__", "CMakeLists.txt"))
    shutil.copytree(os.path.join(here, "..", "..", "screens"), os.path.join(stage, "screens"),
                    ignore=lambda folder, names: [n for n in names if not n.endswith(".qml")
                                                  and not os.path.isdir(os.path.join(folder, n))])
    programs = os.path.join(stage, "bin")
    shutil.copytree(arguments.bin, programs, symlinks=True,
                    ignore=shutil.ignore_patterns("tst_*", "bench_*", "fuzz_*"))
    media = os.path.join(stage, "media")
    if os.path.isdir(arguments.media_cache):
        shutil.copytree(arguments.media_cache, media, symlinks=True)
    else:
        os.makedirs(media)
    out = os.path.join(stage, "out")
    os.makedirs(out)
    for root, folders, files in os.walk(stage):
        for item in folders + files:
            path = os.path.join(root, item)
            if not os.path.islink(path):
                os.chmod(path, os.stat(path).st_mode | 0o444 | (0o111 if os.path.isdir(path) else 0))
    os.chmod(stage, 0o755)
    return os.path.join(scripts, os.path.basename(__file__)), programs, out, media


def bring_back(staged, kept):
    """Replaces kept with what the run left in staged (screenshots, logs, the media cache)."""
    shutil.rmtree(kept, ignore_errors=True)
    os.makedirs(os.path.dirname(kept), exist_ok=True)
    shutil.move(staged, kept)
    chown_tree(kept, os.getuid(), os.getgid())


def end_user_processes(name):
    """Ends whatever the user still runs (by process id)."""
    uid = pwd.getpwnam(name).pw_uid
    deadline = time.monotonic() + 10
    while True:
        left = [int(pid) for pid in os.listdir("/proc") if pid.isdigit() and _owner(pid) == uid]
        if not left:
            break
        for pid in left:
            try:
                os.kill(pid, signal.SIGKILL if time.monotonic() > deadline - 5 else signal.SIGTERM)
            except ProcessLookupError:
                pass
        if time.monotonic() > deadline:
            break
        time.sleep(lanto_e2e.POLL_SECONDS)


def remove_throwaway_user(name, base):
    """Removes the user and its files; its processes have ended."""
    subprocess.run(["userdel", "--remove", name], capture_output=True)
    shutil.rmtree(base, ignore_errors=True)


def _owner(pid):
    try:
        return os.stat(f"/proc/{pid}").st_uid
    except FileNotFoundError:
        return None


def run_as_throwaway_user(arguments):
    try:
        name, home, base = make_throwaway_user()
    except lanto_e2e.Blocked as why:
        print(f"e2e: SKIPPED: {why}")
        return SKIPPED
    entry = pwd.getpwnam(name)
    try:
        script, programs, out, media = stage_suite(arguments, os.path.join(base, "suite"))
        # Where X servers put their sockets; only root may make it.
        os.makedirs("/tmp/.X11-unix", exist_ok=True)
        os.chmod("/tmp/.X11-unix", 0o1777)
        runtime = os.path.join(base, "runtime")
        os.makedirs(runtime, mode=0o700)
        for folder in (runtime, out, media):
            chown_tree(folder, entry.pw_uid, entry.pw_gid)
        env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": home, "USER": name, "LOGNAME": name,
               "LANG": "C.UTF-8", "XDG_RUNTIME_DIR": runtime}
        try:
            return subprocess.run([system_python(), script, "--as-user", "--bin", programs,
                                   "--out", out, "--media-cache", media]
                                  + (["--without-mit-shm"] if arguments.without_mit_shm else []) + arguments.only,
                                  user=entry.pw_uid, group=entry.pw_gid, extra_groups=[], env=env,
                                  cwd=home).returncode
        finally:
            end_user_processes(name)
            bring_back(out, arguments.out)
            bring_back(media, arguments.media_cache)
    finally:
        end_user_processes(name)
        remove_throwaway_user(name, base)


def system_python():
    """The system's Python, which the throwaway user may run and which has pyatspi."""
    return "/usr/bin/python3" if os.access("/usr/bin/python3", os.X_OK) else sys.executable


def chown_tree(folder, uid, gid):
    os.chown(folder, uid, gid)
    for root, folders, files in os.walk(folder):
        for item in folders + files:
            os.chown(os.path.join(root, item), uid, gid, follow_symlinks=False)


def run_paths(arguments):
    session = lanto_e2e.Session(arguments.bin, arguments.out, arguments.media_cache,
                                mit_shm=not arguments.without_mit_shm)
    results = []
    try:
        session.open_desktop()
        chosen = [p for p in paths.ORDER if p.__name__ in arguments.only] if arguments.only else paths.ALL
        for path in chosen:
            try:
                path(session)
                results.append((path.__name__, "passed", ""))
            except lanto_e2e.Blocked as why:
                results.append((path.__name__, "blocked", str(why)))
            except Exception as failure:  # report every path, then fail the run
                session.screenshot("failed-" + path.__name__)
                traceback.print_exc()
                results.append((path.__name__, "FAILED", (str(failure).splitlines() or [type(failure).__name__])[0][:300]))
    finally:
        session.close()
    for name, outcome, detail in results:
        print(f"e2e: {outcome:8} {name}" + (f" — {detail}" if detail else ""))
    return 1 if any(outcome == "FAILED" for _, outcome, _ in results) else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="folder of Lanto, LantoAgent and lanto-service")
    parser.add_argument("--out", required=True, help="folder for screenshots and logs")
    parser.add_argument("--media-cache", required=True,
                        help="folder the service keeps its sample media in between runs")
    parser.add_argument("--without-mit-shm", action="store_true",
                        help="start the X server without MIT-SHM, so that no client's memory is read in place")
    parser.add_argument("--as-user", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("only", nargs="*", help="run only these paths")
    arguments = parser.parse_args()
    arguments.out = os.path.abspath(arguments.out)
    arguments.bin = os.path.abspath(arguments.bin)
    arguments.media_cache = os.path.abspath(arguments.media_cache)
    sys.exit(run_paths(arguments) if arguments.as_user else run_as_throwaway_user(arguments))


if __name__ == "__main__":
    main()
