#!/bin/sh
# The shared library exports the functions its header declares and nothing else (no C++
# symbol, no codec internal), under its SONAME.
# Usage: exported_symbols_test.sh LIBRARY HEADER
set -eu
lib=$1 header=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

nm -D --defined-only "$lib" | awk '{print $NF}' | sed 's/@.*//' | sort >"$tmp/exported"
sed -n 's/^RIDGEVIEW_WSQ_API .*[ *]\(ridgeview_wsq_[a-z_]*\)(.*/\1/p' "$header" >"$tmp/declared"
# The version node of the symbols is listed too.
{ cat "$tmp/declared"; echo RIDGEVIEW_WSQ_1; } | sort >"$tmp/expected"
[ "$(wc -l <"$tmp/declared")" -ge 10 ] || { echo "FAILED: header declarations not found"; exit 1; }
if ! diff -u "$tmp/expected" "$tmp/exported"; then
  echo "FAILED: the exports differ from the header's functions (- missing, + extra)"
  exit 1
fi
soname=$(readelf -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = libridgeview-wsq.so.1 ] || { echo "FAILED: SONAME '$soname'"; exit 1; }
echo "exports: $(wc -l <"$tmp/declared") functions, SONAME $soname"
