"""What every part of the end-to-end suite shares: its failures and its waits."""

import select
import time

POLL_SECONDS = 0.1


class Failure(AssertionError):
    """A path did not see what a user should see."""


class Blocked(Exception):
    """A path cannot run on this machine yet; the message says why."""


def wait_until(condition, timeout, what):
    """Returns the first true value of condition(), or raises once timeout seconds pass."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(POLL_SECONDS)


def read_line_until(stream, marker, timeout, log_path):
    """Reads a program's output line by line, into its log, until one holds marker;
    raises at the deadline."""
    log = open(log_path, "a")
    deadline = time.monotonic() + timeout
    while True:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([stream], [], [], left)[0]:
            raise Failure(f"no line with {marker!r} within {timeout} s")
        line = stream.readline().decode(errors="replace")
        log.write(line)
        log.flush()
        if not line:
            raise Failure(f"the program ended before printing {marker!r}")
        if marker in line:
            return line


# -- rectangles on the screen: (x, y, width, height) ---------------------------

def inside(a, b, slack=1):
    """Whether rectangle a lies within rectangle b, give or take `slack` pixels."""
    return b[0] - slack <= a[0] and b[1] - slack <= a[1] and \
        a[0] + a[2] <= b[0] + b[2] + slack and a[1] + a[3] <= b[1] + b[3] + slack


def clipped(a, b):
    """The part of rectangle a inside rectangle b when they share more than a
    pixel's edge each way, else None."""
    x0, y0 = max(a[0], b[0]), max(a[1], b[1])
    x1, y1 = min(a[0] + a[2], b[0] + b[2]), min(a[1] + a[3], b[1] + b[3])
    return (x0, y0, x1 - x0, y1 - y0) if x1 - x0 > 1 and y1 - y0 > 1 else None
