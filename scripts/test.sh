#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test: natively, with
# sanitizers, and the Windows build under Wine (unit tests and end to end).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

step() { printf '\n== %s\n' "$*"; }

step setup
"$here/setup.sh" test

step "build: linux"
"$here/build.sh" linux
step "build: windows"
"$here/build.sh" windows
step "build: sanitize"
"$here/build.sh" sanitize --target quillvarden_tests
step "build: tsan"
"$here/build.sh" tsan --target quillvarden_tests

step "test: linux (unit and end to end)"
ctest --test-dir "$QV_BUILD_LINUX" --output-on-failure

step "test: sanitize (unit)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "$QV_BUILD_SANITIZE/tests/quillvarden_tests"

step "test: tsan (the code that threads share)"
# (llama.cpp is not built for the sanitizer, so the model narrator's overlap test
# counts decodes in flight instead, in every other run.)
TSAN_OPTIONS=halt_on_error=1 "$QV_BUILD_TSAN/tests/quillvarden_tests" \
  --gtest_filter='ChainEngine.*:SseHub.*:ThreatListTest.*:TrustListTest.*:DirectoryScanTest.*:NarratorSelection.*:RegistryMonitor.*:DirectoryMonitor.*:ProcessMonitor.*:ReblockGuards.*:ExecProtectionTest.*:AutostartAlertHandlerTest.*:ProtectionRoutesTest.*'

step "test: fuzz (parsers and matchers, briefly)"
"$here/fuzz.sh" "${QV_FUZZ_SECONDS:-30}"

step "test: windows under wine (unit and end to end)"
"$here/wine-test.sh"

step "test: desktop hosts (Xvfb, window manager, session bus; both targets)"
"$here/desktop-test.sh" both

step "test: web interface (Playwright driving Chromium, headless)"
"$here/web-test.sh"

step "all tests passed"
