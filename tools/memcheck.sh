#!/usr/bin/env bash
# Plays a program of the normal build under valgrind's memcheck with random keys (tools/soak.sh),
# then Escape. Passes when memcheck finds no invalid read or write, no use of uninitialised
# values, and nothing definitely lost; errors inside the system's GL driver, X11 and SDL are
# theirs and suppressed (tools/memcheck.supp).
# Usage: tools/memcheck.sh [program] [seconds]   (defaults: build/run/trelvik, 25)
# The full report is kept in memcheck-<program>.log in the working directory.
set -u
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-build/run/trelvik}
seconds=${2:-25}
log="$PWD/memcheck-$(basename "$program").log"
# Mesa's JIT writes code it then runs: valgrind must watch for that. The GL driver is unloaded at
# exit; its symbols are kept so that its leaks can be told from ours.
options=(--tool=memcheck --error-exitcode=3 --leak-check=full --show-leak-kinds=definite
    --errors-for-leak-kinds=definite --smc-check=all-non-file --suppressions="$here/memcheck.supp"
    --keep-debuginfo=yes --num-callers=40 --log-file="$log")
export SOAK_WRAPPER="valgrind ${options[*]}"
"$here/soak.sh" "$program" "$seconds" 0
status=$?
grep -E "ERROR SUMMARY|definitely lost|Invalid (read|write)" "$log" | sed 's/^==[0-9]*== //' | sort | uniq -c
exit $status
