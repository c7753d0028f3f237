#!/usr/bin/env bash
# Serves dist/web/ (scripts/build-web.sh writes it) on 127.0.0.1 only, and
# prints the address to open. Usage: serve-web.sh [port]   (default 8024)
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8024}
[ -f dist/web/index.html ] || { echo "serve-web.sh: no dist/web/ yet: run scripts/build-web.sh" >&2; exit 1; }
echo "TALVOX: open http://127.0.0.1:$port/ (Ctrl+C stops the server)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory dist/web
