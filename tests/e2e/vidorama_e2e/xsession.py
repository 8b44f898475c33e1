"""A virtual X display with a window manager, as a desktop user has one."""

import os
import shutil
import subprocess
import time


class XSession:
    def __init__(self, width, height, log_dir):
        self.width, self.height = width, height
        self.log_dir = log_dir
        self.display = None
        self._processes = []

    def __enter__(self):
        try:
            self._start_server()
            self._wait_for_display()
            self._start_window_manager()
        except BaseException:
            self.__exit__()
            raise
        return self

    def _start_server(self):
        # The server picks a free display itself and tells its number, so
        # that runs side by side never race for one.
        read_end, write_end = os.pipe()
        log = open(os.path.join(self.log_dir, "xvfb.log"), "w")
        self._processes.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{self.width}x{self.height}x24", "-nolisten", "tcp"],
            stdout=log, stderr=subprocess.STDOUT, pass_fds=(write_end,)))
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            number = announced.readline().strip()
        if not number:
            raise RuntimeError("the X server did not start")
        self.display = f":{number}"

    def __exit__(self, *exc):
        self.stop()

    def stop(self):
        for process in reversed(self._processes):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()

    def env(self):
        return {"DISPLAY": self.display}

    def _start(self, args, log):
        env = dict(os.environ, DISPLAY=self.display or "")
        self._processes.append(subprocess.Popen(args, stdout=log, stderr=subprocess.STDOUT,
                                                env=env))

    def run(self, args, check=True):
        env = dict(os.environ, DISPLAY=self.display)
        return subprocess.run(args, env=env, check=check, capture_output=True, text=True)

    def _wait_for_display(self):
        for _ in range(100):
            if self.run(["xdpyinfo"], check=False).returncode == 0:
                return
            time.sleep(0.1)
        raise RuntimeError("the X server did not start")

    def _start_window_manager(self):
        # A server that has only just come up sometimes refuses its first
        # client; the window manager gets a few tries.
        for _ in range(5):
            wm_log = open(os.path.join(self.log_dir, "openbox.log"), "a")
            self._start(["openbox", "--sm-disable"], wm_log)
            window_manager = self._processes[-1]
            for _ in range(100):
                props = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
                if "window id" in props.stdout:
                    return
                if window_manager.poll() is not None:
                    break
                time.sleep(0.1)
            time.sleep(0.5)
        raise RuntimeError("the window manager did not start")

    def screenshot(self, path):
        self.run(["import", "-window", "root", path], check=False)


def tools_missing():
    needed = ["Xvfb", "openbox", "xdotool", "xdpyinfo", "xprop", "xwininfo", "import", "ffprobe",
              "ffmpeg", "dbus-run-session"]
    return [tool for tool in needed if shutil.which(tool) is None]
