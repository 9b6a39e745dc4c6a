#!/usr/bin/env bash
# Runs the desktop tests (window, tray, notifications, the page's messages) of both
# builds on a virtual display with a window manager and a private session bus:
#   scripts/desktop-test.sh linux|windows|both   (default both)
# Screenshots are left in build/artefacts/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

which=${1:-both}
artefacts=$QV_ROOT/build/artefacts
mkdir -p "$artefacts"

display=:97
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
runtime=$(mktemp -d /tmp/qv-runtime-XXXXXX)
chmod 700 "$runtime"
cleanup() { kill "$xvfb" 2>/dev/null || true; rm -rf "$runtime"; }
trap cleanup EXIT
for _ in $(seq 1 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

inner() {
  # Inside the session bus: a window manager, then the suites.
  openbox >/dev/null 2>&1 &
  sleep 1
  local status=0
  if [ "$which" != windows ]; then
    QV_E2E_APP="$QV_BUILD_LINUX/app/quillvarden" "$QV_BUILD_LINUX/tests/quillvarden_e2e" \
      --gtest_filter='LinuxDesktop.*' || status=1
  fi
  if [ "$which" != linux ]; then
    WINEPREFIX=$(mktemp -d /tmp/qv-wine-XXXXXX)
    export WINEPREFIX WINEDEBUG=-all
    # The prefix is made without the display (no dialogs), and completely, first.
    env -u DISPLAY wineboot -i >/dev/null 2>&1
    wineserver -w
    QV_E2E_APP="$QV_BUILD_WINDOWS/app/quillvarden.exe" "$QV_BUILD_LINUX/tests/quillvarden_e2e" \
      --gtest_filter='WindowsDesktop*' || status=1
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  return $status
}
export -f inner
export which QV_BUILD_LINUX QV_BUILD_WINDOWS
export DISPLAY=$display XDG_RUNTIME_DIR=$runtime QV_DESKTOP_TESTS=1 QV_ARTEFACTS=$artefacts
# WebKit's sandbox needs user namespaces that containers often lack; the page is our own.
export WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1
dbus-run-session -- bash -c inner
