#!/usr/bin/env bash
# installer_scenario.sh WINE_RUN SESSION HOST_PACKER STUB_X64 STANDIN_RUNTIME JAR WORK
# A per-user package of a small application with the stand-in runtime, made by the Linux packer and
# installed by Wine's msiexec: the Start-menu shortcut starts it and main is reached; the file type
# and link scheme are registered for the launcher; 1.1 replaces 1.0, 1.0 over 1.1 is refused; the
# removal takes every file and key it added and leaves the user's settings file.
set -uo pipefail
abs() { case $1 in /*) printf %s "$1" ;; *) printf %s "$PWD/$1" ;; esac; }
run=$(abs "$1") session=$(abs "$2") packer=$(abs "$3") stub=$(abs "$4") runtime=$(abs "$5") jar=$(abs "$6") work=$(abs "$7")
[ -x "$packer" ] || { echo "no host packer at $packer (build the host preset first)"; exit 77; }
[ -f "$jar" ] || { echo "no $jar: build the target vornicpack_test_jars"; exit 1; }
command -v wixl >/dev/null || { echo "no wixl (scripts/setup installs it)"; exit 77; }
# shellcheck disable=SC1091
. "$session/env"
rm -rf "$work" && mkdir -p "$work/stubs/x64" || exit 1
cp "$stub" "$work/stubs/x64/vornicw.exe" && cp -r "$runtime" "$work/rt" && cp "$jar" "$work/app8.jar" || exit 1
code='{3B9D6A42-7E1F-4C85-A0D3-5F28C1E9B764}' product='{0B5C7C1E-2F4A-4E39-8C3B-6D2E1F0A9B87}'
for version in 1.0.0 1.1.0; do
  printf '[Package]\nName=Demo\nJars=app8.jar\nRuntime x64=rt\nVersion=%s\nCompany=Example Software\nInstaller=msi\nFile Types=.demo=Demo Document\nLink Schemes=demo\nOutput Folder=out-%s/Demo\n\n[Product Information]\nProduct Name=Demo\nProduct Code=%s\nUpgrade Code=%s\n' \
    "$version" "$version" "$product" "$code" >"$work/demo-$version.vornic"
  (cd "$work" && "$packer" build "demo-$version.vornic" --stubs stubs) >/dev/null || { echo "packer failed"; exit 1; }
done
windows() { printf 'Z:%s' "${1//\//\\}"; }
msi() { "$run" "$session" msiexec "$@" /qn; }
reg() { "$VORNIC_WINE_LOADER" reg query "$@" 2>/dev/null | tr -d '\r'; }
fails=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fails=$((fails + 1)); fi; }
USER=${USER:-$(id -un)}
users=$WINEPREFIX/drive_c/users/$USER
app=$users/AppData/Local/Programs/Demo
link=$users/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Demo.lnk
settings=$users/AppData/Roaming/Demo/$product/Demo.ini
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
cleanup() {
  msi /x "$(windows "$work/out-1.1.0/Demo-1.1.0-x64.msi")" >/dev/null 2>&1
  msi /x "$(windows "$work/out-1.0.0/Demo-1.0.0-x64.msi")" >/dev/null 2>&1
  rm -rf "$users/AppData/Roaming/Demo"
}
trap cleanup EXIT

check "1.0 installs without an administrator" 'msi /i "$(windows "$work/out-1.0.0/Demo-1.0.0-x64.msi")" >/dev/null'
check "the folder is in the user's programs folder" '[ -f "$app/Demo.exe" ] && [ -f "$app/lib/app8.jar" ] && [ -f "$app/jre64/bin/server/jvm.dll" ]'
check "the Start-menu shortcut is there" '[ -f "$link" ]'
check "the uninstall entry names publisher and version" \
  'reg "$uninstall" /s | grep -q "Publisher    REG_SZ    Example Software" && reg "$uninstall" /s | grep -q "DisplayVersion    REG_SZ    1.0.0"'
export VORNIC_STANDIN_RECORD
VORNIC_STANDIN_RECORD=$(windows "$work/record.txt")
"$run" "$session" start /wait "C:\\users\\$USER\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Demo.lnk" >/dev/null
# start does not wait for what a shortcut starts: wait for the record, within a bound.
for _ in $(seq 1 300); do grep -q "^call: main$" "$work/record.txt" 2>/dev/null && break; sleep 0.1; done
check "the shortcut's target starts the application and main is reached" 'grep -q "^call: main$" "$work/record.txt"'
check "the file type opens the installed launcher with the path" \
  'reg "HKCU\\Software\\Classes\\Demo.demo\\shell\\open\\command" | grep -qF "\"C:\\users\\$USER\\AppData\\Local\\Programs\\Demo\\Demo.exe\" \"%1\""'
check "the link scheme is a URL protocol of the launcher" \
  'reg "HKCU\\Software\\Classes\\demo" | grep -q "URL Protocol" && reg "HKCU\\Software\\Classes\\demo\\shell\\open\\command" | grep -qF "Demo.exe\" \"%1\""'
mkdir -p "$(dirname "$settings")" && printf '[Java Runtime Environment]\r\nJRE Path=C:\\chosen\r\n' >"$settings"
before=$(sha256sum <"$app/Demo.exe")
check "1.1 installs over 1.0" 'msi /i "$(windows "$work/out-1.1.0/Demo-1.1.0-x64.msi")" >/dev/null'
check "1.1 replaced the files and the entry" \
  '[ "$(sha256sum <"$app/Demo.exe")" != "$before" ] && reg "$uninstall" /s | grep -q "DisplayVersion    REG_SZ    1.1.0" && ! reg "$uninstall" /s | grep -q "DisplayVersion    REG_SZ    1.0.0"'
check "1.0 over 1.1 is refused" '! msi /i "$(windows "$work/out-1.0.0/Demo-1.0.0-x64.msi")" >/dev/null'
check "1.1 stays after the refusal" 'reg "$uninstall" /s | grep -q "DisplayVersion    REG_SZ    1.1.0"'
check "removal succeeds" 'msi /x "$(windows "$work/out-1.1.0/Demo-1.1.0-x64.msi")" >/dev/null'
check "removal takes the folder and the shortcut" '[ ! -e "$app" ] && [ ! -e "$link" ]'
check "removal takes the file type, the link scheme and the uninstall entry" \
  '! reg "HKCU\\Software\\Classes\\.demo" | grep -q Demo && ! reg "HKCU\\Software\\Classes\\Demo.demo" | grep -q Demo && ! reg "HKCU\\Software\\Classes\\demo" | grep -q URL && ! reg "$uninstall" /s | grep -q "Example Software"'
check "removal leaves the user's settings file" 'grep -q "JRE Path" "$settings"'
[ $fails -eq 0 ]
