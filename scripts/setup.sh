#!/usr/bin/env bash
# Installs what is missing for building (and, with "test", for testing) Quillvarden on Debian 12.
# Quick when everything is present: it only asks dpkg and looks into the cache.
#   scripts/setup.sh run    packages for the native build
#   scripts/setup.sh test   everything: native, Windows cross build, Wine, fuzzers
set -euo pipefail

mode=${1:-test}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/common.sh
. "$here/common.sh"

run_pkgs=(cmake ninja-build g++ ccache pkg-config libcpp-httplib-dev nlohmann-json3-dev libssl-dev libpcre2-dev
          libwebkit2gtk-4.1-dev libayatana-appindicator3-dev libnotify-dev)
# The desktop tests: a virtual display with a window manager, a private session bus,
# and the tools that look at windows from outside.
test_pkgs=(googletest libgtest-dev g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev clang libclang-rt-14-dev
           osslsigncode openssl xvfb openbox dbus dbus-x11 libglib2.0-bin xdotool x11-utils imagemagick
           fonts-wqy-microhei chromium)

wanted=("${run_pkgs[@]}")
[ "$mode" = test ] && wanted+=("${test_pkgs[@]}")

missing=()
for p in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# llama.cpp for the local-model narrator (built once into the cache).
command -v npm >/dev/null || { as_root apt-get update -qq; as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends npm git >/dev/null; }
command -v git >/dev/null || as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends git >/dev/null
"$here/setup-llama.sh"

[ "$mode" = test ] || exit 0

# The Windows build takes the header-only cpp-httplib from Debian's source package.
# The packaged header is split for a shared library and cannot be used by mingw.
enable_deb_src() {
  if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 0
  fi
  echo "setup: enabling deb-src entries"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      | as_root tee /etc/apt/sources.list.d/quillvarden-deb-src.sources >/dev/null
  fi
  if [ -f /etc/apt/sources.list ] && grep -qE '^deb ' /etc/apt/sources.list; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list \
      | as_root tee /etc/apt/sources.list.d/quillvarden-deb-src.list >/dev/null
  fi
  as_root apt-get update -qq
}

fetch_source_package() { # name, wanted file inside the tree, destination directory
  local name=$1 file=$2 dest=$3
  [ -f "$dest/$file" ] && return 0
  enable_deb_src
  local work
  work=$(mktemp -d)
  # The newest version first; a mirror may lack one version's sources, so try the others.
  local got=0 version
  for version in "" $(apt-cache showsrc "$name" 2>/dev/null | sed -n 's/^Version: //p' | sort -r -V); do
    rm -rf "${work:?}"/*
    if (cd "$work" && apt-get source -qq "$name${version:+=$version}" >/dev/null 2>&1); then got=1; break; fi
  done
  [ "$got" = 1 ] || { echo "setup: apt-get source $name failed" >&2; rm -rf "$work"; return 1; }
  local tree
  tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  rm -rf "$dest"
  mkdir -p "$(dirname "$dest")"
  mv "$tree" "$dest"
  rm -rf "$work"
  [ -f "$dest/$file" ]
}

fetch_source_package cpp-httplib httplib.h "$QV_CACHE/src/cpp-httplib"
# PCRE2 is built from its source package with the mingw toolchain as part of the Windows build.
fetch_source_package pcre2 CMakeLists.txt "$QV_CACHE/src/pcre2"
# llama.cpp's DLLs for the Windows build, cross-built once.
"$here/setup-llama-windows.sh"
