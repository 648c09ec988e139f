#!/usr/bin/env python3
"""File transfers between velkocli and real irssi and WeeChat, both ways,
fresh and resumed, through a private ngircd: each must report success and
leave a byte-identical file.

usage: bench/dcc_interop.py [VELKOCLI] [--size KB]
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dcc_peers import DccIrssi, Velkocli, start_ngircd  # noqa: E402


class Weechat:
    """WeeChat without a terminal, logged on to server b as NICK after SETTINGS (commands) are applied."""
    name = "weechat"

    def __init__(self, port, home, settings=(), nick="weebench"):
        self.nick, self.home = nick, home
        os.makedirs(home, exist_ok=True)
        commands = ";".join([f"/server add b 127.0.0.1/{port}", f"/set irc.server.b.nicks {nick}", *settings,
                             "/connect b"])
        self.proc = subprocess.Popen(["weechat-headless", "--dir", home, "-r", commands],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        self.pid = self.proc.pid

    def command(self, text):
        fifos = []
        for _ in range(200):  # the fifo comes once its plugin is loaded
            fifos = glob.glob(os.path.join(self.home, "weechat_fifo*"))
            if fifos:
                break
            time.sleep(0.05)
        with open(fifos[0], "w") as fifo:
            fifo.write(f"irc.server.b *{text}\n")

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


class DccWeechat(Weechat):
    partial = ".part"  # where it keeps a file still arriving, and looks for one to resume

    def __init__(self, port, folder, home):
        super().__init__(port, home, [
            "/set xfer.file.auto_accept_files on", f"/set xfer.file.download_path {folder}",
            "/set xfer.file.auto_resume on", "/set xfer.file.auto_rename off",
            "/set xfer.file.use_nick_in_filename off"])
        self.folder = folder


def wait(predicate, seconds=60):
    deadline = time.monotonic() + seconds
    while not predicate():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.05)
    return True


def same(a, b):
    return os.path.exists(b) and subprocess.run(["cmp", "-s", a, b]).returncode == 0


def ended(velko, event, before):
    lines = [l for l in velko.lines if l.startswith(event)]
    return lines[before].rstrip("\n").endswith("\t1") if len(lines) > before else None


def place_half(source, target):
    with open(source, "rb") as f, open(target, "wb") as out:
        out.write(f.read(os.path.getsize(source) // 2 + 1001))


def to_velko(peer, send, velko, source, resumed):
    target = os.path.join(velko.folder, "inter.bin")
    if os.path.exists(target):
        os.remove(target)
    if resumed:
        place_half(source, target)
    before = sum(1 for l in velko.lines if l.startswith("OnDisconnectRecv"))
    send(f"/dcc send {velko.nick} {source}")
    ok = wait(lambda: ended(velko, "OnDisconnectRecv", before) is not None)
    return ok and ended(velko, "OnDisconnectRecv", before) and same(source, target)


def from_velko(peer, velko, source, resumed):
    target = os.path.join(peer.folder, "inter.bin")
    if os.path.exists(target):
        os.remove(target)
    if resumed:
        place_half(source, target + getattr(peer, "partial", ""))
    before = sum(1 for l in velko.lines if l.startswith("OnDisconnectSend"))
    velko.proc.stdin.write(f".send {peer.nick} {source}\n".encode())
    velko.proc.stdin.flush()
    ok = wait(lambda: ended(velko, "OnDisconnectSend", before) is not None)
    return ok and ended(velko, "OnDisconnectSend", before) and wait(lambda: same(source, target), 10)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("velkocli", nargs="?", default="build/bench/tools/velkocli")
    parser.add_argument("--size", type=int, default=5000)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="dcc_interop_")
    source = os.path.join(work, "inter.bin")
    with open(source, "wb") as f:
        f.write(os.urandom(args.size * 1024 + 17))
    server, port = start_ngircd(work)
    peers = []
    failed = 0
    try:
        for name in ("velkocli", "irssi", "weechat"):
            os.makedirs(os.path.join(work, name))
        velko = Velkocli(os.path.abspath(args.velkocli), port, os.path.join(work, "velkocli"))
        irssi = DccIrssi(port, os.path.join(work, "irssi"), os.path.join(work, "irssi-home"))
        irssi.command("/set dcc_autoresume on")
        weechat = DccWeechat(port, os.path.join(work, "weechat"), os.path.join(work, "weechat-home"))
        peers = [velko, irssi, weechat]
        time.sleep(3)  # both peers log on
        senders = {"irssi": irssi.command, "weechat": weechat.command}
        for peer in (irssi, weechat):
            for resumed in (False, True):
                kind = "resumed" if resumed else "fresh"
                for direction, run in ((f"{peer.name} -> velkocli", lambda: to_velko(peer, senders[peer.name], velko,
                                                                                      source, resumed)),
                                       (f"velkocli -> {peer.name}", lambda: from_velko(peer, velko, source, resumed))):
                    ok = run()
                    failed += not ok
                    print(f"{direction:22} {kind:8} {'identical' if ok else 'FAILED'}", flush=True)
    finally:
        for peer in peers:
            peer.stop()
        server.terminate()
        server.wait()
        shutil.rmtree(work)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
