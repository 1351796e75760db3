#!/bin/sh
# The thumbnailer as a file manager meets it: the tool and the viewer are installed into a
# temporary prefix whose path has a blank in it, the viewer's desktop installation writes
# <prefix>/share/thumbnailers/ridgeview-wsq.thumbnailer (as `make install` does), and its
# Exec line is run with %s, %i and %o filled in. The PNG must have the size that fits; a
# damaged file must give a non-zero status and no output.
# Usage: thumbnailer_entry.sh BUILD_DIR RIDGEVIEW_INSTALL_DESKTOP VECTORS_DIR
set -eu
build=$1 install_desktop=$2 vectors=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
prefix="$tmp/my prefix"
for component in library tools viewer; do
  cmake --install "$build" --prefix "$prefix" --component "$component" >/dev/null
done
XDG_DATA_HOME="$prefix/share" "$install_desktop" "$prefix/bin/ridgeview" >/dev/null
entry="$prefix/share/thumbnailers/ridgeview-wsq.thumbnailer"
[ -f "$entry" ] || fail "no $entry"
grep -qx "MimeType=image/x-wsq;" "$entry" || fail "MimeType of the entry"
[ "$(sed -n 's/^TryExec=//p' "$entry")" = "$prefix/bin/ridgeview-wsq" ] || fail "TryExec"
exec_line=$(sed -n 's/^Exec=//p' "$entry")

# What a file manager runs: the fields replaced by the size and the quoted paths.
thumbnail() {
  line=$(printf '%s' "$exec_line" | sed -e "s|%s|$1|" -e "s|%i|'$2'|" -e "s|%o|'$3'|")
  sh -c "$line"
}
thumbnail 128 "$vectors/print_419x331.wsq" "$tmp/print.png" || fail "thumbnail of a print"
# PNG signature, then IHDR: width, height, bit depth 8, colour type 0 (gray).
head_hex=$(od -An -tx1 -N26 "$tmp/print.png" | tr -d ' \n')
[ "$head_hex" = 89504e470d0a1a0a0000000d4948445200000080000000650800 ] ||
  fail "not a 128 x 101 8-bit gray PNG: $head_hex"

status=0
thumbnail 128 "$vectors/errors/cut_04092.wsq" "$tmp/cut.png" 2>/dev/null || status=$?
[ "$status" -ne 0 ] || fail "a damaged file gave status 0"
[ ! -e "$tmp/cut.png" ] || fail "a damaged file left an output"
echo "thumbnailer entry: Exec line works"
