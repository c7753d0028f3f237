#!/usr/bin/env bash
# Configures and builds TALVOX into build/ (Release); the run folder is build/run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default "$@" > build.log 2>&1 || { cat build.log; exit 1; }
cmake --build build -j"$(nproc)" >> build.log 2>&1 || { tail -50 build.log; exit 1; }
rm -f build.log
