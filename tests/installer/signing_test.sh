#!/usr/bin/env bash
# The release signing step (scripts/codesign) with a throw-away CA and code-signing certificate:
# the programs, the setup program, the uninstaller packed inside it (through the !uninstfinalize
# hook) and the MSI package verify against that CA; a program with one byte changed does not; an
# uninstaller packed without the hook carries no signature. Also checks that the setup program
# shows our own pictures.
#   signing_test.sh DIST ACTIONS_DLL WORKDIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=$1 actions=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
cd "$work"
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
verifies() { osslsigncode verify -CAfile ca.pem -in "$1" >"$1.verify" 2>&1; }

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Quorvex test CA" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/CN=Quorvex test signer" 2>/dev/null
printf 'extendedKeyUsage=codeSigning\nkeyUsage=critical,digitalSignature\nbasicConstraints=CA:FALSE\n' > signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile signer.ext \
    -out signer.pem 2>/dev/null
export QUORVEX_CODESIGN_CERT=$work/signer.pem QUORVEX_CODESIGN_KEY=$work/signer.key
unset QUORVEX_TIMESTAMP_URL

mkdir programs pictures
cp "$dist/Quorvex.exe" "$dist/Fetchwell.exe" "$dist/readme.txt" programs/
cp "$actions" actions.dll
"$root/scripts/codesign" programs/Quorvex.exe programs/Fetchwell.exe actions.dll
"$root/installer/art/make-setup-pictures.sh" pictures
nsi=(-V1 -DDIST="$work/programs" -DPICTURES="$work/pictures" "$root/installer/quorvex.nsi")
makensis -DSIGN="$root/scripts/codesign" -DOUTFILE="$work/Quorvex-2.0-setup.exe" "${nsi[@]}" >/dev/null
makensis -DOUTFILE="$work/unsigned-setup.exe" "${nsi[@]}" >/dev/null
python3 "$root/scripts/make-msi" Quorvex-2.0.msi --dist programs --actions actions.dll >/dev/null
"$root/scripts/codesign" Quorvex-2.0-setup.exe Quorvex-2.0.msi
7z x -osetup Quorvex-2.0-setup.exe uninstall.exe '$PLUGINSDIR/modern-wizard.bmp' '$PLUGINSDIR/modern-header.bmp' >/dev/null
7z x -ounsigned unsigned-setup.exe uninstall.exe >/dev/null

# Programs: SHA-1 first, for Windows XP and Vista, with a nested SHA-256 signature.
for file in programs/Quorvex.exe programs/Fetchwell.exe actions.dll Quorvex-2.0-setup.exe setup/uninstall.exe; do
    if ! verifies "$file"; then fail "$file does not verify"; continue; fi
    grep -q 'Number of verified signatures: 2' "$file.verify" || fail "$file: not two signatures"
    [ "$(grep -E -m2 '^Message digest algorithm +:' "$file.verify" | awk '{print $NF}' | tr '\n' ' ')" = "SHA1 SHA256 " ] ||
        fail "$file: not SHA-1 with a nested SHA-256 signature"
done
verifies Quorvex-2.0.msi || fail "the MSI package does not verify"
grep -Eq '^Message digest algorithm +: SHA256' Quorvex-2.0.msi.verify || fail "the MSI package is not signed with SHA-256"
cmp -s programs/Quorvex.exe <(7z x -so Quorvex-2.0-setup.exe Quorvex.exe 2>/dev/null) || fail "the setup program packs another Quorvex.exe"
msiextract -C msi Quorvex-2.0.msi >/dev/null && cmp -s programs/Fetchwell.exe "$(find msi -name Fetchwell.exe)" ||
    fail "the MSI package packs another Fetchwell.exe"

# What verification must refuse.
cp programs/Quorvex.exe changed.exe
offset=$(( $(stat -c %s changed.exe) / 3 ))
byte=$(od -An -tu1 -j "$offset" -N1 changed.exe | tr -d ' ')
printf "$(printf '\\%03o' $(( byte ^ 1 )))" | dd of=changed.exe bs=1 seek="$offset" conv=notrunc 2>/dev/null
verifies changed.exe && fail "a program with one byte changed still verifies"
verifies unsigned/uninstall.exe && fail "an uninstaller packed without the signing hook verifies"

cmp -s pictures/welcome.bmp 'setup/$PLUGINSDIR/modern-wizard.bmp' || fail "the welcome picture is not ours"
cmp -s pictures/header.bmp 'setup/$PLUGINSDIR/modern-header.bmp' || fail "the header picture is not ours"

[ $failures = 0 ] && echo "signing: all checks passed"
exit $(( failures > 0 ))
