#!/usr/bin/env bash
# Configures and builds one target: "linux" (native), "windows" (mingw-w64 cross build),
# "sanitize" (native, AddressSanitizer and UndefinedBehaviorSanitizer) or "tsan"
# (native, ThreadSanitizer).
#   scripts/build.sh linux|windows|sanitize|tsan [--no-tests] [cmake --build options...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

target=${1:?usage: build.sh linux|windows|sanitize|tsan [--no-tests]}
shift
tests=ON
if [ "${1:-}" = --no-tests ]; then tests=OFF; shift; fi

case "$target" in
  linux)    dir=$QV_BUILD_LINUX; extra=() ;;
  windows)  dir=$QV_BUILD_WINDOWS
            extra=(-DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/toolchain-mingw64.cmake")
            # The tiny test model comes from the native build, when it has one.
            [ -f "$QV_BUILD_LINUX/fixtures/tiny-qwen2.gguf" ] && extra+=(-DQV_HOST_FIXTURES_DIR="$QV_BUILD_LINUX/fixtures") ;;
  sanitize) dir=$QV_BUILD_SANITIZE; extra=(-DQV_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug) ;;
  tsan)     dir=$QV_BUILD_TSAN; extra=(-DQV_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  *) echo "unknown target $target" >&2; exit 2 ;;
esac

cmake -S "$QV_ROOT" -B "$dir" -G Ninja -DQV_BUILD_TESTS=$tests -DQV_LLAMA_DIR="$QV_LLAMA_DIR" "${extra[@]}" >/dev/null
cmake --build "$dir" -j "$QV_JOBS" "$@"
