#!/usr/bin/env bash
# The benchmark behind `make bench`: builds jobview with optimisation, makes
# job logs of the requested sizes outside the repository (reused when
# present), and times cat (the read limit), the awk peer and three displays of
# jobview on each, output to /dev/null, TZ=UTC. Prints the table and whether
# each target is met.
#
#   BENCH_SIZES  sizes to run, default "10M 100M 1G" (K, M, G: powers of 1000)
#   BENCH_DIR    where the logs live, default /tmp/jobview-bench
#   BENCH_RUNS   runs per command, default 5 (the awk peer: 3 on 100M, 1 from 1G)
#   BENCH_BUILD  build directory, default build-release
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${BENCH_BUILD:-build-release}
bench_dir=${BENCH_DIR:-/tmp/jobview-bench}
sizes=${BENCH_SIZES:-10M 100M 1G}
runs=${BENCH_RUNS:-5}

echo "== building with optimisation in $build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DJOBVIEW_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target jobview jobview_gen_log jobview_measure >/dev/null
jobview=$root/$build/jobview
gen_log=$root/$build/bench/jobview_gen_log
measure=$root/$build/bench/jobview_measure

mkdir -p "$bench_dir/lock"
# The run directory holds no joblog.tpl, so jobview keeps its built-in display.
cd "$bench_dir"
unset JLOG_TEMPLATE SESSPATH
export TZ=UTC LC_ALL=C JOBVIEW_LOCK_DIR=$bench_dir/lock

results=$bench_dir/results.txt
: >"$results"
: >"$bench_dir/peer-differs"
echo "== load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg) (the machine is shared: compare ratios, not times)"

# One timed run of a command, appended to its file of samples.
sample() {
  local file=$1
  shift
  "$measure" "$@" >>"$file"
}

# The median wall time, the largest peak RSS, the worst exit status and the
# median CPU time of a command's samples, as a line of the results.
summarise() {
  local size=$1 bytes=$2 records=$3 name=$4 file=$5
  local cpu
  cpu=$(awk '{ print $4 }' "$file" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
  sort -g "$file" | awk -v tag="$size $bytes $records $name" -v cpu="$cpu" '
    { t[NR] = $1; if ($2 > rss) rss = $2; if ($3 > status) status = $3 }
    END { print tag, t[int((NR + 1) / 2)], rss, status + 0, cpu }' >>"$results"
}

for size in $sizes; do
  log=$bench_dir/log-$size.log
  if [[ ! -s $log || ! -s $log.counts ]]; then
    echo "== generating $log"
    "$gen_log" -s "$size" -S 1 -o "$log.tmp" -c "$log.counts"
    mv "$log.tmp" "$log"
  fi
  bytes=$(stat -c %s "$log")
  records=$(awk '$1 == "records" { print $2 }' "$log.counts")
  awk_runs=$runs
  ((bytes >= 100000000 && awk_runs > 3)) && awk_runs=3
  ((bytes >= 1000000000)) && awk_runs=1
  echo "== $size: $bytes bytes, $records records; $runs runs ($awk_runs of the awk peer)"
  cat "$log" >/dev/null  # into the page cache before anything is timed
  # The peer only counts as a peer if it prints what jobview prints.
  if cmp -s <("$jobview" "$log") <(awk -f "$root/bench/peer.awk" "$log"); then
    echo "   the awk peer's output is identical to jobview's"
  else
    echo "   WARNING: the awk peer's output differs from jobview's" >&2
    echo "$size" >>"$bench_dir/peer-differs"
  fi
  samples=$bench_dir/samples
  rm -rf "$samples"
  mkdir "$samples"
  # Round by round, so that a burst of load on the shared machine falls on
  # every command alike and the ratios stay fair.
  for ((run = 1; run <= runs; run++)); do
    sample "$samples/cat" cat "$log"
    ((run <= awk_runs)) && sample "$samples/awk-peer" awk -f "$root/bench/peer.awk" "$log"
    sample "$samples/jobview" "$jobview" "$log"
    sample "$samples/jobview-t-template20" "$jobview" -t "$root/bench/template20.tpl" "$log"
    sample "$samples/jobview-R" "$jobview" -R "$log"
    echo "   round $run done"
  done
  for name in cat awk-peer jobview jobview-t-template20 jobview-R; do
    summarise "$size" "$bytes" "$records" "$name" "$samples/$name"
  done
  rm -rf "$samples"
done

echo
echo "== machine: $(uname -srm), $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
  "$(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo)"
awk '
function row(k,    x, note) {
  note = status[k] != 0 ? "  (exit status " status[k] ")" : ""
  x = time[k] / time[s, "cat"]
  printf "%-22s %9.3f %9.3f %9.1f %8.2f %8.2f %9.1f", name[k], time[k], cpu[k], bytes[s] / 1e6 / time[k], x,
         time[s, "awk-peer"] / time[k], rss[k] / 1024
  if (name[k] ~ /^jobview/) printf " %9.1f", per_record(k)
  printf "%s\n", note
}
function per_record(k,    over) {
  over = rss[k] * 1024 - 16 * 1048576
  return (over > 0 ? over : 0) / records[s]
}
function verdict(what, ok, measured) {
  printf "  %-52s %-8s %s\n", what, ok ? "met" : "NOT MET", measured
}
FILENAME != results { differs[$1] = 1; next }
{
  s = $1
  if (!(s in bytes)) order[++sizes] = s
  bytes[s] = $2; records[s] = $3
  k = s SUBSEP $4
  name[k] = $4; time[k] = $5; rss[k] = $6; status[k] = $7; cpu[k] = $8
  cmds[s] = cmds[s] " " $4
}
END {
  for (i = 1; i <= sizes; i++) {
    s = order[i]
    printf "\n%s log: %.1f MB, %d records\n", s, bytes[s] / 1e6, records[s]
    printf "%-22s %9s %9s %9s %8s %8s %9s %9s\n", "command", "median s", "cpu s", "MB/s", "x cat", "awk/x",
           "RSS MB", "B/record"
    n = split(substr(cmds[s], 2), c, " ")
    for (j = 1; j <= n; j++) row(s SUBSEP c[j])
    jv = time[s, "jobview"]
    if (s in differs) printf "the awk peer printed other output than jobview on this log: its ratios compare unlike work\n"
    printf "targets (binding on the 1 GB log):\n"
    verdict("built-in display >= 6x faster than the awk peer", time[s, "awk-peer"] / jv >= 6,
            sprintf("%.1fx", time[s, "awk-peer"] / jv))
    verdict("built-in display <= 15x cat", jv / time[s, "cat"] <= 15, sprintf("%.1fx", jv / time[s, "cat"]))
    t = time[s, "jobview-t-template20"] / time[s, "cat"]
    verdict("20-item template <= 25x cat", t <= 25, sprintf("%.1fx", t))
    t = time[s, "jobview-R"] / time[s, "cat"]
    verdict("raw mode <= 4x cat", t <= 4, sprintf("%.1fx", t))
    worst = 0
    for (j = 1; j <= n; j++) if (c[j] ~ /^jobview/ && per_record(s SUBSEP c[j]) > worst) worst = per_record(s SUBSEP c[j])
    verdict("peak RSS <= 16 MB + 16 B/record", worst <= 16, sprintf("%.1f B/record over 16 MB", worst))
  }
}' results="$results" "$bench_dir/peer-differs" "$results"
