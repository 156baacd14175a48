#!/bin/sh
# Builds one libFuzzer target with clang (address and undefined-behaviour sanitizers) and runs it.
# Usage: tools/fuzz/run-fuzz.sh TARGET [SECONDS] [libFuzzer options...]   (default 60 s)
# Targets: lzrw1 frames host notices colour ini tallygrid records discovery hub
# The committed seeds in corpus/TARGET are copied to a working corpus under the build folder,
# so what the fuzzer finds does not pile up in the source tree. Findings land in
# build-fuzz/artifacts/TARGET/. FUZZ_BUILD_ONLY=1 builds the target without running it.
set -eu

target=${1:?usage: run-fuzz.sh TARGET [SECONDS] [libFuzzer options...]}
seconds=${2:-60}
[ $# -ge 2 ] && shift 2 || shift $#
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}
src=$root/src

qt="Qt6Core"
moc=$(pkg-config --variable=libexecdir Qt6Core 2>/dev/null)/moc
[ -x "$moc" ] || moc=/usr/lib/qt6/libexec/moc
protocol="protocol/ColourText protocol/CommandTable protocol/Fields protocol/FrameSplitter protocol/LogText
    protocol/Messages protocol/Notices protocol/PrivateFile protocol/WireText"
rules="rules/ComputerRules rules/ExpertRules rules/Model"
host="$protocol $rules host/Engine host/Requests host/Seats host/Computer"
# The session is a QObject: its meta-object code comes from moc (the `moc` list).
session="$protocol session/ClientSession session/ChatHistory session/Connection session/SeatKeys
    session/SessionSnapshot session/Settings session/TableModel session/ConnectFailure session/Speech
    session/ScoreSheet session/RoundResults
    session/reduce/Game session/reduce/Intents session/reduce/Reconnect session/reduce/Seats
    session/reduce/Tell
    session/settings/SettingsFile session/settings/IniFile net/TSock"
sessionMoc="session/ClientSession session/Connection session/ChatHistory net/TSock"
mocs=
max_len=4096
case $target in
lzrw1)
    sources="compression/Lzrw1Codec"; qt=; max_len=70000 ;;
frames)
    sources="$protocol" ;;
host)
    sources="$host" ;;
notices)
    sources="$session"; mocs=$sessionMoc
    qt="Qt6Core Qt6Network" ;;
records)
    sources="$host $session protocol/GameRecord host/HostRecord session/Replay"
    mocs="$sessionMoc session/Replay"; max_len=16384
    qt="Qt6Core Qt6Network" ;;
discovery)
    sources="protocol/Discovery protocol/Fields protocol/LogText protocol/WireText" ;;
hub)
    [ -f "$src/hub/HubJson.cpp" ] || { echo "run-fuzz.sh: the hub target needs src/hub" >&2; exit 2; }
    sources="hub/HubJson hub/JoinCodes" ;;
colour)
    sources="protocol/ColourText" ;;
ini)
    sources="session/settings/IniFile protocol/WireText" ;;
tallygrid)
    sources="windows/StringGrid protocol/WireText" ;;
*)
    echo "run-fuzz.sh: unknown target $target" >&2; exit 2 ;;
esac

cxx="clang++ -std=c++20 -O2 -g -fno-omit-frame-pointer -fPIC -fsanitize=address,undefined
    -fno-sanitize-recover=undefined -I$src -I$here"
command -v ccache >/dev/null && cxx="ccache $cxx"
mkdir -p "$out/obj" "$out/corpus/$target" "$out/artifacts/$target"
qtflags=$(pkg-config --cflags Qt6Core $qt)
objects=
compile() { # source file, object name
    # shellcheck disable=SC2086
    $cxx -fsanitize=fuzzer-no-link $qtflags -c "$1" -o "$out/obj/$2.o"
    objects="$objects $out/obj/$2.o"
}
for m in $mocs; do
    "$moc" -I"$src" "$src/$m.h" -o "$out/obj/moc_$(basename "$m").cpp"
    compile "$out/obj/moc_$(basename "$m").cpp" "moc_$(basename "$m")"
done
for s in $(echo "$sources" | tr ' ' '\n' | sort -u); do
    compile "$src/$s.cpp" "$(echo "$s" | tr / _)"
done
# shellcheck disable=SC2086
$cxx -fsanitize=fuzzer "$here/${target}_fuzz.cpp" $objects $qtflags $([ -n "$qt" ] && pkg-config --libs $qt) -o "$out/$target-fuzz"
cp "$here/corpus/$target"/* "$out/corpus/$target/"
[ "${FUZZ_BUILD_ONLY:-0}" = 1 ] && exit 0
# A target whose input is text of its own (not built from decisions) gets its words.
dict=
[ -f "$here/$target.dict" ] && dict="-dict=$here/$target.dict"

# The handlers' notes about dropped messages would be most of the run time.
# shellcheck disable=SC2086
QT_LOGGING_RULES='*=false' "$out/$target-fuzz" -max_total_time="$seconds" -max_len="$max_len" \
    -print_final_stats=1 -artifact_prefix="$out/artifacts/$target/" $dict "$@" "$out/corpus/$target"
