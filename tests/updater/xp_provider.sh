#!/usr/bin/env bash
# Inside netns_run.sh (a throw-away overlay of the prefix): leaves the RSA-and-AES provider type as
# Windows XP SP3 registers it (only the "(Prototype)" name, which is also the type's default), then
# runs the signature tests from a temporary program directory.
#   xp_provider.sh PROGRAM
set -u
[ "${QV_IN_NETNS:-}" = 1 ] || { echo "xp_provider.sh: runs inside netns_run.sh only" >&2; exit 1; }
wine reg delete 'HKLM\Software\Microsoft\Cryptography\Defaults\Provider\Microsoft Enhanced RSA and AES Cryptographic Provider' /f \
    >/dev/null 2>&1 || { echo "xp_provider.sh: the provider key could not be removed" >&2; exit 1; }
wine reg add 'HKLM\Software\Microsoft\Cryptography\Defaults\Provider Types\Type 024' /v Name \
    /d 'Microsoft Enhanced RSA and AES Cryptographic Provider (Prototype)' /f >/dev/null 2>&1 || exit 1
dir=$(mktemp -d)
cp "$1" "$dir/"
cd "$dir" || exit 1
QV_EXPECT_PROVIDER='Microsoft Enhanced RSA and AES Cryptographic Provider (Prototype)' \
    wine "./$(basename "$1")" --gtest_filter='Signature.*'
