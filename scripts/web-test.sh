#!/usr/bin/env bash
# Runs the browser tests of the web interface: Playwright (from npm) driving Debian's
# Chromium, headless, against the native program. Screenshots go to build/artefacts/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

web_tests=$QV_ROOT/tests/web
# The npm cache lives with the other heavy artefacts; the packages beside the tests.
export npm_config_cache=$QV_CACHE/npm
if [ ! -d "$web_tests/node_modules/playwright-core" ]; then
  (cd "$web_tests" && npm install --no-audit --no-fund --loglevel=error)
fi
cd "$web_tests"
QV_APP="$QV_BUILD_LINUX/app/quillvarden" QV_ARTEFACTS="$QV_ROOT/build/artefacts" node --test ui.test.mjs
