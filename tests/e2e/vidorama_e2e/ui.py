"""Finds the program's windows and controls through the desktop's
accessibility bus, and works them with real input events (xdotool), as a
person at the keyboard and mouse does."""

import re
import subprocess
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# A program that has just ended can stay listed on the bus for a while, and a
# call to it waits for the bus's timeout, 25 s by default: long enough to
# miss the next program's window entirely.
Atspi.set_timeout(1000, 5000)


class NotFound(AssertionError):
    pass


def wait_for(what, probe, timeout=20.0, interval=0.1):
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise NotFound(f"timed out waiting for {what}")
        time.sleep(interval)


def _showing(acc):
    try:
        return acc.get_state_set().contains(Atspi.StateType.SHOWING)
    except Exception:
        return False


def _children(acc):
    try:
        count = acc.get_child_count()
    except Exception:
        return []
    result = []
    for i in range(count):
        try:
            child = acc.get_child_at_index(i)
        except Exception:
            continue
        if child is not None:
            result.append(child)
    return result


def describe(acc):
    try:
        return f"{acc.get_role_name()} '{acc.get_name()}'"
    except Exception:
        return "(gone)"


class Program:
    """One running process of the program as the accessibility bus shows it."""

    def __init__(self, x, pid):
        self.x = x
        self.pid = pid

    def application(self):
        desktop = Atspi.get_desktop(0)
        desktop.clear_cache()
        for app in _children(desktop):
            try:
                if app.get_process_id() == self.pid:
                    return app
            except Exception:
                continue
        return None

    def windows(self):
        app = self.application()
        return [w for w in _children(app) if _showing(w)] if app else []

    def window(self, title, timeout=20.0):
        """The showing window with that title, or whose title matches that
        regular expression."""
        def matches(name):
            return name == title or re.fullmatch(title, name or "") is not None
        return wait_for(f"window '{title}'",
                        lambda: next((w for w in self.windows() if matches(w.get_name())), None),
                        timeout)

    def find(self, root, role=None, name=None, contains=None):
        """The first showing control under root with that role and name."""
        stack = [root]
        while stack:
            acc = stack.pop(0)
            try:
                acc_role, acc_name = acc.get_role_name(), acc.get_name() or ""
            except Exception:
                continue
            if ((role is None or acc_role == role) and (name is None or acc_name == name) and
                    (contains is None or contains in acc_name) and acc is not root and
                    _showing(acc)):
                return acc
            stack.extend(_children(acc))
        return None

    def control(self, root, role=None, name=None, contains=None, timeout=20.0):
        return wait_for(f"{role} '{name or contains}'",
                        lambda: self.find(root, role, name, contains), timeout)

    def all_text(self, root):
        """Every name and text shown under root, for reading messages."""
        texts, stack = [], [root]
        while stack:
            acc = stack.pop()
            try:
                texts.append(acc.get_name() or "")
                text = acc.get_text_iface()
                if text is not None:
                    texts.append(text.get_text(0, text.get_character_count()))
            except Exception:
                pass
            stack.extend(_children(acc))
        return "\n".join(t for t in texts if t)

    # Real input.
    def click(self, acc, fx=0.5, fy=0.5):
        x, y = self.point_in(acc, fx, fy)
        self.x.run(["xdotool", "mousemove", "--sync", str(x), str(y)])
        time.sleep(0.05)
        self.x.run(["xdotool", "click", "1"])
        time.sleep(0.2)

    def point_in(self, acc, fx=0.5, fy=0.5):
        box = acc.get_extents(Atspi.CoordType.SCREEN)
        return int(box.x + box.width * fx), int(box.y + box.height * fy)

    def type_text(self, text):
        self.x.run(["xdotool", "type", "--delay", "20", text])

    def key(self, *keys):
        self.x.run(["xdotool", "key", "--delay", "50", *keys])
        time.sleep(0.2)

    def extents(self, acc):
        box = acc.get_extents(Atspi.CoordType.SCREEN)
        return box.x, box.y, box.width, box.height


def x_window_of(x, pid, title):
    """The X window id of the process's top-level window whose title matches
    that regular expression."""
    found = x.run(["xdotool", "search", "--all", "--pid", str(pid), "--name", title], check=False)
    ids = [line for line in found.stdout.split() if line.strip()]
    return ids[-1] if ids else None


def active_window_name(x):
    return x.run(["xdotool", "getactivewindow", "getwindowname"], check=False).stdout.strip()


def frame_geometry(x, window_id):
    """(x, y, width, height) of a window on the screen, its frame included."""
    info = x.run(["xwininfo", "-id", window_id], check=False).stdout
    values = {}
    for line in info.splitlines():
        line = line.strip()
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            if line.startswith(key + ":"):
                values[key] = int(line.split(":")[1])
    return (values.get("Absolute upper-left X"), values.get("Absolute upper-left Y"),
            values.get("Width"), values.get("Height"))


def run_quiet(args):
    return subprocess.run(args, capture_output=True, text=True)
