#!/bin/sh
# A file of under 200 bytes that declares a 65535 x 65535 frame: ridgeview-wsq must refuse it
# with the allocation code's message, leave no output, and stay far below 50 MB of memory.
set -u
tool="$1"
bomb="$2"
out="${TMPDIR:-/tmp}/frame-bomb-$$.pgm"
report="${TMPDIR:-/tmp}/frame-bomb-$$.time"
[ "$(wc -c < "$bomb")" -lt 200 ] || { echo "FAIL: the bomb file is not under 200 bytes"; exit 1; }
time_tool=${RIDGEVIEW_TIME_TOOL:-/usr/bin/time}  # GNU time, for the peak memory
if [ ! -x "$time_tool" ]; then
  # 77 tells CTest the check was skipped; in CI a missing tool is a failure of the set-up.
  echo "SKIP frame_bomb: $time_tool is not installed"
  [ "${CI:-}" = "true" ] && exit 1
  exit 77
fi
"$time_tool" -v -o "$report" "$tool" decode "$bomb" "$out" 2> "$report.err"
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
