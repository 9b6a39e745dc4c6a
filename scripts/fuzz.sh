#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for a while from its seed corpus. Fails on a crash, a hang, a leak
# or a sanitizer report.
#   scripts/fuzz.sh [seconds per target, default 30]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

seconds=${1:-30}
targets=(parse_rules match_rules analyze_pe)

CC=clang CXX=clang++ cmake -S "$QV_ROOT" -B "$QV_BUILD_FUZZ" -G Ninja -DQV_FUZZ=ON -DQV_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$QV_BUILD_FUZZ" -j "$QV_JOBS" --target "${targets[@]/%/_fuzzer}"

for target in "${targets[@]}"; do
  corpus=$(mktemp -d)
  log=$(mktemp)
  cp "$QV_ROOT/tests/fuzz/corpus/$target/"* "$corpus/"
  echo "fuzz: $target for ${seconds}s"
  if ! UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
       "$QV_BUILD_FUZZ/tests/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=2048 -max_len=8192 -artifact_prefix="$corpus/" "$corpus" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $target failed; the input is in $corpus" >&2
    exit 1
  fi
  tail -n 1 "$log"
  rm -rf "$corpus" "$log"
done
