#!/usr/bin/env bash
# Runs ctest in a sanitizer build. A test that failed only because LeakSanitizer's own tracer
# crashed at exit (the thread-stopping tracer races the GL driver's threads as they wind down,
# after the test itself passed) runs again, up to twice, and each such rerun is printed with the
# test's name. Any other failure fails at once.
# Usage: tools/ctest-sanitized.sh <build dir> [ctest options...]
set -uo pipefail
build=$1
shift
tracer_crash='LeakSanitizer has encountered a fatal error'

# The names of the failed tests of the last run, one a line, each followed by "crash" when its
# output carries the tracer's crash and "other" when it does not.
failed_tests() {
    /usr/bin/python3 - "$build/Testing/Temporary" "$tracer_crash" <<'PY'
import re, sys
folder, crash = sys.argv[1], sys.argv[2]
try:
    failed = [line.split(":", 1)[1].strip() for line in open(f"{folder}/LastTestsFailed.log") if ":" in line]
except FileNotFoundError:
    failed = []
output, name = {}, None
for line in open(f"{folder}/LastTest.log", errors="replace"):
    m = re.match(r"^\d+/\d+ Testing: (.+)$", line.rstrip("\n"))
    if m:
        name = m.group(1)
        output[name] = ""
    elif name is not None:
        output[name] += line
for test in failed:
    print(test, "crash" if crash in output.get(test, "") else "other")
PY
}

ctest --test-dir "$build" --no-tests=error --output-on-failure "$@" && exit 0
for rerun in 1 2; do
    mapfile -t failures < <(failed_tests)
    names=()
    for line in "${failures[@]}"; do
        name=${line% *}
        if [ "${line##* }" != crash ]; then
            echo "ctest-sanitized: $name failed; not a tracer crash, so it is not run again"
            exit 1
        fi
        names+=("$name")
    done
    [ ${#names[@]} -gt 0 ] || exit 1
    pattern=""
    for name in "${names[@]}"; do
        echo "ctest-sanitized: rerun $rerun of $name after LeakSanitizer's tracer crashed at exit"
        pattern+="${pattern:+|}${name//./\\.}" # test names hold letters, digits, _ - / and dots
    done
    ctest --test-dir "$build" --no-tests=error --output-on-failure -R "^($pattern)\$" && exit 0
done
exit 1
