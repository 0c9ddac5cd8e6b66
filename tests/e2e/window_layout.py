"""The main window at the sizes people give it, and the desktop split over two
displays: what lies where on the screen, and what each display shows."""

import os

import browse_paths
import still_paths
from e2e_base import clipped, inside
from lanto_e2e import Failure, wait_until
from profile_paths import USER_NAMES

# Roles of what a person reads or presses; the rest are containers and decoration.
# A "label" is a text a person reads: a title, a name, a count, a fact.
CONTROLS = ("push button", "check box", "combo box", "text", "label", "radio button", "toggle button",
            "entry", "password text", "slider", "spin button", "page tab", "link", "list item")


def named_in(s, window):
    """Every named accessible showing in a window as (name, role, box, view, scrolls),
    only those of its sheet while one is open: view is the part of the screen it
    can show in, the box of the scrolled pane or list that holds it or the window's
    own; scrolls tells whether it lies in one."""
    found, modal = [], []
    frame = s.extents(window)

    def walk(node, view, scrolls):
        try:
            children = [c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c is not None]
            # A pane with a scroll bar, or a list, shows what scrolls within its own box.
            if node is not window and (node.getRoleName() == "list"
                                       or any(c.getRoleName() == "scroll bar" for c in children)):
                view, scrolls = clipped(s.extents(node), view) or s.extents(node), True
            for child in children:
                if not s.is_showing(child):
                    continue
                if child.name:
                    found.append((child.name, child.getRoleName(), s.extents(child), view, scrolls))
                if child.getRoleName() == "dialog":
                    modal.append(child)
                walk(child, view, scrolls)
        except Exception:  # a node that went away while we walked the tree
            return
    walk(window, frame, False)
    if modal:
        # A sheet or confirmation over the dimmed page: what a person reaches is in it.
        found = []
        walk(modal[-1], frame, False)
    return frame, found


def layout_problems(s, scrolled=frozenset()):
    """What a person would find wrong with the main window as it stands: a named
    control or text outside the window, or under another control or text. One
    that lies inside another (a text on its button, a title in its card) is where
    it belongs. Accessibles named in `scrolled` (cards, their groups) belong to
    lists that scroll past the window's edges; those and whatever lies inside
    them may lie beyond the window, never under another control."""
    frame, named = named_in(s, s.main_window())
    free = [box for name, _, box, _, _ in named if name in scrolled]
    controls = [(name, box, view, scrolls) for name, role, box, view, scrolls in named if role in CONTROLS]
    problems = []
    shown = []
    for name, box, view, in_pane in controls:
        scrolls = in_pane or any(inside(box, outer) for outer in free)
        if not scrolls and not inside(box, frame):
            problems.append(f"{name!r} at {box} lies outside the window {frame}")
        part = clipped(box, view)
        if part:
            shown.append((name, box, part))
    for i, (name, box, part) in enumerate(shown):
        for other, other_box, other_part in shown[i + 1:]:
            if clipped(part, other_part) and not inside(box, other_box) and not inside(other_box, box):
                problems.append(f"{name!r} at {box} lies under {other!r} at {other_box}")
    return problems


def steady_layout_problems(s, scrolled=frozenset(), timeout=5):
    """The layout's problems once it has settled: a page fading out overlaps the one
    fading in for a moment, so only what stays counts."""
    last = []

    def settled():
        last[:] = layout_problems(s, scrolled)
        return not last
    try:
        wait_until(settled, timeout, "the layout to settle")
    except Failure:
        return last
    return []


class Step:
    """A step to a screen that is more than pressing one control by name."""

    def __call__(self, s):
        raise NotImplementedError


class OpenDetail(Step):
    """Opens the detail page of a wallpaper of that shape (width over height)
    whose card shows in the window."""

    def __init__(self, shape):
        self.shape = shape

    def __call__(self, s):
        sizes = {title: width / height for title, width, height in
                 s.service_db("SELECT title, width, height FROM wallpapers WHERE status = 'approved'")}
        cards = wait_until(lambda: [c for c in browse_paths.cards_in_window(s, sizes)
                                    if abs(sizes[c.name] - self.shape) < 0.05], 20,
                           f"a card of a {self.shape:.2f}:1 wallpaper in the window")
        s.click(cards[0])


class Search(Step):
    """Types a word into Discover's search field."""

    def __init__(self, word):
        self.word = word

    def __call__(self, s):
        s.click(browse_paths.search_field(s))
        s.type_text(self.word)


class OpenCreator(Step):
    """Opens the page of a creator whose name a card in the window shows."""

    def __init__(self, creators):
        self.creators = creators

    def __call__(self, s):
        s.press(lambda name: name in self.creators, timeout=20)


def is_result_count(name):
    return name.endswith(" result") or name.endswith(" results")


def screens_to_look_at(s):
    known = browse_paths.catalogue(s)
    creators = {creator for creator, _ in known.values()}
    cards = set(known) | creators | set(s.own_titles())
    # The user's own name is on the sidebar's profile item too.
    others = creators - set(USER_NAMES)
    tags = {row[0] for row in s.service_db("SELECT name FROM tags")}
    profile = lambda name: name in USER_NAMES  # noqa: E731 (the sidebar's item carries the user's name)
    # Each screen: the steps to it from the sidebar, what marks it as shown, the
    # names of what scrolls on it, and the controls that leave it again.
    return [
        ("discover", ["Discover"], lambda name: name in known, cards | CATEGORIES | SECTIONS, []),
        ("search", ["Discover", Search(browse_paths.query_word(known))], is_result_count, cards, ["Clear"]),
        ("creator", ["Discover", OpenCreator(others)], "Back", cards, ["Back"]),
        ("categories", ["Categories"], "Nature", CATEGORIES, []),
        ("category", ["Categories", "Nature"], "Lagoon", cards | tags | {"All"}, ["All Categories"]),
        ("detail-ultrawide", ["Discover", OpenDetail(1280 / 400)], "Back", set(), ["Back"]),
        ("detail-16x9", ["Discover", OpenDetail(16 / 9)], "Back", set(), ["Back"]),
        ("profile", ["Discover", profile], "Edit Profile", cards, []),
        ("profile-uploads", [profile, "Uploads"], "Edit Profile", cards, []),
        ("profile-favorites", [profile, "Favorites"], "Edit Profile", cards, []),
        ("profile-editor", [profile, "Edit Profile"], "Save", set(), ["Cancel"]),
        ("upload", ["Upload"], "Drop files here or click to browse", cards | {"My Wallpapers"}, []),
        ("settings", ["Settings"], "Launch at Login", set(), []),
    ]


CATEGORIES = {"Anime", "Animals", "Cartoon", "Gaming", "Movies", "TV Shows", "Nature", "Space", "Digital Art",
              "Cinematic", "Vehicles", "Sci-Fi"}
# Discover's section titles and subtitles, which scroll with its page.
SECTIONS = {"For Your Display", "Wallpapers sized for your ultra-wide monitor", "Today's Picks",
            "Curated daily by our team", "New This Week", "Fresh additions to the library", "Trending",
            "Most downloaded this week", "Browse by Category"}
SIZES = [(1280, 720), (1920, 800), (2560, 1080)]
LARGE_SCREEN = "3440x1440x24"


def go_to(s, steps):
    for step in steps:
        step(s) if isinstance(step, Step) else s.press(step)


def look_at_every_screen(s, label, screens=None):
    """Walks every screen at the window's present size; a screenshot of each lands
    in the output folder; returns what lies wrong on each."""
    problems = []
    for name, steps, landmark, scrolled, leave in screens or screens_to_look_at(s):
        go_to(s, steps)
        s.find(landmark, timeout=20)
        problems += [f"{label} {name}: {p}" for p in steady_layout_problems(s, scrolled)]
        s.snapshot(f"size-{label}-{name}")
        if leave:
            # Pressed where it is drawn, the way out leaves the screen.
            go_to(s, leave)
            s.gone(landmark, timeout=15)
    return problems


def look_at_every_size(s, label=""):
    """Every screen at the three sizes and maximised; returns what lies wrong."""
    problems = []
    for width, height in SIZES:
        s.resize_main_window(width, height)
        problems += look_at_every_screen(s, f"{width}x{height}{label}")
    s.maximise_main_window()
    _, _, width, height = s.extents(s.main_window())
    return problems + look_at_every_screen(s, f"maximised-{width}x{height}{label}")


def window_sizes(s):
    """Every screen at 1280 x 720, 1920 x 800, 2560 x 1080 and maximised on a
    3440 x 1440 display: no named control or text outside the window or under another."""
    s.require_service()
    s.lay_out_displays(LARGE_SCREEN)
    s.start_lanto(s.lanto_env)
    s.main_window()
    problems = look_at_every_size(s)
    if problems:
        raise Failure("; ".join(problems))


def window_sizes_right_to_left(s):
    """The same in Arabic, laid out right to left: every screen mirrored, with
    nothing outside the window or under another control or text."""
    s.require_service()
    s.lay_out_displays(LARGE_SCREEN)
    set_app_language(s, "ar")
    try:
        s.start_lanto(s.lanto_env)
        s.main_window()
        sidebar = s.find("Settings", "push button", timeout=20)
        x, _, width, _ = s.extents(s.main_window())
        if s.extents(sidebar)[0] < x + width // 2:
            raise Failure("the sidebar stays on the left in Arabic")
        problems = look_at_every_size(s, "-ar")
    finally:
        s.quit_lanto()
        set_app_language(s, "")
        s.start_lanto(s.lanto_env)
        s.main_window()
    if problems:
        raise Failure("; ".join(problems))


def set_app_language(s, code):
    """Writes the interface language into Lanto's user defaults, as the language
    picker keeps it, while Lanto is not running; "" follows the system."""
    import configparser
    path = os.path.join(s.home, ".config", "lanto", "user-defaults.conf")
    store = configparser.ConfigParser(interpolation=None)
    store.optionxform = str  # the keys are case-sensitive
    store.read(path, encoding="utf-8")
    if not store.has_section("General"):
        store.add_section("General")
    store.set("General", "appLanguage", code)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        store.write(out, space_around_delimiters=False)


# Two displays side by side on one X screen, as RandR monitors.
TWO_DISPLAYS = [(0, 0, 1720, 1440), (1720, 0, 1720, 1440)]
# A video whose picture changes from one screenshot to the next.
MOVING_VIDEO = "Late Night Broadcast"
# A still the still-picture path imported.
STILL = "Rose Still"


def two_displays(s):
    """The display panel shows both displays; a video and then a still applied with
    the second one chosen in the panel show on that display's desktop and leave
    the first display's as it was."""
    s.require_service()
    s.lay_out_displays(LARGE_SCREEN, TWO_DISPLAYS)
    s.start_lanto(s.lanto_env)
    s.main_window()
    tiles = wait_until(lambda: display_tiles(s), 20, "the display panel's two displays")
    if len(tiles) != 2:
        raise Failure(f"the display panel lists {[t.name for t in tiles]}, not two displays")
    s.snapshot("displays-panel")
    s.click(next(t for t in tiles if t.name != "Main Display"))

    s.press("Discover")
    s.press(MOVING_VIDEO, timeout=30)
    window = s.extents(s.main_window())
    left, right = [uncovered(display, window) for display in TWO_DISPLAYS]
    before = s.screenshot("displays-before")
    s.press(lambda name: name in ("Download", "Apply"), timeout=15)
    s.find("Active", "push button", timeout=120)
    wait_until(lambda: s.screenshot("displays-applied").differs_from(before, *right) > 0.3, 20,
               f"{MOVING_VIDEO!r} to show on the second display")
    s.wait_moving(right, f"{MOVING_VIDEO!r} to play on the second display")
    changed = s.screenshot("displays-applied").differs_from(before, *left)
    if changed > 0.02:
        raise Failure(f"applying to the second display changed {changed:.0%} of the first display's desktop")
    s.press("Back")
    # A still follows the video on the same display, and the first display still keeps its own.
    still_paths.apply_still(s, STILL)
    still_paths.wait_still_shown(s, STILL, right, "displays-still")
    changed = s.screenshot("displays-still").differs_from(before, *left)
    if changed > 0.02:
        raise Failure(f"the still on the second display changed {changed:.0%} of the first display's desktop")
    # The paths after this one run on one display, as before.
    s.lay_out_displays(s.first_screen)
    s.start_lanto(s.lanto_env)
    s.main_window()


def uncovered(display, window):
    """The widest strip of a display beside or below the main window."""
    x, y, width, height = display
    wx, wy, ww, wh = window
    if wx >= x + width or wx + ww <= x:
        return display
    strips = [(x, y, wx - x, height), (wx + ww, y, x + width - wx - ww, height),
              (x, wy + wh + 60, width, y + height - wy - wh - 60)]
    return max(strips, key=lambda box: max(0, box[2]) * max(0, box[3]))


def display_tiles(s):
    """The display panel's tiles: the buttons of the panel's window named after displays."""
    tiles = [b for b in s.find_all(s.application(), role="push button")
             if b.name == "Main Display" or b.name.startswith("E2E-")]
    return tiles if len(tiles) >= 2 else None
