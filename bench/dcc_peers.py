#!/usr/bin/env python3
"""Receiving a file from a sender that runs ahead: velkocli beside irssi.

Starts a private ngircd, a sender that writes the whole file at once
(sendfile, not waiting for acknowledgements) and closes after the last one,
and offers the file in turn to velkocli and to irssi (run on a pseudo
terminal). For each receive it prints the wall time from the connection to
the last acknowledgement, the receiver's CPU time, and whether the received
file is byte-identical. Medians of the runs close the report.

usage: bench/dcc_peers.py [VELKOCLI] [--size MB] [--runs N]
"""
import argparse
import fcntl
import os
import pty
import select
import shutil
import socket
import statistics
import struct
import subprocess
import tempfile
import termios
import threading
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def start_ngircd(work):
    port = free_port()
    conf = os.path.join(work, "ngircd.conf")
    with open(conf, "w") as f:
        f.write(f"[Global]\nName = irc.bench.local\nInfo = bench\nListen = 127.0.0.1\nPorts = {port}\n"
                "[Limits]\nMaxConnectionsIP = 0\nMaxPenaltyTime = 0\n[Options]\nDNS = no\nIdent = no\nPAM = no\n")
    proc = subprocess.Popen(["ngircd", "-n", "-f", conf], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), 0.1).close()
            return proc, port
        except OSError:
            time.sleep(0.05)
    raise SystemExit("ngircd did not start")


class Offerer:
    """A plain IRC client that sends the offers."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.sock.sendall(b"NICK offerer\r\nUSER o 0 * :o\r\n")
        self.wait_for(b" 001 ")

    def wait_for(self, text):
        data = b""
        while text not in data:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise SystemExit("server closed")
            data += chunk
            if b"PING" in chunk:
                self.sock.sendall(b"PONG :x\r\n")

    def offer(self, nick, port, size):
        self.sock.sendall(b"PRIVMSG %s :\x01DCC SEND bench.bin 2130706433 %d %d\x01\r\n" % (nick.encode(), port, size))


def serve_once(path, size, result):
    """Listens, sends the file ahead of any acknowledgement, and notes the time to the last one."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    result["port"] = listener.getsockname()[1]

    def run():
        conn, _ = listener.accept()
        start = time.monotonic()
        with open(path, "rb") as f:
            conn.sendfile(f)
        acked = b""
        while True:
            chunk = conn.recv(65536)
            if not chunk:
                break
            acked = (acked + chunk)[-4:]
            if len(acked) == 4 and struct.unpack("!I", acked)[0] == size & 0xFFFFFFFF:
                break
        result["seconds"] = time.monotonic() - start
        conn.close()
        listener.close()

    thread = threading.Thread(target=run)
    thread.start()
    return thread


def start_on_pty(argv):
    """Runs a terminal program on an 80x24 pseudo terminal whose output is read and dropped."""
    pid, master = pty.fork()
    if pid == 0:
        os.environ["TERM"] = "xterm"
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
        os.execvp(argv[0], argv)
    threading.Thread(target=drain, args=(master,), daemon=True).start()
    return pid, master


def drain(master):
    while True:
        try:
            if select.select([master], [], [], 1)[0] and not os.read(master, 65536):
                return
        except OSError:
            return


class Velkocli:
    name = "velkocli"

    def __init__(self, binary, port, folder):
        self.nick, self.folder = "velko", folder
        self.proc = subprocess.Popen([binary, "--addr", f"127.0.0.1:{port}", "--nick", self.nick, "--dcc-dir", folder],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.lines = []
        threading.Thread(target=self._read, daemon=True).start()
        self.wait_line("OnLogon")

    def _read(self):
        for line in self.proc.stdout:
            self.lines.append(line.decode(errors="replace"))

    def wait_line(self, prefix, count=1):
        deadline = time.monotonic() + 60
        while sum(1 for l in self.lines if l.startswith(prefix)) < count:
            if time.monotonic() > deadline:
                raise SystemExit(f"velkocli: no {prefix}")
            time.sleep(0.01)

    @property
    def pid(self):
        return self.proc.pid

    def stop(self):
        self.proc.stdin.close()
        self.proc.wait(10)


class Irssi:
    """irssi on a pseudo terminal, logged on as NICK; SETTINGS are sections of its config's settings block."""
    name = "irssi"

    def __init__(self, port, home, settings="", nick="irbench"):
        self.nick = nick
        os.makedirs(home, exist_ok=True)
        with open(os.path.join(home, "config"), "w") as f:
            f.write(f'settings = {{\n  core = {{ real_name = "b"; user_name = "b"; nick = "{nick}"; }};\n'
                    f'{settings}}};\n')
        self.pid, self.master = start_on_pty(["irssi", f"--home={home}", "-c", "127.0.0.1", "-p", str(port),
                                              "-n", nick])

    def command(self, text):
        os.write(self.master, text.encode() + b"\r")

    def stop(self):
        self.command("/quit")
        os.waitpid(self.pid, 0)


class DccIrssi(Irssi):
    def __init__(self, port, folder, home):
        super().__init__(port, home, f'  "irc/dcc" = {{ dcc_autoget = "yes"; dcc_download_path = "{folder}"; '
                         'dcc_autoget_max_size = "0"; };\n')
        self.folder = folder


def receive(receiver, offerer, source, size, run):
    target = os.path.join(receiver.folder, "bench.bin")
    if os.path.exists(target):
        os.remove(target)
    result = {}
    thread = serve_once(source, size, result)
    cpu = cpu_seconds(receiver.pid)
    offerer.offer(receiver.nick, result["port"], size)
    thread.join()
    if isinstance(receiver, Velkocli):
        receiver.wait_line("OnDisconnectRecv", run + 1)
    else:
        time.sleep(0.3)  # irssi closes its file after the sender's close
    cpu = cpu_seconds(receiver.pid) - cpu
    same = subprocess.run(["cmp", "-s", source, target]).returncode == 0
    return result["seconds"], cpu, same


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("velkocli", nargs="?", default="build/bench/tools/velkocli")
    parser.add_argument("--size", type=int, default=200)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="dcc_peers_")
    size = args.size * 1024 * 1024
    source = os.path.join(work, "source.bin")
    with open(source, "wb") as f:
        f.write(os.urandom(size))
    server, port = start_ngircd(work)
    receivers = []
    try:
        offerer = Offerer(port)
        for name in ("velkocli", "irssi"):
            os.makedirs(os.path.join(work, name))
        receivers = [Velkocli(os.path.abspath(args.velkocli), port, os.path.join(work, "velkocli")),
                     DccIrssi(port, os.path.join(work, "irssi"), os.path.join(work, "irssi-home"))]
        time.sleep(2)  # irssi logs on
        figures = {r.name: [] for r in receivers}
        for run in range(args.runs):
            for receiver in receivers:
                seconds, cpu, same = receive(receiver, offerer, source, size, run)
                figures[receiver.name].append((seconds, cpu))
                print(f"{receiver.name:9} run {run}: {size / seconds / 1e6:7.1f} MB/s wall {seconds:6.3f} s "
                      f"cpu {cpu:6.3f} s {'identical' if same else 'DIFFERS'}", flush=True)
        for name, runs in figures.items():
            wall = statistics.median(s for s, _ in runs)
            cpu = statistics.median(c for _, c in runs)
            print(f"median {name:9}: {size / wall / 1e6:7.1f} MB/s, cpu {cpu:6.3f} s per {args.size} MB")
    finally:
        for receiver in receivers:
            receiver.stop()
        server.terminate()
        server.wait()
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
