#!/usr/bin/env bash
# Cross-builds TALVOX for Windows (x64) with MinGW-w64 and packs it for users.
# Usage: build-windows.sh [cross build folder] [host build folder]
#   defaults build-windows and build-windows-host, relative to the repository.
# The cross build's run folder (talvox.exe, bmp_cube/, map/) is the one the
# Wine end-to-end test runs; the bitmaps come from a host build of the texture
# maker, which a cross build cannot run. CPack packs the cross build's install
# rules (cmake/Packaging.cmake) into dist/talvox-windows-x64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
cross=${1:-build-windows}
host=${2:-build-windows-host}
case "$cross" in /*) ;; *) cross="$root/$cross" ;; esac
case "$host" in /*) ;; *) host="$root/$host" ;; esac

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres x86_64-w64-mingw32-strip cmake cpack; do
  command -v "$tool" > /dev/null || { echo "build-windows.sh: $tool is missing (scripts/install-deps.sh test installs it)" >&2; exit 1; }
done

mkdir -p "$cross"
log="$cross/build-windows.log"
: > "$log"
step() { "$@" >> "$log" 2>&1 || { tail -50 "$log"; echo "build-windows.sh: failed: $*" >&2; exit 1; }; }

start=$(date +%s)
# The six bitmaps, from the texture maker built for this machine.
step cmake --preset windows-host -B "$host"
step cmake --build "$host" -j2 --target talvox_textures
# The Windows program.
step cmake --preset windows -B "$cross"
step cmake --build "$cross" -j2 --target talvox
run="$cross/run"
mkdir -p "$run/bmp_cube" "$run/map"
cp "$host"/run/bmp_cube/*.bmp "$run/bmp_cube/"
[ "$(ls "$run"/bmp_cube/*.bmp | wc -l)" -eq 6 ] || { echo "build-windows.sh: expected six bitmaps in $run/bmp_cube" >&2; exit 1; }

# The package: one folder talvox\ holding the program (stripped), its
# bitmaps, an empty map folder and the short user text with Windows line ends.
rm -rf "$cross/package"
step cpack --config "$cross/CPackConfig.cmake" -B "$cross/package"
mkdir -p dist
cp "$cross/package/talvox-windows-x64.zip" dist/
rm -f "$log"
echo "Built $run/talvox.exe and dist/talvox-windows-x64.zip in $(( $(date +%s) - start )) s"
