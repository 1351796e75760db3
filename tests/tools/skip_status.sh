#!/bin/sh
# The shell checks that need outside tools report a missing tool as skipped (status 77, which
# CTest shows as skipped, never as passed) and, when CI=true, as failed.
#
#   skip_status.sh <frame_bomb.sh> <end-to-end script>...
set -u
usage="usage: skip_status.sh <frame_bomb.sh> <end-to-end script>..."
bomb=${1:?$usage}
: "${2:?$usage}"
shift
fail=0
expect() {
  want=$1
  shift
  "$@" >/dev/null 2>&1
  got=$?
  [ "$got" -eq "$want" ] || { echo "FAIL: $* ended with $got, expected $want"; fail=1; }
}
tiny=$(mktemp) || exit 1
trap 'rm -f "$tiny"' EXIT
printf 'WSQ' >"$tiny"
expect 77 env -u CI RIDGEVIEW_TIME_TOOL=/nonexistent/time "$bomb" /bin/true "$tiny"
expect 1 env CI=true RIDGEVIEW_TIME_TOOL=/nonexistent/time "$bomb" /bin/true "$tiny"
# Without Xvfb and the other tools on the PATH (the script finds its own shell by path). Every
# script gets the four arguments the longest usage needs.
for e2e in "$@"; do
  expect 77 env -u CI PATH=/nonexistent "$e2e" /bin/true "$tiny" /bin/true /bin/true
  expect 1 env CI=true PATH=/nonexistent "$e2e" /bin/true "$tiny" /bin/true /bin/true
done
[ "$fail" -eq 0 ] && echo "missing tools are reported as skipped, and as failures in CI"
exit "$fail"
