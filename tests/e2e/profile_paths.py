"""Paths through the user's own things: the profile's tabs, the upload screen's
filter chips, a new name reaching everything that shows it, and removing a
downloaded wallpaper."""

import os

from browse_paths import catalogue, shown_cards
from lanto_e2e import Failure, wait_until

DISPLAY_NAME = "Robin Tester"
FREE_HANDLE = "robin_tester"
# The user's name before and after the profile editor renames them.
USER_NAMES = (DISPLAY_NAME, "Robin Renamed")


def own_name_shown(s, name):
    """After a rename: the sidebar and the user's own imports name the user anew."""
    s.find(name, "push button", timeout=15)  # the sidebar's account item
    own = sorted(s.own_titles())
    if not own:
        raise Failure("the user has no imported wallpapers to look at")
    s.press("Upload")
    s.press(own[0])
    s.find("Back", "push button", timeout=15)
    creator = wait_until(lambda: [b.name for b in s.find_all(s.application(), role="push button")
                                  if b.name in USER_NAMES], 10, "the creator's name on the detail page")
    # The sidebar carries the user's name too; the page's own is the other one.
    if creator.count(name) < 2:
        s.snapshot("rename-own-upload")
        raise Failure(f"the detail page of the own upload {own[0]!r} names {creator}, not {name!r}")
    s.press("Back")


def profile_tabs(s):
    """Uploads shows what the user made public, Downloads what came from the
    catalogue, Favorites a wallpaper made a favourite; the upload screen's chips
    keep the approved (Public) apart from the never submitted (Local)."""
    s.require_service()
    known = catalogue(s)
    own = set(s.own_titles())
    public = {row[0] for row in s.service_db("SELECT title FROM wallpapers w JOIN users u ON u.id = w.owner_id "
                                             "WHERE u.handle = ? AND w.status = 'approved'", FREE_HANDLE)}
    everything = set(known) | own
    s.press(lambda name: name in USER_NAMES)
    s.press("Uploads")
    wait_until(lambda: public <= set(shown_cards(s, everything)), 20, f"the uploads {sorted(public)}")
    s.snapshot("profile-uploads")

    s.press("Downloads")
    wait_until(lambda: shown_cards(s, everything) and not set(shown_cards(s, everything)) & own, 15,
               "the downloaded wallpapers, without the user's own imports")
    downloaded = shown_cards(s, everything)
    s.snapshot("profile-downloads")

    # A favourite made on its detail page shows under Favorites.
    favourite = downloaded[0]
    s.press(favourite)
    s.press("Add to favorites")
    s.find("Remove from favorites", "push button")
    s.press("Back")
    s.press("Favorites")
    wait_until(lambda: shown_cards(s, everything) == [favourite], 15, f"{favourite!r} alone under Favorites")
    s.snapshot("profile-favorites")

    s.press("Upload")
    for chip, expected in (("Public", public & own), ("Local", own - public), ("All", own)):
        s.press(chip)
        wait_until(lambda: set(shown_cards(s, own)) == expected, 10, f"{sorted(expected)} under the {chip} chip")
    s.snapshot("upload-chips")


def remove_download(s):
    """A downloaded wallpaper chosen in the Downloads tab's select mode goes, once
    its removal is confirmed, from the tab and from the Downloads folder."""
    s.require_service()
    known = catalogue(s)
    folder = s.downloads_folder()
    s.press(lambda name: name in USER_NAMES)
    s.press("Downloads")
    cards = wait_until(lambda: shown_cards(s, known), 15, "the Downloads tab's cards")
    title = cards[-1]
    before = set(os.listdir(folder))
    s.press("Select")
    s.press(title, "check box")
    s.press(lambda name: "Remove 1 Wallpaper" in name)
    s.snapshot("remove-confirmation")
    s.press("Remove")
    wait_until(lambda: title not in shown_cards(s, known), 15, f"{title!r} to leave the Downloads tab")
    gone = wait_until(lambda: before - set(os.listdir(folder)), 15, f"the folder of {title!r} to leave the disk")
    if len(gone) != 1 or set(os.listdir(folder)) - before:
        raise Failure(f"removing {title!r} took {sorted(gone)} from the Downloads folder")
    s.snapshot("removed")
