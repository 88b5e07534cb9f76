#!/usr/bin/env bash
# What Fetchwell's update checks cost under Wine: the list's signature (RSA-3072, SHA-256) and the
# SHA-256 of a 1 MiB package, medians of ROUNDS rounds (default 20). A throw-away key pair signs a
# list as scripts/make-update does. Also prints the size of the built Fetchwell.exe.
# Usage: bench/update_check.sh [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/lib.sh"
rounds=${1:-20}
for tool in openssl i686-w64-mingw32-g++-win32 wine; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/setup installs it)" >&2; exit 1; }
done
setup_needed && "$ROOT/scripts/setup"
out="$BUILD/bench-update"
mkdir -p "$out"
cd "$out"
i686-w64-mingw32-g++-win32 -O2 -std=c++20 -DNTDDI_VERSION=0x05010300 -D_WIN32_WINNT=0x0501 -DWIN32_LEAN_AND_MEAN \
    -I"$ROOT/src" "$here/verify_bench.cpp" "$ROOT/src/updater/signature.cpp" "$ROOT/src/common/files.cpp" -static -ladvapi32 -o verify_bench.exe
openssl genrsa -out key.pem 3072 2>/dev/null
openssl rsa -in key.pem -pubout -outform MSBLOB -out key.blob 2>/dev/null
head -c 1048576 /dev/urandom > package.zip
printf '[quorvex]\r\nupdate=7\r\nwersja=Quorvex 2.1\r\nrelease=8 December 2026\r\nrozmiar=1.0 MB\r\nbytes=1048576\r\nsha256=%s\r\n' \
    "$(sha256sum package.zip | cut -c1-64)" > update.txt
openssl dgst -sha256 -sign key.pem -out update.txt.sig update.txt
lock_prefix
start_xvfb
trap 'stop_wine; stop_xvfb' EXIT
start_wine
wine ./verify_bench.exe key.blob update.txt update.txt.sig package.zip "$rounds" | tr -d '\r'
[ -f "$BUILD/dist/Fetchwell.exe" ] && echo "Fetchwell.exe: $(stat -c %s "$BUILD/dist/Fetchwell.exe") bytes"
rm -f key.pem
