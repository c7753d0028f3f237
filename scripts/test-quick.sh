#!/usr/bin/env bash
# The quick loop while working on the code: builds what changed into build/
# and runs the unit and GL tests (about 15 s on our 2-core machines).
# Arguments go to ctest, e.g. -R Picture or --preset unit.
# Without a display the tests run under Xvfb. Set-up is scripts/test.sh's;
# this script installs nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/CMakeCache.txt ]; then cmake --preset default > /dev/null; fi
cmake --build build -j"$(nproc)" > build/quick-build.log 2>&1 || { tail -40 build/quick-build.log; exit 1; }
preset=(--preset quick)
for arg in "$@"; do [ "$arg" = "--preset" ] && preset=(); done
if [ -n "${DISPLAY:-}" ]; then
  ctest "${preset[@]}" "$@"
else
  xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" ctest "${preset[@]}" "$@"
fi
