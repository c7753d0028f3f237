#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds TALVOX for Linux,
# (cross) for Windows and for the browser, runs the sanitizer build, the
# fuzzers and the soak, and then the whole test suite under Xvfb, ending with
# CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
# A formatting slip fails here, with the files named.
bash scripts/check-format.sh
bash scripts/build.sh -DTALVOX_TESTS=ON -DTALVOX_GL11_LAYER=ON
if [ -f scripts/build-windows.sh ]; then bash scripts/build-windows.sh; fi
bash scripts/build-web.sh
bash scripts/test-hardening.sh
cd build
# -noreset: the server must not reset when its last client leaves while the
# next test, run beside it, is connecting.
xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" ctest --output-on-failure -j2 --timeout 900
