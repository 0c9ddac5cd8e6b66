#!/usr/bin/python3
"""What Lanto's main window costs at rest, and what Lanto costs with it closed.

Starts lanto-service and Lanto under a private Xvfb (1920x1080) with openbox,
signs in through the service's web page as a person does, and measures Lanto's
processor use (% of one core) and wake-ups per second over 30 s each: the main
window shown on Discover at rest; the window closed; Lanto started again with
--background. Wake-ups are the times any of Lanto's threads got a processor (the scheduler's
own count, so timer-driven ones count too); each state starts once Lanto's processor use has
held steady, so start-up work is not measured as rest. After each state the busiest threads
are listed by name. Run as root: like the end-to-end suite it runs as a throwaway
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
# Start-up work (catalogue, thumbnails, cache writes, first frames, the agent's hand-back) must
# end before a state is measured: the bench waits until Lanto's processor use stops changing.
SETTLE_WINDOW_SECONDS = 3
SETTLE_WINDOWS = 3
SETTLE_MAX_SECONDS = 90
# Settle windows agree when they differ by less than this much of a core, or this share.
SETTLE_ABSOLUTE_PCT = 0.05
SETTLE_RELATIVE = 0.2
# How often the threads are read while measuring: a thread that ends loses at most this much.
SAMPLE_SECONDS = 0.5
# Threads shown in the breakdown after each state.
BREAKDOWN_THREADS = 8


def read_threads(pid):
    """{thread id: (name, processor ns, times run)} of every thread of the process now.

    The scheduler's own counters (schedstat): processor time to the nanosecond, and every time a
    thread got a processor, whether it had gone to sleep on its own or a timer or another thread
    woke it: its wake-ups.
    """
    threads = {}
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except FileNotFoundError:
        return threads
    for task in tasks:
        try:
            with open(f"/proc/{pid}/task/{task}/comm") as comm:
                name = comm.read().strip()
            with open(f"/proc/{pid}/task/{task}/schedstat") as schedstat:
                running_ns, _, runs = (int(field) for field in schedstat.read().split()[:3])
        except (FileNotFoundError, ProcessLookupError, ValueError):
            continue  # a thread that ended between the listing and the read
        threads[int(task)] = (name, running_ns, runs)
    return threads


class Usage:
    """Processor time and wake-ups of one process's threads since the first sample.

    Threads are read every SAMPLE_SECONDS and each thread's own growth is summed, so a thread
    that starts or ends in between counts for the time it was seen (a single before/after
    difference over all threads goes wrong, even negative, when a busy thread ends).
    """

    def __init__(self, pid):
        self.pid = pid
        self.last = read_threads(pid)
        self.start = time.monotonic()
        self.end = self.start
        self.per_thread = {}  # thread id -> [name, processor ns, wake-ups]

    def sample(self):
        now = read_threads(self.pid)
        for tid, (name, running_ns, runs) in now.items():
            _, before_ns, before_runs = self.last.get(tid, (name, 0, 0))
            entry = self.per_thread.setdefault(tid, [name, 0, 0])
            entry[0] = name
            entry[1] += max(0, running_ns - before_ns)
            entry[2] += max(0, runs - before_runs)
        self.last = now
        self.end = time.monotonic()

    def elapsed(self):
        """Seconds from the first sample to the last."""
        return self.end - self.start

    def cpu_pct(self):
        return 100.0 * sum(ns for _, ns, _ in self.per_thread.values()) / 1e9 / max(self.elapsed(), 1e-9)

    def wakeups_per_s(self):
        return sum(runs for _, _, runs in self.per_thread.values()) / max(self.elapsed(), 1e-9)

    def breakdown(self):
        """The busiest threads, by name, as text lines."""
        by_name = {}
        for name, ns, runs in self.per_thread.values():
            total = by_name.setdefault(name, [0, 0, 0])
            total[0] += ns
            total[1] += runs
            total[2] += 1
        elapsed = max(self.elapsed(), 1e-9)
        rows = sorted(by_name.items(), key=lambda item: (item[1][1], item[1][0]), reverse=True)
        return [f"    {name:<16} x{count:<2} {100.0 * ns / 1e9 / elapsed:6.3f} % {runs / elapsed:7.2f} wake-ups/s"
                for name, (ns, runs, count) in rows[:BREAKDOWN_THREADS] if runs or ns]


def measure(pid, seconds):
    """The process's usage over the next seconds."""
    usage = Usage(pid)
    deadline = usage.start + seconds
    while time.monotonic() < deadline:
        time.sleep(min(SAMPLE_SECONDS, max(0.0, deadline - time.monotonic())))
        usage.sample()
    return usage


def settle(pid, what):
    """Waits until the process's processor use holds steady (start-up work has ended): the last
    SETTLE_WINDOWS windows agree with one another. Returns the seconds waited; gives up, saying
    so, after SETTLE_MAX_SECONDS."""
    start = time.monotonic()
    windows = []
    while True:
        windows.append(measure(pid, SETTLE_WINDOW_SECONDS).cpu_pct())
        recent = windows[-SETTLE_WINDOWS:]
        waited = time.monotonic() - start
        steady = len(recent) == SETTLE_WINDOWS and max(recent) - min(recent) < max(
            SETTLE_ABSOLUTE_PCT, SETTLE_RELATIVE * min(recent))
        if steady:
            return waited
        if waited >= SETTLE_MAX_SECONDS:
            print(f"{what}: not steady after {waited:.0f} s (last windows "
                  + ", ".join(f"{pct:.2f}" for pct in recent) + " % of a core); measuring anyway")
            return waited


def report(what, usage, settled):
    print(f"{what}: {usage.cpu_pct():.3f} % of a core, {usage.wakeups_per_s():.2f} wake-ups/s "
          f"(steady after {settled:.0f} s)")
    for line in usage.breakdown():
        print(line)


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
        # The page may leave between the two looks: then the next look sees it gone.
        buttons = session.find_all(session.application(), "Continue", "push button")
        if buttons and session.is_enabled(buttons[0]):
            session.click(buttons[0])
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
        pid = session.processes["Lanto"].pid
        settled = settle(pid, "shown on Discover")
        session.screenshot("window-bench-shown")
        figures["shown"] = measure(pid, arguments.seconds)
        report("shown on Discover", figures["shown"], settled)

        close_main_window(session)
        settled = settle(pid, "window closed")
        figures["hidden"] = measure(pid, arguments.seconds)
        report("window closed", figures["hidden"], settled)
        path = render_path(session)

        session.stop("Lanto")
        session.start("Lanto", [session.program("Lanto"), "--background"], env=session.service_env())
        pid = session.processes["Lanto"].pid
        settled = settle(pid, "--background")
        figures["background"] = measure(pid, arguments.seconds)
        report("--background", figures["background"], settled)
    finally:
        session.close()
    print("goals: shown <= 5 % of a core; closed and --background < 0.1 % and < 1 wake-up/s")
    print("RESULT " + " ".join(f"{name}_cpu_pct={usage.cpu_pct():.2f} {name}_wakeups_per_s={usage.wakeups_per_s():.2f}"
                               for name, usage in figures.items()) + f" render_path={path}")
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
                               "--seconds", str(arguments.seconds)]
                              + (["--first-display", str(arguments.first_display)]
                                 if arguments.first_display is not None else []),
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
    parser.add_argument("--first-display", type=int,
                        help="first of ten X display numbers to try (default: the end-to-end suite's)")
    parser.add_argument("--as-user", action="store_true", help=argparse.SUPPRESS)
    arguments = parser.parse_args()
    for name in ("bin", "out", "media_cache"):
        setattr(arguments, name, os.path.abspath(getattr(arguments, name)))
    if arguments.first_display is not None:
        lanto_e2e.DISPLAYS = range(arguments.first_display, arguments.first_display + 10)
    if arguments.as_user:
        return run(arguments)
    if os.geteuid() != 0:
        print("window_bench: needs root to run as a throwaway user", file=sys.stderr)
        return 77
    return run_as_throwaway_user(arguments)


if __name__ == "__main__":
    sys.exit(main())
