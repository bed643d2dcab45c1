#!/usr/bin/env bash
# Proves a device build on the build machine: checks that the binary is a
# static executable of the device architecture, then runs every end-to-end
# case against it under qemu-user, through the same runner as native builds.
# Usage: cross_test.sh ARCH BINARY   (ARCH: armhf or aarch64)
set -u
arch=$1
binary=$(realpath "$2")
root=$(cd "$(dirname "$0")/.." && pwd)

case $arch in
  armhf) emulator=qemu-arm machine=ARM ;;
  aarch64) emulator=qemu-aarch64 machine=AArch64 ;;
  *) echo "cross_test.sh: unknown architecture '$arch'" >&2; exit 2 ;;
esac
command -v "$emulator" >/dev/null || { echo "cross_test.sh: $emulator not found (apt-get install qemu-user)" >&2; exit 2; }

if ! readelf -h "$binary" | grep -q "Machine: *$machine"; then
  echo "cross_test.sh: $binary is not an $arch executable" >&2; exit 1
fi
# A static binary has no program interpreter and needs no shared library.
if readelf -l "$binary" | grep -q INTERP || readelf -d "$binary" | grep -q NEEDED; then
  echo "cross_test.sh: $binary is not statically linked" >&2; exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The runner starts the program as `exec -a jobview BINARY`; qemu does not pass
# that name on, so the wrapper gives it explicitly (the usage text and getopt's
# messages show it).
cat >"$work/jobview" <<WRAPPER
#!/bin/sh
exec $emulator -0 jobview "$binary" "\$@"
WRAPPER
chmod +x "$work/jobview"

# Where the device legitimately differs from the build machine (a `long` has
# 32 bits on armhf), a case holds the device's expectation beside the common
# one, as stdout.armhf, stderr.armhf or status.armhf; the case then runs from
# a copy with those files in place.
staged_case() {
  local case_dir=$1 file override=
  for file in stdout stderr status; do
    [[ -f $case_dir/$file.$arch ]] && override=1
  done
  if [[ -z $override ]]; then echo "$case_dir"; return; fi
  local copy=$work/cases/$(basename "$case_dir")
  mkdir -p "$copy" && cp -R "$case_dir/." "$copy/"
  for file in stdout stderr status; do
    [[ -f $case_dir/$file.$arch ]] && cp "$case_dir/$file.$arch" "$copy/$file"
  done
  echo "$copy"
}

passed=0 failed=0 failures=()
for case_dir in "$root"/tests/e2e/cases/*/; do
  [[ -d $case_dir ]] || continue
  name=$(basename "$case_dir")
  if out=$(bash "$root/tests/e2e/run_case.sh" "$work/jobview" "$(staged_case "${case_dir%/}")" 2>&1); then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    failures+=("$name")
    printf '=== %s failed under %s:\n%s\n' "$name" "$emulator" "$out"
  fi
done

echo "cross test: $arch static binary, $(stat -c %s "$binary") bytes, e2e cases under $emulator"
((failed)) && printf 'failed: %s\n' "${failures[@]}"
echo "$passed passed, $failed failed"
((passed + failed > 0)) || { echo "no end-to-end case found" >&2; exit 1; }
((failed == 0))
