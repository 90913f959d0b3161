#!/usr/bin/env bash
# language_screenshots.sh BUILD_DIR OUT_DIR
# Screenshots of the packaged runtime dialog (the prefix has no Java, so the copy asks for one) in
# German, Russian and Japanese, at 100% (96 dpi) and 150% (144 dpi) scaling: Wine gives the process
# the UI language of its environment's locale, and the prefix's LogPixels sets the scale.
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$build/language-screenshots
mkdir -p "$work"

# shellcheck source=screenshot_common.sh
. "$root/tests/vornicpack/screenshot_common.sh"
package_demo

for dpi in 96 144; do
  start_scaled_session "$dpi"
  for locale in de_DE ru_RU ja_JP; do
    LANG=$locale.UTF-8 LC_ALL=$locale.UTF-8 "$VORNIC_WINE_LOADER" "$work/Demo.exe" &
    launcher=$!
    # The dialog's window appears when the launcher has found no runtime.
    wait_for_window 'Demo Suite - '
    import -display "$DISPLAY" -window root "$out/runtime-dialog-${locale%_*}-$dpi-dpi.png"
    kill "$launcher" 2>/dev/null || true
    wait "$launcher" 2>/dev/null || true
  done
  "$root/scripts/wine-session" stop "$session" x64
done
echo "language_screenshots: $out/runtime-dialog-{de,ru,ja}-{96,144}-dpi.png"
