#!/usr/bin/env bash
# check-install.sh MODE BUILD-DIR SOURCE-DIR VERSION
# Installs the build into a staging folder and checks one side of the installed program:
#   layout         the files laid out, the programs' --help and --version, no path into the build
#   desktop-entry  desktop-file-validate, and the entry names an installed program and icon
#   metainfo       appstreamcli validate, and the metadata matches what is installed
#   man-pages      the pages format without warnings and name every option and variable
#   start          the installed game starts under xvfb-run to its first frame with its card
#                  faces and sounds, and keeps its files in the per-user data folder
#   service        the systemd units name the installed table and hub programs, are hardened,
#                  and `systemd-analyze verify` passes on them without a word
#   package        the .deb (CPack) passes lintian, takes its dependencies from the library scan,
#                  and the game unpacked from it starts like the installed one
# Exits 77 (skipped) only when the validator a check needs is missing.
set -euo pipefail
mode=$1 build=$2 source=$3 version=$4
id=org.pelvo.Pelvo
programs=(pelvo pelvo-table pelvo-bot pelvo-hub)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
need() {
    command -v "$1" >/dev/null ||
        { echo "SKIP: $1 is not installed (scripts/install-deps installs it)"; exit 77; }
}

# Runs the installed game until it reports its first frame and its data folder exists.
if [ "$mode" = start-inner ]; then
    bin=$2 log=$3 data=$4
    "$bin" 2>"$log" &
    pid=$!
    for _ in $(seq 600); do
        if grep -q '^startup-assets' "$log" && [ -d "$data" ]; then break; fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" || true
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
prefix=$stage/usr
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log"; fail "cmake --install into a staging folder"; }
# Without a display: help and version must not need one.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

png_side() { # width and height of a PNG, from its header
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}

# The game in folder $1 starts under Xvfb to its first frame, with its card faces and sounds, and
# keeps its data in the per-user data folder, writing nothing beside itself.
start_game() {
    local bin=$1
    need xvfb-run
    need xauth
    local data=$work/home/.local/share/Pelvo log=$work/stderr.txt
    mkdir -p "$work/home" && mkdir -p -m 700 "$work/run"
    # Two servers started at once may pick the same free display: start the search at a random
    # number and try again if the server did not come up.
    local tries=0
    until env -u PELVO_HOME -u PELVO_CARD_DECK -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" \
        XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config" \
        XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb PELVO_PORT=$((20000 + RANDOM % 30000)) \
        PELVO_INSTANCE="install-test-$$" PELVO_TEST_REPORT_STARTUP=1 PELVO_TEST_AUTO_ACCEPT=1 \
        timeout 90 xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" \
        bash "$0" start-inner "$bin/pelvo" "$log" "$data"; do
        tries=$((tries + 1))
        [ "$tries" -lt 3 ] || fail "xvfb-run"
    done
    grep -q '^startup-ms ' "$log" || { cat "$log"; fail "no first frame"; }
    local sounds
    sounds=$(ls "$source"/assets/sounds/*.wav | wc -l)
    grep -q "^startup-assets card-deck=yes sounds=$sounds\$" "$log" ||
        { cat "$log"; fail "card faces or sounds missing (want card-deck=yes sounds=$sounds)"; }
    [ -d "$data" ] || fail "no per-user data folder $data"
    local extra
    extra=$(ls "$bin" | grep -vxE 'pelvo|pelvo-table|pelvo-bot|pelvo-hub' || true)
    [ -z "$extra" ] || fail "the program wrote beside itself: $extra"
    cat "$log"
}

case $mode in
layout)
    for p in "${programs[@]}"; do
        [ -x "$prefix/bin/$p" ] || fail "bin/$p not installed"
        [ -f "$prefix/share/man/man6/$p.6.gz" ] || fail "man page $p.6 not installed"
        got=$(headless "$prefix/bin/$p" --version) || fail "$p --version exits with an error"
        [ "$got" = "$p $version" ] || fail "$p --version says '$got', not '$p $version'"
        headless "$prefix/bin/$p" --help >"$work/help.txt" || fail "$p --help exits with an error"
        grep -qi '^usage: ' "$work/help.txt" || fail "$p --help has no usage line"
        if command -v readelf >/dev/null && readelf -d "$prefix/bin/$p" | grep -q "$build"; then
            fail "$p still points into the build folder: $(readelf -d "$prefix/bin/$p" | grep PATH)"
        fi
    done
    [ -f "$prefix/share/applications/$id.desktop" ] || fail "desktop entry not installed"
    [ -f "$prefix/share/metainfo/$id.metainfo.xml" ] || fail "metainfo not installed"
    [ -f "$prefix/share/doc/pelvo/copyright" ] || fail "copyright not installed"
    grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ||
        fail "scalable icon not installed"
    for side in 16 22 24 32 48 64 128 256; do
        png=$prefix/share/icons/hicolor/${side}x${side}/apps/$id.png
        [ -f "$png" ] || fail "${side} px icon not installed"
        [ "$(png_side "$png")" = "${side}x${side}" ] ||
            fail "${side} px icon is $(png_side "$png") pixels"
    done
    ;;
desktop-entry)
    need desktop-file-validate
    entry=$prefix/share/applications/$id.desktop
    desktop-file-validate "$entry" || fail "desktop-file-validate"
    grep -qx 'Categories=Game;CardGame;' "$entry" || fail "categories are not Game;CardGame;"
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$prefix/bin/$exec" ] || fail "Exec=$exec is not an installed program"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
        fail "Icon=$icon is not an installed icon"
    ;;
metainfo)
    need appstreamcli
    meta=$prefix/share/metainfo/$id.metainfo.xml
    appstreamcli validate --no-net "$meta" || fail "appstreamcli validate"
    grep -q "<id>$id</id>" "$meta" || fail "component id is not $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" ||
        fail "launchable does not name $id.desktop"
    grep -q "<release version=\"$version\"" "$meta" || fail "no release $version"
    # Each screenshot is a committed picture of the size the metadata gives.
    sed -n 's:.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*/\([^/]*\)</image>.*:\3 \1x\2:p' \
        "$meta" >"$work/shots.txt"
    [ -s "$work/shots.txt" ] || fail "no screenshot with its size"
    while read -r shot size; do
        png=$source/assets/desktop/screenshots/$shot
        [ -f "$png" ] || fail "screenshot $shot is not in assets/desktop/screenshots"
        [ "$(png_side "$png")" = "$size" ] || fail "$shot is $(png_side "$png"), not $size"
    done <"$work/shots.txt"
    provided=$(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$meta" | sort | tr '\n' ' ')
    installed=$(ls "$prefix/bin" | sort | tr '\n' ' ')
    [ "$provided" = "$installed" ] ||
        fail "metainfo provides '$provided' but bin/ holds '$installed'"
    ;;
man-pages)
    command -v groff >/dev/null || need man
    for p in "${programs[@]}"; do
        page=$work/$p.6
        gzip -dc "$prefix/share/man/man6/$p.6.gz" >"$page"
        if command -v groff >/dev/null; then
            out=$(groff -ww -z -man "$page" 2>&1)
            [ -z "$out" ] || fail "groff -ww on $p.6: $out"
        fi
        if command -v man >/dev/null; then
            out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
            [ -z "$out" ] || fail "man --warnings on $p.6: $out"
        fi
        # Every option the program lists, in the page's escaped spelling (\-\-bot\-speed).
        for option in $(headless "$prefix/bin/$p" --help | grep -oE '(^|[ ,])--?[a-z][a-z-]*' |
            tr -d ' ,' | sort -u); do
            grep -qF -- "${option//-/\\-}" "$page" || fail "$p.6 does not describe $option"
        done
    done
    for variable in $(grep -oE 'PELVO_[A-Z_]+' "$source/README.md" | sort -u); do
        grep -q "^\.B $variable\$" "$work/pelvo.6" || fail "pelvo.6 does not describe $variable"
    done
    ;;
start)
    start_game "$prefix/bin"
    ;;
service)
    need systemd-analyze
    mkdir -p "$work/units"
    for program in pelvo-table pelvo-hub; do
        unit=$prefix/lib/systemd/system/$program@.service
        [ -f "$unit" ] || fail "no lib/systemd/system/$program@.service"
        grep -qx "ExecStart=/usr/bin/$program --port %i" "$unit" ||
            fail "the unit does not start /usr/bin/$program on the instance's port"
        for setting in DynamicUser=yes ProtectSystem=strict ProtectHome=yes NoNewPrivileges=yes \
            'RestrictAddressFamilies=AF_INET AF_INET6 AF_UNIX' "StateDirectory=$program/%i" \
            'LimitNOFILE=[0-9]*'; do
            grep -qx "$setting" "$unit" || fail "$program@.service lacks $setting"
        done
        # verify wants the command to exist: the same unit, pointing into the staging folder,
        # with the staged manual page for its Documentation= line.
        sed "s|^ExecStart=/usr/bin/|ExecStart=$prefix/bin/|" "$unit" >"$work/units/$program@.service"
        cp "$work/units/$program@.service" "$work/units/$program@7772.service"
        for u in "$program@.service" "$program@7772.service"; do
            out=$(cd "$work/units" && MANPATH="$prefix/share/man" systemd-analyze verify "$u" 2>&1) ||
                fail "systemd-analyze verify $u: $out"
            [ -z "$out" ] || fail "systemd-analyze verify $u: $out"
        done
    done
    ;;
package)
    need lintian
    need dpkg-shlibdeps
    cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log"; fail "cpack"; }
    deb=$(ls "$work"/package/pelvo_"$version"_*.deb)
    depends=$(dpkg-deb -f "$deb" Depends)
    for lib in libqt6widgets6 libqt6multimedia6 libqt6svg6 libqt6network6; do
        grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
    done
    lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 ||
        { cat "$work/lintian.txt"; fail "lintian reports errors"; }
    grep -v 'running with root privileges' "$work/lintian.txt" || true
    dpkg-deb -x "$deb" "$work/root"
    for program in pelvo-table pelvo-hub; do
        grep -qx "ExecStart=/usr/games/$program --port %i" \
            "$work/root/usr/lib/systemd/system/$program@.service" ||
            fail "the packaged unit does not start /usr/games/$program"
    done
    for p in "${programs[@]}"; do
        [ "$(headless "$work/root/usr/games/$p" --version)" = "$p $version" ] ||
            fail "usr/games/$p --version"
    done
    start_game "$work/root/usr/games"
    ;;
*)
    fail "unknown check $mode"
    ;;
esac
echo "ok: $mode"
