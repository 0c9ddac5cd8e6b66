"""Still pictures imported from the user's files and shown on the desktop."""

from lanto_e2e import wait_until

# Colours no video of the catalogue and no bare desktop shows over a whole strip;
# a plain-coloured PNG is stored as a one-bit palette picture.
STILLS = {"Teal Still": (32, 176, 160), "Rose Still": (224, 60, 140)}


def import_still(s, title):
    """Imports a one-coloured PNG through Upload's file dialog and waits for its card."""
    r, g, b = STILLS[title]
    picture = s.make_picture(title + ".png", f"xc:rgb({r},{g},{b})")
    s.press("Upload")
    s.press("Drop files here or click to browse")
    s.choose_in_file_dialog(picture)
    s.find(title, "push button", timeout=60)


def apply_still(s, title):
    """Applies an imported still from its detail page, which then says Active."""
    s.press("Upload")
    s.press(title, timeout=30)
    s.press("Apply", timeout=15)
    s.find("Active", "push button", timeout=30)
    s.press("Back")


def wait_still_shown(s, title, box, name):
    """Waits until most of a box of the screen shows the still's colour."""
    colour = STILLS[title]

    def shown():
        pixels = s.screenshot(name).region(*box)[::97]
        near = sum(1 for p in pixels if max(abs(p[i] - colour[i]) for i in range(3)) <= 12)
        return near >= 0.9 * len(pixels)
    wait_until(shown, 20, f"the still {title!r} to show on the desktop at {box}")


def still_picture(s):
    """A PNG imported through Upload and applied from its detail page shows its
    pixels on the desktop beside the window."""
    s.require_service()
    for title in STILLS:
        import_still(s, title)
    apply_still(s, "Teal Still")
    wait_still_shown(s, "Teal Still", s.uncovered_strip(), "still-applied")
