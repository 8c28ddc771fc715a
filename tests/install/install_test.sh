#!/usr/bin/env bash
# The installed game as a player meets it. Usage: install_test.sh BUILD MODE
#   plain: `cmake --install` into a prefix with a space: the files, desktop
#     entry and icons, the launcher's refusals and its finding program and data
#     once the install is moved, and the uninstall target. No display needed.
#   package: the package of scripts/package.sh: files, lintian, AppStream, manual
#     page; installed with dpkg (replacing any installed glimmer, removed again
#     whatever fails), played under X until it saves, closed, removed.
set -uo pipefail
source "$(dirname "$0")/../lib/real_program.sh"
build=$(cd "$1" && pwd)
mode=$2
id=example.snowglobe_studio.glimmer
manifest=$build/install_manifest.txt
installed=""
as_root=$([ "$(id -u)" = 0 ] || echo sudo)

cleanup() {
    [ -n "$installed" ] && $as_root dpkg -r glimmer >/dev/null 2>&1
    # The build's manifest belongs to whoever installed from it last: put back theirs.
    if [ -f "$RP_WORK/manifest" ]; then cp "$RP_WORK/manifest" "$manifest"; elif [ "$mode" = plain ]; then rm -f "$manifest"; fi
    rp_cleanup
}
trap cleanup EXIT

# The one list of installed files, relative to the prefix.
expected_files() {
    printf '%s\n' games/glimmer lib/games/glimmer/glimmer share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
        share/man/man6/glimmer.6.gz share/doc/glimmer/copyright share/doc/glimmer/changelog.gz
    for size in 16 32 48 64 128 256; do echo "share/icons/hicolor/${size}x$size/apps/glimmer.png"; done
    (cd "$build/data" && find . ! -type d) | sed 's|^\./|share/games/glimmer/data/|'
}
check_files() {  # check_files WHAT LIST
    local diff
    diff=$(diff <(expected_files | sort) <(sort <<<"$2")) && rp_pass "$1 holds exactly the expected files" ||
        rp_fail "$1 differs from the expected files (< missing, > unexpected): $(head -n 20 <<<"$diff")"
}
# launch ENV...: the installed launcher started with no display from another folder; sets status.
launch() {
    (cd "$RP_WORK" && env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME "$@" >"$RP_WORK/out" 2>"$RP_WORK/err" </dev/null)
    status=$?
}

plain() {
    local prefix="$RP_WORK/pre fix" moved="$RP_WORK/moved" size got
    rp_need cmake identify desktop-file-validate
    [ -f "$manifest" ] && cp "$manifest" "$RP_WORK/manifest"
    cmake --install "$build" --prefix "$prefix" >"$RP_WORK/install.log" 2>&1 ||
        rp_die "cmake --install failed: $(tail -n 5 "$RP_WORK/install.log")"
    check_files "the install" "$(cd "$prefix" && find . ! -type d | sed 's|^\./||')"
    for size in 16 32 48 64 128 256; do
        got=$(identify -format '%wx%h %[channels]' "$prefix/share/icons/hicolor/${size}x$size/apps/glimmer.png")
        [[ "$got" == "${size}x$size srgba"* ]] || rp_fail "the ${size}x$size icon is '$got'"
    done
    rp_check "the desktop entry is valid" desktop-file-validate "$prefix/share/applications/$id.desktop"
    rp_check "the desktop entry quotes the launcher's path" grep -qx "Exec=\"$prefix/games/glimmer\"" "$prefix/share/applications/$id.desktop"

    # Moved as a whole, the launcher still finds its program (whose start-up fails
    # without a display: 255) and links the per-user folder to its data.
    mv "$prefix" "$moved"
    launch HOME="$RP_WORK/home" "$moved/games/glimmer"
    [ "$status" = 255 ] || rp_fail "status $status without a display, expected the game's 255: $(cat "$RP_WORK/err")"
    rp_check "the data link follows the moved install" test "$(readlink -f "$RP_WORK/home/.local/share/glimmer/data")" = "$moved/share/games/glimmer/data"
    echo 'the save' >"$RP_WORK/home/.local/share/glimmer/.zephyrstate"
    mkdir -p "$RP_WORK/blocked/glimmer/data"
    while IFS='|' read -r what message env; do
        launch $env "$moved/games/glimmer"
        [ "$status" = 1 ] && grep -q "$message" "$RP_WORK/err" && rp_pass "refuses $what" ||
            rp_fail "status $status and '$(cat "$RP_WORK/err")' with $what, expected 1 and '$message'"
    done <<EOF
a real data folder in the way|is not a link|HOME=$RP_WORK/home XDG_DATA_HOME=$RP_WORK/blocked
neither XDG_DATA_HOME nor HOME|cannot choose a folder|-u HOME
EOF
    rp_check "the player's folder was left in place" test -d "$RP_WORK/blocked/glimmer/data" -a ! -L "$RP_WORK/blocked/glimmer/data"
    mv "$moved" "$prefix"

    # The uninstall runs as the player whose folder the launcher made, so a
    # step that cleaned up after the game there would take the save with it.
    env -u XDG_DATA_HOME HOME="$RP_WORK/home" cmake --build "$build" --target uninstall >"$RP_WORK/uninstall.log" 2>&1 ||
        rp_fail "the uninstall target failed"
    rp_check "uninstall leaves no file behind" test -z "$(find "$prefix" ! -type d)"
    rp_check "uninstall removes the game's folders" test ! -e "$prefix/lib/games/glimmer" -a ! -e "$prefix/share/games/glimmer"
    rp_check "uninstall keeps the player's save" test -s "$RP_WORK/home/.local/share/glimmer/.zephyrstate"
}

# The score server's own package: its files only, none of the game's.
server_package() {
    local deb=$1
    [ -f "$deb" ] && [ "$deb" != "$(tail -n 1 "$RP_WORK/packages")" ] || rp_die "scripts/package.sh made no server package"
    rp_check "the server package holds the server, its service, manual page and notices" test \
        "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort | tr '\n' ' ')" = \
        "./lib/systemd/system/glimmer-scores.service ./usr/bin/glimmer-scores ./usr/share/doc/glimmer-scores/changelog.gz ./usr/share/doc/glimmer-scores/copyright ./usr/share/man/man8/glimmer-scores.8.gz "
    rp_check "the server package is glimmer-scores" test "$(dpkg-deb -f "$deb" Package)" = glimmer-scores
    rp_check "dpkg-shlibdeps found the server's libraries" grep -q 'libcpp-httplib.*libpq5.*libsqlite3' <<<"$(dpkg-deb -f "$deb" Depends)"
    rp_check "lintian reports no error or warning on the server package" lintian --fail-on error,warning "$deb"
    dpkg-deb -x "$deb" "$RP_WORK/server"
    rp_check "the server's manual page renders with no warning" test -z "$(cd "$RP_WORK/server/usr/share/man/man8" &&
        zcat glimmer-scores.8.gz | groff -ww -man -z 2>&1; MANWIDTH=80 man --warnings -l glimmer-scores.8.gz 2>&1 >/dev/null)"
    rp_check "the service starts the packaged server" grep -q '^ExecStart=/usr/bin/glimmer-scores serve$' \
        "$RP_WORK/server/lib/systemd/system/glimmer-scores.service"
}

package() {
    local deb tree="$RP_WORK/tree" state="$RP_WORK/xdg/glimmer/.zephyrstate"
    rp_need dpkg dpkg-deb lintian appstreamcli groff man xlogo
    bash "$(dirname "$0")/../../scripts/package.sh" "$build" >"$RP_WORK/packages" 2>"$RP_WORK/package.log"
    deb=$(tail -n 1 "$RP_WORK/packages")
    [ -f "$deb" ] || rp_die "scripts/package.sh made no package: $(tail -n 20 "$RP_WORK/package.log")"
    server_package "$(head -n 1 "$RP_WORK/packages")"
    check_files "the package" "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||')"
    rp_check "the package is in section games" test "$(dpkg-deb -f "$deb" Section)" = games
    rp_check "dpkg-shlibdeps found the libraries" grep -q 'libglfw3.*libopenal1' <<<"$(dpkg-deb -f "$deb" Depends)"
    rp_check "lintian reports no error or warning" lintian --fail-on error,warning "$deb"
    dpkg-deb -x "$deb" "$tree"
    rp_check "AppStream accepts the metadata and desktop entry" appstreamcli validate-tree --no-net "$tree"
    rp_check "the manual page renders with no warning" test -z "$(cd "$tree/usr/share/man/man6" &&
        zcat glimmer.6.gz | groff -ww -man -z 2>&1; MANWIDTH=80 man --warnings -l glimmer.6.gz 2>&1 >/dev/null)"

    installed=1
    for _ in $(seq 60); do  # another install on this machine may hold dpkg's lock for a while
        $as_root dpkg -i "$deb" >"$RP_WORK/dpkg.log" 2>&1 && break
        grep -q lock "$RP_WORK/dpkg.log" || rp_die "dpkg -i failed: $(cat "$RP_WORK/dpkg.log")"
        sleep 2
    done
    [ -x /usr/games/glimmer ] || rp_die "dpkg -i did not install the launcher: $(cat "$RP_WORK/dpkg.log")"
    rp_start_x
    rp_wave_audio
    mkdir -p "$RP_WORK/elsewhere"
    rp_start "$RP_WORK/elsewhere" env HOME="$RP_WORK/home" XDG_DATA_HOME="$RP_WORK/xdg" /usr/games/glimmer ||
        rp_die "no window titled Glimmer appeared"
    rp_check "the window has its 32 and 48 pixel icons" rp_wait_for 10 sh -c \
        "xprop -id $RP_WIN _NET_WM_ICON | grep -q 'Icon (48 x 48)' && xprop -id $RP_WIN _NET_WM_ICON | grep -q 'Icon (32 x 32)'"
    # Losing the focus to another client's window makes the game save.
    xlogo >/dev/null 2>&1 &
    RP_PIDS+=($!)
    rp_check "the game saves into the per-user folder" rp_wait_for 20 test -s "$state"
    rp_check "closing the window ends the game" rp_close
    rp_check "no save beside the install or where it started" test -z "$(find /usr/share/games/glimmer "$RP_WORK/elsewhere" -name .zephyrstate)"

    $as_root dpkg -r glimmer >"$RP_WORK/dpkg.log" 2>&1 || rp_fail "dpkg -r failed: $(cat "$RP_WORK/dpkg.log")"
    installed=""
    rp_check "removing the package leaves none of its files" test -z \
        "$(expected_files | while read -r f; do [ -e "/usr/$f" ] && echo "$f"; done)"
    rp_check "removing the package removes its folders" test ! -e /usr/lib/games/glimmer -a ! -e /usr/share/games/glimmer
    rp_check "the player's save, holding the settings, outlives the package" grep -q '|' "$state"
}

[[ $mode == plain || $mode == package ]] || rp_die "unknown mode '$mode'"
"$mode"
rp_finish
