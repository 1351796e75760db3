# Shared pieces of the end-to-end scripts: a private Xvfb screen, a private home, settings and
# runtime folder, starting the viewer and waiting for its window, and screenshots compared with
# ImageMagick. Sourced by each script after it set `name` (its test name) and, optionally,
# `screen` (WxHxD, default 640x480x24).
#
# A missing tool or an Xvfb that cannot start is a skip (status 77, which CTest reports as
# skipped), and a failure when CI=true. fail() ends the script with status 1 and keeps the
# screenshots.

skip() {
  echo "SKIP $name: $*"
  if [ "${CI:-}" = "true" ]; then
    status=1
    exit 1
  fi
  exit 77
}
fail() {
  echo "FAIL $name: $*"
  status=1
  exit 1
}

for tool in Xvfb xdotool import compare; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/ridgeview-e2e.XXXXXX") || fail "no temporary folder"
mkdir -p "$work/config" "$work/runtime" "$work/home" "$work/shots"
chmod 700 "$work/runtime"
xvfb_pid=""
viewer_pid=""
status=0
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  if [ "$status" -eq 0 ]; then rm -rf "$work"; else echo "screenshots kept in $work/shots"; fi
}
trap cleanup EXIT

# A free display number, chosen by Xvfb itself.
Xvfb -displayfd 3 -screen 0 "${screen:-640x480x24}" -nolisten tcp 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
tries=0
while [ ! -s "$work/display" ]; do
  tries=$((tries + 1))
  if [ "$tries" -gt 50 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
    xvfb_pid=""
    skip "Xvfb cannot start here ($(tail -n 1 "$work/xvfb.log" 2>/dev/null))"
  fi
  sleep 0.1
done
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
export RIDGEVIEW_CONFIG_DIR="$work/config" XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
export XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# Starts the viewer with the given arguments, waits for its window (in $window) and gives it
# the keyboard focus directly, since no window manager runs.
start_viewer() {
  "$viewer" "$@" >"$work/viewer.log" 2>&1 &
  viewer_pid=$!
  window=""
  tries=0
  while [ -z "$window" ]; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && fail "no Ridgeview window appeared ($(cat "$work/viewer.log"))"
    kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer ended early ($(cat "$work/viewer.log"))"
    window=$(xdotool search --onlyvisible --name '^Ridgeview$' 2>/dev/null | head -n 1)
    sleep 0.1
  done
  xdotool windowfocus --sync "$window" || fail "cannot focus the window"
}

# Ctrl+Q, then waits for the viewer to end; its exit status must be 1.
quit_viewer() {
  xdotool key ctrl+q 2>>"$work/xdotool.log"
  tries=0
  while kill -0 "$viewer_pid" 2>/dev/null; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && fail "Ctrl+Q did not end the viewer"
    sleep 0.1
  done
  wait "$viewer_pid"
  code=$?
  viewer_pid=""
  [ "$code" -eq 1 ] || fail "exit status $code after Ctrl+Q, expected 1 ($(cat "$work/viewer.log"))"
}

# Waits (up to five seconds) for a visible window titled $1 other than the viewer's and puts
# its id in $other; fails with the message $2 when none appears.
wait_for_other_window() {
  other=""
  tries=0
  while [ -z "$other" ]; do
    tries=$((tries + 1))
    [ "$tries" -gt 50 ] && fail "$2"
    other=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -v -x "$window" | head -n 1)
    sleep 0.1
  done
}

shot() {
  import -window root "$work/shots/$1.png" || fail "cannot take screenshot $1"
}
# Number of pixels that differ between two screenshots inside a region WxH+X+Y.
differing() {
  compare -metric AE "$work/shots/$1.png[$3]" "$work/shots/$2.png[$3]" null: 2>&1 | cut -d' ' -f1
}
changed() {
  n=$(differing "$1" "$2" "$3")
  case "$n" in '' | *[!0-9]*) fail "cannot compare $1 and $2 ($n)" ;; esac
  [ "$n" -gt 0 ]
}
