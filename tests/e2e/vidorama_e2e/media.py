"""Reads a written video back with ffprobe and ffmpeg: its streams, its
length, and when its picture and its sound change."""

import json
import math
import struct
import subprocess

SAMPLE_RATE = 8000
WINDOW = 80  # samples: 10 ms


def probe(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-print_format", "json", "-show_format",
                          "-show_streams", path], capture_output=True, text=True)
    if out.returncode != 0:
        raise AssertionError(f"ffprobe cannot read {path}: {out.stderr.strip()}")
    return json.loads(out.stdout)


def stream(info, kind):
    return next((s for s in info["streams"] if s.get("codec_type") == kind), None)


def frame_times(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                          "frame=best_effort_timestamp_time", "-of", "csv=p=0", path],
                         capture_output=True, text=True, check=True)
    times = []
    for line in out.stdout.splitlines():
        value = line.split(",")[0].strip()
        if value == "N/A" and times:
            times.append(times[-1])
            continue
        try:
            times.append(float(value))
        except ValueError:
            continue  # side data of the frame before
    return times


def frame_brightness(path):
    """The mean grey level of every decoded frame, in presentation order."""
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-map", "0:v:0", "-vsync",
                          "passthrough", "-vf", "scale=8:8,format=gray", "-f", "rawvideo", "-"],
                         capture_output=True, check=True).stdout
    return [sum(raw[i:i + 64]) / 64 for i in range(0, len(raw) - 63, 64)]


def sound_levels(path):
    """RMS of the first sound stream, mixed to mono, per 10 ms window."""
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1",
                          "-ar", str(SAMPLE_RATE), "-f", "s16le", "-"],
                         capture_output=True, check=True).stdout
    count = len(raw) // 2
    samples = struct.unpack(f"<{count}h", raw[:count * 2])
    levels = []
    for i in range(0, count - WINDOW + 1, WINDOW):
        window = samples[i:i + WINDOW]
        levels.append(math.sqrt(sum(s * s for s in window) / WINDOW))
    return levels


def switches(values, threshold, step):
    """Times (index * step) where values cross the threshold, either way."""
    times, above = [], None
    for i, value in enumerate(values):
        now = value > threshold
        if above is not None and now != above:
            times.append(i * step)
        above = now
    return times


def video_switches(path):
    times = frame_times(path)
    levels = frame_brightness(path)
    result, above = [], None
    for t, level in zip(times, levels):
        now = level > 128
        if above is not None and now != above:
            result.append(t)
        above = now
    return result


def sound_switches(path, start=0.0, shortest=0.3):
    """When the sound turns on or off, on the file's clock (the decoded
    samples count from the sound stream's start time), and the dropouts:
    silences and sounds shorter than `shortest` seconds inside longer ones."""
    raw = [start + t for t in switches(sound_levels(path), 1500, WINDOW / SAMPLE_RATE)]
    kept, dropouts = [], 0
    for t in raw:
        if kept and t - kept[-1] < shortest:
            kept.pop()
            dropouts += 1
        else:
            kept.append(t)
    return kept, dropouts


def start_time(info, kind):
    value = (stream(info, kind) or {}).get("start_time", "0")
    return float(value) if value not in (None, "N/A") else 0.0


def loud_level(path):
    """The median RMS of the windows that hold sound."""
    loud = sorted(v for v in sound_levels(path) if v > 1500)
    return loud[len(loud) // 2] if loud else 0.0


def frame_count(path):
    return len(frame_times(path))


def video_duration(info):
    video = stream(info, "video")
    for value in (video.get("duration"), info["format"].get("duration")):
        if value not in (None, "N/A"):
            return float(value)
    return 0.0
