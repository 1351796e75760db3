#!/bin/sh
# What `ridgeview-wsq decode` writes to stderr for each damaged reference vector: the codec's
# message as errors/expected.tsv lists it, then the tool's own line naming the file; the exit
# status is 1 and no output file is left. Also the same for one batch of all of them, where
# the codec's messages come as the files are decoded and the tool's lines at the end.
# Usage: error_vectors_stderr.sh RIDGEVIEW_WSQ VECTORS_DIR
set -eu
tool=$1 vectors=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
[ -f "$vectors/errors/expected.tsv" ] || { echo "FAILED: no $vectors/errors/expected.tsv"; exit 1; }

: >"$tmp/batch-messages"
: >"$tmp/batch-lines"
tail -n +2 "$vectors/errors/expected.tsv" | while IFS="$(printf '\t')" read -r name code message; do
  file=$vectors/errors/$name
  printf '%b' "$message" >"$tmp/want"
  echo "ridgeview-wsq: $file: cannot decode (code $code)" >>"$tmp/want"
  status=0
  "$tool" decode "$file" "$tmp/out.pgm" 2>"$tmp/got" || status=$?
  if [ "$status" -ne 1 ] || ! cmp -s "$tmp/want" "$tmp/got" || [ -e "$tmp/out.pgm" ]; then
    echo "FAILED: $name (status $status)"
    diff "$tmp/want" "$tmp/got" || true
    echo x >>"$tmp/failures"
  fi
  printf '%b' "$message" >>"$tmp/batch-messages"
  echo "ridgeview-wsq: $file: cannot decode (code $code)" >>"$tmp/batch-lines"
  echo "$file" >>"$tmp/batch-inputs"
done
[ ! -e "$tmp/failures" ] || failed=1

# One worker keeps the codec's messages in input order.
mkdir "$tmp/out"
cat "$tmp/batch-messages" "$tmp/batch-lines" >"$tmp/want"
status=0
# shellcheck disable=SC2046
"$tool" decode -j 1 -o "$tmp/out" $(cat "$tmp/batch-inputs") 2>"$tmp/got" || status=$?
if [ "$status" -ne 1 ] || ! cmp -s "$tmp/want" "$tmp/got" || [ -n "$(ls "$tmp/out")" ]; then
  echo "FAILED: batch (status $status)"
  diff "$tmp/want" "$tmp/got" || true
  failed=1
fi
[ "$failed" -eq 0 ] && echo "stderr as expected for $(wc -l <"$tmp/batch-inputs") damaged files"
exit "$failed"
