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

cat >"$work/app.ini" <<'INI'
[Product Information]
Product Name=Demo Suite
[Java Runtime Environment]
Main Class=com.example.app.Main
Minimum Version=1.8
INI
packer=$root/dist/vornicpack
[ -x "$packer" ] || packer=$root/build/host/tools/vornicpack/vornicpack
"$packer" --stub "$build/src/vornicw.exe" --settings "$work/app.ini" --out "$work/Demo.exe" >/dev/null

for dpi in 96 144; do
  session=$work/session-$dpi
  "$root/scripts/wine-session" start "$session" x64
  # shellcheck disable=SC1091
  . "$session/env"
  "$VORNIC_WINE_LOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  # Xvfb has no window manager: let Wine draw the captions and frames itself.
  "$VORNIC_WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$VORNIC_WINE_LOADER" "$work/Demo.exe" &
  launcher=$!
  sleep 6
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
