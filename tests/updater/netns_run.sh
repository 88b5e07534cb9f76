#!/usr/bin/env bash
# Runs a command in a private network namespace where the test HTTP server answers on
# 127.0.0.1:80 and the host name updates.quorvex.test means 127.0.0.1, with a private Xvfb and a
# fresh wineserver on a throw-away overlay of the checkout's Wine prefix. Nothing outside is
# reachable and nothing started here outlives the command.
#
#   netns_run.sh DIR COMMAND [ARGS...]    DIR: the files the server offers under /file/
#
# Needs root (unshare); exits 77 (skipped) when it cannot make the namespace.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib.sh"

if [ "${QV_IN_NETNS:-}" != 1 ]; then
    if ! unshare --net --mount true 2>/dev/null; then
        echo "netns_run: cannot make a network namespace (root and unshare needed): skipped" >&2
        exit 77
    fi
    # A new PID namespace: when the command ends, everything started inside ends with it.
    exec env QV_IN_NETNS=1 timeout -k 5 "${QV_NETNS_TIMEOUT:-600}" \
        unshare --net --mount --pid --fork --mount-proc bash "$0" "$@"
fi

# The server keeps the directory as its working directory: it stays reachable under the
# private /tmp mounted below.
served=$1
shift
ip link set lo up

origin=$PWD
cd "$served" || exit 1
python3 "$here/http_server.py" --root . --port 80 --lifetime "${QV_NETNS_TIMEOUT:-600}" &
cd "$origin" || exit 1
# Up before /tmp changes under it.
for _ in $(seq 1 200); do
    (exec 3<>/dev/tcp/127.0.0.1/80) 2>/dev/null && break
    sleep 0.05
done

# A private /tmp: Xvfb's and the wineserver's sockets in here are ours alone. A checkout or build
# folder that lives under /tmp is bound back into it at the same path, from the /tmp we leave (fd 8).
exec 8</tmp
mount -t tmpfs -o size=1g tmpfs /tmp
for kept in "$ROOT" "$BUILD"; do
    case "$kept" in
    /tmp/*)
        [ -d "/tmp/${kept#/tmp/}" ] && continue
        mkdir -p "$kept"
        mount --no-canonicalize --bind "/proc/self/fd/8/${kept#/tmp/}" "$kept" || exit 1
        ;;
    esac
done
exec 8<&-
printf '127.0.0.1 localhost updates.quorvex.test update.quorvex.example\n' > /tmp/hosts
mount --bind /tmp/hosts /etc/hosts

# The prefix as a copy-on-write overlay: a fresh wineserver of its own, the prefix itself unchanged.
mkdir -p /tmp/prefix-up /tmp/prefix-work /tmp/prefix
mount -t overlay overlay -o "lowerdir=$WINEPREFIX,upperdir=/tmp/prefix-up,workdir=/tmp/prefix-work" /tmp/prefix
export WINEPREFIX=/tmp/prefix
export TMPDIR=/tmp


unset DISPLAY XVFB_PID
start_xvfb || exit 1
start_wine
# QV_LOG_PIXELS=N: the prefix copy runs at N DPI. Wine reads LogPixels when its session starts.
if [ -n "${QV_LOG_PIXELS:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$QV_LOG_PIXELS" /f >/dev/null 2>&1
    start_wine
fi
# QV_HIGH_CONTRAST=1: the prefix copy has the "High Contrast Black" scheme's colours and the High
# Contrast setting on, as Windows keeps them in the user's registry; Wine reads the colours when its
# session starts.
if [ -n "${QV_HIGH_CONTRAST:-}" ]; then
    while read -r name rgb; do
        wine reg add 'HKCU\Control Panel\Colors' /v "$name" /d "$rgb" /f >/dev/null 2>&1
    done <<'COLORS'
ActiveBorder 255 255 0
ActiveTitle 128 0 128
AppWorkspace 0 0 0
Background 0 0 0
ButtonAlternateFace 0 0 0
ButtonDkShadow 255 255 255
ButtonFace 0 0 0
ButtonHilight 255 255 255
ButtonLight 255 255 255
ButtonShadow 128 128 128
ButtonText 255 255 255
GradientActiveTitle 128 0 128
GradientInactiveTitle 0 128 0
GrayText 0 255 0
Hilight 128 0 128
HilightText 255 255 255
HotTrackingColor 128 128 255
InactiveBorder 255 255 255
InactiveTitle 0 128 0
InactiveTitleText 255 255 255
InfoText 255 255 255
InfoWindow 0 0 0
Menu 0 0 0
MenuBar 0 0 0
MenuHilight 128 0 128
MenuText 255 255 255
Scrollbar 0 0 0
TitleText 255 255 255
Window 0 0 0
WindowFrame 255 255 255
WindowText 255 255 255
COLORS
    wine reg add 'HKCU\Control Panel\Accessibility\HighContrast' /v Flags /d 127 /f >/dev/null 2>&1
    start_wine
fi
# A program that crashes ends at once rather than waiting in the debugger's window.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1
"$@"
status=$?
stop_wine
exit $status
