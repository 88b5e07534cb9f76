#!/usr/bin/env bash
# Runs the two-monitor journeys inside netns_run.sh: an X server with the dummy video driver and two
# outputs switched on (1600 x 1200 and 1280 x 1024 to its right), the prefix copy without a virtual
# desktop, so Wine sees \\.\DISPLAY1 and \\.\DISPLAY2. The test program asks for `xrandr` through
# files: QV_XRANDR_ASK touched -> QV_XRANDR_FILE written; QV_XRANDR_OFF touched -> DUMMY1 off.
# Exits 77 (skipped) only without Xorg's dummy driver (scripts/setup installs it) or when the X server
# does not come up with two monitors; a Wine that sees fewer than two there fails the test.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# netns_run.sh's copy of the prefix stays the one in use.
prefix=$WINEPREFIX
. "$here/../../scripts/lib.sh"
export WINEPREFIX=$prefix
program=$1
[ -x /usr/lib/xorg/Xorg ] && [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] && command -v xrandr >/dev/null || {
    echo "run_two_monitors: Xorg with the dummy driver and xrandr are needed: skipped" >&2
    exit 77
}
work=$(mktemp -d "${TMPDIR:-/tmp}/qv-two.XXXXXX")
# The dummy driver switches on only its first output by itself: the configuration gives the second
# one a monitor that is enabled, has a preferred mode and a place right of the first.
cat > "$work/xorg.conf" <<'CONF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
    Option "Monitor-DUMMY0" "Mon0"
    Option "Monitor-DUMMY1" "Mon1"
EndSection
Section "Monitor"
    Identifier "Mon0"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Option "PreferredMode" "1600x1200"
    Option "Primary" "true"
EndSection
Section "Monitor"
    Identifier "Mon1"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Option "PreferredMode" "1280x1024"
    Option "Enable" "true"
    Option "RightOf" "Mon0"
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "Mon0"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 3200 1200
    EndSubSection
EndSection
CONF
for n in $(seq 140 180); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    break
done
/usr/lib/xorg/Xorg ":$n" -config "$work/xorg.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" \
    >/dev/null 2>&1 9>&- &
xorg=$!
export DISPLAY=":$n"
for _ in $(seq 1 100); do xrandr >/dev/null 2>&1 && break; sleep 0.1; done
# Only an X server that could not be given two monitors is a reason to skip.
monitors=$(xrandr --listmonitors 2>/dev/null | sed -n 's/^Monitors: //p')
if [ "$monitors" != 2 ]; then
    echo "run_two_monitors: the X server shows ${monitors:-no} monitors, not 2: skipped" >&2
    xrandr >&2
    kill "$xorg" 2>/dev/null
    exit 77
fi

# Wine's windows go straight onto this X server: no virtual desktop.
stop_wine
wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
start_wine

export QV_TWO_MONITORS=1
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
export QV_XRANDR_ASK="$(windows_path "$work/ask")" QV_XRANDR_FILE="$(windows_path "$work/xrandr.txt")"
export QV_XRANDR_OFF="$(windows_path "$work/off")"
(
    while sleep 0.2; do
        if [ -e "$work/ask" ]; then rm -f "$work/ask"; xrandr > "$work/xrandr.tmp" 2>&1; mv "$work/xrandr.tmp" "$work/xrandr.txt"; fi
        if [ -e "$work/off" ]; then rm -f "$work/off"; xrandr --output DUMMY1 --off; fi
    done
) &
answerer=$!
cp "$program" "$work/"
cd "$work" || exit 1
if ! wine "./$(basename "$program")" --gtest_filter='TwoMonitorsProbe.*'; then
    # The X server has two monitors: a Wine that sees one is a fault here, not a reason to skip.
    echo "run_two_monitors: Wine sees fewer than two displays though the X server has two" >&2
    xrandr | grep ' connected' >&2
    status=1
else
    wine "./$(basename "$program")" --gtest_filter='TwoMonitorsTest.*'
    status=$?
fi
echo "xrandr at the end:"; xrandr | grep ' connected'
kill "$answerer" 2>/dev/null
stop_wine
kill "$xorg" 2>/dev/null
exit $status
