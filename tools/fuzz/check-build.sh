#!/bin/sh
# Builds one fuzz target without running it; exit 77 (skipped) where clang is not installed.
command -v clang++ >/dev/null 2>&1 || { echo "clang++ not installed: not checked"; exit 77; }
exec "$(dirname "$0")/run-fuzz.sh" "$1"
