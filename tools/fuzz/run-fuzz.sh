#!/bin/sh
# Builds the tally coder fuzzer with clang and runs it.
# Usage: tools/fuzz/run-fuzz.sh [seconds]   (default 60)
# The committed seeds in corpus/ are copied to a working corpus under the build folder,
# so what the fuzzer finds does not pile up in the source tree.
set -eu

seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}

mkdir -p "$out/corpus" "$out/artifacts"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src" "$here/lzrw1_fuzz.cpp" "$root/src/compression/Lzrw1Codec.cpp" \
    -o "$out/lzrw1-fuzz"
cp "$here"/corpus/* "$out/corpus/"

"$out/lzrw1-fuzz" -max_total_time="$seconds" -max_len=70000 -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/" "$out/corpus"
