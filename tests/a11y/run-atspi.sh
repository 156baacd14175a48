#!/bin/sh
# run-atspi.sh <pelvo> <script>: a private display, session bus and accessibility bus, then the
# script drives the program through them. Exit 77 (skipped) when a part of the stack is missing.
set -u
pelvo=$1
script=$2
skip() { echo "SKIPPED: $1 (install: scripts/install-deps)"; exit 77; }
command -v xvfb-run >/dev/null 2>&1 || skip "xvfb-run is missing"
command -v dbus-run-session >/dev/null 2>&1 || skip "dbus-run-session is missing"
launcher=
for f in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
  [ -x "$f" ] && launcher=$f && break
done
[ -n "$launcher" ] || skip "at-spi2-core (at-spi-bus-launcher) is missing"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is missing"

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT INT TERM
export PELVO_HOME="$home" PELVO_INSTANCE="atspi-$$" XDG_RUNTIME_DIR="$home"
export LAUNCHER="$launcher" PELVO="$pelvo" SCRIPT="$script"
exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- sh -c '
  "$LAUNCHER" --launch-immediately &
  launcher_pid=$!
  /usr/bin/python3 "$SCRIPT" "$PELVO"
  rc=$?
  kill $launcher_pid 2>/dev/null
  exit $rc'
