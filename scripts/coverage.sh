#!/usr/bin/env bash
# Line coverage of src/ by the unit and end-to-end tests: a --coverage build
# of its own, every test run, then gcovr's summary (Debian package gcovr).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-coverage}
command -v gcovr >/dev/null || { echo "coverage: gcovr is missing (apt-get install gcovr)" >&2; exit 1; }

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null
# Counts from an earlier build would not match the new objects.
find "$build" -name '*.gcda' -delete 2>/dev/null || true
cmake --build "$build" -j 2 >/dev/null
find "$build" -name '*.gcda' -delete
find "$build/CMakeFiles" -path '*CompilerId*' -name '*.gcno' -delete  # the compiler probe, not ours
(cd "$build" && ctest -j 2 --output-on-failure >/dev/null) || echo "coverage: some tests failed; the figure counts what ran" >&2
gcovr --root "$root" --filter "$root/src/" --exclude-unreachable-branches \
  --object-directory "$build" --print-summary --txt "$build/coverage.txt" "$build" >"$build/summary.txt"
cat "$build/coverage.txt"
grep -E '^lines:' "$build/summary.txt"
