"""Walking a window with Tab, as a person without a pointer does: at every stop the
control with the focus lies inside the window, and the screen shows it (its
pixels change as it takes the focus: a ring, a border)."""

import re
import subprocess

from e2e_base import Failure, inside, wait_until

# How far outside a control what shows its focus may lie: a ring just round it,
# or the frame of the field a text lies in.
RING = 16
# A channel must move this much for a pixel to count as changed.
CHANGE = 24


class Frame:
    """The whole screen at one moment, as raw pixels."""

    def __init__(self, s):
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=s.env,
                             check=True, capture_output=True).stdout
        # "P6", width, height and maximum, each followed by one blank, then the pixels.
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", ppm)
        if not header:
            raise Failure("import wrote no PPM picture of the screen")
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.rgb = ppm[header.end():]

    def changed_pixels(self, other, box):
        """How many pixels of the box, grown by the ring, differ from another frame."""
        x0, y0 = max(0, box[0] - RING), max(0, box[1] - RING)
        x1 = min(self.width, box[0] + box[2] + RING)
        y1 = min(self.height, box[1] + box[3] + RING)
        changed = 0
        for y in range(y0, y1):
            row = (y * self.width) * 3
            a, b = self.rgb[row + x0 * 3:row + x1 * 3], other.rgb[row + x0 * 3:row + x1 * 3]
            if a == b:
                continue
            for i in range(0, len(a), 3):
                if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > CHANGE:
                    changed += 1
        return changed


def focused_control(s):
    """The showing control that has the keyboard focus, or None. The panels around
    it that hold the focus for it say they are focused too: it is the innermost."""
    import pyatspi
    root = s.application()
    stack, found = [(root, 0)], (None, -1)
    while stack:
        node, depth = stack.pop()
        try:
            node.clearCache()
            states = node.getState()
            if node is not root and not states.contains(pyatspi.STATE_SHOWING):
                continue
            if node is not root and states.contains(pyatspi.STATE_FOCUSED) and depth > found[1] \
                    and node.getRoleName() not in ("frame", "window"):
                found = (node, depth)
            stack.extend((node.getChildAtIndex(i), depth + 1) for i in reversed(range(node.childCount)))
        except Exception:  # a node that went away while we walked the tree
            continue
    return found[0]


def extents_now(s, control):
    """Where the control lies now; None once it has gone."""
    try:
        return s.extents(control)
    except Exception:
        return None


def identity(s, control):
    return (control.name, control.getRoleName(), s.extents(control)) if control is not None else None


def matches(control, name, role):
    named = name(control.name) if callable(name) else control.name == name
    return named and (role is None or control.getRoleName() == role)


def tab_to(s, name, role=None, key="Tab", presses=40):
    """Presses Tab (or key) until a control of that name and role has the focus,
    checking each control the focus reaches on the way; returns it."""
    window = s.extents(s.main_window())
    current = focused_control(s)
    if current is not None and matches(current, name, role):
        return current
    for _ in range(presses):
        before = Frame(s)
        was = identity(s, current)
        left = current
        s.key(key)
        current = wait_until(lambda: (lambda c: c if identity(s, c) != was else None)(focused_control(s)),
                             5, f"the focus to move on from {was}")
        box = s.extents(current)
        what = f"{current.getRoleName()} {current.name!r}"
        if not inside(box, window, slack=0):
            s.snapshot("focus-outside-window")
            raise Failure(f"the focus went to the {what} at {box}, outside the window {window}")
        # A page that scrolled to the control shows other things where it lies now,
        # perhaps a row just like it: only a stop without scrolling shows the ring alone.
        if left is None or extents_now(s, left) == was[2]:
            # A ring at least a quarter round the control.
            least = box[2] + box[3]
            try:
                wait_until(lambda: Frame(s).changed_pixels(before, s.extents(current)) >= least, 3,
                           f"the {what} to show its focus")
            except Failure:
                s.snapshot("focus-not-shown")
                raise Failure(f"the {what} took the focus and nothing on the screen showed it") from None
        if matches(current, name, role):
            return current
    s.dump_tree("focus-missing")
    raise Failure(f"{presses} presses of {key} never reached a {role or 'control'} named {name!r}")
