#!/usr/bin/env python3
"""How much one pelvo-table costs, measured.

Starts tables as separate processes on loopback, fills each with connected watchers that let the
computer play every seat, keeps games running back to back, and reads each table's CPU time and
memory from /proc over a measuring window. The clients run here, in one asyncio loop, and are
not counted: they stand for players on other machines.

  tools/capacity/measure.py --bin build/src/pelvo-table full --tables 20 --window 120
  tools/capacity/measure.py --bin build/src/pelvo-table sweep --window 120

full:  K tables, each with four connections at the four seats, every seat in "Just Watch"
       (so the computer plays all four seats) -- four computer seats, four watchers.
sweep: nine tables at once, the n-th with n connections (1 to 4 at the seats, watching; 5 to 9
       spectators), so each extra connection's cost is read under the same conditions.

The CPU time of a process is what the kernel charged to it (utime + stime in /proc/PID/stat,
and the nanosecond run time of its threads in /proc/PID/task/*/schedstat); it does not count
the time other programs use, so the figure holds on a machine busy with other work. Waiting for
a CPU does stretch a game's wall-clock length a little, which the report shows as games/minute.
"""

import argparse
import asyncio
import json
import os
import socket
import subprocess
import sys
import time

TERMINATOR = b"\xff"
CLK_TCK = os.sysconf("SC_CLK_TCK")
PAGE = os.sysconf("SC_PAGE_SIZE")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


# ---- /proc readings ------------------------------------------------------------------------

def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # fields[0] is state (field 3); utime and stime are fields 14 and 15
    return int(fields[11]) + int(fields[12])


def run_ns(pid):
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total


def memory_kib(pid):
    """Resident, proportional and private (unshared) memory of a process, in KiB."""
    rss = pss = uss = 0
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss = int(line.split()[1])
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    pss = int(line.split()[1])
                elif line.startswith(("Private_Clean:", "Private_Dirty:")):
                    uss += int(line.split()[1])
    except OSError:
        pass
    return rss, pss, uss


def machine_busy():
    """Fraction of the machine's CPU time not idle, over /proc/stat's counters."""
    with open("/proc/stat") as f:
        parts = [int(x) for x in f.readline().split()[1:]]
    idle = parts[3] + parts[4]
    return sum(parts), idle


# ---- clients --------------------------------------------------------------------------------

class Table:
    def __init__(self, binary, connections, bot_speed, rounds):
        self.port = free_port()
        self.connections = connections
        self.rounds = rounds
        self.games_started = 0
        self.games_finished = 0
        self.frames_in = 0
        self.proc = subprocess.Popen(
            [binary, "--port", str(self.port), "--bot-speed", str(bot_speed)],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        line = self.proc.stdout.readline()
        if b"listening" not in line:
            raise RuntimeError(f"pelvo-table did not start: {line!r}")

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


async def client(table, index, logged_in, all_in):
    reader, writer = await asyncio.open_connection("127.0.0.1", table.port)
    name = f"W{index + 1}"
    slot = 0
    buffer = b""

    def send(text):
        writer.write(text.encode() + TERMINATOR)

    while True:
        data = await reader.read(65536)
        if not data:
            return
        buffer += data
        *frames, buffer = buffer.split(TERMINATOR)
        for frame in frames:
            if not frame:
                continue
            table.frames_in += 1
            f = frame.split(b"+")
            cmd = f[0]
            if cmd == b"CMD_sendlogininfo":
                slot = int(f[1])
                writer.write(f"CMD_logininfo+{slot}+1.0.1+{name}".encode() + TERMINATOR * 2)
            elif cmd == b"CMD_newplayerinfo" and int(f[1]) == slot:
                logged_in.append(slot)
                if len(logged_in) == table.connections:
                    all_in.set()
                if slot == 1:
                    await all_in.wait()
                    send(f"CMD_startgame+{name}+{table.rounds}+1+1+")
            elif cmd == b"CMD_startgame":
                if slot == 1:
                    table.games_started += 1
                # Every seated watcher hands its seat to the computer for this game.
                if 1 <= slot <= 4:
                    send(f"CMD_justwatch+{slot}+1")
            elif cmd == b"CMD_winner" and slot == 1:
                table.games_finished += 1
                send(f"CMD_startgame+{name}+{table.rounds}+1+1+")
        await writer.drain()


async def fill(table):
    logged_in = []
    all_in = asyncio.Event()
    tasks = []
    # One at a time, so each takes the next slot.
    for i in range(table.connections):
        tasks.append(asyncio.create_task(client(table, i, logged_in, all_in)))
        for _ in range(200):
            if len(logged_in) > i:
                break
            await asyncio.sleep(0.01)
    return tasks


# ---- a run ----------------------------------------------------------------------------------

async def measure(tables, warmup, window):
    tasks = []
    for t in tables:
        tasks += await fill(t)
    await asyncio.sleep(warmup)
    start_wall = time.monotonic()
    start_ticks = [cpu_ticks(t.proc.pid) for t in tables]
    start_ns = [run_ns(t.proc.pid) for t in tables]
    start_games = [t.games_finished for t in tables]
    start_frames = [t.frames_in for t in tables]
    m_total0, m_idle0 = machine_busy()
    await asyncio.sleep(window)
    wall = time.monotonic() - start_wall
    m_total1, m_idle1 = machine_busy()
    rows = []
    for i, t in enumerate(tables):
        ticks = cpu_ticks(t.proc.pid) - start_ticks[i]
        ns = run_ns(t.proc.pid) - start_ns[i]
        rss, pss, uss = memory_kib(t.proc.pid)
        rows.append({
            "connections": t.connections,
            "cpu_percent_ticks": 100.0 * ticks / CLK_TCK / wall,
            "cpu_percent": 100.0 * ns / 1e9 / wall,
            "rss_kib": rss,
            "pss_kib": pss,
            "uss_kib": uss,
            "games_per_minute": 60.0 * (t.games_finished - start_games[i]) / wall,
            "frames_out_per_second": (t.frames_in - start_frames[i]) / wall,
        })
    for task in tasks:
        task.cancel()
    busy = 1.0 - (m_idle1 - m_idle0) / max(1, m_total1 - m_total0)
    return {"window_s": wall, "machine_busy_percent": 100.0 * busy,
            "loadavg": os.getloadavg(), "cpus": os.cpu_count(), "tables": rows}


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", default="build/src/pelvo-table")
    parser.add_argument("--bot-speed", type=int, default=1000)
    parser.add_argument("--rounds", type=int, default=9)
    parser.add_argument("--warmup", type=float, default=15)
    parser.add_argument("--window", type=float, default=120)
    parser.add_argument("--budget-cores", type=float, default=2 * 0.5,
                        help="CPU the tables may use, in cores (default: half of two)")
    sub = parser.add_subparsers(dest="mode", required=True)
    full = sub.add_parser("full")
    full.add_argument("--tables", type=int, default=20)
    full.add_argument("--watchers", type=int, default=4)
    sub.add_parser("sweep")
    args = parser.parse_args()

    if args.mode == "full":
        counts = [args.watchers] * args.tables
    else:
        counts = list(range(1, 10))
    tables = []
    try:
        for n in counts:
            tables.append(Table(args.bin, n, args.bot_speed, args.rounds))
        result = asyncio.run(measure(tables, args.warmup, args.window))
    finally:
        for t in tables:
            t.stop()
    result["mode"] = args.mode
    result["bot_speed_ms"] = args.bot_speed
    rows = result["tables"]
    if args.mode == "full":
        per_table = sum(r["cpu_percent"] for r in rows) / len(rows)
        result["mean_cpu_percent_per_table"] = per_table
        result["max_cpu_percent_per_table"] = max(r["cpu_percent"] for r in rows)
        result["mean_rss_kib"] = sum(r["rss_kib"] for r in rows) / len(rows)
        result["mean_pss_kib"] = sum(r["pss_kib"] for r in rows) / len(rows)
        result["mean_uss_kib"] = sum(r["uss_kib"] for r in rows) / len(rows)
        # Tables pass through dearer moments (a deal, a game's start) at different times, so the
        # machine carries the mean; the 99th percentile bounds a window where many coincide.
        ordered = sorted(r["cpu_percent"] for r in rows)
        p99 = ordered[min(len(ordered) - 1, int(0.99 * len(ordered)))]
        result["p99_cpu_percent_per_table"] = p99
        result["sum_cpu_percent"] = sum(ordered)
        budget = args.budget_cores * 100.0
        result["tables_within_budget"] = int(budget / per_table) if per_table else None
        result["tables_within_budget_p99"] = int(budget / p99) if p99 else None
    json.dump(result, sys.stdout, indent=2)
    print()


if __name__ == "__main__":
    main()
