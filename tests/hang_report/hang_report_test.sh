#!/usr/bin/env bash
# hang_report_test.sh WINE_RUN SESSION PROGRAM LIMIT LINE TITLE
# Runs a program that hangs through wine-run with a limit of LIMIT seconds and checks what a hang
# leaves: wine-run fails with 124; the report holds the program's output so far (LINE), its processes
# (the program and the child it started, with their threads and their backtraces) and its window
# (TITLE) tied to one of them; and afterwards no process of the program is left.
set -uo pipefail
wine_run=$1 session=$2 program=$3 limit=$4 line=$5 title=$6
name=${program##*/}
report=$(mktemp)
trap 'rm -f "$report"' EXIT

# The watchdog of the test main would report a hang inside a test first: it is put past the limit.
VORNIC_RUN_LIMIT=$limit VORNIC_WATCHDOG_SECONDS=3600 "$wine_run" "$session" "$program" >"$report" 2>&1
status=$?
cat "$report"
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

[ "$status" -eq 124 ] || fail "wine-run ended with $status, not with 124 for a program past its limit"
# grep -q ends at its first match: fed by a pipe, the writer would then die of SIGPIPE, which pipefail
# counts as a failed check once the report outgrows the pipe's buffer.
grep -qxF "$line" < <(tr -d '\r' <"$report") || fail "the program's output so far ($line) is not in the report"
grep -qxF "wine-run: $name ran past its limit of $limit s (VORNIC_RUN_LIMIT)" "$report" ||
  fail "the report does not say that $name ran past its limit"
mark=$(sed -n 's/^wine-run: its processes carry VORNIC_RUN_MARK=//p' "$report")
[ -n "$mark" ] || fail "the report does not name the mark of the program's processes"

# The program's own processes are the lines marked "*".
mapfile -t own < <(sed -n 's/^wine-run: \* \([0-9]*\) .*/\1/p' "$report")
grep -qE "^wine-run: \* [0-9]+ .*${name%.exe}" "$report" || fail "the program is not among its processes"
grep -qE '^wine-run: \* [0-9]+ .*hang_child' "$report" || fail "the child it started is not among its processes"
grep -qE '^wine-run:       thread [0-9]+ \(.*\) [A-Z] ' "$report" || fail "no thread of the program with its state"

# Where its threads stand, as Windows sees them: a backtrace for a thread of the program, with frames.
grep -qE "^wine-run:   Backtracing for thread [0-9a-f]+ in process [0-9a-f]+ \(.*${name}\):\$" "$report" ||
  fail "no backtrace of a thread of $name"
grep -qE '^wine-run:     (=>)?[0-9]+ 0x' "$report" || fail "the backtraces hold no frame"

# Its window: on the display, tied to one of its processes; and as Windows sees it, with its class.
window=$(grep -F " title \"$title\"" "$report" | grep '^wine-run: . window 0x' | head -n 1)
if [[ $window =~ ^wine-run:\ \*\ window\ 0x[0-9a-f]+\ pid\ ([0-9]+)\  ]]; then
  pid=${BASH_REMATCH[1]}
  grep -qx "$pid" < <(printf '%s\n' "${own[@]}") || fail "window \"$title\" names process $pid, not one of the program's"
else
  fail "the window \"$title\" is not reported as a shown window of the program"
fi
grep -qE "^wine-run:   window class \"VornicHangProof\" title \"$title\" process [0-9]+ ${name} thread [0-9]+\$" "$report" ||
  fail "Windows' list of windows does not show the class and process of \"$title\""

# Nothing of the program is left: no process carries its mark, but a session service it started
# (listed with "+"), which the session keeps.
for dir in /proc/[0-9]*; do
  grep -qxF "VORNIC_RUN_MARK=$mark" < <(tr '\0' '\n' 2>/dev/null <"$dir/environ") || continue
  read -r stat 2>/dev/null <"$dir/stat" || continue
  stat=${stat##*) }
  [ "${stat%% *}" = Z ] && continue
  grep -qE "^wine-run: \+ ${dir#/proc/} " "$report" && continue
  fail "process ${dir#/proc/} of the program is still there: $(tr '\0' ' ' <"$dir/cmdline")"
done

[ "$failures" -eq 0 ] || exit 1
echo "the hang of $name left its report and no process behind"
