#!/usr/bin/env bash
# Runs the journeys program (inside netns_run.sh: own desktop, own wineserver, loopback server):
# once as the machine's user, then the second-user journey as another Windows user, and last the
# journey that ends the Windows session (the desktop takes no new programs after it).
#   run_journeys.sh PROGRAM [FILTER]    with FILTER: only the journeys it names
set -u
program=$1
dir=$(mktemp -d "${TMPDIR:-/tmp}/qv-journeys.XXXXXX")
cp "$program" "$dir/"
cd "$dir"
exe=$(basename "$program")
if [ -n "${2:-}" ]; then
    wine "./$exe" --gtest_filter="$2"
    exit
fi
status=0
wine "./$exe" --gtest_filter='-Journey.SecondUser*:Journey.TheSessionEnd*:Journey.NaturalMode*:Dpi.*:AutoUpdate.*:Proxy.*' || status=1
USER=alice LOGNAME=alice wine "./$exe" --gtest_filter='Journey.SecondUser*' || status=1

# The natural-mode steps pass the screen from one user's run to the next: a windowless Wine program
# keeps the virtual desktop (and the mode a killed Quorvex left on it) alive in between.
mkfifo "$dir/keep"
wine cmd.exe /c "set /p _=" <"$dir/keep" >/dev/null 2>&1 &
keeper=$!
exec 8>"$dir/keep"
wine "./$exe" --gtest_filter='Journey.NaturalMode1*' || status=1
USER=alice LOGNAME=alice wine "./$exe" --gtest_filter='Journey.NaturalMode2*' || status=1
wine "./$exe" --gtest_filter='Journey.NaturalMode3*' || status=1
exec 8>&-
for _ in $(seq 50); do kill -0 "$keeper" 2>/dev/null || break; sleep 0.1; done
kill "$keeper" 2>/dev/null
wait "$keeper" 2>/dev/null

wine "./$exe" --gtest_filter='Journey.TheSessionEnd*' || status=1
exit $status
