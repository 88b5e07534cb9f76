#!/usr/bin/env bash
# Runs the archive fuzzer (native build) for a while over a generated seed corpus and the committed
# one, and reports executions and findings (bench/refresh_fuzz_corpus.sh turns what it grew into the
# committed corpus). Not part of CI. One process (the machine is shared); it stops after
# SECONDS or RUNS executions, whichever comes first.
# Usage: bench/fuzz_archive.sh [SECONDS] [RUNS] (defaults 600 and unbounded).
set -euo pipefail
. "$(dirname "$0")/common.sh"
need cmake:cmake ninja:ninja-build clang++:clang python3:python3
seconds=${1:-600}
runs=${2:--1}
cd "$ROOT"
cmake --preset native >/dev/null
cmake --build "$ROOT/build/native" --target archive_fuzz >/dev/null
work="$ROOT/build/fuzz"
mkdir -p "$work/corpus" "$work/findings"
python3 "$ROOT/bench/make_fuzz_seeds.py" "$work/seeds"
log="$work/run.log"
# The committed corpus is a seed too; the dictionary holds the ZIP signatures and field values.
"$ROOT/build/native/tests/archive/archive_fuzz" "$work/corpus" "$work/seeds" "$ROOT/tests/archive/corpus" \
    -dict="$ROOT/tests/archive/archive.dict" \
    -max_total_time="$seconds" -runs="$runs" -max_len=4096 -rss_limit_mb=2048 -timeout=20 \
    -artifact_prefix="$work/findings/" -print_final_stats=1 >"$log" 2>&1 || true
grep -E "stat::number_of_executed_units|stat::peak_rss_mb|Done " "$log" || tail -20 "$log"
echo "findings: $(find "$work/findings" -type f | wc -l) (in $work/findings)"
