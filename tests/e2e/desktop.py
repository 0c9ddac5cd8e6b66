"""The session's desktop: the X server and its displays, the window manager, and
where Lanto's main window lies on them."""

import os
import signal
import subprocess

from e2e_base import Blocked, Failure, wait_until

# The suite's own X displays, apart from those other test runs on this machine use.
DISPLAYS = range(160, 170)


class Desktop:
    """The X side of a Session: needs its env, log_dir, processes, start(), stop() and run()."""

    def _start_display(self, number=None):
        self.env["DISPLAY"] = ":" + self._start_x_server([int(number)] if number else DISPLAYS)
        os.environ["DISPLAY"] = self.env["DISPLAY"]
        self.start("openbox", ["openbox", "--sm-disable"])
        wait_until(lambda: "window id" in self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]),
                   10, "the window manager")

    def lay_out_displays(self, screen, monitors=None):
        """Gives the session a new X screen of `screen` ("WxHxD"), split into the
        displays `monitors` ((x, y, width, height) each; one display by default).
        Lanto and its agent end with the old screen; the caller starts Lanto again.
        The window manager stays running on the new screen, so the displays last."""
        if "Lanto" in self.processes:
            self.quit_lanto()
        for pid in self.pids_of("LantoAgent"):
            os.kill(pid, signal.SIGTERM)
        wait_until(lambda: not self.pids_of("LantoAgent"), 10, "the agent to end")
        if screen != self.screen:
            self.stop("openbox")
            self.stop("Xvfb")
            self.screen = screen
            # The same display again: the accessibility registry, started with the session,
            # knows only that one, and ends at once where it cannot open it.
            self._start_display(self.env["DISPLAY"].lstrip(":"))
        if monitors:
            for index, (x, y, width, height) in enumerate(monitors):
                # The first display takes the screen's one output; the others stand beside it.
                self.run(["xrandr", "--setmonitor", f"E2E-{index + 1}",
                          f"{width}/{width // 4}x{height}/{height // 4}+{x}+{y}",
                          "screen" if index == 0 else "none"], check=True)
        else:
            for name in [m.split()[1].lstrip("+*") for m in self.run(["xrandr", "--listmonitors"]).splitlines()[1:]]:
                if name.startswith("E2E-"):
                    self.run(["xrandr", "--delmonitor", name], check=True)
        wait_until(lambda: len(self.monitors()) == len(monitors or [None]), 10, "the X server to show the displays")

    def monitors(self):
        """The displays of the X screen as (x, y, width, height), as RandR lists them."""
        boxes = []
        for line in self.run(["xrandr", "--listmonitors"]).splitlines()[1:]:
            geometry = line.split()[2]  # W/mmWxH/mmH+X+Y
            width, rest = geometry.split("/", 1)
            height = rest.split("x", 1)[1].split("/", 1)[0]
            x, y = rest.split("+")[1:3]
            boxes.append((int(x), int(y), int(width), int(height)))
        return boxes

    def _start_x_server(self, numbers):
        """Starts Xvfb on the first free display of numbers; returns its number."""
        log = open(os.path.join(self.log_dir, "Xvfb.log"), "ab")
        for number in numbers:
            if len(numbers) == 1:
                wait_until(lambda: not _display_in_use(number), 10, f"display :{number} to be free again")
            elif _display_in_use(number):
                continue
            read_fd, write_fd = os.pipe()
            server = subprocess.Popen(
                ["Xvfb", f":{number}", "-displayfd", str(write_fd), "-screen", "0", self.screen,
                 "-nolisten", "tcp", "-ac"] + ([] if self.mit_shm else ["-extension", "MIT-SHM"]),
                env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=log, pass_fds=(write_fd,),
                start_new_session=True)
            os.close(write_fd)
            with os.fdopen(read_fd) as reader:
                ready = reader.readline().strip()  # empty when the server gave up on this display
            if ready:
                self.processes["Xvfb"] = server
                return ready
            server.wait()
        raise Blocked(f"no free X display in :{numbers[0]}-:{numbers[-1]} (see logs/Xvfb.log)")


    def screen_size(self):
        return tuple(int(v) for v in self.screen.split("x")[:2])

    def main_window(self, timeout=30):
        """Lanto's main window: its largest frame that does not cover the whole screen, as
        the desktop windows behind everything do; the display panel is a smaller one."""
        def found():
            frames = [(f, self.extents(f)) for f in self.find_all(self.application(), role="frame")]
            displays = [tuple(m[2:]) for m in self.monitors()]
            windows = [(box[2] * box[3], f) for f, box in frames if tuple(box[2:]) not in displays]
            return max(windows, key=lambda window: window[0])[1] if windows else None
        return wait_until(found, timeout, "Lanto's main window")

    def main_window_id(self):
        """The X window of Lanto's main window: the one of its windows that is an
        ordinary one, not a desktop window behind the icons."""
        process = self.processes["Lanto"]

        def found():
            ordinary = []
            for window in self.run(["xdotool", "search", "--onlyvisible", "--pid", str(process.pid),
                                    "--name", "^Lanto$"]).split():
                if "DESKTOP" not in self.run(["xprop", "-id", window, "_NET_WM_WINDOW_TYPE"]):
                    size = self.window_geometry(window)
                    ordinary.append((size["WIDTH"] * size["HEIGHT"], window))
            # The display panel is a smaller window of its own.
            return max(ordinary)[1] if ordinary else None
        return wait_until(found, 10, "the main window's X window")

    def window_geometry(self, window):
        """X, Y, WIDTH and HEIGHT of an X window, as xdotool reports them."""
        return {key: int(value) for key, value in (line.split("=", 1) for line in self.run(
            ["xdotool", "getwindowgeometry", "--shell", window]).splitlines() if "=" in line) if key != "SCREEN"}

    def resize_main_window(self, width, height):
        """Gives the main window this inner size, near the screen's top left corner."""
        window = self.main_window_id()
        self.run(["xdotool", "windowsize", "--sync", window, str(width), str(height),
                  "windowmove", "--sync", window, "0", "40"], check=True)
        wait_until(lambda: tuple(self.extents(self.main_window())[2:]) == (width, height), 10,
                   f"the main window to measure {width} x {height}")

    def maximise_main_window(self):
        """Double-clicks the main window's title bar, as a person maximises it."""
        before = self.extents(self.main_window())
        x, y, width, _ = before
        self.run(["xdotool", "mousemove", "--sync", str(x + width // 3), str(max(0, y - 8)),
                  "click", "--repeat", "2", "--delay", "80", "1"], check=True)
        display = next(m for m in self.monitors() if inside_box((x, y), m))
        wait_until(lambda: self.extents(self.main_window())[2] >= display[2] - 2, 10,
                   "the main window to fill its display's width")

    def focus_main_window(self):
        """Clicks the title bar of Lanto's main window, as a person does to type into it."""
        x, y, width, _ = self.extents(self.main_window())
        self.run(["xdotool", "mousemove", "--sync", str(x + width // 3), str(max(0, y - 8)), "click", "1"],
                 check=True)

    def uncovered_strip(self):
        """The widest part of the screen beside Lanto's window, where the desktop shows."""
        x, y, width, height = self.extents(self.main_window())
        screen_width, screen_height = self.screen_size()
        strips = [(0, 0, x, screen_height), (x + width, 0, screen_width - x - width, screen_height),
                  (0, 0, screen_width, y), (0, y + height, screen_width, screen_height - y - height)]
        strip = max(strips, key=lambda box: max(0, box[2]) * max(0, box[3]))
        if strip[2] * strip[3] < 100 * 100:
            raise Failure("Lanto's window covers the whole screen; no desktop to look at")
        return strip


def inside_box(point, box):
    return box[0] <= point[0] < box[0] + box[2] and box[1] <= point[1] < box[1] + box[3]


def _display_in_use(number):
    """Whether a live X server holds the display (a lock left by a dead one does not count)."""
    try:
        with open(f"/tmp/.X{number}-lock") as lock:
            pid = int(lock.read().strip() or 0)
    except (FileNotFoundError, ValueError):
        return os.path.exists(f"/tmp/.X11-unix/X{number}")
    return pid > 0 and os.path.exists(f"/proc/{pid}")

