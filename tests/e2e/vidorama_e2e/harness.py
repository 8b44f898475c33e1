"""One person's account on the virtual desktop: a fresh home folder, the real
program started in it, and the checks every scenario ends with."""

import glob
import os
import shutil
import signal
import stat
import subprocess
import time

from . import media
from .ui import Program, wait_for, x_window_of

# The main window is titled with the open movie's name after the program's.
MAIN_TITLE = r"Vidorama( - .*)?"
SETTINGS_SIZE = 383
FOLDER_SLOT = (3, 260)
SLOTS = ["outputKind", "sizeMode", "height", "width", "aviCodec", "audioFormat", "channels",
         "mpegChannels", "mpegVersion", "wmvProfile", "rmProfile", "mpegFrameRate",
         "mpegVideoBitrate", "aviFrameRate", "mpegAudioBitrate"]
TEXT_SLOTS = {"mpegFrameRate", "mpegVideoBitrate", "aviFrameRate", "mpegAudioBitrate"}


class Account:
    """A fresh home folder with nothing in it, as on a new account."""

    def __init__(self, root, name, x, build, started):
        self.started = started
        self.home = os.path.join(root, name)
        os.makedirs(self.home)
        self.x, self.build = x, build
        self.runtime = os.path.join(self.home, ".run")
        os.makedirs(self.runtime, mode=0o700)
        self.tmp = os.path.join(self.home, ".tmp")
        os.makedirs(self.tmp)
        # The desktop's "open this folder" command, recording what it was asked.
        self.opener_log = os.path.join(self.home, ".opened")
        self.bin = os.path.join(self.home, ".bin")
        os.makedirs(self.bin)
        opener = os.path.join(self.bin, "xdg-open")
        with open(opener, "w") as f:
            f.write(f'#!/bin/sh\necho "$@" >> "{self.opener_log}"\n')
        os.chmod(opener, 0o755)
        self.has_opener = True

    @property
    def config_dir(self):
        return os.path.join(self.home, ".config", "vidorama")

    @property
    def documents(self):
        return os.path.join(self.home, "Documents")

    def env(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("XDG_", "QT_"))}
        env.update(self.x.env())
        env.update({
            "HOME": self.home,
            "XDG_RUNTIME_DIR": self.runtime,
            "TMPDIR": self.tmp,
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
            "PATH": (self.bin + ":" if self.has_opener else "") + "/usr/bin:/bin",
        })
        return env

    def start(self, *args):
        process = subprocess.Popen([os.path.join(self.build, "bin", "vidorama"), *args],
                                   env=self.env(), cwd=self.home,
                                   stdout=open(os.path.join(self.home, ".stdout"), "a"),
                                   stderr=subprocess.STDOUT)
        self.started.append(Running(self, process))
        return self.started[-1]

    def opened(self):
        if not os.path.exists(self.opener_log):
            return []
        with open(self.opener_log) as f:
            return [line.strip() for line in f if line.strip()]

    # The settings file, written as the program writes it.
    def write_settings(self, folder, **fields):
        data = bytearray(SETTINGS_SIZE)
        path = os.path.join(self.config_dir, "config.dat")
        if os.path.exists(path):
            with open(path, "rb") as f:
                data[:] = f.read()[:SETTINGS_SIZE].ljust(SETTINGS_SIZE, b"\0")
        data[0:3] = b"SVF"
        if folder is not None:
            start, size = FOLDER_SLOT
            encoded = folder.encode()
            data[start:start + size] = encoded + bytes(size - len(encoded))
        for name, value in fields.items():
            offset = 263 + SLOTS.index(name) * 8
            text = value if name in TEXT_SLOTS else format(value & 0xFFFFFFFF, "x")
            data[offset:offset + 8] = text.encode().ljust(8, b"\0")
        os.makedirs(self.config_dir, exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    # What a scenario leaves behind.
    def temp_files(self):
        # The program makes its temporary files in TMPDIR, which is this
        # account's own folder; the shared one also holds the files of tests
        # running beside this suite.
        names = []
        for prefix in ("~VID", "~AUD", "~REELCAP"):
            names += glob.glob(os.path.join(self.tmp, prefix + "*"))
        return names

    def outputs(self, folder=None):
        folder = folder or self.documents
        return sorted(glob.glob(os.path.join(folder, "reelcap*")) +
                      glob.glob(os.path.join(folder, ".reelcap*")))


class Running:
    def __init__(self, account, process):
        self.account = account
        self.process = process
        self.ui = Program(account.x, process.pid)

    def main_window(self, timeout=30.0):
        return self.ui.window(MAIN_TITLE, timeout)

    def x_window(self, title=MAIN_TITLE):
        pattern = f"^{title}$"
        return wait_for(f"X window '{title}'",
                        lambda: x_window_of(self.account.x, self.process.pid, pattern), 20)

    def alive(self):
        return self.process.poll() is None

    def close_window(self, title=MAIN_TITLE):
        """Closes a window as its close box does: through the window manager."""
        window = self.x_window(title)
        self.account.x.run(["xdotool", "windowactivate", "--sync", window], check=False)
        time.sleep(0.2)
        self.account.x.run(["wmctrl", "-i", "-c", window], check=False)

    def wait_exit(self, timeout=30.0):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the program did not end within {timeout} s")

    def stop(self):
        if self.alive():
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def check_left_clean(account, running, output_folder=None):
    """What every scenario ends with: the program alive or ended with 0, no
    temporary files, and nothing under a final output name that is empty or
    cannot be read back."""
    problems = []
    code = running.process.poll()
    if code not in (None, 0):
        problems.append(f"the program ended with {code}")
    left = account.temp_files()
    if left:
        problems.append(f"temporary files left: {left}")
    for path in account.outputs(output_folder):
        name = os.path.basename(path)
        if name.startswith(".") or not stat.S_ISREG(os.stat(path).st_mode):
            problems.append(f"a partial output is left: {name}")
        elif os.path.getsize(path) == 0:
            problems.append(f"an empty output: {name}")
        else:
            try:
                info = media.probe(path)
                if media.stream(info, "video") is None:
                    problems.append(f"{name} has no video stream")
            except AssertionError as error:
                problems.append(str(error))
    if problems:
        raise AssertionError("; ".join(problems))
    return {"temp_files_left": 0}


def remove_tree(path):
    shutil.rmtree(path, ignore_errors=True)
