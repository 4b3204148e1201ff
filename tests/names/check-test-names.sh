#!/bin/sh
# Every test's name, as CTest lists it, says which case it runs. GoogleTest shows a parameter
# that has no printer as its raw bytes ("80-byte object <BA-90 7C-B7 ...>"): addresses that
# change from build to build and tell the reader nothing.
set -eu
ctest_command=$1
build_dir=$2
listing=$("$ctest_command" --test-dir "$build_dir" -N)
raw=$(printf '%s\n' "$listing" | grep -e '-byte object <' || true)
if [ -n "$raw" ]; then
  echo "Test names that show raw bytes instead of their case (give the case a PrintTo or a name):"
  printf '%s\n' "$raw"
  exit 1
fi
echo "$(printf '%s\n' "$listing" | grep -c 'Test *#') test names, none shows raw bytes"
