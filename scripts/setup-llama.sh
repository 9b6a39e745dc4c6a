#!/usr/bin/env bash
# Builds llama.cpp once, CPU only, as shared libraries, into the cache. Its source is
# the git bundle inside the npm package node-llama-cpp (pinned below); the build is
# redone only when the pin changes.
#   scripts/setup-llama.sh        prints nothing when the build is present
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

dest=$QV_LLAMA_DIR
[ -f "$dest/.complete" ] && exit 0

echo "setup: building llama.cpp from node-llama-cpp@$QV_LLAMA_PIN (once; a few minutes)"
rm -rf "$dest"
mkdir -p "$dest"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "node-llama-cpp@$QV_LLAMA_PIN" >/dev/null)
tar -xzf "$work"/node-llama-cpp-*.tgz -C "$work" package/llama/gitRelease.bundle
git clone -q "$work/package/llama/gitRelease.bundle" "$dest/src" 2>/dev/null

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$dest/src" -B "$dest/build" -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DGGML_NATIVE=OFF -DGGML_OPENMP=OFF \
  -DLLAMA_BUILD_COMMON=OFF -DLLAMA_BUILD_TESTS=OFF -DLLAMA_BUILD_TOOLS=OFF -DLLAMA_BUILD_EXAMPLES=OFF \
  -DLLAMA_BUILD_SERVER=OFF -DLLAMA_BUILD_APP=OFF -DLLAMA_OPENSSL=OFF \
  -DCMAKE_INSTALL_PREFIX="$dest/install" -DCMAKE_INSTALL_LIBDIR=lib \
  -DCMAKE_INSTALL_RPATH='$ORIGIN' -DCMAKE_BUILD_WITH_INSTALL_RPATH=ON >/dev/null
cmake --build "$dest/build" -j "$QV_JOBS" >/dev/null
cmake --install "$dest/build" >/dev/null
touch "$dest/.complete"
