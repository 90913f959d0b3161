#!/usr/bin/env bash
# same_output.sh WINE_RUN SESSION WINDOWS_PACKER HOST_PACKER X64_STUB X86_STUB JAR RUNTIME WORK
# The Linux and the Windows vornicpack assemble one project (both launchers, a jar, a runtime) into
# byte-identical folders and zips, and two runs of the Linux one agree too (compared with cmp).
# Exits 77 (skipped) when the host preset's packer has not been built.
set -euo pipefail
wine_run=$1 session=$2 windows_packer=$3 host_packer=$4 x64_stub=$5 x86_stub=$6 jar=$7 runtime=$8 work=$9
if [ ! -x "$host_packer" ]; then
  echo "same_output: no Linux packer at $host_packer (build the host preset): skipped"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work/project" "$work/stubs/x64" "$work/stubs/x86"
cp "$x64_stub" "$work/stubs/x64/vornicw.exe"
cp "$x86_stub" "$work/stubs/x86/vornicw.exe"
cp "$jar" "$work/project/app.jar"
cp -r "$runtime" "$work/project/runtime"
printf 'JAVA_VERSION="17.0.2"\n' >"$work/project/runtime/release"
cat >"$work/project/app.vornic" <<'PROJECT'
[Package]
Name=Same
Launchers=x64, x86
Jars=*.jar
Runtime x64=runtime

[Product Information]
Product Name=Same
PROJECT
cd "$work"
export SOURCE_DATE_EPOCH=1700000000
# Relative paths, so that both packers read the same names.
"$host_packer" build project/app.vornic --stubs stubs --out linux/Same --zip linux/Same.zip >/dev/null
"$host_packer" build project/app.vornic --stubs stubs --out again/Same --zip again/Same.zip >/dev/null
"$wine_run" "$session" "$windows_packer" build project/app.vornic --stubs stubs --out windows/Same --zip windows/Same.zip >/dev/null

status=0
files=$(cd linux && find . -type f | sort)
[ -n "$files" ] || { echo "same_output: the Linux packer wrote nothing"; exit 1; }
for other in again windows; do
  [ "$(cd "$other" && find . -type f | sort)" = "$files" ] || { echo "same_output: $other holds other files"; status=1; }
  for file in $files; do
    cmp "linux/$file" "$other/$file" || status=1
  done
done
echo "same_output: compared $(echo "$files" | wc -l) files; Linux packer twice and the Windows packer"
exit $status
