#!/usr/bin/env bash
# Quorvex start-up under Wine: time to the visible splash and to "2.0" (median of 10), working set
# once the splash has gone, and the wake-ups of the idle process over a minute.
# Usage: bench/quorvex-startup.sh   (after scripts/test or scripts/run has built build/dist)
set -euo pipefail
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/../scripts/lib.sh"
need wine:wine Xvfb:xvfb pgrep:procps i686-w64-mingw32-g++-win32:g++-mingw-w64-i686-win32
dist="$BUILD/dist"
[ -f "$dist/Quorvex.exe" ] || { echo "build first: scripts/run or scripts/test" >&2; exit 1; }
work=$(mktemp -d)
trap 'stop_wine; stop_xvfb; rm -rf "$work"' EXIT
i686-w64-mingw32-g++-win32 -O2 -static -o "$work/probe.exe" "$(dirname "$0")/quorvex_startup_probe.cpp" -lpsapi

lock_prefix
start_xvfb
start_wine
user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r' | tr 'a-z' 'A-Z')

new_program_dir() {
    rm -rf "$work/p"
    mkdir -p "$work/p/Users"
    cp "$dist/Quorvex.exe" "$dist/readme.txt" "$work/p/"
    # A profile with a stored mode equal to the natural one: no wizard, no visible switch.
    printf '[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=1024\r\nY=768\r\nDepth=32\r\n' > "$work/p/Users/$user"
}

echo "run splash_ms version_ms working_set_kb"
: > "$work/results"
for run in $(seq 1 10); do
    new_program_dir
    line=$(wine "$work/probe.exe" "Z:${work//\//\\}\\p" | tr -d '\r')
    echo "$run $line" | cut -d' ' -f1-4
    echo "$line" >> "$work/results"
done
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
echo "median splash visible: $(cut -d' ' -f1 "$work/results" | median) ms"
echo "median version shown:  $(cut -d' ' -f2 "$work/results" | median) ms"
echo "median working set:    $(cut -d' ' -f3 "$work/results" | median) KiB"

# Idle: leave one copy in the tray for a minute and count how often its threads were woken.
new_program_dir
wine "$work/probe.exe" "Z:${work//\//\\}\\p" keep >/dev/null
pid=$(pgrep -f 'Quorvex.exe' | head -n 1)
switches() { cat /proc/"$pid"/task/*/status | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'; }
rss() { awk '/^VmRSS/ {print $2}' /proc/"$pid"/status; }
before=$(switches)
sleep 60
after=$(switches)
echo "idle minute: $((after - before)) wake-ups of the Quorvex process (all threads); resident $(rss) KiB"
kill "$pid" 2>/dev/null || true
