#!/usr/bin/env python3
"""What the host costs to start and to keep, offscreen: the plain host (the
control above its own buttons), the page host (the sample page in the web
view) and a bare Qt Widgets program showing one widget.

For each: the libraries `ldd` lists, whether a running instance maps the
browser engine or QML, the first paint from the moment the program is
started (the dynamic loader included; median of RUNS, after one start that
registers the module and stores the settings) and the steady RSS
after joining one channel on a private ngircd (the page host also with its
helper processes).

Usage: bench/host_footprint.py BUILD [--bare PROGRAM] [--runs N] [--settle S]
BUILD is a build folder (its host/velko); PROGRAM defaults to
BUILD/bench/bench_bare_widget."""
import argparse
import os
import re
import socket
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
page = os.path.join(here, "..", "tools", "page", "velko.html")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port):
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.1).close()
            return
        except OSError:
            time.sleep(0.05)
    sys.exit(f"nothing listens on {port}")


def start_ngircd(folder):
    port = free_port()
    config = os.path.join(folder, "ngircd.conf")
    with open(config, "w") as f:
        f.write(f"[Global]\nName = irc.velko.bench\nInfo = bench\nListen = 127.0.0.1\nPorts = {port}\n"
                "AdminInfo1 = Velko\nAdminInfo2 = Bench\nAdminEMail = velko@localhost\n"
                "[Limits]\nMaxConnectionsIP = 0\nMaxJoins = 0\nMaxPenaltyTime = 0\n"
                "[Options]\nDNS = no\nIdent = no\nPAM = no\n"
                # A peer that floods the channels becomes an operator to lift the server's flood limit.
                "[Operator]\nName = bench\nPassword = bench\n")
    server = subprocess.Popen(["ngircd", "-n", "-f", config], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for_port(port)
    return server, port


def environment(registry, report):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", VELKO_REGISTRY_DIR=registry)
    env.pop("VELKO_FIRST_PAINT", None)
    if report:
        env["VELKO_FIRST_PAINT"] = "report"
    return env


def library_count(program):
    done = subprocess.run(["ldd", program], capture_output=True, text=True)
    return len(done.stdout.splitlines())


def first_paint_ms(argv, registry):
    """From the start of the program to its report of the first paint."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, env=environment(registry, True), stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True)
    for line in child.stderr:
        if "first paint of the control" in line:
            elapsed = (time.perf_counter() - start) * 1000
            break
    else:
        sys.exit(f"no first paint reported by {argv}")
    child.stderr.close()
    child.wait(timeout=60)
    return elapsed


def rss_kb(pids):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/status") as status:
                total += int(re.search(r"VmRSS:\s+(\d+)", status.read()).group(1))
        except (OSError, AttributeError):
            pass
    return total


def descendants(pid):
    found = [pid]
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                parent = int(stat.read().rsplit(")", 1)[1].split()[1])
        except OSError:
            continue
        if parent == pid:
            found += descendants(int(entry))
    return found


def maps_engine(pid):
    with open(f"/proc/{pid}/maps") as maps:
        text = maps.read()
    return bool(re.search(r"libQt6(WebEngine|Qml|Quick)", text))


def ask(child, line):
    child.stdin.write(line + "\n")
    child.stdin.flush()
    answer = []
    for out in child.stdout:
        out = out.rstrip("\n")
        if out == ".":
            return answer
        answer.append(out)
    sys.exit("the host ended")


def steady_host(argv, port, settle):
    """RSS (main process, with helpers) once joined to a channel and settled."""
    with tempfile.TemporaryDirectory() as registry:
        child = subprocess.Popen(argv + ["--addr", f"127.0.0.1:{port}", "--nick", "bench", "--chan", "#bench",
                                         "--script", "-"], env=environment(registry, False), text=True,
                                 stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        deadline = time.time() + 120
        while "@bench" not in ask(child, ".members #bench"):
            if time.time() > deadline:
                sys.exit("the host never joined")
            time.sleep(0.2)
        time.sleep(settle)
        own, whole, engine = rss_kb([child.pid]), rss_kb(descendants(child.pid)), maps_engine(child.pid)
        ask(child, ".quit")
        child.wait(timeout=30)
        return own, whole, engine


def steady_bare(program, settle):
    with tempfile.TemporaryDirectory() as registry:
        child = subprocess.Popen([program], env=environment(registry, False))
        time.sleep(1 + settle)
        own, engine = rss_kb([child.pid]), maps_engine(child.pid)
        child.terminate()
        child.wait(timeout=30)
        return own, own, engine


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--bare")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--settle", type=float, default=3)
    options = parser.parse_args()
    host = os.path.join(options.build, "host", "velko")
    bare = options.bare or os.path.join(options.build, "bench", "bench_bare_widget")
    page_program = os.path.join(options.build, "libexec", "velko", "velko-page")
    with tempfile.TemporaryDirectory() as folder:
        server, port = start_ngircd(folder)
        try:
            rows = [("plain host", host, host, [host]), ("page host", page_program if os.path.exists(page_program)
                    else host, host, [host, page]), ("bare Qt widget", bare, None, [bare])]
            print(f"{'program':15} {'ldd':>4} {'engine/QML mapped':>17} {'first paint (median, min-max)':>30}"
                  f" {'RSS after one channel':>22} {'with helpers':>13}")
            for name, linked, runs_host, argv in rows:
                if not os.path.exists(argv[0]):
                    continue
                # A returning user's start: the module registered and the settings stored by a first one.
                with tempfile.TemporaryDirectory() as registry:
                    line = argv + (["--addr", "127.0.0.1:1"] if runs_host else [])
                    first_paint_ms(line, registry)
                    times = sorted(first_paint_ms(line, registry) for _ in range(options.runs))
                own, whole, engine = (steady_host(argv, port, options.settle) if runs_host
                                      else steady_bare(bare, options.settle))
                paint = f"{statistics.median(times):5.0f} ms ({times[0]:.0f}-{times[-1]:.0f})"
                print(f"{name:15} {library_count(linked):4d} {'yes' if engine else 'no':>17} {paint:>30}"
                      f" {own / 1024:18.1f} MB {whole / 1024:10.1f} MB")
        finally:
            server.terminate()
            server.wait()


if __name__ == "__main__":
    main()
