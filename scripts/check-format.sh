#!/usr/bin/env bash
# Checks that every C++ source in the repository is formatted by the
# committed .clang-format; lists the files that are not and fails. With
# --fix it formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh clang-format
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
off=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || off+=("$f")
done
if [ ${#off[@]} -gt 0 ]; then
  echo "Not formatted (run scripts/check-format.sh --fix):"
  printf '  %s\n' "${off[@]}"
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format has them"
