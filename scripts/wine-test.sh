#!/usr/bin/env bash
# Runs the Windows build's tests under Wine in a throw-away prefix: the cross-built
# unit tests, then the end-to-end suite against quillvarden.exe.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

export WINEDEBUG=-all
WINEPREFIX=$(mktemp -d /tmp/qv-wine-XXXXXX)
export WINEPREFIX
cleanup() { wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"; }
trap cleanup EXIT
wineboot -i >/dev/null 2>&1

ctest --test-dir "$QV_BUILD_WINDOWS" --output-on-failure
QV_E2E_APP="$QV_BUILD_WINDOWS/app/quillvarden.exe" "$QV_BUILD_LINUX/tests/quillvarden_e2e"
