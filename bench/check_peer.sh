#!/usr/bin/env bash
# Checks that the awk peer prints exactly what jobview prints for the built-in
# display of a generated log, so that the benchmark compares like with like.
#   check_peer.sh GEN_LOG JOBVIEW
set -euo pipefail
gen_log=$1
jobview=$2
peer=$(dirname "$0")/peer.awk

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/lock"
status=0
for seed in 1 2 3; do
  "$gen_log" -s 400K -S "$seed" -o "$work/log$seed"
  env -u JLOG_TEMPLATE -u SESSPATH TZ=UTC LC_ALL=C awk -f "$peer" "$work/log$seed" >"$work/peer$seed"
  (cd "$work" && env -u JLOG_TEMPLATE -u SESSPATH TZ=UTC LC_ALL=C JOBVIEW_LOCK_DIR="$work/lock" \
     "$jobview" "log$seed" >"$work/jobview$seed")
  if ! cmp "$work/jobview$seed" "$work/peer$seed"; then
    diff "$work/jobview$seed" "$work/peer$seed" | head -20
    status=1
  fi
done
exit $status
