#!/usr/bin/env bash
# download_screenshots.sh BUILD_DIR OUT_DIR
# Screenshots of the runtime download as a user sees it, in English and German: the question
# ("Runtime Download=Ask"), then the progress window of a download that a local server feeds slowly
# ("Runtime Download=Yes"). The prefix has no Java, so the packaged copy finds none and downloads.
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$build/download-screenshots
mkdir -p "$work"

# shellcheck source=../vornicpack/screenshot_common.sh
. "$root/tests/vornicpack/screenshot_common.sh"

# A 24 MB archive, fed at about 2 MB a second: the progress window has time to show it.
head -c 25165824 /dev/urandom >"$work/jre.zip"
size=$(stat -c %s "$work/jre.zip")
digest=$(sha256sum "$work/jre.zip" | cut -d' ' -f1)
python3 - "$work/jre.zip" >"$work/port" 2>/dev/null <<'PY' &
import http.server, sys, time
body = open(sys.argv[1], 'rb').read()
class Slow(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        for at in range(0, len(body), 65536):
            self.wfile.write(body[at:at + 65536])
            time.sleep(0.03)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(('127.0.0.1', 0), Slow)
print(server.server_port, flush=True)
server.serve_forever()
PY
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")

package() {  # package CONSENT
  cat >"$work/app.ini" <<INI
[Product Information]
Product Name=Demo Suite
[Java Runtime Environment]
Main Class=com.example.app.Main
Minimum Version=17
[Runtime Download]
Runtime Download=$1
x64 URL=http://127.0.0.1:$port/jre.zip
x64 SHA-256=$digest
x64 Size=$size
INI
  local packer=$root/dist/vornicpack
  [ -x "$packer" ] || packer=$root/build/host/tools/vornicpack/vornicpack
  "$packer" --stub "$build/src/vornicw.exe" --settings "$work/app.ini" --out "$work/Demo.exe" >/dev/null
}

start_scaled_session 96
for locale in en_US de_DE; do
  for consent in Ask Yes; do
    package "$consent"
    LANG=$locale.UTF-8 LC_ALL=$locale.UTF-8 "$VORNIC_WINE_LOADER" "$work/Demo.exe" &
    launcher=$!
    if [ "$consent" = Ask ]; then wait_for_window 'Demo Suite'; else wait_for_window 'Java'; sleep 2; fi
    import -display "$DISPLAY" -window root "$out/download-${consent,,}-${locale%_*}.png"
    kill "$launcher" 2>/dev/null || true
    wait "$launcher" 2>/dev/null || true
  done
  # Wine takes the UI language from the first program of a session.
  "$root/scripts/wine-session" stop "$session" x64
  start_scaled_session 96
done
"$root/scripts/wine-session" stop "$session" x64
echo "download_screenshots: $out/download-{ask,yes}-{en,de}.png"
