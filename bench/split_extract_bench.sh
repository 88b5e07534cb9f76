#!/usr/bin/env bash
# Extraction speed of a split archive against the joined one: the release-like tree (about
# 150 MB in 1,500 files) zipped once whole and once with zip -s into 8 MB volumes
# (release.z01, ...), both extracted by zatool (native, optimised). Medians of hyperfine runs;
# old output is moved aside before each run. Usage: bench/split_extract_bench.sh [RUNS] (default 7)
set -euo pipefail
. "$(dirname "$0")/common.sh"
runs=${1:-7}
for tool in zip hyperfine python3; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install $tool)"; exit 1; }
done
build_bench
mkdir -p "$WORK/split"
cd "$WORK"
if [ ! -f joined.zip ] || [ ! -f split/release.zip ]; then
    rm -rf split-src joined.zip split/* && python3 "$ROOT/bench/make_release_tree.py" split-src
    (cd split-src && zip -q -r -X ../joined.zip . && zip -q -r -X -s 8m ../split/release.zip .)
    rm -rf split-src
fi
echo "split into $(ls split | wc -l) volumes"
zatool="$BENCH_BUILD/tests/archive/zatool"
prepare='mkdir -p trash && if [ -d out ]; then mv out trash/$(date +%s%N); fi && mkdir out && sync'
hyperfine -N --warmup 1 --runs "$runs" --prepare "sh -c '$prepare'" --cleanup "rm -rf trash" --export-json result-split.json \
    -n "joined" "$zatool x --no-flush $WORK/joined.zip $WORK/out" \
    -n "split" "$zatool x --no-flush $WORK/split/release.zip $WORK/out" >/dev/null
python3 - result-split.json joined.zip <<'PY'
import json, statistics, sys, zipfile
res = json.load(open(sys.argv[1]))["results"]
size = sum(i.file_size for i in zipfile.ZipFile(sys.argv[2]).infolist()) / 1048576
med = {r["command"]: statistics.median(r["times"]) for r in res}
for name, t in med.items():
    print("  %-8s %7.3f s  %7.1f MiB/s  %5.2f x joined" % (name, t, size / t, t / med["joined"]))
PY
# The two trees must be the same.
rm -rf out a b && mkdir a b
"$zatool" x --no-flush "$WORK/joined.zip" "$WORK/a" >/dev/null
"$zatool" x --no-flush "$WORK/split/release.zip" "$WORK/b" >/dev/null
diff -r a b >/dev/null && echo "  split and joined extract to the same tree" || echo "  TREES DIFFER"
rm -rf a b trash
