#!/usr/bin/env bash
# The benchmark behind `make bench`: builds jobview with optimisation, makes
# job logs of the requested sizes outside the repository (reused when
# present), and times on each, output to /dev/null, TZ=UTC: cat (the read
# limit), the awk peer, and jobview's three displays, two selections, --json
# and a --cursor-file run with nothing new. A log of the largest size whose
# bytes lie mostly in long URIs is timed too, and, when a baseline revision is
# named, that revision's built-in display beside this one's.
# Prints the table and whether each target is met.
#
#   BENCH_SIZES     sizes to run, default "10M 100M 1G" (K, M, G: powers of 1000)
#   BENCH_LONG      size of the long-URI log, default the last of BENCH_SIZES ("" for none)
#   BENCH_BASELINE  a git revision to compare the built-in display with (default none)
#   BENCH_DIR       where the logs live, default /tmp/jobview-bench
#   BENCH_RUNS      runs per command, default 5 (the awk peer: 3 on 100M, 1 from 1G)
#   BENCH_BUILD     build directory, default build-release
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${BENCH_BUILD:-build-release}
bench_dir=${BENCH_DIR:-/tmp/jobview-bench}
sizes=${BENCH_SIZES:-10M 100M 1G}
long=${BENCH_LONG-${sizes##* }}
baseline=${BENCH_BASELINE:-}
runs=${BENCH_RUNS:-5}

echo "== building with optimisation in $build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DJOBVIEW_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target jobview jobview_gen_log jobview_measure >/dev/null
jobview=$root/$build/jobview
gen_log=$root/$build/bench/jobview_gen_log
measure=$root/$build/bench/jobview_measure
baseline_jobview=
if [[ -n $baseline ]]; then
  echo "== building the baseline $baseline"
  source_dir=$bench_dir/baseline-source
  rm -rf "$source_dir"
  mkdir -p "$source_dir"
  git archive "$baseline" | tar -x -C "$source_dir"
  cmake -S "$source_dir" -B "$bench_dir/baseline-build" -DCMAKE_BUILD_TYPE=Release \
    -DJOBVIEW_TESTS=OFF >/dev/null
  cmake --build "$bench_dir/baseline-build" -j 2 --target jobview >/dev/null
  baseline_jobview=$bench_dir/baseline-build/jobview
fi

mkdir -p "$bench_dir/lock"
# The run directory holds no joblog.tpl, so jobview keeps its built-in display.
cd "$bench_dir"
unset JLOG_TEMPLATE SESSPATH
export TZ=UTC LC_ALL=C JOBVIEW_LOCK_DIR=$bench_dir/lock

results=$bench_dir/results.txt
: >"$results"
: >"$bench_dir/peer-differs"
: >"$bench_dir/tail-differs"
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

logs=$sizes
[[ -n $long ]] && logs="$logs $long-long"
for key in $logs; do
  size=${key%-long}
  flags=()
  [[ $key == *-long ]] && flags=(-U)
  log=$bench_dir/log-$key.log
  if [[ ! -s $log || ! -s $log.counts ]]; then
    echo "== generating $log"
    "$gen_log" -s "$size" -S 1 "${flags[@]}" -o "$log.tmp" -c "$log.counts"
    mv "$log.tmp" "$log"
  fi
  bytes=$(stat -c %s "$log")
  records=$(awk '$1 == "records" { print $2 }' "$log.counts")
  awk_runs=$runs
  ((bytes >= 100000000 && awk_runs > 3)) && awk_runs=3
  ((bytes >= 1000000000)) && awk_runs=1
  [[ $key == *-long ]] && awk_runs=0
  echo "== $key: $bytes bytes, $records records; $runs runs ($awk_runs of the awk peer)"
  cat "$log" >/dev/null  # into the page cache before anything is timed
  # The peer only counts as a peer if it prints what jobview prints.
  if ((awk_runs == 0)); then
    :
  elif cmp -s <("$jobview" "$log") <(awk -f "$root/bench/peer.awk" "$log"); then
    echo "   the awk peer's output is identical to jobview's"
  else
    echo "   WARNING: the awk peer's output differs from jobview's" >&2
    echo "$key" >>"$bench_dir/peer-differs"
  fi
  samples=$bench_dir/samples
  rm -rf "$samples"
  mkdir "$samples"
  names="cat"
  ((awk_runs > 0)) && names="$names awk-peer"
  names="$names jobview jobview-t-template20 jobview-R jobview-m20 jobview-match-1pc jobview-keep-all"
  names="$names jobview-json jobview-cursor-again"
  # A cursor that has seen every record: the runs after it find nothing new.
  cursor=$bench_dir/cursor-$key
  rm -f "$cursor"
  "$jobview" --json --cursor-file "$cursor" "$log" >/dev/null
  if ! cmp -s <("$jobview" -m 20 "$log") <(JOBVIEW_SCAN_STEP=0 "$jobview" -m 20 "$log"); then
    echo "   WARNING: -m 20 read from the end differs from the whole scan's" >&2
    echo "$key" >>"$bench_dir/tail-differs"
  fi
  [[ -n $baseline_jobview ]] && names="$names baseline"
  # Round by round, so that a burst of load on the shared machine falls on
  # every command alike and the ratios stay fair.
  for ((run = 1; run <= runs; run++)); do
    sample "$samples/cat" cat "$log"
    ((run <= awk_runs)) && sample "$samples/awk-peer" awk -f "$root/bench/peer.awk" "$log"
    sample "$samples/jobview" "$jobview" "$log"
    sample "$samples/jobview-t-template20" "$jobview" -t "$root/bench/template20.tpl" "$log"
    sample "$samples/jobview-R" "$jobview" -R "$log"
    sample "$samples/jobview-m20" "$jobview" -m 20 "$log"
    # One host of 64 sends about 1.6 % of the jobs; every job has an owner.
    sample "$samples/jobview-match-1pc" "$jobview" --match job-originating-host-name=host-7.local "$log"
    sample "$samples/jobview-keep-all" "$jobview" --owner '*' "$log"
    sample "$samples/jobview-json" "$jobview" --json "$log"
    sample "$samples/jobview-cursor-again" "$jobview" --json --cursor-file "$cursor" "$log"
    [[ -n $baseline_jobview ]] && sample "$samples/baseline" "$baseline_jobview" "$log"
    echo "   round $run done"
  done
  for name in $names; do
    summarise "$key" "$bytes" "$records" "$name" "$samples/$name"
  done
  rm -rf "$samples"
done

echo
echo "== machine: $(uname -srm), $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
  "$(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo)"
awk -v binding="${sizes##* }" -v smallest="${sizes%% *}" -v tail_differs="$(tr '\n' ' ' <"$bench_dir/tail-differs")" -v long="${long:+$long-long}" -v baseline="$baseline" '
function row(k,    x, note) {
  note = status[k] != 0 ? "  (exit status " status[k] ")" : ""
  x = time[k] / time[s, "cat"]
  printf "%-22s %9.3f %9.3f %9.1f %8.2f", name[k], time[k], cpu[k], bytes[s] / 1e6 / time[k], x
  if ((s, "awk-peer") in time) printf " %8.2f", time[s, "awk-peer"] / time[k]
  else printf " %8s", "-"
  printf " %9.1f%s\n", rss[k] / 1024, note
}
function ratio(s, k) { return time[s, k] / time[s, "cat"] }
function verdict(what, ok, measured) {
  printf "  %-62s %-8s %s\n", what, ok ? "met" : "NOT MET", measured
}
FILENAME != results { differs[$1] = 1; next }
{
  s = $1
  if (!(s in bytes)) order[++sizes] = s
  bytes[s] = $2; records[s] = $3
  k = s SUBSEP $4
  name[k] = $4; time[k] = $5; rss[k] = $6; status[k] = $7; cpu[k] = $8
  cmds[s] = cmds[s] " " $4
  if ($4 ~ /^jobview/ && $6 > worst_rss) worst_rss = $6
}
END {
  for (i = 1; i <= sizes; i++) {
    s = order[i]
    printf "\n%s log: %.1f MB, %d records\n", s, bytes[s] / 1e6, records[s]
    printf "%-22s %9s %9s %9s %8s %8s %9s\n", "command", "median s", "cpu s", "MB/s", "x cat", "awk/x",
           "RSS MiB"
    n = split(substr(cmds[s], 2), c, " ")
    for (j = 1; j <= n; j++) row(s SUBSEP c[j])
    if (s in differs) printf "the awk peer printed other output than jobview on this log: its ratios compare unlike work\n"
  }
  s = binding
  printf "\ntargets (on the %s log; times as ratios to cat of the same file):\n", s
  verdict("built-in display <= 5x cat", ratio(s, "jobview") <= 5, sprintf("%.2fx", ratio(s, "jobview")))
  verdict("raw mode <= 2.5x cat", ratio(s, "jobview-R") <= 2.5, sprintf("%.2fx", ratio(s, "jobview-R")))
  verdict("20-item template <= 6x cat", ratio(s, "jobview-t-template20") <= 6,
          sprintf("%.2fx", ratio(s, "jobview-t-template20")))
  verdict("-m 20 < 2% of cat", ratio(s, "jobview-m20") < 0.02, sprintf("%.2f%%", 100 * ratio(s, "jobview-m20")))
  d = time[s, "jobview-m20"] - time[smallest, "jobview-m20"]
  verdict(sprintf("-m 20 on the %s log within 1 ms of the %s log", s, smallest), d < 0.001 && d > -0.001,
          sprintf("%.2f ms against %.2f ms", 1000 * time[s, "jobview-m20"], 1000 * time[smallest, "jobview-m20"]))
  verdict("-m 20 shows what the whole scan shows", tail_differs == "", tail_differs)
  verdict("selection of about 1% of the jobs <= 2x cat", ratio(s, "jobview-match-1pc") <= 2,
          sprintf("%.2fx", ratio(s, "jobview-match-1pc")))
  verdict("selection that keeps every job <= 1.1x the display without it",
          time[s, "jobview-keep-all"] <= 1.1 * time[s, "jobview"],
          sprintf("%.2fx", time[s, "jobview-keep-all"] / time[s, "jobview"]))
  verdict("--json <= 8x cat", ratio(s, "jobview-json") <= 8, sprintf("%.2fx", ratio(s, "jobview-json")))
  verdict("--json --cursor-file with nothing new <= 5% of cat", ratio(s, "jobview-cursor-again") <= 0.05,
          sprintf("%.2f%%", 100 * ratio(s, "jobview-cursor-again")))
  verdict("peak RSS <= 16 MiB, every jobview run", worst_rss <= 16384, sprintf("%.1f MiB", worst_rss / 1024))
  if (long != "" && (long, "jobview") in time) {
    l = ratio(long, "jobview"); g = ratio(s, "jobview")
    verdict("long-URI log no slower per byte than the generated log", l <= g,
            sprintf("%.2fx cat against %.2fx", l, g))
  }
  if (baseline != "") {
    for (i = 1; i <= sizes; i++) {
      t = order[i]
      if (!((t, "baseline") in time)) continue
      verdict(sprintf("%s log: built-in display no slower than %s", t, baseline),
              time[t, "jobview"] <= time[t, "baseline"],
              sprintf("%.2fx cat against %.2fx", ratio(t, "jobview"), ratio(t, "baseline")))
    }
  }
}' results="$results" "$bench_dir/peer-differs" "$results"
