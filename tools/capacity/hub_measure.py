#!/usr/bin/env python3
"""What one pelvo-hub costs, measured: tables started per second, tables held, lobby connections
held, and CPU and memory per table and per lobby connection.

  tools/capacity/hub_measure.py --bin build/src --tables 40 --lobby 2000 --window 30

Starts pelvo-hub on loopback (it starts real pelvo-table processes beside it), then:
  1. creates --tables tables over HTTP, from several loopback addresses (Linux answers on all of
     127/8, so the per-address limits apply as they would to that many homes), four creators at
     once, and times them from the first request to the last answer;
  2. holds them for --window seconds and reads the CPU time and memory of the hub and of every
     table from /proc (the tables report to the hub every 15 s and on every change);
  3. opens --lobby WebSocket connections to the lobby (16 per address), holds them for --window
     seconds quiet and --window seconds while one chat line a second goes to all of them, and
     reads the hub's CPU and memory again.
The clients run here in one asyncio loop and are not counted. Every loop is bounded in count
and time; everything started is stopped at the end.
"""

import argparse
import asyncio
import base64
import json
import os
import signal
import socket
import subprocess
import sys
import time

CLK_TCK = os.sysconf("SC_CLK_TCK")
PAGE = os.sysconf("SC_PAGE_SIZE")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLK_TCK


def memory(pid):
    """(RSS, private) in KiB: private = Private_Clean + Private_Dirty of smaps_rollup."""
    rss = private = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key == "Rss":
                rss = int(rest.split()[0])
            elif key in ("Private_Clean", "Private_Dirty"):
                private += int(rest.split()[0])
    return rss, private


def children(pid):
    out = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                ppid = int(f.read().rsplit(")", 1)[1].split()[1])
        except OSError:
            continue
        if ppid == pid:
            out.append(int(entry))
    return out


async def http(port, method, path, body=b"", source="127.0.0.1"):
    reader, writer = await asyncio.open_connection("127.0.0.1", port, local_addr=(source, 0))
    writer.write(
        f"{method} {path} HTTP/1.1\r\nHost: hub\r\nContent-Type: application/json\r\n"
        f"Content-Length: {len(body)}\r\nConnection: close\r\n\r\n".encode() + body)
    await writer.drain()
    head = await reader.readuntil(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n"):
        if line.lower().startswith(b"content-length:"):
            length = int(line.split(b":")[1])
    data = await reader.readexactly(length) if length else b""
    writer.close()
    return int(head[9:12]), data


class Lobby:
    """A minimal WebSocket client: handshake, then it reads frames and answers pings."""

    def __init__(self):
        self.messages = 0
        self.writer = None

    async def open(self, port, source):
        reader, writer = await asyncio.open_connection("127.0.0.1", port, local_addr=(source, 0))
        key = base64.b64encode(os.urandom(16)).decode()
        writer.write(
            f"GET /v1/lobby HTTP/1.1\r\nHost: hub\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
            f"Sec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n".encode())
        await writer.drain()
        head = await reader.readuntil(b"\r\n\r\n")
        if not head.startswith(b"HTTP/1.1 101"):
            writer.close()
            return False
        self.writer = writer
        asyncio.get_running_loop().create_task(self.read(reader))
        return True

    async def read(self, reader):
        try:
            while True:
                b0, b1 = await reader.readexactly(2)
                n = b1 & 0x7F
                if n == 126:
                    n = int.from_bytes(await reader.readexactly(2), "big")
                elif n == 127:
                    n = int.from_bytes(await reader.readexactly(8), "big")
                payload = await reader.readexactly(n)
                opcode = b0 & 0x0F
                if opcode == 0x9:
                    self.send(payload, 0xA)
                elif opcode in (0x1, 0x2):
                    self.messages += 1
                elif opcode == 0x8:
                    return
        except (asyncio.IncompleteReadError, ConnectionError):
            return

    def send(self, payload, opcode=0x1):
        mask = os.urandom(4)
        n = len(payload)
        head = bytes([0x80 | opcode]) + (bytes([0x80 | n]) if n < 126
                                         else bytes([0x80 | 126]) + n.to_bytes(2, "big"))
        self.writer.write(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))


def sample(pids):
    cpu = {p: cpu_seconds(p) for p in pids}
    return time.monotonic(), cpu


async def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", default="build/src")
    ap.add_argument("--tables", type=int, default=40)
    ap.add_argument("--lobby", type=int, default=2000)
    ap.add_argument("--window", type=float, default=30)
    args = ap.parse_args()
    args.tables = min(args.tables, 90)
    args.lobby = min(args.lobby, 16 * 250)

    port, first = free_port(), free_port()
    hub = subprocess.Popen(
        [os.path.join(args.bin, "pelvo-hub"), "--port", str(port), "--table-ports",
         f"{first}-{first + 99}", "--max-tables", str(args.tables + 10)],
        stderr=subprocess.DEVNULL)
    report = {}
    try:
        for _ in range(100):
            try:
                if (await http(port, "GET", "/healthz"))[0] == 200:
                    break
            except OSError:
                await asyncio.sleep(0.1)
        rss0, priv0 = memory(hub.pid)
        report["hub_idle"] = {"rss_kib": rss0, "private_kib": priv0}

        # 1. Tables started per second: four creators at once, four tables per address.
        body = json.dumps({"name": "Measured", "private": False}).encode()
        queue = list(range(args.tables))
        made = []

        async def creator():
            while queue:
                i = queue.pop()
                status, data = await http(port, "POST", "/v1/tables", body,
                                          f"127.0.{1 + i // 4}.1")
                if status == 201:
                    made.append(json.loads(data)["port"])

        t0 = time.monotonic()
        await asyncio.wait_for(asyncio.gather(*(creator() for _ in range(4))), 600)
        elapsed = time.monotonic() - t0
        report["tables_started"] = {"count": len(made), "seconds": round(elapsed, 2),
                                    "per_second": round(len(made) / elapsed, 2)}

        # 2. Tables held.
        await asyncio.sleep(3)
        tables = children(hub.pid)
        t1, cpu1 = sample([hub.pid] + tables)
        await asyncio.sleep(args.window)
        t2, cpu2 = sample([hub.pid] + tables)
        span = t2 - t1
        table_cpu = [100 * (cpu2[p] - cpu1[p]) / span for p in tables]
        table_mem = [memory(p) for p in tables]
        rss1, priv1 = memory(hub.pid)
        status, data = await http(port, "GET", "/v1/tables")
        report["tables_held"] = {
            "tables": len(tables),
            "listed": len(json.loads(data)["tables"]),
            "hub_cpu_percent": round(100 * (cpu2[hub.pid] - cpu1[hub.pid]) / span, 3),
            "hub_rss_kib": rss1, "hub_private_kib": priv1,
            "hub_private_kib_per_table": round((priv1 - priv0) / max(1, len(tables)), 1),
            "table_cpu_percent_mean": round(sum(table_cpu) / max(1, len(table_cpu)), 4),
            "table_rss_kib_mean": round(sum(m[0] for m in table_mem) / max(1, len(tables))),
            "table_private_kib_mean": round(sum(m[1] for m in table_mem) / max(1, len(tables))),
        }

        # 3. Lobby connections held, with a chat line a second to all of them.
        clients = []
        for i in range(args.lobby):
            c = Lobby()
            if await c.open(port, f"127.1.{i // 16 // 250}.{1 + (i // 16) % 250}"):
                clients.append(c)
        await asyncio.sleep(2)
        rss2, priv2 = memory(hub.pid)
        # Held and quiet first (pings every 20 s and the tables' reports go on), then talking.
        tq, cpuq = sample([hub.pid])
        await asyncio.sleep(args.window)
        tq2, cpuq2 = sample([hub.pid])
        t3, cpu3 = sample([hub.pid])
        lines = 0
        end = time.monotonic() + args.window
        while time.monotonic() < end:
            clients[lines % len(clients)].send(
                json.dumps({"type": "chat", "name": "M", "text": f"line {lines}"}).encode())
            lines += 1
            await asyncio.sleep(1)
        t4, cpu4 = sample([hub.pid])
        received = sum(c.messages for c in clients)
        report["lobby_held"] = {
            "connections": len(clients),
            "hub_private_kib_per_connection": round((priv2 - priv1) / max(1, len(clients)), 2),
            "hub_rss_kib": rss2,
            "chat_lines_sent": lines,
            "messages_received": received,
            "hub_cpu_percent_quiet": round(100 * (cpuq2[hub.pid] - cpuq[hub.pid]) / (tq2 - tq), 3),
            "hub_cpu_percent_chatting": round(100 * (cpu4[hub.pid] - cpu3[hub.pid]) / (t4 - t3), 3),
        }
        for c in clients:
            c.writer.close()
    finally:
        hub.send_signal(signal.SIGTERM)
        try:
            hub.wait(30)
        except subprocess.TimeoutExpired:
            hub.kill()
    json.dump(report, sys.stdout, indent=2)
    print()


if __name__ == "__main__":
    asyncio.run(main())
