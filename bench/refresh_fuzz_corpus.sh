#!/usr/bin/env bash
# Rebuilds the committed fuzz corpus (tests/archive/corpus) from what bench/fuzz_archive.sh grew in
# build/fuzz/corpus: libFuzzer's merge keeps a small set of inputs that reaches every code edge the
# committed corpus, the seeds and the grown corpus reach (edges only, not hit counts: counting them
# would keep several hundred inputs), and each kept input is named after what it exercises. Inputs the fuzzer found failing (build/fuzz/findings) are not merged: fix the
# fault first, then copy the input into the corpus under a name saying what it pins.
# Usage: bench/refresh_fuzz_corpus.sh
set -euo pipefail
. "$(dirname "$0")/common.sh"
need cmake:cmake ninja:ninja-build clang++:clang python3:python3
cd "$ROOT"
cmake --preset native >/dev/null
cmake --build "$ROOT/build/native" --target archive_fuzz >/dev/null
work="$ROOT/build/fuzz"
corpus="$ROOT/tests/archive/corpus"
mkdir -p "$work/corpus" "$corpus"
python3 "$ROOT/bench/make_fuzz_seeds.py" "$work/seeds"
rm -rf "$work/merged" && mkdir -p "$work/merged"
"$ROOT/build/native/tests/archive/archive_fuzz" -merge=1 -use_counters=0 -max_len=4096 -rss_limit_mb=2048 -timeout=20 \
    "$work/merged" "$corpus" "$work/seeds" "$work/corpus" >"$work/merge.log" 2>&1
find "$corpus" -maxdepth 1 -type f -delete
python3 "$ROOT/bench/name_fuzz_corpus.py" "$corpus" "$work"/merged/*
echo "corpus: $(find "$corpus" -type f | wc -l) files, $(du -sb "$corpus" | cut -f1) bytes"
