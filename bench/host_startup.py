#!/usr/bin/env python3
"""Time from the host's start to the control's first paint, offscreen: the
plain host (control above its own buttons) beside the page host (the sample
page in the web view). Usage: bench/host_startup.py BUILD [RUNS]"""
import os
import re
import statistics
import subprocess
import sys
import tempfile

build = sys.argv[1] if len(sys.argv) > 1 else "build/bench"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
here = os.path.dirname(os.path.abspath(__file__))
page = os.path.join(here, "..", "tools", "page", "velko.html")
host = os.path.join(build, "host", "velko")


def first_paint(args):
    with tempfile.TemporaryDirectory() as registry:
        env = dict(os.environ, VELKO_FIRST_PAINT="report", QT_QPA_PLATFORM="offscreen",
                   VELKO_REGISTRY_DIR=registry)
        # Port 1 refuses at once: the start-up is measured, not a server.
        done = subprocess.run([host, *args, "--addr", "127.0.0.1:1"], env=env, capture_output=True,
                              text=True, timeout=120)
        found = re.search(r"first paint of the control after (\d+) ms", done.stderr)
        if not found:
            sys.exit("no first paint reported:\n" + done.stderr)
        return int(found.group(1))


for name, args in (("plain host", []), ("page host", [page])):
    times = [first_paint(args) for _ in range(runs)]
    print(f"{name:10}  median {statistics.median(times):5.0f} ms   min {min(times):5d}   max {max(times):5d}"
          f"   ({runs} runs)")
