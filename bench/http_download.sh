#!/usr/bin/env bash
# Throughput of the HTTP downloader on a 50 MiB body from the loopback test server, in a private
# network namespace: httpdownload.exe under Wine with its progress bar moving (and with the
# progress hand-off alone), beside curl (native) and a bare WinInet loop of 1025-byte reads under
# Wine. Medians of ROUNDS runs each (default 5), MiB/s and ratios to the bare loop.
# Usage: bench/http_download.sh [ROUNDS]      (root; builds the Windows tree first)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
. "$here/../scripts/lib.sh"
need curl:curl python3:python3 unshare:util-linux ip:iproute2 wine:wine Xvfb:xvfb \
    i686-w64-mingw32-g++-win32:g++-mingw-w64-i686-win32

if [ "${1:-}" != --inner ]; then
    rounds=${1:-5}
    cd "$ROOT"
    configure_trees
    cmake --build "$BUILD/win" --target httpdownload >/dev/null
    out="$BUILD/bench-http"
    mkdir -p "$out/served"
    i686-w64-mingw32-g++-win32 -O2 -std=c++17 -static -static-libgcc -static-libstdc++ \
        "$here/wininet_loop.cpp" -lwininet -o "$out/wininet_loop.exe"
    [ -f "$out/served/big.bin" ] || head -c $((50 * 1048576)) /dev/urandom > "$out/served/big.bin"
    QV_NETNS_TIMEOUT=3000 exec "$ROOT/tests/updater/netns_run.sh" "$out/served" \
        "$0" --inner "$rounds" "$BUILD/win/tests/updater/httpdownload.exe" "$out/wininet_loop.exe" "$out/served/big.bin"
fi

# Inside the namespace: /tmp is a private tmpfs, so every copy lands in memory.
rounds=$2 tool=$3 loop=$4 reference=$5
url=http://updates.quorvex.test/file/big.bin
cd /tmp
rate() { sed -n 's/^rate: \([0-9.]*\) MiB\/s$/\1/p'; }
check() { cmp -s "$1" "$reference" || { echo "bench: $1 differs from the served file" >&2; exit 1; }; rm -f "$1"; }
: > curl.txt; : > loop.txt; : > bar.txt; : > nobar.txt
for round in $(seq 1 "$rounds"); do
    curl -s -o curl.bin -w '%{speed_download}\n' "$url" | awk '{printf "%.2f\n", $1 / 1048576}' >> curl.txt
    check curl.bin
    wine "$loop" "$url" 'Z:\tmp\loop.bin' | tr -d '\r' | rate >> loop.txt
    check loop.bin
    wine "$tool" "$url" 'Z:\tmp\bar.bin' | tr -d '\r' | rate >> bar.txt
    check bar.bin
    wine "$tool" "$url" 'Z:\tmp\nobar.bin' --no-bar | tr -d '\r' | rate >> nobar.txt
    check nobar.bin
    echo "round $round: curl $(tail -1 curl.txt), bare loop $(tail -1 loop.txt), hand-off $(tail -1 nobar.txt), with bar $(tail -1 bar.txt) MiB/s" >&2
done
python3 - "$rounds" <<'PY'
import statistics, sys
names = [("curl (native)", "curl.txt"), ("bare WinInet loop, 1025-byte reads", "loop.txt"),
         ("httpdownload, progress hand-off only", "nobar.txt"), ("httpdownload, progress bar", "bar.txt")]
runs = {f: [float(x) for x in open(f).read().split()] for _, f in names}
print(f"50 MiB over loopback, medians of {sys.argv[1]} runs; ratio: median of the per-round ratios")
for name, f in names:
    ratio = statistics.median(a / b for a, b in zip(runs[f], runs["loop.txt"]))
    print(f"{name:40s} {statistics.median(runs[f]):8.2f} MiB/s   {ratio:5.2f} x bare loop")
PY
