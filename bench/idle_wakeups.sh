#!/usr/bin/env bash
# How often a Quorvex that sits in the tray wakes up: the voluntary context switches of its Wine
# process (every thread; a wake-up from a wait, and every wineserver request, counts), from /proc,
# for this checkout's Quorvex and for the one of a base revision (default: where this branch left
# main), side by side in two private sessions (tests/updater/netns_run.sh: own Xvfb, wineserver and
# loopback network). Two windows: from the splash's end (20 s) to 90 s after the start, which holds
# the update watch's first look (at 60 s), and then MINUTES minutes (default 10) of sitting in the
# tray. The profile says the last update check was just now, so no check is due: what shows is the
# cost of looking alone.
# Usage: bench/idle_wakeups.sh [--minutes N] [--base REV]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# The probe runs inside netns_run.sh, whose copy of the prefix is the one to use.
session_prefix=${WINEPREFIX:-}
. "$here/common.sh"
. "$here/../scripts/lib.sh"
need wine:wine Xvfb:xvfb git:git cmake:cmake ninja:ninja-build
minutes=10
base=
while [ $# -gt 0 ]; do
    case $1 in
    --minutes) minutes=$2; shift 2 ;;
    --base) base=$2; shift 2 ;;
    --probe) shift; break ;;
    *) echo "usage: $0 [--minutes N] [--base REV]" >&2; exit 2 ;;
    esac
done

if [ "${1:-}" ]; then
    # The probe, inside a private session: PROGRAM MINUTES REPORT.
    export WINEPREFIX=$session_prefix
    exe=$1 minutes=$2 report=$3
    work=$(mktemp -d)
    quorvex_program_dir "$work/p" "$exe"
    user=$(ls "$work/p/Users")
    printf '[Updates]\r\nLastCheck=%s\r\n' "$(date -u +%Y-%m-%dT%H:%M:%SZ)" >> "$work/p/Users/$user"
    (cd "$work/p" && wine "$work/p/Quorvex.exe" >/dev/null 2>&1 &)
    sleep 20  # start-up and the splash's 3.5 s
    pid=
    for p in /proc/[0-9]*; do
        tr '\0' ' ' < "$p/cmdline" 2>/dev/null | grep -q "$work/p/Quorvex.exe" && pid=${p#/proc/}
    done
    [ -n "$pid" ] || { echo "idle_wakeups: Quorvex did not start" >&2; exit 1; }
    switches() { cat /proc/"$pid"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'; }
    threads() { ls /proc/"$pid"/task | wc -l; }
    start=$(switches)
    sleep 70
    looked=$(switches)
    sleep $((minutes * 60))
    idle=$(switches)
    echo "$((looked - start)) $((idle - looked)) $(threads)" > "$report"
    wine cmd /c taskkill /f /im Quorvex.exe >/dev/null 2>&1 || true
    exit 0
fi

cd "$ROOT"
setup_needed && "$ROOT/scripts/setup"
[ -n "$base" ] || base=$(git merge-base HEAD main)
out="$BUILD/bench-idle"
rm -rf "$out/base-src"
mkdir -p "$out/base-src"
git archive "$base" | tar -x -C "$out/base-src"
cmake -S "$out/base-src" -B "$out/base" -G Ninja --toolchain "$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DQV_BUILD_TESTS=OFF -DQV_DEPS_DIR="$ROOT/.deps" -DQV_DIST_DIR="$out/base-dist" >/dev/null
cmake --build "$out/base" --target Quorvex >/dev/null
configure_trees
cmake --build "$BUILD/win" --target Quorvex >/dev/null

mkdir -p "$out/served"
rm -f "$out"/report-*
echo "idle_wakeups: ${minutes} minutes each, side by side ($(git rev-parse --short "$base") and this checkout)" >&2
QV_NETNS_TIMEOUT=$((minutes * 60 + 400)) "$ROOT/tests/updater/netns_run.sh" "$out/served" \
    "$0" --probe "$out/base-dist/Quorvex.exe" "$minutes" "$out/report-base" &
QV_NETNS_TIMEOUT=$((minutes * 60 + 400)) "$ROOT/tests/updater/netns_run.sh" "$out/served" \
    "$0" --probe "$BUILD/dist/Quorvex.exe" "$minutes" "$out/report-this" &
wait
printf '              20-90 s (first look)   next %s min in the tray   per minute   threads\n' "$minutes"
for run in base this; do
    read -r first count threads < "$out/report-$run"
    printf '  %-10s %22d   %23d   %10.1f   %7d\n' "$run" "$first" "$count" "$(echo "$count / $minutes" | bc -l)" \
        "$threads"
done
