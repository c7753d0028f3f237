#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages that building, running and testing
# TALVOX need, only those missing. Usage: install-deps.sh [run|web|test]
set -euo pipefail

packages=(cmake g++ make pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
          libstb-dev xvfb xauth xdotool x11-utils imagemagick python3)
# The browser build: Debian's emscripten and its wasm optimiser, and the
# host's compilers for the texture maker.
if [ "${1:-run}" = web ] || [ "${1:-run}" = test ]; then
  packages+=(emscripten binaryen)
fi
if [ "${1:-run}" = test ]; then
  # The browser tests: Debian's Chromium, driven from Python over its
  # DevTools protocol.
  packages+=(chromium)
  packages+=(libgtest-dev g++-mingw-w64-x86-64 wine wine64 zip)
  # The hardening run: clang with libFuzzer and the sanitizer runtimes, and
  # llvm-symbolizer for readable sanitizer reports.
  packages+=(clang libclang-rt-14-dev llvm)
  # The format check.
  packages+=(clang-format)
  # The GL 1.1 layer's comparison (TALVOX_GL11_LAYER): Mesa's OpenGL ES 2.0.
  packages+=(libgles-dev libegl-dev)
  # The Debian package's test: CPack finds the library packages the program
  # needs with dpkg-shlibdeps (dpkg-dev), which reads binaries with file.
  packages+=(dpkg-dev file)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
