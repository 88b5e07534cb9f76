#!/usr/bin/env bash
# Quorvex from the keyboard alone (inside netns_run.sh: own X server, desktop and wineserver): a new
# user completes the first configuration and changes the mode in the Control Center with keys sent
# to the X server by xdotool, as a keyboard's would. Only the Control Center is opened with the
# mouse (a double click on the tray icon): Wine's tray menu takes no keys from the X server.
#
#   run_keyboard.sh QUORVEX_EXE [SCREENSHOT_DIR]
set -u
command -v xdotool >/dev/null || { echo "run_keyboard: no xdotool: skipped" >&2; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
. "$here/screen_size.sh"
dir=$(mktemp -d "${TMPDIR:-/tmp}/qv-keyboard.XXXXXX")
cp "$1" "$dir/"
shots=${2:-}
[ -n "$shots" ] && mkdir -p "$shots"
shot() { [ -z "$shots" ] || import -window root "$shots/$1.png" 2>/dev/null; }
user=$(printf '%s' "${USER:-root}" | tr '[:lower:]' '[:upper:]')
cd "$dir"
wine ./Quorvex.exe >/dev/null 2>&1 &

status=0
# The wizard opens on its first page with the focus on "Automatic configuration", which is chosen.
sleep 12
shot wizard
# To "Next" and press it; on the automatic page from "Type 3" up to "Type 2" (800 x 600) and Enter
# for the page's "Next"; on the last page Enter for "Finish".
keys Tab Return
sleep 2
shot wizard-automatic
keys Up Return
sleep 2
shot wizard-finish
keys Return
screen_becomes 800x600 || status=1
grep -q '^X=800' "Users/$user" || { echo "run_keyboard: the wizard wrote no 800 x 600" >&2; status=1; }

# The Control Center opens with the focus on the slider: Home takes it to the smallest size, Enter
# presses "Apply settings", and Enter in the question that follows keeps the new mode.
sleep 4
geometry=$(xdotool search --name "Wine desktop" getwindowgeometry 2>/dev/null | sed -n 's/ *Geometry: //p' | head -1)
desktop=$(xdotool search --name "Wine desktop" | head -1)
xdotool mousemove --window "$desktop" $((${geometry%x*} - 12)) $((${geometry#*x} - 14)) click --repeat 2 --delay 100 1
sleep 5
shot control-center
keys Home Return
sleep 3
shot question
keys Return
screen_becomes 640x480 || status=1
# Unanswered, the question would give the old mode back after 15 seconds.
sleep 17
screen_becomes 640x480 || status=1
grep -q '^X=640' "Users/$user" || { echo "run_keyboard: the profile does not keep 640 x 480" >&2; status=1; }
exit $status
