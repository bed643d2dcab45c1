#!/usr/bin/env bash
# A run killed between writing the new cursor file and renaming it over the
# old one leaves the old file whole, and the next run reads it and shows the
# same records again. Usage: cursor_killed_run_test.sh JOBVIEW KILL_AT_RENAME_LIB
set -u
jobview=$1 preload=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export JOBVIEW_LOCK_DIR=$work ASAN_OPTIONS=verify_asan_link_order=0
printf ' Job Log created K\n  1\njobs:1\n' > k.log
"$jobview" --json --cursor-file c k.log > /dev/null || exit 1
cp c before
printf 'jobs:2\n' >> k.log
LD_PRELOAD=$preload "$jobview" --json --cursor-file c k.log > first 2>/dev/null
status=$?
failed=0
[[ $status == 137 ]] || { echo "not killed at the rename: status $status"; failed=1; }
cmp -s c before || { echo "the cursor file changed:"; cat c; failed=1; }
"$jobview" --json --cursor-file c k.log > second || failed=1
[[ $(grep -c '"identifier":"2"' second) == 1 ]] || { echo "job 2 not shown again"; failed=1; }
printf 'jobview cursor 1\n1 37 K\n' | cmp -s - c || { echo "not moved on:"; cat c; failed=1; }
exit $failed
