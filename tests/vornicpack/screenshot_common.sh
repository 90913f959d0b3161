# Sourced by the screenshot scripts: the packaged demo copy and a Wine session at a given scale.
# Expects $build (a windows-x64 build folder), $root (the clone) and $work (a scratch folder).

# Packages the stub as $work/Demo.exe, with settings that make it ask for a runtime.
package_demo() {
  cat >"$work/app.ini" <<'INI'
[Product Information]
Product Name=Demo Suite
[Java Runtime Environment]
Main Class=com.example.app.Main
Minimum Version=1.8
INI
  local packer=$root/dist/vornicpack
  [ -x "$packer" ] || packer=$root/build/host/tools/vornicpack/vornicpack
  "$packer" --stub "$build/src/vornicw.exe" --settings "$work/app.ini" --out "$work/Demo.exe" >/dev/null
}

# start_scaled_session DPI: a session of its own per scale, because the prefix's LogPixels value is
# what the dialogs' font and dialog units follow. Sets $session and sources its environment.
start_scaled_session() {
  session=$work/session-$1
  "$root/scripts/wine-session" start "$session" x64
  # shellcheck disable=SC1091
  . "$session/env"
  "$VORNIC_WINE_LOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  # Xvfb has no window manager: let Wine draw the captions and frames itself.
  "$VORNIC_WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# wait_for_window TITLE_PART: up to 20 s for a window whose title holds TITLE_PART, then a moment
# to let it paint.
wait_for_window() {
  for _ in $(seq 100); do
    xwininfo -display "$DISPLAY" -root -tree 2>/dev/null | grep -q -- "$1" && break
    sleep 0.2
  done
  sleep 1
}
