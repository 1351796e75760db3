#!/bin/sh
# The progress line of batches on a real terminal (a pseudo-terminal made by script(1)): drawn
# on a terminal, never when stderr is a file or a pipe, never with -q.
# Usage: progress_terminal.sh RIDGEVIEW_WSQ VECTORS_DIR
set -eu
tool=$1 vectors=$2
command -v script >/dev/null || { echo "skipped: script(1) is not installed"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
inputs=""
for i in 1 2 3 4 5 6; do
  cp "$vectors/print_419x331.wsq" "$tmp/in$i.wsq"
  inputs="$inputs $tmp/in$i.wsq"
done
on_terminal() { script -qec "$1" /dev/null </dev/null; }

mkdir "$tmp/a" "$tmp/b" "$tmp/c"
on_terminal "$tool decode -j 1 -o $tmp/a $inputs" >"$tmp/terminal.txt" || fail "batch on a terminal"
grep -q "ridgeview-wsq: 6 of 6 files" "$tmp/terminal.txt" || fail "no progress line on a terminal"
grep -q "$(printf '\r')" "$tmp/terminal.txt" || fail "the line is not rewritten in place"
[ "$(ls "$tmp/a" | wc -l)" -eq 6 ] || fail "outputs of the batch on a terminal"

# shellcheck disable=SC2086
"$tool" decode -o "$tmp/b" $inputs 2>"$tmp/file.txt" || fail "batch with stderr to a file"
[ ! -s "$tmp/file.txt" ] || fail "stderr to a file got: $(cat "$tmp/file.txt")"

on_terminal "$tool decode -q -o $tmp/c $inputs" >"$tmp/quiet.txt" || fail "quiet batch"
! grep -q "files" "$tmp/quiet.txt" || fail "-q still drew the line"

# check: the progress on stderr, the verdicts on stdout, each verdict on a line of its own.
on_terminal "$tool check $inputs" >"$tmp/check.txt" || fail "check on a terminal"
grep -q "ridgeview-wsq: 6 of 6 files" "$tmp/check.txt" || fail "no progress line for check"
[ "$(grep -o "$tmp/in[1-6].wsq: ok" "$tmp/check.txt" | wc -l)" -eq 6 ] || fail "check's lines"
# shellcheck disable=SC2086
"$tool" check $inputs 2>"$tmp/check-err.txt" >/dev/null || fail "check to a file"
[ ! -s "$tmp/check-err.txt" ] || fail "check wrote to stderr off a terminal"
echo "progress line: on a terminal only"
