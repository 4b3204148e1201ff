#!/usr/bin/env bash
# check-hardening.sh FORTIFIED FILE...: each program or module is linked with full RELRO
# (GNU_RELRO segment and BIND_NOW) and the stack protector; programs are position-independent
# executables; with FORTIFIED=1, the checked variants of the C library's functions are called.
set -uo pipefail
fortified=$1
shift
failed=0

fail() {
  echo "$1: $2" >&2
  failed=1
}

for file in "$@"; do
  header=$(readelf -h "$file") || { fail "$file" "not an ELF file"; continue; }
  dynamic=$(readelf -d "$file")
  symbols=$(readelf --dyn-syms -W "$file")
  grep -q 'GNU_RELRO' <(readelf -l -W "$file") || fail "$file" "no GNU_RELRO segment"
  grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW' <<<"$dynamic" || fail "$file" "not BIND_NOW"
  grep -q 'UND __stack_chk_fail' <<<"$symbols" || fail "$file" "no stack protector"
  if grep -q 'Type: *EXEC' <<<"$header"; then
    fail "$file" "a position-dependent executable"
  elif [[ $file != *.so ]]; then
    grep -Eq '\(FLAGS_1\).*PIE' <<<"$dynamic" || fail "$file" "not marked PIE"
  fi
  if [ "$fortified" = 1 ]; then
    grep -Eq 'UND __[a-z_]+_chk@' <<<"$symbols" || fail "$file" "no fortified calls"
  fi
done
[ "$failed" = 0 ] && echo "hardening: $# files checked"
exit "$failed"
