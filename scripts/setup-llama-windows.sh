#!/usr/bin/env bash
# Cross-builds llama.cpp as DLLs (llama.dll and the ggml DLLs it needs) with
# mingw-w64, from the same source as scripts/setup-llama.sh, once per pin. The Windows
# build puts them beside quillvarden.exe, which loads them when a model is found.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

dest=$QV_LLAMA_DIR/windows
[ -f "$dest/.complete" ] && exit 0
[ -d "$QV_LLAMA_DIR/src" ] || "$here/setup-llama.sh"

echo "setup: cross-building llama.cpp for Windows (once; a few minutes)"
rm -rf "$dest"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# The DLLs carry their C and C++ runtimes, so they need nothing beside them but each other.
# This mingw-w64 lacks the Windows 8 thread power-throttling declarations that ggml
# uses when built for Windows 8 or later; built for Windows 7 it does without them.
cmake -S "$QV_LLAMA_DIR/src" -B "$dest/build" -G Ninja "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/toolchain-mingw64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DGGML_NATIVE=OFF -DGGML_OPENMP=OFF \
  -DLLAMA_BUILD_COMMON=OFF -DLLAMA_BUILD_TESTS=OFF -DLLAMA_BUILD_TOOLS=OFF -DLLAMA_BUILD_EXAMPLES=OFF \
  -DLLAMA_BUILD_SERVER=OFF -DLLAMA_BUILD_APP=OFF -DLLAMA_OPENSSL=OFF \
  -DCMAKE_C_FLAGS="-D_WIN32_WINNT=0x0601" -DCMAKE_CXX_FLAGS="-D_WIN32_WINNT=0x0601" \
  -DCMAKE_SHARED_LINKER_FLAGS="-static -static-libgcc -static-libstdc++ -Wl,--exclude-libs,ALL" \
  -DCMAKE_INSTALL_PREFIX="$dest/install" >/dev/null
cmake --build "$dest/build" -j "$QV_JOBS" >/dev/null
cmake --install "$dest/build" >/dev/null
touch "$dest/.complete"
