#!/bin/sh
# Applies .clang-format to the tracked C and C++ sources, or with --check lists
# the files it would change and exits 1 when there are any.
#   tools/format.sh [--check] [path...]
set -eu
cd "$(dirname "$0")/.."
check=0
if [ "${1:-}" = "--check" ]; then
  check=1
  shift
fi
command -v clang-format >/dev/null 2>&1 || { echo "format.sh: clang-format is not installed" >&2; exit 2; }
files=$(git ls-files -- "$@" | grep -E '\.(c|cc|cpp|h|hpp)$' || true)
[ -n "$files" ] || exit 0
if [ "$check" -eq 0 ]; then
  printf '%s\n' $files | xargs clang-format -i
  exit 0
fi
changed=0
for f in $files; do
  if ! clang-format "$f" | cmp -s "$f" -; then
    echo "$f"
    changed=1
  fi
done
exit "$changed"
