#!/usr/bin/env bash
# dialog_screenshots.sh BUILD_DIR OUT_DIR
# Packages the stub of a windows-x64 build folder and takes screenshots of dialogs 201 and 231 as a
# user sees them at 100% (96 dpi) and 150% (144 dpi) scaling: the launcher's own runtime dialog (the
# prefix has no Java, so the packaged copy asks for one), then both templates side by side. Each scale has a Wine prefix of its
# own, because the prefix's LogPixels value is what the dialogs' font and dialog units follow.
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$build/screenshots
mkdir -p "$work"

# shellcheck source=screenshot_common.sh
. "$root/tests/vornicpack/screenshot_common.sh"
package_demo

for dpi in 96 144; do
  start_scaled_session "$dpi"
  "$VORNIC_WINE_LOADER" "$work/Demo.exe" &
  launcher=$!
  wait_for_window 'Demo Suite - '
  import -display "$DISPLAY" -window root "$out/runtime-dialog-$dpi-dpi.png"
  kill "$launcher" 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
  "$VORNIC_WINE_LOADER" "$build/tests/vornicpack/show_dialogs.exe" "$work/Demo.exe" 8 &
  shower=$!
  sleep 5
  import -display "$DISPLAY" -window root "$out/dialogs-$dpi-dpi.png"
  wait "$shower" || true
  "$root/scripts/wine-session" stop "$session" x64
done
echo "dialog_screenshots: $out/runtime-dialog-{96,144}-dpi.png $out/dialogs-{96,144}-dpi.png"
