"""Paths where the web service lets the user down or has news: an update on the
feed or none, the service gone while Lanto runs, the catalogue answering 500,
and a sign-in abandoned in the browser."""

import http.server
import json
import os
import subprocess
import threading

from browse_paths import cards_in_window, shown_cards
from lanto_e2e import Failure, browser_sign_in, wait_until
from profile_paths import DISPLAY_NAME, USER_NAMES

NEWER = "99.0"
NOTICES = {"available": f"Lanto {NEWER} is available.", "up to date": "Lanto is up to date.",
           "failed": "Could not check for updates: "}


def updates(s):
    """A feed offering a newer version: the sidebar's badge at start, and the
    notice after a check the user asks for. A feed offering nothing newer: the
    notice says Lanto is up to date."""
    s.require_service()
    s.restart_service(["--appcast-version", NEWER, "--appcast-build", "99999"])
    s.restart_lanto()
    badge = s.find(f"Update to {NEWER}", "push button", timeout=30)
    x, _, width, _ = s.extents(s.main_window())
    settings_item = s.find("Settings", "push button")
    bx, _, bwidth, _ = s.extents(badge)
    if not (x <= bx and bx + bwidth <= s.extents(settings_item)[0] + s.extents(settings_item)[2] + 1):
        raise Failure(f"the update badge at {s.extents(badge)} is not in the sidebar beside {s.extents(settings_item)}")
    s.snapshot("update-badge")
    heard = check_for_updates(s, "update-available")
    if heard != "available":
        raise Failure(f"with {NEWER} on the feed, the check's notice reads as {NOTICES[heard]!r}")

    s.restart_service()
    heard = check_for_updates(s, "update-none")
    if heard != "up to date":
        raise Failure(f"with nothing newer on the feed, the check's notice reads as {NOTICES[heard]!r}")
    if s.find_all(s.application(), lambda name: name.startswith("Update to"), "push button"):
        raise Failure("the update badge still shows with nothing newer on the feed")


def check_for_updates(s, name):
    """Presses "Check for Updates…" in the settings and reads the notice that
    comes up at the foot of the window: which of NOTICES its text measures as."""
    s.press("Settings")
    button = s.find("Check for Updates…", "push button", timeout=10)
    wait_until(lambda: s.is_enabled(button), 15, "Check for Updates… to become pressable")
    window = s.extents(s.main_window())
    before = s.screenshot(name + "-before")
    s.click(button)
    width = wait_until(lambda: new_text_width(s.screenshot(name), before, window), 15,
                       "the check's notice at the foot of the window")
    expected = {key: text_width(text + ("…" if key == "failed" else "")) for key, text in NOTICES.items()}
    return min(expected, key=lambda key: abs(expected[key] - width))


def text_width(text, pixels=13):
    """How wide a line of text is in the screens' font at that size, in pixels."""
    return int(subprocess.run(["convert", "-background", "black", "-fill", "white", "-font", "DejaVu-Sans",
                               "-pointsize", str(pixels), "label:" + text, "-trim", "-format", "%w", "info:"],
                              check=True, capture_output=True, text=True).stdout)


def new_text_width(shot, before, window):
    """How wide the white text is that came up centred at the foot of the window
    since `before`, in pixels; None while there is none."""
    x, y, width, height = window
    centre, top = x + width // 2, y + height - 24 - 40
    columns = [px for px in range(centre - 260, centre + 260)
               if any(min(shot.pixel(px, py)) > 190 and max(abs(a - b) for a, b in
                                                             zip(shot.pixel(px, py), before.pixel(px, py))) > 60
                      for py in range(top, top + 40))]
    return columns[-1] - columns[0] + 1 if len(columns) > 20 else None


def service_stopped(s):
    """With the service gone while Lanto runs, a download ends with a message, not
    a ring that turns for ever; once the service is back the same download works."""
    s.require_service()
    titles = sorted(s.service_titles())
    s.press("Discover")
    s.stop("lanto-service")
    try:
        target = open_not_downloaded(s, titles)
        s.press("Download")
        wait_until(lambda: not s.find_all(s.application(), "Downloading", "push button"), 30,
                   "the download to give up while the service is away")
        s.snapshot("service-stopped")
        if s.find_all(s.application(), "Active", "push button"):
            raise Failure(f"{target!r} became active with the service away")
        said = failure_said(s)
        # What did not arrive is not a download: the Downloads tab does not list it.
        s.press("Back")
        s.press(lambda name: name in USER_NAMES)
        s.press("Downloads")
        s.snapshot("downloads-after-failed-download")
        if target in shown_cards(s, set(titles)):
            raise Failure(f"the Downloads tab lists {target!r}, whose download failed")
        folder = s.downloads_folder()
        left = [name for name in os.listdir(folder) if not os.listdir(os.path.join(folder, name))]
        if left:
            raise Failure(f"the failed download left the empty folders {left} in {folder}")
        s.press("Discover")
        open_not_downloaded(s, [target])
    finally:
        s.restart_service()
    s.press("Download", timeout=15)
    s.find("Active", "push button", timeout=120)
    s.press("Back")
    if not said:
        raise Failure(f"the download of {target!r} failed with the service away and nothing said so; "
                      f"showing: {s.names_showing()}")


def open_not_downloaded(s, titles):
    """Opens the detail page of a wallpaper on Discover that offers to download."""
    for title in reversed(titles):
        card = next(iter(cards_in_window(s, {title})), None)
        if not card:
            continue
        s.click(card)
        s.find("Back", "push button", timeout=15)
        try:
            s.find("Download", "push button", timeout=3)
            return title
        except Failure:
            s.press("Back")
    raise Failure("every wallpaper on Discover is downloaded already")


FAILURE_WORDS = ("could not", "couldn't", "failed", "unable", "not reachable", "unavailable", "offline",
                 "try again", "error")


def failure_said(s):
    """The names and descriptions on screen that tell of a failure."""
    said = []
    for node in s.find_all(s.application()):
        try:
            text = f"{node.name} {node.description}".lower()
        except Exception:
            continue
        if any(word in text for word in FAILURE_WORDS):
            said.append(node.name or node.description)
    return said


class FailingService(http.server.ThreadingHTTPServer):
    """Answers every request on the service's port with HTTP 500, as a broken
    server does, until stopped."""

    allow_reuse_address = True

    class Handler(http.server.BaseHTTPRequestHandler):
        def answer(self):
            body = json.dumps({"ok": False, "error": {"code": "internal", "message": "Internal Server Error"}})
            self.send_response(500)
            self.send_header("Content-Type", "application/json")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body.encode())

        do_GET = do_POST = do_PUT = do_DELETE = answer

        def log_message(self, *arguments):
            pass

    def __init__(self, port):
        super().__init__(("127.0.0.1", port), self.Handler)
        self.thread = threading.Thread(target=self.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.shutdown()
        self.server_close()


def catalogue_fails(s):
    """A catalogue answering 500: Discover says the wallpapers could not be loaded
    rather than showing empty rows; Try Again loads them once the service answers."""
    s.require_service()
    titles = s.service_titles()
    s.stop("lanto-service")
    broken = FailingService(s.service_port())
    try:
        s.restart_lanto()
        s.press("Discover")
        s.find(None, "alert", timeout=30)
        s.snapshot("catalogue-500")
        retry = s.find("Try Again", "push button", timeout=5)
    finally:
        broken.stop()
        s.restart_service()
    s.click(retry)
    wait_until(lambda: not s.find_all(s.application(), role="alert"), 30, "the notice to go once the service answers")
    wait_until(lambda: any(s.find_all(s.application(), t, "push button") for t in titles), 30,
               "the catalogue's cards on Discover again")


def sign_in_again(s):
    """A sign-in left unfinished in the browser does not stand in the way of the
    next: Sign in works again, and that one reaches the main window."""
    s.require_service()
    s.press("Sign in with Apple")
    abandoned = s.wait_for_browser()
    s.snapshot("sign-in-abandoned")
    s.press("Sign in with Apple", timeout=30)
    second = s.wait_for_browser()
    if second == abandoned:
        raise Failure("the second sign-in opened the same page as the abandoned one")
    callback = browser_sign_in(second, DISPLAY_NAME)
    s.run(["xdg-open", callback], check=True)
    s.find(lambda name: name in USER_NAMES, "push button", timeout=30)
    s.find("Discover", "push button", timeout=10)
    s.snapshot("signed-in-again")
