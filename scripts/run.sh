#!/usr/bin/env bash
# Installs what is missing, builds and starts the explorer. Without a display
# it takes a short tour under Xvfb instead, writing screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
bash scripts/build.sh -DTALVOX_TESTS=OFF
if [ -n "${DISPLAY:-}" ] && xdpyinfo > /dev/null 2>&1; then
  cd build/run && exec ./talvox
fi
echo "No display: touring under Xvfb."
exec xvfb-run -a -s "-screen 0 1600x1200x24" python3 scripts/tour.py --run-dir build/run --out "${TALVOX_TOUR_DIR:-build/tour}"
