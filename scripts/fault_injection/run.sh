#!/usr/bin/env bash
# Puts the faults of faults*.txt (a file for each area of the code), one at
# a time, into a scratch copy of the project, rebuilds it and runs the tests
# (the ecosystem tests excepted, which no fault in src/ can change): a fault
# is caught when some test fails.
#   scripts/fault_injection/run.sh [--only ID[,ID...]]... [WORK_DIR]
# WORK_DIR (default /tmp/fi-work) keeps the copy and its build between runs.
# JOBS (default 2) and TEST_TIMEOUT (seconds a test may take, default 60).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
only=" "
while [[ $# -gt 0 && $1 == --only ]]; do only+="${2//,/ } "; shift 2; done
work=${1:-/tmp/fi-work}
jobs=${JOBS:-2} timeout=${TEST_TIMEOUT:-60}
tree=$work/tree build=$work/build
ids=() whats=() files=() froms=() tos=()
while IFS= read -r line; do
  case $line in
    'id: '*) ids+=("${line#id: }") ;;
    'what: '*) whats+=("${line#what: }") ;;
    'file: '*) files+=("${line#file: }") ;;
    'from: '*) froms+=("${line#from: }") ;;
    'to: '*) tos+=("${line#to: }") ;;
  esac
done < <(cat "$here"/faults*.txt)
n=${#ids[@]}
[[ ${#whats[@]} == "$n" && ${#files[@]} == "$n" && ${#froms[@]} == "$n" && ${#tos[@]} == "$n" ]] ||
  { echo "faults*.txt: every fault needs id, what, file, from and to" >&2; exit 2; }

# Files are copied when their content differs, stamped with the time of the
# copy: one left faulty by an interrupted run is copied again and rebuilt.
mkdir -p "$tree" "$build"
(cd "$root" && find . -path ./.git -prune -o -path './build*' -prune -o -type f -print) |
  while IFS= read -r f; do
    cmp -s "$root/$f" "$tree/$f" || { mkdir -p "$tree/${f%/*}" && cp "$root/$f" "$tree/$f"; }
  done
(cd "$tree" && find . -type f) | while IFS= read -r f; do [[ -e $root/$f ]] || rm "$tree/$f"; done
build() { cmake -S "$tree" -B "$build" >"$work/build.log" 2>&1 &&
          cmake --build "$build" -j "$jobs" >>"$work/build.log" 2>&1; }
failing=""
run_tests() {
  rm -f "$build/Testing/Temporary/LastTestsFailed.log"
  (cd "$build" && ctest -j "$jobs" --timeout "$timeout" -E '^ecosystem\.' >"$work/ctest.log" 2>&1)
  local status=$?
  failing=$(sed 's/^[0-9]*://' "$build/Testing/Temporary/LastTestsFailed.log" 2>/dev/null |
            awk 'NR <= 3 { printf "%s ", $0 } END { if (NR > 3) printf "(+%d more)", NR - 3 }')
  return $status
}
build || { echo "the unchanged copy does not build: see $work/build.log" >&2; exit 2; }
run_tests || { echo "the unchanged copy fails: $failing" >&2; exit 2; }

target="" saved="$work/saved"
restore() { [[ -n $target ]] && cat "$saved" >"$target"; target=""; }
trap 'restore; exit 130' INT TERM
results=()
for ((i = 0; i < n; i++)); do
  id=${ids[i]} from=${froms[i]}
  [[ $only != " " && $only != *" $id "* ]] && continue
  mapfile -t found < <(find "$tree/src" -type f -name "${files[i]}")
  result="not-applied" failing=""
  if [[ ${#found[@]} == 1 ]]; then
    text=$(cat "${found[0]}"; printf x) && text=${text%x}
    rest=${text#*"$from"}
    if [[ $rest != "$text" && $rest != *"$from"* ]]; then
      target=${found[0]}
      cp "$target" "$saved"
      printf '%s' "${text%%"$from"*}${tos[i]}$rest" >"$target"
      if ! build; then result="no-build"
      elif run_tests; then result="missed"; [[ ${whats[i]} == equivalent* ]] && result="equivalent"
      else result="caught"; fi
      restore
    else failing="(fragment not found once in ${found[0]#$tree/})"; fi
  else failing="(${#found[@]} files named ${files[i]} under src/)"; fi
  results+=("$(printf '%-28s %-11s %s' "$id" "$result" "$failing")")
  echo "${results[-1]}"
done
{
  echo; printf '%-28s %-11s %s\n' id result "failing tests"
  printf '%s\n' "${results[@]}"
  for r in caught missed equivalent not-applied no-build; do
    printf '%s %s  ' "$r" "$(printf '%s\n' "${results[@]}" | awk -v r="$r" '$2 == r' | wc -l)"
  done; echo
} | tee "$work/summary.txt"
