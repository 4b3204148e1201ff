#!/usr/bin/env python3
"""Load on the bundled engine's game port, with real processes on 127.0.0.1.

Starts vexserver (console front-end, sample deathmatch, no bots) and vexclient with 16 players,
then sends a flood of malformed datagrams to the game port (10,000 a second for 60 s by
default) and prints: the update thread's frames per second and 99th-percentile frame interval
during the flood (from the engine's frame log, VEX_SIM_FRAME_LOG), the server's CPU share and
resident memory at the start and end of the flood, the datagrams the server dropped, and the
players dropped. Targets: 30.3 frames per second within 1 %, resident memory flat within 5 %,
no player dropped. It asserts nothing: it prints figures.

Usage: bench/load_game_port.py [--bin build/release/bin] [--seconds 60] [--rate 10000]
                               [--players 16]
"""

import argparse
import os
import random
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FLOOD_SOCKETS = 4
BATCHES_PER_SECOND = 100


class Lines:
    """Collects a process's output lines on a thread, so that nothing blocks on a full pipe."""

    def __init__(self, stream):
        self.lines = []
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self._read, args=(stream,), daemon=True)
        self.thread.start()

    def _read(self, stream):
        for line in stream:
            with self.lock:
                self.lines.append(line.rstrip("\n"))

    def wait_for(self, pattern, seconds, count=1):
        deadline = time.monotonic() + seconds
        regex = re.compile(pattern)
        while time.monotonic() < deadline:
            with self.lock:
                found = [m for m in map(regex.search, self.lines) if m]
            if len(found) >= count:
                return found[-1]
            time.sleep(0.05)
        return None

    def text(self):
        with self.lock:
            return "\n".join(self.lines)


def malformed_datagrams():
    """Datagrams that the game port must drop: noise, bad headers, cut and over-long ones."""
    rng = random.Random(1)
    datagrams = [b"", b"status", b"VX", b"VX\x01", b"VX\x02\x03" + bytes(20), b"V" * 1300]
    for _ in range(58):
        kind = rng.randrange(3)
        if kind == 0:
            datagrams.append(bytes(rng.randrange(256) for _ in range(rng.randrange(1, 80))))
        elif kind == 1:
            body = bytes(rng.randrange(256) for _ in range(rng.randrange(0, 40)))
            datagrams.append(b"VX\x01" + bytes([rng.randrange(256)]) + body)
        else:
            datagrams.append(b"VX\x01\x03" + bytes(rng.randrange(256) for _ in range(9)))
    return datagrams


def flood(port, rate, seconds):
    """Sends `rate` datagrams a second in batches; returns how many it sent."""
    sockets = [socket.socket(socket.AF_INET, socket.SOCK_DGRAM) for _ in range(FLOOD_SOCKETS)]
    datagrams = malformed_datagrams()
    per_batch = max(1, rate // BATCHES_PER_SECOND)
    start = time.monotonic()
    sent = 0
    batch = 0
    while time.monotonic() - start < seconds:
        for i in range(per_batch):
            try:
                sockets[i % FLOOD_SOCKETS].sendto(datagrams[(sent + i) % len(datagrams)],
                                                  ("127.0.0.1", port))
            except OSError:
                pass
        sent += per_batch
        batch += 1
        pause = start + batch / BATCHES_PER_SECOND - time.monotonic()
        if pause > 0:
            time.sleep(pause)
    for s in sockets:
        s.close()
    return sent


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def frame_figures(path, start, end):
    with open(path) as f:
        starts = [int(line) / 1e6 for line in f if line.strip()]
    starts = [t for t in starts if start <= t <= end]
    if len(starts) < 3:
        return None
    intervals = sorted((b - a) * 1000 for a, b in zip(starts, starts[1:]))
    p99 = intervals[min(len(intervals) - 1, int(0.99 * len(intervals)))]
    fps = (len(starts) - 1) / (starts[-1] - starts[0])
    return fps, p99, intervals[-1], len(starts)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bin", default=os.path.join(ROOT, "build/release/bin"))
    parser.add_argument("--seconds", type=int, default=60)
    parser.add_argument("--rate", type=int, default=10000)
    parser.add_argument("--players", type=int, default=16)
    args = parser.parse_args()
    binaries = os.path.abspath(args.bin)

    work = tempfile.mkdtemp(prefix="vex-load-")
    game = os.path.join(work, "game")
    shutil.copytree(os.path.join(ROOT, "examples/gamedir"), game)
    frame_log = os.path.join(work, "frames.log")
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(VEX_SIM_BOTS="0", VEX_SIM_FRAME_LOG=frame_log)
    server = subprocess.Popen(
        [os.path.join(binaries, "vexserver"), "-console", "-config", "deathmatch", "-port", "0"],
        cwd=game, env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
        stderr=subprocess.DEVNULL, text=True, bufsize=1)
    clients = None
    try:
        server_out = Lines(server.stdout)
        hosting = server_out.wait_for(r"on UDP port (\d+) for up to", 30)
        if not hosting:
            sys.exit("load_game_port: the server did not start:\n" + server_out.text())
        port = int(hosting.group(1))
        clients = subprocess.Popen(
            [os.path.join(binaries, "vexclient"), "-n", str(args.players), "--name", "load",
             "--chat", f"127.0.0.1:{port}"],
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, bufsize=1)
        client_out = Lines(clients.stdout)
        if not client_out.wait_for(r"joined as client", 30, count=args.players):
            sys.exit("load_game_port: the players did not join:\n" + client_out.text())

        start = time.monotonic()
        cpu_start, rss_start = cpu_seconds(server.pid), resident_kb(server.pid)
        sent = flood(port, args.rate, args.seconds)
        end = time.monotonic()
        cpu_end, rss_end = cpu_seconds(server.pid), resident_kb(server.pid)

        server.stdin.write("status\n")
        server.stdin.flush()
        drops = server_out.wait_for(r"Dropped datagrams: (.*)\.$", 10)
        clients.send_signal(signal.SIGINT)
        clients.wait(30)
        client_out.thread.join(5)
        summary = client_out.text()
        server.stdin.write("/stop\n")
        server.stdin.flush()
        server.wait(30)
    finally:
        for process in (clients, server):
            if process and process.poll() is None:
                process.kill()

    def count(label):
        found = re.search(rf"^{label}:\s+(\d+)", summary, re.M)
        return int(found.group(1)) if found else -1

    frames = frame_figures(frame_log, start, end)
    dropped_numbers = [int(n) for n in re.findall(r"(\d+) ", drops.group(1))] if drops else []
    kicked, timed_out, closed = count("Kicked"), count("Timed out"), count("Server closed")
    trips = re.search(r"^Round trip:\s+(.*)$", summary, re.M)
    shutil.rmtree(work, ignore_errors=True)

    print(f"load on the game port: {args.players} players, {args.rate} malformed datagrams a "
          f"second for {args.seconds} s")
    if frames:
        fps, p99, longest, count_frames = frames
        print(f"frames per second:        {fps:.2f} (target 30.30 within 1 %; "
              f"{count_frames} frames)")
        print(f"frame interval p99:       {p99:.1f} ms (longest {longest:.1f} ms)")
    else:
        print("frames per second:        no frames logged")
    wall = end - start
    print(f"server CPU share:         {100 * (cpu_end - cpu_start) / wall:.1f} % of one core")
    print(f"resident memory:          {rss_start} kB at start, {rss_end} kB at end "
          f"({100 * (rss_end - rss_start) / max(rss_start, 1):+.1f} %; target within 5 %)")
    print(f"datagrams sent:           {sent}")
    if drops:
        counted = sum(dropped_numbers)
        lost = f"; {sent - counted} lost unread" if counted < sent else ""
        print(f"datagrams dropped:        {counted} counted by the server ({drops.group(1)})"
              f"{lost}")
    else:
        print("datagrams dropped:        none counted by the server")
    print(f"players dropped:          {kicked + timed_out + closed} (kicked {kicked}, timed out "
          f"{timed_out}, server closed {closed}); joined {count('Joined')} of {args.players}")
    if trips:
        print(f"round trip (vexclient):   {trips.group(1)}")


if __name__ == "__main__":
    main()
