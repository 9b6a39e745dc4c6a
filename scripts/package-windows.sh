#!/usr/bin/env bash
# Packs the Windows build for a user: quillvarden.exe, llama.cpp's DLLs (loaded only
# when a model file is found) and the web interface, in build/dist/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

"$here/setup.sh" test
"$here/setup-llama-windows.sh"
"$here/build.sh" windows --no-tests --target quillvarden
stage=$QV_ROOT/build/dist/quillvarden
rm -rf "$stage"
mkdir -p "$stage/models"
cp "$QV_BUILD_WINDOWS/app/quillvarden.exe" "$QV_BUILD_WINDOWS"/app/*.dll "$stage/"
cp -r "$QV_ROOT/web" "$stage/web"
(cd "$QV_ROOT/build/dist" && cmake -E tar cf quillvarden-windows-x64.zip --format=zip quillvarden)
echo "packed: $QV_ROOT/build/dist/quillvarden-windows-x64.zip"
