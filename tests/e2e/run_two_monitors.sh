#!/usr/bin/env bash
# Runs the two-monitor journeys inside netns_run.sh: an X server with the dummy video driver and two
# outputs switched on (1600 x 1200 and 1280 x 1024 to its right), the prefix copy without a virtual
# desktop, so Wine sees \\.\DISPLAY1 and \\.\DISPLAY2. The test program asks for `xrandr` through
# files: QV_XRANDR_ASK touched -> QV_XRANDR_FILE written; QV_XRANDR_OFF touched -> DUMMY1 off.
# Exits 77 (skipped) without Xorg's dummy driver (scripts/setup installs it), or when Wine sees only
# one display there (64-bit Wine 8 on Debian 12 did, though xrandr showed both outputs).
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
cat > "$work/xorg.conf" <<'CONF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 4096 2048
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
xrandr --output DUMMY0 --mode 1600x1200
xrandr --addmode DUMMY1 1280x1024
xrandr --output DUMMY1 --mode 1280x1024 --right-of DUMMY0

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
    echo "run_two_monitors: Wine sees fewer than two displays on this X server: skipped" >&2
    xrandr | grep ' connected' >&2
    status=77
else
    wine "./$(basename "$program")" --gtest_filter='TwoMonitorsTest.*'
    status=$?
fi
echo "xrandr at the end:"; xrandr | grep ' connected'
kill "$answerer" 2>/dev/null
stop_wine
kill "$xorg" 2>/dev/null
exit $status
