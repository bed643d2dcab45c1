#!/usr/bin/env bash
# Runs every end-to-end case with jobview under valgrind memcheck: any memory
# error or definite leak makes the program end with status 99, which fails the
# case. valgrind finds the program through PATH under the name `jobview`, so
# the program sees the same argv[0] as in a plain run (getopt's messages name it).
set -euo pipefail
binary=$(realpath "$1")
here=$(cd "$(dirname "$0")/../tests" && pwd)
jobs=${JOBS:-2}

shim=$(mktemp -d)
trap 'rm -rf "$shim"' EXIT
mkdir "$shim/bin"
ln -s "$binary" "$shim/bin/jobview"
# valgrind keeps its own files in TMPDIR and cannot start when that names no
# folder; the cases that give jobview such a TMPDIR run it without valgrind.
cat >"$shim/jobview-memcheck" <<WRAPPER
#!/usr/bin/env bash
if [[ -n \${TMPDIR-} && ! -d \$TMPDIR ]]; then PATH="$shim/bin:\$PATH" exec jobview "\$@"; fi
PATH="$shim/bin:\$PATH" exec valgrind -q --error-exitcode=99 --leak-check=full \\
  --errors-for-leak-kinds=definite --show-leak-kinds=definite jobview "\$@"
WRAPPER
chmod +x "$shim/jobview-memcheck"

export shim here
failed=$(find "$here/e2e/cases" -mindepth 1 -maxdepth 1 -type d | sort |
  xargs -P "$jobs" -I{} bash -c '
    if out=$(bash "$here/e2e/run_case.sh" "$shim/jobview-memcheck" "{}" 2>&1); then
      echo "ok   $(basename "{}")" >&2
    else
      printf "FAIL %s\n%s\n" "$(basename "{}")" "$out" >&2
      echo "{}"
    fi')
count=$(find "$here/e2e/cases" -mindepth 1 -maxdepth 1 -type d | wc -l)
if [[ -n $failed ]]; then
  echo "memcheck: $(wc -l <<<"$failed") of $count cases failed under valgrind"
  exit 1
fi
echo "memcheck: all $count end-to-end cases pass under valgrind: no memory errors, no definite leaks"
