#!/usr/bin/python3
"""What Lanto's main window costs at rest, and what Lanto costs with it closed.

Starts lanto-service and Lanto under a private Xvfb (1920x1080) with openbox,
signs in through the service's web page as a person does, and measures Lanto's
processor use (% of one core) and wake-ups per second over 30 s each: the main
window shown on Discover at rest; the window closed; Lanto started again with
--background. Run as root: like the end-to-end suite it runs as a throwaway
user, so no one's own Lanto account or files are touched.

    bench/window/window_bench.py --bin build/bin [--seconds 30]

The last line is RESULT key=value ...
"""

import argparse
import os
import pwd
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))

import lanto_e2e  # noqa: E402
import run_e2e  # noqa: E402
from lanto_e2e import wait_until  # noqa: E402

SCREEN = "1920x1080x24"
HANDLE = "benchwindow"
# Time for start-up work (catalogue, thumbnails, first frames) to end before measuring.
SETTLE_SECONDS = 15
TICKS = os.sysconf("SC_CLK_TCK")


class Sample:
    """Processor time and voluntary context switches (wake-ups) of one process, now."""

    def __init__(self, pid):
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        self.cpu_seconds = (int(fields[11]) + int(fields[12])) / TICKS
        self.wakeups = 0
        for task in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{task}/status") as status:
                    for line in status:
                        if line.startswith("voluntary_ctxt_switches:"):
                            self.wakeups += int(line.split()[1])
            except FileNotFoundError:
                pass  # a thread that ended between the listing and the read
        self.time = time.monotonic()


def measure(pid, seconds):
    """(% of a core, wake-ups per second) of the process over the next seconds."""
    first = Sample(pid)
    time.sleep(seconds)
    last = Sample(pid)
    elapsed = last.time - first.time
    return (100.0 * (last.cpu_seconds - first.cpu_seconds) / elapsed,
            max(0, last.wakeups - first.wakeups) / elapsed)


def sign_in(session):
    """Welcome, the service's sign-in page, the hand-back to Lanto, a handle: the main window."""
    session.install_browser()
    session.start_service()
    session.start_lanto(session.service_env())
    session.press("Sign in with Apple", timeout=30)
    callback = lanto_e2e.browser_sign_in(session.wait_for_browser(), "Bench Window")
    session.run(["xdg-open", callback], check=True)
    field = session.find("Handle", "text", timeout=30)
    session.click(field)
    session.type_text(HANDLE)

    # Continue takes the handle once the service has called it free.
    def continued():
        if not session.find_all(session.application(), "Handle", "text"):
            return True
        button = session.find("Continue", "push button")
        if session.is_enabled(button):
            session.click(button)
        return False
    wait_until(continued, 40, "the handle set-up to take the handle")
    session.find("Discover", timeout=30)


def main_window_id(session):
    ids = session.run(["xdotool", "search", "--onlyvisible", "--name", "^Lanto$"]).split()
    return ids[0] if ids else None


def close_main_window(session):
    """Closes the window as its title bar's close button does (openbox: Alt+F4)."""
    window = wait_until(lambda: main_window_id(session), 10, "Lanto's main window")
    session.run(["xdotool", "windowactivate", "--sync", window], check=True)
    session.run(["xdotool", "key", "alt+F4"], check=True)
    wait_until(lambda: main_window_id(session) is None, 10, "the main window to close")


def render_path(session):
    """The main window's render path, as Lanto logged it."""
    try:
        with open(os.path.join(session.log_dir, "Lanto.log"), errors="replace") as log:
            for line in log:
                if "main window render path: " in line:
                    return line.split("main window render path: ", 1)[1].split()[0]
    except FileNotFoundError:
        pass
    return "unknown"


def run(arguments):
    session = lanto_e2e.Session(arguments.bin, arguments.out, arguments.media_cache, screen=SCREEN)
    figures = {}
    try:
        session.open_desktop()
        sign_in(session)
        time.sleep(SETTLE_SECONDS)
        pid = session.processes["Lanto"].pid
        session.screenshot("window-bench-shown")
        figures["shown"] = measure(pid, arguments.seconds)
        print(f"shown on Discover: {figures['shown'][0]:.2f} % of a core, {figures['shown'][1]:.1f} wake-ups/s")

        close_main_window(session)
        time.sleep(SETTLE_SECONDS)
        figures["hidden"] = measure(pid, arguments.seconds)
        print(f"window closed: {figures['hidden'][0]:.2f} % of a core, {figures['hidden'][1]:.1f} wake-ups/s")
        path = render_path(session)

        session.stop("Lanto")
        session.start("Lanto", [session.program("Lanto"), "--background"], env=session.service_env())
        time.sleep(SETTLE_SECONDS)
        figures["background"] = measure(session.processes["Lanto"].pid, arguments.seconds)
        print(f"--background: {figures['background'][0]:.2f} % of a core, "
              f"{figures['background'][1]:.1f} wake-ups/s")
    finally:
        session.close()
    print("goals: shown <= 5 % of a core; closed and --background < 0.1 % and < 1 wake-up/s")
    print("RESULT " + " ".join(f"{name}_cpu_pct={cpu:.2f} {name}_wakeups_per_s={wakeups:.2f}"
                               for name, (cpu, wakeups) in figures.items()) + f" render_path={path}")
    return 0


def run_as_throwaway_user(arguments):
    name, home, base = run_e2e.make_throwaway_user()
    entry = pwd.getpwnam(name)
    os.makedirs("/tmp/.X11-unix", exist_ok=True)
    os.chmod("/tmp/.X11-unix", 0o1777)
    runtime = os.path.join(base, "runtime")
    os.makedirs(runtime, mode=0o700)
    for folder in (runtime, arguments.out, arguments.media_cache):
        os.makedirs(folder, exist_ok=True)
        run_e2e.chown_tree(folder, entry.pw_uid, entry.pw_gid)
    env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": home, "USER": name, "LOGNAME": name,
           "LANG": "C.UTF-8", "XDG_RUNTIME_DIR": runtime}
    try:
        # The system interpreter: the one the accessibility bindings are installed for.
        return subprocess.run(["/usr/bin/python3", os.path.abspath(__file__), "--as-user", "--bin", arguments.bin,
                               "--out", arguments.out, "--media-cache", arguments.media_cache,
                               "--seconds", str(arguments.seconds)],
                              user=entry.pw_uid, group=entry.pw_gid, extra_groups=[], env=env, cwd=home).returncode
    finally:
        run_e2e.remove_throwaway_user(name, base)
        for folder in (arguments.out, arguments.media_cache):
            run_e2e.chown_tree(folder, os.getuid(), os.getgid())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", default="build/bin", help="folder of Lanto, LantoAgent and lanto-service")
    parser.add_argument("--out", default=os.path.join(tempfile.gettempdir(), "lanto-window-bench"),
                        help="folder for the screenshot and the programs' logs")
    parser.add_argument("--media-cache", default=os.path.join(tempfile.gettempdir(), "lanto-bench-media"),
                        help="folder the service keeps its sample media in between runs")
    parser.add_argument("--seconds", type=float, default=30)
    parser.add_argument("--as-user", action="store_true", help=argparse.SUPPRESS)
    arguments = parser.parse_args()
    for name in ("bin", "out", "media_cache"):
        setattr(arguments, name, os.path.abspath(getattr(arguments, name)))
    if arguments.as_user:
        return run(arguments)
    if os.geteuid() != 0:
        print("window_bench: needs root to run as a throwaway user", file=sys.stderr)
        return 77
    return run_as_throwaway_user(arguments)


if __name__ == "__main__":
    sys.exit(main())
