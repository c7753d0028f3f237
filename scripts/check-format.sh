#!/usr/bin/env bash
# Checks that every C++ file follows .clang-format, naming each one that does
# not; with --fix, rewrites them instead. Uses clang-format 14 (Debian 12's
# clang-format), whose output the committed files match.
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
  echo "clang-format not found: install clang-format (scripts/install-deps.sh test)" >&2
  exit 1
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$format" -i "${files[@]}"
  exit 0
fi
unformatted=()
for file in "${files[@]}"; do
  if ! "$format" --dry-run -Werror "$file" > /dev/null 2>&1; then unformatted+=("$file"); fi
done
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "Not formatted as .clang-format says (bash scripts/check-format.sh --fix):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files follow .clang-format"
