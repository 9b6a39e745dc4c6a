#!/usr/bin/env bash
# Makes the code-signing test fixtures: a small Windows program, unsigned; the same
# signed with a throw-away certificate by osslsigncode; a tampered copy of the signed
# one; and the throw-away root certificate (ca.pem) that the signer chains to.
#   scripts/make-signing-fixtures.sh OUTDIR
set -euo pipefail
out=${1:?usage: make-signing-fixtures.sh OUTDIR}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

cat > hello.c <<'C'
#include <stdio.h>
int main(void) { puts("Quillvarden signing fixture quillvarden-e2e-rule-marker"); return 0; }
C
x86_64-w64-mingw32-gcc -Os -s hello.c -o unsigned.exe

cat > leaf.ext <<'EXT'
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
EXT
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -keyout ca.key -out ca.pem \
  -subj "/CN=Quillvarden Throw-away Root" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -sha256 -keyout leaf.key -out leaf.csr \
  -subj "/O=Quillvarden Tests/CN=Quillvarden Test Signer" 2>/dev/null
openssl x509 -req -in leaf.csr -CA ca.pem -CAkey ca.key -CAcreateserial -sha256 -days 3650 \
  -extfile leaf.ext -out leaf.pem 2>/dev/null

osslsigncode sign -certs leaf.pem -key leaf.key -h sha256 -n "Quillvarden fixture" \
  -in unsigned.exe -out signed.exe >/dev/null

# One byte of the program changed after signing; the signature itself stays intact.
cp signed.exe tampered.exe
offset=$(( $(stat -c %s unsigned.exe) / 2 ))
byte=$(od -An -tu1 -j "$offset" -N1 signed.exe | tr -d ' ')
printf "$(printf '\\%03o' $(( (byte + 1) % 256 )))" | dd of=tampered.exe bs=1 seek="$offset" conv=notrunc status=none

cp unsigned.exe signed.exe tampered.exe ca.pem "$out/"
