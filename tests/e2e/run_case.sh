#!/usr/bin/env bash
# Runs one end-to-end case: a directory holding `cmd` (a shell line in which
# `jobview` runs the program under test), the input files it names, and the
# exact expected `stdout`, `stderr` and `status` (missing files: empty, 0).
# The case runs in a scratch copy of its directory, with TZ=UTC, its own lock
# directory and no template variables, so it sees nothing of the caller; the
# project's examples/ directory is $EXAMPLES, and the job logs that several
# cases share are in $LOGS (tests/e2e/logs).
set -u
binary=$1
case_dir=$2

work=$(mktemp -d)
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
cp -R "$case_dir/." "$work/"
mkdir -p "$work/.lock"

export JOBVIEW_BINARY=$binary
export EXAMPLES LOGS
EXAMPLES=$(cd "$(dirname "$0")/../../examples" && pwd)
LOGS=$(cd "$(dirname "$0")/logs" 2>/dev/null && pwd)

cd "$work"
status=0
env -u JLOG_TEMPLATE -u SESSPATH TZ=UTC JOBVIEW_LOCK_DIR="$work/.lock" LC_ALL=C \
  bash -c "jobview() { (exec -a jobview \"\$JOBVIEW_BINARY\" \"\$@\"); }; $(cat cmd)" \
  >"$work/.actual_stdout" 2>"$work/.actual_stderr" </dev/null || status=$?

failed=0
compare() {
  local expected=$case_dir/$1 actual=$work/.actual_$1
  [[ -f $expected ]] || expected=/dev/null
  cmp -s "$expected" "$actual" && return
  echo "--- $1 differs (expected, then actual):"
  diff <(od -c "$expected") <(od -c "$actual") | head -40
  failed=1
}
compare stdout
compare stderr
expected_status=0
[[ -f $case_dir/status ]] && expected_status=$(<"$case_dir/status")
if [[ $status != "$expected_status" ]]; then
  echo "--- status $status, expected $expected_status"
  failed=1
fi
exit $failed
