#!/bin/sh
# Every relative path that a guide names in backquotes exists in the source tree, so the guide
# cannot go on pointing at files that were moved or removed.
set -eu
guide=$1
source_dir=$2
missing=$(grep -o '`[^`]*`' "$guide" | tr -d '`' | sort -u |
  grep -E '^[A-Za-z0-9_.][A-Za-z0-9_.+-]*/[A-Za-z0-9_./+-]*$' |
  while read -r path; do
    [ -e "$source_dir/$path" ] || echo "$path"
  done)
if [ -n "$missing" ]; then
  echo "$guide names paths that do not exist:"
  printf '%s\n' "$missing"
  exit 1
fi
echo "every path that $guide names exists"
