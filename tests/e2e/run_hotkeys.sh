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
here=$(cd "$(dirname "$0")" && pwd)
cd "$dir"
wine ./Quorvex.exe >/dev/null 2>&1 &

. "$here/screen_size.sh"

status=0
screen_becomes 800x600 || status=1  # the user's mode at start
sleep 2                             # the start-up sequence has registered the hotkeys by now
keys ctrl+alt+shift+n
screen_becomes 1024x768 || status=1
keys ctrl+alt+shift+m
screen_becomes 800x600 || status=1
exit $status
