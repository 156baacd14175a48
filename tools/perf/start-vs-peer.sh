#!/usr/bin/env bash
# Start time and memory of Pelvo beside a desktop card game people know, measured the same way:
# each program started in turn on one virtual screen, N rounds, a fresh home folder every start.
#
#   tools/perf/start-vs-peer.sh [-n ROUNDS] [-p PELVO] [-q PEER] [-s SECONDS]
#
# Per start it records
#   visible  time from the start of the process to the map of its first top-level window;
#   paint    time to the first frame with content in that window (the window no longer one colour);
#   rss      peak resident memory (VmHWM) after the window showed and SECONDS (default 3) passed;
#   pss      proportional memory at that moment: pages shared with other processes (libraries,
#            the X server's window buffers) count only in part, as a desktop's total sees it.
# It prints median and quartiles per program and the ratios Pelvo / peer of the medians. The
# peer (default /usr/games/sol) is skipped when it is not installed. Needs Xvfb and python3.
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
rounds=12
pelvo="$here/build/src/pelvo"
peer=/usr/games/sol
settle=3
while getopts "n:p:q:s:h" opt; do
  case $opt in
    n) rounds=$OPTARG ;;
    p) pelvo=$OPTARG ;;
    q) peer=$OPTARG ;;
    s) settle=$OPTARG ;;
    *) sed -n '2,16p' "$0"; exit 2 ;;
  esac
done
[[ -x $pelvo ]] || { echo "start-vs-peer: no program at $pelvo (build first or pass -p)" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "start-vs-peer: Xvfb is not installed" >&2; exit 2; }
programs=("pelvo=$pelvo")
if [[ -x $peer ]]; then programs+=("peer=$peer"); else echo "start-vs-peer: peer $peer not installed; Pelvo alone" >&2; fi

# A display of our own, so nothing else draws or maps windows while we watch.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.1; done

DISPLAY=$display python3 - "$rounds" "$settle" "$work" "${programs[@]}" <<'PY'
import ctypes, os, random, signal, statistics, subprocess, sys, tempfile, time

rounds, settle, work = int(sys.argv[1]), float(sys.argv[2]), sys.argv[3]
progs = dict(a.split("=", 1) for a in sys.argv[4:])

x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x.XPending.argtypes = [ctypes.c_void_p]
x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x.XGetImage.restype = ctypes.c_void_p
x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                        ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
x.XFree.argtypes = [ctypes.c_void_p]
x.XSetErrorHandler.restype = ctypes.c_void_p
ERRH = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
ignore = ERRH(lambda d, e: 0)  # a window may go while we look at it
x.XSetErrorHandler(ignore)

class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]

dpy = x.XOpenDisplay(None)
root = x.XDefaultRootWindow(dpy)
SubstructureNotifyMask, MapNotify, ZPixmap = 1 << 19, 19, 2
x.XSelectInput(dpy, root, SubstructureNotifyMask)
ev = (ctypes.c_long * 24)()

def painted(win, w, h):
    img = x.XGetImage(dpy, win, 0, 0, w, h, 0xFFFFFFFF, ZPixmap)
    if not img:
        return False
    im = XImage.from_address(img)
    data = ctypes.string_at(im.data, im.bytes_per_line * im.height)
    x.XFree(im.data)
    x.XFree(img)
    step = im.bits_per_pixel // 8
    first = data[:step]
    return data != first * (len(data) // step)

def proc_mib(path, key):
    """The value of `key` (given in kB) in a /proc file, in MiB; NaN once the process is gone."""
    try:
        with open(path) as f:
            for line in f:
                if line.startswith(key):
                    return int(line.split()[1]) / 1024.0
    except OSError:
        pass
    return float("nan")

def one_start(cmd):
    home = tempfile.mkdtemp(dir=work)
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("PELVO_", "XDG_")) and k not in ("DBUS_SESSION_BUS_ADDRESS",)}
    env.update(HOME=home, PELVO_PORT=str(random.randint(20000, 60000)))
    # A build folder can be written to, so Pelvo would keep its settings beside the program:
    # give it the fresh home's data folder, as an installed copy would use.
    env["PELVO_HOME"] = os.path.join(home, ".local/share/Pelvo")
    while x.XPending(dpy):  # nothing left from an earlier start
        x.XNextEvent(dpy, ev)
    t0 = time.monotonic()
    proc = subprocess.Popen([cmd], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    visible = paint = None
    win = 0
    deadline = t0 + 20
    while visible is None and time.monotonic() < deadline:
        if not x.XPending(dpy):
            time.sleep(0.0003)
            continue
        x.XNextEvent(dpy, ev)
        raw = ctypes.cast(ev, ctypes.POINTER(ctypes.c_long))
        etype = raw[0] & 0xFFFFFFFF
        if etype == MapNotify and not (raw[6] & 0xFFFFFFFF):
            visible = time.monotonic() - t0
            win = raw[5]
    if win:
        while paint is None and time.monotonic() < deadline:
            attrs = (ctypes.c_int * 64)()  # x, y, width, height, ...
            if x.XGetWindowAttributes(dpy, win, attrs) and painted(win, attrs[2], attrs[3]):
                paint = time.monotonic() - t0
            else:
                time.sleep(0.001)
    time.sleep(max(0.0, t0 + (visible or 0) + settle - time.monotonic()))
    rss = proc_mib(f"/proc/{proc.pid}/status", "VmHWM:")
    shared = proc_mib(f"/proc/{proc.pid}/smaps_rollup", "Pss:")
    proc.send_signal(signal.SIGKILL)
    proc.wait()
    subprocess.run(["rm", "-rf", home])
    ms = lambda t: float("nan") if t is None else t * 1000.0
    return ms(visible), ms(paint), rss, shared

results = {name: [] for name in progs}
for r in range(rounds):
    for name, cmd in progs.items():  # in turn, so both see the same load
        results[name].append(one_start(cmd))
        time.sleep(0.3)

def stats(values):
    v = sorted(a for a in values if a == a)
    if not v:
        return float("nan"), float("nan"), float("nan")
    if len(v) == 1:
        return v[0], v[0], v[0]
    q = statistics.quantiles(v, n=4, method="inclusive")
    return q[1], q[0], q[2]

print(f"{rounds} rounds, fresh home each start, settle {settle:g} s; machine load "
      f"{os.getloadavg()[0]:.2f}")
labels = [("visible", "ms"), ("first paint", "ms"), ("peak RSS", "MiB"), ("PSS", "MiB")]
medians = {}
for name, cmd in progs.items():
    print(f"{name}: {cmd}")
    for i, (label, unit) in enumerate(labels):
        med, q1, q3 = stats([s[i] for s in results[name]])
        medians[(name, i)] = med
        print(f"  {label:12s} median {med:7.1f} {unit:3s}  quartiles {q1:7.1f} - {q3:7.1f}")
if "peer" in progs:
    print("ratio pelvo / peer (medians):")
    for i, (label, _) in enumerate(labels):
        print(f"  {label:12s} {medians[('pelvo', i)] / medians[('peer', i)]:.2f}")
PY
