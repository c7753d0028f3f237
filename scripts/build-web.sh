#!/usr/bin/env bash
# Builds TALVOX for the browser with Debian's emscripten and writes dist/web/:
# our index.html, talvox.js, talvox.wasm, the six bitmaps in bmp_cube/, and
# for offline play and install the service worker (sw.js, stamped with this
# build's version), the web app manifest and its icons. Served as static
# files by any web server (scripts/serve-web.sh), it plays.
# Usage: build-web.sh [build folder]   (default build-web, in the repository)
# The bitmaps come from a build of the texture maker for this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build-web}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

bash scripts/install-deps.sh web
mkdir -p "$build"
log="$build/build-web.log"
: > "$log"
step() { "$@" >> "$log" 2>&1 || { tail -50 "$log"; echo "build-web.sh: failed: $*" >&2; exit 1; }; }

# Debian's emcc finds its JavaScript modules (acorn) through NODE_PATH.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
start=$(date +%s)
step cmake -S . -B "$build/host" -DCMAKE_BUILD_TYPE=Release -DTALVOX_TESTS=OFF -DTALVOX_BENCH=OFF
step cmake --build "$build/host" -j2 --target talvox_textures talvox_make_icon
step emcmake cmake -S . -B "$build/wasm" -DCMAKE_BUILD_TYPE=Release
step cmake --build "$build/wasm" -j2 --target talvox

dist="$root/dist/web"
rm -rf "$dist"
mkdir -p "$dist/bmp_cube"
cp web/index.html web/manifest.webmanifest "$build/wasm/run/talvox.js" "$build/wasm/run/talvox.wasm" "$dist/"
cp "$build/host/run/bmp_cube/"*.bmp "$dist/bmp_cube/"
# The icons as pixel art, drawn 64 pixels across and scaled up: a few KB each.
step "$build/host/talvox_make_icon" "$build/host/run" "$dist" --drawn 64 192 512
# The version names the cache the service worker keeps these files in: a
# build whose files differ in any byte gets a cache of its own.
files=$(cd "$dist" && find . -type f | LC_ALL=C sort | sed 's|^\./||')
version=$(cd "$dist" && echo "$files" | xargs sha256sum | sha256sum | cut -c1-16)
listed=$(echo "$files" | sed 's|.*|"&"|' | paste -sd, -)
sed -e "s/@VERSION@/$version/" -e "s|/\* @FILES@ \*/|$listed|" web/sw.js > "$dist/sw.js"
echo "Built $dist in $(( $(date +%s) - start )) s: serve it with scripts/serve-web.sh"
