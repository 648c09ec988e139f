#!/usr/bin/env python3
"""What a chat client costs to keep, beside irssi and WeeChat, on one private
ngircd: the plain host and the page host (offscreen), irssi (on a pseudo
terminal) and WeeChat (headless), logged on together and fed the same lines.

Each round first times the first paint of the plain host, the page host and
a bare Qt program (the median of PAINTS starts each, interleaved). Then the
four clients join one channel (steady RSS), twenty (CPU time and wake-ups over
IDLE seconds), and fifty; peers in the fifty send each of them lines (200,
then up to 2 000), and once every client has read them (the server has
answered each peer's PING, and neither the server's send queue to the client
nor the client's receive queue holds a byte) and settled, the RSS is read.

RSS, CPU time (from schedstat: ticks of utime+stime are too coarse for an idle
client) and context switches (voluntary and forced, of every thread) are
summed over a client's processes: the page host's browser helpers count.
Every client keeps KEEP lines a window: Velko by its PaneLines setting, irssi
by scrollback_lines (its scrollback_time, a day, keeps anything younger too),
WeeChat by weechat.history.max_buffer_lines_number. None keeps logs.

Usage: bench/chat_footprint.py BUILD [--rounds N] [--paints N] [--idle S]
       [--settle S] [--lines 200,2000] [--keep N]
BUILD is a Release build folder with host/velko, libexec/velko/velko-page
and bench/bench_bare_widget. A missing irssi or WeeChat is skipped with a line.
"""
import argparse
import os
import re
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dcc_interop import Weechat, wait  # noqa: E402
from dcc_peers import Irssi  # noqa: E402
from host_footprint import ask, descendants, environment, first_paint_ms, page, rss_kb, start_ngircd  # noqa: E402

CHANNELS, IDLE_CHANNELS = 50, 20
FEEDERS = 10
BATCH = 1000  # lines sent before the clients must have read them: ngircd drops a client that lags far behind


def channel_names(count):
    return [f"#bench{n}" for n in range(1, count + 1)]


def wait_until(predicate, what, seconds=120):
    if not wait(predicate, seconds):
        sys.exit(f"timed out: {what}")


class Feeder:
    """A peer: a plain IRC client in some of the channels that sends them lines and notes who joined."""

    def __init__(self, port, nick, channels):
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.channels, self.joined, self.pongs, self.buffer = channels, set(), 0, b""
        self.operator = False
        self.send(f"NICK {nick}", f"USER {nick} 0 * :{nick}", "OPER bench bench", f"MODE {nick} +F",
                  "JOIN " + ",".join(channels))
        wait_until(lambda: self.has_joined(nick, channels) and self.operator, f"{nick} joining as an operator")

    def send(self, *lines):
        self.sock.sendall("".join(line + "\r\n" for line in lines).encode())

    def read(self):
        self.sock.settimeout(0.01)
        try:
            chunk = self.sock.recv(65536)
        except TimeoutError:
            return
        if not chunk:
            sys.exit("the server closed a peer's connection")
        *lines, self.buffer = (self.buffer + chunk).split(b"\r\n")
        for words in (line.decode(errors="replace").split() for line in lines):
            if words and words[0] == "PING":
                self.send("PONG " + words[1])
            elif len(words) > 1 and words[1] == "381":
                self.operator = True
            elif len(words) > 2 and words[1] == "PONG":
                self.pongs += 1
            elif len(words) > 2 and words[1] == "JOIN":
                nick = words[0][1:].split("!")[0].lower()
                self.joined.update((nick, name.lower()) for name in words[2].lstrip(":").split(","))

    def has_joined(self, nick, channels):
        self.read()
        return all((nick.lower(), name.lower()) in self.joined for name in channels if name in self.channels)

    def say(self, number):
        self.send(*(f"PRIVMSG {name} :line {number} in {name}: the quick brown fox jumps over the lazy dog"
                    for name in self.channels))

    def sync(self):
        """Returns once the server has handled every line sent before."""
        expected = self.pongs + 1
        self.send("PING :sync")

        def answered():
            self.read()
            return self.pongs >= expected
        wait_until(answered, "the server's PONG")


def start_feeders(port, channels):
    """Several peers, as ngircd handles only a few lines of one client per pass."""
    return [Feeder(port, f"feeder{n}", channels[n::FEEDERS]) for n in range(FEEDERS)]


def all_joined(feeders, nick, channels):
    return all(feeder.has_joined(nick, channels) for feeder in feeders)


def say(feeders, first, last, clients, server_port):
    """Sends lines FIRST+1 to LAST to every channel, letting the clients read each batch."""
    pending = 0
    for number in range(first + 1, last + 1):
        for feeder in feeders:
            feeder.say(number)
        pending += CHANNELS
        if pending >= BATCH or number == last:
            pending = 0
            for feeder in feeders:
                feeder.sync()
            for client in clients:
                wait_until(lambda: has_read_all(client, server_port), f"{client.name} reading the lines")


def socket_inodes(pids):
    inodes = set()
    for pid in pids:
        try:
            fds = os.listdir(f"/proc/{pid}/fd")
        except OSError:
            continue
        for fd in fds:
            try:
                target = os.readlink(f"/proc/{pid}/fd/{fd}")
            except OSError:
                continue
            if target.startswith("socket:["):
                inodes.add(target[8:-1])
    return inodes


def tcp_connections():
    """(local port, remote port, bytes queued to send, bytes received and not read, inode) of each IPv4 socket."""
    with open("/proc/net/tcp") as table:
        next(table)
        for row in table:
            fields = row.split()
            send_queue, receive_queue = (int(q, 16) for q in fields[4].split(":"))
            yield (int(fields[1].split(":")[1], 16), int(fields[2].split(":")[1], 16), send_queue, receive_queue,
                   fields[9])


def unread_bytes(client, server_port):
    """What the server sent the client that the client has not read yet."""
    rows = list(tcp_connections())
    inodes = socket_inodes(descendants(client.pid))
    own = [(local, unread) for local, remote, _, unread, inode in rows if remote == server_port and inode in inodes]
    if not own:
        sys.exit(f"{client.name} lost its connection")
    local, unread = own[0]
    return unread + sum(queued for l, r, queued, _, _ in rows if l == server_port and r == local)


def has_read_all(client, server_port):
    if unread_bytes(client, server_port):
        return False
    time.sleep(0.05)
    return unread_bytes(client, server_port) == 0


def thread_use(pid):
    """CPU nanoseconds and context switches of each thread of a process and its descendants."""
    found = {}
    for process in descendants(pid):
        try:
            tasks = os.listdir(f"/proc/{process}/task")
        except OSError:
            continue
        for task in tasks:
            try:
                with open(f"/proc/{process}/task/{task}/schedstat") as stat:
                    nanoseconds = int(stat.read().split()[0])
                with open(f"/proc/{process}/task/{task}/status") as status:
                    switches = sum(int(n) for n in re.findall(r"ctxt_switches:\s+(\d+)", status.read()))
            except OSError:
                continue
            found[task] = (nanoseconds, switches)
    return found


def use_since(before, pid):
    """CPU nanoseconds and context switches since BEFORE, of the threads running now (a pool thread may end)."""
    after = thread_use(pid)
    return tuple(sum(now[i] - before.get(task, (0, 0))[i] for task, now in after.items()) for i in (0, 1))


class Velko:
    """The host on standard input's script; without a page the plain window, with one the page program."""

    def __init__(self, name, argv, nick, registry, port, keep):
        self.name, self.nick = name, nick
        self.proc = subprocess.Popen(argv + ["--addr", f"127.0.0.1:{port}", "--nick", nick, "--set",
                                             f"PaneLines={keep}", "--script", "-"],
                                     env=environment(registry, False), text=True, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.pid = self.proc.pid

    def command(self, text):
        ask(self.proc, "Input " + text)

    def stop(self):
        ask(self.proc, ".quit")
        self.proc.wait(timeout=30)


def comparators(port, folder, keep):
    """irssi and WeeChat where installed, each keeping KEEP lines a window."""
    found = []
    if shutil.which("irssi"):
        found.append(Irssi(port, os.path.join(folder, "irssi"),
                           f'  "fe-common/core" = {{ scrollback_lines = "{keep}"; }};\n'))
    else:
        print("irssi is not installed: skipped")
    if shutil.which("weechat-headless"):
        found.append(Weechat(port, os.path.join(folder, "weechat"), [
            f"/set weechat.history.max_buffer_lines_number {keep}", "/set logger.file.auto_log off"]))
        found[-1].name = "WeeChat"
    else:
        print("weechat-headless is not installed: skipped")
    return found


def join(feeders, clients, channels):
    """Asks again until the peer has seen every join: a client may not be logged on yet."""
    for client in clients:
        for _ in range(60):
            client.command("/join " + ",".join(channels))
            if wait(lambda: all_joined(feeders, client.nick, channels), 2):
                break
        else:
            sys.exit(f"{client.name} never joined")


class Figures:
    """Each round's value (a number or a tuple) of each measure for each client."""

    def __init__(self):
        self.values = {}

    def add(self, measure, client, value):
        self.values.setdefault(measure, {}).setdefault(client, []).append(value)

    def shown(self, measure, client, pick, show):
        found = self.values.get(measure, {}).get(client)
        if not found:
            return "–"
        if isinstance(found[0], tuple):
            return show(tuple(pick([value[i] for value in found]) for i in range(len(found[0]))))
        return show(pick(found))


def rss(client):
    return rss_kb([client.pid]) / 1024, rss_kb(descendants(client.pid)) / 1024


def measure_idle(figures, clients, seconds):
    before = {client.name: thread_use(client.pid) for client in clients}
    time.sleep(seconds)
    for client in clients:
        used, switches = use_since(before[client.name], client.pid)
        figures.add("idle CPU", client.name, used / 1e9 / seconds * 100)
        figures.add("wake-ups", client.name, switches / seconds)


def measure_lines(figures, feeders, clients, options, port):
    """RSS after each load, and what it added to the RSS before the first (a pair each: own, with helpers)."""
    base = {client.name: rss(client) for client in clients}
    sent = 0
    for lines in options.lines:
        say(feeders, sent, lines, clients, port)
        sent = lines
        time.sleep(options.settle)
        for client in clients:
            now = rss(client)
            figures.add(f"{lines} lines", client.name, now + tuple(a - b for a, b in zip(now, base[client.name])))


def load_round(figures, options, programs, folder, port):
    channels = channel_names(CHANNELS)
    feeders = start_feeders(port, channels)
    clients = [Velko(name, argv, nick, registry, port, options.keep) for name, argv, nick, registry in programs]
    clients += comparators(port, os.path.join(folder, f"homes{time.monotonic_ns()}"), options.keep)
    try:
        join(feeders, clients, channels[:1])
        time.sleep(options.settle)
        for client in clients:
            figures.add("one channel", client.name, rss(client))
        join(feeders, clients, channels[:IDLE_CHANNELS])
        time.sleep(options.settle)
        measure_idle(figures, clients, options.idle)
        join(feeders, clients, channels)
        time.sleep(options.settle)
        measure_lines(figures, feeders, clients, options, port)
    finally:
        for client in clients:
            client.stop()
        for feeder in feeders:
            feeder.sock.close()
    return [client.name for client in clients]


def paint_round(figures, options, painted):
    times = {name: [] for name, _, _ in painted}
    for _ in range(options.paints):
        for name, argv, registry in painted:
            times[name].append(first_paint_ms(argv, registry))
    for name, found in times.items():
        figures.add("first paint", name, statistics.median(found))


def megabytes(own, whole, form=".1f"):
    text = f"{own:{form}} MB"
    return text if abs(whole - own) < 0.05 else f"{text} ({whole:{form}} MB with helpers)"


def print_table(figures, names, options, pick):
    rows = [("steady RSS after joining one channel", "one channel", lambda v: megabytes(*v))]
    rows += [(f"RSS with {CHANNELS} channels × {lines} lines", f"{lines} lines",
              lambda v: f"{megabytes(*v[:2])}, {megabytes(*v[2:], '+.1f')} for the lines") for lines in options.lines]
    rows += [("first paint after start", "first paint", lambda v: f"{v:.0f} ms"),
             (f"idle CPU in {IDLE_CHANNELS} channels", "idle CPU", lambda v: f"{v:.4f} %"),
             ("wake-ups a second, idle", "wake-ups", lambda v: f"{v:.1f}")]
    columns = names + ["bare Qt widget"]
    print("\n| measure | " + " | ".join(columns) + " |")
    print("|---" * (len(columns) + 1) + "|")
    for title, measure, show in rows:
        print(f"| {title} | " + " | ".join(figures.shown(measure, name, pick, show) for name in columns) + " |")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--paints", type=int, default=3)
    parser.add_argument("--idle", type=float, default=30)
    parser.add_argument("--settle", type=float, default=3)
    parser.add_argument("--lines", type=lambda text: [int(n) for n in text.split(",")], default=[200, 2000])
    parser.add_argument("--keep", type=int, default=2000)
    options = parser.parse_args()
    host = os.path.join(options.build, "host", "velko")
    bare = os.path.join(options.build, "bench", "bench_bare_widget")
    with tempfile.TemporaryDirectory() as folder:
        registries = [os.path.join(folder, name) for name in ("plain", "page", "bare")]
        programs = [("Velko plain", [host], "velko", registries[0]),
                    ("Velko with page", [host, page], "vpage", registries[1])]
        painted = [(name, argv + ["--addr", "127.0.0.1:1"], registry) for name, argv, _, registry in programs]
        painted.append(("bare Qt widget", [bare], registries[2]))
        for name, argv, registry in painted:
            os.makedirs(registry)
            first_paint_ms(argv, registry)  # a returning user's start: the module registered, the settings stored
        server, port = start_ngircd(folder)
        figures = Figures()
        try:
            for number in range(options.rounds):
                paint_round(figures, options, painted)
                names = load_round(figures, options, programs, folder, port)
                print(f"\nround {number + 1} of {options.rounds}:", end="")
                print_table(figures, names, options, lambda values: values[-1])
                sys.stdout.flush()
        finally:
            server.terminate()
            server.wait()
    print(f"\nmedians of {options.rounds} rounds (a round's first paint: the median of its {options.paints}):", end="")
    print_table(figures, names, options, statistics.median)


if __name__ == "__main__":
    main()
