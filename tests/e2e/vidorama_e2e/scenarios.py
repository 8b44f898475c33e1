"""What a person does with the program, step by step, each checked on the
file it writes."""

import glob
import os
import re
import subprocess
import time
import urllib.parse

from . import media
from .harness import MAIN_TITLE, check_left_clean
from .ui import NotFound, active_window_name, frame_geometry, wait_for

BEATS_SECONDS = 10.0
BEATS_SWITCHES = [2.0, 4.0, 6.0, 8.0]
BEATS_LEVEL = 12000 / 2 ** 0.5
OUTPUT_NAME = re.compile(r"^reelcap\d\d_\d\d_\d\d_\d{3}\.(avi|mpeg|wmv|rmvb)$")


class Context:
    def __init__(self, x, new_account, movies, shots, corpus_movie):
        self.x = x
        self.new_account = new_account
        self.movies = movies
        self.shots = shots
        self.corpus_movie = corpus_movie
        self._shot = 0

    def shot(self, name):
        self._shot += 1
        self.x.screenshot(os.path.join(self.shots, f"{self._shot:02d}-{name}.png"))

    def window_shot(self, running, title, path):
        window = running.x_window(title)
        self.x.run(["import", "-window", window, "-frame", path], check=False)


# Steps shared by the scenarios.

def open_movie(ctx, running, path):
    """Opens a movie through the file dialog, typing its path."""
    main = running.main_window()
    running.ui.click(running.ui.control(main, "push button", "Open Swf file"))
    dialog = running.ui.window("Open")
    ctx.shot("file-dialog")
    running.ui.key("ctrl+a")
    running.ui.type_text(path)
    running.ui.key("Return")
    wait_for("the file dialog to close",
             lambda: all(w.get_name() != "Open" for w in running.ui.windows()), 10)
    return dialog


def start_with_movie(ctx, account, movie):
    """Starts the program and opens a movie in it, as every session begins."""
    running = account.start()
    running.main_window()
    open_movie(ctx, running, movie)
    return running


def press_main(running, name):
    """Presses one of the main window's buttons."""
    main = running.main_window()
    running.ui.click(running.ui.control(main, "push button", name))
    return main


def frame_counter(running):
    main = running.main_window()
    label = running.ui.find(main, "label", None, " / ")
    text = label.get_name() if label else ""
    match = re.match(r"^(\d+) / (\d+)$", text)
    return (int(match.group(1)), int(match.group(2))) if match else None


def message_box(running, timeout=10.0):
    """The text of the message box the program shows, after pressing its OK."""
    def find():
        for window in running.ui.windows():
            button = running.ui.find(window, "push button", "OK")
            if button is not None and window.get_name() != "video settings":
                return window, button
        return None
    window, button = wait_for("a message box", find, timeout)
    text = running.ui.all_text(window)
    running.ui.click(button)
    return text


def message_text(text):
    return " ".join(line for line in text.split("\n")
                    if line not in ("OK", "Cancel", "Vidorama", "Message", "Warning"))[:200]


def answer_size_question(running, timeout=1.5):
    """Sizes the output kind cannot take are rounded after a question; a
    user answers OK. Returns the question, or "" when none came."""
    def question():
        for window in running.ui.windows():
            if window.get_name() == "Message":
                return window
        return None
    try:
        window = wait_for("a question", question, timeout)
    except AssertionError:
        return ""
    text = running.ui.all_text(window)
    running.ui.click(running.ui.control(window, "push button", "OK"))
    return message_text(text)


def choose_custom_size(running, width, height):
    """Opening a movie goes back to its own size; a custom one is chosen
    after it, in the settings dialog."""
    dialog = settings_dialog(running)
    press(running, dialog, "radio button", "Customize")
    set_text(running, dialog, "Width", str(width))
    set_text(running, dialog, "Height", str(height))
    press(running, dialog, "push button", "OK")


def settings_dialog(running):
    press_main(running, "Output Settings")
    return running.ui.window("video settings")


def press(running, root, role, name):
    running.ui.click(running.ui.control(root, role, name))


def set_text(running, root, name, text):
    field = running.ui.control(root, "text", name)
    running.ui.click(field)
    running.ui.key("ctrl+a")
    running.ui.type_text(text)


def capture(ctx, running, folder, extension, finish_after=None):
    """Play and Capture, to the movie's end or to Finish; returns the new
    output file once the program has written it and shown it."""
    before = set(glob.glob(os.path.join(folder, "*")))
    shown_before = len(running.account.opened())
    main = press_main(running, "Play and Capture")
    started = time.monotonic()
    answered = answer_size_question(running)
    if finish_after is not None:
        time.sleep(finish_after)
        running.ui.click(running.ui.control(main, "push button", "Finish"))
    else:
        time.sleep(2)
        ctx.shot(f"capturing-{extension}")
    wait_for("the conversion to end",
             lambda: len(running.account.opened()) > shown_before or not running.alive(),
             BEATS_SECONDS + 90)
    assert running.alive(), "the program ended during the capture"
    new = sorted(set(glob.glob(os.path.join(folder, "*"))) - before)
    assert len(new) == 1, f"expected one new file, found {new}"
    name = os.path.basename(new[0])
    assert OUTPUT_NAME.match(name) and name.endswith("." + extension), f"output named {name}"
    shown = running.account.opened()[-1]
    if shown.startswith("file://"):
        shown = urllib.parse.unquote(shown[len("file://"):])
    assert shown.rstrip("/") == folder.rstrip("/"), f"the program showed {shown}, not {folder}"
    return new[0], answered


def measure_beats(path, expect_video, expect_audio):
    """Length, A/V offset and drift of a capture of beats.swf."""
    info = media.probe(path)
    video, audio = media.stream(info, "video"), media.stream(info, "audio")
    assert video is not None and audio is not None, "a stream is missing"
    assert video["codec_name"] in expect_video, f"video codec {video['codec_name']}"
    assert audio["codec_name"] in expect_audio, f"audio codec {audio['codec_name']}"
    rate = eval(video["avg_frame_rate"]) if video.get("avg_frame_rate", "0/0") != "0/0" else 0
    # The pictures and the sound on the file's clock; the movie's own time
    # starts with the first picture.
    video_start = media.start_time(info, "video")
    frames = media.frame_count(path)
    length = frames / rate if rate else media.video_duration(info)
    pictures = media.video_switches(path)
    sounds, dropouts = media.sound_switches(path, media.start_time(info, "audio"))
    level = media.loud_level(path)
    figures = {"video": video["codec_name"], "audio": audio["codec_name"],
               "size": f"{video['width']}x{video['height']}", "fps": round(rate, 3),
               "length_s": round(length, 3), "picture_switches": [round(t, 3) for t in pictures],
               "sound_switches": [round(t, 3) for t in sounds], "sound_level": round(level),
               "sound_dropouts": dropouts}
    frame = 1.0 / rate if rate else 0.1
    assert abs(length - BEATS_SECONDS) <= max(BEATS_SECONDS * frame, frame), \
        f"length {length:.3f} s for a {BEATS_SECONDS} s movie"
    assert len(pictures) == len(BEATS_SWITCHES), f"picture switches at {pictures}"
    assert len(sounds) == len(BEATS_SWITCHES), f"sound switches at {sounds}"
    offsets = [s - p for p, s in zip(pictures, sounds)]
    figures["av_offset_ms"] = [round(o * 1000) for o in offsets]
    figures["picture_drift_ms"] = round(
        ((pictures[-1] - pictures[0]) - (BEATS_SWITCHES[-1] - BEATS_SWITCHES[0])) * 1000)
    first_switch = pictures[0] - video_start
    figures["first_switch_error_ms"] = round((first_switch - BEATS_SWITCHES[0]) * 1000)
    figures["frames"] = frames
    assert all(abs(o) <= 2 * frame + 0.05 for o in offsets), f"A/V offsets {offsets}"
    assert abs(first_switch - BEATS_SWITCHES[0]) <= 2 * frame + 0.05, \
        f"the movie's start is missing: first switch at {first_switch:.3f} s"
    assert 0.5 < level / BEATS_LEVEL < 2.0, f"sound level {level:.0f}, movie {BEATS_LEVEL:.0f}"
    return figures


# The scenarios.

def start_and_second_start(ctx):
    account = ctx.new_account("start")
    first = account.start()
    other = subprocess.Popen(["xmessage", "-title", "other", "-center", "another window"],
                             env=dict(os.environ, **ctx.x.env()))
    try:
        first.main_window()
        ctx.shot("started")
        ctx.window_shot(first, MAIN_TITLE, os.path.join(ctx.shots, "main-window.png"))
        ids = wait_for("another window", lambda: ctx.x.run(
            ["xdotool", "search", "--name", "^other$"], check=False).stdout.split())
        ctx.x.run(["xdotool", "windowactivate", "--sync", ids[0]], check=False)
        wait_for("another window in front", lambda: active_window_name(ctx.x) == "other", 10)
        second = account.start()
        code = second.wait_exit(15)
        assert code == 0, f"the second start ended with {code}"
        wait_for("the first window in front",
                 lambda: active_window_name(ctx.x).startswith("Vidorama"), 10)
        ctx.shot("second-start")
        assert first.alive(), "the first instance ended"
        # The window carries the program's icon for the window manager.
        icon = ctx.x.run(["xprop", "-id", first.x_window(), "_NET_WM_ICON"], check=False).stdout
        assert "_NET_WM_ICON(CARDINAL)" in icon, "the window has no icon"
        # A movie named to a second start opens in the first, as a file
        # manager's "Open with" does.
        third = account.start(ctx.movies["beats"])
        opened_code = third.wait_exit(15)
        first.ui.window(r"Vidorama - beats\.swf", 15)
        ctx.shot("opened-by-second-start")
        return check_left_clean(account, first) | {"second_start_exit": code,
                                                   "open_with_exit": opened_code}
    finally:
        other.terminate()


def open_play_seek(ctx):
    account = ctx.new_account("open")
    running = start_with_movie(ctx, account, ctx.corpus_movie)
    first = wait_for("the movie to play",
                     lambda: (lambda c: c if c and c[0] > 0 else None)(frame_counter(running)))
    time.sleep(1.0)
    later = frame_counter(running)
    assert later[0] > first[0], f"the frame counter stays at {later}"
    ctx.shot("playing")
    main = running.main_window()
    seek = running.ui.control(main, None, "Seek bar")
    running.ui.click(seek, 0.75, 0.5)
    jumped = frame_counter(running)
    total = jumped[1]
    assert abs(jumped[0] - 0.75 * total) <= max(3, total * 0.1) + 15, \
        f"after a click at 3/4 of the seek bar the counter reads {jumped}"
    ctx.shot("seeked")
    return check_left_clean(account, running) | {"frames": total, "after_seek": jumped[0]}


def capture_formats(ctx):
    """AVI with PCM and MP3, MPEG-1, MPEG-2 through the settings dialog; WMV
    and RM through the settings file."""
    account = ctx.new_account("formats")
    results = {}
    running = start_with_movie(ctx, account, ctx.movies["beats"])
    folder = account.documents
    path, _ = capture(ctx, running, folder, "avi")
    results["avi_xvid_pcm"] = measure_beats(path, {"mpeg4"}, {"pcm_s16le"})

    dialog = settings_dialog(running)
    ctx.window_shot(running, "video settings", os.path.join(ctx.shots, "settings.png"))
    press(running, dialog, "radio button", "MP3")
    press(running, dialog, "push button", "OK")
    path, _ = capture(ctx, running, folder, "avi")
    results["avi_xvid_mp3"] = measure_beats(path, {"mpeg4"}, {"mp3"})

    for version in ("MPEG1", "MPEG2"):
        dialog = settings_dialog(running)
        press(running, dialog, "page tab", "To MPEG")
        press(running, dialog, "radio button", version)
        press(running, dialog, "push button", "OK")
        path, question = capture(ctx, running, folder, "mpeg")
        video = {"MPEG1": {"mpeg1video"}, "MPEG2": {"mpeg2video"}}[version]
        results[version.lower()] = measure_beats(path, video, {"mp2"})
        if question:
            results[version.lower()]["size_question"] = question
    running.close_window()
    assert running.wait_exit(20) == 0
    check_left_clean(account, running)

    for kind, extension, video in ((2, "wmv", {"wmv2", "wmv1", "msmpeg4v3"}),
                                   (3, "rmvb", {"rv10", "rv20"})):
        account.write_settings(None, outputKind=kind)
        running = start_with_movie(ctx, account, ctx.movies["beats"])
        path, _ = capture(ctx, running, folder, extension)
        results[extension] = measure_beats(path, video, {"wmav2", "wmav1", "ac3", "cook",
                                                         "aac"})
        running.close_window()
        assert running.wait_exit(20) == 0
        check_left_clean(account, running)
    return results


def cancel_encoding(ctx, account, how, attempts=3):
    """Captures the noise movie at a large size and cancels its encoding as
    soon as the progress dialog shows, by `how`; returns the running program
    and the outputs there were before."""
    for _ in range(attempts):
        running = start_with_movie(ctx, account, ctx.movies["noise"])
        choose_custom_size(running, 1280, 960)
        before = set(account.outputs())
        press_main(running, "Play and Capture")
        progress = running.ui.window("Waiting for the conversion...", BEATS_SECONDS + 30)
        try:
            if how == "cancel button":
                running.ui.click(running.ui.control(progress, "push button", "Cancel", timeout=5))
            else:
                running.close_window("Waiting for the conversion...")
            return running, before
        except NotFound:
            # The encoding ended before the user reached Cancel (a busy
            # accessibility bus can be slower than the encoder): nothing was
            # cancelled, so the user tries again.
            if any(w.get_name() == "Waiting for the conversion..." for w in running.ui.windows()):
                raise
            time.sleep(1.0)
            for path in set(account.outputs()) - before:
                os.remove(path)
            running.close_window()
            assert running.wait_exit(30) == 0
    raise AssertionError(f"the encoding ended {attempts} times before it could be cancelled")


def finish_cancel_close(ctx):
    account = ctx.new_account("stop")
    results = {}
    folder = account.documents
    running = start_with_movie(ctx, account, ctx.movies["beats"])
    path, _ = capture(ctx, running, folder, "avi", finish_after=5.0)
    length = media.video_duration(media.probe(path))
    assert 3.5 < length < 7.5, f"Finish after 5 s gave {length:.2f} s"
    results["finish_halfway_length_s"] = round(length, 2)
    running.close_window()
    running.wait_exit(20)

    account.write_settings(None, aviFrameRate="25.00")
    for how in ("cancel button", "close box"):
        running, before = cancel_encoding(ctx, account, how)
        ctx.shot(f"progress-{how.replace(' ', '-')}")
        wait_for("the progress dialog to close",
                 lambda: all(w.get_name() != "Waiting for the conversion..."
                             for w in running.ui.windows()), 20)
        time.sleep(1.0)
        assert set(account.outputs()) == before, \
            f"a cancelled conversion left {set(account.outputs()) - before}"
        check_left_clean(account, running)
        if how == "close box":
            # A second capture after a cancelled one works.
            path, _ = capture(ctx, running, folder, "avi")
            results["capture_after_close_box_length_s"] = round(
                media.video_duration(media.probe(path)), 2)
        running.close_window()
        assert running.wait_exit(30) == 0
        results[f"{how}_cancelled"] = True

    running = start_with_movie(ctx, account, ctx.movies["beats"])
    before = set(account.outputs())
    press_main(running, "Play and Capture")
    time.sleep(3)
    running.close_window()
    code = running.wait_exit(30)
    assert code == 0, f"closing during the capture ended the program with {code}"
    assert set(account.outputs()) == before, "closing during the capture left an output"
    results["close_during_capture_exit"] = code
    check_left_clean(account, running)
    return results


def bad_movie_and_folders(ctx):
    results = {}
    account = ctx.new_account("bad")
    running = start_with_movie(ctx, account, ctx.movies["broken"])
    text = message_box(running)
    ctx.shot("broken-movie")
    assert running.alive(), "a broken movie ended the program"
    results["broken_movie_message"] = message_text(text)
    check_left_clean(account, running)

    # A fresh account has no documents folder: the program makes it.
    assert not os.path.exists(account.documents)
    open_movie(ctx, running, ctx.movies["beats"])
    path, _ = capture(ctx, running, account.documents, "avi", finish_after=2.0)
    results["documents_folder_made"] = os.path.dirname(path) == account.documents
    running.close_window()
    running.wait_exit(20)

    # A folder nobody may write to (root too): the program says so and
    # does not start.
    unwritable = "/proc/"
    account.write_settings(unwritable)
    running = start_with_movie(ctx, account, ctx.movies["beats"])
    press_main(running, "Play and Capture")
    text = message_box(running)
    assert "/proc" in text, f"the message does not name the folder: {text!r}"
    results["unwritable_folder_message"] = message_text(text)
    time.sleep(1)
    check_left_clean(account, running, unwritable)
    log = open(os.path.join(account.config_dir, "vidorama.log"), errors="replace").read()
    assert "/proc" in log, "the failure is not in the log file"
    running.close_window()
    running.wait_exit(20)

    # The opener is missing: the program says where the file went.
    account.write_settings(account.documents)
    account.has_opener = False
    running = start_with_movie(ctx, account, ctx.movies["beats"])
    press_main(running, "Play and Capture")
    time.sleep(2)
    press_main(running, "Finish")
    text = message_box(running, 60)
    newest = account.outputs()[-1]
    assert newest in text, f"the message does not say where the file is: {text!r}"
    results["no_file_manager_message"] = message_text(text)
    check_left_clean(account, running)
    return results


def large_custom_size(ctx):
    account = ctx.new_account("large")
    running = start_with_movie(ctx, account, ctx.movies["beats"])
    choose_custom_size(running, 1280, 960)
    time.sleep(1)
    x, y, w, h = frame_geometry(ctx.x, running.x_window())
    ctx.shot("large-size")
    assert x >= 0 and y >= 0 and x + w <= ctx.x.width and y + h <= ctx.x.height, \
        f"the window is off the screen at {x},{y} {w}x{h}"
    main = running.main_window()
    button = running.ui.control(main, "push button", "Play and Capture")
    bx, by = running.ui.point_in(button)
    assert 0 <= bx < ctx.x.width and 0 <= by < ctx.x.height
    path, _ = capture(ctx, running, account.documents, "avi")
    figures = measure_beats(path, {"mpeg4"}, {"pcm_s16le"})
    assert figures["size"] == "1280x960", f"captured at {figures['size']}"
    check_left_clean(account, running)
    return figures | {"window": f"{w}x{h}+{x}+{y}"}


ALL = [start_and_second_start, open_play_seek, capture_formats, finish_cancel_close,
       bad_movie_and_folders, large_custom_size]
