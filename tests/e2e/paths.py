"""The user paths, in the order a new user walks them; each one function.

Each path starts where the one before left the programs and asserts what the
user sees: the accessibility tree, a screenshot's pixels, files on disk, the
local service's answers.
"""

import os
import signal

import browse_paths
import long_text_paths
import keyboard_focus
import profile_paths
import service_paths
import still_paths
import window_layout
from frame_clock import Camera, FrameClock, hand_over_figures, now, timeline
from e2e_base import clipped, inside
from lanto_e2e import Blocked, Failure, browser_sign_in, wait_until
from profile_paths import DISPLAY_NAME, FREE_HANDLE, USER_NAMES

# An address on loopback that nobody answers, so nothing leaves the machine
# when the local service is not there.
NOWHERE = "http://127.0.0.1:9"


def first_start(s):
    """Splash, then the welcome screen with its sign-in, on a fresh account."""
    s.install_browser()
    try:
        # The service's reviewer approves each submission a few seconds after it comes in.
        s.start_service(["--auto-review", "3"])
        env = s.service_env()
    except Blocked:
        env = {"LANTO_SERVICE_URL": NOWHERE + "/api/v1", "LANTO_UPDATE_FEED_URL": NOWHERE + "/appcast.xml"}
    s.start_lanto(env)
    s.main_window()
    s.screenshot("splash")
    sign_in = s.find("Sign in with Apple", "push button", timeout=15)
    if not s.is_enabled(sign_in):
        raise Failure("the sign-in button is not enabled on the welcome screen")
    # The button is drawn white on the dark launch gradient, once the welcome has faded in.
    x, y, width, height = s.extents(sign_in)

    def drawn():
        pixels = s.screenshot("welcome").region(x + 4, y + height // 2 - 2, width // 6, 4)
        return sum(1 for p in pixels if min(p) > 200) >= len(pixels) // 2
    wait_until(drawn, 10, "the sign-in button to be drawn where the accessibility tree puts it")


def web_sign_in(s):
    """The browser signs in on the service's page, the desktop hands the callback
    to Lanto, a taken handle is refused, a free one leads to the main window."""
    s.require_service()
    # By the keyboard: Tab reaches the button, its ring shows, Return presses it.
    s.run(["xdotool", "windowactivate", "--sync", s.main_window_id()], check=True)
    keyboard_focus.tab_to(s, "Sign in with Apple", "push button")
    s.key("Return")
    authorize = s.wait_for_browser()
    callback = browser_sign_in(authorize, DISPLAY_NAME)
    if not callback.startswith("lanto://"):
        raise Failure(f"the sign-in handed the browser to {callback}, not to Lanto")
    handler = s.run(["xdg-mime", "query", "default", "x-scheme-handler/lanto"]).strip()
    if handler != "com.lanto.mac.desktop":
        raise Failure(f"xdg-open would hand lanto:// addresses to {handler!r}, not to Lanto")
    s.run(["xdg-open", callback], check=True)

    field = s.find("Handle", "text", timeout=20)
    # The screen's only field has the focus as it opens: typing goes straight to it.
    wait_until(lambda: s.is_focused(field), 10, "the handle field to have the focus")
    s.screenshot("handle-setup")
    s.type_text(s.service_handle_in_use())
    wait_until(lambda: handle_verdict(s, field) == "taken", 15, "the taken handle to be refused")
    if s.is_enabled(s.find("Continue", "push button")):
        raise Failure("Continue reports itself enabled for a taken handle")
    s.key("ctrl+a", "BackSpace")
    s.type_text(FREE_HANDLE)
    wait_until(lambda: handle_verdict(s, field) == "free", 15, f"{FREE_HANDLE!r} to be offered")
    go_on = s.find("Continue", "push button")
    wait_until(lambda: s.is_enabled(go_on), 5, "Continue to become pressable")
    keyboard_focus.tab_to(s, "Continue", "push button")
    s.key("Return")
    s.gone("Handle", "text", timeout=20)
    s.find("Discover", "push button", timeout=10)
    s.screenshot("main-window")


def handle_verdict(s, field):
    """What a screen reader says of the handle field: taken, free, or not judged yet."""
    field.clearCache()
    said = field.description
    return "free" if said == "Available" else "taken" if "taken" in said else None


def discover(s):
    """Discover's rows come from the service; the hero's preview plays; search finds."""
    s.require_service()
    # Discover built anew: where the window renders in software its preview rests after a while.
    s.press("Categories")
    s.press("Discover")
    titles = s.service_titles()
    wait_until(lambda: any(s.find_all(s.application(), t, "push button") for t in titles), 30,
               "a wallpaper of the service's catalogue on Discover")
    hero = s.find(lambda name: name in titles, "push button")
    first = s.screenshot("discover")
    box = s.extents(hero)
    wait_until(lambda: s.screenshot("discover-later").differs_from(first, *box) > 0.02, 20,
               "the hero banner's preview to move")


def detail_page(s):
    """Download with its progress to the end, the video on the desktop behind the
    window, favourite on and off with the service's database following."""
    s.require_service()
    s.press("Discover")
    titles = s.service_titles()
    cards = wait_until(lambda: browse_paths.cards_in_window(s, titles), 30, "a wallpaper card on Discover")
    # A video whose picture changes fast enough to be seen moving between two screenshots.
    card = next((c for c in cards if c.name in BUSY_VIDEOS), cards[0])
    title = s.applied_title = card.name
    s.click(card)
    download = s.find("Download", "push button", timeout=15)
    s.screenshot("detail")
    s.click(download)
    s.find(lambda name: name in ("Downloading", "Active"), "push button", timeout=15)
    s.find("Active", "push button", timeout=120)
    folder = s.downloads_folder()
    if not any(os.listdir(folder)):
        raise Failure(f"nothing was downloaded into {folder}")

    s.screenshot("desktop-applied")
    s.wait_moving(s.uncovered_strip(), f"the video of {title!r} to move on the desktop beside the window")

    user = s.service_db("SELECT id FROM users WHERE handle = ?", FREE_HANDLE)[0][0]
    s.press("Add to favorites")
    s.find("Remove from favorites", "push button")
    wait_until(lambda: s.service_db("SELECT COUNT(*) FROM favorites WHERE user_id = ?", user)[0][0] == 1, 15,
               "the service to keep the favourite")
    s.press("Remove from favorites")
    s.find("Add to favorites", "push button")
    wait_until(lambda: s.service_db("SELECT COUNT(*) FROM favorites WHERE user_id = ?", user)[0][0] == 0, 15,
               "the service to drop the favourite")
    s.press("Back")


BUSY_VIDEOS = ("Late Night Broadcast", "Arcade Attract Mode", "Test Pattern", "Primary Signal", "Candy Stripes",
               "Horizon of Spirals", "Seahorse Valley", "Spiral Drift", "Molten Core")


def upload(s):
    """Click to browse opens the file dialog, a file chosen there imports with progress
    into a card; its submission turns Public once the service approves it, without
    a restart."""
    s.require_service()
    clip = s.make_video("Harbour Lights.MOV")
    s.press("Upload")
    s.press("Drop files here or click to browse")
    s.choose_in_file_dialog(clip)
    s.find("Harbour Lights", "push button", timeout=120)
    s.screenshot("upload")

    s.press("Harbour Lights")
    s.press("Make Public", timeout=10)
    s.press("Back")
    s.find(lambda name: name == "Harbour Lights", "push button", timeout=5)
    wait_until(lambda: s.service_db("SELECT status FROM wallpapers WHERE title = ?", "Harbour Lights")
               == [("approved",)], 120, "the service to approve the submission")
    # The screen asks the service again while it shows; the card follows without a restart.
    card = wait_until(lambda: next((c for c in s.find_all(s.application(), "Harbour Lights", "push button")
                                    if s.said_of(c) == "Public"), None), 60, "the card to say Public")
    x, y, width, _ = s.extents(card)
    wait_until(lambda: green_share(s.screenshot("upload-public").region(x + width - 90, y + 4, 86, 26)) > 0.2, 10,
               "the green Public badge on the card")


def green_share(pixels):
    return sum(1 for r, g, b in pixels if g > r + 50 and g > b + 30) / max(1, len(pixels))


# A title long enough to reach the detail page's buttons unless it wraps.
LONG_TITLE = "Slow Tide over the Harbour Wall on a Long and Quiet Winter Evening"


def upload_drop(s):
    """Two files dropped from a file manager both import into cards."""
    s.require_service()
    clips = [s.make_video(name) for name in ("Night Drive.mp4", LONG_TITLE + ".mov")]
    s.press("Upload")
    s.drop_files(clips, s.find("Drop files here or click to browse", "push button"))
    for title in ("Night Drive", LONG_TITLE):
        s.find(title, "push button", timeout=180)
    s.stop("drag-source")


def profile_editor(s):
    """A picture chosen in the file dialog and a new name both reach the service."""
    s.require_service()
    picture = s.make_picture("portrait.png")
    s.press(DISPLAY_NAME)
    s.press("Edit Profile")
    s.press("Choose Picture")
    s.choose_in_file_dialog(picture)
    name = s.find("Display Name", "text")
    s.click(name)
    s.key("ctrl+a", "BackSpace")
    s.type_text(USER_NAMES[1])
    s.screenshot("profile-editor")
    s.press("Save")
    def reached():
        name, avatar = s.service_db("SELECT name, avatar_url FROM users WHERE handle = ?", FREE_HANDLE)[0]
        return name == USER_NAMES[1] and bool(avatar)
    wait_until(reached, 30, "the service to hold the new name and picture")
    s.snapshot("profile")
    profile_paths.own_name_shown(s, USER_NAMES[1])


# Each switch and where it is kept: Settings.plist, or the user defaults beside it.
SWITCHES = {"Launch at Login": [("plist", "launchAtLogin")], "Pause on Battery": [("plist", "pauseOnBattery")],
            "Pause on Fullscreen": [("plist", "pauseOnFullscreen")],
            "Reduced Frame Rate": [("plist", "reducedFrameRate")],
            "Respect Reduce Motion": [("plist", "respectReduceMotion")],
            # One switch governs both the automatic checks and the automatic downloads.
            "Automatic Updates": [("defaults", "SUEnableAutomaticChecks"), ("defaults", "SUAutomaticallyUpdate")]}


def stored_switch(s, place, key):
    if place == "plist":
        return s.settings_value(key)
    return s.user_default(key) != "false"  # on while absent, as the updater reads it


def settings(s):
    """The language picker lays the screens out in the chosen language and keeps the
    choice; every switch reaches its store (and the autostart entry); sign out
    returns to the welcome screen."""
    s.press("Settings")
    s.find("Launch at Login", timeout=10)
    s.screenshot("settings")
    settings_by_keyboard(s)
    language(s)
    x, y, width, height = s.extents(s.main_window())
    for title, stores in SWITCHES.items():
        switch = wait_until(lambda: next(iter(s.find_all(s.application(), title, "check box", showing=False)), None),
                            10, f"the switch {title!r}")
        before = s.is_checked(switch)
        top = s.extents(switch)[1]
        if y < top < y + height - 60:
            s.click(switch)
        else:  # below the fold: as a screen reader user toggles it
            s.act(switch, "Toggle")
        wait_until(lambda: s.is_checked(switch) != before, 10, f"the switch {title!r} to turn")
        for place, key in stores:
            wait_until(lambda: stored_switch(s, place, key) == (not before), 10,
                       f"{key} to change in the {place}")
        if title == "Launch at Login":
            wait_until(lambda: bool(s.autostart_entries()) == (not before), 10,
                       "the autostart entry to follow the switch")
    s.press("Sign Out")
    # The confirmation card's own "Sign Out" comes above the account row's.
    confirm = wait_until(lambda: s.find_all(s.application(), "Sign Out", "push button")[1:], 10,
                         "the sign-out confirmation")[-1]
    s.click(confirm)
    s.find("Sign in with Apple", "push button", timeout=15)


def settings_by_keyboard(s):
    """Tab walks the whole screen, the page following the focus down past the
    fold, each control showing its focus; Return and Space turn a switch."""
    s.run(["xdotool", "windowactivate", "--sync", s.main_window_id()], check=True)
    switch = keyboard_focus.tab_to(s, "Respect Reduce Motion", "check box")
    before = s.is_checked(switch)
    for key, state in (("Return", not before), ("space", before)):
        s.key(key)
        wait_until(lambda: s.is_checked(switch) == state, 10, f"{key} to turn the focused switch")
    s.snapshot("settings-keyboard")
    # Back up the page: it follows the focus up as well.
    keyboard_focus.tab_to(s, "Sign Out", "push button", key="shift+Tab")


# A language written right to left, under its own name, and its identifier.
RIGHT_TO_LEFT = ("العربية", "ar")


def language(s):
    """Arabic from the picker mirrors the window (the sidebar moves to the right) and
    is kept in the user defaults; "System Default" gives both back."""
    name, code = RIGHT_TO_LEFT
    for entry, stored, sidebar_right in ((name, code, True), ("System Default", "", False)):
        choose_in_picker(s, "Language", entry)
        wait_until(lambda: (s.user_default("appLanguage") or "") == stored, 10,
                   f"appLanguage to hold {stored!r} in the user defaults")
        x, _, width, _ = s.extents(s.main_window())
        wait_until(lambda: sidebar_on_right(s, x, width) == sidebar_right, 10,
                   f"the sidebar to move to the {'right' if sidebar_right else 'left'} for {entry!r}")
        s.screenshot("settings-" + (stored or "system"))


def sidebar_on_right(s, x, width):
    item = s.find("Settings", "push button")
    left, _, item_width, _ = s.extents(item)
    return left + item_width // 2 > x + width // 2


def choose_in_picker(s, picker, entry):
    """Opens a picker and clicks one of its entries in the list that drops below it,
    walking the list with the arrow keys until the entry shows."""
    s.press(picker, "combo box")
    box = s.find(picker, "combo box")
    _, top, _, height = s.extents(box)
    below = top + height

    # The list keeps entries past its clipped edge, which a click would miss.
    dropped = wait_until(lambda: [e for e in s.find_all(s.application(), role="dialog")
                                  if s.extents(e)[1] >= below], 5, f"the {picker} picker's list")[0]
    _, ly, _, lh = s.extents(dropped)

    def shown():
        for found in s.find_all(dropped, entry, "list item"):
            _, ey, _, eh = s.extents(found)
            if ly <= ey and ey + eh <= ly + lh:
                return found
        # The arrow keys walk the list, which follows them; the pointer stays on the picker.
        s.key("Down" if entry != "System Default" else "Up")
        return None
    s.click(wait_until(shown, 20, f"{entry!r} in the {picker} picker"))


def hand_over(s):
    """Quitting Lanto leaves the playing video to the agent without a gap, going on
    where Lanto was; Lanto takes it back on its next start where the agent was;
    when Lanto is killed the agent shows it again within a second. A video that
    shows its own frame number is watched through it all."""
    s.require_service()
    clock = FrameClock(s.uncovered_strip(), s.screen_size())
    apply_clock_video(s, clock)
    camera = Camera(s, clock, "handover").start()
    try:
        camera.wait_playing(now(), "the clock video to play on the desktop")
        agent = wait_until(lambda: s.pids_of("LantoAgent"), 10, "the agent Lanto started")[0]
        s.focus_main_window()  # the keys go to Lanto's window
        quit_at = now()
        s.key("ctrl+q")
        s.wait_ended("Lanto", 15)
        ended_at = now()
        wait_until(lambda: s.shown_windows(agent), 5, "the agent to show the video on the desktop")
        steady = camera.wait_playing(ended_at, "the video to play on with the agent")
        figures = [measure_hand_over(s, camera, "quit", quit_at, steady)]
        s.screenshot("handover-agent")

        started_at = now()
        lanto = s.start_lanto(s.lanto_env).pid
        s.main_window()
        # Lanto ends the agent that showed the desktop once its own videos play.
        wait_until(lambda: agent not in s.pids_of("LantoAgent"), 15, "Lanto to end the agent")
        ended_at = now()
        # The main window and at least one desktop window.
        wait_until(lambda: len(s.shown_windows(lanto)) >= 2, 15, "Lanto to show the video on the desktop again")
        steady = camera.wait_playing(ended_at, "the video to play on with Lanto")
        figures.append(measure_hand_over(s, camera, "restart", started_at, steady))

        agent = wait_until(lambda: s.pids_of("LantoAgent"), 10, "the agent Lanto started again")[0]
        os.kill(lanto, signal.SIGKILL)
        killed_at = now()
        s.wait_ended("Lanto", 5)
        wait_until(lambda: s.shown_windows(agent), KILL_TAKEOVER_SECONDS - (now() - killed_at),
                   "the agent to show the video within a second of Lanto's end")
        steady = camera.wait_playing(killed_at, "the video to play on with the agent after Lanto was killed")
        figures.append(measure_hand_over(s, camera, "kill", killed_at, steady))
    finally:
        camera.stop()

    failures = []
    for name, seen in figures:
        if seen.blank >= UNSEEN_GAP_SECONDS and name not in BLANK_REPORTED_ONLY:
            failures.append(f"{name}: the video was gone from the desktop for {seen.blank:.3f} s")
        if abs(seen.farthest) > FRAME_TOLERANCE_SECONDS:
            failures.append(f"{name}: a frame showed {seen.farthest:+.3f} s away from where the video was")
        if name == "kill" and seen.gap > KILL_TAKEOVER_SECONDS:
            failures.append(f"kill: the video was gone from the desktop for {seen.gap:.3f} s")
    # The paths after this one start where a user left Lanto: running.
    s.start_lanto(s.lanto_env)
    s.main_window()
    if failures:
        raise Failure("; ".join(failures))


def apply_clock_video(s, clock):
    """Imports the clock video through Upload and applies it from its detail page."""
    path = clock.write_video(os.path.join(s.home, "Videos", CLOCK_TITLE + ".mp4"))
    s.press("Upload")
    s.press("Drop files here or click to browse")
    s.choose_in_file_dialog(path)
    s.press(CLOCK_TITLE, timeout=120)
    s.press("Apply", timeout=15)
    s.find("Active", "push button", timeout=30)
    s.press("Back")


def measure_hand_over(s, camera, name, handed_at, steady_at):
    """What a person saw of the hand-over at `handed_at` (a HandOver), also written
    to the output folder for people to follow over time."""
    readings = camera.readings()
    seen = hand_over_figures(readings, handed_at, steady_at)
    line = (f"hand-over at {name}: gap {seen.gap:.3f} s (blank for {seen.blank:.3f} s), "
            f"resumed {seen.resume:+.3f} s from where the video was, farthest frame {seen.farthest:+.3f} s")
    print("e2e: " + line, flush=True)
    with open(os.path.join(s.out_dir, "hand-over.txt"), "a") as figures:
        figures.write("\n".join([line] + timeline(readings, handed_at - 0.5, readings[-1].taken)) + "\n")
    return name, seen


CLOCK_TITLE = "Frame Clock"
# How far from where the video was any frame after a hand-over may lie.
FRAME_TOLERANCE_SECONDS = 0.2
# Shorter than one refresh of a 60 Hz display: a person cannot see it. The
# grabber may catch the X server exposing a window a moment before it draws.
UNSEEN_GAP_SECONDS = 1 / 60
KILL_TAKEOVER_SECONDS = 1.0
# Blanks written to hand-over.txt but not failed on. Killed, Lanto leaves the
# desktop bare until the agent hears of it and draws its own windows (0.08 to
# 0.1 s). Restarting, Lanto's desktop windows come up over the agent's a few
# hundredths of a second before their first frame shows (0.02 to 0.045 s): a
# known open fault, until it is mended.
BLANK_REPORTED_ONLY = ("kill", "restart")
# The sidebar's items and what shows once each one's screen is up; the profile's
# item carries the user's name.
SECTIONS = {"Discover": None, "Categories": None, "Upload": "Drop files here or click to browse",
            "Profile": "Edit Profile", "Settings": "Launch at Login"}


def looks(s):
    """A screenshot of each screen for reviewers, and what a person sees at once:
    no opaque block where the hidden display panel hangs, no text past the window,
    no symbol the fonts cannot draw."""
    s.require_service()
    problems = looks_of_symbols(s)
    for section, landmark in SECTIONS.items():
        s.press(section if section != "Profile" else lambda name: name in USER_NAMES)
        if landmark:
            s.find(landmark, timeout=15)
        frame = s.extents(s.main_window())
        shot = s.screenshot("screen-" + section.lower())
        problems += [f"{section}: {problem}" for problem in opaque_block(shot, frame) + text_past(s, frame)
                     + text_under_buttons(s)]
    s.press("Upload")
    s.press(LONG_TITLE, timeout=15)
    s.find("Back", "push button", timeout=15)
    s.screenshot("screen-detail-long-title")
    problems += [f"the detail page: {problem}" for problem in text_under_buttons(s)]
    s.press("Back")
    if problems:
        raise Failure("; ".join(problems))


def opaque_block(shot, frame):
    x, y, width, height = frame
    block = shot.region(x + width // 2 - 300, y + height - 200, 600, 200)
    black = sum(1 for pixel in block if max(pixel) < 8)
    return [f"an opaque black block covers the bottom of the window ({black} of {len(block)} pixels)"] \
        if black > len(block) // 2 else []


def text_past(s, frame):
    """Texts that show in the window and run out of its left or right side;
    scrolled lists clip theirs, and a page that scrolls down cuts what lies
    below its foot."""
    x, y, width, height = frame
    past = []
    for label in s.find_all(s.application(), lambda name: bool(name), "label", outside=SCROLLING):
        lx, ly, lw, lh = s.extents(label)
        shown = lx < x + width and lx + lw > x and y <= ly < y + height
        if shown and (lx < x - 1 or lx + lw > x + width + 1):
            past.append(f"{label.name!r} runs past the window")
    return past


def text_under_buttons(s):
    """Texts that run under a button: a label overlapping a push button it does not lie inside."""
    buttons = [(button.name, s.extents(button)) for button in s.find_all(s.application(), role="push button")]
    under = []
    for label in s.find_all(s.application(), lambda name: bool(name), "label"):
        box = s.extents(label)
        under += [f"{label.name!r} runs under the button {name!r}" for name, button in buttons
                  if clipped(box, button) and not inside(box, button)]
    return under


SCROLLING = ("list", "scroll pane", "table", "tree", "page tab list")


def looks_of_symbols(s):
    """Every symbol character the screens use, drawn in the default font as the
    screens' texts are, shows its glyph rather than the font's missing-glyph box."""
    characters = symbols_in_screens()
    shown = dict(line.rsplit(" ", 1) for line in
                 s.run([s.program("e2e_glyph_check")] + characters, check=True).splitlines() if " " in line)
    return [f"U+{ord(c):04X} ({c}) shows as {shown.get(c, 'nothing')}" for c in characters if shown.get(c) != "ok"]


def symbols_in_screens():
    """The pictographic characters written into the screens' QML, escaped or not."""
    import re
    import unicodedata
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "screens")
    found = set()
    for folder, _, files in os.walk(root):
        for name in (f for f in files if f.endswith(".qml")):
            with open(os.path.join(folder, name), encoding="utf-8") as qml:
                text = qml.read()
            found.update(chr(int(code, 16)) for code in re.findall(r"\\u([0-9a-fA-F]{4})", text))
            found.update(c for c in text if ord(c) > 0x7f)
    return sorted(c for c in found if unicodedata.category(c) in ("So", "Sm"))


# Every path in the order a new user walks them; each starts where the one before
# left the programs. The service's failures come once everything that needs it is
# done and leave it running again; the hand-over imports its clock video while the
# user is signed in; the window sizes (in both directions), the long texts and two
# displays lay the desktop out anew and put it back as it was; the settings sign out, and the last path signs in again.
ORDER = [first_start, web_sign_in, discover, browse_paths.search, browse_paths.categories, browse_paths.creator_page,
         detail_page, browse_paths.keyboard, upload, upload_drop, still_paths.still_picture, profile_editor,
         profile_paths.profile_tabs, profile_paths.remove_download, service_paths.updates, service_paths.service_stopped,
         service_paths.catalogue_fails, looks, hand_over, window_layout.window_sizes,
         window_layout.window_sizes_right_to_left, long_text_paths.long_texts, window_layout.two_displays,
         settings, service_paths.sign_in_again]
# The paths CI runs: all of them.
ALL = ORDER
