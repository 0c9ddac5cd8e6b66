"""A video that shows its own time, and a camera that reads it off the screen.

Each frame of the clock video carries its number, Gray-coded, as a row of cells
across the part of the screen the suite watches: a one bit is a white cell
followed by a black one, a zero bit the other way round, so a grab of anything
else (the bare root window, a black window, a half-drawn one) reads as no
frame at all. The strip grabber takes one line of that part of the screen every
few milliseconds; from its records the suite tells how long nothing of the video
showed and where in the video each program was at every moment.
"""

import os
import signal
import struct
import subprocess
import time

from lanto_e2e import Failure, wait_until

FRAMES_PER_SECOND = 30
SECONDS = 40
FRAMES = FRAMES_PER_SECOND * SECONDS
BITS = FRAMES.bit_length()
# The desktop windows fill the screen with the video scaled up this many times.
SCALE = 5
BACKGROUND = 96


class Reading:
    """One grab: when it was taken and the frame it showed (None: no frame of the video)."""

    def __init__(self, taken, frame):
        self.taken, self.frame = taken, frame

    def offset(self):
        """When frame 0 of the pass this frame belongs to was shown, modulo the video's length."""
        return (self.taken - self.frame / FRAMES_PER_SECOND) % SECONDS


def circular_difference(a, b):
    """a - b on the video's circle of SECONDS, in (-SECONDS/2, SECONDS/2]."""
    difference = (a - b) % SECONDS
    return difference - SECONDS if difference > SECONDS / 2 else difference


def median(values):
    ordered = sorted(values)
    return ordered[len(ordered) // 2]


class FrameClock:
    """The clock video for one strip of the screen and the reading of its cells."""

    def __init__(self, strip, screen_size):
        x, y, width, height = strip
        self.horizontal = width >= height
        self.size = (screen_size[0] // SCALE, screen_size[1] // SCALE)
        # The line the grabber watches: along the strip's long side, through its middle.
        if self.horizontal:
            self.line = (x, y + height // 2, width)
            start, length = x, width
        else:
            self.line = (x + width // 2, y, height)
            start, length = y, height
        # Whole video pixels inside the strip, with a cell's margin at each end.
        first, last = -(-start // SCALE), (start + length) // SCALE
        self.cell = (last - first) // (2 * BITS + 2)
        if self.cell < 2:
            raise Failure(f"the uncovered strip {strip} is too small for the clock's cells")
        self.first_cell = first + self.cell
        # Where along the grabbed line each cell's middle falls.
        self.samples = [(self.first_cell + i * self.cell) * SCALE + self.cell * SCALE // 2 - start
                        for i in range(2 * BITS)]

    def write_video(self, path):
        """Writes the clock video (H.264, lossless enough for the cells' edges)."""
        os.makedirs(os.path.dirname(path), exist_ok=True)
        width, height = self.size
        encoder = subprocess.Popen(
            ["ffmpeg", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "gray", "-s", f"{width}x{height}",
             "-r", str(FRAMES_PER_SECOND), "-i", "-", "-c:v", "libx264", "-preset", "veryfast", "-crf", "12",
             "-g", str(FRAMES_PER_SECOND), "-pix_fmt", "yuv420p", path], stdin=subprocess.PIPE)
        for frame in range(FRAMES):
            encoder.stdin.write(self.picture(frame))
        encoder.stdin.close()
        if encoder.wait() != 0:
            raise Failure("ffmpeg could not write the clock video")
        return path

    def picture(self, frame):
        """The grey pixels of one frame."""
        width, height = self.size
        levels = [BACKGROUND] * (width if self.horizontal else height)
        gray = frame ^ (frame >> 1)
        for bit in range(BITS):
            one = (gray >> (BITS - 1 - bit)) & 1
            for half, level in enumerate((255, 0) if one else (0, 255)):
                begin = self.first_cell + (2 * bit + half) * self.cell
                levels[begin:begin + self.cell] = [level] * self.cell
        if self.horizontal:
            return bytes(levels) * height
        return b"".join(bytes([level]) * width for level in levels)

    def read(self, line):
        """The frame a grabbed line shows, or None when it shows no frame of the video."""
        gray = 0
        for bit in range(BITS):
            first, second = line[self.samples[2 * bit]], line[self.samples[2 * bit + 1]]
            if first > 160 and second < 96:
                gray = gray << 1 | 1
            elif first < 96 and second > 160:
                gray <<= 1
            else:
                return None
        frame = 0
        while gray:
            frame ^= gray
            gray >>= 1
        return frame if frame < FRAMES else None


class Camera:
    """The strip grabber running over the clock's line, from start() to stop()."""

    def __init__(self, session, clock, name):
        self.session, self.clock = session, clock
        self.path = os.path.join(session.out_dir, name + ".grabs")
        self.read_bytes, self.seen = 0, []

    def start(self):
        x, y, length = self.clock.line
        self.session.start(
            os.path.basename(self.path), [self.session.program("e2e_strip_grabber"), str(x), str(y), str(length),
                                          "horizontal" if self.clock.horizontal else "vertical", self.path])
        wait_until(lambda: self.readings(), 10, "the strip grabber's first grab")
        return self

    def stop(self):
        self.session.stop(os.path.basename(self.path), signal.SIGTERM)
        return self.readings()

    def readings(self):
        """Every grab written so far."""
        size = 8 + self.clock.line[2]
        try:
            with open(self.path, "rb") as grabs:
                grabs.seek(self.read_bytes)
                data = grabs.read()
        except FileNotFoundError:
            return []
        whole = len(data) - len(data) % size
        self.read_bytes += whole
        self.seen += [Reading(struct.unpack_from("<d", data, at)[0], self.clock.read(data[at + 8:at + size]))
                      for at in range(0, whole, size)]
        return self.seen

    def wait_playing(self, since, what, seconds=1.0, timeout=20):
        """Waits until the video has played on steadily for `seconds`, all after
        `since` (a time.monotonic() moment): every grab a frame, each where the
        wall clock puts it (no stall, no jump). Returns when that stretch began."""
        return wait_until(lambda: steady_since(self.readings(), since, seconds), timeout, what)


def steady_since(readings, since, seconds, spread=0.1):
    """The start of the last `seconds` of readings when the video played steadily
    through them, else None."""
    recent = [r for r in readings if r.taken >= since]
    if not recent or recent[-1].taken - recent[0].taken < seconds:
        return None
    window = [r for r in recent if r.taken >= recent[-1].taken - seconds]
    if any(r.frame is None for r in window) or len({r.frame for r in window}) < 2:
        return None
    reference = window[0].offset()
    if any(abs(circular_difference(r.offset(), reference)) > spread for r in window):
        return None
    return window[0].taken


class HandOver:
    """What a person saw around one hand-over (see hand_over_figures)."""

    def __init__(self, gap, blank, resume, farthest):
        self.gap, self.blank, self.resume, self.farthest = gap, blank, resume, farthest


def hand_over_figures(readings, handed, steady, before=1.0, after=0.5):
    """What a person saw around one hand-over, asked for at the moment `handed`,
    once the video plays steadily again (from `steady` on).

    gap: the longest time after `handed` between two grabs that showed a frame
    of the video with only blank grabs between them (an upper bound: it includes
    the grabber's own pauses). blank: the longest time the video is known to
    have been gone, from the first to the last blank grab of a stretch. resume:
    how far the video went on from where it was before `handed`, ahead (+) or
    behind (-) of the wall clock, over the first `after` seconds of steady play.
    farthest: the frame shown after `handed`, up to the end of those seconds,
    that lay farthest from where the video was, signed as resume is."""
    shown = [r for r in readings if r.frame is not None]
    earlier = [r.offset() for r in shown if handed - before <= r.taken < handed]
    later = [r.offset() for r in shown if steady <= r.taken < steady + after]
    if not earlier or not later:
        raise Failure("the clock video was not readable before and after the hand-over")
    line = median(earlier)
    # The offset is when frame 0 was shown: one that comes later means the video fell behind.
    resume = -circular_difference(median(later), line)
    away = [-circular_difference(r.offset(), line) for r in shown if handed <= r.taken < steady + after]
    farthest = max(away, key=abs, default=0.0)
    gap, blank = blank_stretches(readings, handed)
    return HandOver(gap, blank, resume, farthest)


def blank_stretches(readings, since):
    """The longest stretch after `since` between two grabs that showed a frame,
    and the longest between the first and last blank grab of a stretch."""
    gap = blank = 0.0
    last_shown = first_blank = last_blank = None
    for reading in (r for r in readings if r.taken >= since):
        if reading.frame is None:
            first_blank = first_blank if first_blank is not None else reading.taken
            last_blank = reading.taken
            continue
        if first_blank is not None:
            gap = max(gap, reading.taken - (last_shown if last_shown is not None else since))
            blank = max(blank, last_blank - first_blank)
        last_shown, first_blank = reading.taken, None
    if first_blank is not None:
        gap = max(gap, readings[-1].taken - (last_shown if last_shown is not None else since))
        blank = max(blank, last_blank - first_blank)
    return gap, blank


def now():
    return time.monotonic()


def timeline(readings, since, until):
    """What the line showed between two moments, as lines of text: each stretch
    of blank grabs, and each stretch of frames with where it sat against the
    wall clock (its offset, see Reading.offset)."""
    lines, stretch = [], []

    def close():
        if not stretch:
            return
        first, last = stretch[0], stretch[-1]
        if first.frame is None:
            what = "nothing of the video"
        else:
            what = f"frames {first.frame}..{last.frame}, offset {first.offset():.3f}..{last.offset():.3f} s"
        lines.append(f"  {first.taken - since:+.3f} s for {last.taken - first.taken:.3f} s: {what}")

    for reading in (r for r in readings if since <= r.taken <= until):
        jumped = stretch and stretch[-1].frame is not None and reading.frame is not None \
            and abs(circular_difference(reading.offset(), stretch[-1].offset())) > 0.1
        if stretch and ((reading.frame is None) != (stretch[-1].frame is None) or jumped):
            close()
            stretch = []
        stretch.append(reading)
    close()
    return lines
