"""The files a person has and hands to Lanto: clips and pictures in their home
folders, picked in the file dialog or dragged from a file manager."""

import os
import select

from e2e_base import Failure, wait_until


class PersonFiles:
    """The file side of a Session: needs its home, start(), run(), press(), find(), click() and key()."""

    def make_video(self, name, seconds=2):
        """A short clip in the user's Videos folder, made with the ffmpeg command."""
        path = os.path.join(self.home, "Videos", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        self.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                  f"testsrc2=size=640x360:rate=30:duration={seconds}", "-pix_fmt", "yuv420p",
                  "-c:v", "libx264", path], check=True)
        return path

    def make_picture(self, name, fill="gradient:orange-purple"):
        """A picture in the user's Pictures folder, drawn by ImageMagick from `fill`."""
        path = os.path.join(self.home, "Pictures", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        self.run(["convert", "-size", "256x256", fill, path], check=True)
        return path

    def choose_in_file_dialog(self, path):
        """Picks a file in the open file dialog as a person does: goes to its folder,
        clicks the file, presses Open."""
        dialog = self.find("Open", "push button", timeout=15)
        self.key("ctrl+l")
        self.type_text(os.path.dirname(path))
        self.key("Return")
        self.press(os.path.basename(path), role=None)
        self.click(dialog)

    def drop_files(self, paths, target):
        """Drags files from a file manager's window and drops them on target, letting
        go once the target has said it takes them, as a person waits for the drop
        zone to light up."""
        source = self.start("drag-source", [self.program("e2e_drag_source")] + list(paths), stdout_pipe=True)
        window = wait_until(lambda: self.shown_windows(source.pid), 10, "the file manager's window")[0]
        self.run(["xdotool", "windowmove", "--sync", window, "0", "0"], check=True)
        geometry = self.window_geometry(window)
        start_x, start_y = geometry["X"] + 40, geometry["Y"] + 40
        x, y = self.centre(target)
        self.run(["xdotool", "mousemove", "--sync", str(start_x), str(start_y), "mousedown", "1"], check=True)
        steps = 20
        for step in range(1, steps + 1):  # a drag moves through the way, not in one jump
            self.run(["xdotool", "mousemove", "--sync", str(start_x + (x - start_x) * step // steps),
                      str(start_y + (y - start_y) * step // steps)], check=True)
        said = []

        def heard(word):
            while select.select([source.stdout], [], [], 0)[0]:
                line = source.stdout.readline()
                if not line:
                    break
                said.append(line.decode().strip())
            return word in said or "refused" in said

        def accepted():
            # Each small move over the target is a position the drag reports again.
            self.run(["xdotool", "mousemove", "--sync", str(x + 2), str(y + 2), "mousemove", "--sync", str(x), str(y)])
            return heard("accepted")
        try:
            wait_until(accepted, 10, "the drop target to take the files")
        finally:
            self.run(["xdotool", "mouseup", "1"], check=True)
        wait_until(lambda: heard("dropped"), 15, "the drag to end")
        if "dropped" not in said:
            raise Failure(f"the drop target refused the files (the drag said {said})")
        # The file manager stays open: the target fetches the files' addresses from it
        # after the drop. The caller closes it (stop("drag-source")) once they arrived.

