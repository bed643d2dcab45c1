#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for FUZZ_SECONDS (default
# 60). Any finding (crash, sanitizer report, leak, hang of 10 s) fails the run;
# its input is kept under $FUZZ_BUILD/findings/<target>/ and becomes a test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=(${FUZZ_TARGETS:-template_parser_fuzz job_log_fuzz attribute_lookup_fuzz})

CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 >"$build/build.log" 2>&1 || { cat "$build/build.log"; exit 1; }

status=0
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target  # what the runs found, grown from the seeds
  findings=$build/findings/$target
  mkdir -p "$corpus" "$findings"
  dict=()
  [[ -f $root/fuzz/$target.dict ]] && dict=(-dict="$root/fuzz/$target.dict")
  log=$build/$target.log
  if "$build/$target" "$corpus" "$root/fuzz/corpus/$target" "${dict[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    cov=$({ grep -E '^#[0-9]+[[:space:]]+DONE' "$log" || true; } | sed -E 's/.*(cov: [0-9]+ ft: [0-9]+).*/\1/')
    echo "$target: ${runs:-?} runs, ${cov:-no coverage line}, no finding"
  else
    echo "$target: FINDING (log $log, input in $findings)"
    grep -E -m1 -A30 'ERROR|WARNING: MemorySanitizer|runtime error|deadly signal|timeout' "$log" || tail -40 "$log"
    status=1
  fi
done
exit $status
