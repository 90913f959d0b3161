#!/usr/bin/env bash
# make_test_jars.sh OUT JAVAC JAR: the packer tests' jars, from java/demo/Main.java:
#   OUT/app8.jar       demo.Main for Java 8 (class file version 52), manifest Main-Class demo.Main
#   OUT/app17.jar      the same for Java 17 (61)
#   OUT/plain.jar      demo.Main for Java 8 without a Main-Class
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1 javac=$2 jar=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
for release in 8 17; do
  "$javac" --release "$release" -d "$work/$release" "$here/java/demo/Main.java"
done
# Fixed entry times, so that the jars (and what the packer makes of them) are the same on every build.
find "$work" -exec touch -h -d '2020-01-01 00:00:00Z' {} +
"$jar" --create --file "$out/app8.jar" --main-class demo.Main -C "$work/8" .
"$jar" --create --file "$out/app17.jar" --main-class demo.Main -C "$work/17" .
"$jar" --create --file "$out/plain.jar" -C "$work/8" .
