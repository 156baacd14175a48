#!/bin/sh
# Builds one libFuzzer target with clang (address and undefined-behaviour sanitizers) and runs it.
# Usage: tools/fuzz/run-fuzz.sh TARGET [SECONDS] [libFuzzer options...]   (default 60 s)
# Targets: lzrw1 frames host notices colour ini tallygrid
# The committed seeds in corpus/TARGET are copied to a working corpus under the build folder,
# so what the fuzzer finds does not pile up in the source tree. Findings land in
# build-fuzz/artifacts/TARGET/.
set -eu

target=${1:?usage: run-fuzz.sh TARGET [SECONDS] [libFuzzer options...]}
seconds=${2:-60}
[ $# -ge 2 ] && shift 2 || shift $#
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}
src=$root/src

qt="$(pkg-config --cflags --libs Qt6Core)"
moc=$(pkg-config --variable=libexecdir Qt6Core 2>/dev/null)/moc
[ -x "$moc" ] || moc=/usr/lib/qt6/libexec/moc
protocol="$src/protocol/ColourText.cpp $src/protocol/CommandTable.cpp $src/protocol/Fields.cpp
    $src/protocol/FrameSplitter.cpp $src/protocol/Messages.cpp $src/protocol/Notices.cpp
    $src/protocol/WireText.cpp"
max_len=4096
case $target in
lzrw1)
    sources="$src/compression/Lzrw1Codec.cpp"; qt=; max_len=70000 ;;
frames)
    sources="$protocol" ;;
host)
    sources="$protocol $src/host/Engine.cpp $src/host/Requests.cpp $src/host/Computer.cpp
        $src/host/ComputerRules.cpp $src/host/Model.cpp" ;;
notices)
    # The session is a QObject: its meta-object code comes from moc.
    mkdir -p "$out/moc"
    for h in session/ClientSession session/ChatHistory net/TSock; do
        "$moc" -I"$src" "$src/$h.h" -o "$out/moc/moc_$(basename "$h").cpp"
    done
    sources="$protocol $src/session/ClientSession.cpp $src/session/ChatHistory.cpp
        $src/session/Settings.cpp $src/session/TableModel.cpp $src/net/TSock.cpp
        $out/moc/moc_ClientSession.cpp $out/moc/moc_ChatHistory.cpp $out/moc/moc_TSock.cpp"
    qt="$(pkg-config --cflags --libs Qt6Core Qt6Network)" ;;
colour)
    sources="$src/protocol/ColourText.cpp" ;;
ini)
    sources="$src/session/settings/IniFile.cpp $src/protocol/WireText.cpp" ;;
tallygrid)
    sources="$src/windows/StringGrid.cpp $src/protocol/WireText.cpp" ;;
*)
    echo "run-fuzz.sh: unknown target $target" >&2; exit 2 ;;
esac

mkdir -p "$out/corpus/$target" "$out/artifacts/$target"
# shellcheck disable=SC2086
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer -fPIC \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$src" -I"$here" "$here/${target}_fuzz.cpp" $sources $qt -o "$out/$target-fuzz"
cp "$here/corpus/$target"/* "$out/corpus/$target/"

# The handlers' notes about dropped messages would be most of the run time.
QT_LOGGING_RULES='*=false' "$out/$target-fuzz" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/$target/" "$@" "$out/corpus/$target"
