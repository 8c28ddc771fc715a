#!/usr/bin/env bash
# The Windows build (made by scripts/windows.sh) under Wine on a private X
# server, used as a player would, with a fresh Wine prefix per run.
#   program    glimmer.exe from a folder with its data: the window, the loading
#              screen, the menu pixel for pixel as the Linux build draws it,
#              a setting saved on close and read back, level 1 played with
#              held keys and its run kept, the sound recorded, status 0 on a
#              close request; replays the same on both systems (the run
#              verifies on Linux, the solver's runs under Wine)
#   installer  the installer run silently, the Start-menu shortcut's target
#              started where the shortcut says, the uninstaller leaving only
#              the save
# Usage: wine_test.sh program|installer BUILD-WINDOWS-DIR LINUX-GLIMMER LINUX-DATA
set -uo pipefail
source "$(dirname "$0")/../lib/real_program.sh"

case_name=$1
out=$(realpath "$2")
linux_game=$(realpath "$3")
linux_data=$(realpath "$4")
linux_replay=$(dirname "$linux_game")/tools/replay/glimmer-replay
solutions=$(realpath "$(dirname "$0")/../game/solutions")
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINE" ] && [ -x "$WINESERVER" ] || rp_die "Wine (wine64) is not installed"
rp_need x86_64-w64-mingw32-g++-posix makensis sox compare
game=$out/Glimmer
[ -f "$game/glimmer.exe" ] || rp_die "no $game/glimmer.exe: scripts/windows.sh did not build it"

export WINEPREFIX=$RP_WORK/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap '"$WINESERVER" -k 2>/dev/null; rp_cleanup' EXIT
rp_start_x 1280x1024
"$WINE" wineboot -i >/dev/null 2>&1 || rp_die "wineboot failed"

# Pictures differ from frame to frame by the twinkling stars (about 2000
# pixels); a wrong colour, texture or layout changes far more.
differing() { compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1; }
kMenuTolerance=6000

# wine_start DIR EXE: the Windows program started in DIR; waits for its window.
wine_start() {
    rp_launch "$1" "$WINE" "$2"
    rp_find_window 120 && rp_focus
}

# settled_shot NAME: a screenshot once the loading screen is gone and the
# picture has stopped moving (menu slid in).
settled_shot() {
    local previous current i
    previous=$(rp_shot "$1")
    for i in $(seq 60); do
        sleep 0.5
        current=$(rp_shot "$1")
        if ! rp_near "$current" 3 3 40 40 80 6 && [ "$(differing "$previous" "$current")" -lt 3000 ]; then
            echo "$current"
            return 0
        fi
        previous=$current
    done
    echo "$current"
    return 1
}

# caption_mask SHOT: the level caption's green text as a black and white picture.
caption_mask() {
    convert "$1" -crop 120x24+520+6 +repage -alpha off -fuzz 20% \
        -fill black +opaque '#54D05A' -fill white -opaque '#54D05A' "$1.mask.png"
    echo "$1.mask.png"
}
# wine_idle: waits until every program of the Wine prefix has ended.
wine_idle() { timeout 120 "$WINESERVER" -w || rp_fail "Wine programs still run after 120 s"; }
uninstall_key() { "$WINE" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Glimmer' >/dev/null 2>&1; }
no_uninstall_key() { ! uninstall_key; }
help_button() { convert "$1" -crop 160x120+144+360 +repage "$1.help.png"; echo "$1.help.png"; }

# linux_menu: sets REF to the Linux build's menu, the picture the Windows
# build must match.
linux_menu() {
    local dir
    dir=$(rp_run_dir linux "$linux_data")
    ALSOFT_DRIVERS=null rp_start "$dir" "$linux_game" || rp_die "the Linux build shows no window"
    REF=$(settled_shot linux-menu) || rp_die "the Linux build's menu did not settle"
    rp_close
}

program_case() {
    local dir shot before after toggled level1 level2 peak
    linux_menu

    # OpenAL Soft of the Windows build reads Windows paths: drive Z: is /.
    rp_wave_audio
    sed -i 's|^file = /|file = Z:/|' "$ALSOFT_CONF"
    export ALSOFT_CONF="Z:$ALSOFT_CONF"

    dir=$(rp_run_dir windows "$game/data")
    wine_start "$dir" "$game/glimmer.exe" || rp_die "glimmer.exe shows no window titled Glimmer"
    rp_check "window 640 x 480" [ "$(rp_window_size)" = "640 480" ]
    rp_check "a window program: Explorer opens no console" \
        sh -c "x86_64-w64-mingw32-objdump -p '$game/glimmer.exe' | grep -q 'Subsystem.*Windows GUI'"
    local loading=""
    for _ in $(seq 100); do
        shot=$(rp_shot loading)
        rp_near "$shot" 3 3 40 40 80 6 && { loading=$shot; break; }
        sleep 0.05
    done
    rp_check "loading screen colour (40, 40, 80)" [ -n "$loading" ]
    shot=$(settled_shot wine-menu) || rp_fail "the menu did not settle"
    local n
    n=$(differing "$REF" "$shot")
    rp_check "menu as the Linux build draws it ($n pixels differ)" [ "$n" -lt "$kMenuTolerance" ]

    # Help off: the button changes and the setting is saved on closing.
    before=$(help_button "$shot")
    rp_click 224 410
    toggled=$(help_button "$(settled_shot help-off)")
    rp_check "help button shows the change" [ "$(differing "$before" "$toggled")" -gt 500 ]

    # A game, started with the confirm key: walking left lights the tree,
    # walking right enters the exit.
    rp_key Return
    level1=""
    for _ in $(seq 80); do
        shot=$(caption_mask "$(rp_shot level1)")
        [ "$(convert "$shot" -format '%[fx:int(mean*w*h)]' info:)" -gt 100 ] && { level1=$shot; break; }
        sleep 0.25
    done
    [ -n "$level1" ] || rp_die "no level caption after the confirm key"
    rp_key Left 2.5
    rp_key Right 2.5 1
    level2=""
    for _ in $(seq 40); do
        after=$(caption_mask "$(rp_shot level2)")
        [ "$(compare -metric AE "$level1" "$after" null: 2>&1)" -gt 10 ] && { level2=$after; break; }
        sleep 0.25
    done
    rp_check "held keys complete level 1 (the caption turns to level 2)" [ -n "$level2" ]

    # A replay is the same run on both systems: the one just kept verifies on
    # Linux, and the solver's runs recorded on Linux verify under Wine with
    # the same lines (the same final states).
    rp_check "the run is kept beside the save" test -s "$dir/.zephyrrecords" -a -s "$dir/replays/level01.glimmer-replay"
    rp_check "the run played on Windows verifies on Linux" "$linux_replay" verify "$dir/replays/level01.glimmer-replay"
    for n in $(seq -w 1 15); do
        "$linux_replay" record "$((10#$n))" "$solutions/level$n.keys" "$RP_WORK/level$n.glimmer-replay" >/dev/null
    done
    (cd "$RP_WORK" && "$linux_replay" verify level*.glimmer-replay >linux-verify.txt)
    (cd "$RP_WORK" && WINEPATH="Z:$game" ALSOFT_DRIVERS=null "$WINE" "$out/tests/tools/replay/glimmer-replay.exe" \
        verify level*.glimmer-replay | tr -d '\r' >wine-verify.txt)
    rp_check "the solver's 15 runs verify on Linux" [ "$(grep -c ': completes the level in state' "$RP_WORK/linux-verify.txt")" = 15 ]
    rp_check "and under Wine with the same lines" cmp "$RP_WORK/linux-verify.txt" "$RP_WORK/wine-verify.txt"

    rp_close 30
    rp_check "close request: status 0 (got $RP_STATUS)" [ "$RP_STATUS" = 0 ]
    rp_check "help off saved (setting 3 of the state file)" [ "$(cut -d'|' -f4 "$dir/.zephyrstate")" = 1 ]
    peak=$(rp_peak "$RP_WAV")
    rp_check "sound recorded (peak $peak)" awk "BEGIN { exit !($peak > 0.05) }"

    # Started again: the setting is read back.
    wine_start "$dir" "$game/glimmer.exe" || rp_die "glimmer.exe shows no window the second time"
    after=$(help_button "$(settled_shot again)")
    rp_check "settings loaded" grep -q "^Settings Loaded" "$dir/out.txt"
    rp_check "help still off" [ "$(differing "$toggled" "$after")" -lt 300 ]
    rp_close 30
    rp_check "second close: status 0" [ "$RP_STATUS" = 0 ]
    rp_check "no runtime error" rp_output_clean "$dir"
}

installer_case() {
    local setup user_dir programs appdata lnk shot
    linux_menu
    setup=$(ls "$out"/Glimmer-*-setup.exe 2>/dev/null | head -n 1)
    [ -n "$setup" ] || rp_die "no installer in $out"
    "$WINE" "$setup" /S || rp_fail "the silent install failed"
    wine_idle
    user_dir=$WINEPREFIX/drive_c/users/$(id -un)
    programs="$user_dir/AppData/Local/Programs/Glimmer"
    appdata="$user_dir/AppData/Roaming/Glimmer"
    lnk="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Glimmer.lnk"
    rp_check "installed program, solver, DLL and data" test -f "$programs/glimmer.exe" -a -f "$programs/glimmer-solve.exe" \
        -a -f "$programs/OpenAL32.dll" -a -d "$programs/data"
    rp_check "Start-menu shortcut" test -f "$lnk"
    rp_check "Apps & Features entry" uninstall_key

    # The shortcut's target, started through the shell the way the Start menu
    # does (the shell returns at once: the game is waited for by its window).
    ALSOFT_DRIVERS=null "$WINE" start /unix "$lnk" >/dev/null 2>&1
    rp_find_window 120 && rp_focus || rp_die "the shortcut's target shows no window"
    shot=$(settled_shot installed)
    # The menu drawn from the data beside the program.
    rp_check "the installed game shows its menu" [ "$(differing "$REF" "$shot")" -lt "$kMenuTolerance" ]
    wmctrl -i -c "$RP_WIN"
    rp_check "the installed game ends on a close request" rp_wait_for 30 sh -c "! xdotool search --name '^Glimmer\$'"
    wine_idle
    rp_check "the installed game saved in %APPDATA%\\Glimmer" test -s "$appdata/.zephyrstate"

    "$WINE" "$programs/uninstall.exe" /S || rp_fail "the silent uninstall failed"
    wine_idle
    rp_check "uninstall removes the program folder" test ! -e "$programs"
    rp_check "uninstall removes the shortcut" test ! -e "$lnk"
    rp_check "uninstall removes the Apps & Features entry" no_uninstall_key
    rp_check "only the save stays" [ "$(ls -A "$appdata")" = .zephyrstate ]
}

case $case_name in
    program) program_case ;;
    installer) installer_case ;;
    *) rp_die "unknown case $case_name" ;;
esac
rp_finish
