#!/usr/bin/env bash
# Extraction benchmark: a release-like archive (about 150 MB in 1,500 files), one 100 MiB Deflate
# entry and a 100 MiB stored archive, extracted by zatool (with and without FlushBuffers) beside
# unzip, bsdtar, 7z, the minimal reference extractor, and zatool.exe under Wine.
# Medians of hyperfine runs; the old output is moved aside before each run (fresh inodes) and
# deleted after each command's runs. Usage: bench/extract_bench.sh [RUNS] (default 7)
set -euo pipefail
. "$(dirname "$0")/common.sh"
need hyperfine:hyperfine zip:zip unzip:unzip bsdtar:libarchive-tools 7z:p7zip-full python3:python3
[ "${WINE:-1}" = 0 ] || need wine:wine i686-w64-mingw32-g++-win32:g++-mingw-w64-i686-win32 Xvfb:xvfb
runs=${1:-7}
archives=${ARCHIVES:-release.zip deflate100.zip stored100.zip}
build_bench
cmake --preset windows >/dev/null
cmake --build "$ROOT/build/win" --target zatool >/dev/null
mkdir -p "$WORK"
cd "$WORK"

if [ ! -f release.zip ]; then
    rm -rf release-src && python3 "$ROOT/bench/make_release_tree.py" release-src
    (cd release-src && zip -q -r -X ../release.zip .) && rm -rf release-src
fi
[ -f deflate100.zip ] || "$BENCH_BUILD/decode_bench" make deflate100.zip 100
if [ ! -f stored100.zip ]; then
    mkdir -p stored-src && for i in 0 1 2 3 4 5 6 7 8 9; do head -c 10485760 /dev/urandom > stored-src/part$i.bin; done
    (cd stored-src && zip -q -r -0 -X ../stored100.zip .) && rm -rf stored-src
fi

# Wine, warm, for zatool.exe; the prefix is shared with scripts/test, so take its lock.
# WINE=0 leaves Wine out.
wine_commands=()
if [ "${WINE:-1}" != 0 ]; then
    . "$ROOT/scripts/lib.sh"
    lock_prefix
    start_xvfb >/dev/null
    start_wine
    cp "$ROOT/build/win/tests/archive/zatool.exe" "$WORK/zatool.exe"
fi

zatool="$BENCH_BUILD/tests/archive/zatool"
if [ "${WINE:-1}" != 0 ]; then
    wine_commands=(-n "zatool.exe (Wine)" "wine $WORK/zatool.exe x Z:$WORK/ARCHIVE Z:$WORK/out"
                   -n "zatool.exe --no-flush (Wine)" "wine $WORK/zatool.exe x --no-flush Z:$WORK/ARCHIVE Z:$WORK/out")
fi
prepare='mkdir -p trash && if [ -d out ]; then mv out trash/$(date +%s%N); fi && mkdir out && sync'
# DROP=1: also drop the page cache before each run (the archive is then read cold).
[ "${DROP:-0}" = 1 ] && prepare="$prepare && echo 3 > /proc/sys/vm/drop_caches"
for archive in $archives; do
    commands=("${wine_commands[@]/ARCHIVE/$archive}")
    echo "== $archive ($(du -m "$archive" | cut -f1) MB)"
    hyperfine -N --runs "$runs" --prepare "sh -c '$prepare'" --cleanup "rm -rf trash" \
        --export-json "result-${archive%.zip}.json" \
        -n "zatool" "$zatool x $WORK/$archive $WORK/out" \
        -n "zatool --no-flush" "$zatool x --no-flush $WORK/$archive $WORK/out" \
        -n "reference" "$BENCH_BUILD/ref_extract $WORK/$archive $WORK/out" \
        -n "unzip -o" "unzip -q -o $WORK/$archive -d $WORK/out" \
        -n "bsdtar -xf" "bsdtar -xf $WORK/$archive -C $WORK/out" \
        -n "7z x" "7z x -y -bd -bso0 -o$WORK/out $WORK/$archive" \
        "${commands[@]}" >/dev/null
    python3 - "result-${archive%.zip}.json" "$archive" <<'PY'
import json, os, statistics, sys, zipfile
res = json.load(open(sys.argv[1]))["results"]
size = sum(i.file_size for i in zipfile.ZipFile(sys.argv[2]).infolist()) / 1048576
med = {r["command"]: statistics.median(r["times"]) for r in res}
for name, t in med.items():
    print("  %-30s %7.3f s  %7.1f MiB/s  %5.2f x zatool --no-flush" % (name, t, size / t, t / med["zatool --no-flush"]))
PY
done
echo "== peak memory, zatool on the 100 MiB entry"
rm -rf out && mkdir out
/usr/bin/time -f "  max resident: %M KiB" "$zatool" x --no-flush "$WORK/deflate100.zip" "$WORK/out" 2>&1 | tail -1
rm -rf out trash
if [ "${WINE:-1}" != 0 ]; then stop_wine; stop_xvfb; fi
