"""The user paths, in the order a new user walks them; each one function.

Each path starts where the one before left the programs and asserts what the
user sees: the accessibility tree, a screenshot's pixels, files on disk, the
local service's answers.
"""

import os

from lanto_e2e import Blocked, Failure, browser_sign_in, wait_until

# An address on loopback that nobody answers, so nothing leaves the machine
# when the local service is not there.
NOWHERE = "http://127.0.0.1:9"
DISPLAY_NAME = "Robin Tester"
FREE_HANDLE = "robin_tester"


def first_start(s):
    """Splash, then the welcome screen with its sign-in, on a fresh account."""
    s.install_browser()
    try:
        s.start_service()
        env = s.service_env()
    except Blocked:
        env = {"LANTO_SERVICE_URL": NOWHERE + "/api/v1", "LANTO_UPDATE_FEED_URL": NOWHERE + "/appcast.xml"}
    s.start_lanto(env)
    window = s.find(role="frame", timeout=30)
    s.screenshot("splash")
    sign_in = s.find("Sign in with Apple", "push button", timeout=15)
    s.screenshot("welcome")
    for text in ("Welcome to Lanto", "Stunning Video Wallpapers", "Download & Sync", "Multi-Display Support"):
        s.find(text, "label", root=window)
    if not s.is_enabled(sign_in):
        raise Failure("the sign-in button is not enabled on the welcome screen")


def web_sign_in(s):
    """The browser signs in on the service's page, the desktop hands the callback
    to Lanto, a taken handle is refused, a free one leads to the main window."""
    s.require_service()
    s.press("Sign in with Apple")
    authorize = s.wait_for_browser()
    callback = browser_sign_in(authorize, DISPLAY_NAME)
    if not callback.startswith("lanto://"):
        raise Failure(f"the sign-in handed the browser to {callback}, not to Lanto")
    s.run(["xdg-open", callback], check=True)

    field = s.find("Handle", "text", timeout=20)
    s.screenshot("handle-setup")
    taken = s.service_handle_in_use()
    s.click(field)
    s.type_text(taken)
    s.find(lambda name: name.startswith("\u2716"), "label", timeout=15)
    if s.is_enabled(s.find("Continue", "push button")):
        raise Failure(f"Continue is offered for the taken handle {taken!r}")
    s.key("ctrl+a", "BackSpace")
    s.type_text(FREE_HANDLE)
    s.find("\u2714 Available", "label", timeout=15)
    s.press("Continue")
    s.find("Discover", "push button", timeout=20)
    s.screenshot("main-window")


def discover(s):
    """Discover's rows come from the service; the hero's preview plays; search finds."""
    s.require_service()
    s.press("Discover")
    titles = s.service_titles()
    wait_until(lambda: any(s.find_all(s.application(), t, "push button") for t in titles), 30,
               "a wallpaper of the service's catalogue on Discover")
    hero = s.find(lambda name: name in titles, "push button")
    first = s.screenshot("discover")
    box = s.extents(hero)
    wait_until(lambda: s.screenshot("discover-later").differs_from(first, *box) > 0.02, 20,
               "the hero banner's preview to move")


ALL = [first_start, web_sign_in, discover]
