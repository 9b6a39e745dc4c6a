#!/usr/bin/env bash
# Installs what is missing, builds the native program and runs it in the foreground
# (Ctrl+C stops it). The web interface is then at http://127.0.0.1:8910/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

"$here/setup.sh" run
"$here/build.sh" linux --no-tests --target quillvarden
cd "$QV_ROOT"
exec "$QV_BUILD_LINUX/app/quillvarden" "$@"
