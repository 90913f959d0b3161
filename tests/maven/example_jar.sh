#!/usr/bin/env bash
# example_jar.sh BUILD_JAR PARENT: examples/hello/build-jar gives the same bytes in every build, so
# that scripts/build gives the same dist/hello and dist/hello.zip. The jar tool writes each entry's
# time as local time: two builds in time zones 14 hours apart are byte-identical only when the time is
# fixed. Every entry carries the fixed time, or SOURCE_DATE_EPOCH when it is set. Exits 77 (skipped)
# without a JDK.
set -euo pipefail
build_jar=$1 parent=$2
if ! command -v javac >/dev/null || ! command -v jar >/dev/null; then
  echo "example_jar: no javac or jar: skipped"
  exit 77
fi
mkdir -p "$parent"
rm -rf "$parent"/run.*
work=$(mktemp -d "$parent/run.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "example_jar: $*"; exit 1; }
in_zone() { JAVA_TOOL_OPTIONS=-Duser.timezone=$1 "${@:2}" 2> >(grep -v "^Picked up JAVA_TOOL_OPTIONS" >&2); }

in_zone UTC "$build_jar" "$work/utc.jar"
in_zone GMT+14:00 "$build_jar" "$work/east.jar"
cmp "$work/utc.jar" "$work/east.jar" || fail "two builds of the example's jar differ"
times() { in_zone UTC jar --list --verbose --file "$1" | sed -E 's/^ *[0-9]+ (.{28}) .*/\1/' | sort -u; }
[ "$(times "$work/utc.jar")" = "Thu Jan 01 00:00:00 UTC 2026" ] || fail "the entries' times are not the fixed one: $(times "$work/utc.jar")"

SOURCE_DATE_EPOCH=1700000000 in_zone GMT+14:00 "$build_jar" "$work/epoch.jar"
[ "$(times "$work/epoch.jar")" = "Tue Nov 14 22:13:20 UTC 2023" ] || fail "SOURCE_DATE_EPOCH is not the entries' time: $(times "$work/epoch.jar")"
echo "example_jar: two builds alike, every entry at the fixed time or at SOURCE_DATE_EPOCH"
