#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Set-up for a fresh Debian 12 machine: installs what the build and the tests
# need, builds, then starts the program (run) or runs every test (test).
#
#   tools/dev.sh run     install, build and start Numbelle
#   tools/dev.sh test    install, build and run all tests
#   tools/dev.sh build   install and build only
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config ccache clang-format
  qt6-base-dev qt6-qpa-plugins libpulse-dev
  libxlsxwriter-dev libgtest-dev libgmock-dev
  # zip archives of the recorded voices
  libzip-dev
  fonts-noto-cjk unzip
  # Qt's own dialogs and buttons in Chinese (qtbase_zh_CN.qm)
  qt6-translations-l10n
  # the desktop entry's and AppStream data's validators, what CPack needs
  # to build the Debian package (dpkg-shlibdeps, file), and Debian's package
  # checker
  desktop-file-utils appstream dpkg-dev file lintian
  # an X display, a session bus and the accessibility bus with its Python
  # binding, to hear the display's changes as a screen reader does
  xvfb dbus-daemon at-spi2-core python3-pyatspi
  # the tray button clicked on a real X display (xwininfo)
  x11-utils
  # the desktop sound against a real (private) sound server, and the smoke run
  # of the desktop benchmarks (the X server's keys and drawing)
  pulseaudio pulseaudio-utils libxtst-dev libxdamage-dev
  # clang and its libFuzzer/sanitizer runtimes, for the fuzz targets in tests/fuzz
  clang libclang-rt-14-dev
)

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

build() {
  cmake --preset dev >/dev/null
  cmake --build --preset dev -j"$(nproc)"
}

# Prints how long a step took, so the README can say what each part costs.
timed() {
  local start=$SECONDS
  "$@"
  echo "== $* took $((SECONDS - start)) s"
}

case "${1:-}" in
  run)
    install_packages
    build
    exec ./build/bin/numbelle
    ;;
  test)
    install_packages
    timed build
    # Again under AddressSanitizer and UBSan: the unit tests, 100,000 random
    # keys through the calculator and 20,000 random commands through the windows.
    cmake --preset asan >/dev/null
    timed cmake --build --preset asan -j"$(nproc)"
    timed ctest --preset asan -j"$(nproc)"
    # The fuzz targets (clang with libFuzzer), each for a bounded number of
    # inputs from its committed seed corpus.
    cmake --preset fuzz >/dev/null
    timed cmake --build --preset fuzz -j"$(nproc)"
    timed ctest --preset fuzz
    timed ctest --preset dev -j"$(nproc)"
    ;;
  build)
    install_packages
    build
    ;;
  *)
    echo "usage: tools/dev.sh run|test|build" >&2
    exit 2
    ;;
esac
