# Shared settings of the build and test scripts (sourced, not run).
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Heavy, reusable artefacts (source packages, cross-built libraries) live outside the tree.
QV_CACHE=${QV_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillvarden}
QV_BUILD_LINUX=${QV_BUILD_LINUX:-$QV_ROOT/build/linux}
QV_BUILD_WINDOWS=${QV_BUILD_WINDOWS:-$QV_ROOT/build/windows}
QV_JOBS=${QV_JOBS:-$(nproc)}
export CCACHE_DIR=${CCACHE_DIR:-$QV_CACHE/ccache}
mkdir -p "$QV_CACHE"
QV_BUILD_SANITIZE=${QV_BUILD_SANITIZE:-$QV_ROOT/build/sanitize}
QV_BUILD_FUZZ=${QV_BUILD_FUZZ:-$QV_ROOT/build/fuzz}
QV_BUILD_TSAN=${QV_BUILD_TSAN:-$QV_ROOT/build/tsan}
# llama.cpp comes from the npm package node-llama-cpp; this pin names the build.
QV_LLAMA_PIN=$(cat "$QV_ROOT/cmake/llama-pin.txt")
QV_LLAMA_DIR=${QV_LLAMA_DIR:-$QV_CACHE/llama/node-llama-cpp-$QV_LLAMA_PIN}
