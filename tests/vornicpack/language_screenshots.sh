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

cat >"$work/app.ini" <<'INI'
[Product Information]
Product Name=Demo Suite
[Java Runtime Environment]
Main Class=com.example.app.Main
Minimum Version=1.8
INI
packer=$root/build/host/tools/vornicpack/vornicpack
"$packer" --stub "$build/src/vornicw.exe" --settings "$work/app.ini" --out "$work/Demo.exe" >/dev/null

for dpi in 96 144; do
  session=$work/session-$dpi
  "$root/scripts/wine-session" start "$session" x64
  # shellcheck disable=SC1091
  . "$session/env"
  "$VORNIC_WINE_LOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  # Xvfb has no window manager: let Wine draw the captions and frames itself.
  "$VORNIC_WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  for locale in de_DE ru_RU ja_JP; do
    LANG=$locale.UTF-8 LC_ALL=$locale.UTF-8 "$VORNIC_WINE_LOADER" "$work/Demo.exe" &
    launcher=$!
    # The dialog's window appears when the launcher has found no runtime.
    for _ in $(seq 100); do
      xwininfo -display "$DISPLAY" -root -tree 2>/dev/null | grep -q 'Demo Suite - ' && break
      sleep 0.2
    done
    sleep 1  # let it paint
    import -display "$DISPLAY" -window root "$out/runtime-dialog-${locale%_*}-$dpi-dpi.png"
    kill "$launcher" 2>/dev/null || true
    wait "$launcher" 2>/dev/null || true
  done
  "$root/scripts/wine-session" stop "$session" x64
done
echo "language_screenshots: $out/runtime-dialog-{de,ru,ja}-{96,144}-dpi.png"
