#!/usr/bin/env bash
# Installs the Debian packages Harbrook needs to build and test, only those
# missing. Quick and silent when everything is there.
set -euo pipefail

packages=(build-essential cmake pkg-config libzmq3-dev cppzmq-dev libqrencode-dev
          libcurl4-openssl-dev libsodium-dev libssl-dev qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev
          zbar-tools xvfb clang-format
          python3  # scripts/check-string-ids.py
          libfribidi-dev  # the test that right-to-left lines keep numbers and paths in order
          openssl  # the TLS test's HTTPS server with a self-signed certificate
          librsvg2-bin desktop-file-utils appstream lintian  # the Debian package
          clang-15 libfuzzer-15-dev llvm-15  # the fuzz leg of scripts/test.sh (llvm-15: its symbolizer)
          # The window: SVG artwork drawn by Qt and rendered at build time,
          # and what its end-to-end test drives and looks with.
          qt6-svg-dev libxcb1-dev imagemagick fonts-noto-core trayer xdotool x11-utils
          # Chinese and Japanese glyphs, as a desktop in those languages has
          # them (without, the window's screenshots and fit tests show boxes).
          fonts-noto-cjk
          nsis)  # the Windows installer

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
