#!/usr/bin/env bash
# Builds the native target and runs the benchmarks.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

"$here/build.sh" linux --target rule_matching_bench protection_bench
"$QV_BUILD_LINUX/bench/rule_matching_bench" "$@"
"$QV_BUILD_LINUX/bench/protection_bench"
