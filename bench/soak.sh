#!/usr/bin/env bash
# Soak run of the real Quorvex.exe under Wine, driven from outside (soak_driver.cpp): 500 Control
# Center open/close cycles, 200 About cycles, 300 notification popups (at most three on screen at
# once), 50 display-mode changes, 20 "TaskbarCreated" broadcasts and 100 tray-menu opens that each
# show the balloon ("What is this program for?"), sampling windows, GDI/USER
# objects and memory after every cycle. Reports the growth after the first 20 cycles and plots it.
#
# Usage: bench/soak.sh [--quick] [--exe PATH] [--label NAME]
#   --quick       a tenth of the counts, for a try
#   --exe PATH    another Quorvex.exe (an older build, for a before/after comparison)
#   --label NAME  names the results: build/screenshots/soak/NAME.png and build/bench-soak/NAME.csv
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
. "$here/../scripts/lib.sh"
need wine:wine Xvfb:xvfb gnuplot:gnuplot-nox python3:python3 i686-w64-mingw32-g++-win32:g++-mingw-w64-i686-win32

scale=100 exe= label=after
while [ $# -gt 0 ]; do
    case "$1" in
    --quick) scale=10 ;;
    --exe) exe=$2; shift ;;
    --label) label=$2; shift ;;
    *) echo "usage: bench/soak.sh [--quick] [--exe PATH] [--label NAME]" >&2; exit 2 ;;
    esac
    shift
done
if [ -z "$exe" ]; then
    cd "$ROOT"
    setup_needed && "$ROOT/scripts/setup"
    configure_trees
    cmake --build "$BUILD/win" --target Quorvex readme >/dev/null
    exe="$BUILD/dist/Quorvex.exe"
fi
[ -f "$exe" ] || { echo "soak: no $exe" >&2; exit 1; }

out="$BUILD/bench-soak"
plots="$BUILD/screenshots/soak"
mkdir -p "$out" "$plots"
work=$(mktemp -d)
trap 'stop_wine; stop_xvfb; rm -rf "$work"' EXIT
i686-w64-mingw32-g++-win32 -O2 -std=c++17 -static -o "$work/soak_driver.exe" "$here/soak_driver.cpp" -lpsapi

lock_prefix
start_xvfb
start_wine
quorvex_program_dir "$work/p" "$exe"

csv="$out/$label.csv"
start=$(date +%s)
echo "soak: driving $exe (scale $scale %) ..." >&2
wine "$work/soak_driver.exe" "Z:${work//\//\\}\\p" "$scale" "Z:${work//\//\\}\\soak.csv" </dev/null >/dev/null
cp "$work/soak.csv" "$csv"
echo "soak: $(( $(wc -l < "$csv") )) samples in $(( $(date +%s) - start )) s: $csv" >&2

python3 - "$csv" "$label" <<'PY'
import csv, sys
rows = [r for r in csv.reader(open(sys.argv[1]))]
# sample,phase,cycle,windows,gdi,user,private_kib,rss_kib,rss_anon_kib
base = next(r for r in rows if r[1] == "control-center" and int(r[2]) >= 20)
last = rows[-1]
peak = lambda i: max(int(r[i]) for r in rows if rows.index(r) >= rows.index(base))
def show(name, i, unit=""):
    print("  %-28s after 20 cycles %8s%s   at the end %8s%s   growth %+d%s   peak %s%s" % (
        name, base[i], unit, last[i], unit, int(last[i]) - int(base[i]), unit, peak(i), unit))
print("%s: %d samples" % (sys.argv[2], len(rows)))
show("windows", 3)
show("GDI objects", 4)
show("USER objects", 5)
show("private bytes (Windows)", 6, " KiB")
show("resident (Linux)", 7, " KiB")
show("anonymous resident (Linux)", 8, " KiB")
# Within each phase, from its 20th cycle (its first uses behind it) to its last.
for phase in ("control-center", "about", "popup", "display-mode", "taskbar", "menu-balloon"):
    ph = [r for r in rows if r[1] == phase]
    if ph:
        first = ph[min(19, len(ph) - 1)]
        print("  %-14s %4d cycles, from cycle %s: windows %s -> %s, resident %s -> %s KiB, anon. resident %s -> %s KiB" % (
            phase, len(ph), first[2], first[3], ph[-1][3], first[7], ph[-1][7], first[8], ph[-1][8]))
PY

gnuplot <<EOF
set terminal png size 1100,700
set output "$plots/$label.png"
set datafile separator ","
set title "Quorvex soak ($label): windows and memory per sample"
set xlabel "sample (500 Control Centers, 200 About, 300 popups, 50 mode changes, 20 taskbars, 100 menus and balloons)"
set ylabel "KiB"
set y2label "windows / objects"
set y2tics
set ytics nomirror
set key top left
plot "$csv" using 1:8 with lines title "resident (Linux)", \
     "$csv" using 1:9 with lines title "anonymous resident (Linux)", \
     "$csv" using 1:7 with lines title "private bytes (Windows)", \
     "$csv" using 1:4 axes x1y2 with lines title "windows", \
     "$csv" using 1:5 axes x1y2 with lines title "GDI objects", \
     "$csv" using 1:6 axes x1y2 with lines title "USER objects"
EOF
echo "plot: $plots/$label.png"
