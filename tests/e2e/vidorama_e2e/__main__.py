"""The end-to-end suite: the real program on a virtual X display with a window
manager, driven by real input events, its outputs read back with ffprobe.

python3 -m vidorama_e2e BUILD_DIR ARTEFACT_DIR [SCENARIO...]"""

import json
import os
import subprocess
import sys
import tempfile
import time
import traceback

from . import scenarios
from .harness import Account, remove_tree
from .xsession import XSession, tools_missing

SCREEN = (1280, 1024)
CORPUS_MOVIE_WITH_SOUND = "ruffle/audio__stream_incomplete_loop"


def corpus_movie(source_root):
    corpus = os.path.normpath(os.path.join(source_root, "..", "shared", "corpus"))
    for row in open(os.path.join(corpus, "manifest.tsv")):
        fields = row.rstrip("\n").split("\t")
        if fields and fields[0] == CORPUS_MOVIE_WITH_SOUND:
            return os.path.join(corpus, fields[0], fields[1])
    raise SystemExit(f"{CORPUS_MOVIE_WITH_SOUND} is not in {corpus}/manifest.tsv")


def main(argv):
    build, artefacts = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    wanted = set(argv[3:])
    missing = tools_missing()
    if missing:
        raise SystemExit(f"missing tools: {' '.join(missing)} (scripts/install-deps.sh installs them)")
    source_root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
    shots = os.path.join(artefacts, "screens")
    os.makedirs(shots, exist_ok=True)
    work = tempfile.mkdtemp(prefix="vidorama-e2e-")
    movies_dir = os.path.join(work, "movies")
    os.makedirs(movies_dir)
    subprocess.run([os.path.join(build, "tests", "e2e_movies"), movies_dir], check=True)
    movies = {name: os.path.join(movies_dir, name + ".swf") for name in ("beats", "noise", "broken")}

    results, failed = {}, []
    with XSession(*SCREEN, artefacts) as x:
        counter = iter(range(1000))
        started = []
        ctx = scenarios.Context(
            x, lambda name: Account(work, f"{name}-{next(counter)}", x, build, started), movies,
            shots, corpus_movie(source_root))
        for scenario in scenarios.ALL:
            name = scenario.__name__
            if wanted and name not in wanted:
                continue
            began = time.monotonic()
            try:
                figures = scenario(ctx)
                results[name] = {"result": "PASS", "figures": figures}
            except Exception as error:
                failed.append(name)
                ctx.shot(f"FAILED-{name}")
                results[name] = {"result": "FAIL", "error": str(error),
                                 "trace": traceback.format_exc()}
            for running in started:
                running.stop()
            started.clear()
            results[name]["seconds"] = round(time.monotonic() - began, 1)
            print(f"{results[name]['result']} {name} ({results[name]['seconds']} s)")
            print("    " + json.dumps(results[name].get("figures") or results[name]["error"]),
                  flush=True)
            if name in failed:
                print(results[name]["trace"], flush=True)
    with open(os.path.join(artefacts, "e2e-results.json"), "w") as f:
        json.dump(results, f, indent=2)
    if failed:
        print(f"the accounts of the failed scenarios are kept in {work}")
    else:
        remove_tree(work)
    print(f"{len(results) - len(failed)} of {len(results)} scenarios passed; "
          f"screenshots in {shots}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
