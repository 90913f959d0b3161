#!/usr/bin/env bash
# signed_folder.sh WINE_RUN SESSION WINDOWS_PACKER HOST_PACKER X64_STUB JAR RUNTIME WORK
# A folder signed inside the build still starts under Wine and reaches main: the signature appended
# to the launcher does not disturb its reading of its own resources (signed by the Linux packer with a
# key file; osslsigncode verifies it). The Windows packer's Sign Command ships what it signed, and its
# failure is one line.
# Exits 77 (skipped) when the host preset's packer has not been built.
set -euo pipefail
wine_run=$1 session=$2 windows_packer=$3 host_packer=$4 x64_stub=$5 jar=$6 runtime=$7 work=$8
if [ ! -x "$host_packer" ]; then
  echo "signed_folder: no Linux packer at $host_packer (build the host preset): skipped"
  exit 77
fi
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/project" "$work/stubs/x64"
cp "$x64_stub" "$work/stubs/x64/vornicw.exe"
cp "$jar" "$work/project/app.jar"
cp -r "$runtime" "$work/project/runtime"
fail() { echo "signed_folder: $*"; exit 1; }
cd "$work"
timeout 60 openssl req -x509 -newkey rsa:2048 -nodes -keyout project/key.pem -out project/cert.pem -days 30 \
  -subj "/CN=vornicw test signer" -addext extendedKeyUsage=codeSigning 2>/dev/null || fail "openssl made no certificate"

project() {  # the [Signing] section's lines
  printf '[Package]\nName=Signed\nJars=app.jar\nRuntime x64=runtime\nCompany=vornicw tests\n\n[Signing]\n%s\n\n' "$1"
  printf '[Product Information]\nProduct Name=Signed\nUpgrade Code={5E1F2A3B-4C5D-4E6F-8A9B-0C1D2E3F4A5B}\n\n'
  printf '[Java Runtime Environment]\nMain Class=demo.Main\n'
}

project "Certificate=cert.pem
Key=key.pem
Description=signed on Linux" >project/linux.vornic
timeout 120 "$host_packer" build project/linux.vornic --stubs stubs --out linux/Signed >/dev/null ||
  fail "the Linux packer did not sign"
# The Windows packer signs only with a Sign Command, run by cmd.exe: the command's exit code and its
# last line come back as one line, and the previous folder stays; a key file is refused before.
mkdir -p windows
cp -r linux/Signed windows/Signed
project "Sign Command=echo signing {file} & echo signing service: quota exceeded 1>&2 & exit /b 3" >project/windows.vornic
timeout 120 "$wine_run" "$session" "$windows_packer" build project/windows.vornic --stubs stubs --out windows/Signed \
  >windows.log 2>&1 && fail "the Windows packer ignored a failing Sign Command"
grep -q '^vornicpack: signing Signed.exe failed: Sign Command ended with exit code 3: signing service: quota exceeded' \
  windows.log || fail "the Windows packer's Sign Command failure: $(cat windows.log)"
cmp linux/Signed/Signed.exe windows/Signed/Signed.exe || fail "a failed signing changed the previous folder"
# A Sign Command that succeeds: both packers give the same unsigned launcher for one project, so the
# Linux packer's signed copy stands in for what a signing service returns. The signed file is what
# ships, in the folder and in the zip.
signed_copy="Z:${work//\//\\}\\linux\\Signed\\Signed.exe"
project "Sign Command=copy /y \"$signed_copy\" {file} >nul" >project/windows.vornic
timeout 120 "$wine_run" "$session" "$windows_packer" build project/windows.vornic --stubs stubs --out windows/Signed \
  --zip windows/Signed.zip >windows.log 2>&1 || fail "the Windows packer's Sign Command did not sign: $(cat windows.log)"
cmp linux/Signed/Signed.exe windows/Signed/Signed.exe || fail "the Windows packer did not ship what its Sign Command signed"
unzip -p windows/Signed.zip Signed/Signed.exe | cmp - linux/Signed/Signed.exe || fail "the zip holds another launcher"
project "Certificate=cert.pem
Key=key.pem" >project/windows.vornic
timeout 120 "$wine_run" "$session" "$windows_packer" build project/windows.vornic --stubs stubs --out windows/Signed \
  >windows.log 2>&1 && fail "the Windows packer took a key file"
grep -q 'the Windows vornicpack signs with a Sign Command only' windows.log || fail "key file on Windows: $(cat windows.log)"

for folder in linux; do
  timeout 60 osslsigncode verify -CAfile project/cert.pem -in "$folder/Signed/Signed.exe" >verify.log 2>&1 ||
    fail "osslsigncode does not verify $folder/Signed/Signed.exe: $(grep -m1 -i error verify.log)"
  echo 'main: args' >"$folder/script.txt"
  VORNIC_STANDIN_SCRIPT="Z:${work//\//\\}\\$folder\\script.txt" VORNIC_STANDIN_RECORD="Z:${work//\//\\}\\$folder\\record.txt" \
    timeout 120 "$wine_run" "$session" "$folder/Signed/Signed.exe" first >/dev/null 2>&1 ||
    fail "the $folder launcher ended with $?"
  grep -q '^call: main$' "$folder/record.txt" || fail "the $folder launcher did not reach main: $(cat "$folder/record.txt")"
  grep -q '^arg: first$' "$folder/record.txt" || fail "main did not get the argument"
done
echo "signed_folder: the signed folder verifies and reaches main under Wine; the Windows Sign Command fails as one line"
