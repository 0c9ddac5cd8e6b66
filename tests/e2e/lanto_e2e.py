"""Runs Lanto, its agent and the local web service the way a person meets them.

A session owns a private X server with a window manager, a session bus with
the accessibility bus beside it, and the programs, all running as one
throwaway user whose home folder comes from the user database. Controls are
found by accessible name and role over AT-SPI and pressed with real pointer
and keyboard input (xdotool). Every wait has a deadline.
"""

import glob
import http.client
import json
import os
import plistlib
import signal
import sqlite3
import subprocess
import urllib.parse

from desktop import Desktop
from e2e_base import POLL_SECONDS, Blocked, Failure, inside, read_line_until, wait_until
from person_files import PersonFiles
from web_browser import Browser, browser_sign_in

# Imported from here by the paths.
__all__ = ["POLL_SECONDS", "Blocked", "Failure", "Screenshot", "Session", "browser_sign_in", "wait_until"]

class Screenshot:
    """The pixels of the whole screen at one moment, saved as a PNG."""

    def __init__(self, path):
        self.path = path
        size = subprocess.run(["identify", "-format", "%w %h", path],
                              check=True, capture_output=True, text=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"],
                                  check=True, capture_output=True).stdout

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.rgb[offset:offset + 3])

    def region(self, x, y, width, height):
        """The pixels of a rectangle, clipped to the screen, as (r, g, b) tuples."""
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + width), min(self.height, y + height)
        return [self.pixel(px, py) for py in range(y0, y1) for px in range(x0, x1)]

    def differs_from(self, other, x, y, width, height, step=4):
        """The share of sampled pixels in a rectangle that differ from another screenshot."""
        changed = total = 0
        for py in range(max(0, y), min(self.height, y + height), step):
            for px in range(max(0, x), min(self.width, x + width), step):
                total += 1
                a, b = self.pixel(px, py), other.pixel(px, py)
                if max(abs(a[i] - b[i]) for i in range(3)) > 24:
                    changed += 1
        return changed / total if total else 0.0


class Session(Desktop, Browser, PersonFiles):
    """One desktop session for the throwaway user: display, buses and programs."""

    def __init__(self, bin_dir, out_dir, media_cache, screen="1600x1000x24", mit_shm=True):
        self.bin_dir = bin_dir
        # Without MIT-SHM the X server cannot read a client's memory: video frames go in the requests.
        self.mit_shm = mit_shm
        self.out_dir = out_dir
        self.media_cache = media_cache
        self.screen = self.first_screen = screen
        self.home = os.path.expanduser("~" + os.environ.get("USER", ""))
        self.log_dir = os.path.join(out_dir, "logs")
        os.makedirs(self.log_dir, exist_ok=True)
        self.processes = {}
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "USER": os.environ["USER"],
            "LOGNAME": os.environ["USER"],
            "LANG": "C.UTF-8",
            "XDG_RUNTIME_DIR": os.environ["XDG_RUNTIME_DIR"],
            "QT_QPA_PLATFORM": "xcb",
            # Not the default folders: Lanto must register its handlers where the desktop's tools look.
            "XDG_DATA_HOME": os.path.join(self.home, "desktop-data"),
            "XDG_CONFIG_HOME": os.path.join(self.home, "desktop-config"),
        }

    # -- starting and stopping -------------------------------------------

    def start(self, name, argv, env=None, stdout_pipe=False):
        log = open(os.path.join(self.log_dir, name + ".log"), "ab")
        # Unbuffered, so that waiting on the pipe sees every line the program wrote.
        process = subprocess.Popen(argv, env=dict(self.env, **(env or {})), stdin=subprocess.DEVNULL, bufsize=0,
                                   stdout=subprocess.PIPE if stdout_pipe else log, stderr=log,
                                   start_new_session=True)
        self.processes[name] = process
        return process

    def stop(self, name, sig=signal.SIGTERM, timeout=10):
        process = self.processes.pop(name, None)
        if process is None or process.poll() is not None:
            return
        os.killpg(process.pid, sig)
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()

    def open_desktop(self):
        """Starts the X server, the window manager and the two buses."""
        self._start_display()
        bus = self.start("dbus-daemon", ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout_pipe=True)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        self.start("at-spi-bus-launcher", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        wait_until(lambda: self._bus_name_owned("org.a11y.Bus"), 10, "the accessibility bus")
        # pyatspi finds the accessibility bus through the environment it is first imported with.
        os.environ.update(self.env)

    def _bus_name_owned(self, name):
        reply = self.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                          "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + name])
        return "boolean true" in reply

    def close(self):
        for name in reversed(list(self.processes)):
            self.stop(name, timeout=5)

    def run(self, argv, check=False):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True)
        if check and result.returncode != 0:
            raise Failure(f"{argv[0]} failed: {result.stderr.strip()}")
        return result.stdout

    # -- Lanto --------------------------------------------------------------

    def program(self, name):
        return os.path.join(self.bin_dir, name)

    def start_lanto(self, extra_env=None):
        env = {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
        env.update(extra_env or {})
        self.lanto_env = env
        return self.start("Lanto", [self.program("Lanto")], env=env)

    def start_service(self, extra_args=(), port=0):
        """Starts lanto-service on a loopback port (a free one unless given); returns
        its origin once it listens."""
        program = self.program("lanto-service")
        if not os.path.exists(program):
            raise Blocked("lanto-service is not built here yet")
        service = self.start("lanto-service", [program, "--port", str(port), "--data",
                                               os.path.join(self.home, "service-data"),
                                               "--media-cache", self.media_cache] + list(extra_args),
                             stdout_pipe=True)
        # The first start makes the sample catalogue's media, once per cache folder.
        line = read_line_until(service.stdout, "listening on ", 420,
                               os.path.join(self.log_dir, "lanto-service.log"))
        self.service_origin = line.split("listening on ", 1)[1].strip()
        if not port:
            self.service_args = list(extra_args)
        return self.service_origin

    def service_port(self):
        return urllib.parse.urlsplit(self.service_origin).port

    def restart_service(self, extra_args=()):
        """Starts the service again on its port, with its first options and these."""
        self.stop("lanto-service")
        self.start_service(self.service_args + list(extra_args), port=self.service_port())

    def quit_lanto(self):
        """Ctrl+Q in Lanto's window; waits for Lanto to end (its agent goes on)."""
        self.focus_main_window()
        self.key("ctrl+q")
        self.wait_ended("Lanto", 15)

    def restart_lanto(self, extra_env=None):
        """Quits Lanto and starts it again, as a person does; returns once its window shows."""
        self.quit_lanto()
        self.start_lanto(dict(self.lanto_env, **(extra_env or {})))
        return self.main_window()

    def service_env(self):
        return {"LANTO_SERVICE_URL": self.service_origin + "/api/v1",
                "LANTO_AUTHORIZE_URL": self.service_origin + "/auth/authorize",
                "LANTO_UPDATE_FEED_URL": self.service_origin + "/appcast.xml"}

    def require_service(self):
        if not getattr(self, "service_origin", None):
            raise Blocked("needs the local web service (lanto-service), which is not built here")

    def service_json(self, method, path, body=None, token=None):
        """One request to the service's API; returns the envelope's data."""
        url = urllib.parse.urlsplit(self.service_origin)
        connection = http.client.HTTPConnection(url.hostname, url.port, timeout=30)
        headers = {"Content-Type": "application/json", "Accept": "application/json"}
        if token:
            headers["Authorization"] = "Bearer " + token
        connection.request(method, "/api/v1/" + path, json.dumps(body) if body is not None else None, headers)
        reply = connection.getresponse()
        envelope = json.loads(reply.read() or b"{}")
        if reply.status >= 300 or not envelope.get("ok"):
            raise Failure(f"{method} {path} answered {reply.status}: {envelope.get('error')}")
        return envelope.get("data")

    def service_db(self, query, *parameters):
        """The rows a query finds in the service's database, read as it stands on disk."""
        path = os.path.join(self.home, "service-data", "lanto-service.sqlite")
        with sqlite3.connect(f"file:{path}?mode=ro", uri=True, timeout=10) as db:
            return db.execute(query, parameters).fetchall()

    def service_handle_in_use(self):
        """A handle someone holds that Lanto's handle field takes as typed."""
        handles = [row[0] for row in self.service_db("SELECT handle FROM users WHERE handle IS NOT NULL ORDER BY handle")]
        return next(h for h in handles if h and all(c.isascii() and (c.isalnum() or c == "_") for c in h))

    def service_titles(self):
        """The titles of every wallpaper the service's Discover answer names."""
        titles = set()

        def walk(value):
            if isinstance(value, dict):
                if isinstance(value.get("title"), str) and "id" in value:
                    titles.add(value["title"])
                for item in value.values():
                    walk(item)
            elif isinstance(value, list):
                for item in value:
                    walk(item)
        walk(self.service_json("GET", "discover"))
        return titles

    @property
    def support_dir(self):
        return os.path.join(self.home, "Library", "Application Support", "Lanto")

    def downloads_folder(self):
        return os.path.join(self.support_dir, "Downloads")

    def settings_value(self, key):
        """A key of Settings.plist as it stands on disk; false while absent, as Lanto reads it."""
        try:
            with open(os.path.join(self.support_dir, "Settings.plist"), "rb") as plist:
                return plistlib.load(plist).get(key, False)
        except (FileNotFoundError, plistlib.InvalidFileException):
            return False

    def user_default(self, key):
        """A key of Lanto's user defaults (the interface language, the update switches)
        as it stands on disk; None while absent."""
        import configparser
        store = configparser.ConfigParser(interpolation=None)
        store.optionxform = str  # the keys are case-sensitive
        store.read(os.path.join(self.home, ".config", "lanto", "user-defaults.conf"), encoding="utf-8")
        value = store.get("General", key, fallback=None)
        return value.strip('"') if value is not None else None

    def own_titles(self):
        """The titles of the wallpapers the user imported, read from the metadata Lanto keeps beside them."""
        titles = []
        for path in glob.glob(os.path.join(self.downloads_folder(), "*", "metadata.json")):
            try:
                with open(path, encoding="utf-8") as metadata:
                    titles.append(json.load(metadata).get("title"))
            except (OSError, ValueError):
                continue
        return titles

    def autostart_entries(self):
        return glob.glob(os.path.join(self.env["XDG_CONFIG_HOME"], "autostart", "*.desktop"))

    # -- processes and windows ---------------------------------------------------

    def pids_of(self, program):
        """The ids of this user's live processes running that program."""
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                if os.stat(f"/proc/{pid}").st_uid != os.getuid():
                    continue
                with open(f"/proc/{pid}/stat") as stat:
                    fields = stat.read()
            except (FileNotFoundError, ProcessLookupError):
                continue
            name, state = fields[fields.index("(") + 1:fields.rindex(")")], fields[fields.rindex(")") + 2]
            if name == program[:15] and state != "Z":
                found.append(int(pid))
        return found

    def shown_windows(self, pid):
        """The X windows a process has mapped on the screen."""
        return self.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)]).split()

    def wait_ended(self, name, timeout):
        process = self.processes.pop(name)
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.processes[name] = process
            raise Failure(f"{name} did not end within {timeout} s") from None

    def wait_moving(self, box, what, timeout=20):
        """Waits until the pixels of a part of the screen change, as a playing video's do."""
        first = self.screenshot("before-moving")
        wait_until(lambda: self.screenshot("moving").differs_from(first, *box) > 0.02, timeout, what)

    # -- the accessibility tree ----------------------------------------------

    def application(self, name="Lanto", timeout=20):
        import pyatspi

        from gi.repository import Atspi

        # A Lanto that ended may linger on the bus for a moment: only the running one counts.
        process = self.processes.get(name)

        def found():
            desktop = pyatspi.Registry.getDesktop(0)
            for index in range(desktop.childCount):
                app = desktop.getChildAtIndex(index)
                try:
                    if app is None or app.name != name or (process is not None and app.get_process_id() != process.pid):
                        continue
                except Exception:  # an application that ended while we asked
                    continue
                # States and names change as the user acts: read them fresh each time.
                app.set_cache_mask(Atspi.Cache.NONE)
                return app
            return None
        return wait_until(found, timeout, f"the application {name!r} on the accessibility bus")

    def find_all(self, root, name=None, role=None, showing=True, outside=()):
        """Every accessible under root with that name (text or predicate) and role name,
        not looking inside accessibles of the roles in outside."""
        import pyatspi
        matches, stack = [], [root]
        while stack:
            node = stack.pop()
            try:
                states = node.getState()
                if showing and node is not root and not states.contains(pyatspi.STATE_SHOWING):
                    continue
                name_ok = name is None or (name(node.name) if callable(name) else node.name == name)
                if name_ok and (role is None or node.getRoleName() == role):
                    matches.append(node)
                if node is not root and node.getRoleName() in outside:
                    continue
                stack.extend(reversed([node.getChildAtIndex(i) for i in range(node.childCount)]))
            except Exception:  # a node that went away while we walked the tree
                continue
        return [m for m in matches if m is not None]

    def find(self, name=None, role=None, timeout=10, root=None):
        """The first showing accessible with that name and role, waiting up to timeout seconds."""
        what = f"a {role or 'control'} named {name!r}"
        try:
            return wait_until(lambda: next(iter(self.find_all(root or self.application(), name, role)), None),
                              timeout, what)
        except Failure:
            self.screenshot("missing")
            raise Failure(f"no {what}; showing: {self.names_showing()}") from None

    def names_showing(self):
        return sorted({f"{n.getRoleName()}:{n.name}" for n in self.find_all(self.application()) if n.name})

    def is_showing(self, accessible):
        import pyatspi
        return accessible.getState().contains(pyatspi.STATE_SHOWING)

    def is_enabled(self, accessible):
        import pyatspi
        accessible.clearCache()
        return accessible.getState().contains(pyatspi.STATE_ENABLED)

    def is_checked(self, accessible):
        import pyatspi
        accessible.clearCache()
        return accessible.getState().contains(pyatspi.STATE_CHECKED)

    def said_of(self, accessible):
        """What a screen reader says of an accessible besides its name."""
        accessible.clearCache()
        return accessible.description

    def text_of(self, accessible):
        """The text a text field or label holds."""
        try:
            text = accessible.queryText()
        except NotImplementedError:
            return ""
        return text.getText(0, -1)

    def extents(self, accessible):
        """x, y, width and height of an accessible on the screen."""
        import pyatspi
        box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    def act(self, accessible, action):
        """Does one of an accessible's actions ("Toggle", "Press"), as a screen reader
        user does with a control that lies below the visible part of its page."""
        actions = accessible.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        if action not in names:
            raise Failure(f"{accessible.name!r} offers no {action!r}, only {names}")
        actions.doAction(names.index(action))

    def gone(self, name, role=None, timeout=10):
        wait_until(lambda: not self.find_all(self.application(), name, role), timeout, f"{name!r} to go away")

    def is_focused(self, accessible):
        import pyatspi
        accessible.clearCache()
        return accessible.getState().contains(pyatspi.STATE_FOCUSED)

    # -- input -------------------------------------------------------------

    def centre(self, accessible):
        import pyatspi
        extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return extents.x + extents.width // 2, extents.y + extents.height // 2

    def click(self, accessible):
        x, y = self.centre(accessible)
        self.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)

    def press(self, name, role="push button", timeout=10):
        """Finds an enabled control by name and role and clicks it where it is drawn.

        A page that is fading out still shows its controls, disabled, for a
        moment; one of the same name on the page fading in is the one a person
        presses. A control scrolled out of its window is not one a person can press."""
        def enabled_one():
            return next(iter(self.pressable(name, role)), None)
        try:
            control = wait_until(enabled_one, timeout, f"an enabled {role} named {name!r}")
        except Failure:
            self.screenshot("missing")
            raise Failure(f"no enabled {role} named {name!r}; showing: {self.names_showing()}") from None
        try:
            self.click(control)
        except NotImplementedError:
            # The control went away between finding and clicking (its page was
            # still being built): take the one that replaced it.
            self.click(wait_until(enabled_one, timeout, f"an enabled {role} named {name!r}"))

    def pressable(self, name, role="push button"):
        """The enabled controls of that name and role whose middles lie in their windows."""
        found = []
        for window in self.find_all(self.application(), role="frame") + self.find_all(self.application(), role="dialog"):
            box = self.extents(window)
            found += [c for c in self.find_all(window, name, role)
                      if self.is_enabled(c) and inside((*self.centre(c), 0, 0), box, slack=0)]
        return found

    def type_text(self, text):
        self.run(["xdotool", "type", "--delay", "20", text], check=True)

    def key(self, *keys):
        self.run(["xdotool", "key"] + list(keys), check=True)

    # -- looking -------------------------------------------------------------

    def screenshot(self, name):
        return Screenshot(self.snapshot(name))

    def snapshot(self, name):
        """Saves the whole screen as NAME.png in the output folder, for people to look at."""
        path = os.path.join(self.out_dir, name + ".png")
        self.run(["import", "-window", "root", path], check=True)
        return path

    def dump_tree(self, name, root=None):
        """Writes every showing accessible under root with its role, name and place
        to NAME.tree in the output folder, for a person finding why a path failed."""
        import pyatspi
        lines, stack = [], [(root or self.application(), 0)]
        while stack:
            node, depth = stack.pop()
            try:
                box = self.extents(node) if node.getRoleName() != "application" else ()
                focused = " focused" if node.getState().contains(pyatspi.STATE_FOCUSED) else ""
                lines.append(f"{'  ' * depth}{node.getRoleName()} {node.name!r} {box}{focused}")
                stack.extend(reversed([(c, depth + 1) for c in
                                       (node.getChildAtIndex(i) for i in range(node.childCount))
                                       if c is not None and c.getState().contains(pyatspi.STATE_SHOWING)]))
            except Exception:  # a node that went away while we walked the tree
                continue
        with open(os.path.join(self.out_dir, name + ".tree"), "w") as out:
            out.write("\n".join(lines) + "\n")
