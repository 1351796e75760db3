#!/bin/sh
# A file of under 200 bytes that declares a 65535 x 65535 frame: ridgeview-wsq must refuse it
# with the allocation code's message, leave no output, and stay far below 50 MB of memory.
set -u
tool="$1"
bomb="$2"
out="${TMPDIR:-/tmp}/frame-bomb-$$.pgm"
report="${TMPDIR:-/tmp}/frame-bomb-$$.time"
[ "$(wc -c < "$bomb")" -lt 200 ] || { echo "FAIL: the bomb file is not under 200 bytes"; exit 1; }
if [ ! -x /usr/bin/time ]; then
  echo "SKIP frame_bomb: /usr/bin/time is not installed"
  exit 0
fi
/usr/bin/time -v -o "$report" "$tool" decode "$bomb" "$out" 2> "$report.err"
status=$?
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$report")
rm -f "$report"
fail=0
[ "$status" -ne 0 ] || { echo "FAIL: the decode did not fail"; fail=1; }
grep -q "ERROR: wsq_decode_mem : malloc : qdata1" "$report.err" || { echo "FAIL: no allocation message"; cat "$report.err"; fail=1; }
[ ! -e "$out" ] || { echo "FAIL: an output file was left"; rm -f "$out"; fail=1; }
[ -n "$rss" ] && [ "$rss" -lt 51200 ] || { echo "FAIL: peak memory ${rss:-?} kB"; fail=1; }
rm -f "$report.err"
[ "$fail" -eq 0 ] && echo "frame bomb refused, peak ${rss} kB"
exit "$fail"
