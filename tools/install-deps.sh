#!/usr/bin/env bash
# Installs what building and testing need from Debian's packages; quiet when all is there.
# With the argument "windows", also what the Windows build and its tests under Wine need; with
# "bench", what tools/bench.sh measures with.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ccache
  # A file system that shares blocks between copies, for the test of the copies made there.
  btrfs-progs
  # XXH3 for content hashes and the journal's checksums; its header alone serves the Windows build.
  libxxhash-dev
  # xxhsum: the medium's list of its installation files, when the medium is laid out.
  xxhash
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev
  # Qt's private headers: the one call that lets a window run as root reach the desktop user's
  # accessibility bus (gui/qt/desktop_accessibility_bus.cpp).
  qt6-base-private-dev
  # The toolkit the Linux medium carries, with its Wayland plugins, made relocatable; a Wayland
  # display to try it on; the Windows release archive unpacked.
  qt6-wayland patchelf weston unzip
  fonts-liberation fonts-dejavu-core
  xvfb xauth x11-apps x11-utils imagemagick xdotool
  # A screen reader's view in the tests: the AT-SPI bus and registry, a session bus, and the
  # system Python's binding (tests/window/accessibility_tree.py).
  at-spi2-core dbus-daemon python3-pyatspi
  openjdk-17-jdk-headless
  desktop-file-utils python3
  clang clang-format libclang-rt-dev valgrind
)
if [ "${1:-}" = windows ]; then
  # 32-bit Windows programs: the MinGW-w64 cross compiler, Wine's 32-bit half and its fonts; the
  # 64-bit compiler for the tests on a machine that runs no 32-bit code.
  packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine32:i386 wine64 fonts-wine)
fi
if [ "${1:-}" = bench ]; then
  packages+=(hyperfine gnuplot-nox btrfs-progs libxcb1-dev)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
