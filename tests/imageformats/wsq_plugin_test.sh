#!/bin/sh
# The Qt image plugin as a Qt program meets it: the library and the plugin are installed into a
# temporary prefix, ridgeview-wsq encodes the vectors' PGM images, and a Qt-only program with
# QT_PLUGIN_PATH=<prefix>/lib/qt6/plugins reads and writes WSQ through the plugin.
# Usage: wsq_plugin_test.sh BUILD_DIR CLIENT RIDGEVIEW_WSQ VECTORS_DIR
set -eu
build=$1 client=$2 tool=$3 vectors=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for component in library qt_plugin; do
  cmake --install "$build" --prefix "$tmp/prefix" --component "$component" >/dev/null
done
plugin=$tmp/prefix/lib/qt6/plugins/imageformats/libridgeview_wsq.so
[ -f "$plugin" ] || { echo "FAILED: plugin not installed at $plugin"; exit 1; }
for name in print_419x331 photo_384x288; do
  "$tool" encode "$vectors/$name.pgm" "$tmp/$name.tool.wsq"
done
mkdir "$tmp/scratch"
QT_PLUGIN_PATH="$tmp/prefix/lib/qt6/plugins" "$client" "$vectors" "$tmp/scratch" \
  "$tmp/print_419x331.tool.wsq" "$tmp/photo_384x288.tool.wsq"
