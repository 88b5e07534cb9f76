#!/usr/bin/env bash
# Quorvex's memory in the tray beside the smallest tray program made with the same toolchain
# (tray_minimal.cpp: a hidden window, an icon, a one-item menu), both in one Wine session: resident
# (VmRSS) and private (Private_Clean + Private_Dirty of smaps_rollup) of their Linux processes once
# Quorvex's splash has gone, the median of five samples a second apart; and the size of Quorvex.exe.
# Anonymous memory (RssAnon) is shown too: it leaves out file pages that only one process happens
# to map (a program's own image), so it is the nearer kin of Windows' private bytes.
# Usage: bench/footprint.sh [--exe PATH]   (default: the build's own Quorvex.exe)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
. "$here/../scripts/lib.sh"
need wine:wine Xvfb:xvfb python3:python3 i686-w64-mingw32-g++-win32:g++-mingw-w64-i686-win32

exe=
[ "${1:-}" = --exe ] && exe=$2
if [ -z "$exe" ]; then
    cd "$ROOT"
    setup_needed && "$ROOT/scripts/setup"
    configure_trees
    cmake --build "$BUILD/win" --target Quorvex >/dev/null
    exe="$BUILD/dist/Quorvex.exe"
fi
work=$(mktemp -d)
trap 'stop_wine; stop_xvfb; rm -rf "$work"' EXIT
i686-w64-mingw32-g++-win32 -O2 -std=c++17 -static -static-libgcc -static-libstdc++ -s -mwindows \
    -o "$work/TrayMinimal.exe" "$here/tray_minimal.cpp"

lock_prefix
start_xvfb
start_wine
quorvex_program_dir "$work/p" "$exe"
(cd "$work/p" && wine "$work/p/Quorvex.exe" >/dev/null 2>&1 &)
(cd "$work" && wine "$work/TrayMinimal.exe" >/dev/null 2>&1 &)
# Start-up, the splash's 3.5 s, and a moment for the memory to settle.
sleep "${QV_SETTLE:-15}"

tag=$(basename "$work")
pid_of() {  # the Linux process whose command line names this run's copy of the program
    local p
    for p in /proc/[0-9]*; do
        tr '\0' ' ' < "$p/cmdline" 2>/dev/null | grep -q "$tag.*$1" && { echo "${p#/proc/}"; return; }
    done
}
quorvex=$(pid_of Quorvex.exe)
minimal=$(pid_of TrayMinimal.exe)
[ -n "$quorvex" ] && [ -n "$minimal" ] || { echo "footprint: a program did not start" >&2; exit 1; }
sample() {
    echo "$(awk '/^VmRSS/ {print $2}' /proc/"$1"/status) $(awk '/^Private_/ {s += $2} END {print s}' /proc/"$1"/smaps_rollup)" \
        "$(awk '/^RssAnon/ {print $2}' /proc/"$1"/status)"
}
for _ in 1 2 3 4 5; do
    echo "$(sample "$quorvex") $(sample "$minimal")" >> "$work/samples"
    sleep 1
done
python3 - "$work/samples" "$(stat -c %s "$exe")" <<'PY'
import statistics, sys
rows = [list(map(int, l.split())) for l in open(sys.argv[1])]
q_rss, q_priv, q_anon, m_rss, m_priv, m_anon = (statistics.median(r[i] for r in rows) for i in range(6))
print("                    resident KiB   private KiB   anonymous KiB")
print("  tray minimal      %12d  %12d  %14d" % (m_rss, m_priv, m_anon))
print("  Quorvex           %12d  %12d  %14d" % (q_rss, q_priv, q_anon))
print("  ratio             %12.2f  %12.2f  %14.2f   (targets: 1.30 and 2.00)" % (q_rss / m_rss, q_priv / m_priv, q_anon / m_anon))
print("  Quorvex.exe: %d bytes (%.2f MB; target 1 MB)" % (int(sys.argv[2]), int(sys.argv[2]) / 1e6))
PY
wine cmd /c taskkill /f /im TrayMinimal.exe >/dev/null 2>&1 || true
