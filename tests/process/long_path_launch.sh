#!/usr/bin/env bash
# long_path_launch.sh WINE_RUN SESSION INSTALLER FOLDER
# A launcher installed under a path over MAX_PATH reads its settings (the INI file beside it and the
# packaged settings it deciphers with that file's pass phrase) and starts its runtime. Windows'
# CreateProcess (and Wine's) cannot start an image at such a path, so it is started the way a Unix
# shell starts it, through Wine's loader; the exit code arrives as its low 8 bits.
set -euo pipefail
run=$1 session=$2 installer=$3 folder=$4
rm -rf "$folder"
mkdir -p "$folder"
"$run" "$session" "$installer" "Z:${folder//\//\\}"
home=$folder/$(printf 'a%.0s' $(seq 150))/$(printf 'b%.0s' $(seq 150))
record=$folder/record.txt
status=0
VORNIC_STANDIN_RECORD="Z:${record//\//\\}" APPDATA="Z:${folder//\//\\}\\appdata" \
  timeout 120 "$run" "$session" "$home/app.exe" -nosplash || status=$?
fail=0
[ "$status" = 0 ] || { echo "exit status $status, expected 0"; fail=1; }
for line in 'option: -Dfrom.ini=yes' 'main-class: app/Main' 'call: main'; do
  grep -qxF "$line" "$record" 2>/dev/null || { echo "the record lacks \"$line\""; fail=1; }
done
[ "$fail" = 0 ] || { echo "record:"; cat "$record" 2>/dev/null || true; exit 1; }
rm -rf "$folder"
echo "long-path launch: settings read, runtime started, exit 0"
