#!/usr/bin/env bash
# Decoding throughput of a 100 MiB Deflate entry into memory beside plain zlib inflate, and the
# decoder's peak memory. Usage: bench/decode_bench.sh [ROUNDS]
set -euo pipefail
. "$(dirname "$0")/common.sh"
build_bench
mkdir -p "$WORK"
[ -f "$WORK/deflate100.zip" ] || "$BENCH_BUILD/decode_bench" make "$WORK/deflate100.zip" 100
"$BENCH_BUILD/decode_bench" run "$WORK/deflate100.zip" "${1:-7}"
