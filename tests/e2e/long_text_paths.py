"""Names and titles as long as people give them: every screen that shows them
elides or wraps them, at the smallest window and at the suite's sizes."""

import os
import sqlite3

import window_layout
from e2e_base import inside
from lanto_e2e import Failure, wait_until
from profile_paths import FREE_HANDLE

LONG_DISPLAY_NAME = "Maximilian Alexander Robin von Hohenzollern-Sigmaringen Auditors"
LONG_CREATOR = "Nordlys Collective for Ambient Motion Picture and Slow Cinema Oy"
LONG_TITLE = "Glow Over the Long Forgotten Northern Lighthouse at the Edge of the Frozen Midnight Waters"
# A word of the long title that no other title of the catalogue holds.
TITLE_WORD = "Lighthouse"
SMALLEST = (900, 600)


def long_texts(s):
    """A 64-character display name and creator name and a 90-character title on
    the search results, the detail page, the creator page and the profile, and a
    failure toast naming the title: nothing outside the window or under another
    control or text, at 900 x 600, at the suite's three sizes and maximised."""
    s.require_service()
    user = s.service_db("SELECT id, name FROM users WHERE handle = ?", FREE_HANDLE)[0]
    folder = s.downloads_folder()
    downloaded = set(os.listdir(folder)) if os.path.isdir(folder) else set()
    # One that Discover lists, so that its search finds it, and that offers to download.
    on_discover = s.service_titles()
    wallpaper = next(row for row in s.service_db(
        "SELECT w.id, w.title, u.id, u.name FROM wallpapers w JOIN users u ON u.id = w.owner_id "
        "WHERE w.status = 'approved' AND u.id != ? ORDER BY w.title", user[0])
        if row[0] not in downloaded and row[1] in on_discover)
    wallpaper_id, title, owner_id, owner_name = wallpaper
    change_service_records(s, [("users", "name", user[0], LONG_DISPLAY_NAME), ("users", "name", owner_id, LONG_CREATOR),
                               ("wallpapers", "title", wallpaper_id, LONG_TITLE)])
    problems = []
    try:
        # Started anew on the large display, to read the changed records.
        s.lay_out_displays(window_layout.LARGE_SCREEN)
        s.start_lanto(s.lanto_env)
        s.main_window()
        s.resize_main_window(*SMALLEST)
        problems += look_at_long_texts(s, "%dx%d" % SMALLEST, with_toast=True)
        for width, height in window_layout.SIZES:
            s.resize_main_window(width, height)
            problems += look_at_long_texts(s, f"{width}x{height}")
        s.maximise_main_window()
        _, _, width, height = s.extents(s.main_window())
        problems += look_at_long_texts(s, f"maximised-{width}x{height}")
    finally:
        change_service_records(s, [("users", "name", user[0], user[1]), ("users", "name", owner_id, owner_name),
                                   ("wallpapers", "title", wallpaper_id, title)])
        s.restart_lanto()
    if problems:
        raise Failure("; ".join(problems))


def change_service_records(s, changes):
    """Writes (table, column, id, value) changes into the service's database while
    it is stopped, then starts it again on its port."""
    s.stop("lanto-service")
    path = os.path.join(s.home, "service-data", "lanto-service.sqlite")
    with sqlite3.connect(path, timeout=10) as db:
        for table, column, key, value in changes:
            db.execute(f"UPDATE {table} SET {column} = ? WHERE id = ?", (value, key))
    s.restart_service()


def look_at_long_texts(s, label, with_toast=False):
    """The screens that show the long texts at the window's present size; a
    screenshot of each lands in the output folder; returns what lies wrong."""
    problems = []
    long_ones = {LONG_TITLE, LONG_CREATOR}

    def look(name, landmark, scrolled=frozenset()):
        s.find(landmark, timeout=30)
        problems.extend(f"long texts {label} {name}: {p}"
                        for p in window_layout.steady_layout_problems(s, scrolled))
        s.snapshot(f"long-{label}-{name}")

    s.press("Discover")
    window_layout.Search(TITLE_WORD)(s)
    look("search", LONG_TITLE, long_ones)
    s.press(LONG_TITLE)
    look("detail", "Back")
    if with_toast:
        problems += failed_download_toast(s, label)
    s.press(LONG_CREATOR)
    look("creator", lambda name: name.endswith(" wallpaper") or name.endswith(" wallpapers"), long_ones)
    s.press("Back")  # to the detail page the creator page was opened from
    s.press("Back")
    s.press("Clear")
    s.press(LONG_DISPLAY_NAME)
    look("profile", "Edit Profile", long_ones | set(s.service_titles()))
    return problems


def failed_download_toast(s, label):
    """A download that fails with the service away: its toast names the long title
    and lies wholly inside the window."""
    s.stop("lanto-service")
    try:
        s.press("Download")
        toast = wait_until(lambda: next((a for a in s.find_all(s.application(), role="alert")
                                         if TITLE_WORD in (a.name or "")), None), 30,
                           "the failure toast naming the title")
        box, frame = s.extents(toast), s.extents(s.main_window())
        s.snapshot(f"long-{label}-toast")
    finally:
        s.restart_service()
    return [] if inside(box, frame) else [f"long texts {label}: the toast at {box} runs out of the window {frame}"]
