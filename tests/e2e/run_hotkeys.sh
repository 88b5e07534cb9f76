#!/usr/bin/env bash
# The hotkeys from the keyboard (inside netns_run.sh: own X server, desktop and wineserver): Quorvex
# starts with a profile that keeps both hotkeys, and the keys are sent to the X server with
# xdotool, as a keyboard would. The Wine desktop window follows the screen's mode.
#
#   run_hotkeys.sh QUORVEX_EXE
set -u
command -v xdotool >/dev/null || { echo "run_hotkeys: no xdotool: skipped" >&2; exit 77; }
dir=$(mktemp -d "${TMPDIR:-/tmp}/qv-hotkeys.XXXXXX")
cp "$1" "$dir/"
mkdir "$dir/Users"
user=$(printf '%s' "${USER:-root}" | tr '[:lower:]' '[:upper:]')
printf '[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=32\r\n[Hotkeys]\r\nMyMode=Ctrl+Alt+Shift+M\r\nNaturalMode=Ctrl+Alt+Shift+N\r\n' \
    >"$dir/Users/$user"
cd "$dir"
wine ./Quorvex.exe >/dev/null 2>&1 &

# The size of the Wine desktop window, once it is `want` (up to 15 s); what it was otherwise.
screen_becomes() {
    local want=$1 seen=""
    for _ in $(seq 75); do
        seen=$(xdotool search --name "Wine desktop" getwindowgeometry 2>/dev/null | sed -n 's/ *Geometry: //p' | head -1)
        [ "$seen" = "$want" ] && return 0
        sleep 0.2
    done
    echo "run_hotkeys: the screen is ${seen:-unknown}, not $want" >&2
    return 1
}

status=0
screen_becomes 800x600 || status=1  # the user's mode at start
sleep 2                             # the start-up sequence has registered the hotkeys by now
# Without a window manager nothing gives the desktop window the keyboard: the keys go where it is.
xdotool search --name "Wine desktop" windowfocus 2>/dev/null
xdotool key ctrl+alt+shift+n
screen_becomes 1024x768 || status=1
xdotool key ctrl+alt+shift+m
screen_becomes 800x600 || status=1
exit $status
